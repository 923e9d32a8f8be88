// Speed of whole renders. The main case is 60 s of four-channel B-Format noise encoded to 24-bit
// FLAC, timed side by side with the same program doing only the file work (reading the input and
// writing the same FLAC from the unprocessed samples): a render should cost little more than its
// files. Decoding (--decode) of the same file against encoding it, whole and as processing
// alone. Also a 60 s stereo render in both precisions, as multiples of real time.
#include "tools/render/options.h"
#include "tools/render/plugin_host.h"
#include "tools/render/render_job.h"
#include "tools/render/sound_file.h"
#include "tools/render/uhj_decoder.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
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

/// ns per frame and multiple of real time from the seconds all iterations took.
void perFrameCounters(benchmark::State& state, double seconds, double framesPerIteration = kFrames)
{
    const double frames = framesPerIteration * static_cast<double>(state.iterations());
    if (seconds <= 0 || frames <= 0) return;
    state.counters["ns_per_frame"] = seconds * 1e9 / frames;
    state.counters["x_real_time"] = frames / kRate / seconds;
}

void filesOnlyBFormatToFlac(benchmark::State& state)
{
    const std::filesystem::path folder = workFolder();
    double total = 0;
    for (auto _ : state)
    {
        const double seconds = filesOnly(folder / "bformat.wav", folder / "files.flac");
        if (seconds < 0)
        {
            state.SkipWithError("the file work failed");
            break;
        }
        state.SetIterationTime(seconds);
        total += seconds;
    }
    perFrameCounters(state, total);
}

/// Median of the ratios of paired runs: on a shared machine a burst of other work spoils a pair,
/// not the figure.
double medianOf(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : 0.5 * (values[middle - 1] + values[middle]);
}

/// Ratios of paired runs: wall time, and the processor time of the whole process (every thread).
struct PairRatios
{
    std::vector<double> wall, cpu;
    void report(benchmark::State& state, const char* name) const
    {
        state.counters[name] = medianOf(wall);
        state.counters[std::string("cpu_") + name] = medianOf(cpu);
    }
};

/// Times `job` and `other` one right after the other, in turns of order so that neither always
/// finds the caches warm; counts `job`'s time and keeps the ratios of the pair. False on failure.
bool timePair(benchmark::State& state, const std::function<double()>& job,
              const std::function<double()>& other, double& total, PairRatios& ratios)
{
    const auto measure = [](const std::function<double()>& f, double& cpu)
    {
        const std::clock_t start = std::clock();
        const double seconds = f();
        cpu = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
        return seconds;
    };
    const bool otherFirst = ratios.wall.size() % 2 == 1;
    double jobCpu = 0, otherCpu = 0;
    const double before = otherFirst ? measure(other, otherCpu) : 0;
    const double seconds = measure(job, jobCpu);
    const double after = otherFirst ? before : measure(other, otherCpu);
    if (seconds < 0 || after < 0) return false;
    state.SetIterationTime(seconds);
    total += seconds;
    ratios.wall.push_back(seconds / after);
    if (otherCpu > 0) ratios.cpu.push_back(jobCpu / otherCpu);
    return true;
}

/// The B-Format noise encoded to 24-bit FLAC, each run paired with the file work alone;
/// ratio_to_files is the median of the pairs' ratios (cpu_ratio_to_files: of their processor time).
void encodeBFormatToFlac(benchmark::State& state)
{
    const std::filesystem::path folder = workFolder();
    render::RenderOptions options;
    options.plugin = SORVELT_PLUGIN_FILE;
    options.input = (folder / "bformat.wav").string();
    options.output = (folder / "encoded.flac").string();
    options.threaded = state.range(0) != 0;
    double total = 0;
    PairRatios ratios;
    for (auto _ : state)
        if (!timePair(
                state, [&] { return timedRender(options); },
                [&] { return filesOnly(folder / "bformat.wav", folder / "files.flac"); }, total, ratios))
        {
            state.SkipWithError("the render failed (is the plug-in built?)");
            break;
        }
    perFrameCounters(state, total);
    ratios.report(state, "ratio_to_files");
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
    double total = 0;
    for (auto _ : state)
    {
        const double seconds = timedRender(options);
        if (seconds < 0)
        {
            state.SkipWithError("the render failed (is the plug-in built?)");
            break;
        }
        state.SetIterationTime(seconds);
        total += seconds;
    }
    perFrameCounters(state, total);
}

/// The four-channel file decoded as 4-channel UHJ, each run paired with encoding the same file (as
/// B-Format) to the same type of output; ratio_to_encoding is the median of decoding's time over
/// encoding's.
void decodeFourChannels(benchmark::State& state)
{
    const std::filesystem::path folder = workFolder();
    render::RenderOptions decode, encode;
    decode.decode = true;
    decode.input = encode.input = (folder / "bformat.wav").string();
    decode.output = (folder / "decoded.wav").string();
    encode.output = (folder / "encoded.wav").string();
    encode.plugin = SORVELT_PLUGIN_FILE;
    double total = 0;
    PairRatios ratios;
    for (auto _ : state)
        if (!timePair(
                state, [&] { return timedRender(decode); }, [&] { return timedRender(encode); }, total,
                ratios))
        {
            state.SkipWithError("the render failed (is the plug-in built?)");
            break;
        }
    perFrameCounters(state, total);
    ratios.report(state, "ratio_to_encoding");
}

/// The processing alone, no files: the plug-in's processReplacing (0) or the decoder (1) on
/// blocks of 512 frames of four-channel noise.
void processOnly(benchmark::State& state)
{
    constexpr int kBlock = 512;
    std::vector<std::vector<float>> in(4, std::vector<float>(kBlock)), out(4, std::vector<float>(kBlock));
    unsigned seed = 3;
    for (auto& channel : in)
        for (float& s : channel)
        {
            seed = seed * 1664525u + 1013904223u;
            s = static_cast<float>(static_cast<int>(seed >> 9) % 16001 - 8000) / 20000.0f;
        }
    float* inputs[4] = {in[0].data(), in[1].data(), in[2].data(), in[3].data()};
    float* outputs[4] = {out[0].data(), out[1].data(), out[2].data(), out[3].data()};
    std::string error;
    std::unique_ptr<render::PluginHost> host;
    std::unique_ptr<render::UhjDecoder> decoder;
    if (state.range(0) == 0)
    {
        host = render::PluginHost::load(SORVELT_PLUGIN_FILE, kRate, kBlock, error);
        if (!host)
        {
            state.SkipWithError(error.c_str());
            return;
        }
        host->open();
        host->setParameter(3, 1.0f); // B-Format
    }
    else
        decoder = std::make_unique<render::UhjDecoder>(4, 1.0f);
    const Clock::time_point start = Clock::now();
    for (auto _ : state)
    {
        if (host)
            host->process(inputs, outputs, kBlock);
        else
            decoder->process(inputs, outputs, kBlock);
        benchmark::DoNotOptimize(out[0][0]);
    }
    perFrameCounters(state, secondsSince(start), kBlock);
}

} // namespace

// The ratios pair each run with the other job right after it; several pairs even out a busy machine.
BENCHMARK(filesOnlyBFormatToFlac)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(encodeBFormatToFlac)
    ->Arg(1)
    ->Arg(0)
    ->ArgName("threaded")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(4);
BENCHMARK(decodeFourChannels)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(4);
BENCHMARK(processOnly)->Arg(0)->Arg(1)->ArgName("decode");
BENCHMARK(encodeStereo)->Arg(0)->Arg(1)->ArgName("double")->Unit(benchmark::kMillisecond)->UseManualTime();

BENCHMARK_MAIN();
