#include "mux/NumberText.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace mux {

bool parseInteger(const std::string& text, long long lo, long long hi, long long* out)
{
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])) || (text[0] == '+') ||
        (text[0] == '-' && lo >= 0))
        return false;
    errno = 0;
    char* end = nullptr;
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    long long v = std::strtoll(text.c_str(), &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || end == text.c_str() || v < lo || v > hi)
        return false;
    *out = v;
    return true;
}

bool parseSeed(const std::string& text, uint64_t* out)
{
    if (text.empty() || !std::isxdigit(static_cast<unsigned char>(text[0])))
        return false; // no sign, no blank: strtoull would take "-1" as 2^64-1
    errno = 0;
    char* end = nullptr;
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    unsigned long long v = std::strtoull(text.c_str(), &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || end == text.c_str())
        return false;
    *out = v;
    return true;
}

} // namespace mux
