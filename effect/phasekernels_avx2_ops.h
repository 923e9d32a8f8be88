// The vector operations the phase network's template uses, on AVX2 registers. Included
// inside a namespace of its own by each file built for AVX2 or wider (after that file's
// target pragma), so every copy is compiled for its own instruction set.
// Not a self-contained header: <immintrin.h> and the target come from the includer, which
// sets SORVELT_ZMM to 1 where AVX-512 may convert eight values at once.
#pragma once

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

inline VF loadMaskF(const std::uint32_t* p)
{
    return _mm256_load_ps(reinterpret_cast<const float*>(p));
}
/// Lanes of `b` where the mask is set, of `a` elsewhere.
inline VF selectF(VF mask, VF b, VF a)
{
    return _mm256_blendv_ps(a, b, mask);
}

/// Lanes 1-7 of `a` moved down one place, lane 7 kept.
inline VF shiftDown(VF a)
{
    return _mm256_permutevar8x32_ps(a, _mm256_setr_epi32(1, 2, 3, 4, 5, 6, 7, 7));
}

// Half registers: four lanes of floats, and of doubles.
#include "effect/phasekernels_half_ops.h"
using VDH = __m256d;
inline VDH widenH(VH a)
{
    return _mm256_cvtps_pd(a);
}
inline VH narrowH(VDH a)
{
    return _mm256_cvtpd_ps(a);
}
inline VDH loadDH(const double* p)
{
    return _mm256_load_pd(p);
}
inline VDH splatDH(double v)
{
    return _mm256_set1_pd(v);
}
inline VDH addDH(VDH a, VDH b)
{
    return _mm256_add_pd(a, b);
}
inline VDH subDH(VDH a, VDH b)
{
    return _mm256_sub_pd(a, b);
}
inline VDH mulDH(VDH a, VDH b)
{
    return _mm256_mul_pd(a, b);
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

/// Whether any lane is a NaN.
inline bool anyNaN(VF a)
{
    return _mm256_movemask_ps(_mm256_cmp_ps(a, a, _CMP_UNORD_Q)) != 0;
}

inline VF loadUF(const float* p)
{
    return _mm256_loadu_ps(p);
}
inline void storeUF(float* p, VF a)
{
    _mm256_storeu_ps(p, a);
}
inline VF loadInput(const float* p)
{
    return loadUF(p);
}
inline VF loadInput(const double* p)
{
#if SORVELT_ZMM
    return _mm512_cvtpd_ps(_mm512_loadu_pd(p)); // one conversion for eight
#else
    return narrow({_mm256_loadu_pd(p), _mm256_loadu_pd(p + 4)});
#endif
}
/// Rows become columns.
inline void transpose8(VF& r0, VF& r1, VF& r2, VF& r3, VF& r4, VF& r5, VF& r6, VF& r7)
{
    const __m256 t0 = _mm256_unpacklo_ps(r0, r1), t1 = _mm256_unpackhi_ps(r0, r1);
    const __m256 t2 = _mm256_unpacklo_ps(r2, r3), t3 = _mm256_unpackhi_ps(r2, r3);
    const __m256 t4 = _mm256_unpacklo_ps(r4, r5), t5 = _mm256_unpackhi_ps(r4, r5);
    const __m256 t6 = _mm256_unpacklo_ps(r6, r7), t7 = _mm256_unpackhi_ps(r6, r7);
    const __m256 s0 = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(1, 0, 1, 0));
    const __m256 s1 = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(3, 2, 3, 2));
    const __m256 s2 = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(1, 0, 1, 0));
    const __m256 s3 = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(3, 2, 3, 2));
    const __m256 s4 = _mm256_shuffle_ps(t4, t6, _MM_SHUFFLE(1, 0, 1, 0));
    const __m256 s5 = _mm256_shuffle_ps(t4, t6, _MM_SHUFFLE(3, 2, 3, 2));
    const __m256 s6 = _mm256_shuffle_ps(t5, t7, _MM_SHUFFLE(1, 0, 1, 0));
    const __m256 s7 = _mm256_shuffle_ps(t5, t7, _MM_SHUFFLE(3, 2, 3, 2));
    r0 = _mm256_permute2f128_ps(s0, s4, 0x20);
    r1 = _mm256_permute2f128_ps(s1, s5, 0x20);
    r2 = _mm256_permute2f128_ps(s2, s6, 0x20);
    r3 = _mm256_permute2f128_ps(s3, s7, 0x20);
    r4 = _mm256_permute2f128_ps(s0, s4, 0x31);
    r5 = _mm256_permute2f128_ps(s1, s5, 0x31);
    r6 = _mm256_permute2f128_ps(s2, s6, 0x31);
    r7 = _mm256_permute2f128_ps(s3, s7, 0x31);
}
inline VF setF(float a, float b, float c, float d, float e, float f, float g, float h)
{
    return _mm256_setr_ps(a, b, c, d, e, f, g, h);
}
/// Two half registers as one: `lo` in lanes 0-3, `hi` in lanes 4-7.
inline VF joinF(VH lo, VH hi)
{
    return _mm256_insertf128_ps(_mm256_castps128_ps256(lo), hi, 1);
}
/// Four frames of two channels as pairs: dst[k] = {a[k], b[k]}.
inline void interleaveFour(const double* a, const double* b, double (*dst)[2])
{
    const __m256d x = _mm256_loadu_pd(a), y = _mm256_loadu_pd(b);
    const __m256d lo = _mm256_unpacklo_pd(x, y), hi = _mm256_unpackhi_pd(x, y); // a0 b0 a2 b2, a1 b1 a3 b3
    _mm256_storeu_pd(dst[0], _mm256_permute2f128_pd(lo, hi, 0x20));
    _mm256_storeu_pd(dst[2], _mm256_permute2f128_pd(lo, hi, 0x31));
}
inline void storeOutput(float* p, VF a)
{
    _mm256_storeu_ps(p, a);
}
inline void storeOutput(double* p, VF a)
{
#if SORVELT_ZMM
    _mm512_storeu_pd(p, _mm512_cvtps_pd(a));
#else
    const VD d = widen(a);
    _mm256_storeu_pd(p, d.lo);
    _mm256_storeu_pd(p + 4, d.hi);
#endif
}
