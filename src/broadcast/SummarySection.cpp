#include "broadcast/SummarySection.h"

#include <cstring>

namespace {
constexpr int kEntrySize = 7;
constexpr int kMaxEntries = 9;
} // namespace

bool isSummarySection(const unsigned char* section, int length)
{
    return section && length > kSummaryHeader && section[7] == 0xFF && section[8] == 0xFF && section[9] == 0xFF &&
           section[10] <= kMaxEntries;
}

std::optional<SummarySection> decodeSummarySection(const unsigned char* section, int length)
{
    if (!isSummarySection(section, length))
        return std::nullopt;
    SummarySection s;
    s.id = (uint32_t(section[3]) << 24) | (uint32_t(section[4]) << 16) | (uint32_t(section[5]) << 8) | section[6];
    const int start = kSummaryHeader + kEntrySize * section[10];
    // Entries that run past the section leave no text rather than a read past it.
    if (start < length) {
        const char* text = reinterpret_cast<const char*>(section + start);
        const void* nul = std::memchr(text, 0, static_cast<size_t>(length - start));
        const size_t n = nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : static_cast<size_t>(length - start);
        s.text.assign(text, n);
    }
    return s;
}
