// Section reassembly over real broadcast captures: the per-table figures come from
// an independent analysis of the same files.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "ts/Crc32.h"
#include "ts/PacketReader.h"
#include "ts/SectionReassembler.h"

namespace {

struct TableFigures {
    int sections = 0; // with a valid CRC (or no CRC)
    int multiPacket = 0;
    size_t longest = 0;
};

std::string capture(const char* name) { return std::string(ORVALIS_TEST_DATA_DIR) + "/ts/" + name; }

const char* tableName(uint8_t tid)
{
    switch (tid) {
    case 0x00: return "PAT";
    case 0x02: return "PMT";
    case 0x40: return "NIT actual";
    case 0x41: return "NIT other";
    case 0x42: return "SDT actual";
    case 0x46: return "SDT other";
    case 0x4E: return "EIT p/f actual";
    case 0x4F: return "EIT p/f other";
    case 0x70: return "TDT";
    case 0x73: return "TOT";
    default:
        if (tid >= 0x50 && tid <= 0x5F)
            return "EIT sched actual";
        if (tid >= 0x60 && tid <= 0x6F)
            return "EIT sched other";
        return "other";
    }
}

// Reassembles the SI PIDs and the given PMT PIDs of a capture, CRC-checked.
std::map<std::string, TableFigures> analyse(const char* file, std::initializer_list<uint16_t> pmtPids,
                                            ts::ReassemblyStats* statsOut = nullptr)
{
    std::map<std::string, TableFigures> figures;
    ts::SectionReassembler r([&](uint16_t, const uint8_t* s, size_t n) {
        // The TOT carries a CRC although its syntax indicator is 0, so the demux never checks it.
        if (s[0] == 0x73 && ts::crc32(s, n) != 0)
            return;
        auto& f = figures[tableName(s[0])];
        ++f.sections;
        if (n > 183)
            ++f.multiPacket;
        f.longest = std::max(f.longest, n);
    });
    r.setCheckCrc(true);
    for (uint16_t pid : {0x00, 0x10, 0x11, 0x12, 0x14})
        r.watch(pid);
    for (uint16_t pid : pmtPids)
        r.watch(pid);
    ts::PacketReader reader(capture(file));
    EXPECT_TRUE(reader.ok()) << file;
    while (const uint8_t* p = reader.next())
        r.put(p);
    if (statsOut)
        *statsOut = r.stats();
    return figures;
}

void expectTable(const std::map<std::string, TableFigures>& f, const char* name, int sections, size_t longest)
{
    auto it = f.find(name);
    ASSERT_NE(it, f.end()) << name;
    EXPECT_EQ(it->second.sections, sections) << name;
    EXPECT_EQ(it->second.longest, longest) << name;
}

TEST(CaptureTest, CzechPsiSdtSpansPackets)
{
    auto f = analyse("cz-ct-mux1-psi.ts", {0x0300});
    expectTable(f, "SDT actual", 12, 447);
    EXPECT_EQ(f["SDT actual"].multiPacket, 12);
    expectTable(f, "PMT", 50, 103);
    expectTable(f, "PAT", 49, 68);
    expectTable(f, "NIT actual", 2, 103);
}

TEST(CaptureTest, GermanScheduleNearMaximumSize)
{
    auto f = analyse("de-ard-br-626mhz.ts", {0x1f91});
    expectTable(f, "EIT sched actual", 1270, 4092);
    expectTable(f, "EIT p/f actual", 351, 804);
    expectTable(f, "EIT sched other", 64, 3294);
    expectTable(f, "EIT p/f other", 37, 797);
    expectTable(f, "SDT actual", 12, 1003);
    expectTable(f, "SDT other", 2, 557);
    expectTable(f, "NIT actual", 2, 221);
    expectTable(f, "NIT other", 21, 217);
    expectTable(f, "PAT", 57, 60);
    expectTable(f, "PMT", 221, 41);
    expectTable(f, "TDT", 1, 8);
    expectTable(f, "TOT", 1, 29);
}

TEST(CaptureTest, FrenchCaptureOneBadCrc)
{
    ts::ReassemblyStats stats;
    auto f = analyse("fr-tnt-r4-multi4.ts", {}, &stats);
    expectTable(f, "EIT p/f actual", 597, 729);
    EXPECT_EQ(f["EIT p/f actual"].multiPacket, 597);
    expectTable(f, "EIT sched actual", 205, 4056);
    expectTable(f, "EIT p/f other", 636, 869);
    expectTable(f, "NIT actual", 30, 635);
    expectTable(f, "TDT", 4, 8);
    expectTable(f, "TOT", 30, 29);
    EXPECT_EQ(stats.crcErrors, 1u);
    EXPECT_EQ(stats.ccErrors, 0u);
}

TEST(CaptureTest, FrenchEitCarriesTextOutsideSections)
{
    // The EIT PID of this capture has packets without payload_unit_start that continue
    // no section, and sections cut short by the next one; none of their text may come out
    // as a section. Figures from an independent reading of the capture.
    std::map<uint8_t, int> tables;
    ts::SectionReassembler r([&](uint16_t, const uint8_t* s, size_t) { ++tables[s[0]]; });
    r.watch(0x12);
    ts::PacketReader reader(capture("fr-tnt-r4-multi4.ts"));
    while (const uint8_t* p = reader.next())
        r.put(p);
    EXPECT_EQ(tables, (std::map<uint8_t, int>{{0x4E, 598}, {0x4F, 636}, {0x50, 205}}));
    EXPECT_EQ(r.stats().strayPayload, 52u);
    EXPECT_EQ(r.stats().droppedPartial, 27u);
    EXPECT_EQ(r.stats().ccErrors + r.stats().duplicates + r.stats().transportErrors, 0u);
}

TEST(CaptureTest, WeakReceptionCountsFaults)
{
    ts::ReassemblyStats stats;
    auto f = analyse("gr-ert-heraklion-a.ts", {0x0109}, &stats);
    expectTable(f, "EIT sched actual", 613, 4081);
    expectTable(f, "EIT p/f actual", 140, 1390);
    expectTable(f, "SDT actual", 17, 391);
    expectTable(f, "NIT actual", 13, 226);
    EXPECT_GT(stats.ccErrors, 0u);
    EXPECT_GT(stats.transportErrors, 0u);
    EXPECT_GT(stats.droppedPartial, 0u);
}

TEST(CaptureTest, OtherCaptures)
{
    auto cra = analyse("cz-cra-mux22.ts", {0x019a});
    expectTable(cra, "EIT sched actual", 668, 3526);
    expectTable(cra, "SDT actual", 39, 652);
    auto it = analyse("it-mediaset-mux-ait.ts", {0x0100, 0x0101});
    expectTable(it, "SDT actual", 2, 496);
    expectTable(it, "PMT", 35, 236);
    expectTable(it, "TDT", 4, 8);
    auto tw = analyse("tw-cts-dvbt.ts", {0x1392});
    expectTable(tw, "EIT sched actual", 327, 1567);
    expectTable(tw, "PAT", 322, 36);
}

} // namespace
