// A deliberately plain rasterizer for the tests: the per-row and per-pixel
// additions in 32-bit integers, every row visited, one pixel at a time. Valid
// only inside the supported range (x within -32768..32767, a few thousand rows).
#pragma once

#include <cstdint>

void referenceFillSpanShaded(uint32_t* pixels, int32_t x1, int32_t y, int32_t x2,
                             int32_t red1, int32_t red2, int32_t green1, int32_t green2,
                             int32_t blue1, int32_t blue2);
void referenceFillTriangleShaded(uint32_t* pixels, int32_t x1, int32_t y1, int32_t x2,
                                 int32_t y2, int32_t x3, int32_t y3, uint32_t colour1,
                                 uint32_t colour2, uint32_t colour3);
