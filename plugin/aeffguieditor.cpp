// AEffGUIEditor: the editor base for the bitmap toolkit. Holds the editor's rectangle and
// its frame, relays keys, wheel, idle and edit gestures, and runs the idle pump.
#include "plugin/aeffguieditor.h"

#include "gui/cdrawcontext.h"
#include "gui/cframe.h"
#include "gui/platform.h"
#include "plugin/audioeffectx.h"

VstInt32 AEffGUIEditor::knobMode = 0;

AEffGUIEditor::AEffGUIEditor(AudioEffect* owner) : AEffGUIEditor(owner, nullptr) {}

AEffGUIEditor::AEffGUIEditor(AudioEffect* owner, std::unique_ptr<VSTGUI::Platform> given)
    : AEffEditor(owner), platform(std::move(given))
{
    if (!platform) platform = VSTGUI::createPlatform();
    nextIdleTicks = getTicks();
    if (effect) effect->setEditor(this);
}

AEffGUIEditor::~AEffGUIEditor()
{
    // A derived editor closes its frame; one still open here would otherwise leak its window.
    if (frame) frame->forget();
    frame = nullptr;
}

bool AEffGUIEditor::getRect(ERect** out)
{
    if (!out) return false;
    *out = &rect;
    return true;
}

void AEffGUIEditor::idle()
{
    // A host answering our idle request with effEditIdle lands here: that pass is already running.
    if (inIdleStuff) return;
    if (frame) frame->idle();
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& keyCode)
{
    return frame && frame->onKeyDown(keyCode) == 1;
}

bool AEffGUIEditor::onKeyUp(VstKeyCode& keyCode)
{
    return frame && frame->onKeyUp(keyCode) == 1;
}

bool AEffGUIEditor::onWheel(float distance)
{
    if (!frame) return false;
    // Our own reference: the host may close the editor in answer to the wheel's edit, and the
    // context below draws into the frame's window until it goes.
    VSTGUI::CFrame* target = frame;
    VSTGUI::CFrame::DispatchScope scope(*target);
    auto* context = new VSTGUI::CDrawContext(target, target->getPlatformWindow(), systemWindow);
    VSTGUI::CPoint where;
    context->getMouseLocation(where);
    const bool result = target->onWheel(context, where, distance);
    context->forget();
    return result;
}

bool AEffGUIEditor::setKnobMode(VstInt32 val)
{
    knobMode = val;
    return true;
}

void AEffGUIEditor::setParameter(VstInt32, float) {}

void AEffGUIEditor::beginEdit(VstInt32 index)
{
    if (auto* effectX = dynamic_cast<AudioEffectX*>(effect)) effectX->beginEdit(index);
}

void AEffGUIEditor::endEdit(VstInt32 index)
{
    if (auto* effectX = dynamic_cast<AudioEffectX*>(effect)) effectX->endEdit(index);
}

void AEffGUIEditor::doIdleStuff()
{
    std::uint32_t now = getTicks();
    if (now < nextIdleTicks)
    {
        wait(4);
        now += 4;
        if (now < nextIdleTicks - 50) return;
    }

    // The frame's idle drains the window's events (exposures queued during a drag among them).
    idle();

    nextIdleTicks = now + 100;

    inIdleStuff = true;
    if (effect) effect->masterIdle();
    inIdleStuff = false;
}

std::uint32_t AEffGUIEditor::getTicks() const
{
    return platform ? platform->getTicks() : 0;
}

void AEffGUIEditor::wait(std::uint32_t milliseconds)
{
    if (platform) platform->sleep(milliseconds);
}
