#include "box/display/WindowFrontend.h"

#include "box/display/KeyboardMap.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <vector>
#include <optional>
#include <string_view>

namespace box {
namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 576;

// SDL's key codes under the names the keyboard table uses (the browser's names),
// so the window and the page map keys alike.
std::optional<std::string_view> keyboardKeyName(SDL_Keycode key)
{
    static const char* const digits[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    if (key >= SDLK_0 && key <= SDLK_9)
        return digits[key - SDLK_0];
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9)
        return digits[key - SDLK_KP_1 + 1];
    switch (key) {
    case SDLK_KP_0: return "0";
    case SDLK_F1: return "F1";
    case SDLK_F2: return "F2";
    case SDLK_F3: return "F3";
    case SDLK_F4: return "F4";
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return "Enter";
    case SDLK_ESCAPE: return "Escape";
    case SDLK_UP: return "ArrowUp";
    case SDLK_DOWN: return "ArrowDown";
    case SDLK_LEFT: return "ArrowLeft";
    case SDLK_RIGHT: return "ArrowRight";
    case SDLK_BACKSPACE: return "Backspace";
    default: return std::nullopt;
    }
}

size_t utf8Length(unsigned char lead)
{
    return lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xe ? 3 : (lead >> 3) == 0x1e ? 4 : 1;
}

} // namespace

std::unique_ptr<WindowFrontend> WindowFrontend::open(const WindowOptions& options, std::string* error)
{
    auto failed = [&](const char* what) -> std::unique_ptr<WindowFrontend> {
        if (error)
            *error = std::string(what) + ": " + SDL_GetError();
        return nullptr;
    };
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return failed("cannot open a window (no display?)");
    std::unique_ptr<WindowFrontend> w(new WindowFrontend());
    int scale = options.scale < 1 ? 1 : options.scale;
    w->m_window = SDL_CreateWindow(options.title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                   kWidth * scale, kHeight * scale, SDL_WINDOW_RESIZABLE);
    if (!w->m_window)
        return failed("cannot open a window");
    // No vsync: the box presents from inside long reads, which must not wait for the monitor.
    w->m_renderer = SDL_CreateRenderer(w->m_window, -1, 0);
    if (!w->m_renderer)
        return failed("cannot draw in the window");
    // Letterboxes the picture when the window's shape differs from 5:4.
    SDL_RenderSetLogicalSize(w->m_renderer, kWidth, kHeight);
    w->m_texture = SDL_CreateTexture(w->m_renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, kWidth, kHeight);
    if (!w->m_texture)
        return failed("cannot draw in the window");
    std::vector<uint32_t> black(static_cast<size_t>(kWidth) * kHeight, 0);
    SDL_UpdateTexture(w->m_texture, nullptr, black.data(), kWidth * 4);
    SDL_SetWindowMinimumSize(w->m_window, kWidth / 4, kHeight / 4);
    SDL_StartTextInput();
    w->redraw();
    return w;
}

WindowFrontend::~WindowFrontend()
{
    if (m_texture)
        SDL_DestroyTexture(m_texture);
    if (m_renderer)
        SDL_DestroyRenderer(m_renderer);
    if (m_window)
        SDL_DestroyWindow(m_window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void WindowFrontend::present(const host::FrameView& frame)
{
    if (frame.width == kWidth && frame.height == kHeight)
        SDL_UpdateTexture(m_texture, nullptr, frame.pixels, frame.stride * 4);
    redraw();
    // The box presents from inside long reads too: keep the window alive meanwhile.
    SDL_Event event;
    while (SDL_PollEvent(&event))
        handle(event);
}

host::InputEvent WindowFrontend::nextInput()
{
    for (;;) {
        if (!m_pending.empty()) {
            host::InputEvent e = std::move(m_pending.front());
            m_pending.pop_front();
            return e;
        }
        if (m_closed) {
            // Exit until the plug-in has left all its windows; should one not
            // leave, the box must still end.
            if (++m_exitPresses > kMaxExitPresses)
                std::exit(0);
            return host::InputEvent{};
        }
        SDL_Event event;
        if (SDL_WaitEventTimeout(&event, 250))
            handle(event);
    }
}

void WindowFrontend::handle(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_QUIT:
        m_closed = true;
        m_pending.clear();
        SDL_HideWindow(m_window);
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            m_closed = true;
            m_pending.clear();
            SDL_HideWindow(m_window);
        } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED
                   || event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
            redraw();
        }
        break;
    case SDL_KEYDOWN: {
        if (m_closed || (event.key.keysym.mod & (KMOD_CTRL | KMOD_ALT | KMOD_GUI)))
            break;
        auto name = keyboardKeyName(event.key.keysym.sym);
        auto key = name ? KeyboardMap::remoteKeyFor(*name) : std::nullopt;
        if (key) {
            host::InputEvent e;
            e.kind = host::InputEvent::Kind::Key;
            e.key = *key;
            m_pending.push_back(std::move(e));
        }
        break;
    }
    case SDL_TEXTINPUT:
        if (!m_closed)
            takeText(event.text.text);
        break;
    default:
        break;
    }
}

void WindowFrontend::takeText(const char* utf8)
{
    // Characters that are remote keys (the digits) already came as key presses.
    std::string text;
    std::string_view in(utf8);
    for (size_t i = 0; i < in.size();) {
        size_t n = std::min(utf8Length(static_cast<unsigned char>(in[i])), in.size() - i);
        std::string_view ch = in.substr(i, n);
        if (!KeyboardMap::remoteKeyFor(ch))
            text += ch;
        i += n;
    }
    if (text.empty())
        return;
    host::InputEvent e;
    e.kind = host::InputEvent::Kind::Text;
    e.text = std::move(text);
    m_pending.push_back(std::move(e));
}

void WindowFrontend::redraw()
{
    // Sharp pixels at whole multiples of the screen size, smooth ones in between.
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(m_renderer, &w, &h);
    bool whole = w % kWidth == 0 && h % kHeight == 0 && w / kWidth == h / kHeight;
    SDL_SetTextureScaleMode(m_texture, whole ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 255);
    SDL_RenderClear(m_renderer);
    SDL_RenderCopy(m_renderer, m_texture, nullptr, nullptr);
    SDL_RenderPresent(m_renderer);
}

std::unique_ptr<host::Frontend> makeWindowFrontend(const WindowOptions& options, std::string* error)
{
    return WindowFrontend::open(options, error);
}

} // namespace box
