#include "ui/BroadcastDay.h"
#include "frame/globals.h"

namespace ui {

void addDays(struct tm& t, int days)
{
    t.tm_mday += days;
    t.tm_isdst = -1; // a daylight-saving change in between must not move the hour
    mktime(&t);
}

void applySixOClockRule(struct tm& t)
{
    if (t.tm_wday == oggi && t.tm_hour <= 5)
        addDays(t, -1);
}

void moveForwardToWeekday(struct tm& t, int k)
{
    if (k == 7)
        k = 0;
    const int w = t.tm_wday;
    if (k > w)
        addDays(t, k - w);
    else if (k < w)
        addDays(t, k - w + 7);
}

struct tm broadcastDayOf(time_t t)
{
    struct tm day;
    localtime_r(&t, &day);
    if (day.tm_hour <= 5)
        addDays(day, -1);
    return day;
}

struct tm broadcastNow() { return broadcastDayOf(timeSource()); }

} // namespace ui
