// Pixel arithmetic shared by the drawing context, off-screen copies and bitmaps.
// Every buffer holds premultiplied B, G, R, A bytes (see PixelBuffer).
#pragma once

#include <cstdint>

#include "gui/ccolor.h"
#include "gui/crect.h"
#include "gui/platform.h"

namespace VSTGUI::pixelops
{

/// The colour as the four bytes a buffer stores (B, G, R, A, premultiplied, rounded).
void storeColor(std::uint8_t* pixel, CColor color);
/// The straight colour of a stored pixel (un-premultiplied, rounded); alpha 0 reads as transparent black.
CColor loadColor(const std::uint8_t* pixel);

/// Source-over of one premultiplied pixel scaled by `opacity` (255 = as it is).
void blendOver(std::uint8_t* dst, const std::uint8_t* src, unsigned opacity);

/// How drawn pixels meet the pixels already there. Copy blends by the colour's alpha; the
/// others combine the colour's red, green and blue with the bytes already stored, channel by
/// channel, as a Windows pen's raster operation does, and leave the pixel opaque.
enum class RasterOp
{
    Copy,   ///< the colour drawn over the destination
    Merge,  ///< destination OR colour
    NotXor, ///< NOT (destination XOR colour)
};

/// One pixel drawn in `color` with `op` (`stored` is storeColor of it, kept by callers in loops).
void applyRaster(std::uint8_t* dst, const std::uint8_t* stored, CColor color, RasterOp op);

/// The part of `area` that lies inside the buffer.
CRect boundToBuffer(CRect area, const PixelBuffer& buffer);

/// Where a copy of a source region lands, after clipping both sides: `source` in the source
/// buffer's coordinates, `dest` the same size in the destination's. Empty when nothing is left.
struct CopyPlan
{
    CRect source;
    CRect dest;
    bool isEmpty() const { return dest.isEmpty(); }
};

/// Plans copying the width x height region starting at `sourceOrigin` of `source` to `destOrigin`,
/// keeping both sides inside their buffers and the destination inside `destClip`, whatever the numbers.
CopyPlan planCopy(const PixelBuffer& source, CPoint sourceOrigin, long width, long height,
                  const PixelBuffer& dest, CPoint destOrigin, const CRect& destClip);

/// How copied pixels meet the destination.
enum class CopyMode
{
    Replace,
    BlendOver,
    SkipKeyColor
};

/// Carries out a plan. BlendOver uses `opacity`; SkipKeyColor leaves out source pixels whose
/// straight red, green and blue equal `key`.
void copyPixels(const PixelBuffer& source, const PixelBuffer& dest, const CopyPlan& plan, CopyMode mode,
                unsigned opacity = 255, CColor key = kTransparentCColor);

} // namespace VSTGUI::pixelops
