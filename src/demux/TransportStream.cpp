#include "demux/TransportStream.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ts/PacketSplitter.h"

namespace demux {

namespace {
std::string displayName(const std::string& path) { return path == "-" ? "standard input" : path; }

std::string noPacketsMessage(const std::string& name)
{
    return name + " holds no transport stream packets (no sync byte pattern in its first "
        + std::to_string(kSyncSearchLimit >> 20) + " MB)";
}
} // namespace

TransportStream::~TransportStream()
{
    if (m_ownsFd && m_fd >= 0)
        ::close(m_fd);
}

void TransportStream::assign(const uint8_t* data, size_t size)
{
    m_kind = Kind::Memory;
    m_name = "memory";
    ts::PacketSplitter splitter;
    auto sink = [this](const uint8_t* p) { m_memory.insert(m_memory.end(), p, p + 188); };
    splitter.push(data, size, sink);
    splitter.finish(sink);
}

bool TransportStream::open(const std::string& path, std::string* error)
{
    m_name = displayName(path);
    auto fail = [&](const std::string& message) {
        if (error)
            *error = message;
        return false;
    };
    if (path == "-") {
        // A descriptor of its own: whatever becomes of descriptor 0 later.
        m_fd = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
        if (m_fd < 0)
            return fail("cannot read " + m_name + ": " + std::strerror(errno));
        m_ownsFd = true;
    } else {
        // Without O_NONBLOCK, opening a FIFO waits for a writer.
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (m_fd < 0)
            return fail("cannot open " + m_name + ": " + std::strerror(errno));
        m_ownsFd = true;
        // Reads happen only once poll() says they will not block.
        ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    }
    struct stat st;
    if (::fstat(m_fd, &st) != 0)
        return fail("cannot read " + m_name + ": " + std::strerror(errno));
    if (S_ISDIR(st.st_mode))
        return fail("cannot read " + m_name + ": it is a folder");
    m_kind = S_ISREG(st.st_mode) || S_ISBLK(st.st_mode) ? Kind::File : Kind::Live;
    m_reader = std::make_unique<ts::PacketReader>(m_fd);
    m_reader->setLive(m_kind == Kind::Live);
    m_reader->setSyncSearchLimit(kSyncSearchLimit);
    if (m_kind == Kind::Live)
        return true;
    ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    // A file shows at once whether it holds packets at all.
    if (step() != Step::Packet) {
        if (m_reader->readError())
            return fail("cannot read " + m_name + ": " + std::strerror(m_reader->readError()));
        return fail(m_reader->noSync() ? noPacketsMessage(m_name) : m_name + " holds no transport stream packets");
    }
    return true;
}

const uint8_t* TransportStream::fetch()
{
    if (m_kind == Kind::Memory) {
        if (m_memoryPos >= m_memory.size())
            return nullptr;
        const uint8_t* p = m_memory.data() + m_memoryPos;
        m_memoryPos += 188;
        return p;
    }
    return m_reader ? m_reader->next() : nullptr;
}

void TransportStream::refuse()
{
    m_ended = true;
    if (m_reader && m_reader->noSync())
        m_problem = noPacketsMessage(m_name);
    else if (m_reader && m_reader->readError())
        m_problem = "cannot read " + m_name + ": " + std::strerror(m_reader->readError());
}

TransportStream::Step TransportStream::step()
{
    if (m_ready)
        return Step::Packet;
    if (m_ended)
        return Step::Ended;
    // Whether the source has stopped for good: a live source only at its end.
    auto exhausted = [this] {
        if (m_kind != Kind::Live)
            return true;
        return m_reader->eof() || m_reader->noSync();
    };
    if (!m_haveCurrent) {
        const uint8_t* p = m_atEnd ? nullptr : fetch();
        if (!p) {
            if (!exhausted())
                return Step::Wait;
            m_atEnd = true;
            if (m_kind == Kind::Live) {
                refuse();
                return Step::Ended;
            }
            return Step::End;
        }
        std::memcpy(m_slot[m_current], p, 188);
        m_stamp[m_current] = m_clock.stamp(p);
        m_haveCurrent = true;
    }
    if (!m_haveNext && !m_atEnd) {
        const int next = 1 - m_current;
        if (const uint8_t* p = fetch()) {
            std::memcpy(m_slot[next], p, 188);
            m_stamp[next] = m_clock.stamp(p);
            m_haveNext = true;
        } else if (exhausted()) {
            m_atEnd = true;
        } else {
            return Step::Wait; // the time of this packet is known once the next one is there
        }
    }
    // The last packet leads back to the first at the rate the clock last saw.
    m_duration = m_haveNext ? m_stamp[1 - m_current] - m_stamp[m_current] : m_clock.packetDuration();
    m_ready = true;
    return Step::Packet;
}

void TransportStream::advance()
{
    if (!m_ready)
        return;
    m_ready = false;
    if (m_haveNext) {
        m_current = 1 - m_current;
        m_haveNext = false;
    } else {
        m_haveCurrent = false;
    }
}

bool TransportStream::rewind()
{
    if (m_kind == Kind::Live)
        return false;
    if (m_kind == Kind::File && !m_reader->rewind())
        return false;
    m_memoryPos = 0;
    m_clock = StreamClock();
    m_haveCurrent = m_haveNext = m_ready = m_atEnd = false;
    return true;
}

bool TransportStream::waitReadable(int timeoutMs)
{
    if (m_kind != Kind::Live || m_ended)
        return true;
    pollfd pfd{m_fd, POLLIN, 0};
    int r = ::poll(&pfd, 1, timeoutMs);
    return r > 0;
}

bool TransportStream::waitForPackets(int timeoutMs, std::string* error)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        Step s = step();
        if (s == Step::Packet || s == Step::End)
            return true;
        if (s == Step::Ended) {
            if (error)
                *error = !m_problem.empty() ? m_problem : m_name + " ended before its first transport stream packet";
            return false;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            if (error)
                *error = "no transport stream packets from " + m_name + " within "
                    + std::to_string((timeoutMs + 999) / 1000) + " s";
            return false;
        }
        waitReadable(int(std::min<long long>(left.count(), 100)));
    }
}

} // namespace demux
