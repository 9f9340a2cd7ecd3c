// Key translation, the ring queue and the key-input hooks, with no window.
#include "key_expectations.h"
#include "keyqueue.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class KeyQueueTest : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override
    {
        while (keyQueuePop() != 0) {
        }
        keyHooksClear();
    }
};

struct KeyCase {
    int32_t virtualKey;
    int32_t layoutChar;
    int32_t code;        // 0: no key
    const char* polled;  // the code's poll string
};

// Keys outside the table give the layout's single character, or nothing.
const KeyCase kOtherKeys[] = {
    {kVirtualKeyNone, 3, 3, "\x03"}, {kVirtualKeyNone, 255, 255, "\xFF"},
    {0x7A, 0, 0, ""},  // F11: no character
    {0x10, 0, 0, ""},  // Shift alone
    {kVirtualKeyNone, 256, 0, ""},
    {kVirtualKeyNone, -1, 0, ""},
};

TEST_F(KeyQueueTest, KeysTranslateAndPollAsTheirStrings)
{
    // Keys as Windows gives them: the table wins over the layout's character,
    // and other keys keep theirs.
    expectDocumentedKeys(
        [](size_t i) { return translateKeyDown(kExpectedSpecialKeys[i].windowsKey, 'x'); },
        [](size_t i) {
            const ExpectedKey& key = kExpectedControlKeys[i];
            return translateKeyDown(key.windowsKey, key.code);
        },
        [](int32_t n) { return translateKeyDown('A' + n, n + 1); });
    for (const ExpectedKey& key : kExpectedSpecialKeys) {
        EXPECT_EQ(keyCodeString(key.code), (std::string{'\xFF', key.scanChar})) << key.name;
    }
    for (const KeyCase& c : kOtherKeys) {
        const int32_t code = translateKeyDown(c.virtualKey, c.layoutChar);
        EXPECT_EQ(code, c.code) << "virtual key " << c.virtualKey << ", layout " << c.layoutChar;
        EXPECT_EQ(keyCodeString(code), c.polled) << "code " << code;
    }
    // Codes beyond the table use its last scan character.
    EXPECT_EQ(keyCodeString(0x100), "\xFFX");
    EXPECT_EQ(keyCodeString(0x200), "\xFF" "D");
}

// Sixteen codes into sixteen slots: the oldest is dropped, the indices wrap and
// the rest come out in order.
TEST_F(KeyQueueTest, AFullQueueDropsItsOldestCodeAndWrapsInOrder)
{
    for (int32_t code = 1; code <= 16; ++code) {
        keyQueuePush(code);
    }
    for (int32_t expected = 2; expected <= 16; ++expected) {
        EXPECT_EQ(keyQueuePop(), expected);
    }
    EXPECT_EQ(keyQueuePop(), 0);
}

TEST_F(KeyQueueTest, ZeroIsNeverQueuedAndWaitingLeavesTheKey)
{
    keyQueuePush(0);
    EXPECT_EQ(keyQueueWaiting(), 0);
    keyQueuePush('q');
    keyQueuePush(0);
    EXPECT_EQ(keyQueueWaiting(), 1);
    EXPECT_EQ(keyQueueWaiting(), 1);
    EXPECT_EQ(keyQueuePop(), 'q');
    EXPECT_EQ(keyQueuePop(), 0);
}

TEST_F(KeyQueueTest, InputOperationsGoThroughTheHooksOnly)
{
    keyQueuePush('k');  // without hooks the queue is not read, and nothing blocks
    EXPECT_EQ(keyInputPoll(), "");
    EXPECT_EQ(keyInputWaiting(), 0);
    EXPECT_EQ(keyInputWait(), 0);
    EXPECT_EQ(keyQueuePop(), 'k');
    keyHooksInstall(KeyInputHooks{[] { return std::string("hook"); }, [] { return int32_t{42}; },
                                  [] { return int32_t{1}; }});
    EXPECT_EQ(keyInputPoll(), "hook");
    EXPECT_EQ(keyInputWait(), 42);
    EXPECT_EQ(keyInputWaiting(), 1);
}

}  // namespace
