#pragma once
// The generated week as UTF-8 text, for people and for tests that must say which
// rows a listing shows: channels, themes, then for every broadcast day a "day" line
// followed by its programmes in carousel order, then the summaries.
#include "mux/Model.h"

#include <cstdio>

namespace mux {

// Writes the listing; false when writing failed.
bool writeWeekListing(FILE* out, const Model& model);

// Local midnight of the broadcast day running now: today, or yesterday before 06:00.
time_t currentBroadcastDay();

} // namespace mux
