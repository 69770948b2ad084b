#pragma once
// One section of the summary carousel (PID 0xD3, table 0x90): a 32-bit summary id,
// three 0xFF bytes, a count n (0..9) of 7-byte entries, then the text.
#include "host/eString.h"

#include <cstdint>
#include <optional>

struct SummarySection {
    uint32_t id = 0;
    eString text; // bytes as sent, up to the first NUL or the end of the section
};

constexpr int kSummaryHeader = 11;

// True when the section is one the summary readers take: longer than its header,
// bytes 7..9 all 0xFF and at most 9 entries.
bool isSummarySection(const unsigned char* section, int length);
// The id and text of a section taken by the rule above; nothing otherwise.
std::optional<SummarySection> decodeSummarySection(const unsigned char* section, int length);
