#include "import/OfflineSet.h"

#include "host/platform/AtomicFile.h"
#include "host/platform/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace importer {
namespace {

std::string inFolder(const std::string& dir, const char* name)
{
    return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

} // namespace

OfflineSetLock::OfflineSetLock(const std::string& directory)
{
    const std::string path = inFolder(directory, OfflineSetWriter::kLockFile);
    m_fd = host::openInRoot(path, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (m_fd < 0) {
        m_error = path + ": cannot make the lock file (" + std::strerror(errno) + ")";
        return;
    }
    // Never waits: a run that is writing the folder now is said so, not queued behind.
    if (flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        m_error = errno == EWOULDBLOCK ? "another logging run or import is writing " + directory
                                       : path + ": cannot lock (" + std::strerror(errno) + ")";
        close(m_fd);
        m_fd = -1;
    }
}

OfflineSetLock::~OfflineSetLock()
{
    if (m_fd >= 0)
        close(m_fd); // releases the lock
}

bool OfflineSetLock::held(std::string* error) const
{
    if (m_fd < 0 && error)
        *error = m_error;
    return m_fd >= 0;
}

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
