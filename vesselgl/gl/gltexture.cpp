// The texture upload of the GL demo: the only place where image bytes meet
// OpenGL. The image's rows are already bottom first, as glTexImage2D reads them.
#include "gltexture.h"

#include "mipchain.h"

#include <GL/gl.h>
#include <GL/glext.h>  // GL_TEXTURE_MAX_LEVEL is OpenGL 1.2: Windows' gl.h stops at 1.1

#include <cstddef>

namespace {

GLenum formatFor(int components)
{
    switch (components) {
    case 1:
        return GL_LUMINANCE;
    case 3:
        return GL_RGB;
    case 4:
        return GL_RGBA;
    default:
        return 0;
    }
}

}  // namespace

bool uploadTexture(const std::vector<TexImage>& levels, TextureLevels declare)
{
    if (levels.empty()) {
        return false;
    }
    const GLenum format = formatFor(levels[0].components);
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    if (format == 0 || levels[0].width > maxSide || levels[0].height > maxSide) {
        return false;
    }
    GLint savedAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &savedAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);  // rows of 1 or 3 bytes a texel are not padded
    // How many levels follow: told nothing, Mesa sizes its storage for level 0
    // alone, then at level 1 allocates the whole chain and copies level 0 over,
    // holding both for a moment (an extra gigabyte for a 16384x16384 image).
    if (declare == TextureLevels::declared) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels.size() - 1));
    }
    for (std::size_t level = 0; level < levels.size(); ++level) {
        const TexImage& image = levels[level];
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), static_cast<GLint>(format),
                     image.width, image.height, 0, format, GL_UNSIGNED_BYTE,
                     image.pixels.data());
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, savedAlignment);
    return true;
}

bool loadTexture(const char* path, TextureLevels declare)
{
    std::vector<TexImage> levels;
    return texPrepareFile(path, levels) && uploadTexture(levels, declare);
}
