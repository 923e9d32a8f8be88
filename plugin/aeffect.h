// The binary contract between a VST 2.4 host and the plug-in: the effect record,
// its flags, the effect and host opcodes, and the function types both sides call.
#pragma once

#include <cstddef>
#include <cstdint>

/// Packs four characters with the first one in the high byte, as the interface's
/// four-character constants ('VstP', 'SVLT') are read.
constexpr std::int32_t fourCharConstant(const char (&chars)[5])
{
    return static_cast<std::int32_t>(
        (static_cast<std::uint32_t>(static_cast<unsigned char>(chars[0])) << 24) |
        (static_cast<std::uint32_t>(static_cast<unsigned char>(chars[1])) << 16) |
        (static_cast<std::uint32_t>(static_cast<unsigned char>(chars[2])) << 8) |
        static_cast<std::uint32_t>(static_cast<unsigned char>(chars[3])));
}

/// The record's magic: 'VstP', the bytes "PtsV" in memory.
inline constexpr std::int32_t kEffectMagic = fourCharConstant("VstP");

/// The interface version this plug-in speaks (effGetVstVersion).
inline constexpr std::int32_t kVstVersion = 2400;

/// Text sizes the interface fixes; buffers hold one more byte for the terminator.
inline constexpr std::int32_t kVstMaxProgNameLen = 24;
inline constexpr std::int32_t kVstMaxParamStrLen = 8;
inline constexpr std::int32_t kVstMaxVendorStrLen = 64;
inline constexpr std::int32_t kVstMaxProductStrLen = 64;
inline constexpr std::int32_t kVstMaxEffectNameLen = 32;

struct AEffect;

/// The calling convention of every function called across the interface, in either
/// direction: the C one (the caller removes the arguments) on 32-bit x86, whatever a
/// compiler's default there; other processors have a single convention.
#if defined(__i386__)
#define VSTCALLBACK __attribute__((cdecl))
#else
#define VSTCALLBACK
#endif

/// The host's function: (record, opcode, index, value, ptr, opt). The record is
/// null for the one call made before an effect exists (audioMasterVersion).
using HostCallback = std::intptr_t(VSTCALLBACK*)(AEffect* effect, std::int32_t opcode, std::int32_t index,
                                       std::intptr_t value, void* ptr, float opt);

using AEffectDispatcherProc = std::intptr_t(VSTCALLBACK*)(AEffect* effect, std::int32_t opcode, std::int32_t index,
                                                std::intptr_t value, void* ptr, float opt);
using AEffectProcessProc = void(VSTCALLBACK*)(AEffect* effect, float** inputs, float** outputs,
                                    std::int32_t sampleFrames);
using AEffectProcessDoubleProc = void(VSTCALLBACK*)(AEffect* effect, double** inputs, double** outputs,
                                          std::int32_t sampleFrames);
using AEffectSetParameterProc = void(VSTCALLBACK*)(AEffect* effect, std::int32_t index, float value);
using AEffectGetParameterProc = float(VSTCALLBACK*)(AEffect* effect, std::int32_t index);

/// The record the host keeps and calls through. Field order is the interface's;
/// pointer-sized fields widen on 64-bit builds, everything else keeps its width.
struct AEffect
{
    std::int32_t magic;
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process; // deprecated accumulating process
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;
    std::int32_t numPrograms;
    std::int32_t numParams;
    std::int32_t numInputs;
    std::int32_t numOutputs;
    std::int32_t flags;
    std::intptr_t resvd1;
    std::intptr_t resvd2;
    std::int32_t initialDelay;
    std::int32_t realQualities; // deprecated
    std::int32_t offQualities;  // deprecated
    float ioRatio;              // deprecated
    void* object;               // the owning effect object
    void* user;                 // the host's own
    std::int32_t uniqueID;
    std::int32_t version;
    AEffectProcessProc processReplacing;
    AEffectProcessDoubleProc processDoubleReplacing;
    char future[56];
};

// Hosts compiled against the interface read these exact offsets.
static_assert(sizeof(void*) != 8 || sizeof(AEffect) == 192, "64-bit record size");
static_assert(sizeof(void*) != 8 || offsetof(AEffect, dispatcher) == 8);
static_assert(sizeof(void*) != 8 || offsetof(AEffect, numPrograms) == 40);
static_assert(sizeof(void*) != 8 || offsetof(AEffect, flags) == 56);
static_assert(sizeof(void*) != 8 || offsetof(AEffect, resvd1) == 64);
static_assert(sizeof(void*) != 8 || offsetof(AEffect, initialDelay) == 80);
static_assert(sizeof(void*) != 8 || offsetof(AEffect, ioRatio) == 92);
static_assert(sizeof(void*) != 8 || offsetof(AEffect, object) == 96);
static_assert(sizeof(void*) != 8 || offsetof(AEffect, uniqueID) == 112);
static_assert(sizeof(void*) != 8 || offsetof(AEffect, processReplacing) == 120);
static_assert(sizeof(void*) != 8 || offsetof(AEffect, processDoubleReplacing) == 128);
static_assert(sizeof(void*) != 8 || offsetof(AEffect, future) == 136);

#if __SIZEOF_POINTER__ == 4
// The shipped 32-bit layout: 144 bytes, no padding anywhere.
static_assert(sizeof(AEffect) == 144, "32-bit record size");
static_assert(offsetof(AEffect, dispatcher) == 4);
static_assert(offsetof(AEffect, process) == 8);
static_assert(offsetof(AEffect, setParameter) == 12);
static_assert(offsetof(AEffect, getParameter) == 16);
static_assert(offsetof(AEffect, numPrograms) == 20);
static_assert(offsetof(AEffect, numParams) == 24);
static_assert(offsetof(AEffect, numInputs) == 28);
static_assert(offsetof(AEffect, numOutputs) == 32);
static_assert(offsetof(AEffect, flags) == 36);
static_assert(offsetof(AEffect, resvd1) == 40);
static_assert(offsetof(AEffect, resvd2) == 44);
static_assert(offsetof(AEffect, initialDelay) == 48);
static_assert(offsetof(AEffect, realQualities) == 52);
static_assert(offsetof(AEffect, offQualities) == 56);
static_assert(offsetof(AEffect, ioRatio) == 60);
static_assert(offsetof(AEffect, object) == 64);
static_assert(offsetof(AEffect, user) == 68);
static_assert(offsetof(AEffect, uniqueID) == 72);
static_assert(offsetof(AEffect, version) == 76);
static_assert(offsetof(AEffect, processReplacing) == 80);
static_assert(offsetof(AEffect, processDoubleReplacing) == 84);
static_assert(offsetof(AEffect, future) == 88);
#endif

/// Bits of AEffect::flags.
enum VstAEffectFlags : std::int32_t
{
    effFlagsHasEditor = 1,
    effFlagsHasClip = 2, // deprecated
    effFlagsHasVu = 4,   // deprecated
    effFlagsCanMono = 8, // deprecated
    effFlagsCanReplacing = 16,
    effFlagsProgramChunks = 32,
    effFlagsIsSynth = 256,
    effFlagsNoSoundInStop = 512,
    effFlagsExtIsAsync = 1024,   // deprecated
    effFlagsExtHasBuffer = 2048, // deprecated
    effFlagsCanDoubleReplacing = 4096,
};

/// Requests the host sends through AEffect::dispatcher.
enum AEffectOpcodes : std::int32_t
{
    effOpen = 0,
    effClose,
    effSetProgram,
    effGetProgram,
    effSetProgramName,
    effGetProgramName,
    effGetParamLabel,
    effGetParamDisplay,
    effGetParamName,
    effGetVu, // deprecated
    effSetSampleRate,
    effSetBlockSize,
    effMainsChanged,
    effEditGetRect,
    effEditOpen,
    effEditClose,
    effEditDraw,  // deprecated
    effEditMouse, // deprecated
    effEditKey,   // deprecated
    effEditIdle,
    effEditTop,   // deprecated
    effEditSleep, // deprecated
    effIdentify,  // deprecated
    effGetChunk,
    effSetChunk,
    effProcessEvents,
    effCanBeAutomated,
    effString2Parameter,
    effGetNumProgramCategories, // deprecated
    effGetProgramNameIndexed,
    effCopyProgram,   // deprecated
    effConnectInput,  // deprecated
    effConnectOutput, // deprecated
    effGetInputProperties,
    effGetOutputProperties,
    effGetPlugCategory,
    effGetCurrentPosition,   // deprecated
    effGetDestinationBuffer, // deprecated
    effOfflineNotify,
    effOfflinePrepare,
    effOfflineRun,
    effProcessVarIo,
    effSetSpeakerArrangement,
    effSetBlockSizeAndSampleRate, // deprecated
    effSetBypass,
    effGetEffectName,
    effGetErrorText, // deprecated
    effGetVendorString,
    effGetProductString,
    effGetVendorVersion,
    effVendorSpecific,
    effCanDo,
    effGetTailSize,
    effIdle,            // deprecated
    effGetIcon,         // deprecated
    effSetViewPosition, // deprecated
    effGetParameterProperties,
    effKeysRequired, // deprecated
    effGetVstVersion,
    effEditKeyDown,
    effEditKeyUp,
    effSetEditKnobMode,
    effGetMidiProgramName,
    effGetCurrentMidiProgram,
    effGetMidiProgramCategory,
    effHasMidiProgramsChanged,
    effGetMidiKeyName,
    effBeginSetProgram,
    effEndSetProgram,
    effGetSpeakerArrangement,
    effShellGetNextPlugin,
    effStartProcess,
    effStopProcess,
    effSetTotalSampleToProcess,
    effSetPanLaw,
    effBeginLoadBank,
    effBeginLoadProgram,
    effSetProcessPrecision,
    effGetNumMidiInputChannels,
    effGetNumMidiOutputChannels,
};
static_assert(effEditIdle == 19 && effCanDo == 51 && effGetNumMidiOutputChannels == 79);

/// Requests the plug-in sends through the host callback.
enum AudioMasterOpcodes : std::int32_t
{
    audioMasterAutomate = 0,
    audioMasterVersion = 1,
    audioMasterCurrentId = 2,
    audioMasterIdle = 3,
    audioMasterPinConnected = 4, // deprecated
    audioMasterWantMidi = 6,     // deprecated
    audioMasterGetTime = 7,
    audioMasterProcessEvents = 8,
    audioMasterSetTime = 9,                      // deprecated
    audioMasterTempoAt = 10,                     // deprecated
    audioMasterGetNumAutomatableParameters = 11, // deprecated
    audioMasterGetParameterQuantization = 12,    // deprecated
    audioMasterIOChanged = 13,
    audioMasterNeedIdle = 14, // deprecated
    audioMasterSizeWindow = 15,
    audioMasterGetSampleRate = 16,
    audioMasterGetBlockSize = 17,
    audioMasterGetInputLatency = 18,
    audioMasterGetOutputLatency = 19,
    audioMasterGetPreviousPlug = 20,         // deprecated
    audioMasterGetNextPlug = 21,             // deprecated
    audioMasterWillReplaceOrAccumulate = 22, // deprecated
    audioMasterGetCurrentProcessLevel = 23,
    audioMasterGetAutomationState = 24,
    audioMasterOfflineStart = 25,
    audioMasterOfflineRead = 26,
    audioMasterOfflineWrite = 27,
    audioMasterOfflineGetCurrentPass = 28,
    audioMasterOfflineGetCurrentMetaPass = 29,
    audioMasterSetOutputSampleRate = 30,         // deprecated
    audioMasterGetOutputSpeakerArrangement = 31, // deprecated
    audioMasterGetVendorString = 32,
    audioMasterGetProductString = 33,
    audioMasterGetVendorVersion = 34,
    audioMasterVendorSpecific = 35,
    audioMasterSetIcon = 36, // deprecated
    audioMasterCanDo = 37,
    audioMasterGetLanguage = 38,
    audioMasterOpenWindow = 39,  // deprecated
    audioMasterCloseWindow = 40, // deprecated
    audioMasterGetDirectory = 41,
    audioMasterUpdateDisplay = 42,
    audioMasterBeginEdit = 43,
    audioMasterEndEdit = 44,
    audioMasterOpenFileSelector = 45,
    audioMasterCloseFileSelector = 46,
    audioMasterEditFile = 47,                   // deprecated
    audioMasterGetChunkFile = 48,               // deprecated
    audioMasterGetInputSpeakerArrangement = 49, // deprecated
};

/// Answers to effGetPlugCategory.
enum VstPlugCategory : std::int32_t
{
    kPlugCategUnknown = 0,
    kPlugCategEffect = 1,
    kPlugCategSynth = 2,
    kPlugCategAnalysis = 3,
    kPlugCategMastering = 4,
    kPlugCategSpacializer = 5,
    kPlugCategRoomFx = 6,
    kPlugSurroundFx = 7,
    kPlugCategRestoration = 8,
    kPlugCategOfflineProcess = 9,
    kPlugCategShell = 10,
    kPlugCategGenerator = 11,
};

/// The editor's size as the host reads it through effEditGetRect.
struct ERect
{
    std::int16_t top;
    std::int16_t left;
    std::int16_t bottom;
    std::int16_t right;
};

/// A key as the host passes it with effEditKeyDown and effEditKeyUp.
struct VstKeyCode
{
    std::int32_t character;
    std::uint8_t virt;     // virtual key
    std::uint8_t modifier; // modifier bits
};

/// The virtual keys and the modifier bit of VstKeyCode that the toolkit reads.
inline constexpr std::uint8_t kVstKeyTab = 2;
inline constexpr std::uint8_t kVstKeyLeft = 11;
inline constexpr std::uint8_t kVstKeyUp = 12;
inline constexpr std::uint8_t kVstKeyRight = 13;
inline constexpr std::uint8_t kVstKeyDown = 14;
inline constexpr std::uint8_t kVstModifierShift = 1;

// Structures of the interface that this plug-in passes through but never fills;
// only pointers to them cross the dispatcher.
struct VstEvents;
struct VstTimeInfo;
struct VstPinProperties;
struct VstParameterProperties;
struct VstSpeakerArrangement;
struct VstVariableIo;
struct VstPatchChunkInfo;
struct VstAudioFile;
struct VstOfflineTask;
struct VstFileSelect;
struct MidiProgramName;
struct MidiProgramCategory;
struct MidiKeyName;
