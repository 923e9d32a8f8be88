// The four-float half-register operations, the same instructions on every level from
// SSE2 up. Included inside each level's own namespace, after its target pragma, so each
// copy is compiled for that level's instruction set (see phasekernels_avx2_ops.h).
// Not a self-contained header: the intrinsics come from the includer.
#pragma once

using VH = __m128;
inline VH loadLow(const float* p)
{
    return _mm_load_ps(p);
}
inline VH loadHigh(const float* p)
{
    return _mm_load_ps(p + 4);
}
inline void storeLow(float* p, VH a)
{
    _mm_store_ps(p, a);
}
inline void storeHigh(float* p, VH a)
{
    _mm_store_ps(p + 4, a);
}
inline VH subH(VH a, VH b)
{
    return _mm_sub_ps(a, b);
}
inline VH loadUH(const float* p)
{
    return _mm_loadu_ps(p);
}
/// Lanes 0-1 of `a`, then lanes 0-1 of `b`.
inline VH joinLowPairs(VH a, VH b)
{
    return _mm_movelh_ps(a, b);
}
/// The even lanes of `p` then `q`, and the odd ones.
inline void deinterleave(VH p, VH q, VH& even, VH& odd)
{
    even = _mm_shuffle_ps(p, q, _MM_SHUFFLE(2, 0, 2, 0));
    odd = _mm_shuffle_ps(p, q, _MM_SHUFFLE(3, 1, 3, 1));
}
inline void transpose4(VH& r0, VH& r1, VH& r2, VH& r3)
{
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
}
