#pragma once
// The box's screen: the windows on it, painted into one 720x576 framebuffer.
#include "host/gui/Frontend.h"

#include <string>

class gPixmap;

namespace host {

constexpr int kScreenWidth = 720;
constexpr int kScreenHeight = 576;

// Repaints what is dirty and presents the frame when anything changed.
void refreshScreen();
// The framebuffer as last painted.
const gPixmap& screen();
// One line of JSON describing the windows on screen, top-most last (docs/screen-dump.md).
std::string describeScreen();
// Hands one input to the active window (the innermost modal one, else the top-most
// shown one), as the modal loop does; false when no window took it.
bool dispatchInput(const InputEvent& input);

} // namespace host
