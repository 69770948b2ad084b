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

    bool operator==(const Timer& o) const;
    // True for timers on different services whose times overlap: a receiver
    // with one tuner cannot record both.
    bool clashesWith(const Timer& o) const;
};

// "Sun" .. "Sat" for tm_wday 0..6, as the timer windows show days.
const char* shortWeekday(int wday);

// A timer as the timer windows list it: day, times and description (or the
// service name); a clashing timer is marked "[overlap]".
eString timerLine(const Timer& timer, bool clashing = false);

class TimerStore {
public:
    static TimerStore& instance();
    static constexpr const char* kFile = "/var/tuxbox/config/timers";
    static constexpr const char* kLockFile = "/var/tuxbox/config/timers.lock";
    static constexpr size_t kMaxFileBytes = 1 << 20;
    // Start times beyond this (the year 9999) are damage, not timers.
    static constexpr long long kLatestStart = 253402300799LL;
    static constexpr int kLongestTimer = 7 * 24 * 3600;

    // Reads the timer file of the box's file system; a missing file means no timers.
    bool load();
    // Both read the file again under a lock, change it and write it back, so that
    // another box on the same root keeps its changes. On failure the list stays as
    // stored and lastError() says why.
    bool add(const Timer& timer);
    bool remove(size_t index);
    const std::vector<Timer>& timers() const { return m_timers; }
    const std::string& lastError() const { return m_error; }
    // Indexes of the stored timers that clash with timer.
    std::vector<size_t> clashes(const Timer& timer) const;

    // One line per timer: start, duration, type, service reference, description (escaped).
    static std::string serialize(const std::vector<Timer>& timers);
    static std::vector<Timer> parse(const std::string& text);

private:
    bool reload();
    bool save();
    std::vector<Timer> m_timers;
    std::string m_error;
};

} // namespace host
