#include "box/display/KeyboardMap.h"

namespace box {

const std::vector<KeyBinding>& KeyboardMap::bindings()
{
    static const std::vector<KeyBinding> table = {
        {"0", eRCKey::Digit0}, {"1", eRCKey::Digit1}, {"2", eRCKey::Digit2},
        {"3", eRCKey::Digit3}, {"4", eRCKey::Digit4}, {"5", eRCKey::Digit5},
        {"6", eRCKey::Digit6}, {"7", eRCKey::Digit7}, {"8", eRCKey::Digit8},
        {"9", eRCKey::Digit9},
        {"F1", eRCKey::Red}, {"F2", eRCKey::Green}, {"F3", eRCKey::Yellow}, {"F4", eRCKey::Blue},
        {"Enter", eRCKey::Ok},
        {"Escape", eRCKey::Exit},
        {"ArrowUp", eRCKey::Up}, {"ArrowDown", eRCKey::Down},
        {"ArrowLeft", eRCKey::Left}, {"ArrowRight", eRCKey::Right},
        {"Backspace", eRCKey::Backspace},
    };
    return table;
}

std::optional<eRCKey> KeyboardMap::remoteKeyFor(std::string_view keyboardKey)
{
    for (const KeyBinding& b : bindings())
        if (b.keyboardKey == keyboardKey)
            return b.remoteKey;
    return std::nullopt;
}

std::string KeyboardMap::toJavaScript()
{
    // Key names are plain ASCII words, so they need no escaping inside the quotes.
    std::string js = "const KEYMAP = {";
    bool first = true;
    for (const KeyBinding& b : bindings()) {
        if (!first)
            js += ", ";
        first = false;
        js += '"';
        js += b.keyboardKey;
        js += "\": \"";
        js += rcKeyName(b.remoteKey);
        js += '"';
    }
    js += "};\n";
    return js;
}

} // namespace box
