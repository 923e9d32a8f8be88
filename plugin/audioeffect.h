// AudioEffect: the base of every effect. Owns the record the host calls through,
// turns host requests into virtual calls, and formats values as text.
#pragma once

#include "plugin/aeffect.h"

#include <cstdint>

class AEffEditor;

class AudioEffect
{
public:
    /// Fills the record; the host callback may be null (every host service then
    /// answers its fallback).
    AudioEffect(HostCallback hostCallback, std::int32_t numPrograms, std::int32_t numParams);
    /// Deletes the editor: the effect owns it.
    virtual ~AudioEffect();

    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    /// Turns one host request (opcodes 0 to 24) into a virtual call; 0 for anything else.
    virtual std::intptr_t dispatcher(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr,
                                     float opt);

    // State changes requested by the host.
    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}

    virtual void setSampleRate(float sampleRate);
    virtual void setBlockSize(std::int32_t blockSize);

    // Audio. The accumulating process is deprecated and does nothing.
    virtual void process(float** inputs, float** outputs, std::int32_t sampleFrames);
    virtual void processReplacing(float** inputs, float** outputs, std::int32_t sampleFrames) = 0;
    virtual void processDoubleReplacing(double** inputs, double** outputs, std::int32_t sampleFrames);

    // Parameters, normalized 0..1.
    virtual void setParameter(std::int32_t index, float value);
    virtual float getParameter(std::int32_t index);
    /// Stores the value through setParameter first, then tells the host (audioMasterAutomate).
    virtual void setParameterAutomated(std::int32_t index, float value);

    // Programs and the texts the host shows.
    virtual std::int32_t getProgram();
    virtual void setProgram(std::int32_t program);
    virtual void setProgramName(char* name);
    virtual void getProgramName(char* name);
    virtual void getParameterLabel(std::int32_t index, char* label);
    virtual void getParameterDisplay(std::int32_t index, char* text);
    virtual void getParameterName(std::int32_t index, char* text);
    virtual float getVu(); // deprecated

    // State as one opaque block; the base has none.
    virtual std::int32_t getChunk(void** data, bool isPreset = false);
    virtual std::int32_t setChunk(void* data, std::int32_t byteSize, bool isPreset = false);

    // Record setters, used by the effect's constructor.
    virtual void setUniqueID(std::int32_t id);
    virtual void setNumInputs(std::int32_t inputs);
    virtual void setNumOutputs(std::int32_t outputs);
    virtual void setInitialDelay(std::int32_t delay);
    virtual void canProcessReplacing(bool state = true);
    virtual void canDoubleReplacing(bool state = true);
    virtual void programsAreChunks(bool state = true);
    /// Stores the editor and keeps the has-editor flag in step with it. The effect
    /// owns the editor from here on.
    virtual void setEditor(AEffEditor* editor);

    virtual AEffEditor* getEditor();
    virtual AEffect* getAeffect();
    virtual float getSampleRate();
    virtual std::int32_t getBlockSize();

    // Host services.
    /// The host's interface version; 1 without a callback or when the host answers 0.
    virtual std::int32_t getMasterVersion();
    virtual std::int32_t getCurrentUniqueId();
    virtual void masterIdle();

    // Value-to-text. Each writes at most maxLen characters and a terminator at text[maxLen].
    /// Fixed-point text of eight positions (sign, digits, point), truncated; "Huge!" when it cannot fit.
    virtual void float2string(float value, char* text, std::int32_t maxLen);
    /// Decibels of a linear factor; "-oo" for 0 and below.
    virtual void dB2string(float value, char* text, std::int32_t maxLen);
    /// Decimal digits; "Huge!" for magnitudes of 100000000 and more.
    virtual void int2string(std::int32_t value, char* text, std::int32_t maxLen);
    /// A period in samples as a frequency at the current sample rate.
    virtual void Hz2string(float samples, char* text, std::int32_t maxLen);
    /// A number of samples as milliseconds at the current sample rate.
    virtual void ms2string(float samples, char* text, std::int32_t maxLen);

protected:
    // The functions the record points at: each finds the object through the
    // record's object field and forwards to the virtual operation of that name.
    static std::intptr_t VSTCALLBACK dispatchEffectClass(AEffect* e, std::int32_t opcode, std::int32_t index,
                                             std::intptr_t value, void* ptr, float opt);
    static float VSTCALLBACK getParameterClass(AEffect* e, std::int32_t index);
    static void VSTCALLBACK setParameterClass(AEffect* e, std::int32_t index, float value);
    static void VSTCALLBACK __processClassDeprecated(AEffect* e, float** inputs, float** outputs,
                                         std::int32_t sampleFrames);
    static void VSTCALLBACK processClassReplacing(AEffect* e, float** inputs, float** outputs, std::int32_t sampleFrames);
    static void VSTCALLBACK processClassDoubleReplacing(AEffect* e, double** inputs, double** outputs,
                                            std::int32_t sampleFrames);

    /// Calls the host with this effect's record; 0 without a callback.
    std::intptr_t callHost(std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0,
                           void* ptr = nullptr, float opt = 0.0f);

    /// Sets or clears one bit of the record's flags.
    void setRecordFlag(std::int32_t flag, bool state);

    HostCallback hostCallback;
    AEffEditor* editor;
    float sampleRate;
    std::int32_t blockSize;
    std::int32_t programCount;
    std::int32_t parameterCount;
    std::int32_t currentProgram;
    AEffect effectRecord;
};

/// Creates the one effect of this plug-in; defined by the effect, called by the entry.
AudioEffect* createEffectInstance(HostCallback hostCallback);
