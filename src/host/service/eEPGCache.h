#pragma once
#include "host/service/EITEvent.h"
#include "host/service/eServiceReference.h"

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

// The host's cache of broadcast events, per service, filled from the event information
// (EIT) of the streams the box receives. Services are told apart by original network,
// transport stream and service id: the EIT names no DVB namespace.
class eEPGCache {
public:
    static eEPGCache* instance;

    // The event running at time t (0: now, by the box's clock) on the service, as a new
    // event the caller deletes; null when none is known.
    EITEvent* lookupEvent(const eServiceReference& service, time_t t = 0, bool plain = false);

    // Box side. One EIT section, decoded: table 0x4E/0x4F (present/following, section 0
    // the present event, 1 the following) or 0x50..0x6F (schedule).
    struct Section {
        int tableId = 0;
        int sid = 0;
        int tsid = 0;
        int onid = 0;
        int version = 0;
        int sectionNumber = 0;
        std::vector<EITEvent> events;
    };
    // A section of another version than the one held for its sub-table (table, service)
    // replaces all of it; one of the same version adds or replaces its section.
    // receivedAt: when it was on air, by the box's clock; unknown (a scan that met no
    // TDT/TOT yet) as 0; none given: now.
    void putSection(const Section& section, std::optional<time_t> receivedAt = std::nullopt);
    // An event known otherwise than from the air; looked up after the broadcast ones.
    void addEvent(const eServiceReference& service, const EITEvent& event);
    void clear() { m_services.clear(); }

    // Every event held, per service: sorted by start, an event sent both in
    // present/following and in the schedule listed once.
    struct Listed {
        int sid, tsid, onid;
        const EITEvent* event; // valid until the cache changes
    };
    std::vector<Listed> list() const;
    size_t serviceCount() const { return m_services.size(); }

private:
    struct Key {
        int onid, tsid, sid;
        bool operator<(const Key& o) const
        {
            return onid != o.onid ? onid < o.onid : tsid != o.tsid ? tsid < o.tsid : sid < o.sid;
        }
    };
    struct SectionData {
        std::vector<EITEvent> events;
        time_t receivedAt = 0; // by the box's clock
    };
    struct SubTable {
        int version = -1;
        std::map<int, SectionData> sections;
    };
    struct ServiceEvents {
        std::map<int, SubTable> tables; // by table id
        std::vector<EITEvent> added;
    };

    static Key keyOf(const eServiceReference& service);
    // The event running at t by present/following: found, or known that none runs.
    static const EITEvent* presentFollowing(const SubTable& table, time_t t, bool* nothingRuns);

    std::map<Key, ServiceEvents> m_services;
};

// Picks the texts of an event in the user's language.
class LocalEventData {
public:
    // Fills name and short text from the event's short event descriptor in the user's
    // language (by the locale environment), else from its first one; returns false
    // (leaving them unchanged) when it has none. extended may be null.
    bool getLocalData(EITEvent* event, eString* name, eString* shortText = nullptr, eString* extended = nullptr);
};
