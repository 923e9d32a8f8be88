// sorvelt-render --decode: the decoder against the plug-in's own encoding (round trip, source
// directions), and the command's channel handling, AmbiX output and refusals.
#include "effect/phasenetwork.h"
#include "tests/render/render_test_support.h"
#include "tools/render/uhj_decoder.h"

#include <cmath>
#include <limits>

using namespace render_test;
using sorvelt::render::UhjDecoder;
using Channels = std::vector<std::vector<float>>;

namespace
{

constexpr int kRate = 48000;
constexpr double kPi = 3.14159265358979323846;

/// Tones spread evenly over [low, high] Hz with scattered phases, faded in over 50 ms so the
/// start adds no energy outside the band.
std::vector<float> tones(int frames, double low, double high, unsigned seed, double level = 0.02)
{
    std::vector<float> signal(static_cast<size_t>(frames), 0.0f);
    constexpr int kTones = 40;
    unsigned state = seed * 2654435761u + 7;
    for (int k = 0; k < kTones; ++k)
    {
        state = state * 1664525u + 1013904223u;
        const double phase = 2 * kPi * (state >> 8) / 16777216.0;
        const double hz = low * std::pow(high / low, k / (kTones - 1.0));
        for (int n = 0; n < frames; ++n)
            signal[static_cast<size_t>(n)] +=
                static_cast<float>(level * std::sin(2 * kPi * hz * n / kRate + phase));
    }
    const int fade = kRate / 20;
    for (int n = 0; n < fade && n < frames; ++n)
        signal[static_cast<size_t>(n)] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * n / fade));
    return signal;
}

/// L, R, T, Q decoded with `uhjChannels` of them, in blocks of `block` frames.
Channels decode(const Channels& uhj, int uhjChannels, int block = 512, float gain = 1.0f)
{
    const size_t frames = uhj[0].size();
    Channels out(4, std::vector<float>(frames));
    UhjDecoder decoder(uhjChannels, gain);
    for (size_t start = 0; start < frames; start += static_cast<size_t>(block))
    {
        const float* in[4] = {&uhj[0][start], &uhj[1][start], &uhj[2][start], &uhj[3][start]};
        float* to[4] = {&out[0][start], &out[1][start], &out[2][start], &out[3][start]};
        decoder.process(in, to, static_cast<int>(std::min<size_t>(block, frames - start)));
    }
    return out;
}

/// Each channel through the network's path A twice: what a perfect round trip gives.
Channels throughPathATwice(Channels signal)
{
    for (int pass = 0; pass < 2; ++pass)
    {
        PhaseNetwork network({PhasePath::A, PhasePath::A, PhasePath::A, PhasePath::A});
        const float* in[4] = {signal[0].data(), signal[1].data(), signal[2].data(), signal[3].data()};
        float* out[4] = {signal[0].data(), signal[1].data(), signal[2].data(), signal[3].data()};
        network.process(in, out, static_cast<int>(signal[0].size()));
    }
    return signal;
}

/// The plug-in's encoding of four input channels: format, azimuth in degrees, gain 1.
Channels encode(const Channels& input, float format, double azimuth = 0)
{
    DirectPlugin plugin;
    EXPECT_TRUE(plugin.ready());
    if (!plugin.ready()) return Channels(4, std::vector<float>(input[0].size()));
    plugin.set(0, static_cast<float>(0.5 - azimuth / 360)); // positive to the left
    plugin.set(1, 0.5f);
    plugin.set(2, 0.0f);
    plugin.set(3, format);
    plugin.set(4, 1.0f);
    return plugin.render<float>(input, static_cast<int>(input[0].size()), 512);
}

double rms(const std::vector<float>& a, const std::vector<float>* b, size_t from)
{
    double sum = 0;
    for (size_t n = from; n < a.size(); ++n)
    {
        const double d = a[n] - (b ? (*b)[n] : 0.0f);
        sum += d * d;
    }
    return std::sqrt(sum / static_cast<double>(a.size() - from));
}

// Long enough for the network's slowest pole (0.99875 per sample) to forget the start.
constexpr size_t kSettled = 12000;

TEST(UhjDecoder, RoundTripGivesTheFieldBackThroughPathATwice)
{
    // The bound, from the network's accuracy. Phase: where the network is accurate, path B is
    // j e^(i eps) path A with |eps| <= 0.71 degrees (0.0006 fs to 0.4995 fs). Decoding puts a
    // second path on every term: terms that went through A twice, or through A and B, come back
    // exactly (up to the published coefficients' rounding, under 1e-4); the j j terms come back
    // as -e^(2 i eps) instead of -1, off by at most 2 sin(0.71 deg). Those terms weigh, per input
    // W and X (Y and Z have none):
    //   in W: 0.197484 (0.828331 (-0.342, 0.5099) + 0.767820 (-0.1432, 0.6512)) = (-0.07766, 0.18215)
    //   in X: (-0.39324, 0.92237).
    // Rounding: the recursion in single precision amplifies its rounding near its poles; one pass
    // is off its exact result by up to 0.35% rms (measured against a double-precision run, noise
    // and tones 100 Hz to 15 kHz). Four passes separate the decoded signal from the reference
    // (encoder and decoder, the reference's two), their errors independent: 2 x 0.35% in all.
    // So an output's error is at most 2 sin(0.71 deg) (|w| rms W + |x| rms X) + (0.7% + 1e-4) r,
    // r the level of one input channel. Tones from 100 Hz to 20 kHz keep to the accurate band.
    const int frames = 72000;
    Channels field(4);
    for (unsigned c = 0; c < 4; ++c)
        field[c] = tones(frames, 100, 20000, c + 1);
    const Channels uhj = encode(field, 1.0f);
    const Channels expected = throughPathATwice(field);
    const Channels four = decode(uhj, 4), three = decode(uhj, 3);

    const double phase = 2 * std::sin(0.71 * kPi / 180), rounding = 2 * 0.0035 + 1e-4;
    const double jj[4][2] = {{0.07766, 0.18215}, {0.39324, 0.92237}, {0, 0}, {0, 0}};
    double level[4], r = 0;
    for (size_t c = 0; c < 4; ++c)
        r = std::max(r, level[c] = rms(field[c], nullptr, kSettled));
    const char* names = "WXYZ";
    for (size_t o = 0; o < 4; ++o)
    {
        const double bound = phase * (jj[o][0] * level[0] + jj[o][1] * level[1]) + rounding * r;
        EXPECT_LE(rms(four[o], &expected[o], kSettled), bound) << names[o]; // Z: Q carried
    }
    // Three channels: W, X and Y never use Q, so they are the four-channel bits; the height is gone
    // (the three-channel bound is the four-channel one plus all of Z).
    for (size_t o = 0; o < 3; ++o)
        EXPECT_EQ(three[o], four[o]) << names[o];
    EXPECT_EQ(three[3], std::vector<float>(frames, 0.0f));
}

TEST(UhjDecoder, SourcesComeBackFromWhereTheyWerePlaced)
{
    // The direction of the decoded field is that of its intensity: W times X and W times Y,
    // summed over a source in the band 200 Hz to 10 kHz. Four- and three-channel UHJ hold the
    // horizontal field: within half a degree (the network's error moves it by thousandths).
    // Two-channel UHJ (T taken as silence) keeps the direction only approximately: with an ideal
    // network the intensity turns by up to 0.72 degrees (most at the sides); the network's own
    // error may add a little, so 1.5 degrees.
    const int frames = 36000;
    Channels source(4, std::vector<float>(frames, 0.0f));
    source[0] = tones(frames, 200, 10000, 9, 0.05);
    const struct
    {
        int channels;
        double tolerance;
    } cases[] = {{4, 0.5}, {3, 0.5}, {2, 1.5}};
    for (int azimuth = -150; azimuth <= 180; azimuth += 30)
    {
        const Channels uhj = encode(source, 0.0f, azimuth);
        for (const auto& c : cases)
        {
            const Channels field = decode(uhj, c.channels);
            double wx = 0, wy = 0;
            for (size_t n = kSettled; n < static_cast<size_t>(frames); ++n)
            {
                wx += static_cast<double>(field[0][n]) * field[1][n];
                wy += static_cast<double>(field[0][n]) * field[2][n];
            }
            const double heard = std::atan2(wy, wx) * 180 / kPi;
            const double error = std::remainder(heard - azimuth, 360.0);
            EXPECT_LE(std::fabs(error), c.tolerance) << c.channels << " channels, azimuth " << azimuth;
            if (c.channels < 4)
            {
                EXPECT_EQ(field[3], std::vector<float>(frames, 0.0f));
            }
        }
    }
}

TEST(UhjDecoder, BlocksJoinSeamlesslyAndANonFiniteInputIsForgotten)
{
    const int frames = 9000;
    Channels uhj(4);
    for (unsigned c = 0; c < 4; ++c)
        uhj[c] = tones(frames, 50, 15000, 20 + c, 0.05);
    const Channels whole = decode(uhj, 4, frames);
    for (int block : {1, 17, 512, 4097})
        EXPECT_EQ(decode(uhj, 4, block), whole) << "blocks of " << block;

    // A NaN poisons the block it is in; the next block starts from silence.
    UhjDecoder decoder(4, 1.0f);
    Channels poisoned = uhj;
    poisoned[1][100] = std::numeric_limits<float>::quiet_NaN();
    std::vector<float> scratch(4 * 512);
    const float* in[4] = {poisoned[0].data(), poisoned[1].data(), poisoned[2].data(), poisoned[3].data()};
    float* out[4] = {&scratch[0], &scratch[512], &scratch[1024], &scratch[1536]};
    decoder.process(in, out, 512);
    Channels next(4), fresh(4);
    for (size_t c = 0; c < 4; ++c)
        next[c] = fresh[c] = std::vector<float>(uhj[c].begin() + 512, uhj[c].begin() + 1024);
    const float* nextIn[4] = {next[0].data(), next[1].data(), next[2].data(), next[3].data()};
    float* nextOut[4] = {next[0].data(), next[1].data(), next[2].data(), next[3].data()};
    decoder.process(nextIn, nextOut, 512);
    EXPECT_EQ(next, decode(fresh, 4, 512));
}

// ---- the command ------------------------------------------------------------------------------------------

class DecodeCommand : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/sorvelt-decode-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }
    Outcome run(const std::vector<std::string>& arguments) { return runCommand(arguments, dir); }

    /// An interleaved signal's channels, the missing ones silent, as four.
    static Channels split(const std::vector<float>& interleaved, int channels)
    {
        const size_t frames = interleaved.size() / static_cast<size_t>(channels);
        Channels result(4, std::vector<float>(frames, 0.0f));
        for (size_t n = 0; n < frames; ++n)
            for (int c = 0; c < channels && c < 4; ++c)
                result[static_cast<size_t>(c)][n] = interleaved[n * static_cast<size_t>(channels) + c];
        return result;
    }
    static Channels split(const Sound& sound) { return split(sound.samples, sound.info.channels); }

    fs::path dir;
};

TEST_F(DecodeCommand, WritesWhatTheDecoderGivesInEitherOrder)
{
    const int frames = 3000;
    const std::vector<float> uhj = testSignal(4, frames, 3);
    writeSound(dir / "take.wav", 4, 44100, uhj);
    Outcome r = run({"--decode", "take.wav", "--gain", "-6"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Decoding 4-channel UHJ (L, R, T, Q) to B-Format W, X, Y, Z"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("peak W "), std::string::npos) << r.out;
    const Sound fuma = readSound(dir / "take-bformat.wav");
    ASSERT_EQ(fuma.info.channels, 4);
    EXPECT_EQ(fuma.info.samplerate, 44100);
    EXPECT_EQ(split(fuma), decode(split(uhj, 4), 4, 512, static_cast<float>(std::pow(10.0, -6.0 / 20))));

    // AmbiX: ACN order W, Y, Z, X, and SN3D's W is the classic W times the square root of 2.
    r = run({"--decode", "take.wav", "ambix.wav", "--ambix", "--gain", "-6"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Channels a = split(readSound(dir / "ambix.wav")), f = split(fuma);
    ASSERT_EQ(a[0].size(), static_cast<size_t>(frames));
    for (size_t n = 0; n < static_cast<size_t>(frames); ++n)
    {
        ASSERT_EQ(a[0][n], static_cast<float>(f[0][n] * std::sqrt(2.0))) << n;
        ASSERT_EQ(a[1][n], f[2][n]) << n;
        ASSERT_EQ(a[2][n], f[3][n]) << n;
        ASSERT_EQ(a[3][n], f[1][n]) << n;
    }
}

TEST_F(DecodeCommand, TwoAndThreeChannelUhjAndFewerChannelsRead)
{
    const int frames = 2000;
    const std::vector<float> four = testSignal(4, frames, 5);
    const Channels fourSplit = split(four, 4);
    std::vector<float> two, three;
    for (int n = 0; n < frames; ++n)
        for (int c = 0; c < 3; ++c)
        {
            if (c < 2) two.push_back(four[static_cast<size_t>(4 * n + c)]);
            three.push_back(four[static_cast<size_t>(4 * n + c)]);
        }
    writeSound(dir / "four.wav", 4, 48000, four);
    writeSound(dir / "three.wav", 3, 48000, three);
    writeSound(dir / "two.wav", 2, 48000, two);
    struct Case
    {
        std::vector<std::string> arguments;
        const char* output;
        int uhjChannels;
    } cases[] = {
        {{"--decode", "two.wav"}, "two-bformat.wav", 2},
        {{"--decode", "three.wav"}, "three-bformat.wav", 3},
        {{"--decode", "four.wav", "as2.wav", "--channels", "2"}, "as2.wav", 2},
        {{"--decode", "four.wav", "as3.wav", "--channels=3"}, "as3.wav", 3},
        {{"--decode", "three.wav", "three2.wav", "--channels", "2"}, "three2.wav", 2},
    };
    for (const Case& c : cases)
    {
        const Outcome r = run(c.arguments);
        ASSERT_EQ(r.status, 0) << c.output << ": " << r.err;
        EXPECT_NE(r.out.find(std::to_string(c.uhjChannels) + "-channel UHJ"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("(Z silent)"), std::string::npos) << r.out;
        Channels uhj = fourSplit;
        for (int ch = c.uhjChannels; ch < 4; ++ch)
            uhj[static_cast<size_t>(ch)].assign(frames, 0.0f);
        EXPECT_EQ(split(readSound(dir / c.output)), decode(uhj, c.uhjChannels)) << c.output;
    }
}

TEST_F(DecodeCommand, RefusalsSayWhyAndLeaveNoFile)
{
    const std::pair<int, const char*> inputs[] = {{1, "c1.wav"}, {2, "c2.wav"}, {5, "c5.wav"}, {6, "c6.wav"}};
    for (const auto& [channels, name] : inputs)
        writeSound(dir / name, channels, 48000, testSignal(channels, 100));
    struct Case
    {
        std::vector<std::string> arguments;
        int status;
        const char* messagePart;
    } cases[] = {
        {{"c1.wav"}, 1, "c1.wav has 1 channel; --decode takes 2, 3 or 4"},
        {{"c5.wav"}, 1, "c5.wav has 5 channels; --decode takes 2, 3 or 4"},
        {{"c6.wav"}, 1, "c6.wav has 6 channels"},
        {{"c2.wav", "--channels", "4"}, 2, "c2.wav has 2 channels; --channels 4 needs that many"},
        {{"c1.wav", "--channels", "2"}, 2, "c1.wav has 1 channel; --channels 2"},
        {{"in.raw"}, 2, "raw input in.raw needs --channels"},
        {{"c2.wav", "--azimuth", "30"}, 2, "--azimuth is for encoding; --decode does not take it"},
        {{"c2.wav", "--width-to", "30"}, 2, "--width-to is for encoding"},
        {{"c2.wav", "--elevation", "10"}, 2, "--elevation is for encoding"},
        {{"c2.wav", "--format", "stereo"}, 2, "--format is for encoding"},
        {{"c2.wav", "--double"}, 2, "--double is for encoding"},
        {{"c2.wav", "--plugin", "x.so"}, 2, "--plugin is for encoding"},
        {{"--snapshot", "e.png"}, 2, "--snapshot is for encoding"},
        {{"--gui"}, 2, "--gui is for encoding"},
        {{}, 2, "--decode needs an INPUT file"},
    };
    for (const Case& c : cases)
    {
        const std::string precious = "an earlier result that must survive";
        std::ofstream(dir / "out.wav") << precious;
        std::vector<std::string> arguments = {"--decode", "-o", "out.wav"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const Outcome r = run(arguments);
        const std::string what = c.arguments.empty() ? "no input" : c.arguments[0] + " ...";
        EXPECT_EQ(r.status, c.status) << what << ": " << r.err;
        EXPECT_NE(r.err.find(c.messagePart), std::string::npos) << what << ": '" << r.err << "'";
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << what << ": '" << r.err << "'";
        EXPECT_EQ(slurp((dir / "out.wav").string()), precious) << what;
        size_t files = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir))
            ++files;
        EXPECT_EQ(files, 7u) << what << ": four inputs, out.wav, stdout.txt, stderr.txt and nothing else";
    }
}

} // namespace
