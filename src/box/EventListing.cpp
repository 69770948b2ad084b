#include "box/EventListing.h"

#include "host/service/eEPGCache.h"
#include "host/service/eServiceInterface.h"

#include <cstdio>
#include <ctime>
#include <map>
#include <tuple>

namespace box {
namespace {

// One line per event: tabs and line breaks inside a text become blanks.
std::string oneLine(std::string s)
{
    for (char& c : s)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return s;
}

} // namespace

std::string eventListing()
{
    std::map<std::tuple<int, int, int>, std::string> names;
    for (const auto& e : eServiceInterface::getInstance()->services())
        names.emplace(std::make_tuple(e.ref.data[1], e.ref.data[2], e.ref.data[3]), e.name);

    std::string out;
    char line[128];
    for (const auto& listed : eEPGCache::instance->list()) {
        auto known = names.find(std::make_tuple(listed.sid, listed.tsid, listed.onid));
        if (known != names.end()) {
            out += oneLine(known->second);
        } else {
            std::snprintf(line, sizeof line, "1:0:1:%X:%X:%X:0:0:0:0:", listed.sid, listed.tsid, listed.onid);
            out += line;
        }
        const EITEvent& e = *listed.event;
        struct tm utc = {};
        time_t start = e.start_time;
        gmtime_r(&start, &utc);
        std::snprintf(line, sizeof line, "\t%04d-%02d-%02d %02d:%02d:%02d\t%d:%02d:%02d\t", utc.tm_year + 1900,
                      utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, e.duration / 3600,
                      e.duration / 60 % 60, e.duration % 60);
        out += line;
        eString name;
        LocalEventData().getLocalData(const_cast<EITEvent*>(&e), &name);
        out += oneLine(name);
        out += '\n';
    }
    return out;
}

} // namespace box
