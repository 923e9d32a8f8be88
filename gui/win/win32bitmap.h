// Bitmaps on Windows: 32-bit DIB sections with rows bottom-up, drawn with BitBlt, AlphaBlend
// and TransparentBlt (or the fallbacks when msimg32 lacks them).
#pragma once

#include <windows.h>

#include "gui/platform.h"

namespace VSTGUI::win
{

/// The DIB section behind an image made on Windows; null for anything else.
HBITMAP dibOf(const PlatformImage* image);

/// Which way the last Transparent draw went (for tests): 1 the prepared mask, 2 TransparentBlt,
/// 3 a mask made on the spot; 0 before any.
int lastTransparentWay();

} // namespace VSTGUI::win
