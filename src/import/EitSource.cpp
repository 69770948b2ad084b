#include "import/EitSource.h"

#include "scan/ContentGenre.h"
#include "xmltv/GuideXmltvWriter.h"

#include <cstdio>

namespace importer {
namespace {

bool titled(const scan::GuideEvent& e)
{
    for (const auto& t : e.titles)
        if (!t.name.empty())
            return true;
    return false;
}

Programme programme(scan::GuideEvent& e, size_t channel)
{
    Programme p;
    p.channel = channel;
    p.start = std::time_t(e.start);
    p.stop = e.duration ? std::time_t(e.start + e.duration) : 0;
    std::string shortText;
    for (auto& t : e.titles) {
        if (shortText.empty() && !t.text.empty() && t.text != t.name)
            shortText = std::move(t.text);
        if (p.title.empty() && !t.name.empty())
            p.title = std::move(t.name);
    }
    for (const auto& x : e.extended) {
        p.desc = xmltv::GuideXmltvWriter::description(x);
        if (!p.desc.empty())
            break;
    }
    if (p.desc.empty())
        p.desc = std::move(shortText);
    // The first entry with a genre of the table decides theme and sub-theme together.
    for (const auto& c : e.content) {
        const std::string_view genre = scan::genreName(c.level1);
        if (genre.empty())
            continue;
        p.categories.emplace_back(genre);
        const std::string_view sub = scan::subGenreName(c.level1, c.level2);
        if (!sub.empty())
            p.categories.emplace_back(sub);
        break;
    }
    return p;
}

} // namespace

void EitSource::convert(const scan::EitGuide& eit, SourceGuide& guide, Report& report)
{
    auto services = eit.services();
    convert(std::move(services), eit.counters(), guide, report);
}

void EitSource::convert(std::vector<scan::GuideService>&& services, const scan::EitGuideCounters& n,
                        SourceGuide& guide, Report& report)
{
    size_t untitled = 0;
    for (scan::GuideService& s : services) {
        size_t channel = guide.channels.size();
        bool declared = false;
        for (scan::GuideEvent& e : s.events) {
            if (!titled(e)) {
                ++untitled;
                continue;
            }
            if (!declared) {
                SourceChannel c;
                char id[40];
                std::snprintf(id, sizeof id, "%x.%x.%x.dvb", s.onid, s.tsid, s.sid);
                c.id = id;
                c.names = {s.name.empty() ? c.id : s.name};
                c.service = ServiceKey{s.onid, s.tsid, s.sid};
                guide.channels.push_back(c);
                declared = true;
            }
            guide.programmes.push_back(programme(e, channel));
        }
        // What is taken is let go at once: a satellite's week is held only about once.
        std::vector<scan::GuideEvent>().swap(s.events);
    }
    if (untitled)
        report.note(guide.name + ": " + std::to_string(untitled) + " events without a title are left out");
    if (n.badLayout || n.badEvents || n.badDescriptors)
        report.note(guide.name + ": dropped as broken: " + std::to_string(n.badLayout) + " sections, " +
                    std::to_string(n.badEvents) + " events (time undefined or outside 1970-2038), " +
                    std::to_string(n.badDescriptors) + " descriptors");
    if (n.overlapped)
        report.note(guide.name + ": " + std::to_string(n.overlapped) + " events overlapped a newer one and are left out");
}

bool EitSource::readFiles(const std::vector<std::string>& files, SourceGuide& guide, Report& report, std::string* error)
{
    std::vector<scan::GuideService> services;
    scan::EitGuideCounters counters;
    {
        scan::EitGuide eit;
        for (const std::string& f : files) {
            if (!eit.addFile(f, error))
                return false; // the message names the file
            eit.nextStream();
        }
        if (eit.streamTime())
            m_time = std::time_t(*eit.streamTime());
        services = eit.services();
        counters = eit.counters();
    } // the reader's own copy of the week goes before the guide is made
    guide.name = files.size() == 1 ? files[0] : files[0] + " and " + std::to_string(files.size() - 1) + " more";
    convert(std::move(services), counters, guide, report);
    return true;
}

void EitSource::readStream(const uint8_t* data, size_t size, SourceGuide& guide, Report& report)
{
    scan::EitGuide eit;
    eit.addStream(data, size);
    if (eit.streamTime())
        m_time = std::time_t(*eit.streamTime());
    convert(eit, guide, report);
}

} // namespace importer
