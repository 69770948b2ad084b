// Streams from disk and live sources: what is played, when it starts over, how a
// pause and an end look through the demux, and which inputs are refused.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "DemuxTestUtil.h"
#include "demux/Transponders.h"
#include "demux/VirtualDemuxFile.h"
#include "host/platform/DeviceRegistry.h"
#include "host/platform/dmx.h"

namespace {

using demuxtest::Bytes;
using demuxtest::section;
using Step = demux::TransportStream::Step;

constexpr uint64_t kMs = 1000000;

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "live_source_test_XXXXXX").string();
        m_path = mkdtemp(pattern.data()) ? pattern : "";
    }
    ~TempDir() { std::system(("rm -rf '" + m_path + "'").c_str()); }
    std::string file(const char* name) const { return m_path + "/" + name; }
    std::string write(const char* name, const Bytes& bytes) const
    {
        std::string path = file(name);
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
        ::close(fd);
        return path;
    }

private:
    std::string m_path;
};

// A channel table section on PID 0xD3, then null packets.
Bytes channelStream(size_t nulls = 20)
{
    Bytes out;
    ts::Packetizer pz(0xD3);
    pz.put(section(0x91, 1, 400), out);
    demuxtest::nulls(out, nulls);
    return out;
}

int setFilter(demux::VirtualDemuxFile& file, uint16_t pid, uint8_t tableId, uint32_t timeoutMs)
{
    dmxSctFilterParams p;
    std::memset(&p, 0, sizeof p);
    p.pid = pid;
    p.filter.filter[0] = tableId;
    p.filter.mask[0] = 0xFF;
    p.timeout = timeoutMs;
    p.flags = DMX_IMMEDIATE_START;
    return file.ioctl(DMX_SET_FILTER, &p);
}

TEST(LiveSourceTest, FifoIsWaitedForPausesAsOnAirAndEndsOnce)
{
    TempDir dir;
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    demux::Transponders tp;
    int endings = 0;
    tp.setEndedHandler([&](const demux::TransportStream& s) {
        ++endings;
        EXPECT_EQ(s.name(), fifo);
    });
    // Opening does not wait for a writer; waiting for packets gives up with a message.
    std::string error;
    ASSERT_TRUE(tp.add(fifo, &error)) << error;
    ASSERT_TRUE(tp.stream(0).live());
    EXPECT_FALSE(tp.stream(0).waitForPackets(100, &error));
    EXPECT_EQ(error, "no transport stream packets from " + fifo + " within 1 s");

    int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    const Bytes packets = channelStream();
    ASSERT_EQ(::write(writer, packets.data(), packets.size()), ssize_t(packets.size()));
    ASSERT_TRUE(tp.stream(0).waitForPackets(1000, &error)) << error;
    ASSERT_TRUE(tp.tune(0));

    demux::VirtualDemuxFile file(tp, O_RDWR);
    uint8_t buf[4096];
    ASSERT_EQ(setFilter(file, 0xD3, 0x91, 1000), 0);
    EXPECT_EQ(Bytes(buf, buf + file.read(buf, sizeof buf)), section(0x91, 1, 400));

    // The writer pauses: a filter for a table that never comes times out after its
    // timeout of stream time, which meanwhile follows the wall clock.
    ASSERT_EQ(setFilter(file, 0xD3, 0x92, 300), 0);
    const uint64_t before = tp.now();
    const auto wallBefore = std::chrono::steady_clock::now();
    errno = 0;
    EXPECT_EQ(file.read(buf, sizeof buf), -1);
    EXPECT_EQ(errno, ETIMEDOUT);
    EXPECT_GE(tp.now() - before, 300 * kMs);
    EXPECT_GE(std::chrono::steady_clock::now() - wallBefore, std::chrono::milliseconds(250));
    EXPECT_EQ(endings, 0);

    // The writer goes: the end is told once, the stream never starts over, and reads
    // time out as on a silent transponder.
    ::close(writer);
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(setFilter(file, 0xD3, 0x91, 200), 0);
        errno = 0;
        EXPECT_EQ(file.read(buf, sizeof buf), -1);
        EXPECT_EQ(errno, ETIMEDOUT);
    }
    EXPECT_EQ(endings, 1);
    EXPECT_EQ(tp.loops(), 0u);
    EXPECT_EQ(tp.stream(0).step(), Step::Ended);
}

TEST(LiveSourceTest, InputsWithoutPacketsAreRefused)
{
    TempDir dir;
    demux::Transponders tp;
    std::string error;
    const std::string zeros = dir.write("zeros.ts", Bytes(5 << 20, 0));
    EXPECT_FALSE(tp.add(zeros, &error));
    EXPECT_EQ(error, zeros + " holds no transport stream packets (no sync byte pattern in its first 4 MB)");
    const std::string empty = dir.write("empty.ts", {});
    EXPECT_FALSE(tp.add(empty, &error));
    EXPECT_EQ(error, empty + " holds no transport stream packets");
    EXPECT_FALSE(tp.add(dir.file(""), &error));
    EXPECT_NE(error.find("folder"), std::string::npos);
    EXPECT_FALSE(tp.add(dir.file("missing.ts"), &error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
    EXPECT_EQ(tp.count(), 0u);

    // Garbage before the first packet is fine within the limit.
    Bytes late(1 << 20, 0x00);
    const Bytes packets = channelStream();
    late.insert(late.end(), packets.begin(), packets.end());
    ASSERT_TRUE(tp.add(dir.write("late.ts", late), &error)) << error;
    ASSERT_EQ(tp.stream(0).step(), Step::Packet);
    EXPECT_EQ(Bytes(tp.stream(0).packet(), tp.stream(0).packet() + 188), Bytes(packets.begin(), packets.begin() + 188));

    // A device that never sends a packet is refused once the limit is searched.
    ASSERT_TRUE(tp.add("/dev/zero", &error)) << error;
    EXPECT_TRUE(tp.stream(1).live());
    EXPECT_FALSE(tp.stream(1).waitForPackets(5000, &error));
    EXPECT_EQ(error, "/dev/zero holds no transport stream packets (no sync byte pattern in its first 4 MB)");
}

TEST(LiveSourceTest, FileStartsOverAsTheSamePacketsInMemoryDo)
{
    // 204-byte packets on disk, 188 in memory, a PCR-less stream at the nominal rate.
    Bytes packets = channelStream(7);
    Bytes wide;
    for (size_t at = 0; at < packets.size(); at += 188) {
        wide.insert(wide.end(), packets.begin() + long(at), packets.begin() + long(at + 188));
        wide.insert(wide.end(), 16, 0xAA);
    }
    TempDir dir;
    demux::TransportStream file, memory;
    std::string error;
    ASSERT_TRUE(file.open(dir.write("wide.ts", wide), &error)) << error;
    EXPECT_FALSE(file.live());
    memory.assign(packets.data(), packets.size());
    const size_t perPass = packets.size() / 188;
    size_t played = 0, passes = 0;
    while (passes < 3) {
        Step f = file.step(), m = memory.step();
        ASSERT_EQ(f, m);
        if (f == Step::End) {
            ASSERT_TRUE(file.rewind());
            ASSERT_TRUE(memory.rewind());
            ++passes;
            continue;
        }
        ASSERT_EQ(f, Step::Packet);
        EXPECT_TRUE(std::equal(file.packet(), file.packet() + 188, memory.packet()));
        EXPECT_TRUE(std::equal(file.packet(), file.packet() + 188, packets.begin() + long(played % perPass * 188)));
        EXPECT_EQ(file.duration(), memory.duration());
        EXPECT_GT(file.duration(), 0u);
        file.advance();
        memory.advance();
        ++played;
    }
    EXPECT_EQ(played, 3 * perPass);
}

} // namespace
