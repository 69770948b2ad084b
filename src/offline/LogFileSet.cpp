#include "offline/LogFileSet.h"
#include "host/platform/FileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace offline {

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
    for (auto& p : m_files) {
        if (p.file)
            std::fclose(p.file);
        if (!p.temp.empty())
            unlink(p.temp.c_str());
    }
}

FILE* LogFileSet::create(const char* name)
{
    if (m_dir.empty())
        return nullptr;
    Pending p;
    p.target = host::hostPath(m_dir + name);
    // A fresh name each time (mkstemp): never an existing file or a planted link.
    std::string pattern = host::hostPath(m_dir + "." + name + ".XXXXXX");
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    int fd = mkstemp(buf.data());
    if (fd < 0)
        return nullptr;
    p.temp = buf.data();
    fchmod(fd, 0644);
    p.file = fdopen(fd, "w");
    if (!p.file) {
        close(fd);
        unlink(p.temp.c_str());
        return nullptr;
    }
    m_files.push_back(p);
    return p.file;
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

bool LogFileSet::commit()
{
    for (const auto& p : m_files)
        if (!p.finished)
            return false;
    // The renames follow one another with nothing in between: the window in which
    // the set is mixed is as short as the file system allows.
    bool ok = true;
    for (auto& p : m_files) {
        if (std::rename(p.temp.c_str(), p.target.c_str()) != 0)
            ok = false;
        else
            p.temp.clear();
    }
    int fd = open(host::hostPath(m_dir).c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
    return ok;
}

void LogFileSet::removeLeftovers() const
{
    if (m_dir.empty())
        return;
    const std::string dir = host::hostPath(m_dir);
    DIR* d = opendir(dir.c_str());
    if (!d)
        return;
    std::vector<std::string> stale;
    while (dirent* e = readdir(d)) {
        const std::string n = e->d_name;
        for (const char* name : {kChannelsFile, kThemesFile, kTitlesFile, kSummariesFile}) {
            // Exactly the names create() makes: "." name "." and six characters.
            const std::string prefix = std::string(".") + name + ".";
            if (n.size() == prefix.size() + 6 && n.compare(0, prefix.size(), prefix) == 0)
                stale.push_back(dir + "/" + n);
        }
    }
    closedir(d);
    for (const auto& f : stale)
        unlink(f.c_str());
}

} // namespace offline
