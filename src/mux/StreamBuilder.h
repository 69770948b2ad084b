#pragma once
#include <cstdint>
#include <vector>

#include "mux/Config.h"
#include "mux/Model.h"

namespace mux {

// The whole transport stream of the EPG transponder for this config: SI, a steady
// PCR, the channel and theme lists several times a second, both carousels at their
// bit rates, and null packets at the constant mux rate.
std::vector<uint8_t> buildTransportStream(const Config& config);
std::vector<uint8_t> buildTransportStream(const Config& config, const Model& model);

// Stream time of packet i at the config's mux rate, in 27 MHz units.
uint64_t packetTime27MHz(const Config& config, uint64_t packetIndex);

// Sections the junk option mixes into the carousels: other lengths and table ids.
std::vector<std::vector<uint8_t>> junkTitleSections();
std::vector<std::vector<uint8_t>> junkSummarySections();

} // namespace mux
