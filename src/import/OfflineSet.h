#pragma once
// Puts an import's four offline files and the settings in place as one set.
// Everything is written and synced first; the four files then go in together as
// a logging run's do (one generation of the folder, switched by one rename), and
// the settings follow. Until then, and after any failure, the previous files and
// settings stay as they were. Paths are receiver paths inside the box's root
// (host::setFileSystemRoot), or paths of this machine when no root is set.
#include <array>
#include <string>

namespace importer {

struct OfflineSet {
    std::string directory;  // the offline folder
    std::array<std::string, 4> files; // channels.gep, themes.gep, titles.gep, summaries.gep
    std::string configFile;
    std::string config;
};

class OfflineSetWriter {
public:
    static constexpr const char* kNames[4] = {"channels.gep", "themes.gep", "titles.gep", "summaries.gep"};

    // False with *error naming the file when any part of the set could not be written.
    static bool commit(const OfflineSet& set, std::string* error);
};

} // namespace importer
