// AudioEffect: the record, its trampolines, the base dispatcher (opcodes 0 to 24),
// the record setters and the base host services.
#include "plugin/audioeffect.h"

#include "plugin/aeffeditor.h"
#include "plugin/text.h"

#include <cstring>

namespace
{

/// The effect behind a record; null for a record that is not one of ours.
AudioEffect* owner(AEffect* e)
{
    return e ? static_cast<AudioEffect*>(e->object) : nullptr;
}

} // namespace

AudioEffect::AudioEffect(HostCallback hostCallback, std::int32_t numPrograms, std::int32_t numParams)
    : hostCallback(hostCallback), editor(nullptr), sampleRate(44100.0f), blockSize(1024),
      programCount(numPrograms), parameterCount(numParams), currentProgram(0)
{
    // Hosts read reserved and future bytes too: they must be zero, padding included.
    std::memset(&effectRecord, 0, sizeof effectRecord);
    effectRecord.magic = kEffectMagic;
    effectRecord.dispatcher = dispatchEffectClass;
    effectRecord.process = __processClassDeprecated;
    effectRecord.setParameter = setParameterClass;
    effectRecord.getParameter = getParameterClass;
    effectRecord.numPrograms = numPrograms;
    effectRecord.numParams = numParams;
    effectRecord.numInputs = 1;
    effectRecord.numOutputs = 2;
    effectRecord.flags = effFlagsCanReplacing;
    effectRecord.ioRatio = 1.0f;
    effectRecord.object = this;
    effectRecord.uniqueID = fourCharConstant("NoEf");
    effectRecord.version = 1;
    effectRecord.processReplacing = processClassReplacing;
    effectRecord.processDoubleReplacing = processClassDoubleReplacing;
}

AudioEffect::~AudioEffect()
{
    delete editor;
    editor = nullptr;
}

std::intptr_t VSTCALLBACK AudioEffect::dispatchEffectClass(AEffect* e, std::int32_t opcode, std::int32_t index,
                                               std::intptr_t value, void* ptr, float opt)
{
    AudioEffect* effect = owner(e);
    if (!effect) return 0;
    if (opcode == effClose)
    {
        effect->dispatcher(opcode, index, value, ptr, opt);
        delete effect;
        return 1;
    }
    return effect->dispatcher(opcode, index, value, ptr, opt);
}

float VSTCALLBACK AudioEffect::getParameterClass(AEffect* e, std::int32_t index)
{
    AudioEffect* effect = owner(e);
    return effect ? effect->getParameter(index) : 0.0f;
}

void VSTCALLBACK AudioEffect::setParameterClass(AEffect* e, std::int32_t index, float value)
{
    if (AudioEffect* effect = owner(e)) effect->setParameter(index, value);
}

void VSTCALLBACK AudioEffect::__processClassDeprecated(AEffect* e, float** inputs, float** outputs,
                                           std::int32_t sampleFrames)
{
    if (AudioEffect* effect = owner(e)) effect->process(inputs, outputs, sampleFrames);
}

void VSTCALLBACK AudioEffect::processClassReplacing(AEffect* e, float** inputs, float** outputs,
                                        std::int32_t sampleFrames)
{
    if (AudioEffect* effect = owner(e)) effect->processReplacing(inputs, outputs, sampleFrames);
}

void VSTCALLBACK AudioEffect::processClassDoubleReplacing(AEffect* e, double** inputs, double** outputs,
                                              std::int32_t sampleFrames)
{
    if (AudioEffect* effect = owner(e)) effect->processDoubleReplacing(inputs, outputs, sampleFrames);
}

std::intptr_t AudioEffect::dispatcher(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr,
                                      float opt)
{
    // Text and structure requests with a null pointer are answered 0 without a
    // call: a host bug must not become a write through null.
    switch (opcode)
    {
    case effOpen:
        open();
        break;
    case effClose:
        close();
        break;
    case effSetProgram:
        if (value >= 0 && value < programCount) setProgram(static_cast<std::int32_t>(value));
        break;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (ptr)
        {
            // A name field holds 23 characters; longer names are cut here, once for every effect.
            char name[kVstMaxProgNameLen];
            copyText(name, static_cast<const char*>(ptr), kVstMaxProgNameLen - 1);
            setProgramName(name);
        }
        break;
    case effGetProgramName:
        if (ptr) getProgramName(static_cast<char*>(ptr));
        break;
    case effGetParamLabel:
        if (ptr) getParameterLabel(index, static_cast<char*>(ptr));
        break;
    case effGetParamDisplay:
        if (ptr) getParameterDisplay(index, static_cast<char*>(ptr));
        break;
    case effGetParamName:
        if (ptr) getParameterName(index, static_cast<char*>(ptr));
        break;
    case effGetVu:
#if !SORVELT_MAC_FLAVOUR
        // Hosts of this deprecated request always got 0, whatever the meter read.
        static_cast<void>(getVu());
#endif
        break;
    case effSetSampleRate:
        setSampleRate(opt);
        break;
    case effSetBlockSize:
        setBlockSize(static_cast<std::int32_t>(value));
        break;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        break;
    case effEditGetRect:
        if (editor && ptr) return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
        break;
    case effEditOpen:
        if (editor) return editor->open(ptr) ? 1 : 0;
        break;
    case effEditClose:
        if (editor) editor->close();
        break;
    case effEditIdle:
        if (editor) editor->idle();
        break;
    case effIdentify:
        return fourCharConstant("NvEf");
    case effGetChunk:
        if (ptr) return getChunk(static_cast<void**>(ptr), index != 0);
        break;
    case effSetChunk:
        if (ptr) return setChunk(ptr, static_cast<std::int32_t>(value), index != 0);
        break;
    default:
        break;
    }
    return 0;
}

void AudioEffect::setSampleRate(float rate)
{
    sampleRate = rate;
}

void AudioEffect::setBlockSize(std::int32_t size)
{
    blockSize = size;
}

void AudioEffect::process(float**, float**, std::int32_t) {}

void AudioEffect::processDoubleReplacing(double**, double**, std::int32_t) {}

void AudioEffect::setParameter(std::int32_t, float) {}

float AudioEffect::getParameter(std::int32_t)
{
    return 0.0f;
}

void AudioEffect::setParameterAutomated(std::int32_t index, float value)
{
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

std::int32_t AudioEffect::getProgram()
{
    return currentProgram;
}

void AudioEffect::setProgram(std::int32_t program)
{
    currentProgram = program;
}

void AudioEffect::setProgramName(char*) {}

void AudioEffect::getProgramName(char* name)
{
    if (name) *name = 0;
}

void AudioEffect::getParameterLabel(std::int32_t, char* label)
{
    if (label) *label = 0;
}

void AudioEffect::getParameterDisplay(std::int32_t, char* text)
{
    if (text) *text = 0;
}

void AudioEffect::getParameterName(std::int32_t, char* text)
{
    if (text) *text = 0;
}

float AudioEffect::getVu()
{
    return 0.0f;
}

std::int32_t AudioEffect::getChunk(void**, bool)
{
    return 0;
}

std::int32_t AudioEffect::setChunk(void*, std::int32_t, bool)
{
    return 0;
}

void AudioEffect::setUniqueID(std::int32_t id)
{
    effectRecord.uniqueID = id;
}

void AudioEffect::setNumInputs(std::int32_t inputs)
{
    effectRecord.numInputs = inputs;
}

void AudioEffect::setNumOutputs(std::int32_t outputs)
{
    effectRecord.numOutputs = outputs;
}

void AudioEffect::setInitialDelay(std::int32_t delay)
{
    effectRecord.initialDelay = delay;
}

void AudioEffect::canProcessReplacing(bool state)
{
    setRecordFlag(effFlagsCanReplacing, state);
}

void AudioEffect::canDoubleReplacing(bool state)
{
    setRecordFlag(effFlagsCanDoubleReplacing, state);
}

void AudioEffect::programsAreChunks(bool state)
{
    setRecordFlag(effFlagsProgramChunks, state);
}

void AudioEffect::setEditor(AEffEditor* newEditor)
{
    editor = newEditor;
    setRecordFlag(effFlagsHasEditor, newEditor != nullptr);
}

AEffEditor* AudioEffect::getEditor()
{
    return editor;
}

AEffect* AudioEffect::getAeffect()
{
    return &effectRecord;
}

float AudioEffect::getSampleRate()
{
    return sampleRate;
}

std::int32_t AudioEffect::getBlockSize()
{
    return blockSize;
}

void AudioEffect::setRecordFlag(std::int32_t flag, bool state)
{
    if (state)
        effectRecord.flags |= flag;
    else
        effectRecord.flags &= ~flag;
}

std::intptr_t AudioEffect::callHost(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr,
                                    float opt)
{
    return hostCallback ? hostCallback(&effectRecord, opcode, index, value, ptr, opt) : 0;
}

std::int32_t AudioEffect::getMasterVersion()
{
    // A host that cannot tell still speaks at least version 1.
    const std::intptr_t version = callHost(audioMasterVersion);
    return version ? static_cast<std::int32_t>(version) : 1;
}

std::int32_t AudioEffect::getCurrentUniqueId()
{
    return static_cast<std::int32_t>(callHost(audioMasterCurrentId));
}

void AudioEffect::masterIdle()
{
    callHost(audioMasterIdle);
}
