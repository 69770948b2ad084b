#include "config/ConfigFile.h"

#include "config/ConfigLine.h"
#include "config/OutOfDateWarning.h"
#include "frame/globals.h"
#include "host/platform/AtomicFile.h"
#include "host/platform/FileSystem.h"
#include "host/platform/Log.h"
#include "host/service/eServiceInterface.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kCandidatePaths[] = {
    "/var/tuxbox/plugins/orvalis.cfg",
    "/lib/tuxbox/plugins/orvalis.cfg",
    "/usr/lib/tuxbox/plugins/orvalis.cfg",
};

time_t systemNow() { return time(nullptr); }
time_t (*g_now)() = systemNow;

void applyEpgService(const std::string& line)
{
    // The reference ends at the last ':'; whatever follows (a path, the newline) is dropped.
    std::string value = cfgline::lineValue(line);
    size_t colon = value.rfind(':');
    if (colon != std::string::npos)
        value.erase(colon + 1);
    EPGService = eServiceReference(eString(value));

    eServiceInterface* services = eServiceInterface::getInstance();
    if (eService* record = services->addRef(EPGService)) {
        if (record->dvb)
            nsp_curr.sprintf("%x", static_cast<unsigned>(record->dvb->dvb_namespace.get()));
        services->removeRef(EPGService);
    }
}

void applyLogDate(const std::string& line)
{
    logDate = cfgline::parseNumber(cfgline::lineValue(line));
    // Compared in 64 bits: a LogDate near INT_MAX must not overflow the sum.
    if (offlinelog == 1 && static_cast<long long>(g_now()) > static_cast<long long>(logDate) + kOfflineDataMaxAge)
        showOutOfDateWarning();
}

void applyChannelFilters(const std::string& line)
{
    std::string value = cfgline::lineValue(line);
    size_t count = value.size() < static_cast<size_t>(kMaxChannels) ? value.size() : kMaxChannels;
    for (size_t k = 0; k < count; ++k)
        channFilter[k] = eString(1, value[k]);
}

void applySearchString(const std::string& line)
{
    eString text(cfgline::valueAfter(line, '>'));
    if (nb_search < kMaxSearches) {
        lastSearch[nb_search++] = text;
        return;
    }
    // Table full: the oldest string gives way, so the ten newest (the last ten read) stay.
    for (int i = 1; i < kMaxSearches; ++i)
        lastSearch[i - 1] = lastSearch[i];
    lastSearch[kMaxSearches - 1] = text;
}

template <int* Target>
void applyNumber(const std::string& line)
{
    *Target = cfgline::parseNumber(cfgline::lineValue(line));
}

void applyFontSizes(const std::string& line)
{
    int sizes[2];
    cfgline::parseNumberList(cfgline::lineValue(line), sizes, 2);
    listaPv = sizes[0];
    listaGv = sizes[1];
    listaP = gFont("Nimbus", listaPv);
    listaG = gFont("Nimbus", listaGv);
}

void applyOfflinePath(const std::string& line) { offlinePath = eString(cfgline::lineValue(line)); }

void applyLogCounts(const std::string& line)
{
    int counts[4];
    cfgline::parseNumberList(cfgline::lineValue(line), counts, 4);
    // nb_channels also counts channel-table and filter entries, which hold 300.
    nb_channels = counts[0] < 0 ? 0 : (counts[0] > kMaxChannels ? kMaxChannels : counts[0]);
    nb_themes = counts[1];
    nb_titles = counts[2];
    nb_summaries = counts[3];
    TotCh = nb_channels;
    TotTh = nb_themes;
    TotTi = nb_titles;
    TotSu = nb_summaries;
}

void applyLogPositions(const std::string& line)
{
    cfgline::parseNumberList(cfgline::lineValue(line), sizeposition, 8);
}

void applyLine(const std::string& line)
{
    // Tested in this order; the first key found anywhere in the line decides, so a
    // search string holding "TimerEnd" is read as the TimerEnd setting.
    static const struct {
        const char* key;
        void (*apply)(const std::string& line);
    } kKeys[] = {
        {"type=", applyNumber<&pluginType>},
        {"EPGService", applyEpgService},
        {"FontDim=", applyFontSizes},
        {"TimerStart", applyNumber<&startOffs>},
        {"TimerEnd", applyNumber<&endOffs>},
        {"LocalTimeOffset", applyNumber<&localOffs>},
        {"OfflinePath", applyOfflinePath},
        {"OfflineLog", applyNumber<&offlinelog>},
        {"LogDate", applyLogDate},
        {"LogValue", applyLogCounts},
        {"LogPos", applyLogPositions},
        {"channFilters", applyChannelFilters},
        {">", applySearchString},
    };
    for (const auto& k : kKeys) {
        if (line.find(k.key) != std::string::npos) {
            k.apply(line);
            return;
        }
    }
}

char filterFlag(const eString& flag)
{
    // Only "1" shows a channel, so anything else is written as hidden; writing
    // nothing would shift every later channel's flag on the next read.
    return flag == "1" ? '1' : '0';
}

bool writeSettings(FILE* f)
{
    fprintf(f, "name=Orvalis\n");
    fprintf(f, "desc=Weekly programme guide\n");
    fprintf(f, "depend=\n");
    fprintf(f, "type=%d\n", pluginType);
    fprintf(f, "needfb=0\n");
    fprintf(f, "needrc=0\n");
    fprintf(f, "needlcd=0\n");
    fprintf(f, "enigmaplugin=1\n");
    fprintf(f, "EPGService=%s\n", EPGService.toString().c_str());
    fprintf(f, "FontDim=%d,%d\n", listaPv, listaGv);
    fprintf(f, "TimerStart=%d\n", startOffs);
    fprintf(f, "TimerEnd=%d\n", endOffs);
    fprintf(f, "LocalTimeOffset=%d\n", localOffs);

    fprintf(f, "channFilters=");
    int channels = nb_channels < 0 ? 0 : (nb_channels > kMaxChannels ? kMaxChannels : nb_channels);
    for (int i = 0; i < channels; ++i)
        fputc(filterFlag(channFilter[i]), f);
    fprintf(f, "\n");

    fprintf(f, "OfflinePath=%s\n", offlinePath.c_str());
    fprintf(f, "OfflineLog=%d\n", offlinelog);
    fprintf(f, "LogDate=%d\n", logDate);
    fprintf(f, "LogValue=%d,%d,%d,%d\n", nb_channels, nb_themes, nb_titles, nb_summaries);
    fprintf(f, "LogPos=%d,%d,%d,%d,%d,%d,%d,%d\n", sizeposition[0], sizeposition[1], sizeposition[2],
            sizeposition[3], sizeposition[4], sizeposition[5], sizeposition[6], sizeposition[7]);

    fprintf(f, "LastSearch:\n");
    // The table holds the ten newest, oldest first; a count beyond it never reads past it.
    int used = nb_search < 0 ? 0 : (nb_search > kMaxSearches ? kMaxSearches : nb_search);
    for (int i = 0; i < used; ++i)
        if (!lastSearch[i].empty())
            fprintf(f, ">%s\n", lastSearch[i].c_str());
    return ferror(f) == 0;
}

// Settings files are a few kilobytes; anything beyond this is not one.
constexpr size_t kMaxConfigBytes = 1 << 20;

} // namespace

void setConfigClock(time_t (*now)()) { g_now = now ? now : systemNow; }

void LoadCfg()
{
    nb_search = 0;
    for (auto& flag : channFilter)
        flag = "1";
    nb_channels = kMaxChannels;

    // Forget a file found by an earlier start, so WriteCfg never recreates one that is gone.
    dirplugin[0] = '\0';
    filecfg = nullptr;
    std::string text;
    for (const char* path : kCandidatePaths) {
        std::string error;
        if (host::readRegularFile(path, &text, kMaxConfigBytes, &error)) {
            snprintf(dirplugin, sizeof dirplugin, "%s", path);
            break;
        }
        // A FIFO, a folder or a huge file in its place is reported and passed over, never read.
        if (errno != ENOENT)
            host::logMessage("orvalis", "settings not read: %s", error.c_str());
    }
    if (dirplugin[0] == '\0' || text.empty())
        return;

    filecfg = fmemopen(&text[0], text.size(), "r");
    if (!filecfg)
        return;
    std::string line;
    while (cfgline::readWholeLine(filecfg, line))
        applyLine(line);

    fclose(filecfg);
    filecfg = nullptr;
}

void WriteCfg()
{
    if (dirplugin[0] == '\0') {
        host::logMessage("orvalis", "settings not saved: no orvalis.cfg was found in the plug-in folders at start");
        return;
    }

    // Written to a fresh file beside it and renamed over it: a crash or power cut
    // mid-write leaves the old file whole. A symbolic link is followed inside the
    // box's root, so the link survives; a read-only file is left as it is.
    host::AtomicFile file;
    std::string error;
    if (!file.openInRoot(dirplugin, &error)) {
        host::logMessage("orvalis", "settings not saved: %s", error.c_str());
        return;
    }
    filecfg = file.stream();
    bool ok = writeSettings(filecfg);
    filecfg = nullptr;
    if (!ok || !file.commit(&error))
        host::logMessage("orvalis", "settings not saved: %s", ok ? error.c_str() : "writing failed");
}
