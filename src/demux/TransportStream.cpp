#include "demux/TransportStream.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace demux {

namespace {
constexpr size_t kChunk = 4 << 20;
// A piped stream is waited for at start until this much has come (or it ends), so
// that the first reads find something to play.
constexpr size_t kInitialPipeBytes = 64 << 10;
constexpr int kInitialPipeWaitMs = 5000;
} // namespace

TransportStream::~TransportStream() = default;

ts::PacketSplitter::Sink TransportStream::sink()
{
    return [this](const uint8_t* p) {
        m_packets.insert(m_packets.end(), p, p + 188);
        m_times.push_back(m_clock.stamp(p));
    };
}

void TransportStream::append(const uint8_t* data, size_t size)
{
    m_splitter.push(data, size, sink());
}

void TransportStream::assign(const uint8_t* data, size_t size)
{
    m_name = "memory";
    append(data, size);
    m_splitter.finish(sink());
}

bool TransportStream::open(const std::string& path)
{
    m_name = path;
    if (path == "-") {
        m_fd = STDIN_FILENO;
        size_t before = 0;
        // Wait for a first portion; after that only take what is there.
        while (m_fd >= 0 && before < kInitialPipeBytes) {
            size_t had = m_packets.size();
            if (!readAvailable(kInitialPipeWaitMs, kChunk))
                break;
            before += m_packets.size() - had;
        }
        return true;
    }
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::vector<uint8_t> chunk(kChunk);
    for (;;) {
        ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n > 0) {
            append(chunk.data(), size_t(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    ::close(fd);
    m_splitter.finish(sink());
    if (m_times.empty()) {
        errno = EINVAL;
        return false;
    }
    return true;
}

bool TransportStream::readAvailable(int waitMs, size_t limit)
{
    std::vector<uint8_t> chunk(64 << 10);
    size_t got = 0;
    while (got < limit) {
        pollfd pfd{m_fd, POLLIN, 0};
        int r = ::poll(&pfd, 1, got == 0 ? waitMs : 0);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        ssize_t n = ::read(m_fd, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // The writer is gone: keep what came and stop asking.
            m_splitter.finish(sink());
            m_fd = -1;
            break;
        }
        append(chunk.data(), size_t(n));
        got += size_t(n);
    }
    return got > 0;
}

bool TransportStream::poll()
{
    if (m_fd < 0)
        return false;
    size_t before = m_times.size();
    readAvailable(0, kChunk);
    return m_times.size() > before;
}

} // namespace demux
