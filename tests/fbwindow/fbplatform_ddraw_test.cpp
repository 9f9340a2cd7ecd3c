// The DirectDraw backend's window procedure under Wine: the key messages that
// Windows sends come out of the display interface as the program's key codes,
// characters through the layout with the thread's keyboard state.
#include "fbplatform.h"
#include "key_expectations.h"
#include "keyqueue.h"

#include <windows.h>

namespace {

HWND window = nullptr;

void holdControl(bool down)
{
    BYTE state[256] = {};
    state[VK_CONTROL] = state[VK_LCONTROL] = down ? 0x80 : 0;
    SetKeyboardState(state);
}

// The code of the last key event that one message gives; -1 for none.
int32_t codeOf(UINT message, WPARAM key, LPARAM flags = 0)
{
    const LPARAM scanCode = LPARAM(MapVirtualKeyA(UINT(key), MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(window, message, key, 1 | scanCode | flags);
    DisplayEvent event;
    int32_t code = -1;
    while (displayPeekEvent(event) != 0) {
        if (event.type == DisplayEventType::KeyDown) {
            code = translateKeyDown(event.virtualKey, event.layoutChar);
        }
    }
    return code;
}

TEST(DdrawKeys, KeyMessagesGiveTheDocumentedCodes)
{
    displayCreateWindow("keys", 64, 48);
    window = FindWindowA("keys", "keys");
    ASSERT_NE(window, nullptr);
    expectDocumentedKeys(
        [](size_t i) {  // F10 comes as a system key
            const WPARAM key = WPARAM(kExpectedSpecialKeys[i].windowsKey);
            return codeOf(key == VK_F10 ? WM_SYSKEYDOWN : WM_KEYDOWN, key);
        },
        [](size_t i) { return codeOf(WM_KEYDOWN, WPARAM(kExpectedControlKeys[i].windowsKey)); },
        [](int32_t n) {
            holdControl(true);
            const int32_t code = codeOf(WM_KEYDOWN, WPARAM('A' + n));
            holdControl(false);
            return code;
        });
    EXPECT_EQ(codeOf(WM_KEYDOWN, 'A'), 'a');
    EXPECT_EQ(codeOf(WM_KEYDOWN, VK_F11), 0);
    EXPECT_EQ(codeOf(WM_SYSKEYDOWN, VK_F10, LPARAM{1} << 29), -1) << "Alt+F10 is the system's";
    displayDestroyWindow();
}

}  // namespace
