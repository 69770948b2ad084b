// Arbitrary bytes down the EIT path: as one section (length and CRC made right, so
// the decoder and libdvbv5 behind it see everything else as it comes), as a TDT/TOT,
// and as transport packets through the collector. Nothing may crash or read beyond
// its input, and every text that comes out is UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzUtf8.h"
#include "scan/EitCollector.h"
#include "scan/EitDecoder.h"
#include "scan/SiTime.h"
#include "ts/Crc32.h"

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

using fuzzcheck::validUtf8;

void checkSection(const scan::EventSection& s)
{
    check(scan::isEitTable(s.key.tableId));
    for (const auto& e : s.events) {
        check(e.start >= 0);
        for (const auto& t : e.texts) {
            check(t.language.size() <= 3);
            check(validUtf8(t.name) && validUtf8(t.text));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t mode = data[0];
    ++data;
    --size;
    if (mode & 1) {
        // As packets: the collector's own CRC check lets little through, but reassembly,
        // filtering and the time sections still run.
        scan::EitCollector collector(checkSection, [](int64_t utc) { check(utc >= 0); });
        std::vector<uint8_t> packet(188);
        for (size_t at = 0; at < size; at += 187) {
            packet[0] = 0x47;
            const size_t n = std::min<size_t>(187, size - at);
            std::fill(packet.begin() + 1, packet.end(), 0xFF);
            std::copy(data + at, data + at + n, packet.begin() + 1);
            collector.put(packet.data());
        }
        return 0;
    }
    // As one section of at most 4096 bytes: table id and syntax bit forced half the time.
    if (size < 3 || size > 4096 - 4)
        return 0;
    std::vector<uint8_t> s(data, data + size);
    if (mode & 2) {
        s[0] = static_cast<uint8_t>(0x4E + (s[0] % 0x22));
        s[1] |= 0x80;
    }
    const size_t length = s.size() + 4 - 3;
    s[1] = static_cast<uint8_t>((s[1] & 0xF0) | (length >> 8));
    s[2] = static_cast<uint8_t>(length);
    const uint32_t crc = ts::crc32(s.data(), s.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        s.push_back(static_cast<uint8_t>(crc >> shift));
    scan::EitDecoder decoder;
    if (auto r = decoder.decode(s.data(), s.size()))
        checkSection(*r);
    if (auto t = scan::decodeTimeSection(s.data(), s.size()))
        check(*t >= 0);
    return 0;
}
