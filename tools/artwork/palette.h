// One palette for the whole editor: charcoal body, warm amber accent, cream
// read-outs that keep the editor's black text easy to read.
#pragma once

#include <cairo.h>

namespace sorvelt::artwork
{

/// A straight (not premultiplied) colour with opacity, channels 0..1.
struct Colour
{
    double r, g, b, a;
};

constexpr Colour rgb(unsigned hex, double alpha = 1.0)
{
    return {((hex >> 16) & 0xff) / 255.0, ((hex >> 8) & 0xff) / 255.0, (hex & 0xff) / 255.0, alpha};
}

inline void setColour(cairo_t* cr, const Colour& c)
{
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
}
inline void addStop(cairo_pattern_t* p, double offset, const Colour& c)
{
    cairo_pattern_add_color_stop_rgba(p, offset, c.r, c.g, c.b, c.a);
}

namespace palette
{
constexpr Colour kBodyTop = rgb(0x2d3036);
constexpr Colour kBodyBottom = rgb(0x1f2125);
constexpr Colour kTitleBar = rgb(0x16171a);
constexpr Colour kAccent = rgb(0xf0a23a);
constexpr Colour kAccentDim = rgb(0x8a5d22);
constexpr Colour kTitleText = rgb(0xf2f2f0);
constexpr Colour kLabelText = rgb(0xc9ccd1);
constexpr Colour kQuietText = rgb(0x7d828a);
constexpr Colour kGroove = rgb(0x0c0d0f, 0.85);
constexpr Colour kHighlight = rgb(0xffffff, 0.07);
constexpr Colour kCapTop = rgb(0x676d77);
constexpr Colour kCapBottom = rgb(0x2a2e34);
constexpr Colour kFaceTop = rgb(0x383c43);
constexpr Colour kFaceBottom = rgb(0x4a5059);
constexpr Colour kPointer = rgb(0xf6f4ef);
constexpr Colour kShadow = rgb(0x000000, 0.55);
constexpr Colour kLcdTop = rgb(0xf3ecd5);
constexpr Colour kLcdBottom = rgb(0xddd3b4);
constexpr Colour kLedOff = rgb(0x3a2a14);
} // namespace palette

} // namespace sorvelt::artwork
