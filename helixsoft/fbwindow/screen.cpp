// The screen's open, update and close sequences and its event handler, written
// once over the display interface. One static ScreenState records what has been
// acquired, so that close releases exactly that, in reverse order.
#include "screen.h"

#include "convert.h"
#include "keyqueue.h"
#include "presentarea.h"

namespace {

struct ScreenState {
    bool libraryLoaded = false;
    bool deviceCreated = false;
    bool chainCreated = false;
    bool isOpen = false;  // every step of screenOpen passed
    int32_t width = 0;
    int32_t height = 0;
    PixelConverter converter = nullptr;
    int32_t bytesPerPixel = 0;
    int32_t appActive = 1;  // kept across close, as the platform's activation is
    int32_t closeRequested = 0;
    bool windowed = false;
    int32_t retraceWaits = 0;
    int32_t modeSizeMissing = 0;  // of the last open
};

constexpr int32_t kModeBitsInOrder[] = {32, 24, 16};
constexpr int32_t kBackBuffersInOrder[] = {2, 1, 0};  // 0: a lone primary, no back buffer
constexpr int32_t kInactiveSleepMs = 1;
constexpr int32_t kYieldSleepMs = 0;
constexpr int32_t kWaitKeySleepMs = 20;
constexpr int32_t kBitsPerByte = 8;

ScreenState screen;

int32_t screenSetFirstMode(int32_t width, int32_t height)
{
    for (const int32_t bits : kModeBitsInOrder) {
        if (displaySetMode(width, height, bits) != 0) {
            return 1;
        }
    }
    return 0;
}

int32_t screenCreateFirstChain()
{
    for (const int32_t backBuffers : kBackBuffersInOrder) {
        if (displayCreateFlipChain(backBuffers) != 0) {
            screen.chainCreated = true;
            return 1;
        }
    }
    return 0;
}

int32_t screenChooseConverter()
{
    DisplayPixelFormat format;
    if (displayGetPixelFormat(format) == 0 || !format.isRgb) {
        return 0;  // palette-indexed and other non-RGB modes are not supported
    }
    screen.converter = selectPixelConverter(format.bitCount, format.redMask, format.greenMask,
                                            format.blueMask);
    screen.bytesPerPixel = static_cast<int32_t>(format.bitCount / kBitsPerByte);
    return screen.converter != nullptr ? 1 : 0;
}

int32_t screenTakeFullScreen()
{
    if (displaySetExclusive() == 0) {
        return 0;
    }
    if (screenSetFirstMode(screen.width, screen.height) == 0) {
        screen.modeSizeMissing = displayOffersSize(screen.width, screen.height) == 0 ? 1 : 0;
        return 0;
    }
    return 1;
}

// A work area the platform cannot tell still gets the window at 1x.
int32_t screenShowWindow()
{
    int32_t areaWidth = 0;
    int32_t areaHeight = 0;
    if (displayUsableArea(areaWidth, areaHeight) == 0) {
        areaWidth = 0;
        areaHeight = 0;
    }
    const int32_t scale = windowScaleFor(areaWidth, areaHeight, screen.width, screen.height);
    return displayShowWindow(screen.width * scale, screen.height * scale);
}

int32_t screenAcquireDisplay(const char* title, const ScreenOptions& options)
{
    if (displayLoad() == 0) {
        return 0;
    }
    screen.libraryLoaded = true;
    if (displayCreate() == 0) {
        return 0;
    }
    screen.deviceCreated = true;
    displayCreateWindow(title, screen.width, screen.height);  // checked by the next step
    if ((options.windowed ? screenShowWindow() : screenTakeFullScreen()) == 0) {
        return 0;
    }
    if (screenCreateFirstChain() == 0 || displayGetBackBuffer() == 0) {
        return 0;  // a lone primary ends here: it has no back buffer to draw into
    }
    screen.retraceWaits = options.retraceWait ? displayWaitRetrace() : 0;
    return screenChooseConverter();
}

void screenPumpEvents()
{
    DisplayEvent event;
    while (displayPeekEvent(event) != 0) {
        screenWindowProc(event);
    }
}

// The device may hand back a buffer other than the one the mode promised (a
// window manager can resize the window); drawing the full frame into a smaller
// one would write past its end.
bool screenBufferFits(const DisplayLockedBuffer& buffer)
{
    const int64_t rowBytes = int64_t{screen.width} * screen.bytesPerPixel;
    return buffer.pixels != nullptr && buffer.width >= screen.width &&
           buffer.height >= screen.height && int64_t{buffer.pitch} >= rowBytes;
}

void screenConvertRows(const uint32_t* pixels, const DisplayLockedBuffer& buffer)
{
    const uint32_t* source = pixels;
    uint8_t* destination = buffer.pixels;
    for (int32_t y = 0; y < screen.height; ++y) {
        screen.converter(source, destination, screen.width);
        source += screen.width;
        destination += buffer.pitch;  // bytes past each row's end are left alone
    }
}

}  // namespace

int32_t screenOpen(const char* title, int32_t width, int32_t height, const ScreenOptions& options)
{
    if (title == nullptr || width < 1 || height < 1 || screen.libraryLoaded) {
        return 0;
    }
    screen.width = width;
    screen.height = height;
    screen.closeRequested = 0;
    screen.windowed = options.windowed;
    screen.retraceWaits = 0;
    screen.modeSizeMissing = 0;
    if (screenAcquireDisplay(title, options) == 0) {
        return 0;
    }
    displaySetScreenSaver(false);
    screen.isOpen = true;
    keyHooksInstall(KeyInputHooks{screenPollKey, screenWaitKey, screenKeyWaiting});
    return 1;
}

int32_t screenUpdate(const uint32_t* pixels)
{
    if (!screen.isOpen || pixels == nullptr) {
        return 0;
    }
    screenPumpEvents();
    if (screen.appActive == 0) {
        displaySleep(kInactiveSleepMs);
        return 1;
    }
    displayRestore();  // every active frame: it brings the chain back after a switch
    DisplayLockedBuffer buffer;
    if (displayLock(buffer) == 0) {
        return 0;
    }
    if (!screenBufferFits(buffer)) {
        displayUnlock(buffer);
        return 0;
    }
    screenConvertRows(pixels, buffer);
    displayUnlock(buffer);
    displayFlip();
    displaySleep(kYieldSleepMs);
    return 1;
}

void screenClose()
{
    screen.isOpen = false;
    if (screen.chainCreated) {
        displayReleaseFlipChain();
        screen.chainCreated = false;
    }
    if (screen.deviceCreated) {
        displayDestroy();
        screen.deviceCreated = false;
    }
    displayDestroyWindow();  // no effect when the window was never created
    if (screen.libraryLoaded) {
        displayUnload();
        screen.libraryLoaded = false;
    }
    screen.converter = nullptr;
    screen.retraceWaits = 0;
    displaySetScreenSaver(true);
    keyHooksClear();
}

void screenWindowProc(const DisplayEvent& event)
{
    switch (event.type) {
    case DisplayEventType::Activate:
        screen.appActive = event.active != 0 ? 1 : 0;
        break;
    case DisplayEventType::SetCursor:
        if (!screen.windowed) {  // a window keeps the desktop's cursor
            displayHideCursor();
        }
        break;
    case DisplayEventType::KeyDown:
        if (screen.appActive != 0) {
            keyQueuePush(translateKeyDown(event.virtualKey, event.layoutChar));
        }
        break;
    case DisplayEventType::CloseRequest:
        screen.closeRequested = 1;
        break;
    case DisplayEventType::Other:
        break;
    }
}

int32_t screenModeSizeMissing()
{
    return screen.modeSizeMissing;
}

int32_t screenRefreshRate()
{
    return screen.isOpen ? displayRefreshRate() : 0;
}

int32_t screenRetraceWaits()
{
    return screen.isOpen ? screen.retraceWaits : 0;
}

int32_t screenCloseRequested()
{
    return screen.closeRequested;
}

std::string screenPollKey()
{
    return keyCodeString(keyQueuePop());
}

int32_t screenKeyWaiting()
{
    return keyQueueWaiting();
}

int32_t screenActive()
{
    return screen.appActive;
}

int32_t screenWaitKey()
{
    if (!screen.isOpen) {
        return 0;
    }
    for (;;) {
        screenPumpEvents();
        const int32_t code = keyQueuePop();
        displaySleep(kWaitKeySleepMs);
        if (code != 0) {
            return code;
        }
        if (screen.closeRequested != 0) {
            return 0;
        }
    }
}
