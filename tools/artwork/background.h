// The editor's body: title, printed labels and the panel decoration.
#pragma once

#include "tools/artwork/canvas.h"
#include "tools/artwork/fonts.h"
#include "tools/artwork/layout.h"
#include "tools/artwork/palette.h"

#include <string>
#include <vector>

namespace sorvelt::artwork
{

enum class Align
{
    Left,
    Centre,
    Right
};

/// One line of printed text; x is the left edge, centre or right edge per `align`.
struct TextItem
{
    std::string text;
    bool bold;
    double size;
    double tracking; ///< extra pixels after each character
    double x;
    double baseline;
    Align align;
    Colour colour;
};

/// Every text printed on the background.
const std::vector<TextItem>& backgroundTexts();

/// Ink bounds of a text as it is drawn, rounded out to whole pixels.
Rect measureText(cairo_t* cr, const Fonts& fonts, const TextItem& item);

void drawText(cairo_t* cr, const Fonts& fonts, const TextItem& item);

/// The 420 x 200 background, fully opaque.
Surface renderBackground(const Fonts& fonts);

} // namespace sorvelt::artwork
