#pragma once
// The packets of one carousel PID for the whole stream, prepared in advance so the
// stream can spread them evenly over its length and end on a section boundary.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ts/Packetizer.h"

namespace mux {

class PacketTrack {
public:
    explicit PacketTrack(uint16_t pid) : m_packetizer(pid) {}

    // Appends the sections as packets, a few sections per burst: a burst ends in
    // stuffing, so the next one starts a packet.
    void append(const std::vector<std::vector<uint8_t>>& sections);

    size_t size() const { return m_packets.size() / ts::kPacketSize; }
    size_t sent() const { return m_next; }
    bool exhausted() const { return m_next >= size(); }
    // Appends the next packet to out.
    void sendNext(std::vector<uint8_t>& out);

    // Packets these sections take when appended to an empty track.
    static size_t packetsFor(const std::vector<std::vector<uint8_t>>& sections);

private:
    ts::Packetizer m_packetizer;
    std::vector<uint8_t> m_packets;
    size_t m_next = 0;
};

} // namespace mux
