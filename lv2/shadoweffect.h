// ShadowEffect: what the LV2 UI has of the effect. The UI may not reach the DSP
// instance, so the editor is bound to this stand-in instead: five parameter values
// and nothing else, fed by the host's port events and reporting the user's changes
// to the host as port writes.
#pragma once

#include <lv2/ui/ui.h>

#include "effect/parameters.h"
#include "plugin/audioeffectx.h"

class AEffGUIEditor;

namespace sorvelt::lv2
{

class ShadowEffect : public AudioEffectX
{
public:
    /// Creates its UHJeditor, unopened. `touch` may be null (the host does not offer it).
    ShadowEffect(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2UI_Touch* touch);

    /// No audio passes through the UI.
    void processReplacing(float**, float**, std::int32_t) override {}

    /// Stores the value and moves the editor's controls, as the effect does.
    void setParameter(std::int32_t index, float value) override;
    float getParameter(std::int32_t index) override;
    /// The user's change: stored, then written to the host's port in the port's units.
    void setParameterAutomated(std::int32_t index, float value) override;
    /// A drag's start and end, reported as the host's touch when it offers one.
    bool beginEdit(std::int32_t index) override;
    bool endEdit(std::int32_t index) override;

    /// A control port's value from the host (port units): shown, never written back.
    void portChanged(std::uint32_t port, float portValue);

    AEffGUIEditor* guiEditor() const;

private:
    float params[kNumSorveltParameters];
    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    const LV2UI_Touch* touch;
};

} // namespace sorvelt::lv2
