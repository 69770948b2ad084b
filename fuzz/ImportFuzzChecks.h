#pragma once
// What the import's fuzz targets require of any week built from what a reader
// accepted: every title line has its seven fields with a channel and theme slot of
// the tables, every day position starts a line of that day, one line per distinct
// summary. A broken rule aborts, which the fuzzer reports.
#include "import/ChannelMap.h"
#include "import/WeekFiles.h"

#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace importfuzz {

inline void require(bool ok)
{
    if (!ok)
        std::abort();
}

inline void buildAndCheck(const importer::SourceGuide& guide, importer::Report& report, bool earlyMorningRule)
{
    importer::ChannelMap channels;
    channels.addServices("1:0:1:1:1:1:0:0:0:0:\tUno\n");
    channels.build(guide, report);
    importer::WeekOptions options;
    options.firstDay = guide.programmes.empty() ? 0 : guide.programmes.front().start;
    options.earlyMorningRule = earlyMorningRule;
    const importer::OfflineTexts t = importer::WeekFiles::build(guide, channels, options, report);

    std::istringstream in(t.titles);
    std::string line;
    std::getline(in, line);
    int lines = 0;
    while (std::getline(in, line)) {
        ++lines;
        std::vector<std::string> f;
        for (size_t from = 0;;) {
            const size_t at = line.find("<>", from);
            f.push_back(line.substr(from, at == std::string::npos ? at : at - from));
            if (at == std::string::npos)
                break;
            from = at + 2;
        }
        require(f.size() == 7);
        require(f[4].find('<') == std::string::npos);
        const int channel = std::atoi(f[1].c_str()), day = std::atoi(f[2].c_str());
        require(channel >= 0 && channel < t.channelCount && day >= 0 && day <= 7);
        require(std::strtoul(f[6].c_str(), nullptr, 16) < 255);
    }
    require(lines == t.titleCount);
    for (int d = 0; d < 8; ++d) {
        const size_t at = size_t(t.positions[size_t(d)]);
        if (!at)
            continue;
        require(at < t.titles.size() && t.titles[at - 1] == '\n');
        // The third field of the line there is the day.
        const size_t second = t.titles.find("<>", t.titles.find("<>", at) + 2) + 2;
        const size_t third = t.titles.find("<>", second);
        require(t.titles.compare(second, third - second, std::to_string(d)) == 0);
    }
    std::set<std::string> texts;
    std::istringstream sums(t.summaries);
    std::getline(sums, line);
    while (std::getline(sums, line))
        require(texts.insert(line.substr(line.find("<>"))).second);
}

} // namespace importfuzz
