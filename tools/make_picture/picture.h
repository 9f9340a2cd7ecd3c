// The demos' icons and preview pictures, cut from a captured frame: the
// largest box of the picture's shape in the middle of the frame, scaled down
// to the picture. Pixels are 0x00RRGGBB, row 0 at the top.
#pragma once

#include <cstdint>
#include <vector>

struct PictureImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // width * height
};

struct PictureBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The largest box of the shape outWidth x outHeight inside width x height,
// centred (an odd pixel left over goes to the right or below); its sides are
// rounded down, so it never reaches past the frame. All sizes at least 1.
PictureBox pictureMiddleBox(int width, int height, int outWidth, int outHeight);

// The box of image, scaled to outWidth x outHeight with stb's sRGB-correct filter.
PictureImage pictureCutAndScale(const PictureImage& image, const PictureBox& box, int outWidth,
                                int outHeight);
