// The seam between the portable rasterizer and its kernels, which are written
// once in Highway and compiled for each instruction set; every call runs the
// best one the processor has, and all of them give the same pixels.
#pragma once

#include "raster_rows.h"

#include <cstdint>

// One shaded row; `row` points at the row's first pixel.
void rasterKernelSpanRow(uint32_t* row, const SpanEnds& ends);
// Whole triangles, triangles[order[0]] first, their rows within band only;
// a kernel computes their edges its own way.
void rasterKernelTriangles(uint32_t* pixels, const RowOrderedTriangle* triangles,
                           const uint32_t* order, int32_t count, RowBand band);
