#pragma once
// The files of one offline logging run, put in place all together or not at all.
//
// Each offline file name is a symbolic link "NAME -> .gep.set/NAME", and ".gep.set"
// is a link to the generation folder ".gep.set-XXXXXX" that holds the current four
// files. A run writes a new generation folder; commit() then points ".gep.set" at
// it with one rename, so a reader opening the names always sees one run's whole
// set, and a run that fails or is killed leaves the previous set as it was. Where
// the file system has no symbolic links the files are renamed into place one by
// one, and a failed rename puts the earlier ones back.
//
// A run holds the lock ".gep.lock" of the directory from lock() to its end, so
// that two boxes on one root never write the same directory at once.
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
    ~LogFileSet(); // removes whatever was not committed, releases the lock
    LogFileSet(const LogFileSet&) = delete;
    LogFileSet& operator=(const LogFileSet&) = delete;

    // Takes the directory's lock without waiting. False, with *error set, when
    // another run holds it; a directory without room for the lock file is not
    // locked (its writers then fail on their own).
    bool lock(std::string* error);
    // A new file of the run that will become name; null when it cannot be created.
    FILE* create(const char* name);
    // Flushes, syncs and closes a file from create(); false when any of it failed
    // (the file then stays out of the set).
    bool finish(FILE* file);
    // Puts every finished file in place at once; false, with the previous set
    // untouched, when that cannot be done.
    bool commit();
    // Removes what runs that were killed left in the directory.
    void removeLeftovers();

    // Tests only: commit as on a file system without symbolic links.
    static void setLinksUnsupportedForTests(bool unsupported);

private:
    struct Pending {
        std::string name;
        FILE* file = nullptr;
        bool finished = false;
    };
    bool openDirectory();
    bool commitByLinks();
    bool commitByRenames();
    bool linkNames();
    std::string currentGeneration() const;

    std::string m_dir;
    int m_dirFd = -1;
    int m_lockFd = -1;
    int m_genFd = -1;
    std::string m_generation; // name of this run's generation folder, empty before the first create()
    bool m_committed = false;
    std::vector<Pending> m_files;
};

} // namespace offline
