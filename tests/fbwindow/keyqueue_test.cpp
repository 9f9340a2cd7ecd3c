// The key queue, its translation table and the hooks, with no window at all.
#include "keyqueue.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

void drainKeyQueue()
{
    while (keyQueuePop() != 0) {
    }
}

class KeyQueueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        drainKeyQueue();
        keyHooksClear();
    }
    void TearDown() override
    {
        drainKeyQueue();
        keyHooksClear();
    }
};

struct SpecialKeyCase {
    int32_t virtualKey;
    int32_t code;
    const char* pollString;
};

void PrintTo(const SpecialKeyCase& c, std::ostream* os)
{
    *os << "virtual key " << c.virtualKey << " -> code " << c.code;
}

class SpecialKeys : public KeyQueueTest, public ::testing::WithParamInterface<SpecialKeyCase> {};

TEST_P(SpecialKeys, TranslateByTableIgnoringTheLayoutAndPollAsTwoBytes)
{
    const SpecialKeyCase c = GetParam();
    EXPECT_EQ(translateKeyDown(c.virtualKey, 0), c.code);
    EXPECT_EQ(translateKeyDown(c.virtualKey, 'x'), c.code);  // the table wins
    keyQueuePush(c.code);
    EXPECT_EQ(screenPollKey(), std::string(c.pollString));
}

INSTANTIATE_TEST_SUITE_P(
    Table, SpecialKeys,
    ::testing::Values(SpecialKeyCase{0x26, 0x101, "\xFFH"}, SpecialKeyCase{0x28, 0x102, "\xFFP"},
                      SpecialKeyCase{0x25, 0x103, "\xFFK"}, SpecialKeyCase{0x27, 0x104, "\xFFM"},
                      SpecialKeyCase{0x2D, 0x105, "\xFFR"}, SpecialKeyCase{0x2E, 0x106, "\xFFS"},
                      SpecialKeyCase{0x24, 0x107, "\xFFG"}, SpecialKeyCase{0x23, 0x108, "\xFFO"},
                      SpecialKeyCase{0x21, 0x109, "\xFFI"}, SpecialKeyCase{0x22, 0x10A, "\xFFQ"},
                      SpecialKeyCase{0x70, 0x10B, "\xFF;"}, SpecialKeyCase{0x71, 0x10C, "\xFF<"},
                      SpecialKeyCase{0x72, 0x10D, "\xFF="}, SpecialKeyCase{0x73, 0x10E, "\xFF>"},
                      SpecialKeyCase{0x74, 0x10F, "\xFF?"}, SpecialKeyCase{0x75, 0x110, "\xFF@"},
                      SpecialKeyCase{0x76, 0x111, "\xFF" "A"}, SpecialKeyCase{0x77, 0x112, "\xFF" "B"},
                      SpecialKeyCase{0x78, 0x113, "\xFF" "C"}, SpecialKeyCase{0x79, 0x114, "\xFF" "D"}));

struct LayoutCase {
    int32_t virtualKey;
    int32_t layoutChar;
    int32_t code;
};

void PrintTo(const LayoutCase& c, std::ostream* os)
{
    *os << "virtual key " << c.virtualKey << ", layout " << c.layoutChar << " -> " << c.code;
}

class LayoutKeys : public KeyQueueTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(LayoutKeys, FallBackToTheLayoutsSingleCharacter)
{
    const LayoutCase c = GetParam();
    EXPECT_EQ(translateKeyDown(c.virtualKey, c.layoutChar), c.code);
}

INSTANTIATE_TEST_SUITE_P(
    Fallback, LayoutKeys,
    ::testing::Values(LayoutCase{kVirtualKeyNone, 27, 27},   // Escape
                      LayoutCase{kVirtualKeyNone, 13, 13},   // Enter
                      LayoutCase{kVirtualKeyNone, 'A', 'A'}, // Shift with A
                      LayoutCase{kVirtualKeyNone, 3, 3},     // Ctrl with C
                      LayoutCase{kVirtualKeyNone, 255, 255},
                      LayoutCase{0x7A, 0, 0},                // F11: no character
                      LayoutCase{0x10, 0, 0},                // Shift alone
                      LayoutCase{kVirtualKeyNone, 256, 0},   // beyond one byte
                      LayoutCase{kVirtualKeyNone, -1, 0}));

TEST_F(KeyQueueTest, PollOfAnEmptyQueueIsEmptyAndACharacterIsOneByte)
{
    EXPECT_EQ(screenPollKey(), "");
    keyQueuePush(27);
    EXPECT_EQ(screenPollKey(), "\x1B");
    EXPECT_EQ(screenPollKey(), "");
}

TEST_F(KeyQueueTest, CodesBeyondTheTableUseItsLastScanCharacter)
{
    keyQueuePush(0x100);
    keyQueuePush(0x200);
    EXPECT_EQ(screenPollKey(), "\xFFX");
    EXPECT_EQ(screenPollKey(), "\xFF" "D");
}

TEST_F(KeyQueueTest, SixteenKeysBetweenPollsLoseTheFirst)
{
    for (int32_t code = 1; code <= 16; ++code) {
        keyQueuePush(code);
    }
    EXPECT_EQ(screenPollKey(), "\x02");
    int32_t remaining = 0;
    int32_t expected = 3;
    for (int32_t code = keyQueuePop(); code != 0; code = keyQueuePop()) {
        EXPECT_EQ(code, expected++);
        ++remaining;
    }
    EXPECT_EQ(remaining, 14);
}

TEST_F(KeyQueueTest, OrderSurvivesWrappingPastTheLastSlot)
{
    for (int32_t round = 0; round < 3; ++round) {
        for (int32_t i = 1; i <= 10; ++i) {
            keyQueuePush(round * 10 + i);
        }
        for (int32_t i = 1; i <= 10; ++i) {
            EXPECT_EQ(keyQueuePop(), round * 10 + i);
        }
    }
    EXPECT_EQ(keyQueuePop(), 0);
}

TEST_F(KeyQueueTest, ZeroIsNeverQueued)
{
    keyQueuePush(0);
    EXPECT_EQ(screenKeyWaiting(), 0);
    keyQueuePush(5);
    keyQueuePush(0);
    EXPECT_EQ(keyQueuePop(), 5);
    EXPECT_EQ(keyQueuePop(), 0);
}

TEST_F(KeyQueueTest, KeyWaitingLeavesTheKeyForTheNextPoll)
{
    EXPECT_EQ(screenKeyWaiting(), 0);
    keyQueuePush('q');
    EXPECT_EQ(screenKeyWaiting(), 1);
    EXPECT_EQ(screenKeyWaiting(), 1);
    EXPECT_EQ(screenPollKey(), "q");
    EXPECT_EQ(screenKeyWaiting(), 0);
}

TEST_F(KeyQueueTest, InputOperationsWithoutHooksReportNoKeyAndNeverBlock)
{
    keyQueuePush('k');  // the queue is not read without hooks
    EXPECT_EQ(keyInputPoll(), "");
    EXPECT_EQ(keyInputWaiting(), 0);
    EXPECT_EQ(keyInputWait(), 0);
    EXPECT_EQ(keyQueuePop(), 'k');
}

TEST_F(KeyQueueTest, InputOperationsReturnTheirHooksResults)
{
    keyHooksInstall(KeyInputHooks{[] { return std::string("hook"); }, [] { return int32_t{42}; },
                                  [] { return int32_t{1}; }});
    EXPECT_EQ(keyInputPoll(), "hook");
    EXPECT_EQ(keyInputWait(), 42);
    EXPECT_EQ(keyInputWaiting(), 1);
    keyHooksClear();
    EXPECT_EQ(keyHooksCurrent().pollKey, nullptr);
    EXPECT_EQ(keyHooksCurrent().waitKey, nullptr);
    EXPECT_EQ(keyHooksCurrent().keyWaiting, nullptr);
}

}  // namespace
