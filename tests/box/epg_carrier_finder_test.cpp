// Finding the service that carries the guide: its programme map must list both EPG
// PIDs; maps of other programmes on a shared PID, broken sections and maps that list
// only one of the two PIDs do not count.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "../ts/TsTestUtil.h"
#include "box/EpgCarrierFinder.h"
#include "ts/Packetizer.h"

namespace {

using Bytes = std::vector<uint8_t>;
using tstest::put16;

// A PMT of the programme listing the given elementary PIDs as private sections (type 5).
Bytes pmt(uint16_t program, const std::vector<uint16_t>& pids)
{
    Bytes s = {0x02, 0xB0, 0};
    put16(s, program);
    s.insert(s.end(), {0xC1, 0, 0});
    put16(s, 0xE000 | 0x1FFF); // no PCR
    put16(s, 0xF000);          // no programme descriptors
    for (uint16_t pid : pids) {
        s.push_back(0x05);
        put16(s, 0xE000 | pid);
        put16(s, 0xF000);
    }
    tstest::finishSection(s);
    return s;
}

// Sends sections on PIDs as a multiplexer would: each PID's continuity counter runs on.
class Air {
public:
    explicit Air(box::EpgCarrierFinder& finder) : m_finder(finder) {}
    void send(uint16_t pid, const std::vector<Bytes>& sections)
    {
        Bytes out;
        m_packetizers.try_emplace(pid, pid).first->second.put(sections, out);
        for (size_t at = 0; at + ts::kPacketSize <= out.size(); at += ts::kPacketSize)
            m_finder.put(&out[at]);
    }

private:
    box::EpgCarrierFinder& m_finder;
    std::map<uint16_t, ts::Packetizer> m_packetizers;
};

constexpr uint16_t kTitles = box::EpgCarrierFinder::kTitlePid;
constexpr uint16_t kTables = box::EpgCarrierFinder::kTablePid;

} // namespace

TEST(EpgCarrierFinder, NamesTheServicesWhoseMapListsBothPids)
{
    box::EpgCarrierFinder finder({{0x10, 0x100}, {0x20, 0x200}, {0x30, 0x300}, {0x40, 0x400}});
    Air air(finder);
    air.send(0x100, {pmt(0x10, {0x101, 0x102})});
    air.send(0x200, {pmt(0x20, {kTitles})});          // titles only
    air.send(0x300, {pmt(0x30, {0x301, kTables, kTitles})});
    EXPECT_FALSE(finder.done()) << "the map of 0x40 has not come yet";
    air.send(0x400, {pmt(0x40, {kTables})});           // tables only
    EXPECT_TRUE(finder.done());
    EXPECT_EQ(finder.carriers(), std::vector<uint16_t>{0x30});
}

TEST(EpgCarrierFinder, TakesEachMapFromItsOwnPidAndProgramme)
{
    // Two programmes share one PMT PID; a map on a PID the PAT does not give for
    // its programme, one of another table and one with a broken CRC are passed over.
    box::EpgCarrierFinder finder({{0x10, 0x100}, {0x20, 0x100}, {0x30, 0x300}});
    Air air(finder);
    Bytes broken = pmt(0x30, {kTitles, kTables});
    broken[broken.size() - 1] ^= 0xFF;
    Bytes otherTable = pmt(0x30, {kTitles, kTables});
    otherTable[0] = 0x03;
    air.send(0x300, {broken, otherTable});
    air.send(0x200, {pmt(0x30, {kTitles, kTables})});
    EXPECT_TRUE(finder.carriers().empty());
    air.send(0x100, {pmt(0x10, {0x101}), pmt(0x20, {kTitles, kTables})});
    EXPECT_FALSE(finder.done());
    // The first map seen of a programme is kept: a later version does not undo it.
    air.send(0x100, {pmt(0x20, {0x101})});
    air.send(0x300, {pmt(0x30, {kTables, kTitles})});
    EXPECT_TRUE(finder.done());
    EXPECT_EQ(finder.carriers(), (std::vector<uint16_t>{0x20, 0x30}));
}

TEST(EpgCarrierFinder, WithoutServicesThereIsNothingToWaitFor)
{
    box::EpgCarrierFinder finder(std::map<uint16_t, uint16_t>{{0x10, 0}});
    EXPECT_TRUE(finder.done()) << "a service the PAT does not list has no map to wait for";
    EXPECT_TRUE(finder.carriers().empty());
}
