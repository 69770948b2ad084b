#pragma once
// The box's idea of the current time. By default the system time, so that faketime
// moves it. With the stream clock on, the time the tuned stream broadcasts in its
// TDT/TOT (or, for a stream without them, what its EIT says), carried forward by the
// stream's own clock; a stream the box cannot date leaves the system time in force.
#include <cstdint>
#include <ctime>
#include <functional>

namespace host {

class BoxClock {
public:
    static BoxClock& instance();

    void useStreamTime(bool on) { m_streamTime = on; }
    bool usesStreamTime() const { return m_streamTime; }

    // Now, by the clock in force.
    time_t now() const;

    // Where the stream clock (nanoseconds, never decreasing) is read; none: it stands still.
    void setStreamClock(std::function<uint64_t()> clock) { m_streamClock = std::move(clock); }
    // The tuned stream said it is utc when the stream clock read at.
    void streamTimeSeen(time_t utc, uint64_t at);
    // Another stream is tuned: what the last one said no longer holds.
    void forgetStreamTime() { m_haveStream = false; }
    bool haveStreamTime() const { return m_haveStream; }

private:
    bool m_streamTime = false;
    bool m_haveStream = false;
    time_t m_utc = 0;
    uint64_t m_seenAt = 0;
    std::function<uint64_t()> m_streamClock;
};

} // namespace host
