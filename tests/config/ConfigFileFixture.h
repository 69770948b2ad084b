#pragma once
// A receiver file system in a temporary folder, the globals orvalis.cfg touches
// back at their start-up values, a fixed clock and a remote that answers OK.
#include "config/ConfigFile.h"
#include "frame/globals.h"
#include "host/gui/Frontend.h"
#include "host/gui/Screen.h"
#include "host/platform/FileSystem.h"
#include "host/service/eServiceInterface.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace cfgtest {

constexpr time_t kNow = 2000000000;
inline time_t fixedNow() { return kNow; }

constexpr const char* kVarCfg = "/var/tuxbox/plugins/orvalis.cfg";
constexpr const char* kLibCfg = "/lib/tuxbox/plugins/orvalis.cfg";
constexpr const char* kUsrLibCfg = "/usr/lib/tuxbox/plugins/orvalis.cfg";

// Answers every modal loop with OK and keeps what was on screen each time it was asked.
class OkRemote : public host::Frontend {
public:
    void present(const host::FrameView&) override {}
    host::InputEvent nextInput() override
    {
        screens.push_back(host::describeScreen());
        host::InputEvent e;
        e.kind = host::InputEvent::Kind::Key;
        // A box that ignores OK must not hang the test: give up with exit.
        e.key = screens.size() > 20 ? eRCKey::Exit : eRCKey::Ok;
        return e;
    }
    std::vector<std::string> screens;
};

inline void resetConfigGlobals()
{
    nb_search = 0;
    for (auto& s : lastSearch)
        s = "";
    for (auto& f : channFilter)
        f = "";
    nb_channels = 300;
    nb_themes = 100;
    nb_titles = 25000;
    nb_summaries = 25000;
    TotCh = TotTh = TotTi = TotSu = 0;
    listaPv = 20;
    listaGv = 17;
    listaP = gFont("Nimbus", 20);
    listaG = gFont("Nimbus", 17);
    pluginType = 2;
    EPGService = eServiceReference();
    nsp_curr = "";
    offlinePath = "/hdd/orvalis/";
    offlinelog = 0;
    logDate = 0;
    startOffs = endOffs = localOffs = 0;
    for (auto& p : sizeposition)
        p = 0;
    std::memset(dirplugin, 0, sizeof dirplugin);
    filecfg = nullptr;
    editcfg = false;
}

class ConfigFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvalis-cfg-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        host::setFileSystemRoot(m_root);
        resetConfigGlobals();
        eServiceInterface::getInstance()->clear();
        setConfigClock(fixedNow);
        m_previousFrontend = host::frontend();
        host::setFrontend(&remote);
    }

    void TearDown() override
    {
        host::setFrontend(m_previousFrontend);
        setConfigClock(nullptr);
        eServiceInterface::getInstance()->clear();
        resetConfigGlobals();
        host::setFileSystemRoot("");
        std::filesystem::remove_all(m_root);
    }

    // Writes a receiver file, creating its folders.
    void writeFile(const std::string& receiverPath, const std::string& bytes)
    {
        std::filesystem::path p(host::hostPath(receiverPath));
        std::filesystem::create_directories(p.parent_path());
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out.good());
    }

    std::string readFile(const std::string& receiverPath) const
    {
        std::ifstream in(host::hostPath(receiverPath), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    bool exists(const std::string& receiverPath) const
    {
        return std::filesystem::exists(std::filesystem::symlink_status(host::hostPath(receiverPath)));
    }

    // Writes the settings file at the first candidate path and loads it.
    void load(const std::string& text)
    {
        writeFile(kVarCfg, text);
        LoadCfg();
    }

    // Message boxes run by the last actions (each is closed by one OK).
    int boxesShown() const { return static_cast<int>(remote.screens.size()); }

    OkRemote remote;
    std::string m_root;

private:
    host::Frontend* m_previousFrontend = nullptr;
};

// The first flags of the channel filter are these characters, every later one "1".
inline void expectFilter(const std::string& firstFlags)
{
    for (int i = 0; i < kMaxChannels; ++i) {
        eString expected = i < static_cast<int>(firstFlags.size()) ? eString(1, firstFlags[i]) : eString("1");
        ASSERT_EQ(channFilter[i], expected) << "channel " << i;
    }
}

// Both list font sizes and the "Nimbus" fonts LoadCfg rebuilds from them.
inline void expectFonts(int programmeSize, int rowSize)
{
    EXPECT_EQ(listaPv, programmeSize);
    EXPECT_EQ(listaGv, rowSize);
    EXPECT_EQ(listaP, gFont("Nimbus", programmeSize));
    EXPECT_EQ(listaG, gFont("Nimbus", rowSize));
}

// The four LogValue counts and the copies LoadCfg takes of them.
inline void expectLogCounts(int channels, int themes, int titles, int summaries)
{
    EXPECT_EQ(nb_channels, channels);
    EXPECT_EQ(nb_themes, themes);
    EXPECT_EQ(nb_titles, titles);
    EXPECT_EQ(nb_summaries, summaries);
    EXPECT_EQ(TotCh, channels);
    EXPECT_EQ(TotTh, themes);
    EXPECT_EQ(TotTi, titles);
    EXPECT_EQ(TotSu, summaries);
}

// The lines WriteCfg puts before the settings, as the plug-in list expects them.
inline std::string descriptionLines(int type = 2)
{
    return "name=Orvalis\ndesc=Weekly programme guide\ndepend=\ntype=" + std::to_string(type) +
           "\nneedfb=0\nneedrc=0\nneedlcd=0\nenigmaplugin=1\n";
}

} // namespace cfgtest
