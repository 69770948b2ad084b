#pragma once
// Decoders of the broadcaster's private EPG sections (channel list 0x91, theme list
// 0x92, titles and summaries 0x90), one section each. Every length is checked
// against the bytes at hand; records that do not fit are dropped, never guessed.
#include "xmltv/Week.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>

namespace xmltv {

constexpr size_t kTitleSectionSize = 46;

std::vector<Channel> decodeChannels(const uint8_t* section, size_t size);
// Places the name records theme by theme: slot 0 of group g is theme g, the slots
// after it its sub-themes. Themes beyond 16 and sub-themes beyond their group's
// room are dropped.
std::array<std::string, kThemeSlots> decodeThemes(const uint8_t* section, size_t size);
// A 46-byte title section; nullopt for another length or the channel byte 0xFF.
std::optional<Title> decodeTitle(const uint8_t* section, size_t size);
// True when the section is a summary (longer than 11 bytes, FF FF FF, at most 9 entries).
bool isSummary(const uint8_t* section, size_t size);
// Summary id and text (up to the first NUL; carriage returns become "\n").
std::pair<uint32_t, std::string> decodeSummary(const uint8_t* section, size_t size);
// The UTC time of a TDT (0x70) or TOT (0x73) section, seconds since 1970.
std::optional<int64_t> decodeStreamTime(const uint8_t* section, size_t size);

// Bytes up to the first NUL of a padded text field, trailing blanks removed.
std::string paddedText(const uint8_t* bytes, size_t size);

} // namespace xmltv
