#include "ts/Packet.h"

namespace ts {

std::optional<PacketHeader> parsePacket(const uint8_t* p)
{
    if (p[0] != kSyncByte)
        return std::nullopt;
    PacketHeader h;
    h.transportError = p[1] & 0x80;
    h.unitStart = p[1] & 0x40;
    h.priority = p[1] & 0x20;
    h.pid = packetPid(p);
    h.scrambling = (p[3] >> 6) & 0x03;
    h.hasAdaptation = p[3] & 0x20;
    h.hasPayload = p[3] & 0x10;
    h.continuityCounter = p[3] & 0x0F;
    size_t offset = 4;
    if (h.hasAdaptation) {
        size_t length = p[4];
        // With a payload the field leaves at least one byte of it; without, it fills the packet.
        size_t limit = h.hasPayload ? kPacketSize - 5 - 1 : kPacketSize - 5;
        if (length > limit)
            return std::nullopt;
        if (length > 0) {
            uint8_t flags = p[5];
            h.discontinuity = flags & 0x80;
            if ((flags & 0x10) && length >= 7) {
                const uint8_t* q = p + 6;
                uint64_t base = (uint64_t(q[0]) << 25) | (uint64_t(q[1]) << 17) | (uint64_t(q[2]) << 9)
                    | (uint64_t(q[3]) << 1) | (q[4] >> 7);
                uint64_t ext = (uint64_t(q[4] & 0x01) << 8) | q[5];
                h.pcr = base * 300 + ext;
            }
        }
        offset = 5 + length;
    }
    h.payloadOffset = h.hasPayload ? uint8_t(offset) : uint8_t(kPacketSize);
    return h;
}

} // namespace ts
