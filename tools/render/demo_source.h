// The built-in demo: a short marimba-like phrase with soft noise clicks, mono, made in code.
#pragma once

#include "tools/render/audio_source.h"

#include <vector>

namespace sorvelt::render
{

class DemoSource : public AudioSource
{
public:
    static constexpr double kSeconds = 8.0;

    explicit DemoSource(int sampleRate = 48000);

    int channels() const override { return 1; }
    int sampleRate() const override { return rate; }
    int64_t frames() const override { return static_cast<int64_t>(samples.size()); }
    int64_t read(float* interleaved, int64_t count) override;
    int64_t read(double* interleaved, int64_t count) override;

    /// Azimuth in degrees at a fraction 0 .. 1 of the demo: one full turn, starting in front and
    /// going to the left first.
    static double azimuthAt(double fraction);

private:
    int rate;
    std::vector<float> samples;
    size_t position = 0;
};

} // namespace sorvelt::render
