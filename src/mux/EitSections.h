#pragma once
// The sample broadcast's DVB event information (ETSI EN 300 468 5.2.4, PID 0x12): EIT
// present/following and schedule (actual) of every channel, made from the same week
// model as the title carousel: one event per programme, its event id the programme's
// running number in the carousel, its name the title and its short text the theme.
#include <cstdint>
#include <ctime>
#include <vector>

#include "mux/Config.h"
#include "mux/Model.h"

namespace mux {

constexpr uint16_t kEitPid = 0x12;

// Table 0x4E of every channel as it stands at utc: section 0 the programme running
// then (empty when none runs), section 1 the next one. The version follows the
// present programme, so it changes whenever the pair does.
std::vector<std::vector<uint8_t>> buildEitPresentFollowing(const Config& config, const Model& model, time_t utc);

// Tables 0x50.. of every channel: segments of three hours from midnight UTC of the
// day the stream's clock starts, eight sections at most each, empty segments sent as
// empty sections up to the last one used.
std::vector<std::vector<uint8_t>> buildEitSchedule(const Config& config, const Model& model);

} // namespace mux
