#pragma once
// Reads transport packets from a file descriptor in large blocks and hands them out
// one by one as 188-byte packets, whatever the stored packet size (188; 192 with a
// 4-byte prefix; 204 with 16 trailing bytes). Regains sync after garbage.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ts {

// Finds the packet size (188, 192 or 204) and the offset of the first sync byte by
// looking for sync bytes repeating at that stride. Returns false when none fits.
bool detectPacketSize(const uint8_t* data, size_t size, size_t& packetSize, size_t& firstSync);

struct ReaderStats {
    uint64_t packets = 0;
    uint64_t syncLosses = 0;   // times the reader had to search for sync again
    uint64_t bytesSkipped = 0; // bytes thrown away while searching
};

class PacketReader {
public:
    // Reads from fd, which the reader does not own.
    explicit PacketReader(int fd, size_t blockSize = 1 << 18);
    // Opens the file itself (owned); ok() tells whether that worked. A regular file is
    // mapped rather than read: that saves copying every byte once more.
    explicit PacketReader(const std::string& path, size_t blockSize = 1 << 18);
    ~PacketReader();
    PacketReader(const PacketReader&) = delete;
    PacketReader& operator=(const PacketReader&) = delete;

    bool ok() const { return m_fd >= 0 || m_map; }
    // The next packet (188 bytes, sync byte first), or null at the end of the data.
    // On a non-blocking descriptor null also means "nothing more yet": see wouldBlock().
    const uint8_t* next()
    {
        if (m_synced && m_end - m_pos >= m_stride && m_data[m_pos] == 0x47) {
            const uint8_t* p = m_data + m_pos;
            m_pos += m_stride;
            ++m_stats.packets;
            return p;
        }
        return slowNext();
    }
    size_t packetSize() const { return m_stride; }
    bool eof() const { return m_eof; }
    bool wouldBlock() const { return m_wouldBlock; }
    const ReaderStats& stats() const { return m_stats; }

private:
    const uint8_t* slowNext();
    bool fill();
    bool resync();

    int m_fd = -1;
    bool m_owned = false;
    std::vector<uint8_t> m_buf;
    const uint8_t* m_data = nullptr; // m_buf, or the mapped file
    void* m_map = nullptr;
    size_t m_mapSize = 0;
    size_t m_block;
    size_t m_pos = 0;
    size_t m_end = 0;
    size_t m_stride = 188;
    bool m_synced = false;
    bool m_eof = false;
    bool m_wouldBlock = false;
    ReaderStats m_stats;
};

} // namespace ts
