// Switch and read-out pictures. Both keep transparent corners so the body
// of the editor shows through around their rounded edges.
#include "tools/artwork/controls.h"

#include "tools/artwork/layout.h"
#include "tools/artwork/palette.h"

#include <cmath>

namespace sorvelt::artwork
{

namespace
{

constexpr double kPi = 3.14159265358979323846;

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

// Switch geometry inside its picture.
constexpr double kSlotLeft = 14.0, kSlotWidth = 16.0, kSlotTop = 2.0, kSlotHeight = 56.0;
constexpr double kLeverLeft = 10.0, kLeverWidth = 24.0, kLeverHeight = 14.0;
constexpr double kLampX = 47.5;

void paintLamp(cairo_t* cr, double y, bool lit)
{
    if (lit)
    {
        cairo_pattern_t* glow = cairo_pattern_create_radial(kLampX, y, 1.0, kLampX, y, 7.0);
        addStop(glow, 0.0, Colour{palette::kAccent.r, palette::kAccent.g, palette::kAccent.b, 0.55});
        addStop(glow, 1.0, Colour{palette::kAccent.r, palette::kAccent.g, palette::kAccent.b, 0.0});
        cairo_set_source(cr, glow);
        cairo_arc(cr, kLampX, y, 7.0, 0, 2 * kPi);
        cairo_fill(cr);
        cairo_pattern_destroy(glow);
    }
    setColour(cr, rgb(0x000000, 0.6));
    cairo_arc(cr, kLampX, y, 3.5, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_t* body = cairo_pattern_create_radial(kLampX - 0.8, y - 0.8, 0.3, kLampX, y, 2.6);
    addStop(body, 0.0, lit ? rgb(0xffe2a8) : rgb(0x5a4426));
    addStop(body, 1.0, lit ? palette::kAccent : palette::kLedOff);
    cairo_set_source(cr, body);
    cairo_arc(cr, kLampX, y, 2.6, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(body);
}

} // namespace

void paintSwitch(cairo_t* cr, int position)
{
    cairo_save(cr);

    // The slot the lever runs in: recessed, darker at the top edge.
    roundedRect(cr, kSlotLeft, kSlotTop, kSlotWidth, kSlotHeight, 4.0);
    setColour(cr, palette::kGroove);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1.0);
    setColour(cr, palette::kHighlight);
    cairo_stroke(cr);
    // Notches at the three positions.
    cairo_set_line_width(cr, 1.0);
    setColour(cr, rgb(0xffffff, 0.12));
    for (int p = 0; p < kSwitchPositions; ++p)
    {
        const double y = std::floor(switchRowCentre(p)) + 0.5;
        cairo_move_to(cr, kSlotLeft + 4.0, y);
        cairo_line_to(cr, kSlotLeft + kSlotWidth - 4.0, y);
    }
    cairo_stroke(cr);

    // The lever with its shadow.
    const double top = switchRowCentre(position) - kLeverHeight / 2.0;
    roundedRect(cr, kLeverLeft, top + 1.5, kLeverWidth, kLeverHeight, 3.0);
    setColour(cr, rgb(0x000000, 0.45));
    cairo_fill(cr);
    roundedRect(cr, kLeverLeft, top, kLeverWidth, kLeverHeight, 3.0);
    cairo_pattern_t* metal = cairo_pattern_create_linear(0, top, 0, top + kLeverHeight);
    addStop(metal, 0.0, palette::kCapTop);
    addStop(metal, 1.0, palette::kCapBottom);
    cairo_set_source(cr, metal);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(metal);
    setColour(cr, rgb(0x000000, 0.5));
    cairo_stroke(cr);
    // Grip line across the lever, in the accent.
    const double grip = std::floor(switchRowCentre(position)) + 0.5;
    cairo_set_line_width(cr, 2.0);
    setColour(cr, palette::kAccent);
    cairo_move_to(cr, kLeverLeft + 5.0, grip);
    cairo_line_to(cr, kLeverLeft + kLeverWidth - 5.0, grip);
    cairo_stroke(cr);

    for (int p = 0; p < kSwitchPositions; ++p)
        paintLamp(cr, switchRowCentre(p), p == position);

    cairo_restore(cr);
}

Surface renderSwitchStrip()
{
    return renderStrip(kSwitchStrip.frameWidth, kSwitchStrip.frameHeight, kSwitchStrip.frames, paintSwitch);
}

Surface renderDisplay()
{
    const double w = kDisplayBitmap.frameWidth, h = kDisplayBitmap.frameHeight;
    Surface surface = makeSurface(kDisplayBitmap.frameWidth, kDisplayBitmap.frameHeight);
    Context context = makeContext(surface);
    cairo_t* cr = context.get();

    // Bezel: dark above, a faint light lip below, so the plate sits in the panel.
    roundedRect(cr, 0, 0, w, h, 4.0);
    cairo_pattern_t* bezel = cairo_pattern_create_linear(0, 0, 0, h);
    addStop(bezel, 0.0, rgb(0x000000, 0.75));
    addStop(bezel, 1.0, rgb(0xffffff, 0.16));
    cairo_set_source(cr, bezel);
    cairo_fill(cr);
    cairo_pattern_destroy(bezel);

    roundedRect(cr, 1, 1, w - 2, h - 2, 3.0);
    cairo_pattern_t* glass = cairo_pattern_create_linear(0, 1, 0, h - 1);
    addStop(glass, 0.0, palette::kLcdTop);
    addStop(glass, 1.0, palette::kLcdBottom);
    cairo_set_source(cr, glass);
    cairo_fill(cr);
    cairo_pattern_destroy(glass);

    // Inner shadow along the top edge of the glass.
    cairo_rectangle(cr, 2, 1, w - 4, 2);
    cairo_pattern_t* inner = cairo_pattern_create_linear(0, 1, 0, 3);
    addStop(inner, 0.0, rgb(0x000000, 0.22));
    addStop(inner, 1.0, rgb(0x000000, 0.0));
    cairo_set_source(cr, inner);
    cairo_fill(cr);
    cairo_pattern_destroy(inner);
    return surface;
}

} // namespace sorvelt::artwork
