#pragma once
#include "mux/Config.h"
#include "mux/Model.h"

namespace mux {

// Generates the week the stream carries; the same config gives the same model.
Model generateModel(const Config& config);

// Local time of minute m (0 = 06:00) of broadcast day d counted from startDay.
time_t broadcastTime(time_t startDay, int day, int minuteOfDay);

} // namespace mux
