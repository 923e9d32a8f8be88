// The render itself: source -> plug-in, block by block, as a host's playback would -> sink.
#include "tools/render/render_job.h"

#include "tools/render/block_pipeline.h"
#include "tools/render/demo_source.h"
#include "tools/render/editor_window.h"
#include "tools/render/plugin_host.h"
#include "tools/render/progress.h"
#include "tools/render/sound_file.h"
#include "tools/render/uhj_decoder.h"
#include "tools/render/units.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <limits.h>
#include <memory>
#include <unistd.h>
#include <vector>

namespace sorvelt::render
{

namespace
{

constexpr int kAzimuth = 0, kElevation = 1, kWidth = 2, kFormat = 3, kGain = 4;
constexpr int kDefaultRate = 48000;

int fail(std::FILE* err, int status, const std::string& message)
{
    std::fprintf(err, "sorvelt-render: %s\n", message.c_str());
    return status;
}

int printInfo(PluginHost& host, std::FILE* out)
{
    AEffect& e = host.record();
    std::fprintf(out, "Plug-in: %s\n", host.path().c_str());
    std::fprintf(out, "Effect: %s\n", host.text(effGetEffectName).c_str());
    std::fprintf(out, "Vendor: %s\n", host.text(effGetVendorString).c_str());
    std::fprintf(out, "Product: %s\n", host.text(effGetProductString).c_str());
    std::fprintf(out, "Vendor version: %ld\n", static_cast<long>(host.dispatch(effGetVendorVersion)));
    std::fprintf(out, "VST version: %ld\n", static_cast<long>(host.dispatch(effGetVstVersion)));
    std::fprintf(out, "Unique ID: %s\n", fourCharacters(e.uniqueID).c_str());
    const std::intptr_t category = host.dispatch(effGetPlugCategory);
    std::fprintf(out, "Category: %s (%ld)\n", categoryName(category).c_str(), static_cast<long>(category));
    std::fprintf(out, "Inputs: %d, outputs: %d\n", e.numInputs, e.numOutputs);
    std::fprintf(out, "Flags: %s (0x%X)\n", flagWords(e.flags).c_str(), static_cast<unsigned>(e.flags));
    std::fprintf(out, "Initial delay: %d samples\n", e.initialDelay);
    std::fprintf(out, "Parameters: %d\n", e.numParams);
    for (int i = 0; i < e.numParams; ++i)
        std::fprintf(out, "  %d %-16s %s %s\n", i, host.text(effGetParamName, i).c_str(),
                     host.text(effGetParamDisplay, i).c_str(), host.text(effGetParamLabel, i).c_str());
    std::fprintf(out, "Programs: %d (current: %s)\n", e.numPrograms, host.text(effGetProgramName).c_str());
    for (int i = 0; i < e.numPrograms; ++i)
        std::fprintf(out, "  %d %s\n", i, host.text(effGetProgramNameIndexed, i).c_str());
    return kExitSuccess;
}

/// What moves during the render, in the plug-in's normalized values, block by block.
struct Automation
{
    const RenderOptions& options;
    bool demo;

    double azimuthDegrees(long long block, long long count) const
    {
        if (demo && !options.azimuth.start && !options.azimuth.end)
            return DemoSource::azimuthAt(static_cast<double>(block) / static_cast<double>(count));
        return options.azimuth.at(block, count, 0.0);
    }
    bool moves() const
    {
        return options.azimuth.end || options.elevation.end || options.width.end ||
               (demo && !options.azimuth.start);
    }
    void apply(PluginHost& host, long long block, long long count) const
    {
        host.setParameter(kAzimuth, azimuthToNormalized(azimuthDegrees(block, count)));
        host.setParameter(kElevation, elevationToNormalized(options.elevation.at(block, count, 0.0)));
        host.setParameter(kWidth, widthToNormalized(options.width.at(block, count, 0.0)));
    }
};

/// The plug-in's own display of each parameter, with the end of a sweep where one is asked.
void printSettings(PluginHost& host, const Automation& automation, long long blockCount, std::FILE* out)
{
    const int count = std::min(host.record().numParams, kGain + 1);
    std::vector<std::string> start(static_cast<size_t>(count)), end(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        start[static_cast<size_t>(i)] = host.text(effGetParamDisplay, i);
    if (automation.options.azimuth.end || automation.options.elevation.end || automation.options.width.end)
    {
        automation.apply(host, blockCount - 1, blockCount);
        for (int i = 0; i < count; ++i)
            end[static_cast<size_t>(i)] = host.text(effGetParamDisplay, i);
        automation.apply(host, 0, blockCount);
    }
    std::string line;
    for (int i = 0; i < count; ++i)
    {
        line += (i ? ", " : "") + host.text(effGetParamName, i) + " " + start[static_cast<size_t>(i)];
        if (!end[static_cast<size_t>(i)].empty() &&
            end[static_cast<size_t>(i)] != start[static_cast<size_t>(i)])
            line += " -> " + end[static_cast<size_t>(i)];
        if (const std::string label = host.text(effGetParamLabel, i); !label.empty()) line += " " + label;
        if (i == kAzimuth && automation.demo && !automation.options.azimuth.start &&
            !automation.options.azimuth.end)
            line += " (circling once, to the left first)";
    }
    std::fprintf(out, "%s\n", line.c_str());
}

/// Where the file's channels meet the processor: processor input c is file channel feed[c]
/// (silence beyond the feed) divided by inDivisor[c]; written channel k is processor output written[k]
/// times outScale[k].
struct Routing
{
    int processorInputs = 0, processorOutputs = 0;
    std::vector<int> feed;
    std::vector<double> inDivisor;
    std::vector<int> written;
    std::vector<double> outScale;
    std::vector<std::string> names; ///< of the written channels, for the summary
};

// Blocks travel between the threads in slots of at least this many frames, so the hand-over
// costs nothing next to the work; a few slots let either side run ahead of the other.
constexpr int kSlotFrames = 16384;
constexpr int kSlots = 4;

/// The largest magnitude among `n` samples `stride` apart; a NaN counts for nothing. Four running
/// maxima, so the comparisons need not wait for each other.
template <typename Sample> double peakOf(const Sample* samples, size_t n, size_t stride)
{
    Sample m[4] = {0, 0, 0, 0};
    size_t i = 0;
    for (; i + 4 <= n; i += 4)
        for (size_t j = 0; j < 4; ++j)
            if (const Sample a = std::fabs(samples[(i + j) * stride]); a > m[j]) m[j] = a;
    for (; i < n; ++i)
        if (const Sample a = std::fabs(samples[i * stride]); a > m[0]) m[0] = a;
    return static_cast<double>(std::max(std::max(m[0], m[1]), std::max(m[2], m[3])));
}

/// Reads, processes and writes the whole source in one precision. `process(inputs, outputs,
/// frames, block)` turns one block; the writing runs on a second thread when the options allow.
template <typename Sample, typename Process>
int renderAll(AudioSource& source, SoundFileSink& sink, const RenderOptions& options, const Routing& routing,
              Process&& process, std::FILE* out, std::FILE* err)
{
    const size_t block = static_cast<size_t>(options.blockSize);
    const size_t fileChannels = static_cast<size_t>(source.channels());
    const size_t outChannels = routing.written.size();
    std::vector<Sample> fileFrames(block * fileChannels);
    std::vector<std::vector<Sample>> inputs(static_cast<size_t>(routing.processorInputs),
                                            std::vector<Sample>(block));
    std::vector<std::vector<Sample>> outputs(static_cast<size_t>(routing.processorOutputs),
                                             std::vector<Sample>(block));
    std::vector<Sample*> inputPointers, outputPointers;
    for (auto& channel : inputs)
        inputPointers.push_back(channel.data());
    for (auto& channel : outputs)
        outputPointers.push_back(channel.data());

    struct Slot
    {
        std::vector<Sample> frames;  // interleaved, ready to write
        std::vector<int64_t> counts; // frames of each block in it, written one block at a time as ever
    };
    const size_t blocksPerSlot = std::max<size_t>(1, kSlotFrames / block);
    std::vector<Slot> slots(kSlots);
    for (Slot& slot : slots)
    {
        slot.frames.resize(blocksPerSlot * block * outChannels);
        slot.counts.reserve(blocksPerSlot);
    }

    std::vector<double> peaks(outChannels, 0.0);
    ProgressBar progress(err, ::isatty(::fileno(err)) != 0, source.frames());
    const auto started = std::chrono::steady_clock::now();
    long long blockIndex = 0;
    int64_t done = 0;
    std::string writeError;

    // Reads and processes blocks until the slot is full, the input ends or a read fails.
    const auto produce = [&](int index) -> Produced
    {
        Slot& slot = slots[static_cast<size_t>(index)];
        slot.counts.clear();
        while (slot.counts.size() < blocksPerSlot)
        {
            const int64_t got = source.read(fileFrames.data(), static_cast<int64_t>(block));
            if (got < 0) return {!slot.counts.empty(), Produced::Then::Failed};
            if (got == 0) return {!slot.counts.empty(), Produced::Then::End};
            const size_t n = static_cast<size_t>(got);
            for (size_t c = 0; c < routing.feed.size(); ++c)
            {
                Sample* to = inputs[c].data();
                const Sample* from = fileFrames.data() + routing.feed[c];
                for (size_t i = 0; i < n; ++i)
                    to[i] = from[i * fileChannels];
                if (routing.inDivisor[c] != 1.0)
                    for (size_t i = 0; i < n; ++i)
                        to[i] = static_cast<Sample>(to[i] / routing.inDivisor[c]);
            }
            process(inputPointers.data(), outputPointers.data(), static_cast<int>(n), blockIndex++);

            Sample* frames = slot.frames.data() + slot.counts.size() * block * outChannels;
            for (size_t k = 0; k < outChannels; ++k)
            {
                const Sample* from = outputs[static_cast<size_t>(routing.written[k])].data();
                const double scale = routing.outScale[k];
                Sample* to = frames + k;
                if (scale == 1.0)
                    for (size_t i = 0; i < n; ++i)
                        to[i * outChannels] = from[i];
                else
                    for (size_t i = 0; i < n; ++i)
                        to[i * outChannels] = static_cast<Sample>(from[i] * scale);
                peaks[k] = std::max(peaks[k], peakOf(to, n, outChannels));
            }
            slot.counts.push_back(got);
        }
        return {true, Produced::Then::More};
    };
    const auto consume = [&](int index) -> bool
    {
        const Slot& slot = slots[static_cast<size_t>(index)];
        const Sample* frames = slot.frames.data();
        for (const int64_t count : slot.counts)
        {
            if (!sink.write(frames, count, writeError)) return false;
            frames += block * outChannels;
            done += count;
            progress.update(done);
        }
        return true;
    };

    const PipelineOutcome outcome = runBlockPipeline(kSlots, options.threaded, produce, consume);
    progress.finish();
    if (outcome == PipelineOutcome::ProducerFailed)
        return fail(err, kExitFailure, "cannot read " + options.input + ": " + source.error());
    if (outcome == PipelineOutcome::ConsumerFailed) return fail(err, kExitFailure, writeError);
    std::string error;
    if (!sink.commit(error)) return fail(err, kExitFailure, error);

    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::fprintf(out, "Wrote %s: %s\n", options.output.c_str(),
                 summaryLine(done, source.sampleRate(), routing.names, peaks, seconds).c_str());
    return kExitSuccess;
}

/// The encoder's routing: the file's channels in order (AmbiX W, Y, Z, X reordered, W scaled to
/// the classic W), all of the plug-in's outputs read, the first `options.channels` written.
Routing encodeRouting(const AEffect& e, int fileChannels, const RenderOptions& options)
{
    Routing r;
    r.processorInputs = e.numInputs;
    r.processorOutputs = e.numOutputs;
    for (int c = 0; c < fileChannels; ++c)
        r.feed.push_back(c);
    if (options.ambix) r.feed = {0, 3, 1, 2};
    r.inDivisor.assign(r.feed.size(), 1.0);
    if (options.ambix) r.inDivisor[0] = std::sqrt(2.0); // SN3D W is the classic W times the root of 2
    for (int k = 0; k < options.channels; ++k)
        r.written.push_back(k);
    r.outScale.assign(r.written.size(), 1.0);
    r.names = {"L", "R", "T", "Q"};
    r.names.resize(r.written.size());
    return r;
}

/// Opens the INPUT file, or says why not and sets `status`. A raw file takes `rawChannels`
/// (0: not given, which `rawNeeds` names the option for).
std::unique_ptr<AudioSource> openInput(const RenderOptions& options, int rawChannels, const char* rawNeeds,
                                       std::FILE* err, int& status)
{
    if (options.output == options.input || sameFile(options.input, options.output))
    {
        status = fail(err, kExitUsage, "the output " + options.output + " is the input; give another name");
        return nullptr;
    }
    const bool raw = SoundFileSource::isRaw(options.input);
    if (raw && rawChannels == 0)
    {
        status = fail(err, kExitUsage, "raw input " + options.input + " needs " + rawNeeds);
        return nullptr;
    }
    if (!raw && options.sampleRate)
        std::fprintf(err, "sorvelt-render: note: --sample-rate is for raw input; %s keeps its own rate\n",
                     options.input.c_str());
    std::string error;
    auto source =
        SoundFileSource::open(options.input, {rawChannels, options.sampleRate.value_or(kDefaultRate)}, error);
    if (!source) status = fail(err, kExitFailure, error);
    return source;
}

/// UHJ in, B-Format out, through the decoder instead of the plug-in.
int runDecode(const RenderOptions& options, std::FILE* out, std::FILE* err)
{
    int status = kExitSuccess;
    const std::unique_ptr<AudioSource> source = openInput(options, options.uhjChannels.value_or(0),
                                                          "--channels (2, 3 or 4 UHJ channels)", err, status);
    if (!source) return status;
    const int fileChannels = source->channels();
    const std::string has =
        options.input + " has " + std::to_string(fileChannels) + " channel" + (fileChannels == 1 ? "" : "s");
    if (options.uhjChannels && *options.uhjChannels > fileChannels)
        return fail(err, kExitUsage,
                    has + "; --channels " + std::to_string(*options.uhjChannels) + " needs that many");
    if (!options.uhjChannels && (fileChannels < 2 || fileChannels > 4))
        return fail(err, kExitFailure,
                    has + "; --decode takes 2, 3 or 4 (L, R, T, Q; --channels reads fewer)");
    const int uhjChannels = options.uhjChannels.value_or(fileChannels);

    Routing routing;
    routing.processorInputs = routing.processorOutputs = 4;
    for (int c = 0; c < uhjChannels; ++c)
        routing.feed.push_back(c);
    routing.inDivisor.assign(routing.feed.size(), 1.0);
    if (options.ambix)
    {
        // ACN order W, Y, Z, X; SN3D's W is the classic W times the root of 2.
        routing.written = {0, 2, 3, 1};
        routing.outScale = {std::sqrt(2.0), 1.0, 1.0, 1.0};
        routing.names = {"W", "Y", "Z", "X"};
    }
    else
    {
        routing.written = {0, 1, 2, 3};
        routing.outScale = {1.0, 1.0, 1.0, 1.0};
        routing.names = {"W", "X", "Y", "Z"};
    }
    static const char* const uhjNames[] = {"", "", "L, R", "L, R, T", "L, R, T, Q"};
    std::fprintf(out, "Decoding %d-channel UHJ (%s) to B-Format %s%s; gain %s dB\n", uhjChannels,
                 uhjNames[uhjChannels], options.ambix ? "W, Y, Z, X (AmbiX)" : "W, X, Y, Z",
                 uhjChannels < 4 ? " (Z silent)" : "", peakToDbfs(options.gain).c_str());

    std::string error;
    auto sink = SoundFileSink::create(options.output, 4, source->sampleRate(), options.encoding, error);
    if (!sink) return fail(err, kExitFailure, error);
    UhjDecoder decoder(uhjChannels, options.gain);
    const auto decode = [&decoder](float** inputs, float** outputs, int frames, long long)
    { decoder.process(inputs, outputs, frames); };
    return renderAll<float>(*source, *sink, options, routing, decode, out, err);
}

} // namespace

std::vector<std::string> pluginCandidates()
{
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return {"sorvelt.so"};
    const std::string path(self, static_cast<size_t>(length));
    const std::string folder = path.substr(0, path.find_last_of('/') + 1);
    // Installed, the command sits in <prefix>/bin and the plug-in where hosts look for it;
    // found relative to the command so an unpacked package works wherever it lies.
    const std::filesystem::path installed = folder + SORVELT_INSTALLED_PLUGIN_DIR "/sorvelt.so";
    return {folder + "sorvelt.so", installed.lexically_normal().string()};
}

std::string defaultPluginPath()
{
    const std::vector<std::string> candidates = pluginCandidates();
    for (const std::string& candidate : candidates)
        if (::access(candidate.c_str(), F_OK) == 0) return candidate;
    return candidates.front();
}

int runJob(const RenderOptions& options, std::FILE* out, std::FILE* err)
{
    if (options.help)
    {
        std::fputs(helpText().c_str(), out);
        return kExitSuccess;
    }
    const std::string pluginPath = options.plugin.empty() ? defaultPluginPath() : options.plugin;
    std::string error;

    if (options.version)
    {
        std::fprintf(out, "sorvelt-render %s\n", SORVELT_VERSION);
        auto host = PluginHost::load(pluginPath, static_cast<float>(kDefaultRate), options.blockSize, error);
        if (!host) return fail(err, kExitFailure, error);
        host->open();
        std::fprintf(out, "Plug-in: %s (%s, vendor version %ld)\n", host->path().c_str(),
                     host->text(effGetEffectName).c_str(),
                     static_cast<long>(host->dispatch(effGetVendorVersion)));
        return kExitSuccess;
    }

    if (options.info)
    {
        auto host =
            PluginHost::load(pluginPath, static_cast<float>(options.sampleRate.value_or(kDefaultRate)),
                             options.blockSize, error);
        if (!host) return fail(err, kExitFailure, error);
        host->open();
        return printInfo(*host, out);
    }

    if (options.gui || !options.snapshot.empty()) return runEditorJob(options, pluginPath, out, err);

    if (options.decode) return runDecode(options, out, err);

    // The source, and what it holds.
    const bool demo = options.input.empty();
    std::unique_ptr<AudioSource> source;
    if (demo)
        source = std::make_unique<DemoSource>(options.sampleRate.value_or(kDefaultRate));
    else
    {
        int status = kExitSuccess;
        source = openInput(options, options.format ? channelsOf(*options.format) : 0,
                           "--format (mono, stereo or bformat)", err, status);
        if (!source) return status;
    }
    const std::string sourceName = demo ? std::string("the built-in demo") : options.input;
    InputFormat format = InputFormat::Mono;
    if (options.format)
    {
        format = *options.format;
        if (source->channels() != channelsOf(format))
            return fail(err, kExitFailure,
                        sourceName + " has " + std::to_string(source->channels()) + " channels; --format " +
                            std::string(nameOf(format)) + (options.ambix ? " (AmbiX)" : "") + " takes " +
                            std::to_string(channelsOf(format)));
    }
    else if (source->channels() == 1 || source->channels() == 2 || source->channels() == 4)
        format = source->channels() == 1   ? InputFormat::Mono
                 : source->channels() == 2 ? InputFormat::Stereo
                                           : InputFormat::BFormat;
    else
        return fail(err, kExitFailure,
                    sourceName + " has " + std::to_string(source->channels()) +
                        " channels; the encoder takes 1 (mono), 2 (stereo) or 4 (B-Format W, X, Y, Z)");

    // The plug-in, opened as a host opens it.
    auto host =
        PluginHost::load(pluginPath, static_cast<float>(source->sampleRate()), options.blockSize, error);
    if (!host) return fail(err, kExitFailure, error);
    const AEffect& e = host->record();
    if (e.numInputs < channelsOf(format))
        return fail(err, kExitFailure,
                    "plug-in " + pluginPath + " has only " + std::to_string(e.numInputs) + " inputs; " +
                        std::string(nameOf(format)) + " input needs " + std::to_string(channelsOf(format)));
    if (e.numOutputs < options.channels)
        return fail(err, kExitFailure,
                    "plug-in " + pluginPath + " has only " + std::to_string(e.numOutputs) +
                        " outputs; --channels " + std::to_string(options.channels) + " needs more");
    if (options.doublePrecision && (!host->canProcessDouble() || !e.processDoubleReplacing))
        return fail(err, kExitFailure, "plug-in " + pluginPath + " cannot process in double precision");
    host->open();

    const int64_t frames = source->frames();
    const long long blockCount = std::max<long long>(1, (frames + options.blockSize - 1) / options.blockSize);
    const Automation automation{options, demo};
    automation.apply(*host, 0, blockCount);
    host->setParameter(kFormat, formatToNormalized(format));
    host->setParameter(kGain, options.gain);
    printSettings(*host, automation, blockCount, out);

    auto sink = SoundFileSink::create(options.output, options.channels, source->sampleRate(),
                                      options.encoding, error);
    if (!sink) return fail(err, kExitFailure, error);
    const Routing routing = encodeRouting(e, source->channels(), options);
    const auto encode = [&](auto** inputs, auto** outputs, int frames, long long block)
    {
        if (automation.moves()) automation.apply(*host, std::min(block, blockCount - 1), blockCount);
        host->process(inputs, outputs, frames);
    };
    if (options.doublePrecision) return renderAll<double>(*source, *sink, options, routing, encode, out, err);
    return renderAll<float>(*source, *sink, options, routing, encode, out, err);
}

} // namespace sorvelt::render
