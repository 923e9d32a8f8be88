// The effect record: its defaults, the setters that shape it, the trampolines
// that lead back to the object, and the end of the object's life.
#include "tests/plugin/probe_effect.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{

TEST(Record, DefaultsOfANewEffect)
{
    PlainEffect effect(nullptr, 3, 7);
    const AEffect& r = *effect.getAeffect();
    EXPECT_EQ(r.magic, 0x56737450);
    EXPECT_EQ(std::memcmp(&r.magic, "PtsV", 4), 0);
    EXPECT_NE(r.dispatcher, nullptr);
    EXPECT_NE(r.process, nullptr);
    EXPECT_NE(r.setParameter, nullptr);
    EXPECT_NE(r.getParameter, nullptr);
    EXPECT_NE(r.processReplacing, nullptr);
    EXPECT_NE(r.processDoubleReplacing, nullptr);
    EXPECT_EQ(r.numPrograms, 3);
    EXPECT_EQ(r.numParams, 7);
    EXPECT_EQ(r.numInputs, 1);
    EXPECT_EQ(r.numOutputs, 2);
    EXPECT_EQ(r.flags, effFlagsCanReplacing);
    EXPECT_EQ(r.resvd1, 0);
    EXPECT_EQ(r.resvd2, 0);
    EXPECT_EQ(r.initialDelay, 0);
    EXPECT_EQ(r.realQualities, 0);
    EXPECT_EQ(r.offQualities, 0);
    EXPECT_EQ(r.ioRatio, 1.0f);
    EXPECT_EQ(r.object, static_cast<AudioEffect*>(&effect));
    EXPECT_EQ(r.user, nullptr);
    EXPECT_EQ(r.uniqueID, 0x4E6F4566);
    EXPECT_EQ(std::memcmp(&r.uniqueID, "fEoN", 4), 0);
    EXPECT_EQ(r.version, 1);
    const char zeros[sizeof r.future] = {};
    EXPECT_EQ(std::memcmp(r.future, zeros, sizeof zeros), 0);

    EXPECT_EQ(effect.getSampleRate(), 44100.0f);
    EXPECT_EQ(effect.getBlockSize(), 1024);
    EXPECT_EQ(effect.getProgram(), 0);
    EXPECT_EQ(effect.getEditor(), nullptr);
}

TEST(Record, FourCharacterConstantsPutTheFirstCharacterHigh)
{
    EXPECT_EQ(fourCharConstant("VstP"), 0x56737450);
    EXPECT_EQ(fourCharConstant("SVLT"), 0x53564C54);
    EXPECT_EQ(fourCharConstant("NvEf"), 0x4E764566);
    EXPECT_EQ(fourCharConstant("\xff\x80\x01\x00"), static_cast<std::int32_t>(0xFF800100u));
}

TEST(Record, SettersWriteTheirFields)
{
    PlainEffect effect;
    effect.setUniqueID(fourCharConstant("SVLT"));
    effect.setNumInputs(4);
    effect.setNumOutputs(6);
    effect.setInitialDelay(32);
    effect.setSampleRate(96000.0f);
    effect.setBlockSize(128);
    effect.setProgram(5);
    const AEffect& r = *effect.getAeffect();
    EXPECT_EQ(r.uniqueID, 0x53564C54);
    EXPECT_EQ(r.numInputs, 4);
    EXPECT_EQ(r.numOutputs, 6);
    EXPECT_EQ(r.initialDelay, 32);
    EXPECT_EQ(effect.getSampleRate(), 96000.0f);
    EXPECT_EQ(effect.getBlockSize(), 128);
    EXPECT_EQ(effect.getProgram(), 5);
}

TEST(Record, FlagSettersSetAndClearOnlyTheirBit)
{
    const struct
    {
        const char* name;
        void (*set)(PlainEffect&, bool);
        std::int32_t bit;
    } setters[] = {
        {"canProcessReplacing", [](PlainEffect& e, bool s) { e.canProcessReplacing(s); }, 16},
        {"canDoubleReplacing", [](PlainEffect& e, bool s) { e.canDoubleReplacing(s); }, 4096},
        {"programsAreChunks", [](PlainEffect& e, bool s) { e.programsAreChunks(s); }, 32},
        {"isSynth", [](PlainEffect& e, bool s) { e.isSynth(s); }, 256},
        {"noTail", [](PlainEffect& e, bool s) { e.noTail(s); }, 512},
    };
    for (const auto& setter : setters)
    {
        for (const std::int32_t others : {0, 0x1FFF})
        {
            PlainEffect effect;
            effect.getAeffect()->flags = others & ~setter.bit;
            setter.set(effect, true);
            EXPECT_EQ(effect.flags(), (others & ~setter.bit) | setter.bit) << setter.name;
            setter.set(effect, true);
            EXPECT_EQ(effect.flags(), (others & ~setter.bit) | setter.bit) << setter.name;
            setter.set(effect, false);
            EXPECT_EQ(effect.flags(), others & ~setter.bit) << setter.name;
        }
    }
}

TEST(Record, EditorFlagFollowsTheEditor)
{
    PlainEffect effect;
    effect.canDoubleReplacing(true);
    auto* editor = new ProbeEditor(&effect);
    effect.setEditor(editor);
    EXPECT_EQ(effect.getEditor(), editor);
    EXPECT_EQ(effect.flags(), 0x1011);
    effect.setEditor(nullptr);
    EXPECT_EQ(effect.getEditor(), nullptr);
    EXPECT_EQ(effect.flags(), 0x1010);
    delete editor;
}

TEST(Record, TrampolinesReachTheObject)
{
    ProbeEffect effect;
    AEffect* r = effect.getAeffect();
    float* in[1] = {};
    float* out[1] = {};
    double* din[1] = {};
    double* dout[1] = {};
    r->setParameter(r, 3, 0.75f);
    EXPECT_EQ(r->getParameter(r, 1), 0.25f);
    r->processReplacing(r, in, out, 64);
    r->processDoubleReplacing(r, din, dout, 32);
    r->process(r, in, out, 16);
    const std::vector<std::string> want{"setParameter(3,0.75)", "getParameter(1)", "processReplacing(?,?,64)",
                                        "processDoubleReplacing(?,?,32)", "process(?,?,16)"};
    EXPECT_EQ(effect.calls, want);
}

TEST(Record, ARecordWithoutItsObjectIsHarmless)
{
    // A host that calls through a stale or foreign record must not crash us.
    PlainEffect effect;
    AEffect copy = *effect.getAeffect();
    copy.object = nullptr;
    EXPECT_EQ(copy.dispatcher(&copy, effGetVstVersion, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(copy.dispatcher(&copy, effClose, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(copy.getParameter(&copy, 0), 0.0f);
    copy.setParameter(&copy, 0, 1.0f);
    copy.processReplacing(&copy, nullptr, nullptr, 16);
    copy.processDoubleReplacing(&copy, nullptr, nullptr, 16);
    copy.process(&copy, nullptr, nullptr, 16);
    EXPECT_EQ(copy.dispatcher(nullptr, effOpen, 0, 0, nullptr, 0.0f), 0);
    EXPECT_TRUE(effect.lastCall.empty());
}

TEST(Record, CloseThroughTheRecordDeletesTheEffectAndItsEditor)
{
    PlainEffect::destroyed = 0;
    ProbeEditor::destroyed = 0;
    auto* effect = new ProbeEffect;
    effect->setEditor(new ProbeEditor(effect));
    AEffect* r = effect->getAeffect();
    EXPECT_EQ(r->dispatcher(r, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(PlainEffect::destroyed, 1);
    EXPECT_EQ(ProbeEditor::destroyed, 1);
}

TEST(Record, CloseCallsTheEffectsCloseBeforeDeleting)
{
    static std::vector<std::string> order;
    class ClosingEffect : public PlainEffect
    {
    public:
        void close() override { order.push_back("close"); }
        ~ClosingEffect() override { order.push_back("destroy"); }
    };
    order.clear();
    auto* effect = new ClosingEffect;
    AEffect* r = effect->getAeffect();
    EXPECT_EQ(r->dispatcher(r, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(order, (std::vector<std::string>{"close", "destroy"}));
}

} // namespace
