// The UHJ encoding engine: the block set-up, the filter bank and the mix. The order of
// every sum and the width of every intermediate value are fixed so both callbacks give
// reproducible bit patterns; this file is built with -ffp-contract=off for the same reason.
#include "effect/uhjencoder.h"

#include <cmath>

#include "effect/parameters.h"

namespace
{

// The historical shortened constants; the panning depends on their residues.
constexpr double kTwoPi = 6.2831853;
constexpr double kPi = 3.14159265;

/// Per-block panning gains of the two source images, and the format index.
struct BlockGains
{
    double s[2], da[2], db[2], ta[2], tb[2];
    double q;
    int format;
};

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
    return g;
}

/// Single-precision set-up: angles, sines and cosines in double, the sines and
/// cosines rounded to single before the gains are formed.
BlockGains singleBlockGains(const float* params)
{
    const double a = loadParameter(params[SourceAzimuth]);
    const double e = loadParameter(params[SourceElevation]);
    const double w = loadParameter(params[SourceWidth]);
    const int format = uhjFormatIndex(loadParameter(params[InputFormat]));
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
BlockGains doubleBlockGains(const float* params)
{
    const float a = loadParameter(params[SourceAzimuth]);
    const float e = loadParameter(params[SourceElevation]);
    const float w = loadParameter(params[SourceWidth]);
    const int format = uhjFormatIndex(loadParameter(params[InputFormat]));
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

struct Mix
{
    float s, d, t, q;
};

/// A positioned source: each image's S, D, T, Q summed in double and rounded to
/// single; the averages in single.
inline Mix mixImages(const BlockGains& g, float a0, float b0, float a1, float b1)
{
    const float a[2] = {a0, a1}, b[2] = {b0, b1};
    float s[2], d[2], t[2], q[2];
    for (int i = 0; i < 2; ++i)
    {
        s[i] = static_cast<float>(0.9397 * a[i] + g.s[i] * a[i]);
        d[i] = static_cast<float>(-0.342 * b[i] + g.db[i] * b[i] + g.da[i] * a[i]);
        t[i] = static_cast<float>(-0.1432 * b[i] + g.tb[i] * b[i] - g.ta[i] * a[i]);
        q[i] = static_cast<float>(g.q * a[i]);
    }
    return {0.5f * (s[0] + s[1]), 0.5f * (d[0] + d[1]), 0.5f * (t[0] + t[1]), 0.5f * (q[0] + q[1])};
}

/// B-Format W, X, Y, Z as it comes, no rescaling of W.
inline Mix mixBFormat(float w, float wj, float x, float xj, float y, float z)
{
    return {static_cast<float>(0.9397 * w + 0.1856 * x),
            static_cast<float>(-0.342 * wj + 0.5099 * xj + 0.6555 * y),
            static_cast<float>(-0.1432 * wj + 0.6512 * xj - 0.7071 * y), static_cast<float>(0.9772 * z)};
}

/// One pass of at most kPassFrames: the six filters over the whole pass, then the mix
/// sample by sample, the gain read afresh for each.
template <class Sample>
void runPass(PhaseNetwork& network, float (&y)[6][UhjEncoder::kPassFrames], const Sample* const* in,
             Sample* const* out, int frames, const float* params, const BlockGains& g)
{
    // Every input of the pass is read before any output is written: hosts may process in place.
    const Sample* filterInputs[6] = {in[0], in[0], in[1], in[1], in[2], in[3]};
    float* filterOutputs[6] = {y[0], y[1], y[2], y[3], y[4], y[5]};
    network.process(filterInputs, filterOutputs, frames);

    for (int n = 0; n < frames; ++n)
    {
        const float y0A = y[0][n], y0B = y[1][n], y1A = y[2][n], y1B = y[3][n], y2A = y[4][n], y3A = y[5][n];
        Mix m;
        switch (g.format)
        {
        case kUhjMono:
            m = mixImages(g, y0A, y0B, y0A, y0B);
            break;
        case kUhjStereo:
            m = mixImages(g, y0A, y0B, y1A, y1B);
            break;
        default:
            m = mixBFormat(y0A, y0B, y1A, y1B, y2A, y3A);
            break;
        }
        const float left = 0.5f * (m.s + m.d);
        const float right = 0.5f * (m.s - m.d);
        const float gain = loadParameter(params[Gain]);
        out[0][n] = left * gain;
        out[1][n] = right * gain;
        out[2][n] = m.t * gain;
        out[3][n] = m.q * gain;
    }
}

template <class Sample>
void runBlock(PhaseNetwork& network, float (&y)[6][UhjEncoder::kPassFrames], const Sample* const* inputs,
              Sample* const* outputs, int32_t frames, const float* params, const BlockGains& g)
{
    for (int32_t done = 0; done < frames; done += UhjEncoder::kPassFrames)
    {
        const int n = frames - done < UhjEncoder::kPassFrames ? static_cast<int>(frames - done)
                                                               : UhjEncoder::kPassFrames;
        const Sample* in[4] = {inputs[0] + done, inputs[1] + done, inputs[2] + done, inputs[3] + done};
        Sample* out[4] = {outputs[0] + done, outputs[1] + done, outputs[2] + done, outputs[3] + done};
        runPass(network, y, in, out, n, params, g);
    }
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
    : network_({PhasePath::A, PhasePath::B, PhasePath::A, PhasePath::B, PhasePath::A, PhasePath::A}, level),
      filtered_{}
{
}

void UhjEncoder::process(const float* const* inputs, float* const* outputs, int32_t sampleFrames,
                         float* params)
{
    if (sampleFrames <= 0) return;
    const BlockGains gains = singleBlockGains(params);
    runBlock(network_, filtered_, inputs, outputs, sampleFrames, params, gains);
    // A NaN or infinity would never decay out of the recursions; the next block
    // starts from silence instead.
    network_.recoverFromNonFinite();
}

void UhjEncoder::process(const double* const* inputs, double* const* outputs, int32_t sampleFrames,
                         float* params)
{
    if (sampleFrames <= 0) return;
    const BlockGains gains = doubleBlockGains(params);
    runBlock(network_, filtered_, inputs, outputs, sampleFrames, params, gains);
    network_.recoverFromNonFinite();
}

UhjFilterState UhjEncoder::state() const
{
    UhjFilterState s{};
    constexpr int kLaneOfInput[4] = {0, 2, 4, 5};
    for (int c = 0; c < 4; ++c)
        for (int k = 0; k < PhaseNetwork::kInputHistory; ++k)
            s.inputHistory[c][k] = network_.inputHistory(kLaneOfInput[c], k);
    for (int f = 0; f < 6; ++f)
        for (int k = 0; k < PhaseNetwork::kOutputHistory; ++k)
            s.filterHistory[f][k] = network_.outputHistory(f, k);
    return s;
}
