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

using VF = __m256;
struct VD
{
    __m256d lo, hi;
};

inline VF loadF(const float* p)
{
    return _mm256_load_ps(p);
}
inline void storeF(float* p, VF a)
{
    _mm256_store_ps(p, a);
}
inline VF splatF(float v)
{
    return _mm256_set1_ps(v);
}
inline VF addF(VF a, VF b)
{
    return _mm256_add_ps(a, b);
}
inline VF subF(VF a, VF b)
{
    return _mm256_sub_ps(a, b);
}
inline VF mulF(VF a, VF b)
{
    return _mm256_mul_ps(a, b);
}

inline VD loadD(const double* p)
{
    return {_mm256_load_pd(p), _mm256_load_pd(p + 4)};
}
inline VD loadMaskD(const std::uint64_t* p)
{
    return loadD(reinterpret_cast<const double*>(p));
}
inline VD splatD(double v)
{
    return {_mm256_set1_pd(v), _mm256_set1_pd(v)};
}
inline VD addD(VD a, VD b)
{
    return {_mm256_add_pd(a.lo, b.lo), _mm256_add_pd(a.hi, b.hi)};
}
inline VD subD(VD a, VD b)
{
    return {_mm256_sub_pd(a.lo, b.lo), _mm256_sub_pd(a.hi, b.hi)};
}
inline VD mulD(VD a, VD b)
{
    return {_mm256_mul_pd(a.lo, b.lo), _mm256_mul_pd(a.hi, b.hi)};
}
/// Lanes of `b` where the mask is set, of `a` elsewhere.
inline VD selectD(VD mask, VD b, VD a)
{
    return {_mm256_blendv_pd(a.lo, b.lo, mask.lo), _mm256_blendv_pd(a.hi, b.hi, mask.hi)};
}
inline VD widen(VF a)
{
    return {_mm256_cvtps_pd(_mm256_castps256_ps128(a)), _mm256_cvtps_pd(_mm256_extractf128_ps(a, 1))};
}
inline VF narrow(VD a)
{
    return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm256_cvtpd_ps(a.lo)), _mm256_cvtpd_ps(a.hi), 1);
}

#include "effect/phasekernels_impl.h"

constexpr phasekernels::Table kTable{&filterSingle, &filterDouble};

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
