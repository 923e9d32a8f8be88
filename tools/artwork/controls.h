// The input-format switch and the read-out plate.
#pragma once

#include "tools/artwork/canvas.h"

namespace sorvelt::artwork
{

/// Centre row of each switch position inside its 60-pixel picture; the
/// switch picks a position from thirds of its height, so these are the thirds' middles.
constexpr double switchRowCentre(int position)
{
    return 10.0 + 20.0 * position;
}

/// One switch picture (60 x 60) with the lever at `position` (0 top .. 2 bottom).
void paintSwitch(cairo_t* cr, int position);

/// The three switch pictures, first position on top.
Surface renderSwitchStrip();

/// The read-out plate (40 x 24), on which the editor prints black text.
Surface renderDisplay();

} // namespace sorvelt::artwork
