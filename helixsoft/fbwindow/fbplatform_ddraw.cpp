// The display interface over DirectDraw and Win32. "ddraw.dll" is loaded at
// run time and reached only through "DirectDrawCreate", so the program runs
// (and fails cleanly) where DirectDraw is missing. In a window the cooperative
// level is normal and no surface is made: the back buffer is a frame-sized
// 32-bit bitmap in our memory, which GDI's StretchDIBits draws into the 4:3
// area of the client area, nearest-neighbour. (A stretching Blt onto a clipped
// primary surface stalls in Wine's DirectDraw.) DirectDraw still waits for the
// retrace when asked. The window procedure turns
// the messages the screen cares about into display events, kept in a small
// ring until displayPeekEvent hands them over. The only file of the program
// that includes DirectDraw or Win32 headers.
#include "fbplatform.h"
#include "presentarea.h"

#include <windows.h>
#include <ddraw.h>

#include <array>
#include <vector>

namespace {

using DirectDrawCreateFn = HRESULT(WINAPI*)(GUID*, IDirectDraw**, IUnknown*);

constexpr size_t kEventSlots = 64;  // a power of two; the oldest event goes when full
constexpr DWORD kExclusiveFullScreen = DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN;
constexpr DWORD kChainCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX |
                             DDSCAPS_VIDEOMEMORY;
constexpr DWORD kLonePrimaryCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_VIDEOMEMORY;
constexpr LPARAM kAltDownFlag = LPARAM{1} << 29;  // lParam of a key message: Alt is held
constexpr int kScanCodeShift = 16;
constexpr LPARAM kScanCodeMask = 0xFF;
constexpr int kKeyboardStateBytes = 256;
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW;
constexpr int32_t kBitmapBits = 32;  // BI_RGB words: 0x00RRGGBB
constexpr DisplayPixelFormat kBitmapFormat{32, 0x00FF0000, 0x0000FF00, 0x000000FF, true};
constexpr DWORD kUnknownRefreshHz = 1;  // 0 and 1 stand for the hardware's default

struct DdrawDisplay {
    HMODULE library = nullptr;
    DirectDrawCreateFn directDrawCreate = nullptr;
    IDirectDraw* directDraw = nullptr;
    IDirectDrawSurface* primarySurface = nullptr;
    IDirectDrawSurface* backSurface = nullptr;  // belongs to the chain, never released alone
    std::vector<uint32_t> frameBitmap;  // a window's back buffer; empty until made
    int32_t frameWidth = 0;  // the size displayCreateWindow was given
    int32_t frameHeight = 0;
    bool windowed = false;
    bool waitRetrace = false;
    HWND window = nullptr;
    WNDCLASSA windowClass{};
    int32_t modeWidth = 0;
    int32_t modeHeight = 0;
    int32_t modeBits = 0;
    std::array<DisplayEvent, kEventSlots> events{};
    size_t eventHead = 0;
    size_t eventTail = 0;
};

DdrawDisplay ddraw;

void pushEvent(const DisplayEvent& event)
{
    ddraw.events[ddraw.eventTail] = event;
    ddraw.eventTail = (ddraw.eventTail + 1) & (kEventSlots - 1);
    if (ddraw.eventTail == ddraw.eventHead) {
        ddraw.eventHead = (ddraw.eventHead + 1) & (kEventSlots - 1);
    }
}

bool popEvent(DisplayEvent& event)
{
    if (ddraw.eventHead == ddraw.eventTail) {
        return false;
    }
    event = ddraw.events[ddraw.eventHead];
    ddraw.eventHead = (ddraw.eventHead + 1) & (kEventSlots - 1);
    return true;
}

// The layout's single character for the key, with the modifiers as they stand
// for this message; 0 for none, a dead key or two characters.
int32_t layoutCharOf(WPARAM virtualKey, LPARAM lParam)
{
    BYTE state[kKeyboardStateBytes] = {};
    if (GetKeyboardState(state) == 0) {
        return 0;
    }
    WORD buffer = 0;
    const UINT scanCode = static_cast<UINT>((lParam >> kScanCodeShift) & kScanCodeMask);
    const int count = ToAscii(static_cast<UINT>(virtualKey), scanCode, state, &buffer, 0);
    return count == 1 ? static_cast<int32_t>(buffer & 0xFF) : 0;
}

void pushKeyDown(WPARAM virtualKey, LPARAM lParam)
{
    pushEvent(DisplayEvent{DisplayEventType::KeyDown, 0, static_cast<int32_t>(virtualKey),
                           layoutCharOf(virtualKey, lParam)});
}

LRESULT CALLBACK ddrawWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ACTIVATEAPP:
        pushEvent(DisplayEvent{DisplayEventType::Activate, wParam != 0 ? 1 : 0, 0, 0});
        return 0;
    case WM_SETCURSOR:
        pushEvent(DisplayEvent{DisplayEventType::SetCursor, 0, 0, 0});
        if (!ddraw.windowed) {
            return 0;
        }
        if (LOWORD(lParam) == HTCLIENT) {  // the class has no cursor of its own
            SetCursor(LoadCursor(nullptr, IDC_ARROW));
            return TRUE;
        }
        break;
    case WM_KEYDOWN:
        pushKeyDown(wParam, lParam);
        return 0;
    case WM_SYSKEYDOWN:
        // F10 alone comes as a system key (it opens a window's menu); it is
        // one of the demo's keys like F1 to F9. Keys held with Alt stay system keys.
        if (wParam == VK_F10 && (lParam & kAltDownFlag) == 0) {
            pushKeyDown(wParam, lParam);
            return 0;
        }
        break;
    case WM_CLOSE:
        pushEvent(DisplayEvent{DisplayEventType::CloseRequest, 0, 0, 0});
        return 0;  // the program ends and closes the window itself
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A window that is never shown receives no keys and shows nothing: once the
// mode is set, it covers the screen, on top, with the keyboard focus.
void coverScreen(int32_t width, int32_t height)
{
    SetWindowPos(ddraw.window, HWND_TOPMOST, 0, 0, width, height, SWP_SHOWWINDOW);
    SetForegroundWindow(ddraw.window);
    SetFocus(ddraw.window);
}

HRESULT createSurface(DWORD flags, DWORD caps, DWORD backBuffers)
{
    DDSURFACEDESC description{};
    description.dwSize = sizeof(description);  // 108 bytes on 32-bit Windows, 120 on 64-bit
    description.dwFlags = flags;
    description.dwBackBufferCount = backBuffers;
    description.ddsCaps.dwCaps = caps;
    return ddraw.directDraw->CreateSurface(&description, &ddraw.primarySurface, nullptr);
}

HRESULT WINAPI noteModeOfSize(LPDDSURFACEDESC mode, LPVOID found)
{
    *static_cast<bool*>(found) = true;
    (void)mode;
    return DDENUMRET_CANCEL;
}

void fillBlack(HDC dc, LONG left, LONG top, LONG right, LONG bottom)
{
    if (right > left && bottom > top) {
        PatBlt(dc, left, top, right - left, bottom - top, BLACKNESS);
    }
}

// The frame stretched onto its area of the client area, black bars around it.
void flipIntoWindow()
{
    RECT client{};
    if (GetClientRect(ddraw.window, &client) == 0 || client.right < 1 || client.bottom < 1) {
        return;  // minimised
    }
    const PresentArea area = presentAreaFit(client.right, client.bottom, ddraw.frameWidth,
                                            ddraw.frameHeight, true);
    if (ddraw.waitRetrace) {
        ddraw.directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
    }
    HDC dc = GetDC(ddraw.window);
    if (dc == nullptr) {
        return;
    }
    const LONG right = area.x + area.width;
    const LONG bottom = area.y + area.height;
    fillBlack(dc, 0, 0, client.right, area.y);
    fillBlack(dc, 0, bottom, client.right, client.bottom);
    fillBlack(dc, 0, area.y, area.x, bottom);
    fillBlack(dc, right, area.y, client.right, bottom);
    BITMAPINFO bitmap{};
    bitmap.bmiHeader.biSize = sizeof(bitmap.bmiHeader);
    bitmap.bmiHeader.biWidth = ddraw.frameWidth;
    bitmap.bmiHeader.biHeight = -ddraw.frameHeight;  // row 0 at the top
    bitmap.bmiHeader.biPlanes = 1;
    bitmap.bmiHeader.biBitCount = kBitmapBits;
    bitmap.bmiHeader.biCompression = BI_RGB;
    SetStretchBltMode(dc, COLORONCOLOR);  // whole pixels, no blending
    StretchDIBits(dc, area.x, area.y, area.width, area.height, 0, 0, ddraw.frameWidth,
                  ddraw.frameHeight, ddraw.frameBitmap.data(), &bitmap, DIB_RGB_COLORS, SRCCOPY);
    ReleaseDC(ddraw.window, dc);
}

}  // namespace

int32_t displayLoad()
{
    if (ddraw.library != nullptr) {
        return 1;
    }
    ddraw.library = LoadLibraryA("ddraw.dll");
    if (ddraw.library == nullptr) {
        return 0;
    }
    ddraw.directDrawCreate = reinterpret_cast<DirectDrawCreateFn>(
        reinterpret_cast<void*>(GetProcAddress(ddraw.library, "DirectDrawCreate")));
    if (ddraw.directDrawCreate == nullptr) {
        FreeLibrary(ddraw.library);  // the screen releases only a load that succeeded
        ddraw.library = nullptr;
        return 0;
    }
    return 1;
}

int32_t displayCreate()
{
    if (ddraw.directDrawCreate == nullptr || ddraw.directDraw != nullptr) {
        return 0;
    }
    const HRESULT result = ddraw.directDrawCreate(nullptr, &ddraw.directDraw, nullptr);
    if (FAILED(result)) {
        ddraw.directDraw = nullptr;
        return 0;
    }
    return 1;
}

void displayCreateWindow(const char* title, int32_t width, int32_t height)
{
    if (ddraw.window != nullptr) {
        return;
    }
    ddraw.frameWidth = width;
    ddraw.frameHeight = height;
    ddraw.windowClass = WNDCLASSA{};
    ddraw.windowClass.lpfnWndProc = ddrawWindowProc;
    ddraw.windowClass.lpszClassName = title;
    RegisterClassA(&ddraw.windowClass);  // a class left from an earlier open is reused
    ddraw.window = CreateWindowExA(0, title, title, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   nullptr, nullptr);
}

int32_t displaySetExclusive()
{
    if (ddraw.directDraw == nullptr || ddraw.window == nullptr) {
        return 0;
    }
    return SUCCEEDED(ddraw.directDraw->SetCooperativeLevel(ddraw.window, kExclusiveFullScreen))
               ? 1
               : 0;
}

int32_t displaySetMode(int32_t width, int32_t height, int32_t bitsPerPixel)
{
    if (ddraw.directDraw == nullptr || width < 1 || height < 1 || bitsPerPixel < 1) {
        return 0;
    }
    const HRESULT result = ddraw.directDraw->SetDisplayMode(
        static_cast<DWORD>(width), static_cast<DWORD>(height), static_cast<DWORD>(bitsPerPixel));
    if (FAILED(result)) {
        return 0;
    }
    ddraw.modeWidth = width;
    ddraw.modeHeight = height;
    ddraw.modeBits = bitsPerPixel;
    coverScreen(width, height);
    return 1;
}

int32_t displayOffersSize(int32_t width, int32_t height)
{
    if (ddraw.directDraw == nullptr) {
        return 0;
    }
    DDSURFACEDESC size{};
    size.dwSize = sizeof(size);
    size.dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
    size.dwWidth = static_cast<DWORD>(width);
    size.dwHeight = static_cast<DWORD>(height);
    bool found = false;
    ddraw.directDraw->EnumDisplayModes(0, &size, &found, noteModeOfSize);
    return found ? 1 : 0;
}

int32_t displayUsableArea(int32_t& width, int32_t& height)
{
    RECT work{};
    RECT frame{0, 0, 0, 0};
    if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) == 0 ||
        AdjustWindowRect(&frame, kWindowStyle, FALSE) == 0) {
        return 0;
    }
    width = (work.right - work.left) - (frame.right - frame.left);
    height = (work.bottom - work.top) - (frame.bottom - frame.top);
    return 1;
}

int32_t displayShowWindow(int32_t width, int32_t height)
{
    if (ddraw.directDraw == nullptr || ddraw.window == nullptr ||
        FAILED(ddraw.directDraw->SetCooperativeLevel(ddraw.window, DDSCL_NORMAL))) {
        return 0;
    }
    RECT outer{0, 0, width, height};
    RECT work{0, 0, width, height};
    AdjustWindowRect(&outer, kWindowStyle, FALSE);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const LONG outerWidth = outer.right - outer.left;
    const LONG outerHeight = outer.bottom - outer.top;
    const LONG x = work.left + ((work.right - work.left) - outerWidth) / 2;
    const LONG y = work.top + ((work.bottom - work.top) - outerHeight) / 2;
    SetWindowLongPtrA(ddraw.window, GWL_STYLE, kWindowStyle);
    SetWindowPos(ddraw.window, HWND_TOP, x > work.left ? x : work.left,
                 y > work.top ? y : work.top, outerWidth, outerHeight,
                 SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    SetForegroundWindow(ddraw.window);
    SetFocus(ddraw.window);
    ddraw.windowed = true;
    return 1;
}

int32_t displayWaitRetrace()
{
    if (ddraw.directDraw == nullptr) {
        return 0;
    }
    ddraw.waitRetrace = true;  // WaitForVerticalBlank in a window, a waiting flip full screen
    return 1;
}

int32_t displayRefreshRate()
{
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) == 0 ||
        mode.dmDisplayFrequency <= kUnknownRefreshHz) {
        return 0;
    }
    return static_cast<int32_t>(mode.dmDisplayFrequency);
}

int32_t displayCreateFlipChain(int32_t backBuffers)
{
    if (ddraw.directDraw == nullptr || ddraw.primarySurface != nullptr ||
        !ddraw.frameBitmap.empty() || backBuffers < 0 || backBuffers > 2) {
        return 0;
    }
    if (ddraw.windowed) {
        // One back buffer is all a window has, as a lone primary has none.
        if (backBuffers != 1) {
            return 0;
        }
        ddraw.frameBitmap.assign(size_t(ddraw.frameWidth) * size_t(ddraw.frameHeight), 0);
        return 1;
    }
    const HRESULT result =
        backBuffers > 0
            ? createSurface(DDSD_CAPS | DDSD_BACKBUFFERCOUNT, kChainCaps, DWORD(backBuffers))
            : createSurface(DDSD_CAPS, kLonePrimaryCaps, 0);
    if (FAILED(result)) {
        ddraw.primarySurface = nullptr;
        return 0;
    }
    return 1;
}

int32_t displayGetBackBuffer()
{
    if (ddraw.windowed) {
        return ddraw.frameBitmap.empty() ? 0 : 1;
    }
    if (ddraw.primarySurface == nullptr) {
        return 0;
    }
    DDSCAPS caps{};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    if (FAILED(ddraw.primarySurface->GetAttachedSurface(&caps, &ddraw.backSurface))) {
        ddraw.backSurface = nullptr;
        return 0;
    }
    return 1;
}

int32_t displayGetPixelFormat(DisplayPixelFormat& format)
{
    if (!ddraw.frameBitmap.empty()) {
        format = kBitmapFormat;
        return 1;
    }
    if (ddraw.primarySurface == nullptr) {
        return 0;
    }
    DDPIXELFORMAT pixel{};
    pixel.dwSize = sizeof(pixel);
    if (FAILED(ddraw.primarySurface->GetPixelFormat(&pixel))) {
        return 0;
    }
    format.bitCount = pixel.dwRGBBitCount;
    format.redMask = pixel.dwRBitMask;
    format.greenMask = pixel.dwGBitMask;
    format.blueMask = pixel.dwBBitMask;
    format.isRgb = (pixel.dwFlags & DDPF_RGB) != 0;
    return 1;
}

void displaySetScreenSaver(bool enabled)
{
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, enabled ? TRUE : FALSE, nullptr, 0);
}

void displayReleaseFlipChain()
{
    ddraw.frameBitmap = {};
    if (ddraw.primarySurface != nullptr) {
        ddraw.primarySurface->Release();  // takes the attached back buffer with it
        ddraw.primarySurface = nullptr;
    }
    ddraw.backSurface = nullptr;
}

void displayDestroy()
{
    if (ddraw.directDraw == nullptr) {
        return;
    }
    ddraw.directDraw->RestoreDisplayMode();
    ddraw.directDraw->SetCooperativeLevel(ddraw.window, DDSCL_NORMAL);
    ddraw.directDraw->Release();
    ddraw.directDraw = nullptr;
    ddraw.modeBits = 0;
    ddraw.windowed = false;
    ddraw.waitRetrace = false;
}

void displayDestroyWindow()
{
    if (ddraw.window != nullptr) {
        DestroyWindow(ddraw.window);
        ddraw.window = nullptr;
    }
}

void displayUnload()
{
    if (ddraw.library != nullptr) {
        FreeLibrary(ddraw.library);
        ddraw.library = nullptr;
        ddraw.directDrawCreate = nullptr;
    }
}

int32_t displayPeekEvent(DisplayEvent& event)
{
    if (popEvent(event)) {
        return 1;
    }
    MSG message{};
    while (ddraw.window != nullptr &&
           PeekMessageA(&message, ddraw.window, 0, 0, PM_REMOVE) != 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
        if (popEvent(event)) {
            return 1;
        }
    }
    return 0;
}

void displayHideCursor()
{
    SetCursor(nullptr);
}

void displayRestore()
{
    if (ddraw.primarySurface == nullptr) {
        return;
    }
    // After the application loses activation the desktop may take back its
    // own mode (32 bits where the demo ran at 16): the surfaces then cannot be
    // restored until the demo's mode is set again.
    if (ddraw.primarySurface->Restore() == DDERR_WRONGMODE && ddraw.modeBits != 0 &&
        displaySetMode(ddraw.modeWidth, ddraw.modeHeight, ddraw.modeBits) != 0) {
        ddraw.primarySurface->Restore();
    }
}

int32_t displayLock(DisplayLockedBuffer& buffer)
{
    if (!ddraw.frameBitmap.empty()) {
        buffer = DisplayLockedBuffer{reinterpret_cast<uint8_t*>(ddraw.frameBitmap.data()),
                                     ddraw.frameWidth * (kBitmapBits / 8), ddraw.frameWidth,
                                     ddraw.frameHeight};
        return 1;
    }
    if (ddraw.backSurface == nullptr) {
        return 0;
    }
    DDSURFACEDESC description{};
    description.dwSize = sizeof(description);
    if (FAILED(ddraw.backSurface->Lock(nullptr, &description, DDLOCK_WAIT, nullptr))) {
        return 0;
    }
    buffer = DisplayLockedBuffer{static_cast<uint8_t*>(description.lpSurface),
                                 static_cast<int32_t>(description.lPitch),
                                 static_cast<int32_t>(description.dwWidth),
                                 static_cast<int32_t>(description.dwHeight)};
    return 1;
}

void displayUnlock(const DisplayLockedBuffer& buffer)
{
    if (ddraw.backSurface != nullptr && buffer.pixels != nullptr) {
        ddraw.backSurface->Unlock(buffer.pixels);
    }
}

void displayFlip()
{
    if (!ddraw.frameBitmap.empty()) {
        flipIntoWindow();
    } else if (ddraw.primarySurface == nullptr) {
        return;
    } else if (ddraw.waitRetrace) {
        ddraw.primarySurface->Flip(nullptr, DDFLIP_WAIT);
    } else {
        ddraw.primarySurface->Flip(nullptr, DDFLIP_NOVSYNC | DDFLIP_DONOTWAIT);
    }
}

void displaySleep(int32_t milliseconds)
{
    Sleep(static_cast<DWORD>(milliseconds > 0 ? milliseconds : 0));
}
