// AudioEffectX: the extended dispatcher (opcodes 25 to 79), the defaults of the
// extended requests, and the extended host services.
#include "plugin/audioeffectx.h"

#include "plugin/aeffeditor.h"

#include <cstdint>

namespace
{

/// A float as an integer, truncated toward zero; 0 where no int32 can hold it.
std::int32_t truncateToInt32(float value)
{
    if (!(value > -2147483648.0f && value < 2147483648.0f)) return 0;
    return static_cast<std::int32_t>(value);
}

/// The key the host describes with (index, value, opt).
VstKeyCode keyCodeOf(std::int32_t index, std::intptr_t value, float opt)
{
    VstKeyCode key{};
    key.character = index;
    key.virt = static_cast<std::uint8_t>(value);
    key.modifier = static_cast<std::uint8_t>(truncateToInt32(opt));
    return key;
}

} // namespace

AudioEffectX::AudioEffectX(HostCallback hostCallback, std::int32_t numPrograms, std::int32_t numParams)
    : AudioEffect(hostCallback, numPrograms, numParams)
{
}

std::intptr_t AudioEffectX::dispatcher(std::int32_t opcode, std::int32_t index, std::intptr_t value,
                                       void* ptr, float opt)
{
    if (static_cast<std::uint32_t>(opcode) - static_cast<std::uint32_t>(effProcessEvents) > 54u)
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);

    // As in the base: a null pointer where a text or structure belongs gets 0, no call.
    auto* text = static_cast<char*>(ptr);
    switch (opcode)
    {
    case effProcessEvents:
        return ptr ? processEvents(static_cast<VstEvents*>(ptr)) : 0;
    case effCanBeAutomated:
        return canParameterBeAutomated(index) ? 1 : 0;
    case effString2Parameter:
        return ptr && string2parameter(index, text) ? 1 : 0;
    case effGetProgramNameIndexed:
        return ptr && getProgramNameIndexed(static_cast<std::int32_t>(value), index, text) ? 1 : 0;
    case effGetInputProperties:
        return ptr && getInputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetOutputProperties:
        return ptr && getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetPlugCategory:
        return getPlugCategory();
    case effOfflineNotify:
        return ptr && offlineNotify(static_cast<VstAudioFile*>(ptr), static_cast<std::int32_t>(value),
                                    index != 0)
                   ? 1
                   : 0;
    case effOfflinePrepare:
        return ptr && offlinePrepare(static_cast<VstOfflineTask*>(ptr), static_cast<std::int32_t>(value)) ? 1
                                                                                                          : 0;
    case effOfflineRun:
        return ptr && offlineRun(static_cast<VstOfflineTask*>(ptr), static_cast<std::int32_t>(value)) ? 1 : 0;
    case effProcessVarIo:
        return ptr && processVariableIo(static_cast<VstVariableIo*>(ptr)) ? 1 : 0;
    case effSetSpeakerArrangement:
        return ptr && value &&
                       setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                             static_cast<VstSpeakerArrangement*>(ptr))
                   ? 1
                   : 0;
    case effSetBypass:
        return setBypass(value != 0) ? 1 : 0;
    case effGetEffectName:
        return ptr && getEffectName(text) ? 1 : 0;
    case effGetVendorString:
        return ptr && getVendorString(text) ? 1 : 0;
    case effGetProductString:
        return ptr && getProductString(text) ? 1 : 0;
    case effGetVendorVersion:
        return getVendorVersion();
    case effVendorSpecific:
        return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
        return ptr ? canDo(text) : 0;
    case effGetTailSize:
        return getGetTailSize();
    case effGetParameterProperties:
        return ptr && getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)) ? 1 : 0;
    case effGetVstVersion:
        return getVstVersion();
    case effEditKeyDown:
        if (editor)
        {
            VstKeyCode key = keyCodeOf(index, value, opt);
            return editor->onKeyDown(key) ? 1 : 0;
        }
        return 0;
    case effEditKeyUp:
        if (editor)
        {
            VstKeyCode key = keyCodeOf(index, value, opt);
            return editor->onKeyUp(key) ? 1 : 0;
        }
        return 0;
    case effSetEditKnobMode:
        return editor && editor->setKnobMode(static_cast<std::int32_t>(value)) ? 1 : 0;
    case effGetMidiProgramName:
        return ptr ? getMidiProgramName(index, static_cast<MidiProgramName*>(ptr)) : 0;
    case effGetCurrentMidiProgram:
        return ptr ? getCurrentMidiProgram(index, static_cast<MidiProgramName*>(ptr)) : 0;
    case effGetMidiProgramCategory:
        return ptr ? getMidiProgramCategory(index, static_cast<MidiProgramCategory*>(ptr)) : 0;
    case effHasMidiProgramsChanged:
        return hasMidiProgramsChanged(index) ? 1 : 0;
    case effGetMidiKeyName:
        return ptr && getMidiKeyName(index, static_cast<MidiKeyName*>(ptr)) ? 1 : 0;
    case effBeginSetProgram:
        return beginSetProgram() ? 1 : 0;
    case effEndSetProgram:
        return endSetProgram() ? 1 : 0;
    case effGetSpeakerArrangement:
        return ptr && value &&
                       getSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(value),
                                             static_cast<VstSpeakerArrangement**>(ptr))
                   ? 1
                   : 0;
    case effShellGetNextPlugin:
        return ptr ? getNextShellPlugin(text) : 0;
    case effStartProcess:
        return startProcess();
    case effStopProcess:
        return stopProcess();
    case effSetTotalSampleToProcess:
        return setTotalSampleToProcess(static_cast<std::int32_t>(value));
    case effSetPanLaw:
        return setPanLaw(static_cast<std::int32_t>(value), opt) ? 1 : 0;
    case effBeginLoadBank:
        return ptr ? beginLoadBank(static_cast<VstPatchChunkInfo*>(ptr)) : 0;
    case effBeginLoadProgram:
        return ptr ? beginLoadProgram(static_cast<VstPatchChunkInfo*>(ptr)) : 0;
    case effSetProcessPrecision:
        return setProcessPrecision(static_cast<std::int32_t>(value)) ? 1 : 0;
    case effGetNumMidiInputChannels:
        return getNumMidiInputChannels();
    case effGetNumMidiOutputChannels:
        return getNumMidiOutputChannels();
#if !SORVELT_MAC_FLAVOUR
    // Deprecated requests that Windows hosts still send; the Mac build leaves
    // them to the base, which answers 0.
    case effGetNumProgramCategories:
        return getNumCategories();
    case effCopyProgram:
        return copyProgram(index) ? 1 : 0;
    case effConnectInput:
        inputConnected(index, value != 0);
        return 1;
    case effConnectOutput:
        outputConnected(index, value != 0);
        return 1;
    case effGetCurrentPosition:
        return reportCurrentPosition();
    case effGetDestinationBuffer:
        return reinterpret_cast<std::intptr_t>(reportDestinationBuffer());
    case effSetBlockSizeAndSampleRate:
        setBlockSizeAndSampleRate(static_cast<std::int32_t>(value), opt);
        return 1;
    case effGetErrorText:
        return ptr && getErrorText(text) ? 1 : 0;
    case effIdle:
        return fxIdle();
    case effGetIcon:
        return reinterpret_cast<std::intptr_t>(getIcon());
    case effSetViewPosition:
        return setViewPosition(index, static_cast<std::int32_t>(value)) ? 1 : 0;
    case effKeysRequired:
        return keysRequired() ? 0 : 1;
#endif
    default:
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

void AudioEffectX::resume()
{
    if ((effectRecord.flags & effFlagsIsSynth) || canDo(PlugCanDos::canDoReceiveVstMidiEvent) == 1)
        wantEvents(1);
}

std::int32_t AudioEffectX::processEvents(VstEvents*)
{
    return 0;
}
bool AudioEffectX::canParameterBeAutomated(std::int32_t)
{
    return true;
}
bool AudioEffectX::string2parameter(std::int32_t, char*)
{
    return false;
}
bool AudioEffectX::getProgramNameIndexed(std::int32_t, std::int32_t, char*)
{
    return false;
}
bool AudioEffectX::getInputProperties(std::int32_t, VstPinProperties*)
{
    return false;
}
bool AudioEffectX::getOutputProperties(std::int32_t, VstPinProperties*)
{
    return false;
}

std::int32_t AudioEffectX::getPlugCategory()
{
    return (effectRecord.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}

bool AudioEffectX::offlineNotify(VstAudioFile*, std::int32_t, bool)
{
    return false;
}
bool AudioEffectX::offlinePrepare(VstOfflineTask*, std::int32_t)
{
    return false;
}
bool AudioEffectX::offlineRun(VstOfflineTask*, std::int32_t)
{
    return false;
}
bool AudioEffectX::processVariableIo(VstVariableIo*)
{
    return false;
}
bool AudioEffectX::setSpeakerArrangement(VstSpeakerArrangement*, VstSpeakerArrangement*)
{
    return false;
}
bool AudioEffectX::setBypass(bool)
{
    return false;
}
bool AudioEffectX::getEffectName(char*)
{
    return false;
}
bool AudioEffectX::getVendorString(char*)
{
    return false;
}
bool AudioEffectX::getProductString(char*)
{
    return false;
}
std::int32_t AudioEffectX::getVendorVersion()
{
    return 0;
}
std::intptr_t AudioEffectX::vendorSpecific(std::int32_t, std::intptr_t, void*, float)
{
    return 0;
}
std::int32_t AudioEffectX::canDo(const char*)
{
    return 0;
}
std::int32_t AudioEffectX::getGetTailSize()
{
    return 0;
}
bool AudioEffectX::getParameterProperties(std::int32_t, VstParameterProperties*)
{
    return false;
}
std::int32_t AudioEffectX::getVstVersion()
{
    return kVstVersion;
}
std::int32_t AudioEffectX::getMidiProgramName(std::int32_t, MidiProgramName*)
{
    return 0;
}
std::int32_t AudioEffectX::getCurrentMidiProgram(std::int32_t, MidiProgramName*)
{
    return -1;
}
std::int32_t AudioEffectX::getMidiProgramCategory(std::int32_t, MidiProgramCategory*)
{
    return 0;
}
bool AudioEffectX::hasMidiProgramsChanged(std::int32_t)
{
    return false;
}
bool AudioEffectX::getMidiKeyName(std::int32_t, MidiKeyName*)
{
    return false;
}
bool AudioEffectX::beginSetProgram()
{
    return false;
}
bool AudioEffectX::endSetProgram()
{
    return false;
}

bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                                         VstSpeakerArrangement** pluginOutput)
{
    if (pluginInput) *pluginInput = nullptr;
    if (pluginOutput) *pluginOutput = nullptr;
    return false;
}

std::int32_t AudioEffectX::getNextShellPlugin(char*)
{
    return 0;
}
std::int32_t AudioEffectX::startProcess()
{
    return 0;
}
std::int32_t AudioEffectX::stopProcess()
{
    return 0;
}
std::int32_t AudioEffectX::setTotalSampleToProcess(std::int32_t value)
{
    return value;
}
bool AudioEffectX::setPanLaw(std::int32_t, float)
{
    return false;
}
std::int32_t AudioEffectX::beginLoadBank(VstPatchChunkInfo*)
{
    return 0;
}
std::int32_t AudioEffectX::beginLoadProgram(VstPatchChunkInfo*)
{
    return 0;
}
bool AudioEffectX::setProcessPrecision(std::int32_t)
{
    return false;
}
std::int32_t AudioEffectX::getNumMidiInputChannels()
{
    return 0;
}
std::int32_t AudioEffectX::getNumMidiOutputChannels()
{
    return 0;
}

std::int32_t AudioEffectX::getNumCategories()
{
    return 1;
}
bool AudioEffectX::copyProgram(std::int32_t)
{
    return false;
}
void AudioEffectX::inputConnected(std::int32_t, bool) {}
void AudioEffectX::outputConnected(std::int32_t, bool) {}
std::int32_t AudioEffectX::reportCurrentPosition()
{
    return 0;
}
float* AudioEffectX::reportDestinationBuffer()
{
    return nullptr;
}

void AudioEffectX::setBlockSizeAndSampleRate(std::int32_t size, float rate)
{
    blockSize = size;
    sampleRate = rate;
}

bool AudioEffectX::getErrorText(char*)
{
    return false;
}
std::int32_t AudioEffectX::fxIdle()
{
    return 0;
}
void* AudioEffectX::getIcon()
{
    return nullptr;
}
bool AudioEffectX::setViewPosition(std::int32_t, std::int32_t)
{
    return false;
}
std::int32_t AudioEffectX::keysRequired()
{
    return 0;
}

void AudioEffectX::isSynth(bool state)
{
    setRecordFlag(effFlagsIsSynth, state);
}

void AudioEffectX::noTail(bool state)
{
    setRecordFlag(effFlagsNoSoundInStop, state);
}
