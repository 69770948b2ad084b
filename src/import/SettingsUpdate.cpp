#include "import/SettingsUpdate.h"

#include "import/ChannelMap.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

namespace importer {
namespace {

// The plug-in's keys in the order it tests them.
const char* const kKeys[] = {"type=",       "EPGService", "FontDim=", "TimerStart", "TimerEnd",
                             "LocalTimeOffset", "OfflinePath", "OfflineLog", "LogDate", "LogValue",
                             "LogPos",      "channFilters", ">"};

std::string keyOf(const std::string& line)
{
    for (const char* k : kKeys)
        if (line.find(k) != std::string::npos)
            return k;
    return std::string();
}

std::string valueOf(const std::string& line)
{
    const size_t eq = line.find('=');
    return eq == std::string::npos ? line : line.substr(eq + 1);
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    size_t from = 0;
    while (from < text.size()) {
        size_t nl = text.find('\n', from);
        if (nl == std::string::npos)
            nl = text.size();
        out.push_back(text.substr(from, nl - from));
        from = nl + 1;
    }
    return out;
}

std::string logLines(const LogFigures& f)
{
    std::string s = "LogDate=" + std::to_string(f.logDate) + "\nLogValue=";
    for (size_t i = 0; i < f.counts.size(); ++i)
        s += (i ? "," : "") + std::to_string(f.counts[i]);
    s += "\nLogPos=";
    for (size_t i = 0; i < f.positions.size(); ++i)
        s += (i ? "," : "") + std::to_string(f.positions[i]);
    return s + "\n";
}

} // namespace

SavedSettings SettingsUpdate::read(const std::string& text)
{
    SavedSettings s;
    s.found = !text.empty();
    for (const std::string& line : lines(text)) {
        const std::string key = keyOf(line);
        if (key == "LogDate") {
            s.logDate = std::atoi(valueOf(line).c_str());
        } else if (key == "channFilters") {
            s.filters = valueOf(line);
        } else if (key == "OfflinePath") {
            s.offlinePath = valueOf(line);
        } else if (key == "EPGService") {
            const std::string ref = valueOf(line);
            s.earlyMorningRule = earlyMorningRule(ref);
            // The box writes -1:0:0:... and a new file 1:0:1:0:... for "none": a service
            // with neither id nor namespace is none.
            ServiceKey key;
            s.epgService = ChannelMap::parseReference(ref, key) && key.sid && ChannelMap::namespaceOf(ref)
                               ? ref
                               : std::string();
        }
    }
    return s;
}

bool SettingsUpdate::earlyMorningRule(const std::string& ref)
{
    // 1:0:1:SID:TSID:ONID:NAMESPACE:... - the namespace is the seventh field.
    std::vector<std::string> fields;
    for (size_t from = 0;;) {
        const size_t colon = ref.find(':', from);
        fields.push_back(ref.substr(from, colon == std::string::npos ? std::string::npos : colon - from));
        if (colon == std::string::npos)
            break;
        from = colon + 1;
    }
    return fields.size() > 6 && fields[6].find("8200") != std::string::npos;
}

std::string SettingsUpdate::apply(const std::string& text, const LogFigures& f)
{
    const std::string filter = "channFilters=" + f.filters + "\n";
    const std::string mode = "OfflineLog=1\n";
    if (text.empty()) {
        // A new file in the plug-in's own layout, with its start-up settings.
        return "name=Orvalis\ndesc=Weekly programme guide\ndepend=\ntype=2\nneedfb=0\nneedrc=0\nneedlcd=0\n"
               "enigmaplugin=1\nEPGService=" +
               (f.epgService.empty() ? std::string("1:0:1:0:0:0:0:0:0:0:") : f.epgService) + "\nFontDim=20,17\nTimerStart=0\nTimerEnd=0\n"
               "LocalTimeOffset=0\n" +
               filter + "OfflinePath=/hdd/orvalis/\n" + (f.useOffline ? mode : "OfflineLog=0\n") + logLines(f) +
               "LastSearch:\n";
    }
    // The figures go where the plug-in writes them: the filter before OfflinePath,
    // the log lines after OfflineLog (the out-of-date warning reads that first); a
    // chosen EPG service in place of the file's, or before the filter when it has none.
    std::string out, epg = f.epgService.empty() ? std::string() : "EPGService=" + f.epgService + "\n";
    bool filterDone = false, logDone = false;
    const auto putFilter = [&] {
        out += epg + filter;
        epg.clear();
        filterDone = true;
    };
    for (const std::string& line : lines(text)) {
        const std::string key = keyOf(line);
        if (key == "channFilters" || key == "LogDate" || key == "LogValue" || key == "LogPos")
            continue;
        if (key == "EPGService" && !f.epgService.empty()) {
            out += epg;
            epg.clear();
            continue;
        }
        if (key == "OfflinePath" && !filterDone)
            putFilter();
        if (key == "OfflineLog") {
            out += f.useOffline ? mode : line + "\n";
            if (!logDone)
                out += logLines(f);
            logDone = true;
            continue;
        }
        if (line.rfind("LastSearch:", 0) == 0) {
            if (!filterDone)
                putFilter();
            if (!logDone)
                out += (f.useOffline ? mode : std::string()) + logLines(f);
            logDone = true;
        }
        out += line + "\n";
    }
    if (!filterDone)
        putFilter();
    if (!logDone)
        out += (f.useOffline ? mode : std::string()) + logLines(f);
    return out;
}

std::string SettingsUpdate::carriedFilters(const std::string& previousChannels, const std::string& previousFlags,
                                           const std::vector<ServiceKey>& services)
{
    std::map<ServiceKey, char> flags;
    size_t index = 0;
    for (const std::string& line : lines(previousChannels)) {
        const size_t sep = line.find("<>");
        if (sep == std::string::npos || sep == 0)
            continue; // by the plug-in's rule no channel, and no index
        unsigned sid = 0, tsid = 0, onid = 0;
        if (std::sscanf(line.c_str() + sep + 2, "%x:%x:%x", &sid, &tsid, &onid) == 3 && index < previousFlags.size())
            flags.emplace(ServiceKey{uint16_t(onid), uint16_t(tsid), uint16_t(sid)}, previousFlags[index]);
        ++index;
    }
    std::string out;
    for (const ServiceKey& s : services) {
        auto f = flags.find(s);
        out += f != flags.end() && f->second != '1' ? '0' : '1';
    }
    return out;
}

} // namespace importer
