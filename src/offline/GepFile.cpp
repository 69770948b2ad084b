#include "offline/GepFile.h"
#include "host/platform/FileSystem.h"
#include "host/platform/Log.h"
#include "offline/LogFileSet.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace offline {

GepFile::~GepFile()
{
    if (m_file)
        std::fclose(m_file);
}

bool GepFile::open(const std::string& dir, const char* name, std::string* error)
{
    std::string why;
    const std::string path = offlineFile(dir, name);
    // Without O_NONBLOCK a FIFO with no writer would block the open itself.
    const int fd = path.empty() ? -1 : host::openInRoot(path, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    struct stat st {};
    if (fd < 0) {
        const int err = path.empty() ? ENOENT : errno;
        if (error)
            *error = (path.empty() ? std::string(name) : path) + " cannot be opened: " + std::strerror(err);
        if (err != ENOENT)
            host::logMessage("orvalis", "offline file not read: %s cannot be opened: %s", path.c_str(),
                             std::strerror(err));
        return false;
    }
    if (fstat(fd, &st) != 0)
        why = std::string("cannot be read: ") + std::strerror(errno);
    else if (S_ISDIR(st.st_mode))
        why = "is a folder, not a file";
    else if (S_ISFIFO(st.st_mode))
        why = "is a FIFO, not a regular file";
    else if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        why = "is a device, not a regular file";
    else if (!S_ISREG(st.st_mode))
        why = "is not a regular file";
    else if (st.st_size > kMaxBytes)
        why = "is larger than " + std::to_string(kMaxBytes) + " bytes";
    if (!why.empty()) {
        ::close(fd);
        if (error)
            *error = path + " " + why;
        host::logMessage("orvalis", "offline file not read: %s %s", path.c_str(), why.c_str());
        return false;
    }
    // A regular file: blocking reads from here on.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_file = fdopen(fd, "r");
    if (!m_file) {
        ::close(fd);
        if (error)
            *error = path + " cannot be read";
        return false;
    }
    m_size = st.st_size;
    return true;
}

bool GepFile::readLine(std::string& line)
{
    line.clear();
    if (!m_file)
        return false;
    bool any = false, ended = false;
    int c;
    while ((c = getc_unlocked(m_file)) != EOF) {
        any = true;
        if (c == '\n') {
            ended = true;
            break;
        }
        if (line.size() < kMaxLine)
            line += static_cast<char>(c);
    }
    if (!any)
        return false;
    // The text ends at its first NUL, as the C readers of these files see it.
    const size_t nul = line.find('\0');
    if (nul != std::string::npos) {
        line.erase(nul);
        return true;
    }
    // A file edited on another system ends its lines with "\r\n": the line is its text all the same.
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (ended)
        line += '\n';
    return true;
}

} // namespace offline
