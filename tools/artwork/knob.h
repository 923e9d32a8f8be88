// The animated knobs: one picture per value, stacked into a strip.
#pragma once

#include "tools/artwork/canvas.h"
#include "tools/artwork/layout.h"

namespace sorvelt::artwork
{

/// How a knob's pointer turns with its value.
enum class Sweep
{
    Travel,     ///< the knob's own 270 degrees, clockwise from 7:30 through the top to 4:30
    FullCircle, ///< a compass: 0.5 points up (front), 0.25 left, 0.75 right, 0 and 1 down (behind)
};

/// Where the lit arc starts: at the low end, or at the top for values that swing both ways.
enum class ArcOrigin
{
    Minimum,
    Centre
};

struct KnobStyle
{
    int size;
    Sweep sweep;
    ArcOrigin origin;
};

constexpr KnobStyle kAzimuthKnobStyle{45, Sweep::FullCircle, ArcOrigin::Centre};
constexpr KnobStyle kElevationKnobStyle{45, Sweep::Travel, ArcOrigin::Centre};
constexpr KnobStyle kWidthKnobStyle{50, Sweep::Travel, ArcOrigin::Minimum};
constexpr KnobStyle kGainKnobStyle{50, Sweep::Travel, ArcOrigin::Minimum};

/// Pointer direction for a value, in radians counter-clockwise from 3 o'clock.
double pointerAngle(Sweep sweep, double value);

/// Paints one knob picture into (0, 0, size, size); outside the knob stays transparent.
void paintKnob(cairo_t* cr, const KnobStyle& style, double value);

/// The whole strip: frame k of N shows value k / (N - 1).
Surface renderKnobStrip(const KnobStyle& style, const BitmapLayout& strip);

} // namespace sorvelt::artwork
