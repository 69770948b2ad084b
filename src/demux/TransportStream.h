#pragma once
// One recorded or piped transport stream held in memory as 188-byte packets, each
// with its broadcast time. Standard input ("-") is read as it arrives: what has come
// so far is what the stream holds, and more is taken in whenever the player needs it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "demux/StreamClock.h"
#include "ts/PacketSplitter.h"

namespace demux {

class TransportStream {
public:
    TransportStream() = default;
    ~TransportStream();
    TransportStream(const TransportStream&) = delete;
    TransportStream& operator=(const TransportStream&) = delete;

    // Reads a whole file; "-" reads standard input progressively. False when the
    // file cannot be read (errno set) or holds no packet.
    bool open(const std::string& path);
    // Takes packets from memory (188, 192 or 204 bytes each); for tests and generators.
    void assign(const uint8_t* data, size_t size);

    const std::string& name() const { return m_name; }
    size_t packetCount() const { return m_times.size(); }
    const uint8_t* packet(size_t index) const { return m_packets.data() + index * 188; }
    // Nanoseconds from this packet to the next; the last one leads back to the first.
    uint64_t duration(size_t index) const
    {
        return index + 1 < m_times.size() ? m_times[index + 1] - m_times[index] : m_clock.packetDuration();
    }
    // Time of one pass through the packets held now.
    uint64_t loopDuration() const { return m_times.empty() ? 0 : m_times.back() + m_clock.packetDuration(); }
    bool usesPcr() const { return m_clock.usesPcr(); }

    // Takes in whatever more a progressive source has ready, without waiting.
    // Returns true when packets were added.
    bool poll();
    bool progressive() const { return m_fd >= 0; }

private:
    ts::PacketSplitter::Sink sink();
    void append(const uint8_t* data, size_t size);
    bool readAvailable(int waitMs, size_t limit);

    std::string m_name;
    std::vector<uint8_t> m_packets;
    std::vector<uint64_t> m_times;
    StreamClock m_clock;
    ts::PacketSplitter m_splitter;
    int m_fd = -1; // progressive source, not owned
};

} // namespace demux
