// The seam between the portable rasterizer and its kernels, which are written
// once in Highway and compiled for each instruction set; every call runs the
// best one the processor has, and all of them give the same pixels.
#pragma once

#include "raster_rows.h"

#include <cstdint>

// One shaded row; `row` points at the row's first pixel.
void rasterKernelSpanRow(uint32_t* row, const SpanEnds& ends);
// A whole triangle whose corners are ordered by row; its edges are not yet
// set, since a kernel may compute them its own way.
void rasterKernelTriangle(uint32_t* pixels, const TriangleSetup& corners);
