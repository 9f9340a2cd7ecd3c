// The span kernel seam on processors without kernels of their own: the scalar
// loop is the only kernel, so every kernel a caller names runs as scalar, and
// the compiler is free to vectorise it for the target it builds for.
#include "raster_simd.h"

SpanKernel rasterBestSpanKernel()
{
    return SpanKernel::Scalar;
}

void rasterSimdSpanRow(SpanKernel, uint32_t* row, const SpanEnds& ends)
{
    fillSpanRow<ScalarSpanKernel>(row, ends);
}

void rasterSimdTriangle(SpanKernel, uint32_t* pixels, const TriangleSetup& corners)
{
    TriangleSetup t = corners;
    setTriangleEdges(t);
    fillTriangleRows<ScalarSpanKernel>(pixels, t);
}
