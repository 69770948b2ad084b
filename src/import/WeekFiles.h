#pragma once
// Fits a guide into the plug-in's week and writes the four offline files as a
// logging run writes them: channels in the source's order, the theme table,
// the titles in broadcast-day order (06:00 to 05:59) from the week's first day
// with where each day begins, and one summary line per distinct description.
#include "import/ChannelMap.h"
#include "import/Guide.h"
#include "import/ThemeTable.h"

#include <array>
#include <ctime>
#include <string>
#include <vector>

namespace importer {

struct WeekOptions {
    std::time_t firstDay = 0;      // any time of the week's first broadcast day
    bool earlyMorningRule = false; // the EPG service files 00:00-05:59 under the day before with hours 0-5
    int previousLogDate = 0;       // what a logging run writes in the files' first lines
};

struct OfflineTexts {
    std::string channels, themes, titles, summaries;
    std::array<int, 8> positions{}; // LogPos
    int channelCount = 0, themeCount = 0, titleCount = 0, summaryCount = 0;
    std::vector<ServiceKey> services; // of channel line i
    size_t beforeWeek = 0, afterWeek = 0;
};

class WeekFiles {
public:
    static constexpr int kDays = 8; // seven days and the one beyond, which the files call day 7
    static constexpr std::time_t kLastTime = 0x7FFFFFFF; // the plug-in's clock, LogDate included

    static OfflineTexts build(const SourceGuide& guide, const ChannelMap& channels, const WeekOptions& options,
                              Report& report);

    // Broadcast day of a time: days since 1970 of the calendar date, less one before 06:00.
    static long broadcastDay(std::time_t t, int* hourOfDay = nullptr, int* minute = nullptr);
};

} // namespace importer
