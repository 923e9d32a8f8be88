// Sorvelt as the host meets it: the record after creation, parameters and the
// program, and every text the host asks for.
#include "effect/sorvelt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "effect/stringconvert.h"
#include "plugin/aeffguieditor.h"
#include "tests/effect/effect_host.h"

namespace
{

using effecttest::Block;
using effecttest::Host;

TEST(SorveltRecord, ReadsAsDeclaredAfterCreation)
{
    Host host;
    const AEffect& r = *host.record;
    EXPECT_EQ(r.magic, 0x56737450);
    EXPECT_EQ(r.numPrograms, 1);
    EXPECT_EQ(r.numParams, 5);
    EXPECT_EQ(r.numInputs, 4);
    EXPECT_EQ(r.numOutputs, 4);
    // Replacing, double replacing and the editor.
    EXPECT_EQ(r.flags, 0x1011);
    EXPECT_EQ(r.initialDelay, 0);
    EXPECT_EQ(r.ioRatio, 1.0f);
    EXPECT_EQ(r.uniqueID, 0x53564C54); // 'SVLT', first character in the high byte
    EXPECT_EQ(r.version, 1);
    EXPECT_EQ(r.object, static_cast<void*>(static_cast<AudioEffect*>(&host.effect())));
    EXPECT_EQ(r.resvd1, 0);
    EXPECT_EQ(r.resvd2, 0);
    for (char c : r.future)
        EXPECT_EQ(c, 0);
    EXPECT_NE(r.processReplacing, nullptr);
    EXPECT_NE(r.processDoubleReplacing, nullptr);

    EXPECT_EQ(host.dispatch(effGetPlugCategory), 1);
    EXPECT_EQ(host.dispatch(effGetVendorVersion), 1000);
    EXPECT_EQ(host.text(effGetEffectName), "Sorvelt");
    EXPECT_EQ(host.text(effGetProductString), "Sorvelt");
    char name[64];
    for (int op : {effGetEffectName, effGetProductString, effGetVendorString})
        EXPECT_EQ(host.dispatch(op, 0, 0, name), 1) << op;
    EXPECT_EQ(host.text(effGetVendorString).rfind("https://", 0), 0u);
}

TEST(SorveltParameters, DefaultsStoreAndOutOfRange)
{
    Host host;
    const float defaults[5] = {0.5f, 0.5f, 0.0f, 0.0f, 1.0f};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(host.get(i), defaults[i]) << i;

    // Stored as given, no clamping: the engine derives what it needs per block.
    host.set(SourceWidth, 0.7f);
    EXPECT_EQ(host.get(SourceWidth), 0.7f);
    host.set(Gain, 1.5f);
    EXPECT_EQ(host.get(Gain), 1.5f);
    host.set(SourceAzimuth, -0.25f);
    EXPECT_EQ(host.get(SourceAzimuth), -0.25f);

    for (int bad : {-1, 5, 1000})
    {
        host.set(bad, 0.3f);
        EXPECT_EQ(host.get(bad), 0.0f) << bad;
    }
    EXPECT_EQ(host.get(SourceWidth), 0.7f);

    // The program follows every change: selecting it again brings back the same values.
    host.dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(host.get(SourceWidth), 0.7f);
    EXPECT_EQ(host.get(Gain), 1.5f);
    EXPECT_EQ(host.get(SourceAzimuth), -0.25f);
}

TEST(SorveltParameters, SetProgramIgnoresIndicesOutsideTheBank)
{
    Host host;
    host.set(SourceElevation, 0.9f);
    for (int bad : {-1, 1, 7})
    {
        host.dispatch(effSetProgram, 0, bad);
        host.effect().setProgram(bad); // directly too: no out-of-bank read
        EXPECT_EQ(host.dispatch(effGetProgram), 0);
        EXPECT_EQ(host.get(SourceElevation), 0.9f);
    }
}

TEST(SorveltPrograms, NamesShowTheNumberOnlyForTheDefault)
{
    Host host;
    EXPECT_EQ(host.text(effGetProgramName), "Init 1");
    EXPECT_EQ(host.text(effGetProgramNameIndexed, 0, 0), "Init");
    char indexed[32];
    EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, 0, 7, indexed), 1); // any category

    char name[] = "Init";
    host.dispatch(effSetProgramName, 0, 0, name);
    EXPECT_EQ(host.text(effGetProgramName), "Init 1");

    char front[] = "Front";
    host.dispatch(effSetProgramName, 0, 0, front);
    EXPECT_EQ(host.text(effGetProgramName), "Front");
    EXPECT_EQ(host.text(effGetProgramNameIndexed, 0, 0), "Front");

    // Other indices: nothing written, false answered.
    for (int bad : {1, -1})
    {
        char buffer[8] = "keep";
        EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, bad, 0, buffer), 0);
        EXPECT_STREQ(buffer, "keep");
    }
}

TEST(SorveltPrograms, LongNamesAreCutAndNullTextsAreIgnored)
{
    Host host;
    char longName[] = "A program name that goes on well past the field";
    host.dispatch(effSetProgramName, 0, 0, longName);
    EXPECT_EQ(host.text(effGetProgramName), std::string(longName, 23));

    // A host passing null gets no write and no crash, whatever it asks.
    host.dispatch(effSetProgramName, 0, 0, nullptr);
    for (int op : {effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName, effGetEffectName,
                   effGetVendorString, effGetProductString})
        host.dispatch(op, 0, 0, nullptr);
    EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, 0, 0, nullptr), 0);
    EXPECT_EQ(host.text(effGetProgramName), std::string(longName, 23));
}

TEST(SorveltTexts, NamesAndLabels)
{
    Host host;
    struct Case
    {
        int index;
        const char* name;
        const char* label;
    } cases[] = {
        {0, "SourceAzimuth", "deg"}, {1, "SourceElevation", "deg"},
        {2, "SourceWidth", "deg"},   {3, "InputFormat", ""},
        {4, "Gain", "dB"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(host.text(effGetParamName, c.index), c.name); // whole, past 8 characters
        EXPECT_EQ(host.text(effGetParamLabel, c.index), c.label);
    }
    // Other indices write nothing.
    const std::string untouched(255, '#');
    for (int bad : {-1, 5})
    {
        EXPECT_EQ(host.text(effGetParamName, bad), untouched);
        EXPECT_EQ(host.text(effGetParamLabel, bad), untouched);
        EXPECT_EQ(host.text(effGetParamDisplay, bad), untouched);
    }
}

TEST(SorveltTexts, HostDisplays)
{
    struct Case
    {
        int index;
        float value;
        const char* display;
    } cases[] = {
        {SourceAzimuth, 0.5f, "0.000000"},
        {SourceAzimuth, 0.25f, "90.00000"},
        {SourceAzimuth, 1.0f, "-180.000"},
        {SourceAzimuth, 0.3f, "71.99999"}, // truncated
        {SourceAzimuth, 0.0f, "180.0000"},
        {SourceElevation, 0.0f, "-90.0000"},
        {SourceElevation, 1.0f, "90.00000"},
        {SourceElevation, 0.5f, "0.000000"},
        {SourceWidth, 0.7f, "126.0000"},
        {SourceWidth, 0.0f, "0.000000"},
        {Gain, 1.0f, "0.000000"},
        {Gain, 0.5f, "-6.02059"},
        {Gain, 0.0f, "-oo"},
        {Gain, -0.5f, "-oo"},
        {InputFormat, 0.0f, "Mono"},
        {InputFormat, 0.49f, "Mono"},
        {InputFormat, 0.5f, "Stereo"},
        {InputFormat, 0.99f, "Stereo"},
        {InputFormat, 1.0f, "B-Format"},
        // Far outside the host's range the fixed-point text gives up.
        {SourceAzimuth, 30000.0f, "Huge!"},
        {SourceElevation, 6e6f, "Huge!"},
        {SourceWidth, 1e6f, "Huge!"},
    };
    Host host;
    for (const Case& c : cases)
    {
        host.set(c.index, c.value);
        EXPECT_EQ(host.text(effGetParamDisplay, c.index), c.display)
            << "parameter " << c.index << " value " << c.value;
    }
}

TEST(SorveltTexts, FormatDisplayOfValuesOutsideTheRangeWritesNothing)
{
    Host host;
    const std::string untouched(255, '#');
    for (float v :
         {1.5f, -0.2f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
    {
        host.set(InputFormat, v);
        EXPECT_EQ(host.text(effGetParamDisplay, InputFormat), untouched) << v;
    }
    // The format names are cut at the length given, with the terminator there.
    char text[8];
    std::memset(text, '#', sizeof text);
    host.effect().input2string(1.0f, text, 3);
    EXPECT_STREQ(text, "B-F");
    EXPECT_EQ(text[4], '#');
}

TEST(SorveltConverters, EditorReadOuts)
{
    struct Case
    {
        void (*convert)(float, char*);
        float value;
        const char* text;
    } cases[] = {
        {degreeStringConvert, 0.3f, "71"},
        {degreeStringConvert, 0.7f, "-71"},
        {degreeStringConvert, 0.0f, "180"},
        {degreeStringConvert, 1.0f, "-180"},
        {degreeStringConvert, 0.5f, "0"},
        {degreeStringConvert, 0.25f, "90"},
        {widthDegreeStringConvert, 0.7f, "125"}, // while the host display shows 126.0000
        {widthDegreeStringConvert, 1.0f, "180"},
        {widthDegreeStringConvert, 0.0f, "0"},
        {elevationDegreeStringConvert, 0.25f, "-45.0"},
        {elevationDegreeStringConvert, 1.0f, "90.0"},
        {elevationDegreeStringConvert, 0.0f, "-90.0"},
        {elevationDegreeStringConvert, 0.5f, "0.0"},
        {percentStringConvert, 0.5f, "50%"},
        {percentStringConvert, 1.0f, "100%"},
        {percentStringConvert, 0.0f, "0%"},
        {percentStringConvert, 0.005f, "1%"}, // half up
        {percentStringConvert, 0.004f, "0%"},
    };
    for (const Case& c : cases)
    {
        char text[kStringConvertBufferSize];
        c.convert(c.value, text);
        EXPECT_STREQ(text, c.text) << c.value;
    }
}

TEST(SorveltConverters, ValuesNoIntegerHoldsStayDefined)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float huge = std::numeric_limits<float>::max();
    struct Case
    {
        void (*convert)(float, char*);
        float value;
        const char* text;
    } cases[] = {
        {degreeStringConvert, nan, "0"},
        {degreeStringConvert, -huge, "2147483647"},
        {widthDegreeStringConvert, huge, "2147483647"},
        {widthDegreeStringConvert, -huge, "-2147483648"},
        {percentStringConvert, nan, "0%"},
        {percentStringConvert, huge, "2147483647%"},
    };
    for (const Case& c : cases)
    {
        char text[kStringConvertBufferSize];
        c.convert(c.value, text);
        EXPECT_STREQ(text, c.text) << c.value;
    }
    char text[kStringConvertBufferSize];
    elevationDegreeStringConvert(huge, text);
    EXPECT_LT(std::strlen(text), static_cast<size_t>(kStringConvertBufferSize));
}

// Stands in for the bitmap editor: records what the effect forwards to it.
class RecordingEditor : public AEffGUIEditor
{
public:
    explicit RecordingEditor(AudioEffect* effect) : AEffGUIEditor(effect) {}
    void setParameter(VstInt32 index, float value) override
    {
        calls += std::to_string(index) + "=" + std::to_string(value) + " ";
    }
    std::string calls;
};

TEST(SorveltParameters, EveryChangeIsForwardedToTheEditor)
{
    Host host;
    Sorvelt& effect = host.effect();
    AEffEditor* built = effect.getEditor();
    effect.setEditor(nullptr);
    delete built;
    auto* editor = new RecordingEditor(&effect); // the effect owns it from here
    ASSERT_EQ(effect.getEditor(), editor);

    host.set(SourceWidth, 0.25f);
    host.set(9, 0.5f); // no such parameter: nothing stored, still forwarded
    EXPECT_EQ(editor->calls, "2=0.250000 9=0.500000 ");
    EXPECT_EQ(host.get(9), 0.0f);

    editor->calls.clear();
    host.dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(editor->calls, "0=0.500000 1=0.500000 2=0.250000 3=0.000000 4=1.000000 ");

    // The has-editor flag follows the editor.
    EXPECT_EQ(host.record->flags & effFlagsHasEditor, effFlagsHasEditor);
}

TEST(SorveltLifecycle, ResumeAndSuspendKeepTheFilterHistories)
{
    Host host;
    Block<float> block(37);
    for (size_t n = 0; n < block.frames(); ++n)
        block.in[0][n] = block.in[1][n] = 0.25f * (n % 5);
    host.process(block);
    const UhjFilterState before = host.effect().filterState();
    EXPECT_NE(before, UhjFilterState{});
    host.dispatch(effMainsChanged, 0, 0);
    host.dispatch(effMainsChanged, 0, 1);
    host.dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    host.dispatch(effSetBlockSize, 0, 4096);
    host.dispatch(effSetProgram, 0, 0);
    host.set(InputFormat, 1.0f);
    EXPECT_EQ(host.effect().filterState(), before);
}

TEST(SorveltLifecycle, CloseThroughTheRecordAnswersOne)
{
    AEffect* record = createEffectInstance(&effecttest::testHostCallback)->getAeffect();
    // The object is gone afterwards; ASan reports a leak or a double delete if not.
    EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f), 1);
}

} // namespace
