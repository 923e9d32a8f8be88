// AEffEditor: the abstract editor an effect owns. The dispatcher's editor
// requests land here; every default answers "not handled".
#pragma once

#include "plugin/aeffect.h"

#include <cstdint>

class AudioEffect;

class AEffEditor
{
public:
    explicit AEffEditor(AudioEffect* effect = nullptr);
    virtual ~AEffEditor() = default;

    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    virtual AudioEffect* getEffect();
    /// Writes the address of the editor's rectangle; the base has none and writes null.
    virtual bool getRect(ERect** rect);
    /// Remembers the host's parent window; the base builds no window and answers false.
    virtual bool open(void* ptr);
    virtual void close();
    virtual bool isOpen();
    virtual void idle();
    virtual bool onKeyDown(VstKeyCode& keyCode);
    virtual bool onKeyUp(VstKeyCode& keyCode);
    virtual bool onWheel(float distance);
    virtual bool setKnobMode(std::int32_t val);

protected:
    AudioEffect* effect; // the owner; not owned
    void* systemWindow;  // the host's parent window while open
};
