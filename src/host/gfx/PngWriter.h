#pragma once
#include "host/gui/Frontend.h"

#include <cstdint>
#include <string>
#include <vector>

namespace host {
// PNG (RGB, 8 bits) of a frame. Level 1 compresses fast enough to stream a screen.
std::vector<uint8_t> encodePng(const FrameView& frame, int zlibLevel = 1);
bool writePng(const std::string& file, const FrameView& frame);
} // namespace host
