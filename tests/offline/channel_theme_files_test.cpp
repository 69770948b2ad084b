// channels.gep and themes.gep: written byte for byte from the broadcast sections,
// read back into the shared tables within their capacities.
#include "../broadcast/FakeDemux.h"
#include "OfflineFixture.h"
#include "offline/ChannelThemeFiles.h"
#include "offline/LogFileSet.h"

#include <array>

namespace {

std::vector<uint8_t> channelSection(const std::vector<std::array<int, 3>>& ids, const std::string& name)
{
    std::vector<uint8_t> s = {0x91, 0x70, 0x00, 0x00};
    for (const auto& id : ids) {
        uint8_t rec[22] = {uint8_t(id[0] >> 8), uint8_t(id[0]), uint8_t(id[1] >> 8), uint8_t(id[1]),
                           uint8_t(id[2] >> 8), uint8_t(id[2])};
        std::memcpy(rec + 6, name.data(), std::min<size_t>(16, name.size()));
        s.insert(s.end(), rec, rec + 22);
    }
    return s;
}

std::vector<uint8_t> themeSection(const std::vector<int>& starts, const std::vector<std::string>& names)
{
    std::vector<uint8_t> s(19, 0xFF);
    s[0] = 0x92;
    for (size_t g = 0; g < starts.size(); ++g)
        s[3 + g] = static_cast<uint8_t>(starts[g]);
    for (const auto& n : names) {
        uint8_t rec[15] = {};
        std::memcpy(rec, n.data(), std::min<size_t>(15, n.size()));
        s.insert(s.end(), rec, rec + 15);
    }
    return s;
}

class ChannelThemeFiles : public OfflineFixture {};

TEST_F(ChannelThemeFiles, WrittenAsTheFormatSaysAndReadBackIntoTheTables)
{
    FakeDemux demux;
    demux.add(0xD3, 0x91, channelSection({{0x13E, 0x5, 0x1A2B}, {1, 2, 7}}, "SIXTEEN CHARS 16"));
    demux.add(0xD3, 0x92, themeSection({0, 3}, {"CINEMA", "COMMEDIA", "DRAMMA", "SPORT", "CALCIO"}));
    logDate = 1234;
    {
        offline::LogFileSet files("/hdd/orvalis/");
        ASSERT_EQ(offline::logChannelsThemes(files), 0);
        ASSERT_TRUE(files.commit());
    }
    EXPECT_EQ(read("/hdd/orvalis/channels.gep"),
              "LogDate=1234\nSIXTEEN CHARS 16<>1a2b:05:13e\nSIXTEEN CHARS 16<>07:02:01\n");
    // Names as sent (not lowered), slots in lower-case hexadecimal.
    EXPECT_EQ(read("/hdd/orvalis/themes.gep"),
              "LogDate=1234\nTHM<>00<>CINEMA\nSUB<>01<>COMMEDIA\nSUB<>02<>DRAMMA\nTHM<>10<>SPORT\nSUB<>11<>CALCIO\n");
    EXPECT_EQ(nb_channels, 2);
    EXPECT_EQ(channel_ids[0], 0x1A2B);
    EXPECT_STREQ(temalist[16].name, "SPORT");
    EXPECT_EQ(std::vector<std::string>(demux.log().calls.end() - 2, demux.log().calls.end()),
              (std::vector<std::string>{"stop", "close"}));

    std::memset(temalist, 0, sizeof temalist);
    readThCh = false;
    ASSERT_EQ(getCanaliTemiOff(), 0);
    EXPECT_TRUE(readThCh);
    ASSERT_EQ(nb_channels, 2);
    EXPECT_EQ(channel_paths[0], "1:0:1:1a2b:05:13e:820000:0:0:0:");
    EXPECT_EQ(channel_ids[1], 7);
    ASSERT_EQ(nb_themes, 2);
    EXPECT_STREQ(temalist[0].name, "Cinema");
    EXPECT_EQ(temalist[0].count, 3);
    EXPECT_STREQ(temalist[2].name, "Dramma");
    EXPECT_STREQ(temalist[17].name, "Calcio");
    EXPECT_EQ(temalist[16].count, 2);
}

TEST_F(ChannelThemeFiles, WriterFailuresLeaveNoFileBehind)
{
    FakeDemux demux;
    demux.add(0xD3, 0x91, channelSection({{1, 2, 3}}, "UNO"));
    // No theme section arrives: the run fails and its channel file is not put in place.
    write("/hdd/orvalis/channels.gep", "LogDate=1\nOld<>01:02:03\n");
    {
        offline::LogFileSet files("/hdd/orvalis/");
        EXPECT_EQ(offline::logChannelsThemes(files), -1);
    }
    EXPECT_EQ(read("/hdd/orvalis/channels.gep"), "LogDate=1\nOld<>01:02:03\n");
    EXPECT_EQ(listing(), std::vector<std::string>{"channels.gep"});
}

TEST_F(ChannelThemeFiles, ReaderSkipsWhatDoesNotParseAndStaysWithinTheTables)
{
    std::string channels = "LogDate=5\n<>01:02:03\nno separator\n";
    for (int i = 0; i < 320; ++i)
        channels += "Ch<>" + std::to_string(100 + i) + ":01:02\n";
    write("/hdd/orvalis/channels.gep", channels);
    std::string themes = "LogDate=5\nSUB<>01<>before any theme\n";
    for (int g = 0; g < 17; ++g)
        themes += "THM<>00<>THEME " + std::to_string(g) + "\n";
    for (int k = 0; k < 20; ++k)
        themes += "SUB<>00<>SUB " + std::to_string(k) + "\n"; // after the 17th theme: no place
    themes += "junk line\nSUB<>01<>" + std::string(400, 'X') + "\n";
    write("/hdd/orvalis/themes.gep", themes);

    ASSERT_EQ(getCanaliTemiOff(), 0);
    EXPECT_EQ(nb_channels, 300);
    EXPECT_EQ(channel_ids[0], 0x100);
    EXPECT_EQ(channel_paths[299], "1:0:1:399:01:02:820000:0:0:0:");
    EXPECT_EQ(nb_themes, 16);
    EXPECT_STREQ(temalist[0].name, "Theme 0");
    EXPECT_EQ(temalist[0].count, 1);
    EXPECT_STREQ(temalist[240].name, "Theme 15");
    EXPECT_EQ(temalist[240].count, 1);

    // A full last group holds 15 slots (the table has 255 records).
    themes = "THM<>00<>A\n";
    for (int k = 0; k < 15; ++k)
        themes += "THM<>00<>G\n";
    for (int k = 0; k < 20; ++k)
        themes += "SUB<>00<>" + std::string(30, 'S') + "\n";
    write("/hdd/orvalis/themes.gep", themes);
    ASSERT_EQ(getCanaliTemiOff(), 0);
    EXPECT_EQ(temalist[240].count, 15);
    EXPECT_STREQ(temalist[254].name, "Sssssssssssssss"); // 15 characters kept
}

TEST_F(ChannelThemeFiles, MissingFilesGiveMinusThree)
{
    readThCh = false;
    EXPECT_EQ(getCanaliTemiOff(), -3);
    write("/hdd/orvalis/channels.gep", "LogDate=5\nUno<>01:02:03\n");
    EXPECT_EQ(getCanaliTemiOff(), -3);
    EXPECT_FALSE(readThCh);
    EXPECT_EQ(nb_channels, 1); // the channel table is already replaced
    offlinePath = "";
    EXPECT_EQ(getCanaliTemiOff(), -3);
}

TEST(OfflinePaths, TrailingSlashWheneverMissing)
{
    EXPECT_EQ(offline::withTrailingSlash("/hdd/orvalis"), "/hdd/orvalis/");
    EXPECT_EQ(offline::withTrailingSlash("/hdd/x"), "/hdd/x/");
    EXPECT_EQ(offline::withTrailingSlash("x"), "x/");
    EXPECT_EQ(offline::withTrailingSlash("/hdd/orvalis/"), "/hdd/orvalis/");
    EXPECT_EQ(offline::withTrailingSlash(""), "");
    EXPECT_EQ(offline::offlineFile("/hdd/x", "titles.gep"), "/hdd/x/titles.gep");
    EXPECT_EQ(offline::offlineFile("", "titles.gep"), "");
}

TEST_F(ChannelThemeFiles, FileSetRenamesOnlyOnCommitAndMakesOneLevel)
{
    write("/hdd/orvalis/titles.gep", "old titles");
    {
        offline::LogFileSet files("/hdd/orvalis");
        FILE* f = files.create("titles.gep");
        ASSERT_NE(f, nullptr);
        std::fputs("new titles", f);
        ASSERT_TRUE(files.finish(f));
        EXPECT_EQ(read("/hdd/orvalis/titles.gep"), "old titles");
        EXPECT_EQ(listing().size(), 2u); // the temporary beside the old file
    }
    EXPECT_EQ(read("/hdd/orvalis/titles.gep"), "old titles");
    EXPECT_EQ(listing(), std::vector<std::string>{"titles.gep"});

    // What a killed run left behind goes at the next run; other files stay.
    for (const char* f : {".titles.gep.a1B2c3", ".summaries.gep.XXXXXX", ".titles.gep.toolong", "notes.txt"})
        write(std::string("/hdd/orvalis/") + f, "x");
    offline::LogFileSet("/hdd/orvalis").removeLeftovers();
    EXPECT_EQ(listing(), (std::vector<std::string>{".titles.gep.toolong", "notes.txt", "titles.gep"}));

    // A name a shell would act on is made literally, one level only.
    EXPECT_TRUE(offline::makeOfflineDirectory("/hdd/a b;touch x$(id)"));
    EXPECT_TRUE(offline::offlineDirectoryExists("/hdd/a b;touch x$(id)/"));
    EXPECT_FALSE(offline::makeOfflineDirectory("/nothere/orvalis/"));
    EXPECT_FALSE(offline::offlineDirectoryExists("/nothere"));
}

} // namespace
