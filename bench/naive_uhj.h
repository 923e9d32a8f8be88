// The encoder's arithmetic transcribed as plainly as it reads: shift registers, one
// filter after another, one sample at a time. The engine is measured against it in the
// same process, and must give the same bits (built with the same floating-point flags).
#pragma once

#include <cmath>
#include <cstdint>
#include <type_traits>

namespace naiveuhj
{

constexpr float kAf[4] = {0.40920362f, -2.1498227f, 4.070339f, -3.3297162f}; // A8 A6 A4 A2
constexpr float kBf[4] = {0.1110398f, -1.0674875f, 2.787299f, -2.8307364f};
constexpr double kAd[4] = {0.40920361097532, -2.149822808729033, 4.070339173607931, -3.329716204571899};
constexpr double kBd[4] = {0.11103979921915, -1.067487518353942, 2.787298979025264, -2.830736287722834};

struct Gains
{
    double s[2], da[2], db[2], ta[2], tb[2], q;
    int format;
};

inline int formatIndex(float f)
{
    const float k = std::floor(f + f);
    return k >= 2.0f ? 2 : (k >= 1.0f ? 1 : 0);
}

inline Gains gainsFrom(const double c[2], const double s[2], double cp, double sp, int format)
{
    Gains g{};
    for (int i = 0; i < 2; ++i)
    {
        g.s[i] = 0.2624 * c[i] * cp;
        g.da[i] = 0.9269 * s[i] * cp;
        g.db[i] = 0.7211 * c[i] * cp;
        g.ta[i] = s[i] * cp;
        g.tb[i] = 0.9209 * c[i] * cp;
    }
    g.q = 0.9772 * sp;
    g.format = format;
    return g;
}

inline Gains singleGains(const float* p)
{
    const double a = p[0], e = p[1], w = p[2];
    const double th[2] = {(0.5 - (a - 0.25 * w)) * 6.2831853, (0.5 - (a + 0.25 * w)) * 6.2831853};
    const double phi = (e - 0.5) * 3.14159265;
    double c[2], s[2];
    for (int i = 0; i < 2; ++i)
    {
        c[i] = static_cast<float>(std::cos(th[i]));
        s[i] = static_cast<float>(std::sin(th[i]));
    }
    return gainsFrom(c, s, static_cast<float>(std::cos(phi)), static_cast<float>(std::sin(phi)),
                     formatIndex(p[3]));
}

inline Gains doubleGains(const float* p)
{
    const float a = p[0], e = p[1], w = p[2];
    const float t0 = 0.5f - (a - 0.25f * w), t1 = 0.5f - (a + 0.25f * w);
    const double th[2] = {static_cast<double>(t0) * 6.2831853, static_cast<double>(t1) * 6.2831853};
    const double phi = static_cast<double>(e - 0.5f) * 3.14159265;
    double c[2], s[2];
    for (int i = 0; i < 2; ++i)
    {
        c[i] = std::cos(th[i]);
        s[i] = std::sin(th[i]);
    }
    return gainsFrom(c, s, std::cos(phi), std::sin(phi), formatIndex(p[3]));
}

class Encoder
{
public:
    template <class T> void process(const T* const* in, T* const* out, std::int32_t frames, const float* params)
    {
        constexpr bool single = std::is_same_v<T, float>;
        const Gains g = single ? singleGains(params) : doubleGains(params);
        const int channelOf[6] = {0, 0, 1, 1, 2, 3};
        const bool isB[6] = {false, true, false, true, false, false};
        for (std::int32_t n = 0; n < frames; ++n)
        {
            float y[6];
            for (int f = 0; f < 6; ++f)
            {
                const float* x = xh_[channelOf[f]];
                const float* h = yh_[f];
                const T now = in[channelOf[f]][n];
                if constexpr (single)
                {
                    if (isB[f])
                        y[f] = kBf[0] * (now - h[7]) + kBf[1] * (x[1] - h[5]) + kBf[2] * (x[3] - h[3]) +
                               kBf[3] * (x[5] - h[1]) + x[7] + 1e-25f;
                    else
                        y[f] = kAf[0] * (x[0] - h[7]) + kAf[1] * (x[2] - h[5]) + kAf[2] * (x[4] - h[3]) +
                               kAf[3] * (x[6] - h[1]) + x[8] + 1e-25f;
                }
                else
                {
                    const double off = static_cast<double>(1e-25f);
                    if (isB[f])
                        y[f] = static_cast<float>(kBd[0] * (now - static_cast<double>(h[7])) +
                                                  kBd[1] * static_cast<double>(x[1] - h[5]) +
                                                  kBd[2] * static_cast<double>(x[3] - h[3]) +
                                                  kBd[3] * static_cast<double>(x[5] - h[1]) +
                                                  static_cast<double>(x[7]) + off);
                    else
                        y[f] = static_cast<float>(kAd[0] * static_cast<double>(x[0] - h[7]) +
                                                  kAd[1] * static_cast<double>(x[2] - h[5]) +
                                                  kAd[2] * static_cast<double>(x[4] - h[3]) +
                                                  kAd[3] * static_cast<double>(x[6] - h[1]) +
                                                  static_cast<double>(x[8]) + off);
                }
            }
            float S, D, Tt, Q;
            if (g.format == 2)
            {
                S = static_cast<float>(0.9397 * y[0] + 0.1856 * y[2]);
                D = static_cast<float>(-0.342 * y[1] + 0.5099 * y[3] + 0.6555 * y[4]);
                Tt = static_cast<float>(-0.1432 * y[1] + 0.6512 * y[3] - 0.7071 * y[4]);
                Q = static_cast<float>(0.9772 * y[5]);
            }
            else
            {
                const float a[2] = {y[0], g.format == 0 ? y[0] : y[2]};
                const float b[2] = {y[1], g.format == 0 ? y[1] : y[3]};
                float s[2], d[2], t[2], q[2];
                for (int i = 0; i < 2; ++i)
                {
                    s[i] = static_cast<float>(0.9397 * a[i] + g.s[i] * a[i]);
                    d[i] = static_cast<float>(-0.342 * b[i] + g.db[i] * b[i] + g.da[i] * a[i]);
                    t[i] = static_cast<float>(-0.1432 * b[i] + g.tb[i] * b[i] - g.ta[i] * a[i]);
                    q[i] = static_cast<float>(g.q * a[i]);
                }
                S = 0.5f * (s[0] + s[1]);
                D = 0.5f * (d[0] + d[1]);
                Tt = 0.5f * (t[0] + t[1]);
                Q = 0.5f * (q[0] + q[1]);
            }
            const T x0 = in[0][n], x1 = in[1][n], x2 = in[2][n], x3 = in[3][n];
            const float now[4] = {static_cast<float>(x0), static_cast<float>(x1), static_cast<float>(x2),
                                  static_cast<float>(x3)};
            for (int c = 0; c < 4; ++c)
            {
                for (int k = 8; k > 0; --k)
                    xh_[c][k] = xh_[c][k - 1];
                xh_[c][0] = now[c];
            }
            for (int f = 0; f < 6; ++f)
            {
                for (int k = 7; k > 0; --k)
                    yh_[f][k] = yh_[f][k - 1];
                yh_[f][0] = y[f];
            }
            const float gain = params[4];
            out[0][n] = 0.5f * (S + D) * gain;
            out[1][n] = 0.5f * (S - D) * gain;
            out[2][n] = Tt * gain;
            out[3][n] = Q * gain;
        }
    }

private:
    float xh_[4][9] = {}; // newest first
    float yh_[6][8] = {};
};

} // namespace naiveuhj
