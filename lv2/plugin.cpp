// The LV2 plug-in: each instance is one Sorvelt, the same AudioEffectX the VST build
// hands its host, driven through its record as a VST host would drive it. The ports'
// user units become normalized parameter values exactly where the effect reads them.
#include <lv2/core/lv2.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>

#include "lv2/ports.h"
#include "plugin/audioeffect.h"

namespace
{

using namespace sorvelt::lv2;

/// The host the effect sees: it answers the version question and nothing else. Nobody
/// opens the editor here (the UI is a separate binary), so nothing else is ever asked
/// that matters.
std::intptr_t answerEffect(AEffect*, std::int32_t opcode, std::int32_t, std::intptr_t, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

struct Instance
{
    AEffect* effect = nullptr;
    double sampleRate = 0.0;
    const float* controls[kNumControlPorts] = {};
    float* inputs[4] = {};
    float* outputs[4] = {};
    /// The port values last handed to the effect, compared bit for bit, so an
    /// unchanged port costs no conversion.
    std::uint32_t applied[kNumControlPorts] = {};
    bool appliedValid[kNumControlPorts] = {};
    bool hasRun = false;

    std::intptr_t dispatch(std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0,
                           float opt = 0.0f)
    {
        return effect->dispatcher(effect, opcode, index, value, nullptr, opt);
    }

    /// A fresh effect opened the way a VST host opens one.
    bool create()
    {
        AudioEffect* made = createEffectInstance(answerEffect);
        if (!made) return false;
        effect = made->getAeffect();
        dispatch(effOpen);
        dispatch(effSetSampleRate, 0, 0, static_cast<float>(sampleRate));
        std::fill(std::begin(appliedValid), std::end(appliedValid), false);
        hasRun = false;
        return true;
    }

    void destroy()
    {
        if (!effect) return;
        dispatch(effClose); // deletes the effect
        effect = nullptr;
    }

    void applyControls()
    {
        for (std::uint32_t p = 0; p < kNumControlPorts; ++p)
        {
            if (!controls[p]) continue;
            const float value = *controls[p];
            std::uint32_t bits;
            std::memcpy(&bits, &value, sizeof bits);
            if (appliedValid[p] && applied[p] == bits) continue;
            float normalized;
            // A NaN from the host changes nothing; the parameter keeps its value.
            if (toNormalized(static_cast<int>(p), value, normalized))
                effect->setParameter(effect, static_cast<std::int32_t>(p), normalized);
            applied[p] = bits;
            appliedValid[p] = true;
        }
    }
};

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const*)
{
    auto* instance = new (std::nothrow) Instance;
    if (!instance) return nullptr;
    instance->sampleRate = rate;
    if (!instance->create())
    {
        delete instance;
        return nullptr;
    }
    return instance;
}

void connectPort(LV2_Handle handle, std::uint32_t port, void* data)
{
    auto* instance = static_cast<Instance*>(handle);
    if (port < kNumControlPorts)
        instance->controls[port] = static_cast<const float*>(data);
    else if (port < kFirstAudioOutput)
        instance->inputs[port - kFirstAudioInput] = static_cast<float*>(data);
    else if (port < kNumPorts)
        instance->outputs[port - kFirstAudioOutput] = static_cast<float*>(data);
}

void activate(LV2_Handle handle)
{
    auto* instance = static_cast<Instance*>(handle);
    // A re-activated plug-in must forget what it played before; the effect's own
    // resume keeps its filter histories, so a used effect is replaced by a fresh one.
    if (instance->hasRun)
    {
        instance->destroy();
        if (!instance->create()) return;
    }
    instance->dispatch(effMainsChanged, 0, 1);
}

void run(LV2_Handle handle, std::uint32_t frames)
{
    auto* instance = static_cast<Instance*>(handle);
    if (!instance->effect || frames == 0) return;
    instance->applyControls();
    for (int c = 0; c < 4; ++c)
        if (!instance->inputs[c] || !instance->outputs[c]) return;
    // Blocks longer than the record's 32-bit count are played in pieces.
    for (std::uint32_t done = 0; done < frames;)
    {
        const std::uint32_t n = std::min<std::uint32_t>(frames - done, 1u << 30);
        float* in[4];
        float* out[4];
        for (int c = 0; c < 4; ++c)
        {
            in[c] = instance->inputs[c] + done;
            out[c] = instance->outputs[c] + done;
        }
        instance->effect->processReplacing(instance->effect, in, out, static_cast<std::int32_t>(n));
        done += n;
    }
    instance->hasRun = true;
}

void deactivate(LV2_Handle handle)
{
    auto* instance = static_cast<Instance*>(handle);
    if (instance->effect) instance->dispatch(effMainsChanged, 0, 0);
}

void cleanup(LV2_Handle handle)
{
    auto* instance = static_cast<Instance*>(handle);
    instance->destroy();
    delete instance;
}

const void* extensionData(const char*)
{
    return nullptr;
}

const LV2_Descriptor kDescriptor = {
    kPluginUri, instantiate, connectPort, activate, run, deactivate, cleanup, extensionData,
};

} // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
