// channels.gep and themes.gep: written byte for byte from the broadcast sections,
// read back into the shared tables within their capacities; the set of a run.
#include "../broadcast/FakeDemux.h"
#include "OfflineFixture.h"
#include "offline/ChannelThemeFiles.h"
#include "offline/LogFileSet.h"

#include <filesystem>

namespace {

class ChannelThemeFiles : public OfflineFixture {
protected:
    void TearDown() override
    {
        offline::LogFileSet::setLinksUnsupportedForTests(false);
        OfflineFixture::TearDown();
    }
};

TEST_F(ChannelThemeFiles, WrittenAsTheFormatSaysAndReadBackIntoTheTables)
{
    FakeDemux demux;
    std::vector<uint8_t> channels = {0x91, 0, 0, 0, 0x01, 0x3E, 0x00, 0x05, 0x1A, 0x2B};
    channels.insert(channels.end(), {'S', 'I', 'X', 'T', 'E', 'E', 'N', ' ', 'C', 'H', 'A', 'R', 'S', ' ', '1', '6'});
    demux.add(0xD3, 0x91, channels);
    std::vector<uint8_t> themes(19, 0);
    themes[0] = 0x92;
    themes[4] = 3; // theme 1 starts at record 3
    for (std::string n : {"CINEMA", "COMMEDIA", "DRAMMA", "SPORT", "CALCIO"}) {
        n.resize(15, '\0');
        themes.insert(themes.end(), n.begin(), n.end());
    }
    demux.add(0xD3, 0x92, themes);
    logDate = 1234;
    {
        offline::LogFileSet files("/hdd/orvalis/");
        ASSERT_EQ(offline::logChannelsThemes(files), 0);
        ASSERT_TRUE(files.commit());
    }
    EXPECT_EQ(read("/hdd/orvalis/channels.gep"), "LogDate=1234\nSIXTEEN CHARS 16<>1a2b:05:13e\n");
    // Names as sent (not lowered), slots in lower-case hexadecimal.
    EXPECT_EQ(read("/hdd/orvalis/themes.gep"),
              "LogDate=1234\nTHM<>00<>CINEMA\nSUB<>01<>COMMEDIA\nSUB<>02<>DRAMMA\nTHM<>10<>SPORT\nSUB<>11<>CALCIO\n");
    EXPECT_EQ(demux.log().calls.back(), "close");

    std::memset(temalist, 0, sizeof temalist);
    readThCh = false;
    ASSERT_EQ(getCanaliTemiOff(), 0);
    EXPECT_TRUE(readThCh);
    ASSERT_EQ(nb_channels, 1);
    EXPECT_EQ(channel_ids[0], 0x1A2B);
    EXPECT_EQ(channel_paths[0], "1:0:1:1a2b:05:13e:820000:0:0:0:");
    ASSERT_EQ(nb_themes, 2);
    EXPECT_STREQ(temalist[2].name, "Dramma");
    EXPECT_EQ(temalist[0].count, 3);
    EXPECT_STREQ(temalist[17].name, "Calcio");
}

TEST_F(ChannelThemeFiles, ReaderSkipsWhatDoesNotParseAndStaysWithinTheTables)
{
    std::string channels = "LogDate=5\n<>01:02:03\nno separator\n";
    for (int i = 0; i < 320; ++i)
        channels += "Ch<>" + std::to_string(100 + i) + ":01:02\n";
    write("/hdd/orvalis/channels.gep", channels);
    // A sub-theme before any theme, 17 themes, and sub-themes beyond a full last group.
    std::string themes = "LogDate=5\nSUB<>01<>early\n";
    for (int g = 0; g < 16; ++g)
        themes += "THM<>00<>THEME " + std::to_string(g) + "\n";
    for (int k = 0; k < 20; ++k)
        themes += "junk\nSUB<>00<>" + std::string(30, 'S') + "\n";
    themes += "THM<>00<>SEVENTEENTH\nSUB<>01<>lost\n";
    write("/hdd/orvalis/themes.gep", themes);

    ASSERT_EQ(getCanaliTemiOff(), 0);
    EXPECT_EQ(nb_channels, 300);
    // The line with an empty name keeps its place: the titles name channels by place.
    EXPECT_EQ(channel_ids[0], 1);
    EXPECT_EQ(channel_paths[299], "1:0:1:398:01:02:820000:0:0:0:");
    EXPECT_EQ(nb_themes, 16);
    EXPECT_STREQ(temalist[0].name, "Theme 0");
    EXPECT_EQ(temalist[0].count, 1);
    EXPECT_EQ(temalist[240].count, 15); // the 255-record table cuts the last group to 15
    EXPECT_STREQ(temalist[254].name, "Sssssssssssssss");

    // Missing files: -3; the channel table is already replaced when only themes.gep is missing.
    std::remove(host::hostPath("/hdd/orvalis/themes.gep").c_str());
    write("/hdd/orvalis/channels.gep", "LogDate=5\nUno<>01:02:03\n");
    readThCh = false;
    EXPECT_EQ(getCanaliTemiOff(), -3);
    EXPECT_EQ(nb_channels, 1);
    EXPECT_FALSE(readThCh);
    offlinePath = "";
    EXPECT_EQ(getCanaliTemiOff(), -3);
}

TEST_F(ChannelThemeFiles, WithoutSymbolicLinksTheFilesAreRenamedAndPutBackOnAFailure)
{
    offline::LogFileSet::setLinksUnsupportedForTests(true);
    auto run = [] {
        offline::LogFileSet files("/hdd/orvalis/");
        for (const char* name : {"channels.gep", "themes.gep", "summaries.gep"}) {
            FILE* f = files.create(name);
            EXPECT_NE(f, nullptr);
            std::fputs((std::string("new ") + name).c_str(), f);
            EXPECT_TRUE(files.finish(f));
        }
        return files.commit();
    };
    for (const char* f : {"channels.gep", "themes.gep"})
        write(std::string("/hdd/orvalis/") + f, std::string("old ") + f);
    // The last name cannot be replaced: the two renamed before it go back.
    ASSERT_TRUE(host::makeDirectories("/hdd/orvalis/summaries.gep"));
    EXPECT_FALSE(run());
    EXPECT_EQ(read("/hdd/orvalis/channels.gep"), "old channels.gep");
    EXPECT_EQ(read("/hdd/orvalis/themes.gep"), "old themes.gep");
    EXPECT_EQ(listing(), (std::vector<std::string>{"channels.gep", "summaries.gep", "themes.gep"}));
    // Once it can, all three are renamed into place, as regular files, and nothing is left.
    std::filesystem::remove(host::hostPath("/hdd/orvalis/summaries.gep"));
    EXPECT_TRUE(run());
    for (const char* f : {"channels.gep", "themes.gep", "summaries.gep"})
        EXPECT_EQ(read(std::string("/hdd/orvalis/") + f), std::string("new ") + f);
    EXPECT_EQ(listing(), (std::vector<std::string>{"channels.gep", "summaries.gep", "themes.gep"}));
}

TEST_F(ChannelThemeFiles, AChannelSentWithoutANameKeepsItsPlaceOffline)
{
    FakeDemux demux;
    // Three records, the second with 16 NUL bytes for its name.
    std::vector<uint8_t> channels = {0x91, 0, 0, 0};
    for (int sid : {0x64, 0x65, 0x66}) {
        channels.insert(channels.end(), {0x01, 0x3E, 0x0B, 0xB9, 0x00, static_cast<uint8_t>(sid)});
        std::string name = sid == 0x65 ? std::string() : "CH " + std::to_string(sid);
        name.resize(16, '\0');
        channels.insert(channels.end(), name.begin(), name.end());
    }
    demux.add(0xD3, 0x91, channels);
    std::vector<uint8_t> themes(19, 0);
    themes[0] = 0x92;
    demux.add(0xD3, 0x92, themes);
    {
        offline::LogFileSet files("/hdd/orvalis/");
        ASSERT_EQ(offline::logChannelsThemes(files), 0);
        ASSERT_TRUE(files.commit());
    }
    EXPECT_EQ(read("/hdd/orvalis/channels.gep"), "LogDate=0\nCH 100<>64:bb9:13e\n<>65:bb9:13e\nCH 102<>66:bb9:13e\n");
    nb_channels = 0;
    ASSERT_EQ(getCanaliTemiOff(), 0);
    // The third channel is still the third: its titles are listed under it.
    ASSERT_EQ(nb_channels, 3);
    EXPECT_EQ(channel_ids[1], 0x65);
    EXPECT_EQ(channel_ids[2], 0x66);
}

TEST_F(ChannelThemeFiles, RunFilesReplaceTheOldOnlyWhenCommitted)
{
    FakeDemux demux; // a channel section but no theme section: the writer fails
    demux.add(0xD3, 0x91, {0x91, 0, 0, 0});
    write("/hdd/orvalis/channels.gep", "old");
    {
        offline::LogFileSet files("/hdd/orvalis/");
        EXPECT_EQ(offline::logChannelsThemes(files), -1);
    }
    EXPECT_EQ(read("/hdd/orvalis/channels.gep"), "old");
    EXPECT_EQ(listing(), std::vector<std::string>{"channels.gep"});

    // What a killed run left behind goes at the next run; other files stay.
    for (const char* f : {".titles.gep.a1B2c3", ".summaries.gep.XXXXXX", ".titles.gep.toolong", "notes",
                          ".titles.gep.link-Ab12Cd", ".gep.set.new-Zz9Yy8"})
        write(std::string("/hdd/orvalis/") + f, "x");
    ASSERT_TRUE(host::makeDirectories("/hdd/orvalis/.gep.set-Killed"));
    write("/hdd/orvalis/.gep.set-Killed/titles.gep", "half written");
    offline::LogFileSet("/hdd/orvalis").removeLeftovers();
    EXPECT_EQ(listing(), (std::vector<std::string>{".titles.gep.toolong", "channels.gep", "notes"}));

    // The path gets its "/" whenever it lacks one; a directory is made literally, one level only.
    EXPECT_EQ(offline::withTrailingSlash("/hdd/x"), "/hdd/x/");
    EXPECT_EQ(offline::withTrailingSlash("/hdd/orvalis/"), "/hdd/orvalis/");
    EXPECT_EQ(offline::withTrailingSlash(""), "");
    EXPECT_EQ(offline::offlineFile("/hdd/x", "titles.gep"), "/hdd/x/titles.gep");
    EXPECT_TRUE(offline::makeOfflineDirectory("/hdd/a b;touch x$(id)"));
    EXPECT_TRUE(offline::offlineDirectoryExists("/hdd/a b;touch x$(id)/"));
    EXPECT_FALSE(offline::makeOfflineDirectory("/nothere/orvalis/"));
}

} // namespace
