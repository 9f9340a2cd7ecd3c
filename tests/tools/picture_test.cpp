// make_picture's cut and scale: the box in the middle of the frame, against
// boxes worked out by hand, and the scaled picture's colours in their places.
#include "picture.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TEST(PictureMiddleBox, IsTheLargestOfThePicturesShapeInTheMiddleOfTheFrame)
{
    struct Case {
        int width, height, outWidth, outHeight;
        PictureBox box;
    };
    const Case cases[] = {
        {640, 480, 48, 48, {80, 0, 480, 480}},     // an icon: the middle square
        {640, 480, 400, 300, {0, 0, 640, 480}},    // the frame's own shape: all of it
        {640, 480, 256, 128, {0, 80, 640, 320}},   // wider than the frame: the middle rows
        {641, 480, 1, 1, {80, 0, 480, 480}},       // the odd column left over goes right
        {640, 481, 4, 3, {0, 0, 640, 480}},        // and the odd row below
        {3, 2, 1, 4000, {1, 0, 1, 2}},             // never less than a pixel, never past the frame
    };
    for (const Case& c : cases) {
        const PictureBox box = pictureMiddleBox(c.width, c.height, c.outWidth, c.outHeight);
        EXPECT_EQ(std::tuple(box.x, box.y, box.width, box.height),
                  std::tuple(c.box.x, c.box.y, c.box.width, c.box.height))
            << c.width << "x" << c.height << " to " << c.outWidth;
    }
}

TEST(PictureCutAndScale, KeepsTheBoxsColoursWhereTheyWere)
{
    // 34 x 4: a grey column on each side of the box (cut away), red on the
    // left half of the box and blue on the right; scaled 8:1 the filter
    // blurs the middle, not the ends.
    PictureImage frame{34, 4, {}};
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 34; ++x) {
            frame.pixels.push_back(x == 0 || x == 33 ? 0x808080u : x <= 16 ? 0xFF0000u : 0x0000FFu);
        }
    }
    const PictureImage picture = pictureCutAndScale(frame, PictureBox{1, 0, 32, 4}, 4, 1);
    ASSERT_EQ(picture.pixels.size(), 4u);
    // Nearly pure red and blue at the ends, with no grey from outside the box.
    EXPECT_GE(picture.pixels[0] & 0xFFFFFFu, 0xF00000u) << std::hex << picture.pixels[0];
    EXPECT_LE(picture.pixels[0] & 0x00FFFFu, 0x001010u) << std::hex << picture.pixels[0];
    EXPECT_LE(picture.pixels[3], 0x1010FFu) << std::hex << picture.pixels[3];
    EXPECT_GE(picture.pixels[3] & 0xFFu, 0xF0u) << std::hex << picture.pixels[3];
}

}  // namespace
