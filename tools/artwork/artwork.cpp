#include "tools/artwork/artwork.h"

#include "tools/artwork/background.h"
#include "tools/artwork/controls.h"
#include "tools/artwork/knob.h"

#include <cstdio>

namespace sorvelt::artwork
{

std::vector<RenderedBitmap> renderBitmaps(const Fonts& fonts)
{
    std::vector<RenderedBitmap> bitmaps;
    bitmaps.push_back({&kBackgroundBitmap, renderBackground(fonts)});
    bitmaps.push_back({&kAzimuthStrip, renderKnobStrip(kAzimuthKnobStyle, kAzimuthStrip)});
    bitmaps.push_back({&kElevationStrip, renderKnobStrip(kElevationKnobStyle, kElevationStrip)});
    bitmaps.push_back({&kWidthStrip, renderKnobStrip(kWidthKnobStyle, kWidthStrip)});
    bitmaps.push_back({&kGainStrip, renderKnobStrip(kGainKnobStyle, kGainStrip)});
    bitmaps.push_back({&kSwitchStrip, renderSwitchStrip()});
    bitmaps.push_back({&kDisplayBitmap, renderDisplay()});
    return bitmaps;
}

std::string bitmapFileName(int resource)
{
    char name[32];
    std::snprintf(name, sizeof name, "bmp%05d.png", resource);
    return name;
}

} // namespace sorvelt::artwork
