#include "mux/OutputFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace mux {
namespace {

bool writeAll(int fd, const uint8_t* data, size_t size)
{
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool failWith(std::string* error, const std::string& text)
{
    *error = text;
    return false;
}

std::string reason() { return std::strerror(errno); }

// Runs the producer into fd; on failure errno tells why.
bool produceInto(int fd, const OutputProducer& produce)
{
    int err = 0;
    const bool ok = produce([&](const uint8_t* data, size_t size) {
        if (writeAll(fd, data, size))
            return true;
        err = errno;
        return false;
    });
    if (!ok)
        errno = err ? err : EIO;
    return ok;
}

// Replaces a regular file (or creates one) by way of a fresh temporary file.
bool replaceFile(const std::string& path, const struct stat* existing, const OutputProducer& produce,
                 std::string* error)
{
    std::random_device entropy;
    std::string tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tmp = path + "." + std::to_string(entropy()) + ".tmp";
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return failWith(error, "cannot write " + path + ": " + reason());
    if (existing)
        fchmod(fd, existing->st_mode & 07777);
    bool ok = produceInto(fd, produce) && fsync(fd) == 0;
    int err = errno;
    ok = ::close(fd) == 0 && ok;
    if (ok && std::rename(tmp.c_str(), path.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(tmp.c_str());
        errno = err;
        return failWith(error, "cannot write " + path + ": " + reason());
    }
    return true;
}

} // namespace

bool writeOutput(const std::string& path, const std::vector<uint8_t>& data, std::string* error)
{
    return writeOutput(path, [&](const ByteSink& sink) { return sink(data.data(), data.size()); }, error);
}

bool writeOutput(const std::string& path, const OutputProducer& produce, std::string* error)
{
    if (path == "-") {
        if (!produceInto(STDOUT_FILENO, produce))
            return failWith(error, "cannot write to standard output: " + reason());
        return true;
    }
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
        if (errno != ENOENT)
            return failWith(error, "cannot write " + path + ": " + reason());
        return replaceFile(path, nullptr, produce, error);
    }
    std::string target = path;
    if (S_ISLNK(st.st_mode)) {
        // Follow the link, so that it stays a link and its target gets the stream.
        char* real = realpath(path.c_str(), nullptr);
        if (!real)
            return failWith(error, "cannot write " + path + ": a symbolic link that leads nowhere (" + reason() + ")");
        target = real;
        std::free(real);
        if (stat(target.c_str(), &st) != 0)
            return failWith(error, "cannot write " + path + ": " + reason());
    }
    if (S_ISREG(st.st_mode))
        return replaceFile(target, &st, produce, error);
    if (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode)) {
        int fd = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            return failWith(error, "cannot write " + path + ": " + reason());
        bool ok = produceInto(fd, produce);
        int err = errno;
        ok = ::close(fd) == 0 && ok;
        if (!ok) {
            errno = err;
            return failWith(error, "cannot write " + path + ": " + reason());
        }
        return true;
    }
    return failWith(error, "cannot write " + path + ": " +
                               (S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a file, FIFO or character device"));
}

} // namespace mux
