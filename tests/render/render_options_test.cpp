// Option parsing, unit conversions and the small formatting helpers of sorvelt-render.
#include "tools/render/options.h"
#include "tools/render/plugin_host.h"
#include "tools/render/progress.h"
#include "tools/render/sound_file.h"
#include "tools/render/units.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <limits>

using namespace sorvelt::render;

namespace
{

ParseResult parse(std::vector<std::string> arguments)
{
    return parseOptions(arguments);
}

/// Whether the help has a line that introduces this option (not merely a longer one).
bool listsOption(const std::string& help, const std::string& option)
{
    for (size_t at = help.find(option); at != std::string::npos; at = help.find(option, at + 1))
    {
        const char after = at + option.size() < help.size() ? help[at + option.size()] : '\n';
        if (at > 0 && help[at - 1] == ' ' && (after == ' ' || after == '\n')) return true;
    }
    return false;
}

} // namespace

TEST(RenderUnits, DegreesMapOntoTheParameterTable)
{
    // The plug-in shows azimuth (0.5 - v) * 360, elevation (v - 0.5) * 180, width v * 180.
    struct Case
    {
        float (*convert)(double);
        double degrees;
        float normalized;
    } cases[] = {
        {azimuthToNormalized, 0, 0.5f},      {azimuthToNormalized, 90, 0.25f},
        {azimuthToNormalized, -90, 0.75f},   {azimuthToNormalized, 180, 0.0f},
        {azimuthToNormalized, -180, 1.0f},   {elevationToNormalized, 0, 0.5f},
        {elevationToNormalized, 90, 1.0f},   {elevationToNormalized, -90, 0.0f},
        {elevationToNormalized, -45, 0.25f}, {widthToNormalized, 0, 0.0f},
        {widthToNormalized, 180, 1.0f},      {widthToNormalized, 90, 0.5f},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.convert(c.degrees), c.normalized) << c.degrees;
    EXPECT_EQ(widthToNormalized(30), static_cast<float>(30.0 / 180.0));
}

TEST(RenderUnits, GainAndFormat)
{
    EXPECT_EQ(decibelsToLinear(0), 1.0f);
    EXPECT_NEAR(decibelsToLinear(-6.0205999), 0.5f, 1e-7);
    EXPECT_NEAR(decibelsToLinear(-20), 0.1f, 1e-8);
    EXPECT_EQ(decibelsToLinear(-std::numeric_limits<double>::infinity()), 0.0f);
    // The plug-in selects by floor(2 v): these must land in the mono, stereo and B-Format bands.
    EXPECT_EQ(std::floor(2 * formatToNormalized(InputFormat::Mono)), 0);
    EXPECT_EQ(std::floor(2 * formatToNormalized(InputFormat::Stereo)), 1);
    EXPECT_EQ(std::floor(2 * formatToNormalized(InputFormat::BFormat)), 2);
}

TEST(RenderUnits, PeaksWrapsAndIdentities)
{
    EXPECT_EQ(peakToDbfs(1.0), "0.0");
    EXPECT_EQ(peakToDbfs(0.5), "-6.0");
    EXPECT_EQ(peakToDbfs(0.0), "-inf");
    EXPECT_EQ(wrapDegrees(0), 0);
    EXPECT_EQ(wrapDegrees(90), 90);
    EXPECT_EQ(wrapDegrees(270), -90);
    EXPECT_EQ(wrapDegrees(-270), 90);
    EXPECT_EQ(wrapDegrees(720 + 45), 45);
    EXPECT_EQ(fourCharacters(fourCharConstant("SVLT")), "SVLT");
    EXPECT_EQ(fourCharacters(0x01020304), "0x01020304");
    EXPECT_EQ(flagWords(0x1011), "has editor, can process replacing, can process double replacing");
    EXPECT_EQ(flagWords(0), "none");
    EXPECT_EQ(flagWords(0x10000), "unknown bits 0x10000");
    EXPECT_EQ(categoryName(1), "effect");
    EXPECT_EQ(categoryName(99), "category 99");
}

TEST(RenderOptions, DefaultsWithoutArguments)
{
    const ParseResult r = parse({});
    ASSERT_EQ(r.status, 0) << r.message;
    const RenderOptions& o = r.options;
    EXPECT_TRUE(o.input.empty());
    EXPECT_EQ(o.output, "sorvelt-demo-uhj.wav");
    EXPECT_EQ(o.channels, 4);
    EXPECT_EQ(o.blockSize, 512);
    EXPECT_EQ(o.gain, 1.0f);
    EXPECT_EQ(o.encoding, SampleEncoding::Float32);
    EXPECT_FALSE(o.doublePrecision);
    EXPECT_FALSE(o.format.has_value());
    EXPECT_FALSE(o.azimuth.start.has_value());
}

TEST(RenderOptions, ValuesInBothSpellingsAndFileNames)
{
    const ParseResult r = parse({"in.flac",  "--azimuth", "45",         "--elevation=-30", "--width",
                                 "90",       "--gain",    "-6",         "--channels",      "2",
                                 "--pcm24",  "--double",  "--block=64", "--format",        "stereo",
                                 "--plugin", "/x/p.so",   "out.wav",    "--azimuth-to",    "-45"});
    ASSERT_EQ(r.status, 0) << r.message;
    const RenderOptions& o = r.options;
    EXPECT_EQ(o.input, "in.flac");
    EXPECT_EQ(o.output, "out.wav");
    EXPECT_EQ(*o.azimuth.start, 45);
    EXPECT_EQ(*o.azimuth.end, -45);
    EXPECT_EQ(*o.elevation.start, -30);
    EXPECT_EQ(*o.width.start, 90);
    EXPECT_NEAR(o.gain, 0.501187f, 1e-6);
    EXPECT_EQ(o.channels, 2);
    EXPECT_EQ(o.encoding, SampleEncoding::Pcm24);
    EXPECT_TRUE(o.doublePrecision);
    EXPECT_EQ(o.blockSize, 64);
    EXPECT_EQ(*o.format, InputFormat::Stereo);
    EXPECT_EQ(o.plugin, "/x/p.so");

    EXPECT_EQ(parse({"song.wav"}).options.output, "song-uhj.wav");
    EXPECT_EQ(parse({"/music/a.b/song"}).options.output, "song-uhj.wav");
    EXPECT_EQ(parse({"-o", "x.flac"}).options.output, "x.flac");
    EXPECT_EQ(parse({"--", "-odd.wav"}).options.input, "-odd.wav");
    EXPECT_EQ(parse({"--gain-linear", "0.25"}).options.gain, 0.25f);
    EXPECT_EQ(parse({"--gain", "-inf"}).options.gain, 0.0f);
    EXPECT_EQ(*parse({"f.amb", "--ambix"}).options.format, InputFormat::BFormat);
    EXPECT_TRUE(parse({"--info"}).options.info);
    EXPECT_TRUE(parse({"-h"}).options.help);
}

TEST(RenderOptions, BadArgumentsAreUsageErrorsThatSayWhy)
{
    struct Case
    {
        std::vector<std::string> arguments;
        const char* messagePart;
    } cases[] = {
        {{"--frobnicate"}, "unknown option --frobnicate"},
        {{"--azimuth"}, "--azimuth needs a value DEG"},
        {{"--azimuth", "181"}, "allowed -180 .. 180 degrees"},
        {{"--azimuth-to", "-180.5"}, "allowed -180 .. 180 degrees"},
        {{"--azimuth", "left"}, "'left' is not a number"},
        {{"--azimuth", "nan"}, "is not a number"},
        {{"--azimuth", "12abc"}, "is not a number"},
        {{"--elevation", "91"}, "allowed -90 .. 90 degrees"},
        {{"--elevation-to", "-90.01"}, "allowed -90 .. 90"},
        {{"--width", "-1"}, "allowed 0 .. 180 degrees"},
        {{"--width-to", "180.1"}, "allowed 0 .. 180"},
        {{"--gain", "0.5"}, "allowed -inf .. 0 dB"},
        {{"--gain", "inf"}, "is not a number"},
        {{"--gain-linear", "1.5"}, "allowed 0 .. 1"},
        {{"--gain", "-3", "--gain-linear", "0.5"}, "give one"},
        {{"--channels", "1"}, "a whole number in 2 .. 4"},
        {{"--channels", "5"}, "2 .. 4"},
        {{"--block", "0"}, "1 .. 65536"},
        {{"--block", "2.5"}, "1 .. 65536"},
        {{"--sample-rate", "12"}, "1000 .. 768000"},
        {{"--format", "surround"}, "allowed mono, stereo, bformat"},
        {{"--pcm16", "--pcm24"}, "exclude each other"},
        {{"x.wav", "--ambix", "--format", "mono"}, "--ambix is B-Format"},
        {{"--format", "stereo"}, "the built-in demo is a mono source"},
        {{"--ambix"}, "the built-in demo is a mono source"},
        {{"a.wav", "b.wav", "c.wav"}, "too many file names"},
        {{"a.wav", "b.wav", "-o", "c.wav"}, "the output is given twice"},
        {{"--double=yes"}, "takes no value"},
        {{"-"}, "standard input and output are not supported"},
        {{"--plugin="}, "the path is empty"},
    };
    for (const Case& c : cases)
    {
        const ParseResult r = parse(c.arguments);
        EXPECT_EQ(r.status, 2) << c.arguments[0];
        EXPECT_NE(r.message.find(c.messagePart), std::string::npos)
            << "message '" << r.message << "' lacks '" << c.messagePart << "'";
    }
}

TEST(RenderOptions, BoundaryValuesAreAccepted)
{
    for (const char* option : {"--azimuth", "--azimuth-to"})
        for (const char* value : {"-180", "180"})
            EXPECT_EQ(parse({option, value}).status, 0) << option << value;
    EXPECT_EQ(parse({"--elevation", "-90", "--elevation-to", "90"}).status, 0);
    EXPECT_EQ(parse({"--width", "0", "--width-to", "180"}).status, 0);
    EXPECT_EQ(parse({"--gain", "0"}).status, 0);
    EXPECT_EQ(parse({"--gain-linear", "0"}).status, 0);
    EXPECT_EQ(parse({"--block", "1"}).status, 0);
    EXPECT_EQ(parse({"--block", "65536"}).status, 0);
}

TEST(RenderOptions, HelpNamesEveryOptionWithExamples)
{
    const std::string help = helpText();
    for (const char* option :
         {"--help",     "--info",    "--decode",      "--plugin",    "--output",       "--format",
          "--ambix",    "--azimuth", "--azimuth-to",  "--elevation", "--elevation-to", "--width",
          "--width-to", "--gain",    "--gain-linear", "--channels",  "--pcm16",        "--pcm24",
          "--double",   "--block",   "--sample-rate"})
    {
        EXPECT_TRUE(listsOption(help, option)) << option;
        // Every option the help lists must also be one the parser knows.
        EXPECT_NE(parse({option, "0"}).message.find("unknown option"), 0u) << option;
    }
    EXPECT_NE(help.find("(default: 512)"), std::string::npos);
    EXPECT_NE(help.find("Examples:"), std::string::npos);
}

TEST(RenderOptions, DecodingReadsChannelsAndNamesItsOutput)
{
    ParseResult r = parse({"--decode", "/takes/take.one.flac"});
    ASSERT_EQ(r.status, 0) << r.message;
    EXPECT_TRUE(r.options.decode);
    EXPECT_EQ(r.options.output, "take.one-bformat.wav");
    EXPECT_FALSE(r.options.uhjChannels.has_value()); // the file's own count
    EXPECT_EQ(r.options.channels, 4);                // W, X, Y, Z are written

    r = parse({"--decode", "take.wav", "--channels", "2", "--ambix", "--gain", "-6", "--pcm24"});
    ASSERT_EQ(r.status, 0) << r.message;
    EXPECT_EQ(r.options.uhjChannels, 2);
    EXPECT_EQ(r.options.channels, 4);
    EXPECT_TRUE(r.options.ambix);
    EXPECT_FALSE(r.options.format.has_value()); // AmbiX is the output here, not an input format
    EXPECT_EQ(r.options.output, "take-bformat.wav");
    EXPECT_EQ(parse({"take.wav"}).options.output, "take-uhj.wav");
}

TEST(RenderMovement, FirstBlockStartsLastBlockEnds)
{
    Movement still{30.0, std::nullopt};
    EXPECT_EQ(still.at(0, 10, 0), 30);
    EXPECT_EQ(still.at(9, 10, 0), 30);
    Movement none{};
    EXPECT_EQ(none.at(3, 10, 7.5), 7.5);
    Movement sweep{90.0, -90.0};
    EXPECT_EQ(sweep.at(0, 5, 0), 90);
    EXPECT_EQ(sweep.at(1, 5, 0), 45);
    EXPECT_EQ(sweep.at(2, 5, 0), 0);
    EXPECT_EQ(sweep.at(4, 5, 0), -90);
    EXPECT_EQ(sweep.at(0, 1, 0), 90); // a one-block file stays at the start
    Movement fromDefault{std::nullopt, 60.0};
    EXPECT_EQ(fromDefault.at(0, 3, 0), 0);
    EXPECT_EQ(fromDefault.at(2, 3, 0), 60);
}

TEST(RenderOutput, FileTypeFollowsTheExtension)
{
    struct Case
    {
        const char* path;
        SampleEncoding encoding;
        int format;
    } cases[] = {
        {"a.wav", SampleEncoding::Float32, SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {"a.WAV", SampleEncoding::Pcm16, SF_FORMAT_WAV | SF_FORMAT_PCM_16},
        {"a.flac", SampleEncoding::Float32, SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
        {"a.flac", SampleEncoding::Pcm16, SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
        {"a.aiff", SampleEncoding::Pcm24, SF_FORMAT_AIFF | SF_FORMAT_PCM_24},
        {"a.ogg", SampleEncoding::Float32, SF_FORMAT_OGG | SF_FORMAT_VORBIS},
        {"dir.v2/noextension", SampleEncoding::Float32, SF_FORMAT_WAV | SF_FORMAT_FLOAT},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SoundFileSink::formatFor(c.path, c.encoding), c.format) << c.path;
}

TEST(RenderProgress, BarAndSummary)
{
    EXPECT_EQ(ProgressBar::bar(0.0, 10), "[..........]   0%");
    EXPECT_EQ(ProgressBar::bar(0.5, 10), "[#####.....]  50%");
    EXPECT_EQ(ProgressBar::bar(1.5, 10), "[##########] 100%");
    EXPECT_EQ(summaryLine(96000, 48000, {"L", "R"}, {1.0, 0.0}, 0.5),
              "96000 frames, 2.00 s of audio; peak L 0.0, R -inf dBFS; 4.0x real time");
}
