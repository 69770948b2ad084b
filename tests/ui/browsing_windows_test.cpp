// The programme list window and the theme/filter window around the titles reader:
// days, left lists, reloads, keys and the reports of a failed first read.
#include "TitlesFixture.h"
#include "host/gui/Screen.h"
#include "host/gui/eButton.h"
#include "host/gui/eComboBox.h"
#include "ui/BroadcastDay.h"
#include "ui/eChanThemeSel.h"
#include "ui/eListBoxEntryMck.h"
#include "ui/eListBoxLista.h"
#include "ui/eListBoxLista1.h"

#include <cstdlib>

using titlestest::Rec;
using titlestest::Titles;

namespace {

struct tm localDay(int year, int month, int day, int hour)
{
    struct tm t {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_isdst = -1;
    mktime(&t);
    return t;
}

TEST(BroadcastDay, SixOClockRuleAndMovingForward)
{
    setenv("TZ", "Europe/Rome", 1);
    tzset();
    oggi = 2; // Tuesday 8 December 2026
    struct tm t = localDay(2026, 12, 8, 3);
    ui::applySixOClockRule(t);
    EXPECT_EQ(t.tm_wday, 1);
    EXPECT_EQ(t.tm_mday, 7);
    EXPECT_EQ(t.tm_hour, 3);
    oggi = 1; // started yesterday: past midnight the rule no longer applies
    t = localDay(2026, 12, 8, 3);
    ui::applySixOClockRule(t);
    EXPECT_EQ(t.tm_mday, 8);

    t = localDay(2026, 12, 8, 10);
    ui::moveForwardToWeekday(t, 1); // Monday on a Tuesday is six days on
    EXPECT_EQ(t.tm_mday, 14);
    t = localDay(2026, 12, 31, 10); // Thursday; Sunday (given as 7) is in the new year
    ui::moveForwardToWeekday(t, 7);
    EXPECT_EQ(t.tm_year, 127);
    EXPECT_EQ(t.tm_mday, 3);
    EXPECT_EQ(t.tm_wday, 0);
}

std::vector<Rec> twoThemeDays()
{
    std::vector<Rec> v;
    for (int wd = 0; wd < 7; ++wd) {
        for (int theme : {0, 16, 17}) {
            Rec r;
            r.weekday = wd;
            r.hour = 6 + theme / 8;
            r.theme = theme;
            r.title = "T" + std::to_string(theme) + " DAY" + std::to_string(wd);
            v.push_back(r);
        }
    }
    return v;
}

class Windows : public Titles {
protected:
    std::vector<std::string> leftRows() const
    {
        std::vector<std::string> out;
        window->events->forEachEntry([&](eListBoxLista1* r) { out.push_back(r->text); });
        return out;
    }
    // The combo entry for weekday k.
    eListBoxEntryText* dayEntry(int k) const
    {
        eListBoxEntryText* found = nullptr;
        window->comboday->getListBox()->forEachEntry([&](eListBoxEntryText* e) {
            if (reinterpret_cast<intptr_t>(e->getKey()) == k)
                found = e;
        });
        return found;
    }
    void openThemes(int slot)
    {
        window.reset();
        std::strcpy(temalist[0].name, "Generale");
        temalist[0].count = 1;
        FilterSearch = 0;
        ItemSelect = startTh = slot;
        endTh = slot + (temalist[slot].count > 0 ? temalist[slot].count : 1) - 1;
        window = std::make_unique<eChanProgramSel>();
    }
};

TEST_F(Windows, ThemesModeListsTheThemeAndItsSubThemesAndTheDay)
{
    air(twoThemeDays());
    oggi = 7; // no day is "today": every listing starts at 06:00 whenever the test runs
    openThemes(16);
    EXPECT_EQ(window->getText(), " Cinema");
    EXPECT_EQ(leftRows(), (std::vector<std::string>{"Cinema", "Western", "Horror"}));
    EXPECT_TRUE(window->events->getFlags() & 0x20);
    EXPECT_EQ(window->getFocus(), window->evprogrs);
    EXPECT_EQ(window->comboday->getCount(), 7);
    EXPECT_EQ(window->evprogrs->getCount(), 2); // the theme and its sub-themes, today only
    // OK on the sub-theme Western lists only its slot.
    window->selectionChanged1(window->events->getEntry(1));
    EXPECT_EQ(startTh, 17);
    EXPECT_EQ(endTh, 17);
    ASSERT_EQ(titles().size(), 1u);
    EXPECT_EQ(window->getText(), " Western");
    // OK on a programme returns to the left column; digit 0 toggles the two.
    window->selected(window->evprogrs->getCurrent());
    EXPECT_EQ(window->getFocus(), window->events);
    host::InputEvent zero;
    zero.key = eRCKey::Digit0;
    window->show();
    host::dispatchInput(zero);
    EXPECT_EQ(window->getFocus(), window->evprogrs);
    EXPECT_TRUE(evprogrsel);
    host::dispatchInput(zero);
    EXPECT_EQ(window->getFocus(), window->events);
    EXPECT_FALSE(evprogrsel);
}

TEST_F(Windows, ADayChangeReloadsTheFirstThemeToo)
{
    air(twoThemeDays());
    oggi = 7;
    openThemes(0);
    window->dayChanged(dayEntry(3));
    EXPECT_EQ(currDay.tm_wday, 3);
    EXPECT_EQ(titles(), (std::vector<std::string>{"T0 day3"}));
    eString date;
    date.sprintf("%02d-%02d-%02d", currDay.tm_mday, currDay.tm_mon + 1, currDay.tm_year + 1900);
    EXPECT_EQ(window->lbdate->getText(), date);
    window->dayChanged(nullptr); // nothing chosen: nothing happens
    EXPECT_EQ(currDay.tm_wday, 3);
}

TEST_F(Windows, ChannelsModeListsKnownFilteredChannelsAndReadsOnlyOnceOneIsChosen)
{
    air(twoThemeDays());
    channFilter[1] = "0";
    oggi = 7;
    window.reset();
    ItemSelect = 16; // left over from a theme window
    FilterSearch = 1;
    window = std::make_unique<eChanProgramSel>();
    EXPECT_EQ(window->getText(), " EPG Channels");
    // Channel 2 is switched off, channel 4 unknown to the receiver.
    EXPECT_EQ(leftRows(), (std::vector<std::string>{"Channel 1", "Channel 3"}));
    EXPECT_EQ(window->events->getEntry(1)->id, 0x102);
    EXPECT_EQ(window->events->getEntry(1)->service, channel_paths[2]);
    EXPECT_EQ(window->getFocus(), window->events);
    window->dayChanged(dayEntry(4));
    EXPECT_TRUE(demux.log().calls.empty()) << "read before a channel was chosen";
    EXPECT_EQ(window->evprogrs->getCount(), 0);

    window->selectionChanged1(window->events->getEntry(0));
    EXPECT_EQ(ItemSelect, 0x100);
    EXPECT_EQ(titles(), (std::vector<std::string>{"T0 day4", "T16 day4", "T17 day4"}));
    EXPECT_EQ(window->getText(), "Channel 1");
    window->dayChanged(dayEntry(1));
    EXPECT_EQ(titles(), (std::vector<std::string>{"T0 day1", "T16 day1", "T17 day1"}));
    EXPECT_EQ(eServiceInterface::getInstance()->outstandingRefs(), 0);
}

// Records the screen each time a modal loop waits for a key, and answers exit.
struct Watch : host::Frontend {
    std::vector<std::string> seen;
    void present(const host::FrameView&) override {}
    host::InputEvent nextInput() override
    {
        seen.push_back(host::describeScreen());
        return host::InputEvent();
    }
};

TEST_F(Windows, AFailedFirstReadIsReportedAndTheWindowStillOpens)
{
    demux.uninstall();
    oggi = 7;
    Watch watch;
    host::setFrontend(&watch);
    openThemes(16);
    host::setFrontend(&frontend);
    ASSERT_EQ(watch.seen.size(), 1u);
    EXPECT_NE(watch.seen[0].find("\"message\":\"dmx error\""), std::string::npos) << watch.seen[0];
    EXPECT_NE(watch.seen[0].find("LOG Error:"), std::string::npos);
    EXPECT_EQ(window->evprogrs->getCount(), 0);
    EXPECT_EQ(leftRows().size(), 3u);
}

TEST_F(Windows, ThemeWindowListsThemesAndOpensTheirWholeRange)
{
    std::strcpy(temalist[0].name, "Generale");
    temalist[0].count = 1;
    nb_themes = 3;
    isFilter = false;
    eChanThemeSel themes;
    std::vector<std::pair<std::string, int>> listed;
    themes.themeList->forEachEntry([&](eListBoxLista* r) { listed.emplace_back(r->text, r->id); });
    EXPECT_EQ(listed, (std::vector<std::pair<std::string, int>>{{"Generale", 0}, {"Cinema", 16}, {"Sport", 32}}));
    EXPECT_EQ(themes.getText(), " EPG Themes");
    EXPECT_EQ(themes.getFocus(), themes.themeList);

    // A full group at slot 32 ends at 47; a count no group can hold stops at the group's end.
    air(twoThemeDays());
    temalist[32].count = 16;
    themes.entrySelected(themes.themeList->getEntry(2)); // the programme window runs and is left with exit
    EXPECT_EQ(startTh, 32);
    EXPECT_EQ(endTh, 47);
    temalist[16].count = 200;
    themes.entrySelected(themes.themeList->getEntry(1));
    EXPECT_EQ(endTh, 31);
    EXPECT_EQ(ItemSelect, 16);
    EXPECT_EQ(selService, nullService);
}

TEST_F(Windows, FilterWindowTicksChannelsAndWritesTheFilterAtOnce)
{
    nb_channels = 5; // the fifth has no reference at all
    channel_paths[4] = "";
    channFilter[4] = "1";
    channFilter[1] = "0";
    isFilter = true;
    {
        eChanThemeSel filter;
        EXPECT_EQ(filter.getText(), " Channels Filter");
        std::vector<std::string> rows;
        filter.filterList->forEachEntry([&](eListBoxEntryMck* r) { rows.push_back(r->describe()); });
        EXPECT_EQ(rows, (std::vector<std::string>{"Channel 1 [x]", "Channel 2 [ ]", "Channel 3 [x]", "undefined [x]",
                                                  "undefined [x]"}));
        auto* third = filter.filterList->getEntry(2);
        filter.filterList->selected(third);
        EXPECT_EQ(channFilter[2], "0");
        EXPECT_FALSE(third->checkState);
        filter.filterList->selected(third);
        EXPECT_EQ(channFilter[2], "1");
        EXPECT_TRUE(third->checkState);
        filter.filterList->selected(filter.filterList->getEntry(1));
        EXPECT_EQ(channFilter[1], "1");
        EXPECT_EQ(eServiceInterface::getInstance()->outstandingRefs(), 0);
    }
    isFilter = false;
}

} // namespace
