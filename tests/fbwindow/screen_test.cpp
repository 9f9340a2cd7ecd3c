// The screen over the scriptable display double: which modes and chains open
// tries and in what order, what a failed open leaves behind for close, what
// update draws and when it refuses, activation, keys, close requests and the
// place of the key hooks. Call order is checked where it matters (fallbacks,
// release in reverse, hooks last), not call for call.
#include "convert.h"
#include "fbplatform_fake.h"
#include "keyqueue.h"
#include "screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;
constexpr uint8_t kUntouched = 0xAB;  // the double fills every locked buffer with it

bool hooksInstalled()
{
    return keyHooksCurrent().pollKey != nullptr;
}

// The calls that start with one of the prefixes, in order.
Calls callsOf(std::initializer_list<const char*> prefixes)
{
    Calls picked;
    for (const std::string& call : fakeDisplayCallNames()) {
        for (const char* prefix : prefixes) {
            if (call.rfind(prefix, 0) == 0) {
                picked.push_back(call);
            }
        }
    }
    return picked;
}

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override
    {
        screenClose();
        fakeDisplayReset();
        screenWindowProc(DisplayEvent{DisplayEventType::Activate, 1, 0, 0});
        while (keyQueuePop() != 0) {
        }
    }

    static int32_t open() { return screenOpen("Spindra", kWidth, kHeight); }
    static void openOrFail()
    {
        ASSERT_EQ(open(), 1);
        fakeDisplay().calls.clear();
    }
    static int32_t update()
    {
        static const std::vector<uint32_t> pixels(kWidth * kHeight, 0x00FFFFFF);
        return screenUpdate(pixels.data());
    }
    static void queue(DisplayEventType type, int32_t active = 0, int32_t virtualKey = 0,
                      int32_t layoutChar = 0)
    {
        fakeDisplay().events.push_back(DisplayEvent{type, active, virtualKey, layoutChar});
    }
};

TEST_F(ScreenTest, OpensTheWindowAtItsSizeAndInstallsTheHooksLast)
{
    ASSERT_EQ(open(), 1);
    EXPECT_EQ(callsOf({"createWindow"}), Calls{"createWindow Spindra 640x480"});
    for (const FakeDisplayCall& call : fakeDisplay().calls) {
        EXPECT_FALSE(call.hooksInstalled) << call.name;
    }
    EXPECT_TRUE(hooksInstalled());
    EXPECT_FALSE(fakeDisplay().screenSaverEnabled);
    EXPECT_EQ(open(), 0) << "a second open without close";
    screenClose();
    EXPECT_EQ(open(), 1) << "reopen after close";
    screenClose();
    fakeDisplay().calls.clear();
    EXPECT_EQ(screenOpen(nullptr, kWidth, kHeight), 0);
    EXPECT_EQ(screenOpen("t", 0, kHeight), 0);
    EXPECT_EQ(screenOpen("t", kWidth, -1), 0);
    EXPECT_TRUE(fakeDisplay().calls.empty()) << "bad arguments never reach the display";
}

struct OpenCase {
    const char* name;
    std::function<void(FakeDisplay&)> script;
    int32_t result;
    Calls tries;     // the modes and chains open asks for, in order
    Calls released;  // what the following close releases, in order
};

const Calls kReleaseAll = {"releaseFlipChain", "destroy", "destroyWindow", "unload"};

const OpenCase kOpenCases[] = {
    {"all fine", [](FakeDisplay&) {}, 1, {"setMode 32", "createFlipChain 2"}, kReleaseAll},
    {"16 bits, one back buffer",
     [](FakeDisplay& f) { f.acceptedModeBits = {16}, f.acceptedBackBuffers = {1}; }, 1,
     {"setMode 32", "setMode 24", "setMode 16", "createFlipChain 2", "createFlipChain 1"},
     kReleaseAll},
    {"lone primary", [](FakeDisplay& f) { f.acceptedBackBuffers = {0}; }, 0,
     {"setMode 32", "createFlipChain 2", "createFlipChain 1", "createFlipChain 0"}, kReleaseAll},
    {"no chain", [](FakeDisplay& f) { f.acceptedBackBuffers = {}; }, 0,
     {"setMode 32", "createFlipChain 2", "createFlipChain 1", "createFlipChain 0"},
     {"destroy", "destroyWindow", "unload"}},
    {"no mode", [](FakeDisplay& f) { f.acceptedModeBits = {8}; }, 0,
     {"setMode 32", "setMode 24", "setMode 16"}, {"destroy", "destroyWindow", "unload"}},
    {"pixel format refused", [](FakeDisplay& f) { f.refusePixelFormat = true; }, 0,
     {"setMode 32", "createFlipChain 2"}, kReleaseAll},
    {"palette format", [](FakeDisplay& f) { f.format = DisplayPixelFormat{8, 0, 0, 0, false}; }, 0,
     {"setMode 32", "createFlipChain 2"}, kReleaseAll},
    {"RGB with no converter", [](FakeDisplay& f) { f.format.greenMask = 0x1F; }, 0,
     {"setMode 32", "createFlipChain 2"}, kReleaseAll},
    {"exclusive mode refused", [](FakeDisplay& f) { f.refuseExclusive = true; }, 0, {},
     {"destroy", "destroyWindow", "unload"}},
    {"no device", [](FakeDisplay& f) { f.refuseCreate = true; }, 0, {},
     {"destroyWindow", "unload"}},
    {"no display services", [](FakeDisplay& f) { f.refuseLoad = true; }, 0, {},
     {"destroyWindow"}},
};

TEST_F(ScreenTest, OpenFallsBackInOrderAndCloseReleasesWhatWasTakenInReverse)
{
    for (const OpenCase& c : kOpenCases) {
        TearDown();
        c.script(fakeDisplay());
        EXPECT_EQ(open(), c.result) << c.name;
        EXPECT_EQ(callsOf({"setMode", "createFlipChain"}), c.tries) << c.name;
        EXPECT_EQ(hooksInstalled(), c.result == 1) << c.name;
        EXPECT_EQ(fakeDisplay().screenSaverEnabled, c.result == 0) << c.name;
        fakeDisplay().calls.clear();
        screenClose();
        EXPECT_EQ(callsOf({"release", "destroy", "unload"}), c.released) << c.name;
        for (const FakeDisplayCall& call : fakeDisplay().calls) {
            EXPECT_TRUE(call.hooksInstalled || c.result == 0) << c.name << ": " << call.name;
        }
        EXPECT_FALSE(hooksInstalled()) << c.name;
        EXPECT_TRUE(fakeDisplay().screenSaverEnabled) << c.name;
        fakeDisplay().calls.clear();
        screenClose();  // a second close finds nothing left to release
        EXPECT_EQ(callsOf({"release", "destroy", "unload"}), Calls{"destroyWindow"}) << c.name;
    }
}

TEST_F(ScreenTest, UpdateConvertsEveryRowIntoThePitchAndLeavesThePaddingAlone)
{
    constexpr int32_t width = 5;
    constexpr int32_t height = 3;
    fakeDisplay().format = DisplayPixelFormat{16, 0xF800, 0x7E0, 0x1F, true};
    fakeDisplay().pitchPadding = 6;
    ASSERT_EQ(screenOpen("small", width, height), 1);
    std::vector<uint32_t> pixels(width * height);
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = 0x00123456u * static_cast<uint32_t>(i + 1);
    }
    ASSERT_EQ(screenUpdate(pixels.data()), 1);
    // Lost surfaces come back before every lock (DirectDraw: the mode after a switch).
    EXPECT_EQ(callsOf({"restore", "lock", "unlock", "flip"}),
              (Calls{"restore", "lock", "unlock", "flip"}));
    const int32_t pitch = fakeDisplay().pitch;
    ASSERT_EQ(pitch, width * 2 + 6);
    for (int32_t y = 0; y < height; ++y) {
        std::vector<uint8_t> expected(pitch, kUntouched);
        convertRow565(pixels.data() + y * width, expected.data(), width);
        const auto row = fakeDisplay().buffer.begin() + y * pitch;
        EXPECT_EQ(std::vector<uint8_t>(row, row + pitch), expected) << "row " << y;
    }
}

TEST_F(ScreenTest, UpdateDropsTheFrameWhenItCannotDrawItWhole)
{
    EXPECT_EQ(update(), 0) << "no screen";
    openOrFail();
    EXPECT_EQ(screenUpdate(nullptr), 0);
    fakeDisplay().refuseLock = true;
    EXPECT_EQ(update(), 0);
    EXPECT_EQ(callsOf({"unlock", "flip"}), Calls{}) << "a failed lock is not undone";
    fakeDisplay().refuseLock = false;
    // A back buffer a column or a row short, as a window manager may leave it.
    for (int32_t* side : {&fakeDisplay().bufferWidth, &fakeDisplay().bufferHeight}) {
        *side = side == &fakeDisplay().bufferWidth ? kWidth - 1 : kHeight - 1;
        fakeDisplay().calls.clear();
        EXPECT_EQ(update(), 0);
        EXPECT_EQ(callsOf({"unlock", "flip"}), Calls{"unlock"});
        EXPECT_TRUE(std::all_of(fakeDisplay().buffer.begin(), fakeDisplay().buffer.end(),
                                [](uint8_t b) { return b == kUntouched; }));
        *side = 0;
    }
    EXPECT_EQ(update(), 1) << "the next frame starts over";
    EXPECT_EQ(fakeDisplay().flips, 1);
}

TEST_F(ScreenTest, InactiveFramesOnlySleepAndDropKeys)
{
    openOrFail();
    queue(DisplayEventType::Activate, 0);
    queue(DisplayEventType::KeyDown, 0, kVirtualKeyNone, 'a');
    EXPECT_EQ(update(), 1);
    EXPECT_EQ(fakeDisplayCallNames(), Calls{"sleep 1"});
    EXPECT_EQ(screenKeyWaiting(), 0);
    queue(DisplayEventType::Activate, 1);
    queue(DisplayEventType::KeyDown, 0, kVirtualKeyNone, 'b');
    EXPECT_EQ(update(), 1);
    EXPECT_EQ(fakeDisplay().flips, 1);
    EXPECT_EQ(keyInputPoll(), "b");
}

TEST_F(ScreenTest, EventsBecomeKeysCursorAndCloseRequests)
{
    openOrFail();
    queue(DisplayEventType::KeyDown, 0, kVirtualKeyUp, 0);
    queue(DisplayEventType::KeyDown, 0, 0x10, 0);  // Shift alone: no code
    queue(DisplayEventType::SetCursor);
    queue(DisplayEventType::Other);
    EXPECT_EQ(keyInputPoll(), "") << "nothing is read before the update handles events";
    EXPECT_EQ(update(), 1);
    EXPECT_EQ(keyInputPoll(), "\xFFH");
    EXPECT_EQ(keyInputPoll(), "");
    EXPECT_TRUE(fakeDisplay().cursorHidden);
    EXPECT_EQ(screenCloseRequested(), 0);
    queue(DisplayEventType::KeyDown, 0, kVirtualKeyF1, 0);
    EXPECT_EQ(keyInputWait(), 0x10B) << "the wait handles events itself";
    queue(DisplayEventType::CloseRequest);
    EXPECT_EQ(keyInputWait(), 0) << "and ends on a close request";
    EXPECT_EQ(screenCloseRequested(), 1);
}

// In a window: no exclusive mode and no mode change, the window at the largest
// whole multiple that fits the work area, the desktop's cursor kept, and the
// retrace wait asked of the chain only when wanted.
TEST_F(ScreenTest, AWindowLeavesTheModeAloneAndOpensAtTheLargestWholeMultiple)
{
    struct WindowCase {
        int32_t usableWidth, usableHeight;
        bool paced;
        Calls calls;
    };
    const WindowCase cases[] = {
        {1920, 1050, false, {"usableArea", "showWindow 1280x960", "createFlipChain 2"}},
        {1910, 1440, true, {"usableArea", "showWindow 1280x960", "createFlipChain 2", "waitRetrace"}},
        {600, 400, false, {"usableArea", "showWindow 640x480", "createFlipChain 2"}},
        {0, 0, false, {"usableArea", "showWindow 640x480", "createFlipChain 2"}},
    };
    for (const WindowCase& c : cases) {
        TearDown();
        fakeDisplay().usableWidth = c.usableWidth;
        fakeDisplay().usableHeight = c.usableHeight;
        fakeDisplay().refreshRate = 75;
        ASSERT_EQ(screenOpen("Spindra", kWidth, kHeight, ScreenOptions{true, c.paced}), 1);
        EXPECT_EQ(callsOf({"setExclusive", "setMode", "usableArea", "showWindow", "waitRetrace",
                           "createFlipChain"}),
                  c.calls);
        EXPECT_EQ(screenRetraceWaits(), c.paced ? 1 : 0);
        EXPECT_EQ(screenRefreshRate(), 75);
        queue(DisplayEventType::SetCursor);
        EXPECT_EQ(update(), 1);
        EXPECT_FALSE(fakeDisplay().cursorHidden) << "a window keeps the desktop's cursor";
    }
    TearDown();
    fakeDisplay().refuseShowWindow = true;
    EXPECT_EQ(screenOpen("Spindra", kWidth, kHeight, ScreenOptions{true, false}), 0);
}

}  // namespace
