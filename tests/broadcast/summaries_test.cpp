// The summary reader: decoding one section, and one carousel pass filing the
// summaries of every listed row by summary id.
#include "FakeDemux.h"
#include "broadcast/CarouselPass.h"
#include "broadcast/GetSummaries.h"
#include "broadcast/SummarySection.h"
#include "frame/globals.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::vector<uint8_t> summarySection(uint32_t id, const std::string& text, int entries = 0, bool nul = true)
{
    std::vector<uint8_t> s = {0x90, 0x70, 0x00, uint8_t(id >> 24), uint8_t(id >> 16), uint8_t(id >> 8), uint8_t(id),
                              0xFF, 0xFF, 0xFF, uint8_t(entries)};
    s.resize(s.size() + 7 * entries, 0x00); // entries full of NULs: the text must not end in them
    s.insert(s.end(), text.begin(), text.end());
    if (nul)
        s.push_back(0);
    return s;
}

std::optional<SummarySection> decode(const std::vector<uint8_t>& s)
{
    return decodeSummarySection(s.data(), static_cast<int>(s.size()));
}

TEST(SummarySectionTest, TextFollowsTheEntriesAndEndsAtNulOrSectionEnd)
{
    auto two = decode(summarySection(0x12345678, "Plot\rline two", 2));
    ASSERT_TRUE(two);
    EXPECT_EQ(two->id, 0x12345678u);
    EXPECT_EQ(two->text, "Plot\rline two"); // at offset 25, carriage return kept
    auto s = summarySection(0xFFFFFFFE, "no end", 0, false);
    EXPECT_EQ(decode(s)->text, "no end");
    EXPECT_EQ(decode(s)->id, 0xFFFFFFFEu);
    // Bytes above 0x7F pass unchanged; the text stops at the first NUL.
    auto latin = summarySection(7, std::string("caf\xE9") + '\0' + "hidden", 9);
    EXPECT_EQ(decode(latin)->text, "caf\xE9");
    // A section at the 4096-byte limit, its text running to the last byte.
    auto full = summarySection(9, std::string(4096 - 11 - 21, 'x'), 3, false);
    ASSERT_EQ(full.size(), 4096u);
    EXPECT_EQ(decode(full)->text.size(), 4096u - 32);
}

TEST(SummarySectionTest, SectionsOutsideTheRuleAreNotTaken)
{
    EXPECT_FALSE(decode(summarySection(1, "ten entries", 10)));
    auto noMarker = summarySection(1, "text");
    noMarker[8] = 0xFE;
    EXPECT_FALSE(decode(noMarker));
    auto header = summarySection(1, "", 0, false);
    EXPECT_EQ(header.size(), 11u);
    EXPECT_FALSE(decode(header));
    // Entries announced past the end: taken, with no text, nothing read beyond it.
    auto cut = summarySection(1, "", 0, false);
    cut[10] = 9;
    cut.push_back('a');
    ASSERT_TRUE(decode(cut));
    EXPECT_EQ(decode(cut)->text, "");
}

class SummaryPass : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (auto& r : bufferdatas)
            r = BufferData();
        TotSu = 0;
    }
    void rows(const std::vector<int>& ids)
    {
        for (size_t i = 0; i < ids.size(); ++i)
            bufferdatas[i].id = ids[i];
        nb_buffer = static_cast<int>(ids.size());
    }
    int reads() { return static_cast<int>(std::count(m_demux.log().calls.begin(), m_demux.log().calls.end(), "read")); }
    FakeDemux m_demux;
};

TEST_F(SummaryPass, EndsOnceEveryDistinctIdIsMetCountingRepeatsOnce)
{
    // 5 is sent twice early in the pass; then 6 and 7. Counting the repeat twice would
    // end the pass before 7 came.
    for (uint32_t id : {1u, 5u, 2u, 5u, 3u, 6u, 4u, 7u, 8u, 9u})
        m_demux.add(0xD3, 0x90, summarySection(id, "s" + std::to_string(id)));
    rows({5, 6, 7, 6}); // a rerun shares its id
    eString result;
    ASSERT_EQ(readSummaryCarousel(6, "t", result), 0);
    EXPECT_EQ(result, "s6");
    EXPECT_EQ(bufferdatas[2].summary, "s7");
    EXPECT_EQ(bufferdatas[3].summary, "s6");
    EXPECT_EQ(reads(), 8); // seek 1, then up to 7: not a full pass
}

TEST_F(SummaryPass, APassWithAMissingIdEndsWhereItBeganNotAtACopyOfItsFirstSection)
{
    // The first summary met (1) is sent again mid-pass; ending there would miss 4.
    for (uint32_t id : {1u, 2u, 3u, 1u, 4u, 5u})
        m_demux.add(0xD3, 0x90, summarySection(id, "s" + std::to_string(id)));
    rows({4, 1, 404});
    eString result;
    ASSERT_EQ(readSummaryCarousel(404, "t", result), 0);
    EXPECT_EQ(result, "");
    EXPECT_EQ(bufferdatas[0].summary, "s4");
    EXPECT_EQ(bufferdatas[1].summary, "s1");
    // The seek, then one turn read twice and a window, which prove it came round: bounded.
    EXPECT_LE(reads(), 1 + 2 * 6 + static_cast<int>(CarouselPass::kMinWindow) + 1);
    EXPECT_GE(reads(), 6);
}

TEST_F(SummaryPass, JunkIsSkippedAndFailuresAreReported)
{
    auto junk = summarySection(3, "ten entries", 10);
    m_demux.add(0xD3, 0x90, junk);
    m_demux.add(0xD3, 0x90, summarySection(3, "three"));
    m_demux.add(0xD3, 0x90, std::vector<uint8_t>(5, 0x90));
    rows({3});
    eString result;
    EXPECT_EQ(readSummaryCarousel(3, "t", result), 0);
    EXPECT_EQ(result, "three");
    EXPECT_EQ(m_demux.log().calls[1], "filter D3/90");
    EXPECT_EQ(m_demux.log().calls.back(), "close");

    FakeDemux empty; // reads fail at once: nothing found
    EXPECT_EQ(readSummaryCarousel(3, "t", result), -2);
    empty.add(0xD3, 0x90, junk); // only sections outside the rule: the seek gives up after a pass
    empty.add(0xD3, 0x90, std::vector<uint8_t>(5, 0x90));
    const auto before = empty.log().calls.size();
    EXPECT_EQ(readSummaryCarousel(3, "t", result), -2);
    EXPECT_LE(empty.log().calls.size() - before, 4u + 2 * (CarouselPass::kMaxWindow + 2));
    empty.failFilter(true);
    EXPECT_EQ(readSummaryCarousel(3, "t", result), -1);
    EXPECT_EQ(empty.log().calls.back(), "close");
}

TEST_F(SummaryPass, RowsPastTheTableAreNotWrittenButTheRequestedOneIsFound)
{
    m_demux.add(0xD3, 0x90, summarySection(1, "one"));
    m_demux.add(0xD3, 0x90, summarySection(77, "far"));
    for (int i = 0; i < kMaxRows; ++i)
        bufferdatas[i].id = 1;
    nb_buffer = 2500; // more rows than records
    eString result;
    ASSERT_EQ(readSummaryCarousel(77, "t", result), 0);
    EXPECT_EQ(result, "far");
    EXPECT_EQ(bufferdatas[kMaxRows - 1].summary, "one");
}

} // namespace
