#pragma once
// The box's tuner side: the transport streams it can tune to, the demux device
// the plug-in programs, and the service database built by scanning the streams.
#include "box/BoxOptions.h"
#include "box/EpgFeed.h"
#include "demux/Transponders.h"
#include "host/service/eServiceReference.h"
#include "scan/ScanResult.h"

#include <ctime>
#include <memory>

#include <string>
#include <vector>

namespace box {

class Receiver {
public:
    // With on, the scan also looks for the service that carries the plug-in's guide
    // (a box set up afresh has none configured); call before setUp.
    void findEpgService(bool on) { m_findEpgService = on; }
    bool setUp(const BoxOptions& options, std::string* error);
    // The first scanned service whose programme map lists the EPG PIDs; invalid when
    // none does or findEpgService was off.
    const eServiceReference& epgService() const { return m_epgService; }
    demux::Transponders& transponders() { return m_transponders; }

private:
    void scanStreams();
    static scan::ScanResult scanStream(demux::TransportStream& stream, scan::EitCollector& epg);
    static std::vector<uint16_t> epgCarriers(demux::TransportStream& stream, const scan::ScanResult& result);
    void loadServiceFile();
    void keepScannedServices(); // into the service list, for starts without a stream
    void tuneAtStart(const BoxOptions& options);
    void tuned(int transponder);

    demux::Transponders m_transponders;
    // After the transponders: it leaves them first.
    std::unique_ptr<EpgFeed> m_epgFeed;
    std::vector<time_t> m_firstStreamTime; // per stream, from the scan; 0 when undated
    bool m_findEpgService = false;
    eServiceReference m_epgService;
};

} // namespace box
