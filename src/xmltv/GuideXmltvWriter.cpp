#include "xmltv/GuideXmltvWriter.h"

#include <algorithm>
#include <string_view>

#include "scan/ContentGenre.h"
#include "xmltv/LanguageCode.h"
#include "xmltv/XmltvWriter.h"

namespace xmltv {
namespace {

bool hasTitle(const scan::GuideEvent& e)
{
    return std::any_of(e.titles.begin(), e.titles.end(), [](const scan::GuideTitle& t) { return !t.name.empty(); });
}

// An element with an optional lang attribute and escaped text.
void element(std::string& out, const char* name, const std::string& language, const std::string& text)
{
    const std::string lang = xmltvLanguage(language);
    out += "    <";
    out += name;
    if (!lang.empty()) {
        out += " lang=\"";
        out += lang;
        out += '"';
    }
    out += '>';
    XmltvWriter::appendEscaped(out, text);
    out += "</";
    out += name;
    out += ">\n";
}

} // namespace

std::string GuideXmltvWriter::description(const scan::GuideExtended& e)
{
    std::string out;
    for (const auto& item : e.items) {
        if (item.description.empty() && item.item.empty())
            continue;
        out += item.description.empty() ? item.item : item.description + ": " + item.item;
        out += '\n';
    }
    out += e.text;
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

GuideWriteCounts GuideXmltvWriter::write(std::FILE* out, const std::vector<scan::GuideService>& services) const
{
    return writeFrom(out, [&](bool, const Visit& visit) {
        for (const auto& s : services)
            visit(s);
    });
}

GuideWriteCounts GuideXmltvWriter::write(std::FILE* out, const scan::EitGuide& guide) const
{
    return writeFrom(out, [&](bool titlesOnly, const Visit& visit) { guide.forEachService(visit, titlesOnly); });
}

GuideWriteCounts GuideXmltvWriter::writeFrom(std::FILE* out, const Services& services) const
{
    GuideWriteCounts counts;
    std::fprintf(out, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n");
    std::fprintf(out, "<tv generator-info-name=\"%s\">\n", XmltvWriter::escaped(m_generator).c_str());

    // All channels come before the programmes: the services are gone through twice,
    // the first time for their titles only.
    services(true, [&](const scan::GuideService& s) {
        if (std::none_of(s.events.begin(), s.events.end(), hasTitle))
            return;
        const std::string id = XmltvWriter::channelId(Channel{s.onid, s.tsid, s.sid, {}});
        // A channel needs a display name; a service no SDT named is shown by its id.
        const std::string& name = s.name.empty() ? id : s.name;
        std::fprintf(out, "  <channel id=\"%s\">\n    <display-name>%s</display-name>\n  </channel>\n", id.c_str(),
                     XmltvWriter::escaped(name).c_str());
        ++counts.channels;
    });

    std::vector<std::string_view> categories;
    std::string p; // one programme, written at once
    services(false, [&](const scan::GuideService& s) {
        const std::string id = XmltvWriter::channelId(Channel{s.onid, s.tsid, s.sid, {}});
        for (const scan::GuideEvent& e : s.events) {
            if (!hasTitle(e)) {
                ++counts.untitled;
                continue;
            }
            p = "  <programme start=\"";
            p += XmltvWriter::timeText(std::time_t(e.start));
            if (e.duration > 0) {
                p += "\" stop=\"";
                p += XmltvWriter::timeText(std::time_t(e.start + e.duration));
            }
            p += "\" channel=\"";
            p += id;
            p += "\">\n";
            for (const auto& t : e.titles)
                if (!t.name.empty())
                    element(p, "title", t.language, t.name);
            for (const auto& t : e.titles)
                if (!t.text.empty() && t.text != t.name)
                    element(p, "sub-title", t.language, t.text);
            for (const auto& x : e.extended) {
                const std::string text = description(x);
                if (!text.empty())
                    element(p, "desc", x.language, text);
            }
            categories.clear();
            for (const auto& c : e.content) {
                for (std::string_view name : {scan::genreName(c.level1), scan::subGenreName(c.level1, c.level2)})
                    if (!name.empty() && std::find(categories.begin(), categories.end(), name) == categories.end())
                        categories.push_back(name);
            }
            for (std::string_view name : categories) {
                p += "    <category lang=\"en\">";
                p += name;
                p += "</category>\n";
            }
            for (const auto& r : e.ratings) {
                if (r.minimumAge() <= 0)
                    continue;
                p += "    <rating system=\"";
                XmltvWriter::appendEscaped(p, r.country);
                p += "\">\n      <value>" + std::to_string(r.minimumAge()) + "</value>\n    </rating>\n";
            }
            p += "  </programme>\n";
            std::fwrite(p.data(), 1, p.size(), out);
            ++counts.programmes;
        }
    });
    std::fprintf(out, "</tv>\n");
    return counts;
}

} // namespace xmltv
