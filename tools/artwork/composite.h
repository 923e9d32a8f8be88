// A picture of the whole editor assembled from the bitmaps as decoded from
// their PNG bytes: what a user sees, for the docs and for our own eyes.
#pragma once

#include "tools/artwork/canvas.h"
#include "tools/artwork/fonts.h"

#include <array>

namespace sorvelt::artwork
{

/// Parameter values shown, normalized as the host sends them.
struct EditorValues
{
    float azimuth;
    float elevation;
    float width;
    float inputFormat;
    float gain;
};

/// The seven decoded bitmaps, resources 128 to 134 in order.
using Bitmaps = std::array<Image, 7>;

/// Draws the editor as its controls would: background, the knob and switch
/// frames for the values, the read-out plates with their black text.
Surface renderComposite(const Fonts& fonts, const Bitmaps& bitmaps, const EditorValues& values);

} // namespace sorvelt::artwork
