// Key translation, the key queue and the key-input hooks. One static queue and
// one static hook record live for the whole run; the queue is never reset, so
// codes left in it when the screen closes stay there.
#include "keyqueue.h"

#include <algorithm>
#include <array>

namespace {

struct KeyQueue {
    std::array<int32_t, kKeyQueueSlots> slots{};
    int32_t head = 0;  // oldest unread code
    int32_t tail = 0;  // next slot to write; head == tail means empty
};

constexpr int32_t kKeyQueueMask = kKeyQueueSlots - 1;
constexpr int32_t kFunctionKeyCodeOffset = 0x9B;  // F1 (0x70) + 0x9B = 0x10B
constexpr char kExtendedKeyPrefix = static_cast<char>(255);

// Position i is the second byte of the key string of code 256 + i; position 0
// belongs to 0x100, which no key produces.
constexpr char kExtendedKeyScanChars[] = "XHPKMRSGOIQ;<=>?@ABCD";
constexpr int32_t kExtendedKeyScanLast = sizeof(kExtendedKeyScanChars) - 2;

struct SpecialKey {
    int32_t virtualKey;
    int32_t code;
};

constexpr std::array<SpecialKey, 10> kSpecialKeys{{
    {kVirtualKeyUp, 0x101},     {kVirtualKeyDown, 0x102},   {kVirtualKeyLeft, 0x103},
    {kVirtualKeyRight, 0x104},  {kVirtualKeyInsert, 0x105}, {kVirtualKeyDelete, 0x106},
    {kVirtualKeyHome, 0x107},   {kVirtualKeyEnd, 0x108},    {kVirtualKeyPageUp, 0x109},
    {kVirtualKeyPageDown, 0x10A},
}};

KeyQueue keyQueue;
KeyInputHooks keyHooks;

int32_t specialKeyCode(int32_t virtualKey)
{
    if (virtualKey >= kVirtualKeyF1 && virtualKey <= kVirtualKeyF10) {
        return virtualKey + kFunctionKeyCodeOffset;
    }
    for (const SpecialKey& key : kSpecialKeys) {
        if (key.virtualKey == virtualKey) {
            return key.code;
        }
    }
    return 0;
}

}  // namespace

int32_t translateKeyDown(int32_t virtualKey, int32_t layoutChar)
{
    const int32_t special = specialKeyCode(virtualKey);
    if (special != 0) {
        return special;
    }
    // Anything outside one character (none, dead key, several) yields no key.
    if (layoutChar < 1 || layoutChar > kLayoutCharMax) {
        return 0;
    }
    return layoutChar;
}

void keyQueuePush(int32_t code)
{
    if (code == 0) {
        return;  // 0 means "no key" and would read back as an empty queue
    }
    keyQueue.slots[keyQueue.tail] = code;
    const int32_t next = (keyQueue.tail + 1) & kKeyQueueMask;
    if (next == keyQueue.head) {
        keyQueue.head = (keyQueue.head + 1) & kKeyQueueMask;
    }
    keyQueue.tail = next;
}

int32_t keyQueuePop()
{
    if (keyQueue.head == keyQueue.tail) {
        return 0;
    }
    const int32_t code = keyQueue.slots[keyQueue.head];
    keyQueue.head = (keyQueue.head + 1) & kKeyQueueMask;
    return code;
}

int32_t keyQueueWaiting()
{
    return keyQueue.head != keyQueue.tail ? 1 : 0;
}

std::string keyCodeString(int32_t code)
{
    if (code == 0) {
        return {};
    }
    if (code <= kLayoutCharMax) {
        return std::string(1, static_cast<char>(code));
    }
    const int32_t index = std::min(code - 256, kExtendedKeyScanLast);
    return std::string{kExtendedKeyPrefix, kExtendedKeyScanChars[index]};
}

void keyHooksInstall(const KeyInputHooks& hooks)
{
    keyHooks = hooks;
}

void keyHooksClear()
{
    keyHooks = KeyInputHooks{};
}

KeyInputHooks keyHooksCurrent()
{
    return keyHooks;
}

std::string keyInputPoll()
{
    return keyHooks.pollKey != nullptr ? keyHooks.pollKey() : std::string{};
}

int32_t keyInputWait()
{
    return keyHooks.waitKey != nullptr ? keyHooks.waitKey() : 0;
}

int32_t keyInputWaiting()
{
    return keyHooks.keyWaiting != nullptr ? keyHooks.keyWaiting() : 0;
}
