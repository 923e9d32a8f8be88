// The audio callbacks through the record: bit-exact agreement with the reference
// model in both precisions, the shape of the impulse responses, the 90-degree
// phase-difference networks, formats, in-place buffers and the gain.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "tests/effect/effect_host.h"
#include "tests/effect/uhj_reference.h"

namespace
{

using effecttest::bits;
using effecttest::Block;
using effecttest::Host;

void setAll(Host& host, const uhjref::Params& p)
{
    host.set(SourceAzimuth, p.azimuth);
    host.set(SourceElevation, p.elevation);
    host.set(SourceWidth, p.width);
    host.set(InputFormat, p.format);
    host.set(Gain, p.gain);
}

template <class T> void fillNoise(Block<T>& b, std::mt19937& rng)
{
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    for (auto& channel : b.in)
        for (T& v : channel)
            v = static_cast<T>(dist(rng));
}

template <class T> void expectSameBits(const Block<T>& got, const std::vector<T> (&want)[4], const char* what)
{
    for (int c = 0; c < 4; ++c)
        for (size_t n = 0; n < got.frames(); ++n)
            ASSERT_EQ(bits(got.out[c][n]), bits(want[c][n]))
                << what << ": channel " << c << " sample " << n << " got " << got.out[c][n] << " want "
                << want[c][n];
}

// Runs one block through the plug-in and through the reference, compares bits.
template <class T>
void runAndCompare(Host& host, uhjref::Encoder& reference, Block<T>& block, const uhjref::Params& p,
                   const char* what)
{
    setAll(host, p);
    host.process(block);
    std::vector<T> want[4];
    reference.block(block.in, want, p);
    expectSameBits(block, want, what);
}

struct Setting
{
    const char* name;
    uhjref::Params params;
};

const Setting kSettings[] = {
    {"mono front", {0.5f, 0.5f, 0.0f, 0.0f, 1.0f}},   {"mono placed", {0.3f, 0.65f, 0.4f, 0.2f, 0.8f}},
    {"stereo wide", {0.55f, 0.4f, 1.0f, 0.5f, 0.9f}}, {"stereo high", {0.1f, 0.9f, 0.25f, 0.75f, 1.0f}},
    {"b-format", {0.3f, 0.65f, 0.4f, 1.0f, 0.7f}},
};

TEST(UhjProcessing, ImpulseResponsesMatchTheReferenceBitForBit)
{
    for (const Setting& s : kSettings)
    {
        SCOPED_TRACE(s.name);
        for (int channel = 0; channel < 4; ++channel)
        {
            {
                Host host;
                uhjref::Encoder reference;
                Block<float> block(64);
                block.in[channel][0] = 1.0f;
                runAndCompare(host, reference, block, s.params, "single");
            }
            {
                Host host;
                uhjref::Encoder reference;
                Block<double> block(64);
                block.in[channel][0] = 1.0;
                runAndCompare(host, reference, block, s.params, "double");
            }
        }
    }
}

TEST(UhjProcessing, BlocksOfBothPrecisionsContinueOneState)
{
    // A host may switch precision and parameters between blocks; both callbacks
    // carry on the same histories, and each block takes its own parameter snapshot.
    for (const Setting& s : kSettings)
    {
        SCOPED_TRACE(s.name);
        Host host;
        uhjref::Encoder reference;
        std::mt19937 rng(7);
        uhjref::Params p = s.params;
        const size_t sizes[] = {64, 33, 1, 100, 17, 9};
        for (size_t i = 0; i < std::size(sizes); ++i)
        {
            p.azimuth += 0.05f; // a step at the block boundary
            if (i % 2 == 0)
            {
                Block<float> block(sizes[i]);
                fillNoise(block, rng);
                runAndCompare(host, reference, block, p, "single block");
            }
            else
            {
                Block<double> block(sizes[i]);
                fillNoise(block, rng);
                runAndCompare(host, reference, block, p, "double block");
            }
        }
    }
}

// Samples of the path A and path B impulse responses, from the interface's
// double-precision coefficients.
constexpr double kA8 = 0.40920361097532, kHA3 = -0.7872909142951747;
constexpr double kB8 = 0.11103979921915, kHB2 = -0.7531631293228366;
constexpr double kHA[4] = {0.0, kA8, 0.0, kHA3};
constexpr double kHB[4] = {kB8, 0.0, kHB2, 0.0};

TEST(UhjProcessing, BFormatImpulseOnWFollowsThePathResponses)
{
    Host host;
    setAll(host, {0.5f, 0.5f, 0.0f, 1.0f, 1.0f});
    Block<double> block(64);
    block.in[0][0] = 1.0;
    host.process(block);
    for (int n = 0; n < 4; ++n)
    {
        EXPECT_NEAR(block.out[0][n], 0.5 * (0.9397 * kHA[n] - 0.342 * kHB[n]), 1e-6) << n;
        EXPECT_NEAR(block.out[1][n], 0.5 * (0.9397 * kHA[n] + 0.342 * kHB[n]), 1e-6) << n;
        EXPECT_NEAR(block.out[2][n], -0.1432 * kHB[n], 1e-6) << n;
    }
    // Path A is zero at every even sample, path B at every odd one: T carries only
    // path B, and Q (no input on Z) nothing but the anti-denormal offsets.
    for (size_t n = 0; n < block.frames(); ++n)
    {
        if (n % 2 == 1)
        {
            EXPECT_LT(std::abs(block.out[2][n]), 1e-15) << n;
        }
        EXPECT_LT(std::abs(block.out[3][n]), 1e-15) << n;
    }
}

TEST(UhjProcessing, PositionedSourcesMixAsTheEncodingEquationsSay)
{
    // Expected S = L + R, D = L - R, T and Q as multiples of path A (a) and path B (b).
    struct Mix
    {
        double a, b;
    };
    struct Case
    {
        const char* name;
        uhjref::Params params;
        int channel;
        Mix s, d, t, q;
    } cases[] = {
        {"mono straight ahead",
         {0.5f, 0.5f, 0.0f, 0.0f, 1.0f},
         0,
         {1.2021, 0},
         {0, 0.3791},
         {0, 0.7777},
         {0, 0}},
        {"mono hard left",
         {0.25f, 0.5f, 0.0f, 0.0f, 1.0f},
         0,
         {0.9397, 0},
         {0.9269, -0.342},
         {-1.0, -0.1432},
         {0, 0}},
        {"mono overhead",
         {0.8f, 1.0f, 0.6f, 0.0f, 1.0f},
         0,
         {0.9397, 0},
         {0, -0.342},
         {0, -0.1432},
         {0.9772, 0}},
        {"stereo 180 wide, left input",
         {0.5f, 0.5f, 1.0f, 0.5f, 1.0f},
         0,
         {0.5 * 0.9397, 0},
         {0.5 * 0.9269, 0.5 * -0.342},
         {-0.5, 0.5 * -0.1432},
         {0, 0}},
        {"stereo 180 wide, right input",
         {0.5f, 0.5f, 1.0f, 0.5f, 1.0f},
         1,
         {0.5 * 0.9397, 0},
         {0.5 * -0.9269, 0.5 * -0.342},
         {0.5, 0.5 * -0.1432},
         {0, 0}},
        {"b-format X", {0.5f, 0.5f, 0.0f, 1.0f, 1.0f}, 1, {0.1856, 0}, {0, 0.5099}, {0, 0.6512}, {0, 0}},
        {"b-format Y", {0.5f, 0.5f, 0.0f, 1.0f, 1.0f}, 2, {0, 0}, {0.6555, 0}, {-0.7071, 0}, {0, 0}},
        {"b-format Z", {0.5f, 0.5f, 0.0f, 1.0f, 1.0f}, 3, {0, 0}, {0, 0}, {0, 0}, {0.9772, 0}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Host host;
        setAll(host, c.params);
        Block<double> block(4);
        block.in[c.channel][0] = 1.0;
        host.process(block);
        for (int n = 0; n < 4; ++n)
        {
            auto expect = [&](Mix m) { return m.a * kHA[n] + m.b * kHB[n]; };
            const double L = block.out[0][n], R = block.out[1][n];
            EXPECT_NEAR(L + R, expect(c.s), 2e-6) << "S at " << n;
            EXPECT_NEAR(L - R, expect(c.d), 2e-6) << "D at " << n;
            EXPECT_NEAR(block.out[2][n], expect(c.t), 2e-6) << "T at " << n;
            EXPECT_NEAR(block.out[3][n], expect(c.q), 2e-6) << "Q at " << n;
        }
    }
}

struct PhaseBand
{
    double from, to;   // cycles per sample
    double maxDegrees; // |lead - 90|
    double maxGainError;
};

// The networks are designed to keep 90 +- 0.71 degrees from 0.0006 to 0.4995 of the
// sample rate. The histories are single precision in both callbacks and the
// differences are taken in single precision; near DC and Nyquist, where the
// poles crowd z = +-1, that costs up to 1.6 degrees and 0.4 % of gain. The
// design's bound holds from 0.004 to 0.49 of the sample rate.
template <class T> void expectQuadrature(std::initializer_list<PhaseBand> bands)
{
    // Impulse on W in B-Format: L + R = 0.9397 hA and T = -0.1432 hB.
    constexpr size_t kFrames = 1 << 16;
    Host host;
    setAll(host, {0.5f, 0.5f, 0.0f, 1.0f, 1.0f});
    Block<T> block(kFrames);
    block.in[0][0] = 1;
    host.process(block);
    std::vector<double> hA(kFrames), hB(kFrames);
    for (size_t n = 0; n < kFrames; ++n)
    {
        hA[n] = (static_cast<double>(block.out[0][n]) + block.out[1][n]) / 0.9397;
        hB[n] = static_cast<double>(block.out[2][n]) / -0.1432;
    }
    // The tails have decayed far below single precision by the end.
    EXPECT_LT(std::abs(hA[kFrames - 1]), 1e-12);
    EXPECT_LT(std::abs(hB[kFrames - 1]), 1e-12);

    const double pi = std::acos(-1.0);
    for (const PhaseBand& band : bands)
    {
        double worst = 0.0;
        for (int i = 0; i <= 100; ++i)
        {
            const double f = band.from * std::pow(band.to / band.from, i / 100.0);
            std::complex<double> a, b;
            const std::complex<double> step = std::polar(1.0, -2.0 * pi * f);
            std::complex<double> z = 1.0;
            for (size_t n = 0; n < kFrames; ++n, z *= step)
            {
                a += hA[n] * z;
                b += hB[n] * z;
            }
            EXPECT_NEAR(std::abs(a), 1.0, band.maxGainError) << "path A gain at " << f;
            EXPECT_NEAR(std::abs(b), 1.0, band.maxGainError) << "path B gain at " << f;
            const double lead = std::arg(b / a) * 180.0 / pi;
            worst = std::max(worst, std::abs(lead - 90.0));
            EXPECT_NEAR(lead, 90.0, band.maxDegrees) << "at " << f << " of the sample rate";
        }
        // An equiripple network uses its tolerance; much less would mean other filters.
        EXPECT_GT(worst, 0.6) << band.from << " .. " << band.to;
    }
}

TEST(UhjProcessing, PathBLeadsPathABy90DegreesAcrossTheBand)
{
    expectQuadrature<float>({{0.004, 0.49, 0.71, 0.002}, {0.0006, 0.4995, 1.6, 0.004}});
    expectQuadrature<double>({{0.004, 0.49, 0.71, 0.002}, {0.0006, 0.4995, 1.6, 0.004}});
}

TEST(UhjProcessing, FormatThresholds)
{
    // Each format value must give exactly the output of its canonical value and
    // differ from the other two formats.
    auto render = [](float format)
    {
        Host host;
        setAll(host, {0.35f, 0.7f, 0.3f, format, 1.0f});
        Block<float> block(48);
        std::mt19937 rng(3);
        fillNoise(block, rng);
        host.process(block);
        return std::vector<std::vector<float>>(std::begin(block.out), std::end(block.out));
    };
    const std::vector<std::vector<float>> canonical[3] = {render(0.0f), render(0.5f), render(1.0f)};
    ASSERT_NE(canonical[0], canonical[1]);
    ASSERT_NE(canonical[1], canonical[2]);
    ASSERT_NE(canonical[0], canonical[2]);
    struct Case
    {
        float format;
        int index;
    } cases[] = {{0.49f, 0},
                 {0.25f, 0},
                 {0.5f, 1},
                 {0.99f, 1},
                 {0.9999999f, 1},
                 {1.0f, 2},
                 // Outside the host's range the index is clamped, so fresh samples are mixed.
                 {-0.5f, 0},
                 {1.5f, 2},
                 {7.0f, 2}};
    for (const Case& c : cases)
        EXPECT_EQ(render(c.format), canonical[c.index]) << c.format;
}

template <class T> void expectInPlaceMatches()
{
    std::mt19937 rng(11);
    for (float format : {0.0f, 0.5f, 1.0f})
    {
        Host separate, inPlace;
        for (Host* h : {&separate, &inPlace})
            setAll(*h, {0.4f, 0.6f, 0.5f, format, 0.9f});
        for (size_t frames : {32u, 7u})
        {
            Block<T> block(frames);
            fillNoise(block, rng);
            separate.process(block);
            // The same buffers for input and output of each channel.
            Block<T> shared(frames);
            for (int c = 0; c < 4; ++c)
                shared.in[c] = block.in[c];
            T* buffers[4];
            for (int c = 0; c < 4; ++c)
                buffers[c] = shared.in[c].data();
            if constexpr (std::is_same_v<T, float>)
                inPlace.record->processReplacing(inPlace.record, buffers, buffers, static_cast<int>(frames));
            else
                inPlace.record->processDoubleReplacing(inPlace.record, buffers, buffers,
                                                       static_cast<int>(frames));
            for (int c = 0; c < 4; ++c)
                for (size_t n = 0; n < frames; ++n)
                    ASSERT_EQ(bits(shared.in[c][n]), bits(block.out[c][n])) << format << " " << c << " " << n;
        }
    }
}

TEST(UhjProcessing, InPlaceGivesTheSameResultAsSeparateBuffers)
{
    expectInPlaceMatches<float>();
    expectInPlaceMatches<double>();
}

TEST(UhjProcessing, SilentGainKeepsTheFiltersRunning)
{
    Host steady, muted;
    std::mt19937 rng(5);
    Block<float> first(50), second(50);
    fillNoise(first, rng);
    fillNoise(second, rng);
    setAll(steady, {0.3f, 0.5f, 0.2f, 0.5f, 1.0f});
    setAll(muted, {0.3f, 0.5f, 0.2f, 0.5f, 0.0f});

    steady.process(first);
    Block<float> mutedFirst = first;
    muted.process(mutedFirst);
    for (int c = 0; c < 4; ++c)
        for (float v : mutedFirst.out[c])
            ASSERT_EQ(v, 0.0f);

    // Back to unity: no transient, the very same samples as the never-muted instance.
    muted.set(Gain, 1.0f);
    Block<float> mutedSecond = second;
    steady.process(second);
    muted.process(mutedSecond);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(mutedSecond.out[c], second.out[c]) << c;
}

TEST(UhjProcessing, EmptyOrNegativeBlocksAndMissingBuffersTouchNothing)
{
    Host host;
    Block<float> warm(20);
    std::mt19937 rng(1);
    fillNoise(warm, rng);
    host.process(warm);
    const UhjFilterState before = host.effect().filterState();

    for (int frames : {0, -1, INT_MIN})
    {
        Block<float> single(4);
        Block<double> wide(4);
        for (int c = 0; c < 4; ++c)
        {
            single.out[c].assign(4, 3.0f);
            wide.out[c].assign(4, 3.0);
        }
        host.record->processReplacing(host.record, single.ins(), single.outs(), frames);
        host.record->processDoubleReplacing(host.record, wide.ins(), wide.outs(), frames);
        for (int c = 0; c < 4; ++c)
        {
            EXPECT_EQ(single.out[c], std::vector<float>(4, 3.0f)) << frames;
            EXPECT_EQ(wide.out[c], std::vector<double>(4, 3.0)) << frames;
        }
    }
    // A host that hands over no buffers, or a missing channel, gets a no-op.
    Block<float> block(4);
    host.record->processReplacing(host.record, nullptr, block.outs(), 4);
    host.record->processReplacing(host.record, block.ins(), nullptr, 4);
    float* partial[4] = {block.in[0].data(), nullptr, block.in[2].data(), block.in[3].data()};
    host.record->processReplacing(host.record, partial, block.outs(), 4);
    double* none[4] = {nullptr, nullptr, nullptr, nullptr};
    host.record->processDoubleReplacing(host.record, none, none, 4);
    EXPECT_EQ(host.effect().filterState(), before);
}

TEST(UhjProcessing, NonFiniteInputOnlySpoilsItsOwnBlock)
{
    Host host, fresh;
    for (Host* h : {&host, &fresh})
        setAll(*h, {0.5f, 0.5f, 0.0f, 1.0f, 1.0f});
    Block<double> bad(8);
    bad.in[1][3] = std::nan("");
    host.process(bad);
    EXPECT_TRUE(std::isnan(bad.out[0][3]));

    Block<double> next(16), nextFresh(16);
    for (size_t n = 0; n < 16; ++n)
        next.in[0][n] = nextFresh.in[0][n] = 0.5;
    host.process(next);
    fresh.process(nextFresh);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(next.out[c], nextFresh.out[c]) << c;
}

} // namespace
