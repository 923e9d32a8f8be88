// ShadowEffect: the UI's parameter-only stand-in for Sorvelt.
#include "lv2/shadoweffect.h"

#include "editor/uhjeditor.h"
#include "effect/sorveltprogram.h"
#include "lv2/ports.h"

namespace sorvelt::lv2
{

ShadowEffect::ShadowEffect(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2UI_Touch* touch)
    : AudioEffectX(nullptr, 1, kNumSorveltParameters), write(write), controller(controller), touch(touch)
{
    // The effect's own defaults, until the host's first port events arrive.
    const SorveltProgram defaults;
    for (int i = 0; i < kNumSorveltParameters; ++i)
        params[i] = defaults.*SorveltProgram::kValues[i];
    // The editor's base registers it as this effect's editor, which owns it from then on.
    new UHJeditor(this);
}

void ShadowEffect::setParameter(std::int32_t index, float value)
{
    if (index < 0 || index >= kNumSorveltParameters) return;
    storeParameter(params[index], value);
    if (AEffGUIEditor* shown = guiEditor()) shown->setParameter(index, value);
}

float ShadowEffect::getParameter(std::int32_t index)
{
    return index >= 0 && index < kNumSorveltParameters ? loadParameter(params[index]) : 0.0f;
}

void ShadowEffect::setParameterAutomated(std::int32_t index, float value)
{
    if (index < 0 || index >= kNumSorveltParameters) return;
    setParameter(index, value);
    const float portValue = toPortValue(index, value);
    if (write) write(controller, static_cast<std::uint32_t>(index), sizeof portValue, 0, &portValue);
}

bool ShadowEffect::beginEdit(std::int32_t index)
{
    if (!touch || index < 0 || index >= kNumSorveltParameters) return false;
    touch->touch(touch->handle, static_cast<std::uint32_t>(index), true);
    return true;
}

bool ShadowEffect::endEdit(std::int32_t index)
{
    if (!touch || index < 0 || index >= kNumSorveltParameters) return false;
    touch->touch(touch->handle, static_cast<std::uint32_t>(index), false);
    return true;
}

void ShadowEffect::portChanged(std::uint32_t port, float portValue)
{
    float normalized;
    if (port < kNumControlPorts && toNormalized(static_cast<int>(port), portValue, normalized))
        setParameter(static_cast<std::int32_t>(port), normalized);
}

AEffGUIEditor* ShadowEffect::guiEditor() const
{
    return static_cast<AEffGUIEditor*>(editor);
}

} // namespace sorvelt::lv2
