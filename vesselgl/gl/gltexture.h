// Hands the GL demo's prepared texture to OpenGL. Decoding, orientation,
// scaling and mip levels are done beforehand without GL (mipchain.h).
#pragma once

#include "teximage.h"

#include <vector>

// How the chain's length reaches the GL: OpenGL (1.2 and later) is told it
// up front through GL_TEXTURE_MAX_LEVEL; GL ES 2 / WebGL 1 has no such setting.
enum class TextureLevels { declared, undeclared };

// Reads the TGA file at path and uploads its whole mipmap chain into the bound
// GL_TEXTURE_2D; false when the file is unusable or larger than the GL holds.
bool loadTexture(const char* path, TextureLevels declare);

// Uploads levels (level 0 first) with GL_UNPACK_ALIGNMENT 1, restoring the
// previous alignment afterwards; 1, 3 or 4 components as GL_LUMINANCE,
// GL_RGB or GL_RGBA of GL_UNSIGNED_BYTE.
bool uploadTexture(const std::vector<TexImage>& levels, TextureLevels declare);
