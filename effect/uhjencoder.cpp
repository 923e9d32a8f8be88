// The UHJ encoding engine. The order of every sum and the width of every
// intermediate value are fixed so both callbacks give reproducible bit patterns;
// this file is built with -ffp-contract=off for the same reason.
#include "effect/uhjencoder.h"

#include <cmath>
#include <type_traits>

#include "effect/parameters.h"

namespace
{

// Phase-difference network coefficients, denominator 1 + A2 z^-2 + A4 z^-4 + A6 z^-6 + A8 z^-8.
constexpr float kA8f = 0.40920362f, kA6f = -2.1498227f, kA4f = 4.070339f, kA2f = -3.3297162f;
constexpr float kB8f = 0.1110398f, kB6f = -1.0674875f, kB4f = 2.787299f, kB2f = -2.8307364f;
constexpr double kA8d = 0.40920361097532, kA6d = -2.149822808729033, kA4d = 4.070339173607931,
                 kA2d = -3.329716204571899;
constexpr double kB8d = 0.11103979921915, kB6d = -1.067487518353942, kB4d = 2.787298979025264,
                 kB2d = -2.830736287722834;
// Keeps the recursions out of denormal numbers; the double callback adds the same value.
constexpr float kOffsetf = 1e-25f;
constexpr double kOffsetd = static_cast<double>(kOffsetf);

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

// Path A: odd past inputs (one sample of pure delay). Path B: the current and even
// past inputs; it leads path A by 90 degrees. x = input history, y = own output history.
inline float pathA(const float* x, const float* y)
{
    return kA8f * (x[0] - y[7]) + kA6f * (x[2] - y[5]) + kA4f * (x[4] - y[3]) + kA2f * (x[6] - y[1]) + x[8] +
           kOffsetf;
}

inline float pathB(float now, const float* x, const float* y)
{
    return kB8f * (now - y[7]) + kB6f * (x[1] - y[5]) + kB4f * (x[3] - y[3]) + kB2f * (x[5] - y[1]) + x[7] +
           kOffsetf;
}

// The double callback: differences of the single-precision histories, products and
// sums in double, the output rounded to single.
inline float pathA(double, const float* x, const float* y)
{
    return static_cast<float>(kA8d * static_cast<double>(x[0] - y[7]) +
                              kA6d * static_cast<double>(x[2] - y[5]) +
                              kA4d * static_cast<double>(x[4] - y[3]) +
                              kA2d * static_cast<double>(x[6] - y[1]) + static_cast<double>(x[8]) + kOffsetd);
}

inline float pathB(double now, const float* x, const float* y)
{
    return static_cast<float>(kB8d * (now - static_cast<double>(y[7])) +
                              kB6d * static_cast<double>(x[1] - y[5]) +
                              kB4d * static_cast<double>(x[3] - y[3]) +
                              kB2d * static_cast<double>(x[5] - y[1]) + static_cast<double>(x[7]) + kOffsetd);
}

/// Newest first: the oldest value drops out. Written out so that no loop can be
/// turned into a library call inside the sample loop.
inline void push9(float (&h)[9], float v)
{
    h[8] = h[7];
    h[7] = h[6];
    h[6] = h[5];
    h[5] = h[4];
    h[4] = h[3];
    h[3] = h[2];
    h[2] = h[1];
    h[1] = h[0];
    h[0] = v;
}

inline void push8(float (&h)[8], float v)
{
    h[7] = h[6];
    h[6] = h[5];
    h[5] = h[4];
    h[4] = h[3];
    h[3] = h[2];
    h[2] = h[1];
    h[1] = h[0];
    h[0] = v;
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

template <class Sample>
void run(const Sample* const* in, Sample* const* out, int32_t frames, const float* params,
         const BlockGains& g, UhjFilterState& st)
{
    auto& xh = st.inputHistory;
    auto& yh = st.filterHistory;
    for (int32_t n = 0; n < frames; ++n)
    {
        // Every input is read before any output is written: hosts may process in place.
        const Sample x0 = in[0][n], x1 = in[1][n], x2 = in[2][n], x3 = in[3][n];
        float y0A, y0B, y1A, y1B, y2A, y3A;
        if constexpr (std::is_same_v<Sample, float>)
        {
            y0A = pathA(xh[0], yh[0]);
            y0B = pathB(x0, xh[0], yh[1]);
            y1A = pathA(xh[1], yh[2]);
            y1B = pathB(x1, xh[1], yh[3]);
            y2A = pathA(xh[2], yh[4]);
            y3A = pathA(xh[3], yh[5]);
        }
        else
        {
            y0A = pathA(0.0, xh[0], yh[0]);
            y0B = pathB(x0, xh[0], yh[1]);
            y1A = pathA(0.0, xh[1], yh[2]);
            y1B = pathB(x1, xh[1], yh[3]);
            y2A = pathA(0.0, xh[2], yh[4]);
            y3A = pathA(0.0, xh[3], yh[5]);
        }

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

        push9(xh[0], static_cast<float>(x0));
        push9(xh[1], static_cast<float>(x1));
        push9(xh[2], static_cast<float>(x2));
        push9(xh[3], static_cast<float>(x3));
        push8(yh[0], y0A);
        push8(yh[1], y0B);
        push8(yh[2], y1A);
        push8(yh[3], y1B);
        push8(yh[4], y2A);
        push8(yh[5], y3A);

        const float left = 0.5f * (m.s + m.d);
        const float right = 0.5f * (m.s - m.d);
        const float gain = loadParameter(params[Gain]);
        out[0][n] = left * gain;
        out[1][n] = right * gain;
        out[2][n] = m.t * gain;
        out[3][n] = m.q * gain;
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

void UhjEncoder::process(const float* const* inputs, float* const* outputs, int32_t sampleFrames,
                         float* params)
{
    if (sampleFrames <= 0) return;
    const BlockGains gains = singleBlockGains(params);
    UhjFilterState st = state_;
    run(inputs, outputs, sampleFrames, params, gains, st);
    state_ = st;
    recoverFromNonFinite();
}

void UhjEncoder::process(const double* const* inputs, double* const* outputs, int32_t sampleFrames,
                         float* params)
{
    if (sampleFrames <= 0) return;
    const BlockGains gains = doubleBlockGains(params);
    UhjFilterState st = state_;
    run(inputs, outputs, sampleFrames, params, gains, st);
    state_ = st;
    recoverFromNonFinite();
}

void UhjEncoder::recoverFromNonFinite()
{
    bool finite = true;
    for (const auto& row : state_.inputHistory)
        for (float v : row)
            finite = finite && std::isfinite(v);
    for (const auto& row : state_.filterHistory)
        for (float v : row)
            finite = finite && std::isfinite(v);
    if (!finite) state_ = UhjFilterState{};
}
