#pragma once
// Section builders shared by the transport stream tests.
#include <cstdint>
#include <vector>

#include "ts/Crc32.h"

namespace tstest {

// A long-form section of the given total size (>= 12) with a valid CRC-32.
inline std::vector<uint8_t> makeSection(uint8_t tableId, uint16_t extension, size_t total, uint8_t fill = 0)
{
    std::vector<uint8_t> s(total, 0);
    size_t length = total - 3;
    s[0] = tableId;
    s[1] = uint8_t(0xB0 | ((length >> 8) & 0x0F));
    s[2] = uint8_t(length & 0xFF);
    s[3] = uint8_t(extension >> 8);
    s[4] = uint8_t(extension & 0xFF);
    s[5] = 0xC1;
    for (size_t i = 8; i + 4 < total; ++i)
        s[i] = uint8_t(fill + i);
    uint32_t crc = ts::crc32(s.data(), total - 4);
    s[total - 4] = uint8_t(crc >> 24);
    s[total - 3] = uint8_t(crc >> 16);
    s[total - 2] = uint8_t(crc >> 8);
    s[total - 1] = uint8_t(crc);
    return s;
}

// Appends a 16-bit field, most significant byte first.
inline void put16(std::vector<uint8_t>& b, unsigned v)
{
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}

// Sets section_length for a section built up to its CRC and appends the CRC-32.
inline void finishSection(std::vector<uint8_t>& s)
{
    const size_t len = s.size() + 4 - 3;
    s[1] = uint8_t((s[1] & 0xF0) | (len >> 8));
    s[2] = uint8_t(len);
    const uint32_t crc = ts::crc32(s.data(), s.size());
    put16(s, crc >> 16);
    put16(s, crc & 0xFFFF);
}

} // namespace tstest
