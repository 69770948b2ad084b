#pragma once
#include "box/BoxOptions.h"
#include "box/HeadlessFrontend.h"

#include <memory>

namespace box {

struct Display {
    std::unique_ptr<host::Frontend> frontend;
    HeadlessFrontend* headless = nullptr; // set when frontend is the headless display
};

// The display the options ask for: a window, the web display or a headless script.
Display makeDisplay(const BoxOptions& options, std::string* error);

} // namespace box
