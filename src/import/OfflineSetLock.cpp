#include "import/OfflineSetLock.h"

#include "host/platform/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace importer {

OfflineSetLock::OfflineSetLock(const std::string& directory)
{
    const std::string path = directory + (directory.empty() || directory.back() == '/' ? "" : "/") + ".gep.lock";
    m_fd = host::openInRoot(path, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (m_fd < 0) {
        m_error = path + ": cannot make the lock file (" + std::strerror(errno) + ")";
        return;
    }
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

} // namespace importer
