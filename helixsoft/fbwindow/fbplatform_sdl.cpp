// The display interface over SDL2. Full screen, the flip chain is SDL's window
// surface in the display's own pixel format (framebuffer acceleration off):
// one back buffer, presented by SDL_UpdateWindowSurface, which never waits for
// the retrace. In a window it is a
// streaming texture of the frame's size, 32-bit, that SDL's renderer scales
// into the window (nearest-neighbour) and presents, with vsync when asked.
// Mode bits are a format's bytes per pixel x 8, as the pixel format reports
// them. The only file of the program that includes SDL. Over X11, a display
// that goes away reads as a close request: Xlib is told to neither print nor
// exit, so the program closes the screen and ends as it would when asked to.
#include "fbplatform.h"
#include "keyqueue.h"
#include "presentarea.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdio>

namespace {

constexpr int32_t kPrimaryDisplay = 0;
constexpr int32_t kBitsPerByte = 8;
constexpr size_t kMaxPendingChars = sizeof(SDL_TextInputEvent::text);
constexpr uint32_t kTextureFormat = SDL_PIXELFORMAT_RGB888;  // 0x00RRGGBB words
constexpr unsigned int kGlRendererName = 0x1F01;              // GL_RENDERER

struct SdlDisplay {
    bool videoUp = false;
    bool deviceReady = false;
    SDL_Window* window = nullptr;
    SDL_Surface* surface = nullptr;  // belongs to the window, never freed here
    int32_t frameWidth = 0;          // the size displayCreateWindow was given
    int32_t frameHeight = 0;
    bool windowed = false;           // shown as a normal window
    SDL_Renderer* renderer = nullptr;  // the chain in a window
    SDL_Texture* texture = nullptr;
    int32_t backBuffers = -1;
    uint32_t surfaceFormat = SDL_PIXELFORMAT_UNKNOWN;  // as reported at open
    std::array<int32_t, kMaxPendingChars> pendingChars{};  // characters of one text event
    size_t pendingCount = 0;
    size_t pendingNext = 0;
    XIOErrorHandler savedIoHandler = nullptr;
    bool watchingConnection = false;
    bool displayLost = false;        // the X connection broke; Xlib's calls now do nothing
    bool lossReported = false;       // the close request for it has been handed out
};

SdlDisplay sdl;

// Xlib's own handler prints the broken connection; the close request reports it instead.
int ignoreConnectionLoss(Display*)
{
    return 0;
}

// Replaces Xlib's exit: returning leaves the connection dead but the process running.
void noteConnectionLoss(Display*, void*)
{
    sdl.displayLost = true;
}

// Only an X11 window has a connection to watch; other drivers keep their own ways.
void watchConnection(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return;
    }
    sdl.savedIoHandler = XSetIOErrorHandler(ignoreConnectionLoss);
    XSetIOErrorExitHandler(info.info.x11.display, noteConnectionLoss, nullptr);
    sdl.watchingConnection = true;
}

// "offscreen" and "dummy" draw nowhere and read no keyboard: a demo run on
// them would be invisible and endless, so they count only when asked for.
bool driverExplicitlyRequested(const char* driver)
{
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    return requested != nullptr && SDL_strcasecmp(requested, driver) == 0;
}

bool driverIsAcceptable()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr) {
        return false;
    }
    const bool headless = SDL_strcasecmp(driver, "offscreen") == 0 ||
                          SDL_strcasecmp(driver, "dummy") == 0;
    return !headless || driverExplicitlyRequested(driver);
}

int32_t modeBits(uint32_t format)
{
    return static_cast<int32_t>(SDL_BYTESPERPIXEL(format)) * kBitsPerByte;
}

bool findDisplayMode(int32_t width, int32_t height, int32_t bits, SDL_DisplayMode& found)
{
    const int count = SDL_GetNumDisplayModes(kPrimaryDisplay);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(kPrimaryDisplay, i, &mode) == 0 && mode.w == width &&
            mode.h == height && modeBits(mode.format) == bits) {
            found = mode;
            return true;
        }
    }
    return false;
}

int32_t virtualKeyOf(SDL_Keycode sym)
{
    switch (sym) {
    case SDLK_UP: return kVirtualKeyUp;
    case SDLK_DOWN: return kVirtualKeyDown;
    case SDLK_LEFT: return kVirtualKeyLeft;
    case SDLK_RIGHT: return kVirtualKeyRight;
    case SDLK_INSERT: return kVirtualKeyInsert;
    case SDLK_DELETE: return kVirtualKeyDelete;
    case SDLK_HOME: return kVirtualKeyHome;
    case SDLK_END: return kVirtualKeyEnd;
    case SDLK_PAGEUP: return kVirtualKeyPageUp;
    case SDLK_PAGEDOWN: return kVirtualKeyPageDown;
    default: break;
    }
    if (sym >= SDLK_F1 && sym <= SDLK_F10) {
        return kVirtualKeyF1 + (sym - SDLK_F1);
    }
    return kVirtualKeyNone;
}

// The characters the layout gives below the space: SDL delivers no text for them.
int32_t controlCharOf(SDL_Keycode sym, uint16_t mod)
{
    switch (sym) {
    case SDLK_ESCAPE: return 27;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return 13;
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return 9;
    default: break;
    }
    if ((mod & KMOD_CTRL) != 0 && sym >= SDLK_a && sym <= SDLK_z) {
        return sym - SDLK_a + 1;
    }
    return 0;
}

// Keys whose character arrives as a text event, shaped by Shift, Caps Lock
// and the layout; their key-down itself must not queue a second code.
bool deliversText(SDL_Keycode sym, uint16_t mod)
{
    const bool character = (sym & SDLK_SCANCODE_MASK) == 0 && sym >= SDLK_SPACE &&
                           sym != SDLK_DELETE;
    return character && (mod & KMOD_CTRL) == 0;
}

bool translateKey(const SDL_KeyboardEvent& key, DisplayEvent& event)
{
    const SDL_Keycode sym = key.keysym.sym;
    const int32_t virtualKey = virtualKeyOf(sym);
    if (virtualKey == kVirtualKeyNone && deliversText(sym, key.keysym.mod)) {
        return false;
    }
    event = DisplayEvent{DisplayEventType::KeyDown, 0, virtualKey,
                         controlCharOf(sym, key.keysym.mod)};
    return true;
}

// Splits UTF-8 text into code points; those above 255 and malformed bytes are
// dropped, since a key code holds one character up to 255.
void queueTextChars(const char* text)
{
    sdl.pendingCount = 0;
    sdl.pendingNext = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const size_t length = SDL_strlen(text);
    size_t i = 0;
    while (i < length && sdl.pendingCount < kMaxPendingChars) {
        const unsigned char lead = bytes[i];
        int32_t codePoint = -1;
        if (lead < 0x80) {
            codePoint = lead;
            i += 1;
        } else if ((lead & 0xE0) == 0xC0 && i + 1 < length && (bytes[i + 1] & 0xC0) == 0x80) {
            codePoint = ((lead & 0x1F) << 6) | (bytes[i + 1] & 0x3F);
            i += 2;
        } else {
            i += 1;  // longer sequences hold code points above 255: skip their bytes
            while (i < length && (bytes[i] & 0xC0) == 0x80) {
                ++i;
            }
        }
        if (codePoint >= 1 && codePoint <= kLayoutCharMax) {
            sdl.pendingChars[sdl.pendingCount++] = codePoint;
        }
    }
}

bool takePendingChar(DisplayEvent& event)
{
    if (sdl.pendingNext >= sdl.pendingCount) {
        return false;
    }
    event = DisplayEvent{DisplayEventType::KeyDown, 0, kVirtualKeyNone,
                         sdl.pendingChars[sdl.pendingNext++]};
    return true;
}

bool translateWindowEvent(const SDL_WindowEvent& window, DisplayEvent& event)
{
    switch (window.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        event = DisplayEvent{DisplayEventType::Activate, 1, 0, 0};
        return true;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        event = DisplayEvent{DisplayEventType::Activate, 0, 0, 0};
        return true;
    case SDL_WINDOWEVENT_ENTER:
        event = DisplayEvent{DisplayEventType::SetCursor, 0, 0, 0};
        return true;
    case SDL_WINDOWEVENT_CLOSE:
        event = DisplayEvent{DisplayEventType::CloseRequest, 0, 0, 0};
        return true;
    default:
        return false;
    }
}

bool translateEvent(const SDL_Event& sdlEvent, DisplayEvent& event)
{
    switch (sdlEvent.type) {
    case SDL_WINDOWEVENT:
        return translateWindowEvent(sdlEvent.window, event);
    case SDL_QUIT:
        event = DisplayEvent{DisplayEventType::CloseRequest, 0, 0, 0};
        return true;
    case SDL_MOUSEMOTION:
        event = DisplayEvent{DisplayEventType::SetCursor, 0, 0, 0};
        return true;
    case SDL_KEYDOWN:
        return translateKey(sdlEvent.key, event);
    case SDL_TEXTINPUT:
        queueTextChars(sdlEvent.text.text);
        return takePendingChar(event);
    default:
        return false;
    }
}

// The program prints nothing, but the client libraries SDL probes while it
// looks for a display (Wayland's among them) write to standard error when none
// is there; their words are dropped for the length of the probe.
int initVideoQuietly()
{
    std::fflush(stderr);
    const int savedStderr = dup(STDERR_FILENO);
    const int nullDevice = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const bool silenced = savedStderr >= 0 && nullDevice >= 0 &&
                          dup2(nullDevice, STDERR_FILENO) >= 0;
    const int result = SDL_InitSubSystem(SDL_INIT_VIDEO);
    std::fflush(stderr);
    if (silenced) {
        dup2(savedStderr, STDERR_FILENO);
    }
    if (nullDevice >= 0) {
        close(nullDevice);
    }
    if (savedStderr >= 0) {
        close(savedStderr);
    }
    return result;
}

// Placed once shown: X11 keeps a hidden window where it was created.
void centreWindow()
{
    SDL_SetWindowPosition(sdl.window, SDL_WINDOWPOS_CENTERED_DISPLAY(kPrimaryDisplay),
                          SDL_WINDOWPOS_CENTERED_DISPLAY(kPrimaryDisplay));
}

// Mesa's software rasterizers: on them SDL's GL renderer costs several times
// what its own software renderer does, and a virtual display has no retrace
// for it to wait for anyway.
bool rendererIsSoftwareGl(SDL_Renderer* renderer)
{
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0 || SDL_strncmp(info.name, "opengl", 6) != 0) {
        return false;
    }
    using GetString = const unsigned char* (*)(unsigned int);
    const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned char* name = getString != nullptr ? getString(kGlRendererName) : nullptr;
    const char* text = reinterpret_cast<const char*>(name);
    return text != nullptr && (SDL_strstr(text, "llvmpipe") != nullptr ||
                               SDL_strstr(text, "softpipe") != nullptr ||
                               SDL_strstr(text, "Software") != nullptr);
}

SDL_Renderer* createScalingRenderer()
{
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    SDL_Renderer* renderer = SDL_CreateRenderer(sdl.window, -1, 0);
    if (renderer != nullptr && rendererIsSoftwareGl(renderer)) {
        SDL_DestroyRenderer(renderer);
        renderer = SDL_CreateRenderer(sdl.window, -1, SDL_RENDERER_SOFTWARE);
    }
    return renderer;
}

// The streaming texture that stands for the back buffer. SDL's renderer scales
// it by the hint's filter: nearest keeps the frame's pixels sharp.
int32_t createRendererChain()
{
    sdl.renderer = createScalingRenderer();
    if (sdl.renderer == nullptr) {
        return 0;
    }
    centreWindow();  // a GL renderer makes SDL recreate the window where it began
    sdl.texture = SDL_CreateTexture(sdl.renderer, kTextureFormat, SDL_TEXTUREACCESS_STREAMING,
                                    sdl.frameWidth, sdl.frameHeight);
    if (sdl.texture == nullptr) {
        SDL_DestroyRenderer(sdl.renderer);
        sdl.renderer = nullptr;
        return 0;
    }
    return 1;
}

void presentTexture()
{
    int outputWidth = 0;
    int outputHeight = 0;
    if (SDL_GetRendererOutputSize(sdl.renderer, &outputWidth, &outputHeight) != 0) {
        return;
    }
    const PresentArea area =
        presentAreaFit(outputWidth, outputHeight, sdl.frameWidth, sdl.frameHeight, true);
    const SDL_Rect target{area.x, area.y, area.width, area.height};
    SDL_SetRenderDrawColor(sdl.renderer, 0, 0, 0, SDL_ALPHA_OPAQUE);
    SDL_RenderClear(sdl.renderer);  // the bars
    SDL_RenderCopy(sdl.renderer, sdl.texture, nullptr, &target);
    SDL_RenderPresent(sdl.renderer);
}

}  // namespace

int32_t displayLoad()
{
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");  // the screen switches it off itself
    // SDL would turn SIGINT and SIGTERM into quit events, but not SIGHUP: the
    // program handles all three alike itself.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (initVideoQuietly() != 0) {
        return 0;
    }
    if (!driverIsAcceptable()) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_Quit();
        return 0;
    }
    sdl.videoUp = true;
    return 1;
}

int32_t displayCreate()
{
    sdl.deviceReady = sdl.videoUp && SDL_GetNumVideoDisplays() > kPrimaryDisplay;
    return sdl.deviceReady ? 1 : 0;
}

void displayCreateWindow(const char* title, int32_t width, int32_t height)
{
    if (!sdl.deviceReady || sdl.window != nullptr) {
        return;
    }
    sdl.frameWidth = width;
    sdl.frameHeight = height;
    sdl.window = SDL_CreateWindow(title, 0, 0, width, height, SDL_WINDOW_HIDDEN);
    if (sdl.window != nullptr) {
        watchConnection(sdl.window);
    }
}

int32_t displaySetExclusive()
{
    return sdl.window != nullptr ? 1 : 0;
}

int32_t displaySetMode(int32_t width, int32_t height, int32_t bitsPerPixel)
{
    SDL_DisplayMode mode;
    if (sdl.window == nullptr || !findDisplayMode(width, height, bitsPerPixel, mode)) {
        return 0;
    }
    if (SDL_SetWindowDisplayMode(sdl.window, &mode) != 0 ||
        SDL_SetWindowFullscreen(sdl.window, SDL_WINDOW_FULLSCREEN) != 0) {
        return 0;
    }
    SDL_ShowWindow(sdl.window);  // a hidden window's mode takes effect when shown
    SDL_DisplayMode current;
    if (SDL_GetCurrentDisplayMode(kPrimaryDisplay, &current) != 0) {
        return 0;
    }
    return current.w == width && current.h == height && modeBits(current.format) == bitsPerPixel
               ? 1
               : 0;
}

int32_t displayOffersSize(int32_t width, int32_t height)
{
    const int count = SDL_GetNumDisplayModes(kPrimaryDisplay);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(kPrimaryDisplay, i, &mode) == 0 && mode.w == width &&
            mode.h == height) {
            return 1;
        }
    }
    return 0;
}

int32_t displayUsableArea(int32_t& width, int32_t& height)
{
    SDL_Rect bounds;
    if (!sdl.deviceReady || SDL_GetDisplayUsableBounds(kPrimaryDisplay, &bounds) != 0) {
        return 0;
    }
    width = bounds.w;
    height = bounds.h;
    return 1;
}

int32_t displayShowWindow(int32_t width, int32_t height)
{
    if (sdl.window == nullptr) {
        return 0;
    }
    SDL_SetWindowResizable(sdl.window, SDL_TRUE);
    SDL_SetWindowSize(sdl.window, width, height);
    SDL_ShowWindow(sdl.window);
    centreWindow();
    SDL_RaiseWindow(sdl.window);
    sdl.windowed = true;
    return 1;
}

// Only the renderer's present can wait (full screen, the window surface never
// does), and only a renderer that draws on the graphics hardware.
int32_t displayWaitRetrace()
{
    SDL_RendererInfo info;
    if (sdl.renderer == nullptr || SDL_GetRendererInfo(sdl.renderer, &info) != 0 ||
        (info.flags & SDL_RENDERER_SOFTWARE) != 0) {
        return 0;
    }
    return SDL_RenderSetVSync(sdl.renderer, 1) == 0 ? 1 : 0;
}

int32_t displayRefreshRate()
{
    SDL_DisplayMode mode;
    if (!sdl.deviceReady || SDL_GetCurrentDisplayMode(kPrimaryDisplay, &mode) != 0) {
        return 0;
    }
    return mode.refresh_rate > 0 ? mode.refresh_rate : 0;
}

int32_t displayCreateFlipChain(int32_t backBuffers)
{
    // The window surface, or the texture, is exactly one back buffer: no
    // deeper chain exists, and a lone primary has no back buffer to lock.
    if (sdl.window == nullptr || backBuffers > 1 || backBuffers < 0) {
        return 0;
    }
    if (sdl.windowed) {
        if (backBuffers == 1 && sdl.renderer == nullptr && createRendererChain() == 0) {
            return 0;
        }
        sdl.backBuffers = backBuffers;
        return 1;
    }
    sdl.surface = SDL_GetWindowSurface(sdl.window);
    if (sdl.surface == nullptr) {
        return 0;
    }
    sdl.backBuffers = backBuffers;
    return 1;
}

int32_t displayGetBackBuffer()
{
    const bool chain = sdl.surface != nullptr || sdl.texture != nullptr;
    return chain && sdl.backBuffers >= 1 ? 1 : 0;
}

int32_t displayGetPixelFormat(DisplayPixelFormat& format)
{
    if (sdl.texture != nullptr) {
        int bits = 0;
        Uint32 alphaMask = 0;
        SDL_PixelFormatEnumToMasks(kTextureFormat, &bits, &format.redMask, &format.greenMask,
                                   &format.blueMask, &alphaMask);
        format.bitCount = SDL_BYTESPERPIXEL(kTextureFormat) * kBitsPerByte;
        format.isRgb = true;
        return 1;
    }
    if (sdl.surface == nullptr || sdl.surface->format == nullptr) {
        return 0;
    }
    const SDL_PixelFormat& pixel = *sdl.surface->format;
    sdl.surfaceFormat = pixel.format;
    format.bitCount = static_cast<uint32_t>(pixel.BytesPerPixel) * kBitsPerByte;
    format.redMask = pixel.Rmask;
    format.greenMask = pixel.Gmask;
    format.blueMask = pixel.Bmask;
    format.isRgb = !SDL_ISPIXELFORMAT_INDEXED(pixel.format) &&
                   !SDL_ISPIXELFORMAT_FOURCC(pixel.format) && pixel.palette == nullptr;
    return 1;
}

void displaySetScreenSaver(bool enabled)
{
    // After unloading there is nothing to do: SDL's display connection, and
    // with it any suspension of the saver, has ended.
    if (!sdl.videoUp) {
        return;
    }
    if (enabled) {
        SDL_EnableScreenSaver();
    } else {
        SDL_DisableScreenSaver();
    }
}

void displayReleaseFlipChain()
{
    if (sdl.texture != nullptr && !sdl.displayLost) {
        SDL_DestroyTexture(sdl.texture);
    }
    if (sdl.renderer != nullptr && !sdl.displayLost) {
        SDL_DestroyRenderer(sdl.renderer);
    }
    sdl.texture = nullptr;
    sdl.renderer = nullptr;
    sdl.surface = nullptr;
    sdl.backBuffers = -1;
    sdl.surfaceFormat = SDL_PIXELFORMAT_UNKNOWN;
}

// Once the connection is lost, SDL's hiding, mode switching and destroying of
// the window would wait for the dead server's answer for ever: the window, the
// mode and SDL's own state all end with the process instead.
void displayDestroy()
{
    if (sdl.window != nullptr && !sdl.displayLost) {
        SDL_SetWindowFullscreen(sdl.window, 0);  // back to the desktop's mode
        SDL_HideWindow(sdl.window);
    }
    sdl.deviceReady = false;
}

void displayDestroyWindow()
{
    if (sdl.window != nullptr && !sdl.displayLost) {
        SDL_DestroyWindow(sdl.window);
    }
    sdl.window = nullptr;
}

void displayUnload()
{
    if (!sdl.videoUp) {
        return;
    }
    if (!sdl.displayLost) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_Quit();
    }
    if (sdl.watchingConnection) {
        XSetIOErrorHandler(sdl.savedIoHandler);  // the connection it watched is closed
    }
    sdl = SdlDisplay{};
}

int32_t displayPeekEvent(DisplayEvent& event)
{
    if (!sdl.videoUp) {
        return 0;
    }
    if (takePendingChar(event)) {
        return 1;
    }
    if (sdl.displayLost && !sdl.lossReported) {
        sdl.lossReported = true;
        event = DisplayEvent{DisplayEventType::CloseRequest, 0, 0, 0};
        return 1;
    }
    SDL_Event sdlEvent;
    while (SDL_PollEvent(&sdlEvent) != 0) {
        if (translateEvent(sdlEvent, event)) {
            return 1;
        }
    }
    return 0;
}

void displayHideCursor()
{
    SDL_ShowCursor(SDL_DISABLE);
}

void displayRestore()
{
    if (sdl.window == nullptr || sdl.surface == nullptr) {
        return;
    }
    // After a size change SDL frees the old surface; this fetches the new one.
    SDL_Surface* surface = SDL_GetWindowSurface(sdl.window);
    if (surface != nullptr) {
        sdl.surface = surface;
    }
}

int32_t displayLock(DisplayLockedBuffer& buffer)
{
    if (sdl.texture != nullptr) {
        void* pixels = nullptr;
        int pitch = 0;
        if (SDL_LockTexture(sdl.texture, nullptr, &pixels, &pitch) != 0) {
            return 0;
        }
        buffer = DisplayLockedBuffer{static_cast<uint8_t*>(pixels), pitch, sdl.frameWidth,
                                     sdl.frameHeight};
        return 1;
    }
    SDL_Surface* surface = sdl.surface;
    if (surface == nullptr || surface->format == nullptr ||
        surface->format->format != sdl.surfaceFormat) {
        return 0;  // a surface in another format would get the wrong converter
    }
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) {
        return 0;
    }
    buffer = DisplayLockedBuffer{static_cast<uint8_t*>(surface->pixels), surface->pitch,
                                 surface->w, surface->h};
    return 1;
}

void displayUnlock(const DisplayLockedBuffer& buffer)
{
    if (sdl.texture != nullptr) {
        SDL_UnlockTexture(sdl.texture);
        return;
    }
    if (sdl.surface != nullptr && buffer.pixels != nullptr && SDL_MUSTLOCK(sdl.surface)) {
        SDL_UnlockSurface(sdl.surface);
    }
}

void displayFlip()
{
    if (sdl.texture != nullptr) {
        presentTexture();
    } else if (sdl.window != nullptr) {
        SDL_UpdateWindowSurface(sdl.window);
    }
}

void displaySleep(int32_t milliseconds)
{
    SDL_Delay(static_cast<Uint32>(milliseconds > 0 ? milliseconds : 0));
}
