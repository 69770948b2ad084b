#include "config/ConfigLine.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/types.h>

namespace cfgline {

bool readWholeLine(FILE* file, std::string& line)
{
    // getline, not a fixed buffer: a 300-flag filter line must come back in one piece.
    char* buf = nullptr;
    size_t cap = 0;
    ssize_t n = getline(&buf, &cap, file);
    if (n < 0) {
        std::free(buf);
        line.clear();
        return false;
    }
    line.assign(buf, strnlen(buf, static_cast<size_t>(n)));
    std::free(buf);
    // A file edited on another system ends its lines with "\r\n": the line is its text all the same.
    size_t end = !line.empty() && line.back() == '\n' ? line.size() - 1 : line.size();
    if (end > 0 && line[end - 1] == '\r')
        line.erase(end - 1, 1);
    return true;
}

std::string lineValue(const std::string& line)
{
    size_t eq = line.find('=');
    size_t start = eq == std::string::npos ? 0 : eq + 1;
    size_t end = line.rfind('\n');
    if (end == std::string::npos || end < start)
        end = line.size();
    return line.substr(start, end - start);
}

std::string valueAfter(const std::string& line, char mark)
{
    size_t at = line.find(mark);
    size_t start = at == std::string::npos ? 0 : at + 1;
    size_t end = line.rfind('\n');
    if (end == std::string::npos || end < start)
        end = line.size();
    return line.substr(start, end - start);
}

int parseNumber(const std::string& text)
{
    const char* p = text.c_str();
    // The C locale's white space, as atoi skips it.
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    long long v = 0;
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    for (; *p >= '0' && *p <= '9'; ++p) {
        v = v * 10 + (*p - '0');
        if (v >= limit) {
            v = limit; // saturated; later digits cannot bring it back
            break;
        }
    }
    return static_cast<int>(negative ? -v : v);
}

int parseBoundedNumber(const std::string& text, int low, int high)
{
    int v = parseNumber(text);
    return v < low ? low : (v > high ? high : v);
}

void parseNumberList(const std::string& value, int* out, int count)
{
    std::string rest = value;
    for (int i = 0; i < count; ++i) {
        size_t comma = rest.find(',');
        if (comma == std::string::npos) {
            out[i] = parseNumber(rest);
        } else {
            out[i] = parseNumber(rest.substr(0, comma));
            rest.erase(0, comma + 1);
        }
    }
}

} // namespace cfgline
