// The DirectDraw backend's window procedure, under Wine: the key messages that
// Windows sends its window come out of the display interface as the program's
// key codes, key by key, the characters through the keyboard layout with the
// modifiers as the thread's keyboard state holds them.
#include "fbplatform.h"
#include "key_expectations.h"
#include "keyqueue.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

constexpr char kTitle[] = "keys";
constexpr LPARAM kAltDown = LPARAM{1} << 29;

class DdrawKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        displayCreateWindow(kTitle, 64, 48);
        window = FindWindowA(kTitle, kTitle);
        ASSERT_NE(window, nullptr);
        holdControl(false);
    }
    void TearDown() override
    {
        holdControl(false);
        displayDestroyWindow();
    }

    static void holdControl(bool down)
    {
        BYTE state[256] = {};
        state[VK_CONTROL] = state[VK_LCONTROL] = down ? 0x80 : 0;
        SetKeyboardState(state);
    }

    // The key code one key message comes to; -1 when no key event comes of it.
    int32_t codeOf(UINT message, WPARAM key, LPARAM flags = 0)
    {
        const LPARAM scanCode = LPARAM(MapVirtualKeyA(UINT(key), MAPVK_VK_TO_VSC)) << 16;
        PostMessageA(window, message, key, 1 | scanCode | flags);
        DisplayEvent event;
        int32_t code = -1;
        while (displayPeekEvent(event) != 0) {
            code = event.type == DisplayEventType::KeyDown
                       ? translateKeyDown(event.virtualKey, event.layoutChar)
                       : code;
        }
        return code;
    }

    HWND window = nullptr;
};

TEST_F(DdrawKeys, EverySpecialKeyAndControlCharacterGivesItsCode)
{
    for (const ExpectedKey& key : kExpectedSpecialKeys) {
        // F10 comes as a system key, as Windows sends it.
        const UINT message = key.windowsKey == VK_F10 ? WM_SYSKEYDOWN : WM_KEYDOWN;
        EXPECT_EQ(codeOf(message, WPARAM(key.windowsKey)), key.code) << key.name;
    }
    for (const ExpectedKey& key : kExpectedControlKeys) {
        EXPECT_EQ(codeOf(WM_KEYDOWN, WPARAM(key.windowsKey)), key.code) << key.name;
    }
    holdControl(true);
    for (int32_t letter = 0; letter < kExpectedControlLetters; ++letter) {
        EXPECT_EQ(codeOf(WM_KEYDOWN, WPARAM('A' + letter)), letter + 1) << "Ctrl " << letter;
    }
    holdControl(false);
    EXPECT_EQ(codeOf(WM_KEYDOWN, 'A'), 'a');
    EXPECT_EQ(codeOf(WM_KEYDOWN, VK_F11), 0);
    EXPECT_EQ(codeOf(WM_SYSKEYDOWN, VK_F10, kAltDown), -1) << "Alt+F10 stays the system's";
}

}  // namespace
