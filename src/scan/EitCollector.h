#pragma once
// Follows the event information (EIT p/f and schedule, actual and other, PID 0x12) and
// the time (TDT/TOT, PID 0x14) of one transport stream as its packets go by, as a
// receiver's EPG cache does. Sections are CRC-checked, and a section already seen in
// the version of its sub-table now in force is not decoded again, so a carousel's
// repetitions cost only their reassembly. A section of another version starts the
// sub-table afresh (ETSI EN 300 468 5.2.4: the version applies to the whole sub-table).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <set>

#include "scan/EitDecoder.h"
#include "scan/EventSection.h"
#include "ts/SectionReassembler.h"

namespace scan {

struct EitCounters {
    uint64_t sections = 0; // EIT sections reassembled with a good CRC
    uint64_t decoded = 0;  // of them new and handed on
    uint64_t repeats = 0;  // of them already held in their version
    uint64_t notCurrent = 0;
    uint64_t times = 0;    // TDT/TOT sections handed on
    uint64_t badTimes = 0;
};

class EitCollector {
public:
    using SectionSink = std::function<void(const EventSection&)>;
    using TimeSink = std::function<void(int64_t utc)>;

    EitCollector(SectionSink sections, TimeSink times);
    EitCollector(const EitCollector&) = delete;
    EitCollector& operator=(const EitCollector&) = delete;

    // One 188-byte packet, sync byte first.
    void put(const uint8_t* packet);
    // One whole section reassembled elsewhere (CRC already checked there), with the
    // filters below applied.
    void putSection(uint16_t pid, const uint8_t* section, size_t size);
    // What the collector listens to: PIDs and section filters.
    static void forEachFilter(const std::function<void(uint16_t pid, const ts::SectionFilter&)>& f);
    // The stream starts over or another is tuned: partial sections are void. What was
    // seen stays known; a new stream's sub-tables have their own keys.
    void restart() { m_reassembler.reset(); }
    // Forgets which sections were seen, so that all are handed on again.
    void forget() { m_seen.clear(); }

    const EitCounters& counters() const { return m_counters; }
    const EitFaults& faults() const { return m_decoder.faults(); }
    const ts::ReassemblyStats& reassembly() const { return m_reassembler.stats(); }

private:
    struct Seen {
        uint8_t version = 0;
        std::set<uint8_t> sections;
    };

    SectionSink m_sectionSink;
    TimeSink m_timeSink;
    ts::SectionReassembler m_reassembler;
    EitDecoder m_decoder;
    std::map<SubTableKey, Seen> m_seen;
    EitCounters m_counters;
};

} // namespace scan
