// The phase network's passes and the encoder's fused pass, written once over an
// eight-lane vector type. Each instruction set's file includes this inside its own
// namespace after defining VF (eight floats), VD (eight doubles) and the operations used
// below, so every copy is a distinct function and none can stand in for another at link
// time. No library call may appear here: in the wider files it would be built for the
// wider set, and the linker could hand that copy to any caller.

#define SORVELT_INLINE [[gnu::always_inline]] inline

/// Eight rows, one 8-sample load per lane, turned so each row is one frame of every lane.
template <class Sample> SORVELT_INLINE void stageEightRows(const Sample* const* in, int r, float (*dst)[8])
{
    VF a = loadInput(in[0] + r), b = loadInput(in[1] + r), c = loadInput(in[2] + r), d = loadInput(in[3] + r);
    VF e = loadInput(in[4] + r), f = loadInput(in[5] + r), g = loadInput(in[6] + r), h = loadInput(in[7] + r);
    transpose8(a, b, c, d, e, f, g, h);
    storeF(dst[0], a);
    storeF(dst[1], b);
    storeF(dst[2], c);
    storeF(dst[3], d);
    storeF(dst[4], e);
    storeF(dst[5], f);
    storeF(dst[6], g);
    storeF(dst[7], h);
}

/// The encoder's eight rows: its lanes take inputs 0, 1, 2, 3, 0, 1 and silence, so four
/// loads serve them all.
template <class Sample> SORVELT_INLINE void stageEightEncoderRows(const Sample* const* in, int r, float (*dst)[8])
{
    VF a = loadInput(in[0] + r), b = loadInput(in[1] + r), c = loadInput(in[2] + r), d = loadInput(in[3] + r);
    VF e = a, f = b, g = splatF(0.0f), h = splatF(0.0f);
    transpose8(a, b, c, d, e, f, g, h);
    storeF(dst[0], a);
    storeF(dst[1], b);
    storeF(dst[2], c);
    storeF(dst[3], d);
    storeF(dst[4], e);
    storeF(dst[5], f);
    storeF(dst[6], g);
    storeF(dst[7], h);
}

/// Rows -9 .. frames-1 of x, one frame of every lane each, rounded to single, and the new
/// input histories. Every input of the pass is read here, before any output is written.
template <class Sample, bool Encoder = false>
SORVELT_INLINE void stageInputs(const phasekernels::Setup& setup, phasekernels::History& state,
                                phasekernels::Scratch& scratch, const Sample* const* in, int frames)
{
    const auto stageEight = [&](int r, float(*dst)[8]) {
        if constexpr (Encoder)
            stageEightEncoderRows(in, r, dst);
        else
            stageEightRows(in, r, dst);
    };
    using namespace phasekernels;
    float(*x)[kLanes] = scratch.x + kInputRows; // x[r] is row r
    for (int r = 0; r < kInputRows; ++r)
        storeF(x[r - kInputRows], loadF(state.x[r]));
    if (frames >= 8)
    {
        for (int r = 0; r + 8 <= frames; r += 8)
            stageEight(r, x + r);
        // The last eight rows again where the pass is not a multiple of eight long.
        if (frames & 7) stageEight(frames - 8, x + frames - 8);
    }
    else
    {
        for (int r = 0; r < frames; ++r)
            for (int l = 0; l < kLanes; ++l)
                x[r][l] = static_cast<float>(in[l][r]);
    }
    for (int r = 0; r < kInputRows; ++r)
        storeF(state.x[r], loadF(x[frames - kInputRows + r]));
    // Path B's current input in double, for the double callback's newest term.
    if constexpr (sizeof(Sample) == sizeof(double))
        for (int l = 0; l < setup.lanes; ++l)
            if (setup.isB[l])
                for (int n = 0; n < frames; ++n)
                    scratch.now[n][l] = in[l][n];
}

/// The double recursion where lanes 0-3 run path A and lanes 4-7 path B: each half in
/// its own registers, so neither takes the other's terms and nothing is blended.
template <class GroupDone>
SORVELT_INLINE void recurseSplitDouble(const phasekernels::Setup& setup, phasekernels::History& state,
                                       phasekernels::Scratch& scratch, int frames, GroupDone groupDone)
{
    using namespace phasekernels;
    VH a8 = loadLow(state.y[0]), a7 = loadLow(state.y[1]), a6 = loadLow(state.y[2]), a5 = loadLow(state.y[3]);
    VH a4 = loadLow(state.y[4]), a3 = loadLow(state.y[5]), a2 = loadLow(state.y[6]), a1 = loadLow(state.y[7]);
    VH b8 = loadHigh(state.y[0]), b7 = loadHigh(state.y[1]), b6 = loadHigh(state.y[2]), b5 = loadHigh(state.y[3]);
    VH b4 = loadHigh(state.y[4]), b3 = loadHigh(state.y[5]), b2 = loadHigh(state.y[6]), b1 = loadHigh(state.y[7]);
    const VDH ca8 = loadDH(setup.cd[0]), ca6 = loadDH(setup.cd[1]), ca4 = loadDH(setup.cd[2]),
              ca2 = loadDH(setup.cd[3]);
    const VDH cb8 = loadDH(setup.cd[0] + 4), cb6 = loadDH(setup.cd[1] + 4), cb4 = loadDH(setup.cd[2] + 4),
              cb2 = loadDH(setup.cd[3] + 4);
    const VDH offset = splatDH(static_cast<double>(1e-25f));
    const float(*x)[kLanes] = scratch.x + kInputRows;
    for (int n = 0; n < frames; ++n)
    {
        const VDH ta8 = mulDH(ca8, widenH(subH(loadLow(x[n - 1]), a8)));
        const VDH ta6 = mulDH(ca6, widenH(subH(loadLow(x[n - 3]), a6)));
        const VDH ta4 = mulDH(ca4, widenH(subH(loadLow(x[n - 5]), a4)));
        const VDH ta2 = mulDH(ca2, widenH(subH(loadLow(x[n - 7]), a2)));
        const VH ya =
            narrowH(addDH(addDH(addDH(addDH(addDH(ta8, ta6), ta4), ta2), widenH(loadLow(x[n - 9]))), offset));
        const VDH tb8 = mulDH(cb8, subDH(loadDH(scratch.now[n] + 4), widenH(b8)));
        const VDH tb6 = mulDH(cb6, widenH(subH(loadHigh(x[n - 2]), b6)));
        const VDH tb4 = mulDH(cb4, widenH(subH(loadHigh(x[n - 4]), b4)));
        const VDH tb2 = mulDH(cb2, widenH(subH(loadHigh(x[n - 6]), b2)));
        const VH yb =
            narrowH(addDH(addDH(addDH(addDH(addDH(tb8, tb6), tb4), tb2), widenH(loadHigh(x[n - 8]))), offset));
        storeLow(scratch.y[n], ya);
        storeHigh(scratch.y[n], yb);
        if ((n & 7) == 7) groupDone(n - 7);
        a8 = a7;
        a7 = a6;
        a6 = a5;
        a5 = a4;
        a4 = a3;
        a3 = a2;
        a2 = a1;
        a1 = ya;
        b8 = b7;
        b7 = b6;
        b6 = b5;
        b5 = b4;
        b4 = b3;
        b3 = b2;
        b2 = b1;
        b1 = yb;
    }
    const VH a[8] = {a8, a7, a6, a5, a4, a3, a2, a1}, b[8] = {b8, b7, b6, b5, b4, b3, b2, b1};
    for (int k = 0; k < kOutputRows; ++k)
    {
        storeLow(state.y[k], a[k]);
        storeHigh(state.y[k], b[k]);
    }
}

/// The recursion over one pass, one row of every lane per frame:
///   y[n] = c8 (u[n-1] - y[n-8]) + c6 (u[n-3] - y[n-6]) + c4 (u[n-5] - y[n-4])
///          + c2 (u[n-7] - y[n-2]) + u[n-9] + 1e-25, summed in that order,
/// where u[n] = x[n] on path A lanes and x[n+1] on path B lanes,
/// in single precision for float passes. Double passes take the single-precision
/// differences widened (path B's newest term from the unrounded input), products and
/// sums in double, the output rounded to single. Frame n needs y[n-2] but not y[n-1], so
/// neighbouring frames overlap; `groupDone(n0)` runs once rows n0 .. n0+7 are stored, and
/// its work overlaps the recursion that follows.
template <class Sample, bool Split = false, class GroupDone>
SORVELT_INLINE void recurse(const phasekernels::Setup& setup, phasekernels::History& state,
                    phasekernels::Scratch& scratch, int frames, GroupDone groupDone)
{
    using namespace phasekernels;
    if constexpr (Split && sizeof(Sample) == sizeof(double))
    {
        recurseSplitDouble(setup, state, scratch, frames, groupDone);
        return;
    }
    VF h8 = loadF(state.y[0]), h7 = loadF(state.y[1]), h6 = loadF(state.y[2]), h5 = loadF(state.y[3]);
    VF h4 = loadF(state.y[4]), h3 = loadF(state.y[5]), h2 = loadF(state.y[6]), h1 = loadF(state.y[7]);
    const float(*x)[kLanes] = scratch.x + kInputRows;
    const VF isB = loadMaskF(setup.isB);
    for (int n = 0; n < frames; ++n)
    {
        // Path B lanes take the rows one frame later: off the recursion's critical path.
        const auto pick = [&](int newer) {
            if constexpr (Split)
                return selectHigh(loadF(x[newer]), loadF(x[newer - 1]));
            else
                return selectF(isB, loadF(x[newer]), loadF(x[newer - 1]));
        };
        const VF u1 = pick(n), u3 = pick(n - 2), u5 = pick(n - 4), u7 = pick(n - 6), u9 = pick(n - 8);
        VF y;
        if constexpr (sizeof(Sample) == sizeof(float))
        {
            const VF t8 = mulF(loadF(setup.c[0]), subF(u1, h8));
            const VF t6 = mulF(loadF(setup.c[1]), subF(u3, h6));
            const VF t4 = mulF(loadF(setup.c[2]), subF(u5, h4));
            const VF t2 = mulF(loadF(setup.c[3]), subF(u7, h2));
            y = addF(addF(addF(addF(addF(t8, t6), t4), t2), u9), splatF(1e-25f));
        }
        else
        {
            const VD d8a = widen(subF(u1, h8));
            const VD d8b = subD(loadD(scratch.now[n]), widen(h8));
            const VD t8 = mulD(loadD(setup.cd[0]), selectD(loadMaskD(setup.isBd), d8b, d8a));
            const VD t6 = mulD(loadD(setup.cd[1]), widen(subF(u3, h6)));
            const VD t4 = mulD(loadD(setup.cd[2]), widen(subF(u5, h4)));
            const VD t2 = mulD(loadD(setup.cd[3]), widen(subF(u7, h2)));
            y = narrow(addD(addD(addD(addD(addD(t8, t6), t4), t2), widen(u9)),
                            splatD(static_cast<double>(1e-25f))));
        }
        storeF(scratch.y[n], y);
        if ((n & 7) == 7) groupDone(n - 7);
        h8 = h7;
        h7 = h6;
        h6 = h5;
        h5 = h4;
        h4 = h3;
        h3 = h2;
        h2 = h1;
        h1 = y;
    }
    storeF(state.y[0], h8);
    storeF(state.y[1], h7);
    storeF(state.y[2], h6);
    storeF(state.y[3], h5);
    storeF(state.y[4], h4);
    storeF(state.y[5], h3);
    storeF(state.y[6], h2);
    storeF(state.y[7], h1);
}

/// Rows n0 .. n0+7 of the pass's outputs, turned into eight samples of each lane.
struct EightFrames
{
    VF lane[8];
};

SORVELT_INLINE EightFrames loadEightFrames(const phasekernels::Scratch& scratch, int n0)
{
    EightFrames f{{loadF(scratch.y[n0]), loadF(scratch.y[n0 + 1]), loadF(scratch.y[n0 + 2]),
                   loadF(scratch.y[n0 + 3]), loadF(scratch.y[n0 + 4]), loadF(scratch.y[n0 + 5]),
                   loadF(scratch.y[n0 + 6]), loadF(scratch.y[n0 + 7])}};
    transpose8(f.lane[0], f.lane[1], f.lane[2], f.lane[3], f.lane[4], f.lane[5], f.lane[6], f.lane[7]);
    return f;
}

template <class Sample>
inline void filterPass(const phasekernels::Setup& setup, phasekernels::History& state,
                       phasekernels::Scratch& scratch, const Sample* const* in, float* const* out, int frames)
{
    stageInputs(setup, state, scratch, in, frames);
    // Outputs go out eight frames at a time while the recursion runs on.
    recurse<Sample>(setup, state, scratch, frames, [&](int n0) {
        const EightFrames f = loadEightFrames(scratch, n0);
        for (int l = 0; l < setup.lanes; ++l)
            storeUF(out[l] + n0, f.lane[l]);
    });
    for (int l = 0; l < setup.lanes; ++l)
        for (int n = frames & ~7; n < frames; ++n)
            out[l][n] = scratch.y[n][l];
}

inline void filterSingle(const phasekernels::Setup& setup, phasekernels::History& state,
                         phasekernels::Scratch& scratch, const float* const* in, float* const* out, int frames)
{
    filterPass(setup, state, scratch, in, out, frames);
}

inline void filterDouble(const phasekernels::Setup& setup, phasekernels::History& state,
                         phasekernels::Scratch& scratch, const double* const* in, float* const* out, int frames)
{
    filterPass(setup, state, scratch, in, out, frames);
}

/// L, R, T, Q of eight frames before the gain.
struct Mixed
{
    VF l, r, t, q;
};

/// One image of a positioned source: S, D, T, Q summed in double, rounded to single.
SORVELT_INLINE void mixImage(const phasekernels::UhjGains& g, int i, const VD& a, const VD& b, VF& s, VF& d, VF& t, VF& q)
{
    s = narrow(addD(mulD(splatD(0.9397), a), mulD(splatD(g.s[i]), a)));
    d = narrow(addD(addD(mulD(splatD(-0.342), b), mulD(splatD(g.db[i]), b)), mulD(splatD(g.da[i]), a)));
    t = narrow(subD(addD(mulD(splatD(-0.1432), b), mulD(splatD(g.tb[i]), b)), mulD(splatD(g.ta[i]), a)));
    q = narrow(mulD(splatD(g.q), a));
}

/// The encoder's mix of y0A y1A y2A y3A y0B y1B (lanes 0..5) for eight frames.
SORVELT_INLINE Mixed mixEight(const phasekernels::UhjGains& g, const EightFrames& f)
{
    const VF half = splatF(0.5f);
    VF S, D, T, Q;
    if (g.format == 2)
    {
        // B-Format W, X, Y, Z as it comes.
        const VD w = widen(f.lane[0]), wj = widen(f.lane[4]), x = widen(f.lane[1]), xj = widen(f.lane[5]);
        const VD y = widen(f.lane[2]), z = widen(f.lane[3]);
        S = narrow(addD(mulD(splatD(0.9397), w), mulD(splatD(0.1856), x)));
        D = narrow(addD(addD(mulD(splatD(-0.342), wj), mulD(splatD(0.5099), xj)), mulD(splatD(0.6555), y)));
        T = narrow(subD(addD(mulD(splatD(-0.1432), wj), mulD(splatD(0.6512), xj)), mulD(splatD(0.7071), y)));
        Q = narrow(mulD(splatD(0.9772), z));
    }
    else
    {
        // Mono takes channel 0 for both images, Stereo channel 1 for the second.
        const int second = g.format == 0 ? 0 : 1;
        VF s0, d0, t0, q0, s1, d1, t1, q1;
        mixImage(g, 0, widen(f.lane[0]), widen(f.lane[4]), s0, d0, t0, q0);
        mixImage(g, 1, widen(f.lane[second]), widen(f.lane[second + 4]), s1, d1, t1, q1);
        S = mulF(half, addF(s0, s1));
        D = mulF(half, addF(d0, d1));
        T = mulF(half, addF(t0, t1));
        Q = mulF(half, addF(q0, q1));
    }
    return {mulF(half, addF(S, D)), mulF(half, subF(S, D)), T, Q};
}

/// A parameter another thread may be writing: a relaxed atomic load, never a library call.
SORVELT_INLINE float loadRelaxed(const float* p)
{
    float v;
    __atomic_load(p, &v, __ATOMIC_RELAXED);
    return v;
}

/// Eight frames of the four outputs. The gain is read afresh for every sample; where it
/// might lie in an output buffer, each read follows the previous sample's writes.
template <class Sample>
SORVELT_INLINE void writeMixed(const Mixed& m, Sample* const* out, int n0, int count, const float* gain,
                       bool gainInOutputs)
{
    if (count == 8 && !gainInOutputs)
    {
        const float g0 = loadRelaxed(gain), g1 = loadRelaxed(gain), g2 = loadRelaxed(gain),
                    g3 = loadRelaxed(gain), g4 = loadRelaxed(gain), g5 = loadRelaxed(gain),
                    g6 = loadRelaxed(gain), g7 = loadRelaxed(gain);
        const VF gains = setF(g0, g1, g2, g3, g4, g5, g6, g7);
        storeOutput(out[0] + n0, mulF(m.l, gains));
        storeOutput(out[1] + n0, mulF(m.r, gains));
        storeOutput(out[2] + n0, mulF(m.t, gains));
        storeOutput(out[3] + n0, mulF(m.q, gains));
        return;
    }
    alignas(32) float v[4][8];
    storeF(v[0], m.l);
    storeF(v[1], m.r);
    storeF(v[2], m.t);
    storeF(v[3], m.q);
    for (int k = 0; k < count; ++k)
    {
        const float g = loadRelaxed(gain);
        for (int c = 0; c < 4; ++c)
            out[c][n0 + k] = static_cast<Sample>(v[c][k] * g);
    }
}

/// The encoder's pass: lanes 0..5 are F0 F2 F4 F5 F1 F3, on inputs 0, 1, 2, 3, 0, 1. The mix and the
/// outputs of each eight frames run while the recursion works on the next eight.
template <class Sample>
inline void encodePass(const phasekernels::Setup& setup, phasekernels::History& state,
                       phasekernels::Scratch& scratch, const Sample* const* in, Sample* const* out, int frames,
                       const phasekernels::UhjGains& gains, const float* gain, bool gainInOutputs)
{
    alignas(32) static constexpr Sample kSilence[phasekernels::kChunk] = {};
    const Sample* lanes[8] = {in[0], in[1], in[2], in[3], in[0], in[1], kSilence, kSilence};
    stageInputs<Sample, true>(setup, state, scratch, lanes, frames);
    recurse<Sample, true>(setup, state, scratch, frames, [&](int n0) {
        if (n0 >= 8)
            writeMixed(mixEight(gains, loadEightFrames(scratch, n0 - 8)), out, n0 - 8, 8, gain, gainInOutputs);
    });
    // The groups still to mix: the last whole one, and the frames after it. Rows past
    // the pass hold older values; they are mixed but never written out.
    const int whole = frames & ~7;
    if (whole >= 8)
        writeMixed(mixEight(gains, loadEightFrames(scratch, whole - 8)), out, whole - 8, 8, gain, gainInOutputs);
    if (whole < frames)
        writeMixed(mixEight(gains, loadEightFrames(scratch, whole)), out, whole, frames - whole, gain,
                   gainInOutputs);
}

inline void encodeSingle(const phasekernels::Setup& setup, phasekernels::History& state,
                         phasekernels::Scratch& scratch, const float* const* in, float* const* out, int frames,
                         const phasekernels::UhjGains& gains, const float* gain, bool gainInOutputs)
{
    encodePass(setup, state, scratch, in, out, frames, gains, gain, gainInOutputs);
}

inline void encodeDouble(const phasekernels::Setup& setup, phasekernels::History& state,
                         phasekernels::Scratch& scratch, const double* const* in, double* const* out, int frames,
                         const phasekernels::UhjGains& gains, const float* gain, bool gainInOutputs)
{
    encodePass(setup, state, scratch, in, out, frames, gains, gain, gainInOutputs);
}

/// x - x is zero for every finite x and NaN for an infinity or a NaN.
SORVELT_INLINE VF rowCheck(const float* row)
{
    const VF v = loadF(row);
    return subF(v, v);
}

/// Whether the history holds an infinity or a NaN: the sums of the row checks keep a NaN.
inline bool nonFinite(const phasekernels::History& state)
{
    VF a = rowCheck(state.x[0]), b = rowCheck(state.x[1]), c = rowCheck(state.x[2]), d = rowCheck(state.x[3]);
    for (int r = 4; r + 4 <= phasekernels::kInputRows; r += 4)
    {
        a = addF(a, rowCheck(state.x[r]));
        b = addF(b, rowCheck(state.x[r + 1]));
        c = addF(c, rowCheck(state.x[r + 2]));
        d = addF(d, rowCheck(state.x[r + 3]));
    }
    a = addF(a, rowCheck(state.x[phasekernels::kInputRows - 1]));
    for (int r = 0; r < phasekernels::kOutputRows; r += 4)
    {
        a = addF(a, rowCheck(state.y[r]));
        b = addF(b, rowCheck(state.y[r + 1]));
        c = addF(c, rowCheck(state.y[r + 2]));
        d = addF(d, rowCheck(state.y[r + 3]));
    }
    return anyNaN(addF(addF(a, b), addF(c, d)));
}

constexpr phasekernels::Table kTable{&filterSingle, &filterDouble, &encodeSingle, &encodeDouble, &nonFinite};

#undef SORVELT_INLINE
