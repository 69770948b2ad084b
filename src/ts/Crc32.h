#pragma once
#include <cstddef>
#include <cstdint>

namespace ts {
// CRC-32/MPEG-2 (ISO/IEC 13818-1 Annex A): poly 0x04C11DB7, init 0xFFFFFFFF, no reflection, no final xor.
// Over a whole section including its CRC field the result is 0.
uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc = 0xFFFFFFFFu);
} // namespace ts
