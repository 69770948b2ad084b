// The orvalis-mux tool writes what the library builds, to a file or to stdout.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <sys/stat.h>
#include <sys/wait.h>

#include "MuxTestSupport.h"
#include "mux/ModelGenerator.h"

namespace {

const std::string kTool = std::string(ORVALIS_BUILD_DIR) + "/src/mux/orvalis-mux";

bool haveTool()
{
    struct stat st;
    return stat(kTool.c_str(), &st) == 0;
}

std::vector<uint8_t> runToStdout(const std::string& args, int& status)
{
    std::unique_ptr<FILE, int (*)(FILE*)> p(popen((kTool + " " + args + " 2>/dev/null").c_str(), "r"), pclose);
    std::vector<uint8_t> out;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p.get())) > 0)
        out.insert(out.end(), buf, buf + n);
    status = pclose(p.release());
    return out;
}

} // namespace

TEST(CommandLine, WritesTheLibraryStreamToStdoutAndToAFile)
{
    if (!haveTool())
        GTEST_SKIP() << "orvalis-mux not built";
    mux::Config cfg = muxtest::weekConfig();
    cfg.channelCount = 3;
    cfg.passes = 1;
    cfg.sundayAsSeven = true;
    const auto expected = mux::buildTransportStream(cfg);

    int status = -1;
    const std::string args = "--start 2026-12-08 --channels 3 --passes 1 --sunday-seven";
    EXPECT_EQ(runToStdout(args + " -", status), expected);
    EXPECT_EQ(WEXITSTATUS(status), 0);

    const std::string path = std::string(ORVALIS_BUILD_DIR) + "/mux-cli-test.ts";
    ASSERT_EQ(std::system((kTool + " " + args + " " + path).c_str()), 0);
    std::ifstream f(path, std::ios::binary);
    const std::vector<uint8_t> written((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, expected);
    std::remove(path.c_str());
}

TEST(CommandLine, RejectsBadOptionsAndExplainsItself)
{
    if (!haveTool())
        GTEST_SKIP() << "orvalis-mux not built";
    int status = -1;
    EXPECT_TRUE(runToStdout("--channel-extra 22 -", status).empty());
    EXPECT_EQ(WEXITSTATUS(status), 2);
    runToStdout("--start 2026-02-30 -", status);
    EXPECT_EQ(WEXITSTATUS(status), 2);
    runToStdout("--frobnicate -", status);
    EXPECT_EQ(WEXITSTATUS(status), 2);
    const auto help = runToStdout("--help", status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const std::string text(help.begin(), help.end());
    EXPECT_NE(text.find("--no-epg"), std::string::npos);
    EXPECT_NE(text.find("--bad-channel"), std::string::npos);
}

TEST(CommandLine, ListsTheWeekOnStdoutWithoutWritingAStream)
{
    if (!haveTool())
        GTEST_SKIP() << "orvalis-mux not built";
    int status = -1;
    const auto out = runToStdout("--start 2026-12-08 --channels 3 --list -", status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const std::string text(out.begin(), out.end());
    mux::Config cfg = muxtest::weekConfig();
    cfg.channelCount = 3;
    const mux::Model model = mux::generateModel(cfg);
    // A day line before each broadcast day's programmes, then one line per programme.
    size_t titles = 0, pos = 0;
    while ((pos = text.find("\ntitle day ", pos)) != std::string::npos) {
        ++titles;
        ++pos;
    }
    EXPECT_EQ(titles, model.titles.size());
    const size_t tuesday = text.find("day 0 Tue 2026-12-08\ntitle day 0 Tue 06:00 ch 1 ");
    const size_t monday = text.find("day 6 Mon 2026-12-14\ntitle day 6 Mon 06:00 ");
    EXPECT_NE(tuesday, std::string::npos);
    EXPECT_NE(monday, std::string::npos);
    EXPECT_LT(tuesday, monday);
    EXPECT_EQ(text.rfind("channel 1 sid 0007 ", 0), 0u); // text only: no transport stream before it
}
