// Listings over carousels that do not look like one tidy week: more than seven days,
// a single hour, hours out of order, programmes without a theme record, and searches
// and timers that must not depend on the day browsed before.
#include "TitlesFixture.h"
#include "host/gui/eButton.h"
#include "host/platform/FileSystem.h"
#include "host/service/TimerStore.h"
#include "offline/TitlesFile.h"

#include <algorithm>

using titlestest::Rec;
using titlestest::Titles;

namespace {

const char* kDay[] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};

Rec rec(int weekday, int hour, const std::string& title, int channel = 1)
{
    Rec r;
    r.weekday = weekday;
    r.hour = hour;
    r.title = title;
    r.channel = channel;
    return r;
}

// Eight broadcast days from Wednesday 9 December to Wednesday 16, four programmes a
// day; the eighth day's titles start with NEX. The reader joins on Friday.
std::vector<Rec> eightDays()
{
    std::vector<Rec> v;
    for (int d = 0; d < 8; ++d)
        for (int hour : {8, 10, 14, 20})
            v.push_back(rec((3 + d) % 7, hour, (d == 7 ? "NEX " : "") + std::string(kDay[(3 + d) % 7]) + " " +
                                                   std::to_string(hour)));
    std::rotate(v.begin(), v.begin() + 8, v.end());
    return v;
}

class Week : public Titles {
protected:
    void SetUp() override
    {
        Titles::SetUp();
        titlestest::setNow(2026, 12, 9, 10); // Wednesday 10:00
        oggi = 3;
        ieri = 2;
    }
    std::vector<int> days() const
    {
        std::vector<int> out;
        for (auto* r : rows())
            out.push_back(r->wday);
        return out;
    }
};

TEST_F(Week, AnEighthDayIsListedAfterTheWeekAndNeverForToday)
{
    air(eightDays());
    currDay.tm_wday = 3;
    currDay.tm_hour = 10;
    ASSERT_EQ(listChannel(0), 0);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Wed 10", "Wed 14", "Wed 20"}));
    currDay.tm_wday = 2; // Tuesday is six days on
    ASSERT_EQ(listChannel(0), 0);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Tue 8", "Tue 10", "Tue 14", "Tue 20"}));

    ASSERT_EQ(search("WED"), 0);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Wed 10", "Wed 14", "Wed 20", "Nex wed 8", "Nex wed 10",
                                                  "Nex wed 14", "Nex wed 20"}));
    EXPECT_EQ(days(), (std::vector<int>{3, 3, 3, 7, 7, 7, 7}));
    // The date label of a row is the date its timer is proposed for.
    window->evprogrs->setCurrent(rows()[4]);
    window->selectionChanged(nullptr);
    EXPECT_EQ(window->lbdate->getText(), "Nex 16-12  ");
    window->evprogrs->setCurrent(rows()[0]);
    window->selectionChanged(nullptr);
    EXPECT_EQ(window->lbdate->getText(), "Wed 09-12  ");
}

TEST_F(Week, ASingleHourOrAListingSpanHoldingEveryRecordIsListed)
{
    air({rec(3, 10, "ONLY ONE")}); // one title, sent again and again
    currDay.tm_wday = 3;
    currDay.tm_hour = 10;
    ASSERT_EQ(listChannel(0), 0);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Only one"}));

    FakeDemux morning; // every record in today's listed span, none outside it
    for (int h : {11, 12, 13})
        morning.add(0xD2, 0x90, titlestest::section(rec(3, h, "AT " + std::to_string(h)), serial++));
    ASSERT_EQ(listChannel(0), 0);
    EXPECT_EQ(titles(), (std::vector<std::string>{"At 11", "At 12", "At 13"}));
    currDay.tm_hour = 12; // the list starts at the current hour itself
    ASSERT_EQ(listChannel(0), 0);
    EXPECT_EQ(titles(), (std::vector<std::string>{"At 12", "At 13"}));
}

TEST_F(Week, AnHourGoingDownWithinADayDoesNotEndItsList)
{
    air({rec(3, 20, "LAST NIGHT"), rec(4, 6, "EARLY"), rec(4, 9, "NINE"), rec(4, 8, "LATE SHOWING OF EIGHT"),
         rec(4, 12, "NOON"), rec(5, 6, "FRIDAY")});
    currDay.tm_wday = 4;
    ASSERT_EQ(listChannel(0), 0);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Early", "Nine", "Late showing of eight", "Noon"}));
}

TEST_F(Week, ProgrammesWithoutAThemeRecordAreListedWithAnEmptyTheme)
{
    Rec noTheme = rec(3, 12, "NO THEME");
    noTheme.theme = 255;
    Rec beyond = rec(3, 13, "BEYOND THE TABLE");
    beyond.channel = 9;
    air({rec(3, 11, "WITH THEME"), noTheme, beyond, rec(4, 6, "THURSDAY")});
    currDay.tm_wday = 3;
    ASSERT_EQ(listChannel(0), 0);
    EXPECT_EQ(titles(), (std::vector<std::string>{"With theme", "No theme"}));
    EXPECT_EQ(rows()[0]->theme, "Cinema");
    EXPECT_EQ(rows()[1]->theme, "");
    ASSERT_EQ(search("THEME"), 0);
    EXPECT_EQ(titles(), (std::vector<std::string>{"With theme", "No theme"}));
    window->evprogrs->setCurrent(rows()[1]);
    window->selectionChanged(nullptr);
    EXPECT_EQ(window->themeLabel->getText(), "unknow");
}

TEST_F(Week, ASearchStartsNowWhateverDayWasBrowsedOrProposedBefore)
{
    // Tuesday 03:00: Monday's broadcast day, as the main window leaves currDay (calendar Tuesday).
    titlestest::setNow(2026, 12, 8, 3);
    oggi = 2;
    ieri = 1;
    air({rec(1, 22, "X MONDAY EVENING"), rec(2, 2, "X PAST"), rec(2, 4, "X AT FOUR"), rec(2, 6, "X TUESDAY"),
         rec(3, 2, "X TUESDAY NIGHT"), rec(3, 6, "X WEDNESDAY")});
    currDay.tm_wday = 2;
    currDay.tm_hour = 3;
    ASSERT_EQ(search("X "), 0);
    EXPECT_EQ(titles(), (std::vector<std::string>{"X at four", "X tuesday", "X tuesday night", "X wednesday"}));
    EXPECT_EQ(window->lbdate->getText(), "Mon 07-12  ");
    currDay.tm_wday = 5; // a day or a timer's day left behind changes nothing
    ASSERT_EQ(search("X "), 0);
    EXPECT_EQ(titles().size(), 4u);
}

TEST_F(Week, OfflineTooTheThemeLessProgrammeIsListedAndTheSearchStartsNow)
{
    char tmpl[] = "/tmp/orvalisofflineXXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::string dir = std::string(tmpl) + "/";
    FILE* f = std::fopen((dir + "titles.gep").c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fprintf(f, "LogDate=0\n");
    auto line = [&](int day, int hour, const char* title, int theme) {
        offline::TitleLine t;
        t.id = 0x100 + static_cast<unsigned>(hour);
        t.day = day;
        t.hour = hour;
        t.title = title;
        t.duration = 30;
        t.theme = theme;
        offline::writeTitleLine(f, t);
    };
    line(2, 20, "X tuesday", 16);
    line(3, 8, "X early", 16);
    line(3, 12, "X without theme and with a title longer than the air sends", 255);
    line(4, 9, "X thursday", 16);
    std::fclose(f);
    std::fill(std::begin(sizeposition), std::end(sizeposition), 0);
    offlinePath = dir;
    offlinelog = 1;

    currDay.tm_wday = 3;
    currDay.tm_hour = 10;
    FilterSearch = 1;
    ItemSelect = channel_ids[0];
    selService = channel_paths[0];
    ASSERT_EQ(window->GetTitlesOff(), 0);
    ASSERT_EQ(titles(), (std::vector<std::string>{"X without theme and with a title longer than the air sends"}));
    EXPECT_EQ(rows()[0]->theme, "");

    currDay.tm_wday = 5; // browsed before: the search still starts on Wednesday at 10:00
    FilterSearch = 3;
    searchString = "X ";
    ASSERT_EQ(window->GetTitlesOff(), 0);
    EXPECT_EQ(titles(), (std::vector<std::string>{"X without theme and with a title longer than the air sends",
                                                  "X thursday"}));
    offlinelog = 0;
    offlinePath = "/hdd/orvalis/";
    std::system((std::string("rm -rf ") + tmpl).c_str());
}

TEST_F(Week, ATimerLeavesTheListedDayAlone)
{
    char tmpl[] = "/tmp/orvalisweekXXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    host::setFileSystemRoot(tmpl);
    host::TimerStore::instance().load();
    air({rec(3, 20, "EVENING"), rec(4, 6, "THURSDAY")});
    currDay.tm_wday = 3;
    currDay.tm_hour = 10;
    ASSERT_EQ(listChannel(0), 0);
    const struct tm before = currDay;
    window->show();
    window->setFocus(window->evprogrs);
    frontend.key(eRCKey::Exit); // the editor opens and is left
    window->progTimer();
    EXPECT_EQ(currDay.tm_wday, before.tm_wday);
    EXPECT_EQ(currDay.tm_mday, before.tm_mday);
    EXPECT_EQ(currDay.tm_hour, before.tm_hour);
    host::setFileSystemRoot("");
    std::system((std::string("rm -rf ") + tmpl).c_str());
}

} // namespace
