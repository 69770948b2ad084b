// The programme list's two actions on its current row: the summary view (green) and
// the timer proposal (red).
#include "broadcast/GetSummaries.h"
#include "frame/globals.h"
#include "host/gui/eListBox.h"
#include "ui/RowText.h"
#include "ui/TimerProposal.h"
#include "ui/eChanProgramSel.h"
#include "ui/eListBoxProgrammi.h"
#include "ui/eTramaview.h"

namespace {
// "%s %02d:%02d" of the row's weekday name (day 7: "Nex"), hour and minute.
eString whenText(const eListBoxProgrammi& row)
{
    eString s;
    const int day = row.wday >= 0 && row.wday <= 7 ? row.wday : 7;
    return s.sprintf("%s %02d:%02d", weekD[day].c_str(), row.hour % 24, row.min);
}
} // namespace

void eChanProgramSel::progSummary()
{
    const eListBoxProgrammi* current = evprogrs->getCurrent();
    if (!current)
        return;
    int rows = 0;
    evprogrs->forEachEntry([&rows](eListBoxProgrammi* row) {
        ++rows;
        // Rows past the table have no record; nothing is written beyond it.
        if (row->index < 0 || row->index >= kMaxRows)
            return;
        BufferData& r = bufferdatas[row->index];
        r.title = row->title;
        r.channel = ui::serviceName(row->service);
        r.when = whenText(*row);
        r.id = row->summaryId;
    });
    nb_buffer = rows < kMaxRows ? rows : kMaxRows;
    const int i = current->index;
    if (i >= 0 && i < kMaxRows) {
        const BufferData& r = bufferdatas[i];
        readSummaries(static_cast<unsigned int>(r.id), r.title, r.when, r.channel, i);
    } else {
        readSummaries(static_cast<unsigned int>(current->summaryId), current->title, whenText(*current),
                      ui::serviceName(current->service), i);
    }
}

int eChanProgramSel::readSummaries(unsigned int id, const eString& title, const eString& when, const eString& channel,
                                   int index)
{
    return offlinelog == 1 ? GetSummariesOff(id, title, when, channel, index)
                           : GetSummaries(id, title, when, channel, index);
}

int eChanProgramSel::GetSummaries(unsigned int id, eString title, eString when, eString channel, int index)
{
    eString summary;
    const int result = readSummaryCarousel(id, title, summary);
    if (result == 0)
        showSummary(summary, title, when, channel, index);
    return result;
}

void eChanProgramSel::showSummary(const eString& summary, const eString& title, const eString& when,
                                  const eString& channel, int index)
{
    hide();
    {
        eTramaview view(summary, title, when, channel, index);
        view.show();
        view.exec();
        view.hide();
    }
    show();
    setFocus(evprogrs);
}

void eChanProgramSel::progTimer()
{
    const eListBoxProgrammi* row = evprogrs->getCurrent();
    if (!row)
        return;
    // The list keeps its own day: the timer's date is the proposal's alone.
    const TimerProposal proposal = proposeTimer(listBase(), timeSource(), row->wday, row->hour, row->min, row->duration);
    const eString service = row->service;
    const eString title = row->title;
    hide();
    runTimerEditor(proposal, service, title);
    show();
    setFocus(evprogrs);
}
