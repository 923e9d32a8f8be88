// Sorvelt: the encoder effect. One program, five parameters, four inputs and
// four outputs; the host's texts for all of them, and the UHJ engine.
#pragma once

#include <cstdint>
#include <memory>

#include "effect/parameters.h"
#include "effect/sorveltprogram.h"
#include "effect/uhjencoder.h"
#include "plugin/audioeffectx.h"

class Sorvelt : public AudioEffectX
{
public:
    static constexpr std::int32_t kNumPrograms = 1;
    static constexpr std::int32_t kNumParams = kNumSorveltParameters;
    static constexpr std::int32_t kNumInputs = UhjEncoder::kNumChannels;
    static constexpr std::int32_t kNumOutputs = UhjEncoder::kNumChannels;
    static constexpr std::int32_t kUniqueID = fourCharConstant("SVLT");
    static constexpr std::int32_t kVendorVersion = 1000;

    explicit Sorvelt(HostCallback hostCallback);
    ~Sorvelt() override;

    /// The base's resume only: the filter histories carry on from the last block.
    void resume() override;

    void processReplacing(float** inputs, float** outputs, std::int32_t sampleFrames) override;
    void processDoubleReplacing(double** inputs, double** outputs, std::int32_t sampleFrames) override;

    /// Stores the value as given in the effect and the current program, then moves
    /// the editor's control. Safe from any thread.
    void setParameter(std::int32_t index, float value) override;
    float getParameter(std::int32_t index) override;

    void setProgram(std::int32_t program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    void getParameterLabel(std::int32_t index, char* label) override;
    void getParameterDisplay(std::int32_t index, char* text) override;
    void getParameterName(std::int32_t index, char* text) override;
    bool getProgramNameIndexed(std::int32_t category, std::int32_t index, char* text) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    std::int32_t getVendorVersion() override;
    std::int32_t getPlugCategory() override;

    // Host displays of the positioned-source parameters and the format.
    virtual void deg2string(float value, char* text, std::int32_t maxLen);
    virtual void degEl2string(float value, char* text, std::int32_t maxLen);
    virtual void degWidth2string(float value, char* text, std::int32_t maxLen);
    virtual void input2string(float value, char* text, std::int32_t maxLen);

    /// The engine's histories, shared by both callbacks.
    UhjFilterState filterState() const { return encoder.state(); }

protected:
    float params[kNumSorveltParameters];
    std::unique_ptr<SorveltProgram[]> programs;
    UhjEncoder encoder;
};
