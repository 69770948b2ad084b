#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>

#include "DemuxTestUtil.h"
#include "demux/RequestCodes.h"
#include "demux/Transponders.h"
#include "demux/VirtualDemuxFile.h"
#include "host/platform/DeviceRegistry.h"
#include "host/platform/dmx.h"
#include "ts/SectionReassembler.h"

namespace {

using demuxtest::Bytes;
using demuxtest::section;

constexpr const char* kNode = "/dev/dvb/card0/demux0";
constexpr uint64_t kMs = 1000000;
// Packet spacing at the nominal rate of streams without PCR.
constexpr uint64_t kPacketNs = 188 * 8 * 1000000000ull / demux::kNominalBitrate;

class VirtualDemuxTest : public ::testing::Test {
protected:
    void SetUp() override { demux::installVirtualDemux(m_tp); }
    void TearDown() override
    {
        for (int fd : m_fds)
            host::devClose(fd);
        host::unregisterDevice(kNode);
    }

    int open()
    {
        int fd = host::devOpen(kNode, O_RDWR);
        EXPECT_GE(fd, 0);
        m_fds.push_back(fd);
        return fd;
    }
    void close(int fd)
    {
        host::devClose(fd);
        m_fds.erase(std::remove(m_fds.begin(), m_fds.end(), fd), m_fds.end());
    }
    static int setFilter(int fd, uint16_t pid, uint8_t tableId, uint32_t flags = DMX_IMMEDIATE_START,
                         uint32_t timeout = 8000)
    {
        dmxSctFilterParams p;
        std::memset(&p, 0, sizeof p);
        p.pid = pid;
        p.filter.filter[0] = tableId;
        p.filter.mask[0] = 0xFF;
        p.timeout = timeout;
        p.flags = flags;
        return host::devIoctl(fd, DMX_SET_FILTER, &p);
    }
    static Bytes readSection(int fd, size_t max = 4096)
    {
        Bytes buf(max);
        ssize_t n = host::devRead(fd, buf.data(), buf.size());
        buf.resize(n > 0 ? size_t(n) : 0);
        return buf;
    }
    // Tunes a stream built from the packets.
    void tuneTo(const Bytes& packets)
    {
        m_tp.add(packets.data(), packets.size());
        m_tp.tune(int(m_tp.count() - 1));
    }

    demux::Transponders m_tp;
    std::vector<int> m_fds;
};

// PID 0xD3 with a channel table (0x91) and a theme table (0x92), PID 0xD2 with titles.
Bytes epgStream()
{
    Bytes out;
    ts::Packetizer d3(0xD3), d2(0xD2);
    d3.put({section(0x91, 1, 400), section(0x92, 2, 300)}, out);
    d2.put({section(0x90, 3, 46), section(0x90, 4, 46)}, out);
    demuxtest::nulls(out, 20);
    return out;
}

TEST_F(VirtualDemuxTest, OneReadOneWholeSectionOfTheFilteredTable)
{
    tuneTo(epgStream());
    int fd = open();
    ASSERT_EQ(setFilter(fd, 0xD3, 0x92), 0);
    EXPECT_EQ(readSection(fd), section(0x92, 2, 300));
    ASSERT_EQ(setFilter(fd, 0xD2, 0x90), 0);
    Bytes a = readSection(fd), b = readSection(fd), c = readSection(fd);
    EXPECT_EQ(a.size(), 46u);
    EXPECT_NE(a, b);
    EXPECT_EQ(a, c); // the carousel came round again
}

TEST_F(VirtualDemuxTest, SmallBufferGetsRestOfSectionOnNextReads)
{
    tuneTo(epgStream());
    int fd = open();
    ASSERT_EQ(setFilter(fd, 0xD3, 0x91), 0);
    Bytes whole;
    for (size_t expect : {150u, 150u, 100u}) {
        Bytes part = readSection(fd, 150);
        EXPECT_EQ(part.size(), expect);
        whole.insert(whole.end(), part.begin(), part.end());
    }
    EXPECT_EQ(whole, section(0x91, 1, 400));
    EXPECT_EQ(readSection(fd), section(0x91, 1, 400)); // next section starts whole
}

TEST_F(VirtualDemuxTest, NewFilterAndStopFlushPendingBytes)
{
    tuneTo(epgStream());
    int fd = open();
    ASSERT_EQ(setFilter(fd, 0xD3, 0x91), 0);
    EXPECT_EQ(readSection(fd, 10).size(), 10u);
    ASSERT_EQ(setFilter(fd, 0xD3, 0x92), 0); // no stop in between
    EXPECT_EQ(readSection(fd), section(0x92, 2, 300));

    EXPECT_EQ(readSection(fd, 10).size(), 10u);
    EXPECT_EQ(host::devIoctl(fd, DMX_STOP), 0);
    char c;
    EXPECT_EQ(host::devRead(fd, &c, 1), 0); // stopped: nothing pending
    ASSERT_EQ(host::devIoctl(fd, demux::kDmxStart), 0);
    EXPECT_EQ(readSection(fd), section(0x92, 2, 300));
}

TEST_F(VirtualDemuxTest, TimeoutAfterEightSecondsOfStreamTime)
{
    tuneTo(epgStream());
    int fd = open();
    ASSERT_EQ(setFilter(fd, 0x1234, 0x90), 0);
    uint64_t start = m_tp.now();
    errno = 0;
    char buf[4096];
    EXPECT_EQ(host::devRead(fd, buf, sizeof buf), -1);
    EXPECT_EQ(errno, ETIMEDOUT);
    uint64_t waited = m_tp.now() - start;
    EXPECT_GE(waited, 8000 * kMs);
    EXPECT_LE(waited, 8000 * kMs + kPacketNs);
    EXPECT_GT(m_tp.loops(), 0u);
    // The emulation fails later reads too instead of blocking for ever.
    errno = 0;
    EXPECT_EQ(host::devRead(fd, buf, sizeof buf), -1);
    EXPECT_EQ(errno, ETIMEDOUT);
    // A new filter re-arms.
    ASSERT_EQ(setFilter(fd, 0xD3, 0x92), 0);
    EXPECT_EQ(readSection(fd), section(0x92, 2, 300));
}

TEST_F(VirtualDemuxTest, TimeoutBoundsOnlyTheFirstSection)
{
    Bytes out;
    ts::Packetizer pz(0xD2);
    pz.put(section(0x90, 1, 46), out);
    demuxtest::nulls(out, 1000); // about 300 ms between repeats
    tuneTo(out);
    int fd = open();
    ASSERT_EQ(setFilter(fd, 0xD2, 0x90, DMX_IMMEDIATE_START, 100), 0);
    EXPECT_EQ(readSection(fd).size(), 46u);
    uint64_t before = m_tp.now();
    EXPECT_EQ(readSection(fd).size(), 46u);
    EXPECT_GT(m_tp.now() - before, 100 * kMs);
}

TEST_F(VirtualDemuxTest, CheckCrcDropsCorruptSectionsOnlyWhenAsked)
{
    Bytes bad = section(0x90, 1, 100);
    bad[40] ^= 0xFF;
    Bytes out;
    ts::Packetizer pz(0xD2);
    pz.put({bad, section(0x90, 2, 100)}, out);
    tuneTo(out);
    int fd = open();
    ASSERT_EQ(setFilter(fd, 0xD2, 0x90), 0);
    EXPECT_EQ(readSection(fd), bad);
    ASSERT_EQ(setFilter(fd, 0xD2, 0x90, DMX_IMMEDIATE_START | DMX_CHECK_CRC), 0);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(readSection(fd), section(0x90, 2, 100));
}

TEST_F(VirtualDemuxTest, OneShotDeliversOneSectionUntilRestarted)
{
    tuneTo(epgStream());
    int fd = open();
    ASSERT_EQ(setFilter(fd, 0xD2, 0x90, DMX_IMMEDIATE_START | DMX_ONESHOT), 0);
    Bytes first = readSection(fd);
    EXPECT_EQ(first.size(), 46u);
    char buf[64];
    errno = 0;
    EXPECT_EQ(host::devRead(fd, buf, sizeof buf), -1);
    EXPECT_EQ(errno, ETIMEDOUT);
    ASSERT_EQ(host::devIoctl(fd, demux::kDmxStart), 0);
    EXPECT_EQ(readSection(fd).size(), 46u);
}

TEST_F(VirtualDemuxTest, FilterWithoutImmediateStartWaitsForStart)
{
    tuneTo(epgStream());
    int fd = open();
    ASSERT_EQ(setFilter(fd, 0xD3, 0x91, 0), 0);
    char c;
    EXPECT_EQ(host::devRead(fd, &c, 1), 0);
    ASSERT_EQ(host::devIoctl(fd, demux::kDmxStart), 0);
    EXPECT_EQ(readSection(fd), section(0x91, 1, 400));
}

TEST_F(VirtualDemuxTest, BadRequestsRejected)
{
    tuneTo(epgStream());
    int fd = open();
    errno = 0;
    EXPECT_EQ(host::devIoctl(fd, 0x12345678ul, nullptr), -1);
    EXPECT_EQ(errno, EINVAL);
    errno = 0;
    EXPECT_EQ(host::devIoctl(fd, demux::kDmxStart), -1); // no filter yet
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(setFilter(fd, 0x2000, 0x90), -1);
    EXPECT_EQ(errno, EINVAL);
}

TEST_F(VirtualDemuxTest, LoopingRestartsReassemblyCleanly)
{
    // The capture starts in the middle of a section and ends in the middle of another.
    Bytes out;
    ts::Packetizer pz(0xD2);
    pz.put({section(0x90, 1, 600), section(0x90, 2, 46), section(0x90, 3, 600)}, out, false);
    out.erase(out.begin(), out.begin() + 188);
    out.resize(out.size() - 188);
    tuneTo(out);
    demux::VirtualDemuxFile file(m_tp, O_RDWR);
    dmxSctFilterParams p;
    std::memset(&p, 0, sizeof p);
    p.pid = 0xD2;
    p.flags = DMX_IMMEDIATE_START;
    ASSERT_EQ(file.ioctl(DMX_SET_FILTER, &p), 0);
    Bytes buf(4096);
    for (int i = 0; i < 5; ++i) {
        ssize_t n = file.read(buf.data(), buf.size());
        EXPECT_EQ(Bytes(buf.begin(), buf.begin() + std::max<ssize_t>(n, 0)), section(0x90, 2, 46)) << i;
    }
    EXPECT_GE(m_tp.loops(), 4u);
    // The wrap is no fault: neither a continuity error nor a section counted as lost.
    EXPECT_EQ(file.stats().ccErrors, 0u);
    EXPECT_EQ(file.stats().droppedPartial, 0u);
}

TEST_F(VirtualDemuxTest, TwoOpenFilesShareTheStream)
{
    tuneTo(epgStream());
    int a = open(), b = open();
    ASSERT_EQ(setFilter(a, 0xD3, 0x91), 0);
    ASSERT_EQ(setFilter(b, 0xD2, 0x90), 0);
    EXPECT_EQ(readSection(a), section(0x91, 1, 400));
    EXPECT_EQ(readSection(b).size(), 46u);
    EXPECT_EQ(readSection(a), section(0x91, 1, 400));
}

TEST_F(VirtualDemuxTest, NothingTunedTimesOut)
{
    m_tp.add(epgStream().data(), epgStream().size());
    int fd = open();
    ASSERT_EQ(setFilter(fd, 0xD3, 0x91), 0);
    char buf[16];
    errno = 0;
    EXPECT_EQ(host::devRead(fd, buf, sizeof buf), -1);
    EXPECT_EQ(errno, ETIMEDOUT);
    EXPECT_FALSE(m_tp.tune(5));
    EXPECT_TRUE(m_tp.tune(0));
    ASSERT_EQ(setFilter(fd, 0xD3, 0x91), 0);
    EXPECT_EQ(readSection(fd), section(0x91, 1, 400));
}

TEST_F(VirtualDemuxTest, RealtimeWaitKeepsTheScreenAlive)
{
    tuneTo(epgStream());
    int hooks = 0;
    host::setBlockingHook([&] { ++hooks; });
    m_tp.setRealtime(true);
    int fd = open();
    ASSERT_EQ(setFilter(fd, 0x1234, 0x90, DMX_IMMEDIATE_START, 200), 0);
    char buf[16];
    uint64_t start = m_tp.now();
    EXPECT_EQ(host::devRead(fd, buf, sizeof buf), -1);
    EXPECT_EQ(errno, ETIMEDOUT);
    EXPECT_GE(m_tp.now() - start, 200 * kMs);
    EXPECT_GE(hooks, 3); // once from the read itself, then every 50 ms of waiting
    host::setBlockingHook(nullptr);
}

TEST(VirtualDemuxInstallTest, NoStreamNoDevice)
{
    errno = 0;
    EXPECT_EQ(host::devOpen(kNode, O_RDWR), -1);
    EXPECT_EQ(errno, ENOENT);
}

std::string capture(const char* name) { return std::string(ORVALIS_TEST_DATA_DIR) + "/ts/" + name; }

TEST_F(VirtualDemuxTest, CaptureSdtAndAbsentPid)
{
    ASSERT_TRUE(m_tp.add(capture("cz-ct-mux1-psi.ts")));
    ASSERT_TRUE(m_tp.tune(0));
    int fd = open();
    ASSERT_EQ(setFilter(fd, 0x11, 0x42, DMX_IMMEDIATE_START | DMX_CHECK_CRC), 0);
    for (int i = 0; i < 30; ++i) {
        Bytes s = readSection(fd);
        ASSERT_EQ(s.size(), 447u);
        EXPECT_EQ(s[0], 0x42);
        EXPECT_TRUE(ts::sectionCrcValid(s.data(), s.size()));
    }
    ASSERT_EQ(setFilter(fd, 0x0D3, 0x91), 0);
    uint64_t start = m_tp.now();
    char buf[4096];
    errno = 0;
    EXPECT_EQ(host::devRead(fd, buf, sizeof buf), -1);
    EXPECT_EQ(errno, ETIMEDOUT);
    EXPECT_GE(m_tp.now() - start, 8000 * kMs);
    EXPECT_LE(m_tp.now() - start, 8000 * kMs + kPacketNs);
}

TEST_F(VirtualDemuxTest, CaptureCrcFlagDropsTheBrokenEitSection)
{
    // One EIT p/f actual section of this capture (service 1046) fails its CRC.
    ASSERT_TRUE(m_tp.add(capture("fr-tnt-r4-multi4.ts")));
    ASSERT_TRUE(m_tp.tune(0));
    int fd = open();
    for (uint32_t flags : {0u, unsigned(DMX_CHECK_CRC)}) {
        ASSERT_EQ(setFilter(fd, 0x12, 0x4E, DMX_IMMEDIATE_START | flags), 0);
        uint64_t loops = m_tp.loops();
        int bad = 0, total = 0;
        while (m_tp.loops() < loops + 2) {
            Bytes s = readSection(fd);
            ASSERT_FALSE(s.empty());
            ++total;
            if (!ts::sectionCrcValid(s.data(), s.size()))
                ++bad;
        }
        EXPECT_GT(total, 500);
        if (flags)
            EXPECT_EQ(bad, 0);
        else
            EXPECT_GE(bad, 1);
    }
    EXPECT_FALSE(m_tp.stream(0).live()); // a file starts over
}

} // namespace

namespace {

TEST_F(VirtualDemuxTest, SlowReaderOverflowsThenContinues)
{
    tuneTo(epgStream());
    int busy = open(), idle = open();
    ASSERT_EQ(setFilter(idle, 0xD3, 0x91), 0);
    ASSERT_EQ(setFilter(busy, 0xD2, 0x90), 0);
    // While only the other file reads, 400-byte sections pile up past the 8192-byte buffer.
    for (int i = 0; i < 60; ++i)
        ASSERT_EQ(readSection(busy).size(), 46u);
    char buf[4096];
    errno = 0;
    EXPECT_EQ(host::devRead(idle, buf, sizeof buf), -1);
    EXPECT_EQ(errno, EOVERFLOW);
    EXPECT_EQ(readSection(idle), section(0x91, 1, 400));
}

TEST(VirtualDemuxLifetimeTest, FileOutlivingTranspondersFails)
{
    auto tp = std::make_unique<demux::Transponders>();
    Bytes s = epgStream();
    tp->add(s.data(), s.size());
    tp->tune(0);
    auto file = std::make_unique<demux::VirtualDemuxFile>(*tp, O_RDWR);
    tp.reset();
    char buf[16];
    errno = 0;
    EXPECT_EQ(file->read(buf, sizeof buf), -1);
    EXPECT_EQ(errno, ENODEV);
    file.reset();
}

} // namespace
