#pragma once
// The programme guide that a set of transport streams broadcasts in its DVB service
// information (ETSI EN 300 468): services from the SDT (actual and other, table 0x42 and
// 0x46) and their events from the EIT (present/following and schedule, actual and
// other, tables 0x4E..0x6F), texts decoded by Annex A (see DvbText).
//
// Feed one or more streams (several transponders of one network merge); then
// services() gives every service with its events, each event once, in its newest
// version: a section is decoded when its sub-table version is new, and a later new
// section carrying the same event replaces what an earlier one said. Across streams an
// event's own transponder (EIT actual) wins over what others say of it (EIT other).
// Events of one service that overlap are resolved the same way: the newest stays.
//
// Faults are counted, never reported: sections whose loops do not fit are dropped
// whole, events with undefined times or times outside 1970..2038 (the 32-bit clock)
// alone, descriptors whose lengths lie alone.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "scan/DvbText.h"
#include "ts/SectionReassembler.h"

namespace scan {

// A file gives up after this many bytes without a packet pattern (as the box does).
constexpr uint64_t kGuideSyncSearchLimit = 4 << 20;

// One short event descriptor (0x4D).
struct GuideTitle {
    std::string language; // ISO 639-2 code as sent, letters only, e.g. "deu"
    std::string name;     // the event name (title)
    std::string text;     // the short text (sub-title); may be empty
};

// One "description: item" pair of the extended event descriptors.
struct GuideItem {
    std::string description;
    std::string item;
};

// All extended event descriptors (0x4E) of one language, joined in their numbering.
struct GuideExtended {
    std::string language;
    std::vector<GuideItem> items;
    std::string text;
};

// One content descriptor (0x54) entry: EN 300 468 table 28 nibbles.
struct GuideContent {
    uint8_t level1 = 0;
    uint8_t level2 = 0;
    uint8_t user = 0;
};

// One parental rating descriptor (0x55) entry.
struct GuideRating {
    std::string country; // ISO 3166 alpha-3 as sent, e.g. "DEU"
    uint8_t rating = 0;  // 0x01..0x0F: minimum age rating + 3; 0 undefined; above: broadcaster's own
    // The minimum age, or 0 when the rating is no age.
    int minimumAge() const { return rating >= 0x01 && rating <= 0x0F ? rating + 3 : 0; }
};

struct GuideEvent {
    uint16_t eventId = 0;
    int64_t start = 0;     // UTC, seconds since 1970
    uint32_t duration = 0; // seconds (0 when the broadcast leaves it undefined)
    uint8_t runningStatus = 0;
    bool freeCa = false;
    uint8_t tableId = 0;   // the table the kept version came in
    std::vector<GuideTitle> titles;       // in the order sent
    std::vector<GuideExtended> extended;  // one per language, in the order first sent
    std::vector<GuideContent> content;
    std::vector<GuideRating> ratings;
};

struct GuideService {
    uint16_t onid = 0;
    uint16_t tsid = 0;
    uint16_t sid = 0;
    bool inSdt = false;    // an SDT described the service
    uint8_t type = 0;      // service_type of its service descriptor
    std::string name;      // UTF-8, empty when no SDT named it
    std::string provider;  // UTF-8
    std::vector<GuideEvent> events; // by start time, none overlapping
};

struct EitGuideCounters {
    uint64_t packets = 0;
    uint64_t eitSections = 0;   // EIT sections with a good CRC
    uint64_t sdtSections = 0;   // SDT sections with a good CRC
    uint64_t repeats = 0;       // sections already held in their sub-table's version
    uint64_t notCurrent = 0;    // current_next_indicator 0: not yet valid, skipped
    uint64_t badLayout = 0;     // header or loop does not fit the section: section dropped
    uint64_t badEvents = 0;     // undefined time or outside 1970..2038: event dropped
    uint64_t badDescriptors = 0; // descriptor lengths lie: descriptor dropped
    uint64_t replaced = 0;      // event versions superseded by a newer one
    uint64_t overlapped = 0;    // events dropped for overlapping a newer one (by the last read-out)
    uint64_t times = 0;         // TDT/TOT sections
};

class EitGuide {
public:
    EitGuide();
    ~EitGuide();
    EitGuide(const EitGuide&) = delete;
    EitGuide& operator=(const EitGuide&) = delete;

    // One 188-byte packet of the current stream, sync byte first.
    void put(const uint8_t* packet);
    // A whole stream in memory (188, 192 or 204-byte packets; sync regained after
    // garbage), as one stream of its own.
    void addStream(const uint8_t* data, size_t size);
    // A stream file (or anything that reads as one), as one stream of its own. False,
    // with the reason in error, when it cannot be opened or read, is a directory, or
    // shows no packet pattern within kGuideSyncSearchLimit bytes.
    bool addFile(const std::string& path, std::string* error);
    // One section of the current stream (SDT, EIT, TDT or TOT), CRC already checked;
    // others are ignored. For callers that demultiplex themselves.
    void putSection(const uint8_t* section, size_t size);
    // The packets that follow belong to another stream (transponder): partial
    // sections are dropped; everything learnt stays.
    void nextStream();

    // Every service with an SDT entry or events, by ONID, TSID and SID.
    std::vector<GuideService> services() const;
    // The same one service at a time, its events decoded only for the call: a whole
    // satellite's guide is never held decoded at once. With titlesOnly the events
    // carry their titles and short texts only (a quicker look).
    void forEachService(const std::function<void(const GuideService&)>& visit, bool titlesOnly = false) const;
    // The number of events held now (before overlaps are resolved).
    size_t eventCount() const;
    // The UTC time of the last TDT or TOT seen, if any.
    std::optional<int64_t> streamTime() const { return m_time; }

    const EitGuideCounters& counters() const { return m_counters; }
    const DvbTextFaults& textFaults() const { return m_text.faults(); }
    const ts::ReassemblyStats& reassembly() const { return m_reassembler->stats(); }

private:
    // An event as it came: its descriptors are decoded when the guide is read out.
    struct Stored {
        int64_t start = 0;
        uint32_t duration = 0;
        uint16_t eventId = 0;
        uint8_t runningStatus = 0;
        uint8_t tableId = 0;
        bool freeCa = false;
        bool actual = false;
        uint32_t stream = 0;
        uint64_t sequence = 0; // order of arrival: higher is newer
        std::string descriptors;
    };
    struct ServiceState {
        GuideService info; // events stay empty here
        std::map<uint16_t, Stored> events;
    };
    struct Seen {
        uint8_t version = 0;
        uint64_t sections[4] = {0, 0, 0, 0}; // bit per section_number
    };

    void onSection(uint16_t pid, const uint8_t* s, size_t n);
    bool isRepeat(uint64_t key, const uint8_t* s);
    void decodeSdt(const uint8_t* s, size_t n);
    void decodeEit(const uint8_t* s, size_t n);
    void decodeDescriptors(const uint8_t* d, size_t size, GuideEvent* out, bool titlesOnly) const;
    ServiceState& service(uint16_t onid, uint16_t tsid, uint16_t sid);

    std::unique_ptr<ts::SectionReassembler> m_reassembler;
    mutable DvbText m_text; // reused by every decode, also while reading out
    std::map<uint64_t, ServiceState> m_services;
    std::map<uint64_t, Seen> m_seen; // by sub-table: table, ONID, TSID, service
    uint64_t m_sequence = 0;
    uint32_t m_stream = 0;
    std::optional<int64_t> m_time;
    mutable EitGuideCounters m_counters; // overlaps are counted when services() resolves them
};

} // namespace scan
