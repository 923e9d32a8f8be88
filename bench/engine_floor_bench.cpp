// The least time this processor can take for the arithmetic each audio callback must
// do: the floating-point instructions of eight frames, in the numbers the encoder's
// arithmetic needs, run with no loads, stores, shuffles or dependencies between
// them. What a callback takes beyond its floor is scheduling; the floors' ratio is the
// ratio of the two callbacks' costs at equal efficiency.
//
// Counted per eight frames, packed as the passes pack them or more densely:
// - single precision: the six filters as one eight-lane vector per frame, each frame
//   four differences, four products and five sums;
// - double precision: path A's four lanes per vector (its differences two frames per
//   vector), path B's two lanes two frames per vector; per lane and frame four
//   differences (path B's newest in double, from its output widened), each widened, four
//   products, five sums, the oldest input widened and the output rounded; the four
//   inputs rounded and the four outputs widened;
// - both: the same mix (every image's S, D, T and Q summed in double from widened filter
//   outputs and rounded), the single-precision L, R and averages, and the gain.
// Subtractions are written as additions (the same unit, the same time). Four-lane double
// and eight-lane float vectors only, so any AVX processor runs it; on one whose wide
// units are 256 bits (as here), wider vectors would cost the same per value.
#include <benchmark/benchmark.h>

#include <chrono>

namespace
{

// clang-format off
// Independent instructions: sources are registers 12-15, results go to 0-3 in turn.
#define OPS(count, op) ".rept " #count "/4\n" op(0) op(1) op(2) op(3) ".endr\n"
#define OPS_ONE(count, op) ".rept " #count "\n" op(0) ".endr\n"
#define ADDPD(r) "vaddpd %%ymm15, %%ymm14, %%ymm" #r "\n"
#define MULPD(r) "vmulpd %%ymm15, %%ymm14, %%ymm" #r "\n"
#define ADDPS(r) "vaddps %%ymm15, %%ymm14, %%ymm" #r "\n"
#define MULPS(r) "vmulps %%ymm15, %%ymm14, %%ymm" #r "\n"
#define WIDEN(r) "vcvtps2pd %%xmm13, %%ymm" #r "\n"
#define ROUND(r) "vcvtpd2ps %%ymm12, %%xmm" #r "\n"
#define CLOBBERS "xmm0", "xmm1", "xmm2", "xmm3", "xmm12", "xmm13", "xmm14", "xmm15"
// The sources, set at the top of each block to ordinary numbers (no slow cases).
#define SOURCES "vbroadcastss %0, %%ymm13\n vcvtps2pd %%xmm13, %%ymm12\n" \
                "vmovaps %%ymm13, %%ymm14\n vmovaps %%ymm13, %%ymm15\n"

// Eight frames of the six filters, single precision: one vector per frame.
#define FILTERS_SINGLE \
    OPS(32, ADDPS) /* differences */ OPS(32, MULPS) OPS(40, ADDPS)
// Eight frames of the six filters, double precision.
#define FILTERS_DOUBLE \
    /* path A, four lanes: differences two frames per vector, the rest one */ \
    OPS(16, ADDPS) OPS(40, WIDEN) OPS(32, MULPD) OPS(40, ADDPD) OPS(8, ROUND) \
    /* path B, two lanes two frames per vector: the newest difference in double */ \
    OPS_ONE(6, ADDPS) OPS(20, WIDEN) OPS(4, ADDPD) OPS(16, MULPD) OPS(20, ADDPD) OPS(4, ROUND) \
    /* the four inputs rounded, the four outputs widened */ \
    OPS(8, ROUND) OPS(8, WIDEN)
// Eight frames of the mix, the same in both: per four frames and image, S D T Q from two
// widened outputs (nine products, five sums, four roundings); then the images' averages,
// L and R, and the gain in single precision.
#define MIX_POSITIONED \
    OPS(8, WIDEN) OPS(16, ROUND) OPS(36, MULPD) OPS(20, ADDPD) \
    OPS(4, ADDPS) OPS(4, MULPS) OPS_ONE(2, ADDPS) OPS_ONE(2, MULPS) OPS(4, MULPS)
// B-Format: per four frames S D T Q from six widened outputs (nine products, five sums,
// four roundings); then L and R, and the gain.
#define MIX_BFORMAT \
    OPS(12, WIDEN) OPS(8, ROUND) OPS_ONE(18, MULPD) OPS_ONE(10, ADDPD) \
    OPS_ONE(2, ADDPS) OPS_ONE(2, MULPS) OPS(4, MULPS)
// clang-format on

const float kSource = 1.5f;

template <bool Double, bool BFormat> [[gnu::noinline]] void eightFrames(long times)
{
    for (long i = 0; i < times; ++i)
    {
        if constexpr (Double && BFormat)
            asm volatile(SOURCES FILTERS_DOUBLE MIX_BFORMAT ::"m"(kSource) : CLOBBERS);
        else if constexpr (Double)
            asm volatile(SOURCES FILTERS_DOUBLE MIX_POSITIONED ::"m"(kSource) : CLOBBERS);
        else if constexpr (BFormat)
            asm volatile(SOURCES FILTERS_SINGLE MIX_BFORMAT ::"m"(kSource) : CLOBBERS);
        else
            asm volatile(SOURCES FILTERS_SINGLE MIX_POSITIONED ::"m"(kSource) : CLOBBERS);
    }
}

template <bool Double, bool BFormat> double secondsFor(long times)
{
    const auto start = std::chrono::steady_clock::now();
    eightFrames<Double, BFormat>(times);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

/// Each iteration times a batch of the double-precision floor, then one of the single,
/// so a change of clock falls on both alike. Reported: each floor per frame, and the
/// double's as a multiple of the single's (to set beside engine_bench's x_single).
template <bool BFormat> void floors(benchmark::State& state)
{
    if (!__builtin_cpu_supports("avx"))
    {
        state.SkipWithError("this processor has no AVX");
        return;
    }
    constexpr long kBatch = 4096;
    double singleSeconds = 0.0, doubleSeconds = 0.0;
    for (auto _ : state)
    {
        const double d = secondsFor<true, BFormat>(kBatch);
        doubleSeconds += d;
        state.SetIterationTime(d);
        singleSeconds += secondsFor<false, BFormat>(kBatch);
    }
    const double frames = static_cast<double>(state.iterations()) * kBatch * 8;
    state.counters["double_ns_per_frame"] = doubleSeconds / frames * 1e9;
    state.counters["single_ns_per_frame"] = singleSeconds / frames * 1e9;
    state.counters["x_single"] = doubleSeconds / singleSeconds;
}

BENCHMARK(floors<false>)->Name("floor/positioned")->UseManualTime();
BENCHMARK(floors<true>)->Name("floor/bformat")->UseManualTime();

} // namespace

BENCHMARK_MAIN();
