#pragma once
// Reads transport packets from a file descriptor in blocks of a fixed size and hands
// them out as 188-byte packets, one by one or in runs, whatever the stored packet size
// (188; 192 with a 4-byte prefix; 204 with 16 trailing bytes). Regains sync after
// garbage. Memory stays the same whatever the size of the input.
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
    explicit PacketReader(int fd, size_t blockSize = kDefaultBlock);
    // Opens the file itself (owned); ok() tells whether that worked.
    explicit PacketReader(const std::string& path, size_t blockSize = kDefaultBlock);
    ~PacketReader();
    PacketReader(const PacketReader&) = delete;
    PacketReader& operator=(const PacketReader&) = delete;

    // Whatever the size of the input, the reader holds one block (and a packet or two
    // of margin): read() into a buffer that stays in the cache beats mapping the file.
    static constexpr size_t kDefaultBlock = 1 << 18;

    bool ok() const { return m_fd >= 0; }
    int fd() const { return m_fd; }

    // A live source (pipe, FIFO, device) is only read when poll() says it has data, so
    // that the reader never blocks and a FIFO without a writer yet is not taken for
    // ended: next() then returns null with wouldBlock() set until data comes.
    void setLive(bool on) { m_live = on; }
    // Gives up when this many bytes were searched without finding the first packet,
    // or later while fewer bytes of packets than that were read (0: no limit);
    // noSync() then tells why next() returns null.
    void setSyncSearchLimit(uint64_t bytes) { m_syncSearchLimit = bytes; }

    // The next packet (188 bytes, sync byte first), or null at the end of the data.
    // The packet stays valid until the next call. A live source may also say
    // "nothing more yet": see wouldBlock().
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
    // A run of count >= 1 packets that follow each other packetSize() bytes apart,
    // each starting with its sync byte; null where next() would give null.
    const uint8_t* nextRun(size_t& count);

    // Back to the start of a regular file. False when the input cannot seek.
    bool rewind();

    size_t packetSize() const { return m_stride; }
    bool eof() const { return m_eof; }
    bool wouldBlock() const { return m_wouldBlock; }
    bool noSync() const { return m_noSync; }
    // errno of a failed read (the reader then treats the input as ended), or 0.
    int readError() const { return m_readError; }
    const ReaderStats& stats() const { return m_stats; }

private:
    const uint8_t* slowNext();
    bool fill();
    bool resync();

    int m_fd = -1;
    bool m_owned = false;
    bool m_live = false;
    std::vector<uint8_t> m_buf;
    uint8_t* m_data = nullptr; // within m_buf, placed so that reads land on a cache line
    size_t m_block;
    size_t m_pos = 0;
    size_t m_end = 0;
    size_t m_stride = 188;
    bool m_synced = false;
    bool m_everSynced = false;
    bool m_eof = false;
    bool m_wouldBlock = false;
    bool m_noSync = false;
    int m_readError = 0;
    uint64_t m_syncSearchLimit = 0;
    ReaderStats m_stats;
};

} // namespace ts
