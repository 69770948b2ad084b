#pragma once
// Fills the box's EPG cache and stream clock from the event information and time of
// the tuned stream as it plays: a section tap on the transponders beside the demux files.
#include <cstdint>
#include <ctime>
#include <optional>

#include "demux/SectionTap.h"
#include "scan/EitCollector.h"

namespace demux {
class Transponders;
}

namespace box {

// Hands decoded EIT sections to eEPGCache, received now or at the time given.
void putIntoEpgCache(const scan::EventSection& section, std::optional<time_t> receivedAt = std::nullopt);

class EpgFeed {
public:
    explicit EpgFeed(demux::Transponders& transponders);
    ~EpgFeed();
    EpgFeed(const EpgFeed&) = delete;
    EpgFeed& operator=(const EpgFeed&) = delete;

    const scan::EitCollector& collector() const { return m_collector; }

private:
    demux::Transponders& m_transponders; // outlives the feed
    scan::EitCollector m_collector;
    demux::SectionTap m_tap;
};

} // namespace box
