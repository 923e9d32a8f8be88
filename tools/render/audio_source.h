// Where the audio to be encoded comes from: a sound file or the built-in demo.
#pragma once

#include <cstdint>
#include <string>

namespace sorvelt::render
{

/// A finite stream of interleaved frames.
class AudioSource
{
public:
    virtual ~AudioSource() = default;
    virtual int channels() const = 0;
    virtual int sampleRate() const = 0;
    /// Total frames; the progress bar and the movements are spread over them.
    virtual int64_t frames() const = 0;
    /// Reads up to `count` frames; returns how many, 0 at the end, -1 on a read error (see error()).
    virtual int64_t read(float* interleaved, int64_t count) = 0;
    virtual int64_t read(double* interleaved, int64_t count) = 0;
    virtual std::string error() const { return {}; }
};

} // namespace sorvelt::render
