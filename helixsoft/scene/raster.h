// The integer rasterizer: clears the frame, fills flat and Gouraud spans and
// shaded triangles into a 640x480 buffer of 0x00RRGGBB words, row 0 at the top,
// pixel (x, y) at y * 640 + x. Positions and channels run in 16.16 fixed point.
// Any coordinates are accepted: rows and columns off the screen are cut off, so
// no write ever leaves the 307200 words.
#pragma once

#include "conventions.h"

#include <cstdint>

// The frame covers the screen the demo takes.
constexpr int32_t kFrameWidth = kScreenWidth;
constexpr int32_t kFrameHeight = kScreenHeight;
constexpr int32_t kFramePixels = kFrameWidth * kFrameHeight;

// Every function below writes through `pixels`, which must point at
// kFramePixels words.
void clearFrame(uint32_t* pixels);
void fillSpanFlat(uint32_t* pixels, int32_t x1, int32_t y, int32_t x2, uint32_t colour);
// Channel arguments are 16.16; each colour stays with its end when x1 > x2. A
// span cut at a screen edge keeps the gradient it has across its full length.
void fillSpanShaded(uint32_t* pixels, int32_t x1, int32_t y, int32_t x2, int32_t red1,
                    int32_t red2, int32_t green1, int32_t green2, int32_t blue1, int32_t blue2);
// Colours are packed 0x00RRGGBB with a zero top byte.
void fillTriangleShaded(uint32_t* pixels, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                        int32_t x3, int32_t y3, uint32_t colour1, uint32_t colour2,
                        uint32_t colour3);
