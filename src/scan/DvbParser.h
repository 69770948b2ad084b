#pragma once
// What every libdvbv5 table parse of ours shares: one set of parser parameters (texts
// to UTF-8, the ISO/IEC 6937 based default table, no log output) and the fix-up of
// two-byte text fields the parser would otherwise read in the host's byte order.
#include <cstddef>
#include <cstdint>

struct dvb_v5_fe_parms;

namespace scan {

// The process's parser parameters; parsers only read them.
dvb_v5_fe_parms* dvbParserParms();

// A text field (first byte the character table selector, EN 300 468 Annex A) about to
// be parsed: selector 0x11 (ISO/IEC 10646 two-byte codes, big-endian by the standard)
// becomes 0x14, which names the same code units and which the parser reads big-endian.
inline void markTwoByteTextBigEndian(uint8_t* field, size_t length)
{
    if (length > 0 && field[0] == 0x11)
        field[0] = 0x14;
}

} // namespace scan
