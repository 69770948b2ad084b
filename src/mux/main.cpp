// orvalis-mux: writes the transport stream of a sample EPG transponder.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <unistd.h>

#include "mux/Charset.h"
#include "mux/Config.h"
#include "mux/ModelGenerator.h"
#include "mux/StreamBuilder.h"
#include "mux/WeekListing.h"

namespace {

const char* kUsage =
    "usage: orvalis-mux [options] OUTPUT\n"
    "Writes the MPEG transport stream of a sample EPG transponder to OUTPUT ('-' for stdout).\n"
    "\n"
    "  --seed N              random seed (default 1)\n"
    "  --start YYYY-MM-DD    first broadcast day (default the one running now: today, yesterday before 06:00)\n"
    "  --clock-hour H        local hour of the first day the stream clock starts at (default 6)\n"
    "  --channels N          number of channels (default 40, at most 186)\n"
    "  --empty-channels      send a channel list without records\n"
    "  --empty-themes        send a theme list without records\n"
    "  --channel-extra K     K stray bytes (0..21) after the last channel record\n"
    "  --theme-extra K       K stray bytes (0..14) after the last theme record\n"
    "  --too-many-themes     20 themes, more than the 16 start indices can name\n"
    "  --too-many-subthemes  one theme with 18 sub-themes\n"
    "  --bad-channel N       add N programmes whose channel byte is 0xFF\n"
    "  --shared-percent P    share of reruns reusing a summary id (default 12)\n"
    "  --missing-percent P   share of summary ids without a summary (default 2)\n"
    "  --repeat-percent P    share of summaries sent twice in one pass (default 0)\n"
    "  --days N              broadcast days of titles, 1..14 (default 7)\n"
    "  --hour-codes MODE     normal, or mixed to use every hour-code range\n"
    "  --sunday-seven        send Sunday as weekday 7\n"
    "  --junk                mix sections of other lengths and tables into the carousels\n"
    "  --no-epg              leave out PIDs 0xD2 and 0xD3\n"
    "  --passes N            passes of the longer carousel; the stream ends where both end a pass (default 2)\n"
    "  --mux-rate BPS        constant mux rate in bit/s (default 5000000)\n"
    "  --title-rate BPS      bit rate of the title carousel (default 600000)\n"
    "  --summary-rate BPS    bit rate of the summary carousel (default 3000000)\n"
    "  --onid N, --tsid N    network and transport stream ids (decimal or 0x hex)\n"
    "  --orbital POS         orbital position such as 13.0E or 30.0W (default 13.0E)\n"
    "  --stats               print counts of what was generated to stderr\n"
    "  --list FILE           also write the generated week as UTF-8 text to FILE ('-': stdout);\n"
    "                        without OUTPUT only the list is written\n"
    "  --print-epg-service   print the EPG service's reference (as the box names it) and exit\n"
    "  --help                show this text\n";

struct IntOption {
    const char* name;
    long lo;
    long hi;
    int* field;
};

struct FlagOption {
    const char* name;
    bool* field;
    bool value = true; // what the switch sets
};

bool parseInt(const char* text, long lo, long hi, int& out)
{
    char* end = nullptr;
    long v = std::strtol(text, &end, 0);
    if (!text[0] || *end || v < lo || v > hi)
        return false;
    out = static_cast<int>(v);
    return true;
}

bool parseOrbital(const std::string& text, mux::Config& cfg)
{
    double deg = 0;
    char side = 0;
    if (std::sscanf(text.c_str(), "%lf%c", &deg, &side) != 2 || (side != 'E' && side != 'W') || deg < 0 ||
        deg > 180)
        return false;
    cfg.orbitalPosition = static_cast<int>(deg * 10 + 0.5);
    cfg.west = side == 'W';
    return true;
}

bool writeAll(FILE* f, const std::vector<uint8_t>& data)
{
    return std::fwrite(data.data(), 1, data.size(), f) == data.size() && std::fflush(f) == 0;
}

// The week as text, to a file or ('-') to stdout.
bool writeListing(const std::string& path, const mux::Model& m)
{
    if (path == "-")
        return mux::writeWeekListing(stdout, m) && std::fflush(stdout) == 0;
    FILE* f = std::fopen(path.c_str(), "w");
    if (!f)
        return false;
    const bool ok = mux::writeWeekListing(f, m);
    return std::fclose(f) == 0 && ok;
}

int fail(const std::string& msg)
{
    std::fprintf(stderr, "orvalis-mux: %s\n%s", msg.c_str(), kUsage);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    mux::Config cfg;
    std::string output;
    bool stats = false;
    bool printEpgService = false;
    std::string listing;
    const IntOption ints[] = {
        {"--clock-hour", 0, 23, &cfg.clockHour},
        {"--channels", 0, 186, &cfg.channelCount},
        {"--channel-extra", 0, 21, &cfg.channelExtraBytes},
        {"--theme-extra", 0, 14, &cfg.themeExtraBytes},
        {"--bad-channel", 0, 1000, &cfg.badChannelTitles},
        {"--shared-percent", 0, 100, &cfg.sharedSummaryPercent},
        {"--missing-percent", 0, 100, &cfg.missingSummaryPercent},
        {"--repeat-percent", 0, 100, &cfg.repeatedSummaryPercent},
        {"--days", 1, 14, &cfg.days},
        {"--passes", 1, 100, &cfg.passes},
        {"--mux-rate", 100000, 200000000, &cfg.muxRate},
        {"--title-rate", 1000, 200000000, &cfg.titleRate},
        {"--summary-rate", 1000, 200000000, &cfg.summaryRate},
    };
    const FlagOption flags[] = {
        {"--stats", &stats},
        {"--print-epg-service", &printEpgService},
        {"--empty-channels", &cfg.emptyChannelTable},
        {"--empty-themes", &cfg.emptyThemeTable},
        {"--too-many-themes", &cfg.tooManyThemes},
        {"--too-many-subthemes", &cfg.tooManySubThemes},
        {"--sunday-seven", &cfg.sundayAsSeven},
        {"--junk", &cfg.junkSections},
        {"--no-epg", &cfg.withEpg, false},
    };
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "orvalis-mux: %s needs a value\n", name);
                std::exit(2);
            }
            return argv[++i];
        };
        int n = 0;
        const IntOption* number = nullptr;
        for (const IntOption& o : ints)
            if (a == o.name)
                number = &o;
        const FlagOption* flag = nullptr;
        for (const FlagOption& o : flags)
            if (a == o.name)
                flag = &o;
        if (number) {
            if (!parseInt(value(number->name), number->lo, number->hi, *number->field))
                return fail(std::string("bad ") + number->name);
        } else if (flag) {
            *flag->field = flag->value;
        } else if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--list") {
            listing = value("--list");
        } else if (a == "--seed") {
            cfg.seed = std::strtoull(value("--seed"), nullptr, 0);
        } else if (a == "--start") {
            cfg.startDay = mux::parseDay(value("--start"));
            if (!cfg.startDay)
                return fail("bad date for --start");
        } else if (a == "--hour-codes") {
            const std::string m = value("--hour-codes");
            if (m == "normal")
                cfg.hourCodes = mux::HourCodes::Normal;
            else if (m == "mixed")
                cfg.hourCodes = mux::HourCodes::Mixed;
            else
                return fail("bad --hour-codes");
        } else if (a == "--onid") {
            if (!parseInt(value("--onid"), 0, 0xFFFF, n))
                return fail("bad --onid");
            cfg.onid = cfg.networkId = static_cast<uint16_t>(n);
        } else if (a == "--tsid") {
            if (!parseInt(value("--tsid"), 0, 0xFFFF, n))
                return fail("bad --tsid");
            cfg.tsid = static_cast<uint16_t>(n);
        } else if (a == "--orbital") {
            if (!parseOrbital(value("--orbital"), cfg))
                return fail("bad --orbital");
        } else if (a.size() > 1 && a[0] == '-') {
            return fail("unknown option " + a);
        } else if (output.empty()) {
            output = a;
        } else {
            return fail("more than one output");
        }
    }
    if (printEpgService) {
        // The receiver's DVB namespace: the orbital position in tenths of a degree
        // (west as 3600 minus it) in the upper 16 bits.
        const unsigned ns = static_cast<unsigned>((cfg.west ? 3600 - cfg.orbitalPosition : cfg.orbitalPosition) & 0xFFFF) << 16;
        std::printf("1:0:1:%X:%X:%X:%x:0:0:0:\n", cfg.epgServiceId, cfg.tsid, cfg.onid, ns);
        return 0;
    }
    if (output.empty() && listing.empty())
        return fail("no output given");
    if (cfg.titleRate + cfg.summaryRate > cfg.muxRate * 9 / 10)
        return fail("carousel rates leave no room in the mux rate");

    const mux::Model model = mux::generateModel(cfg);
    const std::vector<uint8_t> ts = mux::buildTransportStream(cfg, model);
    if (stats) {
        size_t text = 0;
        for (const auto& s : model.summaries)
            text += s.text.size();
        std::fprintf(stderr, "channels %zu, themes %zu, titles %zu, summaries %zu (%zu bytes of text), %zu packets, %.1f s\n",
                     model.channels.size(), model.themes.size(), model.titles.size(), model.summaries.size(), text,
                     ts.size() / 188, ts.size() * 8.0 / cfg.muxRate);
    }
    if (!listing.empty() && !writeListing(listing, model)) {
        std::fprintf(stderr, "orvalis-mux: cannot write %s\n", listing.c_str());
        return 1;
    }
    if (output.empty())
        return 0;
    if (output == "-")
        return writeAll(stdout, ts) ? 0 : 1;

    // Written beside the target and renamed, so a reader never sees half a file.
    const std::string tmp = output + ".tmp." + std::to_string(getpid());
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "orvalis-mux: cannot write %s: %s\n", tmp.c_str(), std::strerror(errno));
        return 1;
    }
    const bool ok = writeAll(f, ts);
    if (std::fclose(f) != 0 || !ok || std::rename(tmp.c_str(), output.c_str()) != 0) {
        std::fprintf(stderr, "orvalis-mux: cannot write %s: %s\n", output.c_str(), std::strerror(errno));
        std::remove(tmp.c_str());
        return 1;
    }
    return 0;
}
