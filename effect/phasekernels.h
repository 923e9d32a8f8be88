// The phase network's inner loops, one set per instruction set, reached through a
// table of function pointers that each PhaseNetwork picks once, when it is built.
#pragma once

#include <cstdint>

/// The instruction sets the engine has code for. Wider ones are used only when the
/// processor (and the operating system) supports them; every level gives the same bits.
enum class SimdLevel : std::uint8_t
{
    Scalar,
    Sse2,
    Avx2,
    Avx512
};

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
    alignas(32) float c[4][kLanes];         ///< c8, c6, c4, c2 in single precision
    alignas(32) double cd[4][kLanes];       ///< the same in double precision
    alignas(32) std::uint64_t isBd[kLanes]; ///< all ones on path B lanes (they also take x[n])
    alignas(32) std::uint32_t isB[kLanes];  ///< the same, one word per lane
    int lanes;
};

/// The filters' memory: one row per time step, oldest first, one column per lane.
struct History
{
    alignas(32) float x[kInputRows][kLanes];
    alignas(32) float y[kOutputRows][kLanes];
};

/// Working rows of one pass, one column per lane: rows -9 .. kChunk-1 of the inputs
/// (stored from index 0), and of the outputs rows 0 .. kChunk-1, or for the encoder
/// rows -8 .. kChunk-1 (stored from index 0).
struct Scratch
{
    // Odd rows of x and even rows of y start a 64-byte line: the AVX-512 encoder loads
    // them two at a time.
    alignas(64) float x[kInputRows + kChunk][kLanes];
    alignas(32) double now[kChunk][kLanes]; ///< path B's current input, double callback
    alignas(64) float y[kOutputRows + kChunk][kLanes];
    // The encoder's double callback runs its two path B lanes (4 and 5) two frames at a
    // time, so they get rows of their own, two values each.
    alignas(32) float xb[kInputRows + kChunk + 1][2];  ///< rows -9 .. kChunk, as in x
    alignas(32) float yb[kOutputRows + kChunk + 2][2]; ///< rows -8 .. kChunk+1
    alignas(32) double nowb[kChunk + 2][2];            ///< their current inputs, unrounded
};

/// One pass of at most kChunk frames. `in` has kLanes pointers (lanes past
/// setup.lanes read silence); `out` has setup.lanes pointers.
using SingleFilter = void (*)(const Setup& setup, History& state, Scratch& scratch, const float* const* in,
                              float* const* out, int frames);
using DoubleFilter = void (*)(const Setup& setup, History& state, Scratch& scratch, const double* const* in,
                              float* const* out, int frames);

/// The encoder's per-block panning gains and format index (0 Mono, 1 Stereo, 2 B-Format).
struct UhjGains
{
    double s[2], da[2], db[2], ta[2], tb[2];
    double q;
    int format;
    /// The same gains four times over, so the mix multiplies straight from memory
    /// instead of broadcasting each gain again for every four frames.
    struct Wide
    {
        alignas(32) double s[2][4];
        alignas(32) double da[2][4];
        alignas(32) double db[2][4];
        alignas(32) double ta[2][4];
        alignas(32) double tb[2][4];
        alignas(32) double q[4];
    } wide;
};

/// The encoder's pass (at most kChunk frames) on a network whose lanes are path A on
/// inputs 0, 1, 2, 3, then path B on inputs 0 and 1 (F0 F2 F4 F5 F1 F3). Filters, mixes with `gains`
/// and writes L, R, T, Q times the gain at `gain`, read for every sample. `gainInOutputs`
/// says the gain may lie in an output buffer: then each read follows the writes before it.
/// Returns whether the new history holds an infinity or a NaN (as NonFiniteCheck would),
/// checked while it is written.
template <class Sample>
using UhjEncode = bool (*)(const Setup& setup, History& state, Scratch& scratch, const Sample* const* in,
                           Sample* const* out, int frames, const UhjGains& gains, const float* gain,
                           bool gainInOutputs);

/// Whether any history value is an infinity or a NaN.
using NonFiniteCheck = bool (*)(const History& state);

/// The encoder's pass rides along with the filters: one CPU check chooses both.
struct Table
{
    SingleFilter filterSingle;
    DoubleFilter filterDouble;
    UhjEncode<float> encodeSingle;
    UhjEncode<double> encodeDouble;
    NonFiniteCheck nonFinite;
};

/// The table for a level this processor runs.
const Table& tableFor(SimdLevel level);

/// Plain C++, any processor.
const Table& scalarTable();
/// Null where the compiler or the target has no such code.
const Table* sse2Table();
const Table* avx2Table();
const Table* avx512Table();

} // namespace phasekernels
