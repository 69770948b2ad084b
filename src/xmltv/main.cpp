// orvalis-xmltv: the broadcaster's week as an XMLTV document.
#include "scan/EitGuide.h"
#include "xmltv/GuideXmltvWriter.h"
#include "xmltv/OfflineWeekReader.h"
#include "xmltv/OutputTarget.h"
#include "xmltv/StreamWeekReader.h"
#include "xmltv/WeekDating.h"
#include "xmltv/XmltvWriter.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char* kUsage =
    "usage: orvalis-xmltv (--ts FILE... | --offline DIR | --root DIR) [options]\n"
    "Writes a programme guide as an XMLTV document: the week of the broadcaster's private\n"
    "EPG tables, or the DVB event information (EIT) of any transport stream.\n"
    "\n"
    "  --ts FILE...       read MPEG transport streams; several transponders of one network\n"
    "                     merge into one guide. The private tables are read when a stream\n"
    "                     carries them (one pass of each carousel; the week starts on the\n"
    "                     broadcast day of the stream's TDT/TOT), else the EIT of all of them\n"
    "  --source SOURCE    with --ts: \"private\" for the private tables only, \"eit\" for\n"
    "                     the EIT (present/following and schedule, actual and other) only\n"
    "  --offline DIR      read the offline files (channels.gep, themes.gep, titles.gep,\n"
    "                     summaries.gep) of a logging run; the week starts on the broadcast\n"
    "                     day of the LogDate in the configuration file\n"
    "  --config FILE      the plug-in's configuration file (orvalis.cfg) for --offline\n"
    "                     (default: DIR/orvalis.cfg)\n"
    "  --root DIR         the offline files of a box whose file system root is DIR: the\n"
    "                     configuration in DIR/var/tuxbox/plugins and the OfflinePath it names,\n"
    "                     every path (and every link) resolved inside DIR as the box does\n"
    "  --system-clock     date the week from the system clock instead\n"
    "  -o, --output FILE  write to FILE instead of standard output (\"-\"); a file is\n"
    "                     replaced whole once written and keeps its permissions, a FIFO or\n"
    "                     device is written in place\n"
    "  --quiet            no progress or notes on standard error\n"
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
    std::vector<std::string> tsPaths;
    std::string offlineDir, configPath, outPath, root, source;
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
            const size_t before = tsPaths.size();
            while (i + 1 < argc && argv[i + 1][0] != '-')
                tsPaths.push_back(argv[++i]);
            if (tsPaths.size() == before)
                return usageError("--ts needs a file");
        } else if (a == "--source") {
            if (!value(source) || (source != "private" && source != "eit"))
                return usageError("--source needs \"private\" or \"eit\"");
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
    if (int(!tsPaths.empty()) + int(!offlineDir.empty()) + int(!root.empty()) != 1)
        return usageError("give one of --ts FILE..., --offline DIR or --root DIR");
    if (!source.empty() && tsPaths.empty())
        return usageError("--source goes with --ts");
    bool inRoot = false;
    if (!root.empty()) {
        if (!configPath.empty())
            return usageError("--config does not go with --root");
        std::string error;
        if (!xmltv::OfflineWeekReader::locateInRoot(root, &configPath, &offlineDir, &error))
            return failure(error);
        inRoot = true;
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
    bool fromEit = false;
    scan::EitGuide guide;
    if (!tsPaths.empty()) {
        // The private tables when a stream carries them (unless the EIT is asked for).
        std::string privateError;
        bool havePrivate = false;
        std::optional<int64_t> streamTime;
        for (size_t k = 0; k < tsPaths.size() && source != "eit" && !havePrivate; ++k) {
            const std::string& tsPath = tsPaths[k];
            xmltv::StreamWeekReader reader(progress ? xmltv::StreamWeekReader::Progress([&](double s) { show("reading the stream", s); })
                                                    : xmltv::StreamWeekReader::Progress());
            week = xmltv::Week();
            if (!reader.read(tsPath, week, &error)) {
                if (!reader.lacksTables() || source == "private")
                    return failure(error);
                // A pipe or device has been read; its EIT cannot be read from it again.
                struct stat st {};
                if (::stat(tsPath.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
                    return failure(error + "; it is not a regular file, so it cannot be read again for its EIT: "
                                           "give --source eit");
                if (privateError.empty())
                    privateError = error;
                continue;
            }
            havePrivate = true;
            if (!reader.titlesComplete() && !quiet)
                std::fprintf(stderr, "orvalis-xmltv: %s ends before the title carousel comes round; the week may be incomplete\n",
                             tsPath.c_str());
            if (!reader.summariesComplete() && !quiet)
                std::fprintf(stderr, "orvalis-xmltv: %s ends before the summary carousel comes round; some descriptions may be missing\n",
                             tsPath.c_str());
            if (tsPaths.size() > 1 && !quiet)
                std::fprintf(stderr, "orvalis-xmltv: the private tables of %s give the guide; the other streams are not read\n",
                             tsPath.c_str());
            streamTime = reader.streamTime();
            if (!systemClock && !streamTime)
                return failure(tsPath + ": the stream has no TDT or TOT to date the week by; use --system-clock");
        }
        if (havePrivate) {
            if (!systemClock)
                reference = static_cast<std::time_t>(*streamTime);
            rotate = true;
        } else {
            fromEit = true;
            for (const std::string& tsPath : tsPaths) {
                if (progress)
                    std::fprintf(stderr, "reading the EIT of %s\n", tsPath.c_str());
                if (!guide.addFile(tsPath, &error))
                    return failure(error);
            }
            if (guide.eventCount() == 0) {
                const std::string which = tsPaths.size() == 1 ? tsPaths[0] : "the streams";
                if (!privateError.empty())
                    return failure(privateError + ", nor does " + (tsPaths.size() == 1 ? "it" : "any stream") +
                                   " carry EIT events");
                return failure(which + ": no EIT events (present/following or schedule)");
            }
        }
    } else {
        if (configPath.empty())
            configPath = offlineDir + "/orvalis.cfg";
        xmltv::OfflineWeekReader reader(offlineDir, configPath, inRoot);
        if (!reader.read(week, &error, !systemClock))
            return failure(inRoot ? root + ": " + error : error);
        if (!systemClock)
            reference = reader.logDate();
    }
    if (systemClock)
        reference = std::time(nullptr);

    xmltv::OutputTarget output;
    if (!output.open(outPath.empty() ? "-" : outPath, &error))
        return failure(error);
    const std::string generator = std::string("orvalis-xmltv ") + ORVALIS_VERSION;
    size_t channels = 0, programmes = 0;
    if (fromEit) {
        const auto counts = xmltv::GuideXmltvWriter(generator).write(output.stream(), guide);
        channels = counts.channels;
        programmes = counts.programmes;
        if (!quiet && counts.untitled)
            std::fprintf(stderr, "orvalis-xmltv: %zu events left out: they have no title\n", counts.untitled);
        const auto& c = guide.counters();
        if (!quiet && c.overlapped)
            std::fprintf(stderr, "orvalis-xmltv: %llu events left out: they overlap a newer event of their service\n",
                         (unsigned long long)c.overlapped);
        const uint64_t damaged = c.badLayout + c.badEvents + c.badDescriptors;
        if (!quiet && damaged)
            std::fprintf(stderr,
                         "orvalis-xmltv: damaged EIT dropped: %llu sections, %llu events (bad times), %llu descriptors\n",
                         (unsigned long long)c.badLayout, (unsigned long long)c.badEvents,
                         (unsigned long long)c.badDescriptors);
    } else {
        const auto airings = xmltv::dateWeek(week, reference, rotate);
        const auto counts = xmltv::XmltvWriter(generator).write(output.stream(), week, airings);
        channels = counts.channels;
        programmes = counts.programmes;
        if (!quiet && counts.withoutChannel)
            std::fprintf(stderr, "orvalis-xmltv: %zu programmes left out: their channel is not in the channel list\n",
                         counts.withoutChannel);
    }
    if (!output.commit(&error))
        return failure(error);
    if (progress && !outPath.empty() && outPath != "-")
        std::fprintf(stderr, "%zu channels, %zu programmes written to %s\n", channels, programmes, outPath.c_str());
    return 0;
}
