// The built bundle in Debian's LV2 hosts: lv2ls finds it, lv2info describes it as the
// effect describes itself and warns about nothing, and lv2apply's audio through the
// bundle is, bit for bit, sorvelt-render's audio through the VST build.
#include "tests/lv2/lv2_hosts.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <vector>

#include "lv2/ports.h"
#include "plugin/audioeffect.h"

using namespace lv2test;

namespace
{

std::intptr_t versionOnlyHost(AEffect*, std::int32_t opcode, std::int32_t, std::intptr_t, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

/// One port as lv2info prints it: its fields by name ("Symbol", "Default", ...) and its scale points.
struct PrintedPort
{
    std::map<std::string, std::string> fields;
    std::vector<std::string> scalePoints;
};

std::map<int, PrintedPort> portsOf(const std::string& info)
{
    std::map<int, PrintedPort> ports;
    std::istringstream lines(info);
    std::string line;
    PrintedPort* port = nullptr;
    std::string lastField;
    bool inScalePoints = false;
    while (std::getline(lines, line))
    {
        const size_t start = line.find_first_not_of("\t ");
        if (start == std::string::npos)
        {
            inScalePoints = false;
            continue;
        }
        const std::string text = line.substr(start);
        int index;
        if (std::sscanf(text.c_str(), "Port %d:", &index) == 1)
        {
            port = &ports[index];
            inScalePoints = false;
        }
        else if (port && text == "Scale Points:")
            inScalePoints = true;
        else if (port && inScalePoints)
            port->scalePoints.push_back(text);
        else if (port && text.rfind("http", 0) == 0 && !lastField.empty())
            port->fields[lastField] += " " + text; // a further value of the field above
        else if (const size_t colon = text.find(':'); port && colon != std::string::npos)
        {
            lastField = text.substr(0, colon);
            port->fields[lastField] = text.substr(text.find_first_not_of(' ', colon + 1));
        }
    }
    return ports;
}

class Lv2Hosts : public HostTest
{
};

std::string printed(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    return text;
}

TEST_F(Lv2Hosts, LsFindsTheBundle)
{
    BundlePath bundle;
    const Outcome ls = run(host("lv2ls"));
    ASSERT_EQ(ls.status, 0) << ls.err;
    EXPECT_NE(ls.out.find(kUri + "\n"), std::string::npos) << ls.out;
}

TEST_F(Lv2Hosts, InfoDescribesThePortsAsTheEffectDoesWithoutWarnings)
{
    BundlePath bundle;
    const Outcome info = run(host("lv2info " + kUri));
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.err, "") << "lilv complained about the bundle";
    EXPECT_NE(info.out.find("Name:              Sorvelt"), std::string::npos);
    EXPECT_NE(info.out.find("Class:             Spatial Plugin"), std::string::npos);
    EXPECT_NE(info.out.find(kUri + "#ui"), std::string::npos);
    EXPECT_NE(info.out.find("ui#X11UI"), std::string::npos);

    AudioEffect* effect = createEffectInstance(versionOnlyHost);
    ASSERT_NE(effect, nullptr);
    const std::map<int, PrintedPort> ports = portsOf(info.out);
    ASSERT_EQ(ports.size(), 13u);
    for (int p = 0; p < 5; ++p)
    {
        SCOPED_TRACE("control port " + std::to_string(p));
        const PrintedPort& port = ports.at(p);
        char name[64] = {};
        effect->getParameterName(p, name);
        EXPECT_EQ(port.fields.at("Name"), name);
        EXPECT_NE(port.fields.at("Type").find("ControlPort"), std::string::npos);
        // The description's default is the effect's default in the port's units.
        EXPECT_EQ(port.fields.at("Default"), printed(sorvelt::lv2::toPortValue(p, effect->getParameter(p))));
        const sorvelt::lv2::PortRange range = sorvelt::lv2::rangeOf(p);
        EXPECT_EQ(port.fields.at("Minimum"), printed(range.minimum));
        EXPECT_EQ(port.fields.at("Maximum"), printed(range.maximum));
    }
    delete effect;

    std::vector<std::string> formats = ports.at(3).scalePoints;
    std::sort(formats.begin(), formats.end());
    EXPECT_EQ(formats, (std::vector<std::string>{"0 = \"Mono\"", "1 = \"Stereo\"", "2 = \"B-Format\""}));
    EXPECT_NE(ports.at(3).fields.at("Properties").find("lv2core#integer"), std::string::npos);
    EXPECT_EQ(ports.at(4).scalePoints, (std::vector<std::string>{"-90.0 = \"Silence\""}));

    const char* channels[] = {"L", "R", "T", "Q"};
    for (int c = 0; c < 4; ++c)
    {
        EXPECT_NE(ports.at(5 + c).fields.at("Type").find("AudioPort"), std::string::npos);
        EXPECT_NE(ports.at(5 + c).fields.at("Type").find("InputPort"), std::string::npos);
        EXPECT_NE(ports.at(9 + c).fields.at("Type").find("OutputPort"), std::string::npos);
        EXPECT_EQ(ports.at(9 + c).fields.at("Name"), channels[c]);
    }
}

TEST_F(Lv2Hosts, InfoSerialisesTheUnits)
{
    BundlePath bundle;
    ScratchDir scratch;
    const Outcome info = run(host("lv2info -p '" + scratch / "sorvelt.ttl" + "' " + kUri));
    ASSERT_EQ(info.status, 0) << info.err;
    std::ifstream file(scratch / "sorvelt.ttl");
    std::stringstream text;
    text << file.rdbuf();
    // In port order: azimuth, elevation and width in degrees, the gain in decibels.
    const std::string unit =
        "<http://lv2plug.in/ns/extensions/units#unit> <http://lv2plug.in/ns/extensions/units#";
    std::vector<std::string> units;
    const std::string all = text.str();
    for (size_t at = all.find(unit); at != std::string::npos; at = all.find(unit, at + 1))
        units.push_back(all.substr(at + unit.size(), all.find('>', at + unit.size()) - at - unit.size()));
    EXPECT_EQ(units, (std::vector<std::string>{"degree", "degree", "degree", "db"}));
}

/// A float WAV of `channels` channels; channel c of frame i is `sample(c, i)`.
template <class Sample> bool writeWav(const std::string& path, int channels, int frames, Sample sample)
{
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return false;
    std::vector<float> data(static_cast<size_t>(channels) * frames);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            data[static_cast<size_t>(i * channels + c)] = sample(c, i);
    const bool written = sf_writef_float(file, data.data(), frames) == frames;
    sf_close(file);
    return written;
}

std::vector<float> readWav(const std::string& path, int& channels)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return {};
    std::vector<float> data(static_cast<size_t>(info.channels * info.frames));
    sf_readf_float(file, data.data(), info.frames);
    sf_close(file);
    channels = info.channels;
    return data;
}

/// Deterministic, full-band test signal, different on every channel.
float noise(int channel, int frame)
{
    std::uint32_t x =
        static_cast<std::uint32_t>(frame) * 2654435761u + static_cast<std::uint32_t>(channel) * 40503u;
    x ^= x >> 13;
    x *= 0x5bd1e995u;
    x ^= x >> 15;
    return static_cast<float>(x % 20001u) / 20000.0f - 0.5f;
}

struct ApplyCase
{
    const char* format;  // sorvelt-render's word
    int fileChannels;    // what sorvelt-render reads
    int formatStep;      // the LV2 port's value
    const char* azimuth; // degrees, exact in single precision so both sides start from one value
    const char* elevation;
    const char* width;
    const char* gain; // dB
};

void PrintTo(const ApplyCase& c, std::ostream* out)
{
    *out << c.format << " azimuth " << c.azimuth << " elevation " << c.elevation << " width " << c.width
         << " gain " << c.gain;
}

class Lv2Apply : public HostTest, public ::testing::WithParamInterface<ApplyCase>
{
};

TEST_P(Lv2Apply, EqualsTheVstRenderBitForBit)
{
    const ApplyCase& c = GetParam();
    BundlePath bundle;
    ScratchDir scratch;
    constexpr int kFrames = 6000;
    const std::string source = scratch / "source.wav";
    ASSERT_TRUE(writeWav(source, c.fileChannels, kFrames, noise));
    // lv2apply maps a file's channels one to one onto the four inputs (a mono file to all
    // four); a stereo pair goes in as four channels with the unused two silent.
    std::string applied = source;
    if (c.fileChannels == 2)
    {
        applied = scratch / "source4.wav";
        ASSERT_TRUE(
            writeWav(applied, 4, kFrames, [](int ch, int i) { return ch < 2 ? noise(ch, i) : 0.0f; }));
    }

    const std::string vstOut = scratch / "vst.wav", lv2Out = scratch / "lv2.wav";
    const Outcome render =
        run(std::string(SORVELT_RENDER_COMMAND) + " --plugin " + SORVELT_PLUGIN_FILE + " '" + source + "' '" +
            vstOut + "' --format " + c.format + " --azimuth " + c.azimuth + " --elevation " + c.elevation +
            " --width " + c.width + " --gain " + c.gain);
    ASSERT_EQ(render.status, 0) << render.err;
    const Outcome apply =
        run(host("lv2apply -i '" + applied + "' -o '" + lv2Out + "' -c azimuth " + c.azimuth +
                 " -c elevation " + c.elevation + " -c width " + c.width + " -c input_format " +
                 std::to_string(c.formatStep) + " -c gain " + c.gain + " " + kUri));
    ASSERT_EQ(apply.status, 0) << apply.err;

    int vstChannels = 0, lv2Channels = 0;
    const std::vector<float> vst = readWav(vstOut, vstChannels), lv2 = readWav(lv2Out, lv2Channels);
    ASSERT_EQ(vstChannels, 4);
    ASSERT_EQ(lv2Channels, 4);
    ASSERT_EQ(vst.size(), static_cast<size_t>(4 * kFrames));
    ASSERT_EQ(lv2.size(), vst.size());
    size_t differing = 0, loud = 0;
    for (size_t i = 0; i < vst.size(); ++i)
    {
        differing += std::memcmp(&vst[i], &lv2[i], sizeof(float)) != 0;
        loud += std::fabs(vst[i]) > 0.01f;
    }
    EXPECT_EQ(differing, 0u) << "samples that differ between the VST and the LV2 render";
    EXPECT_GT(loud, vst.size() / 4) << "a silent render proves nothing";
}

INSTANTIATE_TEST_SUITE_P(
    EachInputFormat, Lv2Apply,
    ::testing::Values(ApplyCase{"mono", 1, 0, "37.296875", "12.8125", "61.59375", "-7.3125"},
                      ApplyCase{"stereo", 2, 1, "-61.171875", "-7.4375", "93.40625", "-3.53125"},
                      ApplyCase{"bformat", 4, 2, "135.5625", "41.28125", "20.25", "-1.90625"},
                      ApplyCase{"mono", 1, 0, "0", "0", "0", "0"}),
    [](const auto& info) { return std::string(info.param.format) + std::to_string(info.index); });

} // namespace
