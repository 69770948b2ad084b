// summaries.gep: one line per summary section of a carousel pass, read back whole.
#include "../broadcast/FakeDemux.h"
#include "OfflineFixture.h"
#include "offline/LogFileSet.h"
#include "offline/SummariesFile.h"

namespace {

class SummariesFile : public OfflineFixture {
protected:
    int log()
    {
        offline::LogFileSet files("/hdd/orvalis/");
        int r = offline::logSummaries(files);
        return r == 0 && !files.commit() ? -9 : r;
    }
};

TEST_F(SummariesFile, LoggerWritesOnePassWithTheStartingSectionLast)
{
    FakeDemux demux;
    demux.add(0xD3, 0x90, summarySection(7, "not a summary", 1, false)); // no FF bytes: sought past
    demux.add(0xD3, 0x90, summarySection(0x12AB0, std::string("Uno\r\ndue") + '\0' + "after the NUL"));
    demux.add(0xD3, 0x90, summarySection(0xC, std::string(600, 'x')));
    auto tooShort = summarySection(0xD, "", 9);
    tooShort.resize(60); // n = 9 puts the text at 74
    demux.add(0xD3, 0x90, tooShort);
    logDate = 99;
    ASSERT_EQ(log(), 0);
    // Every section read is written, the unmarked one too; the start comes round last.
    EXPECT_EQ(read("/hdd/orvalis/summaries.gep"),
              "LogDate=99\nC<>" + std::string(600, 'x') + "\n7<>not a summary\n12AB0<>Uno#due\n");
    EXPECT_EQ(nb_summaries, 3);
}

TEST_F(SummariesFile, LoggerFailuresAreBoundedAndKeepTheOldFile)
{
    write("/hdd/orvalis/summaries.gep", "old");
    {
        FakeDemux demux; // no summary section in a whole pass
        demux.add(0xD3, 0x90, summarySection(1, "x", 1, false));
        demux.add(0xD3, 0x90, summarySection(2, "y", 1, false));
        EXPECT_EQ(log(), -1);
        EXPECT_LT(demux.log().calls.size(), 10u);
    }
    {
        FakeDemux demux; // the stream stops before the pass is round
        demux.add(0xD3, 0x90, summarySection(1, "x"));
        demux.add(0xD3, 0x90, summarySection(2, "y"));
        demux.stopAfter(2);
        EXPECT_EQ(log(), -1);
    }
    EXPECT_EQ(read("/hdd/orvalis/summaries.gep"), "old");
    EXPECT_EQ(listing(), std::vector<std::string>{"summaries.gep"});
}

TEST_F(SummariesFile, ReaderFilesWholeLinesInEveryRowOfTheirId)
{
    std::string longText(300, 'L');
    write("/hdd/orvalis/summaries.gep", "LogDate=1700000000\nB<>" + longText + "#end\nzz\nA<>first#line\nC<>not listed\n");
    nb_buffer = 4;
    const int ids[] = {0xA, 0xB, 0xA, 0};
    for (int i = 0; i < 4; ++i) {
        bufferdatas[i].id = ids[i];
        bufferdatas[i].summary = "before";
    }
    std::string result;
    std::vector<int> seen;
    TotSu = 4;
    ASSERT_EQ(offline::fileSummaries(offlinePath, 0xB, result, [&](int p) { seen.push_back(p); }), 0);
    EXPECT_EQ(result, longText + "\nend\n");
    EXPECT_EQ(bufferdatas[1].summary, result);
    EXPECT_EQ(bufferdatas[2].summary, "first\nline\n");
    EXPECT_EQ(bufferdatas[3].summary, "before"); // the LogDate line is no summary of id 0
    EXPECT_EQ(seen, (std::vector<int>{0, 25, 50, 75, 100})); // id 0 is never met: the whole file

    nb_buffer = 1; // once every id is met the reading stops
    seen.clear();
    ASSERT_EQ(offline::fileSummaries(offlinePath, 0xA, result, [&](int p) { seen.push_back(p); }), 0);
    EXPECT_EQ(seen.size(), 4u);
    offlinePath = "/hdd/none/";
    EXPECT_EQ(offline::fileSummaries(offlinePath, 1, result), -3);
}

} // namespace
