#pragma once
// What the fuzz targets demand of decoded text: well-formed UTF-8 (and, where the
// decoder promises it, no C0 control but the line break).
#include <cstddef>
#include <string>

namespace fuzzcheck {

inline bool validUtf8(const std::string& s, bool noControls = false)
{
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size() || (noControls && c < 0x20 && c != '\n'))
            return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

} // namespace fuzzcheck
