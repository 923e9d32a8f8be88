// Test doubles for the plug-in interface: a minimal effect, an effect that logs
// every virtual call the dispatcher makes, and an editor that does the same.
#pragma once

#include "plugin/aeffeditor.h"
#include "plugin/audioeffectx.h"

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

/// Two distinguishable buffers the tests pass as pointers; the probes print them by name.
inline char gBuffer[64];
inline char gOtherBuffer[64];

inline std::string pointerName(const void* p)
{
    if (!p) return "null";
    if (p == gBuffer) return "buf";
    if (p == gOtherBuffer) return "buf2";
    return "?";
}

/// Builds "name(a,b,...)" from the arguments of a logged call.
template <typename... Args> std::string callText(const char* name, const Args&... args)
{
    std::ostringstream out;
    out << name << '(';
    const char* separator = "";
    ((out << separator << args, separator = ","), ...);
    static_cast<void>(separator); // unused for a call without arguments
    out << ')';
    return out.str();
}

/// An effect with nothing overridden but the one operation every effect must have.
class PlainEffect : public AudioEffectX
{
public:
    explicit PlainEffect(HostCallback host = nullptr, std::int32_t programs = 1, std::int32_t params = 5)
        : AudioEffectX(host, programs, params)
    {
    }
    ~PlainEffect() override { ++destroyed; }

    void processReplacing(float** inputs, float** outputs, std::int32_t frames) override
    {
        lastCall = callText("processReplacing", pointerName(inputs), pointerName(outputs), frames);
    }

    std::int32_t flags() const { return effectRecord.flags; }

    static inline int destroyed = 0;
    std::string lastCall;
};

/// Logs the operations the dispatcher reaches, with their arguments, and answers
/// with configurable values so that the dispatcher's result mapping shows.
class ProbeEffect : public PlainEffect
{
public:
    explicit ProbeEffect(HostCallback host = nullptr) : PlainEffect(host, 3, 5) {}

    std::vector<std::string> calls;
    bool boolAnswer = true;
    std::int32_t intAnswer = 7;

    void open() override { log("open"); }
    void close() override { log("close"); }
    void suspend() override { log("suspend"); }
    void resume() override { log("resume"); }
    void setSampleRate(float rate) override { log("setSampleRate", rate); }
    void setBlockSize(std::int32_t size) override { log("setBlockSize", size); }
    void process(float** in, float** out, std::int32_t n) override { log("process", p(in), p(out), n); }
    void processReplacing(float** in, float** out, std::int32_t n) override
    {
        log("processReplacing", p(in), p(out), n);
    }
    void processDoubleReplacing(double** in, double** out, std::int32_t n) override
    {
        log("processDoubleReplacing", p(in), p(out), n);
    }
    void setParameter(std::int32_t index, float value) override { log("setParameter", index, value); }
    float getParameter(std::int32_t index) override
    {
        log("getParameter", index);
        return 0.25f;
    }
    std::int32_t getProgram() override { return logged(intAnswer, "getProgram"); }
    void setProgram(std::int32_t program) override { log("setProgram", program); }
    void setProgramName(char* name) override { log("setProgramName", name); }
    void getProgramName(char* name) override { log("getProgramName", p(name)); }
    void getParameterLabel(std::int32_t i, char* t) override { log("getParameterLabel", i, p(t)); }
    void getParameterDisplay(std::int32_t i, char* t) override { log("getParameterDisplay", i, p(t)); }
    void getParameterName(std::int32_t i, char* t) override { log("getParameterName", i, p(t)); }
    float getVu() override
    {
        log("getVu");
        return 0.5f;
    }
    std::int32_t getChunk(void** data, bool preset) override
    {
        return logged(intAnswer, "getChunk", p(data), preset);
    }
    std::int32_t setChunk(void* data, std::int32_t size, bool preset) override
    {
        return logged(intAnswer, "setChunk", p(data), size, preset);
    }

    std::int32_t processEvents(VstEvents* e) override { return logged(intAnswer, "processEvents", p(e)); }
    bool canParameterBeAutomated(std::int32_t i) override
    {
        return logged(boolAnswer, "canParameterBeAutomated", i);
    }
    bool string2parameter(std::int32_t i, char* t) override
    {
        return logged(boolAnswer, "string2parameter", i, p(t));
    }
    bool getProgramNameIndexed(std::int32_t c, std::int32_t i, char* t) override
    {
        return logged(boolAnswer, "getProgramNameIndexed", c, i, p(t));
    }
    bool getInputProperties(std::int32_t i, VstPinProperties* x) override
    {
        return logged(boolAnswer, "getInputProperties", i, p(x));
    }
    bool getOutputProperties(std::int32_t i, VstPinProperties* x) override
    {
        return logged(boolAnswer, "getOutputProperties", i, p(x));
    }
    std::int32_t getPlugCategory() override { return logged(intAnswer, "getPlugCategory"); }
    bool offlineNotify(VstAudioFile* f, std::int32_t n, bool start) override
    {
        return logged(boolAnswer, "offlineNotify", p(f), n, start);
    }
    bool offlinePrepare(VstOfflineTask* t, std::int32_t n) override
    {
        return logged(boolAnswer, "offlinePrepare", p(t), n);
    }
    bool offlineRun(VstOfflineTask* t, std::int32_t n) override
    {
        return logged(boolAnswer, "offlineRun", p(t), n);
    }
    bool processVariableIo(VstVariableIo* v) override
    {
        return logged(boolAnswer, "processVariableIo", p(v));
    }
    bool setSpeakerArrangement(VstSpeakerArrangement* in, VstSpeakerArrangement* out) override
    {
        return logged(boolAnswer, "setSpeakerArrangement", p(in), p(out));
    }
    bool setBypass(bool on) override { return logged(boolAnswer, "setBypass", on); }
    bool getEffectName(char* t) override { return logged(boolAnswer, "getEffectName", p(t)); }
    bool getVendorString(char* t) override { return logged(boolAnswer, "getVendorString", p(t)); }
    bool getProductString(char* t) override { return logged(boolAnswer, "getProductString", p(t)); }
    std::int32_t getVendorVersion() override { return logged(intAnswer, "getVendorVersion"); }
    std::intptr_t vendorSpecific(std::int32_t a, std::intptr_t b, void* c, float d) override
    {
        return logged<std::intptr_t>(intAnswer, "vendorSpecific", a, b, p(c), d);
    }
    std::int32_t canDo(const char* t) override { return logged(intAnswer, "canDo", t); }
    std::int32_t getGetTailSize() override { return logged(intAnswer, "getGetTailSize"); }
    bool getParameterProperties(std::int32_t i, VstParameterProperties* x) override
    {
        return logged(boolAnswer, "getParameterProperties", i, p(x));
    }
    std::int32_t getVstVersion() override { return logged(intAnswer, "getVstVersion"); }
    std::int32_t getMidiProgramName(std::int32_t c, MidiProgramName* x) override
    {
        return logged(intAnswer, "getMidiProgramName", c, p(x));
    }
    std::int32_t getCurrentMidiProgram(std::int32_t c, MidiProgramName* x) override
    {
        return logged(intAnswer, "getCurrentMidiProgram", c, p(x));
    }
    std::int32_t getMidiProgramCategory(std::int32_t c, MidiProgramCategory* x) override
    {
        return logged(intAnswer, "getMidiProgramCategory", c, p(x));
    }
    bool hasMidiProgramsChanged(std::int32_t c) override
    {
        return logged(boolAnswer, "hasMidiProgramsChanged", c);
    }
    bool getMidiKeyName(std::int32_t c, MidiKeyName* x) override
    {
        return logged(boolAnswer, "getMidiKeyName", c, p(x));
    }
    bool beginSetProgram() override { return logged(boolAnswer, "beginSetProgram"); }
    bool endSetProgram() override { return logged(boolAnswer, "endSetProgram"); }
    bool getSpeakerArrangement(VstSpeakerArrangement** in, VstSpeakerArrangement** out) override
    {
        return logged(boolAnswer, "getSpeakerArrangement", p(in), p(out));
    }
    std::int32_t getNextShellPlugin(char* t) override
    {
        return logged(intAnswer, "getNextShellPlugin", p(t));
    }
    std::int32_t startProcess() override { return logged(intAnswer, "startProcess"); }
    std::int32_t stopProcess() override { return logged(intAnswer, "stopProcess"); }
    std::int32_t setTotalSampleToProcess(std::int32_t v) override
    {
        return logged(intAnswer, "setTotalSampleToProcess", v);
    }
    bool setPanLaw(std::int32_t type, float gain) override
    {
        return logged(boolAnswer, "setPanLaw", type, gain);
    }
    std::int32_t beginLoadBank(VstPatchChunkInfo* x) override
    {
        return logged(intAnswer, "beginLoadBank", p(x));
    }
    std::int32_t beginLoadProgram(VstPatchChunkInfo* x) override
    {
        return logged(intAnswer, "beginLoadProgram", p(x));
    }
    bool setProcessPrecision(std::int32_t v) override { return logged(boolAnswer, "setProcessPrecision", v); }
    std::int32_t getNumMidiInputChannels() override { return logged(intAnswer, "getNumMidiInputChannels"); }
    std::int32_t getNumMidiOutputChannels() override { return logged(intAnswer, "getNumMidiOutputChannels"); }

    std::int32_t getNumCategories() override { return logged(intAnswer, "getNumCategories"); }
    bool copyProgram(std::int32_t d) override { return logged(boolAnswer, "copyProgram", d); }
    void inputConnected(std::int32_t i, bool s) override { log("inputConnected", i, s); }
    void outputConnected(std::int32_t i, bool s) override { log("outputConnected", i, s); }
    std::int32_t reportCurrentPosition() override { return logged(intAnswer, "reportCurrentPosition"); }
    float* reportDestinationBuffer() override
    {
        log("reportDestinationBuffer");
        return reinterpret_cast<float*>(gOtherBuffer);
    }
    void setBlockSizeAndSampleRate(std::int32_t size, float rate) override
    {
        log("setBlockSizeAndSampleRate", size, rate);
    }
    bool getErrorText(char* t) override { return logged(boolAnswer, "getErrorText", p(t)); }
    std::int32_t fxIdle() override { return logged(intAnswer, "fxIdle"); }
    void* getIcon() override
    {
        log("getIcon");
        return gOtherBuffer;
    }
    bool setViewPosition(std::int32_t x, std::int32_t y) override
    {
        return logged(boolAnswer, "setViewPosition", x, y);
    }
    std::int32_t keysRequired() override { return logged(intAnswer, "keysRequired"); }

private:
    static std::string p(const void* ptr) { return pointerName(ptr); }

    template <typename... Args> void log(const char* name, const Args&... args)
    {
        calls.push_back(callText(name, args...));
    }

    template <typename R, typename... Args> R logged(R answer, const char* name, const Args&... args)
    {
        log(name, args...);
        return answer;
    }
};

/// An editor that logs what the dispatcher asks of it.
class ProbeEditor : public AEffEditor
{
public:
    explicit ProbeEditor(AudioEffect* effect) : AEffEditor(effect) {}
    ~ProbeEditor() override { ++destroyed; }

    std::vector<std::string> calls;
    bool answer = true;
    ERect rect{0, 0, 200, 420};

    bool getRect(ERect** out) override
    {
        calls.push_back(callText("getRect", pointerName(out)));
        *out = &rect;
        return answer;
    }
    bool open(void* window) override
    {
        calls.push_back(callText("open", pointerName(window)));
        return answer;
    }
    void close() override { calls.push_back("close()"); }
    void idle() override { calls.push_back("idle()"); }
    bool onKeyDown(VstKeyCode& key) override
    {
        calls.push_back(callText("onKeyDown", key.character, int(key.virt), int(key.modifier)));
        return answer;
    }
    bool onKeyUp(VstKeyCode& key) override
    {
        calls.push_back(callText("onKeyUp", key.character, int(key.virt), int(key.modifier)));
        return answer;
    }
    bool setKnobMode(std::int32_t mode) override
    {
        calls.push_back(callText("setKnobMode", mode));
        return answer;
    }

    static inline int destroyed = 0;
};
