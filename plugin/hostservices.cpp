// The extended host services: each wraps one host opcode and answers its
// fallback when there is no host callback.
#include "plugin/audioeffectx.h"

#include <cstdint>
#include <limits>

VstTimeInfo* AudioEffectX::getTimeInfo(std::int32_t filter)
{
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}

bool AudioEffectX::sendVstEventsToHost(VstEvents* events)
{
    return callHost(audioMasterProcessEvents, 0, 0, events) == 1;
}

bool AudioEffectX::ioChanged()
{
    return callHost(audioMasterIOChanged) != 0;
}

float AudioEffectX::updateSampleRate()
{
    const std::intptr_t rate = callHost(audioMasterGetSampleRate);
    if (rate > 0) sampleRate = static_cast<float>(rate);
    return sampleRate;
}

std::int32_t AudioEffectX::updateBlockSize()
{
    // An answer beyond int32 would wrap to a negative size: keep the old one.
    const std::intptr_t size = callHost(audioMasterGetBlockSize);
    if (size > 0 && size <= std::numeric_limits<std::int32_t>::max())
        blockSize = static_cast<std::int32_t>(size);
    return blockSize;
}

std::int32_t AudioEffectX::getInputLatency()
{
    return static_cast<std::int32_t>(callHost(audioMasterGetInputLatency));
}

std::int32_t AudioEffectX::getOutputLatency()
{
    return static_cast<std::int32_t>(callHost(audioMasterGetOutputLatency));
}

std::int32_t AudioEffectX::getCurrentProcessLevel()
{
    return static_cast<std::int32_t>(callHost(audioMasterGetCurrentProcessLevel));
}

std::int32_t AudioEffectX::getAutomationState()
{
    return static_cast<std::int32_t>(callHost(audioMasterGetAutomationState));
}

bool AudioEffectX::offlineStart(VstAudioFile* ptr, std::int32_t numAudioFiles, std::int32_t numNewAudioFiles)
{
    return callHost(audioMasterOfflineStart, numNewAudioFiles, numAudioFiles, ptr) != 0;
}

bool AudioEffectX::offlineRead(VstOfflineTask* offline, std::int32_t option, bool readSource)
{
    return callHost(audioMasterOfflineRead, readSource ? 1 : 0, option, offline) != 0;
}

bool AudioEffectX::offlineWrite(VstOfflineTask* offline, std::int32_t option)
{
    return callHost(audioMasterOfflineWrite, 0, option, offline) != 0;
}

bool AudioEffectX::offlineGetCurrentPass()
{
    return callHost(audioMasterOfflineGetCurrentPass) != 0;
}

bool AudioEffectX::offlineGetCurrentMetaPass()
{
    return callHost(audioMasterOfflineGetCurrentMetaPass) != 0;
}

bool AudioEffectX::getHostVendorString(char* text)
{
    // The host writes into text: without a buffer there is nothing to ask.
    return text && callHost(audioMasterGetVendorString, 0, 0, text) != 0;
}

bool AudioEffectX::getHostProductString(char* text)
{
    return text && callHost(audioMasterGetProductString, 0, 0, text) != 0;
}

std::int32_t AudioEffectX::getHostVendorVersion()
{
    return static_cast<std::int32_t>(callHost(audioMasterGetVendorVersion));
}

std::intptr_t AudioEffectX::hostVendorSpecific(std::int32_t lArg1, std::intptr_t lArg2, void* ptrArg,
                                               float floatArg)
{
    return callHost(audioMasterVendorSpecific, lArg1, lArg2, ptrArg, floatArg);
}

std::int32_t AudioEffectX::getHostLanguage()
{
    return static_cast<std::int32_t>(callHost(audioMasterGetLanguage));
}

void* AudioEffectX::getDirectory()
{
    return reinterpret_cast<void*>(callHost(audioMasterGetDirectory));
}

bool AudioEffectX::updateDisplay()
{
    return callHost(audioMasterUpdateDisplay) != 0;
}

bool AudioEffectX::beginEdit(std::int32_t index)
{
    return callHost(audioMasterBeginEdit, index) != 0;
}

bool AudioEffectX::endEdit(std::int32_t index)
{
    return callHost(audioMasterEndEdit, index) != 0;
}

bool AudioEffectX::openFileSelector(VstFileSelect* selection)
{
    return selection && callHost(audioMasterOpenFileSelector, 0, 0, selection) != 0;
}

bool AudioEffectX::closeFileSelector(VstFileSelect* selection)
{
    return selection && callHost(audioMasterCloseFileSelector, 0, 0, selection) != 0;
}

bool AudioEffectX::canHostDo(const char* text)
{
    // The host's answer is 1 yes, -1 no, 0 undecided; every non-zero answer reads
    // as true, as hosts of this interface have always seen it.
    return text && callHost(audioMasterCanDo, 0, 0, const_cast<char*>(text)) != 0;
}

bool AudioEffectX::sizeWindow(std::int32_t width, std::int32_t height)
{
    return callHost(audioMasterSizeWindow, width, height) != 0;
}

void AudioEffectX::wantEvents(std::int32_t filter)
{
    callHost(audioMasterWantMidi, 0, filter);
}
