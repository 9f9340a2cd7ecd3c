// The frame pipeline and the start-up that prepares it: the one place where the
// stages are called in the frame loop's order.
#include "scene.h"

#include "conventions.h"
#include "project.h"
#include "trig.h"

#include <cmath>

namespace {

constexpr double kTwistAmplitude = 0.3171;
constexpr int32_t kTiltDegrees = 90;
constexpr float kViewDistance = 60.0f;
constexpr Vec3 kLightDirection = {1.0f, 15.0f, 3.0f};
constexpr int32_t kInitialRecords = 2;  // arrays 0 to 1 before the builders size them

int32_t startSpin(const SceneStart& start)
{
    if (start.drawRandom) {
        return static_cast<int32_t>(std::floor(randomUnit() * kDegreesPerTurn));
    }
    return ((start.startSpin % kDegreesPerTurn) + kDegreesPerTurn) % kDegreesPerTurn;
}

// T(0, 0, 60) * Rz(spin) * Rx(90): each step multiplies in from the left.
void composeFrameMatrix(SceneState& scene)
{
    matRotateX(scene.stepMatrix, kTiltDegrees);
    matMultiply(scene.frameMatrix, scene.stepMatrix);
    matRotateZ(scene.stepMatrix, scene.spinAngle);
    matMultiply(scene.frameMatrix, scene.stepMatrix);
    matTranslate(scene.stepMatrix, 0.0f, 0.0f, kViewDistance);
    matMultiply(scene.frameMatrix, scene.stepMatrix);
}

} // namespace

void sceneStartup(SceneState& scene, const SceneStart& start)
{
    scene.pixels.assign(kFramePixels, 0u);
    matZero(scene.frameMatrix);
    matZero(scene.stepMatrix);
    scene.vertices.assign(kInitialRecords, Vertex{});
    scene.faces.assign(kInitialRecords, Face{});
    scene.spinAngle = 0;
    scene.frameCounter = 0;
    scene.twist = 0.0f;
    scene.wavePhase = 0.0f;
    initTube(scene.vertices, kTubeRings, kTubePointsPerRing);
    buildFaces(scene.vertices, scene.faces, kTubeRings, kTubePointsPerRing, start.drawRandom);
    scene.spinAngle = startSpin(start);
    scene.light = kLightDirection;
    normalizeVec3(scene.light);
}

void sceneSetUpFrame(SceneState& scene, DrawList& list)
{
    matIdentity(scene.frameMatrix);
    // Wraps before the rotation: a frame never draws with spin 360.
    scene.spinAngle = (scene.spinAngle + 1) % kDegreesPerTurn;
    composeFrameMatrix(scene);
    // Wrapping rather than overflowing after 2^31 frames (about nine days at
    // full speed): the counter only feeds sin and the helix phase.
    scene.frameCounter = static_cast<int32_t>(static_cast<uint32_t>(scene.frameCounter) + 1u);
    scene.twist = static_cast<float>(
        trigSin(scene.frameCounter * kPi / kDegreesPerHalfTurn) * kTwistAmplitude);
    twistTube(scene.vertices, kTubeRadius, kTubeRings, kTubePointsPerRing, scene.twist,
              scene.frameCounter, scene.wavePhase);
    projectVertices(scene.vertices, scene.frameMatrix);
    sortFaces(scene.vertices, scene.faces, scene.sortScratch);
    buildDrawList(scene.vertices, scene.faces, scene.light.x, scene.light.y, scene.light.z,
                  scene.corners, list);
}

void sceneFillBand(uint32_t* pixels, const DrawList& list, int32_t band)
{
    clearRows(pixels, drawListBand(list, band));
    drawListFill(pixels, list, band);
}

void sceneRenderFrame(SceneState& scene)
{
    // Clearing first, as the frame loop does: drawing never depends on what
    // the rows held, so the whole frame is cleared at once.
    clearFrame(scene.pixels.data());
    sceneSetUpFrame(scene, scene.drawList);
    for (int32_t band = 0; band < drawListBands(scene.drawList); ++band) {
        drawListFill(scene.pixels.data(), scene.drawList, band);
    }
}

SceneClock sceneClock(const SceneState& scene)
{
    return SceneClock{scene.frameMatrix, scene.spinAngle, scene.frameCounter, scene.twist,
                      scene.wavePhase};
}

void sceneSetClock(SceneState& scene, const SceneClock& clock)
{
    scene.frameMatrix = clock.frameMatrix;
    scene.spinAngle = clock.spinAngle;
    scene.frameCounter = clock.frameCounter;
    scene.twist = clock.twist;
    scene.wavePhase = clock.wavePhase;
}

void sceneCopyGeometry(SceneState& to, const SceneState& from)
{
    to.vertices = from.vertices;
    to.faces = from.faces;
    to.light = from.light;
    sceneSetClock(to, sceneClock(from));
}
