#include "import/AirText.h"

#include "host/gfx/TextCodec.h"

namespace importer {
namespace {

// ISO 8859-15 differs from Latin-1 in eight places.
int latin9Byte(char32_t c)
{
    switch (c) {
    case 0x20AC: return 0xA4;
    case 0x160: return 0xA6;
    case 0x161: return 0xA8;
    case 0x17D: return 0xB4;
    case 0x17E: return 0xB8;
    case 0x152: return 0xBC;
    case 0x153: return 0xBD;
    case 0x178: return 0xBE;
    case 0xA4: case 0xA6: case 0xA8: case 0xB4: case 0xB8: case 0xBC: case 0xBD: case 0xBE: return -1;
    default: return c < 0x100 ? static_cast<int>(c) : -1;
    }
}

std::string airText(const std::string& utf8, bool summary)
{
    std::u32string text = host::decodeText(utf8);
    std::u32string clean;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (summary && (c == '\n' || c == '\r')) {
            // The broadcaster's carriage return; a CR LF pair is one break.
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            clean += U'#';
            continue;
        }
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0))
            c = U' ';
        else if (c == U'<')
            c = 0x2039;
        clean += c;
    }
    std::string latin;
    bool fits = true;
    bool wide = false;
    for (char32_t c : clean) {
        const int b = latin9Byte(c);
        if (b < 0) {
            fits = false;
            break;
        }
        wide = wide || b >= 0x80;
        latin += static_cast<char>(b);
    }
    // A Latin text that happens to read as UTF-8 would be judged UTF-8 and change.
    if (fits && (!wide || !host::isValidUtf8(latin)))
        return latin;
    return host::encodeUtf8(clean);
}

} // namespace

std::string airField(const std::string& utf8) { return airText(utf8, false); }

std::string airSummary(const std::string& utf8) { return airText(utf8, true); }

std::string fitBytes(const std::string& air, size_t maxBytes)
{
    if (air.size() <= maxBytes)
        return air;
    if (!host::isValidUtf8(air))
        return air.substr(0, maxBytes);
    size_t n = maxBytes;
    while (n > 0 && (static_cast<unsigned char>(air[n]) & 0xC0) == 0x80)
        --n;
    return air.substr(0, n);
}

std::string pluginLower(std::string text)
{
    for (size_t i = 1; i < text.size(); ++i)
        if (text[i] >= 'A' && text[i] <= 'Z')
            text[i] = static_cast<char>(text[i] + 0x20);
    return text;
}

} // namespace importer
