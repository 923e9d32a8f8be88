// Sound files through libsndfile: a reader, and a writer that only ever replaces its
// destination whole (it writes a temporary file beside it and renames it at the end).
#pragma once

#include "tools/render/audio_source.h"
#include "tools/render/options.h"

#include <memory>
#include <string>

namespace sorvelt::render
{

/// Reads any file libsndfile knows; a ".raw" file is headerless 32-bit float, little-endian,
/// with the channel count and rate the caller gives.
class SoundFileSource : public AudioSource
{
public:
    struct RawLayout
    {
        int channels = 0;
        int sampleRate = 0;
    };

    /// Opens `path`; on failure returns null and sets `error` to a one-line reason.
    static std::unique_ptr<SoundFileSource> open(const std::string& path, const RawLayout& raw,
                                                 std::string& error);
    ~SoundFileSource() override;

    int channels() const override;
    int sampleRate() const override;
    int64_t frames() const override;
    int64_t read(float* interleaved, int64_t count) override;
    int64_t read(double* interleaved, int64_t count) override;
    std::string error() const override;

    /// True for the headerless input that needs --format and --sample-rate.
    static bool isRaw(const std::string& path);

private:
    struct State;
    explicit SoundFileSource(std::unique_ptr<State> state);
    std::unique_ptr<State> state;
};

/// Writes the result; the destination appears, or is replaced, only by commit().
class SoundFileSink
{
public:
    /// Creates the temporary file in the destination's folder. Null and `error` set on failure.
    static std::unique_ptr<SoundFileSink> create(const std::string& path, int channels, int sampleRate,
                                                 SampleEncoding encoding, std::string& error);
    /// Removes the temporary file unless commit() has renamed it.
    ~SoundFileSink();

    bool write(const float* interleaved, int64_t count, std::string& error);
    bool write(const double* interleaved, int64_t count, std::string& error);
    /// Finishes the file and renames it onto the destination.
    bool commit(std::string& error);

    /// libsndfile format (container and encoding) chosen for a destination by its extension.
    static int formatFor(const std::string& path, SampleEncoding encoding);

private:
    struct State;
    explicit SoundFileSink(std::unique_ptr<State> state);
    std::unique_ptr<State> state;
};

/// True when both paths name the same existing file (also through links or other spellings).
bool sameFile(const std::string& a, const std::string& b);

} // namespace sorvelt::render
