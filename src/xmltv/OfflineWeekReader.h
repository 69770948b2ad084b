#pragma once
// Reads the week from the offline files of a logging run (channels.gep, themes.gep,
// titles.gep, summaries.gep) and the plug-in's configuration file, whose LogDate is
// the time of that run and whose EPG service tells whether the days of early-morning
// programmes were already moved to the broadcast day.
#include "xmltv/Week.h"

#include <ctime>
#include <string>

namespace xmltv {

class OfflineWeekReader {
public:
    OfflineWeekReader(std::string directory, std::string configFile)
        : m_dir(std::move(directory)), m_config(std::move(configFile))
    {
    }

    // False with *error naming the file (and line) when one is missing or malformed.
    // A configuration file without a LogDate is an error only when needLogDate is set.
    bool read(Week& week, std::string* error, bool needLogDate = true);

    std::time_t logDate() const { return m_logDate; }

    // The receiver's configuration file inside a box's file system root (the first of
    // the plug-in folders that holds orvalis.cfg) and the offline folder it names
    // (OfflinePath, by default /hdd/orvalis/), also inside the root. False when
    // there is no configuration file.
    static bool locateInRoot(const std::string& root, std::string* configFile, std::string* directory);

private:
    bool readConfig(std::string* error, bool needLogDate);
    bool readChannels(Week& week, std::string* error) const;
    bool readThemes(Week& week, std::string* error) const;
    bool readTitles(Week& week, std::string* error) const;
    bool readSummaries(Week& week, std::string* error) const;
    std::string file(const char* name) const;

    std::string m_dir;
    std::string m_config;
    std::time_t m_logDate = 0;
    bool m_daysCarryEarlyMorningRule = false;
};

} // namespace xmltv
