// LoadCfg: where the file is looked for, how lines are classified and what each key sets.
#include "ConfigFileFixture.h"

#include <climits>

using namespace cfgtest;

namespace {

using LoadCfgTest = ConfigFileTest;

// ---- Locating the file ----

TEST_F(LoadCfgTest, NoFileAppliesOnlyTheResetAndForgetsAnEarlierPath)
{
    nb_search = 4;
    nb_channels = 42;
    channFilter[7] = "0";
    startOffs = 9;
    offlinePath = "/media/usb/";
    std::strcpy(dirplugin, kLibCfg); // found by an earlier start, gone since

    LoadCfg();

    EXPECT_EQ(nb_search, 0);
    EXPECT_EQ(nb_channels, 300);
    expectFilter("");
    EXPECT_EQ(startOffs, 9);
    EXPECT_EQ(offlinePath, "/media/usb/");
    EXPECT_STREQ(dirplugin, "");
    EXPECT_EQ(filecfg, nullptr);
    EXPECT_EQ(boxesShown(), 0);
}

TEST_F(LoadCfgTest, CandidatesAreTriedInOrderAndTheFoundPathIsKept)
{
    writeFile(kUsrLibCfg, "TimerStart=3\n");
    LoadCfg();
    EXPECT_EQ(startOffs, 3);
    EXPECT_STREQ(dirplugin, kUsrLibCfg);

    writeFile(kLibCfg, "TimerStart=2\n");
    LoadCfg();
    EXPECT_EQ(startOffs, 2);
    EXPECT_STREQ(dirplugin, kLibCfg);

    writeFile(kVarCfg, "TimerStart=1\n");
    LoadCfg();
    EXPECT_EQ(startOffs, 1);
    EXPECT_STREQ(dirplugin, kVarCfg);
    EXPECT_EQ(filecfg, nullptr);
}

// ---- A complete file ----

TEST_F(LoadCfgTest, HandWrittenFileSetsEverySetting)
{
    eServiceInterface::getInstance()->addService(
        {eServiceReference(eString("1:0:1:6d66:437:1:c00000:0:0:0:")), "EPG", "Sky", 0});
    load(descriptionLines(7) +
         "EPGService=1:0:1:6d66:437:1:c00000:0:0:0:\n"
         "FontDim=24,19\n"
         "TimerStart=5\n"
         "TimerEnd=10\n"
         "LocalTimeOffset=-3600\n"
         "channFilters=0110\n"
         "OfflinePath=/media/hdd/epg/\n"
         "OfflineLog=1\n"
         "LogDate=1999999000\n"
         "LogValue=120,14,9000,8000\n"
         "LogPos=0,100,200,300,400,500,600,700\n"
         "LastSearch:\n"
         ">NEWS\n"
         ">film\n");

    EXPECT_EQ(pluginType, 7);
    EXPECT_EQ(EPGService.toString(), "1:0:1:6d66:437:1:c00000:0:0:0:");
    EXPECT_EQ(nsp_curr, "c00000");
    EXPECT_EQ(eServiceInterface::getInstance()->outstandingRefs(), 0);
    expectFonts(24, 19);
    EXPECT_EQ(startOffs, 5);
    EXPECT_EQ(endOffs, 10);
    EXPECT_EQ(localOffs, -3600);
    expectFilter("0110");
    EXPECT_EQ(offlinePath, "/media/hdd/epg/");
    EXPECT_EQ(offlinelog, 1);
    EXPECT_EQ(logDate, 1999999000);
    expectLogCounts(120, 14, 9000, 8000);
    for (int d = 0; d < 8; ++d)
        EXPECT_EQ(sizeposition[d], d * 100);
    ASSERT_EQ(nb_search, 2);
    EXPECT_EQ(lastSearch[0], "NEWS");
    EXPECT_EQ(lastSearch[1], "film");
    EXPECT_EQ(boxesShown(), 0); // logged 1000 s before now
}

// ---- Classification ----

TEST_F(LoadCfgTest, DescriptionAndHeaderLinesChangeNothing)
{
    pluginType = 2;
    load("name=Something else\ndesc=Other\ndepend=x\nneedfb=1\nneedrc=1\nneedlcd=1\nenigmaplugin=0\n"
         "LastSearch:\n\n   \nunknown=4\nType=9\n");
    EXPECT_EQ(pluginType, 2); // keys are case-sensitive: "Type=" is not "type="
    EXPECT_EQ(nb_search, 0);
    EXPECT_EQ(startOffs, 0);
}

TEST_F(LoadCfgTest, KeysAreFoundAnywhereInTheLine)
{
    load("# TimerStart=4\nmy.TimerEnd = 6\n");
    EXPECT_EQ(startOffs, 4);
    EXPECT_EQ(endOffs, 6);
}

TEST_F(LoadCfgTest, SearchStringHoldingAKeyIsTakenAsThatKey)
{
    endOffs = 9;
    load("LastSearch:\n>TimerEnd\n>tennis\n");
    // No '=' in the line: the value starts at '>', which reads as 0.
    EXPECT_EQ(endOffs, 0);
    ASSERT_EQ(nb_search, 1);
    EXPECT_EQ(lastSearch[0], "tennis");
}

TEST_F(LoadCfgTest, EarlierKeyInTheOrderWins)
{
    // "LogDate" is tested before "LogValue", "EPGService" before "TimerStart".
    load("LogValue=7 LogDate=3\nTimerStart=12 EPGService\n");
    EXPECT_EQ(logDate, 7);
    EXPECT_EQ(nb_channels, 300);
    EXPECT_EQ(TotCh, 0);
    EXPECT_EQ(startOffs, 0);
}

TEST_F(LoadCfgTest, LineWithoutEqualsTakesItsValueFromTheStart)
{
    load("  42 TimerStart\n");
    EXPECT_EQ(startOffs, 42);
}

TEST_F(LoadCfgTest, ValueIsTheTextAfterTheFirstEquals)
{
    load("OfflinePath=/a=b/c/\n");
    EXPECT_EQ(offlinePath, "/a=b/c/");
}

TEST_F(LoadCfgTest, OfflinePathIsTakenExactlyWithoutAddingASlash)
{
    load("OfflinePath=/media/usb\n");
    EXPECT_EQ(offlinePath, "/media/usb");
}

// ---- Numbers ----

TEST_F(LoadCfgTest, NumbersFollowAtoiRules)
{
    load("TimerStart=  +12min\nTimerEnd=abc\nLocalTimeOffset=\t-7200s\ntype=\n");
    EXPECT_EQ(startOffs, 12);
    EXPECT_EQ(endOffs, 0);
    EXPECT_EQ(localOffs, -7200);
    EXPECT_EQ(pluginType, 0);
}

TEST_F(LoadCfgTest, NumbersBeyondIntSaturateTimerSettingsAreBound)
{
    load("TimerStart=99999999999999\n"
         "TimerEnd=-99999999999999999999999999\n"
         "LocalTimeOffset=-99999999999\n"
         "type=-2147483648\n"
         "LogValue=2147483648,-2147483649,4294967296,1\n");
    // The timer margins and offset are bound to what the dialog and the timer proposal can hold.
    EXPECT_EQ(startOffs, kMaxTimerStartOffset);
    EXPECT_EQ(endOffs, 0);
    EXPECT_EQ(localOffs, -kMaxLocalTimeOffset);
    EXPECT_EQ(pluginType, INT_MIN);
    EXPECT_EQ(nb_themes, INT_MIN);
    EXPECT_EQ(nb_titles, INT_MAX);
    EXPECT_EQ(nb_summaries, 1);

    load("TimerStart=2147483647\nTimerEnd=2147483647\nLocalTimeOffset=2147483647\n");
    EXPECT_EQ(startOffs, 59);
    EXPECT_EQ(endOffs, 60);
    EXPECT_EQ(localOffs, 14 * 3600);
    load("TimerStart=-1\nLocalTimeOffset=10800\n");
    EXPECT_EQ(startOffs, 0);
    EXPECT_EQ(localOffs, 10800); // UTC+3 as it is
}

// ---- Lists ----

TEST_F(LoadCfgTest, SingleFontSizeSetsBothFonts)
{
    load("FontDim=22\n");
    expectFonts(22, 22);
}

TEST_F(LoadCfgTest, SingleLogValueSetsAllFourCountsAndCopies)
{
    load("LogValue=5\n");
    expectLogCounts(5, 5, 5, 5);
}

TEST_F(LoadCfgTest, ShortListRepeatsItsLastNumber)
{
    load("LogPos=10,20,30\n");
    const int expected[8] = {10, 20, 30, 30, 30, 30, 30, 30};
    for (int d = 0; d < 8; ++d)
        EXPECT_EQ(sizeposition[d], expected[d]) << d;
}

TEST_F(LoadCfgTest, EmptyListFieldsReadAsZero)
{
    load("LogValue=,7,,x\n");
    expectLogCounts(0, 7, 0, 0);
}

TEST_F(LoadCfgTest, FileWithoutLogValueKeepsThreeHundredChannels)
{
    nb_channels = 40;
    TotCh = 3;
    load("TimerStart=1\n");
    EXPECT_EQ(nb_channels, 300);
    EXPECT_EQ(TotCh, 3);
}

TEST_F(LoadCfgTest, ChannelCountIsHeldToTheTable)
{
    load("LogValue=5000,1,1,1\n");
    EXPECT_EQ(nb_channels, kMaxChannels);
    EXPECT_EQ(TotCh, kMaxChannels);
    load("LogValue=-4,1,1,1\n");
    EXPECT_EQ(nb_channels, 0);
}

// ---- Channel filter ----

TEST_F(LoadCfgTest, NoFilterLineLeavesEveryChannelShown)
{
    channFilter[3] = "0";
    load("TimerStart=1\n");
    expectFilter("");
}

TEST_F(LoadCfgTest, ShortFilterLineSetsOnlyItsChannels)
{
    load("channFilters=0101\n");
    expectFilter("0101");
}

TEST_F(LoadCfgTest, FilterCharactersAreStoredAsGiven)
{
    load("channFilters=1x 0\n");
    expectFilter("1x 0");
}

TEST_F(LoadCfgTest, FullFilterLineOfThreeHundredChannelsIsReadWhole)
{
    std::string flags;
    for (int i = 0; i < kMaxChannels; ++i)
        flags += (i % 7 == 3 || i >= 250) ? '0' : '1';
    load("channFilters=" + flags + "\nTimerEnd=8\n");
    expectFilter(flags);
    EXPECT_EQ(endOffs, 8);
}

TEST_F(LoadCfgTest, FilterLineLongerThanTheTableStopsAtItsEnd)
{
    std::string flags(kMaxChannels, '0');
    flags += std::string(500, '1');
    load("channFilters=" + flags + "\nTimerEnd=8\n");
    expectFilter(std::string(kMaxChannels, '0'));
    EXPECT_EQ(endOffs, 8);
}

TEST_F(LoadCfgTest, LoadStartsFromAFreshFilter)
{
    load("channFilters=000\n");
    EXPECT_EQ(channFilter[2], "0");
    load("channFilters=0\n");
    expectFilter("0");
}

// ---- Search strings ----

TEST_F(LoadCfgTest, SearchStringsKeepTheirTextAfterTheFirstMarker)
{
    load("LastSearch:\n>a>b\n>\n> spaced \n");
    ASSERT_EQ(nb_search, 3);
    EXPECT_EQ(lastSearch[0], "a>b");
    EXPECT_EQ(lastSearch[1], "");
    EXPECT_EQ(lastSearch[2], " spaced ");
}

TEST_F(LoadCfgTest, MoreThanTenSearchStringsKeepTheTenNewest)
{
    std::string text = "LastSearch:\n";
    for (int i = 0; i < 14; ++i)
        text += ">s" + std::to_string(i) + "\n";
    load(text);
    ASSERT_EQ(nb_search, kMaxSearches);
    for (int i = 0; i < kMaxSearches; ++i)
        EXPECT_EQ(lastSearch[i], "s" + std::to_string(i + 4)) << i;
}

TEST_F(LoadCfgTest, SearchCountStartsAtZeroOnEveryLoad)
{
    load(">one\n>two\n");
    ASSERT_EQ(nb_search, 2);
    load(">three\n");
    ASSERT_EQ(nb_search, 1);
    EXPECT_EQ(lastSearch[0], "three");
}

// ---- EPG service ----

TEST_F(LoadCfgTest, TextAfterTheLastColonOfTheServiceIsDropped)
{
    load("EPGService=1:0:1:6d66:437:1:c00000:0:0:0:/some/path\r\n");
    EXPECT_EQ(EPGService, eServiceReference(eString("1:0:1:6d66:437:1:c00000:0:0:0:")));
    EXPECT_EQ(EPGService.path, "");
    EXPECT_EQ(EPGService.toString(), "1:0:1:6d66:437:1:c00000:0:0:0:");
}

TEST_F(LoadCfgTest, UnknownServiceLeavesTheNamespaceAlone)
{
    nsp_curr = "820000";
    load("EPGService=1:0:1:6d66:437:1:c00000:0:0:0:\n");
    EXPECT_EQ(EPGService.data[1], 0x6d66);
    EXPECT_EQ(nsp_curr, "820000");
}

TEST_F(LoadCfgTest, NamespaceIsLowerCaseHexOfTheServiceRecord)
{
    eServiceInterface::getInstance()->addService(
        {eServiceReference(1, 0, 1, 0x1A, 0x5, 0x13E, static_cast<int>(0xFFFF0000u)), "EPG", "", 0});
    nsp_curr = "820000"; // replaced, not appended to
    load("EPGService=1:0:1:1a:5:13e:ffff0000:0:0:0:\n");
    EXPECT_EQ(nsp_curr, "ffff0000");
    EXPECT_EQ(eServiceInterface::getInstance()->outstandingRefs(), 0);
}

TEST_F(LoadCfgTest, MalformedServiceBecomesTheInvalidReference)
{
    EPGService = eServiceReference(eString("1:0:1:6d66:437:1:c00000:0:0:0:"));
    load("EPGService=none\n");
    EXPECT_FALSE(EPGService.valid());
    load("xx:EPGService=\n");
    EXPECT_FALSE(EPGService.valid());
}

// ---- Out-of-date warning ----

class OutOfDateTest : public ConfigFileTest {
protected:
    void expectOneWarning()
    {
        ASSERT_EQ(boxesShown(), 1);
        const std::string& screen = remote.screens[0];
        // A modal box: OK button, warning icon, no timeout, the exact untranslated texts.
        EXPECT_NE(screen.find("\"class\":\"eMessageBox\""), std::string::npos) << screen;
        EXPECT_NE(screen.find("\"modal\":true"), std::string::npos) << screen;
        EXPECT_NE(screen.find("\"caption\":\"Update EPG:\""), std::string::npos) << screen;
        EXPECT_NE(screen.find("\"message\":\"Warning, EPG data is out-of-date.\\nUpdate required for offline mode.\""),
                  std::string::npos)
            << screen;
        EXPECT_NE(screen.find("\"icon\":\"warning\""), std::string::npos) << screen;
        EXPECT_NE(screen.find("\"buttons\":[\"OK\"]"), std::string::npos) << screen;
        EXPECT_NE(screen.find("\"focusedButton\":\"OK\""), std::string::npos) << screen;
        EXPECT_NE(screen.find("\"timeout\":0"), std::string::npos) << screen;
        // The box is gone once reading goes on.
        EXPECT_EQ(host::describeScreen().find("Update EPG:"), std::string::npos);
    }
};

TEST_F(OutOfDateTest, ExactlySixDaysOldDoesNotWarn)
{
    load("OfflineLog=1\nLogDate=" + std::to_string(kNow - 518400) + "\n");
    EXPECT_EQ(logDate, kNow - 518400);
    EXPECT_EQ(boxesShown(), 0);
}

TEST_F(OutOfDateTest, OneSecondOlderWarnsOnce)
{
    load("OfflineLog=1\nLogDate=" + std::to_string(kNow - 518401) + "\nTimerEnd=3\n");
    expectOneWarning();
    // Reading goes on after the box and the settings are untouched by it.
    EXPECT_EQ(endOffs, 3);
    EXPECT_EQ(logDate, kNow - 518401);
    EXPECT_EQ(offlinelog, 1);
}

TEST_F(OutOfDateTest, OnlineModeNeverWarns)
{
    load("OfflineLog=0\nLogDate=0\n");
    EXPECT_EQ(boxesShown(), 0);
    load("OfflineLog=2\nLogDate=0\n");
    EXPECT_EQ(boxesShown(), 0);
}

TEST_F(OutOfDateTest, RuleSeesTheOfflineSettingOfThatMoment)
{
    // LogDate before OfflineLog: the previous value of offlinelog decides.
    offlinelog = 0;
    load("LogDate=0\nOfflineLog=1\n");
    EXPECT_EQ(boxesShown(), 0);
    EXPECT_EQ(offlinelog, 1);

    load("LogDate=0\nOfflineLog=0\n");
    expectOneWarning();
    EXPECT_EQ(offlinelog, 0);
}

TEST_F(OutOfDateTest, EveryLogDateLineIsChecked)
{
    load("OfflineLog=1\nLogDate=0\nLogDate=5\n");
    EXPECT_EQ(boxesShown(), 2);
}

TEST_F(OutOfDateTest, LogDateNearIntMaxDoesNotOverflow)
{
    load("OfflineLog=1\nLogDate=2147483647\n");
    EXPECT_EQ(boxesShown(), 0);
    load("OfflineLog=1\nLogDate=-99999999999\n");
    EXPECT_EQ(logDate, INT_MIN);
    EXPECT_EQ(boxesShown(), 1);
}

TEST_F(OutOfDateTest, NoFileNoWarning)
{
    offlinelog = 1;
    logDate = 0;
    LoadCfg();
    EXPECT_EQ(boxesShown(), 0);
}

// ---- Malformed files ----

TEST_F(LoadCfgTest, MissingFinalNewlineStillReadsTheLastLine)
{
    load("TimerStart=4\nLogPos=1,2,3,4,5,6,7,8");
    EXPECT_EQ(startOffs, 4);
    EXPECT_EQ(sizeposition[7], 8);
    load(">last words");
    ASSERT_EQ(nb_search, 1);
    EXPECT_EQ(lastSearch[0], "last words");
    load("OfflinePath=/x/");
    EXPECT_EQ(offlinePath, "/x/");
}

TEST_F(LoadCfgTest, HundredKilobyteLineIsReadWhole)
{
    std::string path = "/" + std::string(100 * 1024, 'p') + "/";
    load("TimerStart=1\nOfflinePath=" + path + "\nTimerEnd=2\n");
    EXPECT_EQ(offlinePath, path);
    EXPECT_EQ(startOffs, 1);
    EXPECT_EQ(endOffs, 2);
}

TEST_F(LoadCfgTest, LongLineIsNotSplitIntoPieces)
{
    // Read in 255-character pieces, the tail would be a line of its own giving 77.
    load("name=" + std::string(300, 'n') + "TimerStart=77\nTimerEnd=2\n");
    EXPECT_EQ(startOffs, 0); // one line: its value is everything after the first '='
    EXPECT_EQ(endOffs, 2);
}

TEST_F(LoadCfgTest, NulByteEndsTheLineText)
{
    static const char text[] = "OfflinePath=/hdd/a\0bc\nTimerStart=3\0TimerEnd=4\n";
    load(std::string(text, sizeof text - 1));
    EXPECT_EQ(offlinePath, "/hdd/a");
    EXPECT_EQ(startOffs, 3);
    EXPECT_EQ(endOffs, 0);
}

TEST_F(LoadCfgTest, BinaryJunkKeepsTheReadableLines)
{
    std::string junk;
    unsigned v = 12345;
    for (int i = 0; i < 20000; ++i) {
        v = v * 1103515245u + 12345u;
        char c = static_cast<char>(v >> 16);
        junk += c == '\n' ? '\x01' : c;
    }
    load("TimerStart=6\n" + junk + "\nTimerEnd=7\nchannFilters=" + junk.substr(0, 50) + "\n>" + junk.substr(99, 40) +
         "\n");
    EXPECT_EQ(startOffs, 6);
    EXPECT_EQ(endOffs, 7);
    EXPECT_LE(nb_search, kMaxSearches);
}

TEST_F(LoadCfgTest, CrlfLinesAreReadAsTheirText)
{
    load("channFilters=0101\r\nOfflinePath=/hdd/x/\r\nTimerStart=5\r\n>news\r\nEPGService=1:0:1:64:1:13e:820000:0:0:0:\r");
    EXPECT_EQ(offlinePath, "/hdd/x/");
    expectFilter("0101"); // no fifth flag made of the '\r'
    EXPECT_EQ(startOffs, 5);
    ASSERT_EQ(nb_search, 1);
    EXPECT_EQ(lastSearch[0], "news");
    EXPECT_EQ(EPGService, eServiceReference(eString("1:0:1:64:1:13e:820000:0:0:0:")));
}

TEST_F(LoadCfgTest, EmptyFileIsFoundButSetsNothing)
{
    load("");
    EXPECT_STREQ(dirplugin, kVarCfg);
    EXPECT_EQ(nb_channels, 300);
    EXPECT_EQ(pluginType, 2);
}

} // namespace
