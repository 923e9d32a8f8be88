// Per-frame cost of processReplacing and processDoubleReplacing for each input
// format at two block sizes. Counters: processor time per frame and the multiple
// of real time at 48 kHz.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

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

template <class T> void encodeBlocks(benchmark::State& state)
{
    const float format = kFormats[state.range(0)];
    const auto frames = static_cast<std::int32_t>(state.range(1));
    AEffect* record = createEffectInstance(&silentHost)->getAeffect();
    const float values[5] = {0.3f, 0.6f, 0.4f, format, 0.9f};
    for (int i = 0; i < 5; ++i)
        record->setParameter(record, i, values[i]);

    std::mt19937 rng(1);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    std::vector<T> in[4], out[4];
    T* inputs[4];
    T* outputs[4];
    for (int c = 0; c < 4; ++c)
    {
        in[c].resize(static_cast<size_t>(frames));
        for (T& v : in[c])
            v = static_cast<T>(noise(rng));
        out[c].assign(static_cast<size_t>(frames), T(0));
        inputs[c] = in[c].data();
        outputs[c] = out[c].data();
    }

    for (auto _ : state)
    {
        if constexpr (std::is_same_v<T, float>)
            record->processReplacing(record, inputs, outputs, frames);
        else
            record->processDoubleReplacing(record, inputs, outputs, frames);
        benchmark::DoNotOptimize(outputs[0][frames - 1]);
        benchmark::ClobberMemory();
    }

    const double total = static_cast<double>(state.iterations()) * frames;
    // Processor time per frame, printed with its SI prefix (ns).
    state.counters["per_frame"] =
        benchmark::Counter(total, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    // Seconds of 48 kHz audio per second of processor time.
    state.counters["realtime_x_48k"] = benchmark::Counter(total / kSampleRate, benchmark::Counter::kIsRate);
    record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
}

void formatsAndBlockSizes(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"format", "frames"});
    for (int format = 0; format < 3; ++format)
        for (int frames : {64, 512})
            b->Args({format, frames});
}

BENCHMARK(encodeBlocks<float>)->Name("processReplacing")->Apply(formatsAndBlockSizes);
BENCHMARK(encodeBlocks<double>)->Name("processDoubleReplacing")->Apply(formatsAndBlockSizes);

} // namespace

BENCHMARK_MAIN();
