// All seven bitmaps of the editor, drawn in resource order.
#pragma once

#include "tools/artwork/canvas.h"
#include "tools/artwork/fonts.h"
#include "tools/artwork/layout.h"

#include <string>
#include <vector>

namespace sorvelt::artwork
{

struct RenderedBitmap
{
    const BitmapLayout* layout;
    Surface surface;
};

/// Bitmaps 128 to 134, in that order.
std::vector<RenderedBitmap> renderBitmaps(const Fonts& fonts);

/// The file name the toolkit loads a bitmap from, e.g. bmp00128.png.
std::string bitmapFileName(int resource);

} // namespace sorvelt::artwork
