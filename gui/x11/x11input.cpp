// Mouse state through XQueryPointer, and the monotonic clock, for the X11 half.
#include "gui/x11/x11input.h"

#include <time.h>

#include "gui/cdrawcontext.h"

namespace VSTGUI
{

long buttonsFromX11State(unsigned int state)
{
    long buttons = 0;
    if (state & Button1Mask) buttons |= kMouseLeftButton;
    if (state & Button2Mask) buttons |= kMouseMiddleButton;
    if (state & Button3Mask) buttons |= kMouseRightButton;
    if (state & ShiftMask) buttons |= kModifierShift;
    if (state & ControlMask) buttons |= kModifierControl;
    if (state & Mod1Mask) buttons |= kModifierAlt;
    if (state & Mod4Mask) buttons |= kModifierSystem;
    return buttons;
}

namespace
{

bool queryPointer(Display* display, Window window, int& x, int& y, unsigned int& state)
{
    if (!display || !window) return false;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0;
    // False only when the pointer is on another screen; the state and position are still filled in.
    XQueryPointer(display, window, &root, &child, &rootX, &rootY, &x, &y, &state);
    return root != 0;
}

} // namespace

long queryMouseButtons(Display* display, Window window)
{
    int x = 0, y = 0;
    unsigned int state = 0;
    if (!queryPointer(display, window, x, y, state)) return 0;
    return buttonsFromX11State(state);
}

CPoint queryPointerPosition(Display* display, Window window)
{
    int x = 0, y = 0;
    unsigned int state = 0;
    if (!queryPointer(display, window, x, y, state)) return CPoint(0, 0);
    return CPoint(x, y);
}

std::uint32_t monotonicTicks()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const auto ms =
        static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

void sleepMilliseconds(std::uint32_t milliseconds)
{
    timespec pause{static_cast<time_t>(milliseconds / 1000),
                   static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&pause, &pause) != 0)
    {
    }
}

} // namespace VSTGUI
