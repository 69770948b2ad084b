// The window display on SDL's off-screen video driver, fed with synthetic events.
#include "box/display/WindowFrontend.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class WindowDisplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        std::string error;
        window = box::WindowFrontend::open(box::WindowOptions{}, &error);
        ASSERT_TRUE(window) << error;
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT); // the window's own start-up events
    }

    static void pressKey(SDL_Keycode key, Uint16 mod = KMOD_NONE)
    {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.state = SDL_PRESSED;
        e.key.keysym.sym = key;
        e.key.keysym.mod = mod;
        SDL_PushEvent(&e);
    }

    static void typeText(const char* text)
    {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        std::strncpy(e.text.text, text, sizeof e.text.text - 1);
        SDL_PushEvent(&e);
    }

    static void closeWindow()
    {
        SDL_Event e{};
        e.type = SDL_QUIT;
        SDL_PushEvent(&e);
    }

    std::unique_ptr<box::WindowFrontend> window;
};

TEST_F(WindowDisplay, KeyboardDrivesTheRemote)
{
    const std::vector<std::pair<SDL_Keycode, eRCKey>> keys = {
        {SDLK_0, eRCKey::Digit0}, {SDLK_7, eRCKey::Digit7}, {SDLK_KP_3, eRCKey::Digit3},
        {SDLK_KP_0, eRCKey::Digit0}, {SDLK_F1, eRCKey::Red}, {SDLK_F2, eRCKey::Green},
        {SDLK_F3, eRCKey::Yellow}, {SDLK_F4, eRCKey::Blue}, {SDLK_RETURN, eRCKey::Ok},
        {SDLK_KP_ENTER, eRCKey::Ok}, {SDLK_ESCAPE, eRCKey::Exit}, {SDLK_UP, eRCKey::Up},
        {SDLK_DOWN, eRCKey::Down}, {SDLK_LEFT, eRCKey::Left}, {SDLK_RIGHT, eRCKey::Right},
        {SDLK_BACKSPACE, eRCKey::Backspace},
    };
    for (const auto& [sdl, remote] : keys) {
        pressKey(sdl);
        host::InputEvent e = window->nextInput();
        EXPECT_EQ(e.kind, host::InputEvent::Kind::Key);
        EXPECT_EQ(e.key, remote) << SDL_GetKeyName(sdl);
    }
}

TEST_F(WindowDisplay, PrintableCharactersTypeTextButDigitsStayKeys)
{
    // Typing "5" gives both a key press and text input; the box must see one 5.
    pressKey(SDLK_a);      // no remote key: only its text counts
    typeText("a");
    pressKey(SDLK_5);
    typeText("5");
    pressKey(SDLK_F2, KMOD_LCTRL); // left to the desktop
    typeText("é 1x");
    pressKey(SDLK_RETURN);

    host::InputEvent e = window->nextInput();
    EXPECT_EQ(e.kind, host::InputEvent::Kind::Text);
    EXPECT_EQ(e.text, "a");
    e = window->nextInput();
    EXPECT_EQ(e.kind, host::InputEvent::Kind::Key);
    EXPECT_EQ(e.key, eRCKey::Digit5);
    e = window->nextInput();
    EXPECT_EQ(e.kind, host::InputEvent::Kind::Text);
    EXPECT_EQ(e.text, "é x");
    e = window->nextInput();
    EXPECT_EQ(e.kind, host::InputEvent::Kind::Key);
    EXPECT_EQ(e.key, eRCKey::Ok);
}

TEST_F(WindowDisplay, PresentShowsFramesAndKeepsTakingKeys)
{
    std::vector<uint32_t> frame(800 * 576, 0x336699);
    pressKey(SDLK_F4);
    // A wider stride than the screen, as a sub-view of a larger buffer.
    window->present(host::FrameView{frame.data(), 720, 576, 800});
    SDL_FlushEvent(SDL_KEYDOWN); // the press was taken by present() already
    host::InputEvent e = window->nextInput();
    EXPECT_EQ(e.key, eRCKey::Blue);
}

TEST_F(WindowDisplay, ClosingTheWindowPressesExitThenEndsTheBox)
{
    pressKey(SDLK_F1);
    closeWindow();
    pressKey(SDLK_F2); // after the close nothing but exit reaches the box
    EXPECT_EQ(window->nextInput().key, eRCKey::Red) << "a key given before the close still counts";
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(window->nextInput().key, eRCKey::Exit);
    EXPECT_TRUE(window->closed());

    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            for (int i = 0; i < 10 * box::WindowFrontend::kMaxExitPresses; ++i)
                window->nextInput();
            std::exit(3);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
