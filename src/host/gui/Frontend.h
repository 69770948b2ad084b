#pragma once
// What the toolkit needs of the box's display: somewhere to show the screen and
// a source of remote-control input. The box installs one before running a plug-in.
#include "host/gui/eRCKey.h"

#include <cstdint>
#include <string>

namespace host {

struct InputEvent {
    enum class Kind { Key, Text };
    Kind kind = Kind::Key;
    eRCKey key = eRCKey::Exit;
    std::string text; // Kind::Text: UTF-8 typed into the focused text field
};

struct FrameView {
    const uint32_t* pixels; // 0x00RRGGBB
    int width;
    int height;
    int stride; // in pixels
};

class Frontend {
public:
    virtual ~Frontend() = default;
    // Called on the GUI thread after every repaint.
    virtual void present(const FrameView& frame) = 0;
    // Blocks until the user (or a script) gives the next input. Called by modal loops.
    virtual InputEvent nextInput() = 0;
};

void setFrontend(Frontend* frontend);
Frontend* frontend();

} // namespace host
