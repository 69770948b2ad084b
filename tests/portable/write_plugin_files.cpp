// Writes every file the plug-in writes, from fixed input, into a folder: the
// settings file after loading the one in the input folder and the offline files
// of a logging run, plus the sample broadcast and what the table decoders made of
// it (channels, themes, titles, the offline files read back). Run on two
// processors, the folders must be byte for byte the same.
//
//   write_plugin_files INPUT_DIR OUTPUT_DIR
#include "WarningCounter.h"
#include "broadcast/DemuxAccess.h"
#include "broadcast/TitleRecord.h"
#include "broadcast/getCanaliTemi.h"
#include "config/ConfigFile.h"
#include "demux/Transponders.h"
#include "demux/VirtualDemuxFile.h"
#include "frame/globals.h"
#include "host/platform/FileSystem.h"
#include "host/service/eServiceInterface.h"
#include "mux/Config.h"
#include "mux/StreamBuilder.h"
#include "offline/ChannelThemeFiles.h"
#include "offline/LogFileSet.h"
#include "offline/SummariesFile.h"
#include "offline/TitlesFile.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>

namespace {

constexpr const char* kSettings = "/var/tuxbox/plugins/orvalis.cfg";
constexpr const char* kEpgService = "1:0:1:1f40:bb9:13e:820000:0:0:0:";

bool copyFile(const std::string& from, const std::string& to)
{
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    out << in.rdbuf();
    return in.good() && out.good();
}

// The decoded channel and theme tables, one line per entry.
std::string describeTables()
{
    std::ostringstream s;
    s << "channels " << nb_channels << "\n";
    for (int i = 0; i < nb_channels; ++i)
        s << channel_ids[i] << " " << channel_paths[i] << "\n";
    s << "themes " << nb_themes << "\n";
    for (int slot = 0; slot < kThemeRecords; ++slot)
        if (temalist[slot].name[0])
            s << slot << " " << temalist[slot].count << " " << temalist[slot].name << "\n";
    s << "out-of-date warnings " << portable::outOfDateWarnings() << "\n";
    return s.str();
}

// The first pass of the title carousel, decoded record by record.
std::string describeTitles()
{
    std::ostringstream s;
    int fd = openSectionFilter(kPidTitles, kTableTitlesSummaries);
    if (fd < 0)
        return "titles: no filter\n";
    const bool early = earlyMorningRule();
    for (int n = 0; n < 400; ++n) {
        int len = readSection(fd);
        if (len <= 0) {
            s << "read " << len << "\n";
            break;
        }
        TitleRecord r;
        if (!decodeTitleRecord(buffer, len, early, r)) {
            s << "section of " << len << " bytes\n";
            continue;
        }
        s << r.channel << " " << r.themeSlot << " " << r.day << " " << r.hour << ":" << r.minute << " "
          << r.duration << " " << std::hex << r.summaryId << std::dec << " " << r.title << "\n";
    }
    closeSectionFilter(fd);
    return s.str();
}

// An offline logging run into offlinePath, then the files read back as the
// offline mode reads them. 0 when every step worked.
int logOffline(std::ostringstream& s, time_t now)
{
    const std::string dir = offline::withTrailingSlash(offlinePath);
    if (!offline::makeOfflineDirectory(dir))
        return 1;
    localtime_r(&now, &currDay);
    logDate = static_cast<int>(now);
    offline::LogFileSet files(dir);
    if (offline::logChannelsThemes(files) != 0 || offline::logTitles(files) != 0 ||
        offline::logSummaries(files) != 0 || !files.commit())
        return 2;

    std::memset(temalist, 0, sizeof temalist);
    s << "getCanaliTemiOff " << getCanaliTemiOff() << "\n" << describeTables();
    offline::TitlesFileReader reader;
    if (!reader.open(dir) || !reader.seek(1, 10))
        return 3;
    offline::TitleLine t;
    for (int n = 0; n < 20 && reader.next(t); ++n)
        s << t.id << " " << t.channel << " " << t.day << " " << t.hour << ":" << t.minute << " " << t.title << " "
          << t.duration << " " << t.theme << "\n";
    s << "read " << reader.percent() << "%\n";
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: write_plugin_files INPUT_DIR OUTPUT_DIR\n");
        return 2;
    }
    const std::string input = argv[1];
    mkdir(argv[2], 0755); // the root must exist before anything is made inside it
    host::setFileSystemRoot(argv[2]);
    if (!host::makeDirectories("/var/tuxbox/plugins") ||
        !copyFile(input + "/orvalis.cfg", host::hostPath(kSettings))) {
        std::fprintf(stderr, "cannot set up %s\n", argv[2]);
        return 1;
    }

    eServiceInterface::Entry epg;
    epg.ref = eServiceReference(eString(kEpgService));
    epg.name = "Orvalis EPG";
    eServiceInterface::getInstance()->addService(epg);
    setConfigClock([]() -> time_t { return 2000000000; });
    LoadCfg();

    // The sample broadcast of a fixed day, read through the box's demux.
    mux::Config config;
    config.days = 1;
    config.startDay = mux::parseDay("2026-03-02");
    auto stream = mux::buildTransportStream(config);
    demux::Transponders transponders;
    transponders.add(stream.data(), stream.size());
    transponders.tune(0);
    demux::installVirtualDemux(transponders);
    std::memset(temalist, 0, sizeof temalist);
    std::ostringstream text;
    const int read = getCanaliTemi();
    text << "getCanaliTemi " << read << "\n" << describeTables();
    text << describeTitles();

    host::makeDirectories("/hdd");
    // 10:30 of the broadcast's first day: where the titles file starts.
    int logged = logOffline(text, config.startDay + 10 * 3600 + 30 * 60);
    text << "offline run " << logged << "\n";

    WriteCfg();
    host::makeDirectories("/tmp");
    // The broadcast itself: the generator must draw its random text in the same order everywhere.
    std::ofstream ts(host::hostPath("/tmp/sample.ts"), std::ios::binary | std::ios::trunc);
    ts.write(reinterpret_cast<const char*>(stream.data()), static_cast<std::streamsize>(stream.size()));
    std::ofstream tables(host::hostPath("/tmp/decoded-tables.txt"), std::ios::binary | std::ios::trunc);
    tables << text.str();
    return tables.good() && ts.good() && read == 0 && logged == 0 ? 0 : 1;
}
