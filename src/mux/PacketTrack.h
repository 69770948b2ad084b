#pragma once
// The packets of one carousel PID for the whole stream. Its length is known in
// advance, so the stream can spread them evenly and end on a section boundary,
// but only one stretch of sections (a pass) is held as packets at a time: long
// streams are built in bounded memory.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "ts/Packetizer.h"

namespace mux {

class PacketTrack {
public:
    using Sections = std::vector<std::vector<uint8_t>>;
    // Fills in the next stretch of sections; false when the track has no more.
    using Source = std::function<bool(Sections&)>;

    explicit PacketTrack(uint16_t pid) : m_packetizer(pid) {}

    // Feeds the track from source, stretch by stretch as it is sent. The source
    // is called twice over: once now to count the packets, then while sending,
    // and must give the same stretches both times.
    void feed(const std::function<Source()>& makeSource);

    size_t size() const { return m_total; }
    size_t sent() const { return m_sent; }
    bool exhausted() const { return m_sent >= m_total; }
    // Appends the next packet to out.
    void sendNext(std::vector<uint8_t>& out);

    // Packets these sections take when appended to an empty track: a few
    // sections per burst, each burst ending in stuffing so the next starts a packet.
    static size_t packetsFor(const Sections& sections);

private:
    static void packetize(ts::Packetizer& packetizer, const Sections& sections, std::vector<uint8_t>& out);

    ts::Packetizer m_packetizer;
    Source m_source;
    std::vector<uint8_t> m_packets; // the stretch being sent
    size_t m_next = 0;              // in m_packets
    size_t m_sent = 0;
    size_t m_total = 0;
};

} // namespace mux
