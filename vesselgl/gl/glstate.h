// The GL demo's picture as numbers: viewport, projection, view placement, the
// front material and the one light. Both GL paths draw from these values, so
// the fixed-function program and the shader program make the same picture.
// The viewport is the screen, kScreenWidth x kScreenHeight.
#pragma once

#include "conventions.h"

inline constexpr double kFieldOfView = 40.0;     // degrees, vertical
inline constexpr double kAspect = 1.33333333333333;  // as written, a hair below 4/3
inline constexpr double kNearPlane = 1.0;
inline constexpr double kFarPlane = 200.0;

// Model-view of a frame: T(0, kViewOffsetY, kViewDistance) Rz(spin) Rx(kUpright).
inline constexpr float kViewOffsetY = -1.0f;
inline constexpr float kViewDistance = -20.0f;
inline constexpr float kUpright = 90.0f;  // turns the tube's z axis onto the view's vertical

// Four values each (RGBA, or a homogeneous position) unless stated.
inline constexpr float kMaterialAmbient[] = {0.5f, 0.5f, 1.0f, 0.15f};
inline constexpr float kMaterialShininess = 15.0f;
inline constexpr float kMaterialDiffuse[] = {0.75f, 0.75f, 0.0f, 1.0f};
inline constexpr float kMaterialSpecular[] = {1.0f, 1.0f, 1.0f, 1.0f};
inline constexpr float kLightColor[] = {1.0f, 1.0f, 1.0f, 1.0f};  // ambient and diffuse alike
// Placed while the model-view matrix is the identity: fixed in eye coordinates.
inline constexpr float kLightPosition[] = {7.0f, 8.0f, -16.0f, 1.0f};

// OpenGL's defaults that the picture depends on and the shader path states
// itself: the current colour, which colour material makes the ambient and
// diffuse reflectance; the global ambient light; light 0's specular colour;
// the material's emission.
inline constexpr float kCurrentColor[] = {1.0f, 1.0f, 1.0f, 1.0f};
inline constexpr float kGlobalAmbient[] = {0.2f, 0.2f, 0.2f, 1.0f};
inline constexpr float kLightSpecular[] = {1.0f, 1.0f, 1.0f, 1.0f};
inline constexpr float kMaterialEmission[] = {0.0f, 0.0f, 0.0f, 1.0f};
