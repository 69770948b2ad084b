// The listing of orvalis-mux --list: every programme's summary id has one summary
// line, holding what the carousel sends for it (empty when nothing is sent).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/stat.h>

#include "MuxTestSupport.h"
#include "mux/Charset.h"
#include "mux/ModelGenerator.h"

namespace {

const std::string kTool = std::string(ORVALIS_BUILD_DIR) + "/src/mux/orvalis-mux";

TEST(Listing, EveryProgrammeIdHasOneSummaryLineWithTheTextSent)
{
    struct stat st;
    if (stat(kTool.c_str(), &st) != 0)
        GTEST_SKIP() << "orvalis-mux not built";
    char dir[] = "/tmp/orvalislistXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string list = std::string(dir) + "/list.txt";
    const std::string args = " --start 2026-12-08 --days 2 --channels 6 --missing-percent 20 --repeat-percent 30 --list ";
    ASSERT_EQ(std::system((kTool + args + list + " " + dir + "/x.ts").c_str()), 0);

    mux::Config cfg = muxtest::weekConfig();
    cfg.days = 2;
    cfg.channelCount = 6;
    cfg.missingSummaryPercent = 20;
    cfg.repeatedSummaryPercent = 30;
    const mux::Model model = mux::generateModel(cfg);
    std::map<std::string, std::string> expected; // id text -> listed text
    for (const auto& s : model.summaries) {
        std::string text = mux::latin9ToUtf8(s.text);
        for (char& c : text)
            if (c == '\r')
                c = '|';
        char id[9];
        std::snprintf(id, sizeof id, "%08X", s.id);
        expected[id] = text;
    }
    int missing = 0;
    for (const auto& t : model.titles) {
        char id[9];
        std::snprintf(id, sizeof id, "%08X", t.summaryId);
        missing += expected.emplace(id, "").second;
    }
    ASSERT_GT(missing, 0);

    std::ifstream in(list);
    std::string line;
    std::map<std::string, std::string> listed;
    while (std::getline(in, line))
        if (line.rfind("summary ", 0) == 0) {
            ASSERT_GE(line.size(), 17u) << line;
            EXPECT_TRUE(listed.emplace(line.substr(8, 8), line.substr(17)).second) << "twice: " << line;
        }
    EXPECT_EQ(listed, expected);
    std::system((std::string("rm -rf ") + dir).c_str());
}

} // namespace
