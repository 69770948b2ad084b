#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "mux/Config.h"
#include "mux/Model.h"

namespace mux {

// The whole transport stream of the EPG transponder for this config: SI, a steady
// PCR, the channel and theme lists several times a second, both carousels at their
// bit rates, and null packets at the constant mux rate.
std::vector<uint8_t> buildTransportStream(const Config& config);
std::vector<uint8_t> buildTransportStream(const Config& config, const Model& model);

// The same stream handed to sink piece by piece, in memory that does not grow with
// its length; false as soon as the sink returns false.
using StreamSink = std::function<bool(const uint8_t* data, size_t size)>;
bool writeTransportStream(const Config& config, const Model& model, const StreamSink& sink);

// Stream time of packet i at the config's mux rate, in 27 MHz units.
uint64_t packetTime27MHz(const Config& config, uint64_t packetIndex);

// Sections the junk option mixes into the carousels: other lengths and table ids.
std::vector<std::vector<uint8_t>> junkTitleSections();
std::vector<std::vector<uint8_t>> junkSummarySections();

} // namespace mux
