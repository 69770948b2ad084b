#pragma once
#include "host/gui/eWindow.h"
#include "host/service/EITEvent.h"
#include "host/service/eServiceReference.h"
#include "host/service/eSystemInfo.h"

class eButton;
class eLabel;
class eNumber;
class eTextInputField;

// The receiver's timer editor: service, description, start and end of a proposed
// timer. "Add timer" (green, or OK on it) stores it; exit leaves without a timer.
class eTimerEditView : public eWindow {
public:
    eTimerEditView(const EITEvent& event, int type, eServiceReference service);
    ~eTimerEditView() override;

    time_t start() const;
    int duration() const; // seconds

private:
    void addTimer();
    void updateEnd();

    EITEvent m_event;
    int m_type;
    eServiceReference m_service;
    eTextInputField* m_description;
    eNumber* m_startHour;
    eNumber* m_startMinute;
    eNumber* m_length;
    eLabel* m_day;
    eLabel* m_end;
};
