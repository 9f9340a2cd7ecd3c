// The keyboard behind the program's key polling: translation of key-downs into
// key codes, a 16-slot ring queue of those codes, and the three key-input hooks
// that the open screen fills. Codes are 1..255 (one character as the keyboard
// layout gives it) or 0x101..0x114 (the special keys of the table); 0 is no key.
// No platform header here: the backend hands over the layout's character as data.
#pragma once

#include <cstdint>
#include <string>

// Virtual keys of the special-key table (the values of the Windows key codes,
// which the backends map their own keys onto). Every other key may be given as
// kVirtualKeyNone together with the character its layout produces.
constexpr int32_t kVirtualKeyNone = 0;
constexpr int32_t kVirtualKeyPageUp = 0x21;
constexpr int32_t kVirtualKeyPageDown = 0x22;
constexpr int32_t kVirtualKeyEnd = 0x23;
constexpr int32_t kVirtualKeyHome = 0x24;
constexpr int32_t kVirtualKeyLeft = 0x25;
constexpr int32_t kVirtualKeyUp = 0x26;
constexpr int32_t kVirtualKeyRight = 0x27;
constexpr int32_t kVirtualKeyDown = 0x28;
constexpr int32_t kVirtualKeyInsert = 0x2D;
constexpr int32_t kVirtualKeyDelete = 0x2E;
constexpr int32_t kVirtualKeyF1 = 0x70;
constexpr int32_t kVirtualKeyF10 = 0x79;

// Characters 1..255 of the keyboard layout are key codes of their own.
constexpr int32_t kLayoutCharMax = 255;
constexpr int32_t kKeyCodeFirstSpecial = 0x101;
constexpr int32_t kKeyCodeLastSpecial = 0x114;
constexpr int32_t kKeyQueueSlots = 16;  // holds at most 15 codes: one slot stays free

// The program's key-input operations consult these slots first; null = unset.
struct KeyInputHooks {
    std::string (*pollKey)() = nullptr;    // next key as a string, "" when none
    int32_t (*waitKey)() = nullptr;        // waits for the next key, returns its code
    int32_t (*keyWaiting)() = nullptr;     // 1 when a key is queued, else 0
};

// The key code of one key-down. layoutChar is the single character the keyboard
// layout produces for the key with the current modifiers (1..255), or 0 when it
// produces none, a dead key or more than one character. The special-key table
// wins over the layout and ignores Shift, Ctrl and Alt.
int32_t translateKeyDown(int32_t virtualKey, int32_t layoutChar);

// A full queue drops its oldest code to make room; a 0 code is ignored.
void keyQueuePush(int32_t code);
// Oldest code, removed; 0 when empty.
int32_t keyQueuePop();
// 1 when a code is queued, else 0; the queue is left as it is.
int32_t keyQueueWaiting();

// A key code as the poll returns it: 1..255 as a one-byte string, a special
// key as the two bytes 255 and its scan-code character ("H" for Up), 0 as "".
std::string keyCodeString(int32_t code);

void keyHooksInstall(const KeyInputHooks& hooks);
void keyHooksClear();
KeyInputHooks keyHooksCurrent();

// The program's key-input operations: each returns its hook's result unchanged.
// This program has no console keyboard, so with an empty slot the poll gives "",
// the test gives 0 and the wait returns 0 at once instead of blocking forever.
std::string keyInputPoll();
int32_t keyInputWait();
int32_t keyInputWaiting();
