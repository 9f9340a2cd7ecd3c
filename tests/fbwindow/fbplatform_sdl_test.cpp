// The SDL2 backend without an X server: SDL's dummy video driver, asked for by
// name, carries the events that the tests push, so the event translation can be
// checked, and gives a window surface to lock. (The screen over real SDL
// surfaces, and the refusal of a screen without the demo's mode or of no
// display, are the end-to-end tests' to see.)
#include "fbplatform.h"
#include "key_expectations.h"
#include "keyqueue.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

std::optional<DisplayEvent> nextEvent()
{
    DisplayEvent event;
    if (displayPeekEvent(event) == 0) {
        return std::nullopt;
    }
    return event;
}

class SdlEvents : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(displayLoad(), 1);
        while (nextEvent()) {
        }
    }
    void TearDown() override { displayUnload(); }
};

void push(SDL_Event event)
{
    ASSERT_EQ(SDL_PushEvent(&event), 1);
}

// The key code one key-down comes to, -1 when its character comes as a text
// event instead; the queue is left empty.
int32_t codeOf(SDL_Keycode sym, uint16_t mod)
{
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = sym;
    event.key.keysym.mod = mod;
    push(event);
    const std::optional<DisplayEvent> got = nextEvent();
    while (nextEvent()) {
    }
    return got ? translateKeyDown(got->virtualKey, got->layoutChar) : -1;
}

const SDL_Keycode kSpecialKeys[std::size(kExpectedSpecialKeys)] = {
    SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_INSERT, SDLK_DELETE, SDLK_HOME,
    SDLK_END, SDLK_PAGEUP, SDLK_PAGEDOWN, SDLK_F1, SDLK_F2, SDLK_F3, SDLK_F4,
    SDLK_F5, SDLK_F6, SDLK_F7, SDLK_F8, SDLK_F9, SDLK_F10};
const SDL_Keycode kControlKeys[std::size(kExpectedControlKeys)] = {SDLK_ESCAPE, SDLK_RETURN,
                                                                   SDLK_BACKSPACE, SDLK_TAB};

TEST_F(SdlEvents, KeyDownsGiveTheDocumentedCodes)
{
    // The table ignores the modifiers.
    expectDocumentedKeys([](size_t i) { return codeOf(kSpecialKeys[i], KMOD_LSHIFT); },
                         [](size_t i) { return codeOf(kControlKeys[i], KMOD_NONE); },
                         [](int32_t n) { return codeOf(SDLK_a + n, KMOD_RCTRL | KMOD_LSHIFT); });
    // Keys of no code, the keypad's Enter, and keys whose text comes instead.
    EXPECT_EQ(codeOf(SDLK_F11, KMOD_NONE), 0);
    EXPECT_EQ(codeOf(SDLK_LSHIFT, KMOD_LSHIFT), 0);
    EXPECT_EQ(codeOf(SDLK_KP_ENTER, KMOD_NONE), 13);
    EXPECT_EQ(codeOf(SDLK_c, KMOD_LCTRL), 3);
    EXPECT_EQ(codeOf(SDLK_a, KMOD_LSHIFT), -1);
    EXPECT_EQ(codeOf(SDLK_SPACE, KMOD_NONE), -1);
}

// A surface in another format than the converter was chosen for is refused.
// SDL's dummy driver makes every window surface in one format, whatever the
// mode, so the test lends the surface another format record for one lock.
TEST_F(SdlEvents, ALockRefusesASurfaceWhoseFormatChanged)
{
    ASSERT_EQ(displayCreate(), 1);
    displayCreateWindow("format", 64, 48);
    ASSERT_EQ(displayCreateFlipChain(1), 1);
    DisplayPixelFormat format;
    ASSERT_EQ(displayGetPixelFormat(format), 1);
    SDL_Window* window = nullptr;  // the only one
    for (Uint32 id = 1; window == nullptr && id < 64; ++id) {
        window = SDL_GetWindowFromID(id);
    }
    ASSERT_NE(window, nullptr);
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    SDL_PixelFormat* const own = surface->format;
    SDL_PixelFormat* const other =
        SDL_AllocFormat(format.bitCount == 16 ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565);
    DisplayLockedBuffer buffer;
    surface->format = other;
    EXPECT_EQ(displayLock(buffer), 0);
    surface->format = own;
    SDL_FreeFormat(other);
    EXPECT_EQ(displayLock(buffer), 1);
    displayUnlock(buffer);
    displayReleaseFlipChain();
    displayDestroy();
    displayDestroyWindow();
}

TEST_F(SdlEvents, TextGivesOneKeyPerCharacterUpTo255)
{
    // e acute is 0xE9; the euro sign is beyond one byte and is dropped.
    for (const char* text : {"aB", "\xC3\xA9", "x\xE2\x82\xACy"}) {
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        SDL_strlcpy(event.text.text, text, sizeof(event.text.text));
        push(event);
    }
    std::vector<int32_t> chars;
    for (auto event = nextEvent(); event; event = nextEvent()) {
        ASSERT_EQ(event->type, DisplayEventType::KeyDown);
        EXPECT_EQ(event->virtualKey, kVirtualKeyNone);
        chars.push_back(event->layoutChar);
    }
    EXPECT_EQ(chars, (std::vector<int32_t>{'a', 'B', 0xE9, 'x', 'y'}));
}

TEST_F(SdlEvents, WindowEventsBecomeActivationCursorAndCloseRequests)
{
    // MOVED is nothing the screen handles.
    for (const auto kind : {SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_FOCUS_GAINED,
                            SDL_WINDOWEVENT_MOVED, SDL_WINDOWEVENT_ENTER, SDL_WINDOWEVENT_CLOSE}) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = static_cast<uint8_t>(kind);
        push(event);
    }
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    push(quit);
    std::vector<std::pair<DisplayEventType, int32_t>> seen;
    for (auto event = nextEvent(); event; event = nextEvent()) {
        seen.emplace_back(event->type, event->active);
    }
    using T = DisplayEventType;
    EXPECT_EQ(seen, (std::vector<std::pair<T, int32_t>>{{T::Activate, 0},
                                                        {T::Activate, 1},
                                                        {T::SetCursor, 0},
                                                        {T::CloseRequest, 0},
                                                        {T::CloseRequest, 0}}));
}

}  // namespace
