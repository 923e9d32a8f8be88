// The phase network on SSE2: eight lanes as two four-float registers. Every x86-64
// processor has it; a 32-bit build reaches it only after a CPU check.
#include "effect/phasekernels.h"

#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
#define SORVELT_HAVE_SSE2_KERNELS 1
#endif

#if SORVELT_HAVE_SSE2_KERNELS
// After the includes of shared headers: only the code below is built for SSE2, and
// on 32-bit x86 its scalar arithmetic leaves the x87 unit too.
#pragma GCC push_options
#if defined(__i386__) || defined(_M_IX86)
#pragma GCC target("sse2,fpmath=sse")
#endif
#include <emmintrin.h>

namespace phasekernels_sse2
{

struct VF
{
    __m128 lo, hi;
};
struct VD
{
    __m128d v[4];
};

inline VF loadF(const float* p)
{
    return {_mm_load_ps(p), _mm_load_ps(p + 4)};
}
inline void storeF(float* p, VF a)
{
    _mm_store_ps(p, a.lo);
    _mm_store_ps(p + 4, a.hi);
}
inline VF splatF(float v)
{
    return {_mm_set1_ps(v), _mm_set1_ps(v)};
}
inline VF addF(VF a, VF b)
{
    return {_mm_add_ps(a.lo, b.lo), _mm_add_ps(a.hi, b.hi)};
}
inline VF subF(VF a, VF b)
{
    return {_mm_sub_ps(a.lo, b.lo), _mm_sub_ps(a.hi, b.hi)};
}
inline VF mulF(VF a, VF b)
{
    return {_mm_mul_ps(a.lo, b.lo), _mm_mul_ps(a.hi, b.hi)};
}

inline VF loadMaskF(const std::uint32_t* p)
{
    return loadF(reinterpret_cast<const float*>(p));
}
/// Lanes of `b` where the mask is set, of `a` elsewhere.
inline VF selectF(VF mask, VF b, VF a)
{
    return {_mm_or_ps(_mm_and_ps(mask.lo, b.lo), _mm_andnot_ps(mask.lo, a.lo)),
            _mm_or_ps(_mm_and_ps(mask.hi, b.hi), _mm_andnot_ps(mask.hi, a.hi))};
}

/// Lanes 1-7 of `a` moved down one place, lane 7 kept.
inline VF shiftDown(VF a)
{
    const __m128 seam = _mm_shuffle_ps(a.lo, a.hi, _MM_SHUFFLE(0, 0, 3, 3)); // lo3 lo3 hi0 hi0
    return {_mm_shuffle_ps(a.lo, seam, _MM_SHUFFLE(2, 0, 2, 1)),
            _mm_shuffle_ps(a.hi, a.hi, _MM_SHUFFLE(3, 3, 2, 1))};
}

// Half registers: four lanes of floats, and of doubles.
#include "effect/phasekernels_half_ops.h"
struct VDH
{
    __m128d lo, hi;
};
inline VDH widenH(VH a)
{
    return {_mm_cvtps_pd(a), _mm_cvtps_pd(_mm_movehl_ps(a, a))};
}
inline VH narrowH(VDH a)
{
    return _mm_movelh_ps(_mm_cvtpd_ps(a.lo), _mm_cvtpd_ps(a.hi));
}
inline VDH loadDH(const double* p)
{
    return {_mm_load_pd(p), _mm_load_pd(p + 2)};
}
inline VDH splatDH(double v)
{
    return {_mm_set1_pd(v), _mm_set1_pd(v)};
}
inline VDH addDH(VDH a, VDH b)
{
    return {_mm_add_pd(a.lo, b.lo), _mm_add_pd(a.hi, b.hi)};
}
inline VDH subDH(VDH a, VDH b)
{
    return {_mm_sub_pd(a.lo, b.lo), _mm_sub_pd(a.hi, b.hi)};
}
inline VDH mulDH(VDH a, VDH b)
{
    return {_mm_mul_pd(a.lo, b.lo), _mm_mul_pd(a.hi, b.hi)};
}

inline VD loadD(const double* p)
{
    return {{_mm_load_pd(p), _mm_load_pd(p + 2), _mm_load_pd(p + 4), _mm_load_pd(p + 6)}};
}
inline VD loadMaskD(const std::uint64_t* p)
{
    return loadD(reinterpret_cast<const double*>(p));
}
inline VD splatD(double v)
{
    const __m128d s = _mm_set1_pd(v);
    return {{s, s, s, s}};
}
inline VD addD(VD a, VD b)
{
    return {{_mm_add_pd(a.v[0], b.v[0]), _mm_add_pd(a.v[1], b.v[1]), _mm_add_pd(a.v[2], b.v[2]),
             _mm_add_pd(a.v[3], b.v[3])}};
}
inline VD subD(VD a, VD b)
{
    return {{_mm_sub_pd(a.v[0], b.v[0]), _mm_sub_pd(a.v[1], b.v[1]), _mm_sub_pd(a.v[2], b.v[2]),
             _mm_sub_pd(a.v[3], b.v[3])}};
}
inline VD mulD(VD a, VD b)
{
    return {{_mm_mul_pd(a.v[0], b.v[0]), _mm_mul_pd(a.v[1], b.v[1]), _mm_mul_pd(a.v[2], b.v[2]),
             _mm_mul_pd(a.v[3], b.v[3])}};
}
/// Lanes of `b` where the mask is set, of `a` elsewhere.
inline VD selectD(VD mask, VD b, VD a)
{
    VD r;
    for (int i = 0; i < 4; ++i)
        r.v[i] = _mm_or_pd(_mm_and_pd(mask.v[i], b.v[i]), _mm_andnot_pd(mask.v[i], a.v[i]));
    return r;
}
inline VD widen(VF a)
{
    return {{_mm_cvtps_pd(a.lo), _mm_cvtps_pd(_mm_movehl_ps(a.lo, a.lo)), _mm_cvtps_pd(a.hi),
             _mm_cvtps_pd(_mm_movehl_ps(a.hi, a.hi))}};
}
inline VF narrow(VD a)
{
    return {_mm_movelh_ps(_mm_cvtpd_ps(a.v[0]), _mm_cvtpd_ps(a.v[1])),
            _mm_movelh_ps(_mm_cvtpd_ps(a.v[2]), _mm_cvtpd_ps(a.v[3]))};
}

/// Whether any lane is a NaN.
inline bool anyNaN(VF a)
{
    return _mm_movemask_ps(_mm_cmpunord_ps(a.lo, a.hi)) != 0;
}

inline VF loadUF(const float* p)
{
    return {_mm_loadu_ps(p), _mm_loadu_ps(p + 4)};
}
inline void storeUF(float* p, VF a)
{
    _mm_storeu_ps(p, a.lo);
    _mm_storeu_ps(p + 4, a.hi);
}
inline VF loadInput(const float* p)
{
    return loadUF(p);
}
inline VF loadInput(const double* p)
{
    return narrow({{_mm_loadu_pd(p), _mm_loadu_pd(p + 2), _mm_loadu_pd(p + 4), _mm_loadu_pd(p + 6)}});
}
/// Rows become columns: four 4 x 4 blocks, the off-diagonal ones swapped.
inline void transpose8(VF& r0, VF& r1, VF& r2, VF& r3, VF& r4, VF& r5, VF& r6, VF& r7)
{
    __m128 a0 = r0.lo, a1 = r1.lo, a2 = r2.lo, a3 = r3.lo; // rows 0-3, columns 0-3
    __m128 b0 = r4.lo, b1 = r5.lo, b2 = r6.lo, b3 = r7.lo; // rows 4-7, columns 0-3
    __m128 c0 = r0.hi, c1 = r1.hi, c2 = r2.hi, c3 = r3.hi; // rows 0-3, columns 4-7
    __m128 d0 = r4.hi, d1 = r5.hi, d2 = r6.hi, d3 = r7.hi; // rows 4-7, columns 4-7
    _MM_TRANSPOSE4_PS(a0, a1, a2, a3);
    _MM_TRANSPOSE4_PS(b0, b1, b2, b3);
    _MM_TRANSPOSE4_PS(c0, c1, c2, c3);
    _MM_TRANSPOSE4_PS(d0, d1, d2, d3);
    r0 = {a0, b0};
    r1 = {a1, b1};
    r2 = {a2, b2};
    r3 = {a3, b3};
    r4 = {c0, d0};
    r5 = {c1, d1};
    r6 = {c2, d2};
    r7 = {c3, d3};
}
inline VF setF(float a, float b, float c, float d, float e, float f, float g, float h)
{
    return {_mm_setr_ps(a, b, c, d), _mm_setr_ps(e, f, g, h)};
}
inline VF joinF(VH lo, VH hi)
{
    return {lo, hi};
}
inline void interleaveFour(const double* a, const double* b, double (*dst)[2])
{
    for (int k = 0; k < 4; k += 2)
    {
        const __m128d x = _mm_loadu_pd(a + k), y = _mm_loadu_pd(b + k);
        _mm_storeu_pd(dst[k], _mm_unpacklo_pd(x, y));
        _mm_storeu_pd(dst[k + 1], _mm_unpackhi_pd(x, y));
    }
}
inline void storeOutput(float* p, VF a)
{
    storeUF(p, a);
}
inline void storeOutput(double* p, VF a)
{
    const VD d = widen(a);
    _mm_storeu_pd(p, d.v[0]);
    _mm_storeu_pd(p + 2, d.v[1]);
    _mm_storeu_pd(p + 4, d.v[2]);
    _mm_storeu_pd(p + 6, d.v[3]);
}

#include "effect/phasekernels_impl.h"

} // namespace phasekernels_sse2
#pragma GCC pop_options

// Built for the baseline: it runs before any CPU check.
const phasekernels::Table* phasekernels::sse2Table()
{
    return &phasekernels_sse2::kTable;
}

#else

const phasekernels::Table* phasekernels::sse2Table()
{
    return nullptr;
}

#endif
