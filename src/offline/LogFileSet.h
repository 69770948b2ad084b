#pragma once
// The files of one offline logging run. Each is written under a fresh temporary
// name beside its final one; only commit() renames them into place, so a run that
// fails or is killed leaves the previous complete set untouched.
#include <cstdio>
#include <string>
#include <vector>

namespace offline {

constexpr const char* kChannelsFile = "channels.gep";
constexpr const char* kThemesFile = "themes.gep";
constexpr const char* kTitlesFile = "titles.gep";
constexpr const char* kSummariesFile = "summaries.gep";

// The logging run's rule for the offline path: a "/" is appended whenever the
// path is not empty and does not end in one.
std::string withTrailingSlash(const std::string& path);

// Receiver path of an offline file: the directory text, a "/" when it lacks one,
// then the name. An empty directory gives an empty path (no file).
std::string offlineFile(const std::string& dir, const char* name);

// Creates the one directory level the receiver path names (its parent must
// exist: a missing mount point is never made). True when it exists afterwards.
bool makeOfflineDirectory(const std::string& dir);
bool offlineDirectoryExists(const std::string& dir);

class LogFileSet {
public:
    explicit LogFileSet(std::string dir);
    ~LogFileSet(); // removes whatever was not committed
    LogFileSet(const LogFileSet&) = delete;
    LogFileSet& operator=(const LogFileSet&) = delete;

    // A new temporary file that will become name; null when it cannot be created.
    FILE* create(const char* name);
    // Flushes, syncs and closes a file from create(); false when any of it failed
    // (the file then stays out of the set).
    bool finish(FILE* file);
    // Renames every finished file into place; false when any rename failed.
    bool commit();
    // Removes the temporaries a run that was killed left in the directory.
    void removeLeftovers() const;

private:
    struct Pending {
        std::string temp; // host path
        std::string target; // host path
        FILE* file = nullptr;
        bool finished = false;
    };
    std::string m_dir;
    std::vector<Pending> m_files;
};

} // namespace offline
