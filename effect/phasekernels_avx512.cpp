// The phase network on AVX-512: the AVX2 code built for AVX-512, with the encoder's
// single-precision pass widened. Its recursion runs two frames of every lane per
// register (frame n needs y[n-2], not y[n-1]), and its mix converts eight frames per
// instruction: on AVX2 the conversions between float and double are what the mix
// mostly waits for. The double pass is the AVX2 one (a wider one measured no faster),
// with the samples converted eight at a time as they come in and go out.
// Used only after the CPU check has found AVX-512 (F, VL, DQ, BW) and the operating
// system's support for it; every output bit equals the other levels'.
#include "effect/phasekernels.h"

#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
#define SORVELT_HAVE_AVX512_KERNELS 1
#endif

#if SORVELT_HAVE_AVX512_KERNELS
// After the includes of shared headers: only the code below is built for AVX-512. No
// fused multiply-add: the sums are rounded after every product.
#pragma GCC push_options
#pragma GCC target("avx2,avx512f,avx512vl,avx512dq,avx512bw,fpmath=sse")
// GCC 12's AVX-512 headers start some results from a deliberately undefined register
// (`__Y = __Y`), which its own warnings then report once inlined; silenced for those
// header lines only.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop

namespace phasekernels_avx512
{
#define SORVELT_ZMM 1
#include "effect/phasekernels_avx2_ops.h"

#include "effect/phasekernels_impl.h"

#define WIDE_INLINE [[gnu::always_inline]] inline

using phasekernels::kInputRows;
using phasekernels::kOutputRows;

// Two rows of eight floats (frames n, n+1), or eight doubles.
using W = __m512;
using WD = __m512d;

WIDE_INLINE W loadW(const float* p)
{
    return _mm512_loadu_ps(p);
}
WIDE_INLINE void storeW(float* p, W a)
{
    _mm512_storeu_ps(p, a);
}
WIDE_INLINE W addW(W a, W b)
{
    return _mm512_add_ps(a, b);
}
WIDE_INLINE W subW(W a, W b)
{
    return _mm512_sub_ps(a, b);
}
WIDE_INLINE W mulW(W a, W b)
{
    return _mm512_mul_ps(a, b);
}
/// Eight lanes' constants for both frames of a row pair.
WIDE_INLINE W twice(const float* p)
{
    return _mm512_broadcast_f32x8(_mm256_load_ps(p));
}
WIDE_INLINE VF lowRow(W a)
{
    return _mm512_castps512_ps256(a);
}
WIDE_INLINE VF highRow(W a)
{
    return _mm512_extractf32x8_ps(a, 1);
}

WIDE_INLINE WD widenW(VF a)
{
    return _mm512_cvtps_pd(a);
}
WIDE_INLINE VF narrowW(WD a)
{
    return _mm512_cvtpd_ps(a);
}
WIDE_INLINE WD splatWD(double v)
{
    return _mm512_set1_pd(v);
}
WIDE_INLINE WD addWD(WD a, WD b)
{
    return _mm512_add_pd(a, b);
}
WIDE_INLINE WD subWD(WD a, WD b)
{
    return _mm512_sub_pd(a, b);
}
WIDE_INLINE WD mulWD(WD a, WD b)
{
    return _mm512_mul_pd(a, b);
}

/// The filter outputs of eight frames, one vector per lane (F0 F2 F4 F5 F1 F3).
struct EightLanes
{
    VF lane[6];
};

/// From the single pass's rows n0 .. n0+7 (eight lanes each), the lanes `Format` mixes.
template <int Format> WIDE_INLINE EightLanes lanesOfRows(const float (*y)[8], int n0)
{
    const W r01 = loadW(y[n0]), r23 = loadW(y[n0 + 2]), r45 = loadW(y[n0 + 4]), r67 = loadW(y[n0 + 6]);
    // Lanes 0, 4, 1, 5 of four rows, then each lane's two halves side by side.
    const __m512i pick = _mm512_setr_epi32(0, 8, 16, 24, 4, 12, 20, 28, 1, 9, 17, 25, 5, 13, 21, 29);
    const __m512i join = _mm512_setr_epi32(0, 1, 2, 3, 16, 17, 18, 19, 4, 5, 6, 7, 20, 21, 22, 23);
    const W p = _mm512_permutex2var_ps(r01, pick, r23), q = _mm512_permutex2var_ps(r45, pick, r67);
    EightLanes e;
    const W l04 = _mm512_permutex2var_ps(p, join, q);
    e.lane[0] = lowRow(l04);
    e.lane[4] = highRow(l04);
    if constexpr (Format >= 1)
    {
        const __m512i joinHigh =
            _mm512_setr_epi32(8, 9, 10, 11, 24, 25, 26, 27, 12, 13, 14, 15, 28, 29, 30, 31);
        const W l15 = _mm512_permutex2var_ps(p, joinHigh, q);
        e.lane[1] = lowRow(l15);
        e.lane[5] = highRow(l15);
    }
    else
        e.lane[1] = e.lane[5] = e.lane[0];
    if constexpr (Format == 2)
    {
        const __m512i pick23 = _mm512_setr_epi32(2, 10, 18, 26, 3, 11, 19, 27, 2, 10, 18, 26, 3, 11, 19, 27);
        const W p2 = _mm512_permutex2var_ps(r01, pick23, r23), q2 = _mm512_permutex2var_ps(r45, pick23, r67);
        const W l23 = _mm512_permutex2var_ps(p2, join, q2);
        e.lane[2] = lowRow(l23);
        e.lane[3] = highRow(l23);
    }
    else
        e.lane[2] = e.lane[3] = e.lane[0];
    return e;
}

/// One image of a positioned source over eight frames: S, D, T, Q summed in double,
/// rounded to single (the same sums as mixImage).
WIDE_INLINE void mixImageWide(const phasekernels::UhjGains& g, int i, WD a, WD b, VF (&v)[4])
{
    v[0] = narrowW(addWD(mulWD(splatWD(0.9397), a), mulWD(splatWD(g.s[i]), a)));
    v[1] = narrowW(
        addWD(addWD(mulWD(splatWD(-0.342), b), mulWD(splatWD(g.db[i]), b)), mulWD(splatWD(g.da[i]), a)));
    v[2] = narrowW(
        subWD(addWD(mulWD(splatWD(-0.1432), b), mulWD(splatWD(g.tb[i]), b)), mulWD(splatWD(g.ta[i]), a)));
    v[3] = narrowW(mulWD(splatWD(g.q), a));
}

/// mixEight on eight frames held one vector per lane.
template <int Format>
WIDE_INLINE MixedEight mixEightWide(const phasekernels::UhjGains& g, const EightLanes& e)
{
    const VF half = splatF(0.5f);
    VF S, D, T, Q;
    if constexpr (Format == 2)
    {
        const WD w = widenW(e.lane[0]), x = widenW(e.lane[1]), y = widenW(e.lane[2]), z = widenW(e.lane[3]);
        const WD wj = widenW(e.lane[4]), xj = widenW(e.lane[5]);
        S = narrowW(addWD(mulWD(splatWD(0.9397), w), mulWD(splatWD(0.1856), x)));
        D = narrowW(
            addWD(addWD(mulWD(splatWD(-0.342), wj), mulWD(splatWD(0.5099), xj)), mulWD(splatWD(0.6555), y)));
        T = narrowW(
            subWD(addWD(mulWD(splatWD(-0.1432), wj), mulWD(splatWD(0.6512), xj)), mulWD(splatWD(0.7071), y)));
        Q = narrowW(mulWD(splatWD(0.9772), z));
    }
    else
    {
        // Mono takes channel 0 for both images, Stereo channel 1 for the second.
        VF i0[4], i1[4];
        const WD a0 = widenW(e.lane[0]), b0 = widenW(e.lane[4]);
        mixImageWide(g, 0, a0, b0, i0);
        if constexpr (Format == 0)
            mixImageWide(g, 1, a0, b0, i1);
        else
            mixImageWide(g, 1, widenW(e.lane[1]), widenW(e.lane[5]), i1);
        S = mulF(half, addF(i0[0], i1[0]));
        D = mulF(half, addF(i0[1], i1[1]));
        T = mulF(half, addF(i0[2], i1[2]));
        Q = mulF(half, addF(i0[3], i1[3]));
    }
    return {mulF(half, addF(S, D)), mulF(half, subF(S, D)), T, Q};
}

/// The single-precision pass: the recursion on row pairs, eight frames at a time, each
/// group followed by the mix of the one before.
template <int Format>
inline bool encodeSingleFormat(const phasekernels::Setup& setup, phasekernels::History& state,
                               phasekernels::Scratch& scratch, const float* const* in, float* const* out,
                               int frames, const phasekernels::UhjGains& gains, const float* gain,
                               bool gainInOutputs)
{
    VF check = stageEncoderInputs(state, scratch, in, frames);
    const float(*x)[8] = scratch.x + kInputRows;
    float(*y)[8] = scratch.y + kOutputRows;
    for (int r = 0; r < kOutputRows; ++r)
        storeF(y[r - kOutputRows], loadF(state.y[r]));
    const auto mixAndWrite = [&](int n0, int count) __attribute__((always_inline))
    {
        writeMixedEight(mixEightWide<Format>(gains, lanesOfRows<Format>(y, n0)), out, n0, count, gain,
                        gainInOutputs);
    };
    const W c8 = twice(setup.c[0]), c6 = twice(setup.c[1]), c4 = twice(setup.c[2]), c2 = twice(setup.c[3]);
    const W offset = _mm512_set1_ps(1e-25f);
    W y87 = loadW(y[-8]), y65 = loadW(y[-6]), y43 = loadW(y[-4]), y21 = loadW(y[-2]);
    // Frames n and n+1 (see recurse() for the sum).
    const auto pairStep = [&](int n) __attribute__((always_inline))
    {
        const W t8 = mulW(c8, subW(loadW(x[n - 1]), y87));
        const W t6 = mulW(c6, subW(loadW(x[n - 3]), y65));
        const W t4 = mulW(c4, subW(loadW(x[n - 5]), y43));
        const W t2 = mulW(c2, subW(loadW(x[n - 7]), y21));
        const W now = addW(addW(addW(addW(addW(t8, t6), t4), t2), loadW(x[n - 9])), offset);
        storeW(y[n], now);
        y87 = y65;
        y65 = y43;
        y43 = y21;
        y21 = now;
    };
    int n = 0;
    for (; n + 8 <= frames; n += 8)
    {
        pairStep(n);
        pairStep(n + 2);
        pairStep(n + 4);
        pairStep(n + 6);
        if (n >= 8) mixAndWrite(n - 8, 8);
    }
    for (; n + 2 <= frames; n += 2)
        pairStep(n);
    if (n < frames)
    {
        VF y1 = highRow(y21), y2 = lowRow(y21);
        encoderStepSingle(setup, x, y, n, y1, y2);
    }
    mixLastGroups(frames, mixAndWrite);
    return anyNaN(keepOutputHistory(state, y, frames, check));
}

inline bool encodeSingleWide(const phasekernels::Setup& setup, phasekernels::History& state,
                             phasekernels::Scratch& scratch, const float* const* in, float* const* out,
                             int frames, const phasekernels::UhjGains& gains, const float* gain,
                             bool gainInOutputs)
{
    if (gains.format == 2)
        return encodeSingleFormat<2>(setup, state, scratch, in, out, frames, gains, gain, gainInOutputs);
    else if (gains.format == 1)
        return encodeSingleFormat<1>(setup, state, scratch, in, out, frames, gains, gain, gainInOutputs);
    return encodeSingleFormat<0>(setup, state, scratch, in, out, frames, gains, gain, gainInOutputs);
}

constexpr phasekernels::Table kWideTable{&filterSingle, &filterDouble, &encodeSingleWide, &encodeDouble,
                                         &nonFinite};

#undef WIDE_INLINE

} // namespace phasekernels_avx512
#pragma GCC pop_options

// Built for the baseline: it runs before any CPU check.
const phasekernels::Table* phasekernels::avx512Table()
{
    return &phasekernels_avx512::kWideTable;
}

#else

const phasekernels::Table* phasekernels::avx512Table()
{
    return nullptr;
}

#endif
