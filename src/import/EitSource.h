#pragma once
// The guide a set of transport streams broadcasts in its EIT (ETSI EN 300 468), as
// a SourceGuide: one channel per service with titled events, its id ONID.TSID.SID.dvb
// and its SDT name; one programme per event, in its newest version. The title is the
// first event name, the description the extended event text (the short text when
// there is none), the theme the content descriptor's level-1 genre and the sub-theme
// its level-2 genre, in English. What the streams carry broken is dropped and counted
// by the EIT reader; what is dropped is reported here.
#include "import/Guide.h"
#include "scan/EitGuide.h"

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace importer {

class EitSource {
public:
    // Reads the files (several transponders of one network merge). False with *error
    // when a file cannot be read or shows no transport stream.
    bool readFiles(const std::vector<std::string>& files, SourceGuide& guide, Report& report, std::string* error);
    // The same for a stream in memory.
    void readStream(const uint8_t* data, size_t size, SourceGuide& guide, Report& report);

    // The time of the last TDT or TOT of the streams read, if any.
    std::optional<std::time_t> streamTime() const { return m_time; }

    // The guide of what an EIT reader has gathered.
    static void convert(const scan::EitGuide& eit, SourceGuide& guide, Report& report);
    // The same from services taken out of it; their events are used up.
    static void convert(std::vector<scan::GuideService>&& services, const scan::EitGuideCounters& counters,
                        SourceGuide& guide, Report& report);

private:
    std::optional<std::time_t> m_time;
};

} // namespace importer
