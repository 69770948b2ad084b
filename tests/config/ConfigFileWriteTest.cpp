// WriteCfg: the exact text it writes, where it writes it, and that a failed write
// never costs the old file.
#include "ConfigFileFixture.h"

#include <sys/stat.h>

using namespace cfgtest;

namespace {

using WriteCfgTest = ConfigFileTest;

TEST_F(WriteCfgTest, WritesEveryLineInOrderWithItsFormat)
{
    load("TimerStart=0\n");
    pluginType = 3;
    EPGService = eServiceReference(eString("1:0:1:6d66:437:1:c00000:0:0:0:"));
    listaPv = 21;
    listaGv = 16;
    startOffs = 2;
    endOffs = 15;
    localOffs = -5400;
    nb_channels = 6;
    const char* flags[6] = {"1", "0", "1", "1", "0", "1"};
    for (int i = 0; i < 6; ++i)
        channFilter[i] = flags[i];
    offlinePath = "/media/hdd/orvalis/";
    offlinelog = 1;
    logDate = 1765000000;
    nb_themes = 12;
    nb_titles = 8700;
    nb_summaries = 8100;
    for (int d = 0; d < 8; ++d)
        sizeposition[d] = d * 1000 + 7;
    lastSearch[0] = "NEWS";
    lastSearch[1] = "Film";
    nb_search = 2;

    WriteCfg();

    EXPECT_EQ(readFile(kVarCfg), descriptionLines(3) +
                                     "EPGService=1:0:1:6d66:437:1:c00000:0:0:0:\n"
                                     "FontDim=21,16\n"
                                     "TimerStart=2\n"
                                     "TimerEnd=15\n"
                                     "LocalTimeOffset=-5400\n"
                                     "channFilters=101101\n"
                                     "OfflinePath=/media/hdd/orvalis/\n"
                                     "OfflineLog=1\n"
                                     "LogDate=1765000000\n"
                                     "LogValue=6,12,8700,8100\n"
                                     "LogPos=7,1007,2007,3007,4007,5007,6007,7007\n"
                                     "LastSearch:\n"
                                     ">NEWS\n"
                                     ">Film\n");
    EXPECT_EQ(filecfg, nullptr);
    EXPECT_FALSE(exists(std::string(kVarCfg) + ".tmp"));
}

TEST_F(WriteCfgTest, FreshStateWritesStartUpValues)
{
    load("");
    WriteCfg();
    std::string expected = descriptionLines() + "EPGService=-1:0:0:0:0:0:0:0:0:0:\nFontDim=20,17\nTimerStart=0\n"
                                                "TimerEnd=0\nLocalTimeOffset=0\nchannFilters=" +
                           std::string(300, '1') +
                           "\nOfflinePath=/hdd/orvalis/\nOfflineLog=0\nLogDate=0\n"
                           "LogValue=300,100,25000,25000\nLogPos=0,0,0,0,0,0,0,0\nLastSearch:\n";
    EXPECT_EQ(readFile(kVarCfg), expected);
}

TEST_F(WriteCfgTest, DescriptionLinesAreAlwaysRewritten)
{
    load("name=Renamed\ndesc=Edited\ntype=5\nneedfb=1\n");
    WriteCfg();
    EXPECT_EQ(readFile(kVarCfg).substr(0, descriptionLines(5).size()), descriptionLines(5));
}

// ---- Channel filter ----

TEST_F(WriteCfgTest, FilterFlagsOfTheFirstChannelsOnly)
{
    load("");
    nb_channels = 5;
    channFilter[0] = "0";
    channFilter[1] = "";   // never set: hidden
    channFilter[2] = "x";  // not "1": hidden, and still one character
    channFilter[3] = "10"; // not "1" either
    channFilter[4] = "1";
    channFilter[5] = "0"; // beyond nb_channels
    WriteCfg();
    EXPECT_NE(readFile(kVarCfg).find("\nchannFilters=00001\n"), std::string::npos);
}

TEST_F(WriteCfgTest, OddFlagDoesNotShiftTheLaterChannels)
{
    load("");
    nb_channels = 4;
    channFilter[0] = "?";
    channFilter[1] = "1";
    channFilter[2] = "0";
    channFilter[3] = "1";
    WriteCfg();
    load(readFile(kVarCfg));
    expectFilter("0101");
}

TEST_F(WriteCfgTest, ChannelCountBeyondTheTableWritesThreeHundredFlags)
{
    load("");
    nb_channels = 1000;
    WriteCfg();
    std::string text = readFile(kVarCfg);
    EXPECT_NE(text.find("\nchannFilters=" + std::string(300, '1') + "\nOfflinePath="), std::string::npos);
    EXPECT_NE(text.find("\nLogValue=1000,"), std::string::npos);

    nb_channels = -3;
    WriteCfg();
    EXPECT_NE(readFile(kVarCfg).find("\nchannFilters=\nOfflinePath="), std::string::npos);
}

// ---- Search strings ----

TEST_F(WriteCfgTest, HeaderIsWrittenWithoutSearchStrings)
{
    load("");
    WriteCfg();
    std::string text = readFile(kVarCfg);
    ASSERT_GE(text.size(), 12u);
    EXPECT_EQ(text.substr(text.size() - 12), "LastSearch:\n");
}

TEST_F(WriteCfgTest, EmptySearchStringsAreSkipped)
{
    load("");
    lastSearch[0] = "a";
    lastSearch[1] = "";
    lastSearch[2] = "c";
    lastSearch[3] = "not used";
    nb_search = 3;
    WriteCfg();
    std::string text = readFile(kVarCfg);
    EXPECT_EQ(text.substr(text.find("LastSearch:")), "LastSearch:\n>a\n>c\n");
}

TEST_F(WriteCfgTest, SearchCountOutsideTheTableNeverReadsPastIt)
{
    load("");
    for (int i = 0; i < kMaxSearches; ++i)
        lastSearch[i] = "s" + std::to_string(i);
    nb_search = 25;
    WriteCfg();
    std::string text = readFile(kVarCfg);
    std::string expected = "LastSearch:\n";
    for (int i = 0; i < kMaxSearches; ++i)
        expected += ">s" + std::to_string(i) + "\n";
    EXPECT_EQ(text.substr(text.find("LastSearch:")), expected);

    nb_search = -1;
    WriteCfg();
    text = readFile(kVarCfg);
    EXPECT_EQ(text.substr(text.find("LastSearch:")), "LastSearch:\n");
}

// ---- Where and how the file is written ----

TEST_F(WriteCfgTest, WritesBackToTheFileItWasReadFrom)
{
    writeFile(kLibCfg, "TimerStart=1\n");
    LoadCfg();
    startOffs = 4;
    WriteCfg();
    EXPECT_NE(readFile(kLibCfg).find("\nTimerStart=4\n"), std::string::npos);
    EXPECT_FALSE(exists(kVarCfg));
    EXPECT_FALSE(exists(kUsrLibCfg));
}

TEST_F(WriteCfgTest, NothingIsWrittenWhenNoFileWasFound)
{
    LoadCfg();
    startOffs = 4;
    testing::internal::CaptureStderr();
    WriteCfg();
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(exists(kVarCfg));
    EXPECT_FALSE(exists(kLibCfg));
    EXPECT_FALSE(exists(kUsrLibCfg));
    EXPECT_NE(log.find("orvalis"), std::string::npos) << log;
    EXPECT_NE(log.find("not saved"), std::string::npos) << log;
}

TEST_F(WriteCfgTest, FileGoneSinceAnEarlierStartIsNotRecreated)
{
    writeFile(kLibCfg, "TimerStart=1\n");
    LoadCfg();
    std::filesystem::remove(host::hostPath(kLibCfg));
    LoadCfg();
    testing::internal::CaptureStderr();
    WriteCfg();
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(exists(kLibCfg));
}

TEST_F(WriteCfgTest, FailedWriteLeavesTheOldFileWhole)
{
    const std::string old = "TimerStart=1\nchannFilters=0101\n";
    load(old);
    // A read-only file is never replaced: the write cannot even start.
    ASSERT_EQ(chmod(host::hostPath(kVarCfg).c_str(), 0444), 0);
    startOffs = 9;
    testing::internal::CaptureStderr();
    std::string why;
    EXPECT_FALSE(WriteCfg(&why));
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(readFile(kVarCfg), old);
    EXPECT_NE(log.find("not saved"), std::string::npos) << log;
    EXPECT_EQ(filecfg, nullptr);
}

TEST_F(WriteCfgTest, LeftoverTemporaryFileDoesNotHarm)
{
    // As a power cut in the middle of an earlier write would leave it.
    writeFile(std::string(kVarCfg) + ".tmp", "name=Orvalis\nTimerStart=99\nchannFil");
    load("TimerStart=1\n");
    EXPECT_EQ(startOffs, 1);
    EXPECT_EQ(channFilter[0], "1");

    startOffs = 2;
    WriteCfg();
    // Never written through: the new text goes to a freshly created file.
    EXPECT_EQ(readFile(std::string(kVarCfg) + ".tmp"), "name=Orvalis\nTimerStart=99\nchannFil");
    load(readFile(kVarCfg));
    EXPECT_EQ(startOffs, 2);
}

TEST_F(WriteCfgTest, SymbolicLinkStaysALink)
{
    writeFile("/etc/orvalis/real.cfg", "TimerStart=1\n");
    std::filesystem::create_directories(std::filesystem::path(host::hostPath(kVarCfg)).parent_path());
    // As on the receiver, an absolute link names a path of the receiver's file system.
    std::filesystem::create_symlink("/etc/orvalis/real.cfg", host::hostPath(kVarCfg));
    LoadCfg();
    startOffs = 6;
    WriteCfg();
    EXPECT_TRUE(std::filesystem::is_symlink(host::fileSystemRoot() + kVarCfg)); // hostPath() would follow it
    EXPECT_NE(readFile("/etc/orvalis/real.cfg").find("\nTimerStart=6\n"), std::string::npos);
}

TEST_F(WriteCfgTest, FilePermissionsAreKept)
{
    load("TimerStart=1\n");
    ASSERT_EQ(chmod(host::hostPath(kVarCfg).c_str(), 0600), 0);
    WriteCfg();
    struct stat st {};
    ASSERT_EQ(stat(host::hostPath(kVarCfg).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(WriteCfgTest, SpecialFileInPlaceOfTheSettingsIsPassedOverNotReadOrReplaced)
{
    // A FIFO without a writer would block a plain open for ever.
    std::filesystem::create_directories(std::filesystem::path(host::hostPath(kVarCfg)).parent_path());
    ASSERT_EQ(mkfifo(host::hostPath(kVarCfg).c_str(), 0644), 0);
    writeFile(kLibCfg, "TimerStart=3\n");
    testing::internal::CaptureStderr();
    LoadCfg();
    startOffs = 4;
    WriteCfg();
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("FIFO"), std::string::npos) << log;
    struct stat st {};
    ASSERT_EQ(lstat(host::hostPath(kVarCfg).c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_NE(readFile(kLibCfg).find("\nTimerStart=4\n"), std::string::npos);
}

} // namespace
