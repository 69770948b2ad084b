// getCanaliTemiOff over arbitrary channels.gep and themes.gep: the tables are filled
// within their capacities, whatever the lines hold.
#include "OfflineFuzzRoot.h"
#include "offline/ChannelThemeFiles.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    offlinefuzz::setUpOnce();
    // The first byte splits the input between the two files.
    size_t split = size ? (data[0] * size) / 256 : 0;
    if (split < 1 && size)
        split = 1;
    offlinefuzz::writeFile("channels.gep", data + (size ? 1 : 0), size ? split - 1 : 0);
    offlinefuzz::writeFile("themes.gep", data + split, size - split);

    std::memset(temalist, 0, sizeof temalist);
    if (getCanaliTemiOff() != 0)
        abort();
    if (nb_channels < 0 || nb_channels > kMaxChannels || nb_themes < 0 || nb_themes > kThemeGroups)
        abort();
    for (int g = 0; g < nb_themes; ++g) {
        const TemaEntry& head = temalist[g * kGroupSlots];
        if (head.count < 1 || head.count > kGroupSlots || g * kGroupSlots + head.count > kThemeRecords)
            abort();
    }
    for (const TemaEntry& e : temalist)
        if (std::memchr(e.name, '\0', sizeof e.name) == nullptr)
            abort(); // every name stays terminated
    for (int i = 0; i < nb_channels; ++i)
        if (channel_ids[i] < 0 || channel_ids[i] > 0xFFFF)
            abort();
    return 0;
}
