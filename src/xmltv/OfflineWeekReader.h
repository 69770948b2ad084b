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
    // With inRoot the paths are receiver paths, resolved inside the box's root
    // (host::setFileSystemRoot) as the box resolves them; else paths of this machine.
    OfflineWeekReader(std::string directory, std::string configFile, bool inRoot = false)
        : m_dir(std::move(directory)), m_config(std::move(configFile)), m_inRoot(inRoot)
    {
    }

    // Each file is read whole, and only when it is a regular file of at most this size:
    // a FIFO, a device or a folder in its place is an error, never a wait.
    static constexpr size_t kMaxFileBytes = size_t(128) << 20;

    // False with *error naming the file (and line) when one is missing or malformed.
    // A configuration file without a LogDate is an error only when needLogDate is set.
    bool read(Week& week, std::string* error, bool needLogDate = true);

    std::time_t logDate() const { return m_logDate; }

    // The receiver's configuration file inside a box's file system root (the first of
    // the plug-in folders that holds orvalis.cfg) and the offline folder it names
    // (OfflinePath, by default /hdd/orvalis/), as receiver paths for a reader with
    // inRoot. Makes root the file system root (host::setFileSystemRoot). False with
    // *error when root is no folder or no plug-in folder holds the configuration.
    static bool locateInRoot(const std::string& root, std::string* configFile, std::string* directory,
                             std::string* error);

private:
    template <class Take>
    bool eachLine(const std::string& path, std::string* error, Take take) const;
    bool readConfig(std::string* error, bool needLogDate);
    bool readChannels(Week& week, std::string* error) const;
    bool readThemes(Week& week, std::string* error) const;
    bool readTitles(Week& week, std::string* error) const;
    bool readSummaries(Week& week, std::string* error) const;
    std::string file(const char* name) const;

    std::string m_dir;
    std::string m_config;
    bool m_inRoot = false;
    std::time_t m_logDate = 0;
    bool m_daysCarryEarlyMorningRule = false;
};

} // namespace xmltv
