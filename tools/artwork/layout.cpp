// Frame selection as the editor's knob and switch do it, so the composite
// picture shows the frames a user would see.
#include "tools/artwork/layout.h"

namespace sorvelt::artwork
{

int animKnobFrame(float value, const BitmapLayout& strip)
{
    if (!(value >= 0.f)) return 0;
    const int total = (strip.frames - 1) * strip.frameHeight;
    const int y = static_cast<int>(value * static_cast<float>(total));
    // The knob snaps down to the frame boundary below y; past the strip it
    // keeps y, which we clamp here since a picture cannot show beyond it.
    const int frame = y / strip.frameHeight;
    return frame < strip.frames ? frame : strip.frames - 1;
}

int switchPicture(float value)
{
    const int k = static_cast<int>(static_cast<float>(kSwitchPositions - 1) * value + 0.5f);
    return k < 0 ? 0 : (k >= kSwitchPositions ? kSwitchPositions - 1 : k);
}

} // namespace sorvelt::artwork
