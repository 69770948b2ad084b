#include "ts/Crc32.h"

#include <array>

namespace ts {
namespace {
// Slicing-by-8 tables: the CRC check runs over every section on the hot path.
struct Tables {
    std::array<std::array<uint32_t, 256>, 8> t{};
    Tables()
    {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i << 24;
            for (int k = 0; k < 8; ++k)
                c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : (c << 1);
            t[0][i] = c;
        }
        for (uint32_t i = 0; i < 256; ++i)
            for (int s = 1; s < 8; ++s)
                t[s][i] = (t[s - 1][i] << 8) ^ t[0][t[s - 1][i] >> 24];
    }
};
const Tables kTables;
} // namespace

uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc)
{
    const auto& t = kTables.t;
    while (size >= 8) {
        uint32_t hi = crc ^ ((uint32_t(data[0]) << 24) | (uint32_t(data[1]) << 16) | (uint32_t(data[2]) << 8) | data[3]);
        crc = t[7][hi >> 24] ^ t[6][(hi >> 16) & 0xFF] ^ t[5][(hi >> 8) & 0xFF] ^ t[4][hi & 0xFF]
            ^ t[3][data[4]] ^ t[2][data[5]] ^ t[1][data[6]] ^ t[0][data[7]];
        data += 8;
        size -= 8;
    }
    while (size >= 4) {
        crc ^= (uint32_t(data[0]) << 24) | (uint32_t(data[1]) << 16) | (uint32_t(data[2]) << 8) | data[3];
        crc = t[3][crc >> 24] ^ t[2][(crc >> 16) & 0xFF] ^ t[1][(crc >> 8) & 0xFF] ^ t[0][crc & 0xFF];
        data += 4;
        size -= 4;
    }
    while (size--)
        crc = (crc << 8) ^ t[0][((crc >> 24) ^ *data++) & 0xFF];
    return crc;
}
} // namespace ts
