#include "ts/PacketReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ts {

namespace {
constexpr size_t kSizes[] = {188, 192, 204};
constexpr size_t kConfirm = 5; // sync bytes in a row that prove a stride
constexpr size_t kLine = 64;
constexpr size_t kPage = 4096;

bool syncRunAt(const uint8_t* data, size_t size, size_t offset, size_t stride, size_t count)
{
    for (size_t k = 0; k < count; ++k) {
        size_t at = offset + k * stride;
        if (at >= size || data[at] != 0x47)
            return false;
    }
    return true;
}
} // namespace

bool detectPacketSize(const uint8_t* data, size_t size, size_t& packetSize, size_t& firstSync)
{
    // Prefer the longest run that fits: with few packets a shorter proof has to do.
    for (size_t want = kConfirm; want >= 2; --want) {
        for (size_t offset = 0; offset < 204 && offset < size; ++offset) {
            if (data[offset] != 0x47)
                continue;
            for (size_t stride : kSizes) {
                if (offset + (want - 1) * stride + 188 <= size && syncRunAt(data, size, offset, stride, want)) {
                    packetSize = stride;
                    firstSync = offset;
                    return true;
                }
            }
        }
    }
    // A single packet.
    if (size >= 188 && data[0] == 0x47 && size < 2 * 188) {
        packetSize = 188;
        firstSync = 0;
        return true;
    }
    return false;
}

PacketReader::PacketReader(int fd, size_t blockSize) : m_fd(fd), m_block(std::max<size_t>(blockSize, 4096))
{
    m_buf.resize(m_block + kPage + 2 * kLine);
    m_data = m_buf.data();
}

PacketReader::PacketReader(const std::string& path, size_t blockSize) : PacketReader(-1, blockSize)
{
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    m_owned = m_fd >= 0;
    if (m_fd >= 0)
        ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
}

PacketReader::~PacketReader()
{
    if (m_owned)
        ::close(m_fd);
}

bool PacketReader::rewind()
{
    if (m_fd < 0 || ::lseek(m_fd, 0, SEEK_SET) != 0)
        return false;
    m_pos = m_end = 0;
    m_synced = false;
    m_eof = m_wouldBlock = m_noSync = false;
    m_readError = 0;
    return true;
}

bool PacketReader::fill()
{
    // Keep the unread tail and read a block behind it, to a cache-line boundary.
    if (m_pos > 0 || m_end == 0) {
        const size_t tail = m_end > m_pos ? m_end - m_pos : 0;
        const auto base = (reinterpret_cast<uintptr_t>(m_buf.data()) + kLine - 1) & ~uintptr_t(kLine - 1);
        uint8_t* start = reinterpret_cast<uint8_t*>(base) + (kLine - tail % kLine) % kLine;
        if (tail)
            std::memmove(start, m_data + m_pos, tail);
        m_data = start;
        m_end = tail;
        m_pos = 0;
    }
    uint8_t* const bufferEnd = m_buf.data() + m_buf.size();
    m_wouldBlock = false;
    if (m_eof || m_fd < 0)
        return false;
    size_t before = m_end;
    while (m_data + m_end < bufferEnd) {
        if (m_live) {
            pollfd pfd{m_fd, POLLIN, 0};
            int r = ::poll(&pfd, 1, 0);
            if (r < 0 && errno == EINTR)
                continue;
            if (r == 0) {
                m_wouldBlock = true;
                break;
            }
        }
        // Whole pages keep the file offset on a page boundary, so the copy out of the
        // page cache runs from aligned source to aligned destination.
        size_t room = size_t(bufferEnd - (m_data + m_end));
        if (room >= kPage)
            room &= ~(kPage - 1);
        ssize_t n = ::read(m_fd, m_data + m_end, room);
        if (n > 0) {
            m_end += size_t(n);
            // A live source is read once per call: a second read might block.
            if (m_live || m_end - before >= m_block / 2)
                break;
            continue;
        }
        if (n == 0) {
            m_eof = true;
            break;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            m_wouldBlock = true;
        } else {
            m_readError = errno;
            m_eof = true;
        }
        break;
    }
    return m_end > before;
}

bool PacketReader::resync()
{
    constexpr size_t kProbe = kConfirm * 204 + 188;
    for (;;) {
        if (m_end - m_pos < kProbe && !m_eof) {
            fill();
            // A live source proves its stride on as many bytes as a file does.
            if (m_end - m_pos < kProbe && !m_eof)
                return false;
        }
        size_t avail = m_end - m_pos;
        if (avail < 188)
            return false;
        size_t stride = 0, first = 0;
        if (detectPacketSize(m_data + m_pos, avail, stride, first)) {
            m_stride = stride;
            m_stats.bytesSkipped += first;
            m_pos += first;
            m_synced = m_everSynced = true;
            return true;
        }
        // No offset of this window starts a packet: drop it and look further.
        size_t drop = std::min<size_t>(204, avail);
        m_stats.bytesSkipped += drop;
        m_pos += drop;
        // Noise can look like packets for a moment: a source that gave fewer bytes of
        // packets than the limit before garbage past it is no transport stream either.
        if (m_syncSearchLimit && m_stats.bytesSkipped >= m_syncSearchLimit &&
            m_stats.packets * m_stride < m_syncSearchLimit) {
            m_noSync = true;
            return false;
        }
    }
}

const uint8_t* PacketReader::slowNext()
{
    if (m_noSync)
        return nullptr;
    for (;;) {
        if (m_end - m_pos < kConfirm * 204 + 188 && !m_eof)
            fill();
        if (m_end - m_pos < 188)
            return nullptr;
        if (!m_synced || m_data[m_pos] != 0x47) {
            if (m_synced)
                ++m_stats.syncLosses;
            m_synced = false;
            if (!resync())
                return nullptr;
            continue;
        }
        // Until the input ends, a packet is taken with its trailing bytes.
        if (m_end - m_pos < m_stride && !m_eof)
            return nullptr;
        const uint8_t* p = m_data + m_pos;
        m_pos += std::min(m_stride, m_end - m_pos);
        ++m_stats.packets;
        return p;
    }
}

const uint8_t* PacketReader::nextRun(size_t& count)
{
    count = 0;
    const uint8_t* first = next();
    if (!first)
        return nullptr;
    // The packets already in the buffer that keep the sync; few enough that they are
    // still in the first-level cache when the caller goes through them.
    constexpr size_t kMaxRun = 96;
    const size_t stride = m_stride;
    const size_t whole = std::min((m_end - m_pos) / stride, kMaxRun - 1);
    const uint8_t* p = m_data + m_pos;
    size_t more = 0;
    while (more < whole && p[more * stride] == 0x47)
        ++more;
    m_pos += more * stride;
    m_stats.packets += more;
    count = 1 + more;
    return first;
}

} // namespace ts
