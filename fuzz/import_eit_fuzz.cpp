// The EIT path of the import: any bytes as a transport stream through the EIT
// reader into the week; no input crashes and whatever is built keeps the offline
// files' rules. Seeds: the captures in tests/data/ts.
#include "ImportFuzzChecks.h"
#include "import/EitSource.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool zone = (setenv("TZ", "Europe/Rome", 1), true);
    (void)zone;
    importer::SourceGuide guide;
    importer::Report report;
    importer::EitSource source;
    source.readStream(data, size, guide, report);
    importfuzz::buildAndCheck(guide, report, size % 2);
    return 0;
}
