#pragma once
// One decoded section of the event information table (ETSI EN 300 468 5.2.4), and the
// time of a TDT or TOT (5.2.5, 5.2.6).
#include <cstdint>
#include <string>
#include <vector>

namespace scan {

constexpr uint16_t kEitPid = 0x12;
constexpr uint16_t kTimePid = 0x14;
constexpr uint8_t kEitPfActual = 0x4E;
constexpr uint8_t kEitPfOther = 0x4F;
constexpr uint8_t kEitScheduleFirst = 0x50; // 0x50..0x5F actual, 0x60..0x6F other
constexpr uint8_t kEitScheduleLast = 0x6F;
constexpr uint8_t kTdt = 0x70;
constexpr uint8_t kTot = 0x73;

inline bool isEitTable(uint8_t table) { return table >= kEitPfActual && table <= kEitScheduleLast; }
inline bool isPresentFollowing(uint8_t table) { return table == kEitPfActual || table == kEitPfOther; }

// The texts of one short event descriptor, UTF-8.
struct EventText {
    std::string language; // ISO 639-2 code as sent, e.g. "deu"
    std::string name;
    std::string text;
};

struct EventInfo {
    uint16_t eventId = 0;
    int64_t start = 0;      // UTC, seconds since 1970
    uint32_t duration = 0;  // seconds
    uint8_t runningStatus = 0;
    bool freeCa = false;
    std::vector<EventText> texts; // in the order sent
};

// Identifies the sub-table a section belongs to: its version applies to all of it.
struct SubTableKey {
    uint8_t tableId = 0;
    uint16_t sid = 0;
    uint16_t tsid = 0;
    uint16_t onid = 0;
    bool operator<(const SubTableKey& o) const
    {
        if (tableId != o.tableId)
            return tableId < o.tableId;
        if (sid != o.sid)
            return sid < o.sid;
        if (tsid != o.tsid)
            return tsid < o.tsid;
        return onid < o.onid;
    }
};

struct EventSection {
    SubTableKey key;
    uint8_t version = 0;
    bool current = true; // current_next_indicator
    uint8_t sectionNumber = 0;
    uint8_t lastSectionNumber = 0;
    uint8_t segmentLastSectionNumber = 0;
    uint8_t lastTableId = 0;
    std::vector<EventInfo> events; // in the order sent
};

} // namespace scan
