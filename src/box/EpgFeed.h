#pragma once
// Fills the box's EPG cache and stream clock from the event information and time of
// the tuned stream as it plays: a listener on the transponders' packet feed beside the
// demux files.
#include <cstdint>
#include <ctime>
#include <optional>

#include "demux/Feed.h"
#include "scan/EitCollector.h"

namespace demux {
class Transponders;
}

namespace box {

// Hands decoded EIT sections to eEPGCache, received now or at the time given.
void putIntoEpgCache(const scan::EventSection& section, std::optional<time_t> receivedAt = std::nullopt);

class EpgFeed : public demux::Feed {
public:
    explicit EpgFeed(demux::Transponders& transponders);
    ~EpgFeed() override;

    void streamTime(uint64_t now) override { m_now = now; }
    void streamPacket(const uint8_t* packet) override { m_collector.put(packet); }
    void streamRestarted() override { m_collector.restart(); }
    bool readable() const override { return false; }
    void transpondersGone() override;

    const scan::EitCollector& collector() const { return m_collector; }

private:
    demux::Transponders* m_transponders; // null once they are gone
    uint64_t m_now = 0;                  // the stream clock, nanoseconds
    scan::EitCollector m_collector;
};

} // namespace box
