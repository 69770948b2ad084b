// Naming the found EPG service in settings that name none: the plug-in's unset line
// is replaced where it stands, a missing one added, a chosen service never replaced,
// and the file the plug-in reads is the one changed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

#include "box/PluginHost.h"
#include "host/platform/FileSystem.h"

namespace {

constexpr const char* kFound = "1:0:1:1f40:bb9:13e:820000:0:0:0:";

class EpgServiceConfig : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/orvalis-epgcfg-XXXXXX";
        m_root = mkdtemp(pattern);
        host::setFileSystemRoot(m_root);
    }
    void TearDown() override { std::system(("rm -rf '" + m_root + "'").c_str()); }
    void write(const std::string& receiverPath, const std::string& text)
    {
        host::makeDirectories(receiverPath.substr(0, receiverPath.rfind('/')));
        std::ofstream(host::hostPath(receiverPath)) << text;
    }
    std::string read(const std::string& receiverPath)
    {
        std::ifstream in(host::hostPath(receiverPath));
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    std::string m_root;
};

const std::string kHead = "name=Orvalis\ndesc=Weekly programme guide\ndepend=\ntype=2\nenigmaplugin=1\n";

TEST_F(EpgServiceConfig, ReplacesTheUnsetLineWhereItStandsAndAddsAMissingOne)
{
    const std::string path = "/var/tuxbox/plugins/orvalis.cfg";
    // What the plug-in writes when no service was chosen.
    write(path, kHead + "EPGService=-1:0:0:0:0:0:0:0:0:0:\nTimerStart=5\n>tg1\n");
    EXPECT_FALSE(box::PluginHost::epgServiceConfigured());
    std::string error;
    ASSERT_TRUE(box::PluginHost::nameEpgService(kFound, &error)) << error;
    EXPECT_EQ(read(path), kHead + "EPGService=" + kFound + "\nTimerStart=5\n>tg1\n");
    EXPECT_TRUE(box::PluginHost::epgServiceConfigured());

    write(path, kHead + "TimerStart=5");
    ASSERT_TRUE(box::PluginHost::nameEpgService(kFound, &error)) << error;
    EXPECT_EQ(read(path), kHead + "TimerStart=5\nEPGService=" + kFound + "\n");

    // The null service, and a second unset line after the first, which is dropped
    // rather than left to undo the first.
    write(path, kHead + "EPGService=1:0:1:0:0:0:0:0:0:0:\nEPGService=-1:0:0:0:0:0:0:0:0:0:\n");
    EXPECT_FALSE(box::PluginHost::epgServiceConfigured());
    ASSERT_TRUE(box::PluginHost::nameEpgService(kFound, &error)) << error;
    EXPECT_EQ(read(path), kHead + "EPGService=" + kFound + "\n");
}

TEST_F(EpgServiceConfig, KeepsAChosenServiceAndChangesOnlyTheFileThePluginReads)
{
    const std::string chosen = kHead + "EPGService=1:0:1:64:1:13E:820000:0:0:0:\n";
    write("/lib/tuxbox/plugins/orvalis.cfg", chosen);
    write("/usr/lib/tuxbox/plugins/orvalis.cfg", kHead);
    EXPECT_TRUE(box::PluginHost::epgServiceConfigured());
    std::string error;
    EXPECT_TRUE(box::PluginHost::nameEpgService(kFound, &error)) << error;
    EXPECT_EQ(read("/lib/tuxbox/plugins/orvalis.cfg"), chosen);
    EXPECT_EQ(read("/usr/lib/tuxbox/plugins/orvalis.cfg"), kHead) << "a file the plug-in does not read is left alone";

    // A reference the plug-in would not read back as given is refused, the file kept.
    std::system(("rm -rf '" + m_root + "/lib'").c_str());
    EXPECT_FALSE(box::PluginHost::nameEpgService("1:0:1:64:1:13E:820000:0:0:0:\nOfflineLog=1", &error));
    EXPECT_EQ(read("/usr/lib/tuxbox/plugins/orvalis.cfg"), kHead);
}

TEST_F(EpgServiceConfig, ReportsSettingsThatCannotBeChanged)
{
    std::string error;
    EXPECT_FALSE(box::PluginHost::nameEpgService(kFound, &error));
    EXPECT_NE(error.find("no orvalis.cfg"), std::string::npos) << error;
    const std::string path = "/var/tuxbox/plugins/orvalis.cfg";
    write(path, kHead);
    chmod(host::hostPath(path).c_str(), 0444);
    error.clear();
    EXPECT_FALSE(box::PluginHost::nameEpgService(kFound, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(read(path), kHead);
}

} // namespace
