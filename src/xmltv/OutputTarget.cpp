#include "xmltv/OutputTarget.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace xmltv {

OutputTarget::~OutputTarget()
{
    if (m_file && !m_stdout)
        std::fclose(m_file);
    if (!m_temp.empty())
        ::unlink(m_temp.c_str());
}

bool OutputTarget::fail(std::string* error, const std::string& why)
{
    if (error)
        *error = "cannot write " + m_shown + ": " + why;
    return false;
}

bool OutputTarget::open(const std::string& path, std::string* error)
{
    m_shown = path == "-" ? "standard output" : path;
    if (path == "-") {
        m_stdout = true;
        m_file = stdout;
        return true;
    }
    std::string target = path;
    struct stat st {};
    bool exists = ::lstat(path.c_str(), &st) == 0;
    if (!exists && errno != ENOENT)
        return fail(error, std::strerror(errno));
    if (exists && S_ISLNK(st.st_mode)) {
        char* real = ::realpath(path.c_str(), nullptr);
        if (!real)
            return fail(error, std::string("a symbolic link that leads nowhere (") + std::strerror(errno) + ")");
        target = real;
        std::free(real);
        if (::stat(target.c_str(), &st) != 0)
            return fail(error, std::strerror(errno));
    }
    if (exists && (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode))) {
        const int fd = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            return fail(error, std::strerror(errno));
        m_file = ::fdopen(fd, "w");
        if (!m_file) {
            ::close(fd);
            return fail(error, std::strerror(errno));
        }
        return true;
    }
    if (exists && !S_ISREG(st.st_mode))
        return fail(error, S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a file, FIFO or character device");

    std::random_device entropy;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        m_temp = target + "." + std::to_string(entropy()) + std::to_string(entropy()) + ".tmp";
        fd = ::open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        const int err = errno;
        m_temp.clear();
        return fail(error, std::strerror(err));
    }
    if (exists && ::fchmod(fd, st.st_mode & 07777) != 0) {
        const int err = errno;
        ::close(fd);
        return fail(error, std::string("cannot keep its permissions: ") + std::strerror(err));
    }
    m_file = ::fdopen(fd, "w");
    if (!m_file) {
        ::close(fd);
        return fail(error, std::strerror(errno));
    }
    m_target = target;
    return true;
}

bool OutputTarget::commit(std::string* error)
{
    if (!m_file)
        return fail(error, "not open");
    bool ok = std::fflush(m_file) == 0 && !std::ferror(m_file);
    int err = errno;
    if (m_stdout) {
        m_file = nullptr;
        return ok || fail(error, std::strerror(err));
    }
    if (ok && !m_target.empty() && ::fsync(fileno(m_file)) != 0) {
        ok = false;
        err = errno;
    }
    if (std::fclose(m_file) != 0 && ok) {
        ok = false;
        err = errno;
    }
    m_file = nullptr;
    if (ok && !m_target.empty() && std::rename(m_temp.c_str(), m_target.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok)
        return fail(error, std::strerror(err)); // the destructor removes the temporary file
    m_temp.clear();
    return true;
}

} // namespace xmltv
