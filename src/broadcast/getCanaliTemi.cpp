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

int placeThemeName(const char* name, size_t length, bool theme, bool lowered, int& head)
{
    int slot;
    if (theme) {
        // Only 16 groups exist: a 17th theme and its sub-themes have no place.
        if (nb_themes >= kThemeGroups) {
            head = -1;
            return -1;
        }
        head = nb_themes * kGroupSlots;
        temalist[head].count = 0;
        slot = head;
        ++nb_themes;
    } else {
        // A sub-theme before any theme, or beyond its group's room, is dropped.
        if (head < 0 || temalist[head].count >= groupRoom(head))
            return -1;
        slot = head + temalist[head].count;
    }
    TemaEntry& entry = temalist[slot];
    size_t n = length < kThemeRecord ? length : kThemeRecord;
    std::memset(entry.name, 0, sizeof entry.name);
    std::memcpy(entry.name, name, n);
    if (lowered)
        tolower(entry.name);
    ++temalist[head].count;
    return slot;
}

void decodeThemeSection(const unsigned char* section, int length, bool lowered,
                        const std::function<void(int slot, bool theme)>& placed)
{
    int m = length < kThemeHeader ? 0 : (length - kThemeHeader) / kThemeRecord;
    nb_themes = 0;
    int head = -1; // no theme yet: records before the first theme's start are dropped
    for (int k = 0; k < m; ++k) {
        const char* record = reinterpret_cast<const char*>(section + kThemeHeader + kThemeRecord * k);
        // Themes are recognised strictly in order, by the start byte of the next one to come.
        bool theme = nb_themes < kThemeGroups && section[kThemeStartBytes + nb_themes] == k;
        int slot = placeThemeName(record, kThemeRecord, theme, lowered, head);
        if (slot >= 0 && placed)
            placed(slot, theme);
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
