#include "host/service/BoxClock.h"

namespace host {

BoxClock& BoxClock::instance()
{
    static BoxClock clock;
    return clock;
}

time_t BoxClock::now() const
{
    if (!m_streamTime || !m_haveStream)
        return time(nullptr);
    // The stream clock never runs backwards, but a stream that starts over sends its
    // first TDT again: only the time since the last one counts.
    const uint64_t since = m_clock > m_seenAt ? m_clock - m_seenAt : 0;
    return m_utc + time_t(since / 1000000000u);
}

void BoxClock::streamTimeSeen(time_t utc, uint64_t at)
{
    m_utc = utc;
    m_seenAt = at;
    m_clock = at;
    m_haveStream = true;
}

void BoxClock::streamClockAt(uint64_t at)
{
    if (at > m_clock)
        m_clock = at;
}

} // namespace host
