// The XMLTV reader and the week built from what it accepts: no input crashes, an
// error names the line, and whatever is built keeps the offline files' rules.
#include "ImportFuzzChecks.h"
#include "import/XmltvReader.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool zone = (setenv("TZ", "Europe/Rome", 1), true);
    (void)zone;
    importer::SourceGuide guide;
    importer::Report report;
    std::string error;
    if (!importer::XmltvReader().readBuffer("fuzz.xml", reinterpret_cast<const char*>(data), size, guide, report,
                                            &error)) {
        importfuzz::require(error.rfind("fuzz.xml line ", 0) == 0);
        return 0;
    }
    importfuzz::buildAndCheck(guide, report, size % 2);
    return 0;
}
