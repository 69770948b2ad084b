// The programme list's titles from the air, and the listing steps that the reader of
// the offline titles file shares with it.
#include "broadcast/DemuxAccess.h"
#include "broadcast/TitleRecord.h"
#include "frame/ProgressWindow.h"
#include "frame/globals.h"
#include "host/gfx/eSkin.h"
#include "host/gui/eButton.h"
#include "host/gui/eComboBox.h"
#include "host/gui/eListBox.h"
#include "ui/RowText.h"
#include "ui/eChanProgramSel.h"
#include "ui/eListBoxProgrammi.h"

#include <array>
#include <cstring>
#include <vector>

namespace {

// A guard beside the pass marker: a carousel whose sections never repeat (a broken
// stream) still ends. A week of a busy transponder is some 10000 sections.
constexpr int kMaxReads = 400000;

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

// Tells when a carousel has come round: the first few sections read, whatever their
// length, arrive again in a row. A run of several makes an identical odd section
// repeated within a pass no reason to stop.
class PassDetector {
public:
    // True when this section completes the second showing of the opening run.
    bool cameRound(const uint8_t* section, int length)
    {
        std::vector<uint8_t> s(section, section + length);
        if (m_opening.size() < kRun) {
            m_opening.push_back(std::move(s));
            return false;
        }
        m_matched = s == m_opening[m_matched] ? m_matched + 1 : (s == m_opening[0] ? 1 : 0);
        return m_matched == kRun;
    }

private:
    static constexpr size_t kRun = 4;
    std::vector<std::vector<uint8_t>> m_opening;
    size_t m_matched = 0;
};

// Carousel order of an hour within a day: with the early-morning rule, 00-05 follow 23.
int hourOrder(int hour, bool earlyMorning) { return earlyMorning && hour <= 5 ? hour + 24 : hour; }

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

eChanProgramSel::Listed eChanProgramSel::listRecord(const TitleRecord& r, int day)
{
    if ((FilterSearch == 0 || FilterSearch == 1) && day != currDay.tm_wday)
        return Listed::stop;
    // A record naming no channel of the table, or no theme record, is passed over.
    if (!r.channelValid() || !r.themeValid())
        return Listed::no;
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
        eString upper(r.title);
        if (channFilter[ch] != "1" || upper.upper().find(searchString) == eString::npos || !channelShown(ch))
            return Listed::no;
        service = channel_paths[ch];
        break;
    }
    default:
        return Listed::no;
    }
    new eListBoxProgrammi(evprogrs, day, r.hour, r.minute, themeText(r.themeSlot), r.title, r.duration, service,
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
        comboday->hide();
        eString date;
        lbdate->setText(date.sprintf("%s %02d-%02d  ", weekD[currDay.tm_wday % 8].c_str(), currDay.tm_mday,
                                     currDay.tm_mon + 1));
        eListBoxProgrammi* current = evprogrs->getCurrent();
        if (current && !current->theme.empty())
            themeLabel->setText(current->theme);
        themeLabel->show();
        break;
    }
    }
    if (evprogrs->getCount() > 0)
        setFocus(evprogrs);
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
    const bool early = earlyMorningRule();
    const int startHour = currDay.tm_wday == oggi ? currDay.tm_hour : 6;
    const int startOrder = hourOrder(startHour, early);
    PassProgress bar(progress.progress);

    // Seek the first record of the selected day at or after the start hour: a record
    // inside that span whose predecessor is outside it, or earlier (the carousel came
    // round). An hour without programmes thus starts the listing at the next one. The
    // seek gives up after one full pass of the carousel.
    auto inside = [&](int day, int hour) { return day == currDay.tm_wday && hourOrder(hour, early) >= startOrder; };
    PassDetector pass;
    bool havePrevious = false;
    int prevDay = 0, prevHour = 0;
    int len = 0;
    for (int reads = 0;; ++reads) {
        len = readSection(fd);
        if (len <= 0 || reads >= kMaxReads) {
            closeSectionFilter(fd);
            progress.hide();
            return -2;
        }
        bar.advance();
        if (len == kTitleSectionLength) {
            int day, hour;
            decodeTitleDayHour(buffer[5], early, day, hour);
            const bool wrapped = havePrevious && hourOrder(prevHour, early) > hourOrder(hour, early) && prevDay == day;
            if (inside(day, hour) && havePrevious && (!inside(prevDay, prevHour) || wrapped))
                break;
            prevDay = day;
            prevHour = hour;
            havePrevious = true;
        }
        if (pass.cameRound(buffer, len)) {
            closeSectionFilter(fd);
            progress.hide();
            return -2;
        }
    }

    std::array<uint8_t, kTitleSectionLength> endMarker;
    std::memcpy(endMarker.data(), buffer, kTitleSectionLength);
    progress.progress.setForegroundColor(eSkin::getActive()->queryColor("std_dgreen"));
    beginListing();
    DayChangeCounter days;
    bool stop = false;
    for (int reads = 0;; ++reads) {
        if (len == kTitleSectionLength) {
            TitleRecord record;
            decodeTitleRecord(buffer, len, early, record);
            if (days.beyondWeek())
                stop = true;
            if (listRecord(record, days.file(record.day)) == Listed::stop)
                stop = true;
            bar.advance();
        }
        if (stop || reads >= kMaxReads)
            break;
        len = readSection(fd);
        // A failed read ends the collection as the end of the pass does.
        if (len <= 0)
            break;
        if (len == kTitleSectionLength && std::memcmp(endMarker.data(), buffer, kTitleSectionLength) == 0)
            break;
    }
    closeSectionFilter(fd);
    progress.hide();
    finishListing();
    return 0;
}
