// Sorvelt: construction, parameters, programs and the texts the host shows.
#include "effect/sorvelt.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "editor/createeditor.h"
#include "plugin/aeffguieditor.h"
#include "plugin/text.h"

namespace
{

constexpr const char* kParameterNames[kNumSorveltParameters] = {"SourceAzimuth", "SourceElevation",
                                                                "SourceWidth", "InputFormat", "Gain"};
constexpr const char* kParameterLabels[kNumSorveltParameters] = {"deg", "deg", "deg", "", "dB"};
constexpr const char* kEffectName = "Sorvelt";
constexpr const char* kVendor = "https://sorvelt.example.org";
// The program name that stands for "not named yet": shown with its number.
constexpr const char* kDefaultProgramName = "Init";

bool isParameter(std::int32_t index)
{
    return index >= 0 && index < kNumSorveltParameters;
}

/// Names are written whole, as long as they are (some exceed the interface's 8).
void writeWhole(char* text, const char* source)
{
    copyText(text, source, static_cast<std::int32_t>(std::strlen(source)));
}

} // namespace

AudioEffect* createEffectInstance(HostCallback hostCallback)
{
    // Nothing may escape into the host: a failed construction is an absent plug-in.
    try
    {
        return new Sorvelt(hostCallback);
    }
    catch (...)
    {
        return nullptr;
    }
}

Sorvelt::Sorvelt(HostCallback hostCallback)
    : AudioEffectX(hostCallback, kNumPrograms, kNumParams), params{0.5f, 0.5f, 0.0f, 0.0f, 1.0f},
      programs(new SorveltProgram[kNumPrograms]), encoder()
{
    currentProgram = 0;
    for (std::int32_t i = 0; i < kNumParams; ++i)
        setParameter(i, programs[0].*SorveltProgram::kValues[i]);

    setNumInputs(kNumInputs);
    setNumOutputs(kNumOutputs);
    setUniqueID(kUniqueID);
    canProcessReplacing(true);
    canDoubleReplacing(true);

    // The editor is created here, once the record is complete and before resume.
    // Its base registers it with this effect before the editor itself is built: if
    // building fails, the pointer must go before the base destructor would delete it.
    try
    {
        setEditor(createEditor(this));
    }
    catch (...)
    {
        setEditor(nullptr);
        throw;
    }

    AudioEffectX::resume();
}

Sorvelt::~Sorvelt() = default;

void Sorvelt::resume()
{
    AudioEffectX::resume();
}

void Sorvelt::processReplacing(float** inputs, float** outputs, std::int32_t sampleFrames)
{
    if (!inputs || !outputs) return;
    for (int c = 0; c < kNumInputs; ++c)
        if (!inputs[c] || !outputs[c]) return;
    encoder.process(inputs, outputs, sampleFrames, params);
}

void Sorvelt::processDoubleReplacing(double** inputs, double** outputs, std::int32_t sampleFrames)
{
    if (!inputs || !outputs) return;
    for (int c = 0; c < kNumInputs; ++c)
        if (!inputs[c] || !outputs[c]) return;
    encoder.process(inputs, outputs, sampleFrames, params);
}

void Sorvelt::setParameter(std::int32_t index, float value)
{
    if (isParameter(index))
    {
        storeParameter(params[index], value);
        storeParameter(programs[currentProgram].*SorveltProgram::kValues[index], value);
    }
    // Sorvelt's editor, where there is one, is a bitmap editor; it takes every index.
    if (editor) static_cast<AEffGUIEditor*>(editor)->setParameter(index, value);
}

float Sorvelt::getParameter(std::int32_t index)
{
    return isParameter(index) ? loadParameter(params[index]) : 0.0f;
}

void Sorvelt::setProgram(std::int32_t program)
{
    // The dispatcher checks the range; a direct caller with a bad index changes nothing.
    if (program < 0 || program >= kNumPrograms) return;
    currentProgram = program;
    for (std::int32_t i = 0; i < kNumParams; ++i)
        setParameter(i, loadParameter(programs[program].*SorveltProgram::kValues[i]));
}

void Sorvelt::setProgramName(char* name)
{
    if (!name) return;
    copyText(programs[currentProgram].name, name, SorveltProgram::kMaxNameLength);
}

void Sorvelt::getProgramName(char* name)
{
    if (!name) return;
    const SorveltProgram& program = programs[currentProgram];
    if (std::strcmp(program.name, kDefaultProgramName) == 0)
        std::snprintf(name, SorveltProgram::kMaxNameLength + 1, "%s %d", program.name,
                      static_cast<int>(currentProgram + 1));
    else
        writeWhole(name, program.name);
}

void Sorvelt::getParameterLabel(std::int32_t index, char* label)
{
    if (isParameter(index) && label) writeWhole(label, kParameterLabels[index]);
}

void Sorvelt::getParameterDisplay(std::int32_t index, char* text)
{
    if (!isParameter(index) || !text) return;
    const float value = loadParameter(params[index]);
    switch (index)
    {
    case SourceAzimuth:
        deg2string(value, text, kVstMaxParamStrLen);
        break;
    case SourceElevation:
        degEl2string(value, text, kVstMaxParamStrLen);
        break;
    case SourceWidth:
        degWidth2string(value, text, kVstMaxParamStrLen);
        break;
    case InputFormat:
        input2string(value, text, kVstMaxParamStrLen);
        break;
    case Gain:
        dB2string(value, text, kVstMaxParamStrLen);
        break;
    }
}

void Sorvelt::getParameterName(std::int32_t index, char* text)
{
    if (isParameter(index) && text) writeWhole(text, kParameterNames[index]);
}

bool Sorvelt::getProgramNameIndexed(std::int32_t /*category*/, std::int32_t index, char* text)
{
    if (index < 0 || index >= kNumPrograms || !text) return false;
    writeWhole(text, programs[index].name);
    return true;
}

bool Sorvelt::getEffectName(char* name)
{
    if (!name) return false;
    writeWhole(name, kEffectName);
    return true;
}

bool Sorvelt::getVendorString(char* text)
{
    if (!text) return false;
    writeWhole(text, kVendor);
    return true;
}

bool Sorvelt::getProductString(char* text)
{
    if (!text) return false;
    writeWhole(text, kEffectName);
    return true;
}

std::int32_t Sorvelt::getVendorVersion()
{
    return kVendorVersion;
}

std::int32_t Sorvelt::getPlugCategory()
{
    return kPlugCategEffect;
}

void Sorvelt::deg2string(float value, char* text, std::int32_t maxLen)
{
    float2string(static_cast<float>((0.5 - static_cast<double>(value)) * 360.0), text, maxLen);
}

void Sorvelt::degEl2string(float value, char* text, std::int32_t maxLen)
{
    float2string(static_cast<float>((static_cast<double>(value) - 0.5) * 180.0), text, maxLen);
}

void Sorvelt::degWidth2string(float value, char* text, std::int32_t maxLen)
{
    float2string(value * 180.0f, text, maxLen);
}

void Sorvelt::input2string(float value, char* text, std::int32_t maxLen)
{
    static constexpr const char* kFormats[] = {"Mono", "Stereo", "B-Format"};
    const float k = std::floor(value + value);
    // Any other k (out of range, NaN) leaves the text as it was.
    if (k == 0.0f || k == 1.0f || k == 2.0f) copyText(text, kFormats[static_cast<int>(k)], maxLen);
}
