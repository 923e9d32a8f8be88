// COffscreenContext: a drawing context over a pixel buffer of its own (or a bitmap's),
// copied to and from other contexts; containers draw through it.
#pragma once

#include "gui/cdrawcontext.h"

namespace VSTGUI
{

class COffscreenContext : public CDrawContext
{
public:
    /// A width x height buffer, every pixel painted with `background`, which stays the fill and frame colour.
    COffscreenContext(CFrame* frame, long width, long height, const CColor background = kBlackCColor);
    /// A context of the bitmap's size (20 x 20 without one): drawing into the bitmap's own
    /// pixels when `drawInBitmap`, else into a new buffer that starts as a copy of them.
    COffscreenContext(CDrawContext* context, CBitmap* bitmap, bool drawInBitmap = false);
    ~COffscreenContext() override;

    /// Copies the buffer region at `srcOffset`, of `destRect`'s size, to `destRect` of `dest`
    /// (dest's offset applied, limited to dest's clip).
    void copyFrom(CDrawContext* dest, CRect destRect, CPoint srcOffset = CPoint(0, 0));
    /// Copies `srcRect` of `src` (src's offset applied) into this buffer at `destOffset`.
    void copyTo(CDrawContext* src, CRect& srcRect, CPoint destOffset = CPoint(0, 0));

    long getWidth() const { return width; }
    long getHeight() const { return height; }

    PixelBuffer getPixelBuffer() override;
    CBitmap* getBitmap() override { return bitmap; }
    void releaseBitmap() override;

private:
    long width = 0;
    long height = 0;
    CBitmap* bitmap = nullptr;
};

} // namespace VSTGUI
