#pragma once
// DVB time fields (ETSI EN 300 468 Annex C): a 16-bit Modified Julian Date and a BCD
// time of day, and durations in BCD; and the time carried by TDT and TOT sections.
#include <cstddef>
#include <cstdint>
#include <optional>

namespace scan {

// MJD of 1970-01-01.
constexpr int kMjdUnixEpoch = 40587;

// The 40-bit UTC field at p as seconds since 1970. Nothing for a field with all bits
// set (undefined), BCD digits above 9, a time of day past 23:59:59 or a date before 1970.
std::optional<int64_t> decodeUtc(const uint8_t* p);
// The 24-bit BCD duration hh:mm:ss at p in seconds; nothing for bad digits or minutes
// and seconds above 59. All bits set (undefined) gives 0.
std::optional<uint32_t> decodeDuration(const uint8_t* p);
// A whole TDT (table 0x70) or TOT (table 0x73, CRC-32 checked) section: its UTC time.
std::optional<int64_t> decodeTimeSection(const uint8_t* section, size_t size);

} // namespace scan
