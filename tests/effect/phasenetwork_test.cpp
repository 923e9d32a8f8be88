// The filter bank on its own, as another user lays it out: any order and number of
// lanes, inputs shared between lanes, outputs over inputs, each instruction set, both
// precisions, checked lane by lane against the recursion written out on whole signals.
#include "effect/phasenetwork.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "tests/effect/effect_host.h"

namespace
{

using effecttest::bits;

/// One filter over the whole signal so far, absolute indices, terms in their documented order.
class PathModel
{
public:
    explicit PathModel(PhasePath path) : b_(path == PhasePath::B) {}

    template <class T> float next(T now)
    {
        const long n = static_cast<long>(x_.size());
        auto X = [&](long m) { return m < 0 ? 0.0f : x_[static_cast<size_t>(m)]; };
        auto Y = [&](long m) { return m < 0 ? 0.0f : y_[static_cast<size_t>(m)]; };
        const long s = b_ ? 1 : 0; // path B takes x[n], x[n-2] .. x[n-8]
        float y;
        if constexpr (std::is_same_v<T, float>)
        {
            const float* c = b_ ? kBf : kAf;
            const float newest = b_ ? now : X(n - 1);
            y = c[0] * (newest - Y(n - 8)) + c[1] * (X(n - 3 + s) - Y(n - 6)) + c[2] * (X(n - 5 + s) - Y(n - 4)) +
                c[3] * (X(n - 7 + s) - Y(n - 2)) + X(n - 9 + s) + 1e-25f;
        }
        else
        {
            const double* c = b_ ? kBd : kAd;
            const double d8 = b_ ? now - static_cast<double>(Y(n - 8)) : static_cast<double>(X(n - 1) - Y(n - 8));
            y = static_cast<float>(c[0] * d8 + c[1] * static_cast<double>(X(n - 3 + s) - Y(n - 6)) +
                                   c[2] * static_cast<double>(X(n - 5 + s) - Y(n - 4)) +
                                   c[3] * static_cast<double>(X(n - 7 + s) - Y(n - 2)) +
                                   static_cast<double>(X(n - 9 + s)) + static_cast<double>(1e-25f));
        }
        x_.push_back(static_cast<float>(now));
        y_.push_back(y);
        return y;
    }

private:
    static constexpr float kAf[4] = {0.40920362f, -2.1498227f, 4.070339f, -3.3297162f};
    static constexpr float kBf[4] = {0.1110398f, -1.0674875f, 2.787299f, -2.8307364f};
    static constexpr double kAd[4] = {0.40920361097532, -2.149822808729033, 4.070339173607931,
                                      -3.329716204571899};
    static constexpr double kBd[4] = {0.11103979921915, -1.067487518353942, 2.787298979025264,
                                      -2.830736287722834};
    bool b_;
    std::vector<float> x_, y_;
};

// A decoder's layout: path A on four signals, path B on two, the first B sharing the
// first A's input, outputs written over the inputs on alternate blocks.
TEST(PhaseNetwork, LanesFollowTheirRecursionsAtEveryLevel)
{
    const PhasePath paths[] = {PhasePath::A, PhasePath::A, PhasePath::A, PhasePath::A, PhasePath::B, PhasePath::B};
    constexpr int kSignals = 5;
    const int signalOf[6] = {0, 1, 2, 3, 0, 4};
    const size_t sizes[] = {1, 3, 17, 127, 128, 129, 511, 4097, 2};
    for (SimdLevel level : {SimdLevel::Scalar, SimdLevel::Sse2, SimdLevel::Avx2, SimdLevel::Avx512})
    {
        if (level > bestSimdLevel()) continue;
        SCOPED_TRACE(static_cast<int>(level));
        PhaseNetwork network({paths[0], paths[1], paths[2], paths[3], paths[4], paths[5]}, level);
        ASSERT_EQ(network.lanes(), 6);
        ASSERT_EQ(network.path(4), PhasePath::B);
        std::vector<PathModel> models(paths, paths + 6);
        std::mt19937 rng(3);
        std::uniform_real_distribution<double> noise(-1.0, 1.0);
        for (size_t i = 0; i < std::size(sizes); ++i)
        {
            const size_t frames = sizes[i];
            SCOPED_TRACE(frames);
            const bool single = i % 2 == 0, inPlace = i % 3 == 1;
            auto run = [&](auto sample) {
                using T = decltype(sample);
                std::vector<T> signals[kSignals];
                for (auto& s : signals)
                    for (size_t n = 0; n < frames; ++n)
                        s.push_back(static_cast<T>(noise(rng)));
                signals[1][frames / 2] = T(1);
                std::vector<float> want[6];
                for (int l = 0; l < 6; ++l)
                    for (T v : signals[signalOf[l]])
                        want[l].push_back(models[static_cast<size_t>(l)].next(v));

                std::vector<float> outs[6];
                const T* in[6];
                float* out[6];
                for (int l = 0; l < 6; ++l)
                {
                    in[l] = signals[signalOf[l]].data();
                    outs[l].assign(frames, -1.0f);
                    out[l] = outs[l].data();
                }
                // In place: the last lane writes over the signal it and no other lane reads.
                if constexpr (std::is_same_v<T, float>)
                    if (inPlace) out[5] = signals[4].data();
                network.process(in, out, static_cast<std::int32_t>(frames));
                for (int l = 0; l < 6; ++l)
                    for (size_t n = 0; n < frames; ++n)
                        ASSERT_EQ(bits(out[l][n]), bits(want[l][n])) << "lane " << l << " sample " << n;
            };
            if (single)
                run(0.0f);
            else
                run(0.0);
        }
        EXPECT_FALSE(network.recoverFromNonFinite());
        EXPECT_NE(network.outputHistory(0, 0), 0.0f);
    }
}

// Each level checks the histories its own way: a bad value in a low or a high lane,
// of every kind, is found and clears every lane.
TEST(PhaseNetwork, NonFiniteHistoryClearsEveryLaneAndIsReported)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(), inf, -inf};
    for (SimdLevel level : {SimdLevel::Scalar, SimdLevel::Sse2, SimdLevel::Avx2, SimdLevel::Avx512})
    {
        if (level > bestSimdLevel()) continue;
        SCOPED_TRACE(static_cast<int>(level));
        for (int badLane : {1, 5})
            for (float value : bad)
            {
                SCOPED_TRACE(value);
                PhaseNetwork network({PhasePath::B, PhasePath::A, PhasePath::A, PhasePath::A, PhasePath::B,
                                      PhasePath::A},
                                     level);
                float ok[4] = {0.5f, 0.25f, -0.5f, 0.125f}, poisoned[4] = {0.5f, value, 0.0f, 0.0f};
                float y[6][4];
                const float* in[6];
                float* out[6];
                for (int l = 0; l < 6; ++l)
                {
                    in[l] = l == badLane ? poisoned : ok;
                    out[l] = y[l];
                }
                network.process(in, out, 4);
                EXPECT_EQ(bits(network.inputHistory(badLane, 2)), bits(value)) << "lane " << badLane;
                EXPECT_TRUE(network.recoverFromNonFinite());
                for (int lane = 0; lane < 6; ++lane)
                {
                    for (int age = 0; age < PhaseNetwork::kInputHistory; ++age)
                        EXPECT_EQ(network.inputHistory(lane, age), 0.0f);
                    for (int age = 0; age < PhaseNetwork::kOutputHistory; ++age)
                        EXPECT_EQ(network.outputHistory(lane, age), 0.0f);
                }
                EXPECT_FALSE(network.recoverFromNonFinite());
            }
    }
}

TEST(PhaseNetwork, LanesPastEightAreIgnored)
{
    PhaseNetwork network({PhasePath::A, PhasePath::A, PhasePath::A, PhasePath::A, PhasePath::A, PhasePath::A,
                          PhasePath::A, PhasePath::B, PhasePath::B});
    EXPECT_EQ(network.lanes(), PhaseNetwork::kMaxLanes);
    EXPECT_EQ(network.path(7), PhasePath::B);
}

} // namespace
