#include "offline/LogFileSet.h"
#include "host/platform/FileSystem.h"
#include "offline/GepFile.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace offline {
namespace {

const char* const kNames[] = {kChannelsFile, kThemesFile, kTitlesFile, kSummariesFile};
constexpr const char* kSetLink = ".gep.set";
constexpr const char* kGenerationPrefix = ".gep.set-";
constexpr const char* kNewSetPrefix = ".gep.set.new-";
constexpr const char* kLockFile = ".gep.lock";
bool g_linksUnsupported = false;

std::string randomSuffix()
{
    static std::mt19937 rng(static_cast<unsigned>(std::random_device()() ^ getpid() ^
                                                  std::chrono::steady_clock::now().time_since_epoch().count()));
    static const char chars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string s(6, 'x');
    for (char& c : s)
        c = chars[rng() % (sizeof chars - 1)];
    return s;
}

bool startsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// The target of a symbolic link in dir, or nothing for anything else.
bool linkTarget(int dir, const std::string& name, std::string* target)
{
    char buf[256];
    const ssize_t n = readlinkat(dir, name.c_str(), buf, sizeof buf - 1);
    if (n < 0)
        return false;
    target->assign(buf, static_cast<size_t>(n));
    return true;
}

bool isSetLink(int dir, const char* name)
{
    std::string target;
    return linkTarget(dir, name, &target) && target == std::string(kSetLink) + "/" + name;
}

bool syncDirectory(int dir)
{
    const int fd = openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = fsync(fd) == 0;
    close(fd);
    return ok;
}

// Removes a generation folder and the files in it (it holds no folders).
void removeTree(int dir, const std::string& name)
{
    const int fd = openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        if (DIR* d = fdopendir(fd)) {
            std::vector<std::string> names;
            while (dirent* e = readdir(d))
                if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                    names.push_back(e->d_name);
            for (const auto& n : names)
                unlinkat(fd, n.c_str(), 0);
            closedir(d); // closes fd
        } else {
            close(fd);
        }
    }
    unlinkat(dir, name.c_str(), AT_REMOVEDIR);
}

// A new folder dir/prefix + six random characters; its name, or empty.
std::string makeFolder(int dir, const std::string& prefix)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix + randomSuffix();
        if (mkdirat(dir, name.c_str(), 0755) == 0)
            return name;
        if (errno != EEXIST)
            return std::string();
    }
    return std::string();
}

// A new symbolic link dir/prefix + six random characters -> target; its name, or
// empty with errno set.
std::string makeLink(int dir, const std::string& prefix, const std::string& target)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix + randomSuffix();
        if (symlinkat(target.c_str(), dir, name.c_str()) == 0)
            return name;
        if (errno != EEXIST)
            return std::string();
    }
    return std::string();
}

bool linksUnsupported(int err) { return err == EPERM || err == EOPNOTSUPP || err == ENOSYS; }

// Puts what dir/name shows now into folder/name: a hard link of a regular file,
// else a copy of what the name leads to inside the root (a regular file only).
// True also when there is nothing to keep.
bool preserve(int dir, const std::string& dirPath, const char* name, int folder)
{
    struct stat st {};
    if (fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    const std::string temp = std::string(".") + name + ".keep-" + randomSuffix();
    if (S_ISREG(st.st_mode) && linkat(dir, name, folder, temp.c_str(), 0) == 0)
        return renameat(folder, temp.c_str(), folder, name) == 0;
    GepFile source;
    if (!source.open(dirPath, name))
        return true; // nothing a reader could read: nothing to keep
    const int out = openat(folder, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (out < 0)
        return false;
    bool ok = true;
    char buf[65536];
    size_t n;
    while (ok && (n = std::fread(buf, 1, sizeof buf, source.stream())) > 0)
        ok = write(out, buf, n) == static_cast<ssize_t>(n);
    ok = ok && !std::ferror(source.stream()) && fsync(out) == 0;
    ok = close(out) == 0 && ok;
    ok = ok && renameat(folder, temp.c_str(), folder, name) == 0;
    if (!ok)
        unlinkat(folder, temp.c_str(), 0);
    return ok;
}

} // namespace

std::string withTrailingSlash(const std::string& path)
{
    if (path.empty() || path.back() == '/')
        return path;
    return path + "/";
}

std::string offlineFile(const std::string& dir, const char* name)
{
    if (dir.empty())
        return std::string();
    return withTrailingSlash(dir) + name;
}

bool offlineDirectoryExists(const std::string& dir)
{
    if (dir.empty())
        return false;
    DIR* d = opendir(host::hostPath(dir).c_str());
    if (!d)
        return false;
    closedir(d);
    return true;
}

bool makeOfflineDirectory(const std::string& dir)
{
    // A direct system call: the path may hold any character a shell would act on.
    if (dir.empty())
        return false;
    if (mkdir(host::hostPath(dir).c_str(), 0755) != 0 && errno != EEXIST)
        return false;
    return offlineDirectoryExists(dir);
}

LogFileSet::LogFileSet(std::string dir) : m_dir(withTrailingSlash(dir)) {}

LogFileSet::~LogFileSet()
{
    for (auto& p : m_files)
        if (p.file)
            std::fclose(p.file);
    if (m_genFd >= 0)
        close(m_genFd);
    if (!m_committed && !m_generation.empty())
        removeTree(m_dirFd, m_generation);
    if (m_lockFd >= 0)
        close(m_lockFd); // releases the lock
    if (m_dirFd >= 0)
        close(m_dirFd);
}

bool LogFileSet::openDirectory()
{
    if (m_dirFd < 0 && !m_dir.empty())
        m_dirFd = host::openInRoot(m_dir, O_RDONLY | O_DIRECTORY);
    return m_dirFd >= 0;
}

bool LogFileSet::lock(std::string* error)
{
    if (!openDirectory())
        return true;
    m_lockFd = openat(m_dirFd, kLockFile, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
    struct stat st {};
    if (m_lockFd >= 0 && (fstat(m_lockFd, &st) != 0 || !S_ISREG(st.st_mode))) {
        close(m_lockFd);
        m_lockFd = -1;
    }
    if (m_lockFd < 0)
        return true;
    while (flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        const bool busy = errno == EWOULDBLOCK;
        close(m_lockFd);
        m_lockFd = -1;
        if (!busy)
            return true;
        if (error)
            *error = "Another logging run is writing " + m_dir;
        return false;
    }
    return true;
}

FILE* LogFileSet::create(const char* name)
{
    if (!openDirectory())
        return nullptr;
    if (m_generation.empty()) {
        m_generation = makeFolder(m_dirFd, kGenerationPrefix);
        if (m_generation.empty())
            return nullptr;
        m_genFd = openat(m_dirFd, m_generation.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }
    if (m_genFd < 0)
        return nullptr;
    // The folder is this run's own: a name in it is new, never a planted link.
    unlinkat(m_genFd, name, 0); // a file of the same name written earlier in this run
    const int fd = openat(m_genFd, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return nullptr;
    fchmod(fd, 0644);
    FILE* file = fdopen(fd, "w");
    if (!file) {
        close(fd);
        unlinkat(m_genFd, name, 0);
        return nullptr;
    }
    for (auto it = m_files.begin(); it != m_files.end(); ++it)
        if (it->name == name) {
            m_files.erase(it);
            break;
        }
    m_files.push_back({name, file, false});
    return file;
}

bool LogFileSet::finish(FILE* file)
{
    for (auto& p : m_files) {
        if (p.file != file)
            continue;
        bool ok = std::ferror(file) == 0;
        ok = std::fflush(file) == 0 && ok;
        ok = fsync(fileno(file)) == 0 && ok;
        ok = std::fclose(file) == 0 && ok;
        p.file = nullptr;
        p.finished = ok;
        return ok;
    }
    return false;
}

std::string LogFileSet::currentGeneration() const
{
    std::string target;
    if (!linkTarget(m_dirFd, kSetLink, &target) || !startsWith(target, kGenerationPrefix) ||
        target.find('/') != std::string::npos)
        return std::string();
    return target;
}

bool LogFileSet::linkNames()
{
    std::vector<const char*> plain;
    for (const char* name : kNames) {
        struct stat st {};
        if (fstatat(m_dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode))
            return false; // a folder in a file's place is never replaced
        if (!isSetLink(m_dirFd, name))
            plain.push_back(name);
    }
    std::string current = currentGeneration();
    if (plain.empty() && !current.empty())
        return true;
    // What each name shows now goes into the current set first, so that turning
    // the name into a link into the set changes nothing a reader sees.
    bool madeCurrent = false;
    if (current.empty()) {
        current = makeFolder(m_dirFd, kGenerationPrefix);
        if (current.empty())
            return false;
        madeCurrent = true;
    }
    const int folder = openat(m_dirFd, current.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    bool ok = folder >= 0;
    for (const char* name : plain)
        ok = ok && preserve(m_dirFd, m_dir, name, folder);
    if (folder >= 0) {
        ok = ok && fsync(folder) == 0;
        close(folder);
    }
    if (ok && madeCurrent) {
        const std::string link = makeLink(m_dirFd, kNewSetPrefix, current);
        ok = !link.empty() && renameat(m_dirFd, link.c_str(), m_dirFd, kSetLink) == 0;
        if (!ok && !link.empty())
            unlinkat(m_dirFd, link.c_str(), 0);
    }
    if (!ok) {
        if (madeCurrent)
            removeTree(m_dirFd, current);
        return false;
    }
    for (const char* name : plain) {
        const std::string link = makeLink(m_dirFd, std::string(".") + name + ".link-", std::string(kSetLink) + "/" + name);
        if (link.empty() || renameat(m_dirFd, link.c_str(), m_dirFd, name) != 0) {
            if (!link.empty())
                unlinkat(m_dirFd, link.c_str(), 0);
            return false;
        }
    }
    return syncDirectory(m_dirFd);
}

void LogFileSet::setLinksUnsupportedForTests(bool unsupported) { g_linksUnsupported = unsupported; }

bool LogFileSet::commitByLinks()
{
    if (g_linksUnsupported)
        return commitByRenames();
    const std::string link = makeLink(m_dirFd, kNewSetPrefix, m_generation);
    if (link.empty())
        return linksUnsupported(errno) ? commitByRenames() : false;
    // The names become links into the set (the first time only), then the one step
    // that changes what readers see: the set link names this run's folder.
    if (!linkNames()) {
        unlinkat(m_dirFd, link.c_str(), 0);
        return false;
    }
    const std::string previous = currentGeneration();
    if (renameat(m_dirFd, link.c_str(), m_dirFd, kSetLink) != 0) {
        unlinkat(m_dirFd, link.c_str(), 0);
        return false;
    }
    m_committed = true;
    syncDirectory(m_dirFd);
    if (!previous.empty() && previous != m_generation)
        removeTree(m_dirFd, previous);
    return true;
}

bool LogFileSet::commitByRenames()
{
    // Each name's previous file is set aside first and put back when a later rename fails.
    struct Step {
        std::string name, backup;
    };
    std::vector<Step> done;
    bool ok = true;
    for (const auto& p : m_files) {
        Step step{p.name, std::string()};
        struct stat st {};
        if (fstatat(m_dirFd, p.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISDIR(st.st_mode)) {
                ok = false;
                break;
            }
            step.backup = "." + p.name + ".old-" + randomSuffix();
            if (renameat(m_dirFd, p.name.c_str(), m_dirFd, step.backup.c_str()) != 0) {
                ok = false;
                break;
            }
        }
        if (renameat(m_genFd, p.name.c_str(), m_dirFd, p.name.c_str()) != 0) {
            if (!step.backup.empty())
                renameat(m_dirFd, step.backup.c_str(), m_dirFd, p.name.c_str());
            ok = false;
            break;
        }
        done.push_back(step);
    }
    for (auto it = done.rbegin(); it != done.rend(); ++it) {
        if (ok) {
            if (!it->backup.empty())
                unlinkat(m_dirFd, it->backup.c_str(), 0);
        } else {
            renameat(m_dirFd, it->name.c_str(), m_genFd, it->name.c_str());
            if (!it->backup.empty())
                renameat(m_dirFd, it->backup.c_str(), m_dirFd, it->name.c_str());
        }
    }
    syncDirectory(m_dirFd);
    return ok;
}

bool LogFileSet::commit()
{
    if (m_files.empty() || m_genFd < 0)
        return false;
    for (const auto& p : m_files)
        if (!p.finished)
            return false;
    if (fsync(m_genFd) != 0)
        return false;
    return commitByLinks();
}

void LogFileSet::removeLeftovers()
{
    if (!openDirectory())
        return;
    const int fd = openat(m_dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* d = fd < 0 ? nullptr : fdopendir(fd);
    if (!d) {
        if (fd >= 0)
            close(fd);
        return;
    }
    const std::string current = currentGeneration();
    std::vector<std::string> folders, files, backups;
    while (dirent* e = readdir(d)) {
        const std::string n = e->d_name;
        if (startsWith(n, kGenerationPrefix) && n != current && n != m_generation)
            folders.push_back(n);
        else if (startsWith(n, kNewSetPrefix))
            files.push_back(n);
        for (const char* name : kNames) {
            const std::string prefix = std::string(".") + name + ".";
            // The temporary names of runs: ".NAME." and six characters, and the
            // links and copies of an interrupted commit.
            if ((n.size() == prefix.size() + 6 && startsWith(n, prefix)) || startsWith(n, prefix + "link-"))
                files.push_back(n);
            else if (startsWith(n, prefix + "old-"))
                backups.push_back(n);
        }
    }
    closedir(d);
    for (const auto& f : folders)
        removeTree(m_dirFd, f);
    for (const auto& f : files)
        unlinkat(m_dirFd, f.c_str(), 0);
    // A previous file set aside by a commit that was cut short goes back when its name is empty.
    for (const auto& b : backups) {
        const std::string name = b.substr(1, b.find(".old-") - 1);
        struct stat st {};
        if (fstatat(m_dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT)
            renameat(m_dirFd, b.c_str(), m_dirFd, name.c_str());
        else
            unlinkat(m_dirFd, b.c_str(), 0);
    }
}

} // namespace offline
