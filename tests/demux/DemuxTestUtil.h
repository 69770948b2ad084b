#pragma once
// Streams and section builders for the demux tests.
#include <cstdint>
#include <vector>

#include "ts/Crc32.h"
#include "ts/Packetizer.h"

namespace demuxtest {

using Bytes = std::vector<uint8_t>;

// Long-form section with a valid CRC; byte 8 carries a sequence number.
inline Bytes section(uint8_t tableId, uint8_t seq, size_t total)
{
    Bytes s(total, 0x5A);
    size_t length = total - 3;
    s[0] = tableId;
    s[1] = uint8_t(0xB0 | (length >> 8));
    s[2] = uint8_t(length);
    s[3] = 0;
    s[4] = seq;
    s[5] = 0xC1;
    s[6] = s[7] = 0;
    s[8] = seq;
    uint32_t crc = ts::crc32(s.data(), total - 4);
    for (int i = 0; i < 4; ++i)
        s[total - 4 + i] = uint8_t(crc >> (24 - 8 * i));
    return s;
}

inline void nulls(Bytes& out, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        ts::appendNullPacket(out);
}

} // namespace demuxtest
