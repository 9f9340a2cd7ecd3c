// OpenGL state and drawing of the GL demo. The order of the state calls is
// part of the picture, and so are the defaults left alone: back faces culled,
// counter-clockwise fronts, GL_MODULATE, GL_REPEAT and the default filters.
#include "glscene.h"

#include "conventions.h"

#include <GL/gl.h>
#include <GL/glext.h>  // the light-model colour control is OpenGL 1.2: Windows' gl.h stops at 1.1
#include <GL/glu.h>

#include <initializer_list>

namespace {

constexpr GLdouble kFieldOfView = 40.0;
constexpr GLdouble kAspect = 1.33333333333333;  // as written, a hair below 4/3
constexpr GLdouble kNearPlane = 1.0;
constexpr GLdouble kFarPlane = 200.0;

constexpr GLfloat kMaterialAmbient[] = {0.5f, 0.5f, 1.0f, 0.15f};
constexpr GLfloat kMaterialShininess[] = {15.0f};
constexpr GLfloat kMaterialDiffuse[] = {0.75f, 0.75f, 0.0f, 1.0f};
constexpr GLfloat kMaterialSpecular[] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr GLfloat kLightColor[] = {1.0f, 1.0f, 1.0f, 1.0f};  // ambient and diffuse alike
constexpr GLfloat kLightPosition[] = {7.0f, 8.0f, -16.0f, 1.0f};

constexpr GLfloat kViewOffsetY = -1.0f;
constexpr GLfloat kViewDistance = -20.0f;
constexpr GLfloat kUpright = 90.0f;  // turns the tube's z axis onto the view's vertical

}  // namespace

void setupGL()
{
    glViewport(0, 0, kScreenWidth, kScreenHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFieldOfView, kAspect, kNearPlane, kFarPlane);
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
}

void setupMaterialAndLight()
{
    glMaterialfv(GL_FRONT, GL_AMBIENT, kMaterialAmbient);
    glMaterialfv(GL_FRONT, GL_SHININESS, kMaterialShininess);
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
    // The triangle list indexes N vertices and holds 2N + 1 records; a mesh
    // built with other counts would index outside the arrays.
    if (mesh.triangles.size() != 2 * mesh.vertices.size() + 1) {
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
