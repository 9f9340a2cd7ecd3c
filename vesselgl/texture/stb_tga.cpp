// Compiles Debian's stb_image for TGA only, reading through callbacks, with a
// side limit matching the decoder's own so that stb never allocates beyond it.
// stb's allocations are vectors kept here, so the decoded image is handed to
// the caller as it lies, not copied: a texture can be most of the memory there is.
#include "stb_tga.h"

#include "tga.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// The blocks stb holds at any moment: the image, and a palette or the image
// widened to RGBA while it decodes.
std::vector<std::vector<uint8_t>> stbBlocks;

void* stbAllocate(size_t size)
{
    stbBlocks.emplace_back(size);
    return stbBlocks.back().data();
}

std::vector<std::vector<uint8_t>>::iterator stbFind(void* block)
{
    return std::find_if(stbBlocks.begin(), stbBlocks.end(),
                        [block](const std::vector<uint8_t>& b) { return b.data() == block; });
}

void stbFree(void* block)
{
    const auto found = stbFind(block);
    if (found != stbBlocks.end()) {
        stbBlocks.erase(found);
    }
}

// stb wants all three; its TGA reader never resizes a block.
[[maybe_unused]] void* stbReallocate(void* block, size_t size)
{
    if (block == nullptr) {
        return stbAllocate(size);
    }
    const auto found = stbFind(block);
    assert(found != stbBlocks.end());  // stb only resizes blocks it was given here
    found->resize(size);
    return found->data();
}

// Moves the block out of stb's keeping; stb must not free it afterwards.
std::vector<uint8_t> stbAdopt(void* block)
{
    const auto found = stbFind(block);
    std::vector<uint8_t> pixels = std::move(*found);
    stbBlocks.erase(found);
    return pixels;
}

}  // namespace

#define STB_IMAGE_IMPLEMENTATION
// Its functions stay inside this file: a program that also links Debian's
// whole stb (the tests read PNG files) must not get this TGA-only copy, with
// its own allocator, in place of that one.
#define STB_IMAGE_STATIC
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_NO_FAILURE_STRINGS
#define STBI_MAX_DIMENSIONS kTgaMaxSide
#define STBI_MALLOC(size) stbAllocate(size)
#define STBI_REALLOC(block, size) stbReallocate(block, size)
#define STBI_FREE(block) stbFree(block)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace {

// The reading position in the prelude followed by the pixel data.
struct StbReader {
    const StbTgaSource* source;
    size_t pos;
};

size_t readerTotal(const StbReader& r)
{
    return r.source->prelude.size() + r.source->pixelBytes;
}

int readerRead(void* user, char* out, int size)
{
    StbReader& r = *static_cast<StbReader*>(user);
    const std::vector<uint8_t>& prelude = r.source->prelude;
    const size_t want = std::min(static_cast<size_t>(size), readerTotal(r) - r.pos);
    for (size_t done = 0; done < want;) {
        const bool inPrelude = r.pos < prelude.size();
        const uint8_t* from = inPrelude ? prelude.data() + r.pos
                                        : r.source->pixelData + (r.pos - prelude.size());
        const size_t left = inPrelude ? prelude.size() - r.pos : readerTotal(r) - r.pos;
        const size_t count = std::min(want - done, left);
        std::memcpy(out + done, from, count);
        done += count;
        r.pos += count;
    }
    return static_cast<int>(want);
}

// A negative count steps back over bytes already read.
void readerSkip(void* user, int count)
{
    StbReader& r = *static_cast<StbReader*>(user);
    const size_t back = count < 0 ? std::min(r.pos, static_cast<size_t>(-(long long)count)) : 0;
    const size_t ahead = count > 0 ? std::min(readerTotal(r) - r.pos, size_t(count)) : 0;
    r.pos = r.pos - back + ahead;
}

int readerAtEnd(void* user)
{
    const StbReader& r = *static_cast<const StbReader*>(user);
    return r.pos >= readerTotal(r) ? 1 : 0;
}

}  // namespace

bool stbTgaDecode(const StbTgaSource& source, int width, int height, int stored, int components,
                  TexImage& image)
{
    int w = 0;
    int h = 0;
    int comp = 0;
    StbReader reader{&source, 0};
    const stbi_io_callbacks callbacks{readerRead, readerSkip, readerAtEnd};
    stbi_uc* decoded = stbi_load_from_callbacks(&callbacks, &reader, &w, &h, &comp, components);
    if (decoded == nullptr) {
        return false;
    }
    if (w != width || h != height || comp != stored) {
        stbi_image_free(decoded);
        return false;
    }
    image.width = w;
    image.height = h;
    image.components = components;
    image.pixels = stbAdopt(decoded);
    return true;
}
