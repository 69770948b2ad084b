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

bool Transponders::add(const std::string& path, std::string* error)
{
    auto s = std::make_unique<TransportStream>();
    if (!s->open(path, error))
        return false;
    m_streams.push_back(std::move(s));
    m_endReported.push_back(false);
    return true;
}

void Transponders::add(const uint8_t* data, size_t size)
{
    auto s = std::make_unique<TransportStream>();
    s->assign(data, size);
    m_streams.push_back(std::move(s));
    m_endReported.push_back(false);
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
    bool playedSinceStart = true; // false right after starting over: an empty stream must not spin
    while (s && m_now < limit && !(reader && reader->readable())) {
        switch (s->step()) {
        case TransportStream::Step::Packet: {
            const uint8_t* p = s->packet();
            for (Feed* f : m_feeds) {
                f->streamTime(m_now);
                f->streamPacket(p);
            }
            m_now += s->duration();
            s->advance();
            playedSinceStart = true;
            continue;
        }
        case TransportStream::Step::End:
            if (!playedSinceStart || !s->rewind()) {
                s = nullptr; // nothing on air
                break;
            }
            playedSinceStart = false;
            ++m_loops;
            restartFeeds();
            continue;
        case TransportStream::Step::Wait:
            if (!waitForLive(*s, limit))
                return;
            continue;
        case TransportStream::Step::Ended:
            if (!m_endReported[size_t(m_tuned)]) {
                m_endReported[size_t(m_tuned)] = true;
                if (m_onEnded)
                    m_onEnded(*s);
            }
            s = nullptr;
            break;
        }
    }
    // Nothing on air: time just passes.
    if (!s)
        m_now = std::max(m_now, limit);
    for (Feed* f : m_feeds)
        f->streamTime(m_now);
}

bool Transponders::waitForLive(TransportStream& s, uint64_t limit)
{
    if (m_realtime) {
        // Time has come this far on the wall clock with nothing on air; waitFor() sleeps.
        m_now = std::max(m_now, limit);
        for (Feed* f : m_feeds)
            f->streamTime(m_now);
        return false;
    }
    // Stream time follows the wall clock while the source pauses, so that filters time
    // out as on air; it moves on by a millisecond at least, so the wait always ends.
    using namespace std::chrono;
    const auto start = steady_clock::now();
    const auto slice = std::min<nanoseconds>(nanoseconds(limit - m_now), kWaitSlice);
    s.waitReadable(int(std::max<long long>(1, duration_cast<milliseconds>(slice).count())));
    const auto now = steady_clock::now();
    const uint64_t waited = uint64_t(std::max<nanoseconds>(now - start, milliseconds(1)).count());
    m_now = limit - m_now > waited ? m_now + waited : limit;
    for (Feed* f : m_feeds)
        f->streamTime(m_now);
    // The screen keeps following a long wait.
    if (now - m_lastHook >= kWaitSlice) {
        m_lastHook = now;
        host::runBlockingHook();
    }
    return true;
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
