// Demo source synthesis.
#include "tools/render/demo_source.h"

#include "tools/render/units.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace sorvelt::render
{

namespace
{

/// Small deterministic noise, so every run renders the same file.
class Noise
{
public:
    double next()
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<double>(state >> 11) / 4503599627370496.0 - 1.0; // -1 .. 1
    }

private:
    uint64_t state = 0x9E3779B97F4A7C15ull;
};

constexpr double kPi = 3.14159265358979323846;

} // namespace

DemoSource::DemoSource(int sampleRate) : rate(sampleRate)
{
    const size_t count = static_cast<size_t>(kSeconds * sampleRate);
    std::vector<double> mix(count, 0.0);
    Noise noise;

    // A minor pentatonic, one note every quarter second: 32 notes over the 8 seconds.
    const double scale[] = {220.0, 261.63, 293.66, 329.63, 392.0, 440.0, 523.25, 587.33};
    const int melody[] = {0, 2, 4, 5, 4, 2, 3, 1, 0, 4, 5, 7, 6, 4, 3, 2,
                          0, 2, 4, 5, 7, 5, 4, 6, 5, 3, 4, 2, 1, 2, 0, 0};
    const double step = 0.25;
    for (int note = 0; note < 32; ++note)
    {
        const size_t begin = static_cast<size_t>(note * step * sampleRate);
        const double pitch = scale[melody[note]];
        const double accent = note % 4 == 0 ? 1.0 : 0.7;
        const size_t length = std::min(count - begin, static_cast<size_t>(1.2 * sampleRate));
        for (size_t i = 0; i < length; ++i)
        {
            const double t = static_cast<double>(i) / sampleRate;
            // A bar's fundamental rings on; its fourth-ish overtone dies fast, as on a marimba.
            const double body = std::sin(2 * kPi * pitch * t) * std::exp(-t / 0.30);
            const double overtone = 0.35 * std::sin(2 * kPi * pitch * 3.93 * t) * std::exp(-t / 0.05);
            // The mallet: a few milliseconds of noise, which is what makes the position easy to hear.
            const double click = t < 0.006 ? 0.5 * noise.next() * (1.0 - t / 0.006) : 0.0;
            mix[begin + i] += 0.35 * accent * (body + overtone + click);
        }
    }

    // Short fades, so the file starts and ends without a click of its own.
    const size_t fade = static_cast<size_t>(0.01 * sampleRate);
    samples.resize(count);
    for (size_t i = 0; i < count; ++i)
    {
        double value = mix[i];
        if (i < fade) value *= static_cast<double>(i) / fade;
        if (count - i <= fade) value *= static_cast<double>(count - 1 - i) / fade;
        samples[i] = static_cast<float>(value);
    }
}

double DemoSource::azimuthAt(double fraction)
{
    return wrapDegrees(360.0 * fraction);
}

int64_t DemoSource::read(float* interleaved, int64_t count)
{
    const size_t n = std::min(static_cast<size_t>(count), samples.size() - position);
    std::copy_n(samples.begin() + static_cast<std::ptrdiff_t>(position), n, interleaved);
    position += n;
    return static_cast<int64_t>(n);
}

int64_t DemoSource::read(double* interleaved, int64_t count)
{
    const size_t n = std::min(static_cast<size_t>(count), samples.size() - position);
    std::copy_n(samples.begin() + static_cast<std::ptrdiff_t>(position), n, interleaved);
    position += n;
    return static_cast<int64_t>(n);
}

} // namespace sorvelt::render
