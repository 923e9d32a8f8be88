// Showing drawn pixels in an X11 window: a rectangle of a PixelBuffer put onto a drawable.
#pragma once

#include <X11/Xlib.h>

#include "gui/crect.h"
#include "gui/platform.h"

namespace VSTGUI
{

/// Copies `rect` of `pixels` (clipped to the buffer) to the same place in `drawable`.
/// Handles 24- and 32-bit TrueColor visuals; answers false when the visual is not one of them.
bool putPixels(Display* display, Drawable drawable, GC gc, Visual* visual, int depth,
               const PixelBuffer& pixels, const CRect& rect);

} // namespace VSTGUI
