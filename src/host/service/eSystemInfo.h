#pragma once

// Facts about the receiver model.
class eSystemInfo {
public:
    enum { timerRecord = 1, timerSwitch = 2 };
    static eSystemInfo* getInstance();
    // The box has a disk, so a new timer records by default.
    int getDefaultTimerType() const { return m_defaultTimerType; }
    void setDefaultTimerType(int type) { m_defaultTimerType = type; }
private:
    int m_defaultTimerType = timerRecord;
};
