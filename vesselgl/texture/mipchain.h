// Texture images prepared on the CPU for the GL demo, with no GL involved: a
// TGA file read and decoded, scaled to powers of two and reduced level by level.
#pragma once

#include "teximage.h"

#include <vector>

// The smallest power of two that is >= value, for value in 1..2^30.
int texNextPowerOfTwo(int value);

// Scales a side that is not a power of two up to the next power of two with
// bilinear filtering (edges clamped, each result rounded to nearest, halves to
// even); an image whose sides are already powers of two is returned unchanged.
TexImage texScaleToPowerOfTwo(TexImage image);

// The complete mipmap chain of a power-of-two image, level 0 first, down to
// 1x1: each level averages 2x2 blocks (2x1 once a side is 1), rounded to
// nearest with halves up.
std::vector<TexImage> texBuildMipChain(TexImage base);

// Reads the TGA file at path and makes its whole mipmap chain; false, with
// levels left empty, when the file cannot be used as a texture.
bool texPrepareFile(const char* path, std::vector<TexImage>& levels);
