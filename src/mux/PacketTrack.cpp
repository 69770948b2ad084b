#include "mux/PacketTrack.h"

#include <algorithm>

namespace mux {
namespace {
constexpr size_t kBurst = 8; // sections packed together
} // namespace

void PacketTrack::packetize(ts::Packetizer& packetizer, const Sections& sections, std::vector<uint8_t>& out)
{
    for (size_t i = 0; i < sections.size(); i += kBurst) {
        const auto first = sections.begin() + static_cast<std::ptrdiff_t>(i);
        const auto last = sections.begin() + static_cast<std::ptrdiff_t>(std::min(i + kBurst, sections.size()));
        packetizer.put(Sections(first, last), out);
    }
}

void PacketTrack::feed(const std::function<Source()>& makeSource)
{
    Source count = makeSource();
    Sections stretch;
    m_total = 0;
    while (count(stretch)) {
        m_total += packetsFor(stretch);
        stretch.clear();
    }
    m_source = makeSource();
    m_packets.clear();
    m_next = m_sent = 0;
}

void PacketTrack::sendNext(std::vector<uint8_t>& out)
{
    if (exhausted())
        return;
    while (m_next * ts::kPacketSize >= m_packets.size()) {
        Sections stretch;
        m_packets.clear();
        m_next = 0;
        if (!m_source || !m_source(stretch))
            return; // cannot happen while the source repeats itself
        packetize(m_packetizer, stretch, m_packets);
    }
    const auto p = m_packets.begin() + static_cast<std::ptrdiff_t>(m_next * ts::kPacketSize);
    out.insert(out.end(), p, p + ts::kPacketSize);
    ++m_next;
    ++m_sent;
}

size_t PacketTrack::packetsFor(const Sections& sections)
{
    ts::Packetizer packetizer(0);
    std::vector<uint8_t> packets;
    packetize(packetizer, sections, packets);
    return packets.size() / ts::kPacketSize;
}

} // namespace mux
