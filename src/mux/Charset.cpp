#include "mux/Charset.h"

#include <cstdint>

namespace mux {
namespace {

// The eight code points where Latin-9 differs from Latin-1.
struct Diff {
    uint8_t byte;
    char32_t cp;
};
constexpr Diff kDiffs[] = {{0xA4, 0x20AC}, {0xA6, 0x0160}, {0xA8, 0x0161}, {0xB4, 0x017D},
                           {0xB8, 0x017E}, {0xBC, 0x0152}, {0xBD, 0x0153}, {0xBE, 0x0178}};

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

std::string latin9ToUtf8(const std::string& latin9)
{
    std::string out;
    for (unsigned char c : latin9) {
        char32_t cp = c;
        for (const Diff& d : kDiffs)
            if (d.byte == c)
                cp = d.cp;
        appendUtf8(out, cp);
    }
    return out;
}

std::string utf8ToLatin9(const std::string& utf8)
{
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        char32_t cp;
        size_t n;
        if (c < 0x80) {
            cp = c;
            n = 1;
        } else if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
            cp = ((c & 0x1F) << 6) | (utf8[i + 1] & 0x3F);
            n = 2;
        } else if ((c & 0xF0) == 0xE0 && i + 2 < utf8.size()) {
            cp = ((c & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) | (utf8[i + 2] & 0x3F);
            n = 3;
        } else {
            cp = '?';
            n = 1;
        }
        i += n;
        char byte = '?';
        bool special = false;
        for (const Diff& d : kDiffs) {
            if (d.cp == cp) {
                byte = static_cast<char>(d.byte);
                special = true;
            }
            if (d.byte == cp)
                special = true; // Latin-1 code point that Latin-9 replaced
        }
        if (!special && cp < 0x100)
            byte = static_cast<char>(cp);
        out += byte;
    }
    return out;
}

} // namespace mux
