// The screen's open, update and close sequences over the scriptable display
// double: every fallback and failure of open, what update draws and when it
// refuses, activation, keys, close requests and the place of the key hooks.
#include "convert.h"
#include "fbplatform_fake.h"
#include "keyqueue.h"
#include "screen.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;
constexpr uint8_t kUntouched = 0xAB;  // the double fills every locked buffer with it

const Calls kFullOpen = {"load",         "create",          "createWindow Spindra 640x480",
                         "setExclusive", "setMode 32",      "createFlipChain 2",
                         "getBackBuffer", "getPixelFormat", "screenSaver off"};

bool hooksInstalled()
{
    return keyHooksCurrent().pollKey != nullptr;
}

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        screenClose();
        fakeDisplayReset();
        screenWindowProc(DisplayEvent{DisplayEventType::Activate, 1, 0, 0});
        while (keyQueuePop() != 0) {
        }
    }
    void TearDown() override { SetUp(); }

    static int32_t open() { return screenOpen("Spindra", kWidth, kHeight); }

    static void openOrFail()
    {
        ASSERT_EQ(open(), 1);
        fakeDisplay().calls.clear();
    }

    static void queueEvent(DisplayEventType type, int32_t active = 0, int32_t virtualKey = 0,
                           int32_t layoutChar = 0)
    {
        fakeDisplay().events.push_back(DisplayEvent{type, active, virtualKey, layoutChar});
    }
};

TEST_F(ScreenTest, OpensInOrderAndInstallsTheHooksLast)
{
    ASSERT_EQ(open(), 1);
    EXPECT_EQ(fakeDisplayCallNames(), kFullOpen);
    for (const FakeDisplayCall& call : fakeDisplay().calls) {
        EXPECT_FALSE(call.hooksInstalled) << call.name;
    }
    EXPECT_TRUE(hooksInstalled());
    EXPECT_FALSE(fakeDisplay().screenSaverEnabled);
}

struct FallbackCase {
    const char* name;
    std::function<void(FakeDisplay&)> script;
    int32_t result;
    Calls attempts;  // the calls from the first mode attempt on
};

void PrintTo(const FallbackCase& c, std::ostream* os)
{
    *os << c.name;
}

class ScreenFallback : public ScreenTest, public ::testing::WithParamInterface<FallbackCase> {};

TEST_P(ScreenFallback, TriesModesAndChainsInOrder)
{
    const FallbackCase& c = GetParam();
    c.script(fakeDisplay());
    EXPECT_EQ(open(), c.result);
    const Calls calls = fakeDisplayCallNames();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(Calls(calls.begin() + 4, calls.end()), c.attempts);
    EXPECT_EQ(hooksInstalled(), c.result == 1);
}

INSTANTIATE_TEST_SUITE_P(
    Attempts, ScreenFallback,
    ::testing::Values(
        FallbackCase{"Mode24", [](FakeDisplay& f) { f.acceptedModeBits = {24}; }, 1,
                     {"setMode 32", "setMode 24", "createFlipChain 2", "getBackBuffer",
                      "getPixelFormat", "screenSaver off"}},
        FallbackCase{"Mode16", [](FakeDisplay& f) { f.acceptedModeBits = {16}; }, 1,
                     {"setMode 32", "setMode 24", "setMode 16", "createFlipChain 2",
                      "getBackBuffer", "getPixelFormat", "screenSaver off"}},
        FallbackCase{"NoMode", [](FakeDisplay& f) { f.acceptedModeBits = {8}; }, 0,
                     {"setMode 32", "setMode 24", "setMode 16"}},
        FallbackCase{"OneBackBuffer", [](FakeDisplay& f) { f.acceptedBackBuffers = {1}; }, 1,
                     {"setMode 32", "createFlipChain 2", "createFlipChain 1", "getBackBuffer",
                      "getPixelFormat", "screenSaver off"}},
        FallbackCase{"LonePrimaryHasNoBackBuffer",
                     [](FakeDisplay& f) { f.acceptedBackBuffers = {0}; }, 0,
                     {"setMode 32", "createFlipChain 2", "createFlipChain 1",
                      "createFlipChain 0", "getBackBuffer"}},
        FallbackCase{"NoChain", [](FakeDisplay& f) { f.acceptedBackBuffers = {}; }, 0,
                     {"setMode 32", "createFlipChain 2", "createFlipChain 1",
                      "createFlipChain 0"}},
        FallbackCase{"BackBufferRefused", [](FakeDisplay& f) { f.refuseBackBuffer = true; }, 0,
                     {"setMode 32", "createFlipChain 2", "getBackBuffer"}},
        FallbackCase{"PixelFormatRefused", [](FakeDisplay& f) { f.refusePixelFormat = true; }, 0,
                     {"setMode 32", "createFlipChain 2", "getBackBuffer", "getPixelFormat"}}),
    [](const ::testing::TestParamInfo<FallbackCase>& info) { return info.param.name; });

struct EarlyFailureCase {
    const char* name;
    std::function<void(FakeDisplay&)> script;
    Calls calls;
};

void PrintTo(const EarlyFailureCase& c, std::ostream* os)
{
    *os << c.name;
}

class ScreenEarlyFailure : public ScreenTest,
                           public ::testing::WithParamInterface<EarlyFailureCase> {};

TEST_P(ScreenEarlyFailure, StopsAtTheRefusedStep)
{
    const EarlyFailureCase& c = GetParam();
    c.script(fakeDisplay());
    EXPECT_EQ(open(), 0);
    EXPECT_EQ(fakeDisplayCallNames(), c.calls);
    EXPECT_FALSE(hooksInstalled());
    EXPECT_TRUE(fakeDisplay().screenSaverEnabled);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ScreenEarlyFailure,
    ::testing::Values(
        EarlyFailureCase{"Load", [](FakeDisplay& f) { f.refuseLoad = true; }, {"load"}},
        EarlyFailureCase{"Create", [](FakeDisplay& f) { f.refuseCreate = true; },
                         {"load", "create"}},
        EarlyFailureCase{"Exclusive", [](FakeDisplay& f) { f.refuseExclusive = true; },
                         {"load", "create", "createWindow Spindra 640x480", "setExclusive"}}),
    [](const ::testing::TestParamInfo<EarlyFailureCase>& info) { return info.param.name; });

struct FormatCase {
    DisplayPixelFormat format;
    int32_t result;
};

void PrintTo(const FormatCase& c, std::ostream* os)
{
    *os << std::hex << c.format.bitCount << " bits " << c.format.redMask << "/"
        << c.format.greenMask << "/" << c.format.blueMask << (c.format.isRgb ? " rgb" : " other");
}

class ScreenFormats : public ScreenTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(ScreenFormats, OpenOnlyOnConvertibleRgbFormats)
{
    fakeDisplay().format = GetParam().format;
    EXPECT_EQ(open(), GetParam().result);
    EXPECT_EQ(fakeDisplayCallNames().back(),
              GetParam().result == 1 ? "screenSaver off" : "getPixelFormat");
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ScreenFormats,
    ::testing::Values(FormatCase{{32, 0xFF0000, 0xFF00, 0xFF, true}, 1},
                      FormatCase{{32, 0xFF, 0xFF00, 0xFF0000, true}, 1},
                      FormatCase{{24, 0xFF0000, 0xFF00, 0xFF, true}, 1},
                      FormatCase{{16, 0xF800, 0x7E0, 0x1F, true}, 1},
                      FormatCase{{16, 0x7C00, 0x3E0, 0x1F, true}, 1},
                      FormatCase{{16, 0x1F, 0x3E0, 0x7C00, true}, 1},
                      FormatCase{{32, 0xFF0000, 0xFF00, 0xFF, false}, 0},  // not RGB
                      FormatCase{{8, 0, 0, 0, false}, 0},                  // palette
                      FormatCase{{16, 0x1F, 0x7E0, 0xF800, false}, 0},
                      FormatCase{{16, 0x7E0, 0x1F, 0xF800, true}, 0},      // green low
                      FormatCase{{15, 0x7C00, 0x3E0, 0x1F, true}, 0},
                      FormatCase{{24, 0xF800, 0x7E0, 0x1F, true}, 0}));

TEST_F(ScreenTest, RejectsBadArgumentsBeforeTouchingTheDisplay)
{
    EXPECT_EQ(screenOpen(nullptr, kWidth, kHeight), 0);
    EXPECT_EQ(screenOpen("t", 0, kHeight), 0);
    EXPECT_EQ(screenOpen("t", kWidth, -1), 0);
    EXPECT_TRUE(fakeDisplay().calls.empty());
}

TEST_F(ScreenTest, ASecondOpenWithoutCloseIsRefused)
{
    openOrFail();
    EXPECT_EQ(open(), 0);
    EXPECT_TRUE(fakeDisplay().calls.empty());
    EXPECT_TRUE(hooksInstalled());
}

TEST_F(ScreenTest, UpdateConvertsEveryRowIntoThePitchAndLeavesThePaddingAlone)
{
    constexpr int32_t width = 5;
    constexpr int32_t height = 3;
    constexpr int32_t padding = 6;
    fakeDisplay().format = DisplayPixelFormat{16, 0xF800, 0x7E0, 0x1F, true};
    fakeDisplay().pitchPadding = padding;
    ASSERT_EQ(screenOpen("small", width, height), 1);
    fakeDisplay().calls.clear();
    std::vector<uint32_t> pixels(width * height);
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = 0x00123456u * static_cast<uint32_t>(i + 1);
    }
    ASSERT_EQ(screenUpdate(pixels.data()), 1);
    EXPECT_EQ(fakeDisplayCallNames(), (Calls{"restore", "lock", "unlock", "flip", "sleep 0"}));
    const std::vector<uint8_t>& buffer = fakeDisplay().buffer;
    ASSERT_EQ(fakeDisplay().pitch, width * 2 + padding);
    for (int32_t y = 0; y < height; ++y) {
        std::vector<uint8_t> expected(width * 2);
        convertRow565(pixels.data() + y * width, expected.data(), width);
        const auto row = buffer.begin() + y * fakeDisplay().pitch;
        EXPECT_EQ(std::vector<uint8_t>(row, row + width * 2), expected) << "row " << y;
        for (int32_t i = width * 2; i < fakeDisplay().pitch; ++i) {
            EXPECT_EQ(row[i], kUntouched) << "row " << y << " byte " << i;
        }
    }
}

TEST_F(ScreenTest, FailedLockDropsTheFrameWithoutUnlockOrFlip)
{
    openOrFail();
    fakeDisplay().refuseLock = true;
    std::vector<uint32_t> pixels(kWidth * kHeight);
    EXPECT_EQ(screenUpdate(pixels.data()), 0);
    EXPECT_EQ(fakeDisplayCallNames(), (Calls{"restore", "lock"}));
    fakeDisplay().refuseLock = false;
    fakeDisplay().calls.clear();
    EXPECT_EQ(screenUpdate(pixels.data()), 1);  // the next frame starts over
    EXPECT_EQ(fakeDisplay().flips, 1);
}

struct ShrunkCase {
    int32_t width;
    int32_t height;
};

void PrintTo(const ShrunkCase& c, std::ostream* os)
{
    *os << c.width << "x" << c.height;
}

class ScreenShrunkBuffer : public ScreenTest, public ::testing::WithParamInterface<ShrunkCase> {};

TEST_P(ScreenShrunkBuffer, DropsTheFrameInsteadOfWritingPastTheBuffer)
{
    openOrFail();
    fakeDisplay().bufferWidth = GetParam().width;
    fakeDisplay().bufferHeight = GetParam().height;
    std::vector<uint32_t> pixels(kWidth * kHeight, 0x00FFFFFF);
    EXPECT_EQ(screenUpdate(pixels.data()), 0);
    EXPECT_EQ(fakeDisplayCallNames(), (Calls{"restore", "lock", "unlock"}));
    for (const uint8_t byte : fakeDisplay().buffer) {
        ASSERT_EQ(byte, kUntouched);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, ScreenShrunkBuffer,
                         ::testing::Values(ShrunkCase{kWidth - 1, kHeight},
                                           ShrunkCase{kWidth, kHeight - 1},
                                           ShrunkCase{320, 200}));

TEST_F(ScreenTest, UpdateWithoutAnOpenScreenOrPixelsDoesNothing)
{
    std::vector<uint32_t> pixels(kWidth * kHeight);
    EXPECT_EQ(screenUpdate(pixels.data()), 0);
    openOrFail();
    EXPECT_EQ(screenUpdate(nullptr), 0);
    screenClose();
    fakeDisplay().calls.clear();
    EXPECT_EQ(screenUpdate(pixels.data()), 0);
    EXPECT_TRUE(fakeDisplay().calls.empty());
}

TEST_F(ScreenTest, InactiveFramesOnlySleepAndDropKeys)
{
    openOrFail();
    std::vector<uint32_t> pixels(kWidth * kHeight);
    queueEvent(DisplayEventType::Activate, 0);
    queueEvent(DisplayEventType::KeyDown, 0, kVirtualKeyNone, 'a');
    EXPECT_EQ(screenUpdate(pixels.data()), 1);
    EXPECT_EQ(fakeDisplayCallNames(), Calls{"sleep 1"});
    EXPECT_EQ(screenKeyWaiting(), 0);

    fakeDisplay().calls.clear();
    queueEvent(DisplayEventType::Activate, 1);
    queueEvent(DisplayEventType::KeyDown, 0, kVirtualKeyNone, 'b');
    EXPECT_EQ(screenUpdate(pixels.data()), 1);
    EXPECT_EQ(fakeDisplayCallNames(), (Calls{"restore", "lock", "unlock", "flip", "sleep 0"}));
    EXPECT_EQ(keyInputPoll(), "b");
}

TEST_F(ScreenTest, KeyDownsReachThePollThroughTheHooks)
{
    openOrFail();
    std::vector<uint32_t> pixels(kWidth * kHeight);
    queueEvent(DisplayEventType::KeyDown, 0, kVirtualKeyUp, 0);
    queueEvent(DisplayEventType::KeyDown, 0, kVirtualKeyNone, 27);
    queueEvent(DisplayEventType::KeyDown, 0, 0x10, 0);  // Shift alone: no code
    EXPECT_EQ(keyInputPoll(), "");  // nothing is read before the update pumps events
    screenUpdate(pixels.data());
    EXPECT_EQ(keyInputPoll(), "\xFFH");
    EXPECT_EQ(keyInputPoll(), "\x1B");
    EXPECT_EQ(keyInputPoll(), "");
}

TEST_F(ScreenTest, CursorRequestsHideTheCursorAndCloseRequestsAreReported)
{
    openOrFail();
    std::vector<uint32_t> pixels(kWidth * kHeight);
    queueEvent(DisplayEventType::SetCursor);
    queueEvent(DisplayEventType::Other);
    EXPECT_EQ(screenUpdate(pixels.data()), 1);
    EXPECT_TRUE(fakeDisplay().cursorHidden);
    EXPECT_EQ(screenCloseRequested(), 0);
    queueEvent(DisplayEventType::CloseRequest);
    EXPECT_EQ(screenUpdate(pixels.data()), 1);
    EXPECT_EQ(screenCloseRequested(), 1);
}

TEST_F(ScreenTest, WaitKeyHandlesEventsAndEndsOnACloseRequest)
{
    openOrFail();
    queueEvent(DisplayEventType::KeyDown, 0, kVirtualKeyF1, 0);
    EXPECT_EQ(keyInputWait(), 0x10B);
    EXPECT_EQ(fakeDisplayCallNames(), Calls{"sleep 20"});
    queueEvent(DisplayEventType::CloseRequest);
    EXPECT_EQ(keyInputWait(), 0);
}

TEST_F(ScreenTest, CloseReleasesInReverseOrderAndClearsTheHooksLast)
{
    openOrFail();
    screenClose();
    EXPECT_EQ(fakeDisplayCallNames(), (Calls{"releaseFlipChain", "destroy", "destroyWindow",
                                             "unload", "screenSaver on"}));
    for (const FakeDisplayCall& call : fakeDisplay().calls) {
        EXPECT_TRUE(call.hooksInstalled) << call.name;
    }
    EXPECT_FALSE(hooksInstalled());
    EXPECT_TRUE(fakeDisplay().screenSaverEnabled);
}

struct PartialCloseCase {
    const char* name;
    std::function<void(FakeDisplay&)> script;
    Calls closeCalls;
};

void PrintTo(const PartialCloseCase& c, std::ostream* os)
{
    *os << c.name;
}

class ScreenPartialClose : public ScreenTest,
                           public ::testing::WithParamInterface<PartialCloseCase> {};

TEST_P(ScreenPartialClose, ReleasesOnlyWhatTheFailedOpenAcquired)
{
    GetParam().script(fakeDisplay());
    ASSERT_EQ(open(), 0);
    fakeDisplay().calls.clear();
    screenClose();
    EXPECT_EQ(fakeDisplayCallNames(), GetParam().closeCalls);
    EXPECT_FALSE(hooksInstalled());
    fakeDisplay().calls.clear();
    screenClose();  // a second close finds nothing left but the window and the saver
    EXPECT_EQ(fakeDisplayCallNames(), (Calls{"destroyWindow", "screenSaver on"}));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ScreenPartialClose,
    ::testing::Values(
        PartialCloseCase{"Load", [](FakeDisplay& f) { f.refuseLoad = true; },
                         {"destroyWindow", "screenSaver on"}},
        PartialCloseCase{"Create", [](FakeDisplay& f) { f.refuseCreate = true; },
                         {"destroyWindow", "unload", "screenSaver on"}},
        PartialCloseCase{"Mode", [](FakeDisplay& f) { f.acceptedModeBits = {}; },
                         {"destroy", "destroyWindow", "unload", "screenSaver on"}},
        PartialCloseCase{"Format", [](FakeDisplay& f) { f.format.isRgb = false; },
                         {"releaseFlipChain", "destroy", "destroyWindow", "unload",
                          "screenSaver on"}}),
    [](const ::testing::TestParamInfo<PartialCloseCase>& info) { return info.param.name; });

TEST_F(ScreenTest, ReopensAfterClose)
{
    openOrFail();
    screenClose();
    fakeDisplay().calls.clear();
    ASSERT_EQ(open(), 1);
    EXPECT_EQ(fakeDisplayCallNames(), kFullOpen);
}

}  // namespace
