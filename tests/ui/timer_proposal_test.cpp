// The timer proposal of a programme row: day arithmetic around the broadcast day,
// margins, local offset, whole minutes and the clock change.
#include "frame/globals.h"
#include "ui/TimerProposal.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

class TimerProposalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("TZ", "Europe/Rome", 1);
        tzset();
        startOffs = endOffs = localOffs = 0;
        nsp_curr = "820000";
    }
    void TearDown() override
    {
        unsetenv("TZ");
        tzset();
        nsp_curr.clear();
        startOffs = endOffs = localOffs = 0;
    }
    // Local time; the base day sets oggi as the main window would have that day.
    static time_t at(int year, int month, int day, int hour, int minute, int second = 0)
    {
        struct tm t = {};
        t.tm_year = year - 1900;
        t.tm_mon = month - 1;
        t.tm_mday = day;
        t.tm_hour = hour;
        t.tm_min = minute;
        t.tm_sec = second;
        t.tm_isdst = -1;
        return mktime(&t);
    }
    static time_t today(int year, int month, int day, int hour, int minute, int second = 0)
    {
        time_t t = at(year, month, day, hour, minute, second);
        struct tm b;
        localtime_r(&t, &b);
        oggi = b.tm_wday;
        return t;
    }
};

TEST_F(TimerProposalTest, DaysAreCountedForwardFromTheBroadcastDay)
{
    const time_t tuesdayMorning = today(2026, 12, 8, 10, 0);
    // Listed Tuesday at 01:30: after midnight, so Wednesday.
    EXPECT_EQ(proposeTimer(tuesdayMorning, 2, 1, 30, 30).start, at(2026, 12, 9, 1, 30));
    // Thursday 20:00 two days ahead; Monday (the day before) six days ahead, never past.
    EXPECT_EQ(proposeTimer(tuesdayMorning, 4, 20, 0, 30).start, at(2026, 12, 10, 20, 0));
    EXPECT_EQ(proposeTimer(tuesdayMorning, 1, 20, 0, 30).start, at(2026, 12, 14, 20, 0));
    // Day 7 is the eighth day: a week after today's broadcast day.
    EXPECT_EQ(proposeTimer(tuesdayMorning, 7, 9, 0, 30).start, at(2026, 12, 15, 9, 0));
    // Margins and local offset on whole minutes, whatever the second of the base time.
    startOffs = 5;
    endOffs = 10;
    localOffs = -90; // truncates towards zero: one minute earlier
    TimerProposal p = proposeTimer(today(2026, 12, 8, 10, 17, 42), 2, 20, 15, 90);
    EXPECT_EQ(p.start, at(2026, 12, 8, 20, 9, 0));
    EXPECT_EQ(p.duration, 6300);
    startOffs = endOffs = localOffs = 0;

    // 03:00 on Tuesday still belongs to Monday's broadcast day.
    // Monday 22:00 is over by then: its next showing is a week on, never in the past.
    const time_t tuesdayNight = today(2026, 12, 8, 3, 0);
    EXPECT_EQ(proposeTimer(tuesdayNight, 1, 22, 0, 30).start, at(2026, 12, 14, 22, 0));
    EXPECT_EQ(proposeTimer(tuesdayNight, 1, 4, 0, 30).start, at(2026, 12, 8, 4, 0));
    EXPECT_EQ(proposeTimer(tuesdayNight, 2, 21, 0, 30).start, at(2026, 12, 8, 21, 0));

    // Without the early-morning rule a row's day is its calendar day already.
    nsp_curr = "c00000";
    EXPECT_EQ(proposeTimer(tuesdayMorning, 4, 2, 0, 30).start, at(2026, 12, 10, 2, 0));
}

TEST_F(TimerProposalTest, AProposalIsNeverInThePast)
{
    // Without the early-morning rule, Tuesday 01:30 at Tuesday 10:00 is over: next week.
    nsp_curr = "c00000";
    const time_t tuesdayMorning = today(2026, 12, 8, 10, 0);
    EXPECT_EQ(proposeTimer(tuesdayMorning, 2, 1, 30, 30).start, at(2026, 12, 15, 1, 30));
    // A programme on the air now starts now and keeps its end.
    TimerProposal running = proposeTimer(tuesdayMorning, 2, 9, 40, 40);
    EXPECT_EQ(running.start, tuesdayMorning);
    EXPECT_EQ(running.duration, 20 * 60);
    // Offline, dated from a logging run three days ago: the Saturday of that week is over.
    const time_t logged = at(2026, 12, 5, 12, 0);
    EXPECT_EQ(proposeTimer(logged, tuesdayMorning, 6, 20, 0, 60).start, at(2026, 12, 12, 20, 0));
    EXPECT_EQ(proposeTimer(logged, tuesdayMorning, 3, 20, 0, 60).start, at(2026, 12, 9, 20, 0));
    // The listing date the row shows is the proposal's (before the night's day).
    struct tm d = listingDate(tuesdayMorning, tuesdayMorning, 7, 21, 0, 30);
    EXPECT_EQ(d.tm_mday, 15);
    EXPECT_EQ(d.tm_mon, 11);
}

TEST_F(TimerProposalTest, MarginsAtTheEndsOfTheIntRangeDoNotWrap)
{
    const time_t tuesdayMorning = today(2026, 12, 8, 10, 0);
    const time_t listed = at(2026, 12, 8, 20, 0);
    startOffs = 2147483647;
    TimerProposal p = proposeTimer(tuesdayMorning, 2, 20, 0, 60);
    // Far in the past once widened: it begins now and the length stays a sound number.
    EXPECT_EQ(p.start, tuesdayMorning);
    EXPECT_EQ(p.duration, static_cast<int>(listed + 3600 - tuesdayMorning));
    startOffs = 0;
    endOffs = 2147483647;
    p = proposeTimer(tuesdayMorning, 2, 20, 0, 60);
    EXPECT_EQ(p.start, listed);
    EXPECT_EQ(p.duration, 2147483647); // held at the largest length the event can carry
    endOffs = 0;
    localOffs = -2147483647 - 1;
    p = proposeTimer(tuesdayMorning, 2, 20, 0, 60);
    EXPECT_GE(p.duration, 0);
}

TEST_F(TimerProposalTest, AcrossTheClockChangeTheLocalTimeIsKept)
{
    // Summer time ends on Sunday 25 October 2026; the list is read on Friday the 23rd.
    const time_t friday = today(2026, 10, 23, 12, 0);
    TimerProposal p = proposeTimer(friday, 1, 20, 15, 60);
    EXPECT_EQ(p.start, at(2026, 10, 26, 20, 15));
    EXPECT_EQ(p.day.tm_hour, 20);
    EXPECT_EQ(p.day.tm_wday, 1);
}

} // namespace
