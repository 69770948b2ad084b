#pragma once
// Writes the guide of DVB service information (see scan::EitGuide) as an XMLTV
// document: one <channel> per service with programmes (id "onid.tsid.sid.dvb",
// display-name from the SDT), one <programme> per event with a title: start and stop
// from the UTC start and duration in local time with the zone's offset, title and
// sub-title from the short event texts and desc from the extended event items and
// text, each in its language, categories from the content nibbles (English), ratings
// from the parental rating descriptor (minimum ages by country).
#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "scan/EitGuide.h"

namespace xmltv {

struct GuideWriteCounts {
    size_t channels = 0;
    size_t programmes = 0;
    size_t untitled = 0; // events without a title: XMLTV needs one, so they are left out
};

class GuideXmltvWriter {
public:
    explicit GuideXmltvWriter(std::string generator) : m_generator(std::move(generator)) {}

    GuideWriteCounts write(std::FILE* out, const std::vector<scan::GuideService>& services) const;
    // Straight from the guide, one service decoded at a time.
    GuideWriteCounts write(std::FILE* out, const scan::EitGuide& guide) const;

    // The desc text of one language: "description: item" lines, then the text.
    static std::string description(const scan::GuideExtended& e);

private:
    using Visit = std::function<void(const scan::GuideService&)>;
    // Calls visit for every service, in the same order each time; titlesOnly: the
    // events need no more than their titles.
    using Services = std::function<void(bool titlesOnly, const Visit& visit)>;
    GuideWriteCounts writeFrom(std::FILE* out, const Services& services) const;

    std::string m_generator;
};

} // namespace xmltv
