#pragma once
// Rebuilds PSI/SI sections from transport packets, PID by PID, the way the Linux
// software demux does (ISO/IEC 13818-1 2.4.4): pointer_field, sections that span
// packets or share one, 0xFF stuffing, and a restart at the next payload_unit_start
// after a continuity break or a discontinuity. A section only ever starts where a
// pointer_field puts it. Faults are counted, never reported.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "ts/Packetizer.h"
#include "ts/SectionFilter.h"

namespace ts {

constexpr size_t kMaxSectionSize = 4096;
constexpr uint16_t kPidCount = 0x2000;

struct ReassemblyStats {
    uint64_t packets = 0;          // packets of watched PIDs
    uint64_t syncErrors = 0;       // packets without the sync byte
    uint64_t transportErrors = 0;  // transport_error_indicator set (such packets are still used)
    uint64_t ccErrors = 0;         // continuity_counter jumps
    uint64_t duplicates = 0;       // repeated packets, ignored
    uint64_t discontinuities = 0;  // discontinuity_indicator set
    uint64_t badAdaptation = 0;    // adaptation field longer than the packet
    uint64_t badPointer = 0;       // pointer_field beyond the payload
    uint64_t badLength = 0;        // section_length giving more than 4096 bytes
    uint64_t droppedPartial = 0;   // partial sections discarded after a fault
    uint64_t strayPayload = 0;     // packets with bytes outside any section, not stuffing (ignored)
    uint64_t crcErrors = 0;        // dropped by the CRC check
    uint64_t filtered = 0;         // complete sections no filter accepted
    uint64_t sections = 0;         // sections delivered
};

class SectionReassembler {
public:
    // Receives each accepted section; the bytes are valid only during the call.
    // The sink must not change the set of watched PIDs.
    using Sink = std::function<void(uint16_t pid, const uint8_t* section, size_t size)>;

    explicit SectionReassembler(Sink sink = {});
    ~SectionReassembler();
    SectionReassembler(const SectionReassembler&) = delete;
    SectionReassembler& operator=(const SectionReassembler&) = delete;

    void setSink(Sink sink) { m_sink = std::move(sink); }
    // Sections with section_syntax_indicator 1 must pass CRC-32 (short forms are never checked).
    void setCheckCrc(bool on) { m_checkCrc = on; }

    // Delivers every section of the PID.
    void watch(uint16_t pid);
    // Delivers the sections of the PID that at least one of its filters accepts.
    void addFilter(uint16_t pid, const SectionFilter& filter);
    void unwatch(uint16_t pid);
    void unwatchAll();
    // Delivers every section of every PID (for analysis).
    void watchAll() { m_all = true; }

    // One 188-byte packet starting at its sync byte.
    void put(const uint8_t* packet) { putRun(packet, 1, kPacketSize); }
    // Whole 188-byte packets back to back.
    void putPackets(const uint8_t* data, size_t size) { putRun(data, size / kPacketSize, kPacketSize); }
    // count packets of 188 bytes whose starts lie stride bytes apart (see PacketReader::nextRun).
    void putRun(const uint8_t* first, size_t count, size_t stride)
    {
        // Most packets belong to no watched PID: one table lookup rejects them.
        for (; count > 0; --count, first += stride) {
            if (first[0] != 0x47) {
                ++m_stats.syncErrors;
                continue;
            }
            const uint16_t slot = m_slots[((first[1] & 0x1F) << 8) | first[2]];
            if (slot != 0 || m_all)
                putWatched(first, slot);
        }
    }

    // Forgets partial sections and continuity counters (e.g. the stream starts over).
    void reset();

    const ReassemblyStats& stats() const { return m_stats; }
    void clearStats() { m_stats = ReassemblyStats(); }

private:
    struct PidState;
    PidState* state(uint16_t pid);
    void putWatched(const uint8_t* packet, uint16_t slot);
    void feed(PidState& st, const uint8_t* data, size_t size, bool startsAllowed);
    void deliver(PidState& st, const uint8_t* section, size_t size, bool filtered);
    void dropPartial(PidState& st);

    Sink m_sink;
    std::vector<std::unique_ptr<PidState>> m_states; // of the PIDs watched
    uint16_t m_slots[kPidCount] = {};               // by PID: 1 + index into m_states, 0 = not watched
    bool m_all = false;
    bool m_checkCrc = false;
    ReassemblyStats m_stats;
};

// True unless the section has section_syntax_indicator 1 and fails its CRC-32.
bool sectionCrcValid(const uint8_t* section, size_t size);
// 3 + section_length, from the first three bytes.
inline size_t sectionTotalLength(const uint8_t* s) { return 3 + ((size_t(s[1] & 0x0F) << 8) | s[2]); }

} // namespace ts
