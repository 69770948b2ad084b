// The generated week: order, coverage, the early-morning rule and the option switches.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "MuxTestSupport.h"
#include "mux/ModelGenerator.h"
#include "mux/WeekListing.h"

using namespace muxtest;

namespace {

const mux::Model& weekModel()
{
    static const mux::Model m = mux::generateModel(weekConfig());
    return m;
}

// Minutes since 06:00 of the broadcast day.
int broadcastMinute(const mux::Title& t) { return ((t.hour + 24 - 6) % 24) * 60 + t.minute; }

// The weekday a reader lists the record under when the namespace contains "8200".
int readerWeekday(const mux::Title& t)
{
    int day = t.weekdayCode == 7 ? 0 : t.weekdayCode;
    const int code = t.hourCode;
    const int hour = code >= 16 ? code - 4 : code >= 8 ? code - 2 : code;
    if (hour <= 5)
        day = day == 0 ? 6 : day - 1;
    return day;
}

} // namespace

TEST(WeekModel, TitlesRunInBroadcastDayAndTimeOrderOverSevenDays)
{
    const auto& m = weekModel();
    ASSERT_GE(m.titles.size(), 6000u);
    std::set<int> days;
    for (size_t i = 1; i < m.titles.size(); ++i) {
        const auto& a = m.titles[i - 1];
        const auto& b = m.titles[i];
        ASSERT_TRUE(a.broadcastDay < b.broadcastDay ||
                    (a.broadcastDay == b.broadcastDay && broadcastMinute(a) <= broadcastMinute(b)))
            << "record " << i;
        ASSERT_LE(a.start, b.start);
        days.insert(b.broadcastDay);
    }
    EXPECT_EQ(days, (std::set<int>{0, 1, 2, 3, 4, 5, 6}));
}

TEST(WeekModel, EveryHourOfEveryBroadcastDayHasAProgrammeStart)
{
    std::set<std::pair<int, int>> seen;
    for (const auto& t : weekModel().titles)
        seen.insert({t.broadcastDay, t.hour});
    for (int d = 0; d < 7; ++d)
        for (int h = 0; h < 24; ++h)
            EXPECT_TRUE(seen.count({d, h})) << "day " << d << " hour " << h;
}

TEST(WeekModel, EarlyMorningCarriesTheNextWeekdayAndReadsBackUnderItsBroadcastDay)
{
    // 8 December 2026 is a Tuesday.
    int early = 0;
    for (const auto& t : weekModel().titles) {
        EXPECT_EQ(t.listedWeekday, (2 + t.broadcastDay) % 7);
        if (t.hour < 6) {
            ++early;
            EXPECT_EQ(t.weekdayCode, (t.listedWeekday + 1) % 7);
            EXPECT_EQ(t.hourCode, t.hour);
        } else {
            EXPECT_EQ(t.weekdayCode, t.listedWeekday);
        }
        EXPECT_EQ(readerWeekday(t), t.listedWeekday);
    }
    EXPECT_GT(early, 100);
}

TEST(WeekModel, TitlesAndSummariesLookLikeARealWeek)
{
    const auto& m = weekModel();
    std::map<uint32_t, int> uses;
    bool full = false, mixedCase = false;
    for (const auto& t : m.titles) {
        ASSERT_LE(t.title.size(), 23u);
        full |= t.title.size() == 23;
        bool upper = false, lower = false;
        for (char c : t.title) {
            upper |= c >= 'A' && c <= 'Z';
            lower |= c >= 'a' && c <= 'z';
        }
        mixedCase |= upper && lower;
        EXPECT_GE(t.channel, 1);
        EXPECT_LE(t.channel, m.channels.size());
        EXPECT_GT(t.duration, 0);
        ++uses[t.summaryId];
    }
    EXPECT_TRUE(full);
    EXPECT_TRUE(mixedCase);
    int shared = 0;
    for (const auto& [id, n] : uses)
        shared += n > 1;
    EXPECT_GT(shared, 50);

    bool accented = false, cr = false, nearLimit = false, tiny = false;
    std::set<uint32_t> ids;
    for (const auto& s : m.summaries) {
        EXPECT_TRUE(ids.insert(s.id).second) << "one summary per id";
        EXPECT_TRUE(uses.count(s.id));
        EXPECT_EQ(s.text.find('\0'), std::string::npos);
        for (unsigned char c : s.text) {
            accented |= c >= 0xC0;
            cr |= c == '\r';
        }
        const size_t total = 11 + 7 * s.entries.size() + s.text.size() + (s.nulTerminated ? 1 : 0);
        EXPECT_LE(total, 4096u);
        nearLimit |= total > 4000;
        tiny |= s.text.size() < 60;
    }
    EXPECT_TRUE(accented);
    EXPECT_TRUE(cr);
    EXPECT_TRUE(nearLimit);
    EXPECT_TRUE(tiny);
    EXPECT_LT(m.summaries.size(), uses.size()) << "some summary ids have no summary";
}

TEST(WeekModel, SameSeedSameBytesOtherSeedOtherWeek)
{
    mux::Config cfg = weekConfig();
    cfg.passes = 1;
    const auto a = mux::buildTransportStream(cfg);
    EXPECT_EQ(a, mux::buildTransportStream(cfg));
    cfg.seed = 2;
    EXPECT_NE(a, mux::buildTransportStream(cfg));
}

TEST(WeekModel, SwitchesChangeWhatTheyName)
{
    mux::Config cfg = weekConfig();
    cfg.badChannelTitles = 3;
    cfg.sundayAsSeven = true;
    cfg.hourCodes = mux::HourCodes::Mixed;
    cfg.channelCount = 12;
    const auto m = mux::generateModel(cfg);
    EXPECT_EQ(m.channels.size(), 12u);
    int bad = 0;
    std::set<int> codes, weekdays;
    for (const auto& t : m.titles) {
        bad += t.channel == 0xFF;
        codes.insert(t.hourCode);
        weekdays.insert(t.weekdayCode);
        EXPECT_EQ(readerWeekday(t), t.listedWeekday);
    }
    EXPECT_EQ(bad, 3);
    EXPECT_TRUE(weekdays.count(7));
    EXPECT_FALSE(weekdays.count(0));
    for (int c : {0, 5, 6, 7, 8, 13, 14, 15, 16, 27})
        EXPECT_TRUE(codes.count(c)) << "code " << c;

    cfg = weekConfig();
    cfg.sharedSummaryPercent = 0;
    cfg.missingSummaryPercent = 0;
    const auto plain = mux::generateModel(cfg);
    EXPECT_EQ(plain.summaries.size(), plain.titles.size());
}

TEST(WeekModel, EveryThemeAndItsSubThemesHaveProgrammesEveryDay)
{
    const mux::Model& m = weekModel();
    // (day, group) -> programmes filed under the theme itself, and under its sub-themes.
    std::map<std::pair<int, int>, std::pair<int, int>> count;
    auto at = [&](int d, int g) { return count[std::make_pair(d, g)]; };
    for (const auto& t : m.titles) {
        auto& c = count[std::make_pair(t.broadcastDay, t.themeSlot / 16)];
        (t.themeSlot % 16 == 0 ? c.first : c.second) += 1;
    }
    for (int d = 0; d < 7; ++d)
        for (int g = 0; g < static_cast<int>(m.themes.size()); ++g) {
            EXPECT_GT(at(d, g).first, 0) << "day " << d << " theme " << g;
            if (!m.themes[g].subThemes.empty()) {
                EXPECT_GT(at(d, g).second, 0) << "day " << d << " theme " << g;
            }
        }
}

TEST(WeekModel, DefaultStartIsTheBroadcastDayRunningNow)
{
    mux::Config cfg; // no start day given
    cfg.days = 1;
    const mux::Model m = mux::generateModel(cfg);
    EXPECT_EQ(m.startDay, mux::currentBroadcastDay());
    const time_t now = time(nullptr);
    // The broadcast day running now began at 06:00 of the start day, less than a day ago.
    EXPECT_LE(mux::broadcastTime(m.startDay, 0, 0), now);
    EXPECT_GT(mux::broadcastTime(m.startDay, 1, 0), now);
}
