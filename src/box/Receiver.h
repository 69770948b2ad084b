#pragma once
// The box's tuner side: the transport streams it can tune to, the demux device
// the plug-in programs, and the service database built by scanning the streams.
#include "box/BoxOptions.h"
#include "demux/Transponders.h"
#include "scan/ScanResult.h"

#include <string>

namespace box {

class Receiver {
public:
    // Services the user adds by hand: "reference<TAB>name" per line.
    static constexpr const char* kServiceFile = "/var/tuxbox/config/services";

    bool setUp(const BoxOptions& options, std::string* error);
    demux::Transponders& transponders() { return m_transponders; }

private:
    void scanStreams();
    static scan::ScanResult scanStream(demux::TransportStream& stream);
    void loadServiceFile();
    void tuneAtStart(const BoxOptions& options);

    demux::Transponders m_transponders;
};

} // namespace box
