// Speed of a whole render, as multiples of real time: a 60 s stereo file through the plug-in,
// in single and double precision, from a WAV file to a WAV file in a temporary folder.
#include "tools/render/options.h"
#include "tools/render/render_job.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace
{

constexpr int kRate = 48000;
constexpr int kSeconds = 60;

std::filesystem::path workFolder()
{
    static const std::filesystem::path folder = []
    {
        char pattern[] = "/tmp/sorvelt-render-bench-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        std::filesystem::path path = made ? made : "/tmp";
        SF_INFO info{};
        info.channels = 2;
        info.samplerate = kRate;
        info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        SNDFILE* file = sf_open((path / "stereo.wav").c_str(), SFM_WRITE, &info);
        std::vector<float> frames(2 * kRate);
        for (int second = 0; second < kSeconds && file; ++second)
        {
            for (int i = 0; i < kRate; ++i)
            {
                const double t = second + static_cast<double>(i) / kRate;
                frames[2 * i] = static_cast<float>(0.4 * std::sin(2 * M_PI * 220 * t));
                frames[2 * i + 1] = static_cast<float>(0.4 * std::sin(2 * M_PI * 330 * t));
            }
            sf_writef_float(file, frames.data(), kRate);
        }
        if (file) sf_close(file);
        return path;
    }();
    // Removes the folder at exit; made after `folder`, so destroyed before it.
    static const struct Remover
    {
        std::filesystem::path path;
        ~Remover()
        {
            if (path != "/tmp") std::filesystem::remove_all(path);
        }
    } remover{folder};
    return folder;
}

void renderSixtySeconds(benchmark::State& state)
{
    const std::filesystem::path folder = workFolder();
    sorvelt::render::RenderOptions options;
    options.plugin = SORVELT_PLUGIN_FILE;
    options.input = (folder / "stereo.wav").string();
    options.output = (folder / "out.wav").string();
    options.doublePrecision = state.range(0) != 0;
    options.azimuth.start = 30.0;
    options.width.start = 60.0;
    std::FILE* quiet = std::fopen("/dev/null", "w");
    for (auto _ : state)
        if (sorvelt::render::runJob(options, quiet, stderr) != 0)
        {
            state.SkipWithError("the render failed (is the plug-in built?)");
            break;
        }
    std::fclose(quiet);
    state.counters["x_real_time"] =
        benchmark::Counter(kSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["s_per_frame"] =
        benchmark::Counter(static_cast<double>(kSeconds) * kRate * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(renderSixtySeconds)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("double")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
