#pragma once
// The timer proposal of a programme row: when the timer starts and how long it runs,
// widened by the user's margins and corrected by the local time offset.
#include "host/eString.h"

#include <ctime>

struct TimerProposal {
    struct tm day; // the start, broken down
    time_t start = 0;
    int duration = 0; // seconds
};

// The calendar date of the broadcast day a row is listed under. base is the time the
// list is dated from: now, or logDate in offline mode; its broadcast day is the week's
// first day. A row of day 0..6 lies 0..6 days after it, one of day 7 (the eighth day)
// seven days after it. A programme that has ended by now is dated a week on, as its
// next showing. The result holds the row's start hour and minute, without margins.
struct tm listingDate(time_t base, time_t now, int day, int hour, int minute, int durationMinutes);

// The timer for that row: its listing date, then 00:00-05:59 on the next calendar day
// under the early-morning rule, the margins and the local offset applied in 64 bits
// and whole minutes. A programme that is on now starts now and keeps its end.
TimerProposal proposeTimer(time_t base, time_t now, int day, int hour, int minute, int durationMinutes);
// The same with now = base (a list dated from now).
TimerProposal proposeTimer(time_t base, int day, int hour, int minute, int durationMinutes);

// Runs the box's timer editor on the proposal for that service, described as
// "channel/title". The caller hides and shows its own window around it.
void runTimerEditor(const TimerProposal& proposal, const eString& refText, const eString& title);
