#pragma once
// Helpers of the generator tests: a fixed start day and the sections of a stream.
#include <cstdint>
#include <map>
#include <vector>

#include "mux/Config.h"
#include "mux/StreamBuilder.h"
#include "ts/SectionReassembler.h"

namespace muxtest {

// Tuesday 8 December 2026, so weekdays are known.
inline mux::Config weekConfig()
{
    mux::Config cfg;
    cfg.startDay = mux::parseDay("2026-12-08");
    return cfg;
}

struct StreamSection {
    uint16_t pid;
    uint64_t packet; // index of the packet in which the section ended
    std::vector<uint8_t> bytes;
};

// Every section on the given PIDs, in stream order.
inline std::vector<StreamSection> sectionsOf(const std::vector<uint8_t>& ts, std::vector<uint16_t> pids)
{
    std::vector<StreamSection> out;
    uint64_t packet = 0;
    ts::SectionReassembler r([&](uint16_t pid, const uint8_t* s, size_t n) {
        out.push_back({pid, packet, std::vector<uint8_t>(s, s + n)});
    });
    for (uint16_t pid : pids)
        r.watch(pid);
    for (size_t i = 0; i + 188 <= ts.size(); i += 188, ++packet)
        r.put(ts.data() + i);
    return out;
}

inline uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
inline uint16_t be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }

} // namespace muxtest
