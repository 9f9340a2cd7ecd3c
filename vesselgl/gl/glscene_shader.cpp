// The GL demo's GLSL path for GL ES 2 / WebGL, which has no fixed-function
// pipeline: a program that does the fixed pipeline's per-vertex lighting for
// the demo's state (one positional light in eye coordinates, colour material
// on white, separate specular added after the texture) and the same depth,
// culling and texture settings. The values come from glstate.h.
#include "glscene.h"

#include "glstate.h"
#include "gltexture.h"
#include "viewmatrix.h"

#include <GLES2/gl2.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// The fixed pipeline's lighting equation for one light with attenuation and
// spot off: colours clamped per vertex, then interpolated; the specular part
// only where the light reaches the face; a viewer at infinity, so the half
// vector is towards the light plus (0, 0, 1). No GL_NORMALIZE: the model-view
// only rotates and translates, so normals keep their length.
constexpr const char* kVertexShader = R"(#version 100
attribute vec3 aPosition;
attribute vec3 aNormal;
attribute vec2 aTexCoord;
uniform mat4 uModelView;
uniform mat4 uModelViewProjection;
uniform vec4 uSceneColor;
uniform vec4 uAmbientColor;
uniform vec4 uDiffuseColor;
uniform vec3 uSpecularColor;
uniform vec3 uLightPosition;
uniform float uShininess;
varying vec4 vPrimary;
varying vec3 vSecondary;
varying vec2 vTexCoord;
void main()
{
    vec3 eye = (uModelView * vec4(aPosition, 1.0)).xyz;
    vec3 normal = (uModelView * vec4(aNormal, 0.0)).xyz;
    vec3 toLight = normalize(uLightPosition - eye);
    float facing = dot(normal, toLight);
    vec3 primary = uSceneColor.rgb + uAmbientColor.rgb + max(facing, 0.0) * uDiffuseColor.rgb;
    vec3 secondary = vec3(0.0);
    if (facing > 0.0) {
        vec3 halfway = normalize(toLight + vec3(0.0, 0.0, 1.0));
        secondary = pow(max(dot(normal, halfway), 0.0), uShininess) * uSpecularColor;
    }
    vPrimary = vec4(clamp(primary, 0.0, 1.0), uDiffuseColor.a);
    vSecondary = clamp(secondary, 0.0, 1.0);
    vTexCoord = aTexCoord;
    gl_Position = uModelViewProjection * vec4(aPosition, 1.0);
}
)";

// GL_MODULATE, then the separate specular colour added and clamped.
constexpr const char* kFragmentShader = R"(#version 100
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform sampler2D uTexture;
varying vec4 vPrimary;
varying vec3 vSecondary;
varying vec2 vTexCoord;
void main()
{
    vec4 texel = texture2D(uTexture, vTexCoord);
    gl_FragColor = vec4(min(texel.rgb * vPrimary.rgb + vSecondary, 1.0), texel.a * vPrimary.a);
}
)";

enum Attribute : GLuint { kPositionAttribute, kNormalAttribute, kTexCoordAttribute };

// Element indices are 16-bit: WebGL 1 has no 32-bit indices without an extension.
constexpr size_t kMaxIndexedVertices = 65536;

struct ShaderPath {
    GLuint program = 0;
    GLuint texture = 0;
    GLuint buffers[4] = {};  // positions, normals, texture coordinates, indices
    GLsizei indexCount = 0;  // uploaded indices; the list is built once
    GLint modelView = -1;
    GLint modelViewProjection = -1;
};

ShaderPath shaderPath;

GLuint compileShader(GLenum kind, const char* source)
{
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

GLuint linkProgram()
{
    const GLuint vertex = compileShader(GL_VERTEX_SHADER, kVertexShader);
    const GLuint fragment = compileShader(GL_FRAGMENT_SHADER, kFragmentShader);
    GLuint program = vertex != 0 && fragment != 0 ? glCreateProgram() : 0;
    if (program != 0) {
        glAttachShader(program, vertex);
        glAttachShader(program, fragment);
        glBindAttribLocation(program, kPositionAttribute, "aPosition");
        glBindAttribLocation(program, kNormalAttribute, "aNormal");
        glBindAttribLocation(program, kTexCoordAttribute, "aTexCoord");
        glLinkProgram(program);
        GLint linked = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        if (linked != GL_TRUE) {
            glDeleteProgram(program);
            program = 0;
        }
    }
    glDeleteShader(vertex);  // the program keeps what it needs; 0 is ignored
    glDeleteShader(fragment);
    return program;
}

void setColor(const char* name, const float (&color)[4])
{
    glUniform4fv(glGetUniformLocation(shaderPath.program, name), 1, color);
}

void uploadArray(GLuint buffer, Attribute attribute, GLint size, const void* data, size_t bytes)
{
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), data, GL_STREAM_DRAW);
    glVertexAttribPointer(attribute, size, GL_FLOAT, GL_FALSE, 0, nullptr);
}

void uploadIndices(const TubeMesh& mesh)
{
    std::vector<uint16_t> indices;
    indices.reserve(mesh.triangles.size() * 3);
    for (const Triangle& t : mesh.triangles) {
        for (const int32_t i : {t.a, t.b, t.c}) {
            indices.push_back(static_cast<uint16_t>(i));
        }
    }
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * 2),
                 indices.data(), GL_STATIC_DRAW);
    shaderPath.indexCount = static_cast<GLsizei>(indices.size());
}

}  // namespace

bool setupGL()
{
    glViewport(0, 0, kScreenWidth, kScreenHeight);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepthf(1.0f);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);  // back faces of counter-clockwise fronts, as by default
    shaderPath.program = linkProgram();
    if (shaderPath.program == 0) {
        return false;
    }
    glUseProgram(shaderPath.program);
    shaderPath.modelView = glGetUniformLocation(shaderPath.program, "uModelView");
    shaderPath.modelViewProjection =
        glGetUniformLocation(shaderPath.program, "uModelViewProjection");
    glUniform1i(glGetUniformLocation(shaderPath.program, "uTexture"), 0);
    glGenBuffers(4, shaderPath.buffers);
    for (const Attribute a : {kPositionAttribute, kNormalAttribute, kTexCoordAttribute}) {
        glEnableVertexAttribArray(a);
    }
    return true;
}

bool setupTexture(const char* path)
{
    glGenTextures(1, &shaderPath.texture);
    glBindTexture(GL_TEXTURE_2D, shaderPath.texture);
    // OpenGL's defaults, which the picture depends on, stated for the reader.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    return loadTexture(path, TextureLevels::undeclared);  // WebGL 1 refuses GL_TEXTURE_MAX_LEVEL
}

void setupMaterialAndLight()
{
    // Colour material: ambient and diffuse reflectance are the current colour.
    float scene[4];
    float ambient[4];
    float diffuse[4];
    for (int i = 0; i < 3; ++i) {
        scene[i] = kMaterialEmission[i] + kGlobalAmbient[i] * kCurrentColor[i];
        ambient[i] = kLightColor[i] * kCurrentColor[i];
        diffuse[i] = kLightColor[i] * kCurrentColor[i];
    }
    scene[3] = ambient[3] = 0.0f;
    diffuse[3] = kCurrentColor[3];  // a lit colour's alpha is the diffuse reflectance's
    setColor("uSceneColor", scene);
    setColor("uAmbientColor", ambient);
    setColor("uDiffuseColor", diffuse);
    const GLuint program = shaderPath.program;
    glUniform3f(glGetUniformLocation(program, "uSpecularColor"),
                kLightSpecular[0] * kMaterialSpecular[0], kLightSpecular[1] * kMaterialSpecular[1],
                kLightSpecular[2] * kMaterialSpecular[2]);
    glUniform3fv(glGetUniformLocation(program, "uLightPosition"), 1, kLightPosition);
    glUniform1f(glGetUniformLocation(program, "uShininess"), kMaterialShininess);
}

void drawTube(const TubeMesh& mesh, int32_t spinAngle)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!meshDrawable(mesh) || mesh.vertices.size() > kMaxIndexedVertices) {
        return;
    }
    const ViewMatrixF modelView = viewModelView(spinAngle);
    const ViewMatrixF modelViewProjection = viewMultiply(viewProjection(), modelView);
    glUniformMatrix4fv(shaderPath.modelView, 1, GL_FALSE, modelView.data());
    glUniformMatrix4fv(shaderPath.modelViewProjection, 1, GL_FALSE, modelViewProjection.data());
    const size_t n = mesh.vertices.size();
    uploadArray(shaderPath.buffers[0], kPositionAttribute, 3, mesh.vertices.data(), n * sizeof(Vec3));
    uploadArray(shaderPath.buffers[1], kNormalAttribute, 3, mesh.normals.data(), n * sizeof(Vec3));
    uploadArray(shaderPath.buffers[2], kTexCoordAttribute, 2, mesh.texCoords.data(),
                n * sizeof(TexCoord));
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, shaderPath.buffers[3]);
    if (shaderPath.indexCount != static_cast<GLsizei>(mesh.triangles.size() * 3)) {
        uploadIndices(mesh);
    }
    glDrawElements(GL_TRIANGLES, shaderPath.indexCount, GL_UNSIGNED_SHORT, nullptr);
}

void closeGL()
{
    glDeleteTextures(1, &shaderPath.texture);
    glDeleteBuffers(4, shaderPath.buffers);
    glDeleteProgram(shaderPath.program);
    shaderPath = ShaderPath{};
}

void setViewportArea(int32_t x, int32_t y, int32_t width, int32_t height)
{
    glViewport(x, y, width, height);
}
