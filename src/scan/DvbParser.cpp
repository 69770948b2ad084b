#include "scan/DvbParser.h"

#include <libdvbv5/dvb-fe.h>

namespace scan {
namespace {
// libdvbv5 logs to stderr by default; our parses report through their results only.
void quietLog(int, const char*, ...) {}
} // namespace

dvb_v5_fe_parms* dvbParserParms()
{
    static dvb_v5_fe_parms* parms = [] {
        dvb_v5_fe_parms* p = dvb_fe_dummy();
        if (p) {
            p->logfunc = quietLog;
            p->verbose = 0;
            // Text without a character table prefix uses the ISO/IEC 6937 based table
            // (EN 300 468 Annex A), not Latin-1. Spelt the iconv way on purpose: the
            // parser's own table for "ISO-6937" drops the non-spacing diacritics
            // (Č, á), iconv's ISO_6937 combines them with the letter that follows.
            p->default_charset = const_cast<char*>("ISO_6937");
            p->output_charset = const_cast<char*>("UTF-8");
        }
        return p;
    }();
    return parms;
}

} // namespace scan
