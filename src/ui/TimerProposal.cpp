#include "ui/TimerProposal.h"
#include "frame/globals.h"
#include "host/service/EITEvent.h"
#include "host/service/eSystemInfo.h"
#include "host/service/eTimerEditView.h"
#include "ui/BroadcastDay.h"
#include "ui/RowText.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

constexpr int64_t kWeek = 7 * 24 * 3600;

// The row's start as listed: the listing day at hour:minute, 00:00-05:59 a calendar
// day later under the early-morning rule (the row's day is its calendar day otherwise).
struct tm listedStart(struct tm day, int hour, int minute)
{
    day.tm_hour = hour;
    day.tm_min = minute;
    day.tm_sec = 0;
    if (hour <= 5 && nsp_curr.find("8200") != eString::npos)
        day.tm_mday += 1;
    day.tm_isdst = -1;
    mktime(&day);
    return day;
}

int64_t clampToInt(int64_t v)
{
    return std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
}

} // namespace

struct tm listingDate(time_t base, time_t now, int day, int hour, int minute, int durationMinutes)
{
    struct tm date = ui::broadcastDayOf(base);
    const int ahead = day == 7 ? 7 : ((day % 7) - date.tm_wday + 7) % 7;
    ui::addDays(date, ahead);
    date.tm_hour = hour;
    date.tm_min = minute;
    date.tm_sec = 0;
    // A showing that is over is no timer: the programme comes again a week on.
    for (int weeks = 0; weeks < 520; ++weeks) {
        struct tm start = listedStart(date, hour, minute);
        const int64_t end = static_cast<int64_t>(mktime(&start)) + int64_t(durationMinutes) * 60;
        if (end > static_cast<int64_t>(now))
            break;
        ui::addDays(date, 7);
    }
    date.tm_hour = hour;
    date.tm_min = minute;
    return date;
}

TimerProposal proposeTimer(time_t base, time_t now, int day, int hour, int minute, int durationMinutes)
{
    TimerProposal p;
    struct tm start = listedStart(listingDate(base, now, day, hour, minute, durationMinutes), hour, minute);
    const int64_t listed = mktime(&start);
    // Margins and offset in 64 bits: settings at the ends of their range cannot wrap.
    const int64_t offsetMinutes = int64_t(localOffs) / 60 - int64_t(startOffs);
    int64_t begin = listed + offsetMinutes * 60;
    int64_t end = listed + (int64_t(durationMinutes) + int64_t(endOffs)) * 60 + int64_t(localOffs) / 60 * 60;
    // A programme on the air now is recorded from now to its end.
    const int64_t nowMinute = static_cast<int64_t>(now) / 60 * 60;
    if (begin < nowMinute && end > nowMinute)
        begin = nowMinute;
    p.start = static_cast<time_t>(begin);
    p.duration = static_cast<int>(clampToInt(std::max<int64_t>(end - begin, 0)));
    localtime_r(&p.start, &p.day);
    return p;
}

TimerProposal proposeTimer(time_t base, int day, int hour, int minute, int durationMinutes)
{
    return proposeTimer(base, base, day, hour, minute, durationMinutes);
}

void runTimerEditor(const TimerProposal& proposal, const eString& refText, const eString& title)
{
    eServiceReference service{refText};
    service.setDescription(ui::serviceName(refText) + "/" + title);
    EITEvent event;
    event.event_id = -1;
    event.start_time = proposal.start;
    event.duration = proposal.duration;
    event.running_status = -1;
    event.free_CA_mode = -1;
    eTimerEditView editor(event, eSystemInfo::getInstance()->getDefaultTimerType(), service);
    editor.show();
    editor.exec();
    editor.hide();
}
