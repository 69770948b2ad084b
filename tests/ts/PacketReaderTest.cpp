#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "TsTestUtil.h"
#include "ts/PacketReader.h"
#include "ts/PacketSplitter.h"
#include "ts/Packetizer.h"

namespace {

std::vector<uint8_t> samplePackets(int sections)
{
    std::vector<uint8_t> ts;
    ts::Packetizer pz(0x12);
    for (int i = 0; i < sections; ++i)
        pz.put({tstest::makeSection(0x50, uint16_t(i), 300)}, ts, false);
    return ts;
}

// Re-frames 188-byte packets as 192 (4-byte prefix) or 204 (16 trailing bytes).
std::vector<uint8_t> reframe(const std::vector<uint8_t>& in, size_t size)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i < in.size(); i += 188) {
        if (size == 192)
            out.insert(out.end(), {0x00, 0x12, 0x34, 0x56});
        out.insert(out.end(), in.begin() + long(i), in.begin() + long(i + 188));
        if (size == 204)
            out.insert(out.end(), 16, 0xA5);
    }
    return out;
}

std::vector<uint8_t> readAll(const std::vector<uint8_t>& bytes, size_t block, size_t* packetSize = nullptr,
                             ts::ReaderStats* stats = nullptr)
{
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    std::FILE* tmp = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), tmp);
    std::fflush(tmp);
    std::rewind(tmp);
    close(fds[0]);
    close(fds[1]);
    ts::PacketReader reader(fileno(tmp), block);
    std::vector<uint8_t> out;
    while (const uint8_t* p = reader.next())
        out.insert(out.end(), p, p + 188);
    if (packetSize)
        *packetSize = reader.packetSize();
    if (stats)
        *stats = reader.stats();
    std::fclose(tmp);
    return out;
}

TEST(PacketReaderTest, DetectsAllPacketSizes)
{
    auto ts = samplePackets(40);
    for (size_t size : {188u, 192u, 204u}) {
        size_t detected = 0;
        EXPECT_EQ(readAll(reframe(ts, size), 4096, &detected), ts) << size;
        EXPECT_EQ(detected, size);
    }
}

TEST(PacketReaderTest, RegainsSyncAfterGarbage)
{
    auto ts = samplePackets(30);
    auto damaged = ts;
    const size_t cut = 10 * 188;
    damaged.insert(damaged.begin() + cut, {0x00, 0x47, 0x13, 0x99, 0x01});
    damaged.insert(damaged.begin(), {0x11, 0x22, 0x33});
    ts::ReaderStats stats;
    auto out = readAll(damaged, 4096, nullptr, &stats);
    EXPECT_EQ(out, ts);
    EXPECT_EQ(stats.syncLosses, 1u);
    EXPECT_EQ(stats.bytesSkipped, 8u);
}

TEST(PacketReaderTest, GivesUpOnNoiseThatLookedLikePacketsForAMoment)
{
    constexpr uint64_t kLimit = 1 << 20;
    auto readCounting = [](const std::vector<uint8_t>& bytes, size_t& packets) {
        std::FILE* tmp = std::tmpfile();
        std::fwrite(bytes.data(), 1, bytes.size(), tmp);
        std::fflush(tmp);
        std::rewind(tmp);
        ts::PacketReader reader(fileno(tmp), 4096);
        reader.setSyncSearchLimit(kLimit);
        packets = 0;
        while (reader.next())
            ++packets;
        const bool gaveUp = reader.noSync();
        std::fclose(tmp);
        return gaveUp;
    };
    // A few packets, then noise without sync bytes well past the limit.
    auto noisy = samplePackets(2);
    noisy.resize(noisy.size() + 3 * kLimit, 0x00);
    size_t packets = 0;
    EXPECT_TRUE(readCounting(noisy, packets));
    EXPECT_EQ(packets, samplePackets(2).size() / 188);
    // A stream that has shown more than the limit in packets is read to its end.
    auto stream = samplePackets(4000);
    auto damaged = samplePackets(4000);
    damaged.insert(damaged.begin() + 188 * 6000, kLimit + 1000, 0x00);
    EXPECT_FALSE(readCounting(damaged, packets));
    EXPECT_EQ(packets, stream.size() / 188);
}

TEST(PacketReaderTest, RunsGiveTheSamePacketsAsSingleReads)
{
    auto ts = samplePackets(60);
    for (size_t size : {188u, 192u, 204u}) {
        auto framed = reframe(ts, size);
        framed.insert(framed.begin() + long(size * 20), {0x01, 0x02}); // a sync loss in the middle
        std::FILE* tmp = std::tmpfile();
        std::fwrite(framed.data(), 1, framed.size(), tmp);
        std::fflush(tmp);
        std::rewind(tmp);
        ts::PacketReader reader(fileno(tmp), 4096);
        std::vector<uint8_t> out;
        size_t count = 0, runs = 0;
        while (const uint8_t* run = reader.nextRun(count)) {
            ++runs;
            for (size_t i = 0; i < count; ++i)
                out.insert(out.end(), run + i * reader.packetSize(), run + i * reader.packetSize() + 188);
        }
        EXPECT_EQ(out, ts) << size;
        EXPECT_GT(runs, 1u);
        EXPECT_EQ(reader.stats().packets, ts.size() / 188);
        EXPECT_EQ(reader.stats().syncLosses, 1u);
        // Starting over gives the first packet again.
        ASSERT_TRUE(reader.rewind());
        const uint8_t* first = reader.next();
        ASSERT_NE(first, nullptr);
        EXPECT_TRUE(std::equal(first, first + 188, ts.begin()));
        std::fclose(tmp);
    }
}

TEST(PacketReaderTest, LiveSourceWaitsForWholePacketsWithoutBlocking)
{
    auto ts = samplePackets(10);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ts::PacketReader reader(fds[0], 4096);
    reader.setLive(true);
    EXPECT_EQ(reader.next(), nullptr); // nothing written yet: no wait
    EXPECT_TRUE(reader.wouldBlock());
    EXPECT_FALSE(reader.eof());
    // Enough to prove the packet size, but the last packet cut short.
    const size_t first = 8 * 188 + 100;
    ASSERT_EQ(write(fds[1], ts.data(), first), ssize_t(first));
    std::vector<uint8_t> out;
    while (const uint8_t* p = reader.next())
        out.insert(out.end(), p, p + 188);
    EXPECT_EQ(out.size(), 8 * 188u);
    ASSERT_EQ(write(fds[1], ts.data() + first, ts.size() - first), ssize_t(ts.size() - first));
    close(fds[1]);
    while (!reader.eof())
        while (const uint8_t* p = reader.next())
            out.insert(out.end(), p, p + 188);
    EXPECT_EQ(out, ts);
    EXPECT_FALSE(reader.rewind()); // a pipe cannot start over
    close(fds[0]);
}

TEST(PacketSplitterTest, ArbitraryChunksGiveSamePackets)
{
    auto ts = reframe(samplePackets(25), 204);
    for (size_t chunk : {1u, 7u, 188u, 1000u}) {
        ts::PacketSplitter s;
        std::vector<uint8_t> out;
        auto sink = [&](const uint8_t* p) { out.insert(out.end(), p, p + 188); };
        for (size_t i = 0; i < ts.size(); i += chunk)
            s.push(ts.data() + i, std::min(chunk, ts.size() - i), sink);
        s.finish(sink);
        EXPECT_EQ(out, samplePackets(25)) << chunk;
        EXPECT_EQ(s.packetSize(), 204u);
    }
}

TEST(PacketSplitterTest, TinyInputStillSplitAtEnd)
{
    auto ts = samplePackets(1);
    ASSERT_EQ(ts.size(), 2 * 188u);
    ts::PacketSplitter s;
    int packets = 0;
    auto sink = [&](const uint8_t*) { ++packets; };
    s.push(ts.data(), ts.size(), sink);
    EXPECT_EQ(packets, 0); // not enough to prove the stride yet
    s.finish(sink);
    EXPECT_EQ(packets, 2);
}

} // namespace
