// orvalis-import: the plug-in's offline files and settings from an XMLTV guide or a stream's EIT.
#include "host/platform/FileSystem.h"
#include "import/ChannelMap.h"
#include "import/EitSource.h"
#include "import/OfflineSet.h"
#include "import/OfflineSetLock.h"
#include "import/SettingsUpdate.h"
#include "import/WeekFiles.h"
#include "import/XmltvReader.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char* kUsage =
    "usage: orvalis-import (--xmltv FILE | --ts FILE...) (--offline DIR | --root DIR) [options]\n"
    "Writes the plug-in's offline files (channels.gep, themes.gep, titles.gep,\n"
    "summaries.gep) and updates its orvalis.cfg from a guide, as a logging run does.\n"
    "\n"
    "  --xmltv FILE       read an XMLTV document, plain or gzip-compressed (\"-\": standard input)\n"
    "  --ts FILE          read the EIT and SDT of an MPEG transport stream; give it once per\n"
    "                     transponder of one network to merge them\n"
    "  --offline DIR      write the offline files into DIR and the settings into DIR/orvalis.cfg\n"
    "  --config FILE      the settings file for --offline (default: DIR/orvalis.cfg)\n"
    "  --root DIR         write into the box whose file system root is DIR: the settings in its\n"
    "                     plug-in folder, the offline files in the OfflinePath they name\n"
    "  --services FILE    the box's service list (\"reference<TAB>name\" lines) that channels\n"
    "                     without an ONID.TSID.SID.dvb id are matched with by name (default with\n"
    "                     --root: DIR/var/tuxbox/config/services)\n"
    "  --first-day DATE   the week's first broadcast day, YYYY-MM-DD (default: today, or for\n"
    "                     --ts the day of the stream's TDT/TOT, when the guide covers it, else\n"
    "                     the guide's first day)\n"
    "  --use-offline      also switch the plug-in to the offline files (OfflineLog=1)\n"
    "  --dry-run          read and check everything, write nothing\n"
    "  --quiet            report only errors\n"
    "  --help             show this text\n"
    "  --version          show the version\n"
    "\n"
    "A day runs from 06:00 to 05:59 local time (set TZ to choose the zone).\n";

const char* const kConfigCandidates[] = {"/var/tuxbox/plugins/orvalis.cfg", "/lib/tuxbox/plugins/orvalis.cfg",
                                         "/usr/lib/tuxbox/plugins/orvalis.cfg"};
constexpr const char* kServiceList = "/var/tuxbox/config/services";
constexpr size_t kMaxConfigBytes = 1 << 20;
constexpr size_t kMaxListBytes = 64 << 20;

int usageError(const std::string& msg)
{
    std::fprintf(stderr, "orvalis-import: %s\n%s", msg.c_str(), kUsage);
    return 2;
}

int failure(const std::string& msg)
{
    std::fprintf(stderr, "orvalis-import: %s\n", msg.c_str());
    return 1;
}

// A file that may be missing: false only when it exists and cannot be read.
bool readOptional(const std::string& receiverPath, size_t limit, std::string* text, std::string* error)
{
    text->clear();
    if (host::readRegularFile(receiverPath, text, limit, error))
        return true;
    return errno == ENOENT;
}

bool parseDay(const std::string& text, std::time_t& out)
{
    std::tm tm{};
    int y, m, d;
    char extra;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &extra) != 3 || m < 1 || m > 12 || d < 1 || d > 31)
        return false;
    tm.tm_year = y - 1900;
    tm.tm_mon = m - 1;
    tm.tm_mday = d;
    tm.tm_hour = 12;
    tm.tm_isdst = -1;
    out = std::mktime(&tm);
    // A week whose LogDate the plug-in's 32-bit clock can hold.
    return out > 0 && out < importer::WeekFiles::kLastTime - 8 * 86400;
}

// 06:00 of a broadcast day, local time.
std::time_t dayStart(std::time_t anyTime)
{
    std::tm tm{};
    localtime_r(&anyTime, &tm);
    if (tm.tm_hour < 6)
        tm.tm_mday -= 1;
    tm.tm_hour = 6;
    tm.tm_min = tm.tm_sec = 0;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

// The week's first day when none is given: today when the guide reaches it, else its first day.
// The plug-in names its offline channels from the box's service list in the namespace
// of its EPG service. With none set, the guide's first channel the list knows becomes
// it (an empty answer keeps the file's); one on another network is reported.
std::string chooseEpgService(const importer::SavedSettings& saved, const importer::ChannelMap& channels,
                             const std::string& source, importer::Report& report)
{
    std::string known;
    bool sameNetwork = false;
    for (const auto& c : channels.channels()) {
        const std::string ref = channels.referenceOf(c.service);
        if (ref.empty())
            continue;
        if (known.empty())
            known = ref;
        if (!saved.epgService.empty() &&
            importer::ChannelMap::namespaceOf(ref) == importer::ChannelMap::namespaceOf(saved.epgService))
            sameNetwork = true;
    }
    if (saved.epgService.empty()) {
        if (!known.empty())
            report.note(source + ": no EPG service was set; it is now " + known +
                        ", so that the plug-in finds the channels in the box's service list");
        else
            report.note(source + ": no EPG service is set and the box's service list holds none of the channels; "
                                 "the plug-in lists a channel only when its EPG service (Setup) is on the same network");
        return known;
    }
    if (!known.empty() && !sameNetwork)
        report.note(source + ": the EPG service " + saved.epgService +
                    " is on another network than the guide's channels; the plug-in lists them only with an EPG "
                    "service of theirs (Setup)");
    return std::string();
}

std::time_t defaultFirstDay(const importer::SourceGuide& guide, const importer::ChannelMap& channels, std::time_t now)
{
    long first = LONG_MAX, last = LONG_MIN;
    std::time_t firstStart = now;
    for (const auto& p : guide.programmes) {
        if (channels.indexOf(p.channel) < 0)
            continue;
        const long day = importer::WeekFiles::broadcastDay(p.start);
        if (day < first) {
            first = day;
            firstStart = p.start;
        }
        last = std::max(last, day);
    }
    const long today = importer::WeekFiles::broadcastDay(now);
    return first <= today && today <= last ? now : firstStart;
}

std::string absolute(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    char cwd[PATH_MAX];
    return getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/" + path : path;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> tsPaths;
    std::string xmltvPath, offlineDir, configPath, root, servicesPath, firstDayText;
    bool useOffline = false, dryRun = false, quiet = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc)
                return false;
            into = argv[++i];
            return true;
        };
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--version") {
            std::printf("orvalis-import %s\n", ORVALIS_VERSION);
            return 0;
        } else if (a == "--xmltv") {
            if (!value(xmltvPath))
                return usageError("--xmltv needs a file");
        } else if (a == "--ts") {
            std::string path;
            if (!value(path))
                return usageError("--ts needs a file");
            tsPaths.push_back(path);
        } else if (a == "--offline") {
            if (!value(offlineDir))
                return usageError("--offline needs a directory");
        } else if (a == "--config") {
            if (!value(configPath))
                return usageError("--config needs a file");
        } else if (a == "--root") {
            if (!value(root))
                return usageError("--root needs a directory");
        } else if (a == "--services") {
            if (!value(servicesPath))
                return usageError("--services needs a file");
        } else if (a == "--first-day") {
            if (!value(firstDayText))
                return usageError("--first-day needs a date");
        } else if (a == "--use-offline") {
            useOffline = true;
        } else if (a == "--dry-run") {
            dryRun = true;
        } else if (a == "--quiet") {
            quiet = true;
        } else {
            return usageError("unknown argument " + a);
        }
    }
    if (xmltvPath.empty() == tsPaths.empty())
        return usageError("give the guide with one of --xmltv FILE or --ts FILE");
    if (offlineDir.empty() == root.empty())
        return usageError("give one of --offline DIR or --root DIR");
    if (!configPath.empty() && offlineDir.empty())
        return usageError("--config goes with --offline");
    std::time_t firstDay = 0;
    if (!firstDayText.empty() && !parseDay(firstDayText, firstDay))
        return usageError("--first-day needs a date such as 2026-12-08");

    importer::Report report;
    importer::SourceGuide guide;
    std::string error;
    importer::EitSource eit;
    const bool read = xmltvPath.empty() ? eit.readFiles(tsPaths, guide, report, &error)
                                        : importer::XmltvReader().readFile(xmltvPath, guide, report, &error);
    if (!read)
        return failure(error + "; the offline files and settings are left as they were");
    if (guide.programmes.empty())
        return failure(guide.name + ": the guide holds no programme; the offline files and settings are left as "
                                    "they were");
    // A stream's own clock says when it was broadcast, as a logging run would have been made then.
    const std::time_t now = eit.streamTime() ? *eit.streamTime() : std::time(nullptr);

    // Where the set goes: receiver paths inside the root, or paths of this machine.
    std::string dir, config, text;
    if (!root.empty()) {
        host::setFileSystemRoot(absolute(root));
        config = kConfigCandidates[0];
        for (const char* candidate : kConfigCandidates) {
            std::string why;
            if (host::readRegularFile(candidate, &text, kMaxConfigBytes, &why)) {
                config = candidate;
                break;
            }
        }
        dir = importer::SettingsUpdate::read(text).offlinePath;
        if (dir.empty() || dir[0] != '/')
            dir = "/" + dir;
    } else {
        dir = absolute(offlineDir);
        config = absolute(configPath.empty() ? dir + "/orvalis.cfg" : configPath);
    }
    if (!dryRun && !host::makeDirectories(dir))
        return failure(dir + ": cannot make the offline folder (" + std::strerror(errno) + ")");

    // The lock is held from reading the previous settings until the new ones are in place.
    std::unique_ptr<importer::OfflineSetLock> lock;
    if (!dryRun) {
        lock = std::make_unique<importer::OfflineSetLock>(dir);
        if (!lock->held(&error))
            return failure(error);
    }
    std::string configText, oldChannels;
    if (!readOptional(config, kMaxConfigBytes, &configText, &error))
        return failure(config + ": " + error);
    const std::string channelsFile = dir + (dir.back() == '/' ? "" : "/") + "channels.gep";
    if (!readOptional(channelsFile, kMaxListBytes, &oldChannels, &error))
        oldChannels.clear(); // only the filter flags come from it
    const importer::SavedSettings saved = importer::SettingsUpdate::read(configText);

    importer::ChannelMap channels;
    if (!servicesPath.empty()) {
        std::string list, why;
        if (!host::readRegularHostFile(servicesPath, &list, kMaxListBytes, &why))
            return failure(servicesPath + ": " + why);
        channels.addServices(list);
    } else if (!root.empty()) {
        // The box's own list, resolved inside its root like every other path there.
        std::string list, why;
        if (!readOptional(kServiceList, kMaxListBytes, &list, &why))
            return failure(root + kServiceList + ": " + why);
        channels.addServices(list);
    }
    channels.build(guide, report);
    if (channels.channels().empty())
        return failure(guide.name + ": no channel of the guide is a service the box knows; the offline files "
                                    "and settings are left as they were");

    const std::string epgService = chooseEpgService(saved, channels, guide.name, report);
    if (!firstDay)
        firstDay = defaultFirstDay(guide, channels, now);
    importer::WeekOptions options;
    options.firstDay = firstDay;
    options.earlyMorningRule =
        epgService.empty() ? saved.earlyMorningRule : importer::SettingsUpdate::earlyMorningRule(epgService);
    options.previousLogDate = saved.logDate;
    const importer::OfflineTexts texts = importer::WeekFiles::build(guide, channels, options, report);
    if (texts.beforeWeek)
        report.note(guide.name + ": " + std::to_string(texts.beforeWeek) + " programmes before the week are left out");
    if (texts.afterWeek)
        report.note(guide.name + ": " + std::to_string(texts.afterWeek) + " programmes after the week are left out");
    if (!quiet)
        for (const auto& n : report.notes)
            std::fprintf(stderr, "orvalis-import: %s\n", n.c_str());
    if (texts.titleCount == 0)
        return failure(guide.name + ": no programme falls in the week; the offline files and settings are left as "
                                    "they were");

    importer::LogFigures figures;
    // The plug-in takes the log date for the first day it offers.
    figures.logDate = int(importer::WeekFiles::broadcastDay(now) == importer::WeekFiles::broadcastDay(firstDay)
                              ? now
                              : dayStart(firstDay));
    figures.counts = {texts.channelCount, texts.themeCount, texts.titleCount, texts.summaryCount};
    figures.positions = texts.positions;
    figures.filters = importer::SettingsUpdate::carriedFilters(oldChannels, saved.filters, texts.services);
    figures.useOffline = useOffline;
    figures.epgService = epgService;

    importer::OfflineSet set;
    set.directory = dir;
    set.files = {texts.channels, texts.themes, texts.titles, texts.summaries};
    set.configFile = config;
    set.config = importer::SettingsUpdate::apply(configText, figures);
    if (!dryRun && !importer::OfflineSetWriter::commit(set, &error))
        return failure(error + "; the offline files and settings are left as they were");
    if (!quiet)
        std::fprintf(stderr, "orvalis-import: %d channels, %d themes, %d programmes, %d summaries %s %s\n",
                     texts.channelCount, texts.themeCount, texts.titleCount, texts.summaryCount,
                     dryRun ? "would be written to" : "written to", (root + dir).c_str());
    return 0;
}
