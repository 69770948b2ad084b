#include "host/platform/FileSystem.h"
#include "host/platform/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace host {
namespace {

std::string g_root;
bool g_fallbackForced = false;
constexpr int kMaxLinks = 40; // as the kernel's own limit

std::vector<std::string> splitPath(const std::string& path)
{
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= path.size()) {
        size_t j = path.find('/', i);
        if (j == std::string::npos)
            j = path.size();
        if (j > i)
            parts.push_back(path.substr(i, j - i));
        i = j + 1;
    }
    return parts;
}

std::string joinPath(const std::vector<std::string>& parts)
{
    std::string out;
    for (const auto& p : parts)
        out += "/" + p;
    return out.empty() ? "/" : out;
}

std::string onHost(const std::string& resolved)
{
    if (g_root.empty())
        return resolved;
    return resolved == "/" ? g_root : g_root + resolved;
}

std::string describe(int err) { return std::strerror(err); }

int openRoot()
{
    return ::open(g_root.empty() ? "/" : g_root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

// openat2 where the kernel has it: -2 when it does not (or a filter forbids it).
int openWithOpenat2(const std::string& receiverPath, int flags, mode_t mode)
{
    if (g_fallbackForced)
        return -2;
    int root = openRoot();
    if (root < 0)
        return -1;
    open_how how {};
    how.flags = static_cast<unsigned long long>(flags | O_CLOEXEC);
    how.mode = (flags & (O_CREAT | O_TMPFILE)) ? mode : 0;
    how.resolve = RESOLVE_IN_ROOT | RESOLVE_NO_MAGICLINKS;
    std::string rel = receiverPath;
    while (!rel.empty() && rel.front() == '/')
        rel.erase(0, 1);
    if (rel.empty())
        rel = ".";
    long fd = syscall(SYS_openat2, root, rel.c_str(), &how, sizeof how);
    int err = errno;
    ::close(root);
    if (fd < 0 && (err == ENOSYS || err == EPERM))
        return -2;
    errno = err;
    return static_cast<int>(fd);
}

} // namespace

void setFileSystemRoot(const std::string& dir)
{
    g_root = dir;
    while (g_root.size() > 1 && g_root.back() == '/')
        g_root.pop_back();
    if (g_root == "/")
        g_root.clear();
}

const std::string& fileSystemRoot() { return g_root; }

namespace detail {

void setResolveFallbackForced(bool forced) { g_fallbackForced = forced; }

bool resolveInRoot(const std::string& receiverPath, bool followLast, std::string* resolved)
{
    // Parts still to walk, the next one last; parts already resolved in order.
    std::vector<std::string> todo = splitPath(receiverPath);
    std::reverse(todo.begin(), todo.end());
    std::vector<std::string> done;
    int links = 0;
    while (!todo.empty()) {
        std::string part = todo.back();
        todo.pop_back();
        if (part == ".")
            continue;
        if (part == "..") {
            if (!done.empty())
                done.pop_back();
            continue;
        }
        done.push_back(part);
        if (todo.empty() && !followLast)
            break;
        std::string candidate = onHost(joinPath(done));
        struct stat st {};
        if (lstat(candidate.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            continue;
        if (++links > kMaxLinks) {
            errno = ELOOP;
            return false;
        }
        char target[PATH_MAX];
        ssize_t n = readlink(candidate.c_str(), target, sizeof target - 1);
        if (n < 0)
            return false;
        target[n] = '\0';
        done.pop_back();
        if (target[0] == '/')
            done.clear(); // absolute links start again at the root
        std::vector<std::string> more = splitPath(target);
        for (auto it = more.rbegin(); it != more.rend(); ++it)
            todo.push_back(*it);
    }
    *resolved = joinPath(done);
    return true;
}

} // namespace detail

std::string hostPath(const std::string& receiverPath)
{
    std::string resolved;
    if (!detail::resolveInRoot(receiverPath, true, &resolved)) {
        // A link loop: the lexical path, which open() then refuses with ELOOP.
        std::vector<std::string> done;
        for (const auto& part : splitPath(receiverPath)) {
            if (part == "..") {
                if (!done.empty())
                    done.pop_back();
            } else if (part != ".") {
                done.push_back(part);
            }
        }
        resolved = joinPath(done);
    }
    std::string out = onHost(resolved);
    if (!receiverPath.empty() && receiverPath.back() == '/' && resolved != "/")
        out += "/";
    return out;
}

int openInRoot(const std::string& receiverPath, int flags, mode_t mode)
{
    int fd = openWithOpenat2(receiverPath, flags, mode);
    if (fd != -2)
        return fd;
    std::string resolved;
    if (!detail::resolveInRoot(receiverPath, !(flags & O_NOFOLLOW), &resolved))
        return -1;
    // Resolved already: a link appearing in between is refused, not followed.
    return ::open(onHost(resolved).c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode);
}

bool makeDirectories(const std::string& receiverPath)
{
    // Every existing link on the way is followed inside the root; what is
    // missing is then created along the resolved path.
    std::string resolved;
    if (!detail::resolveInRoot(receiverPath, true, &resolved))
        return false;
    std::vector<std::string> prefix;
    for (const auto& part : splitPath(resolved)) {
        prefix.push_back(part);
        if (mkdir(onHost(joinPath(prefix)).c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    int fd = openInRoot(receiverPath, O_PATH | O_DIRECTORY);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

namespace {

bool readOpened(int fd, const std::string& shown, std::string* data, size_t maxBytes, std::string* error)
{
    auto fail = [&](const std::string& why, int err) {
        if (error)
            *error = shown + " " + why;
        ::close(fd);
        errno = err;
        return false;
    };
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return fail("cannot be read: " + describe(errno), errno);
    if (S_ISDIR(st.st_mode))
        return fail("is a folder, not a file", EISDIR);
    if (!S_ISREG(st.st_mode))
        return fail(std::string("is not a regular file (") +
                        (S_ISFIFO(st.st_mode) ? "a FIFO" : S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) ? "a device" : "a special file") + ")",
                    EINVAL);
    if (static_cast<unsigned long long>(st.st_size) > maxBytes)
        return fail("is larger than " + std::to_string(maxBytes) + " bytes", EFBIG);
    // Blocking reads from here on: it is a regular file.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::string out;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail("cannot be read: " + describe(errno), errno);
        if (n == 0)
            break;
        out.append(buf, static_cast<size_t>(n));
        if (out.size() > maxBytes) // it grew while being read
            return fail("is larger than " + std::to_string(maxBytes) + " bytes", EFBIG);
    }
    ::close(fd);
    *data = std::move(out);
    return true;
}

constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

} // namespace

bool readRegularFile(const std::string& receiverPath, std::string* data, size_t maxBytes, std::string* error)
{
    int fd = openInRoot(receiverPath, kReadFlags);
    if (fd < 0) {
        int err = errno;
        if (error)
            *error = receiverPath + " cannot be opened: " + describe(err);
        errno = err;
        return false;
    }
    return readOpened(fd, receiverPath, data, maxBytes, error);
}

bool readRegularHostFile(const std::string& hostFile, std::string* data, size_t maxBytes, std::string* error)
{
    int fd = ::open(hostFile.c_str(), kReadFlags);
    if (fd < 0) {
        int err = errno;
        if (error)
            *error = hostFile + " cannot be opened: " + describe(err);
        errno = err;
        return false;
    }
    return readOpened(fd, hostFile, data, maxBytes, error);
}

bool writeFileInRoot(const std::string& receiverPath, const std::string& data, std::string* error)
{
    AtomicFile file;
    if (!file.openInRoot(receiverPath, error))
        return false;
    if (std::fwrite(data.data(), 1, data.size(), file.stream()) != data.size()) {
        if (error)
            *error = "writing " + receiverPath + " failed: " + describe(errno);
        return false;
    }
    return file.commit(error);
}

bool writeFileAtomically(const std::string& hostFile, const std::string& data)
{
    AtomicFile file;
    if (!file.openHostFile(hostFile, nullptr))
        return false;
    if (std::fwrite(data.data(), 1, data.size(), file.stream()) != data.size())
        return false;
    return file.commit(nullptr);
}

} // namespace host
