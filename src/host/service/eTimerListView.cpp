#include "host/service/eTimerListView.h"
#include "host/gfx/eSkin.h"
#include "host/gui/eLabel.h"
#include "host/gui/eMessageBox.h"
#include "host/service/eServiceInterface.h"
#include "host/service/eTimerEditView.h"
#include "host/service/TimerStore.h"

#include <cstdint>

namespace {

bool clashing(const std::vector<host::Timer>& timers, size_t i)
{
    for (size_t j = 0; j < timers.size(); ++j)
        if (j != i && timers[i].clashesWith(timers[j]))
            return true;
    return false;
}

eLabel* legend(eWidget* parent, int x, int y, const char* text, const char* colour)
{
    eLabel* l = new eLabel(parent);
    l->move(ePoint(x, y));
    l->resize(eSize(150, 30));
    l->setText(text);
    l->setAlign(2);
    l->setFlags(0x40);
    l->setBackgroundColor(eSkin::getActive()->queryColor(colour));
    return l;
}

} // namespace

eTimerListView::eTimerListView() : eWindow(1)
{
    setText(" Timer list");
    cmove(ePoint(90, 110));
    cresize(eSize(540, 360));
    addActionMap(&i_shortcutActions->map);

    m_list = new eListBox<eListBoxEntryText>(this);
    m_list->setName("timers");
    m_list->move(ePoint(10, 10));
    m_list->resize(eSize(520, 290));
    m_list->loadDeco();

    m_empty = new eLabel(m_list);
    m_empty->move(ePoint(0, 0));
    m_empty->resize(eSize(500, 40));
    m_empty->setText("No timers.");
    m_empty->setAlign(2);
    m_empty->setFlags(0x40);

    legend(this, 10, 315, "Delete", "std_dred");
    legend(this, 170, 315, "New timer", "std_dgreen");
    fill();
    setFocus(m_list);
}

eTimerListView::~eTimerListView() = default;

void eTimerListView::fill()
{
    m_list->beginAtomic();
    m_list->clearList();
    const auto& timers = host::TimerStore::instance().timers();
    for (size_t i = 0; i < timers.size(); ++i)
        new eListBoxEntryText(m_list, host::timerLine(timers[i], clashing(timers, i)), reinterpret_cast<void*>(static_cast<uintptr_t>(i)));
    m_list->endAtomic();
    if (timers.empty())
        m_empty->show();
    else
        m_empty->hide();
}

void eTimerListView::removeCurrent()
{
    eListBoxEntryText* current = m_list->getCurrent();
    if (!current)
        return;
    size_t index = static_cast<size_t>(reinterpret_cast<uintptr_t>(current->getKey()));
    eMessageBox ask("Delete this timer?\n" + current->getText(), "Timer list:",
                    eMessageBox::btYes | eMessageBox::btNo | eMessageBox::iconQuestion, eMessageBox::btNo);
    ask.show();
    int answer = ask.exec();
    ask.hide();
    auto& store = host::TimerStore::instance();
    if (answer == eMessageBox::btYes && !store.remove(index)) {
        eMessageBox failed("The timer was not deleted.\n" + store.lastError(), "Timer list:",
                           eMessageBox::btOK | eMessageBox::iconError, eMessageBox::btOK);
        failed.show();
        failed.exec();
        failed.hide();
    }
    fill();
}

void eTimerListView::addTimer()
{
    EITEvent event;
    time_t now = time(nullptr);
    event.start_time = now - now % 60;
    event.duration = 3600;
    eServiceReference ref = eServiceInterface::getInstance()->service;
    hide();
    {
        eTimerEditView editor(event, eSystemInfo::getInstance()->getDefaultTimerType(), ref);
        editor.show();
        editor.exec();
        editor.hide();
    }
    fill();
    show();
}

int eTimerListView::eventHandler(const eWidgetEvent& event)
{
    if (event.type == eWidgetEvent::evtAction) {
        if (event.action == &i_shortcutActions->red) {
            removeCurrent();
            return 1;
        }
        if (event.action == &i_shortcutActions->green) {
            addTimer();
            return 1;
        }
    }
    return eWindow::eventHandler(event);
}
