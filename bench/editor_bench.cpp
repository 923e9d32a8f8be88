// Opening the editor as a host does (effEditOpen on the headless platform), with the median of
// many opens; and decoding the seven embedded images, which is what an open cost before they
// were decoded once per process.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <vector>

#include "gui/cbitmap.h"
#include "gui/platform.h"
#include "plugin/aeffect.h"
#include "plugin/audioeffect.h"

namespace
{

std::intptr_t quietHost(AEffect*, std::int32_t opcode, std::int32_t, std::intptr_t, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

double median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

void BM_EditorOpen(benchmark::State& state)
{
    AEffect* record = createEffectInstance(&quietHost)->getAeffect();
    int parentWindow = 0;
    // Wall time is what the user waits for; processor time shows the cost on a busy machine.
    std::vector<double> seconds, processorSeconds;
    for (auto _ : state)
    {
        const std::clock_t processorStart = std::clock();
        const auto start = std::chrono::steady_clock::now();
        const auto opened = record->dispatcher(record, effEditOpen, 0, 0, &parentWindow, 0.0f);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        processorSeconds.push_back(static_cast<double>(std::clock() - processorStart) / CLOCKS_PER_SEC);
        benchmark::DoNotOptimize(opened);
        state.SetIterationTime(took.count());
        seconds.push_back(took.count());
        record->dispatcher(record, effEditClose, 0, 0, nullptr, 0.0f);
    }
    record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
    state.counters["median_ms"] = median(seconds) * 1e3;
    state.counters["median_cpu_ms"] = median(processorSeconds) * 1e3;
}
BENCHMARK(BM_EditorOpen)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_DecodeTheSevenImages(benchmark::State& state)
{
    for (auto _ : state)
        for (long id = 128; id <= 134; ++id)
        {
            const VSTGUI::ResourceBytes bytes = VSTGUI::findPngResource(id);
            VSTGUI::CBitmap bitmap;
            benchmark::DoNotOptimize(bitmap.loadFromPNG(bytes.data, bytes.size));
        }
}
BENCHMARK(BM_DecodeTheSevenImages)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
