#include "host/service/eEPGCache.h"
#include "host/service/BoxClock.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

static eEPGCache g_cache;
eEPGCache* eEPGCache::instance = &g_cache;

namespace {

constexpr int kPfActual = 0x4E;
constexpr int kPfOther = 0x4F;

bool runsAt(const EITEvent& e, time_t t) { return e.duration > 0 && e.start_time <= t && t - e.start_time < e.duration; }

} // namespace

eEPGCache::Key eEPGCache::keyOf(const eServiceReference& service)
{
    return Key{service.data[3], service.data[2], service.data[1]};
}

const EITEvent* eEPGCache::presentFollowing(const SubTable& table, time_t t, bool* nothingRuns)
{
    auto present = table.sections.find(0);
    auto following = table.sections.find(1);
    if (present != table.sections.end())
        for (const auto& e : present->second.events)
            if (runsAt(e, t))
                return &e;
    if (following != table.sections.end())
        for (const auto& e : following->second.events)
            if (runsAt(e, t))
                return &e;
    // A present section without an event says nothing runs, from when it came until
    // the following event starts (EN 300 468 5.2.4).
    if (present != table.sections.end() && present->second.events.empty() && t >= present->second.receivedAt) {
        const EITEvent* next = following != table.sections.end() && !following->second.events.empty()
                                   ? &following->second.events.front()
                                   : nullptr;
        if (!next || t < next->start_time)
            *nothingRuns = true;
    }
    return nullptr;
}

EITEvent* eEPGCache::lookupEvent(const eServiceReference& service, time_t t, bool)
{
    if (t == 0)
        t = host::BoxClock::instance().now();
    auto it = m_services.find(keyOf(service));
    if (it == m_services.end())
        return nullptr;
    const ServiceEvents& s = it->second;
    for (int table : {kPfActual, kPfOther}) {
        auto pf = s.tables.find(table);
        if (pf == s.tables.end())
            continue;
        bool nothingRuns = false;
        if (const EITEvent* e = presentFollowing(pf->second, t, &nothingRuns))
            return new EITEvent(*e);
        if (nothingRuns)
            return nullptr;
    }
    for (const auto& [id, table] : s.tables) {
        if (id == kPfActual || id == kPfOther)
            continue;
        for (const auto& [number, section] : table.sections)
            for (const auto& e : section.events)
                if (runsAt(e, t))
                    return new EITEvent(e);
    }
    for (const auto& e : s.added)
        if (runsAt(e, t))
            return new EITEvent(e);
    return nullptr;
}

void eEPGCache::putSection(const Section& section, std::optional<time_t> receivedAt)
{
    SubTable& table = m_services[Key{section.onid, section.tsid, section.sid}].tables[section.tableId];
    if (table.version != section.version) {
        table.sections.clear();
        table.version = section.version;
    }
    SectionData& data = table.sections[section.sectionNumber];
    data.events = section.events;
    data.receivedAt = receivedAt ? *receivedAt : host::BoxClock::instance().now();
}

void eEPGCache::addEvent(const eServiceReference& service, const EITEvent& event)
{
    m_services[keyOf(service)].added.push_back(event);
}

std::vector<eEPGCache::Listed> eEPGCache::list() const
{
    std::vector<Listed> out;
    for (const auto& [key, s] : m_services) {
        const size_t first = out.size();
        const auto& k = key; // a lambda cannot capture a structured binding before C++20
        auto add = [&](const EITEvent& e) { out.push_back({k.sid, k.tsid, k.onid, &e}); };
        for (const auto& [id, table] : s.tables)
            for (const auto& [number, section] : table.sections)
                std::for_each(section.events.begin(), section.events.end(), add);
        std::for_each(s.added.begin(), s.added.end(), add);
        auto begin = out.begin() + std::ptrdiff_t(first);
        std::stable_sort(begin, out.end(), [](const Listed& a, const Listed& b) {
            return a.event->start_time != b.event->start_time ? a.event->start_time < b.event->start_time
                                                              : a.event->event_id < b.event->event_id;
        });
        out.erase(std::unique(begin, out.end(),
                              [](const Listed& a, const Listed& b) {
                                  return a.event->start_time == b.event->start_time &&
                                         a.event->event_id == b.event->event_id &&
                                         a.event->duration == b.event->duration;
                              }),
                  out.end());
    }
    return out;
}

namespace {

// The user's language as ISO 639-2 codes (bibliographic and terminological form),
// from the locale environment; empty when it names none we know.
std::vector<std::string> userLanguages()
{
    static const struct {
        const char* iso1;
        const char* b;
        const char* t;
    } kCodes[] = {{"cs", "cze", "ces"}, {"da", "dan", "dan"}, {"de", "ger", "deu"}, {"el", "gre", "ell"},
                  {"en", "eng", "eng"}, {"es", "spa", "spa"}, {"fi", "fin", "fin"}, {"fr", "fre", "fra"},
                  {"hu", "hun", "hun"}, {"it", "ita", "ita"}, {"nl", "dut", "nld"}, {"no", "nor", "nor"},
                  {"pl", "pol", "pol"}, {"pt", "por", "por"}, {"ru", "rus", "rus"}, {"sk", "slo", "slk"},
                  {"sv", "swe", "swe"}, {"tr", "tur", "tur"}, {"zh", "chi", "zho"}};
    for (const char* var : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(var);
        if (!v || !*v)
            continue;
        const std::string lang(v, std::min<size_t>(2, std::strlen(v)));
        for (const auto& c : kCodes)
            if (lang == c.iso1)
                return {c.b, c.t};
        return {};
    }
    return {};
}

bool sameLanguage(const eString& code, const std::vector<std::string>& wanted)
{
    std::string lower = code;
    for (char& c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return std::find(wanted.begin(), wanted.end(), lower) != wanted.end();
}

} // namespace

bool LocalEventData::getLocalData(EITEvent* event, eString* name, eString* shortText, eString* extended)
{
    if (!event)
        return false;
    // The short event descriptor in the user's language, else the first one sent.
    const ShortEventDescriptor* chosen = nullptr;
    const std::vector<std::string> wanted = userLanguages();
    for (const auto& d : event->descriptor) {
        auto* s = dynamic_cast<const ShortEventDescriptor*>(d.get());
        if (!s)
            continue;
        if (!chosen)
            chosen = s;
        if (sameLanguage(s->language, wanted)) {
            chosen = s;
            break;
        }
    }
    if (!chosen)
        return false;
    if (name)
        *name = chosen->event_name;
    if (shortText)
        *shortText = chosen->text;
    if (extended)
        extended->clear();
    return true;
}
