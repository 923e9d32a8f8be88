// Per-frame cost of processReplacing and processDoubleReplacing for each input format
// at two block sizes, each against the plain transcription of the same arithmetic run
// in this process (checked bit for bit before any timing). Counters: time per frame,
// the multiple of real time at 48 kHz, and x_naive, how many times faster than plain.
#include <benchmark/benchmark.h>

#include <ctime>
#include <cstring>
#include <map>
#include <random>
#include <tuple>
#include <vector>

#include "bench/naive_uhj.h"
#include "effect/sorvelt.h"
#include "plugin/aeffect.h"

namespace
{

std::intptr_t silentHost(AEffect*, std::int32_t opcode, std::int32_t, std::intptr_t, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

constexpr double kSampleRate = 48000.0;
const float kFormats[] = {0.0f, 0.5f, 1.0f}; // Mono, Stereo, B-Format
constexpr float kValues[3][5] = {
    {0.3f, 0.6f, 0.4f, kFormats[0], 0.9f}, {0.3f, 0.6f, 0.4f, kFormats[1], 0.9f}, {0.3f, 0.6f, 0.4f, kFormats[2], 0.9f}};

/// Four channels of noise and their outputs.
template <class T> struct Buffers
{
    explicit Buffers(std::int32_t frames, bool impulse = false)
    {
        std::mt19937 rng(1);
        std::uniform_real_distribution<double> noise(-1.0, 1.0);
        for (int c = 0; c < 4; ++c)
        {
            in[c].resize(static_cast<size_t>(frames));
            for (T& v : in[c])
                v = impulse ? T(0) : static_cast<T>(noise(rng));
            in[c][0] = impulse ? T(1) : in[c][0];
            out[c].assign(static_cast<size_t>(frames), T(0));
            inputs[c] = in[c].data();
            outputs[c] = out[c].data();
        }
    }
    std::vector<T> in[4], out[4];
    T* inputs[4];
    T* outputs[4];
};

/// The plain transcription's processor seconds per frame, by precision, format and block size.
std::map<std::tuple<bool, int, std::int32_t>, double>& naiveCost()
{
    static std::map<std::tuple<bool, int, std::int32_t>, double> costs;
    return costs;
}

template <class T> void process(AEffect* record, Buffers<T>& b, std::int32_t frames)
{
    if constexpr (std::is_same_v<T, float>)
        record->processReplacing(record, b.inputs, b.outputs, frames);
    else
        record->processDoubleReplacing(record, b.inputs, b.outputs, frames);
}

/// Runs a few blocks (noise, then an impulse, precisions alternating) through the plug-in and
/// the transcription side by side; false at the first output bit that differs.
bool sameBits(int format, std::int32_t frames)
{
    AEffect* record = createEffectInstance(&silentHost)->getAeffect();
    for (int i = 0; i < 5; ++i)
        record->setParameter(record, i, kValues[format][i]);
    naiveuhj::Encoder naive;
    bool same = true;
    auto compare = [&](auto& b, auto& mirror) {
        process(record, b, frames);
        naive.process(mirror.inputs, mirror.outputs, frames, kValues[format]);
        for (int c = 0; c < 4; ++c)
            same = same && std::memcmp(b.outputs[c], mirror.outputs[c], b.out[c].size() * sizeof(b.out[c][0])) == 0;
    };
    for (int block = 0; block < 4; ++block)
    {
        const bool impulse = block == 3;
        Buffers<float> f(frames, impulse), fm(frames, impulse);
        Buffers<double> d(frames, impulse), dm(frames, impulse);
        compare(f, fm);
        compare(d, dm);
    }
    record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
    return same;
}

void setCounters(benchmark::State& state, double frames)
{
    // Processor time per frame, printed with its SI prefix (ns).
    state.counters["per_frame"] = benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    // Seconds of 48 kHz audio per second of processor time.
    state.counters["realtime_x_48k"] = benchmark::Counter(frames / kSampleRate, benchmark::Counter::kIsRate);
}

template <class T> void naiveBlocks(benchmark::State& state)
{
    const int format = static_cast<int>(state.range(0));
    const auto frames = static_cast<std::int32_t>(state.range(1));
    Buffers<T> b(frames);
    naiveuhj::Encoder naive;
    const std::clock_t start = std::clock();
    for (auto _ : state)
    {
        naive.process(b.inputs, b.outputs, frames, kValues[format]);
        benchmark::DoNotOptimize(b.outputs[0][frames - 1]);
        benchmark::ClobberMemory();
    }
    const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    const double total = static_cast<double>(state.iterations()) * frames;
    naiveCost()[{std::is_same_v<T, float>, format, frames}] = seconds / total;
    setCounters(state, total);
}

template <class T> void encodeBlocks(benchmark::State& state)
{
    const int format = static_cast<int>(state.range(0));
    const auto frames = static_cast<std::int32_t>(state.range(1));
    if (!sameBits(format, frames))
    {
        state.SkipWithError("the engine's output differs from the plain transcription");
        return;
    }
    AEffect* record = createEffectInstance(&silentHost)->getAeffect();
    for (int i = 0; i < 5; ++i)
        record->setParameter(record, i, kValues[format][i]);
    Buffers<T> b(frames);

    const std::clock_t start = std::clock();
    for (auto _ : state)
    {
        process(record, b, frames);
        benchmark::DoNotOptimize(b.outputs[0][frames - 1]);
        benchmark::ClobberMemory();
    }
    const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    const double total = static_cast<double>(state.iterations()) * frames;
    setCounters(state, total);
    // Processor time against processor time, both measured here the same way.
    const auto naive = naiveCost().find({std::is_same_v<T, float>, format, frames});
    if (naive != naiveCost().end()) state.counters["x_naive"] = naive->second / (seconds / total);
    record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
}

void formatsAndBlockSizes(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"format", "frames"});
    for (int format = 0; format < 3; ++format)
        for (int frames : {64, 512})
            b->Args({format, frames});
}

// The transcriptions first: the engine's cases read their costs.
BENCHMARK(naiveBlocks<float>)->Name("naiveReplacing")->Apply(formatsAndBlockSizes);
BENCHMARK(naiveBlocks<double>)->Name("naiveDoubleReplacing")->Apply(formatsAndBlockSizes);
BENCHMARK(encodeBlocks<float>)->Name("processReplacing")->Apply(formatsAndBlockSizes);
BENCHMARK(encodeBlocks<double>)->Name("processDoubleReplacing")->Apply(formatsAndBlockSizes);

} // namespace

BENCHMARK_MAIN();
