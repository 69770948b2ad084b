#include "config/ConfigFile.h"

#include "config/ConfigLine.h"
#include "config/OutOfDateWarning.h"
#include "frame/globals.h"
#include "host/platform/AtomicFile.h"
#include "host/platform/FileSystem.h"
#include "host/platform/Log.h"
#include "host/service/eServiceInterface.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <optional>
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

// Bound where read: a timer margin or offset beyond these would make the timer
// proposal's arithmetic overflow, and the dialog could neither show nor keep it.
template <int* Target, int Low, int High>
void applyBoundedNumber(const std::string& line)
{
    *Target = cfgline::parseBoundedNumber(cfgline::lineValue(line), Low, High);
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

// The settings as WriteCfg groups them: each group is saved whole, from this
// box's globals when it changed them, otherwise as the file holds it.
enum Group { gType, gEpgService, gFonts, gTimerStart, gTimerEnd, gLocalOffset, gFilter, gPath, gMode, gLog, gSearch, kGroups };

// Tested in this order; the first key found anywhere in the line decides, so a
// search string holding "TimerEnd" is read as the TimerEnd setting.
struct KeyRule {
    const char* key;
    void (*apply)(const std::string& line);
    Group group;
};
const KeyRule kKeys[] = {
    {"type=", applyNumber<&pluginType>, gType},
    {"EPGService", applyEpgService, gEpgService},
    {"FontDim=", applyFontSizes, gFonts},
    {"TimerStart", applyBoundedNumber<&startOffs, 0, kMaxTimerStartOffset>, gTimerStart},
    {"TimerEnd", applyBoundedNumber<&endOffs, 0, kMaxTimerEndOffset>, gTimerEnd},
    {"LocalTimeOffset", applyBoundedNumber<&localOffs, -kMaxLocalTimeOffset, kMaxLocalTimeOffset>, gLocalOffset},
    {"OfflinePath", applyOfflinePath, gPath},
    {"OfflineLog", applyNumber<&offlinelog>, gMode},
    {"LogDate", applyLogDate, gLog},
    {"LogValue", applyLogCounts, gLog},
    {"LogPos", applyLogPositions, gLog},
    {"channFilters", applyChannelFilters, gFilter},
    {">", applySearchString, gSearch},
};

// The key entry that decides a line, or null for a line without a key.
const KeyRule* keyOf(const std::string& line)
{
    for (const auto& k : kKeys)
        if (line.find(k.key) != std::string::npos)
            return &k;
    return nullptr;
}

void applyLine(const std::string& line)
{
    if (const auto* k = keyOf(line))
        k->apply(line);
}

char filterFlag(const eString& flag)
{
    // Only "1" shows a channel, so anything else is written as hidden; writing
    // nothing would shift every later channel's flag on the next read.
    return flag == "1" ? '1' : '0';
}

std::string formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string formatted(const char* format, ...)
{
    char buf[256];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    return std::string(buf, n < 0 ? 0 : std::min(static_cast<size_t>(n), sizeof buf - 1));
}

// The EPG service as the file carries it. The reader keeps the text up to the
// last ':' and takes a line holding "type=" for the plug-in type: a path that
// would hide a key is not written.
std::string epgServiceText()
{
    std::string text = EPGService.toString();
    if (text.find('=') != std::string::npos || text.find('\n') != std::string::npos) {
        eServiceReference plain = EPGService;
        plain.path = "";
        text = plain.toString();
    }
    return text;
}

struct Settings {
    std::string text[kGroups];   // the lines the group is written as
    std::string change[kGroups]; // what tells whether this box changed the group
};

Settings currentSettings()
{
    Settings s;
    s.text[gType] = formatted("type=%d\n", pluginType);
    s.text[gEpgService] = "EPGService=" + epgServiceText() + "\n";
    s.text[gFonts] = formatted("FontDim=%d,%d\n", listaPv, listaGv);
    s.text[gTimerStart] = formatted("TimerStart=%d\n", startOffs);
    s.text[gTimerEnd] = formatted("TimerEnd=%d\n", endOffs);
    s.text[gLocalOffset] = formatted("LocalTimeOffset=%d\n", localOffs);

    int channels = nb_channels < 0 ? 0 : (nb_channels > kMaxChannels ? kMaxChannels : nb_channels);
    std::string flags;
    for (int i = 0; i < kMaxChannels; ++i)
        flags += filterFlag(channFilter[i]);
    s.text[gFilter] = "channFilters=" + flags.substr(0, static_cast<size_t>(channels)) + "\n";

    s.text[gPath] = "OfflinePath=" + std::string(offlinePath) + "\n";
    s.text[gMode] = formatted("OfflineLog=%d\n", offlinelog);
    s.text[gLog] = formatted("LogDate=%d\n", logDate) +
                   formatted("LogValue=%d,%d,%d,%d\n", nb_channels, nb_themes, nb_titles, nb_summaries) +
                   formatted("LogPos=%d,%d,%d,%d,%d,%d,%d,%d\n", sizeposition[0], sizeposition[1], sizeposition[2],
                             sizeposition[3], sizeposition[4], sizeposition[5], sizeposition[6], sizeposition[7]);
    // The counts also follow whichever reader ran last; only a completed logging
    // run, which sets LogDate, makes the figures this box's.
    s.change[gLog] = formatted("%d", logDate);

    // The table holds the ten newest, oldest first; a count beyond it never reads past it.
    int used = nb_search < 0 ? 0 : (nb_search > kMaxSearches ? kMaxSearches : nb_search);
    for (int i = 0; i < used; ++i)
        if (!lastSearch[i].empty())
            s.text[gSearch] += ">" + std::string(lastSearch[i]) + "\n";

    for (int g = 0; g < kGroups; ++g)
        if (g != gLog)
            s.change[g] = s.text[g];
    return s;
}

// The settings as LoadCfg left them; empty until a file was read.
std::optional<Settings> g_loaded;

// Calls f for every line of text, as LoadCfg reads lines.
template <class F>
void forEachLine(std::string text, F f)
{
    if (text.empty())
        return;
    FILE* in = fmemopen(&text[0], text.size(), "r");
    if (!in)
        return;
    std::string line;
    while (cfgline::readWholeLine(in, line))
        f(line);
    fclose(in);
}

// The groups of the file as it is now, line by line as written there.
bool groupsOnFile(std::string lines[kGroups], bool found[kGroups], size_t maxBytes)
{
    std::string text, error;
    if (!host::readRegularFile(dirplugin, &text, maxBytes, &error))
        return false;
    forEachLine(text, [&](const std::string& line) {
        if (const auto* k = keyOf(line)) {
            lines[k->group] += line.empty() || line.back() != '\n' ? line + "\n" : line;
            found[k->group] = true;
        }
    });
    return true;
}

std::string settingsText(size_t maxBytes, Settings* saved)
{
    const Settings mine = currentSettings();
    std::string onFile[kGroups];
    bool found[kGroups] = {};
    bool merge = g_loaded && groupsOnFile(onFile, found, maxBytes);
    std::string group[kGroups];
    for (int g = 0; g < kGroups; ++g) {
        bool changedHere = !merge || mine.change[g] != g_loaded->change[g];
        group[g] = changedHere || !found[g] ? mine.text[g] : onFile[g];
    }
    // What is saved now is what the next save compares with.
    *saved = mine;
    return "name=Orvalis\n"
           "desc=Weekly programme guide\n"
           "depend=\n" +
           group[gType] + "needfb=0\nneedrc=0\nneedlcd=0\nenigmaplugin=1\n" + group[gEpgService] + group[gFonts] +
           group[gTimerStart] + group[gTimerEnd] + group[gLocalOffset] + group[gFilter] + group[gPath] + group[gMode] +
           group[gLog] + "LastSearch:\n" + group[gSearch];
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
    g_loaded.reset();
    if (dirplugin[0] == '\0')
        return;
    forEachLine(text, applyLine);
    g_loaded = currentSettings();
}

bool WriteCfg(std::string* why)
{
    if (dirplugin[0] == '\0') {
        host::logMessage("orvalis", "settings not saved: no orvalis.cfg was found in the plug-in folders at start");
        return true;
    }

    // Written to a fresh file beside it and renamed over it: a crash or power cut
    // mid-write leaves the old file whole. A symbolic link is followed inside the
    // box's root, so the link survives; a read-only file is left as it is.
    Settings saved;
    const std::string text = settingsText(kMaxConfigBytes, &saved);
    host::AtomicFile file;
    std::string error;
    bool ok = file.openInRoot(dirplugin, &error);
    if (ok) {
        filecfg = file.stream();
        ok = fwrite(text.data(), 1, text.size(), filecfg) == text.size() && ferror(filecfg) == 0;
        filecfg = nullptr;
        if (!ok)
            error = "writing failed";
        ok = ok && file.commit(&error);
    }
    if (!ok) {
        host::logMessage("orvalis", "settings not saved: %s", error.c_str());
        if (why)
            *why = error;
        return false;
    }
    if (g_loaded)
        g_loaded = saved;
    return true;
}
