// No editor: for a build that has no toolkit platform half to draw one with. The host
// then sees no editor flag, and every editor request answers 0.
#include "editor/createeditor.h"

AEffGUIEditor* createEditor(AudioEffect*)
{
    return nullptr;
}
