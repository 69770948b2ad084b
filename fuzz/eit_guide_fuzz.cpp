// Arbitrary bytes into the EIT guide: as a run of SDT and EIT sections (lengths and
// CRC made right, table ids steered, so every section reaches the decoder), some of
// them from another transponder, and as text fields into the DVB text decoder. The
// guide read out must hold its promises: events in time order without overlaps, times
// within the 32-bit clock, every text valid UTF-8 that XML can carry.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzUtf8.h"
#include "scan/DvbText.h"
#include "scan/EitGuide.h"
#include "ts/Crc32.h"

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

bool cleanUtf8(const std::string& s) { return fuzzcheck::validUtf8(s, true); }

void checkService(const scan::GuideService& s)
{
    check(cleanUtf8(s.name) && cleanUtf8(s.provider));
    int64_t lastEnd = INT64_MIN;
    for (const auto& e : s.events) {
        check(e.start >= 0 && e.start + int64_t(e.duration) <= INT32_MAX);
        check(e.start >= lastEnd);
        lastEnd = e.start + std::max<int64_t>(e.duration, 1);
        for (const auto& t : e.titles)
            check(t.language.size() <= 3 && cleanUtf8(t.name) && cleanUtf8(t.text));
        for (const auto& x : e.extended) {
            check(cleanUtf8(x.text));
            for (const auto& i : x.items)
                check(cleanUtf8(i.description) && cleanUtf8(i.item));
        }
        for (const auto& c : e.content)
            check(c.level1 < 16 && c.level2 < 16);
        for (const auto& r : e.ratings)
            check(r.minimumAge() == 0 || (r.minimumAge() >= 4 && r.minimumAge() <= 18));
    }
}

constexpr uint8_t kTables[] = {0x42, 0x46, 0x4E, 0x4F, 0x50, 0x51, 0x60, 0x6F, 0x70, 0x73};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t mode = data[0];
    ++data;
    --size;
    if (mode & 1) {
        scan::DvbText text;
        check(cleanUtf8(text.decode(data, size)));
        std::vector<std::pair<const uint8_t*, size_t>> fields;
        for (size_t at = 0; at < size; at += 1 + (data[at] % 64))
            fields.emplace_back(data + at, std::min<size_t>(size - at, 1 + (data[at] % 64)));
        check(cleanUtf8(text.decodeJoined(fields)));
        return 0;
    }
    // Sections: [steer][length][body...] repeated; steer picks the table id and may
    // start another stream.
    scan::EitGuide guide;
    std::vector<uint8_t> s;
    for (size_t at = 0; at + 2 <= size;) {
        const uint8_t steer = data[at];
        const size_t n = std::min<size_t>(data[at + 1] * 16 + 3, size - at - 2);
        const uint8_t* body = data + at + 2;
        at += 2 + n;
        if (steer & 0x80)
            guide.nextStream();
        if (n < 3)
            continue;
        s.assign(body, body + n);
        s[0] = kTables[steer % sizeof kTables];
        s[1] |= 0x80;
        const size_t length = s.size() + 4 - 3;
        if (length > 0xFFF)
            continue;
        s[1] = static_cast<uint8_t>((s[1] & 0xF0) | (length >> 8));
        s[2] = static_cast<uint8_t>(length);
        const uint32_t crc = ts::crc32(s.data(), s.size());
        for (int shift = 24; shift >= 0; shift -= 8)
            s.push_back(static_cast<uint8_t>(crc >> shift));
        guide.putSection(s.data(), s.size());
    }
    size_t services = 0;
    guide.forEachService([&](const scan::GuideService& g) {
        checkService(g);
        ++services;
    });
    check(guide.services().size() == services);
    return 0;
}
