#include "scan/SiTime.h"

#include "scan/EventSection.h"
#include "ts/Crc32.h"

namespace scan {
namespace {

std::optional<int> bcd(uint8_t v)
{
    const int hi = v >> 4, lo = v & 0x0F;
    if (hi > 9 || lo > 9)
        return std::nullopt;
    return hi * 10 + lo;
}

} // namespace

std::optional<int64_t> decodeUtc(const uint8_t* p)
{
    if (p[0] == 0xFF && p[1] == 0xFF && p[2] == 0xFF && p[3] == 0xFF && p[4] == 0xFF)
        return std::nullopt;
    const int mjd = (p[0] << 8) | p[1];
    const auto h = bcd(p[2]), m = bcd(p[3]), s = bcd(p[4]);
    if (!h || !m || !s || *h > 23 || *m > 59 || *s > 59 || mjd < kMjdUnixEpoch)
        return std::nullopt;
    return int64_t(mjd - kMjdUnixEpoch) * 86400 + *h * 3600 + *m * 60 + *s;
}

std::optional<uint32_t> decodeDuration(const uint8_t* p)
{
    if (p[0] == 0xFF && p[1] == 0xFF && p[2] == 0xFF)
        return 0;
    const auto h = bcd(p[0]), m = bcd(p[1]), s = bcd(p[2]);
    if (!h || !m || !s || *m > 59 || *s > 59)
        return std::nullopt;
    return uint32_t(*h * 3600 + *m * 60 + *s);
}

std::optional<int64_t> decodeTimeSection(const uint8_t* section, size_t size)
{
    if (size < 8 || size != 3 + ((size_t(section[1] & 0x0F) << 8) | section[2]))
        return std::nullopt;
    if (section[0] == kTdt) {
        if (size != 8)
            return std::nullopt;
    } else if (section[0] == kTot) {
        // The TOT is a short-form section that still ends in a CRC-32.
        if (size < 14 || ts::crc32(section, size) != 0)
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    return decodeUtc(section + 3);
}

} // namespace scan
