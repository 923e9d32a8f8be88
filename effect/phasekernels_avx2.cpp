// The phase network on AVX2: eight lanes in one register. Built for AVX2 by the
// pragma below (no build flag needed, on any compiler of the GCC family), and used only
// after the CPU check has found AVX2 and the operating system's support for it.
#include "effect/phasekernels.h"

#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
#define SORVELT_HAVE_AVX2_KERNELS 1
#endif

#if SORVELT_HAVE_AVX2_KERNELS
// After the includes of shared headers: only the code below is built for AVX2. No
// fused multiply-add: the sums are rounded after every product.
#pragma GCC push_options
#pragma GCC target("avx2,fpmath=sse")
#include <immintrin.h>

namespace phasekernels_avx2
{
#define SORVELT_ZMM 0
#include "effect/phasekernels_avx2_ops.h"

#include "effect/phasekernels_impl.h"

} // namespace phasekernels_avx2
#pragma GCC pop_options

// Built for the baseline: it runs before any CPU check.
const phasekernels::Table* phasekernels::avx2Table()
{
    return &phasekernels_avx2::kTable;
}

#else

const phasekernels::Table* phasekernels::avx2Table()
{
    return nullptr;
}

#endif
