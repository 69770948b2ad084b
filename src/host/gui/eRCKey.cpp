#include "host/gui/eRCKey.h"

namespace {
constexpr const char* kNames[] = {
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9",
    "red", "green", "yellow", "blue", "ok", "exit",
    "up", "down", "left", "right", "backspace",
};
}

const char* rcKeyName(eRCKey key)
{
    return kNames[static_cast<int>(key)];
}

std::optional<eRCKey> parseRCKey(std::string_view name)
{
    for (int i = 0; i < static_cast<int>(sizeof kNames / sizeof kNames[0]); ++i)
        if (name == kNames[i])
            return static_cast<eRCKey>(i);
    return std::nullopt;
}
