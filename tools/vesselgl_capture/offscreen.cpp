// OSMesa behind the capture tool's context: the colour buffer is our own
// memory, rows bottom first as the GL numbers them.
#include "offscreen.h"

#include <GL/osmesa.h>

#include <cstddef>
#include <vector>

namespace {

constexpr int kChannels = 4;
constexpr GLint kDepthBits = 24;  // what the demo's window gets from Mesa under X
constexpr GLint kStencilBits = 8;

struct Offscreen {
    OSMesaContext context = nullptr;
    std::vector<uint8_t> rgba;
};

Offscreen offscreen;

}  // namespace

// Mesa keeps some allocations until the process ends, by design; a leak check
// (sanitizer builds) is told so, and still checks everything else.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libOSMesa.so\n";
}

bool offscreenOpen()
{
    offscreen.context = OSMesaCreateContextExt(OSMESA_RGBA, kDepthBits, kStencilBits, 0, nullptr);
    if (offscreen.context == nullptr) {
        return false;
    }
    offscreen.rgba.assign(std::size_t(kOffscreenPixels) * kChannels, 0);
    if (OSMesaMakeCurrent(offscreen.context, offscreen.rgba.data(), GL_UNSIGNED_BYTE,
                          kScreenWidth, kScreenHeight) == GL_FALSE) {
        offscreenClose();
        return false;
    }
    return true;
}

void offscreenFinish()
{
    glFinish();
}

void offscreenRead(uint32_t* pixels)
{
    for (int y = 0; y < kScreenHeight; ++y) {
        const uint8_t* row = offscreen.rgba.data() +
                             std::size_t(kScreenHeight - 1 - y) * kScreenWidth * kChannels;
        for (int x = 0; x < kScreenWidth; ++x) {
            const uint8_t* p = row + std::size_t(x) * kChannels;
            *pixels++ = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
        }
    }
}

void offscreenClose()
{
    if (offscreen.context != nullptr) {
        OSMesaDestroyContext(offscreen.context);
    }
    offscreen = Offscreen{};
}
