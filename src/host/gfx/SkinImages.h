#pragma once
// Images the box draws itself, so that a skin needs no picture files.
#include "host/gfx/gPixmap.h"

#include <memory>
#include <string>

namespace host {

// "folder" (a small folder, 24x20) or "check" (a tick mark, 20x20); null otherwise.
std::unique_ptr<gPixmap> drawBuiltinImage(const std::string& name);

// A PNG file as an icon (with its transparency); null when it cannot be read.
std::unique_ptr<gPixmap> loadPngImage(const std::string& file);

extern const char* const kBuiltinSkin;

} // namespace host
