#include "config/ConfigFile.h"

#include "config/ConfigLine.h"
#include "config/OutOfDateWarning.h"
#include "frame/globals.h"
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

// The file to replace: a symbolic link is followed so that the link itself survives.
std::string targetFile()
{
    std::string file = host::hostPath(dirplugin);
    if (char* real = realpath(file.c_str(), nullptr)) {
        file = real;
        free(real);
    }
    return file;
}

void syncDirectoryOf(const std::string& file)
{
    size_t slash = file.rfind('/');
    std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : file.substr(0, slash));
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

} // namespace

void setConfigClock(time_t (*now)()) { g_now = now ? now : systemNow; }

void LoadCfg()
{
    nb_search = 0;
    for (auto& flag : channFilter)
        flag = "1";
    nb_channels = kMaxChannels;

    filecfg = nullptr;
    for (const char* path : kCandidatePaths) {
        filecfg = fopen(host::hostPath(path).c_str(), "r");
        if (filecfg) {
            snprintf(dirplugin, sizeof dirplugin, "%s", path);
            break;
        }
    }
    if (!filecfg) {
        // Forget a file found by an earlier start, so WriteCfg never recreates one that is gone.
        dirplugin[0] = '\0';
        return;
    }

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

    // Written beside the file and renamed over it: a crash or power cut mid-write
    // leaves the old file whole instead of a truncated one.
    std::string target = targetFile();
    std::string temp = target + ".tmp";
    filecfg = fopen(temp.c_str(), "w");
    if (!filecfg) {
        host::logMessage("orvalis", "settings not saved: cannot create %s (%s)", temp.c_str(), strerror(errno));
        return;
    }
    struct stat st {};
    if (stat(target.c_str(), &st) == 0)
        fchmod(fileno(filecfg), st.st_mode & 07777);

    bool ok = writeSettings(filecfg);
    ok = fflush(filecfg) == 0 && ok;
    ok = fsync(fileno(filecfg)) == 0 && ok;
    ok = fclose(filecfg) == 0 && ok;
    filecfg = nullptr;
    if (!ok || rename(temp.c_str(), target.c_str()) != 0) {
        int err = errno;
        remove(temp.c_str());
        host::logMessage("orvalis", "settings not saved: writing %s failed (%s)", target.c_str(), strerror(err));
        return;
    }
    syncDirectoryOf(target);
}
