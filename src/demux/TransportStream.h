#pragma once
// One transport stream the box can tune to, played packet by packet, each packet with
// the time it was broadcast at (see StreamClock). Three kinds of source:
//  - a regular file, read from disk through a buffer of fixed size whatever its size,
//    and started over at its end;
//  - a live source (standard input, a FIFO, a character device such as a DVB card's
//    dvr node): read as it comes through the same bounded buffer, never started over;
//    when it pauses there is simply no packet yet, and once it ends it stays ended;
//  - packets in memory (tests, generators), started over at their end.
// A source whose first few megabytes hold no sync byte pattern is refused.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "demux/StreamClock.h"
#include "ts/PacketReader.h"

namespace demux {

// Bytes searched for the first packet before a source is refused.
constexpr uint64_t kSyncSearchLimit = 4 << 20;

class TransportStream {
public:
    TransportStream() = default;
    ~TransportStream();
    TransportStream(const TransportStream&) = delete;
    TransportStream& operator=(const TransportStream&) = delete;

    // Opens a file ("-": standard input). False with a message in *error when it cannot
    // be read or (a regular file) holds no transport packets. A live source is only
    // opened here, even a FIFO without a writer yet; see waitForPackets().
    bool open(const std::string& path, std::string* error = nullptr);
    // Takes packets from memory (188, 192 or 204 bytes each); for tests and generators.
    void assign(const uint8_t* data, size_t size);

    const std::string& name() const { return m_name; }
    bool live() const { return m_kind == Kind::Live; }
    // A live source ended (its writer is gone, or reading failed), or was refused.
    bool ended() const { return m_ended; }
    // Why a source was refused or failed, for messages; empty otherwise.
    const std::string& problem() const { return m_problem; }
    bool usesPcr() const { return m_clock.usesPcr(); }

    enum class Step {
        Packet, // packet() is the next packet to play, duration() its time on air
        Wait,   // a live source has nothing yet
        End,    // the end of a file or of memory: rewind() to play it again
        Ended,  // a live source ended
    };
    // Makes the next packet ready if the source has it, never blocking.
    Step step();
    // Valid after step() gave Step::Packet, until advance().
    const uint8_t* packet() const { return m_slot[m_current]; }
    uint64_t duration() const { return m_duration; }
    void advance();
    // Back to the first packet, with the clock as at the start. False for a live source.
    bool rewind();

    // Waits up to timeoutMs of wall time for a live source to have data or end. True
    // when step() may now have something new to say.
    bool waitReadable(int timeoutMs);
    // Waits up to timeoutMs for the first packet of a live source. False with a
    // message in *error when none came or the source was refused.
    bool waitForPackets(int timeoutMs, std::string* error);

private:
    enum class Kind { Memory, File, Live };

    // The next packet from the source, or null (see m_reader's state).
    const uint8_t* fetch();
    void refuse();

    Kind m_kind = Kind::Memory;
    std::string m_name;
    int m_fd = -1;
    bool m_ownsFd = false;
    std::unique_ptr<ts::PacketReader> m_reader;
    std::vector<uint8_t> m_memory; // Kind::Memory: 188-byte packets
    size_t m_memoryPos = 0;
    StreamClock m_clock;

    // The packet to play and the one after it (its time gives the duration), copied
    // out of the reader's buffer so that reading on cannot move them.
    uint8_t m_slot[2][188] = {};
    uint64_t m_stamp[2] = {};
    int m_current = 0;
    bool m_haveCurrent = false; // m_slot[m_current] holds a packet not yet played
    bool m_haveNext = false;
    bool m_ready = false; // step() said Packet and advance() was not called yet
    uint64_t m_duration = 0;
    bool m_atEnd = false; // the source has no more packets (until rewind)
    bool m_ended = false;
    std::string m_problem;
};

} // namespace demux
