// The seam between the portable rasterizer and its processor-specific span
// kernels. CMake links exactly one file that defines these functions (and
// rasterBestSpanKernel): the x86-64 kernels with their run-time check, or the
// portable file where only the scalar kernel exists. Which is decided at link
// time, never by #ifdef.
#pragma once

#include "raster.h"
#include "raster_rows.h"

#include <cstdint>

// One shaded row with a kernel this processor runs (rasterBestSpanKernel or
// below); `row` points at the row's first pixel.
void rasterSimdSpanRow(SpanKernel kernel, uint32_t* row, const SpanEnds& ends);
// A whole triangle whose corners are ordered by row; its edges are not yet
// set, since a kernel may compute them its own way.
void rasterSimdTriangle(SpanKernel kernel, uint32_t* pixels, const TriangleSetup& corners);
