// Writes every file the plug-in writes, from fixed input, into a folder: the
// settings file after loading the one in the input folder, what the table
// decoders made of the sample broadcast (channels, themes, titles), and the four
// offline files logged from it. Run on two processors, the folders must
// be byte for byte the same.
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

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: write_plugin_files INPUT_DIR OUTPUT_DIR\n");
        return 2;
    }
    const std::string input = argv[1];
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
    int read = getCanaliTemi();

    // The offline files of a logging run at 10:00 of that day.
    const time_t logged = config.startDay + 10 * 3600;
    localtime_r(&logged, &currDay);
    host::makeDirectories("/hdd/orvalis");
    offline::LogFileSet files("/hdd/orvalis/");
    const bool offlineOk = offline::logChannelsThemes(files) == 0 && offline::logTitles(files) == 0 &&
                           offline::logSummaries(files) == 0 && files.commit();

    WriteCfg();
    host::makeDirectories("/tmp");
    std::ofstream tables(host::hostPath("/tmp/decoded-tables.txt"), std::ios::binary | std::ios::trunc);
    tables << "getCanaliTemi " << read << "\n" << describeTables() << describeTitles();
    return tables.good() && read == 0 && offlineOk ? 0 : 1;
}
