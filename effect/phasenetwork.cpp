// The phase network: lane set-up, the choice of inner loops, passes over long
// blocks, and the portable inner loops every processor can run.
#include "effect/phasenetwork.h"

#include "effect/phasekernels.h"

namespace
{

// Denominator 1 + c2 z^-2 + c4 z^-4 + c6 z^-6 + c8 z^-8, numerator its mirror image.
constexpr float kPathAf[4] = {0.40920362f, -2.1498227f, 4.070339f, -3.3297162f};
constexpr float kPathBf[4] = {0.1110398f, -1.0674875f, 2.787299f, -2.8307364f};
constexpr double kPathAd[4] = {0.40920361097532, -2.149822808729033, 4.070339173607931, -3.329716204571899};
constexpr double kPathBd[4] = {0.11103979921915, -1.067487518353942, 2.787298979025264, -2.830736287722834};

// Lanes beyond the bank's own filter silence.
alignas(32) constexpr float kSilence[phasekernels::kChunk] = {};
alignas(32) constexpr double kSilenceD[phasekernels::kChunk] = {};

} // namespace

const phasekernels::Table& phasekernels::tableFor(SimdLevel level)
{
    if (level == SimdLevel::Avx512)
        if (const phasekernels::Table* t = phasekernels::avx512Table()) return *t;
    if (level >= SimdLevel::Avx2)
        if (const phasekernels::Table* t = phasekernels::avx2Table()) return *t;
    if (level >= SimdLevel::Sse2)
        if (const phasekernels::Table* t = phasekernels::sse2Table()) return *t;
    return phasekernels::scalarTable();
}

namespace
{

SimdLevel detectSimdLevel()
{
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    __builtin_cpu_init();
    // The compiler's check includes the operating system's saving of the wide registers.
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw") &&
        phasekernels::avx512Table())
        return SimdLevel::Avx512;
    if (__builtin_cpu_supports("avx2") && phasekernels::avx2Table()) return SimdLevel::Avx2;
    if (__builtin_cpu_supports("sse2") && phasekernels::sse2Table()) return SimdLevel::Sse2;
#endif
    return SimdLevel::Scalar;
}

} // namespace

// The portable inner loops: the same template as the vector sets, over plain arrays.
namespace phasekernels_scalar
{

struct VF
{
    float v[8];
};
struct VD
{
    double v[8];
};

inline VF loadF(const float* p)
{
    VF r;
    for (int i = 0; i < 8; ++i)
        r.v[i] = p[i];
    return r;
}
inline void storeF(float* p, const VF& a)
{
    for (int i = 0; i < 8; ++i)
        p[i] = a.v[i];
}
inline VF splatF(float s)
{
    VF r;
    for (float& v : r.v)
        v = s;
    return r;
}
#define SORVELT_LANEWISE(T, name, op)                                                                        \
    inline T name(const T& a, const T& b)                                                                    \
    {                                                                                                        \
        T r;                                                                                                 \
        for (int i = 0; i < 8; ++i)                                                                          \
            r.v[i] = a.v[i] op b.v[i];                                                                       \
        return r;                                                                                            \
    }
SORVELT_LANEWISE(VF, addF, +)
SORVELT_LANEWISE(VF, subF, -)
SORVELT_LANEWISE(VF, mulF, *)
SORVELT_LANEWISE(VD, addD, +)
SORVELT_LANEWISE(VD, subD, -)
SORVELT_LANEWISE(VD, mulD, *)
#undef SORVELT_LANEWISE

/// The mask as 0 or 1 per lane.
inline VF loadMaskF(const std::uint32_t* p)
{
    VF r;
    for (int i = 0; i < 8; ++i)
        r.v[i] = p[i] ? 1.0f : 0.0f;
    return r;
}
inline VF selectF(const VF& mask, const VF& b, const VF& a)
{
    VF r;
    for (int i = 0; i < 8; ++i)
        r.v[i] = mask.v[i] != 0.0f ? b.v[i] : a.v[i];
    return r;
}

/// Lanes 1-7 of `a` moved down one place, lane 7 kept.
inline VF shiftDown(const VF& a)
{
    VF r = a;
    for (int i = 0; i < 7; ++i)
        r.v[i] = a.v[i + 1];
    return r;
}

// Half registers: four lanes of floats, and of doubles.
struct VH
{
    float v[4];
};
struct VDH
{
    double v[4];
};
inline VH loadLow(const float* p)
{
    return {{p[0], p[1], p[2], p[3]}};
}
inline VH loadHigh(const float* p)
{
    return loadLow(p + 4);
}
inline void storeLow(float* p, const VH& a)
{
    for (int i = 0; i < 4; ++i)
        p[i] = a.v[i];
}
inline void storeHigh(float* p, const VH& a)
{
    storeLow(p + 4, a);
}
inline VDH widenH(const VH& a)
{
    return {{a.v[0], a.v[1], a.v[2], a.v[3]}};
}
inline VH narrowH(const VDH& a)
{
    return {{static_cast<float>(a.v[0]), static_cast<float>(a.v[1]), static_cast<float>(a.v[2]),
             static_cast<float>(a.v[3])}};
}
inline VDH loadDH(const double* p)
{
    return {{p[0], p[1], p[2], p[3]}};
}
inline VDH splatDH(double s)
{
    return {{s, s, s, s}};
}
inline VH loadUH(const float* p)
{
    return loadLow(p);
}
/// Lanes 0-1 of `a`, then lanes 0-1 of `b`.
inline VH joinLowPairs(const VH& a, const VH& b)
{
    return {{a.v[0], a.v[1], b.v[0], b.v[1]}};
}
/// The even lanes of `p` then `q`, and the odd ones.
inline void deinterleave(const VH& p, const VH& q, VH& even, VH& odd)
{
    even = {{p.v[0], p.v[2], q.v[0], q.v[2]}};
    odd = {{p.v[1], p.v[3], q.v[1], q.v[3]}};
}
inline void transpose4(VH& r0, VH& r1, VH& r2, VH& r3)
{
    VH* r[4] = {&r0, &r1, &r2, &r3};
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j)
        {
            const float t = r[i]->v[j];
            r[i]->v[j] = r[j]->v[i];
            r[j]->v[i] = t;
        }
}
#define SORVELT_LANEWISE(T, name, op)                                                                        \
    inline T name(const T& a, const T& b)                                                                    \
    {                                                                                                        \
        T r;                                                                                                 \
        for (int i = 0; i < 4; ++i)                                                                          \
            r.v[i] = a.v[i] op b.v[i];                                                                       \
        return r;                                                                                            \
    }
SORVELT_LANEWISE(VH, subH, -)
SORVELT_LANEWISE(VDH, addDH, +)
SORVELT_LANEWISE(VDH, subDH, -)
SORVELT_LANEWISE(VDH, mulDH, *)
#undef SORVELT_LANEWISE

inline VD loadD(const double* p)
{
    VD r;
    for (int i = 0; i < 8; ++i)
        r.v[i] = p[i];
    return r;
}
/// The mask as 0 or 1 per lane.
inline VD loadMaskD(const std::uint64_t* p)
{
    VD r;
    for (int i = 0; i < 8; ++i)
        r.v[i] = p[i] ? 1.0 : 0.0;
    return r;
}
inline VD splatD(double s)
{
    VD r;
    for (double& v : r.v)
        v = s;
    return r;
}
inline VD selectD(const VD& mask, const VD& b, const VD& a)
{
    VD r;
    for (int i = 0; i < 8; ++i)
        r.v[i] = mask.v[i] != 0.0 ? b.v[i] : a.v[i];
    return r;
}
inline VD widen(const VF& a)
{
    VD r;
    for (int i = 0; i < 8; ++i)
        r.v[i] = a.v[i];
    return r;
}
inline VF narrow(const VD& a)
{
    VF r;
    for (int i = 0; i < 8; ++i)
        r.v[i] = static_cast<float>(a.v[i]);
    return r;
}

inline bool anyNaN(const VF& a)
{
    bool nan = false;
    for (float v : a.v)
        nan = nan || v != v;
    return nan;
}

inline VF loadUF(const float* p)
{
    return loadF(p);
}
inline void storeUF(float* p, const VF& a)
{
    storeF(p, a);
}
inline VF loadInput(const float* p)
{
    return loadF(p);
}
inline VF loadInput(const double* p)
{
    return narrow(loadD(p));
}
inline void transpose8(VF& r0, VF& r1, VF& r2, VF& r3, VF& r4, VF& r5, VF& r6, VF& r7)
{
    VF* r[8] = {&r0, &r1, &r2, &r3, &r4, &r5, &r6, &r7};
    for (int i = 0; i < 8; ++i)
        for (int j = i + 1; j < 8; ++j)
        {
            const float t = r[i]->v[j];
            r[i]->v[j] = r[j]->v[i];
            r[j]->v[i] = t;
        }
}
inline VF setF(float a, float b, float c, float d, float e, float f, float g, float h)
{
    return {{a, b, c, d, e, f, g, h}};
}
inline VF joinF(const VH& lo, const VH& hi)
{
    return {{lo.v[0], lo.v[1], lo.v[2], lo.v[3], hi.v[0], hi.v[1], hi.v[2], hi.v[3]}};
}
inline void interleaveFour(const double* a, const double* b, double (*dst)[2])
{
    for (int k = 0; k < 4; ++k)
    {
        dst[k][0] = a[k];
        dst[k][1] = b[k];
    }
}
template <class Sample> inline void storeOutput(Sample* p, const VF& a)
{
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<Sample>(a.v[i]);
}

#include "effect/phasekernels_impl.h"

} // namespace phasekernels_scalar

const phasekernels::Table& phasekernels::scalarTable()
{
    return phasekernels_scalar::kTable;
}

SimdLevel bestSimdLevel()
{
    static const SimdLevel level = detectSimdLevel();
    return level;
}

PhaseNetwork::PhaseNetwork(std::initializer_list<PhasePath> lanes, SimdLevel level)
{
    int count = 0;
    for (PhasePath p : lanes)
    {
        if (count == kMaxLanes) break;
        const bool b = p == PhasePath::B;
        for (int k = 0; k < 4; ++k)
        {
            setup_.c[k][count] = b ? kPathBf[k] : kPathAf[k];
            setup_.cd[k][count] = b ? kPathBd[k] : kPathAd[k];
        }
        setup_.isBd[count] = b ? ~std::uint64_t{0} : 0;
        setup_.isB[count] = b ? ~std::uint32_t{0} : 0;
        ++count;
    }
    // Unused lanes run path A on silence: their values stay small and finite.
    for (int l = count; l < kMaxLanes; ++l)
        for (int k = 0; k < 4; ++k)
        {
            setup_.c[k][l] = kPathAf[k];
            setup_.cd[k][l] = kPathAd[k];
        }
    setup_.lanes = count;
    const SimdLevel best = bestSimdLevel();
    level_ = level > best ? best : level;
    kernels_ = &phasekernels::tableFor(level_);
}

template <class Sample, class Filter>
static void runPasses(const phasekernels::Setup& setup, phasekernels::History& state,
                      phasekernels::Scratch& scratch, Filter filter, const Sample* const* inputs,
                      float* const* outputs, std::int32_t frames, const Sample* silence)
{
    using phasekernels::kChunk;
    using phasekernels::kLanes;
    for (std::int32_t done = 0; done < frames; done += kChunk)
    {
        const int n = frames - done < kChunk ? static_cast<int>(frames - done) : kChunk;
        const Sample* in[kLanes];
        float* out[kLanes];
        for (int l = 0; l < kLanes; ++l)
        {
            in[l] = l < setup.lanes ? inputs[l] + done : silence;
            out[l] = l < setup.lanes ? outputs[l] + done : nullptr;
        }
        filter(setup, state, scratch, in, out, n);
    }
}

void PhaseNetwork::process(const float* const* inputs, float* const* outputs, std::int32_t frames)
{
    runPasses(setup_, state_, scratch_, kernels_->filterSingle, inputs, outputs, frames, kSilence);
}

void PhaseNetwork::process(const double* const* inputs, float* const* outputs, std::int32_t frames)
{
    runPasses(setup_, state_, scratch_, kernels_->filterDouble, inputs, outputs, frames, kSilenceD);
}

bool PhaseNetwork::recoverFromNonFinite()
{
    // Unused lanes filter silence: always finite.
    const bool nonFinite = kernels_->nonFinite(state_);
    if (nonFinite) reset();
    return nonFinite;
}

void PhaseNetwork::reset()
{
    state_ = phasekernels::History{};
}
