// The phase network's passes, written once over an eight-lane vector type. Each
// instruction set's file includes this inside its own namespace after defining
//   VF (eight floats), VD (eight doubles) and the operations used below,
// so every copy is a distinct function and none can stand in for another at link time.
// No library call may appear here: in the wider files it would be built for the wider set.

/// Rows -9 .. frames-1 of u, and the new input histories, for one pass.
template <class Sample>
inline void stageInputs(const phasekernels::Setup& setup, phasekernels::History& state,
                        phasekernels::Scratch& scratch, const Sample* const* in, int frames)
{
    using namespace phasekernels;
    for (int l = 0; l < kLanes; ++l)
    {
        const int s = setup.shift[l];
        const Sample* x = in[l];
        // Row r holds x[r + s]; history rows cover r + s < 0, the block the rest. The
        // last row of a path B lane would be the next pass's first sample: no frame reads it.
        for (int r = -kInputRows; r < frames; ++r)
        {
            const int i = r + s;
            scratch.u[r + kInputRows][l] =
                i < 0 ? state.x[i + kInputRows][l] : (i < frames ? static_cast<float>(x[i]) : 0.0f);
        }
    }
    // The new histories: the last nine inputs, older ones from before the pass if it is short.
    float next[kInputRows][kLanes];
    for (int l = 0; l < kLanes; ++l)
        for (int k = 0; k < kInputRows; ++k)
        {
            const int i = frames - kInputRows + k;
            next[k][l] = i < 0 ? state.x[i + kInputRows][l] : static_cast<float>(in[l][i]);
        }
    for (int k = 0; k < kInputRows; ++k)
        for (int l = 0; l < kLanes; ++l)
            state.x[k][l] = next[k][l];
}

/// Copies the pass's outputs to the callers' buffers, after every input was read.
inline void writeOutputs(const phasekernels::Setup& setup, const phasekernels::Scratch& scratch,
                         float* const* out, int frames)
{
    for (int l = 0; l < setup.lanes; ++l)
    {
        float* y = out[l];
        for (int n = 0; n < frames; ++n)
            y[n] = scratch.y[n][l];
    }
}

/// y[n] = c8 (u[n-1] - y[n-8]) + c6 (u[n-3] - y[n-6]) + c4 (u[n-5] - y[n-4])
///        + c2 (u[n-7] - y[n-2]) + u[n-9] + 1e-25, summed in that order.
/// The recursion at n needs y[n-2] but not y[n-1]: two neighbouring frames overlap.
inline void filterSingle(const phasekernels::Setup& setup, phasekernels::History& state,
                         phasekernels::Scratch& scratch, const float* const* in, float* const* out, int frames)
{
    using namespace phasekernels;
    stageInputs(setup, state, scratch, in, frames);
    const VF c8 = loadF(setup.c[0]), c6 = loadF(setup.c[1]), c4 = loadF(setup.c[2]), c2 = loadF(setup.c[3]);
    const VF offset = splatF(1e-25f);
    VF h8 = loadF(state.y[0]), h7 = loadF(state.y[1]), h6 = loadF(state.y[2]), h5 = loadF(state.y[3]);
    VF h4 = loadF(state.y[4]), h3 = loadF(state.y[5]), h2 = loadF(state.y[6]), h1 = loadF(state.y[7]);
    const float(*u)[kLanes] = scratch.u + kInputRows; // u[n] is row n
    for (int n = 0; n < frames; ++n)
    {
        const VF t8 = mulF(c8, subF(loadF(u[n - 1]), h8));
        const VF t6 = mulF(c6, subF(loadF(u[n - 3]), h6));
        const VF t4 = mulF(c4, subF(loadF(u[n - 5]), h4));
        const VF t2 = mulF(c2, subF(loadF(u[n - 7]), h2));
        const VF y = addF(addF(addF(addF(addF(t8, t6), t4), t2), loadF(u[n - 9])), offset);
        storeF(scratch.y[n], y);
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
    writeOutputs(setup, scratch, out, frames);
}

/// The double callback's arithmetic: single-precision differences widened, except path
/// B's newest term, which takes the unrounded input; products and sums in double.
inline void filterDouble(const phasekernels::Setup& setup, phasekernels::History& state,
                         phasekernels::Scratch& scratch, const double* const* in, float* const* out, int frames)
{
    using namespace phasekernels;
    stageInputs(setup, state, scratch, in, frames);
    for (int l = 0; l < setup.lanes; ++l)
        if (setup.shift[l])
            for (int n = 0; n < frames; ++n)
                scratch.now[n][l] = in[l][n];
    const VD c8 = loadD(setup.cd[0]), c6 = loadD(setup.cd[1]), c4 = loadD(setup.cd[2]), c2 = loadD(setup.cd[3]);
    const VD isB = loadMaskD(setup.isB);
    const VD offset = splatD(static_cast<double>(1e-25f));
    VF h8 = loadF(state.y[0]), h7 = loadF(state.y[1]), h6 = loadF(state.y[2]), h5 = loadF(state.y[3]);
    VF h4 = loadF(state.y[4]), h3 = loadF(state.y[5]), h2 = loadF(state.y[6]), h1 = loadF(state.y[7]);
    const float(*u)[kLanes] = scratch.u + kInputRows;
    for (int n = 0; n < frames; ++n)
    {
        const VD d8a = widen(subF(loadF(u[n - 1]), h8));
        const VD d8b = subD(loadD(scratch.now[n]), widen(h8));
        const VD t8 = mulD(c8, selectD(isB, d8b, d8a));
        const VD t6 = mulD(c6, widen(subF(loadF(u[n - 3]), h6)));
        const VD t4 = mulD(c4, widen(subF(loadF(u[n - 5]), h4)));
        const VD t2 = mulD(c2, widen(subF(loadF(u[n - 7]), h2)));
        const VF y = narrow(addD(addD(addD(addD(addD(t8, t6), t4), t2), widen(loadF(u[n - 9]))), offset));
        storeF(scratch.y[n], y);
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
    writeOutputs(setup, scratch, out, frames);
}
