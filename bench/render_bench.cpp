// Speed of whole renders. The main case is 60 s of four-channel B-Format noise encoded to 24-bit
// FLAC, timed side by side with the same program doing only the file work (reading the input and
// writing the same FLAC from the unprocessed samples): a render should cost little more than its
// files. Also a 60 s stereo render in both precisions, as multiples of real time.
#include "tools/render/options.h"
#include "tools/render/render_job.h"
#include "tools/render/sound_file.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

namespace
{

namespace render = sorvelt::render;
using Clock = std::chrono::steady_clock;

constexpr int kRate = 48000;
constexpr int kSeconds = 60;
constexpr double kFrames = static_cast<double>(kSeconds) * kRate;

void writeSixtySeconds(const std::filesystem::path& path, int channels,
                       const std::function<float(int channel, long long frame)>& sample)
{
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = kRate;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return;
    std::vector<float> frames(static_cast<size_t>(channels * kRate));
    for (long long second = 0; second < kSeconds; ++second)
    {
        for (int i = 0; i < kRate; ++i)
            for (int c = 0; c < channels; ++c)
                frames[static_cast<size_t>(i * channels + c)] = sample(c, second * kRate + i);
        sf_writef_float(file, frames.data(), kRate);
    }
    sf_close(file);
}

/// The input files, made once in a temporary folder that is removed at exit.
std::filesystem::path workFolder()
{
    static const std::filesystem::path folder = []
    {
        char pattern[] = "/tmp/sorvelt-render-bench-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        std::filesystem::path path = made ? made : "/tmp";
        writeSixtySeconds(path / "stereo.wav", 2,
                          [](int c, long long n)
                          {
                              const double t = static_cast<double>(n) / kRate;
                              return static_cast<float>(0.4 * std::sin(2 * M_PI * (c ? 330 : 220) * t));
                          });
        unsigned state = 1;
        writeSixtySeconds(path / "bformat.wav", 4,
                          [&state](int, long long)
                          {
                              state = state * 1664525u + 1013904223u;
                              return static_cast<float>(static_cast<int>(state >> 9) % 16001 - 8000) /
                                     20000.0f;
                          });
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

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

/// The file work alone, as the render does it: blocks of 512 frames read through the same
/// source and written through the same sink (24-bit FLAC), nothing processed. Seconds, or -1.
double filesOnly(const std::filesystem::path& input, const std::filesystem::path& output)
{
    const Clock::time_point start = Clock::now();
    std::string error;
    auto source = render::SoundFileSource::open(input.string(), {}, error);
    if (!source) return -1;
    auto sink = render::SoundFileSink::create(output.string(), source->channels(), source->sampleRate(),
                                              render::SampleEncoding::Float32, error);
    if (!sink) return -1;
    std::vector<float> frames(static_cast<size_t>(512 * source->channels()));
    int64_t got = 0;
    while ((got = source->read(frames.data(), 512)) > 0)
        if (!sink->write(frames.data(), got, error)) return -1;
    if (got < 0) return -1;
    return sink->commit(error) ? secondsSince(start) : -1;
}

/// Runs one render; seconds, or -1 when it failed.
double timedRender(const render::RenderOptions& options)
{
    std::FILE* quiet = std::fopen("/dev/null", "w");
    const Clock::time_point start = Clock::now();
    const int status = render::runJob(options, quiet, stderr);
    const double seconds = secondsSince(start);
    std::fclose(quiet);
    return status == 0 ? seconds : -1;
}

void perFrameCounters(benchmark::State& state)
{
    state.counters["x_real_time"] =
        benchmark::Counter(kSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["ns_per_frame"] =
        benchmark::Counter(kFrames * 1e-9 * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void filesOnlyBFormatToFlac(benchmark::State& state)
{
    const std::filesystem::path folder = workFolder();
    for (auto _ : state)
    {
        const double seconds = filesOnly(folder / "bformat.wav", folder / "files.flac");
        if (seconds < 0)
        {
            state.SkipWithError("the file work failed");
            break;
        }
        state.SetIterationTime(seconds);
    }
    perFrameCounters(state);
}

/// The B-Format noise encoded to 24-bit FLAC, each run followed by the file work alone;
/// ratio_to_files is the render's total time over the file work's.
void encodeBFormatToFlac(benchmark::State& state)
{
    const std::filesystem::path folder = workFolder();
    render::RenderOptions options;
    options.plugin = SORVELT_PLUGIN_FILE;
    options.input = (folder / "bformat.wav").string();
    options.output = (folder / "encoded.flac").string();
    options.threaded = state.range(0) != 0;
    double renderSeconds = 0, fileSeconds = 0;
    for (auto _ : state)
    {
        const double seconds = timedRender(options);
        const double files = filesOnly(folder / "bformat.wav", folder / "files.flac");
        if (seconds < 0 || files < 0)
        {
            state.SkipWithError("the render failed (is the plug-in built?)");
            break;
        }
        state.SetIterationTime(seconds);
        renderSeconds += seconds;
        fileSeconds += files;
    }
    perFrameCounters(state);
    if (fileSeconds > 0) state.counters["ratio_to_files"] = renderSeconds / fileSeconds;
}

void encodeStereo(benchmark::State& state)
{
    const std::filesystem::path folder = workFolder();
    render::RenderOptions options;
    options.plugin = SORVELT_PLUGIN_FILE;
    options.input = (folder / "stereo.wav").string();
    options.output = (folder / "out.wav").string();
    options.doublePrecision = state.range(0) != 0;
    options.azimuth.start = 30.0;
    options.width.start = 60.0;
    for (auto _ : state)
    {
        const double seconds = timedRender(options);
        if (seconds < 0)
        {
            state.SkipWithError("the render failed (is the plug-in built?)");
            break;
        }
        state.SetIterationTime(seconds);
    }
    perFrameCounters(state);
}

} // namespace

BENCHMARK(filesOnlyBFormatToFlac)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(encodeBFormatToFlac)
    ->Arg(1)
    ->Arg(0)
    ->ArgName("threaded")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(encodeStereo)->Arg(0)->Arg(1)->ArgName("double")->Unit(benchmark::kMillisecond)->UseManualTime();

BENCHMARK_MAIN();
