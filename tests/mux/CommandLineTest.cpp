// The orvalis-mux tool writes what the library builds, to a file or to stdout.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
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

// Runs the tool with its output to /dev/null; the peak resident size in KiB, or -1
// when it failed.
long peakKiB(const std::vector<std::string>& args)
{
    std::vector<char*> argv = {const_cast<char*>(kTool.c_str())};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        // Under AddressSanitizer freed memory is held back (up to 256 MB) to catch
        // use after free; a small hold keeps the peak about the program's own.
        setenv("ASAN_OPTIONS", "quarantine_size_mb=4", 1);
        execv(kTool.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

} // namespace

TEST(CommandLine, MemoryStaysFlatHoweverLongTheStream)
{
    if (!haveTool())
        GTEST_SKIP() << "orvalis-mux not built";
    // About 9 MB of stream against about 190 MB: the tool writes as it goes.
    const long small = peakKiB({"--passes", "1", "/dev/null"});
    const long large = peakKiB({"--mux-rate", "50000000", "--passes", "4", "/dev/null"});
    ASSERT_GT(small, 0);
    ASSERT_GT(large, 0);
    EXPECT_LT(large, small + 48 * 1024) << "peak " << large << " KiB against " << small << " KiB";
}

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

namespace {

// Exit status and standard error of the tool; standard output goes to `out`.
int runTool(const std::string& args, const std::string& out, std::string* err)
{
    // One file per test: ctest runs the tests of this file side by side.
    const std::string errFile = std::string(ORVALIS_BUILD_DIR) + "/mux-cli-" +
                                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".err";
    int status = std::system((kTool + " " + args + " >" + out + " 2>" + errFile).c_str());
    std::ifstream in(errFile);
    *err = std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(errFile.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(CommandLine, NumbersAreParsedStrictly)
{
    if (!haveTool())
        GTEST_SKIP() << "orvalis-mux not built";
    std::string err;
    for (const char* bad : {"--seed abc", "--seed 1x", "--seed ''", "--seed -1", "--seed 99999999999999999999",
                            "--channels 1x", "--channels ''", "--channels 99999999999", "--channels ' 5'",
                            "--days +3", "--onid 0x10000", "--orbital 13.0Ex", "--orbital nanE"}) {
        EXPECT_EQ(runTool(std::string(bad) + " --channels 1 --passes 1 -", "/dev/null", &err), 2) << bad;
        EXPECT_NE(err.find("bad --"), std::string::npos) << bad << ": " << err;
    }
    EXPECT_EQ(runTool("--seed 0x10 --channels 0x2 --passes 1 -", "/dev/null", &err), 0) << err;
}

TEST(CommandLine, WritesThroughSpecialOutputsAndReportsWriteErrors)
{
    if (!haveTool())
        GTEST_SKIP() << "orvalis-mux not built";
    const std::string dir = std::string(ORVALIS_BUILD_DIR) + "/mux-cli-out";
    std::system(("rm -rf " + dir + " && mkdir -p " + dir).c_str());
    const std::string args = "--start 2026-12-08 --channels 1 --passes 1 ";
    std::string err;

    // A full disk behind standard output is an error with a message, not a silent success.
    EXPECT_EQ(runTool(args + "-", "/dev/full", &err), 1);
    EXPECT_NE(err.find("No space left on device"), std::string::npos) << err;

    // A link stays a link to a file that keeps its mode.
    struct stat st {};
    std::ofstream(dir + "/real.ts") << "old";
    ASSERT_EQ(chmod((dir + "/real.ts").c_str(), 0600), 0);
    ASSERT_EQ(symlink("real.ts", (dir + "/link.ts").c_str()), 0);
    EXPECT_EQ(runTool(args + dir + "/link.ts", "/dev/null", &err), 0) << err;
    ASSERT_EQ(lstat((dir + "/link.ts").c_str(), &st), 0);
    ASSERT_TRUE(S_ISLNK(st.st_mode)); // stops here where a FIFO would be replaced too, and its reader wait for ever
    ASSERT_EQ(stat((dir + "/real.ts").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_GT(st.st_size, 188);

    // A FIFO gets the stream and stays a FIFO.
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0644), 0);
    std::unique_ptr<FILE, int (*)(FILE*)> reader(popen(("wc -c < " + dir + "/fifo").c_str(), "r"), pclose);
    EXPECT_EQ(runTool(args + dir + "/fifo", "/dev/null", &err), 0) << err;
    long bytes = 0;
    ASSERT_EQ(std::fscanf(reader.get(), "%ld", &bytes), 1);
    EXPECT_EQ(bytes, st.st_size);
    ASSERT_EQ(lstat((dir + "/fifo").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    // A folder is refused.
    EXPECT_EQ(runTool(args + dir, "/dev/null", &err), 1);
    EXPECT_NE(err.find("folder"), std::string::npos) << err;
    std::system(("rm -rf " + dir).c_str());
}
