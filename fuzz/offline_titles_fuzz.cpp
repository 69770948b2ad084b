// The titles file reader over arbitrary titles.gep contents and day offsets: the
// seek and the listing end, and every line handed out has its figures bounded.
#include "OfflineFuzzRoot.h"
#include "offline/TitlesFile.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    offlinefuzz::setUpOnce();
    // The first 10 bytes choose the day offsets, the day and the start hour.
    if (size < 10)
        return 0;
    for (int d = 0; d < 8; ++d)
        sizeposition[d] = static_cast<int>(data[d]) * 37 - 100;
    const int day = data[8] % 9;
    const int hour = data[9] % 30;
    offlinefuzz::writeFile("titles.gep", data + 10, size - 10);
    TotTi = static_cast<int>(size % 7);

    offline::TitlesFileReader reader;
    if (!reader.open(offlinePath))
        abort();
    reader.seek(day, hour);
    offline::TitleLine t;
    long lines = 0;
    while (reader.next(t)) {
        // Figures outside the tables come out as the bounds that name nothing (-1 or 300,
        // the overflow day 7, slot 255), never as indices past them.
        if (t.channel < -1 || t.channel > kMaxChannels || t.day < 0 || t.day > 7 || t.theme < 0 || t.theme > 255 ||
            t.hour < 0 || t.hour > 99 || t.minute < 0 || t.minute > 99 || ++lines > static_cast<long>(size))
            abort();
        if (reader.percent() < 0 || reader.percent() > 100)
            abort();
    }
    return 0;
}
