// The engine as a value type: every instruction set against the reference model, format
// index, per-sample gain against per-block snapshot, settling of the anti-denormal
// offsets, recovery from non-finite input.
#include "effect/uhjencoder.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "tests/effect/effect_host.h"
#include "tests/effect/uhj_reference.h"

namespace
{

TEST(UhjFormatIndex, MapsNormalizedValueAndClampsOutsiders)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case
    {
        float value;
        int index;
    } cases[] = {
        {0.0f, kUhjMono},    {0.49f, kUhjMono},   {std::nextafter(0.5f, 0.0f), kUhjMono},
        {0.5f, kUhjStereo},  {0.99f, kUhjStereo}, {std::nextafter(1.0f, 0.0f), kUhjStereo},
        {1.0f, kUhjBFormat}, {-0.3f, kUhjMono},   {-inf, kUhjMono},
        {1.7f, kUhjBFormat}, {inf, kUhjBFormat},  {nan, kUhjMono},
    };
    for (const Case& c : cases)
        EXPECT_EQ(uhjFormatIndex(c.value), c.index) << c.value;
}

// Buffers for one block of four channels.
template <class T> struct Block
{
    explicit Block(size_t frames)
    {
        for (auto& c : in)
            c.assign(frames, T(0));
        for (auto& c : out)
            c.assign(frames, T(0));
    }
    std::vector<T> in[4], out[4];
    const T* inputs[4];
    T* outputs[4];
    const T* const* ins()
    {
        for (int c = 0; c < 4; ++c)
            inputs[c] = in[c].data();
        return inputs;
    }
    T* const* outs()
    {
        for (int c = 0; c < 4; ++c)
            outputs[c] = out[c].data();
        return outputs;
    }
};

// Each instruction set the processor has, forced in turn, against the reference model:
// noise with impulses, every format, odd block sizes around the engine's passes,
// precisions alternating, parameters stepping between blocks, in place and not.
TEST(UhjEncoderLevels, EveryLevelMatchesTheReferenceBitForBit)
{
    struct Step
    {
        size_t frames;
        bool single, inPlace;
        uhjref::Params params;
    } const steps[] = {
        {1, true, false, {0.5f, 0.5f, 0.0f, 0.0f, 1.0f}},  {3, false, false, {0.3f, 0.65f, 0.4f, 0.2f, 0.8f}},
        {17, true, true, {0.55f, 0.4f, 1.0f, 0.5f, 0.9f}}, {511, false, true, {0.1f, 0.9f, 0.25f, 0.75f, 1.0f}},
        {4097, true, false, {0.3f, 0.65f, 0.4f, 1.0f, 0.7f}}, {64, false, false, {0.3f, 0.2f, 0.7f, 0.0f, 0.5f}},
        // The block set-up is kept while the values stay: the same values in the other
        // precision, then one value moved.
        {65, true, false, {0.3f, 0.2f, 0.7f, 0.0f, 0.5f}},    {66, true, false, {0.3f, 0.2f, 0.72f, 0.0f, 0.5f}},
        {4097, false, true, {0.8f, 0.5f, 0.1f, 1.0f, 1.0f}},  {255, true, true, {0.7f, 0.3f, 0.6f, 0.6f, 0.3f}},
        {257, true, false, {0.2f, 0.45f, 0.9f, 0.1f, 1.0f}},
    };
    for (SimdLevel level : {SimdLevel::Scalar, SimdLevel::Sse2, SimdLevel::Avx2, SimdLevel::Avx512})
    {
        if (level > bestSimdLevel()) continue; // this processor cannot run it
        SCOPED_TRACE(static_cast<int>(level));
        UhjEncoder encoder(level);
        ASSERT_EQ(encoder.level(), level);
        uhjref::Encoder reference;
        std::mt19937 rng(11);
        std::uniform_real_distribution<double> noise(-1.0, 1.0);
        for (const Step& step : steps)
        {
            SCOPED_TRACE(step.frames);
            float params[5] = {step.params.azimuth, step.params.elevation, step.params.width, step.params.format,
                               step.params.gain};
            auto check = [&](auto& block) {
                using S = std::remove_cvref_t<decltype(block.in[0][0])>;
                for (auto& channel : block.in)
                {
                    for (S& v : channel)
                        v = static_cast<S>(noise(rng));
                    channel[rng() % channel.size()] = S(1); // an impulse somewhere in the block
                }
                decltype(block.out) want;
                reference.block(block.in, want, step.params);
                auto* outputs = block.outs();
                S* inPlace[4] = {block.in[0].data(), block.in[1].data(), block.in[2].data(),
                                                   block.in[3].data()};
                encoder.process(block.ins(), step.inPlace ? inPlace : outputs, static_cast<int32_t>(step.frames),
                                params);
                const auto& got = step.inPlace ? block.in : block.out;
                for (int c = 0; c < 4; ++c)
                    for (size_t n = 0; n < step.frames; ++n)
                        ASSERT_EQ(effecttest::bits(got[c][n]), effecttest::bits(want[c][n]))
                            << "channel " << c << " sample " << n;
            };
            if (step.single)
            {
                Block<float> block(step.frames);
                check(block);
            }
            else
            {
                Block<double> block(step.frames);
                check(block);
            }
        }
    }
}

// The gain is read at every sample while the other four values hold for the
// block. To change parameters mid-block without a second thread, the parameter
// array is laid over the Q output buffer: sample k of Q overwrites the gain, and
// samples k-4..k-1 overwrite azimuth .. format after their block snapshot.
TEST(UhjEncoderTiming, GainIsReadPerSampleAndTheRestOncePerBlock)
{
    constexpr size_t kFrames = 32, kSwitch = 12;
    Block<float> block(kFrames);
    for (size_t n = 0; n < kFrames; ++n)
        block.in[0][n] = std::sin(0.3f * static_cast<float>(n)) + 0.1f;

    // Mono with elevation 0.5 (Q exactly 0 per sample), azimuth and width away from
    // the values the Q writes will leave behind.
    const uhjref::Params p{0.3f, 0.5f, 0.4f, 0.0f, 1.0f};
    std::vector<float> q(kFrames, -1.0f);
    float* params = q.data() + kSwitch - 4;
    params[0] = p.azimuth;
    params[1] = p.elevation;
    params[2] = p.width;
    params[3] = p.format;
    params[4] = p.gain;

    UhjEncoder encoder;
    float* outs[4] = {block.out[0].data(), block.out[1].data(), block.out[2].data(), q.data()};
    encoder.process(block.ins(), outs, kFrames, params);

    uhjref::Encoder reference;
    Block<float> expected(kFrames);
    expected.in[0] = block.in[0];
    reference.block(expected.in, expected.out, p);

    for (size_t n = 0; n < kFrames; ++n)
    {
        for (int c = 0; c < 3; ++c)
        {
            // Up to sample kSwitch the gain is 1 and the snapshot parameters still apply,
            // even after their storage was overwritten at kSwitch-4 .. kSwitch-1.
            if (n <= kSwitch)
                EXPECT_EQ(std::bit_cast<uint32_t>(block.out[c][n]),
                          std::bit_cast<uint32_t>(expected.out[c][n]))
                    << "channel " << c << " sample " << n;
            else
                EXPECT_EQ(block.out[c][n], 0.0f) << "channel " << c << " sample " << n;
        }
    }
    EXPECT_NE(block.out[0][kSwitch], 0.0f);
}

// With silence the 1e-25 offsets settle at offset / (1 + A2 + A4 + A6 + A8) per
// path. Path A's denominator at DC is only 3.8e-6, so the rounding of its single
// coefficients shows: 2.56e-20 in single precision against 2.65e-20 in double.
template <class T> void expectIdleLevels(float pathA, float pathB)
{
    constexpr size_t kFrames = 40000;
    Block<T> block(kFrames);
    float params[5] = {0.5f, 0.5f, 0.0f, 1.0f, 1.0f};
    UhjEncoder encoder;
    encoder.process(block.ins(), block.outs(), kFrames, params);
    const auto& y = encoder.state().filterHistory;
    for (int f : {0, 2, 4, 5})
        for (float v : y[f])
            EXPECT_NEAR(v, pathA, pathA * 0.005f) << "filter " << f;
    for (int f : {1, 3})
        for (float v : y[f])
            EXPECT_NEAR(v, pathB, pathB * 0.005f) << "filter " << f;
    // B-Format Q is 0.9772 times path A's level: small, but not zero.
    EXPECT_NEAR(block.out[3][kFrames - 1], 0.9772f * pathA, pathA * 0.01f);
}

TEST(UhjEncoderIdle, OffsetsSettleToConstantFilterOutputs)
{
    expectIdleLevels<float>(2.561e-20f, 8.708e-22f);
    expectIdleLevels<double>(2.652e-20f, 8.698e-22f);
}

TEST(UhjEncoderRecovery, NonFiniteInputClearsTheStateAfterTheBlock)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case
    {
        const char* name;
        int channel;
        double bad;
        bool singlePrecision;
        size_t frames, at; // the bad sample's frame in a block of `frames`
    } cases[] = {
        {"NaN on W, single", 0, nan, true, 16, 5},
        {"+inf on X, single", 1, inf, true, 16, 5},
        {"-inf on Z, single", 3, -inf, true, 16, 5},
        {"NaN on Y, double", 2, nan, false, 16, 5},
        {"1e300 overflows single, double", 0, 1e300, false, 16, 5},
        {"finite 1e38 overflows filter, single", 0, 1e38, true, 16, 5},
        // Only in the input history yet (path A has not used it), also after several passes.
        {"NaN on Z, last frame, single", 3, nan, true, 16, 15},
        {"inf on Y, last frame, double", 2, inf, false, 16, 15},
        {"NaN on X, last frame, double", 1, nan, false, 3, 2},
        {"NaN on Z, last of 300, single", 3, nan, true, 300, 299},
        {"-inf on W, last of 300, double", 0, -inf, false, 300, 299},
        {"NaN on X, first of 300, single", 1, nan, true, 300, 0},
    };
    for (SimdLevel level : {SimdLevel::Scalar, SimdLevel::Sse2, SimdLevel::Avx2, SimdLevel::Avx512})
        for (const Case& c : cases)
        {
            if (level > bestSimdLevel()) continue; // this processor cannot run it
            SCOPED_TRACE(static_cast<int>(level));
            SCOPED_TRACE(c.name);
            float params[5] = {0.4f, 0.6f, 0.3f, 1.0f, 1.0f};
            UhjEncoder poisoned(level);
            // Warm up so the state is not trivially zero before the bad sample.
            Block<float> warm(64);
            for (size_t n = 0; n < 64; ++n)
                warm.in[0][n] = warm.in[1][n] = 0.25f;
            poisoned.process(warm.ins(), warm.outs(), 64, params);

            if (c.singlePrecision)
            {
                Block<float> bad(c.frames);
                bad.in[c.channel][c.at] = static_cast<float>(c.bad);
                poisoned.process(bad.ins(), bad.outs(), static_cast<int32_t>(c.frames), params);
            }
            else
            {
                Block<double> bad(c.frames);
                bad.in[c.channel][c.at] = c.bad;
                poisoned.process(bad.ins(), bad.outs(), static_cast<int32_t>(c.frames), params);
            }
            EXPECT_EQ(poisoned.state(), UhjFilterState{});

            // From here on it behaves like a new encoder.
            UhjEncoder fresh(level);
            Block<float> next(32), nextFresh(32);
            for (size_t n = 0; n < 32; ++n)
                next.in[0][n] = nextFresh.in[0][n] = 0.5f;
            poisoned.process(next.ins(), next.outs(), 32, params);
            fresh.process(nextFresh.ins(), nextFresh.outs(), 32, params);
            for (int ch = 0; ch < 4; ++ch)
            {
                EXPECT_EQ(next.out[ch], nextFresh.out[ch]) << "channel " << ch;
                EXPECT_TRUE(std::isfinite(next.out[ch][31]));
            }
        }
}

} // namespace
