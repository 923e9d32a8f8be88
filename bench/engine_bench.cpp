// Per-frame cost of processReplacing and processDoubleReplacing for each input format
// at two block sizes, each against the plain transcription of the same arithmetic run
// in this process (checked bit for bit before any timing). Counters: time per frame,
// the multiple of real time at 48 kHz, x_naive, how many times faster than plain, and
// for the double callback x_single, its cost as a multiple of the single-precision one.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <random>
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
constexpr float kValues[3][5] = {{0.3f, 0.6f, 0.4f, kFormats[0], 0.9f},
                                 {0.3f, 0.6f, 0.4f, kFormats[1], 0.9f},
                                 {0.3f, 0.6f, 0.4f, kFormats[2], 0.9f}};

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
    auto compare = [&](auto& b, auto& mirror)
    {
        process(record, b, frames);
        naive.process(mirror.inputs, mirror.outputs, frames, kValues[format]);
        for (int c = 0; c < 4; ++c)
            same = same &&
                   std::memcmp(b.outputs[c], mirror.outputs[c], b.out[c].size() * sizeof(b.out[c][0])) == 0;
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

/// A plug-in instance with the case's parameter values.
AEffect* openEffect(int format)
{
    AEffect* record = createEffectInstance(&silentHost)->getAeffect();
    for (int i = 0; i < 5; ++i)
        record->setParameter(record, i, kValues[format][i]);
    return record;
}

/// Seconds taken by `blocks` calls of `run`.
template <class Run> double timeBlocks(int blocks, Run run)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < blocks; ++i)
        run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

/// One case per precision, format and block size. Each iteration runs a batch of blocks
/// through the plain transcription, then through the plug-in, and for the double
/// callback also through the single-precision one, each batch timed on its own: a
/// change of the processor's clock during the run falls on all of them alike, so the
/// ratios hold even where the absolute times drift. The reported time is the plug-in's.
template <class T> void encodeBlocks(benchmark::State& state)
{
    constexpr bool isDouble = std::is_same_v<T, double>;
    const int format = static_cast<int>(state.range(0));
    const auto frames = static_cast<std::int32_t>(state.range(1));
    if (!sameBits(format, frames))
    {
        state.SkipWithError("the engine's output differs from the plain transcription");
        return;
    }
    AEffect* record = openEffect(format);
    AEffect* single = openEffect(format);
    Buffers<T> b(frames), plain(frames);
    Buffers<float> f(frames);
    naiveuhj::Encoder naive;
    constexpr int kBatch = 16;
    double engineSeconds = 0.0, naiveSeconds = 0.0, singleSeconds = 0.0;
    for (auto _ : state)
    {
        naiveSeconds += timeBlocks(kBatch,
                                   [&]
                                   {
                                       naive.process(plain.inputs, plain.outputs, frames, kValues[format]);
                                       benchmark::DoNotOptimize(plain.outputs[0][frames - 1]);
                                       benchmark::ClobberMemory();
                                   });
        const double engine = timeBlocks(kBatch,
                                         [&]
                                         {
                                             process(record, b, frames);
                                             benchmark::DoNotOptimize(b.outputs[0][frames - 1]);
                                             benchmark::ClobberMemory();
                                         });
        engineSeconds += engine;
        state.SetIterationTime(engine);
        if constexpr (isDouble)
            singleSeconds += timeBlocks(kBatch,
                                        [&]
                                        {
                                            process(single, f, frames);
                                            benchmark::DoNotOptimize(f.outputs[0][frames - 1]);
                                            benchmark::ClobberMemory();
                                        });
    }
    const double total = static_cast<double>(state.iterations()) * kBatch * frames;
    state.counters["ns_per_frame"] = engineSeconds / total * 1e9;
    // Seconds of 48 kHz audio per second of processing.
    state.counters["realtime_x_48k"] = total / kSampleRate / engineSeconds;
    state.counters["naive_ns_per_frame"] = naiveSeconds / total * 1e9;
    // How many times faster than the plain transcription, timed alongside.
    state.counters["x_naive"] = naiveSeconds / engineSeconds;
    // The double callback's cost as a multiple of the single-precision one's.
    if constexpr (isDouble) state.counters["x_single"] = engineSeconds / singleSeconds;
    record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
    single->dispatcher(single, effClose, 0, 0, nullptr, 0.0f);
}

void formatsAndBlockSizes(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"format", "frames"});
    for (int format = 0; format < 3; ++format)
        for (int frames : {64, 512})
            b->Args({format, frames});
}

BENCHMARK(encodeBlocks<float>)->Name("processReplacing")->Apply(formatsAndBlockSizes)->UseManualTime();
BENCHMARK(encodeBlocks<double>)->Name("processDoubleReplacing")->Apply(formatsAndBlockSizes)->UseManualTime();

} // namespace

BENCHMARK_MAIN();
