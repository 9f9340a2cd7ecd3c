// The kernel seam on processors without kernels of their own: every row is
// converted one pixel at a time by the portable code, which the compiler is
// free to vectorise for the target it builds for.
#include "convert_simd.h"

bool simdIsaSupported(ConvertIsa isa)
{
    return isa == ConvertIsa::scalar;
}

int simdConvertRow(ConvertIsa, RowFormat, const uint32_t*, uint8_t*, int)
{
    return 0;
}

size_t simdCopyBlocks(ConvertIsa, uint8_t*, const uint8_t*, size_t)
{
    return 0;
}
