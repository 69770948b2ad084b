#pragma once
// The box's timers, kept in its file system so that they survive a restart.
#include "host/eString.h"
#include "host/service/eServiceReference.h"

#include <ctime>
#include <string>
#include <vector>

namespace host {

struct Timer {
    eServiceReference service;
    eString description;
    time_t start = 0;
    int duration = 0; // seconds
    int type = 0;
};

// "Sun" .. "Sat" for tm_wday 0..6, as the timer windows show days.
const char* shortWeekday(int wday);

class TimerStore {
public:
    static TimerStore& instance();
    static constexpr const char* kFile = "/var/tuxbox/config/timers";

    // Reads the timer file of the box's file system; a missing file means no timers.
    bool load();
    bool add(const Timer& timer);
    bool remove(size_t index);
    const std::vector<Timer>& timers() const { return m_timers; }

    // One line per timer: start, duration, type, service reference, description (escaped).
    static std::string serialize(const std::vector<Timer>& timers);
    static std::vector<Timer> parse(const std::string& text);

private:
    bool save() const;
    std::vector<Timer> m_timers;
};

} // namespace host
