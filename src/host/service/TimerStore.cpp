#include "host/service/TimerStore.h"
#include "host/platform/FileLock.h"
#include "host/platform/FileSystem.h"
#include "host/platform/Log.h"
#include "host/service/eServiceInterface.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
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

// A whole decimal number within [low, high].
bool parseInteger(const std::string& text, long long low, long long high, long long* out)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < low || v > high)
        return false;
    *out = v;
    return true;
}

} // namespace

bool Timer::operator==(const Timer& o) const
{
    return service == o.service && description == o.description && start == o.start && duration == o.duration &&
           type == o.type;
}

bool Timer::clashesWith(const Timer& o) const
{
    if (service == o.service)
        return false;
    return start < o.start + o.duration && o.start < start + duration;
}

const char* shortWeekday(int wday)
{
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    return wday >= 0 && wday < 7 ? kDays[wday] : "";
}

eString timerLine(const Timer& t, bool clashing)
{
    struct tm s {}, e {};
    time_t end = t.start + t.duration;
    localtime_r(&t.start, &s);
    localtime_r(&end, &e);
    eString name = t.description;
    if (name.empty()) {
        if (const auto* entry = eServiceInterface::getInstance()->find(t.service))
            name = entry->name;
    }
    eString text;
    text.sprintf("%s %02d.%02d. %02d:%02d-%02d:%02d  %s%s", shortWeekday(s.tm_wday), s.tm_mday, s.tm_mon + 1, s.tm_hour,
                 s.tm_min, e.tm_hour, e.tm_min, clashing ? "[overlap] " : "", name.c_str());
    return text;
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
        long long start = 0, duration = 0, type = 0;
        if (!parseInteger(f[0], 0, kLatestStart, &start) || !parseInteger(f[1], 0, kLongestTimer, &duration) ||
            !parseInteger(f[2], INT_MIN, INT_MAX, &type))
            continue; // out of range: the line is damaged
        t.start = static_cast<time_t>(start);
        t.duration = static_cast<int>(duration);
        t.type = static_cast<int>(type);
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
    if (reload())
        return true;
    m_timers.clear();
    logMessage("box", "%s", m_error.c_str());
    return false;
}

bool TimerStore::reload()
{
    std::string text;
    std::string error;
    if (!readRegularFile(kFile, &text, kMaxFileBytes, &error)) {
        if (errno == ENOENT) {
            m_timers.clear();
            return true;
        }
        m_error = "The timer file cannot be read: " + error;
        return false;
    }
    m_timers = parse(text);
    return true;
}

bool TimerStore::save()
{
    std::string file = kFile;
    makeDirectories(file.substr(0, file.rfind('/')));
    std::string error;
    if (!writeFileInRoot(kFile, serialize(m_timers), &error)) {
        m_error = error;
        return false;
    }
    return true;
}

std::vector<size_t> TimerStore::clashes(const Timer& timer) const
{
    std::vector<size_t> found;
    for (size_t i = 0; i < m_timers.size(); ++i)
        if (timer.clashesWith(m_timers[i]))
            found.push_back(i);
    return found;
}

bool TimerStore::add(const Timer& timer)
{
    std::string file = kFile;
    makeDirectories(file.substr(0, file.rfind('/')));
    // A timer the list would drop at the next start is refused now, while the user can still see why.
    if (parse(serialize({timer})) != std::vector<Timer>{timer}) {
        m_error = "The timer's start, length or service cannot be kept in the timer list.";
        return false;
    }
    FileLock lock(kLockFile);
    if (!reload())
        return false; // never overwrite a file that could not be read
    std::vector<Timer> before = m_timers;
    auto it = std::upper_bound(m_timers.begin(), m_timers.end(), timer,
                               [](const Timer& a, const Timer& b) { return a.start < b.start; });
    m_timers.insert(it, timer);
    if (save())
        return true;
    m_timers = before;
    return false;
}

bool TimerStore::remove(size_t index)
{
    if (index >= m_timers.size())
        return false;
    Timer gone = m_timers[index];
    FileLock lock(kLockFile);
    if (!reload())
        return false;
    auto it = std::find(m_timers.begin(), m_timers.end(), gone);
    if (it == m_timers.end())
        return true; // another box removed it already
    std::vector<Timer> before = m_timers;
    m_timers.erase(it);
    if (save())
        return true;
    m_timers = before;
    return false;
}

} // namespace host
