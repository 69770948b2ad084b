// Decoding of single EPG sections as the export reads them.
#include "xmltv/TableDecoder.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

using namespace xmltv;

namespace {

std::vector<uint8_t> titleSection(uint8_t channel, uint8_t slot, uint8_t dayHour, uint8_t minuteByte, const char* title)
{
    std::vector<uint8_t> s(kTitleSectionSize, 0);
    s[0] = 0x90;
    s[3] = channel;
    s[4] = slot;
    s[5] = dayHour;
    s[6] = minuteByte;
    s[9] = 0;
    s[10] = 95;
    std::memcpy(&s[11], title, std::min<size_t>(23, std::strlen(title)));
    s[38] = 0xA1, s[39] = 0xB2, s[40] = 0xC3, s[41] = 0xD4;
    return s;
}

} // namespace

TEST(TitleSection, WeekdayHourCodesAndMinute)
{
    struct Case {
        uint8_t dayHour, minute;
        int day, minuteOfDay;
    } cases[] = {
        {0x66, 0x7D, 3, 6 * 60 + 31},       // Wednesday, code 6: 06:31
        {0xEA, 0x00, 0, 8 * 60},            // weekday 7 is Sunday, code 10: 08:00
        {0x54, 0x00, 2, 16 * 60},           // Tuesday, code 20: 16:00
        {0x02, 0x00, 6, 26 * 60},           // Sunday 02:00 belongs to Saturday's broadcast day
        {0x3F, 0x08, 1, 27 * 60 + 2},       // Monday, code 31: hour 27, the night after it
    };
    for (const Case& c : cases) {
        auto s = titleSection(1, 0, c.dayHour, c.minute, "X");
        auto t = decodeTitle(s.data(), s.size());
        ASSERT_TRUE(t) << int(c.dayHour);
        EXPECT_EQ(t->day, c.day) << int(c.dayHour);
        EXPECT_EQ(t->minuteOfDay, c.minuteOfDay) << int(c.dayHour);
    }
}

TEST(TitleSection, FieldsPaddingAndRejectedRecords)
{
    auto s = titleSection(3, 21, 0x66, 0, "CINEMA PARADISO  ");
    auto t = decodeTitle(s.data(), s.size());
    ASSERT_TRUE(t);
    EXPECT_EQ(t->channelIndex, 2);
    EXPECT_EQ(t->themeSlot, 21);
    EXPECT_EQ(t->duration, 95);
    EXPECT_EQ(t->summaryId, 0xA1B2C3D4u);
    EXPECT_EQ(t->title, "CINEMA PARADISO");

    auto full = titleSection(1, 0, 0x66, 0, "ABCDEFGHIJKLMNOPQRSTUVW"); // all 23 bytes, no NUL
    EXPECT_EQ(decodeTitle(full.data(), full.size())->title, "ABCDEFGHIJKLMNOPQRSTUVW");

    auto noChannel = titleSection(0xFF, 0, 0x66, 0, "X");
    EXPECT_FALSE(decodeTitle(noChannel.data(), noChannel.size()));
    EXPECT_FALSE(decodeTitle(s.data(), s.size() - 1));
}

TEST(ChannelSection, WholeRecordsOnly)
{
    for (size_t extra = 0; extra < 22; ++extra) {
        std::vector<uint8_t> s(4 + 22 * 3 + extra, 0);
        s[4 + 22 + 0] = 0x01, s[4 + 22 + 1] = 0x3E; // record 1: ONID 0x13E
        s[4 + 22 + 3] = 0x05;                       // TSID 5
        s[4 + 22 + 4] = 0x1A, s[4 + 22 + 5] = 0x2B; // SID 0x1A2B
        std::memcpy(&s[4 + 22 + 6], "Rete Uno", 8);
        auto channels = decodeChannels(s.data(), s.size());
        ASSERT_EQ(channels.size(), 3u) << extra;
        EXPECT_EQ(channels[1].onid, 0x13E);
        EXPECT_EQ(channels[1].tsid, 5);
        EXPECT_EQ(channels[1].sid, 0x1A2B);
        EXPECT_EQ(channels[1].name, "Rete Uno");
    }
    const uint8_t tiny[3] = {0x91, 0, 0};
    EXPECT_TRUE(decodeChannels(tiny, sizeof tiny).empty());
}

TEST(ThemeSection, PlacesThemesAndDropsWhatHasNoRoom)
{
    // Start bytes 0, 3, 7: theme 0 with records 1-2, theme 1 with 4-6, theme 2 at record 7.
    std::vector<uint8_t> s(19 + 15 * 8, 0);
    s[3] = 0, s[4] = 3, s[5] = 7;
    for (int g = 3; g < 16; ++g)
        s[3 + g] = 0xFF;
    for (int k = 0; k < 8; ++k)
        s[19 + 15 * k] = static_cast<uint8_t>('A' + k);
    auto slots = decodeThemes(s.data(), s.size());
    EXPECT_EQ(slots[0], "A");
    EXPECT_EQ(slots[2], "C");
    EXPECT_EQ(slots[16], "D");
    EXPECT_EQ(slots[19], "G");
    EXPECT_EQ(slots[32], "H");
    EXPECT_TRUE(slots[3].empty());

    // One theme followed by 20 sub-themes: only 15 fit its group.
    std::vector<uint8_t> big(19 + 15 * 21, 0);
    for (int g = 1; g < 16; ++g)
        big[3 + g] = 0xFF;
    for (int k = 0; k < 21; ++k)
        big[19 + 15 * k] = static_cast<uint8_t>('a' + k);
    auto crowded = decodeThemes(big.data(), big.size());
    EXPECT_EQ(crowded[15], "p");
    EXPECT_TRUE(crowded[16].empty()) << "a sub-theme spilled into the next theme's group";
    EXPECT_TRUE(decodeThemes(big.data(), 18)[0].empty());
}

TEST(SummarySection, TextAfterTheEntriesWithLineBreaks)
{
    std::vector<uint8_t> s = {0x90, 0, 0, 0x00, 0x01, 0x2A, 0xB0, 0xFF, 0xFF, 0xFF, 2};
    s.insert(s.end(), 14, 0x11);
    const char text[] = "Uno\r\ndue\rtre";
    s.insert(s.end(), text, text + sizeof text - 1); // no NUL: the text runs to the end
    ASSERT_TRUE(isSummary(s.data(), s.size()));
    auto [id, decoded] = decodeSummary(s.data(), s.size());
    EXPECT_EQ(id, 0x12AB0u);
    EXPECT_EQ(decoded, "Uno\ndue\ntre");

    s[10] = 10;
    EXPECT_FALSE(isSummary(s.data(), s.size()));
    s[10] = 0, s[8] = 0;
    EXPECT_FALSE(isSummary(s.data(), s.size()));
}

TEST(StreamTime, TdtAndTotInUtc)
{
    // 2024-03-11 20:10:14 UTC is MJD 60380 (0xEBDC).
    const uint8_t tdt[] = {0x70, 0x70, 0x05, 0xEB, 0xDC, 0x20, 0x10, 0x14};
    EXPECT_EQ(decodeStreamTime(tdt, sizeof tdt), 1710187814);
    uint8_t tot[] = {0x73, 0x70, 0x05, 0xEB, 0xDC, 0x20, 0x10, 0x14, 0, 0};
    EXPECT_EQ(decodeStreamTime(tot, sizeof tot), 1710187814);
    tot[5] = 0x25; // hour 25
    EXPECT_FALSE(decodeStreamTime(tot, sizeof tot));
    EXPECT_FALSE(decodeStreamTime(tdt, 7));
}
