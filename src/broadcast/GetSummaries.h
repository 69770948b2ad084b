#pragma once
// The live summary reader: one pass of the summary carousel (PID 0xD3, table 0x90)
// fills the summaries of every row of bufferdatas[0 .. nb_buffer - 1].
#include "host/eString.h"

#include <cstdint>

// Sections read before a pass gives up: far more than a week's carousel holds, so it
// only ends a stream that never comes round.
constexpr int kMaxSummarySectionsPerPass = 200000;

// Reads the carousel under a progress window captioned " Searching: " + title; the
// requested id's text goes to result (empty when it is not on air). 0 on success,
// -1 when the demux or its filter fails, -2 when no summary section can be found.
int readSummaryCarousel(uint32_t id, const eString& title, eString& result);
