// Cost of converting one full 640x480 frame into each display format, row by
// row as the window does it, on every instruction set the kernels were built
// for that this processor offers,
// beside memcpy of the same destination bytes (the floor) and two peers doing
// the same conversion: SDL_ConvertPixels and pixman's SRC composite. All of
// them read the same source frame; each run's label says whether a peer's
// bytes matched ours, so that like is compared with like.
#include "convert.h"
#include "simd_targets.h"

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

constexpr int frameWidth = 640;
constexpr int frameHeight = 480;
constexpr int framePixels = frameWidth * frameHeight;
constexpr size_t frameAlignment = 64;
constexpr size_t frameBytes = static_cast<size_t>(framePixels) * 4;

struct BenchFormat {
    const char* name;
    PixelConverter converter;
    int bytesPerPixel;
    Uint32 sdlFormat;
    pixman_format_code_t pixmanFormat;
};

const BenchFormat benchFormats[] = {
    {"copyRow32", copyRow32, 4, SDL_PIXELFORMAT_XRGB8888, PIXMAN_x8r8g8b8},
    {"convertRow32Swapped", convertRow32Swapped, 4, SDL_PIXELFORMAT_XBGR8888, PIXMAN_x8b8g8r8},
    {"convertRow24", convertRow24, 3, SDL_PIXELFORMAT_BGR24, PIXMAN_r8g8b8},
    {"convertRow24Swapped", convertRow24Swapped, 3, SDL_PIXELFORMAT_RGB24, PIXMAN_b8g8r8},
    {"convertRow565", convertRow565, 2, SDL_PIXELFORMAT_RGB565, PIXMAN_r5g6b5},
    {"convertRow565Swapped", convertRow565Swapped, 2, SDL_PIXELFORMAT_BGR565, PIXMAN_b5g6r5},
    {"convertRow555", convertRow555, 2, SDL_PIXELFORMAT_XRGB1555, PIXMAN_x1r5g5b5},
    {"convertRow555Swapped", convertRow555Swapped, 2, SDL_PIXELFORMAT_XBGR1555, PIXMAN_x1b5g5r5},
};

struct BenchFrames {
    uint32_t* source;
    uint8_t* destination;
    uint8_t* reference;
};

static BenchFrames frames = {nullptr, nullptr, nullptr};

// A shaded frame would do as well; random bytes keep every bit in play, the
// top byte included, which only the plain copy passes on.
void benchFramesCreate()
{
    frames.source = static_cast<uint32_t*>(std::aligned_alloc(frameAlignment, frameBytes));
    frames.destination = static_cast<uint8_t*>(std::aligned_alloc(frameAlignment, frameBytes));
    frames.reference = static_cast<uint8_t*>(std::aligned_alloc(frameAlignment, frameBytes));
    std::mt19937 generator(20240607u);
    for (int i = 0; i < framePixels; ++i) {
        frames.source[i] = static_cast<uint32_t>(generator());
    }
}

void benchFramesDestroy()
{
    std::free(frames.source);
    std::free(frames.destination);
    std::free(frames.reference);
}

void convertFrame(PixelConverter converter, int bytesPerPixel, uint8_t* destination)
{
    const size_t pitch = static_cast<size_t>(frameWidth) * bytesPerPixel;
    for (int y = 0; y < frameHeight; ++y) {
        converter(frames.source + y * frameWidth, destination + y * pitch, frameWidth);
    }
}

// Compares the destination with our own conversion; the top byte of 32-bit
// pixels is left out, since peers write it as they see fit.
const char* sameBytesLabel(const BenchFormat& format)
{
    convertFrame(format.converter, format.bytesPerPixel, frames.reference);
    const size_t bytes = static_cast<size_t>(framePixels) * format.bytesPerPixel;
    for (size_t i = 0; i < bytes; ++i) {
        const bool topByte = format.bytesPerPixel == 4 && i % 4 == 3;
        if (!topByte && frames.destination[i] != frames.reference[i]) {
            return "output differs";
        }
    }
    return "same bytes";
}

void benchOurs(benchmark::State& state, const BenchFormat& format, int64_t target)
{
    const SimdTargetScope scope(target);
    for (auto _ : state) {
        convertFrame(format.converter, format.bytesPerPixel, frames.destination);
        benchmark::DoNotOptimize(frames.destination);
        benchmark::ClobberMemory();
    }
}

void benchMemcpy(benchmark::State& state, const BenchFormat& format)
{
    const size_t bytes = static_cast<size_t>(framePixels) * format.bytesPerPixel;
    for (auto _ : state) {
        std::memcpy(frames.destination, frames.source, bytes);
        benchmark::DoNotOptimize(frames.destination);
        benchmark::ClobberMemory();
    }
}

// The floor under every converter: bringing each cache line of the source
// frame in once, and nothing else.
void benchReadSource(benchmark::State& state)
{
    constexpr int pixelsPerLine = 64 / 4;
    for (auto _ : state) {
        uint32_t sum = 0;
        for (int i = 0; i < framePixels; i += pixelsPerLine) {
            sum += frames.source[i];
        }
        benchmark::DoNotOptimize(sum);
    }
}

void benchSdl(benchmark::State& state, const BenchFormat& format)
{
    const int pitch = frameWidth * format.bytesPerPixel;
    int result = 0;
    for (auto _ : state) {
        result |= SDL_ConvertPixels(frameWidth, frameHeight, SDL_PIXELFORMAT_XRGB8888,
                                    frames.source, frameWidth * 4, format.sdlFormat,
                                    frames.destination, pitch);
        benchmark::ClobberMemory();
    }
    if (result != 0) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    state.SetLabel(sameBytesLabel(format));
}

void benchPixman(benchmark::State& state, const BenchFormat& format)
{
    pixman_image_t* source = pixman_image_create_bits(PIXMAN_x8r8g8b8, frameWidth, frameHeight,
                                                      frames.source, frameWidth * 4);
    pixman_image_t* destination = pixman_image_create_bits(
        format.pixmanFormat, frameWidth, frameHeight,
        reinterpret_cast<uint32_t*>(frames.destination), frameWidth * format.bytesPerPixel);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, destination, 0, 0, 0, 0, 0, 0,
                                 frameWidth, frameHeight);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(destination);
    pixman_image_unref(source);
    state.SetLabel(sameBytesLabel(format));
}

void registerFormat(const BenchFormat& format)
{
    const std::string prefix = std::string(format.name) + "/";
    const std::vector<int64_t> targets = simdTargets();
    for (auto target = targets.rbegin(); target != targets.rend(); ++target) {  // weakest first
        benchmark::RegisterBenchmark((prefix + "ours:" + simdTargetName(*target)).c_str(),
                                     benchOurs, format, *target)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark((prefix + "memcpy").c_str(), benchMemcpy, format)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((prefix + "SDL_ConvertPixels").c_str(), benchSdl, format)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((prefix + "pixman").c_str(), benchPixman, format)
        ->Unit(benchmark::kMicrosecond);
}

} // namespace

int main(int argc, char** argv)
{
    benchFramesCreate();
    benchmark::RegisterBenchmark("frame/readSource", benchReadSource)
        ->Unit(benchmark::kMicrosecond);
    for (const BenchFormat& format : benchFormats) {
        registerFormat(format);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    benchFramesDestroy();
    return 0;
}
