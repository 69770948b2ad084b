#pragma once
#include "host/gui/eListBox.h"
#include "host/gui/eListBoxEntryText.h"
#include "host/gui/eWindow.h"

class eLabel;

// The receiver's timer list: every stored timer; red deletes the marked one,
// green adds a new timer for the playing service in the timer editor.
class eTimerListView : public eWindow {
public:
    eTimerListView();
    ~eTimerListView() override;
    int eventHandler(const eWidgetEvent& event) override;

private:
    void fill();
    void removeCurrent();
    void addTimer();

    eListBox<eListBoxEntryText>* m_list;
    eLabel* m_empty;
};
