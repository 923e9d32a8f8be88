// sorvelt-render end to end: the built command run on files the tests make, checked against
// what the plug-in gives when called directly, and against a probe plug-in that logs its host.
#include "tests/render/render_test_support.h"

#include <bit>
#include <chrono>
#include <cmath>
#include <csignal>
#include <sys/resource.h>
#include <thread>

using namespace render_test;

namespace
{

const std::string kProbe = kFixtures + "/probe_plugin.so";

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

/// The process calls a probe log shows: kind ("float"/"double"), frames and the five parameters.
struct Block
{
    std::string kind;
    int frames = 0;
    float params[5]{};
};

std::vector<Block> blocksOf(const std::string& log)
{
    std::vector<Block> blocks;
    for (const std::string& line : lines(log))
    {
        std::istringstream in(line);
        Block b;
        in >> b.kind;
        if (b.kind != "float" && b.kind != "double") continue;
        in >> b.frames;
        for (float& p : b.params)
            in >> p;
        blocks.push_back(b);
    }
    return blocks;
}

class RenderCommand : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/sorvelt-render-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }

    Outcome run(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& env = {})
    {
        return runCommand(arguments, dir, env);
    }
    /// Runs against the probe plug-in; its log is returned in `log`.
    Outcome probe(std::vector<std::string> arguments, std::string& log,
                  std::map<std::string, std::string> env = {})
    {
        arguments.insert(arguments.begin(), {"--plugin", kProbe});
        env["SORVELT_PROBE_LOG"] = (dir / "probe.log").string();
        fs::remove(dir / "probe.log");
        Outcome result = run(arguments, env);
        log = slurp((dir / "probe.log").string());
        return result;
    }
    /// Files in the folder other than the ones the test made itself.
    std::vector<std::string> strayFiles(const std::vector<std::string>& expected)
    {
        std::vector<std::string> stray;
        for (const auto& entry : fs::directory_iterator(dir))
        {
            const std::string name = entry.path().filename().string();
            if (name == "stdout.txt" || name == "stderr.txt" || name == "probe.log") continue;
            if (std::find(expected.begin(), expected.end(), name) == expected.end()) stray.push_back(name);
        }
        return stray;
    }

    fs::path dir;
};

// ---- the host as the plug-in sees it ---------------------------------------------------------------------

TEST_F(RenderCommand, OpensProcessesAndClosesAsAHostDoes)
{
    writeSound(dir / "in.wav", 1, 44100, testSignal(1, 1000));
    std::string log;
    const Outcome r = probe({"in.wav", "out.wav", "--block", "300"}, log);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> l = lines(log);
    ASSERT_GE(l.size(), 7u) << log;
    EXPECT_EQ(l[0], "host version 2400");
    EXPECT_EQ(l[1], "open");
    EXPECT_EQ(l[2], "sample rate 44100");
    EXPECT_EQ(l[3], "block size 300");
    EXPECT_EQ(l[4], "mains 1");
    EXPECT_EQ(l[5], "host says rate 44100 block 300");
    EXPECT_EQ(l[l.size() - 2], "mains 0");
    EXPECT_EQ(l[l.size() - 1], "close");
    const std::vector<Block> blocks = blocksOf(log);
    ASSERT_EQ(blocks.size(), 4u);
    for (int b = 0; b < 3; ++b)
        EXPECT_EQ(blocks[b].frames, 300);
    EXPECT_EQ(blocks[3].frames, 100);
    EXPECT_EQ(blocks[0].kind, "float");
}

TEST_F(RenderCommand, InputChannelsReachThePluginInTheRightPlaces)
{
    const int frames = 700;
    struct Case
    {
        int fileChannels;
        std::vector<std::string> options;
        float formatValue;
        std::vector<int> sourceOf; // plug-in input c comes from file channel sourceOf[c], -1 silent
    } cases[] = {
        {1, {}, 0.0f, {0, -1, -1, -1}},       {2, {}, 0.5f, {0, 1, -1, -1}},
        {4, {}, 1.0f, {0, 1, 2, 3}},          {4, {"--format", "bformat"}, 1.0f, {0, 1, 2, 3}},
        {4, {"--ambix"}, 1.0f, {0, 3, 1, 2}}, // W, Y, Z, X in, W, X, Y, Z to the plug-in
    };
    for (const Case& c : cases)
    {
        const std::vector<float> signal =
            testSignal(c.fileChannels, frames, static_cast<unsigned>(c.fileChannels));
        writeSound(dir / "in.wav", c.fileChannels, 48000, signal);
        std::vector<std::string> arguments = {"in.wav", "out.wav"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        std::string log;
        const Outcome r = probe(arguments, log);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::vector<Block> blocks = blocksOf(log);
        ASSERT_FALSE(blocks.empty());
        EXPECT_EQ(blocks[0].params[3], c.formatValue);
        const Sound out = readSound(dir / "out.wav");
        ASSERT_EQ(out.info.frames, frames);
        ASSERT_EQ(out.info.channels, 4);
        const bool ambix = !c.options.empty() && c.options[0] == "--ambix";
        for (int ch = 0; ch < 4; ++ch)
            for (int i = 0; i < frames; ++i)
            {
                const int from = c.sourceOf[static_cast<size_t>(ch)];
                float expected = from < 0 ? 0.0f : signal[static_cast<size_t>(i * c.fileChannels + from)];
                if (ambix && ch == 0)
                    expected = static_cast<float>(expected / std::sqrt(2.0)); // SN3D W to the classic W
                ASSERT_EQ(out.at(i, ch), expected)
                    << "channels " << c.fileChannels << " output " << ch << " frame " << i;
            }
    }
}

TEST_F(RenderCommand, SweepsMoveOncePerBlockFromStartToEnd)
{
    writeSound(dir / "in.wav", 1, 48000, testSignal(1, 1000));
    std::string log;
    const Outcome r = probe({"in.wav", "out.wav", "--block", "200", "--azimuth", "90", "--azimuth-to", "-90",
                             "--elevation-to", "40", "--width", "20", "--width-to", "100", "--gain", "-6"},
                            log);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<Block> blocks = blocksOf(log);
    ASSERT_EQ(blocks.size(), 5u);
    const float gain = static_cast<float>(std::pow(10.0, -6.0 / 20.0));
    for (size_t b = 0; b < blocks.size(); ++b)
    {
        const double t = static_cast<double>(b) / 4.0;
        const double azimuth = 90 - 180 * t, elevation = 40 * t, width = 20 + 80 * t;
        // The parameter table: azimuth (0.5 - v) * 360, elevation (v - 0.5) * 180, width v * 180.
        EXPECT_EQ(blocks[b].params[0], static_cast<float>(0.5 - azimuth / 360)) << b;
        EXPECT_EQ(blocks[b].params[1], static_cast<float>(elevation / 180 + 0.5)) << b;
        EXPECT_EQ(blocks[b].params[2], static_cast<float>(width / 180)) << b;
        EXPECT_EQ(blocks[b].params[4], gain) << b;
    }
    EXPECT_EQ(blocks[0].params[0], 0.25f);
    EXPECT_EQ(blocks[4].params[0], 0.75f);
    // The start and end displays are printed once, before the render.
    EXPECT_NE(r.out.find("0.2500 -> 0.7500"), std::string::npos) << r.out;
}

TEST_F(RenderCommand, PrecisionGainAndLinearGain)
{
    writeSound(dir / "in.wav", 1, 48000, testSignal(1, 600));
    std::string log;
    Outcome r = probe({"in.wav", "out.wav", "--double", "--gain-linear", "0.25"}, log);
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<Block> blocks = blocksOf(log);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].kind, "double");
    EXPECT_EQ(blocks[1].kind, "double");
    EXPECT_EQ(blocks[0].params[4], 0.25f);
    const Sound out = readSound(dir / "out.wav");
    const std::vector<float> in = testSignal(1, 600);
    for (int i = 0; i < 600; ++i)
        ASSERT_EQ(out.at(i, 0), static_cast<float>(static_cast<double>(in[static_cast<size_t>(i)]) * 0.25))
            << i;

    // A plug-in without double precision is refused rather than silently run in single.
    r = probe({"in.wav", "out2.wav", "--double"}, log, {{"SORVELT_PROBE_SINGLE_ONLY", "1"}});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot process in double precision"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "out2.wav"));
}

// ---- files in, files out ---------------------------------------------------------------------------------

TEST_F(RenderCommand, OutputChannelsAndFileTypes)
{
    writeSound(dir / "in.wav", 2, 44100, testSignal(2, 3000));
    struct Case
    {
        std::vector<std::string> options;
        const char* output;
        int channels;
        int format;
    } cases[] = {
        {{}, "a.wav", 4, SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {{"--channels", "2"}, "b.wav", 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {{"--channels", "3", "--pcm16"}, "c.wav", 3, SF_FORMAT_WAV | SF_FORMAT_PCM_16},
        {{"--pcm24"}, "d.aiff", 4, SF_FORMAT_AIFF | SF_FORMAT_PCM_24},
        {{}, "e.flac", 4, SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
        {{"--pcm16", "--channels", "2"}, "f.flac", 2, SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
        {{}, "g.ogg", 4, SF_FORMAT_OGG | SF_FORMAT_VORBIS},
    };
    for (const Case& c : cases)
    {
        std::vector<std::string> arguments = {"in.wav", c.output};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        std::string log;
        const Outcome r = probe(arguments, log);
        ASSERT_EQ(r.status, 0) << c.output << ": " << r.err;
        const Sound out = readSound(dir / c.output);
        EXPECT_EQ(out.info.channels, c.channels) << c.output;
        EXPECT_EQ(out.info.format, c.format) << c.output;
        EXPECT_EQ(out.info.samplerate, 44100) << c.output;
        EXPECT_EQ(out.info.frames, 3000) << c.output;
        // The summary names each written channel's peak.
        EXPECT_NE(r.out.find("3000 frames"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find(c.channels == 2 ? " T " : " X "), std::string::npos) << r.out;
    }
}

TEST_F(RenderCommand, ReadsOtherTypesAndRawInput)
{
    const std::vector<float> signal = testSignal(2, 900);
    writeSound(dir / "in.flac", 2, 32000, signal, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    writeSound(dir / "in.aiff", 2, 32000, signal, SF_FORMAT_AIFF | SF_FORMAT_FLOAT);
    {
        std::ofstream raw(dir / "in.raw", std::ios::binary);
        raw.write(reinterpret_cast<const char*>(signal.data()),
                  static_cast<std::streamsize>(signal.size() * 4));
    }
    struct Case
    {
        std::vector<std::string> arguments;
        int rate;
    } cases[] = {
        {{"in.flac", "a.wav"}, 32000},
        {{"in.aiff", "b.wav"}, 32000},
        {{"in.raw", "c.wav", "--format", "stereo", "--sample-rate", "22050"}, 22050},
        {{"in.raw", "d.wav", "--format", "mono"}, 48000},
    };
    for (const Case& c : cases)
    {
        std::string log;
        const Outcome r = probe(c.arguments, log);
        ASSERT_EQ(r.status, 0) << c.arguments[0] << ": " << r.err;
        const Sound out = readSound(dir / c.arguments[1]);
        EXPECT_EQ(out.info.samplerate, c.rate) << c.arguments[1];
        const bool mono = c.arguments.back() == "mono";
        EXPECT_EQ(out.info.frames, mono ? 1800 : 900);
        // The stereo pair passes the probe unchanged (FLAC to 24 bits, hence the tolerance).
        EXPECT_NEAR(out.at(10, 0), signal[mono ? 10 : 20], 1e-6);
    }
    // A file with a header keeps its own rate; --sample-rate is only noted.
    std::string log;
    const Outcome r = probe({"in.flac", "e.wav", "--sample-rate", "22050"}, log);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readSound(dir / "e.wav").info.samplerate, 32000);
    EXPECT_NE(r.err.find("--sample-rate is for raw input"), std::string::npos) << r.err;
}

TEST_F(RenderCommand, DemoRendersEightSecondsAtFortyEightKilohertz)
{
    std::string log;
    Outcome r = probe({}, log);
    ASSERT_EQ(r.status, 0) << r.err;
    Sound out = readSound(dir / "sorvelt-demo-uhj.wav");
    EXPECT_EQ(out.info.channels, 4);
    EXPECT_EQ(out.info.samplerate, 48000);
    EXPECT_EQ(out.info.frames, 8 * 48000);
    float peak = 0;
    for (float s : out.samples)
        peak = std::max(peak, std::fabs(s));
    EXPECT_GT(peak, 0.1f);
    EXPECT_LE(peak, 1.0f);
    // The source turns once round the listener: the azimuth passes every quarter.
    const std::vector<Block> blocks = blocksOf(log);
    ASSERT_EQ(blocks.size(), 750u);
    EXPECT_EQ(blocks[0].params[0], 0.5f);
    const float behind = blocks[375].params[0]; // +180 or -180, the same place
    EXPECT_TRUE(behind == 0.0f || behind == 1.0f) << behind;
    EXPECT_NEAR(blocks[187].params[0], 0.25f, 0.002); // left after a quarter of the time
    EXPECT_NEAR(blocks[562].params[0], 0.75f, 0.002); // right after three quarters

    r = probe({"-o", "elsewhere.flac"}, log);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readSound(dir / "elsewhere.flac").info.frames, 8 * 48000);
}

// ---- failures ---------------------------------------------------------------------------------------------

TEST_F(RenderCommand, FailuresExplainThemselvesAndLeaveFilesAlone)
{
    writeSound(dir / "mono.wav", 1, 48000, testSignal(1, 100));
    writeSound(dir / "stereo.wav", 2, 48000, testSignal(2, 100));
    writeSound(dir / "three.wav", 3, 48000, testSignal(3, 100));
    std::ofstream(dir / "garbage.wav") << "this is not a sound file at all, just words";
    fs::create_directory(dir / "folder");
    const std::string probePlugin = kProbe;

    struct Case
    {
        std::vector<std::string> arguments;
        int status;
        const char* messagePart;
    } cases[] = {
        {{"missing.wav", "out.wav"}, 1, "cannot read missing.wav: No such file"},
        {{"garbage.wav", "out.wav"}, 1, "cannot read garbage.wav"},
        {{"folder", "out.wav"}, 1, "cannot read folder: it is a folder"},
        {{"mono.wav", "out.wav", "--bogus"}, 2, "unknown option --bogus"},
        {{"mono.wav", "out.wav", "--azimuth", "200"}, 2, "allowed -180 .. 180"},
        {{"mono.wav", "out.wav", "--block"}, 2, "needs a value"},
        {{"mono.wav", "mono.wav"}, 2, "is the input"},
        {{"mono.wav", "./mono.wav"}, 2, "is the input"},
        {{"three.wav", "out.wav"},
         1,
         "three.wav has 3 channels; the encoder takes 1 (mono), 2 (stereo) or 4"},
        {{"stereo.wav", "out.wav", "--format", "mono"},
         1,
         "stereo.wav has 2 channels; --format mono takes 1"},
        {{"stereo.wav", "out.wav", "--ambix"}, 1, "--format bformat (AmbiX) takes 4"},
        {{"x.raw", "out.wav"}, 2, "needs --format"},
        {{"mono.wav", "nowhere/out.wav"}, 1, "cannot write nowhere/out.wav"},
        {{"mono.wav", "folder"}, 1, "cannot write folder: it is a folder"},
        {{"mono.wav", "out.wav", "--plugin", "absent.so"}, 1, "cannot load plug-in absent.so"},
        {{"mono.wav", "out.wav", "--plugin", kFixtures + "/no_entry_plugin.so"},
         1,
         "exports neither VSTPluginMain nor main"},
        {{"mono.wav", "out.wav", "--plugin", kFixtures + "/null_entry_plugin.so"},
         1,
         "its entry returned no effect"},
        // Found through the older "main" export, then refused by it: not "exports neither".
        {{"mono.wav", "out.wav", "--plugin", kFixtures + "/main_entry_plugin.so"},
         1,
         "its entry returned no effect"},
        {{"--info", "--plugin", kFixtures + "/null_entry_plugin.so"}, 1, "its entry returned no effect"},
    };
    for (const Case& c : cases)
    {
        const std::string precious = "an earlier result that must survive";
        std::ofstream(dir / "out.wav") << precious;
        std::vector<std::string> arguments = c.arguments;
        if (std::find(arguments.begin(), arguments.end(), "--plugin") == arguments.end())
            arguments.insert(arguments.begin(), {"--plugin", probePlugin});
        const Outcome r = run(arguments);
        const std::string what = c.arguments[0] + " " + (c.arguments.size() > 1 ? c.arguments[1] : "");
        EXPECT_EQ(r.status, c.status) << what << ": " << r.err;
        EXPECT_NE(r.err.find(c.messagePart), std::string::npos) << what << ": '" << r.err << "'";
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1)
            << what << ": one line, got '" << r.err << "'";
        EXPECT_EQ(r.err.rfind("sorvelt-render: ", 0), 0u) << r.err;
        EXPECT_EQ(slurp((dir / "out.wav").string()), precious) << what;
        EXPECT_EQ(strayFiles({"mono.wav", "stereo.wav", "three.wav", "garbage.wav", "folder", "out.wav"}),
                  std::vector<std::string>{})
            << what;
    }
}

TEST_F(RenderCommand, AFailureOrASignalMidWayLeavesNoPartialFile)
{
    // Long enough that the output outgrows the limit below, and that one frame per block takes a
    // while to write.
    writeSound(dir / "in.wav", 4, 48000, testSignal(4, 480000));
    const std::string precious = "an earlier result that must survive";
    const auto untouched = [&](const char* what)
    {
        EXPECT_EQ(slurp((dir / "out.wav").string()), precious) << what;
        EXPECT_EQ(strayFiles({"in.wav", "out.wav"}), std::vector<std::string>{}) << what;
    };

    // The disk fills up part of the way through (a file size limit stands in for it).
    std::ofstream(dir / "out.wav") << precious;
    const Outcome full = runCommand({"--plugin", kProbe, "in.wav", "out.wav"}, dir, {},
                                    []
                                    {
                                        const rlimit limit{200000, 200000};
                                        ::setrlimit(RLIMIT_FSIZE, &limit);
                                        std::signal(SIGXFSZ, SIG_IGN);
                                    });
    EXPECT_EQ(full.status, 1) << full.err;
    EXPECT_EQ(full.err.rfind("sorvelt-render: cannot write out.wav: ", 0), 0u) << full.err;
    EXPECT_EQ(std::count(full.err.begin(), full.err.end(), '\n'), 1) << full.err;
    untouched("file size limit");

    // Interrupted once the output has begun: the temporary file goes, the signal ends the run.
    const pid_t child = startCommand({"--plugin", kProbe, "in.wav", "out.wav", "--block", "1"}, dir);
    bool started = false;
    for (int wait = 0; wait < 20000 && !started; ++wait)
    {
        for (const auto& entry : fs::directory_iterator(dir))
            started = started || (entry.path().filename().string().rfind(".out.wav.part-", 0) == 0 &&
                                  fs::file_size(entry.path()) > 0);
        if (!started) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(started) << "the render never began writing";
    ::kill(child, SIGINT);
    const Outcome interrupted = finishCommand(child, dir);
    EXPECT_EQ(interrupted.status, 128 + SIGINT) << interrupted.err;
    untouched("interrupt");
}

TEST_F(RenderCommand, SuccessReplacesAnExistingOutputWhole)
{
    writeSound(dir / "in.wav", 1, 48000, testSignal(1, 100));
    std::ofstream(dir / "out.wav") << "old";
    fs::permissions(dir / "out.wav", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    std::string log;
    const Outcome r = probe({"in.wav", "out.wav"}, log);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readSound(dir / "out.wav").info.frames, 100);
    EXPECT_EQ(fs::status(dir / "out.wav").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(strayFiles({"in.wav", "out.wav"}), std::vector<std::string>{});
}

TEST_F(RenderCommand, HelpListsOptionsAndExits)
{
    const Outcome r = run({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("--azimuth-to DEG"), std::string::npos);
    EXPECT_NE(r.out.find("Examples:"), std::string::npos);
    EXPECT_TRUE(r.err.empty());
    EXPECT_FALSE(fs::exists(dir / "sorvelt-demo-uhj.wav"));
}

// ---- against the plug-in itself ---------------------------------------------------------------------------

class RenderAgainstPlugin : public RenderCommand
{
protected:
    void SetUp() override
    {
        RenderCommand::SetUp();
        ASSERT_TRUE(fs::exists(kPlugin)) << "the plug-in " << kPlugin << " has not been built";
    }

    /// Compares every sample of the command's output with the direct rendering, bit for bit.
    static void expectIdentical(const Sound& file, const std::vector<std::vector<float>>& direct,
                                const char* what)
    {
        ASSERT_EQ(file.info.channels, 4) << what;
        ASSERT_EQ(static_cast<size_t>(file.info.frames), direct[0].size()) << what;
        for (int c = 0; c < 4; ++c)
            for (sf_count_t i = 0; i < file.info.frames; ++i)
                ASSERT_EQ(std::bit_cast<uint32_t>(file.at(i, c)),
                          std::bit_cast<uint32_t>(direct[static_cast<size_t>(c)][static_cast<size_t>(i)]))
                    << what << ": channel " << c << " frame " << i;
    }
};

TEST_F(RenderAgainstPlugin, InfoShowsThePlugin)
{
    const Outcome r = run({"--info"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* part :
         {"Effect: Sorvelt", "Product: Sorvelt", "Vendor version: 1000", "Unique ID: SVLT",
          "Category: effect (1)", "Inputs: 4, outputs: 4",
          "Flags: has editor, can process replacing, can process double replacing (0x1011)",
          "0 SourceAzimuth", "0.000000 deg", "4 Gain", "Programs: 1 (current: Init 1)", "0 Init"})
        EXPECT_NE(r.out.find(part), std::string::npos) << part << " missing from:\n" << r.out;
}

TEST_F(RenderAgainstPlugin, ImpulseMatchesThePluginBitForBitInBothPrecisions)
{
    const int frames = 1500; // three blocks of 512, the last one short
    struct Case
    {
        const char* name;
        int channels;
        std::vector<std::string> options;
        float format;
        float azimuth, elevation, width;
    } cases[] = {
        {"mono",
         1,
         {"--azimuth", "90", "--elevation", "45", "--width", "30"},
         0.0f,
         0.25f,
         0.75f,
         static_cast<float>(30.0 / 180.0)},
        {"stereo",
         2,
         {"--azimuth", "-45", "--width", "120"},
         0.5f,
         0.625f,
         0.5f,
         static_cast<float>(120.0 / 180.0)},
        {"bformat", 4, {}, 1.0f, 0.5f, 0.5f, 0.0f},
    };
    for (const Case& c : cases)
        for (const bool precise : {false, true})
        {
            // An impulse on every input channel, a few frames apart.
            std::vector<float> file(static_cast<size_t>(c.channels * frames), 0.0f);
            std::vector<std::vector<float>> direct(4, std::vector<float>(frames, 0.0f));
            for (int ch = 0; ch < c.channels; ++ch)
            {
                file[static_cast<size_t>((3 + 7 * ch) * c.channels + ch)] = 1.0f;
                direct[static_cast<size_t>(ch)][static_cast<size_t>(3 + 7 * ch)] = 1.0f;
            }
            writeSound(dir / "impulse.wav", c.channels, 48000, file);
            std::vector<std::string> arguments = {"impulse.wav", "out.wav"};
            arguments.insert(arguments.end(), c.options.begin(), c.options.end());
            if (precise) arguments.push_back("--double");
            const Outcome r = run(arguments);
            ASSERT_EQ(r.status, 0) << r.err;

            DirectPlugin plugin;
            ASSERT_TRUE(plugin.ready());
            plugin.set(0, c.azimuth);
            plugin.set(1, c.elevation);
            plugin.set(2, c.width);
            plugin.set(3, c.format);
            plugin.set(4, 1.0f);
            const auto expected = precise ? plugin.render<double>(direct, frames, 512)
                                          : plugin.render<float>(direct, frames, 512);
            expectIdentical(readSound(dir / "out.wav"), expected, c.name);
        }
}

TEST_F(RenderAgainstPlugin, SweepChangesTheOutputBetweenBlocks)
{
    const int frames = 2000, block = 250;
    const std::vector<float> signal = testSignal(1, frames, 7);
    writeSound(dir / "in.wav", 1, 48000, signal);
    Outcome r = run({"in.wav", "moving.wav", "--block", "250", "--azimuth", "90", "--azimuth-to", "-90"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = run({"in.wav", "still.wav", "--block", "250", "--azimuth", "90"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Sound moving = readSound(dir / "moving.wav"), still = readSound(dir / "still.wav");

    std::vector<std::vector<float>> input(4, std::vector<float>(frames, 0.0f));
    input[0] = signal;
    DirectPlugin plugin;
    ASSERT_TRUE(plugin.ready());
    const auto expected = plugin.render<float>(
        input, frames, block,
        [&](int b) { plugin.set(0, static_cast<float>(0.5 - (90.0 - 180.0 * b / 7) / 360)); });
    expectIdentical(moving, expected, "sweep");

    // The first block is where the sweep starts; every later block has moved away from it.
    for (int b = 0; b < frames / block; ++b)
    {
        bool differs = false;
        for (int i = b * block; i < (b + 1) * block; ++i)
            differs = differs || moving.at(i, 0) != still.at(i, 0) || moving.at(i, 1) != still.at(i, 1);
        EXPECT_EQ(differs, b > 0) << "block " << b;
    }
}

TEST_F(RenderAgainstPlugin, AmbixMatchesTheClassicOrder)
{
    const int frames = 1200;
    // Made from the AmbiX side, so the classic W is exactly what dividing by the square root of 2 gives.
    const std::vector<float> ambix = testSignal(4, frames, 11); // W, Y, Z, X (SN3D)
    std::vector<float> classic(ambix.size());                   // W, X, Y, Z
    for (int i = 0; i < frames; ++i)
    {
        const float* from = &ambix[static_cast<size_t>(4 * i)];
        float* to = &classic[static_cast<size_t>(4 * i)];
        to[0] = static_cast<float>(from[0] / std::sqrt(2.0));
        to[1] = from[3];
        to[2] = from[1];
        to[3] = from[2];
    }
    writeSound(dir / "classic.wav", 4, 48000, classic);
    writeSound(dir / "ambix.wav", 4, 48000, ambix);
    ASSERT_EQ(run({"classic.wav", "a.wav"}).status, 0);
    ASSERT_EQ(run({"ambix.wav", "b.wav", "--ambix"}).status, 0);
    ASSERT_EQ(run({"ambix.wav", "c.wav"}).status, 0);
    const Sound a = readSound(dir / "a.wav"), b = readSound(dir / "b.wav"), c = readSound(dir / "c.wav");
    ASSERT_EQ(a.samples.size(), static_cast<size_t>(4 * frames));
    EXPECT_EQ(a.samples, b.samples);
    EXPECT_NE(a.samples, c.samples); // read as classic, the same file encodes differently
}

TEST_F(RenderAgainstPlugin, DefaultDemoUsesThePluginBesideTheCommand)
{
    const Outcome r = run({});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("SourceAzimuth 0.000000"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Gain 0.000000 dB"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("384000 frames, 8.00 s of audio; peak L "), std::string::npos) << r.out;
    const Sound out = readSound(dir / "sorvelt-demo-uhj.wav");
    EXPECT_EQ(out.info.frames, 384000);
    EXPECT_EQ(out.info.channels, 4);
}

} // namespace
