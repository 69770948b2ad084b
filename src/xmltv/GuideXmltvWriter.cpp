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
void element(std::FILE* out, const char* name, const std::string& language, const std::string& text)
{
    const std::string lang = xmltvLanguage(language);
    if (lang.empty())
        std::fprintf(out, "    <%s>%s</%s>\n", name, XmltvWriter::escaped(text).c_str(), name);
    else
        std::fprintf(out, "    <%s lang=\"%s\">%s</%s>\n", name, lang.c_str(), XmltvWriter::escaped(text).c_str(), name);
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
    GuideWriteCounts counts;
    std::fprintf(out, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n");
    std::fprintf(out, "<tv generator-info-name=\"%s\">\n", XmltvWriter::escaped(m_generator).c_str());

    std::vector<std::string> ids(services.size());
    for (size_t i = 0; i < services.size(); ++i) {
        const scan::GuideService& s = services[i];
        if (std::none_of(s.events.begin(), s.events.end(), hasTitle))
            continue;
        ids[i] = XmltvWriter::channelId(Channel{s.onid, s.tsid, s.sid, {}});
        // A channel needs a display name; a service no SDT named is shown by its id.
        const std::string& name = s.name.empty() ? ids[i] : s.name;
        std::fprintf(out, "  <channel id=\"%s\">\n    <display-name>%s</display-name>\n  </channel>\n", ids[i].c_str(),
                     XmltvWriter::escaped(name).c_str());
        ++counts.channels;
    }

    std::vector<std::string_view> categories;
    for (size_t i = 0; i < services.size(); ++i) {
        for (const scan::GuideEvent& e : services[i].events) {
            if (!hasTitle(e)) {
                ++counts.untitled;
                continue;
            }
            const std::string start = XmltvWriter::timeText(std::time_t(e.start));
            if (e.duration > 0)
                std::fprintf(out, "  <programme start=\"%s\" stop=\"%s\" channel=\"%s\">\n", start.c_str(),
                             XmltvWriter::timeText(std::time_t(e.start + e.duration)).c_str(), ids[i].c_str());
            else
                std::fprintf(out, "  <programme start=\"%s\" channel=\"%s\">\n", start.c_str(), ids[i].c_str());
            for (const auto& t : e.titles)
                if (!t.name.empty())
                    element(out, "title", t.language, t.name);
            for (const auto& t : e.titles)
                if (!t.text.empty() && t.text != t.name)
                    element(out, "sub-title", t.language, t.text);
            for (const auto& x : e.extended) {
                const std::string text = description(x);
                if (!text.empty())
                    element(out, "desc", x.language, text);
            }
            categories.clear();
            for (const auto& c : e.content) {
                for (std::string_view name : {scan::genreName(c.level1), scan::subGenreName(c.level1, c.level2)})
                    if (!name.empty() && std::find(categories.begin(), categories.end(), name) == categories.end())
                        categories.push_back(name);
            }
            for (std::string_view name : categories)
                std::fprintf(out, "    <category lang=\"en\">%.*s</category>\n", int(name.size()), name.data());
            for (const auto& r : e.ratings)
                if (r.minimumAge() > 0)
                    std::fprintf(out, "    <rating system=\"%s\">\n      <value>%d</value>\n    </rating>\n",
                                 XmltvWriter::escaped(r.country).c_str(), r.minimumAge());
            std::fprintf(out, "  </programme>\n");
            ++counts.programmes;
        }
    }
    std::fprintf(out, "</tv>\n");
    return counts;
}

} // namespace xmltv
