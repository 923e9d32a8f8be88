// AEffEditor: the editor defaults. A plain editor has no window of its own, so
// every request answers "not handled".
#include "plugin/aeffeditor.h"

AEffEditor::AEffEditor(AudioEffect* effect) : effect(effect), systemWindow(nullptr) {}

AudioEffect* AEffEditor::getEffect()
{
    return effect;
}

bool AEffEditor::getRect(ERect** rect)
{
    if (rect) *rect = nullptr;
    return false;
}

bool AEffEditor::open(void* ptr)
{
    systemWindow = ptr;
    return false;
}

void AEffEditor::close()
{
    systemWindow = nullptr;
}

bool AEffEditor::isOpen()
{
    return systemWindow != nullptr;
}

void AEffEditor::idle() {}

bool AEffEditor::onKeyDown(VstKeyCode&)
{
    return false;
}

bool AEffEditor::onKeyUp(VstKeyCode&)
{
    return false;
}

bool AEffEditor::onWheel(float)
{
    return false;
}

bool AEffEditor::setKnobMode(std::int32_t)
{
    return false;
}
