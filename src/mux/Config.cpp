#include "mux/Config.h"

#include <cstdio>

namespace mux {

time_t today()
{
    time_t now = time(nullptr);
    struct tm tm;
    localtime_r(&now, &tm);
    tm.tm_hour = tm.tm_min = tm.tm_sec = 0;
    tm.tm_isdst = -1;
    return mktime(&tm);
}

time_t parseDay(const std::string& text)
{
    int y = 0, m = 0, d = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3)
        return 0;
    if (y < 1970 || m < 1 || m > 12 || d < 1 || d > 31)
        return 0;
    struct tm tm = {};
    tm.tm_year = y - 1900;
    tm.tm_mon = m - 1;
    tm.tm_mday = d;
    tm.tm_isdst = -1;
    time_t t = mktime(&tm);
    if (tm.tm_mday != d) // 31 February and the like
        return 0;
    return t;
}

} // namespace mux
