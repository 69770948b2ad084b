// Reading a logging run's files: the days of early-morning programmes depend on the
// EPG service's namespace, and a title may itself hold the field separator.
#include "xmltv/OfflineWeekReader.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace xmltv;

namespace {

struct OfflineFiles : ::testing::Test {
    void SetUp() override
    {
        char tmpl[] = "/tmp/orvalis-offline-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        write("channels.gep", "LogDate=0\nRete Uno<>c93:bb9:13e\n");
        write("themes.gep", "LogDate=0\nTHM<>00<>CINEMA\nSUB<>01<>Commedia\n");
        write("summaries.gep", "LogDate=0\nA1<>Uno#due\n");
        write("titles.gep", "LogDate=0\n"
                            "A1<>0<>3<>02:30<>Notte<>60<>01\n"
                            "A1<>0<>3<>21:00<>Tom <> Jerry<>30<>00\n");
    }
    void TearDown() override { fs::remove_all(dir); }
    void write(const char* name, const std::string& text) { std::ofstream(dir / name) << text; }
    Week read(const char* ns)
    {
        write("orvalis.cfg", std::string("EPGService=1:0:1:1f40:bb9:13e:") + ns + ":0:0:0:\nLogDate=1796706000\n");
        OfflineWeekReader reader(dir.string(), (dir / "orvalis.cfg").string());
        Week w;
        std::string error;
        EXPECT_TRUE(reader.read(w, &error)) << error;
        EXPECT_EQ(reader.logDate(), 1796706000);
        return w;
    }
    fs::path dir;
};

} // namespace

TEST_F(OfflineFiles, EarlyMorningDaysFollowTheNamespace)
{
    // With a namespace such as 820000 the logger already moved 02:30 to the broadcast day.
    Week moved = read("820000");
    ASSERT_EQ(moved.titles.size(), 2u);
    EXPECT_EQ(moved.titles[0].day, 3);
    EXPECT_EQ(moved.titles[0].minuteOfDay, 26 * 60 + 30);
    // Elsewhere the file keeps the calendar weekday: the broadcast day is the one before.
    Week calendar = read("c00000");
    EXPECT_EQ(calendar.titles[0].day, 2);
    EXPECT_EQ(calendar.titles[0].minuteOfDay, 26 * 60 + 30);
}

TEST_F(OfflineFiles, FieldsTablesAndTexts)
{
    Week w = read("820000");
    ASSERT_EQ(w.channels.size(), 1u);
    EXPECT_EQ(w.channels[0].sid, 0xC93);
    EXPECT_EQ(w.channels[0].onid, 0x13E);
    EXPECT_EQ(w.themes[0], "CINEMA");
    EXPECT_EQ(w.themes[1], "Commedia");
    EXPECT_EQ(w.titles[1].title, "Tom <> Jerry");
    EXPECT_EQ(w.titles[1].duration, 30);
    EXPECT_EQ(w.titles[0].themeSlot, 1);
    EXPECT_EQ(w.summaries.at(0xA1), "Uno\ndue");
}

TEST_F(OfflineFiles, AChannelWithoutANameKeepsItsPlace)
{
    write("channels.gep", "LogDate=0\n<>c93:bb9:13e\nRete Due<>c94:bb9:13e\n");
    write("titles.gep", "LogDate=0\nA1<>1<>3<>21:00<>Sera<>30<>00\n");
    Week w = read("820000");
    ASSERT_EQ(w.channels.size(), 2u);
    EXPECT_EQ(w.channels[0].name, "");
    EXPECT_EQ(w.channels[1].name, "Rete Due");
    ASSERT_EQ(w.titles.size(), 1u);
    EXPECT_EQ(w.titles[0].channelIndex, 1);
}
