// Decoding of one title section: the fields, the hour codes, the early-morning rule
// and the checks that keep a record from indexing past the tables.
#include "broadcast/TitleRecord.h"
#include "frame/globals.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<uint8_t> titleSection(int channel, int theme, uint8_t dayHour, uint8_t minute, int duration,
                                  const char* title, uint32_t summaryId)
{
    std::vector<uint8_t> s(kTitleSectionLength, 0);
    s[0] = 0x90;
    s[3] = static_cast<uint8_t>(channel);
    s[4] = static_cast<uint8_t>(theme);
    s[5] = dayHour;
    s[6] = minute;
    s[9] = static_cast<uint8_t>(duration >> 8);
    s[10] = static_cast<uint8_t>(duration);
    std::memcpy(&s[11], title, std::min<size_t>(std::strlen(title), kTitleTextLength));
    s[38] = static_cast<uint8_t>(summaryId >> 24);
    s[39] = static_cast<uint8_t>(summaryId >> 16);
    s[40] = static_cast<uint8_t>(summaryId >> 8);
    s[41] = static_cast<uint8_t>(summaryId);
    return s;
}

TEST(TitleRecord, DecodesEveryField)
{
    auto s = titleSection(1, 21, 0x66, 0x7D, 95, "CINEMA PARADISO", 0xA1B2C3);
    TitleRecord r;
    ASSERT_TRUE(decodeTitleRecord(s.data(), static_cast<int>(s.size()), false, r));
    EXPECT_EQ(r.channel, 1);
    EXPECT_EQ(r.channelIndex(), 0);
    EXPECT_EQ(r.themeSlot, 21);
    EXPECT_EQ(r.day, 3);
    EXPECT_EQ(r.hour, 6);
    EXPECT_EQ(r.minute, 31);
    EXPECT_EQ(r.duration, 95);
    EXPECT_EQ(r.summaryId, 0xA1B2C3u);
    EXPECT_STREQ(r.title, "Cinema paradiso");
}

TEST(TitleRecord, HourCodesWeekdaySevenAndTheEarlyMorningRule)
{
    int day, hour;
    decodeTitleDayHour(0xEA, false, day, hour); // weekday 7, code 10: Sunday 08
    EXPECT_EQ(std::make_pair(day, hour), std::make_pair(0, 8));
    decodeTitleDayHour(0x54, false, day, hour); // weekday 2, code 20: Tuesday 16
    EXPECT_EQ(std::make_pair(day, hour), std::make_pair(2, 16));
    decodeTitleDayHour(0x02, true, day, hour); // Sunday 02 goes to Saturday's listing
    EXPECT_EQ(std::make_pair(day, hour), std::make_pair(6, 2));
    decodeTitleDayHour(0x02, false, day, hour);
    EXPECT_EQ(day, 0);
    decodeTitleDayHour(0x46, true, day, hour); // 06:00 is not early morning
    EXPECT_EQ(std::make_pair(day, hour), std::make_pair(2, 6));
    EXPECT_EQ(decodeTitleHour(7), 7);
    EXPECT_EQ(decodeTitleHour(8), 6);
    EXPECT_EQ(decodeTitleHour(15), 13);
    EXPECT_EQ(decodeTitleHour(16), 12);
    EXPECT_EQ(decodeTitleHour(31), 27);
    nsp_curr = "c00000";
    EXPECT_FALSE(earlyMorningRule());
    nsp_curr = "820000";
    EXPECT_TRUE(earlyMorningRule());
    nsp_curr.clear();
}

TEST(TitleRecord, OtherLengthsAreRejectedAndLongTitlesStayWithinTheirBytes)
{
    auto s = titleSection(3, 0, 0x30, 0, 5, "ABCDEFGHIJKLMNOPQRSTUVW", 1);
    s[34] = 'X'; // the byte after the title field must not leak into it
    TitleRecord r;
    EXPECT_FALSE(decodeTitleRecord(s.data(), 45, false, r));
    EXPECT_FALSE(decodeTitleRecord(s.data(), 47, false, r));
    ASSERT_TRUE(decodeTitleRecord(s.data(), 46, false, r));
    EXPECT_STREQ(r.title, "Abcdefghijklmnopqrstuvw");
    // Bytes above 0x7F are kept as sent (the toolkit decodes them when drawing).
    auto latin = titleSection(3, 0, 0x30, 0, 5, "CAF\xC9 \xE0 LA MER", 1);
    ASSERT_TRUE(decodeTitleRecord(latin.data(), 46, false, r));
    EXPECT_STREQ(r.title, "Caf\xC9 \xE0 la mer");
}

TEST(TitleRecord, ChannelAndThemeChecksGuardTheTables)
{
    nb_channels = 5;
    TitleRecord r;
    r.channel = 0;
    EXPECT_FALSE(r.channelValid());
    r.channel = 5;
    EXPECT_TRUE(r.channelValid());
    r.channel = 6;
    EXPECT_FALSE(r.channelValid());
    r.themeSlot = 254;
    EXPECT_TRUE(r.themeValid());
    r.themeSlot = 255;
    EXPECT_FALSE(r.themeValid());
    nb_channels = 300;
}

TEST(TitleRecord, DayChangesBeyondTheWeekFileUnderTheOverflowDay)
{
    DayChangeCounter days;
    const int carousel[] = {2, 2, 3, 4, 5, 6, 0, 1, 2, 2, 3};
    std::vector<int> filed;
    for (int d : carousel)
        filed.push_back(days.file(d));
    // Seven distinct days keep their numbers; the eighth change and all after it are day 7.
    EXPECT_EQ(filed, (std::vector<int>{2, 2, 3, 4, 5, 6, 0, 1, 7, 7, 7}));
    EXPECT_TRUE(days.beyondWeek());
}

} // namespace
