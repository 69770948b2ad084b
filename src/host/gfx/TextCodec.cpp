#include "host/gfx/TextCodec.h"

namespace host {
namespace {

// Length of the UTF-8 sequence at p (0 when invalid): rejects overlong forms,
// surrogates and values above U+10FFFF.
size_t utf8Sequence(std::string_view s, size_t p, char32_t& out)
{
    const unsigned char c = static_cast<unsigned char>(s[p]);
    if (c < 0x80) {
        out = c;
        return 1;
    }
    size_t n;
    char32_t v;
    char32_t min;
    if ((c & 0xE0) == 0xC0) {
        n = 2; v = c & 0x1F; min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        n = 3; v = c & 0x0F; min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        n = 4; v = c & 0x07; min = 0x10000;
    } else {
        return 0;
    }
    if (p + n > s.size())
        return 0;
    for (size_t i = 1; i < n; ++i) {
        const unsigned char d = static_cast<unsigned char>(s[p + i]);
        if ((d & 0xC0) != 0x80)
            return 0;
        v = (v << 6) | (d & 0x3F);
    }
    if (v < min || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF))
        return 0;
    out = v;
    return n;
}

} // namespace

bool isValidUtf8(std::string_view bytes)
{
    char32_t c;
    for (size_t p = 0; p < bytes.size();) {
        const size_t n = utf8Sequence(bytes, p, c);
        if (!n)
            return false;
        p += n;
    }
    return true;
}

std::u32string decodeLatin9(std::string_view bytes)
{
    std::u32string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const unsigned char c = static_cast<unsigned char>(ch);
        char32_t v = c;
        // The eight places where ISO 8859-15 differs from ISO 8859-1.
        switch (c) {
        case 0xA4: v = 0x20AC; break; // euro sign
        case 0xA6: v = 0x0160; break;
        case 0xA8: v = 0x0161; break;
        case 0xB4: v = 0x017D; break;
        case 0xB8: v = 0x017E; break;
        case 0xBC: v = 0x0152; break;
        case 0xBD: v = 0x0153; break;
        case 0xBE: v = 0x0178; break;
        default: break;
        }
        out.push_back(v);
    }
    return out;
}

std::u32string decodeText(std::string_view bytes)
{
    if (!isValidUtf8(bytes))
        return decodeLatin9(bytes);
    std::u32string out;
    out.reserve(bytes.size());
    char32_t c;
    for (size_t p = 0; p < bytes.size();) {
        p += utf8Sequence(bytes, p, c);
        out.push_back(c);
    }
    return out;
}

std::string encodeUtf8(std::u32string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

} // namespace host
