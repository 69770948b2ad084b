#pragma once
// The transport streams the box can tune to, and the one it is tuned to. The tuned
// stream is played on STREAM time: packets carry the time they were broadcast at
// (see StreamClock), and the clock moves only as packets are played. Without the
// realtime option a read plays the stream as fast as the machine allows, so timeouts
// and carousel cycles behave as on air in a fraction of the wall time; with it the
// stream follows the wall clock. At the end of a file (or of packets in memory)
// playing starts over; a live source that pauses is waited for while time goes on
// with the wall clock, as on air, and one that ends leaves the transponder silent.
//
// Everything runs on the thread that reads the demux (the GUI thread): there is no
// player thread.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "demux/Feed.h"
#include "demux/TransportStream.h"

namespace demux {

constexpr int kNotTuned = -1;

class Transponders {
public:
    Transponders();
    ~Transponders();

    // Adds a file ("-" = standard input). False, with a message in *error, when it
    // cannot be read or holds no transport packets (see TransportStream::open).
    bool add(const std::string& path, std::string* error = nullptr);
    // Adds a stream from memory (188/192/204-byte packets).
    void add(const uint8_t* data, size_t size);

    size_t count() const { return m_streams.size(); }
    const TransportStream& stream(size_t index) const { return *m_streams[index]; }
    TransportStream& stream(size_t index) { return *m_streams[index]; }

    // Called once when a live source ends while it is being played.
    void setEndedHandler(std::function<void(const TransportStream&)> handler) { m_onEnded = std::move(handler); }

    // Tunes to a stream (kNotTuned: none, reads find nothing). False for a bad index.
    bool tune(int index);
    int tuned() const { return m_tuned; }

    void setRealtime(bool on);
    bool realtime() const { return m_realtime; }

    // Stream clock in nanoseconds; it keeps running across loops and tunes.
    uint64_t now() const { return m_now; }
    // Times the tuned stream started over.
    uint64_t loops() const { return m_loops; }

    void attach(Feed* feed);
    void detach(Feed* feed);

    // Plays the tuned stream until reader becomes readable or the clock reaches
    // limit. With realtime it waits for the wall clock meanwhile, keeping the screen
    // alive; nonBlocking then returns as soon as the stream has caught up.
    void waitFor(Feed* reader, uint64_t limit, bool nonBlocking);
    // With realtime, plays what the wall clock says has been broadcast meanwhile.
    void catchUp();

private:
    void run(Feed* reader, uint64_t limit);
    bool waitForLive(TransportStream& s, uint64_t limit);
    uint64_t wallTarget() const;
    void restartFeeds();

    // Each stream keeps its place while another is tuned: a tuner comes back to a live stream.
    std::vector<std::unique_ptr<TransportStream>> m_streams;
    std::vector<bool> m_endReported;
    std::function<void(const TransportStream&)> m_onEnded;
    std::vector<Feed*> m_feeds;
    int m_tuned = kNotTuned;
    uint64_t m_now = 0;
    uint64_t m_loops = 0;
    bool m_realtime = false;
    std::chrono::steady_clock::time_point m_anchorWall;
    uint64_t m_anchorStream = 0;
    std::chrono::steady_clock::time_point m_lastHook;
};

} // namespace demux
