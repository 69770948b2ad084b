#include "offline/ChannelThemeFiles.h"
#include "broadcast/DemuxAccess.h"
#include "broadcast/getCanaliTemi.h"
#include "frame/globals.h"
#include "offline/GepFile.h"
#include "offline/LogFileSet.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace offline {
namespace {
constexpr int kChannelHeader = 4;
constexpr int kChannelRecord = 22;
constexpr int kNameBytes = 16;

int be16(const unsigned char* p) { return (p[0] << 8) | p[1]; }
} // namespace

void writeChannelLines(FILE* out, const unsigned char* section, int length)
{
    decodeChannelSection(section, length); // nb_channels and channel_ids, at most 300
    for (int i = 0; i < nb_channels; ++i) {
        const unsigned char* r = section + kChannelHeader + kChannelRecord * i;
        char name[kNameBytes + 1] = {};
        std::memcpy(name, r + 6, kNameBytes);
        std::fprintf(out, "%s<>%02x:%02x:%02x\n", name, be16(r + 4), be16(r + 2), be16(r));
    }
}

void writeThemeLines(FILE* out, const unsigned char* section, int length)
{
    decodeThemeSection(section, length, false, [out](int slot, bool theme) {
        std::fprintf(out, "%s<>%02x<>%s\n", theme ? "THM" : "SUB", slot, temalist[slot].name);
    });
}

int logChannelsThemes(LogFileSet& files)
{
    int fd = openSectionFilter(kPidChannelsThemesSummaries, kTableChannels);
    if (fd < 0)
        return -1;
    int len = readSection(fd);
    if (len <= 0) {
        closeSectionFilter(fd);
        return -1;
    }
    FILE* channels = files.create(kChannelsFile);
    if (!channels) {
        closeSectionFilter(fd);
        return -1;
    }
    std::fprintf(channels, "LogDate=%d\n", logDate);
    // channel_paths stays as it is: the file carries the service references.
    writeChannelLines(channels, buffer, len);
    if (!files.finish(channels)) {
        closeSectionFilter(fd);
        return -1;
    }

    if (!dvbSetFiltSect(fd, kPidChannelsThemesSummaries, kTableThemes)) {
        closeSectionFilter(fd);
        return -1;
    }
    len = readSection(fd);
    closeSectionFilter(fd);
    if (len <= 0)
        return -1;
    FILE* themes = files.create(kThemesFile);
    if (!themes)
        return -1;
    std::fprintf(themes, "LogDate=%d\n", logDate);
    writeThemeLines(themes, buffer, len);
    return files.finish(themes) ? 0 : -1;
}

} // namespace offline

namespace {

void removeNewlines(std::string& s)
{
    s.erase(std::remove(s.begin(), s.end(), '\n'), s.end());
}

void readChannelLine(const std::string& line)
{
    // A channel line holds "<>"; the LogDate line has none. A line keeps its place
    // whatever its name, even an empty one: the titles name channels by place.
    size_t sep = line.find("<>");
    if (sep == std::string::npos || nb_channels >= kMaxChannels)
        return;
    std::string key = line.substr(sep + 2);
    removeNewlines(key);
    std::string sid = key.substr(0, key.find(':'));
    channel_ids[nb_channels] = static_cast<int>(std::strtoul(sid.c_str(), nullptr, 16) & 0xFFFF);
    channel_paths[nb_channels].sprintf("1:0:1:%s:%s:0:0:0:", key.c_str(), nsp_curr.c_str());
    ++nb_channels;
}

void readThemeLine(const std::string& line, int& head)
{
    bool theme = line.find("THM") != std::string::npos;
    if (!theme && line.find("SUB") == std::string::npos)
        return;
    size_t first = line.find("<>");
    size_t second = first == std::string::npos ? first : line.find("<>", first + 2);
    std::string name = second == std::string::npos ? std::string() : line.substr(second + 2);
    removeNewlines(name);
    placeThemeName(name.c_str(), name.size(), theme, true, head);
}

} // namespace

int getCanaliTemiOff()
{
    const std::string dir = offlinePath;
    offline::GepFile channels;
    if (!channels.open(dir, offline::kChannelsFile))
        return -3;
    nb_channels = 0;
    std::string line;
    while (channels.readLine(line))
        readChannelLine(line);

    offline::GepFile themes;
    if (!themes.open(dir, offline::kThemesFile))
        return -3;
    nb_themes = 0;
    int head = -1;
    while (themes.readLine(line))
        readThemeLine(line, head);
    readThCh = true;
    return 0;
}
