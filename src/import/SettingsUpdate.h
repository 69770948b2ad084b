#pragma once
// The plug-in's orvalis.cfg after an import: what a completed logging run saves
// (LogDate, LogValue, LogPos) and the channel filter for the new channel list;
// every other line stays as it is. Lines are classified by the plug-in's own
// rule (the first of its keys found anywhere in the line).
#include "import/Guide.h"

#include <array>
#include <string>
#include <vector>

namespace importer {

struct SavedSettings {
    bool found = false;
    int logDate = 0;
    std::string filters;           // channFilters, one flag per channel index
    std::string offlinePath = "/hdd/orvalis/";
    bool earlyMorningRule = false; // the EPG service's namespace holds 8200
    std::string epgService;        // its reference, empty when no service is set
};

struct LogFigures {
    int logDate = 0;
    std::array<int, 4> counts{}; // channels, themes, titles, summaries
    std::array<int, 8> positions{};
    std::string filters;
    bool useOffline = false; // also switch the plug-in to the offline files
    std::string epgService;  // when not empty, the EPG service to set in place of the file's
};

class SettingsUpdate {
public:
    static SavedSettings read(const std::string& text);
    static bool earlyMorningRule(const std::string& epgReference);
    // The file with the figures in place; an empty text gives a whole new file.
    static std::string apply(const std::string& text, const LogFigures& figures);
    // The channel filter for a new channel list: a service the previous channels.gep
    // listed keeps the flag it had there (hidden stays hidden), any other is shown.
    static std::string carriedFilters(const std::string& previousChannels, const std::string& previousFlags,
                                      const std::vector<ServiceKey>& services);
};

} // namespace importer
