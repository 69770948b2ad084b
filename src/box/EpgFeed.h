#pragma once
// Fills the box's EPG cache and stream clock from the event information and time of
// the tuned stream as it plays: a listener on the transponders' packet feed beside the
// demux files.
#include <cstdint>

#include "demux/Feed.h"
#include "scan/EitCollector.h"

namespace demux {
class Transponders;
}

namespace box {

// Hands decoded EIT sections to eEPGCache.
void putIntoEpgCache(const scan::EventSection& section);

class EpgFeed : public demux::Feed {
public:
    explicit EpgFeed(demux::Transponders& transponders);
    ~EpgFeed() override;

    void streamTime(uint64_t now) override;
    void streamPacket(const uint8_t* packet) override { m_collector.put(packet); }
    void streamRestarted() override { m_collector.restart(); }
    bool readable() const override { return false; }
    void transpondersGone() override { m_transponders = nullptr; }

    const scan::EitCollector& collector() const { return m_collector; }

private:
    demux::Transponders* m_transponders;
    uint64_t m_now = 0;
    scan::EitCollector m_collector;
};

} // namespace box
