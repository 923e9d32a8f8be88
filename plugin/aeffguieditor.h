// AEffGUIEditor: the editor base for the bitmap toolkit. Holds the editor's rectangle and
// its frame, relays keys, wheel, idle and edit gestures, and runs the idle pump.
#pragma once

#include <cstdint>
#include <memory>

#include "plugin/aeffeditor.h"

using VstInt32 = std::int32_t;

namespace VSTGUI
{
class CFrame;
class Platform;
} // namespace VSTGUI

class AEffGUIEditor : public AEffEditor
{
public:
    explicit AEffGUIEditor(AudioEffect* effect);
    /// As above, with the platform that gives ticks and pauses handed over (tests pass a scripted one).
    AEffGUIEditor(AudioEffect* effect, std::unique_ptr<VSTGUI::Platform> platform);
    ~AEffGUIEditor() override;

    bool getRect(ERect** rect) override;
    void idle() override;
    bool onKeyDown(VstKeyCode& keyCode) override;
    bool onKeyUp(VstKeyCode& keyCode) override;
    bool onWheel(float distance) override;
    bool setKnobMode(VstInt32 val) override;

    virtual void setParameter(VstInt32 index, float value);
    virtual void beginEdit(VstInt32 index);
    virtual void endEdit(VstInt32 index);
    /// The idle pump controls call while they track the mouse: at most one pass every 100 ms.
    virtual void doIdleStuff();

    /// Milliseconds of a monotonic clock; wraps like any 32-bit tick count.
    std::uint32_t getTicks() const;
    /// A short pause on the GUI thread.
    void wait(std::uint32_t milliseconds);

    VSTGUI::CFrame* getFrame() const { return frame; }
    /// The process-wide knob mode every frame answers (0 circular, 1 relative circular, 2 linear).
    static VstInt32 getKnobMode() { return knobMode; }

protected:
    ERect rect{};
    std::uint32_t nextIdleTicks = 0;
    bool inIdleStuff = false;
    VSTGUI::CFrame* frame = nullptr;
    std::unique_ptr<VSTGUI::Platform> platform;

    // Shared by all editors; written on the user-interface thread only.
    static VstInt32 knobMode;
};
