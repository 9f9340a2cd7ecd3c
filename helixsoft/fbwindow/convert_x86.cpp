// Run-time choice among the x86-64 kernels. SSE2 is part of the architecture;
// the stronger sets are used only where the processor (and the operating
// system, which must save the wider registers) offers them.
#include "convert_simd.h"

#include "convert_x86.h"

bool simdIsaSupported(ConvertIsa isa)
{
    __builtin_cpu_init();
    switch (isa) {
    case ConvertIsa::scalar:
    case ConvertIsa::sse2:
        return true;
    case ConvertIsa::ssse3:
        return __builtin_cpu_supports("ssse3");
    case ConvertIsa::avx2:
        return __builtin_cpu_supports("avx2");
    case ConvertIsa::avx512bw:
        return __builtin_cpu_supports("avx512bw");
    }
    return false;
}

int simdConvertRow(ConvertIsa isa, RowFormat format, const uint32_t* source,
                   uint8_t* destination, int count)
{
    switch (isa) {
    case ConvertIsa::scalar:
        return 0;
    case ConvertIsa::sse2:
        return sse2ConvertRow(format, source, destination, count);
    case ConvertIsa::ssse3:
        return ssse3ConvertRow(format, source, destination, count);
    case ConvertIsa::avx2:
        return avx2ConvertRow(format, source, destination, count);
    case ConvertIsa::avx512bw:
        return avx512ConvertRow(format, source, destination, count);
    }
    return 0;
}

size_t simdCopyBlocks(ConvertIsa isa, uint8_t* destination, const uint8_t* source,
                      size_t byteCount)
{
    switch (isa) {
    case ConvertIsa::scalar:
        return 0;
    case ConvertIsa::sse2:
    case ConvertIsa::ssse3:
        return sse2CopyBlocks(destination, source, byteCount);
    case ConvertIsa::avx2:
        return avx2CopyBlocks(destination, source, byteCount);
    case ConvertIsa::avx512bw:
        return avx512CopyBlocks(destination, source, byteCount);
    }
    return 0;
}
