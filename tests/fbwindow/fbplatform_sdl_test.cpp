// The SDL2 backend without an X server: SDL's dummy video driver, asked for by
// name, carries the events that the tests push, so the event translation can be
// checked, and gives a window surface to lock. (The screen over real SDL
// surfaces, and the refusal of a screen without the demo's mode or of no
// display, are the end-to-end tests' to see.)
#include "fbplatform.h"
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

struct KeyCase {
    SDL_Keycode sym;
    uint16_t mod;
    bool delivered;  // false: the key's character comes as a text event instead
    int32_t virtualKey;
    int32_t layoutChar;
};

TEST_F(SdlEvents, KeyDownsCarryTheTableKeyOrTheControlCharacter)
{
    const KeyCase cases[] = {
        {SDLK_UP, KMOD_NONE, true, kVirtualKeyUp, 0},
        {SDLK_F10, KMOD_NONE, true, kVirtualKeyF10, 0},
        {SDLK_F11, KMOD_NONE, true, kVirtualKeyNone, 0},
        {SDLK_LSHIFT, KMOD_LSHIFT, true, kVirtualKeyNone, 0},
        {SDLK_ESCAPE, KMOD_NONE, true, kVirtualKeyNone, 27},
        {SDLK_KP_ENTER, KMOD_NONE, true, kVirtualKeyNone, 13},
        {SDLK_TAB, KMOD_NONE, true, kVirtualKeyNone, 9},
        {SDLK_c, KMOD_LCTRL, true, kVirtualKeyNone, 3},
        {SDLK_z, KMOD_RCTRL, true, kVirtualKeyNone, 26},
        {SDLK_a, KMOD_LSHIFT, false, 0, 0},
        {SDLK_SPACE, KMOD_NONE, false, 0, 0},
    };
    for (const KeyCase& c : cases) {
        TearDown();  // a fresh queue for each key, with no poll sentinel left in it
        SetUp();
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.state = SDL_PRESSED;
        event.key.keysym.sym = c.sym;
        event.key.keysym.mod = c.mod;
        push(event);
        const std::optional<DisplayEvent> got = nextEvent();
        ASSERT_EQ(got.has_value(), c.delivered) << "keycode " << c.sym;
        if (c.delivered) {
            EXPECT_EQ(got->type, DisplayEventType::KeyDown) << "keycode " << c.sym;
            EXPECT_EQ(got->virtualKey, c.virtualKey) << "keycode " << c.sym;
            EXPECT_EQ(got->layoutChar, c.layoutChar) << "keycode " << c.sym;
        }
    }
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
