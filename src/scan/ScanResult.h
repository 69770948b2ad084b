#pragma once
// What a service scan learns about one transport stream from its PAT, SDT actual and NIT actual.
#include <cstdint>
#include <string>
#include <vector>

namespace scan {

// Namespace of a stream whose NIT carries no satellite delivery descriptor
// (terrestrial and cable), as receivers of this family use it.
constexpr uint32_t kTerrestrialNamespace = 0xEEEE0000u;

struct ServiceInfo {
    uint16_t sid = 0;
    uint8_t type = 0;      // service_type of the service descriptor (0 when it has none)
    std::string name;      // UTF-8
    std::string provider;  // UTF-8
    uint16_t pmtPid = 0;   // from the PAT, 0 when the PAT does not list the service
};

struct ScanResult {
    bool havePat = false;
    bool haveSdt = false; // every section of SDT actual
    bool haveNit = false; // every section of NIT actual
    uint16_t tsid = 0;
    uint16_t onid = 0;
    uint16_t networkId = 0;
    std::string networkName; // UTF-8
    bool satellite = false;
    int orbitalPosition = 0; // tenths of a degree
    bool west = false;
    uint32_t dvbNamespace = kTerrestrialNamespace;
    std::vector<ServiceInfo> services; // in SDT order
    uint64_t packets = 0;              // packets looked at

    bool complete() const { return havePat && haveSdt && haveNit; }
    const ServiceInfo* service(uint16_t sid) const
    {
        for (const auto& s : services)
            if (s.sid == sid)
                return &s;
        return nullptr;
    }
};

// Orbital position (tenths of a degree) to DVB namespace: east positions as they are,
// west positions as 3600 minus the position, shifted into the upper 16 bits.
inline uint32_t satelliteNamespace(int position, bool west)
{
    const int p = west ? 3600 - position : position;
    return static_cast<uint32_t>(p & 0xFFFF) << 16;
}

} // namespace scan
