#include "broadcast/TitleRecord.h"
#include "frame/globals.h"

#include <cstring>

namespace {
constexpr int kChannelByte = 3;
constexpr int kThemeByte = 4;
constexpr int kDayHourByte = 5;
constexpr int kMinuteByte = 6;
constexpr int kDurationByte = 9;
constexpr int kTitleByte = 11;
constexpr int kSummaryIdByte = 38;
} // namespace

bool TitleRecord::channelValid() const { return channel >= 1 && channel <= nb_channels && channel <= kMaxChannels; }

bool TitleRecord::themeValid() const { return themeSlot >= 0 && themeSlot < kThemeRecords; }

int decodeTitleHour(int code)
{
    if (code >= 16)
        return code - 4;
    if (code >= 8)
        return code - 2;
    return code;
}

void decodeTitleDayHour(uint8_t byte5, bool earlyMorning, int& day, int& hour)
{
    day = byte5 >> 5;
    if (day == 7)
        day = 0;
    hour = decodeTitleHour(byte5 & 0x1F);
    if (earlyMorning && hour <= 5)
        day = day == 0 ? 6 : day - 1;
}

bool earlyMorningRule() { return nsp_curr.find("8200") != eString::npos; }

bool decodeTitleRecord(const uint8_t* section, int length, bool earlyMorning, TitleRecord& out)
{
    if (length != kTitleSectionLength)
        return false;
    out.channel = section[kChannelByte];
    out.themeSlot = section[kThemeByte];
    decodeTitleDayHour(section[kDayHourByte], earlyMorning, out.day, out.hour);
    out.minute = section[kMinuteByte] >> 2;
    out.duration = (section[kDurationByte] << 8) | section[kDurationByte + 1];
    out.summaryId = (uint32_t(section[kSummaryIdByte]) << 24) | (uint32_t(section[kSummaryIdByte + 1]) << 16) |
                    (uint32_t(section[kSummaryIdByte + 2]) << 8) | section[kSummaryIdByte + 3];
    std::memcpy(out.title, section + kTitleByte, kTitleTextLength);
    out.title[kTitleTextLength] = '\0';
    tolower(out.title);
    return true;
}

int DayChangeCounter::file(int day)
{
    if (m_changes > 7)
        day = 7;
    if (day != m_previous) {
        ++m_changes;
        if (m_changes > 7)
            day = 7;
    }
    m_previous = day;
    return day;
}
