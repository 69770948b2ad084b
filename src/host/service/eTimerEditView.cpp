#include "host/service/eTimerEditView.h"
#include "host/gui/eButton.h"
#include "host/gui/eLabel.h"
#include "host/gui/eMessageBox.h"
#include "host/gui/eNumber.h"
#include "host/gui/eStatusBar.h"
#include "host/gui/eTextInputField.h"
#include "host/service/TimerStore.h"
#include "host/service/eServiceInterface.h"

namespace {

eLabel* caption(eWidget* parent, int x, int y, int w, const char* text)
{
    eLabel* l = new eLabel(parent);
    l->move(ePoint(x, y));
    l->resize(eSize(w, 30));
    l->setText(text);
    l->setFlags(0x40);
    return l;
}

eNumber* numberField(eWidget* parent, int x, int y, int max, int digits, int value, const char* help)
{
    int init = value;
    eNumber* n = new eNumber(parent, 1, 0, max, digits, &init, 0, nullptr, 1, "eNumber");
    n->move(ePoint(x, y));
    n->resize(eSize(digits * 14 + 20, 30));
    n->loadDeco();
    n->setHelpText(help);
    return n;
}

} // namespace

eTimerEditView::eTimerEditView(const EITEvent& event, int type, eServiceReference service)
    : eWindow(1), m_event(event), m_type(type), m_service(std::move(service))
{
    setText(" Timer");
    cmove(ePoint(110, 130));
    cresize(eSize(500, 310));

    const auto* entry = eServiceInterface::getInstance()->find(m_service);
    caption(this, 10, 10, 120, "Service:");
    caption(this, 140, 10, 350, entry ? entry->name.c_str() : "unknown service");

    caption(this, 10, 50, 120, "Description:");
    m_description = new eTextInputField(this);
    m_description->setName("description");
    m_description->move(ePoint(140, 50));
    m_description->resize(eSize(350, 30));
    m_description->setMaxChars(100);
    m_description->loadDeco();
    m_description->setText(m_service.descr.empty() && entry ? entry->name : m_service.descr);
    m_description->setHelpText("Press OK and type the timer's description.");

    struct tm s;
    localtime_r(&m_event.start_time, &s);
    caption(this, 10, 95, 120, "Start:");
    m_day = caption(this, 140, 95, 150, "");
    eString day;
    m_day->setText(day.sprintf("%s %02d-%02d-%04d", host::shortWeekday(s.tm_wday), s.tm_mday, s.tm_mon + 1, s.tm_year + 1900));
    m_startHour = numberField(this, 300, 95, 23, 2, s.tm_hour, "Start hour.");
    m_startMinute = numberField(this, 360, 95, 59, 2, s.tm_min, "Start minute.");

    caption(this, 10, 135, 120, "Length (min):");
    m_length = numberField(this, 140, 135, 1440, 4, m_event.duration / 60, "Length of the timer in minutes.");
    caption(this, 10, 175, 120, "End:");
    m_end = caption(this, 140, 175, 350, "");
    m_end->setName("end");
    updateEnd();

    caption(this, 10, 215, 120, "Type:");
    caption(this, 140, 215, 200, m_type == eSystemInfo::timerSwitch ? "switch" : "record");

    eButton* add = new eButton(this);
    add->setName("add");
    add->move(ePoint(340, 215));
    add->resize(eSize(150, 35));
    add->setText("Add timer");
    add->setShortcut("green");
    add->setShortcutPixmap("green");
    add->loadDeco();
    add->setHelpText("Store the timer.");
    add->selected.connect(SigC::slot(*this, &eTimerEditView::addTimer));

    eStatusBar* status = new eStatusBar(this);
    status->move(ePoint(0, 270));
    status->resize(eSize(500, 40));
    status->loadDeco();

    m_startHour->selected.connect(SigC::slot(*this, &eTimerEditView::updateEnd));
    m_startMinute->selected.connect(SigC::slot(*this, &eTimerEditView::updateEnd));
    m_length->selected.connect(SigC::slot(*this, &eTimerEditView::updateEnd));
    setFocus(add);
}

eTimerEditView::~eTimerEditView() = default;

time_t eTimerEditView::start() const
{
    struct tm s;
    localtime_r(&m_event.start_time, &s);
    s.tm_hour = m_startHour->getNumber();
    s.tm_min = m_startMinute->getNumber();
    s.tm_isdst = -1;
    return mktime(&s);
}

int eTimerEditView::duration() const { return m_length->getNumber() * 60; }

void eTimerEditView::updateEnd()
{
    time_t end = start() + duration();
    struct tm e;
    localtime_r(&end, &e);
    eString text;
    m_end->setText(text.sprintf("%02d:%02d", e.tm_hour, e.tm_min));
}

namespace {

int ask(const eString& text, int flags, int defaultButton)
{
    eMessageBox box(text, "Timer:", flags, defaultButton);
    box.show();
    int answer = box.exec();
    box.hide();
    return answer;
}

} // namespace

void eTimerEditView::addTimer()
{
    if (!m_service.valid()) {
        ask("No service is chosen (nothing is playing).\nA timer needs a service to record.",
            eMessageBox::btOK | eMessageBox::iconError, eMessageBox::btOK);
        return;
    }
    if (duration() <= 0) {
        ask("The timer has no length. Enter its length in minutes.", eMessageBox::btOK | eMessageBox::iconError,
            eMessageBox::btOK);
        return;
    }
    host::Timer t;
    t.service = m_service;
    t.description = m_description->getText();
    t.start = start();
    t.duration = duration();
    t.type = m_type;
    auto& store = host::TimerStore::instance();
    std::vector<size_t> clashes = store.clashes(t);
    if (!clashes.empty()) {
        const host::Timer& other = store.timers()[clashes.front()];
        eString text = "This timer overlaps the timer\n" + host::timerLine(other) +
                       "\non another service. A single tuner cannot record both.\nAdd it anyway?";
        if (ask(text, eMessageBox::btYes | eMessageBox::btNo | eMessageBox::iconWarning, eMessageBox::btNo) !=
            eMessageBox::btYes)
            return;
    }
    if (!store.add(t)) {
        ask("The timer was not stored.\n" + store.lastError(), eMessageBox::btOK | eMessageBox::iconError,
            eMessageBox::btOK);
        return;
    }
    close(0);
}
