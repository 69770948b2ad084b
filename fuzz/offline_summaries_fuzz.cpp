// The summaries file reader over arbitrary summaries.gep contents: summaries go
// only to rows of the list, and a line comes back whole however long it is.
#include "OfflineFuzzRoot.h"
#include "offline/SummariesFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    offlinefuzz::setUpOnce();
    if (size < 2)
        return 0;
    // The first byte sets how many rows the list has; their ids are small numbers.
    nb_buffer = data[0] % 40;
    for (int i = 0; i < kMaxRows; ++i) {
        bufferdatas[i].id = i % 16;
        bufferdatas[i].summary = "-";
    }
    offlinefuzz::writeFile("summaries.gep", data + 1, size - 1);
    TotSu = data[0] % 5;

    std::string result;
    if (offline::fileSummaries(offlinePath, 3, result, [](int p) {
            if (p < 0 || p > 100)
                abort();
        }) != 0)
        abort();
    for (int i = nb_buffer; i < kMaxRows; ++i)
        if (bufferdatas[i].summary != "-")
            abort(); // no row beyond the list is written
    if (result.size() > size)
        abort();
    return 0;
}
