// Mouse state and time for the X11 half: the pointer through XQueryPointer, button and
// modifier masks turned into the toolkit's bit set, a monotonic millisecond clock.
#pragma once

#include <cstdint>

#include <X11/Xlib.h>

#include "gui/cpoint.h"

namespace VSTGUI
{

/// Maps an X11 state mask (Button1Mask ..., ShiftMask, ControlMask, Mod1Mask, Mod4Mask)
/// to kMouseLeftButton ... kModifierSystem. Buttons 1, 2, 3 are left, middle, right.
long buttonsFromX11State(unsigned int state);

/// Buttons and modifiers held now (0 when the query fails, e.g. the window is gone).
long queryMouseButtons(Display* display, Window window);
/// The pointer relative to `window` ((0,0) when the query fails).
CPoint queryPointerPosition(Display* display, Window window);

/// Milliseconds of a monotonic clock, truncated to 32 bits like any tick count.
std::uint32_t monotonicTicks();
void sleepMilliseconds(std::uint32_t milliseconds);

} // namespace VSTGUI
