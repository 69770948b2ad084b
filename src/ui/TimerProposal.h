#pragma once
// The timer proposal of a programme row: when the timer starts and how long it runs,
// widened by the user's margins and corrected by the local time offset.
#include "host/eString.h"

#include <ctime>

struct TimerProposal {
    struct tm day; // the start, broken down (what currDay keeps afterwards)
    time_t start = 0;
    int duration = 0; // seconds
};

// base is the time the list is dated from: now, or logDate in offline mode. The row's
// day (0..6, 7 read as 0) is the listing day; under the early-morning rule a programme
// from 00:00 to 05:59 lies on the calendar day after it. The start has zero seconds.
TimerProposal proposeTimer(time_t base, int day, int hour, int minute, int durationMinutes);

// Runs the box's timer editor on the proposal for that service, described as
// "channel/title". The caller hides and shows its own window around it.
void runTimerEditor(const TimerProposal& proposal, const eString& refText, const eString& title);
