// The setup dialog's logging run: the question, the status texts while each
// writer reads, the four files put in place together, and tuning there and back.
#include "../broadcast/FakeDemux.h"
#include "../host/FakeFrontend.h"
#include "OfflineFixture.h"

#include "config/eInfoSetup.h"
#include "host/gfx/eSkin.h"
#include "host/gui/eStatusBar.h"
#include "host/gui/eTextInputField.h"
#include "host/platform/DeviceRegistry.h"
#include "host/service/eServiceInterface.h"
#include "host/service/eZapMain.h"
#include "config/ConfigFile.h"
#include "host/gui/Screen.h"
#include "offline/LogFileSet.h"

#include <sys/stat.h>

namespace {

const char* kEpg = "1:0:1:1F40:BB9:13E:820000:0:0:0:";
const char* kUno = "1:0:1:64:BB9:13E:820000:0:0:0:";

template <class T>
T* childOf(eWidget& w)
{
    for (eWidget* c : w.getChildren())
        if (auto* t = dynamic_cast<T*>(c))
            return t;
    return nullptr;
}

class LoggingRun : public OfflineFixture {
protected:
    void SetUp() override
    {
        OfflineFixture::SetUp();
        auto* si = eServiceInterface::getInstance();
        si->clear();
        si->addService({eServiceReference(eString(kEpg)), "Orvalis EPG", "", 0});
        si->addService({eServiceReference(eString(kUno)), "Uno", "", 0});
        eZapMain::instance->setTuner([this](const eServiceReference& ref, int) { tuned.push_back(ref.toString()); });
        EPGService = eServiceReference(eString(kEpg));
        LastService = eServiceReference(eString(kUno));
        si->service = LastService;
        editcfg = false;
        logDate = 1000;
        for (int i = 0; i < 8; ++i)
            sizeposition[i] = 10 + i;
        nb_titles = 77;
        time_t t = time(nullptr);
        localtime_r(&t, &currDay);
        channels();
    }
    void TearDown() override
    {
        host::setBlockingHook({});
        eZapMain::instance->setTuner({});
        eServiceInterface::getInstance()->clear();
        OfflineFixture::TearDown();
    }
    void channels()
    {
        std::vector<uint8_t> c = {0x91, 0, 0, 0, 0x01, 0x3E, 0x0B, 0xB9, 0x00, 0x64};
        c.resize(26, 0);
        std::memcpy(&c[10], "UNO", 3);
        demux.add(0xD3, 0x91, c);
        std::vector<uint8_t> th(19, 0);
        th[0] = 0x92;
        th.resize(34, 0);
        std::memcpy(&th[19], "NEWS", 4);
        demux.add(0xD3, 0x92, th);
    }
    void titles()
    {
        // Every hour of today starts one programme at minute 0, so the run starts now.
        int code = currDay.tm_hour >= 12 ? currDay.tm_hour + 4 : (currDay.tm_hour >= 6 ? currDay.tm_hour + 2 : currDay.tm_hour);
        demux.add(0xD2, 0x90, titleSection(1, 0, currDay.tm_wday, code, 0, 60, "NOW", 0x51));
        demux.add(0xD2, 0x90, titleSection(1, 0, (currDay.tm_wday + 1) % 7, 10, 0, 60, "TOMORROW", 0x52));
    }
    void summaries()
    {
        demux.add(0xD3, 0x90, summarySection(0x51, "Now\rand then"));
        demux.add(0xD3, 0x90, summarySection(0x52, "Tomorrow"));
    }
    void oldFiles()
    {
        for (const char* f : {"channels.gep", "themes.gep", "titles.gep", "summaries.gep"})
            write(std::string("/hdd/orvalis/") + f, std::string("old ") + f);
    }
    // Runs Log in a shown dialog, answering Yes or No; notes the status bar at every demux read.
    void run(bool yes)
    {
        eInfoSetup dialog;
        eStatusBar* bar = childOf<eStatusBar>(dialog);
        host::setBlockingHook([&] {
            if (statuses.empty() || statuses.back() != std::string(bar->getText()))
                statuses.push_back(bar->getText());
        });
        FakeFrontend fe;
        if (yes)
            fe.key(eRCKey::Left);
        fe.key(eRCKey::Ok);
        // Whatever asks for a key after the question is a message box.
        fe.then([&] { boxes.push_back(host::describeScreen()); });
        dialog.show();
        dialog.loggaDati();
        final = bar->getText();
        finalColour = bar->getBackgroundColor();
        dialog.hide();
    }
    FakeDemux demux;
    std::vector<std::string> tuned;
    std::vector<std::string> statuses;
    std::string final;
    gColor finalColour;
    std::vector<std::string> boxes;
};

bool isLink(const std::string& receiverPath)
{
    struct stat st {};
    return lstat((host::fileSystemRoot() + receiverPath).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// After a committed run: the four names (links into the set), the set link, one
// generation folder and the lock file; no temporary is left.
void expectOneSetInPlace(const std::vector<std::string>& names)
{
    ASSERT_EQ(names.size(), 7u) << ::testing::PrintToString(names);
    EXPECT_EQ(names[0], ".gep.lock");
    EXPECT_EQ(names[1], ".gep.set");
    EXPECT_EQ(names[2].rfind(".gep.set-", 0), 0u);
    EXPECT_EQ(std::vector<std::string>(names.begin() + 3, names.end()),
              (std::vector<std::string>{"channels.gep", "summaries.gep", "themes.gep", "titles.gep"}));
    for (const char* f : {"channels.gep", "themes.gep", "titles.gep", "summaries.gep"})
        EXPECT_TRUE(isLink(std::string("/hdd/orvalis/") + f)) << f;
}

TEST_F(LoggingRun, YesWritesAllFourFilesShowingEachStepWhileItReads)
{
    titles();
    summaries();
    oldFiles();
    time_t before = time(nullptr);
    run(true);
    EXPECT_EQ(statuses, (std::vector<std::string>{"Logging Channels and Themes...", "Logging Titles...",
                                                   "Logging Summaries..."}));
    EXPECT_EQ(final, "Done!");
    EXPECT_EQ(finalColour, eSkin::getActive()->queryColor("std_dgreen"));
    EXPECT_GE(logDate, before);
    EXPECT_TRUE(editcfg);
    // The files carry the log date of the run before; they replace the old ones, nothing else is left.
    EXPECT_EQ(read("/hdd/orvalis/channels.gep"), "LogDate=1000\nUNO<>64:bb9:13e\n");
    EXPECT_EQ(read("/hdd/orvalis/themes.gep"), "LogDate=1000\nTHM<>00<>NEWS\n");
    EXPECT_EQ(read("/hdd/orvalis/summaries.gep"), "LogDate=1000\n52<>Tomorrow\n51<>Now#and then\n");
    EXPECT_EQ(read("/hdd/orvalis/titles.gep").substr(0, 19), "LogDate=1000\n51<>0<");
    expectOneSetInPlace(listing());
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(nb_titles, 2);
    EXPECT_EQ(sizeposition[currDay.tm_wday], 13);
    ASSERT_EQ(tuned.size(), 2u); // to the EPG service before the question, back after
    EXPECT_EQ(eServiceReference(eString(tuned[0])), EPGService);
    EXPECT_EQ(eServiceReference(eString(tuned[1])), LastService);
}

TEST_F(LoggingRun, AFailingWriterLeavesThePreviousSetAndItsFigures)
{
    summaries(); // no title carousel: the titles writer fails
    oldFiles();
    run(true);
    EXPECT_EQ(statuses, (std::vector<std::string>{"Logging Channels and Themes...", "Logging Titles..."}));
    EXPECT_EQ(final, "Logging Titles...");
    EXPECT_EQ(finalColour, eSkin::getActive()->queryColor("std_dred"));
    for (const char* f : {"channels.gep", "themes.gep", "titles.gep", "summaries.gep"})
        EXPECT_EQ(read(std::string("/hdd/orvalis/") + f), std::string("old ") + f);
    EXPECT_EQ(listing().size(), 5u); // and the lock file
    // The run says that it could not finish.
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("No whole pass of the EPG tables could be read"), std::string::npos) << boxes[0];
    EXPECT_EQ(logDate, 1000);
    EXPECT_EQ(sizeposition[7], 17);
    EXPECT_EQ(nb_titles, 77);
    EXPECT_TRUE(editcfg);
    EXPECT_EQ(tuned.size(), 2u);
}

TEST_F(LoggingRun, NoAfterMakingTheDirectoryByASystemCallLogsNothing)
{
    // A one-character last component, and characters a shell would act on.
    offlinePath = "/hdd/x;touch y";
    titles();
    summaries();
    run(false);
    EXPECT_EQ(offlinePath, "/hdd/x;touch y/");
    EXPECT_TRUE(offline::offlineDirectoryExists("/hdd/x;touch y/"));
    // Painted before the pause; nothing read from the demux.
    EXPECT_EQ(statuses, std::vector<std::string>{"Creating directory: /hdd/x;touch y/"});
    EXPECT_EQ(final, "/hdd/x;touch y/");
    EXPECT_EQ(finalColour, eSkin::getActive()->queryColor("std_green"));
    EXPECT_FALSE(editcfg);
    EXPECT_EQ(logDate, 1000);
    ASSERT_EQ(tuned.size(), 1u); // the receiver stays on the EPG service

    // A directory that cannot be made: the error after Yes, no files, no tuning back.
    offlinePath = "/nothere/orvalis";
    tuned.clear();
    run(true);
    EXPECT_FALSE(offline::offlineDirectoryExists("/nothere/orvalis/"));
    EXPECT_FALSE(editcfg);
    EXPECT_EQ(tuned.size(), 1u);
}

TEST_F(LoggingRun, ASecondRunReplacesTheWholeSetAtOnce)
{
    titles();
    summaries();
    run(true);
    const std::string firstSet = listing()[2];
    const std::string firstTitles = read("/hdd/orvalis/titles.gep");
    // What the next run writes replaces all four files; the folder of the first set goes.
    logDate = 2000;
    run(true);
    EXPECT_EQ(final, "Done!");
    const auto names = listing();
    expectOneSetInPlace(names);
    EXPECT_NE(names[2], firstSet);
    for (const char* f : {"channels.gep", "themes.gep", "titles.gep", "summaries.gep"})
        EXPECT_EQ(read(std::string("/hdd/orvalis/") + f).substr(0, 13), "LogDate=2000\n") << f;
    EXPECT_NE(read("/hdd/orvalis/titles.gep"), firstTitles);
}

TEST_F(LoggingRun, ACommitThatCannotFinishLeavesThePreviousSetWhole)
{
    titles();
    summaries();
    oldFiles();
    // A name that cannot be replaced: the old code had put three new files in place by then.
    std::remove(host::hostPath("/hdd/orvalis/summaries.gep").c_str());
    ASSERT_TRUE(host::makeDirectories("/hdd/orvalis/summaries.gep"));
    run(true);
    EXPECT_EQ(final, "Logging Summaries...");
    EXPECT_EQ(finalColour, eSkin::getActive()->queryColor("std_dred"));
    for (const char* f : {"channels.gep", "themes.gep", "titles.gep"})
        EXPECT_EQ(read(std::string("/hdd/orvalis/") + f), std::string("old ") + f);
    EXPECT_EQ(logDate, 1000);
    EXPECT_EQ(nb_titles, 77);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("could not be put in place"), std::string::npos) << boxes[0];
}

TEST_F(LoggingRun, ARunWhileAnotherWritesTheDirectoryIsRefused)
{
    titles();
    summaries();
    oldFiles();
    std::string error;
    {
        offline::LogFileSet other("/hdd/orvalis/"); // another box's run, under way
        ASSERT_TRUE(other.lock(&error));
        run(true);
        offline::LogFileSet third("/hdd/orvalis/");
        EXPECT_FALSE(third.lock(&error));
        EXPECT_EQ(error, "Another logging run is writing /hdd/orvalis/");
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("Another logging run is writing /hdd/orvalis/"), std::string::npos) << boxes[0];
    EXPECT_EQ(std::count(demux.log().calls.begin(), demux.log().calls.end(), "read"), 0);
    for (const char* f : {"channels.gep", "themes.gep", "titles.gep", "summaries.gep"})
        EXPECT_EQ(read(std::string("/hdd/orvalis/") + f), std::string("old ") + f);
    EXPECT_FALSE(editcfg);
    // Once the other run has ended, a run goes ahead.
    boxes.clear();
    run(true);
    EXPECT_EQ(final, "Done!");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(LoggingRun, AFailedRunKeepsTheSavedSettingsAsTheyWere)
{
    ASSERT_TRUE(host::makeDirectories("/var/tuxbox/plugins"));
    const std::string cfg = std::string("name=Orvalis\ndesc=Weekly programme guide\ndepend=\ntype=2\nneedfb=0\n"
                                        "needrc=0\nneedlcd=0\nenigmaplugin=1\nEPGService=") +
                            kEpg +
                            "\nFontDim=20,17\nTimerStart=0\nTimerEnd=0\nLocalTimeOffset=0\n"
                            "channFilters=1101100111\nOfflinePath=/hdd/orvalis/\nOfflineLog=0\nLogDate=1000\n"
                            "LogValue=10,4,500,400\nLogPos=11,12,13,14,15,16,17,18\nLastSearch:\n";
    write("/var/tuxbox/plugins/orvalis.cfg", cfg);
    LoadCfg();
    ASSERT_EQ(nb_channels, 10);
    channel_ids[0] = 0x1234;
    std::strcpy(temalist[0].name, "Before");
    oldFiles();
    {
        FakeDemux only; // a stream with only the channel table
        std::vector<uint8_t> c = {0x91, 0, 0, 0, 0x01, 0x3E, 0x0B, 0xB9, 0x00, 0x64};
        c.resize(26, 0);
        only.add(0xD3, 0x91, c);
        run(true);
    }
    EXPECT_EQ(final, "Logging Channels and Themes...");
    // In memory: the tables and counts of before, not the failed run's.
    EXPECT_EQ(nb_channels, 10);
    EXPECT_EQ(channel_ids[0], 0x1234);
    EXPECT_STREQ(temalist[0].name, "Before");
    EXPECT_TRUE(editcfg);
    // On disk: the counts, day offsets, date and every channel's flag as before.
    ASSERT_TRUE(WriteCfg());
    const std::string saved = read("/var/tuxbox/plugins/orvalis.cfg");
    for (const char* line : {"\nchannFilters=1101100111\n", "\nLogDate=1000\n", "\nLogValue=10,4,500,400\n",
                             "\nLogPos=11,12,13,14,15,16,17,18\n"})
        EXPECT_NE(saved.find(line), std::string::npos) << line << " in\n" << saved;
    for (const char* f : {"channels.gep", "themes.gep", "titles.gep", "summaries.gep"})
        EXPECT_EQ(read(std::string("/hdd/orvalis/") + f), std::string("old ") + f);
}

} // namespace
