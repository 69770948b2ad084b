#include "host/service/TimerStore.h"
#include "host/platform/FileSystem.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace host {
namespace {

std::string escape(const std::string& s)
{
    std::string out;
    for (char c : s) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string unescape(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            char n = s[++i];
            out += n == 't' ? '\t' : n == 'n' ? '\n' : n == 'r' ? '\r' : n;
        } else {
            out += s[i];
        }
    }
    return out;
}

} // namespace

const char* shortWeekday(int wday)
{
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    return wday >= 0 && wday < 7 ? kDays[wday] : "";
}

TimerStore& TimerStore::instance()
{
    static TimerStore store;
    return store;
}

std::string TimerStore::serialize(const std::vector<Timer>& timers)
{
    std::ostringstream out;
    for (const auto& t : timers)
        out << static_cast<long long>(t.start) << '\t' << t.duration << '\t' << t.type << '\t'
            << t.service.toString() << '\t' << escape(t.description) << '\n';
    return out.str();
}

std::vector<Timer> TimerStore::parse(const std::string& text)
{
    std::vector<Timer> timers;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        size_t pos = 0;
        for (int i = 0; i < 4; ++i) {
            size_t tab = line.find('\t', pos);
            if (tab == std::string::npos)
                break;
            f.push_back(line.substr(pos, tab - pos));
            pos = tab + 1;
        }
        if (f.size() != 4)
            continue; // a damaged line loses only itself
        Timer t;
        t.start = static_cast<time_t>(std::atoll(f[0].c_str()));
        t.duration = std::atoi(f[1].c_str());
        t.type = std::atoi(f[2].c_str());
        t.service = eServiceReference(eString(f[3]));
        t.description = unescape(line.substr(pos));
        if (!t.service.valid())
            continue;
        timers.push_back(t);
    }
    return timers;
}

bool TimerStore::load()
{
    m_timers.clear();
    std::ifstream in(hostPath(kFile), std::ios::binary);
    if (!in)
        return false;
    std::stringstream buf;
    buf << in.rdbuf();
    m_timers = parse(buf.str());
    return true;
}

bool TimerStore::save() const
{
    std::string file = hostPath(kFile);
    std::string dir = std::string(kFile).substr(0, std::string(kFile).rfind('/'));
    makeDirectories(dir);
    return writeFileAtomically(file, serialize(m_timers));
}

bool TimerStore::add(const Timer& timer)
{
    auto it = std::upper_bound(m_timers.begin(), m_timers.end(), timer,
                               [](const Timer& a, const Timer& b) { return a.start < b.start; });
    m_timers.insert(it, timer);
    return save();
}

bool TimerStore::remove(size_t index)
{
    if (index >= m_timers.size())
        return false;
    m_timers.erase(m_timers.begin() + static_cast<long>(index));
    return save();
}

} // namespace host
