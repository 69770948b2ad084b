#include "broadcast/getCanaliTemi.h"
#include "broadcast/DemuxAccess.h"
#include "frame/globals.h"

#include <cstring>

namespace {
constexpr int kChannelHeader = 4;
constexpr int kChannelRecord = 22;
constexpr int kThemeHeader = 19;
constexpr int kThemeRecord = 15;
constexpr int kThemeStartBytes = 3;

int be16(const unsigned char* p) { return (p[0] << 8) | p[1]; }

void storeThemeName(int slot, const unsigned char* record)
{
    std::memcpy(temalist[slot].name, record, kThemeRecord);
    temalist[slot].name[kThemeRecord] = '\0';
    tolower(temalist[slot].name);
}

// Slots a group may use: 16, except the last group, which the 255-record table cuts to 15.
int groupRoom(int head) { return head + kGroupSlots <= kThemeRecords ? kGroupSlots : kThemeRecords - head; }
} // namespace

void decodeChannelSection(const unsigned char* section, int length)
{
    // A section too short for its header is an empty list; more records than the table holds are dropped.
    int n = length < kChannelHeader ? 0 : (length - kChannelHeader) / kChannelRecord;
    if (n > kMaxChannels)
        n = kMaxChannels;
    nb_channels = n;
    for (int i = 0; i < n; ++i) {
        const unsigned char* r = section + kChannelHeader + kChannelRecord * i;
        int onid = be16(r), tsid = be16(r + 2), sid = be16(r + 4);
        channel_ids[i] = sid;
        channel_paths[i] = serviceRefText(sid, tsid, onid);
    }
}

void decodeThemeSection(const unsigned char* section, int length)
{
    int m = length < kThemeHeader ? 0 : (length - kThemeHeader) / kThemeRecord;
    nb_themes = 0;
    int head = -1; // no theme yet: records before the first theme's start are dropped
    for (int k = 0; k < m; ++k) {
        const unsigned char* record = section + kThemeHeader + kThemeRecord * k;
        // Only 16 start bytes exist, so a 17th theme cannot be announced.
        if (nb_themes < kThemeGroups && section[kThemeStartBytes + nb_themes] == k) {
            head = nb_themes * kGroupSlots;
            storeThemeName(head, record);
            temalist[head].count = 1;
            ++nb_themes;
        } else if (head >= 0 && temalist[head].count < groupRoom(head)) {
            storeThemeName(head + temalist[head].count, record);
            ++temalist[head].count;
        }
        // Otherwise the sub-theme has no room in its group and is dropped.
    }
}

int getCanaliTemi()
{
    int fd = openSectionFilter(kPidChannelsThemesSummaries, kTableChannels);
    if (fd < 0)
        return -1;
    int len = readSection(fd);
    if (len <= 0) {
        closeSectionFilter(fd);
        return -2;
    }
    decodeChannelSection(buffer, len);

    if (!dvbSetFiltSect(fd, kPidChannelsThemesSummaries, kTableThemes)) {
        closeSectionFilter(fd);
        return -1;
    }
    len = readSection(fd);
    closeSectionFilter(fd);
    if (len <= 0)
        return -2;
    decodeThemeSection(buffer, len);
    readThCh = true;
    return 0;
}
