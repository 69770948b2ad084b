// The programme list's titles from the air, and the listing steps that the reader of
// the offline titles file shares with it.
#include "broadcast/DemuxAccess.h"
#include "broadcast/TitlePass.h"
#include "broadcast/TitleRecord.h"
#include "frame/ProgressWindow.h"
#include "frame/globals.h"
#include "host/gfx/eSkin.h"
#include "host/gui/eButton.h"
#include "host/gui/eComboBox.h"
#include "host/gui/eListBox.h"
#include "ui/BroadcastDay.h"
#include "ui/RowText.h"
#include "ui/eChanProgramSel.h"
#include "ui/eListBoxProgrammi.h"

#include <cstring>

namespace {

// The bar runs to 100 % about once per carousel pass and starts again. The full scale
// is the title count of the last logging run, or the start-up guess before any.
class PassProgress {
public:
    explicit PassProgress(eProgress& bar) : m_bar(bar), m_scale(TotTi > 0 ? TotTi : nb_titles) {}
    void advance()
    {
        if (m_scale <= 0)
            return;
        if (m_k * 100 / m_scale == 100)
            m_k = 0;
        m_bar.setPerc(static_cast<int>(m_k * 100 / m_scale));
        ++m_k;
    }

private:
    eProgress& m_bar;
    long m_scale;
    long m_k = 0;
};

eString themeText(int slot)
{
    eString s;
    if (slot >= 0 && slot < kThemeRecords)
        s.sprintf("%.16s", temalist[slot].name);
    return s;
}

} // namespace

int eChanProgramSel::readTitles()
{
    return offlinelog == 1 ? GetTitlesOff() : GetTitles();
}

eString eChanProgramSel::progressCaption() const
{
    switch (FilterSearch) {
    case 0:
        return " Searching: " + themeText(ItemSelect);
    case 1:
        return " Searching: " + ui::serviceName(selService);
    case 3:
        return " Searching: " + searchString;
    default:
        return eString();
    }
}

void eChanProgramSel::beginListing()
{
    evprogrs->beginAtomic();
    evprogrs->clearList();
    m_rows = 0;
    std::memset(m_looked, 0, sizeof m_looked);
}

bool eChanProgramSel::channelShown(int index)
{
    if (!m_looked[index]) {
        m_known[index] = !ui::serviceName(channel_paths[index]).empty();
        m_looked[index] = true;
    }
    return m_known[index];
}

eChanProgramSel::Listed eChanProgramSel::listRecord(const TitleRecord& r, int day, const eString* fullTitle)
{
    if ((FilterSearch == 0 || FilterSearch == 1) && day != currDay.tm_wday)
        return Listed::stop;
    // A record naming no channel of the table is passed over; one whose theme slot has
    // no record (255 among them) is listed with an empty theme.
    if (!r.channelValid())
        return Listed::no;
    const eString title = fullTitle ? *fullTitle : eString(r.title);
    const int ch = r.channelIndex();
    eString service;
    switch (FilterSearch) {
    case 0:
        if (channFilter[ch] != "1" || r.themeSlot < startTh || r.themeSlot > endTh || !channelShown(ch))
            return Listed::no;
        service = channel_paths[ch];
        break;
    case 1:
        if (channel_ids[ch] != ItemSelect)
            return Listed::no;
        service = selService;
        break;
    case 3: {
        eString upper(title);
        if (channFilter[ch] != "1" || upper.upper().find(searchString) == eString::npos || !channelShown(ch))
            return Listed::no;
        service = channel_paths[ch];
        break;
    }
    default:
        return Listed::no;
    }
    new eListBoxProgrammi(evprogrs, day, r.hour, r.minute, themeText(r.themeSlot), title, r.duration, service,
                          static_cast<int>(r.summaryId), m_rows++);
    return Listed::yes;
}

void eChanProgramSel::finishListing()
{
    evprogrs->endAtomic();
    eString title;
    switch (FilterSearch) {
    case 0:
        setText(title.sprintf(" %s", themeText(ItemSelect).c_str()));
        break;
    case 1:
        setText(ui::serviceName(selService));
        break;
    case 3: {
        // The search began now: the label dates today's broadcast day.
        comboday->hide();
        const struct tm today = ui::broadcastNow();
        eString date;
        lbdate->setText(date.sprintf("%s %02d-%02d  ", weekD[today.tm_wday].c_str(), today.tm_mday, today.tm_mon + 1));
        eListBoxProgrammi* current = evprogrs->getCurrent();
        if (current && !current->theme.empty())
            setThemeLabel(current->theme);
        themeLabel->show();
        break;
    }
    }
    if (evprogrs->getCount() > 0)
        setFocus(evprogrs);
}

eChanProgramSel::ListingStart eChanProgramSel::listingStart() const
{
    const struct tm now = ui::broadcastNow();
    // A search always starts now, whatever day was browsed last.
    if (FilterSearch == 3)
        return {now.tm_wday, now.tm_hour, now.tm_wday};
    // A day listing starts at the hour of currDay when it lists today's weekday,
    // otherwise at 06:00 (after midnight yesterday's broadcast day shows whole).
    const int day = currDay.tm_wday % 7;
    return {day, day == oggi ? currDay.tm_hour : 6, now.tm_wday};
}

int eChanProgramSel::GetTitles()
{
    ProgressWindow progress(progressCaption());
    if (FilterSearch == 3)
        setText(" Programs found: " + searchString);
    progress.progress.setForegroundColor(eSkin::getActive()->queryColor("std_dred"));
    progress.show();

    const int fd = openSectionFilter(kPidTitles, kTableTitlesSummaries);
    if (fd < 0) {
        progress.hide();
        return -1;
    }
    PassProgress bar(progress.progress);
    TitlePass pass;
    const bool read = pass.read(fd, [&](int length) {
        if (length == kTitleSectionLength)
            bar.advance();
    });
    closeSectionFilter(fd);
    if (!read) {
        progress.hide();
        return -2;
    }
    progress.progress.setForegroundColor(eSkin::getActive()->queryColor("std_dgreen"));

    const bool early = earlyMorningRule();
    const ListingStart from = listingStart();
    pass.order(from.today, early);
    const auto& week = pass.week();
    beginListing();
    // The selected day's block of this week from the start hour on (the first
    // programme after it when none starts then); a search runs on to the week's end,
    // over the whole pass when it does not hold today.
    size_t first = pass.dayStart(from.day, from.hour, early);
    if (FilterSearch == 3 && !pass.hasDay(from.day))
        first = 0;
    for (size_t i = first; i < week.size(); ++i)
        if (listRecord(week[i].record, week[i].day) == Listed::stop)
            break;
    progress.hide();
    finishListing();
    return 0;
}
