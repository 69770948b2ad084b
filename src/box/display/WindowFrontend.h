#pragma once
// The box's screen in an SDL window on the desktop, with the computer keyboard as
// the remote control (see KeyboardMap). Everything runs on the GUI thread: present()
// draws and takes the events waiting, nextInput() waits for one while keeping the
// window drawn.
#include "host/gui/Frontend.h"

#include <deque>
#include <memory>
#include <string>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
union SDL_Event;

namespace box {

struct WindowOptions {
    int scale = 1; // the window opens at 720x576 times this; resizing keeps the aspect
    std::string title = "Orvalis box";
};

class WindowFrontend : public host::Frontend {
public:
    // After the window was closed, exit is pressed this often for the plug-in to
    // leave its windows before the box ends itself.
    static constexpr int kMaxExitPresses = 40;

    // nullptr and a reason in *error when there is no display to open a window on.
    static std::unique_ptr<WindowFrontend> open(const WindowOptions& options, std::string* error);
    ~WindowFrontend() override;

    void present(const host::FrameView& frame) override;
    host::InputEvent nextInput() override;

    bool closed() const { return m_closed; }

private:
    WindowFrontend() = default;
    void handle(const SDL_Event& event);
    void takeText(const char* utf8);
    void redraw();

    SDL_Window* m_window = nullptr;
    SDL_Renderer* m_renderer = nullptr;
    SDL_Texture* m_texture = nullptr;
    std::deque<host::InputEvent> m_pending;
    bool m_closed = false;
    int m_exitPresses = 0;
};

std::unique_ptr<host::Frontend> makeWindowFrontend(const WindowOptions& options, std::string* error = nullptr);

} // namespace box
