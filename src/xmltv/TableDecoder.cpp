#include "xmltv/TableDecoder.h"

namespace xmltv {
namespace {

uint16_t be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
int bcd(uint8_t b) { return (b >> 4) * 10 + (b & 0x0F); }

constexpr size_t kChannelHeader = 4;
constexpr size_t kChannelRecord = 22;
constexpr size_t kThemeHeader = 19;
constexpr size_t kThemeRecord = 15;
constexpr int kThemeGroups = 16;

} // namespace

void toBroadcastDay(int weekday, int hour, int minute, Title& t)
{
    if (hour <= 5) {
        t.day = (weekday + 6) % 7;
        t.minuteOfDay = (hour + 24) * 60 + minute;
    } else {
        t.day = weekday;
        t.minuteOfDay = hour * 60 + minute;
    }
}

std::string paddedText(const uint8_t* bytes, size_t size)
{
    size_t n = 0;
    while (n < size && bytes[n])
        ++n;
    while (n > 0 && bytes[n - 1] == ' ')
        --n;
    return std::string(reinterpret_cast<const char*>(bytes), n);
}

std::vector<Channel> decodeChannels(const uint8_t* section, size_t size)
{
    std::vector<Channel> out;
    for (size_t at = kChannelHeader; size >= kChannelRecord && at <= size - kChannelRecord; at += kChannelRecord) {
        const uint8_t* r = section + at;
        out.push_back(Channel{be16(r), be16(r + 2), be16(r + 4), paddedText(r + 6, 16)});
    }
    return out;
}

std::array<std::string, kThemeSlots> decodeThemes(const uint8_t* section, size_t size)
{
    std::array<std::string, kThemeSlots> slots;
    if (size < kThemeHeader)
        return slots;
    const size_t records = (size - kThemeHeader) / kThemeRecord;
    int themes = 0;
    int head = -1;  // slot of the current theme
    int used = 0;   // slots the current theme's group uses
    for (size_t k = 0; k < records; ++k) {
        const std::string name = paddedText(section + kThemeHeader + k * kThemeRecord, kThemeRecord);
        // The start byte of the next theme to come decides, so themes are taken strictly in order.
        if (themes < kThemeGroups && section[3 + themes] == k) {
            head = themes * 16;
            used = 1;
            slots[head] = name;
            ++themes;
            continue;
        }
        // A sub-theme: dropped before the first theme and beyond its group's room.
        if (head < 0 || used >= 16 || head + used >= kThemeSlots)
            continue;
        slots[head + used] = name;
        ++used;
    }
    return slots;
}

std::optional<Title> decodeTitle(const uint8_t* s, size_t size)
{
    if (size != kTitleSectionSize || s[3] == 0xFF || s[3] == 0)
        return std::nullopt;
    Title t;
    t.channelIndex = s[3] - 1;
    t.themeSlot = s[4];
    int weekday = s[5] >> 5;
    if (weekday == 7)
        weekday = 0;
    const int code = s[5] & 0x1F;
    const int hour = code >= 16 ? code - 4 : code >= 8 ? code - 2 : code;
    toBroadcastDay(weekday, hour, s[6] >> 2, t);
    t.duration = be16(s + 9);
    t.title = paddedText(s + 11, 23);
    t.summaryId = be32(s + 38);
    return t;
}

bool isSummary(const uint8_t* s, size_t size)
{
    return size > 11 && s[7] == 0xFF && s[8] == 0xFF && s[9] == 0xFF && s[10] <= 9;
}

std::pair<uint32_t, std::string> decodeSummary(const uint8_t* s, size_t size)
{
    std::string text;
    for (size_t at = 11 + 7 * size_t(s[10]); at < size && s[at]; ++at) {
        if (s[at] == '\r' && at + 1 < size && s[at + 1] == '\n')
            continue; // CR LF is one line break
        text += s[at] == '\r' ? '\n' : static_cast<char>(s[at]);
    }
    return {be32(s + 3), text};
}

std::optional<int64_t> decodeStreamTime(const uint8_t* s, size_t size)
{
    if (size < 8 || (s[0] != 0x70 && s[0] != 0x73))
        return std::nullopt;
    const int mjd = be16(s + 3);
    const int h = bcd(s[5]), m = bcd(s[6]), sec = bcd(s[7]);
    if (mjd == 0 || h > 23 || m > 59 || sec > 59)
        return std::nullopt;
    // Modified Julian Date 40587 is 1970-01-01 (EN 300 468 annex C).
    return (int64_t(mjd) - 40587) * 86400 + h * 3600 + m * 60 + sec;
}

} // namespace xmltv
