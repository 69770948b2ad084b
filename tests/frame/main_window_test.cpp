// The main window's bracket around a run of the plug-in: tuning to the EPG service
// on opening, tuning back and saving changed settings on exit.
#include "../host/FakeFrontend.h"

#include "frame/ProgressWindow.h"
#include "frame/eOrvalis.h"
#include "frame/globals.h"
#include "host/gui/Screen.h"
#include "host/platform/FileSystem.h"
#include "host/service/eServiceInterface.h"
#include "host/service/eZapMain.h"

#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <gtest/gtest.h>
#include <sstream>

extern "C" int plugin_exec(void*);

namespace {

const char* kEpg = "1:0:1:1F40:BB9:13E:820000:0:0:0:";
const char* kOther = "1:0:1:64:BB9:13E:820000:0:0:0:";

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/orvalismainXXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_root = tmpl;
        host::setFileSystemRoot(m_root);
        auto* si = eServiceInterface::getInstance();
        si->clear();
        si->addService({eServiceReference(eString(kEpg)), "Orvalis EPG", "", 0});
        si->addService({eServiceReference(eString(kOther)), "Uno", "", 0});
        eZapMain::instance->setTuner([this](const eServiceReference& ref, int) { m_tuned.push_back(ref.toString()); });
        editcfg = false;
        readThCh = false;
    }
    void TearDown() override
    {
        eZapMain::instance->setTuner({});
        eServiceInterface::getInstance()->clear();
        host::setFileSystemRoot("");
        std::system(("rm -rf " + m_root).c_str());
    }
    void writeConfig(const std::string& settings)
    {
        host::makeDirectories("/var/tuxbox/plugins");
        std::ofstream(host::hostPath("/var/tuxbox/plugins/orvalis.cfg"))
            << "name=Orvalis\ndesc=x\ndepend=\ntype=2\nneedfb=0\nneedrc=0\nneedlcd=0\nenigmaplugin=1\n" << settings;
    }
    std::string readConfig()
    {
        std::ifstream in(host::hostPath("/var/tuxbox/plugins/orvalis.cfg"));
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void play(const char* ref) { eServiceInterface::getInstance()->service = eServiceReference(eString(ref)); }
    std::string m_root;
    std::vector<std::string> m_tuned;
};

TEST_F(MainWindow, TunesToTheEpgServiceOnceAndBackOnExit)
{
    writeConfig(std::string("EPGService=") + kEpg + "\nOfflineLog=0\n");
    play(kOther);
    FakeFrontend fe;
    fe.key(eRCKey::Exit);
    EXPECT_EQ(plugin_exec(nullptr), 0);
    ASSERT_EQ(m_tuned.size(), 2u);
    EXPECT_EQ(eServiceReference(eString(m_tuned[0])), eServiceReference(eString(kEpg)));
    EXPECT_EQ(eServiceReference(eString(m_tuned[1])), eServiceReference(eString(kOther)));
    EXPECT_EQ(LastService, eServiceReference(eString(kOther)));
    EXPECT_EQ(nsp_curr, "820000");
}

TEST_F(MainWindow, NoRetuningWhenTheEpgServiceIsPlayingOrOfflineModeIsOn)
{
    writeConfig(std::string("EPGService=") + kEpg + "\n");
    play(kEpg);
    {
        FakeFrontend fe;
        fe.key(eRCKey::Exit);
        plugin_exec(nullptr);
    }
    EXPECT_TRUE(m_tuned.empty());

    writeConfig(std::string("EPGService=") + kEpg + "\nOfflineLog=1\nLogDate=0\n");
    play(kOther);
    {
        FakeFrontend fe; // the out-of-date warning comes first, then the main window
        fe.key(eRCKey::Ok).key(eRCKey::Exit);
        plugin_exec(nullptr);
    }
    EXPECT_TRUE(m_tuned.empty());
}

TEST_F(MainWindow, ExitWritesTheConfigurationOnlyWhenASettingChanged)
{
    writeConfig("TimerStart=5\n");
    std::string before = readConfig();
    {
        FakeFrontend fe;
        fe.key(eRCKey::Exit);
        plugin_exec(nullptr);
    }
    EXPECT_EQ(readConfig(), before);

    FakeFrontend fe;
    fe.then([] { editcfg = true; }).key(eRCKey::Exit);
    plugin_exec(nullptr);
    std::string after = readConfig();
    EXPECT_NE(after, before);
    EXPECT_NE(after.find("TimerStart=5\n"), std::string::npos);
    EXPECT_NE(after.find("LastSearch:\n"), std::string::npos);
}

TEST_F(MainWindow, ASettingsFileThatCannotBeSavedIsToldBeforeTheWindowCloses)
{
    writeConfig("TimerStart=5\n");
    std::string before = readConfig();
    ASSERT_EQ(chmod(host::hostPath("/var/tuxbox/plugins/orvalis.cfg").c_str(), 0444), 0);
    std::string shown;
    FakeFrontend fe;
    fe.then([] { editcfg = true; }).key(eRCKey::Exit);
    fe.then([&] { shown = host::describeScreen(); }).key(eRCKey::Ok);
    plugin_exec(nullptr);
    EXPECT_NE(shown.find("could not be saved"), std::string::npos) << shown;
    EXPECT_NE(shown.find("\"class\":\"eOrvalis\""), std::string::npos) << shown; // still open behind it
    EXPECT_EQ(readConfig(), before);
}

TEST_F(MainWindow, DigitZeroOpensTheTimerListAndComesBack)
{
    writeConfig("");
    FakeFrontend fe;
    std::vector<std::string> tops;
    fe.key(eRCKey::Digit0);
    fe.then([&] { tops.push_back(host::describeScreen()); });
    fe.key(eRCKey::Exit);
    fe.then([&] { tops.push_back(host::describeScreen()); });
    fe.key(eRCKey::Exit);
    EXPECT_EQ(plugin_exec(nullptr), 0);
    ASSERT_EQ(tops.size(), 2u);
    EXPECT_NE(tops[0].find("\"class\":\"eTimerListView\""), std::string::npos);
    EXPECT_EQ(tops[1].find("\"class\":\"eTimerListView\""), std::string::npos);
    EXPECT_NE(tops[1].find("\"class\":\"eOrvalis\""), std::string::npos);
    EXPECT_EQ(fe.pending(), 0u);
}

TEST(ProgressWindowLayout, BarUnderTheTitleAtTheStatedPlace)
{
    ProgressWindow w(" Searching: x");
    EXPECT_EQ(w.getPosition().x(), 120);
    EXPECT_EQ(w.getPosition().y(), 450);
    EXPECT_EQ(w.getClientSize().width(), 480);
    EXPECT_EQ(w.getClientSize().height(), 30);
    EXPECT_EQ(w.getText(), " Searching: x");
    EXPECT_EQ(w.progress.getPosition().x(), 10);
    EXPECT_EQ(w.progress.getSize().width(), 460);
    EXPECT_EQ(w.progress.getSize().height(), 10);
    w.progress.setPerc(140);
    EXPECT_EQ(w.progress.getPerc(), 100);
    // The bar is a member, not a heap child: destroying the window must not delete it.
}

} // namespace
