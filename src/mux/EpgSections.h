#pragma once
// Builders of the broadcaster's private EPG sections (short-form private sections,
// ISO/IEC 13818-1 2.4.4.10: section_syntax_indicator 0, length in bytes 1-2).
#include <cstdint>
#include <vector>

#include "mux/Model.h"

namespace mux {

constexpr uint16_t kTitlePid = 0xD2;
constexpr uint16_t kEpgPid = 0xD3;
constexpr uint8_t kCarouselTable = 0x90;
constexpr uint8_t kChannelTable = 0x91;
constexpr uint8_t kThemeTable = 0x92;
constexpr size_t kTitleSectionSize = 46;
constexpr size_t kMaxSectionSize = 4096;

// Channel list: 4 header bytes, then 22 bytes per channel, then extraBytes stray bytes.
std::vector<uint8_t> buildChannelSection(const std::vector<Channel>& channels, int extraBytes = 0);
// Theme list: start indices of the first 16 themes at bytes 3..18, then 15-byte name records.
std::vector<uint8_t> buildThemeSection(const std::vector<Theme>& themes, int extraBytes = 0);
// One programme: always 46 bytes.
std::vector<uint8_t> buildTitleSection(const Title& title, uint16_t eventId);
// One summary: 11 + 7n bytes of header and entries, then the text (and its NUL if it has one).
std::vector<uint8_t> buildSummarySection(const Summary& summary);

// Byte 5 of a title section.
inline uint8_t dayHourByte(uint8_t weekdayCode, uint8_t hourCode)
{
    return static_cast<uint8_t>(((weekdayCode & 7) << 5) | (hourCode & 0x1F));
}
// The hour an hour code stands for: 0-7 as is, 8-15 minus 2, 16-31 minus 4.
inline int hourOfCode(uint8_t code)
{
    return code >= 16 ? code - 4 : code >= 8 ? code - 2 : code;
}
// The usual code of an hour 0..23.
inline uint8_t codeOfHour(int hour)
{
    return static_cast<uint8_t>(hour < 6 ? hour : hour < 12 ? hour + 2 : hour + 4);
}

// Longest summary text that fits one section with n entries (and a NUL if wanted).
inline size_t maxSummaryText(size_t entries, bool nul)
{
    return kMaxSectionSize - 11 - 7 * entries - (nul ? 1 : 0);
}

} // namespace mux
