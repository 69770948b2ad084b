#include "host/platform/AtomicFile.h"
#include "host/platform/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace host {
namespace {

std::string parentOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool setError(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

AtomicFile::~AtomicFile() { discard(); }

bool AtomicFile::openInRoot(const std::string& receiverPath, std::string* error)
{
    discard();
    m_shown = receiverPath;
    std::string resolved;
    if (!detail::resolveInRoot(receiverPath, true, &resolved))
        return setError(error, "cannot write " + receiverPath + ": " + std::strerror(errno));
    std::string name = baseOf(resolved);
    if (name.empty())
        return setError(error, "cannot write " + receiverPath + ": it is a folder");
    int dir = host::openInRoot(parentOf(resolved), O_RDONLY | O_DIRECTORY);
    if (dir < 0)
        return setError(error, "cannot write " + receiverPath + ": " + std::strerror(errno));
    return openIn(dir, name, error);
}

bool AtomicFile::openHostFile(const std::string& hostFile, std::string* error)
{
    discard();
    m_shown = hostFile;
    std::string name = baseOf(hostFile);
    int dir = ::open(parentOf(hostFile).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0 || name.empty()) {
        int err = dir < 0 ? errno : EISDIR;
        if (dir >= 0)
            ::close(dir);
        return setError(error, "cannot write " + hostFile + ": " + std::strerror(err));
    }
    return openIn(dir, name, error);
}

bool AtomicFile::openIn(int dirFd, const std::string& name, std::string* error)
{
    m_dir = dirFd;
    m_name = name;
    mode_t keep = 0;
    bool existed = false;
    struct stat st {};
    if (fstatat(m_dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        existed = true;
        std::string why;
        if (S_ISLNK(st.st_mode))
            why = "it is a symbolic link";
        else if (S_ISDIR(st.st_mode))
            why = "it is a folder";
        else if (!S_ISREG(st.st_mode))
            why = "it is not a regular file";
        else if (!(st.st_mode & S_IWUSR))
            why = "it is read-only";
        if (!why.empty()) {
            discard();
            return setError(error, "cannot change " + m_shown + ": " + why);
        }
        keep = st.st_mode & 07777;
    }
    std::random_device entropy;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(entropy()));
        m_temp = "." + name + "." + suffix + ".tmp";
        fd = openat(m_dir, m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        int err = errno;
        m_temp.clear();
        discard();
        return setError(error, "cannot write " + m_shown + ": " + std::strerror(err));
    }
    if (existed)
        fchmod(fd, keep);
    m_file = fdopen(fd, "wb");
    if (!m_file) {
        ::close(fd);
        discard();
        return setError(error, "cannot write " + m_shown + ": out of memory");
    }
    return true;
}

bool AtomicFile::commit(std::string* error)
{
    if (!m_file)
        return setError(error, "cannot write " + m_shown + ": not open");
    bool ok = std::ferror(m_file) == 0;
    ok = std::fflush(m_file) == 0 && ok;
    ok = fsync(fileno(m_file)) == 0 && ok;
    int err = errno;
    ok = std::fclose(m_file) == 0 && ok;
    if (!ok && err == 0)
        err = errno;
    m_file = nullptr;
    if (ok && renameat(m_dir, m_temp.c_str(), m_dir, m_name.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        discard();
        return setError(error, "writing " + m_shown + " failed: " + std::strerror(err ? err : EIO));
    }
    m_temp.clear();
    fsync(m_dir); // the rename itself survives a power cut
    discard();
    return true;
}

void AtomicFile::discard()
{
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (m_dir >= 0) {
        if (!m_temp.empty())
            unlinkat(m_dir, m_temp.c_str(), 0);
        ::close(m_dir);
        m_dir = -1;
    }
    m_temp.clear();
}

} // namespace host
