#include "mux/PacketTrack.h"

#include <algorithm>

namespace mux {
namespace {
constexpr size_t kBurst = 8; // sections packed together
} // namespace

void PacketTrack::append(const std::vector<std::vector<uint8_t>>& sections)
{
    for (size_t i = 0; i < sections.size(); i += kBurst) {
        const auto first = sections.begin() + static_cast<std::ptrdiff_t>(i);
        const auto last = sections.begin() + static_cast<std::ptrdiff_t>(std::min(i + kBurst, sections.size()));
        m_packetizer.put(std::vector<std::vector<uint8_t>>(first, last), m_packets);
    }
}

void PacketTrack::sendNext(std::vector<uint8_t>& out)
{
    if (exhausted())
        return;
    const auto p = m_packets.begin() + static_cast<std::ptrdiff_t>(m_next * ts::kPacketSize);
    out.insert(out.end(), p, p + ts::kPacketSize);
    ++m_next;
}

size_t PacketTrack::packetsFor(const std::vector<std::vector<uint8_t>>& sections)
{
    PacketTrack t(0);
    t.append(sections);
    return t.size();
}

} // namespace mux
