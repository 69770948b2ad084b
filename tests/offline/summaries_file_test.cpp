// summaries.gep: one line per summary section of a carousel pass, read back whole.
#include "../broadcast/FakeDemux.h"
#include "OfflineFixture.h"
#include "offline/LogFileSet.h"
#include "offline/SummariesFile.h"
#include "broadcast/CarouselPass.h"

#include <map>
#include <set>

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
        // One pass and the window that proves it came round.
        EXPECT_LT(demux.log().calls.size(), 10u + CarouselPass::kMaxWindow);
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

// The summaries of the file, by id, each line counted.
std::map<unsigned, int> linesById(const std::string& text)
{
    std::map<unsigned, int> ids;
    size_t from = text.find('\n') + 1;
    while (from < text.size()) {
        size_t end = text.find('\n', from);
        ids[static_cast<unsigned>(std::stoul(text.substr(from, text.find('<', from) - from), nullptr, 16))]++;
        from = end + 1;
    }
    return ids;
}

TEST_F(SummariesFile, EveryDistinctSummaryOnAirIsWrittenOnceWhateverTheRepeats)
{
    struct Case {
        const char* what;
        std::vector<unsigned> carousel;
    };
    const Case cases[] = {
        // The starting summary sent again mid-pass: the old logger stopped there.
        {"start twice", {1, 2, 3, 1, 4, 5, 6, 7}},
        // A summary sent three times, one of them right after the start.
        {"three times", {1, 5, 2, 5, 3, 5, 4, 6, 7, 8}},
        // The section read right after the start comes round early: ending there lost the rest.
        {"second repeated", {1, 2, 3, 2, 4, 5, 6, 7, 8, 9}},
        // The join point in the middle of a repeated run.
        {"join in a repeat", {10, 11, 12, 20, 10, 11, 12, 21, 22, 23}},
    };
    for (const auto& c : cases) {
        FakeDemux demux;
        for (unsigned id : c.carousel) {
            demux.add(0xD3, 0x90, summarySection(id, "text " + std::to_string(id)));
            if (id % 2)
                demux.add(0xD3, 0x90, std::vector<uint8_t>(7, 0x90)); // another length in between
        }
        ASSERT_EQ(log(), 0) << c.what;
        const auto ids = linesById(read("/hdd/orvalis/summaries.gep"));
        const std::set<unsigned> onAir(c.carousel.begin(), c.carousel.end());
        EXPECT_EQ(ids.size(), onAir.size()) << c.what;
        for (unsigned id : onAir)
            EXPECT_EQ(ids.count(id) ? ids.at(id) : 0, 1) << c.what << " id " << id;
        EXPECT_EQ(nb_summaries, static_cast<int>(onAir.size())) << c.what;
    }
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
