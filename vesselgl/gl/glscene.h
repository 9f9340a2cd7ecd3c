// The GL demo's drawing, one narrow interface with two paths chosen at link
// time: OpenGL 1.1 fixed function (glscene_fixed.cpp, the desktop program)
// and a GLSL program that reproduces that pipeline's arithmetic per vertex
// (glscene_shader.cpp, WebGL). Every call needs a current GL context; the
// values drawn come from glstate.h. Nothing here queries GL errors.
#pragma once

#include "tube.h"

#include <cstdint>

// The triangle list indexes N vertices and holds 2N + 1 records; a mesh built
// with other counts would index outside the arrays, so it is not drawn.
inline bool meshDrawable(const TubeMesh& mesh)
{
    return mesh.triangles.size() == 2 * mesh.vertices.size() + 1 &&
           mesh.normals.size() == mesh.vertices.size() &&
           mesh.texCoords.size() == mesh.vertices.size();
}

// Viewport, projection and fixed state, in the order the picture relies on;
// false only when the shader path's program cannot be built.
bool setupGL();
// Creates and binds the one texture and uploads path's mipmap chain into it;
// false when the file is unusable or larger than the GL holds.
bool setupTexture(const char* path);
// The front material and the one positional light, fixed in eye coordinates.
void setupMaterialAndLight();
// Clears and draws every triangle record, the trailing all-zero ones included.
void drawTube(const TubeMesh& mesh, int32_t spinAngle);
// Deletes the texture (and the shader path's program and buffers).
void closeGL();
// The viewport alone, in GL's window coordinates (rows from the bottom).
void setViewportArea(int32_t x, int32_t y, int32_t width, int32_t height);
