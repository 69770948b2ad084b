// orvalis-xmltv: the broadcaster's week as an XMLTV document.
#include "xmltv/OfflineWeekReader.h"
#include "xmltv/StreamWeekReader.h"
#include "xmltv/WeekDating.h"
#include "xmltv/XmltvWriter.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <unistd.h>

namespace {

const char* kUsage =
    "usage: orvalis-xmltv (--ts FILE | --offline DIR | --root DIR) [options]\n"
    "Writes the week of the broadcaster's private EPG tables as an XMLTV document.\n"
    "\n"
    "  --ts FILE          read the tables from an MPEG transport stream (one pass of each carousel);\n"
    "                     the week starts on the broadcast day of the stream's TDT/TOT\n"
    "  --offline DIR      read the offline files (channels.gep, themes.gep, titles.gep,\n"
    "                     summaries.gep) of a logging run; the week starts on the broadcast\n"
    "                     day of the LogDate in the configuration file\n"
    "  --config FILE      the plug-in's configuration file (orvalis.cfg) for --offline\n"
    "                     (default: DIR/orvalis.cfg)\n"
    "  --root DIR         the offline files of a box whose file system root is DIR: the\n"
    "                     configuration in DIR/var/tuxbox/plugins and the OfflinePath it names\n"
    "  --system-clock     date the week from the system clock instead\n"
    "  -o, --output FILE  write to FILE instead of standard output\n"
    "  --quiet            no progress on standard error\n"
    "  --help             show this text\n"
    "  --version          show the version\n"
    "\n"
    "Times are local time with the zone's offset (set TZ to choose the zone).\n";

int usageError(const std::string& msg)
{
    std::fprintf(stderr, "orvalis-xmltv: %s\n%s", msg.c_str(), kUsage);
    return 2;
}

int failure(const std::string& msg)
{
    std::fprintf(stderr, "orvalis-xmltv: %s\n", msg.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    std::string tsPath, offlineDir, configPath, outPath, root;
    bool systemClock = false;
    bool quiet = false;
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
            std::printf("orvalis-xmltv %s\n", ORVALIS_VERSION);
            return 0;
        } else if (a == "--ts") {
            if (!value(tsPath))
                return usageError("--ts needs a file");
        } else if (a == "--offline") {
            if (!value(offlineDir))
                return usageError("--offline needs a directory");
        } else if (a == "--root") {
            if (!value(root))
                return usageError("--root needs a directory");
        } else if (a == "--config") {
            if (!value(configPath))
                return usageError("--config needs a file");
        } else if (a == "-o" || a == "--output") {
            if (!value(outPath))
                return usageError(a + " needs a file");
        } else if (a == "--system-clock") {
            systemClock = true;
        } else if (a == "--quiet") {
            quiet = true;
        } else {
            return usageError("unknown argument " + a);
        }
    }
    if (int(!tsPath.empty()) + int(!offlineDir.empty()) + int(!root.empty()) != 1)
        return usageError("give one of --ts FILE, --offline DIR or --root DIR");
    if (!root.empty()) {
        if (!configPath.empty())
            return usageError("--config does not go with --root");
        if (!xmltv::OfflineWeekReader::locateInRoot(root, &configPath, &offlineDir))
            return failure(root + ": no orvalis.cfg in its var/tuxbox/plugins, lib/tuxbox/plugins or usr/lib/tuxbox/plugins");
    }
    if (!configPath.empty() && offlineDir.empty())
        return usageError("--config goes with --offline");

    const bool progress = !quiet && isatty(STDERR_FILENO);
    int lastPercent = -1;
    auto show = [&](const char* what, double share) {
        const int percent = static_cast<int>(share * 100);
        if (percent != lastPercent)
            std::fprintf(stderr, "\r%s %3d%%%s", what, percent, percent >= 100 ? "\n" : "");
        lastPercent = percent;
    };

    xmltv::Week week;
    std::string error;
    std::time_t reference = 0;
    bool rotate = false;
    if (!tsPath.empty()) {
        xmltv::StreamWeekReader reader(progress ? xmltv::StreamWeekReader::Progress([&](double s) { show("reading the stream", s); })
                                                : xmltv::StreamWeekReader::Progress());
        if (!reader.read(tsPath, week, &error))
            return failure(error);
        if (!reader.titlesComplete() && !quiet)
            std::fprintf(stderr, "orvalis-xmltv: %s ends before the title carousel comes round; the week may be incomplete\n",
                         tsPath.c_str());
        if (!reader.summariesComplete() && !quiet)
            std::fprintf(stderr, "orvalis-xmltv: %s ends before the summary carousel comes round; some descriptions may be missing\n",
                         tsPath.c_str());
        if (!systemClock) {
            if (!reader.streamTime())
                return failure(tsPath + ": the stream has no TDT or TOT to date the week by; use --system-clock");
            reference = static_cast<std::time_t>(*reader.streamTime());
        }
        rotate = true;
    } else {
        if (configPath.empty())
            configPath = offlineDir + "/orvalis.cfg";
        xmltv::OfflineWeekReader reader(offlineDir, configPath);
        if (!reader.read(week, &error, !systemClock))
            return failure(error);
        if (!systemClock)
            reference = reader.logDate();
    }
    if (systemClock)
        reference = std::time(nullptr);

    const auto airings = xmltv::dateWeek(week, reference, rotate);
    const xmltv::XmltvWriter writer(std::string("orvalis-xmltv ") + ORVALIS_VERSION);

    if (outPath.empty() || outPath == "-") {
        const auto counts = writer.write(stdout, week, airings);
        if (std::fflush(stdout) != 0 || std::ferror(stdout))
            return failure("cannot write to standard output");
        if (counts.withoutChannel && !quiet)
            std::fprintf(stderr, "orvalis-xmltv: %zu programmes left out: their channel is not in the channel list\n",
                         counts.withoutChannel);
        return 0;
    }
    // Written beside the target and renamed, so a reader never sees half a document.
    const std::string tmp = outPath + ".tmp." + std::to_string(getpid());
    std::FILE* f = std::fopen(tmp.c_str(), "w");
    if (!f)
        return failure("cannot write " + outPath + ": " + std::strerror(errno));
    const auto counts = writer.write(f, week, airings);
    const bool written = std::fflush(f) == 0 && !std::ferror(f) && fsync(fileno(f)) == 0;
    if (std::fclose(f) != 0 || !written || std::rename(tmp.c_str(), outPath.c_str()) != 0) {
        std::remove(tmp.c_str());
        return failure("cannot write " + outPath);
    }
    if (!quiet && counts.withoutChannel)
        std::fprintf(stderr, "orvalis-xmltv: %zu programmes left out: their channel is not in the channel list\n",
                     counts.withoutChannel);
    if (progress)
        std::fprintf(stderr, "%zu channels, %zu programmes written to %s\n", counts.channels, counts.programmes,
                     outPath.c_str());
    return 0;
}
