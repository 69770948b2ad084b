#pragma once
// A headless key script: one token per remote key ("green", "ok", "0"...),
// "text:ABC" to type ("%20" and other %XX escapes for blanks and odd bytes),
// "shot:NAME" for a PNG screenshot, tokens separated by white space.
#include "host/gui/eRCKey.h"

#include <optional>
#include <string>
#include <vector>

namespace box {

struct ScriptStep {
    enum class Kind { Key, Text, Shot };
    Kind kind = Kind::Key;
    eRCKey key = eRCKey::Exit;
    std::string text; // typed text, or the screenshot name
    std::string token; // as written in the script
};

// Parses the whole script; on a bad token returns nullopt and says which in *error.
std::optional<std::vector<ScriptStep>> parseKeyScript(const std::string& script, std::string* error);

} // namespace box
