// What WriteCfg writes, LoadCfg gives back.
#include "ConfigFileFixture.h"

#include <climits>

using namespace cfgtest;

namespace {

using RoundTripTest = ConfigFileTest;

// Writes the current globals, scrambles them, and loads the file again.
void writeScrambleLoad()
{
    WriteCfg();
    pluginType = -1;
    EPGService = eServiceReference();
    listaPv = listaGv = 1;
    listaP = listaG = gFont("Other", 1);
    startOffs = endOffs = localOffs = 12345;
    offlinePath = "scrambled";
    offlinelog = 7;
    logDate = 1;
    nb_themes = nb_titles = nb_summaries = -5;
    TotCh = TotTh = TotTi = TotSu = -5;
    for (auto& p : sizeposition)
        p = -1;
    for (auto& s : lastSearch)
        s = "scrambled";
    LoadCfg();
}

TEST_F(RoundTripTest, EverySettingComesBack)
{
    eServiceInterface::getInstance()->addService(
        {eServiceReference(eString("1:0:1:6d66:437:1:c00000:0:0:0:")), "EPG", "Sky", 0});
    load("");
    pluginType = 9;
    EPGService = eServiceReference(eString("1:0:1:6d66:437:1:c00000:0:0:0:"));
    listaPv = 26;
    listaGv = 18;
    startOffs = 3;
    endOffs = 20;
    localOffs = -3600;
    nb_channels = 120;
    for (int i = 0; i < kMaxChannels; ++i)
        channFilter[i] = (i % 3 == 0) ? "0" : "1";
    offlinePath = "/media/usb/orvalis/";
    offlinelog = 1;
    logDate = static_cast<int>(kNow - 3600);
    nb_themes = 15;
    nb_titles = 7777;
    nb_summaries = 6666;
    for (int d = 0; d < 8; ++d)
        sizeposition[d] = 123456 * d;
    for (int i = 0; i < 7; ++i)
        lastSearch[i] = "search " + std::to_string(i);
    nb_search = 7;

    writeScrambleLoad();

    EXPECT_EQ(pluginType, 9);
    EXPECT_EQ(EPGService.toString(), "1:0:1:6d66:437:1:c00000:0:0:0:");
    EXPECT_EQ(nsp_curr, "c00000");
    expectFonts(26, 18);
    EXPECT_EQ(startOffs, 3);
    EXPECT_EQ(endOffs, 20);
    EXPECT_EQ(localOffs, -3600);
    // Flags past the first 120 channels are not written, so they come back shown.
    std::string flags;
    for (int i = 0; i < 120; ++i)
        flags += (i % 3 == 0) ? '0' : '1';
    expectFilter(flags);
    EXPECT_EQ(offlinePath, "/media/usb/orvalis/");
    EXPECT_EQ(offlinelog, 1);
    EXPECT_EQ(logDate, kNow - 3600);
    expectLogCounts(120, 15, 7777, 6666);
    for (int d = 0; d < 8; ++d)
        EXPECT_EQ(sizeposition[d], 123456 * d);
    ASSERT_EQ(nb_search, 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(lastSearch[i], "search " + std::to_string(i));
    EXPECT_EQ(boxesShown(), 0);
}

TEST_F(RoundTripTest, AllThreeHundredFilterFlagsComeBack)
{
    load("");
    std::string flags;
    for (int i = 0; i < kMaxChannels; ++i)
        flags += (i * 7 % 5 < 2 || i == 299) ? '0' : '1';
    for (int i = 0; i < kMaxChannels; ++i)
        channFilter[i] = eString(1, flags[i]);
    writeScrambleLoad();
    EXPECT_EQ(nb_channels, 300);
    expectFilter(flags);
}

TEST_F(RoundTripTest, TenNewestSearchStringsInTheirOrder)
{
    // The reader keeps the last ten lines of an over-full section...
    std::string text = "LastSearch:\n";
    for (int i = 0; i < 13; ++i)
        text += ">text " + std::to_string(i) + "\n";
    load(text);
    // ...and they survive a save unchanged.
    writeScrambleLoad();
    ASSERT_EQ(nb_search, kMaxSearches);
    for (int i = 0; i < kMaxSearches; ++i)
        EXPECT_EQ(lastSearch[i], "text " + std::to_string(i + 3)) << i;
}

TEST_F(RoundTripTest, ExtremeNumbersComeBackWithinTheirBounds)
{
    load("");
    localOffs = INT_MIN;
    startOffs = INT_MAX;
    endOffs = -1;
    sizeposition[7] = INT_MAX;
    writeScrambleLoad();
    EXPECT_EQ(localOffs, -kMaxLocalTimeOffset);
    EXPECT_EQ(startOffs, kMaxTimerStartOffset);
    EXPECT_EQ(endOffs, 0);
    EXPECT_EQ(sizeposition[7], INT_MAX);
}

TEST_F(RoundTripTest, WrittenFileIsStableUnderLoadAndWrite)
{
    load(descriptionLines() +
         "EPGService=1:0:1:6d66:437:1:c00000:0:0:0:\nFontDim=20,17\nTimerStart=1\nTimerEnd=2\n"
         "LocalTimeOffset=-60\nchannFilters=0101\nOfflinePath=/hdd/orvalis/\nOfflineLog=0\nLogDate=0\n"
         "LogValue=4,1,2,3\nLogPos=1,2,3,4,5,6,7,8\nLastSearch:\n>x\n");
    WriteCfg();
    std::string first = readFile(kVarCfg);
    LoadCfg();
    WriteCfg();
    EXPECT_EQ(readFile(kVarCfg), first);
    EXPECT_NE(first.find("\nchannFilters=0101\n"), std::string::npos);
}

} // namespace

namespace {

using MergedSaveTest = ConfigFileTest;

// What another box on the same root saved after this one started.
const char* kOtherBoxSaved = "EPGService=1:0:1:6d66:437:1:c00000:0:0:0:\nTimerStart=1\nTimerEnd=2\n"
                             "channFilters=0011\nOfflineLog=1\nLogDate=2000\nLogValue=4,2,900,800\n"
                             "LogPos=1,2,3,4,5,6,7,8\nLastSearch:\n>news\n";

TEST_F(MergedSaveTest, OnlyWhatThisBoxChangedReplacesTheFile)
{
    load(descriptionLines() + "TimerStart=1\nTimerEnd=2\nchannFilters=0011\nLogDate=1000\nLogValue=3,1,10,10\n"
                              "LogPos=9,9,9,9,9,9,9,9\nLastSearch:\n");
    writeFile(kVarCfg, descriptionLines() + kOtherBoxSaved);
    // This box changed a margin; a live title read left its own count behind.
    startOffs = 7;
    nb_titles = 55;
    ASSERT_TRUE(WriteCfg());

    LoadCfg();
    EXPECT_EQ(startOffs, 7);
    EXPECT_EQ(endOffs, 2);
    EXPECT_EQ(offlinelog, 1);
    EXPECT_EQ(logDate, 2000);
    expectLogCounts(4, 2, 900, 800);
    EXPECT_EQ(sizeposition[7], 8);
    expectFilter("0011");
    ASSERT_EQ(nb_search, 1);
    EXPECT_EQ(EPGService.toString(), "1:0:1:6d66:437:1:c00000:0:0:0:");
}

TEST_F(MergedSaveTest, ALoggingRunOrFilterOfThisBoxIsSavedWhole)
{
    load(descriptionLines() + "channFilters=0011\nLogDate=1000\nLogValue=4,1,10,10\nLastSearch:\n");
    writeFile(kVarCfg, descriptionLines() + kOtherBoxSaved);
    logDate = 3000; // a completed run of this box
    nb_titles = 77;
    sizeposition[0] = 42;
    channFilter[0] = "1";
    lastSearch[nb_search++] = "film";
    ASSERT_TRUE(WriteCfg());

    LoadCfg();
    EXPECT_EQ(logDate, 3000);
    EXPECT_EQ(nb_titles, 77);
    EXPECT_EQ(sizeposition[0], 42);
    expectFilter("1011");
    ASSERT_EQ(nb_search, 1);
    EXPECT_EQ(lastSearch[0], "film");
    EXPECT_EQ(startOffs, 1); // untouched here: the other box's value
}

} // namespace
