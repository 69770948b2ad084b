// Text fields to UTF-8 by their EN 300 468 Annex A table, control codes as the
// standard means them, and nothing that is not valid UTF-8 for XML.
#include <gtest/gtest.h>

#include <string>

#include "scan/DvbText.h"

namespace {

// A literal with its NUL bytes, without the terminating one.
template <size_t N> std::string bytes(const char (&s)[N]) { return std::string(s, N - 1); }

// True when s is well-formed UTF-8 without C0 controls but the line break.
bool cleanUtf8(const std::string& s)
{
    for (size_t i = 0; i < s.size();) {
        const auto c = uint8_t(s[i]);
        size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > s.size() || (c < 0x20 && c != '\n'))
            return false;
        for (size_t k = 1; k < len; ++k)
            if ((uint8_t(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += len;
    }
    return true;
}

} // namespace

TEST(DvbText, EachTableSelector)
{
    scan::DvbText t;
    EXPECT_EQ(t.decode("Plain"), "Plain");
    EXPECT_EQ(t.decode(bytes("\xC2" "e\xC8" "a")), "éä");                 // default: ISO 6937 diacritic + letter
    EXPECT_EQ(t.decode(bytes("\x01\xBF\xE0\xD8")), "При");                 // ISO 8859-5
    EXPECT_EQ(t.decode(bytes("\x03\xC3\xCB")), "ΓΛ");                      // ISO 8859-7
    EXPECT_EQ(t.decode(bytes("\x05\xDE")), "Ş");                           // ISO 8859-9
    EXPECT_EQ(t.decode(bytes("\x0B\xA4uro")), "€uro");                     // ISO 8859-15
    EXPECT_EQ(t.decode(bytes("\x10\x00\x02\xE8")), "č");                   // 0x10 with part 2
    EXPECT_EQ(t.decode(bytes("\x11\x65\xB0\x00" "A")), "新A");             // two-byte ISO 10646
    EXPECT_EQ(t.decode(bytes("\x14\x65\xB0")), "新");                      // Big5 subset, same coding
    EXPECT_EQ(t.decode(bytes("\x13\xD6\xD0")), "中");                      // GB-2312
    EXPECT_EQ(t.decode(bytes("\x12\xB0\xA1")), "가");                      // KS X 1001
    EXPECT_EQ(t.decode(bytes("\x15Z\xC3\xBCrich")), "Zürich");             // UTF-8
    EXPECT_EQ(t.faults().badBytes, 0u);
    EXPECT_EQ(t.faults().unknownTables, 0u);
}

TEST(DvbText, ControlCodesAndBadBytes)
{
    scan::DvbText t;
    // Emphasis on/off dropped, CR/LF a line break, in single-byte, two-byte and UTF-8 tables.
    EXPECT_EQ(t.decode(bytes("\x86" "Bold\x87 one\x8Atwo")), "Bold one\ntwo");
    EXPECT_EQ(t.decode(bytes("\x11\xE0\x86\x00" "A\xE0\x8A\x00" "B")), "A\nB");
    EXPECT_EQ(t.decode(bytes("\x15" "A\xC2\x8A" "B\xC2\x86")), "A\nB");
    // C0 codes and characters XML cannot carry disappear.
    EXPECT_EQ(t.decode(bytes("a\x01\x1B" "b")), "ab");
    EXPECT_EQ(t.decode(bytes("\x15x\xEF\xBF\xBFy")), "xy");

    // Bytes the table cannot convert are skipped and counted; what remains is clean.
    const std::string broken = t.decode(bytes("\x15" "ok\xFF\xC3"));
    EXPECT_EQ(broken, "ok");
    const std::string oddUcs2 = t.decode(bytes("\x11\x00" "A\x00"));
    EXPECT_EQ(oddUcs2, "A");
    EXPECT_EQ(t.faults().badBytes, 3u);
    std::string noise;
    for (int i = 0; i < 256; ++i)
        noise += char(i);
    for (char sel : {'\x00', '\x05', '\x11', '\x12', '\x13', '\x15', 'A'})
        EXPECT_TRUE(cleanUtf8(t.decode(std::string(1, sel) + noise))) << int(sel);

    // Reserved selectors are read with the default table; compressed text is dropped.
    EXPECT_EQ(t.decode(bytes("\x0C" "abc")), "abc");
    EXPECT_EQ(t.decode(bytes("\x10\x00\x0C" "x")), "x");
    EXPECT_EQ(t.faults().unknownTables, 2u + 1u); // the \x00 of the noise loop is reserved too
    EXPECT_EQ(t.decode(bytes("\x1F\x01\xAB\xCD")), "");
    EXPECT_EQ(t.faults().compressed, 1u);
    EXPECT_EQ(t.decode(nullptr, 0), "");
}

TEST(DvbText, JoinedFieldsKeepSplitCharacters)
{
    scan::DvbText t;
    // "ü" split between two UTF-8 fields, the second repeating the selector.
    const std::string a = bytes("\x15Z\xC3"), b = bytes("\x15\xBCrich");
    EXPECT_EQ(t.decodeJoined({{reinterpret_cast<const uint8_t*>(a.data()), a.size()},
                              {reinterpret_cast<const uint8_t*>(b.data()), b.size()}}),
              "Zürich");
    // A two-byte code split at an odd byte.
    const std::string c = bytes("\x11\x65"), d = bytes("\x11\xB0\x00" "A");
    EXPECT_EQ(t.decodeJoined({{reinterpret_cast<const uint8_t*>(c.data()), c.size()},
                              {reinterpret_cast<const uint8_t*>(d.data()), d.size()}}),
              "新A");
    // Default-table fields joined; a field of another table starts afresh.
    const std::string e = "Teil ", f = "eins ", g = bytes("\x0B\xA4");
    EXPECT_EQ(t.decodeJoined({{reinterpret_cast<const uint8_t*>(e.data()), e.size()},
                              {reinterpret_cast<const uint8_t*>(f.data()), f.size()},
                              {reinterpret_cast<const uint8_t*>(g.data()), g.size()}}),
              "Teil eins €");
    EXPECT_EQ(t.faults().badBytes, 0u);
}
