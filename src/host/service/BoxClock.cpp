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
    // A stream that starts over sends its first TDT again: only the time since the
    // last one counts.
    const uint64_t clock = m_streamClock ? m_streamClock() : m_seenAt;
    const uint64_t since = clock > m_seenAt ? clock - m_seenAt : 0;
    return m_utc + time_t(since / 1000000000u);
}

void BoxClock::streamTimeSeen(time_t utc, uint64_t at)
{
    m_utc = utc;
    m_seenAt = at;
    m_haveStream = true;
}

} // namespace host
