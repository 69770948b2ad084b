#include "demux/Transponders.h"

#include <algorithm>
#include <thread>

#include "host/platform/DeviceRegistry.h"

namespace demux {

namespace {
// While waiting on the wall clock the screen is given a turn this often.
constexpr auto kWaitSlice = std::chrono::milliseconds(50);
} // namespace

Transponders::Transponders() = default;
Transponders::~Transponders()
{
    // Files still open on the demux outlive the streams; they fail from now on.
    std::vector<Feed*> feeds;
    feeds.swap(m_feeds);
    for (Feed* f : feeds)
        f->transpondersGone();
}

bool Transponders::add(const std::string& path)
{
    auto s = std::make_unique<TransportStream>();
    if (!s->open(path))
        return false;
    m_streams.push_back(std::move(s));
    m_cursor.push_back(0);
    return true;
}

void Transponders::add(const uint8_t* data, size_t size)
{
    auto s = std::make_unique<TransportStream>();
    s->assign(data, size);
    m_streams.push_back(std::move(s));
    m_cursor.push_back(0);
}

bool Transponders::tune(int index)
{
    if (index != kNotTuned && (index < 0 || size_t(index) >= m_streams.size()))
        return false;
    if (index == m_tuned)
        return true;
    catchUp();
    m_tuned = index;
    restartFeeds();
    return true;
}

void Transponders::setRealtime(bool on)
{
    m_realtime = on;
    m_anchorWall = std::chrono::steady_clock::now();
    m_anchorStream = m_now;
}

void Transponders::attach(Feed* feed)
{
    m_feeds.push_back(feed);
}

void Transponders::detach(Feed* feed)
{
    m_feeds.erase(std::remove(m_feeds.begin(), m_feeds.end(), feed), m_feeds.end());
}

void Transponders::restartFeeds()
{
    for (Feed* f : m_feeds)
        f->streamRestarted();
}

uint64_t Transponders::wallTarget() const
{
    auto elapsed = std::chrono::steady_clock::now() - m_anchorWall;
    return m_anchorStream + uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count());
}

void Transponders::run(Feed* reader, uint64_t limit)
{
    TransportStream* s = m_tuned == kNotTuned ? nullptr : m_streams[size_t(m_tuned)].get();
    if (s && s->packetCount() == 0)
        s->poll();
    if (!s || s->packetCount() == 0) {
        // Nothing on air: time just passes.
        m_now = std::max(m_now, limit);
    } else {
        size_t& cursor = m_cursor[size_t(m_tuned)];
        while (m_now < limit && !(reader && reader->readable())) {
            if (cursor >= s->packetCount() && !s->poll()) {
                cursor = 0;
                ++m_loops;
                restartFeeds();
            }
            const uint8_t* p = s->packet(cursor);
            for (Feed* f : m_feeds) {
                f->streamTime(m_now);
                f->streamPacket(p);
            }
            m_now += s->duration(cursor);
            ++cursor;
        }
    }
    for (Feed* f : m_feeds)
        f->streamTime(m_now);
}

void Transponders::catchUp()
{
    if (m_realtime)
        run(nullptr, wallTarget());
}

void Transponders::waitFor(Feed* reader, uint64_t limit, bool nonBlocking)
{
    if (!m_realtime) {
        run(reader, limit);
        return;
    }
    for (;;) {
        run(reader, std::min(limit, wallTarget()));
        if (reader->readable() || m_now >= limit || nonBlocking)
            return;
        auto left = std::chrono::nanoseconds(limit - m_now);
        std::this_thread::sleep_for(std::min<std::chrono::nanoseconds>(left, kWaitSlice));
        host::runBlockingHook();
    }
}

} // namespace demux
