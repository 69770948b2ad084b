#pragma once
// Byte-level helpers shared by the section builders.
#include <cstdint>
#include <string>
#include <vector>

#include "ts/Crc32.h"

namespace mux {

using Bytes = std::vector<uint8_t>;

inline void put8(Bytes& b, unsigned v) { b.push_back(static_cast<uint8_t>(v)); }
inline void put16(Bytes& b, unsigned v)
{
    b.push_back(static_cast<uint8_t>(v >> 8));
    b.push_back(static_cast<uint8_t>(v));
}
inline void put32(Bytes& b, uint32_t v)
{
    put16(b, v >> 16);
    put16(b, v & 0xFFFF);
}
// Writes text into exactly width bytes, NUL padded (no terminator when full).
inline void putPadded(Bytes& b, const std::string& text, size_t width)
{
    for (size_t i = 0; i < width; ++i)
        b.push_back(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
}

// Sets the 12-bit section_length of bytes 1-2 from the vector's size; the flag
// bits in the high nibble of byte 1 are given by the caller.
inline void setSectionLength(Bytes& s, uint8_t flags)
{
    const size_t len = s.size() - 3;
    s[1] = static_cast<uint8_t>(flags | ((len >> 8) & 0x0F));
    s[2] = static_cast<uint8_t>(len & 0xFF);
}

// Closes a section that ends in a CRC-32: length first (it covers the CRC), then the CRC.
inline void finishWithCrc(Bytes& s, uint8_t flags)
{
    s.resize(s.size() + 4);
    setSectionLength(s, flags);
    s.resize(s.size() - 4);
    put32(s, ts::crc32(s.data(), s.size()));
}

} // namespace mux
