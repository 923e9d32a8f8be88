// Command line of sorvelt-render: what a run is asked to do, and the parser that fills it in.
// Every option is one row of a table, so a new option is one new row and one new field.
#pragma once

#include "tools/render/units.h"

#include <optional>
#include <string>
#include <vector>

namespace sorvelt::render
{

/// Sample encoding of the output file.
enum class SampleEncoding
{
    Float32,
    Pcm16,
    Pcm24
};

/// A parameter that stays put, or moves linearly over the file when an end value is given.
struct Movement
{
    std::optional<double> start;
    std::optional<double> end;

    /// Value for one block: the start on the first block, the end on the last.
    double at(long long block, long long blockCount, double fallback) const;
};

/// Everything one run is asked to do; defaults are what a run without options does.
struct RenderOptions
{
    std::string input;              ///< empty: render the built-in demo
    std::string output;             ///< empty: a name chosen from the input (or the demo's name)
    std::string plugin;             ///< empty: sorvelt.so beside the command
    bool decode = false;            ///< --decode: UHJ in, B-Format out, without the plug-in
    std::optional<int> uhjChannels; ///< --decode --channels: how many input channels are UHJ
    std::optional<InputFormat> format;
    bool ambix = false; ///< AmbiX B-Format: the input when encoding, the output when decoding
    Movement azimuth;   ///< degrees, positive to the left
    Movement elevation; ///< degrees
    Movement width;     ///< degrees
    float gain = 1.0f;  ///< linear factor, 0 .. 1
    int channels = 4;   ///< channels written
    SampleEncoding encoding = SampleEncoding::Float32;
    bool doublePrecision = false;
    int blockSize = 512;
    std::optional<int> sampleRate;
    bool info = false;
    bool version = false;
    std::string snapshot; ///< --snapshot: a picture of the editor goes here instead of a render
    bool gui = false;     ///< --gui: the editor in a window instead of a render
    bool help = false;
    /// Writing overlaps reading and processing on a second thread; the output is the same either
    /// way. No option sets it: the tests and the benchmark compare the two.
    bool threaded = true;
};

/// Outcome of parsing: the options, or a one-line message and the exit status 2.
struct ParseResult
{
    RenderOptions options;
    int status = 0;
    std::string message;
};

/// Parses the arguments after the program name.
ParseResult parseOptions(const std::vector<std::string>& arguments);

/// One option as --help and the manual page describe it (the parser's own table, without its actions).
struct OptionDescription
{
    const char* name;
    const char* shortName;   ///< or nullptr
    const char* value;       ///< placeholder of the value, nullptr for a switch
    const char* defaultText; ///< or nullptr
    const char* help;
};

/// Every option in the order --help lists them.
std::vector<OptionDescription> optionDescriptions();

/// The --help text: every option with its default, then examples of the common jobs.
std::string helpText();

/// Output name used when none is given: the demo's, or the input's stem with "-uhj.wav"
/// ("-bformat.wav" when decoding).
std::string defaultOutputFor(const std::string& input, bool decode = false);

} // namespace sorvelt::render
