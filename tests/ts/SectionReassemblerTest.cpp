#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TsTestUtil.h"
#include "ts/Packet.h"
#include "ts/Packetizer.h"
#include "ts/SectionReassembler.h"

namespace {

using Sections = std::vector<std::vector<uint8_t>>;
using tstest::makeSection;

struct Collector {
    Sections got;
    ts::SectionReassembler r{[this](uint16_t, const uint8_t* s, size_t n) { got.emplace_back(s, s + n); }};
    void feed(const std::vector<uint8_t>& packets) { r.putPackets(packets.data(), packets.size()); }
};

Sections mixedSections()
{
    return {makeSection(0x50, 1, 12), makeSection(0x50, 2, 183), makeSection(0x50, 3, 184),
            makeSection(0x50, 4, 1000), makeSection(0x4E, 5, 20), makeSection(0x50, 6, 4096),
            makeSection(0x42, 7, 400), makeSection(0x50, 8, 180)};
}

TEST(SectionReassemblerTest, PacketizerRoundTripPackedAndUnpacked)
{
    for (bool packed : {true, false}) {
        std::vector<uint8_t> ts;
        ts::Packetizer pz(0x12);
        pz.put(mixedSections(), ts, packed);
        Collector c;
        c.r.watch(0x12);
        c.feed(ts);
        EXPECT_EQ(c.got, mixedSections()) << "packed " << packed;
        EXPECT_EQ(c.r.stats().ccErrors, 0u);
        EXPECT_EQ(c.r.stats().droppedPartial, 0u);
    }
}

TEST(SectionReassemblerTest, SeveralSectionsInOnePacketAndStuffing)
{
    std::vector<uint8_t> ts;
    ts::Packetizer pz(0x100);
    Sections small = {makeSection(0x02, 1, 30), makeSection(0x02, 2, 40), makeSection(0x02, 3, 50)};
    pz.put(small, ts, true);
    ASSERT_EQ(ts.size(), ts::kPacketSize); // all three share one packet, then 0xFF stuffing
    Collector c;
    c.r.watch(0x100);
    c.feed(ts);
    EXPECT_EQ(c.got, small);
}

TEST(SectionReassemblerTest, OnlyWatchedPidsAndFiltersAcceptSections)
{
    std::vector<uint8_t> ts;
    ts::Packetizer a(0x12), b(0x11);
    a.put(mixedSections(), ts);
    b.put({makeSection(0x42, 9, 300)}, ts);
    Collector c;
    c.r.addFilter(0x12, ts::SectionFilter::tableId(0x4E));
    c.feed(ts);
    ASSERT_EQ(c.got.size(), 1u);
    EXPECT_EQ(c.got[0], makeSection(0x4E, 5, 20));
    EXPECT_EQ(c.r.stats().filtered, mixedSections().size() - 1);

    Collector all;
    all.r.watchAll();
    all.feed(ts);
    EXPECT_EQ(all.got.size(), mixedSections().size() + 1);
}

TEST(SectionReassemblerTest, ContinuityBreakDropsPartialAndResyncs)
{
    std::vector<uint8_t> ts;
    ts::Packetizer pz(0x12);
    pz.put({makeSection(0x50, 1, 1000)}, ts, false); // 6 packets
    pz.put({makeSection(0x50, 2, 100)}, ts, false);  // 1 packet
    // Lose the third packet of the long section.
    ts.erase(ts.begin() + 2 * 188, ts.begin() + 3 * 188);
    Collector c;
    c.r.watch(0x12);
    c.feed(ts);
    ASSERT_EQ(c.got.size(), 1u);
    EXPECT_EQ(c.got[0], makeSection(0x50, 2, 100));
    EXPECT_EQ(c.r.stats().ccErrors, 1u);
    EXPECT_EQ(c.r.stats().droppedPartial, 1u);
}

TEST(SectionReassemblerTest, DuplicatePacketIgnored)
{
    std::vector<uint8_t> ts;
    ts::Packetizer pz(0x12);
    pz.put({makeSection(0x50, 1, 500)}, ts, false);
    std::vector<uint8_t> dup(ts.begin(), ts.begin() + 188);
    ts.insert(ts.begin() + 188, dup.begin(), dup.end());
    Collector c;
    c.r.watch(0x12);
    c.feed(ts);
    ASSERT_EQ(c.got.size(), 1u);
    EXPECT_EQ(c.got[0], makeSection(0x50, 1, 500));
    EXPECT_EQ(c.r.stats().duplicates, 1u);
    EXPECT_EQ(c.r.stats().ccErrors, 0u);
}

TEST(SectionReassemblerTest, DiscontinuityIndicatorDropsPartial)
{
    std::vector<uint8_t> ts;
    ts::Packetizer pz(0x12);
    pz.put({makeSection(0x50, 1, 300)}, ts, false);
    // Rebuild the second packet with an adaptation field that flags a discontinuity.
    uint8_t* p = ts.data() + 188;
    std::vector<uint8_t> payload(p + 4, p + 188);
    p[3] = uint8_t(0x30 | (p[3] & 0x0F));
    p[4] = 1;
    p[5] = 0x80;
    std::copy(payload.begin(), payload.end() - 2, p + 6);
    Collector c;
    c.r.watch(0x12);
    c.feed(ts);
    EXPECT_TRUE(c.got.empty());
    EXPECT_EQ(c.r.stats().discontinuities, 1u);
    EXPECT_EQ(c.r.stats().droppedPartial, 1u);
}

TEST(SectionReassemblerTest, OversizedSectionLengthDropped)
{
    std::vector<uint8_t> ts;
    ts::Packetizer pz(0x12);
    auto bad = makeSection(0x50, 1, 300);
    bad[1] = 0xBF; // section_length 0xFFF: 4098 bytes in total
    bad[2] = 0xFF;
    pz.put({bad}, ts, false);
    pz.put({makeSection(0x50, 2, 50)}, ts, false);
    Collector c;
    c.r.watch(0x12);
    c.feed(ts);
    ASSERT_EQ(c.got.size(), 1u);
    EXPECT_EQ(c.got[0][4], 2);
    EXPECT_EQ(c.r.stats().badLength, 1u);
}

TEST(SectionReassemblerTest, TruncatedSectionDroppedAtNextStart)
{
    std::vector<uint8_t> ts;
    ts::Packetizer pz(0x12);
    pz.put({makeSection(0x50, 1, 600)}, ts, false);
    ts.resize(2 * 188); // the rest never comes; the counter runs on
    pz.setContinuityCounter(2);
    pz.put({makeSection(0x50, 2, 60)}, ts, false);
    Collector c;
    c.r.watch(0x12);
    c.feed(ts);
    ASSERT_EQ(c.got.size(), 1u);
    EXPECT_EQ(c.got[0][4], 2);
    EXPECT_EQ(c.r.stats().droppedPartial, 1u);
}

// A packet of PID 0x12 carrying these payload bytes, then 0xFF stuffing.
std::vector<uint8_t> rawPacket(bool unitStart, uint8_t cc, const std::vector<uint8_t>& payload)
{
    EXPECT_LE(payload.size(), ts::kPacketSize - 4);
    std::vector<uint8_t> p(ts::kPacketSize, 0xFF);
    p[0] = 0x47;
    p[1] = unitStart ? 0x40 : 0x00;
    p[2] = 0x12;
    p[3] = uint8_t(0x10 | (cc & 0x0F));
    std::copy_n(payload.begin(), std::min(payload.size(), ts::kPacketSize - 4), p.begin() + 4);
    return p;
}

std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(SectionReassemblerTest, OnlyPointerFieldsStartSections)
{
    // Event text as a broadcast carried it in a packet without payload_unit_start after
    // the last section and its stuffing: read from its first byte, "e b" is table_id 0x65
    // with section_length 0x062, a whole section of 101 bytes.
    const std::string text = "e bleue l\xE9gendaire aux \xEEles Fidji. Alors que leurs deux carri\xE8res sont en jeu, "
                             "cette chasse au tr\xE9sor pourrait bien les amener \xE0 trouver le seul tr\xE9sor qui "
                             "compte vraiment. Une aventure au bout du monde pour deux chasseurs de tr\xE9sors.";
    const std::vector<uint8_t> stray(text.begin(), text.begin() + 184);
    const auto a = makeSection(0x4E, 1, 100), b = makeSection(0x4E, 2, 60), c = makeSection(0x50, 3, 250);
    const std::vector<uint8_t> onlyStuffing;

    // Stray packet between sections; an all-stuffing packet is no fault.
    Collector between;
    between.r.watch(0x12);
    between.feed(concat({rawPacket(true, 0, concat({{0}, a})), rawPacket(false, 1, stray),
                         rawPacket(false, 2, onlyStuffing), rawPacket(true, 3, concat({{0}, b}))}));
    EXPECT_EQ(between.got, (Sections{a, b}));
    EXPECT_EQ(between.r.stats().strayPayload, 1u);
    EXPECT_EQ(between.r.stats().droppedPartial, 0u);

    // Stray bytes after a section that ends in a packet without payload_unit_start, and
    // before the pointer_field's target when nothing is open; filtered or not.
    const std::vector<uint8_t> cHead(c.begin(), c.begin() + 183);
    const std::vector<uint8_t> cRest(c.begin() + 183, c.end());
    const auto cTail = concat({cRest, std::vector<uint8_t>(stray.begin(), stray.end() - cRest.size())});
    const auto afterPointer = concat({{10}, std::vector<uint8_t>(stray.begin(), stray.begin() + 10), b});
    const auto packets = concat({rawPacket(true, 0, concat({{0}, cHead})), rawPacket(false, 1, cTail),
                                 rawPacket(true, 2, afterPointer)});
    for (bool filtered : {false, true}) {
        Collector after;
        if (filtered)
            after.r.addFilter(0x12, ts::SectionFilter::tableId(0x50));
        else
            after.r.watch(0x12);
        after.feed(packets);
        EXPECT_EQ(after.got, (filtered ? Sections{c} : Sections{c, b})) << "filtered " << filtered;
        EXPECT_EQ(after.r.stats().strayPayload, 2u) << "filtered " << filtered;
        EXPECT_EQ(after.r.stats().droppedPartial, 0u) << "filtered " << filtered;
    }
}

TEST(SectionReassemblerTest, PointerFieldBeyondPayloadCounted)
{
    std::vector<uint8_t> ts;
    ts::Packetizer pz(0x12);
    pz.put({makeSection(0x50, 1, 50)}, ts, false);
    ts[4] = 184;
    Collector c;
    c.r.watch(0x12);
    c.feed(ts);
    EXPECT_TRUE(c.got.empty());
    EXPECT_EQ(c.r.stats().badPointer, 1u);
}

TEST(SectionReassemblerTest, CrcCheckDropsCorruptLongFormOnly)
{
    auto corrupt = makeSection(0x50, 1, 100);
    corrupt[50] ^= 0x01;
    std::vector<uint8_t> tdt = {0x70, 0x70, 0x05, 0xE8, 0x1F, 0x12, 0x34, 0x56}; // short form: never checked
    std::vector<uint8_t> ts;
    ts::Packetizer pz(0x12);
    pz.put({corrupt, makeSection(0x50, 2, 100), tdt}, ts);
    for (bool check : {false, true}) {
        Collector c;
        c.r.watch(0x12);
        c.r.setCheckCrc(check);
        c.feed(ts);
        EXPECT_EQ(c.got.size(), check ? 2u : 3u);
        EXPECT_EQ(c.r.stats().crcErrors, check ? 1u : 0u);
    }
}

TEST(SectionReassemblerTest, ResetForgetsPartialWithoutFault)
{
    std::vector<uint8_t> ts;
    ts::Packetizer pz(0x12);
    pz.put({makeSection(0x50, 1, 400)}, ts, false);
    Collector c;
    c.r.watch(0x12);
    c.r.putPackets(ts.data(), 188); // first packet only
    c.r.reset();
    c.feed(ts); // starts again with counter 0: not a continuity error after reset
    ASSERT_EQ(c.got.size(), 1u);
    EXPECT_EQ(c.r.stats().ccErrors, 0u);
}

TEST(SectionReassemblerTest, UnwatchingOnePidKeepsTheOthersAndTheirPartialSections)
{
    // Three PIDs interleaved packet by packet, each with a section spanning many packets.
    std::vector<uint8_t> a, b, c;
    ts::Packetizer pa(0x20), pb(0x21), pc(0x22);
    pa.put({makeSection(0x50, 1, 1500)}, a);
    pb.put({makeSection(0x51, 2, 1500)}, b);
    pc.put({makeSection(0x52, 3, 1500)}, c);
    ASSERT_EQ(a.size(), b.size());
    std::vector<uint16_t> pids;
    ts::SectionReassembler r([&](uint16_t pid, const uint8_t*, size_t) { pids.push_back(pid); });
    for (uint16_t pid : {0x20, 0x21, 0x22})
        r.watch(pid);
    const size_t half = a.size() / 2 / 188 * 188;
    for (size_t at = 0; at < a.size(); at += 188) {
        if (at == half) {
            r.unwatch(0x20); // the state of 0x22 takes its place in the middle of its section
            r.unwatch(0x99); // never watched: nothing happens
        }
        for (const auto* stream : {&a, &b, &c})
            r.put(stream->data() + at);
    }
    EXPECT_EQ(pids, (std::vector<uint16_t>{0x21, 0x22}));
    EXPECT_EQ(r.stats().droppedPartial, 0u);
    EXPECT_EQ(r.stats().ccErrors, 0u);
    // Watching again starts afresh; unwatchAll forgets every PID.
    pids.clear();
    r.watch(0x20);
    r.putPackets(a.data(), a.size());
    r.unwatchAll();
    r.putPackets(b.data(), b.size());
    EXPECT_EQ(pids, (std::vector<uint16_t>{0x20}));
}

TEST(PacketTest, HeaderAdaptationAndPcr)
{
    uint8_t p[188] = {0x47, 0x41, 0x00, 0x3A, 7, 0x90};
    // PCR base 0x123456789 (33 bits), extension 0x55.
    uint64_t base = 0x123456789ull;
    p[6] = uint8_t(base >> 25);
    p[7] = uint8_t(base >> 17);
    p[8] = uint8_t(base >> 9);
    p[9] = uint8_t(base >> 1);
    p[10] = uint8_t(((base & 1) << 7) | 0x7E | 0x00);
    p[11] = 0x55;
    auto h = ts::parsePacket(p);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->pid, 0x100);
    EXPECT_TRUE(h->unitStart);
    EXPECT_EQ(h->continuityCounter, 0x0A);
    EXPECT_TRUE(h->discontinuity);
    ASSERT_TRUE(h->pcr);
    EXPECT_EQ(*h->pcr, base * 300 + 0x55);
    EXPECT_EQ(h->payloadOffset, 12);

    p[4] = 183; // adaptation field leaves no room for the announced payload
    EXPECT_FALSE(ts::parsePacket(p));
    p[0] = 0x46;
    EXPECT_FALSE(ts::parsePacket(p));
}

TEST(PacketTest, PcrDeltaAcrossWrap)
{
    EXPECT_EQ(ts::pcrDelta(100, 400), 300u);
    EXPECT_EQ(ts::pcrDelta(ts::kPcrModulus - 10, 5), 15u);
}

} // namespace
