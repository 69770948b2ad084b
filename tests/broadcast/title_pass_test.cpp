// One pass of the title carousel: where the pass ends, and how it is turned into the
// week whatever section the reader joined at.
#include "FakeDemux.h"
#include "broadcast/DemuxAccess.h"
#include "broadcast/TitlePass.h"
#include "frame/globals.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> title(int weekday, int hour, int serial)
{
    std::vector<uint8_t> s(46, 0);
    s[0] = 0x90;
    s[3] = 1;
    const int code = hour <= 5 ? hour : hour <= 11 ? hour + 2 : hour + 4;
    s[5] = static_cast<uint8_t>((weekday << 5) | code);
    s[7] = static_cast<uint8_t>(serial);
    s[11] = 'T';
    return s;
}

struct Slot {
    int weekday, hour;
};

// The pass read from a demux that sends the slots round and round.
std::vector<std::pair<int, int>> readWeek(const std::vector<Slot>& slots, int today, bool early = false,
                                          size_t* sections = nullptr)
{
    FakeDemux demux;
    for (size_t i = 0; i < slots.size(); ++i)
        demux.add(0xD2, 0x90, title(slots[i].weekday, slots[i].hour, static_cast<int>(i)));
    const int fd = openSectionFilter(kPidTitles, kTableTitlesSummaries);
    TitlePass pass;
    EXPECT_TRUE(pass.read(fd, [](int) {}));
    closeSectionFilter(fd);
    pass.order(today, early);
    std::vector<std::pair<int, int>> out; // filed day, hour
    for (const auto& e : pass.week())
        out.emplace_back(e.day, e.record.hour);
    if (sections)
        *sections = pass.week().size();
    return out;
}

using Week = std::vector<std::pair<int, int>>;

TEST(TitlePass, APassEndsWhereTheCarouselComesRoundEvenForOneSection)
{
    size_t n = 0;
    EXPECT_EQ(readWeek({{3, 10}}, 3, false, &n), (Week{{3, 10}}));
    EXPECT_EQ(n, 1u);
    // Records of the same day and hour in a row are not taken for the pass coming round.
    EXPECT_EQ(readWeek({{3, 10}, {3, 10}, {3, 11}}, 3, false, &n).size(), 3u);
}

TEST(TitlePass, TheWeekBeginsWithTodayWhereverTheReaderJoined)
{
    // Joined on Friday; today is Wednesday. Thursday follows Wednesday.
    EXPECT_EQ(readWeek({{5, 9}, {6, 9}, {3, 9}, {3, 20}, {4, 9}}, 3),
              (Week{{3, 9}, {3, 20}, {4, 9}, {5, 9}, {6, 9}}));
    // A stale carousel without today starts at its earliest day after today.
    EXPECT_EQ(readWeek({{6, 9}, {1, 9}, {5, 9}}, 3), (Week{{5, 9}, {6, 9}, {1, 9}}));
    // One day only: it begins after its largest drop of the hour.
    EXPECT_EQ(readWeek({{3, 14}, {3, 20}, {3, 8}, {3, 9}}, 3), (Week{{3, 8}, {3, 9}, {3, 14}, {3, 20}}));
}

TEST(TitlePass, TheEighthDayComesLastAndADipOfTheHourStaysInItsDay)
{
    // Tuesday, then Wednesday again as the eighth day (before today's block on air).
    const std::vector<Slot> slots = {{3, 10}, {3, 12}, {3, 11}, {4, 9}, {5, 9}, {6, 9}, {0, 9},
                                     {1, 9},  {2, 9},  {3, 7},  {3, 21}};
    EXPECT_EQ(readWeek(slots, 3), (Week{{3, 10}, {3, 12}, {3, 11}, {4, 9}, {5, 9}, {6, 9}, {0, 9}, {1, 9},
                                        {2, 9}, {7, 7}, {7, 21}}));
    // With the early-morning rule Thursday 02:00 is Wednesday's and no drop: 23 then 26.
    EXPECT_EQ(readWeek({{3, 23}, {4, 2}, {4, 9}}, 3, true), (Week{{3, 23}, {3, 2}, {4, 9}}));
}

} // namespace
