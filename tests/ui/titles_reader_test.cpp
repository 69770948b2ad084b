// The titles reader over scripted carousels: what each mode lists, where a listing
// starts and ends, and the records and streams it must survive.
#include "TitlesFixture.h"
#include "host/gui/Screen.h"
#include "host/gui/eButton.h"
#include "host/gui/eComboBox.h"
#include "host/platform/DeviceRegistry.h"

#include <regex>
#include <set>

using titlestest::Rec;
using titlestest::Titles;

namespace {

// A Monday-to-Wednesday slice of a carousel: the reader joins it wherever it is.
std::vector<Rec> threeDays()
{
    std::vector<Rec> v;
    auto add = [&](int wd, int hour, int minute, int channel, int theme, const char* title) {
        Rec r;
        r.weekday = wd;
        r.hour = hour;
        r.minute = minute;
        r.channel = channel;
        r.theme = theme;
        r.title = title;
        r.summaryId = static_cast<uint32_t>(0x1000 + v.size());
        v.push_back(r);
    };
    add(1, 22, 0, 1, 16, "MONDAY FILM");
    add(2, 6, 0, 1, 16, "MORNING FILM");
    add(2, 6, 0, 2, 32, "MORNING MATCH");
    add(2, 7, 30, 2, 17, "TRUE GRIT");
    add(2, 8, 0, 4, 16, "UNKNOWN SERVICE FILM");
    add(2, 9, 15, 3, 18, "THE FOG");
    add(2, 9, 45, 0, 16, "NO CHANNEL");
    add(2, 10, 0, 9, 16, "CHANNEL BEYOND TABLE");
    add(2, 11, 0, 1, 255, "THEME BEYOND TABLE");
    add(2, 23, 50, 1, 16, "LATE FILM");
    add(3, 2, 0, 1, 16, "NIGHT FILM"); // Wednesday 02:00: Tuesday's listing with the 8200 rule
    add(3, 6, 0, 1, 16, "WEDNESDAY FILM");
    add(3, 7, 0, 2, 16, "WEDNESDAY WESTERN");
    return v;
}

TEST_F(Titles, ThemeListingHoldsTheDayOfTheRangeInCarouselOrder)
{
    air(threeDays());
    ASSERT_EQ(listTheme(16, 18), 0);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Morning film", "True grit", "The fog", "Late film", "Night film"}));
    auto r = rows();
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0]->wday, 2);
    EXPECT_EQ(r[0]->hour, 6);
    EXPECT_EQ(r[0]->theme, "Cinema");
    EXPECT_EQ(r[0]->service, channel_paths[0]);
    EXPECT_EQ(r[0]->summaryId, 0x1001);
    EXPECT_EQ(r[1]->theme, "Western");
    EXPECT_EQ(r[1]->min, 30);
    EXPECT_EQ(r[4]->wday, 2); // 02:00 of Wednesday filed under Tuesday
    EXPECT_EQ(r[4]->hour, 2);
    for (size_t i = 0; i < r.size(); ++i)
        EXPECT_EQ(r[i]->index, static_cast<int>(i));
    EXPECT_EQ(window->getText(), " Cinema");
    // Every service record the reader looked at was released again.
    EXPECT_EQ(eServiceInterface::getInstance()->outstandingRefs(), 0);
    EXPECT_EQ(demux.log().calls.back(), "close");

    channFilter[2] = "0"; // The fog's channel
    ASSERT_EQ(listTheme(17, 18), 0);
    EXPECT_EQ(titles(), (std::vector<std::string>{"True grit"}));
    nsp_curr = "c00000"; // without the early-morning rule the night ends the day
    ASSERT_EQ(listTheme(16, 16), 0);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Morning film", "Late film"}));
}

TEST_F(Titles, ChannelListingIgnoresTheFilterAndUsesTheChosenReference)
{
    air(threeDays());
    channFilter[1] = "0";
    ASSERT_EQ(listChannel(1), 0);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Morning match", "True grit"}));
    for (auto* r : rows())
        EXPECT_EQ(r->service, channel_paths[1]);
    EXPECT_EQ(window->getText(), "Channel 2");
    // A channel the receiver does not know is still listed by channel.
    ASSERT_EQ(listChannel(3), 0);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Unknown service film"}));
}

TEST_F(Titles, TodayStartsAtTheCurrentHourOrTheNextHourWithProgrammes)
{
    air(threeDays());
    oggi = 2;
    currDay.tm_hour = 9;
    ASSERT_EQ(listTheme(16, 18), 0);
    EXPECT_EQ(titles(), (std::vector<std::string>{"The fog", "Late film", "Night film"}));
    currDay.tm_hour = 12; // nothing of the range starts at 12..22: the listing begins at 23:50
    ASSERT_EQ(listTheme(16, 18), 0);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Late film", "Night film"}));
}

TEST_F(Titles, AListingIsCompleteWhereverTheReaderJoinsTheCarousel)
{
    auto recs = threeDays();
    // Start the pass in the middle of Tuesday morning.
    std::rotate(recs.begin(), recs.begin() + 4, recs.end());
    air(recs);
    ASSERT_EQ(listTheme(16, 18), 0);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Morning film", "True grit", "The fog", "Late film", "Night film"}));
}

TEST_F(Titles, SearchListsTheWeekAndFilesTheEighthDayUnderNex)
{
    std::vector<Rec> week;
    // Nine broadcast days from Monday to the Tuesday after next; the search starts on
    // Wednesday and comes round to the first Monday after its seventh change of day.
    for (int d = 0; d < 9; ++d) {
        Rec r;
        r.weekday = (1 + d) % 7;
        r.hour = 20;
        r.title = d % 2 ? "NEWS NIGHT" : "CINEMA PARADISO";
        r.summaryId = static_cast<uint32_t>(d + 1);
        week.push_back(r);
        r.hour = 21;
        r.title = "OTHER";
        week.push_back(r);
    }
    air(week);
    titlestest::setNow(2026, 12, 9, 10); // Wednesday morning
    oggi = 0;
    currDay.tm_wday = 5; // a day browsed before does not move the search
    ASSERT_EQ(search("PARADISO"), 0);
    std::vector<int> days;
    for (auto* r : rows())
        days.push_back(r->wday);
    // Wednesday, Friday, Sunday, Tuesday, then the first Monday as the overflow day; the
    // record after it ends the search, so the first Tuesday is not reached.
    EXPECT_EQ(days, (std::vector<int>{3, 5, 0, 2, 7}));
    EXPECT_EQ(window->getText(), " Programs found: PARADISO");
    EXPECT_FALSE(window->comboday->isShown());
    EXPECT_TRUE(window->themeLabel->isShown());
    EXPECT_EQ(window->lbdate->getText(), "Wed 09-12  ");
}

TEST_F(Titles, SearchListsMoreThanTwoThousandRows)
{
    std::vector<Rec> many(2300);
    for (size_t i = 0; i < many.size(); ++i) {
        many[i].hour = 6 + static_cast<int>(i * 17 / many.size());
        many[i].title = "MARATONA";
        many[i].summaryId = static_cast<uint32_t>(i + 1);
    }
    air(many);
    ASSERT_EQ(search("MARATONA"), 0);
    auto r = rows();
    ASSERT_EQ(r.size(), 2300u);
    EXPECT_EQ(r.back()->index, 2299);
}

TEST_F(Titles, ACarouselWithoutTheStartRecordGivesUpAfterOnePass)
{
    std::vector<Rec> wednesday = threeDays();
    wednesday.erase(wednesday.begin(), wednesday.begin() + 11); // only Wednesday's records remain
    air(wednesday);
    ASSERT_EQ(window->evprogrs->getCount(), 0);
    // Tuesday has nothing on this carousel: an empty listing, not an error.
    EXPECT_EQ(listTheme(16, 18), 0);
    EXPECT_EQ(window->evprogrs->getCount(), 0);
    EXPECT_LE(demux.reads(), static_cast<long>(wednesday.size()) + 8); // one pass after the opening run
    EXPECT_EQ(demux.log().calls.back(), "close");
}

TEST_F(Titles, FailedReadsEndTheCollectionAndEarlierFailuresLeaveTheRows)
{
    air(threeDays());
    // Reads 1 and 2 find the start (Tuesday 06:00 after Monday); the fifth read fails.
    demux.failReadsAfter(4);
    ASSERT_EQ(listTheme(16, 18), 0);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Morning film", "True grit"}));
    demux.failReadsAfter(demux.reads()); // fails before a single record came
    EXPECT_EQ(listTheme(17, 17), -2);
    demux.failReadsAfter(-1);
    demux.failFilter(true);
    EXPECT_EQ(listTheme(17, 17), -1);
    demux.uninstall();
    EXPECT_EQ(listTheme(17, 17), -1);
    EXPECT_EQ(titles().size(), 2u);
}

TEST_F(Titles, OtherLengthsAreSkippedAndAStreamWithoutTitlesEnds)
{
    auto recs = threeDays();
    for (size_t i = 0; i < recs.size(); ++i) {
        auto s = titlestest::section(recs[i], serial++);
        airRaw(s);
        s.resize(i % 2 ? 45 : 60, 0x66); // junk after every record, some with a matching byte 5
        airRaw(s);
    }
    ASSERT_EQ(listTheme(16, 18), 0);
    EXPECT_EQ(titles().size(), 5u);

    FakeDemux empty; // replaces the device: the title PID carries nothing
    EXPECT_EQ(listTheme(16, 18), -2);
    for (size_t n : {20, 30, 40, 30}) // only sections of other lengths: one pass, then give up
        empty.add(0xD2, 0x90, std::vector<uint8_t>(n, 0x90));
    EXPECT_EQ(listTheme(16, 18), -2);
    EXPECT_LE(empty.reads(), 4 + 8);
}

TEST_F(Titles, ARepeatedCarouselIsSearchedForOnePassOnly)
{
    auto recs = threeDays();
    air(recs);
    air(recs); // the same programmes again with other running numbers
    ASSERT_EQ(search("FILM"), 0);
    const auto listed = titles();
    std::multiset<std::string> seen(listed.begin(), listed.end());
    // One pass holds both copies: each film the receiver can show appears exactly twice,
    // the one on an unknown service never, and the pass ends where it began.
    EXPECT_EQ(seen, (std::multiset<std::string>{"Morning film", "Morning film", "Late film", "Late film",
                                                "Night film", "Night film", "Wednesday film", "Wednesday film",
                                                "Monday film", "Monday film"}));
    EXPECT_LT(demux.reads(), static_cast<long>(recs.size()) * 3);
}

TEST_F(Titles, TheProgressBarMovesWhileTheCarouselIsRead)
{
    std::vector<Rec> day;
    for (int i = 0; i < 400; ++i) {
        Rec r;
        r.hour = 6 + i / 24;
        r.summaryId = static_cast<uint32_t>(i + 1);
        day.push_back(r);
    }
    Rec next;
    next.weekday = 3;
    day.push_back(next);
    air(day);
    TotTi = static_cast<int>(day.size());
    std::set<int> percents;
    const std::regex perc("\"percent\":([0-9]+)");
    host::setBlockingHook([&] {
        const std::string screen = host::describeScreen();
        for (std::sregex_iterator it(screen.begin(), screen.end(), perc), end; it != end; ++it)
            percents.insert(std::stoi((*it)[1]));
    });
    ASSERT_EQ(listTheme(16, 18), 0);
    host::setBlockingHook(nullptr);
    EXPECT_GE(percents.size(), 20u);
    EXPECT_GE(*percents.rbegin(), 90);
}

} // namespace
