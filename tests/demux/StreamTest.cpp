#include <gtest/gtest.h>

#include <unistd.h>

#include "DemuxTestUtil.h"
#include "demux/StreamClock.h"
#include "demux/TransportStream.h"
#include "ts/Packet.h"

namespace {

using demuxtest::Bytes;

// A packet on PID 0x100 carrying only an adaptation field with this PCR.
Bytes pcrPacket(uint64_t pcr)
{
    Bytes p(188, 0xFF);
    p[0] = 0x47;
    p[1] = 0x01;
    p[2] = 0x00;
    p[3] = 0x20;
    p[4] = 183;
    p[5] = 0x10;
    uint64_t base = pcr / 300, ext = pcr % 300;
    p[6] = uint8_t(base >> 25);
    p[7] = uint8_t(base >> 17);
    p[8] = uint8_t(base >> 9);
    p[9] = uint8_t(base >> 1);
    p[10] = uint8_t(((base & 1) << 7) | 0x7E | (ext >> 8));
    p[11] = uint8_t(ext);
    return p;
}

// PCR every 11 packets, 40 ms apart, starting at pcr0.
Bytes pcrStream(uint64_t pcr0, int intervals)
{
    Bytes out;
    for (int i = 0; i <= intervals; ++i) {
        Bytes p = pcrPacket((pcr0 + uint64_t(i) * 40 * 27000) % ts::kPcrModulus);
        out.insert(out.end(), p.begin(), p.end());
        if (i < intervals)
            demuxtest::nulls(out, 10);
    }
    return out;
}

uint64_t lastStamp(const Bytes& packets)
{
    demux::StreamClock clock;
    uint64_t t = 0;
    for (size_t i = 0; i < packets.size(); i += 188)
        t = clock.stamp(packets.data() + i);
    return t;
}

TEST(StreamClockTest, NominalRateWithoutPcr)
{
    Bytes out;
    demuxtest::nulls(out, 1001);
    // 1000 packets of 1504 bits at 5 Mbit/s.
    EXPECT_EQ(lastStamp(out), 300800000u);
}

TEST(StreamClockTest, FollowsPcrAcrossWrap)
{
    constexpr uint64_t kMs = 1000000;
    EXPECT_NEAR(double(lastStamp(pcrStream(27000000, 25))), 1000.0 * kMs, 1000.0);
    // Starting half a second before the 33-bit base wraps.
    EXPECT_NEAR(double(lastStamp(pcrStream(ts::kPcrModulus - 13500000, 25))), 1000.0 * kMs, 1000.0);
}

TEST(StreamClockTest, DiscontinuityDoesNotJumpTheClock)
{
    Bytes a = pcrStream(27000000, 10);          // 400 ms
    Bytes b = pcrStream(27000000ull * 3600, 10); // an hour later on the PCR clock
    a.insert(a.end(), b.begin(), b.end());
    uint64_t t = lastStamp(a);
    EXPECT_GT(t, 790000000u);
    EXPECT_LT(t, 820000000u);
}

TEST(TransportStreamTest, StandardInputIsTakenAsItComes)
{
    Bytes packets;
    ts::Packetizer pz(0x12);
    pz.put(demuxtest::section(0x90, 1, 2000), packets); // enough packets to prove the packet size
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    int savedStdin = dup(STDIN_FILENO);
    ASSERT_EQ(dup2(fds[0], STDIN_FILENO), STDIN_FILENO);
    close(fds[0]);
    ASSERT_EQ(write(fds[1], packets.data(), packets.size()), ssize_t(packets.size()));
    demux::TransportStream s;
    ASSERT_TRUE(s.open("-"));
    dup2(savedStdin, STDIN_FILENO);
    close(savedStdin);
    EXPECT_TRUE(s.live());
    EXPECT_EQ(s.name(), "standard input");
    // The last packet waits for the next one (its time on air), until the writer closes.
    Bytes played;
    while (s.step() == demux::TransportStream::Step::Packet) {
        played.insert(played.end(), s.packet(), s.packet() + 188);
        s.advance();
    }
    EXPECT_EQ(s.step(), demux::TransportStream::Step::Wait);
    EXPECT_EQ(played, Bytes(packets.begin(), packets.end() - 188));
    close(fds[1]);
    ASSERT_TRUE(s.waitReadable(1000));
    ASSERT_EQ(s.step(), demux::TransportStream::Step::Packet);
    EXPECT_EQ(Bytes(s.packet(), s.packet() + 188), Bytes(packets.end() - 188, packets.end()));
    s.advance();
    // Nothing is there twice: a live source never starts over.
    EXPECT_EQ(s.step(), demux::TransportStream::Step::Ended);
    EXPECT_FALSE(s.rewind());
    EXPECT_TRUE(s.problem().empty());
}

TEST(TransportStreamTest, MissingFileFails)
{
    demux::TransportStream s;
    EXPECT_FALSE(s.open("no-such-file.ts"));
}

} // namespace
