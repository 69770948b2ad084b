// The private EPG sections decoded back byte by byte, independently of the builders.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "MuxTestSupport.h"
#include "mux/EpgSections.h"
#include "mux/ModelGenerator.h"

using namespace muxtest;

namespace {

const mux::Model& weekModel()
{
    static const mux::Model m = mux::generateModel(weekConfig());
    return m;
}

size_t declaredLength(const std::vector<uint8_t>& s) { return 3 + ((s[1] & 0x0F) << 8 | s[2]); }

std::string textField(const uint8_t* p, size_t width)
{
    size_t n = 0;
    while (n < width && p[n])
        ++n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

} // namespace

TEST(EpgSectionLayout, ChannelSectionHoldsOneRecordPerChannel)
{
    const auto& m = weekModel();
    for (int extra : {0, 1, 21}) {
        const auto s = mux::buildChannelSection(m.channels, extra);
        ASSERT_EQ(s.size(), 4 + 22 * m.channels.size() + extra);
        EXPECT_EQ(s[0], 0x91);
        EXPECT_EQ(s[1] & 0x80, 0) << "short-form private section";
        EXPECT_EQ(declaredLength(s), s.size());
        const size_t n = (s.size() - 4) / 22;
        ASSERT_EQ(n, m.channels.size());
        for (size_t i = 0; i < n; ++i) {
            const uint8_t* r = s.data() + 4 + 22 * i;
            EXPECT_EQ(be16(r), m.channels[i].onid);
            EXPECT_EQ(be16(r + 2), m.channels[i].tsid);
            EXPECT_EQ(be16(r + 4), m.channels[i].sid);
            EXPECT_EQ(textField(r + 6, 16), m.channels[i].name);
        }
    }
    EXPECT_EQ(mux::buildChannelSection({}).size(), 4u);
}

TEST(EpgSectionLayout, ChannelNamesFitAndSomeUseAccentsAndAllSixteenBytes)
{
    bool accented = false, full = false;
    for (const auto& c : weekModel().channels) {
        EXPECT_LE(c.name.size(), 16u);
        full |= c.name.size() == 16;
        for (unsigned char ch : c.name)
            accented |= ch >= 0x80;
    }
    EXPECT_TRUE(accented);
    EXPECT_TRUE(full);
}

TEST(EpgSectionLayout, ThemeStartIndicesPointAtThemeNames)
{
    const auto& themes = weekModel().themes;
    ASSERT_EQ(themes.size(), 16u);
    const auto s = mux::buildThemeSection(themes);
    EXPECT_EQ(s[0], 0x92);
    EXPECT_EQ(declaredLength(s), s.size());
    ASSERT_GE(s.size(), 19u);
    ASSERT_EQ((s.size() - 19) % 15, 0u);
    const size_t records = (s.size() - 19) / 15;
    size_t expected = 0;
    for (const auto& t : themes)
        expected += 1 + t.subThemes.size();
    EXPECT_EQ(records, expected);
    for (size_t g = 0; g < 16; ++g) {
        const size_t k = s[3 + g];
        ASSERT_LT(k, records);
        EXPECT_EQ(textField(s.data() + 19 + 15 * k, 15), themes[g].name) << "theme " << g;
        const size_t next = g + 1 < 16 ? s[4 + g] : records;
        ASSERT_EQ(next - k - 1, themes[g].subThemes.size());
        for (size_t j = 0; j < themes[g].subThemes.size(); ++j)
            EXPECT_EQ(textField(s.data() + 19 + 15 * (k + 1 + j), 15), themes[g].subThemes[j]);
    }
    EXPECT_EQ(themes[0].name, "CINEMA");
    EXPECT_EQ(themes[3].name, "TG E NEWS");
}

TEST(EpgSectionLayout, EmptyAndOverfullThemeTables)
{
    EXPECT_EQ(mux::buildThemeSection({}).size(), 19u);
    EXPECT_EQ(mux::buildThemeSection({}, 14).size(), 33u);

    mux::Config cfg = weekConfig();
    cfg.tooManyThemes = true;
    cfg.tooManySubThemes = true;
    const auto m = mux::generateModel(cfg);
    ASSERT_EQ(m.themes.size(), 20u);
    EXPECT_GT(m.themes[2].subThemes.size(), 15u);
    const auto s = mux::buildThemeSection(m.themes);
    // The sixteenth start byte names theme 15; themes 16..19 follow without a start byte.
    const size_t last = s[3 + 15];
    EXPECT_EQ(textField(s.data() + 19 + 15 * last, 15), m.themes[15].name);
    const size_t records = (s.size() - 19) / 15;
    EXPECT_GT(records - last - 1, 14u) << "theme 15 would receive more records than its group holds";

    cfg = weekConfig();
    cfg.emptyThemeTable = true;
    EXPECT_TRUE(mux::generateModel(cfg).themes.empty());
}

TEST(EpgSectionLayout, TitleSectionIsFortySixBytesWithTheFieldsAtTheirOffsets)
{
    const auto& m = weekModel();
    for (size_t i = 0; i < m.titles.size(); i += 97) {
        const mux::Title& t = m.titles[i];
        const auto s = mux::buildTitleSection(t, 1);
        ASSERT_EQ(s.size(), 46u);
        EXPECT_EQ(declaredLength(s), 46u);
        EXPECT_EQ(s[0], 0x90);
        EXPECT_EQ(s[3], t.channel);
        EXPECT_EQ(s[4], t.themeSlot);
        EXPECT_EQ(s[5] >> 5, t.weekdayCode);
        const int code = s[5] & 0x1F;
        const int hour = code >= 16 ? code - 4 : code >= 8 ? code - 2 : code;
        EXPECT_EQ(hour, t.hour);
        EXPECT_EQ(s[6] >> 2, t.minute);
        EXPECT_EQ(be16(s.data() + 9), t.duration);
        EXPECT_EQ(textField(s.data() + 11, 23), t.title);
        EXPECT_EQ(be32(s.data() + 38), t.summaryId);
    }
}

TEST(EpgSectionLayout, ByteFiveFollowsTheHourCodeTable)
{
    for (int h = 0; h < 24; ++h)
        EXPECT_EQ(mux::hourOfCode(mux::codeOfHour(h)), h);
    EXPECT_EQ(mux::codeOfHour(5), 5);
    EXPECT_EQ(mux::codeOfHour(6), 8);
    EXPECT_EQ(mux::codeOfHour(11), 13);
    EXPECT_EQ(mux::codeOfHour(12), 16);
    EXPECT_EQ(mux::codeOfHour(23), 27);
    EXPECT_EQ(mux::dayHourByte(3, 8), 0x68);
    EXPECT_EQ(mux::dayHourByte(7, 10), 0xEA);
    EXPECT_EQ(mux::dayHourByte(2, 20), 0x54);
}

TEST(EpgSectionLayout, SummaryTextStartsAfterTheEntries)
{
    const auto& m = weekModel();
    bool sawEntries = false, sawNoNul = false;
    for (const auto& sum : m.summaries) {
        const auto s = mux::buildSummarySection(sum);
        ASSERT_LE(s.size(), 4096u);
        EXPECT_EQ(declaredLength(s), s.size());
        EXPECT_EQ(s[0], 0x90);
        EXPECT_EQ(be32(s.data() + 3), sum.id);
        EXPECT_EQ(s[7], 0xFF);
        EXPECT_EQ(s[8], 0xFF);
        EXPECT_EQ(s[9], 0xFF);
        const size_t n = s[10];
        ASSERT_LE(n, 9u);
        ASSERT_EQ(n, sum.entries.size());
        const size_t at = 11 + 7 * n;
        ASSERT_EQ(s.size(), at + sum.text.size() + (sum.nulTerminated ? 1 : 0));
        EXPECT_EQ(std::string(s.begin() + at, s.begin() + at + sum.text.size()), sum.text);
        if (sum.nulTerminated) {
            EXPECT_EQ(s.back(), 0);
        }
        sawEntries |= n == 2;
        sawNoNul |= !sum.nulTerminated;
    }
    EXPECT_TRUE(sawEntries);
    EXPECT_TRUE(sawNoNul);
}
