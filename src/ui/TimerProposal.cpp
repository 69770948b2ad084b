#include "ui/TimerProposal.h"
#include "frame/globals.h"
#include "host/service/EITEvent.h"
#include "host/service/eSystemInfo.h"
#include "host/service/eTimerEditView.h"
#include "ui/RowText.h"

TimerProposal proposeTimer(time_t base, int day, int hour, int minute, int durationMinutes)
{
    TimerProposal p;
    localtime_r(&base, &p.day);
    // Before 06:00 the list still shows yesterday's broadcast day.
    if (p.day.tm_wday == oggi && p.day.tm_hour <= 5) {
        p.day.tm_mday -= 1;
        p.day.tm_isdst = -1;
        mktime(&p.day);
    }
    const int d = day == 7 ? 0 : day;
    const int w = p.day.tm_wday;
    const int ahead = d > w ? d - w : d < w ? d - w + 7 : 0;
    p.day.tm_hour = hour;
    p.day.tm_mday += ahead;
    // Only the early-morning rule files 00:00-05:59 under the day before; otherwise the
    // row's day is already the calendar day.
    if (hour <= 5 && nsp_curr.find("8200") != eString::npos)
        p.day.tm_mday += 1;
    p.day.tm_min = minute - startOffs + localOffs / 60;
    // A timer starts on the minute, whatever the second of the base time.
    p.day.tm_sec = 0;
    p.day.tm_isdst = -1;
    p.start = mktime(&p.day);
    p.duration = (durationMinutes + startOffs + endOffs) * 60;
    return p;
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
