#pragma once
// Finds the services whose programme map lists both PIDs of the broadcaster's
// private EPG tables (titles on 0xD2; channels, themes and summaries on 0xD3), so
// that a box set up afresh knows which service to name as the guide's EPG service.
#include <cstdint>
#include <map>
#include <vector>

#include "ts/SectionReassembler.h"

namespace box {

class EpgCarrierFinder {
public:
    static constexpr uint16_t kTitlePid = 0xD2;
    static constexpr uint16_t kTablePid = 0xD3;

    // The services to look at: service id to PMT PID (from the PAT). A PID of 0 or
    // of the PAT itself is left out.
    explicit EpgCarrierFinder(const std::map<uint16_t, uint16_t>& pmtPids);
    EpgCarrierFinder(const EpgCarrierFinder&) = delete;
    EpgCarrierFinder& operator=(const EpgCarrierFinder&) = delete;

    // One 188-byte packet, sync byte first.
    void put(const uint8_t* packet) { m_reassembler.put(packet); }
    // Every wanted programme map has been seen once.
    bool done() const { return m_seen.size() == m_wanted.size(); }
    // The services seen to carry the guide, in ascending service id.
    std::vector<uint16_t> carriers() const;

private:
    void onSection(uint16_t pid, const uint8_t* section, size_t size);

    std::map<uint16_t, uint16_t> m_wanted; // service id -> PMT PID
    std::map<uint16_t, bool> m_seen;       // service id -> carries both EPG PIDs
    ts::SectionReassembler m_reassembler;
};

} // namespace box
