#include "xmltv/XmltvWriter.h"

#include "host/gfx/TextCodec.h"

#include <algorithm>
#include <set>

namespace xmltv {
namespace {

bool xmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

} // namespace

std::string XmltvWriter::channelId(const Channel& c)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%x.%x.%x.dvb", c.onid, c.tsid, c.sid);
    return buf;
}

std::string XmltvWriter::timeText(std::time_t t)
{
    std::tm tm{};
    localtime_r(&t, &tm);
    const long offset = tm.tm_gmtoff / 60;
    const long magnitude = offset < 0 ? -offset : offset;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d %c%02ld%02ld", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, offset < 0 ? '-' : '+', magnitude / 60,
                  magnitude % 60);
    return buf;
}

std::string XmltvWriter::xmlText(const std::string& airText)
{
    std::u32string kept;
    for (char32_t c : host::decodeText(airText))
        if (xmlChar(c))
            kept += c;
    return escaped(host::encodeUtf8(kept));
}

std::string XmltvWriter::escaped(const std::string& utf8)
{
    std::string out;
    appendEscaped(out, utf8);
    return out;
}

void XmltvWriter::appendEscaped(std::string& out, const std::string& utf8)
{
    size_t from = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const char* entity = nullptr;
        switch (utf8[i]) {
        case '&': entity = "&amp;"; break;
        case '<': entity = "&lt;"; break;
        case '>': entity = "&gt;"; break;
        case '"': entity = "&quot;"; break;
        default: continue;
        }
        out.append(utf8, from, i - from);
        out += entity;
        from = i + 1;
    }
    out.append(utf8, from, std::string::npos);
}

WriteCounts XmltvWriter::write(std::FILE* out, const Week& week, const std::vector<Airing>& airings) const
{
    WriteCounts counts;
    std::fprintf(out, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n");
    std::fprintf(out, "<tv generator-info-name=\"%s\">\n", xmlText(m_generator).c_str());
    std::set<std::string> written;
    for (const Channel& c : week.channels) {
        const std::string id = channelId(c);
        if (!written.insert(id).second)
            continue; // a service listed twice is one channel; its programmes meet under one id
        // A channel needs a display name; one sent without a name is shown by its id.
        const std::string name = c.name.empty() ? id : c.name;
        std::fprintf(out, "  <channel id=\"%s\">\n    <display-name>%s</display-name>\n  </channel>\n", id.c_str(),
                     xmlText(name).c_str());
        ++counts.channels;
    }

    // Channel by channel, each in time order; repeats stay separate programmes.
    std::vector<const Airing*> order;
    for (const Airing& a : airings) {
        if (a.title->channelIndex < 0 || size_t(a.title->channelIndex) >= week.channels.size()) {
            ++counts.withoutChannel;
            continue;
        }
        order.push_back(&a);
    }
    std::stable_sort(order.begin(), order.end(), [](const Airing* a, const Airing* b) {
        if (a->title->channelIndex != b->title->channelIndex)
            return a->title->channelIndex < b->title->channelIndex;
        return a->start < b->start;
    });

    for (const Airing* a : order) {
        const Title& t = *a->title;
        std::fprintf(out, "  <programme start=\"%s\" stop=\"%s\" channel=\"%s\">\n", timeText(a->start).c_str(),
                     timeText(a->stop).c_str(), channelId(week.channels[size_t(t.channelIndex)]).c_str());
        std::fprintf(out, "    <title>%s</title>\n", xmlText(t.title).c_str());
        auto summary = week.summaries.find(t.summaryId);
        if (summary != week.summaries.end() && !summary->second.empty())
            std::fprintf(out, "    <desc>%s</desc>\n", xmlText(summary->second).c_str());
        const int group = t.themeSlot / 16 * 16;
        if (group < kThemeSlots && !week.themes[size_t(group)].empty()) {
            std::fprintf(out, "    <category>%s</category>\n", xmlText(week.themes[size_t(group)]).c_str());
            if (t.themeSlot != group && t.themeSlot < kThemeSlots && !week.themes[size_t(t.themeSlot)].empty())
                std::fprintf(out, "    <category>%s</category>\n", xmlText(week.themes[size_t(t.themeSlot)]).c_str());
        }
        std::fprintf(out, "  </programme>\n");
        ++counts.programmes;
    }
    std::fprintf(out, "</tv>\n");
    return counts;
}

} // namespace xmltv
