#include "ts/Packetizer.h"

#include <algorithm>
#include <cstring>

namespace ts {

void Packetizer::emit(std::vector<uint8_t>& out, bool unitStart, const uint8_t* payload, size_t n)
{
    uint8_t pkt[kPacketSize];
    pkt[0] = 0x47;
    pkt[1] = static_cast<uint8_t>((unitStart ? 0x40 : 0x00) | ((m_pid >> 8) & 0x1F));
    pkt[2] = static_cast<uint8_t>(m_pid & 0xFF);
    pkt[3] = static_cast<uint8_t>(0x10 | m_cc); // payload only
    m_cc = (m_cc + 1) & 0x0F;
    std::memcpy(pkt + 4, payload, n);
    std::memset(pkt + 4 + n, 0xFF, kPacketSize - 4 - n);
    out.insert(out.end(), pkt, pkt + kPacketSize);
}

void Packetizer::put(const std::vector<std::vector<uint8_t>>& sections, std::vector<uint8_t>& out, bool packed)
{
    // Builds the payload stream of each packet: [pointer_field] bytes...
    uint8_t payload[kPacketSize - 4];
    size_t used = 0;        // bytes in payload
    bool unitStart = false; // payload begins with a pointer_field
    auto flush = [&] {
        if (used > 0)
            emit(out, unitStart, payload, used);
        used = 0;
        unitStart = false;
    };
    const size_t room = kPacketSize - 4;
    for (const auto& section : sections) {
        if (section.empty())
            continue;
        // A section starts here only if the packet still has room for the pointer_field and a byte.
        if (!packed || room - used < (unitStart ? 1u : 2u))
            flush();
        size_t pos = 0;
        // Start this section in the current packet: needs a pointer_field if the packet has none.
        if (!unitStart) {
            if (used == 0) {
                payload[0] = 0;
                used = 1;
            } else {
                // Packet holds the tail of an earlier section: insert a pointer to here.
                std::memmove(payload + 1, payload, used);
                payload[0] = static_cast<uint8_t>(used);
                used += 1;
            }
            unitStart = true;
        }
        while (pos < section.size()) {
            size_t n = std::min(room - used, section.size() - pos);
            std::memcpy(payload + used, section.data() + pos, n);
            used += n;
            pos += n;
            if (used == room) {
                emit(out, unitStart, payload, used);
                used = 0;
                unitStart = false;
            }
        }
    }
    flush();
}

void appendNullPacket(std::vector<uint8_t>& out)
{
    uint8_t pkt[kPacketSize];
    std::memset(pkt, 0xFF, sizeof pkt);
    pkt[0] = 0x47;
    pkt[1] = 0x1F;
    pkt[2] = 0xFF;
    pkt[3] = 0x10;
    out.insert(out.end(), pkt, pkt + kPacketSize);
}

} // namespace ts
