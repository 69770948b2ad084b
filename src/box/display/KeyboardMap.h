#pragma once
// The computer keyboard as a remote control. The window display and the browser
// page both map keys through this one table (the page gets it as /keymap.js), and
// docs/keys.md documents it.
#include "host/gui/eRCKey.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace box {

struct KeyBinding {
    std::string_view keyboardKey; // the browser's KeyboardEvent.key name ("F1", "Enter", "ArrowUp", "7")
    eRCKey remoteKey;
};

class KeyboardMap {
public:
    static const std::vector<KeyBinding>& bindings();
    // The remote key for a keyboard key name, or nothing (the key then types text
    // when it is printable).
    static std::optional<eRCKey> remoteKeyFor(std::string_view keyboardKey);
    // JavaScript that defines the table for the page: const KEYMAP = {"F1": "red", ...};
    static std::string toJavaScript();
};

} // namespace box
