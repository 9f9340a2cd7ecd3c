// The scriptable display double: implements fbplatform.h over the FakeDisplay
// record, never touching a real display. Locks hand out a buffer sized from the
// mode, the format's bytes per pixel and the scripted padding.
#include "fbplatform_fake.h"

#include "keyqueue.h"

namespace {

FakeDisplay fake;

// Records the call and gives 1 when `ok`, else 0.
int32_t record(const std::string& name, bool ok = true)
{
    fake.calls.push_back({name, keyHooksCurrent().pollKey != nullptr});
    return ok ? 1 : 0;
}

}  // namespace

FakeDisplay& fakeDisplay()
{
    return fake;
}

void fakeDisplayReset()
{
    fake = FakeDisplay{};
}

std::vector<std::string> fakeDisplayCallNames()
{
    std::vector<std::string> names;
    for (const FakeDisplayCall& call : fake.calls) {
        names.push_back(call.name);
    }
    return names;
}

int32_t displayLoad() { return record("load", !fake.refuseLoad); }
int32_t displayCreate() { return record("create", !fake.refuseCreate); }
int32_t displaySetExclusive() { return record("setExclusive", !fake.refuseExclusive); }
void displayReleaseFlipChain() { record("releaseFlipChain"), fake.chainBackBuffers = -1; }
void displayDestroy() { record("destroy"); }
void displayDestroyWindow() { record("destroyWindow"); }
void displayUnload() { record("unload"); }
void displayHideCursor() { record("hideCursor"), fake.cursorHidden = true; }
void displayRestore() { record("restore"); }
void displayFlip() { record("flip"), ++fake.flips; }
void displaySleep(int32_t milliseconds) { record("sleep " + std::to_string(milliseconds)); }

void displayCreateWindow(const char* title, int32_t width, int32_t height)
{
    record("createWindow " + std::string(title) + " " + std::to_string(width) + "x" +
           std::to_string(height));
    fake.modeWidth = width;  // a window's back buffer has the frame's size
    fake.modeHeight = height;
}

int32_t displaySetMode(int32_t width, int32_t height, int32_t bitsPerPixel)
{
    const bool accepted = fake.acceptedModeBits.count(bitsPerPixel) != 0;
    if (record("setMode " + std::to_string(bitsPerPixel), accepted) == 0) {
        return 0;
    }
    fake.modeWidth = width;
    fake.modeHeight = height;
    return 1;
}

int32_t displayCreateFlipChain(int32_t backBuffers)
{
    const bool ok = fake.acceptedBackBuffers.count(backBuffers) != 0;
    fake.chainBackBuffers = ok ? backBuffers : fake.chainBackBuffers;
    return record("createFlipChain " + std::to_string(backBuffers), ok);
}

int32_t displayGetBackBuffer()
{
    return record("getBackBuffer", fake.chainBackBuffers > 0);  // none on a lone primary
}

int32_t displayGetPixelFormat(DisplayPixelFormat& format)
{
    format = fake.format;
    return record("getPixelFormat", !fake.refusePixelFormat);
}

void displaySetScreenSaver(bool enabled)
{
    record(enabled ? "screenSaver on" : "screenSaver off");
    fake.screenSaverEnabled = enabled;
}

int32_t displayPeekEvent(DisplayEvent& event)
{
    if (fake.events.empty()) {
        return 0;
    }
    event = fake.events.front();
    fake.events.pop_front();
    return 1;
}

int32_t displayLock(DisplayLockedBuffer& buffer)
{
    if (record("lock", !fake.refuseLock) == 0) {
        return 0;
    }
    const int32_t width = fake.bufferWidth > 0 ? fake.bufferWidth : fake.modeWidth;
    const int32_t height = fake.bufferHeight > 0 ? fake.bufferHeight : fake.modeHeight;
    fake.pitch = width * static_cast<int32_t>(fake.format.bitCount / 8) + fake.pitchPadding;
    fake.buffer.assign(static_cast<size_t>(fake.pitch) * static_cast<size_t>(height), 0xAB);
    buffer = DisplayLockedBuffer{fake.buffer.data(), fake.pitch, width, height};
    return 1;
}

void displayUnlock(const DisplayLockedBuffer& buffer)
{
    record(buffer.pixels == fake.buffer.data() ? "unlock" : "unlock foreign");
}

int32_t displayOffersSize(int32_t, int32_t)
{
    return record("offersSize");
}

int32_t displayUsableArea(int32_t& width, int32_t& height)
{
    width = fake.usableWidth;
    height = fake.usableHeight;
    return record("usableArea", width > 0 && height > 0);
}

int32_t displayShowWindow(int32_t width, int32_t height)
{
    return record("showWindow " + std::to_string(width) + "x" + std::to_string(height),
                  !fake.refuseShowWindow);
}

int32_t displayWaitRetrace()
{
    return record("waitRetrace", fake.offersRetraceWait);
}

int32_t displayRefreshRate()
{
    return fake.refreshRate;
}
