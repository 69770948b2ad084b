#pragma once
// Day arithmetic of the browsing windows. A broadcast day runs from 06:00 to 05:59 of
// the next calendar day.
#include <ctime>

namespace ui {

// The 06:00 rule: while the calendar weekday is still today's (oggi), an hour up to 5
// belongs to the day before.
void applySixOClockRule(struct tm& t);
// Moves t 0..6 days forward to weekday k (7 is read as 0).
void moveForwardToWeekday(struct tm& t, int k);
// Adds days to t and normalises it, keeping the time of day.
void addDays(struct tm& t, int days);
// Now (timeSource) broken down, dated to its broadcast day: before 06:00 the day
// before, with the hour of now kept.
struct tm broadcastNow();
// The same for any time.
struct tm broadcastDayOf(time_t t);

} // namespace ui
