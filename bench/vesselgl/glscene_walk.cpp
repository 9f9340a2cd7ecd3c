// A GL path with no GL, for measuring the CPU side of a frame: drawing walks
// every corner that immediate mode would submit and copies what it would send.
#include "glscene.h"

#include <initializer_list>
#include <vector>

namespace {

struct Corner {
    Vec3 normal;
    TexCoord texCoord;
    Vec3 vertex;
};

std::vector<Corner> submitted;

}  // namespace

bool setupGL()
{
    return true;
}

bool setupTexture(const char*)
{
    return true;
}

void setupMaterialAndLight() {}

void drawTube(const TubeMesh& mesh, int32_t)
{
    if (!meshDrawable(mesh)) {
        return;
    }
    submitted.resize(mesh.triangles.size() * 3);
    Corner* out = submitted.data();
    for (const Triangle& t : mesh.triangles) {
        for (const int32_t i : {t.a, t.b, t.c}) {
            *out++ = Corner{mesh.normals[i], mesh.texCoords[i], mesh.vertices[i]};
        }
    }
}

void closeGL()
{
    submitted.clear();
}

void setViewportArea(int32_t, int32_t, int32_t, int32_t) {}
