#include "box/BoxOptions.h"
#include "box/KeyScript.h"
#include "box/PluginHost.h"
#include "box/Receiver.h"
#include "box/ServiceFile.h"
#include "host/service/eServiceInterface.h"
#include "host/platform/FileSystem.h"

#include "host/gui/Frontend.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <dlfcn.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

TEST(KeyScript, ParsesKeysTextAndShots)
{
    std::string error;
    auto steps = box::parseKeyScript("green ok  text:tg1 text:a%20b%25 shot:list 0 exit\n", &error);
    ASSERT_TRUE(steps) << error;
    ASSERT_EQ(steps->size(), 7u);
    EXPECT_EQ((*steps)[0].key, eRCKey::Green);
    EXPECT_EQ((*steps)[2].kind, box::ScriptStep::Kind::Text);
    EXPECT_EQ((*steps)[2].text, "tg1");
    EXPECT_EQ((*steps)[3].text, "a b%");
    EXPECT_EQ((*steps)[4].kind, box::ScriptStep::Kind::Shot);
    EXPECT_EQ((*steps)[4].text, "list");
    EXPECT_EQ((*steps)[5].key, eRCKey::Digit0);
    EXPECT_EQ((*steps)[6].key, eRCKey::Exit);
}

TEST(KeyScript, RejectsUnknownKeysBadEscapesAndPathsInShotNames)
{
    std::string error;
    for (const char* bad : {"purple", "text:", "text:%4", "text:%zz", "shot:../x", "shot:a/b", "shot:", "shot:.hidden"}) {
        error.clear();
        EXPECT_FALSE(box::parseKeyScript(std::string("ok ") + bad, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    auto empty = box::parseKeyScript("   ", &error);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());
}

std::optional<box::BoxOptions> parse(std::vector<const char*> args, std::string* error, bool* help)
{
    args.insert(args.begin(), "box");
    return box::parseBoxOptions(static_cast<int>(args.size()), const_cast<char**>(args.data()), error, help);
}

TEST(BoxOptions, ChoosesTheHeadlessDisplayForScriptsAndChecksValues)
{
    std::string error;
    bool help = false;
    auto o = parse({"--ts", "a.ts", "--ts", "-", "--keys", "green", "--dump", "d.jsonl"}, &error, &help);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->display, "headless");
    EXPECT_EQ(o->streams, (std::vector<std::string>{"a.ts", "-"}));
    EXPECT_FALSE(parse({"--display", "tv"}, &error, &help));
    EXPECT_FALSE(parse({"--ts"}, &error, &help));
    EXPECT_FALSE(parse({"--dvb-adapter", "x"}, &error, &help));
    EXPECT_FALSE(parse({"--dvb-adapter", "0", "--ts", "a.ts"}, &error, &help));
    EXPECT_FALSE(parse({"--bogus", "1"}, &error, &help));
    EXPECT_TRUE(parse({"--help"}, &error, &help));
    EXPECT_TRUE(help);
}

TEST(BoxOptions, RefusesMalformedServiceReferencesAndSpecialKeyScriptFiles)
{
    std::string error;
    bool help = false;
    EXPECT_TRUE(parse({"--epg-service", "1:0:1:64:1:13E:820000:0:0:0:"}, &error, &help)) << error;
    // A line break would write a setting of its own into orvalis.cfg.
    for (const char* bad : {"1:0:1:64:1:13E:820000:0:0:0:\nOfflineLog=1", "tg1", "", "1:0:1:64:1:13E:820000:0:0:0:\r"}) {
        EXPECT_FALSE(parse({"--epg-service", bad}, &error, &help)) << bad;
        EXPECT_NE(error.find("service reference"), std::string::npos) << error;
        EXPECT_FALSE(parse({"--service", bad}, &error, &help)) << bad;
    }

    // The plug-in would take a line holding "type=" for its plug-in type, and drops text after the last ':'.
    for (const char* hidden : {"1:0:1:64:1:13E:820000:0:0:0:/x/type=5", "1:0:1:64:1:13E:820000:0:0:0:a=b:",
                               "1:0:1:64:1:13E:820000:0:0:0:/media"}) {
        EXPECT_FALSE(parse({"--epg-service", hidden}, &error, &help)) << hidden;
        EXPECT_FALSE(box::PluginHost::validEpgServiceText(hidden)) << hidden;
        EXPECT_TRUE(parse({"--service", hidden}, &error, &help)) << error;
    }

    char dir[] = "/tmp/boxoptXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string fifo = std::string(dir) + "/keys";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0); // no writer: reading it would wait for ever
    EXPECT_FALSE(parse({"--keys-file", fifo.c_str()}, &error, &help));
    EXPECT_NE(error.find("FIFO"), std::string::npos) << error;
    std::system((std::string("rm -rf ") + dir).c_str());
}

class PluginHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/boxpluginXXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_root = tmpl;
        host::setFileSystemRoot(m_root);
    }
    void TearDown() override
    {
        host::setFileSystemRoot("");
        std::system(("rm -rf " + m_root).c_str());
    }
    void write(const std::string& receiverPath, const std::string& text)
    {
        host::makeDirectories(receiverPath.substr(0, receiverPath.rfind('/')));
        std::ofstream(host::hostPath(receiverPath)) << text;
    }
    std::string m_root;
};

TEST_F(PluginHostTest, InstallsTheDescriptionOnceAndKeepsAnExistingConfiguration)
{
    box::PluginHost plugins("/opt/built/orvalis.so");
    std::string error;
    ASSERT_TRUE(plugins.installDefaultConfig("1:0:1:64:1:13E:820000:0:0:0:", &error)) << error;
    auto found = plugins.findPlugins();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "Orvalis");
    EXPECT_EQ(found[0].configPath, "/var/tuxbox/plugins/orvalis.cfg");
    EXPECT_EQ(found[0].objectPath, "/opt/built/orvalis.so");
    std::ifstream in(host::hostPath("/var/tuxbox/plugins/orvalis.cfg"));
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(all.find("enigmaplugin=1\nEPGService=1:0:1:64:1:13E:820000:0:0:0:\n"), std::string::npos);

    // A user's configuration in another candidate folder is never overwritten or shadowed.
    std::system(("rm -rf " + m_root + "/var").c_str());
    write("/usr/lib/tuxbox/plugins/orvalis.cfg", "name=Mine\nenigmaplugin=1\nTimerStart=5\n");
    ASSERT_TRUE(plugins.installDefaultConfig("", &error));
    found = plugins.findPlugins();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "Mine");
}

TEST_F(PluginHostTest, ListsOnlyPluginDescriptionsWithAnObject)
{
    write("/var/tuxbox/plugins/other.cfg", "name=Other\ndesc=Something\nenigmaplugin=1\n");
    write("/var/tuxbox/plugins/other.so", "");
    write("/var/tuxbox/plugins/notes.cfg", "name=Not a plug-in\n");
    write("/var/tuxbox/plugins/lost.cfg", "name=No object\nenigmaplugin=1\n");
    box::PluginHost plugins("/opt/built/orvalis.so");
    auto found = plugins.findPlugins();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "Other");
    EXPECT_EQ(found[0].description, "Something");
    EXPECT_EQ(found[0].objectPath, host::hostPath("/var/tuxbox/plugins/other.so"));
    int result = 0;
    std::string error;
    EXPECT_FALSE(plugins.run(found[0], &result, &error)); // an empty file is no shared object
    EXPECT_FALSE(error.empty());
}

// Leaves every window at once, as a user pressing exit would.
class ExitingFrontend : public host::Frontend {
public:
    ExitingFrontend() { host::setFrontend(this); }
    ~ExitingFrontend() override { host::setFrontend(nullptr); }
    void present(const host::FrameView&) override {}
    host::InputEvent nextInput() override { return host::InputEvent(); }
};

TEST_F(PluginHostTest, UnloadsThePluginWhenItReturnsSoTheNextStartIsFresh)
{
    const std::string object = std::string(ORVALIS_BUILD_DIR) + "/src/orvalis.so";
    std::ifstream probe(object);
    if (!probe)
        GTEST_SKIP() << "orvalis.so not built";
    // A value left behind by a run must not be what the next start sees.
    void* handle = dlopen(object.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    auto* channels = static_cast<int*>(dlsym(handle, "nb_channels"));
    ASSERT_NE(channels, nullptr);
    *channels = 5;
    dlclose(handle);

    ExitingFrontend frontend;
    box::PluginHost plugins(object);
    box::PluginInfo info{"Orvalis", "", "", object};
    int result = -1;
    std::string error;
    ASSERT_TRUE(plugins.run(info, &result, &error)) << error;
    EXPECT_EQ(result, 0);
    EXPECT_EQ(dlopen(object.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr) << "still loaded after plugin_exec returned";

    handle = dlopen(object.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(*static_cast<int*>(dlsym(handle, "nb_channels")), 300);
    dlclose(handle);
}

TEST_F(PluginHostTest, SaysWhyADescriptionIsNotAPlugin)
{
    write("/var/tuxbox/plugins/orvalis.cfg", "");
    write("/lib/tuxbox/plugins/orvalis.cfg", "TimerStart=5\n");
    box::PluginHost plugins("/opt/built/orvalis.so");
    std::vector<std::string> passedOver;
    EXPECT_TRUE(plugins.findPlugins(&passedOver).empty());
    ASSERT_EQ(passedOver.size(), 2u);
    EXPECT_NE(passedOver[0].find("/var/tuxbox/plugins/orvalis.cfg is empty"), std::string::npos) << passedOver[0];
    EXPECT_NE(passedOver[1].find("no \"enigmaplugin=1\" line"), std::string::npos) << passedOver[1];

    // A malformed EPG service is refused before anything is written.
    std::system(("rm -rf " + m_root + "/var " + m_root + "/lib").c_str());
    std::string error;
    EXPECT_FALSE(plugins.installDefaultConfig("1:0:1:64:1:13E:820000:0:0:0:\nOfflineLog=1", &error));
    EXPECT_NE(error.find("not a service reference"), std::string::npos) << error;
    EXPECT_EQ(box::PluginHost::defaultConfigText("x\nOfflineLog=1").find("OfflineLog"), std::string::npos);
    EXPECT_FALSE(std::ifstream(host::hostPath("/var/tuxbox/plugins/orvalis.cfg")).good());
}

// A start without a stream knows the services an earlier start scanned.
TEST_F(PluginHostTest, ScannedServicesAreKeptForStartsWithoutAStream)
{
    const char* hand = "# by hand\n1:0:1:99:1:1:0:0:0:0:\tMy own name\n";
    write(box::ServiceFile::kPath, hand);
    auto* si = eServiceInterface::getInstance();
    std::vector<std::pair<std::string, std::string>> live, offline;
    {
        box::BoxOptions options;
        options.streams.push_back(std::string(ORVALIS_TEST_DATA_DIR) + "/ts/cz-ct-mux1-psi.ts");
        box::Receiver receiver;
        std::string error;
        ASSERT_TRUE(receiver.setUp(options, &error)) << error;
        for (const auto& e : si->services())
            live.emplace_back(e.ref.toString(), e.name);
    }
    ASSERT_GT(live.size(), 1u);
    {
        box::Receiver receiver;
        std::string error;
        ASSERT_TRUE(receiver.setUp(box::BoxOptions(), &error)) << error;
        for (const auto& e : si->services())
            offline.emplace_back(e.ref.toString(), e.name);
    }
    std::sort(live.begin(), live.end());
    std::sort(offline.begin(), offline.end());
    EXPECT_EQ(offline, live);
    std::ifstream in(host::hostPath(box::ServiceFile::kPath));
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.rfind(hand, 0), 0u) << text; // the file's own lines stay first, as written

    // A second scan of the same services adds nothing.
    EXPECT_EQ(box::ServiceFile::merged(text, si->services()), text);
    si->clear();
}

} // namespace
