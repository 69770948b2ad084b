#pragma once
// The box's tuner side: the transport streams it can tune to, the demux device
// the plug-in programs, and the service database built by scanning the streams.
#include "box/BoxOptions.h"
#include "box/EpgFeed.h"
#include "demux/Transponders.h"
#include "scan/ScanResult.h"

#include <ctime>
#include <memory>

#include <string>
#include <vector>

namespace box {

class Receiver {
public:
    bool setUp(const BoxOptions& options, std::string* error);
    demux::Transponders& transponders() { return m_transponders; }

private:
    void scanStreams();
    static scan::ScanResult scanStream(demux::TransportStream& stream, scan::EitCollector& epg);
    void loadServiceFile();
    void keepScannedServices(); // into the service list, for starts without a stream
    void tuneAtStart(const BoxOptions& options);
    void tuned(int transponder);

    demux::Transponders m_transponders;
    // After the transponders: it leaves them first.
    std::unique_ptr<EpgFeed> m_epgFeed;
    std::vector<time_t> m_firstStreamTime; // per stream, from the scan; 0 when undated
};

} // namespace box
