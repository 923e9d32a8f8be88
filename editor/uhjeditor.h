// UHJeditor: Sorvelt's own window, four knobs, four read-outs and the input-format
// switch over one background bitmap, bound both ways to the effect's parameters.
#pragma once

#include <atomic>

#include "gui/ccontrol.h"
#include "plugin/aeffguieditor.h"

namespace VSTGUI
{
class CAnimKnob;
class CBitmap;
class CParamDisplay;
class CVerticalSwitch;
} // namespace VSTGUI

class AudioEffect;

class UHJeditor : public AEffGUIEditor, public VSTGUI::CControlListener
{
public:
    explicit UHJeditor(AudioEffect* effect);
    ~UHJeditor() override;

    /// Builds the frame inside the host's window `ptr` and adds the nine controls.
    bool open(void* ptr) override;
    /// Destroys the frame and every control with it (a host closing from inside one of the
    /// frame's events: as soon as that event unwinds); the parent window stays recorded.
    void close() override;

    /// Puts the effect's current value of `index` into its knob or switch and read-out.
    void setParameter(VstInt32 index, float value) override;

    /// A control changed through the user: the change goes to the host as automation.
    void valueChanged(VSTGUI::CDrawContext* context, VSTGUI::CControl* control) override;
    /// Never takes a modified click, so the control's own reset and drag run.
    long controlModifierClicked(VSTGUI::CDrawContext* context, VSTGUI::CControl* control,
                                long button) override;

private:
    friend struct UHJeditorLayout;

    VSTGUI::CAnimKnob* azimuthKnob;
    VSTGUI::CAnimKnob* elevationKnob;
    VSTGUI::CAnimKnob* widthKnob;
    VSTGUI::CAnimKnob* gainKnob;
    VSTGUI::CVerticalSwitch* inputFormatSwitch;
    VSTGUI::CParamDisplay* azimuthDisplay;
    VSTGUI::CParamDisplay* elevationDisplay;
    VSTGUI::CParamDisplay* widthDisplay;
    VSTGUI::CParamDisplay* gainDisplay;
    VSTGUI::CBitmap* backgroundBitmap;

    // setParameter may come from the host's automation thread while the GUI thread
    // closes the window. The writer announces itself before it looks at the controls,
    // and close waits for announced writers before the frame (and every control with
    // it) is deleted, so a late automation write never lands in a freed control.
    std::atomic<bool> controlsAlive{false};
    std::atomic<int> writersInside{0};
};
