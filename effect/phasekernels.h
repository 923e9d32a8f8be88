// The phase network's inner loops, one set per instruction set, reached through a
// table of function pointers that each PhaseNetwork picks once, when it is built.
#pragma once

#include <cstdint>

namespace phasekernels
{

constexpr int kLanes = 8;
constexpr int kInputRows = 9;  ///< x[n-1] .. x[n-9]
constexpr int kOutputRows = 8; ///< y[n-1] .. y[n-8]
/// Frames per pass; a longer block is filtered in passes of this size.
constexpr int kChunk = 128;

/// Per-lane constants, fixed when the network is built.
struct Setup
{
    alignas(32) float c[4][kLanes];        ///< c8, c6, c4, c2 in single precision
    alignas(32) double cd[4][kLanes];      ///< the same in double precision
    alignas(32) std::uint64_t isB[kLanes]; ///< all ones on path B lanes
    int shift[kLanes];                     ///< 1 on path B lanes: they also take x[n]
    int lanes;
};

/// The filters' memory: one row per time step, oldest first, one column per lane.
struct History
{
    alignas(32) float x[kInputRows][kLanes];
    alignas(32) float y[kOutputRows][kLanes];
};

/// Working rows of one pass, one column per lane. Row r of `u` holds the value the
/// recursion calls u[r] = x[r + shift], rows -9 .. kChunk-1 (stored from index 0).
struct Scratch
{
    alignas(32) float u[kInputRows + kChunk][kLanes];
    alignas(32) double now[kChunk][kLanes]; ///< path B's current input, double callback
    alignas(32) float y[kChunk][kLanes];
};

/// One pass of at most kChunk frames. `in` has kLanes pointers (lanes past
/// setup.lanes read silence); `out` has setup.lanes pointers.
using SingleFilter = void (*)(const Setup& setup, History& state, Scratch& scratch, const float* const* in,
                              float* const* out, int frames);
using DoubleFilter = void (*)(const Setup& setup, History& state, Scratch& scratch, const double* const* in,
                              float* const* out, int frames);

struct Table
{
    SingleFilter filterSingle;
    DoubleFilter filterDouble;
};

/// Plain C++, any processor.
const Table& scalarTable();
/// Null where the compiler or the target has no such code.
const Table* sse2Table();
const Table* avx2Table();

} // namespace phasekernels
