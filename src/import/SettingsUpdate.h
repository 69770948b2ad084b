#pragma once
// The plug-in's orvalis.cfg after an import: what a completed logging run saves
// (LogDate, LogValue, LogPos) and the channel filter for the new channel list;
// every other line stays as it is. Lines are classified by the plug-in's own
// rule (the first of its keys found anywhere in the line).
#include <array>
#include <string>

namespace importer {

struct SavedSettings {
    bool found = false;
    int logDate = 0;
    std::string filters;           // channFilters, one flag per channel index
    std::string offlinePath = "/hdd/orvalis/";
    bool earlyMorningRule = false; // the EPG service's namespace holds 8200
};

struct LogFigures {
    int logDate = 0;
    std::array<int, 4> counts{}; // channels, themes, titles, summaries
    std::array<int, 8> positions{};
    std::string filters;
    bool useOffline = false; // also switch the plug-in to the offline files
};

class SettingsUpdate {
public:
    static SavedSettings read(const std::string& text);
    // The file with the figures in place; an empty text gives a whole new file.
    static std::string apply(const std::string& text, const LogFigures& figures);
};

} // namespace importer
