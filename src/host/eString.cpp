#include "host/eString.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

eString& eString::sprintf(const char* fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    va_list copy;
    va_copy(copy, ap);
    char small[256];
    int n = vsnprintf(small, sizeof small, fmt, ap);
    va_end(ap);
    if (n < 0) {
        va_end(copy);
        clear();
        return *this;
    }
    if (static_cast<size_t>(n) < sizeof small) {
        assign(small, n);
    } else {
        std::vector<char> big(static_cast<size_t>(n) + 1);
        vsnprintf(big.data(), big.size(), fmt, copy);
        assign(big.data(), n);
    }
    va_end(copy);
    return *this;
}

eString& eString::upper()
{
    for (char& c : *this)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return *this;
}

eString& eString::strReplace(const char* what, const eString& with)
{
    const std::string needle(what ? what : "");
    if (needle.empty())
        return *this;
    size_t pos = 0;
    while ((pos = find(needle, pos)) != npos) {
        replace(pos, needle.size(), with);
        pos += with.size();
    }
    return *this;
}
