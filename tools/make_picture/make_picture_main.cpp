// make_picture: an icon or preview picture from a captured frame, for the
// build's icons and the site's front page.
//   make_picture FRAME.png OUT.png WIDTH HEIGHT
// Exit 0 on success; 2 with the usage for bad arguments; 1 with a reason when
// the frame cannot be read or the picture cannot be written.
#include "captureargs.h"
#include "captureoutput.h"
#include "picture.h"

#include <stb_image.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr const char* kTool = "make_picture";
constexpr const char* kUsage =
    "usage: make_picture FRAME.png OUT.png WIDTH HEIGHT\n"
    "  the largest box of the shape WIDTH:HEIGHT in the middle of FRAME, scaled to\n"
    "  WIDTH x HEIGHT (1..4096 each), as an 8-bit RGB PNG\n";
constexpr int kMaxSide = 4096;

bool parseSide(const char* text, int& side)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    side = int(value);
    return end != text && *end == '\0' && value >= 1 && value <= kMaxSide;
}

bool loadFrame(const char* path, PictureImage& image)
{
    int channels = 0;
    unsigned char* rgb = stbi_load(path, &image.width, &image.height, &channels, 3);
    if (rgb == nullptr) {
        return false;
    }
    image.pixels.resize(size_t(image.width) * size_t(image.height));
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        image.pixels[i] = uint32_t(rgb[i * 3]) << 16 | uint32_t(rgb[i * 3 + 1]) << 8 | rgb[i * 3 + 2];
    }
    stbi_image_free(rgb);
    return true;
}

// "make_picture: REASON" on standard error, with the usage after bad arguments.
int fail(const std::string& reason, const char* usage)
{
    std::fprintf(stderr, "%s: %s\n%s", kTool, reason.c_str(), usage != nullptr ? usage : "");
    return usage != nullptr ? kCaptureExitBadArguments : kCaptureExitFailed;
}

}  // namespace

int main(int argc, char** argv)
{
    int width = 0;
    int height = 0;
    if (argc != 5 || !parseSide(argv[3], width) || !parseSide(argv[4], height)) {
        return fail("bad arguments", kUsage);
    }
    PictureImage frame;
    if (!loadFrame(argv[1], frame)) {
        return fail("cannot read " + captureShown(argv[1]) + " as a picture", nullptr);
    }
    const PictureBox box = pictureMiddleBox(frame.width, frame.height, width, height);
    const PictureImage picture = pictureCutAndScale(frame, box, width, height);
    std::string reason;
    if (!captureWritePng(argv[2], picture.pixels.data(), width, height, reason)) {
        return fail(reason, nullptr);
    }
    return 0;
}
