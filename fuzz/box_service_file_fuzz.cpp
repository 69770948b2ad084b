// The box's service list over arbitrary text: merging the services a scan found
// keeps the text as it was, lists each valid service once, and a second merge of
// the same services changes nothing.
#include "box/ServiceFile.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<eServiceInterface::Entry> found;
    found.push_back({eServiceReference(1, 0, 1, 0x1F40, 0xBB9, 0x13E, 0x820000), "Rete\tUno\n", "", 0});
    found.push_back({eServiceReference(1, 0, 1, 0x1F41, 0xBB9, 0x13E, 0x820000), "", "", 0});
    // A reference read from the text itself, as a stored line would give it.
    const size_t tab = text.find('\t');
    eServiceReference own(eString(text.substr(0, tab == std::string::npos ? text.size() : tab)));
    if (own.valid())
        found.push_back({own, "own", "", 0});

    const std::string once = box::ServiceFile::merged(text, found);
    if (once.compare(0, text.size(), text) != 0)
        abort(); // what the file held stays as it was
    if (box::ServiceFile::merged(once, found) != once)
        abort(); // every service is listed after one merge
    return 0;
}
