#include "scan/DvbText.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace scan {
namespace {

// Converter slots: the default table, ISO/IEC 8859-1..16, the two-byte and the East
// Asian tables; UTF-8 is only checked, never converted.
constexpr int kDefaultSlot = 0;
constexpr int kUcs2Slot = 17;
constexpr int kKoreanSlot = 18;
constexpr int kChineseSlot = 19;
constexpr int kUtf8Slot = 20;
constexpr int kSlots = 21;

const char* const kIso8859[17] = {nullptr,      "ISO-8859-1",  "ISO-8859-2",  "ISO-8859-3",  "ISO-8859-4",  "ISO-8859-5",
                                  "ISO-8859-6", "ISO-8859-7",  "ISO-8859-8",  "ISO-8859-9",  "ISO-8859-10", "ISO-8859-11",
                                  nullptr,      "ISO-8859-13", "ISO-8859-14", "ISO-8859-15", "ISO-8859-16"};

// Spelt the iconv way: glibc's ISO_6937 combines a non-spacing diacritic with the letter
// that follows it, as the default table means it.
constexpr const char* kDefaultCharset = "ISO_6937";

// The length of the well-formed UTF-8 sequence at p (RFC 3629: no overlong forms, no
// surrogates, nothing above U+10FFFF), or 0.
size_t utf8Sequence(const uint8_t* p, size_t n)
{
    const uint8_t c = p[0];
    if (c < 0x80)
        return 1;
    size_t len = 0;
    uint8_t lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF)
        len = 2;
    else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        lo = c == 0xE0 ? 0xA0 : 0x80;
        hi = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        lo = c == 0xF0 ? 0x90 : 0x80;
        hi = c == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (n < len || p[1] < lo || p[1] > hi)
        return 0;
    for (size_t k = 2; k < len; ++k)
        if ((p[k] & 0xC0) != 0x80)
            return 0;
    return len;
}

iconv_t asIconv(void* p) { return static_cast<iconv_t>(p); }
const iconv_t kClosed = reinterpret_cast<iconv_t>(-1);

} // namespace

DvbText::DvbText() : m_converters(kSlots, reinterpret_cast<void*>(kClosed)) {}

DvbText::~DvbText()
{
    for (void* c : m_converters)
        if (asIconv(c) != kClosed)
            iconv_close(asIconv(c));
}

DvbText::Table DvbText::table(const uint8_t* f, size_t n)
{
    const Table fallback{kDefaultSlot, kDefaultCharset, 0};
    if (n == 0 || f[0] >= 0x20)
        return fallback;
    const uint8_t s = f[0];
    if (s >= 0x01 && s <= 0x0B && kIso8859[s + 4])
        return {int(s + 4), kIso8859[s + 4], 1};
    if (s == 0x10) {
        if (n >= 3 && f[1] == 0x00 && f[2] >= 1 && f[2] <= 16 && kIso8859[f[2]])
            return {int(f[2]), kIso8859[f[2]], 3};
        ++m_faults.unknownTables;
        return {kDefaultSlot, kDefaultCharset, n < 3 ? n : 3};
    }
    switch (s) {
    case 0x11: // ISO/IEC 10646 Basic Multilingual Plane, two bytes big-endian
    case 0x14: // the Big5 subset of ISO/IEC 10646, coded the same way
        return {kUcs2Slot, "UCS-2BE", 1};
    case 0x12:
        return {kKoreanSlot, "EUC-KR", 1};
    case 0x13:
        return {kChineseSlot, "GB2312", 1};
    case 0x15:
        return {kUtf8Slot, "UTF-8", 1};
    default:
        ++m_faults.unknownTables;
        return {kDefaultSlot, kDefaultCharset, 1};
    }
}

void DvbText::appendCleaned(const char* p, size_t n, std::string& out)
{
    const auto* u = reinterpret_cast<const uint8_t*>(p);
    for (size_t i = 0; i < n;) {
        const uint8_t c = u[i];
        if (c < 0x20) { // C0 controls have no meaning in these texts and XML cannot carry them
            ++i;
            continue;
        }
        // C1 controls U+0080..U+009F, and their two-byte table equivalents U+E080..U+E09F.
        if (c == 0xC2 && i + 1 < n && u[i + 1] >= 0x80 && u[i + 1] <= 0x9F) {
            if (u[i + 1] == 0x8A)
                out += '\n';
            i += 2;
            continue;
        }
        if (c == 0xEE && i + 2 < n && u[i + 1] == 0x82 && u[i + 2] >= 0x80 && u[i + 2] <= 0x9F) {
            if (u[i + 2] == 0x8A)
                out += '\n';
            i += 3;
            continue;
        }
        // U+FFFE and U+FFFF are no characters for XML.
        if (c == 0xEF && i + 2 < n && u[i + 1] == 0xBF && (u[i + 2] == 0xBE || u[i + 2] == 0xBF)) {
            i += 3;
            continue;
        }
        out += char(c);
        ++i;
    }
}

void DvbText::convert(const Table& t, const uint8_t* text, size_t n, std::string& out)
{
    if (n == 0)
        return;
    // Printable ASCII reads the same in every table but the two-byte ones.
    if (t.slot != kUcs2Slot) {
        size_t i = 0;
        while (i < n && text[i] >= 0x20 && text[i] < 0x7F)
            ++i;
        if (i == n) {
            out.append(reinterpret_cast<const char*>(text), n);
            return;
        }
    }
    if (t.slot == kUtf8Slot) {
        m_converted.clear();
        for (size_t i = 0; i < n;) {
            const size_t len = utf8Sequence(text + i, n - i);
            if (len == 0) {
                ++m_faults.badBytes;
                ++i;
                continue;
            }
            m_converted.append(reinterpret_cast<const char*>(text + i), len);
            i += len;
        }
        appendCleaned(m_converted.data(), m_converted.size(), out);
        return;
    }
    void*& slot = m_converters[size_t(t.slot)];
    if (asIconv(slot) == kClosed) {
        slot = iconv_open("UTF-8", t.charset);
        if (asIconv(slot) == kClosed) {
            m_faults.badBytes += n;
            return;
        }
    }
    iconv_t cd = asIconv(slot);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    m_converted.resize(n * 4 + 16);
    char* in = const_cast<char*>(reinterpret_cast<const char*>(text));
    size_t inLeft = n;
    char* outAt = m_converted.data();
    size_t outLeft = m_converted.size();
    const size_t unit = t.slot == kUcs2Slot ? 2 : 1;
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outAt, &outLeft) != size_t(-1))
            break;
        if (errno == E2BIG) { // cannot happen with four bytes per input byte; stay safe
            const size_t used = size_t(outAt - m_converted.data());
            m_converted.resize(m_converted.size() * 2);
            outAt = m_converted.data() + used;
            outLeft = m_converted.size() - used;
            continue;
        }
        // EILSEQ or EINVAL (cut short): skip one code unit and go on.
        const size_t skip = inLeft < unit ? inLeft : unit;
        m_faults.badBytes += skip;
        in += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    appendCleaned(m_converted.data(), size_t(outAt - m_converted.data()), out);
}

std::string DvbText::decode(const uint8_t* f, size_t n)
{
    std::string out;
    if (n > 0 && f[0] == 0x1F) {
        ++m_faults.compressed;
        return out;
    }
    const Table t = table(f, n);
    convert(t, f + t.selectorSize, n - t.selectorSize, out);
    return out;
}

std::string DvbText::decodeJoined(const std::vector<std::pair<const uint8_t*, size_t>>& fields)
{
    std::string out;
    size_t i = 0;
    while (i < fields.size()) {
        const uint8_t* f = fields[i].first;
        const size_t n = fields[i].second;
        if (n > 0 && f[0] == 0x1F) {
            ++m_faults.compressed;
            ++i;
            continue;
        }
        const Table t = table(f, n);
        m_raw.assign(reinterpret_cast<const char*>(f + t.selectorSize), n - t.selectorSize);
        // The fields that follow in the same table continue this text.
        for (++i; i < fields.size(); ++i) {
            const uint8_t* g = fields[i].first;
            const size_t m = fields[i].second;
            if (m == 0)
                continue;
            const bool selected = g[0] < 0x20;
            if (selected ? !(t.selectorSize > 0 && m >= t.selectorSize && std::memcmp(g, f, t.selectorSize) == 0)
                         : t.selectorSize != 0)
                break;
            const size_t skip = selected ? t.selectorSize : 0;
            m_raw.append(reinterpret_cast<const char*>(g + skip), m - skip);
        }
        convert(t, reinterpret_cast<const uint8_t*>(m_raw.data()), m_raw.size(), out);
    }
    return out;
}

} // namespace scan
