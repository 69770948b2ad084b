#include "import/OfflineSet.h"

#include "host/platform/AtomicFile.h"
#include "host/platform/FileSystem.h"

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
    std::vector<std::unique_ptr<host::AtomicFile>> files;
    std::vector<std::string> targets;
    for (size_t i = 0; i < set.files.size(); ++i)
        targets.push_back(inFolder(set.directory, kNames[i]));
    targets.push_back(set.configFile);

    for (size_t i = 0; i < targets.size(); ++i) {
        const std::string& text = i < set.files.size() ? set.files[i] : set.config;
        auto f = std::make_unique<host::AtomicFile>();
        if (!f->openInRoot(targets[i], error))
            return false;
        FILE* s = f->stream();
        if (std::fwrite(text.data(), 1, text.size(), s) != text.size() || std::fflush(s) != 0 ||
            fsync(fileno(s)) != 0) {
            *error = targets[i] + ": cannot write (" + std::strerror(errno) + ")";
            return false; // the temporaries go with their AtomicFile
        }
        files.push_back(std::move(f));
    }
    // All synced: the renames follow one another with nothing in between, the
    // settings last. A crash inside that short window can leave new files with
    // the previous settings; the plug-in trusts a day position only where a line
    // of that day begins, so it still browses them.
    for (size_t i = 0; i < files.size(); ++i)
        if (!files[i]->commit(error)) {
            *error = targets[i] + ": " + *error;
            return false;
        }
    return true;
}

} // namespace importer
