#include "ui/eChanProgramSel.h"
#include "frame/globals.h"
#include "host/gfx/eSkin.h"
#include "host/gui/eButton.h"
#include "host/gui/eComboBox.h"
#include "host/gui/eListBox.h"
#include "host/gui/eMessageBox.h"
#include "ui/BroadcastDay.h"
#include "ui/RowText.h"
#include "ui/TimerProposal.h"
#include "ui/eListBoxLista1.h"
#include "ui/eListBoxProgrammi.h"

#include <algorithm>
#include <cstdint>

namespace {
constexpr int kAlignCentre = 2;
constexpr int kVerticallyCentred = 0x40;
constexpr int kLeftListFlags = 0x20;

gColor skinColour(const char* name) { return eSkin::getActive()->queryColor(name); }

eButton* legend(eWindow* window, int x, int y, const char* colour, const char* text)
{
    auto* b = new eButton(window, nullptr, 1, "eButton");
    b->move(ePoint(x, y));
    b->resize(eSize(130, 35));
    b->loadDeco();
    if (colour)
        b->setBackgroundColor(skinColour(colour));
    b->setAlign(kAlignCentre);
    b->setFlags(kVerticallyCentred);
    if (text)
        b->setText(text);
    return b;
}

void reportReadError(int result)
{
    const char* text = result == -1 ? "dmx error" : result == -2 ? "user abort" : "Titles data file not found.\nUpdate EPG.";
    eMessageBox box(text, "LOG Error:", eMessageBox::btOK | eMessageBox::iconWarning, eMessageBox::btOK, 0);
    box.show();
    box.exec();
    box.hide();
}
} // namespace

eChanProgramSel::eChanProgramSel() : eWindow(0)
{
    addActionMap(&i_shortcutActions->map);
    addActionMap(&i_focusActions->map);
    cmove(ePoint(50, 100));
    cresize(eSize(620, 380));
    const int W = getClientSize().width();
    const int H = getClientSize().height();

    timerLegend = legend(this, W - 610, H - 45, "std_dred", "ToTimer");
    summaryLegend = legend(this, W - 470, H - 45, "std_dgreen", "Summary");
    lbdate = legend(this, W - 280, H - 45, "std_dblue", nullptr);
    eString date;
    lbdate->setText(date.sprintf("%s", datattuale));
    lbdate->setName("lbdate");
    themeLabel = legend(this, W - 140, H - 45, nullptr, nullptr);
    themeLabel->setFont(eSkin::getActive()->queryFont("lcd.menu.title"));
    themeLabel->hide();

    comboday = new eComboBox(this, 7, nullptr, 1, "eComboBox");
    comboday->move(ePoint(W - 140, H - 45));
    comboday->resize(eSize(130, 35));
    comboday->loadDeco();
    comboday->setName("comboday");
    comboday->setShortcut("blue");
    comboday->setBackgroundColor(skinColour("std_dblue"));
    comboday->selchanged.connect(SigC::slot(*this, &eChanProgramSel::dayChanged));

    evprogrs = new eListBox<eListBoxProgrammi>(this, nullptr, 1, eListBoxProgrammi::getEntryHeight(), "eListBox");
    evprogrs->setName("evprogrs");

    int result = 0;
    if (FilterSearch == 3) {
        evprogrs->move(ePoint(10, 10));
        evprogrs->resize(eSize(W - 20, H - 60));
        evprogrs->selchanged.connect(SigC::slot(*this, &eChanProgramSel::selectionChanged));
        result = readTitles();
        if (evprogrs->getCount() > 0)
            selectionChanged(evprogrs->getCurrent());
    } else {
        fillcomboday();
        events = new eListBox<eListBoxLista1>(this, nullptr, 1, eListBoxLista1::getEntryHeight(), "eListBox");
        events->setName("events");
        events->move(ePoint(5, 10));
        events->resize(eSize(W - 480, H - 60));
        events->loadDeco();
        events->selected.connect(SigC::slot(*this, &eChanProgramSel::selectionChanged1));
        evprogrs->move(ePoint(143, 10));
        evprogrs->resize(eSize(W - 147, H - 60));
        evprogrs->selected.connect(SigC::slot(*this, &eChanProgramSel::selected));
        if (FilterSearch == 0) {
            events->setFlags(kLeftListFlags);
            setText(" EPG Themes");
            fillSubThemes();
            result = readTitles();
        } else {
            setText(" EPG Channels");
            fillChannels();
        }
    }
    evprogrs->loadDeco();
    eWidget::focusChanged.connect(SigC::slot(*this, &eChanProgramSel::focusChanged));
    setFocus(FilterSearch == 1 ? static_cast<eWidget*>(events) : evprogrs);
    // The list may have taken the focus while it was filled, before the signal was
    // connected: evprogrsel must say where the focus is, or red and green do nothing.
    focusChanged(getFocus());
    if (result != 0)
        reportReadError(result);
}

eChanProgramSel::~eChanProgramSel() = default;

time_t eChanProgramSel::listBase() { return offlinelog == 1 ? static_cast<time_t>(logDate) : timeSource(); }

void eChanProgramSel::setThemeLabel(const eString& theme)
{
    // One line in the label's box: a long theme name is shortened, never wrapped out of it.
    const int pad = eSkin::getActive()->queryValue("eWidget.padding", 4);
    themeLabel->setText(ui::fitText(theme, themeLabel->getFont(), themeLabel->getSize().width() - 4 * pad));
}

void eChanProgramSel::setDateLabel(const struct tm& day)
{
    eString s;
    lbdate->setText(s.sprintf("%02d-%02d-%02d", day.tm_mday, day.tm_mon + 1, day.tm_year + 1900));
}

void eChanProgramSel::fillcomboday()
{
    const time_t now = timeSource();
    localtime_r(&now, &currDay);
    struct tm base;
    if (offlinelog == 1) {
        // The files hold the week from the logging day on.
        const time_t logged = logDate;
        localtime_r(&logged, &base);
        if (base.tm_hour <= 5)
            ui::addDays(base, -1);
    } else {
        base = currDay;
        ui::applySixOClockRule(base);
    }
    ui::applySixOClockRule(currDay);
    comboday->clear();
    for (int i = 0; i < 7; ++i) {
        eString text;
        text.sprintf("%s %02d", weekD[base.tm_wday].c_str(), base.tm_mday);
        comboday->addEntry(text, reinterpret_cast<void*>(static_cast<intptr_t>(base.tm_wday)));
        ui::addDays(base, 1);
    }
    setDateLabel(currDay);
    comboday->setCurrent(currDay.tm_wday);
}

void eChanProgramSel::fillSubThemes()
{
    events->beginAtomic();
    events->clearList();
    if (ItemSelect >= 0 && ItemSelect < kThemeRecords) {
        // A group never reaches past its 16 slots or the table's end.
        const int room = std::min(kGroupSlots, kThemeRecords - ItemSelect);
        const int n = std::min(temalist[ItemSelect].count, room);
        for (int s = ItemSelect; s < ItemSelect + n; ++s) {
            eString name;
            name.sprintf("%.16s", temalist[s].name);
            new eListBoxLista1(events, name, s, nullService);
        }
    }
    events->endAtomic();
}

void eChanProgramSel::fillChannels()
{
    events->beginAtomic();
    events->clearList();
    const int n = std::min(nb_channels, kMaxChannels);
    for (int i = 0; i < n; ++i) {
        if (channFilter[i] != "1")
            continue;
        eString ref;
        ref.sprintf("%s", channel_paths[i].c_str());
        const eString name = ui::serviceName(ref);
        if (!name.empty())
            new eListBoxLista1(events, name, channel_ids[i] & 0xFFFF, ref);
    }
    events->endAtomic();
}

void eChanProgramSel::dayChanged(eListBoxEntryText* entry)
{
    if (!entry)
        return;
    const int k = static_cast<int>(reinterpret_cast<intptr_t>(entry->getKey()));
    const time_t now = offlinelog == 1 ? static_cast<time_t>(logDate) : timeSource();
    localtime_r(&now, &currDay);
    ui::applySixOClockRule(currDay);
    ui::moveForwardToWeekday(currDay, k);
    // A theme view always has its theme; a channel view lists nothing until a channel is chosen.
    if (FilterSearch == 0 || m_chosen)
        readTitles();
    setDateLabel(currDay);
    comboday->setBackgroundColor(skinColour("std_dblue"));
}

void eChanProgramSel::selectionChanged1(eListBoxLista1* row)
{
    if (!row)
        return;
    ItemSelect = row->id;
    selService = row->service;
    if (FilterSearch == 0)
        startTh = endTh = ItemSelect;
    m_chosen = true;
    readTitles();
}

void eChanProgramSel::selected(eListBoxProgrammi*)
{
    if (FilterSearch == 0 || FilterSearch == 1)
        setFocus(events);
}

void eChanProgramSel::selectionChanged(eListBoxProgrammi*)
{
    eListBoxProgrammi* row = evprogrs->getCurrent();
    if (!row)
        return;
    setThemeLabel(row->theme.empty() ? eString("unknow") : row->theme);
    // The date the timer of this row would be set for: the eighth day a week after
    // today, a showing that is over a week on.
    eString date;
    if (row->wday >= 0 && row->wday <= 7) {
        const struct tm day = listingDate(listBase(), timeSource(), row->wday, row->hour, row->min, row->duration);
        date.sprintf("%s %02d-%02d  ", weekD[row->wday].c_str(), day.tm_mday, day.tm_mon + 1);
    } else {
        date = "unknow";
    }
    lbdate->setText(date);
}

void eChanProgramSel::focusChanged(const eWidget* widget)
{
    evprogrsel = widget && widget->getName() == "evprogrs";
}

int eChanProgramSel::eventHandler(const eWidgetEvent& event)
{
    if (event.type != eWidgetEvent::evtAction || !event.action)
        return eWindow::eventHandler(event);
    const eAction* a = event.action;
    if (a == &i_shortcutActions->number0) {
        if ((FilterSearch == 0 || FilterSearch == 1) && !isFilter)
            setFocus(evprogrsel ? static_cast<eWidget*>(events) : evprogrs);
        return 1;
    }
    // Red and green act on the current programme only while the programme list has the focus.
    if (a == &i_shortcutActions->red && evprogrsel) {
        progTimer();
        return 1;
    }
    if (a == &i_shortcutActions->green && evprogrsel) {
        progSummary();
        return 1;
    }
    if (a == &i_focusActions->up || a == &i_focusActions->down || a == &i_focusActions->left ||
        a == &i_focusActions->right) {
        comboday->setBackgroundColor(skinColour("std_dblue"));
        setFocus(evprogrs);
        return 1;
    }
    return eWindow::eventHandler(event);
}
