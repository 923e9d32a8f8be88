// Knob pictures. The cap, its shadow and the groove are the same in every
// frame and only the pointer and the lit arc move, which keeps the strips
// small once compressed.
#include "tools/artwork/knob.h"

#include "tools/artwork/palette.h"

#include <cmath>

namespace sorvelt::artwork
{

namespace
{

constexpr double kPi = 3.14159265358979323846;
// The knob control's travel: starts at 5pi/4 (lower left) and turns 3pi/2 clockwise.
constexpr double kStartAngle = 5.0 * kPi / 4.0;
constexpr double kRangeAngle = -3.0 * kPi / 2.0;

/// Strokes the ring between two values; cairo's angles run clockwise, ours counter-clockwise.
void ringArc(cairo_t* cr, double c, double radius, Sweep sweep, double from, double to)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, c, c, radius, -pointerAngle(sweep, from), -pointerAngle(sweep, to));
}

void paintShadow(cairo_t* cr, double c, double capRadius)
{
    cairo_pattern_t* shadow =
        cairo_pattern_create_radial(c, c + 1.5, capRadius - 2.0, c, c + 1.5, capRadius + 4.0);
    addStop(shadow, 0.0, palette::kShadow);
    addStop(shadow, 1.0, rgb(0x000000, 0.0));
    cairo_set_source(cr, shadow);
    cairo_arc(cr, c, c + 1.5, capRadius + 4.0, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(shadow);
}

void paintCap(cairo_t* cr, double c, double capRadius)
{
    // Outer skirt lit from above, then a slightly dished face inside it.
    cairo_pattern_t* skirt = cairo_pattern_create_linear(0, c - capRadius, 0, c + capRadius);
    addStop(skirt, 0.0, palette::kCapTop);
    addStop(skirt, 1.0, palette::kCapBottom);
    cairo_set_source(cr, skirt);
    cairo_arc(cr, c, c, capRadius, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(skirt);

    const double face = capRadius - 2.0;
    cairo_pattern_t* dish = cairo_pattern_create_linear(0, c - face, 0, c + face);
    addStop(dish, 0.0, palette::kFaceTop);
    addStop(dish, 1.0, palette::kFaceBottom);
    cairo_set_source(cr, dish);
    cairo_arc(cr, c, c, face, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(dish);

    cairo_set_line_width(cr, 1.0);
    setColour(cr, rgb(0x000000, 0.45));
    cairo_arc(cr, c, c, capRadius - 0.5, 0, 2 * kPi);
    cairo_stroke(cr);
}

} // namespace

double pointerAngle(Sweep sweep, double value)
{
    if (sweep == Sweep::Travel) return kStartAngle + value * kRangeAngle;
    return kPi / 2.0 + (0.5 - value) * 2.0 * kPi;
}

void paintKnob(cairo_t* cr, const KnobStyle& style, double value)
{
    const double c = style.size / 2.0;
    const double ringWidth = 2.5;
    const double ringRadius = c - 1.0 - ringWidth / 2.0;
    const double capRadius = c - 8.0;

    cairo_save(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_GOOD);

    paintShadow(cr, c, capRadius);

    // The groove shows the whole travel; a compass has no ends.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_width(cr, ringWidth);
    setColour(cr, palette::kGroove);
    if (style.sweep == Sweep::FullCircle)
    {
        cairo_arc(cr, c, c, ringRadius, 0, 2 * kPi);
    }
    else
    {
        ringArc(cr, c, ringRadius, style.sweep, 0.0, 1.0);
    }
    cairo_stroke(cr);

    // The lit arc from the origin to the value, with a faint glow under it.
    const double origin = style.origin == ArcOrigin::Centre ? 0.5 : 0.0;
    const double lo = std::min(origin, value);
    const double hi = std::max(origin, value);
    if (hi > lo)
    {
        cairo_set_line_width(cr, ringWidth + 2.0);
        setColour(cr, Colour{palette::kAccent.r, palette::kAccent.g, palette::kAccent.b, 0.18});
        ringArc(cr, c, ringRadius, style.sweep, lo, hi);
        cairo_stroke(cr);
        cairo_set_line_width(cr, ringWidth);
        setColour(cr, palette::kAccent);
        ringArc(cr, c, ringRadius, style.sweep, lo, hi);
        cairo_stroke(cr);
    }

    // A centred knob marks its centre on the ring: front for azimuth, level for elevation.
    if (style.origin == ArcOrigin::Centre)
    {
        cairo_set_line_width(cr, 1.0);
        setColour(cr, rgb(0xffffff, 0.55));
        cairo_move_to(cr, c, c - ringRadius - ringWidth / 2.0 - 1.0);
        cairo_line_to(cr, c, c - ringRadius + ringWidth / 2.0);
        cairo_stroke(cr);
    }

    paintCap(cr, c, capRadius);

    // The pointer on the cap.
    const double a = pointerAngle(style.sweep, value);
    const double inner = capRadius * 0.3;
    const double outer = capRadius - 3.0;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 2.0);
    setColour(cr, palette::kPointer);
    cairo_move_to(cr, c + inner * std::cos(a), c - inner * std::sin(a));
    cairo_line_to(cr, c + outer * std::cos(a), c - outer * std::sin(a));
    cairo_stroke(cr);

    cairo_restore(cr);
}

Surface renderKnobStrip(const KnobStyle& style, const BitmapLayout& strip)
{
    return renderStrip(
        strip.frameWidth, strip.frameHeight, strip.frames,
        [&](cairo_t* cr, int k)
        { paintKnob(cr, style, strip.frames > 1 ? static_cast<double>(k) / (strip.frames - 1) : 0.0); });
}

} // namespace sorvelt::artwork
