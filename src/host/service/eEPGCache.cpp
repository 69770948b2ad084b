#include "host/service/eEPGCache.h"

static eEPGCache g_cache;
eEPGCache* eEPGCache::instance = &g_cache;

EITEvent* eEPGCache::lookupEvent(const eServiceReference& service, time_t t, bool)
{
    if (t == 0)
        t = time(nullptr);
    for (auto& kv : m_events) {
        if (!(kv.first == service))
            continue;
        for (const auto& e : kv.second)
            if (e.start_time <= t && t < e.start_time + e.duration)
                return new EITEvent(e);
    }
    return nullptr;
}

void eEPGCache::addEvent(const eServiceReference& service, const EITEvent& event)
{
    m_events[service].push_back(event);
}

bool LocalEventData::getLocalData(EITEvent* event, eString* name, eString* shortText, eString* extended)
{
    if (!event)
        return false;
    for (const auto& d : event->descriptor) {
        if (auto* s = dynamic_cast<const ShortEventDescriptor*>(d.get())) {
            if (name)
                *name = s->event_name;
            if (shortText)
                *shortText = s->text;
            if (extended)
                extended->clear();
            return true;
        }
    }
    return false;
}
