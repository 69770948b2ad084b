#include "mux/EpgSections.h"

#include <algorithm>

#include "mux/Bytes.h"

namespace mux {
namespace {
// Private section, no syntax: private_indicator and reserved bits set.
constexpr uint8_t kPrivateFlags = 0x70;
} // namespace

std::vector<uint8_t> buildChannelSection(const std::vector<Channel>& channels, int extraBytes)
{
    Bytes s = {kChannelTable, 0, 0, 0x01};
    const size_t room = (kMaxSectionSize - 4) / 22;
    for (size_t i = 0; i < channels.size() && i < room; ++i) {
        const Channel& c = channels[i];
        put16(s, c.onid);
        put16(s, c.tsid);
        put16(s, c.sid);
        putPadded(s, c.name, 16);
    }
    for (int k = 0; k < extraBytes && s.size() < kMaxSectionSize; ++k)
        put8(s, 0x20 + k);
    setSectionLength(s, kPrivateFlags);
    return s;
}

std::vector<uint8_t> buildThemeSection(const std::vector<Theme>& themes, int extraBytes)
{
    Bytes s = {kThemeTable, 0, 0};
    s.resize(19, 0); // start bytes of absent themes stay 0, which never matches a later record
    Bytes records;
    size_t k = 0;
    for (size_t g = 0; g < themes.size(); ++g) {
        if (g < 16)
            s[3 + g] = static_cast<uint8_t>(std::min<size_t>(k, 0xFF));
        putPadded(records, themes[g].name, 15);
        ++k;
        for (const auto& sub : themes[g].subThemes) {
            putPadded(records, sub, 15);
            ++k;
        }
    }
    const size_t room = (kMaxSectionSize - 19) / 15 * 15;
    records.resize(std::min(records.size(), room));
    s.insert(s.end(), records.begin(), records.end());
    for (int i = 0; i < extraBytes && s.size() < kMaxSectionSize; ++i)
        put8(s, 0x41 + i);
    setSectionLength(s, kPrivateFlags);
    return s;
}

std::vector<uint8_t> buildTitleSection(const Title& t, uint16_t eventId)
{
    Bytes s = {kCarouselTable, 0, 0};
    put8(s, t.channel);
    put8(s, t.themeSlot);
    put8(s, dayHourByte(t.weekdayCode, t.hourCode));
    put8(s, static_cast<unsigned>(t.minute) << 2);
    put16(s, eventId);
    put16(s, t.duration);
    putPadded(s, t.title, 23);
    put32(s, static_cast<uint32_t>(t.start)); // start time as seconds, for the broadcaster's own use
    put32(s, t.summaryId);
    finishWithCrc(s, kPrivateFlags);
    return s;
}

std::vector<uint8_t> buildSummarySection(const Summary& sum)
{
    Bytes s = {kCarouselTable, 0, 0};
    put32(s, sum.id);
    put8(s, 0xFF);
    put8(s, 0xFF);
    put8(s, 0xFF);
    put8(s, static_cast<unsigned>(sum.entries.size()));
    for (const auto& e : sum.entries)
        s.insert(s.end(), e.begin(), e.end());
    const size_t room = kMaxSectionSize - s.size() - (sum.nulTerminated ? 1 : 0);
    const size_t n = std::min(sum.text.size(), room);
    s.insert(s.end(), sum.text.begin(), sum.text.begin() + static_cast<std::ptrdiff_t>(n));
    if (sum.nulTerminated)
        put8(s, 0);
    setSectionLength(s, kPrivateFlags);
    return s;
}

} // namespace mux
