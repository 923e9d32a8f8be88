// The read-out texts are formatted as the editor's converters format them,
// in the small standard font (Arial 11 on Windows; Liberation Sans here).
#include "tools/artwork/composite.h"

#include "tools/artwork/layout.h"

#include <cstdio>

namespace sorvelt::artwork
{

namespace
{

void blit(cairo_t* cr, const Image& image, const Rect& at, int sourceY)
{
    Surface source = toSurface(image);
    cairo_save(cr);
    cairo_rectangle(cr, at.left, at.top, at.width(), at.height());
    cairo_clip(cr);
    cairo_set_source_surface(cr, source.get(), at.left, at.top - sourceY);
    cairo_paint(cr);
    cairo_restore(cr);
}

void knob(cairo_t* cr, const Image& strip, const BitmapLayout& layout, const Rect& at, float value)
{
    blit(cr, strip, at, animKnobFrame(value, layout) * layout.frameHeight);
}

void readout(cairo_t* cr, const Fonts& fonts, const Image& plate, const Rect& at, const char* text)
{
    blit(cr, plate, at, 0);
    fonts.select(cr, false, 11.0);
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    cairo_text_extents_t te;
    cairo_text_extents(cr, text, &te);
    // Single line, centred both ways within the read-out, as the editor draws it.
    const double x = static_cast<int>(at.left + (at.width() - te.x_advance) / 2.0);
    const double baseline = static_cast<int>(at.top + (at.height() + fe.ascent - fe.descent) / 2.0);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, text);
}

} // namespace

Surface renderComposite(const Fonts& fonts, const Bitmaps& bitmaps, const EditorValues& v)
{
    Surface surface = makeSurface(kEditorWidth, kEditorHeight);
    Context context = makeContext(surface);
    cairo_t* cr = context.get();

    blit(cr, bitmaps[0], {0, 0, kEditorWidth, kEditorHeight}, 0);
    knob(cr, bitmaps[1], kAzimuthStrip, kAzimuthKnob, v.azimuth);
    knob(cr, bitmaps[2], kElevationStrip, kElevationKnob, v.elevation);
    knob(cr, bitmaps[3], kWidthStrip, kWidthKnob, v.width);
    knob(cr, bitmaps[4], kGainStrip, kGainKnob, v.gain);
    blit(cr, bitmaps[5], kInputSwitch, switchPicture(v.inputFormat) * kSwitchStrip.frameHeight);

    char text[32];
    std::snprintf(text, sizeof text, "%d", static_cast<int>((0.5f - v.azimuth) * 360.0));
    readout(cr, fonts, bitmaps[6], kAzimuthDisplay, text);
    std::snprintf(text, sizeof text, "%.1f", static_cast<float>((v.elevation - 0.5) * 180.0));
    readout(cr, fonts, bitmaps[6], kElevationDisplay, text);
    std::snprintf(text, sizeof text, "%d", static_cast<int>(v.width * 180.0));
    readout(cr, fonts, bitmaps[6], kWidthDisplay, text);
    std::snprintf(text, sizeof text, "%d%%", static_cast<int>(v.gain * 100.f + 0.5f));
    readout(cr, fonts, bitmaps[6], kGainDisplay, text);
    return surface;
}

} // namespace sorvelt::artwork
