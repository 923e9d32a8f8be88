// An independent model of the encoder for the tests: whole signal histories with
// absolute sample indices, and every formula spelled out term by term in its
// documented order, so the engine's shifting histories are checked against it.
#pragma once

#include <cmath>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace uhjref
{

struct Params
{
    float azimuth = 0.5f, elevation = 0.5f, width = 0.0f, format = 0.0f, gain = 1.0f;
};

/// Gains of one block; the callbacks differ in where they round.
struct Gains
{
    double gS[2], gDa[2], gDb[2], gTa[2], gTb[2], gQ;
    int k;
};

inline int formatIndex(float f)
{
    const double k = std::floor(2.0 * static_cast<double>(f));
    return k >= 2 ? 2 : (k >= 1 ? 1 : 0);
}

inline Gains singleGains(const Params& p)
{
    const double a = p.azimuth, e = p.elevation, w = p.width;
    const double th[2] = {(0.5 - (a - 0.25 * w)) * 6.2831853, (0.5 - (a + 0.25 * w)) * 6.2831853};
    const double phi = (e - 0.5) * 3.14159265;
    const float cp = static_cast<float>(std::cos(phi)), sp = static_cast<float>(std::sin(phi));
    Gains g{};
    for (int i = 0; i < 2; ++i)
    {
        const float c = static_cast<float>(std::cos(th[i])), s = static_cast<float>(std::sin(th[i]));
        g.gS[i] = 0.2624 * static_cast<double>(c) * static_cast<double>(cp);
        g.gDa[i] = 0.9269 * static_cast<double>(s) * static_cast<double>(cp);
        g.gDb[i] = 0.7211 * static_cast<double>(c) * static_cast<double>(cp);
        g.gTa[i] = static_cast<double>(s) * static_cast<double>(cp);
        g.gTb[i] = 0.9209 * static_cast<double>(c) * static_cast<double>(cp);
    }
    g.gQ = 0.9772 * static_cast<double>(sp);
    g.k = formatIndex(p.format);
    return g;
}

inline Gains doubleGains(const Params& p)
{
    const float a = p.azimuth, e = p.elevation, w = p.width;
    const float sum0 = a - 0.25f * w, sum1 = a + 0.25f * w;
    const float d0 = 0.5f - sum0, d1 = 0.5f - sum1, de = e - 0.5f;
    const double th[2] = {static_cast<double>(d0) * 6.2831853, static_cast<double>(d1) * 6.2831853};
    const double phi = static_cast<double>(de) * 3.14159265;
    Gains g{};
    for (int i = 0; i < 2; ++i)
    {
        g.gS[i] = 0.2624 * std::cos(th[i]) * std::cos(phi);
        g.gDa[i] = 0.9269 * std::sin(th[i]) * std::cos(phi);
        g.gDb[i] = 0.7211 * std::cos(th[i]) * std::cos(phi);
        g.gTa[i] = std::sin(th[i]) * std::cos(phi);
        g.gTb[i] = 0.9209 * std::cos(th[i]) * std::cos(phi);
    }
    g.gQ = 0.9772 * std::sin(phi);
    g.k = formatIndex(p.format);
    return g;
}

class Encoder
{
public:
    /// Runs one block; `in` and `out` hold four channels of equal length.
    template <class T> void block(const std::vector<T> (&in)[4], std::vector<T> (&out)[4], const Params& p)
    {
        constexpr bool single = std::is_same_v<T, float>;
        const Gains g = single ? singleGains(p) : doubleGains(p);
        const size_t frames = in[0].size();
        for (int c = 0; c < 4; ++c)
            out[c].assign(frames, T(0));
        for (size_t i = 0; i < frames; ++i)
        {
            const long n = static_cast<long>(x_[0].size());
            float y[6];
            const int channelOf[6] = {0, 0, 1, 1, 2, 3};
            const bool isB[6] = {false, true, false, true, false, false};
            for (int f = 0; f < 6; ++f)
            {
                const int c = channelOf[f];
                auto X = [&](long m) { return m < 0 ? 0.0f : x_[c][m]; };
                auto Y = [&](long m) { return m < 0 ? 0.0f : y_[f][m]; };
                if (!isB[f])
                {
                    if constexpr (single)
                    {
                        y[f] = 0.40920362f * (X(n - 1) - Y(n - 8)) + -2.1498227f * (X(n - 3) - Y(n - 6)) +
                               4.070339f * (X(n - 5) - Y(n - 4)) + -3.3297162f * (X(n - 7) - Y(n - 2)) +
                               X(n - 9) + 1e-25f;
                    }
                    else
                    {
                        const double d8 = X(n - 1) - Y(n - 8), d6 = X(n - 3) - Y(n - 6);
                        const double d4 = X(n - 5) - Y(n - 4), d2 = X(n - 7) - Y(n - 2);
                        y[f] =
                            static_cast<float>(0.40920361097532 * d8 + -2.149822808729033 * d6 +
                                               4.070339173607931 * d4 + -3.329716204571899 * d2 +
                                               static_cast<double>(X(n - 9)) + static_cast<double>(1e-25f));
                    }
                }
                else
                {
                    if constexpr (single)
                    {
                        y[f] = 0.1110398f * (in[c][i] - Y(n - 8)) + -1.0674875f * (X(n - 2) - Y(n - 6)) +
                               2.787299f * (X(n - 4) - Y(n - 4)) + -2.8307364f * (X(n - 6) - Y(n - 2)) +
                               X(n - 8) + 1e-25f;
                    }
                    else
                    {
                        const double d8 = in[c][i] - static_cast<double>(Y(n - 8));
                        const double d6 = X(n - 2) - Y(n - 6), d4 = X(n - 4) - Y(n - 4);
                        const double d2 = X(n - 6) - Y(n - 2);
                        y[f] =
                            static_cast<float>(0.11103979921915 * d8 + -1.067487518353942 * d6 +
                                               2.787298979025264 * d4 + -2.830736287722834 * d2 +
                                               static_cast<double>(X(n - 8)) + static_cast<double>(1e-25f));
                    }
                }
            }
            float S, D, Tt, Q;
            if (g.k == 2)
            {
                const double w = y[0], wj = y[1], x = y[2], xj = y[3], yy = y[4], z = y[5];
                S = static_cast<float>(0.9397 * w + 0.1856 * x);
                D = static_cast<float>(-0.342 * wj + 0.5099 * xj + 0.6555 * yy);
                Tt = static_cast<float>(-0.1432 * wj + 0.6512 * xj - 0.7071 * yy);
                Q = static_cast<float>(0.9772 * z);
            }
            else
            {
                const double a[2] = {y[0], g.k == 0 ? y[0] : y[2]};
                const double b[2] = {y[1], g.k == 0 ? y[1] : y[3]};
                float Si[2], Di[2], Ti[2], Qi[2];
                for (int m = 0; m < 2; ++m)
                {
                    Si[m] = static_cast<float>(0.9397 * a[m] + g.gS[m] * a[m]);
                    Di[m] = static_cast<float>(-0.342 * b[m] + g.gDb[m] * b[m] + g.gDa[m] * a[m]);
                    Ti[m] = static_cast<float>(-0.1432 * b[m] + g.gTb[m] * b[m] - g.gTa[m] * a[m]);
                    Qi[m] = static_cast<float>(g.gQ * a[m]);
                }
                S = 0.5f * (Si[0] + Si[1]);
                D = 0.5f * (Di[0] + Di[1]);
                Tt = 0.5f * (Ti[0] + Ti[1]);
                Q = 0.5f * (Qi[0] + Qi[1]);
            }
            for (int c = 0; c < 4; ++c)
                x_[c].push_back(static_cast<float>(in[c][i]));
            for (int f = 0; f < 6; ++f)
                y_[f].push_back(y[f]);
            const float L = 0.5f * (S + D), R = 0.5f * (S - D);
            out[0][i] = static_cast<T>(L * p.gain);
            out[1][i] = static_cast<T>(R * p.gain);
            out[2][i] = static_cast<T>(Tt * p.gain);
            out[3][i] = static_cast<T>(Q * p.gain);
        }
    }

private:
    std::vector<float> x_[4];
    std::vector<float> y_[6];
};

} // namespace uhjref
