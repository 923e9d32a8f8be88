// The dispatcher: every opcode reaches the right operation with the right
// arguments, and its answer reaches the host in the right form.
#include "tests/plugin/probe_effect.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>

namespace
{

/// How a row's result relates to the probe's answers.
enum class Answer
{
    None,  // always 0
    Bool,  // the operation's bool as 1 or 0
    Value, // the operation's integer, unchanged
};

struct Row
{
    std::int32_t opcode;
    std::int32_t index;
    std::intptr_t value;
    void* ptr;
    float opt;
    const char* call; // the logged call, "" for none
    Answer answer;
};

// Straight to the dispatcher: through the record, effClose would delete the
// stack-allocated probe (the record's close is tested with the record).
std::intptr_t dispatch(AudioEffect& effect, const Row& row)
{
    return effect.dispatcher(row.opcode, row.index, row.value, row.ptr, row.opt);
}

std::intptr_t expected(const Row& row, const ProbeEffect& probe)
{
    switch (row.answer)
    {
    case Answer::Bool:
        return probe.boolAnswer ? 1 : 0;
    case Answer::Value:
        return probe.intAnswer;
    case Answer::None:
        break;
    }
    return 0;
}

const std::intptr_t kBuf2 = reinterpret_cast<std::intptr_t>(gOtherBuffer);

// Opcodes whose mapping is the same in every build.
const Row kRows[] = {
    {effOpen, 0, 0, nullptr, 0, "open()", Answer::None},
    {effClose, 0, 0, nullptr, 0, "close()", Answer::None},
    {effSetProgram, 0, 2, nullptr, 0, "setProgram(2)", Answer::None},
    {effSetProgram, 0, 0, nullptr, 0, "setProgram(0)", Answer::None},
    {effSetProgram, 0, 3, nullptr, 0, "", Answer::None},
    {effSetProgram, 0, -1, nullptr, 0, "", Answer::None},
    {effGetProgram, 0, 0, nullptr, 0, "getProgram()", Answer::Value},
    {effGetProgramName, 0, 0, gBuffer, 0, "getProgramName(buf)", Answer::None},
    {effGetParamLabel, 3, 0, gBuffer, 0, "getParameterLabel(3,buf)", Answer::None},
    {effGetParamDisplay, 3, 0, gBuffer, 0, "getParameterDisplay(3,buf)", Answer::None},
    {effGetParamName, 3, 0, gBuffer, 0, "getParameterName(3,buf)", Answer::None},
    {effSetSampleRate, 0, 0, nullptr, 48000.0f, "setSampleRate(48000)", Answer::None},
    {effSetBlockSize, 0, 512, nullptr, 0, "setBlockSize(512)", Answer::None},
    {effMainsChanged, 0, 0, nullptr, 0, "suspend()", Answer::None},
    {effMainsChanged, 0, 5, nullptr, 0, "resume()", Answer::None},
    {effEditDraw, 0, 0, gBuffer, 0, "", Answer::None},
    {effEditMouse, 0, 0, gBuffer, 0, "", Answer::None},
    {effEditKey, 0, 0, gBuffer, 0, "", Answer::None},
    {effEditTop, 0, 0, nullptr, 0, "", Answer::None},
    {effEditSleep, 0, 0, nullptr, 0, "", Answer::None},
    {effGetChunk, 1, 0, gBuffer, 0, "getChunk(buf,1)", Answer::Value},
    {effGetChunk, 0, 0, gBuffer, 0, "getChunk(buf,0)", Answer::Value},
    {effSetChunk, 0, 100, gBuffer, 0, "setChunk(buf,100,0)", Answer::Value},
    {effSetChunk, 2, 100, gBuffer, 0, "setChunk(buf,100,1)", Answer::Value},
    {effProcessEvents, 0, 0, gBuffer, 0, "processEvents(buf)", Answer::Value},
    {effCanBeAutomated, 4, 0, nullptr, 0, "canParameterBeAutomated(4)", Answer::Bool},
    {effString2Parameter, 2, 0, gBuffer, 0, "string2parameter(2,buf)", Answer::Bool},
    {effGetProgramNameIndexed, 1, 3, gBuffer, 0, "getProgramNameIndexed(3,1,buf)", Answer::Bool},
    {effGetInputProperties, 1, 0, gBuffer, 0, "getInputProperties(1,buf)", Answer::Bool},
    {effGetOutputProperties, 2, 0, gBuffer, 0, "getOutputProperties(2,buf)", Answer::Bool},
    {effGetPlugCategory, 0, 0, nullptr, 0, "getPlugCategory()", Answer::Value},
    {effOfflineNotify, 1, 3, gBuffer, 0, "offlineNotify(buf,3,1)", Answer::Bool},
    {effOfflineNotify, 0, 3, gBuffer, 0, "offlineNotify(buf,3,0)", Answer::Bool},
    {effOfflinePrepare, 0, 3, gBuffer, 0, "offlinePrepare(buf,3)", Answer::Bool},
    {effOfflineRun, 0, 4, gBuffer, 0, "offlineRun(buf,4)", Answer::Bool},
    {effProcessVarIo, 0, 0, gBuffer, 0, "processVariableIo(buf)", Answer::Bool},
    {effSetSpeakerArrangement, 0, kBuf2, gBuffer, 0, "setSpeakerArrangement(buf2,buf)", Answer::Bool},
    {effSetBypass, 0, 5, nullptr, 0, "setBypass(1)", Answer::Bool},
    {effSetBypass, 0, 0, nullptr, 0, "setBypass(0)", Answer::Bool},
    {effGetEffectName, 0, 0, gBuffer, 0, "getEffectName(buf)", Answer::Bool},
    {effGetVendorString, 0, 0, gBuffer, 0, "getVendorString(buf)", Answer::Bool},
    {effGetProductString, 0, 0, gBuffer, 0, "getProductString(buf)", Answer::Bool},
    {effGetVendorVersion, 0, 0, nullptr, 0, "getVendorVersion()", Answer::Value},
    {effVendorSpecific, 1, 2, gBuffer, 0.5f, "vendorSpecific(1,2,buf,0.5)", Answer::Value},
    {effVendorSpecific, 1, 2, nullptr, 0.5f, "vendorSpecific(1,2,null,0.5)", Answer::Value},
    {effGetTailSize, 0, 0, nullptr, 0, "getGetTailSize()", Answer::Value},
    {effGetParameterProperties, 2, 0, gBuffer, 0, "getParameterProperties(2,buf)", Answer::Bool},
    {effGetVstVersion, 0, 0, nullptr, 0, "getVstVersion()", Answer::Value},
    {effGetMidiProgramName, 3, 0, gBuffer, 0, "getMidiProgramName(3,buf)", Answer::Value},
    {effGetCurrentMidiProgram, 3, 0, gBuffer, 0, "getCurrentMidiProgram(3,buf)", Answer::Value},
    {effGetMidiProgramCategory, 3, 0, gBuffer, 0, "getMidiProgramCategory(3,buf)", Answer::Value},
    {effHasMidiProgramsChanged, 3, 0, nullptr, 0, "hasMidiProgramsChanged(3)", Answer::Bool},
    {effGetMidiKeyName, 3, 0, gBuffer, 0, "getMidiKeyName(3,buf)", Answer::Bool},
    {effBeginSetProgram, 0, 0, nullptr, 0, "beginSetProgram()", Answer::Bool},
    {effEndSetProgram, 0, 0, nullptr, 0, "endSetProgram()", Answer::Bool},
    {effGetSpeakerArrangement, 0, kBuf2, gBuffer, 0, "getSpeakerArrangement(buf2,buf)", Answer::Bool},
    {effShellGetNextPlugin, 0, 0, gBuffer, 0, "getNextShellPlugin(buf)", Answer::Value},
    {effStartProcess, 0, 0, nullptr, 0, "startProcess()", Answer::Value},
    {effStopProcess, 0, 0, nullptr, 0, "stopProcess()", Answer::Value},
    {effSetTotalSampleToProcess, 0, 1234, nullptr, 0, "setTotalSampleToProcess(1234)", Answer::Value},
    {effSetPanLaw, 0, 2, nullptr, 0.5f, "setPanLaw(2,0.5)", Answer::Bool},
    {effBeginLoadBank, 0, 0, gBuffer, 0, "beginLoadBank(buf)", Answer::Value},
    {effBeginLoadProgram, 0, 0, gBuffer, 0, "beginLoadProgram(buf)", Answer::Value},
    {effSetProcessPrecision, 0, 1, nullptr, 0, "setProcessPrecision(1)", Answer::Bool},
    {effGetNumMidiInputChannels, 0, 0, nullptr, 0, "getNumMidiInputChannels()", Answer::Value},
    {effGetNumMidiOutputChannels, 0, 0, nullptr, 0, "getNumMidiOutputChannels()", Answer::Value},
    // Opcodes no table lists.
    {80, 0, 0, gBuffer, 0, "", Answer::None},
    {1000, 0, 0, gBuffer, 0, "", Answer::None},
    {-1, 0, 0, gBuffer, 0, "", Answer::None},
    {INT_MIN, 0, 0, gBuffer, 0, "", Answer::None},
    {INT_MAX, 0, 0, gBuffer, 0, "", Answer::None},
};

TEST(Dispatcher, EveryOpcodeReachesItsOperationAndAnswersInItsForm)
{
    // Two sets of answers, so that a row that ignores its operation's answer shows.
    for (const bool yes : {true, false})
    {
        for (const Row& row : kRows)
        {
            ProbeEffect probe;
            probe.boolAnswer = yes;
            probe.intAnswer = yes ? 7 : -3;
            const std::intptr_t result = dispatch(probe, row);
            SCOPED_TRACE("opcode " + std::to_string(row.opcode) + " answers " + (yes ? "yes" : "no"));
            const std::vector<std::string> want =
                *row.call ? std::vector<std::string>{row.call} : std::vector<std::string>{};
            EXPECT_EQ(probe.calls, want);
            EXPECT_EQ(result, expected(row, probe));
        }
    }
}

TEST(Dispatcher, IdentifyAnswersTheOldConstant)
{
    ProbeEffect probe;
    EXPECT_EQ(dispatch(probe, {effIdentify, 0, 0, nullptr, 0, "", Answer::None}), 0x4E764566);
    EXPECT_TRUE(probe.calls.empty());
}

TEST(Dispatcher, NullPointerForATextOrStructureGetsZeroAndNoCall)
{
    const std::int32_t opcodes[] = {effSetProgramName,
                                    effGetProgramName,
                                    effGetParamLabel,
                                    effGetParamDisplay,
                                    effGetParamName,
                                    effGetChunk,
                                    effSetChunk,
                                    effProcessEvents,
                                    effString2Parameter,
                                    effGetProgramNameIndexed,
                                    effGetInputProperties,
                                    effGetOutputProperties,
                                    effOfflineNotify,
                                    effOfflinePrepare,
                                    effOfflineRun,
                                    effProcessVarIo,
                                    effSetSpeakerArrangement,
                                    effGetEffectName,
                                    effGetVendorString,
                                    effGetProductString,
                                    effCanDo,
                                    effGetParameterProperties,
                                    effGetMidiProgramName,
                                    effGetCurrentMidiProgram,
                                    effGetMidiProgramCategory,
                                    effGetMidiKeyName,
                                    effGetSpeakerArrangement,
                                    effShellGetNextPlugin,
                                    effBeginLoadBank,
                                    effBeginLoadProgram,
                                    effGetErrorText};
    for (const std::int32_t opcode : opcodes)
    {
        ProbeEffect probe;
        SCOPED_TRACE("opcode " + std::to_string(opcode));
        EXPECT_EQ(dispatch(probe, {opcode, 1, kBuf2, nullptr, 0, "", Answer::None}), 0);
        EXPECT_TRUE(probe.calls.empty());
    }
    // The speaker-arrangement requests carry a second pointer in value.
    for (const std::int32_t opcode : {effSetSpeakerArrangement, effGetSpeakerArrangement})
    {
        ProbeEffect probe;
        EXPECT_EQ(dispatch(probe, {opcode, 0, 0, gBuffer, 0, "", Answer::None}), 0);
        EXPECT_TRUE(probe.calls.empty());
    }
}

TEST(Dispatcher, ProgramNamesReachTheEffectCutTo23Characters)
{
    const struct
    {
        const char* given;
        const char* received;
    } cases[] = {
        {"Front", "setProgramName(Front)"},
        {"", "setProgramName()"},
        {"ABCDEFGHIJKLMNOPQRSTUVW", "setProgramName(ABCDEFGHIJKLMNOPQRSTUVW)"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", "setProgramName(ABCDEFGHIJKLMNOPQRSTUVW)"},
    };
    for (const auto& c : cases)
    {
        ProbeEffect probe;
        char name[64];
        std::strcpy(name, c.given);
        dispatch(probe, {effSetProgramName, 0, 0, name, 0, "", Answer::None});
        EXPECT_EQ(probe.calls, std::vector<std::string>{c.received});
    }
}

TEST(Dispatcher, CanDoPassesTheHostsText)
{
    ProbeEffect probe;
    char text[] = "bypass";
    EXPECT_EQ(dispatch(probe, {effCanDo, 0, 0, text, 0, "", Answer::None}), 7);
    EXPECT_EQ(probe.calls, std::vector<std::string>{"canDo(bypass)"});
}

TEST(Dispatcher, EditorRequestsReachTheEditor)
{
    const Row rows[] = {
        {effEditGetRect, 0, 0, gBuffer, 0, "getRect(buf)", Answer::Bool},
        {effEditOpen, 0, 0, gBuffer, 0, "open(buf)", Answer::Bool},
        {effEditClose, 0, 0, nullptr, 0, "close()", Answer::None},
        {effEditIdle, 0, 0, nullptr, 0, "idle()", Answer::None},
        {effEditDraw, 0, 0, gBuffer, 0, "", Answer::None},
        {effEditMouse, 0, 0, nullptr, 0, "", Answer::None},
        {effEditKey, 0, 0, nullptr, 0, "", Answer::None},
        {effEditTop, 0, 0, nullptr, 0, "", Answer::None},
        {effEditSleep, 0, 0, nullptr, 0, "", Answer::None},
        {effEditKeyDown, 65, 0, nullptr, 2.9f, "onKeyDown(65,0,2)", Answer::Bool},
        {effEditKeyUp, 65, 0, nullptr, 2.9f, "onKeyUp(65,0,2)", Answer::Bool},
        // Virtual key and modifiers keep their low 8 bits; opt truncates toward zero.
        {effEditKeyDown, 0x20AC, 0x1FF, nullptr, 258.7f, "onKeyDown(8364,255,2)", Answer::Bool},
        {effEditKeyDown, -1, 3, nullptr, -1.5f, "onKeyDown(-1,3,255)", Answer::Bool},
        // An opt no integer can hold gives no modifiers rather than undefined bits.
        {effEditKeyUp, 1, 2, nullptr, std::nanf(""), "onKeyUp(1,2,0)", Answer::Bool},
        {effEditKeyUp, 1, 2, nullptr, 1e20f, "onKeyUp(1,2,0)", Answer::Bool},
        {effSetEditKnobMode, 0, 2, nullptr, 0, "setKnobMode(2)", Answer::Bool},
    };
    for (const bool yes : {true, false})
    {
        for (const Row& row : rows)
        {
            ProbeEffect probe;
            auto* editor = new ProbeEditor(&probe);
            editor->answer = yes;
            probe.setEditor(editor);
            SCOPED_TRACE("opcode " + std::to_string(row.opcode));
            const std::intptr_t result = dispatch(probe, row);
            const std::vector<std::string> want =
                *row.call ? std::vector<std::string>{row.call} : std::vector<std::string>{};
            EXPECT_EQ(editor->calls, want);
            EXPECT_EQ(result, row.answer == Answer::Bool && yes ? 1 : 0);
            EXPECT_TRUE(probe.calls.empty());
        }
    }
}

TEST(Dispatcher, EditorRequestsWithoutAnEditorAnswerZero)
{
    for (const std::int32_t opcode : {effEditGetRect, effEditOpen, effEditClose, effEditIdle, effEditKeyDown,
                                      effEditKeyUp, effSetEditKnobMode})
    {
        ProbeEffect probe;
        ERect* rect = reinterpret_cast<ERect*>(gOtherBuffer);
        EXPECT_EQ(dispatch(probe, {opcode, 65, 1, &rect, 1.0f, "", Answer::None}), 0) << opcode;
        EXPECT_EQ(rect, reinterpret_cast<ERect*>(gOtherBuffer));
        EXPECT_TRUE(probe.calls.empty());
    }
}

TEST(Dispatcher, EditorRectangleReachesTheHost)
{
    ProbeEffect probe;
    auto* editor = new ProbeEditor(&probe);
    probe.setEditor(editor);
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(probe, {effEditGetRect, 0, 0, &rect, 0, "", Answer::None}), 1);
    ASSERT_EQ(rect, &editor->rect);
    EXPECT_EQ(rect->right, 420);
    EXPECT_EQ(rect->bottom, 200);

    // A host without an out-pointer gets 0 and the editor is not asked.
    editor->calls.clear();
    EXPECT_EQ(dispatch(probe, {effEditGetRect, 0, 0, nullptr, 0, "", Answer::None}), 0);
    EXPECT_TRUE(editor->calls.empty());
}

TEST(Dispatcher, DefaultsOfThePlainEffect)
{
    PlainEffect effect(nullptr, 2, 5);
    char text[16];
    const struct
    {
        std::int32_t opcode;
        std::int32_t index;
        std::intptr_t value;
        std::intptr_t result;
    } rows[] = {
        {effGetProgram, 0, 0, 0},
        {effGetChunk, 0, 0, 0},
        {effSetChunk, 0, 4, 0},
        {effProcessEvents, 0, 0, 0},
        {effCanBeAutomated, 99, 0, 1},
        {effString2Parameter, 0, 0, 0},
        {effGetProgramNameIndexed, 0, 0, 0},
        {effGetInputProperties, 0, 0, 0},
        {effGetOutputProperties, 0, 0, 0},
        {effGetPlugCategory, 0, 0, kPlugCategUnknown},
        {effOfflineNotify, 0, 0, 0},
        {effOfflinePrepare, 0, 0, 0},
        {effOfflineRun, 0, 0, 0},
        {effProcessVarIo, 0, 0, 0},
        {effSetBypass, 0, 1, 0},
        {effGetEffectName, 0, 0, 0},
        {effGetVendorString, 0, 0, 0},
        {effGetProductString, 0, 0, 0},
        {effGetVendorVersion, 0, 0, 0},
        {effVendorSpecific, 0, 0, 0},
        {effCanDo, 0, 0, 0},
        {effGetTailSize, 0, 0, 0},
        {effGetParameterProperties, 0, 0, 0},
        {effGetVstVersion, 0, 0, 2400},
        {effGetMidiProgramName, 0, 0, 0},
        {effGetCurrentMidiProgram, 0, 0, -1},
        {effGetMidiProgramCategory, 0, 0, 0},
        {effHasMidiProgramsChanged, 0, 0, 0},
        {effGetMidiKeyName, 0, 0, 0},
        {effBeginSetProgram, 0, 0, 0},
        {effEndSetProgram, 0, 0, 0},
        {effShellGetNextPlugin, 0, 0, 0},
        {effStartProcess, 0, 0, 0},
        {effStopProcess, 0, 0, 0},
        {effSetTotalSampleToProcess, 0, 4410, 4410},
        {effSetPanLaw, 0, 1, 0},
        {effBeginLoadBank, 0, 0, 0},
        {effBeginLoadProgram, 0, 0, 0},
        {effSetProcessPrecision, 0, 1, 0},
        {effGetNumMidiInputChannels, 0, 0, 0},
        {effGetNumMidiOutputChannels, 0, 0, 0},
    };
    for (const auto& row : rows)
    {
        std::strcpy(text, "bypass");
        AEffect* record = effect.getAeffect();
        EXPECT_EQ(record->dispatcher(record, row.opcode, row.index, row.value, text, 0.0f), row.result)
            << "opcode " << row.opcode;
    }
}

TEST(Dispatcher, TextDefaultsWriteAnEmptyString)
{
    PlainEffect effect;
    for (const std::int32_t opcode :
         {effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName})
    {
        char text[16] = "leftover";
        AEffect* record = effect.getAeffect();
        EXPECT_EQ(record->dispatcher(record, opcode, 0, 0, text, 0.0f), 0);
        EXPECT_STREQ(text, "") << "opcode " << opcode;
    }
}

TEST(Dispatcher, SpeakerArrangementDefaultWritesNullThroughBoth)
{
    PlainEffect effect;
    auto* input = reinterpret_cast<VstSpeakerArrangement*>(gBuffer);
    auto* output = reinterpret_cast<VstSpeakerArrangement*>(gBuffer);
    AEffect* record = effect.getAeffect();
    EXPECT_EQ(record->dispatcher(record, effGetSpeakerArrangement, 0, reinterpret_cast<std::intptr_t>(&input),
                                 &output, 0.0f),
              0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
}

TEST(Dispatcher, StateRequestsChangeTheBase)
{
    PlainEffect effect(nullptr, 4, 5);
    AEffect* record = effect.getAeffect();
    record->dispatcher(record, effSetSampleRate, 0, 0, nullptr, 96000.0f);
    record->dispatcher(record, effSetBlockSize, 0, 64, nullptr, 0.0f);
    EXPECT_EQ(effect.getSampleRate(), 96000.0f);
    EXPECT_EQ(effect.getBlockSize(), 64);

    // Program numbers outside 0 .. count-1 are ignored.
    const struct
    {
        std::intptr_t value;
        std::int32_t program;
    } programs[] = {{3, 3}, {4, 3}, {-1, 3}, {0, 0}, {INT_MAX, 0}, {INTPTR_MIN, 0}};
    for (const auto& p : programs)
    {
        EXPECT_EQ(record->dispatcher(record, effSetProgram, 0, p.value, nullptr, 0.0f), 0);
        EXPECT_EQ(record->dispatcher(record, effGetProgram, 0, 0, nullptr, 0.0f), p.program) << p.value;
    }
}

TEST(Dispatcher, CapabilityVocabularyIsTheInterfacesSpelling)
{
    // Hosts compare these byte for byte; one wrong letter silently loses a capability.
    const struct
    {
        const char* constant;
        const char* spelling;
    } words[] = {
        {PlugCanDos::canDoSendVstEvents, "sendVstEvents"},
        {PlugCanDos::canDoSendVstMidiEvent, "sendVstMidiEvent"},
        {PlugCanDos::canDoReceiveVstEvents, "receiveVstEvents"},
        {PlugCanDos::canDoReceiveVstMidiEvent, "receiveVstMidiEvent"},
        {PlugCanDos::canDoReceiveVstTimeInfo, "receiveVstTimeInfo"},
        {PlugCanDos::canDoOffline, "offline"},
        {PlugCanDos::canDoMidiProgramNames, "midiProgramNames"},
        {PlugCanDos::canDoBypass, "bypass"},
        {HostCanDos::canDoSendVstEvents, "sendVstEvents"},
        {HostCanDos::canDoSendVstMidiEvent, "sendVstMidiEvent"},
        {HostCanDos::canDoSendVstTimeInfo, "sendVstTimeInfo"},
        {HostCanDos::canDoReceiveVstEvents, "receiveVstEvents"},
        {HostCanDos::canDoReceiveVstMidiEvent, "receiveVstMidiEvent"},
        {HostCanDos::canDoReportConnectionChanges, "reportConnectionChanges"},
        {HostCanDos::canDoAcceptIOChanges, "acceptIOChanges"},
        {HostCanDos::canDoSizeWindow, "sizeWindow"},
        {HostCanDos::canDoOffline, "offline"},
        {HostCanDos::canDoOpenFileSelector, "openFileSelector"},
        {HostCanDos::canDoCloseFileSelector, "closeFileSelector"},
        {HostCanDos::canDoStartStopProcess, "startStopProcess"},
        {HostCanDos::canDoShellCategory, "shellCategory"},
        {HostCanDos::canDoSendVstMidiEventFlagIsRealtime, "sendVstMidiEventFlagIsRealtime"},
    };
    for (const auto& word : words)
        EXPECT_STREQ(word.constant, word.spelling);

    // The plain effect is undecided about every one of them.
    PlainEffect effect;
    for (const auto& word : words)
        EXPECT_EQ(effect.dispatcher(effCanDo, 0, 0, const_cast<char*>(word.spelling), 0.0f), 0)
            << word.spelling;
}

class MidiEffect : public PlainEffect
{
public:
    using PlainEffect::PlainEffect;
    std::int32_t canDo(const char* text) override
    {
        return std::strcmp(text, PlugCanDos::canDoReceiveVstMidiEvent) == 0 ? answer : 0;
    }
    std::int32_t answer = 1;
};

std::vector<std::int32_t> gHostOpcodes;

std::intptr_t recordOpcode(AEffect*, std::int32_t opcode, std::int32_t, std::intptr_t value, void*, float)
{
    gHostOpcodes.push_back(opcode * 100 + static_cast<std::int32_t>(value));
    return 0;
}

TEST(Dispatcher, ResumeAsksForMidiOnlyForSynthsAndMidiReceivers)
{
    const struct
    {
        bool synth;
        std::int32_t midiAnswer;
        bool asks;
    } cases[] = {{false, 0, false}, {false, -1, false}, {false, 2, false}, {false, 1, true}, {true, 0, true}};
    for (const auto& c : cases)
    {
        gHostOpcodes.clear();
        MidiEffect effect(recordOpcode);
        effect.answer = c.midiAnswer;
        effect.isSynth(c.synth);
        AEffect* record = effect.getAeffect();
        record->dispatcher(record, effMainsChanged, 0, 1, nullptr, 0.0f);
        const std::vector<std::int32_t> want =
            c.asks ? std::vector<std::int32_t>{audioMasterWantMidi * 100 + 1} : std::vector<std::int32_t>{};
        EXPECT_EQ(gHostOpcodes, want) << "synth " << c.synth << " canDo " << c.midiAnswer;
    }
}

TEST(Dispatcher, PlugCategoryFollowsTheSynthFlag)
{
    PlainEffect effect;
    effect.isSynth(true);
    EXPECT_EQ(effect.getPlugCategory(), kPlugCategSynth);
    effect.isSynth(false);
    EXPECT_EQ(effect.getPlugCategory(), kPlugCategUnknown);
}

} // namespace
