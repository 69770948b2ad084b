#include "import/OfflineSet.h"

#include "host/platform/AtomicFile.h"
#include "host/platform/FileSystem.h"
#include "offline/LogFileSet.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <vector>

namespace importer {
namespace {

std::string inFolder(const std::string& dir, const char* name)
{
    return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

} // namespace

bool OfflineSetWriter::commit(const OfflineSet& set, std::string* error)
{
    // The four files go in as one set, exactly as a logging run puts its own: a
    // reader of the folder sees the previous set or this one, never a mix.
    offline::LogFileSet files(set.directory);
    for (size_t i = 0; i < set.files.size(); ++i) {
        const std::string target = inFolder(set.directory, kNames[i]);
        FILE* f = files.create(kNames[i]);
        if (!f) {
            *error = target + ": cannot create (" + std::strerror(errno) + ")";
            return false;
        }
        const std::string& text = set.files[i];
        const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
        if (!files.finish(f) || !written) {
            *error = target + ": cannot write (" + std::strerror(errno) + ")";
            return false; // the new generation goes with the set
        }
    }
    // The settings are made ready before the files go in, and follow them at once.
    host::AtomicFile config;
    if (!config.openInRoot(set.configFile, error))
        return false;
    FILE* s = config.stream();
    if (std::fwrite(set.config.data(), 1, set.config.size(), s) != set.config.size() || std::fflush(s) != 0 ||
        fsync(fileno(s)) != 0) {
        *error = set.configFile + ": cannot write (" + std::strerror(errno) + ")";
        return false;
    }
    if (!files.commit()) {
        *error = set.directory + ": the new files cannot be put in place; the previous ones are kept";
        return false;
    }
    // A crash between the two leaves the new files with the previous settings; the
    // plug-in trusts a day position only where a line of that day begins, so it
    // still browses them.
    if (!config.commit(error)) {
        *error = set.configFile + ": " + *error;
        return false;
    }
    return true;
}

} // namespace importer
