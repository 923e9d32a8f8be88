// Port units against the effect's own host displays: the number a port shows for a
// normalized value is the number the effect's display prints for it, and the way back
// lands where sorvelt-render and the effect's switch put it.
#include "lv2/ports.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "effect/sorveltprogram.h"
#include "plugin/audioeffect.h"

using namespace sorvelt::lv2;

namespace
{

std::intptr_t versionOnlyHost(AEffect*, std::int32_t opcode, std::int32_t, std::intptr_t, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

class PortsAgainstTheEffect : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(effect, nullptr); }
    void TearDown() override { delete effect; }

    std::string display(int parameter, float normalized)
    {
        effect->setParameter(parameter, normalized);
        char text[64] = {};
        effect->getParameterDisplay(parameter, text);
        return text;
    }
    /// The effect's number formatting (eight positions, truncated), applied to a port value.
    std::string formatted(float portValue)
    {
        char text[64] = {};
        effect->float2string(portValue, text, 8);
        return text;
    }

    AudioEffect* effect = createEffectInstance(versionOnlyHost);
};

std::vector<float> normalizedGrid()
{
    std::vector<float> values = {0.0f, 0.3f, 0.25f, 0.5f, 0.7f, 0.99f, 1.0f, 1e-6f, 0.123456f};
    for (int i = 1; i < 200; ++i)
        values.push_back(static_cast<float>(i) / 199.0f * 0.999f);
    return values;
}

TEST_F(PortsAgainstTheEffect, AnglesShowTheEffectsDisplayNumbers)
{
    for (int parameter : {SourceAzimuth, SourceElevation, SourceWidth})
        for (float v : normalizedGrid())
        {
            SCOPED_TRACE("parameter " + std::to_string(parameter) + " value " + std::to_string(v));
            EXPECT_EQ(formatted(toPortValue(parameter, v)), display(parameter, v));
        }
}

TEST_F(PortsAgainstTheEffect, GainShowsTheEffectsDecibelsWithSilenceAtTheFloor)
{
    for (float v : normalizedGrid())
    {
        if (20.0 * std::log10(static_cast<double>(v)) < kGainFloorDb) continue;
        SCOPED_TRACE("gain " + std::to_string(v));
        EXPECT_EQ(formatted(toPortValue(Gain, v)), display(Gain, v));
    }
    EXPECT_EQ(display(Gain, 0.0f), "-oo");
    EXPECT_EQ(toPortValue(Gain, 0.0f), kGainFloorDb);
    EXPECT_EQ(toPortValue(Gain, -1.0f), kGainFloorDb);
    EXPECT_EQ(toPortValue(Gain, 1e-9f), kGainFloorDb); // -180 dB is below what the port can say

    float normalized = -1.0f;
    ASSERT_TRUE(toNormalized(Gain, kGainFloorDb, normalized));
    EXPECT_EQ(normalized, 0.0f);
    ASSERT_TRUE(toNormalized(Gain, -200.0f, normalized));
    EXPECT_EQ(normalized, 0.0f);
    ASSERT_TRUE(toNormalized(Gain, kGainFloorDb + 0.5f, normalized));
    EXPECT_GT(normalized, 0.0f) << "just above the floor is not yet silence";
}

TEST_F(PortsAgainstTheEffect, FormatStepsAreTheEffectsFormats)
{
    const char* names[] = {"Mono", "Stereo", "B-Format"};
    for (float v : {0.0f, 0.49f, 0.5f, 0.99f, 1.0f})
    {
        const float step = toPortValue(InputFormat, v);
        EXPECT_EQ(display(InputFormat, v), names[static_cast<int>(step)]) << v;
        float back;
        ASSERT_TRUE(toNormalized(InputFormat, step, back));
        EXPECT_EQ(display(InputFormat, back), names[static_cast<int>(step)]);
    }
    EXPECT_EQ(toPortValue(InputFormat, std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(toPortValue(InputFormat, 7.0f), 2.0f);
}

struct Conversion
{
    int parameter;
    float portValue;
    float normalized;
};

TEST(Ports, UnitsToNormalizedValues)
{
    const SorveltProgram defaults;
    const Conversion table[] = {
        // The description's defaults are the effect's defaults.
        {SourceAzimuth, 0.0f, defaults.azimuth},
        {SourceElevation, 0.0f, defaults.elevation},
        {SourceWidth, 0.0f, defaults.width},
        {InputFormat, 0.0f, defaults.inputFormat},
        {Gain, 0.0f, defaults.gain},
        // The ends of each range, and the switch's own three values.
        {SourceAzimuth, 180.0f, 0.0f},
        {SourceAzimuth, -180.0f, 1.0f},
        {SourceAzimuth, 90.0f, 0.25f},
        {SourceElevation, 90.0f, 1.0f},
        {SourceElevation, -90.0f, 0.0f},
        {SourceWidth, 180.0f, 1.0f},
        {InputFormat, 1.0f, 0.5f},
        {InputFormat, 2.0f, 1.0f},
        {Gain, -6.0f, static_cast<float>(std::pow(10.0, -6.0 / 20.0))},
        // A host that ignores the ranges is held at their ends; a fractional step is rounded.
        {SourceAzimuth, 500.0f, 0.0f},
        {SourceElevation, -1000.0f, 0.0f},
        {SourceWidth, -3.0f, 0.0f},
        {Gain, 12.0f, 1.0f},
        {InputFormat, 0.4f, 0.0f},
        {InputFormat, 1.4f, 0.5f},
        {InputFormat, 9.0f, 1.0f},
        {SourceAzimuth, std::numeric_limits<float>::infinity(), 0.0f},
    };
    for (const Conversion& c : table)
    {
        float normalized = -1.0f;
        ASSERT_TRUE(toNormalized(c.parameter, c.portValue, normalized));
        EXPECT_EQ(normalized, c.normalized) << "parameter " << c.parameter << " port value " << c.portValue;
    }
}

TEST(Ports, NaNAndUnknownParametersConvertToNothing)
{
    float normalized = 0.25f;
    EXPECT_FALSE(toNormalized(SourceAzimuth, std::numeric_limits<float>::quiet_NaN(), normalized));
    EXPECT_FALSE(toNormalized(5, 0.0f, normalized));
    EXPECT_FALSE(toNormalized(-1, 0.0f, normalized));
    EXPECT_EQ(normalized, 0.25f);
}

TEST(Ports, ValuesComeBackThroughTheirPortsWithinARounding)
{
    for (int parameter : {SourceAzimuth, SourceElevation, SourceWidth, Gain})
        for (float v : normalizedGrid())
        {
            if (parameter == Gain && v < 1e-4f) continue; // below the floor
            float back;
            ASSERT_TRUE(toNormalized(parameter, toPortValue(parameter, v), back));
            EXPECT_NEAR(back, v, 1e-6f) << "parameter " << parameter;
        }
}

} // namespace
