// An off-screen OpenGL context of the GL demo's size on Mesa's software
// renderer: no display, no window system. One per process; every call
// from the thread that opened it.
#pragma once

#include "conventions.h"

#include <cstdint>

inline constexpr int kOffscreenPixels = kScreenWidth * kScreenHeight;

// Creates the context (8-bit RGBA, 24-bit depth, 8-bit stencil) and makes it
// current; false when Mesa cannot.
bool offscreenOpen();
// Waits until the GL has finished drawing.
void offscreenFinish();
// The finished picture as kOffscreenPixels 0x00RRGGBB pixels, row 0 at the top.
void offscreenRead(uint32_t* pixels);
void offscreenClose();
