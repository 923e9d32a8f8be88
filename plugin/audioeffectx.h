// AudioEffectX: the extended base. Adds the requests of opcodes 25 to 79, the
// editor's key and knob-mode requests, the extended host services and the
// capability vocabulary shared with hosts.
#pragma once

#include "plugin/audioeffect.h"

#include <cstdint>

/// What a host may ask the plug-in through effCanDo.
namespace PlugCanDos
{
inline constexpr const char* canDoSendVstEvents = "sendVstEvents";
inline constexpr const char* canDoSendVstMidiEvent = "sendVstMidiEvent";
inline constexpr const char* canDoReceiveVstEvents = "receiveVstEvents";
inline constexpr const char* canDoReceiveVstMidiEvent = "receiveVstMidiEvent";
inline constexpr const char* canDoReceiveVstTimeInfo = "receiveVstTimeInfo";
inline constexpr const char* canDoOffline = "offline";
inline constexpr const char* canDoMidiProgramNames = "midiProgramNames";
inline constexpr const char* canDoBypass = "bypass";
} // namespace PlugCanDos

/// What the plug-in may ask the host through canHostDo.
namespace HostCanDos
{
inline constexpr const char* canDoSendVstEvents = "sendVstEvents";
inline constexpr const char* canDoSendVstMidiEvent = "sendVstMidiEvent";
inline constexpr const char* canDoSendVstTimeInfo = "sendVstTimeInfo";
inline constexpr const char* canDoReceiveVstEvents = "receiveVstEvents";
inline constexpr const char* canDoReceiveVstMidiEvent = "receiveVstMidiEvent";
inline constexpr const char* canDoReportConnectionChanges = "reportConnectionChanges";
inline constexpr const char* canDoAcceptIOChanges = "acceptIOChanges";
inline constexpr const char* canDoSizeWindow = "sizeWindow";
inline constexpr const char* canDoOffline = "offline";
inline constexpr const char* canDoOpenFileSelector = "openFileSelector";
inline constexpr const char* canDoCloseFileSelector = "closeFileSelector";
inline constexpr const char* canDoStartStopProcess = "startStopProcess";
inline constexpr const char* canDoShellCategory = "shellCategory";
inline constexpr const char* canDoSendVstMidiEventFlagIsRealtime = "sendVstMidiEventFlagIsRealtime";
} // namespace HostCanDos

class AudioEffectX : public AudioEffect
{
public:
    AudioEffectX(HostCallback hostCallback, std::int32_t numPrograms, std::int32_t numParams);

    /// Handles opcodes 25 to 79 and passes everything else to AudioEffect::dispatcher.
    std::intptr_t dispatcher(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr,
                             float opt) override;

    /// Asks the host for MIDI only when this is a synth or says it receives MIDI.
    void resume() override;

    // Requests of opcodes 25 to 79, in opcode order.
    virtual std::int32_t processEvents(VstEvents* events);
    virtual bool canParameterBeAutomated(std::int32_t index);
    virtual bool string2parameter(std::int32_t index, char* text);
    virtual bool getProgramNameIndexed(std::int32_t category, std::int32_t index, char* text);
    virtual bool getInputProperties(std::int32_t index, VstPinProperties* properties);
    virtual bool getOutputProperties(std::int32_t index, VstPinProperties* properties);
    virtual std::int32_t getPlugCategory();
    virtual bool offlineNotify(VstAudioFile* ptr, std::int32_t numAudioFiles, bool start);
    virtual bool offlinePrepare(VstOfflineTask* offline, std::int32_t count);
    virtual bool offlineRun(VstOfflineTask* offline, std::int32_t count);
    virtual bool processVariableIo(VstVariableIo* varIo);
    virtual bool setSpeakerArrangement(VstSpeakerArrangement* pluginInput,
                                       VstSpeakerArrangement* pluginOutput);
    virtual bool setBypass(bool onOff);
    virtual bool getEffectName(char* name);
    virtual bool getVendorString(char* text);
    virtual bool getProductString(char* text);
    virtual std::int32_t getVendorVersion();
    virtual std::intptr_t vendorSpecific(std::int32_t lArg, std::intptr_t lArg2, void* ptrArg,
                                         float floatArg);
    /// 1 yes, -1 no, 0 undecided.
    virtual std::int32_t canDo(const char* text);
    virtual std::int32_t getGetTailSize();
    virtual bool getParameterProperties(std::int32_t index, VstParameterProperties* properties);
    virtual std::int32_t getVstVersion();
    virtual std::int32_t getMidiProgramName(std::int32_t channel, MidiProgramName* midiProgramName);
    virtual std::int32_t getCurrentMidiProgram(std::int32_t channel, MidiProgramName* currentProgram);
    virtual std::int32_t getMidiProgramCategory(std::int32_t channel, MidiProgramCategory* category);
    virtual bool hasMidiProgramsChanged(std::int32_t channel);
    virtual bool getMidiKeyName(std::int32_t channel, MidiKeyName* keyName);
    virtual bool beginSetProgram();
    virtual bool endSetProgram();
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                                       VstSpeakerArrangement** pluginOutput);
    virtual std::int32_t getNextShellPlugin(char* name);
    virtual std::int32_t startProcess();
    virtual std::int32_t stopProcess();
    virtual std::int32_t setTotalSampleToProcess(std::int32_t value);
    virtual bool setPanLaw(std::int32_t type, float val);
    virtual std::int32_t beginLoadBank(VstPatchChunkInfo* ptr);
    virtual std::int32_t beginLoadProgram(VstPatchChunkInfo* ptr);
    virtual bool setProcessPrecision(std::int32_t precision);
    virtual std::int32_t getNumMidiInputChannels();
    virtual std::int32_t getNumMidiOutputChannels();

    // Deprecated requests, answered only where the Windows behaviour is built.
    virtual std::int32_t getNumCategories();
    virtual bool copyProgram(std::int32_t destination);
    virtual void inputConnected(std::int32_t index, bool state);
    virtual void outputConnected(std::int32_t index, bool state);
    virtual std::int32_t reportCurrentPosition();
    virtual float* reportDestinationBuffer();
    virtual void setBlockSizeAndSampleRate(std::int32_t blockSize, float sampleRate);
    virtual bool getErrorText(char* text);
    virtual std::int32_t fxIdle();
    virtual void* getIcon();
    virtual bool setViewPosition(std::int32_t x, std::int32_t y);
    /// 0 means the effect does not need the host's keys.
    virtual std::int32_t keysRequired();

    // Flag setters; no host call.
    virtual void isSynth(bool state = true);
    virtual void noTail(bool state = true);

    // Host services. Without a callback each answers 0, false or null.
    virtual VstTimeInfo* getTimeInfo(std::int32_t filter);
    /// True only when the host answers exactly 1.
    virtual bool sendVstEventsToHost(VstEvents* events);
    virtual bool ioChanged();
    /// Takes the host's rate when it answers above 0; returns the current rate.
    virtual float updateSampleRate();
    /// Takes the host's block size when it answers above 0; returns the current size.
    virtual std::int32_t updateBlockSize();
    virtual std::int32_t getInputLatency();
    virtual std::int32_t getOutputLatency();
    virtual std::int32_t getCurrentProcessLevel();
    virtual std::int32_t getAutomationState();
    virtual bool offlineStart(VstAudioFile* ptr, std::int32_t numAudioFiles, std::int32_t numNewAudioFiles);
    virtual bool offlineRead(VstOfflineTask* offline, std::int32_t option, bool readSource = true);
    virtual bool offlineWrite(VstOfflineTask* offline, std::int32_t option);
    virtual bool offlineGetCurrentPass();
    virtual bool offlineGetCurrentMetaPass();
    virtual bool getHostVendorString(char* text);
    virtual bool getHostProductString(char* text);
    virtual std::int32_t getHostVendorVersion();
    virtual std::intptr_t hostVendorSpecific(std::int32_t lArg1, std::intptr_t lArg2, void* ptrArg,
                                             float floatArg);
    virtual std::int32_t getHostLanguage();
    virtual void* getDirectory();
    virtual bool updateDisplay();
    /// Brackets a user's gesture on parameter index (audioMasterBeginEdit / EndEdit).
    virtual bool beginEdit(std::int32_t index);
    virtual bool endEdit(std::int32_t index);
    virtual bool openFileSelector(VstFileSelect* selection);
    virtual bool closeFileSelector(VstFileSelect* selection);
    /// 1 for any non-zero host answer, so the interface's -1 "no" also reads as 1.
    virtual bool canHostDo(const char* text);
    virtual bool sizeWindow(std::int32_t width, std::int32_t height);
    /// Deprecated want-events request (audioMasterWantMidi).
    virtual void wantEvents(std::int32_t filter = 1);
};
