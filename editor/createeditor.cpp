// The editor the plug-in ships: Sorvelt's bitmap window.
#include "editor/createeditor.h"

#include "editor/uhjeditor.h"

AEffGUIEditor* createEditor(AudioEffect* effect)
{
    return new UHJeditor(effect);
}
