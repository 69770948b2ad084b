#pragma once
#include "host/service/EITEvent.h"
#include "host/service/eServiceReference.h"

#include <map>
#include <vector>

// The host's cache of broadcast events, per service.
class eEPGCache {
public:
    static eEPGCache* instance;

    // The event running at time t (0: now) on the service, as a new event the
    // caller deletes; null when none is known.
    EITEvent* lookupEvent(const eServiceReference& service, time_t t = 0, bool plain = false);

    void addEvent(const eServiceReference& service, const EITEvent& event);
    void clear() { m_events.clear(); }

private:
    std::map<eServiceReference, std::vector<EITEvent>> m_events;
};

// Picks the texts of an event in the user's language.
class LocalEventData {
public:
    // Fills name and short text from the event's short event descriptor; returns
    // false (leaving them unchanged) when it has none. extended may be null.
    bool getLocalData(EITEvent* event, eString* name, eString* shortText = nullptr, eString* extended = nullptr);
};
