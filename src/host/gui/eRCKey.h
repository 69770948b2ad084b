#pragma once
// The keys of the box's remote control, and their names in key scripts and HTTP requests.
#include <optional>
#include <string_view>

enum class eRCKey {
    Digit0, Digit1, Digit2, Digit3, Digit4, Digit5, Digit6, Digit7, Digit8, Digit9,
    Red, Green, Yellow, Blue,
    Ok, Exit,
    Up, Down, Left, Right,
    Backspace, // keyboard only: deletes in a text field being edited
};

// "0".."9", "red", "green", "yellow", "blue", "ok", "exit", "up", "down", "left", "right", "backspace".
const char* rcKeyName(eRCKey key);
std::optional<eRCKey> parseRCKey(std::string_view name);
