// summaries.gep: one line per summary section, read back whole into the rows.
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
        if (r == 0)
            EXPECT_TRUE(files.commit());
        return r;
    }
    void rows(std::initializer_list<int> ids)
    {
        nb_buffer = 0;
        for (int id : ids) {
            bufferdatas[nb_buffer].id = id;
            bufferdatas[nb_buffer++].summary = "before";
        }
    }
};

TEST_F(SummariesFile, LineOfASectionAndItsReading)
{
    std::string text = std::string("Uno\r\ndue") + '\0' + "after the NUL";
    auto section = summarySection(0x12AB0, text, 1);
    std::string line;
    ASSERT_TRUE(offline::summaryLine(section.data(), static_cast<int>(section.size()), line));
    EXPECT_EQ(line, "12AB0<>Uno#due\n");
    unsigned int id = 0;
    std::string back;
    ASSERT_TRUE(offline::parseSummaryLine(line, id, back));
    EXPECT_EQ(id, 0x12AB0u);
    EXPECT_EQ(back, "Uno\ndue\n");

    // n = 9 puts the text at 74; a section shorter than that has none to write.
    auto shortOne = summarySection(1, "", 9);
    shortOne.resize(60);
    EXPECT_FALSE(offline::summaryLine(shortOne.data(), static_cast<int>(shortOne.size()), line));
    for (const char* bad : {"LogDate=5\n", "no separator\n", "<>text\n", "\n"})
        EXPECT_FALSE(offline::parseSummaryLine(bad, id, back)) << bad;
}

TEST_F(SummariesFile, LoggerWritesOnePassWithTheStartingSectionLast)
{
    FakeDemux demux;
    demux.add(0xD3, 0x90, summarySection(7, "not a summary", 1, false)); // no FF bytes: sought past
    demux.add(0xD3, 0x90, summarySection(0xA, std::string("first") + '\0'));
    demux.add(0xD3, 0x90, summarySection(0xB, "second\rline"));
    demux.add(0xD3, 0x90, summarySection(0xC, std::string(600, 'x')));
    logDate = 99;
    ASSERT_EQ(log(), 0);
    // Every section read is written, the unmarked one too; the start comes round last.
    EXPECT_EQ(read("/hdd/orvalis/summaries.gep"), "LogDate=99\nB<>second#line\nC<>" + std::string(600, 'x') +
                                                      "\n7<>not a summary\nA<>first\n");
    EXPECT_EQ(nb_summaries, 4);
}

TEST_F(SummariesFile, LoggerFailuresAreBoundedAndKeepTheOldFile)
{
    write("/hdd/orvalis/summaries.gep", "LogDate=1\nA<>old\n");
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
    {
        FakeDemux demux; // reads of 11 bytes or fewer end the seek
        demux.add(0xD3, 0x90, std::vector<uint8_t>(11, 0xFF));
        EXPECT_EQ(log(), -1);
    }
    EXPECT_EQ(read("/hdd/orvalis/summaries.gep"), "LogDate=1\nA<>old\n");
    EXPECT_EQ(listing(), std::vector<std::string>{"summaries.gep"});
}

TEST_F(SummariesFile, ReaderFilesWholeLinesInTheFirstRowOfEachId)
{
    std::string longText(300, 'L');
    write("/hdd/orvalis/summaries.gep", "LogDate=1700000000\n"
                                        "B<>" + longText + "#end\n"
                                        "zz\n"
                                        "A<>first#line\n"
                                        "C<>not listed\n");
    rows({0xA, 0xB, 0xA, 0});
    std::string result;
    ASSERT_EQ(offline::fileSummaries(offlinePath, 0xB, result), 0);
    EXPECT_EQ(result, longText + "\nend\n");
    EXPECT_EQ(bufferdatas[1].summary, result);
    EXPECT_EQ(bufferdatas[0].summary, "first\nline\n");
    EXPECT_EQ(bufferdatas[2].summary, "before"); // only the first row of an id
    EXPECT_EQ(bufferdatas[3].summary, "before"); // the LogDate line is no summary of id 0

    // Reading stops once every row has its summary.
    rows({0xB});
    std::vector<int> seen;
    TotSu = 4;
    ASSERT_EQ(offline::fileSummaries(offlinePath, 0xF, result, [&](int p) { seen.push_back(p); }), 0);
    EXPECT_EQ(result, "");
    EXPECT_EQ(seen, (std::vector<int>{0, 25}));

    offlinePath = "/hdd/none/";
    EXPECT_EQ(offline::fileSummaries(offlinePath, 1, result), -3);
}

} // namespace
