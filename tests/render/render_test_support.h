// Shared by the render tests: running the built command, sound files in and out, a test
// signal, and the plug-in driven directly through its record.
#pragma once

#include "plugin/aeffect.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace render_test
{

namespace fs = std::filesystem;

inline const std::string kCommand = SORVELT_RENDER_COMMAND;
inline const std::string kPlugin = SORVELT_PLUGIN_FILE;
inline const std::string kFixtures = SORVELT_FIXTURE_DIR;

struct Outcome
{
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

/// Starts the command in `folder` with the arguments and extra environment, its streams going to
/// stdout.txt and stderr.txt there; `inChild` runs in the child just before the command.
inline pid_t startCommand(const std::vector<std::string>& arguments, const fs::path& folder,
                          const std::map<std::string, std::string>& environment = {},
                          const std::function<void()>& inChild = {})
{
    const std::string outPath = (folder / "stdout.txt").string(), errPath = (folder / "stderr.txt").string();
    const pid_t child = ::fork();
    if (child == 0)
    {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, 1);
        ::dup2(err, 2);
        if (::chdir(folder.c_str()) != 0) ::_exit(127);
        for (const auto& [name, value] : environment)
            ::setenv(name.c_str(), value.c_str(), 1);
        if (inChild) inChild();
        std::vector<char*> argv{const_cast<char*>(kCommand.c_str())};
        for (const std::string& a : arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(kCommand.c_str(), argv.data());
        ::_exit(127);
    }
    return child;
}

/// Waits for a started command; a signal's death is 128 plus the signal, as a shell reports it.
inline Outcome finishCommand(pid_t child, const fs::path& folder)
{
    int status = 0;
    ::waitpid(child, &status, 0);
    Outcome run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = slurp((folder / "stdout.txt").string());
    run.err = slurp((folder / "stderr.txt").string());
    return run;
}

/// Runs the command with the arguments and extra environment, collecting both streams.
inline Outcome runCommand(const std::vector<std::string>& arguments, const fs::path& folder,
                          const std::map<std::string, std::string>& environment = {},
                          const std::function<void()>& inChild = {})
{
    return finishCommand(startCommand(arguments, folder, environment, inChild), folder);
}

struct Sound
{
    SF_INFO info{};
    std::vector<float> samples; // interleaved

    float at(sf_count_t frame, int channel) const
    {
        return samples[static_cast<size_t>(frame * info.channels + channel)];
    }
};

inline void writeSound(const fs::path& path, int channels, int rate, const std::vector<float>& interleaved,
                       int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT)
{
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = rate;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    ASSERT_EQ(
        sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(interleaved.size() / channels)),
        static_cast<sf_count_t>(interleaved.size() / channels));
    sf_close(file);
}

inline Sound readSound(const fs::path& path)
{
    Sound sound;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &sound.info);
    if (!file) return sound;
    sound.samples.resize(static_cast<size_t>(sound.info.frames * sound.info.channels));
    sf_readf_float(file, sound.samples.data(), sound.info.frames);
    sf_close(file);
    return sound;
}

/// A reproducible test signal, different on every channel.
inline std::vector<float> testSignal(int channels, int frames, unsigned seed = 1)
{
    std::vector<float> signal(static_cast<size_t>(channels * frames));
    unsigned state = seed * 2654435761u + 1;
    for (float& s : signal)
    {
        state = state * 1664525u + 1013904223u;
        s = static_cast<float>(static_cast<int>(state >> 9) % 16001 - 8000) / 10000.0f;
    }
    return signal;
}

/// The plug-in driven directly through its record, as the reference for the command's output.
class DirectPlugin
{
public:
    DirectPlugin()
    {
        library = ::dlopen(kPlugin.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!library) return;
        void* symbol = ::dlsym(library, "VSTPluginMain");
        if (!symbol) return;
        AEffect* (*entry)(HostCallback) = nullptr;
        std::memcpy(&entry, &symbol, sizeof entry);
        effect = entry(&DirectPlugin::host);
        if (!effect) return;
        effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0);
        effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
        effect->dispatcher(effect, effSetBlockSize, 0, 512, nullptr, 0);
        effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0);
    }
    ~DirectPlugin()
    {
        if (effect)
        {
            effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0);
            effect->dispatcher(effect, effClose, 0, 0, nullptr, 0);
        }
        // Not unloaded, as the command does not unload it: the plug-in's libraries keep caches.
    }
    bool ready() const { return effect != nullptr; }
    void set(int index, float value) { effect->setParameter(effect, index, value); }

    /// Renders `frames` of the four input channels in blocks; `beforeBlock` may move parameters.
    template <typename Sample>
    std::vector<std::vector<float>> render(const std::vector<std::vector<float>>& input, int frames,
                                           int block, const std::function<void(int)>& beforeBlock = {})
    {
        std::vector<std::vector<Sample>> in(4, std::vector<Sample>(static_cast<size_t>(block)));
        std::vector<std::vector<Sample>> out(4, std::vector<Sample>(static_cast<size_t>(block)));
        std::vector<std::vector<float>> result(4);
        Sample* inPointers[4] = {in[0].data(), in[1].data(), in[2].data(), in[3].data()};
        Sample* outPointers[4] = {out[0].data(), out[1].data(), out[2].data(), out[3].data()};
        for (int start = 0, b = 0; start < frames; start += block, ++b)
        {
            const int n = std::min(block, frames - start);
            for (size_t c = 0; c < 4; ++c)
                for (int i = 0; i < n; ++i)
                    in[c][static_cast<size_t>(i)] =
                        static_cast<Sample>(input[c][static_cast<size_t>(start + i)]);
            if (beforeBlock) beforeBlock(b);
            if constexpr (std::is_same_v<Sample, float>)
                effect->processReplacing(effect, inPointers, outPointers, n);
            else
                effect->processDoubleReplacing(effect, inPointers, outPointers, n);
            for (size_t c = 0; c < 4; ++c)
                for (int i = 0; i < n; ++i)
                    result[c].push_back(static_cast<float>(out[c][static_cast<size_t>(i)]));
        }
        return result;
    }

private:
    static std::intptr_t host(AEffect*, std::int32_t opcode, std::int32_t, std::intptr_t, void*, float)
    {
        return opcode == audioMasterVersion ? 2400 : 0;
    }
    void* library = nullptr;
    AEffect* effect = nullptr;
};
} // namespace render_test
