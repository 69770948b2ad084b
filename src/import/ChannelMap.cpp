#include "import/ChannelMap.h"

#include "host/gfx/TextCodec.h"

#include <cctype>
#include <cstdlib>
#include <set>
#include <sstream>

namespace importer {
namespace {

bool hexField(const std::string& text, uint16_t& out)
{
    if (text.empty() || text.size() > 4)
        return false;
    for (char c : text)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    out = static_cast<uint16_t>(std::strtoul(text.c_str(), nullptr, 16));
    return true;
}

std::vector<std::string> split(const std::string& text, char sep)
{
    std::vector<std::string> out;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, sep))
        out.push_back(part);
    return out;
}

std::string describe(const ServiceKey& k)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%x.%x.%x.dvb", k.onid, k.tsid, k.sid);
    return buf;
}

} // namespace

bool ChannelMap::parseDvbId(const std::string& id, ServiceKey& out)
{
    const auto f = split(id, '.');
    return f.size() == 4 && f[3] == "dvb" && hexField(f[0], out.onid) && hexField(f[1], out.tsid) &&
           hexField(f[2], out.sid);
}

bool ChannelMap::parseReference(const std::string& ref, ServiceKey& out)
{
    const auto f = split(ref, ':');
    return f.size() >= 6 && f[0] == "1" && hexField(f[3], out.sid) && hexField(f[4], out.tsid) &&
           hexField(f[5], out.onid);
}

std::string ChannelMap::nameKey(const std::string& name)
{
    const std::string utf8 = host::encodeUtf8(host::decodeText(name));
    std::string out;
    bool blank = false;
    for (char c : utf8) {
        if (c == ' ' || c == '\t') {
            blank = !out.empty();
            continue;
        }
        if (blank)
            out += ' ';
        blank = false;
        out += c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c;
    }
    return out;
}

void ChannelMap::addServices(const std::string& text)
{
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t tab = line.find('\t');
        ServiceKey key;
        if (line.empty() || line[0] == '#' || tab == std::string::npos || !parseReference(line.substr(0, tab), key))
            continue;
        std::string name = line.substr(tab + 1);
        const size_t more = name.find('\t');
        if (more != std::string::npos)
            name.erase(more);
        const std::string k = nameKey(name);
        if (!k.empty())
            m_byName.emplace(k, Named{key, host::encodeUtf8(host::decodeText(name))});
        m_references.emplace(key, line.substr(0, tab));
    }
}

std::string ChannelMap::referenceOf(const ServiceKey& service) const
{
    const auto it = m_references.find(service);
    return it == m_references.end() ? std::string() : it->second;
}

unsigned long ChannelMap::namespaceOf(const std::string& ref)
{
    const auto f = split(ref, ':');
    if (f.size() < 7 || f[6].empty() || f[6].size() > 8 ||
        f[6].find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return 0;
    return std::strtoul(f[6].c_str(), nullptr, 16);
}

void ChannelMap::build(const SourceGuide& guide, Report& report)
{
    m_channels.clear();
    m_index.assign(guide.channels.size(), -1);
    std::map<ServiceKey, int> placed;
    size_t overflow = 0;
    for (size_t i = 0; i < guide.channels.size(); ++i) {
        const SourceChannel& c = guide.channels[i];
        const std::string where = guide.name + (c.line ? " line " + std::to_string(c.line) : std::string()) + ": ";
        ServiceKey key;
        std::string name = c.names.empty() ? c.id : c.names.front();
        bool found = false;
        if (c.service) {
            key = *c.service;
            found = true;
        } else if (parseDvbId(c.id, key)) {
            found = true;
        } else {
            // Any of its names may be the one the box knows; all that match must agree.
            std::set<ServiceKey> matches;
            std::string matchedName;
            for (const auto& n : c.names) {
                auto range = m_byName.equal_range(nameKey(n));
                for (auto it = range.first; it != range.second; ++it) {
                    matches.insert(it->second.service);
                    matchedName = it->second.name;
                }
            }
            if (matches.size() == 1) {
                key = *matches.begin();
                name = matchedName;
                found = true;
            } else if (matches.empty()) {
                report.note(where + "channel \"" + c.id + "\" (" + name +
                            ") is left out: no service of the box has that name");
            } else {
                report.note(where + "channel \"" + c.id + "\" (" + name + ") is left out: " +
                            std::to_string(matches.size()) + " services of the box have that name");
            }
        }
        if (!found)
            continue;
        auto known = placed.find(key);
        if (known != placed.end()) {
            report.note(where + "channel \"" + c.id + "\" is the service " + describe(key) +
                        " again; its programmes join the first");
            m_index[i] = known->second;
            continue;
        }
        if (m_channels.size() == kMaxChannels) {
            ++overflow;
            continue;
        }
        placed.emplace(key, int(m_channels.size()));
        m_index[i] = int(m_channels.size());
        m_channels.push_back(GuideChannel{key, name});
    }
    if (overflow)
        report.note(guide.name + ": " + std::to_string(overflow) + " channels are left out: the guide holds " +
                    std::to_string(kMaxChannels));
}

} // namespace importer
