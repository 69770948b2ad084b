// orvalis.cfg after an import: the log figures and the filter replace their lines
// where the plug-in writes them, every other line stays, and the lines are judged by
// the plug-in's own key rule.
#include "import/SettingsUpdate.h"

#include <gtest/gtest.h>

using namespace importer;

namespace {

LogFigures figures()
{
    LogFigures f;
    f.logDate = 1796706000;
    f.counts = {3, 2, 40, 12};
    f.positions = {0, 0, 17, 900, 0, 0, 0, 1200};
    f.filters = "101";
    return f;
}

const char* kFile = "name=Orvalis\ndesc=Weekly programme guide\ndepend=\ntype=2\nneedfb=0\nneedrc=0\nneedlcd=0\n"
                    "enigmaplugin=1\nEPGService=1:0:1:1F40:BB9:13E:820000:0:0:0:\nFontDim=22,18\nTimerStart=5\n"
                    "TimerEnd=10\nLocalTimeOffset=-3600\nchannFilters=0011\nOfflinePath=/media/hdd/epg/\n"
                    "OfflineLog=1\nLogDate=1795000000\nLogValue=4,1,10,2\nLogPos=1,2,3,4,5,6,7,8\nLastSearch:\n"
                    ">news\n>LogDate lover\n";

} // namespace

TEST(SettingsUpdate, ReadsWhatTheImportNeeds)
{
    const SavedSettings s = SettingsUpdate::read(kFile);
    EXPECT_TRUE(s.found);
    // The search string holding a key is that key's line to the plug-in: it is read last.
    EXPECT_EQ(s.logDate, 0);
    EXPECT_EQ(s.filters, "0011");
    EXPECT_EQ(s.offlinePath, "/media/hdd/epg/");
    EXPECT_TRUE(s.earlyMorningRule);
    EXPECT_FALSE(SettingsUpdate::read("EPGService=1:0:1:1F40:BB9:13E:c00000:0:0:0:\n").earlyMorningRule);
    EXPECT_FALSE(SettingsUpdate::read("EPGService=1:0:1:8200:8200:8200\n").earlyMorningRule);
    EXPECT_EQ(SettingsUpdate::read("").offlinePath, "/hdd/orvalis/");
    EXPECT_EQ(SettingsUpdate::read("LogDate=1795000000\n").logDate, 1795000000);
}

TEST(SettingsUpdate, FiguresReplaceTheirLinesOthersStay)
{
    const std::string out = SettingsUpdate::apply(kFile, figures());
    EXPECT_EQ(out, "name=Orvalis\ndesc=Weekly programme guide\ndepend=\ntype=2\nneedfb=0\nneedrc=0\nneedlcd=0\n"
                   "enigmaplugin=1\nEPGService=1:0:1:1F40:BB9:13E:820000:0:0:0:\nFontDim=22,18\nTimerStart=5\n"
                   "TimerEnd=10\nLocalTimeOffset=-3600\nchannFilters=101\nOfflinePath=/media/hdd/epg/\n"
                   "OfflineLog=1\nLogDate=1796706000\nLogValue=3,2,40,12\nLogPos=0,0,17,900,0,0,0,1200\n"
                   "LastSearch:\n>news\n");
    // Applying twice changes nothing more.
    EXPECT_EQ(SettingsUpdate::apply(out, figures()), out);
}

TEST(SettingsUpdate, MissingLinesGoWhereThePluginWritesThem)
{
    LogFigures f = figures();
    f.useOffline = true;
    const std::string out = SettingsUpdate::apply("type=2\nOfflinePath=/hdd/orvalis/\nOfflineLog=0\nLastSearch:\n>x\n", f);
    EXPECT_EQ(out, "type=2\nchannFilters=101\nOfflinePath=/hdd/orvalis/\nOfflineLog=1\nLogDate=1796706000\n"
                   "LogValue=3,2,40,12\nLogPos=0,0,17,900,0,0,0,1200\nLastSearch:\n>x\n");
    EXPECT_EQ(SettingsUpdate::apply("type=2", figures()),
              "type=2\nchannFilters=101\nLogDate=1796706000\nLogValue=3,2,40,12\nLogPos=0,0,17,900,0,0,0,1200\n");
    // No file yet: the plug-in's whole layout, its start-up settings, and the figures.
    const std::string fresh = SettingsUpdate::apply("", f);
    EXPECT_EQ(fresh.rfind("name=Orvalis\n", 0), 0u);
    EXPECT_NE(fresh.find("\nchannFilters=101\nOfflinePath=/hdd/orvalis/\nOfflineLog=1\nLogDate=1796706000\n"),
              std::string::npos);
    EXPECT_EQ(SettingsUpdate::read(fresh).offlinePath, "/hdd/orvalis/");
}

TEST(SettingsUpdate, AHiddenChannelStaysHiddenAtItsNewPlace)
{
    // The second line has no name: the plug-in skips it, so it takes no filter index.
    const std::string before = "LogDate=0\nUno<>c93:bb9:13e\n<>ca6:bb9:13e\nTre<>cb9:bb9:13e\nQuattro<>ccc:bb9:13e\n";
    const std::vector<ServiceKey> now = {{0x13E, 0xBB9, 0xCCC}, {0x13E, 0xBB9, 0x7}, {0x13E, 0xBB9, 0xCB9},
                                         {0x13E, 0xBB9, 0xC93}};
    // Quattro hidden (its flag the third), a new channel, Tre shown, Uno with a flag the plug-in reads as hidden.
    EXPECT_EQ(SettingsUpdate::carriedFilters(before, "x10", now), "0110");
    // Flags for fewer channels than the list held: the rest were shown.
    EXPECT_EQ(SettingsUpdate::carriedFilters(before, "1", now), "1111");
    EXPECT_EQ(SettingsUpdate::carriedFilters("", "000", now), "1111");
}

TEST(SettingsUpdate, AnEpgServiceIsSetOnlyWhereNoneWas)
{
    // "None" as the box writes it, as a new file has it, and a line without a namespace.
    EXPECT_EQ(SettingsUpdate::read(kFile).epgService, "1:0:1:1F40:BB9:13E:820000:0:0:0:");
    EXPECT_EQ(SettingsUpdate::read("EPGService=-1:0:0:0:0:0:0:0:0:0:\n").epgService, "");
    EXPECT_EQ(SettingsUpdate::read("EPGService=1:0:1:0:0:0:0:0:0:0:\n").epgService, "");
    EXPECT_EQ(SettingsUpdate::read("EPGService=1:0:1:321:3103:2114:\n").epgService, "");
    EXPECT_EQ(SettingsUpdate::read("EPGService=1:0:1f:321:3103:2114:eeee0000:0:0:0:\n").epgService,
              "1:0:1f:321:3103:2114:eeee0000:0:0:0:");

    LogFigures f = figures();
    f.epgService = "1:0:1f:321:3103:2114:eeee0000:0:0:0:";
    // In place of the file's line; in a file without one, before the filter; in a new file, in its layout.
    const std::string replaced = SettingsUpdate::apply("type=2\nEPGService=-1:0:0:0:0:0:0:0:0:0:\nOfflineLog=0\n", f);
    EXPECT_EQ(replaced, "type=2\nEPGService=1:0:1f:321:3103:2114:eeee0000:0:0:0:\nOfflineLog=0\nLogDate=1796706000\n"
                        "LogValue=3,2,40,12\nLogPos=0,0,17,900,0,0,0,1200\nchannFilters=101\n");
    EXPECT_EQ(SettingsUpdate::apply("name=Orvalis\nenigmaplugin=1\nLastSearch:\n", f),
              "name=Orvalis\nenigmaplugin=1\nEPGService=1:0:1f:321:3103:2114:eeee0000:0:0:0:\nchannFilters=101\n"
              "LogDate=1796706000\nLogValue=3,2,40,12\nLogPos=0,0,17,900,0,0,0,1200\nLastSearch:\n");
    EXPECT_EQ(SettingsUpdate::read(SettingsUpdate::apply("", f)).epgService, f.epgService);
    EXPECT_EQ(SettingsUpdate::apply(replaced, f), replaced);
}
