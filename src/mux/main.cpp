// orvalis-mux: writes the transport stream of a sample EPG transponder.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <unistd.h>

#include "mux/Charset.h"
#include "mux/Config.h"
#include "mux/ModelGenerator.h"
#include "mux/NumberText.h"
#include "mux/OutputFile.h"
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
    "  --help                show this text\n"
    "  --version             show the version\n";

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
    long long v = 0;
    if (!mux::parseInteger(text, lo, hi, &v))
        return false;
    out = static_cast<int>(v);
    return true;
}

bool parseOrbital(const std::string& text, mux::Config& cfg)
{
    double deg = 0;
    char side = 0;
    int used = 0;
    // The whole text: digits, one side letter, nothing after it; NaN fails the range test.
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0])) ||
        std::sscanf(text.c_str(), "%lf%c%n", &deg, &side, &used) != 2 || static_cast<size_t>(used) != text.size() ||
        (side != 'E' && side != 'W') || !(deg >= 0 && deg <= 180))
        return false;
    cfg.orbitalPosition = static_cast<int>(deg * 10 + 0.5);
    cfg.west = side == 'W';
    return true;
}

// One line per channel, theme and programme, then the summaries, for people and scripts.
bool writeListing(const std::string& path, const mux::Model& m)
{
    if (path == "-")
        return mux::writeWeekListing(stdout, m) && std::fflush(stdout) == 0;
    FILE* f = std::fopen(path.c_str(), "w");
    if (!f)
        return false;
    const bool ok = mux::writeWeekListing(f, m) && std::fflush(f) == 0;
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
                return fail(std::string("bad ") + number->name + " (a whole number from " + std::to_string(number->lo) +
                            " to " + std::to_string(number->hi) + ")");
        } else if (flag) {
            *flag->field = flag->value;
        } else if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--version") {
            std::printf("orvalis-mux %s\n", ORVALIS_VERSION);
            return 0;
        } else if (a == "--list") {
            listing = value("--list");
        } else if (a == "--seed") {
            if (!mux::parseSeed(value("--seed"), &cfg.seed))
                return fail("bad --seed (a number from 0 to 18446744073709551615, decimal or 0x hex)");
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
    if (!listing.empty() && !writeListing(listing, model)) {
        std::fprintf(stderr, "orvalis-mux: cannot write %s\n", listing.c_str());
        return 1;
    }
    // The stream goes out as it is made: at high rates and many passes it is far
    // larger than memory.
    uint64_t bytes = 0;
    auto produce = [&](const mux::ByteSink& sink) {
        return mux::writeTransportStream(cfg, model, [&](const uint8_t* data, size_t size) {
            bytes += size;
            return sink(data, size);
        });
    };
    std::string error;
    if (output.empty()) {
        if (stats)
            produce([](const uint8_t*, size_t) { return true; });
    } else if (!mux::writeOutput(output, produce, &error)) {
        std::fprintf(stderr, "orvalis-mux: %s\n", error.c_str());
        return 1;
    }
    if (stats) {
        size_t text = 0;
        for (const auto& s : model.summaries)
            text += s.text.size();
        std::fprintf(stderr, "channels %zu, themes %zu, titles %zu, summaries %zu (%zu bytes of text), %llu packets, %.1f s\n",
                     model.channels.size(), model.themes.size(), model.titles.size(), model.summaries.size(), text,
                     static_cast<unsigned long long>(bytes / 188), bytes * 8.0 / cfg.muxRate);
    }
    return 0;
}
