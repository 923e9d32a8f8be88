// The UHJ encoding engine: the block set-up, the filter bank and the mix. The order of
// every sum and the width of every intermediate value are fixed so both callbacks give
// reproducible bit patterns; this file is built with -ffp-contract=off for the same reason.
#include "effect/uhjencoder.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <type_traits>

#include "effect/parameters.h"

namespace
{

// The historical shortened constants; the panning depends on their residues.
constexpr double kTwoPi = 6.2831853;
constexpr double kPi = 3.14159265;

/// Per-block panning gains of the two source images, and the format index.
using BlockGains = phasekernels::UhjGains;

BlockGains gainsFor(const double cosTheta[2], const double sinTheta[2], double cosPhi, double sinPhi,
                    int format)
{
    BlockGains g{};
    for (int i = 0; i < 2; ++i)
    {
        g.s[i] = 0.2624 * cosTheta[i] * cosPhi;
        g.da[i] = 0.9269 * sinTheta[i] * cosPhi;
        g.db[i] = 0.7211 * cosTheta[i] * cosPhi;
        g.ta[i] = sinTheta[i] * cosPhi;
        g.tb[i] = 0.9209 * cosTheta[i] * cosPhi;
    }
    g.q = 0.9772 * sinPhi;
    g.format = format;
    for (int k = 0; k < 4; ++k)
    {
        for (int i = 0; i < 2; ++i)
        {
            g.wide.s[i][k] = g.s[i];
            g.wide.da[i][k] = g.da[i];
            g.wide.db[i][k] = g.db[i];
            g.wide.ta[i][k] = g.ta[i];
            g.wide.tb[i][k] = g.tb[i];
        }
        g.wide.q[k] = g.q;
    }
    return g;
}

/// Single-precision set-up: angles, sines and cosines in double, the sines and
/// cosines rounded to single before the gains are formed.
BlockGains singleBlockGains(const UhjEncoder::Snapshot& p)
{
    const double a = p.azimuth;
    const double e = p.elevation;
    const double w = p.width;
    const int format = uhjFormatIndex(p.format);
    const double theta[2] = {(0.5 - (a - 0.25 * w)) * kTwoPi, (0.5 - (a + 0.25 * w)) * kTwoPi};
    const double phi = (e - 0.5) * kPi;
    double cosTheta[2], sinTheta[2];
    for (int i = 0; i < 2; ++i)
    {
        cosTheta[i] = static_cast<float>(std::cos(theta[i]));
        sinTheta[i] = static_cast<float>(std::sin(theta[i]));
    }
    return gainsFor(cosTheta, sinTheta, static_cast<float>(std::cos(phi)), static_cast<float>(std::sin(phi)),
                    format);
}

/// Double-precision set-up: the sums inside the angles in single precision,
/// everything from the products on in double.
BlockGains doubleBlockGains(const UhjEncoder::Snapshot& p)
{
    const float a = p.azimuth;
    const float e = p.elevation;
    const float w = p.width;
    const int format = uhjFormatIndex(p.format);
    const float turn0 = 0.5f - (a - 0.25f * w);
    const float turn1 = 0.5f - (a + 0.25f * w);
    const double theta[2] = {static_cast<double>(turn0) * kTwoPi, static_cast<double>(turn1) * kTwoPi};
    const double phi = static_cast<double>(e - 0.5f) * kPi;
    double cosTheta[2], sinTheta[2];
    for (int i = 0; i < 2; ++i)
    {
        cosTheta[i] = std::cos(theta[i]);
        sinTheta[i] = std::sin(theta[i]);
    }
    return gainsFor(cosTheta, sinTheta, std::cos(phi), std::sin(phi), format);
}

/// Whether the four bytes at `p` overlap `frames` samples at `out`.
template <class Sample> bool overlaps(const float* p, const Sample* out, int32_t frames)
{
    const auto a = reinterpret_cast<std::uintptr_t>(p);
    const auto b = reinterpret_cast<std::uintptr_t>(out);
    return a + sizeof(float) > b && a < b + static_cast<std::uintptr_t>(frames) * sizeof(Sample);
}

} // namespace

int uhjFormatIndex(float format)
{
    const float k = std::floor(format + format);
    if (k >= 2.0f) return kUhjBFormat;
    if (k >= 1.0f) return kUhjStereo;
    return kUhjMono;
}

UhjEncoder::UhjEncoder(SimdLevel level)
    : network_({PhasePath::A, PhasePath::A, PhasePath::A, PhasePath::A, PhasePath::B, PhasePath::B}, level)
{
}

template <class Sample>
void UhjEncoder::run(const Sample* const* inputs, Sample* const* outputs, int32_t frames, const float* params,
                     const phasekernels::UhjGains& gains)
{
    const phasekernels::Table& kernels = *network_.kernels_;
    const auto encode = [&] {
        if constexpr (std::is_same_v<Sample, float>)
            return kernels.encodeSingle;
        else
            return kernels.encodeDouble;
    }();
    const float* gain = &params[Gain];
    bool gainInOutputs = false;
    for (int c = 0; c < kNumChannels; ++c)
        gainInOutputs = gainInOutputs || overlaps(gain, outputs[c], frames);
    // Each pass reads all its inputs before it writes an output: hosts may process in place.
    // Each also checks the history it leaves; the last pass's answer is the block's.
    bool nonFinite = false;
    if (frames <= phasekernels::kChunk)
        nonFinite = encode(network_.setup_, network_.state_, network_.scratch_, inputs, outputs, frames, gains,
                           gain, gainInOutputs);
    else
        for (int32_t done = 0; done < frames; done += phasekernels::kChunk)
        {
            const int n =
                frames - done < phasekernels::kChunk ? static_cast<int>(frames - done) : phasekernels::kChunk;
            const Sample* in[4] = {inputs[0] + done, inputs[1] + done, inputs[2] + done, inputs[3] + done};
            Sample* out[4] = {outputs[0] + done, outputs[1] + done, outputs[2] + done, outputs[3] + done};
            nonFinite =
                encode(network_.setup_, network_.state_, network_.scratch_, in, out, n, gains, gain, gainInOutputs);
        }
    // A NaN or infinity would never decay out of the recursions; the next block
    // starts from silence instead.
    if (nonFinite) network_.reset();
}

UhjEncoder::Snapshot UhjEncoder::Snapshot::of(const float* params)
{
    return {loadParameter(params[SourceAzimuth]), loadParameter(params[SourceElevation]),
            loadParameter(params[SourceWidth]), loadParameter(params[InputFormat])};
}

bool UhjEncoder::Snapshot::sameBits(const Snapshot& o) const
{
    return std::bit_cast<std::uint32_t>(azimuth) == std::bit_cast<std::uint32_t>(o.azimuth) &&
           std::bit_cast<std::uint32_t>(elevation) == std::bit_cast<std::uint32_t>(o.elevation) &&
           std::bit_cast<std::uint32_t>(width) == std::bit_cast<std::uint32_t>(o.width) &&
           std::bit_cast<std::uint32_t>(format) == std::bit_cast<std::uint32_t>(o.format);
}

const phasekernels::UhjGains& UhjEncoder::GainCache::lookup(const float* params,
                                                            phasekernels::UhjGains (*compute)(const Snapshot&))
{
    const Snapshot now = Snapshot::of(params);
    if (!valid || !now.sameBits(key))
    {
        gains = compute(now);
        key = now;
        valid = true;
    }
    return gains;
}

void UhjEncoder::process(const float* const* inputs, float* const* outputs, int32_t sampleFrames,
                         float* params)
{
    if (sampleFrames <= 0) return;
    run(inputs, outputs, sampleFrames, params, singleGains_.lookup(params, &singleBlockGains));
}

void UhjEncoder::process(const double* const* inputs, double* const* outputs, int32_t sampleFrames,
                         float* params)
{
    if (sampleFrames <= 0) return;
    run(inputs, outputs, sampleFrames, params, doubleGains_.lookup(params, &doubleBlockGains));
}

UhjFilterState UhjEncoder::state() const
{
    UhjFilterState s{};
    constexpr int kLaneOfFilter[6] = {0, 4, 1, 5, 2, 3};
    for (int c = 0; c < 4; ++c)
        for (int k = 0; k < PhaseNetwork::kInputHistory; ++k)
            s.inputHistory[c][k] = network_.inputHistory(c, k);
    for (int f = 0; f < 6; ++f)
        for (int k = 0; k < PhaseNetwork::kOutputHistory; ++k)
            s.filterHistory[f][k] = network_.outputHistory(kLaneOfFilter[f], k);
    return s;
}
