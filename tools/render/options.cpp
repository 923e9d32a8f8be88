// Option table and parser of sorvelt-render.
#include "tools/render/options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <set>
#include <sstream>

namespace sorvelt::render
{

double Movement::at(long long block, long long blockCount, double fallback) const
{
    const double from = start.value_or(fallback);
    if (!end || blockCount < 2) return from;
    const double t = static_cast<double>(block) / static_cast<double>(blockCount - 1);
    return from + (*end - from) * t;
}

namespace
{

/// Reads a whole argument as a finite number; "-inf" only where the caller allows it.
bool readNumber(const std::string& text, double& value, bool allowMinusInfinity = false)
{
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || std::isnan(value)) return false;
    if (std::isinf(value)) return allowMinusInfinity && value < 0;
    return true;
}

bool readInteger(const std::string& text, long long& value)
{
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return end == text.c_str() + text.size() && errno == 0;
}

std::string formatRange(double low, double high)
{
    std::ostringstream out;
    out << low << " .. " << high;
    return out.str();
}

/// Parses a number in [low, high]; on failure returns a message naming the option and the range.
std::string numberInRange(const char* option, const std::string& text, double low, double high,
                          const char* unit, double& value)
{
    if (!readNumber(text, value))
        return std::string(option) + ": '" + text + "' is not a number (allowed " + formatRange(low, high) +
               " " + unit + ")";
    if (value < low || value > high)
        return std::string(option) + ": " + text + " is out of range (allowed " + formatRange(low, high) +
               " " + unit + ")";
    return {};
}

std::string integerInRange(const char* option, const std::string& text, long long low, long long high,
                           long long& value)
{
    if (!readInteger(text, value) || value < low || value > high)
        return std::string(option) + ": '" + text + "' is not allowed (a whole number in " +
               formatRange(static_cast<double>(low), static_cast<double>(high)) + ")";
    return {};
}

using Apply = std::string (*)(RenderOptions&, const std::string&);

struct OptionRow
{
    const char* name;
    const char* shortName; ///< or nullptr
    const char* value;     ///< placeholder of the value, nullptr for a switch
    const char* defaultText;
    const char* help;
    Apply apply;
};

std::string setAngle(std::optional<double>& target, const char* option, const std::string& text, double low,
                     double high)
{
    double value = 0;
    std::string error = numberInRange(option, text, low, high, "degrees", value);
    if (error.empty()) target = value;
    return error;
}

const OptionRow optionTable[] = {
    {"--help", "-h", nullptr, nullptr, "show this text and exit",
     [](RenderOptions& o, const std::string&) -> std::string
     {
         o.help = true;
         return {};
     }},
    {"--info", nullptr, nullptr, nullptr,
     "show the plug-in as a host sees it (names, ID, flags, parameters, programs) and exit",
     [](RenderOptions& o, const std::string&) -> std::string
     {
         o.info = true;
         return {};
     }},
    {"--version", nullptr, nullptr, nullptr,
     "show the version of this command and the vendor version of the plug-in it loads, and exit",
     [](RenderOptions& o, const std::string&) -> std::string
     {
         o.version = true;
         return {};
     }},
    {"--snapshot", nullptr, "FILE.png", nullptr,
     "write a picture of the plug-in's editor, at the parameter values given, and exit (needs an X display)",
     [](RenderOptions& o, const std::string& v) -> std::string
     {
         if (v.empty()) return "--snapshot: the path is empty";
         o.snapshot = v;
         return {};
     }},
    {"--gui", nullptr, nullptr, nullptr,
     "open the plug-in's editor in a window, print its automation and edit gestures, exit when it is closed",
     [](RenderOptions& o, const std::string&) -> std::string
     {
         o.gui = true;
         return {};
     }},
    {"--decode", nullptr, nullptr, "encode",
     "decode UHJ (2, 3 or 4 channels: L, R, T, Q) back to B-Format W, X, Y, Z, without the plug-in",
     [](RenderOptions& o, const std::string&) -> std::string
     {
         o.decode = true;
         return {};
     }},
    {"--plugin", nullptr, "PATH",
     "sorvelt.so beside this command, else the installed one in ../lib/vst from it",
     "the VST 2.4 plug-in to load",
     [](RenderOptions& o, const std::string& v) -> std::string
     {
         if (v.empty()) return "--plugin: the path is empty";
         o.plugin = v;
         return {};
     }},
    {"--output", "-o", "PATH",
     "INPUT's name with -uhj.wav (-bformat.wav when decoding), or sorvelt-demo-uhj.wav",
     "where to write the result (may also be given as the second file name)",
     [](RenderOptions& o, const std::string& v) -> std::string
     {
         if (v.empty()) return "--output: the path is empty";
         o.output = v;
         return {};
     }},
    {"--format", nullptr, "mono|stereo|bformat", "from the input's channel count (1, 2, 4)",
     "how to read the input; bformat is W, X, Y, Z with W as it comes",
     [](RenderOptions& o, const std::string& v) -> std::string
     {
         if (v == "mono")
             o.format = InputFormat::Mono;
         else if (v == "stereo")
             o.format = InputFormat::Stereo;
         else if (v == "bformat")
             o.format = InputFormat::BFormat;
         else
             return "--format: '" + v + "' is not a format (allowed mono, stereo, bformat)";
         return {};
     }},
    {"--ambix", nullptr, nullptr, "off",
     "the input is AmbiX B-Format (W, Y, Z, X with SN3D); it is converted to W, X, Y, Z. With --decode the "
     "output is AmbiX instead of W, X, Y, Z",
     [](RenderOptions& o, const std::string&) -> std::string
     {
         o.ambix = true;
         return {};
     }},
    {"--azimuth", nullptr, "DEG", "0", "source azimuth, -180 .. 180, positive to the left",
     [](RenderOptions& o, const std::string& v)
     { return setAngle(o.azimuth.start, "--azimuth", v, -180, 180); }},
    {"--azimuth-to", nullptr, "DEG", "no movement",
     "sweep the azimuth linearly to this value over the file, once per block",
     [](RenderOptions& o, const std::string& v)
     { return setAngle(o.azimuth.end, "--azimuth-to", v, -180, 180); }},
    {"--elevation", nullptr, "DEG", "0", "source elevation, -90 .. 90",
     [](RenderOptions& o, const std::string& v)
     { return setAngle(o.elevation.start, "--elevation", v, -90, 90); }},
    {"--elevation-to", nullptr, "DEG", "no movement", "sweep the elevation to this value over the file",
     [](RenderOptions& o, const std::string& v)
     { return setAngle(o.elevation.end, "--elevation-to", v, -90, 90); }},
    {"--width", nullptr, "DEG", "0", "source width, 0 .. 180 (the two images lie at azimuth +- width/2)",
     [](RenderOptions& o, const std::string& v) { return setAngle(o.width.start, "--width", v, 0, 180); }},
    {"--width-to", nullptr, "DEG", "no movement", "sweep the width to this value over the file",
     [](RenderOptions& o, const std::string& v) { return setAngle(o.width.end, "--width-to", v, 0, 180); }},
    {"--gain", nullptr, "DB", "0", "output gain in dB, at most 0 (-inf for silence)",
     [](RenderOptions& o, const std::string& v) -> std::string
     {
         double db = 0;
         if (!readNumber(v, db, true)) return "--gain: '" + v + "' is not a number (allowed -inf .. 0 dB)";
         if (db > 0) return "--gain: " + v + " is out of range (allowed -inf .. 0 dB)";
         o.gain = decibelsToLinear(db);
         return {};
     }},
    {"--gain-linear", nullptr, "V", "1", "output gain as a linear factor, 0 .. 1",
     [](RenderOptions& o, const std::string& v) -> std::string
     {
         double value = 0;
         std::string error = numberInRange("--gain-linear", v, 0, 1, "", value);
         if (error.empty()) o.gain = static_cast<float>(value);
         return error;
     }},
    {"--channels", nullptr, "N", "4; when decoding, the input's",
     "output channels: 4 writes L, R, T, Q; 3 writes L, R, T; 2 the UHJ stereo pair. With --decode: how "
     "many input channels are read as UHJ (2 L, R; 3 adds T; 4 adds Q)",
     [](RenderOptions& o, const std::string& v) -> std::string
     {
         long long n = 0;
         std::string error = integerInRange("--channels", v, 2, 4, n);
         if (error.empty()) o.channels = static_cast<int>(n);
         return error;
     }},
    {"--pcm16", nullptr, nullptr, "32-bit float (24-bit for FLAC)", "write 16-bit integer samples",
     [](RenderOptions& o, const std::string&) -> std::string
     {
         o.encoding = SampleEncoding::Pcm16;
         return {};
     }},
    {"--pcm24", nullptr, nullptr, "32-bit float (24-bit for FLAC)", "write 24-bit integer samples",
     [](RenderOptions& o, const std::string&) -> std::string
     {
         o.encoding = SampleEncoding::Pcm24;
         return {};
     }},
    {"--double", nullptr, nullptr, "single precision", "process in double precision (processDoubleReplacing)",
     [](RenderOptions& o, const std::string&) -> std::string
     {
         o.doublePrecision = true;
         return {};
     }},
    {"--block", nullptr, "N", "512", "block size in frames, 1 .. 65536",
     [](RenderOptions& o, const std::string& v) -> std::string
     {
         long long n = 0;
         std::string error = integerInRange("--block", v, 1, 65536, n);
         if (error.empty()) o.blockSize = static_cast<int>(n);
         return error;
     }},
    {"--sample-rate", nullptr, "HZ", "the file's own rate (48000 for raw input and the demo)",
     "sample rate of raw input (.raw: headerless 32-bit float, little-endian) and of the demo",
     [](RenderOptions& o, const std::string& v) -> std::string
     {
         long long n = 0;
         std::string error = integerInRange("--sample-rate", v, 1000, 768000, n);
         if (error.empty()) o.sampleRate = static_cast<int>(n);
         return error;
     }},
};

const OptionRow* findOption(const std::string& name)
{
    for (const OptionRow& row : optionTable)
        if (name == row.name || (row.shortName && name == row.shortName)) return &row;
    return nullptr;
}

ParseResult usageError(std::string message)
{
    ParseResult result;
    result.status = 2;
    result.message = std::move(message);
    return result;
}

} // namespace

ParseResult parseOptions(const std::vector<std::string>& arguments)
{
    ParseResult result;
    RenderOptions& options = result.options;
    std::vector<std::string> files;
    std::set<std::string> seen;
    bool optionsEnded = false;

    for (size_t i = 0; i < arguments.size(); ++i)
    {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-')
        {
            files.push_back(argument);
            continue;
        }
        if (argument == "--")
        {
            optionsEnded = true;
            continue;
        }
        std::string name = argument;
        std::optional<std::string> inlineValue;
        if (const size_t equals = argument.find('=');
            argument.rfind("--", 0) == 0 && equals != std::string::npos)
        {
            name = argument.substr(0, equals);
            inlineValue = argument.substr(equals + 1);
        }
        const OptionRow* row = findOption(name);
        if (!row) return usageError("unknown option " + name + " (see --help)");
        std::string value;
        if (row->value)
        {
            if (inlineValue)
                value = *inlineValue;
            else if (i + 1 < arguments.size())
                value = arguments[++i];
            else
                return usageError(std::string(row->name) + " needs a value " + row->value);
        }
        else if (inlineValue)
            return usageError(std::string(row->name) + " takes no value");
        if (std::string error = row->apply(options, value); !error.empty()) return usageError(error);
        seen.insert(row->name);
    }

    if (options.decode)
    {
        for (const char* option : {"--azimuth", "--azimuth-to", "--elevation", "--elevation-to", "--width",
                                   "--width-to", "--format", "--double", "--snapshot", "--gui", "--plugin"})
            if (seen.count(option))
                return usageError(std::string(option) + " is for encoding; --decode does not take it");
        if (seen.count("--channels")) options.uhjChannels = options.channels;
        options.channels = 4;
    }
    if (seen.count("--gain") && seen.count("--gain-linear"))
        return usageError("--gain and --gain-linear both set the gain; give one");
    if (seen.count("--pcm16") && seen.count("--pcm24"))
        return usageError("--pcm16 and --pcm24 exclude each other; give one");
    if (!options.decode && options.ambix && options.format && *options.format != InputFormat::BFormat)
        return usageError("--ambix is B-Format input; it cannot be combined with --format " +
                          std::string(nameOf(*options.format)));
    if (!options.decode && options.ambix) options.format = InputFormat::BFormat;

    // The editor jobs draw or show the editor only: no audio goes in or out.
    const bool editorJob = options.gui || !options.snapshot.empty();
    if (options.gui && !options.snapshot.empty())
        return usageError("--snapshot and --gui exclude each other; give one");
    if (editorJob && (!files.empty() || !options.output.empty()))
        return usageError(std::string(options.gui ? "--gui" : "--snapshot") +
                          " shows the editor only; it takes no INPUT or OUTPUT");
    if (editorJob) return result;

    if (files.size() > 2)
        return usageError("too many file names: '" + files[2] + "' (give INPUT and OUTPUT at most)");
    if (files.size() == 2 && !options.output.empty())
        return usageError("the output is given twice (as a file name and with --output)");
    if (!files.empty()) options.input = files[0];
    if (files.size() == 2) options.output = files[1];
    for (const std::string* path : {&options.input, &options.output})
        if (*path == "-") return usageError("standard input and output are not supported; give a file name");

    if (options.decode && options.input.empty())
        return usageError("--decode needs an INPUT file (UHJ: L, R and maybe T and Q)");
    if (options.input.empty())
    {
        if (options.ambix || (options.format && *options.format != InputFormat::Mono))
            return usageError("the built-in demo is a mono source; --format and --ambix need an INPUT file");
    }
    if (options.output.empty()) options.output = defaultOutputFor(options.input, options.decode);
    return result;
}

std::string defaultOutputFor(const std::string& input, bool decode)
{
    if (input.empty()) return "sorvelt-demo-uhj.wav";
    const size_t slash = input.find_last_of('/');
    std::string name = slash == std::string::npos ? input : input.substr(slash + 1);
    if (const size_t dot = name.find_last_of('.'); dot != std::string::npos && dot > 0) name.resize(dot);
    return name + (decode ? "-bformat.wav" : "-uhj.wav");
}

std::vector<OptionDescription> optionDescriptions()
{
    std::vector<OptionDescription> rows;
    for (const OptionRow& row : optionTable)
        rows.push_back({row.name, row.shortName, row.value, row.defaultText, row.help});
    return rows;
}

std::string helpText()
{
    std::ostringstream out;
    out << "Usage: sorvelt-render [options] [INPUT [OUTPUT]]\n"
           "Encodes one source (mono, stereo or B-Format) into UHJ: L, R (the stereo pair), T and Q,\n"
           "through the Sorvelt VST 2.4 plug-in, as a host would. INPUT may be WAV, AIFF, FLAC, Ogg or any\n"
           "other file libsndfile reads. Without INPUT a built-in demo (8 s, a mono source circling the\n"
           "listener) is rendered. The output type follows OUTPUT's extension (.wav, .flac, .aiff, .ogg;\n"
           "anything else is WAV); a failed run leaves no partial file.\n"
           "\n"
           "With --decode it goes the other way, without the plug-in: UHJ back to first-order B-Format\n"
           "W, X, Y, Z (W as the encoder takes it, so encoding then decoding gives the field back), or\n"
           "AmbiX with --ambix. The input's channels are L, R, T, Q: 4-channel UHJ gives the whole field,\n"
           "height included; 3-channel the whole horizontal field, Z silent; 2-channel (UHJ stereo) a\n"
           "horizontal field, Z silent, that is not the original: the stereo pair keeps less than B-Format\n"
           "holds, so sources come back less sharply placed. --gain, --block, --pcm16/24 and the output\n"
           "types work as for encoding; the placement options, --format, --double and --plugin do not.\n"
           "\nOptions:\n";
    for (const OptionRow& row : optionTable)
    {
        std::string left = "  ";
        if (row.shortName) left += std::string(row.shortName) + ", ";
        left += row.name;
        if (row.value) left += std::string(" ") + row.value;
        out << left << "\n      " << row.help;
        if (row.defaultText) out << " (default: " << row.defaultText << ")";
        out << "\n";
    }
    out << "\nExamples:\n"
           "  sorvelt-render                                   render the demo to sorvelt-demo-uhj.wav\n"
           "  sorvelt-render -o demo.flac                      render the demo to a FLAC file\n"
           "  sorvelt-render voice.wav --azimuth 45            place a mono voice 45 degrees to the left\n"
           "  sorvelt-render band.wav out.wav --width 90       a stereo pair spread over 90 degrees\n"
           "  sorvelt-render bee.wav --azimuth 90 --azimuth-to -90   fly a source from left to right\n"
           "  sorvelt-render field.wav out.wav --format bformat      transcode B-Format W, X, Y, Z\n"
           "  sorvelt-render field.amb out.wav --ambix               transcode AmbiX (W, Y, Z, X, SN3D)\n"
           "  sorvelt-render in.wav out.wav --channels 2 --pcm16     UHJ stereo only, for any stereo system\n"
           "  sorvelt-render --info                            show the plug-in as a host sees it\n"
           "  sorvelt-render --snapshot editor.png --azimuth 30 --format stereo   a picture of the editor\n"
           "  sorvelt-render --gui                             try the editor in a window of its own\n"
           "  sorvelt-render --decode take.wav                 UHJ back to B-Format, in take-bformat.wav\n"
           "  sorvelt-render --decode old.wav field.wav --channels 2 --ambix   UHJ stereo to AmbiX\n";
    return out.str();
}

} // namespace sorvelt::render
