// The phase network's passes and the encoder's fused pass, written once over an
// eight-lane vector type. Each instruction set's file includes this inside its own
// namespace after defining VF (eight floats), VD (eight doubles) and the operations used
// below, so every copy is a distinct function and none can stand in for another at link
// time. No library call may appear here: in the wider files it would be built for the
// wider set, and the linker could hand that copy to any caller.

#define SORVELT_INLINE [[gnu::always_inline]] inline

/// Eight lane vectors turned into eight frame rows and stored.
SORVELT_INLINE void storeTransposed(VF a, VF b, VF c, VF d, VF e, VF f, VF g, VF h, float (*dst)[8])
{
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

/// Eight rows, one 8-sample load per lane, turned so each row is one frame of every lane.
template <class Sample> SORVELT_INLINE void stageEightRows(const Sample* const* in, int r, float (*dst)[8])
{
    VF a = loadInput(in[0] + r), b = loadInput(in[1] + r), c = loadInput(in[2] + r), d = loadInput(in[3] + r);
    VF e = loadInput(in[4] + r), f = loadInput(in[5] + r), g = loadInput(in[6] + r), h = loadInput(in[7] + r);
    storeTransposed(a, b, c, d, e, f, g, h, dst);
}

/// The encoder's eight rows r .. r+7: path A lanes 0-3 take inputs 0-3 at the row's
/// frame, path B lanes 4 and 5 take inputs 0 and 1 one frame later (the current input
/// path B needs is then a row of the past), lanes 6 and 7 silence. `last` says frame
/// r+8 lies past the pass: path B's final row then repeats its previous one, which the
/// recursion never reads.
template <class Sample>
SORVELT_INLINE void stageEightEncoderRows(const Sample* const* in, int r, bool last, float (*dst)[8])
{
    VF a = loadInput(in[0] + r), b = loadInput(in[1] + r), c = loadInput(in[2] + r), d = loadInput(in[3] + r);
    VF e = last ? shiftDown(a) : loadInput(in[0] + r + 1), f = last ? shiftDown(b) : loadInput(in[1] + r + 1);
    VF g = splatF(0.0f), h = splatF(0.0f);
    storeTransposed(a, b, c, d, e, f, g, h, dst);
}

/// x - x is zero for every finite x and NaN for an infinity or a NaN.
SORVELT_INLINE VF finiteCheck(VF v)
{
    return subF(v, v);
}

/// The encoder's rows -9 .. frames-1 (see stageEightEncoderRows) and its new input
/// histories, which stay in time order: path B's half of the history is its row a frame
/// earlier. Every input of the pass is read here, before any output is written. Returns
/// the sum of the new histories' row checks (see finiteCheck), taken while they are in
/// registers.
template <class Sample>
SORVELT_INLINE VF stageEncoderInputs(phasekernels::History& state, phasekernels::Scratch& scratch,
                                       const Sample* const* in, int frames)
{
    using namespace phasekernels;
    float(*x)[kLanes] = scratch.x + kInputRows; // x[r] is row r
    for (int r = 0; r < kInputRows; ++r)
    {
        storeLow(x[r - kInputRows], loadLow(state.x[r]));
        if (r + 1 < kInputRows) storeHigh(x[r - kInputRows], loadHigh(state.x[r + 1]));
    }
    x[-1][4] = static_cast<float>(in[0][0]);
    x[-1][5] = static_cast<float>(in[1][0]);
    x[-1][6] = x[-1][7] = 0.0f;
    if (frames >= 8)
    {
        for (int r = 0; r + 8 <= frames; r += 8)
            stageEightEncoderRows(in, r, r + 8 == frames, x + r);
        // The last eight rows again where the pass is not a multiple of eight long.
        if (frames & 7) stageEightEncoderRows(in, frames - 8, true, x + frames - 8);
    }
    else
    {
        for (int r = 0; r < frames; ++r)
        {
            for (int c = 0; c < 4; ++c)
                x[r][c] = static_cast<float>(in[c][r]);
            const int next = r + 1 < frames ? r + 1 : r;
            x[r][4] = static_cast<float>(in[0][next]);
            x[r][5] = static_cast<float>(in[1][next]);
            x[r][6] = x[r][7] = 0.0f;
        }
    }
    VF check = splatF(0.0f);
    for (int r = 0; r < kInputRows; ++r)
    {
        const VF row = joinF(loadLow(x[frames - kInputRows + r]), loadHigh(x[frames - kInputRows - 1 + r]));
        storeF(state.x[r], row);
        check = addF(check, finiteCheck(row));
    }
    if constexpr (sizeof(Sample) == sizeof(double))
    {
        // Path B's rows of their own (see Scratch), two at a time, and its current input
        // unrounded for the newest term.
        float(*xb)[2] = scratch.xb + kInputRows;
        int r = -kInputRows;
#pragma GCC unroll 4
        for (; r + 1 < frames; r += 2)
            storeLow(xb[r], joinLowPairs(loadHigh(x[r]), loadHigh(x[r + 1])));
        // Row `frames` is not staged yet: the last pair repeats its row, never read.
        if (r < frames) storeLow(xb[r], joinLowPairs(loadHigh(x[r]), loadHigh(x[r])));
        int n = 0;
        for (; n + 4 <= frames; n += 4)
            interleaveFour(in[0] + n, in[1] + n, scratch.nowb + n);
        for (; n < frames; ++n)
        {
            scratch.nowb[n][0] = in[0][n];
            scratch.nowb[n][1] = in[1][n];
        }
    }
    return check;
}

/// Rows -9 .. frames-1 of x, one frame of every lane each, rounded to single, and the new
/// input histories. Every input of the pass is read here, before any output is written.
template <class Sample>
SORVELT_INLINE void stageInputs(const phasekernels::Setup& setup, phasekernels::History& state,
                                phasekernels::Scratch& scratch, const Sample* const* in, int frames)
{
    const auto stageEight = [&](int r, float(*dst)[8]) { stageEightRows(in, r, dst); };
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

/// The recursion over one pass, one row of every lane per frame:
///   y[n] = c8 (u[n-1] - y[n-8]) + c6 (u[n-3] - y[n-6]) + c4 (u[n-5] - y[n-4])
///          + c2 (u[n-7] - y[n-2]) + u[n-9] + 1e-25, summed in that order,
/// where u[n] = x[n] on path A lanes and x[n+1] on path B lanes, in single precision
/// for float passes. Double passes take the single-precision differences widened (path
/// B's newest term from the unrounded input), products and sums in double, the output
/// rounded to single. Frame n needs y[n-2] but not y[n-1], so
/// neighbouring frames overlap; `groupDone(n0)` runs once rows n0 .. n0+7 are stored, and
/// its work overlaps the recursion that follows.
template <class Sample, class GroupDone>
SORVELT_INLINE void recurse(const phasekernels::Setup& setup, phasekernels::History& state,
                    phasekernels::Scratch& scratch, int frames, GroupDone groupDone)
{
    using namespace phasekernels;
    VF h8 = loadF(state.y[0]), h7 = loadF(state.y[1]), h6 = loadF(state.y[2]), h5 = loadF(state.y[3]);
    VF h4 = loadF(state.y[4]), h3 = loadF(state.y[5]), h2 = loadF(state.y[6]), h1 = loadF(state.y[7]);
    const float(*x)[kLanes] = scratch.x + kInputRows;
    const VF isB = loadMaskF(setup.isB);
    for (int n = 0; n < frames; ++n)
    {
        // Path B lanes take the rows one frame later: off the recursion's critical path.
        const auto pick = [&](int newer) { return selectF(isB, loadF(x[newer]), loadF(x[newer - 1])); };
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

// The encoder's pass. Its lanes are F0 F2 F4 F5 (path A on inputs 0-3) in the low half
// and F1 F3 (path B on inputs 0 and 1) in the high half; its output rows y[-8] .. y[frames-1]
// sit in scratch.y, the history first. The recursion keeps only y[n-1] and y[n-2] in
// registers and reads the older rows back, so the mix of four frames can run between
// the frames of the recursion without pushing its history out of the registers.

/// One frame of the single-precision recursion (see recurse()) on the encoder's rows.
SORVELT_INLINE void encoderStepSingle(const phasekernels::Setup& setup, const float (*x)[8], float (*y)[8], int n,
                                      VF& y1, VF& y2)
{
    const VF t8 = mulF(loadF(setup.c[0]), subF(loadF(x[n - 1]), loadF(y[n - 8])));
    const VF t6 = mulF(loadF(setup.c[1]), subF(loadF(x[n - 3]), loadF(y[n - 6])));
    const VF t4 = mulF(loadF(setup.c[2]), subF(loadF(x[n - 5]), loadF(y[n - 4])));
    const VF t2 = mulF(loadF(setup.c[3]), subF(loadF(x[n - 7]), y2));
    const VF now = addF(addF(addF(addF(addF(t8, t6), t4), t2), loadF(x[n - 9])), splatF(1e-25f));
    storeF(y[n], now);
    y2 = y1;
    y1 = now;
}

/// One frame of the double-precision recursion of the encoder's path A lanes (0-3):
/// single-precision differences widened, products and sums in double, the output
/// rounded to single.
SORVELT_INLINE void encoderStepDoubleA(const phasekernels::Setup& setup, const float (*x)[8], float (*y)[8], int n,
                                       VH& a1, VH& a2)
{
    const VDH offset = splatDH(static_cast<double>(1e-25f));
    const VDH ta8 = mulDH(loadDH(setup.cd[0]), widenH(subH(loadLow(x[n - 1]), loadLow(y[n - 8]))));
    const VDH ta6 = mulDH(loadDH(setup.cd[1]), widenH(subH(loadLow(x[n - 3]), loadLow(y[n - 6]))));
    const VDH ta4 = mulDH(loadDH(setup.cd[2]), widenH(subH(loadLow(x[n - 5]), loadLow(y[n - 4]))));
    const VDH ta2 = mulDH(loadDH(setup.cd[3]), widenH(subH(loadLow(x[n - 7]), a2)));
    const VH a =
        narrowH(addDH(addDH(addDH(addDH(addDH(ta8, ta6), ta4), ta2), widenH(loadLow(x[n - 9]))), offset));
    storeLow(y[n], a);
    a2 = a1;
    a1 = a;
}

/// Frames n and n+1 of the encoder's path B lanes (4 and 5) in double: the two frames
/// do not depend on each other, so one vector holds both. The newest term takes the
/// unrounded input; `c` holds each coefficient for lanes 4, 5, 4, 5.
SORVELT_INLINE void encoderStepDoubleB(const double (*c)[4], const phasekernels::Scratch& scratch,
                                       const float (*xb)[2], float (*yb)[2], int n, VH& b2)
{
    const VDH offset = splatDH(static_cast<double>(1e-25f));
    const VDH tb8 = mulDH(loadDH(c[0]), subDH(loadDH(scratch.nowb[n]), widenH(loadLow(yb[n - 8]))));
    const VDH tb6 = mulDH(loadDH(c[1]), widenH(subH(loadUH(xb[n - 3]), loadLow(yb[n - 6]))));
    const VDH tb4 = mulDH(loadDH(c[2]), widenH(subH(loadUH(xb[n - 5]), loadLow(yb[n - 4]))));
    const VDH tb2 = mulDH(loadDH(c[3]), widenH(subH(loadUH(xb[n - 7]), b2)));
    const VH b =
        narrowH(addDH(addDH(addDH(addDH(addDH(tb8, tb6), tb4), tb2), widenH(loadUH(xb[n - 9]))), offset));
    storeLow(yb[n], b);
    b2 = b;
}

/// Rows n0 .. n0+3 of the encoder's outputs, turned into four samples of each lane.
struct FourFrames
{
    VH lane[8];
};

SORVELT_INLINE FourFrames loadFourFrames(const float (*y)[8], int n0)
{
    FourFrames f{{loadLow(y[n0]), loadLow(y[n0 + 1]), loadLow(y[n0 + 2]), loadLow(y[n0 + 3]), loadHigh(y[n0]),
                  loadHigh(y[n0 + 1]), loadHigh(y[n0 + 2]), loadHigh(y[n0 + 3])}};
    transpose4(f.lane[0], f.lane[1], f.lane[2], f.lane[3]);
    transpose4(f.lane[4], f.lane[5], f.lane[6], f.lane[7]);
    return f;
}

/// The same where path B's lanes 4 and 5 have rows of their own (lanes 6 and 7 unused).
SORVELT_INLINE FourFrames loadFourFrames(const float (*y)[8], const float (*yb)[2], int n0)
{
    FourFrames f{{loadLow(y[n0]), loadLow(y[n0 + 1]), loadLow(y[n0 + 2]), loadLow(y[n0 + 3])}};
    transpose4(f.lane[0], f.lane[1], f.lane[2], f.lane[3]);
    deinterleave(loadLow(yb[n0]), loadLow(yb[n0 + 2]), f.lane[4], f.lane[5]);
    f.lane[6] = f.lane[7] = f.lane[4];
    return f;
}

/// One image of a positioned source: S, D, T, Q summed in double, rounded to single.
SORVELT_INLINE void mixImage(const phasekernels::UhjGains& g, int i, VDH a, VDH b, VH& s, VH& d, VH& t, VH& q)
{
    const phasekernels::UhjGains::Wide& w = g.wide;
    s = narrowH(addDH(mulDH(splatDH(0.9397), a), mulDH(loadDH(w.s[i]), a)));
    d = narrowH(addDH(addDH(mulDH(splatDH(-0.342), b), mulDH(loadDH(w.db[i]), b)), mulDH(loadDH(w.da[i]), a)));
    t = narrowH(subDH(addDH(mulDH(splatDH(-0.1432), b), mulDH(loadDH(w.tb[i]), b)), mulDH(loadDH(w.ta[i]), a)));
    q = narrowH(mulDH(loadDH(w.q), a));
}

/// The rounded parts of the encoder's mix of y0A y1A y2A y3A y0B y1B (lanes 0..5) for
/// four frames; `Format` is the block's format index. B-Format gives S, D, T, Q in
/// parts 0-3; Mono and Stereo give each image's s, d, t, q in parts 0-3 and 4-7.
template <int Format> SORVELT_INLINE void mixParts(const phasekernels::UhjGains& g, const FourFrames& f, VH (&p)[8])
{
    if constexpr (Format == 2)
    {
        // B-Format W, X, Y, Z as it comes.
        const VDH w = widenH(f.lane[0]), wj = widenH(f.lane[4]), x = widenH(f.lane[1]), xj = widenH(f.lane[5]);
        const VDH y = widenH(f.lane[2]), z = widenH(f.lane[3]);
        p[0] = narrowH(addDH(mulDH(splatDH(0.9397), w), mulDH(splatDH(0.1856), x)));
        p[1] = narrowH(addDH(addDH(mulDH(splatDH(-0.342), wj), mulDH(splatDH(0.5099), xj)), mulDH(splatDH(0.6555), y)));
        p[2] = narrowH(subDH(addDH(mulDH(splatDH(-0.1432), wj), mulDH(splatDH(0.6512), xj)), mulDH(splatDH(0.7071), y)));
        p[3] = narrowH(mulDH(splatDH(0.9772), z));
    }
    else
    {
        // Mono takes channel 0 for both images, Stereo channel 1 for the second.
        constexpr int second = Format == 0 ? 0 : 1;
        mixImage(g, 0, widenH(f.lane[0]), widenH(f.lane[4]), p[0], p[1], p[2], p[3]);
        mixImage(g, 1, widenH(f.lane[second]), widenH(f.lane[second + 4]), p[4], p[5], p[6], p[7]);
    }
}

/// L, R, T, Q of eight frames before the gain.
struct MixedEight
{
    VF l, r, t, q;
};

/// The same mix for eight frames: the double-precision parts four frames at a time, the
/// single-precision sums after them on all eight at once.
template <int Format>
SORVELT_INLINE MixedEight mixEight(const phasekernels::UhjGains& g, const FourFrames& f0, const FourFrames& f1)
{
    const VF half = splatF(0.5f);
    VF S, D, T, Q;
    if constexpr (Format == 2)
    {
        VH p0[8], p1[8];
        mixParts<Format>(g, f0, p0);
        mixParts<Format>(g, f1, p1);
        S = joinF(p0[0], p1[0]);
        D = joinF(p0[1], p1[1]);
        T = joinF(p0[2], p1[2]);
        Q = joinF(p0[3], p1[3]);
    }
    else
    {
        // One image at a time over all eight frames: fewer values wait in registers.
        const auto image = [&](int i, int lane, VF (&v)[4]) __attribute__((always_inline)) {
            VH a[4], b[4];
            mixImage(g, i, widenH(f0.lane[lane]), widenH(f0.lane[lane + 4]), a[0], a[1], a[2], a[3]);
            mixImage(g, i, widenH(f1.lane[lane]), widenH(f1.lane[lane + 4]), b[0], b[1], b[2], b[3]);
            for (int k = 0; k < 4; ++k)
                v[k] = joinF(a[k], b[k]);
        };
        // Mono takes channel 0 for both images, Stereo channel 1 for the second.
        VF i0[4], i1[4];
        image(0, 0, i0);
        image(1, Format == 0 ? 0 : 1, i1);
        S = mulF(half, addF(i0[0], i1[0]));
        D = mulF(half, addF(i0[1], i1[1]));
        T = mulF(half, addF(i0[2], i1[2]));
        Q = mulF(half, addF(i0[3], i1[3]));
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

/// Eight frames (or the `count` < 8 first ones) of the four outputs. The gain is read
/// afresh for every sample; where it might lie in an output buffer, each read follows
/// the previous sample's writes.
template <class Sample>
SORVELT_INLINE void writeMixedEight(const MixedEight& m, Sample* const* out, int n0, int count, const float* gain,
                                    bool gainInOutputs)
{
    if (count == 8 && !gainInOutputs)
    {
        const float g0 = loadRelaxed(gain), g1 = loadRelaxed(gain), g2 = loadRelaxed(gain), g3 = loadRelaxed(gain);
        const float g4 = loadRelaxed(gain), g5 = loadRelaxed(gain), g6 = loadRelaxed(gain), g7 = loadRelaxed(gain);
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

/// The groups a pass still has to mix once its recursion is done: the last whole one,
/// and the frames after it. Rows past the pass (never past the scratch: a pass is at most
/// kChunk, a multiple of eight, frames long) hold older values; they are mixed but never
/// written out.
template <class MixAndWrite> SORVELT_INLINE void mixLastGroups(int frames, MixAndWrite mixAndWrite)
{
    static_assert(phasekernels::kChunk % 8 == 0);
    const int whole = frames & ~7;
    if (whole >= 8) mixAndWrite(whole - 8, 8);
    if (whole < frames) mixAndWrite(whole, frames - whole);
}

/// The single-precision pass's last eight output rows kept as the history; returns
/// `check` with their row checks added.
SORVELT_INLINE VF keepOutputHistory(phasekernels::History& state, const float (*y)[8], int frames, VF check)
{
    for (int r = 0; r < phasekernels::kOutputRows; ++r)
    {
        const VF row = loadF(y[frames - phasekernels::kOutputRows + r]);
        storeF(state.y[r], row);
        check = addF(check, finiteCheck(row));
    }
    return check;
}

/// The encoder's pass for one format: the recursion four frames at a time, each group
/// followed by the mix and the outputs of the group before it, which overlap the
/// recursion's long chain of dependent sums. Returns whether the new history holds an
/// infinity or a NaN, checked as it is written.
template <class Sample, int Format>
inline bool encodeFormat(const phasekernels::Setup& setup, phasekernels::History& state,
                         phasekernels::Scratch& scratch, const Sample* const* in, Sample* const* out, int frames,
                         const phasekernels::UhjGains& gains, const float* gain, bool gainInOutputs)
{
    using namespace phasekernels;
    VF check = stageEncoderInputs(state, scratch, in, frames);
    const float(*x)[kLanes] = scratch.x + kInputRows;
    float(*y)[kLanes] = scratch.y + kOutputRows;
    for (int r = 0; r < kOutputRows; ++r)
        storeF(y[r - kOutputRows], loadF(state.y[r]));
    int n = 0;
    if constexpr (sizeof(Sample) == sizeof(float))
    {
        const auto mixAndWrite = [&](int n0, int count) __attribute__((always_inline)) {
            writeMixedEight(mixEight<Format>(gains, loadFourFrames(y, n0), loadFourFrames(y, n0 + 4)), out, n0,
                            count, gain, gainInOutputs);
        };
        VF y1 = loadF(y[-1]), y2 = loadF(y[-2]);
        for (; n + 8 <= frames; n += 8)
        {
#pragma GCC unroll 8
            for (int k = 0; k < 8; ++k)
                encoderStepSingle(setup, x, y, n + k, y1, y2);
            if (n >= 8) mixAndWrite(n - 8, 8);
        }
        for (; n < frames; ++n)
            encoderStepSingle(setup, x, y, n, y1, y2);
        mixLastGroups(frames, mixAndWrite);
        check = keepOutputHistory(state, y, frames, check);
    }
    else
    {
        const float(*xb)[2] = scratch.xb + kInputRows;
        float(*yb)[2] = scratch.yb + kOutputRows;
        alignas(32) double c[4][4];
        for (int k = 0; k < 4; ++k)
        {
            c[k][0] = c[k][2] = setup.cd[k][4];
            c[k][1] = c[k][3] = setup.cd[k][5];
        }
        for (int r = 0; r < kOutputRows; ++r)
        {
            yb[r - kOutputRows][0] = state.y[r][4];
            yb[r - kOutputRows][1] = state.y[r][5];
        }
        const auto mixAndWrite = [&](int n0, int count) __attribute__((always_inline)) {
            writeMixedEight(mixEight<Format>(gains, loadFourFrames(y, yb, n0), loadFourFrames(y, yb, n0 + 4)), out,
                            n0, count, gain, gainInOutputs);
        };
        VH a1 = loadLow(y[-1]), a2 = loadLow(y[-2]), b2 = loadLow(yb[-2]);
        for (; n + 8 <= frames; n += 8)
        {
#pragma GCC unroll 2
            for (int k = n; k < n + 8; k += 4)
            {
                encoderStepDoubleA(setup, x, y, k, a1, a2);
                encoderStepDoubleA(setup, x, y, k + 1, a1, a2);
                encoderStepDoubleB(c, scratch, xb, yb, k, b2);
                encoderStepDoubleA(setup, x, y, k + 2, a1, a2);
                encoderStepDoubleA(setup, x, y, k + 3, a1, a2);
                encoderStepDoubleB(c, scratch, xb, yb, k + 2, b2);
            }
            if (n >= 8) mixAndWrite(n - 8, 8);
        }
        // Path B by pairs: after an odd frame count its last pair reaches a frame past
        // the pass, into spare rows, never read.
        for (; n < frames; n += 2)
        {
            encoderStepDoubleA(setup, x, y, n, a1, a2);
            if (n + 1 < frames) encoderStepDoubleA(setup, x, y, n + 1, a1, a2);
            encoderStepDoubleB(c, scratch, xb, yb, n, b2);
        }
        mixLastGroups(frames, mixAndWrite);
        // Lanes 6 and 7 filter nothing here and keep their history, which only the single
        // pass writes: silence filtered from silence, always finite, so not checked here.
        for (int r = 0; r < kOutputRows; r += 2)
        {
            const VH a0 = loadLow(y[frames - kOutputRows + r]), a1 = loadLow(y[frames - kOutputRows + r + 1]);
            storeLow(state.y[r], a0);
            storeLow(state.y[r + 1], a1);
            state.y[r][4] = yb[frames - kOutputRows + r][0];
            state.y[r][5] = yb[frames - kOutputRows + r][1];
            state.y[r + 1][4] = yb[frames - kOutputRows + r + 1][0];
            state.y[r + 1][5] = yb[frames - kOutputRows + r + 1][1];
            check = addF(check, finiteCheck(joinF(a0, a1)));
        }
        // Path B's rows frames-8 .. frames-1, two at a time (rows of two values need not
        // be sixteen-byte aligned).
        for (int r = 0; r < kOutputRows; r += 4)
            check = addF(check, finiteCheck(joinF(loadUH(yb[frames - kOutputRows + r]),
                                                  loadUH(yb[frames - kOutputRows + r + 2]))));
    }
    return anyNaN(check);
}

/// The encoder's pass on lanes F0 F2 F4 F5 F1 F3 over inputs 0, 1, 2, 3, 0, 1.
template <class Sample>
inline bool encodePass(const phasekernels::Setup& setup, phasekernels::History& state,
                       phasekernels::Scratch& scratch, const Sample* const* in, Sample* const* out, int frames,
                       const phasekernels::UhjGains& gains, const float* gain, bool gainInOutputs)
{
    if (gains.format == 2)
        return encodeFormat<Sample, 2>(setup, state, scratch, in, out, frames, gains, gain, gainInOutputs);
    else if (gains.format == 1)
        return encodeFormat<Sample, 1>(setup, state, scratch, in, out, frames, gains, gain, gainInOutputs);
    else
        return encodeFormat<Sample, 0>(setup, state, scratch, in, out, frames, gains, gain, gainInOutputs);
}

inline bool encodeSingle(const phasekernels::Setup& setup, phasekernels::History& state,
                         phasekernels::Scratch& scratch, const float* const* in, float* const* out, int frames,
                         const phasekernels::UhjGains& gains, const float* gain, bool gainInOutputs)
{
    return encodePass(setup, state, scratch, in, out, frames, gains, gain, gainInOutputs);
}

inline bool encodeDouble(const phasekernels::Setup& setup, phasekernels::History& state,
                         phasekernels::Scratch& scratch, const double* const* in, double* const* out, int frames,
                         const phasekernels::UhjGains& gains, const float* gain, bool gainInOutputs)
{
    return encodePass(setup, state, scratch, in, out, frames, gains, gain, gainInOutputs);
}

SORVELT_INLINE VF rowCheck(const float* row)
{
    return finiteCheck(loadF(row));
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
