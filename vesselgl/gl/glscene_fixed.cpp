// The GL demo's OpenGL 1.1 fixed-function path. The order of the state calls
// is part of the picture, and so are the defaults left alone: back faces
// culled, counter-clockwise fronts, GL_MODULATE, GL_REPEAT, the default
// filters, colour material tracking ambient and diffuse of both faces.
#include "glscene.h"

#include "glstate.h"
#include "gltexture.h"
#include "viewmatrix.h"

#include <GL/gl.h>
#include <GL/glext.h>  // the light-model colour control is OpenGL 1.2: Windows' gl.h stops at 1.1

#include <initializer_list>

namespace {

struct FixedPath {
    GLuint texture = 0;
};

FixedPath fixedPath;

}  // namespace

bool setupGL()
{
    glViewport(0, 0, kScreenWidth, kScreenHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // What gluPerspective multiplies in, without linking GLU.
    glMultMatrixd(viewPerspective(kFieldOfView, kAspect, kNearPlane, kFarPlane).data());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);  // GL_BLEND itself stays off
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT, GL_FILL);
    return true;
}

bool setupTexture(const char* path)
{
    glEnable(GL_TEXTURE_2D);
    glGenTextures(1, &fixedPath.texture);
    glBindTexture(GL_TEXTURE_2D, fixedPath.texture);
    return loadTexture(path, TextureLevels::declared);
}

void setupMaterialAndLight()
{
    glMaterialfv(GL_FRONT, GL_AMBIENT, kMaterialAmbient);
    glMaterialfv(GL_FRONT, GL_SHININESS, &kMaterialShininess);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, kMaterialDiffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, kMaterialSpecular);
    // The highlight is added after texturing, so it stays white.
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
    glLightfv(GL_LIGHT0, GL_AMBIENT, kLightColor);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, kLightColor);
    glLightfv(GL_LIGHT0, GL_POSITION, kLightPosition);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
}

void drawTube(const TubeMesh& mesh, int32_t spinAngle)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, kViewOffsetY, kViewDistance);
    glRotatef(static_cast<GLfloat>(spinAngle), 0.0f, 0.0f, 1.0f);
    glRotatef(kUpright, 1.0f, 0.0f, 0.0f);
    if (!meshDrawable(mesh)) {
        return;
    }
    const Vec3* vertices = mesh.vertices.data();
    const Vec3* normals = mesh.normals.data();
    const TexCoord* texCoords = mesh.texCoords.data();
    glBegin(GL_TRIANGLES);
    for (const Triangle& t : mesh.triangles) {
        for (const int32_t i : {t.a, t.b, t.c}) {
            glNormal3fv(&normals[i].x);
            glTexCoord2fv(&texCoords[i].s);
            glVertex3fv(&vertices[i].x);
        }
    }
    glEnd();
}

void closeGL()
{
    glDeleteTextures(1, &fixedPath.texture);
    fixedPath.texture = 0;
}

void setViewportArea(int32_t x, int32_t y, int32_t width, int32_t height)
{
    glViewport(x, y, width, height);
}
