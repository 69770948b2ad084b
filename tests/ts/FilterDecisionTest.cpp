// Which sections the reassembler delivers must not depend on how the stream is cut:
// not on the reader's block size, the packet size on disk, nor on runs of packets
// against single packets. Nor may the reassembler's table_id lookup decide other
// than the filters themselves.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <tuple>
#include <unistd.h>
#include <vector>

#include "ts/PacketReader.h"
#include "ts/Packetizer.h"
#include "ts/SectionFilter.h"
#include "ts/SectionReassembler.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Delivered {
    uint16_t pid;
    Bytes section;
    bool operator==(const Delivered& o) const { return pid == o.pid && section == o.section; }
};

// A short-form section of the given total size with random contents after the header.
Bytes randomSection(std::mt19937& rng, uint8_t tableId, size_t total)
{
    Bytes s(total);
    s[0] = tableId;
    s[1] = uint8_t(0x70 | ((total - 3) >> 8));
    s[2] = uint8_t(total - 3);
    for (size_t i = 3; i < total; ++i)
        s[i] = uint8_t(rng());
    return s;
}

struct Stream {
    Bytes packets;                  // 188-byte packets, null packets between
    std::vector<Delivered> sent;    // every section, in order
};

// Bursts of one to six sections on three PIDs, short ones (several per packet,
// headers split over two packets) and long ones, null packets now and then.
Stream makeStream(unsigned seed, int bursts)
{
    std::mt19937 rng(seed);
    Stream st;
    ts::Packetizer pz[3] = {ts::Packetizer(0xD2), ts::Packetizer(0xD3), ts::Packetizer(0x12)};
    const uint16_t pids[3] = {0xD2, 0xD3, 0x12};
    const uint8_t tables[] = {0x90, 0x91, 0x92, 0x4E, 0x50, 0x5F, 0x00, 0xFE};
    for (int b = 0; b < bursts; ++b) {
        const int p = int(rng() % 3);
        std::vector<Bytes> burst;
        for (int n = 1 + int(rng() % 6); n > 0; --n) {
            const size_t total = rng() % 3 ? 3 + rng() % 60 : 20 + rng() % 4077;
            burst.push_back(randomSection(rng, tables[rng() % sizeof tables], total));
            st.sent.push_back({pids[p], burst.back()});
        }
        pz[p].put(burst, st.packets, true);
        if (rng() % 2)
            ts::appendNullPacket(st.packets);
    }
    return st;
}

std::vector<Delivered> expectedFor(const Stream& st, const std::vector<std::pair<uint16_t, ts::SectionFilter>>& filters)
{
    std::vector<Delivered> out;
    for (const Delivered& d : st.sent)
        for (const auto& [pid, f] : filters)
            if (pid == d.pid && f.matches(d.section.data(), d.section.size())) {
                out.push_back(d);
                break;
            }
    return out;
}

void addFilters(ts::SectionReassembler& r, const std::vector<std::pair<uint16_t, ts::SectionFilter>>& filters)
{
    for (const auto& [pid, f] : filters)
        r.addFilter(pid, f);
}

// Through a temporary file and the packet reader, stored with the given packet size.
std::vector<Delivered> readThrough(const Bytes& packets, size_t storedSize, size_t block, bool runs,
                                   const std::vector<std::pair<uint16_t, ts::SectionFilter>>& filters)
{
    Bytes stored;
    for (size_t i = 0; i < packets.size(); i += ts::kPacketSize) {
        if (storedSize == 192)
            stored.insert(stored.end(), {0x00, 0x11, 0x22, 0x33});
        stored.insert(stored.end(), packets.begin() + long(i), packets.begin() + long(i + ts::kPacketSize));
        if (storedSize == 204)
            stored.insert(stored.end(), 16, 0xA5);
    }
    std::FILE* tmp = std::tmpfile();
    EXPECT_EQ(std::fwrite(stored.data(), 1, stored.size(), tmp), stored.size());
    std::fflush(tmp);
    std::rewind(tmp);
    std::vector<Delivered> got;
    ts::SectionReassembler r([&](uint16_t pid, const uint8_t* s, size_t n) { got.push_back({pid, Bytes(s, s + n)}); });
    addFilters(r, filters);
    ts::PacketReader reader(fileno(tmp), block);
    size_t count = 0;
    if (runs) {
        while (const uint8_t* run = reader.nextRun(count))
            r.putRun(run, count, reader.packetSize());
    } else {
        while (const uint8_t* p = reader.next())
            r.put(p);
    }
    EXPECT_EQ(reader.packetSize(), storedSize);
    EXPECT_EQ(reader.stats().syncLosses, 0u);
    std::fclose(tmp);
    return got;
}

ts::SectionFilter byteFilter(uint8_t tableId, uint8_t tableMask, size_t k = 0, uint8_t value = 0, uint8_t mask = 0,
                             uint8_t mode = 0)
{
    uint8_t f[ts::kFilterSize] = {tableId}, m[ts::kFilterSize] = {tableMask}, md[ts::kFilterSize] = {};
    if (k) {
        f[k] = value;
        m[k] = mask;
        md[k] = mode;
    }
    return ts::SectionFilter(f, m, md);
}

TEST(FilterDecisionTest, SectionsAreTheSameWhateverTheBlockPacketSizeOrRun)
{
    const Stream st = makeStream(22, 900);
    // Table ids only (the reassembler's lookup), ranges by mask, bytes past the
    // header (decided once enough of a long section is in), and a negative match.
    const std::vector<std::vector<std::pair<uint16_t, ts::SectionFilter>>> filterSets = {
        {{0xD2, ts::SectionFilter::tableId(0x90)}, {0xD3, ts::SectionFilter::tableId(0x90)},
         {0xD3, ts::SectionFilter::tableId(0x91)}, {0xD3, ts::SectionFilter::tableId(0x92)}},
        {{0xD2, byteFilter(0x50, 0xF0)}, {0x12, byteFilter(0x4E, 0xFE)}, {0xD3, ts::SectionFilter()}},
        {{0xD2, byteFilter(0x90, 0xFF, 6, 0x80, 0x80)}, {0xD3, byteFilter(0x00, 0x00, 15, 0x00, 0x0F, 0x0F)},
         {0x12, byteFilter(0x4E, 0xFF, 1, 0x12, 0xFF)}},
    };
    for (size_t set = 0; set < filterSets.size(); ++set) {
        const auto& filters = filterSets[set];
        const std::vector<Delivered> expected = expectedFor(st, filters);
        ASSERT_GT(expected.size(), 50u) << "set " << set;
        ASSERT_LT(expected.size(), st.sent.size()) << "set " << set;
        for (size_t stored : {size_t(188), size_t(192), size_t(204)})
            for (size_t block : {size_t(4096), size_t(4097), size_t(12345), size_t(65536), ts::PacketReader::kDefaultBlock})
                for (bool runs : {true, false})
                    EXPECT_TRUE(readThrough(st.packets, stored, block, runs, filters) == expected)
                        << "set " << set << ", " << stored << "-byte packets, block " << block
                        << (runs ? ", runs" : ", single packets");
    }
}

TEST(FilterDecisionTest, TableIdLookupDecidesAsTheFilters)
{
    // A section of every table id (0xFF would be stuffing) on one PID, for sets of
    // filters whose table ids overlap, are ranges by mask, or take any id at all.
    std::mt19937 rng(5);
    std::vector<Bytes> sections;
    for (unsigned t = 0; t < 0xFF; ++t)
        sections.push_back(randomSection(rng, uint8_t(t), 10 + rng() % 300));
    Bytes packets;
    ts::Packetizer pz(0x100);
    pz.put(sections, packets, true);

    const std::vector<std::vector<ts::SectionFilter>> sets = {
        {ts::SectionFilter::tableId(0x00)},
        {ts::SectionFilter::tableId(0x3F), ts::SectionFilter::tableId(0x40), ts::SectionFilter::tableId(0x7F),
         ts::SectionFilter::tableId(0x80), ts::SectionFilter::tableId(0xFE)},
        {byteFilter(0x50, 0xF0), byteFilter(0x4E, 0xFE), byteFilter(0x55, 0xFF)},
        {byteFilter(0x81, 0x81)},
        {byteFilter(0x00, 0x00, 0, 0, 0), byteFilter(0x90, 0xFF)}, // the first takes every section
        {byteFilter(0x90, 0xFF), byteFilter(0x90, 0xFF, 0, 0, 0)},
        // One filter that looks past the table id: no lookup for this PID.
        {ts::SectionFilter::tableId(0x90), byteFilter(0x91, 0xFF, 1, 0x00, 0x80)},
        {byteFilter(0x91, 0xFF, 1, 0x00, 0x80, 0x80), ts::SectionFilter::tableId(0x92)},
    };
    for (size_t i = 0; i < sets.size(); ++i) {
        std::vector<unsigned> expected, got;
        for (const Bytes& s : sections)
            for (const ts::SectionFilter& f : sets[i])
                if (f.matches(s.data(), s.size())) {
                    expected.push_back(s[0]);
                    break;
                }
        ts::SectionReassembler r([&](uint16_t, const uint8_t* s, size_t) { got.push_back(s[0]); });
        for (const ts::SectionFilter& f : sets[i])
            r.addFilter(0x100, f);
        r.putPackets(packets.data(), packets.size());
        EXPECT_EQ(got, expected) << "set " << i;
        EXPECT_EQ(r.stats().filtered + r.stats().sections, sections.size()) << "set " << i;
    }
    // Filters added one by one: each addition widens what is taken.
    ts::SectionReassembler r;
    r.addFilter(0x100, ts::SectionFilter::tableId(0x10));
    r.addFilter(0x100, ts::SectionFilter::tableId(0x20));
    r.putPackets(packets.data(), packets.size());
    EXPECT_EQ(r.stats().sections, 2u);
}

} // namespace
