#include "xmltv/OfflineWeekReader.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <vector>

#include "host/platform/FileSystem.h"

namespace xmltv {
namespace {

constexpr size_t kMaxChannels = 300;
constexpr int kThemeGroups = 16;

std::vector<std::string> splitFields(const std::string& line)
{
    std::vector<std::string> out;
    size_t from = 0;
    for (;;) {
        size_t at = line.find("<>", from);
        if (at == std::string::npos) {
            out.push_back(line.substr(from));
            return out;
        }
        out.push_back(line.substr(from, at - from));
        from = at + 2;
    }
}

bool parseNumber(const std::string& text, int base, long lo, long hi, long& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, base);
    if (errno || *end || v < lo || v > hi)
        return false;
    out = v;
    return true;
}


std::string at(const std::string& path, int line) { return path + " line " + std::to_string(line) + ": "; }

// The whole of a regular file of bounded size, or *error saying why not ("PATH: ...").
bool readWhole(const std::string& path, bool inRoot, std::string* data, std::string* error)
{
    std::string why;
    const bool ok = inRoot ? host::readRegularFile(path, data, OfflineWeekReader::kMaxFileBytes, &why)
                           : host::readRegularHostFile(path, data, OfflineWeekReader::kMaxFileBytes, &why);
    if (ok)
        return true;
    const int err = errno;
    // The host's messages start with the path; ours put a colon after it.
    std::string rest = why.rfind(path, 0) == 0 ? why.substr(std::min(why.size(), path.size() + 1)) : why;
    if (rest.rfind("cannot be opened", 0) == 0)
        rest = std::string("cannot open the file (") + std::strerror(err) + ")";
    *error = path + ": " + rest;
    return false;
}

} // namespace

// Hands every line of the file (without its "\n", and without a "\r" a copied file
// may have gained), with its number, to take(); take() returns false when the line
// is malformed, having said why in *error.
template <class Take>
bool OfflineWeekReader::eachLine(const std::string& path, std::string* error, Take take) const
{
    std::string data;
    if (!readWhole(path, m_inRoot, &data, error))
        return false;
    std::string line;
    int number = 0;
    for (size_t from = 0; from < data.size();) {
        size_t end = data.find('\n', from);
        if (end == std::string::npos)
            end = data.size();
        line.assign(data, from, end - from);
        from = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!take(line, ++number))
            return false;
    }
    return true;
}

bool OfflineWeekReader::locateInRoot(const std::string& root, std::string* configFile, std::string* directory,
                                     std::string* error)
{
    struct stat st {};
    if (::stat(root.c_str(), &st) != 0) {
        *error = root + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        *error = root + ": not a folder";
        return false;
    }
    host::setFileSystemRoot(root);
    for (const char* dir : {"/var/tuxbox/plugins", "/lib/tuxbox/plugins", "/usr/lib/tuxbox/plugins"}) {
        const std::string config = std::string(dir) + "/orvalis.cfg";
        std::string text, why;
        if (!host::readRegularFile(config, &text, kMaxFileBytes, &why)) {
            if (errno == ENOENT || errno == ENOTDIR)
                continue;
            *error = root + ": " + why;
            return false;
        }
        *configFile = config;
        std::string path = "/hdd/orvalis/";
        for (size_t from = 0; from < text.size();) {
            size_t end = text.find('\n', from);
            if (end == std::string::npos)
                end = text.size();
            if (text.compare(from, 12, "OfflinePath=") == 0)
                path = text.substr(from + 12, end - from - 12);
            from = end + 1;
        }
        while (!path.empty() && path.back() == '\r')
            path.pop_back();
        *directory = (path.empty() || path[0] != '/' ? "/" : "") + path;
        return true;
    }
    *error = root + ": no orvalis.cfg in its var/tuxbox/plugins, lib/tuxbox/plugins or usr/lib/tuxbox/plugins";
    return false;
}

std::string OfflineWeekReader::file(const char* name) const
{
    return m_dir.empty() || m_dir.back() == '/' ? m_dir + name : m_dir + "/" + name;
}

bool OfflineWeekReader::read(Week& week, std::string* error, bool needLogDate)
{
    return readConfig(error, needLogDate) && readChannels(week, error) && readThemes(week, error) &&
           readTitles(week, error) && readSummaries(week, error);
}

bool OfflineWeekReader::readConfig(std::string* error, bool needLogDate)
{
    bool haveDate = false;
    const bool read = eachLine(m_config, error, [&](const std::string& line, int number) {
        if (line.rfind("LogDate=", 0) == 0) {
            long v = 0;
            if (!parseNumber(line.substr(8), 10, 0, 0x7fffffffL, v)) {
                *error = at(m_config, number) + "malformed LogDate";
                return false;
            }
            m_logDate = static_cast<std::time_t>(v);
            haveDate = v > 0;
        } else if (line.rfind("EPGService=", 0) == 0) {
            // 1:0:1:SID:TSID:ONID:NAMESPACE:0:0:0: - the rule goes with namespaces such as 820000.
            std::string ns;
            size_t from = 11;
            for (int field = 0; field <= 6; ++field) {
                const size_t colon = line.find(':', from);
                const std::string text = line.substr(from, colon == std::string::npos ? colon : colon - from);
                if (field == 6)
                    ns = text;
                if (colon == std::string::npos)
                    break;
                from = colon + 1;
            }
            m_daysCarryEarlyMorningRule = ns.find("8200") != std::string::npos;
        }
        return true;
    });
    if (!read)
        return false;
    if (needLogDate && !haveDate) {
        *error = m_config + ": no LogDate of a complete logging run to date the week by; use --system-clock";
        return false;
    }
    return true;
}

bool OfflineWeekReader::readChannels(Week& week, std::string* error) const
{
    const std::string path = file("channels.gep");
    return eachLine(path, error, [&](const std::string& line, int number) {
        const size_t sep = line.find("<>");
        // A channel sent without a name keeps its line, so the later channels keep
        // the indices the titles name.
        if (sep == std::string::npos || week.channels.size() == kMaxChannels)
            return true; // the LogDate line, empty lines, channels past the table's capacity
        const std::string key = line.substr(sep + 2);
        long sid = 0, tsid = 0, onid = 0;
        const size_t c1 = key.find(':'), c2 = c1 == std::string::npos ? c1 : key.find(':', c1 + 1);
        if (c2 == std::string::npos || !parseNumber(key.substr(0, c1), 16, 0, 0xFFFF, sid) ||
            !parseNumber(key.substr(c1 + 1, c2 - c1 - 1), 16, 0, 0xFFFF, tsid) ||
            !parseNumber(key.substr(c2 + 1), 16, 0, 0xFFFF, onid)) {
            *error = at(path, number) + "malformed channel line (expected NAME<>sid:tsid:onid)";
            return false;
        }
        week.channels.push_back(Channel{uint16_t(onid), uint16_t(tsid), uint16_t(sid), line.substr(0, sep)});
        return true;
    });
}

bool OfflineWeekReader::readThemes(Week& week, std::string* error) const
{
    const std::string path = file("themes.gep");
    int themes = 0, head = -1, used = 0;
    return eachLine(path, error, [&](const std::string& line, int number) {
        const bool theme = line.find("THM") != std::string::npos;
        if (!theme && line.find("SUB") == std::string::npos)
            return true;
        const auto fields = splitFields(line);
        if (fields.size() < 3) {
            *error = at(path, number) + "malformed theme line (expected THM<>slot<>NAME or SUB<>slot<>NAME)";
            return false;
        }
        std::string name = line.substr(fields[0].size() + fields[1].size() + 4).substr(0, 15);
        // Places come from the order of the lines, as in the section itself.
        if (theme && themes < kThemeGroups) {
            head = themes++ * 16;
            used = 1;
            week.themes[size_t(head)] = name;
        } else if (head >= 0 && used < 16 && head + used < kThemeSlots) {
            week.themes[size_t(head + used++)] = name;
        }
        return true;
    });
}

bool OfflineWeekReader::readTitles(Week& week, std::string* error) const
{
    const std::string path = file("titles.gep");
    return eachLine(path, error, [&](const std::string& line, int number) {
        if (line.empty() || line.rfind("LogDate=", 0) == 0)
            return true;
        // ID<>CHANNEL<>DAY<>HH:MM<>TITLE<>DURATION<>SLOT; a title may itself hold "<>",
        // so the fixed fields are taken from both ends.
        auto f = splitFields(line);
        long id = 0, channel = 0, day = 0, hour = 0, minute = 0, duration = 0, slot = 0;
        bool ok = f.size() >= 7;
        if (ok) {
            const std::string& time = f[3];
            const size_t colon = time.find(':');
            ok = colon != std::string::npos && parseNumber(f[0], 16, 0, 0xFFFFFFFFL, id) &&
                 parseNumber(f[1], 10, 0, kMaxChannels - 1, channel) && parseNumber(f[2], 10, 0, 7, day) &&
                 parseNumber(time.substr(0, colon), 10, 0, 31, hour) &&
                 parseNumber(time.substr(colon + 1), 10, 0, 59, minute) &&
                 parseNumber(f[f.size() - 2], 10, 0, 0xFFFF, duration) &&
                 parseNumber(f[f.size() - 1], 16, 0, 0xFF, slot);
        }
        if (!ok) {
            *error = at(path, number) + "malformed title line (expected ID<>CHANNEL<>DAY<>HH:MM<>TITLE<>MINUTES<>SLOT)";
            return false;
        }
        Title t;
        t.channelIndex = int(channel);
        t.themeSlot = int(slot);
        t.duration = int(duration);
        t.summaryId = uint32_t(id);
        std::string title = f[4];
        for (size_t k = 5; k + 2 < f.size(); ++k)
            title += "<>" + f[k];
        while (!title.empty() && title.back() == ' ')
            title.pop_back(); // the padding of the broadcast field, as from the air
        t.title = title;
        if (day == 7) {
            t.day = 7;
            t.minuteOfDay = int(hour <= 5 ? hour + 24 : hour) * 60 + int(minute);
        } else if (hour <= 5 && m_daysCarryEarlyMorningRule) {
            t.day = int(day);
            t.minuteOfDay = int(hour + 24) * 60 + int(minute);
        } else {
            toBroadcastDay(int(day), int(hour), int(minute), t);
        }
        week.titles.push_back(t);
        return true;
    });
}

bool OfflineWeekReader::readSummaries(Week& week, std::string* error) const
{
    const std::string path = file("summaries.gep");
    return eachLine(path, error, [&](const std::string& line, int number) {
        if (line.empty() || line.rfind("LogDate=", 0) == 0)
            return true;
        const size_t sep = line.find("<>");
        long id = 0;
        if (sep == std::string::npos || !parseNumber(line.substr(0, sep), 16, 0, 0xFFFFFFFFL, id)) {
            *error = at(path, number) + "malformed summary line (expected ID<>TEXT)";
            return false;
        }
        std::string text = line.substr(sep + 2);
        for (char& c : text)
            if (c == '#')
                c = '\n'; // the logger's stand-in for the broadcaster's carriage returns
        week.summaries.emplace(uint32_t(id), std::move(text));
        return true;
    });
}

} // namespace xmltv
