// Browser key names and focus changes turned into the display's events. The
// special keys go by the DOM's names for them; every other key by the one
// character that KeyboardEvent.key holds, decoded from UTF-8.
#include "webinput.h"

#include "keyqueue.h"

#include <array>
#include <cstring>

namespace {

struct NamedKey {
    const char* name;
    int32_t virtualKey;  // kVirtualKeyNone for the control characters below
    int32_t layoutChar;
};

constexpr std::array<NamedKey, 24> kNamedKeys{{
    {"ArrowUp", kVirtualKeyUp, 0},       {"ArrowDown", kVirtualKeyDown, 0},
    {"ArrowLeft", kVirtualKeyLeft, 0},   {"ArrowRight", kVirtualKeyRight, 0},
    {"Insert", kVirtualKeyInsert, 0},    {"Delete", kVirtualKeyDelete, 0},
    {"Home", kVirtualKeyHome, 0},        {"End", kVirtualKeyEnd, 0},
    {"PageUp", kVirtualKeyPageUp, 0},    {"PageDown", kVirtualKeyPageDown, 0},
    {"F1", kVirtualKeyF1, 0},            {"F2", kVirtualKeyF1 + 1, 0},
    {"F3", kVirtualKeyF1 + 2, 0},        {"F4", kVirtualKeyF1 + 3, 0},
    {"F5", kVirtualKeyF1 + 4, 0},        {"F6", kVirtualKeyF1 + 5, 0},
    {"F7", kVirtualKeyF1 + 6, 0},        {"F8", kVirtualKeyF1 + 7, 0},
    {"F9", kVirtualKeyF1 + 8, 0},        {"F10", kVirtualKeyF10, 0},
    {"Escape", kVirtualKeyNone, 27},     {"Enter", kVirtualKeyNone, 13},
    {"Backspace", kVirtualKeyNone, 8},   {"Tab", kVirtualKeyNone, 9},
}};

constexpr int32_t kNoChar = -1;

// The code point of a string that holds exactly one character of at most two
// UTF-8 bytes (every character up to 255 fits in two); kNoChar otherwise.
int32_t singleChar(const char* text)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    if (bytes[0] != 0 && bytes[0] < 0x80 && bytes[1] == 0) {
        return bytes[0];
    }
    const bool twoBytes = (bytes[0] & 0xE0) == 0xC0 && (bytes[1] & 0xC0) == 0x80 && bytes[2] == 0;
    return twoBytes ? ((bytes[0] & 0x1F) << 6) | (bytes[1] & 0x3F) : kNoChar;
}

int32_t controlCharOf(int32_t c)
{
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 1;
    }
    if (c >= 'A' && c <= 'Z') {
        return c - 'A' + 1;
    }
    return 0;  // Ctrl with anything but a letter gives no character
}

int32_t layoutCharOf(const WebKeyDown& key)
{
    const int32_t c = singleChar(key.key);
    if (c == kNoChar || c > kLayoutCharMax || key.meta) {
        return 0;
    }
    return key.ctrl && !key.alt ? controlCharOf(c) : c;
}

bool reportActivation(WebActivation& state, DisplayEvent& event)
{
    const bool active = state.focused && state.visible;
    if (active == state.active) {
        return false;
    }
    state.active = active;
    event = DisplayEvent{DisplayEventType::Activate, active ? 1 : 0, 0, 0};
    return true;
}

}  // namespace

DisplayEvent webTranslateKeyDown(const WebKeyDown& key)
{
    for (const NamedKey& named : kNamedKeys) {
        if (std::strcmp(key.key, named.name) == 0) {
            return DisplayEvent{DisplayEventType::KeyDown, 0, named.virtualKey, named.layoutChar};
        }
    }
    return DisplayEvent{DisplayEventType::KeyDown, 0, kVirtualKeyNone, layoutCharOf(key)};
}

bool webActivationFocus(WebActivation& state, bool focused, DisplayEvent& event)
{
    state.focused = focused;
    return reportActivation(state, event);
}

bool webActivationVisibility(WebActivation& state, bool visible, DisplayEvent& event)
{
    state.visible = visible;
    return reportActivation(state, event);
}
