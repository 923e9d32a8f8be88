// COffscreenContext: a drawing context over its own pixel buffer or a bitmap's pixels.
#include "gui/coffscreencontext.h"

#include <cstring>

#include "gui/cbitmap.h"
#include "gui/pixelops.h"

namespace VSTGUI
{

namespace
{

/// Anything larger is a caller's mistake; refusing it keeps an allocation from taking the host down.
constexpr long kMaxSide = 32768;

bool sensibleSize(long width, long height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide;
}

} // namespace

COffscreenContext::COffscreenContext(CFrame* frame, long width_, long height_, const CColor background)
    : CDrawContext(frame), width(width_), height(height_)
{
    if (sensibleSize(width, height))
    {
        // The backend's own pixels: the platform's native buffer (on Windows a DIB section).
        bindOwnTarget(static_cast<int>(width), static_cast<int>(height));
        applyState();
    }
    setClipRect(CRect(0, 0, width, height));
    setFillColor(background);
    setFrameColor(background);
    // The fill leaves out the top row and left column; the outline covers them.
    const CRect all(0, 0, width, height);
    fillRect(all);
    drawRect(all, kDrawStroked);
}

COffscreenContext::COffscreenContext(CDrawContext* context, CBitmap* bitmap_, bool drawInBitmap)
    : CDrawContext(context ? context->getFrame() : nullptr), bitmap(bitmap_)
{
    width = bitmap ? bitmap->getWidth() : 20;
    height = bitmap ? bitmap->getHeight() : 20;
    if (bitmap) bitmap->remember();
    PixelBuffer source = bitmap ? bitmap->getHandle() : PixelBuffer{};
    if (drawInBitmap && source.isValid())
    {
        bindTarget(source);
    }
    else if (sensibleSize(width, height))
    {
        bindOwnTarget(static_cast<int>(width), static_cast<int>(height));
        PixelBuffer buffer;
        CRect all;
        if (source.isValid() && beginPixelAccess(buffer, all))
        {
            for (int y = 0; y < buffer.height; ++y)
                std::memcpy(buffer.pixel(0, y), source.pixel(0, y), static_cast<std::size_t>(width) * 4);
            endPixelAccess(CRect(0, 0, buffer.width, buffer.height));
        }
    }
    applyState();
    setClipRect(CRect(0, 0, width, height));
}

COffscreenContext::~COffscreenContext()
{
    if (bitmap) bitmap->forget();
}

void COffscreenContext::releaseBitmap() {}

PixelBuffer COffscreenContext::getPixelBuffer()
{
    return CDrawContext::getPixelBuffer();
}

void COffscreenContext::copyFrom(CDrawContext* dest, CRect destRect, CPoint srcOffset)
{
    if (!dest) return;
    PixelBuffer source = getPixelBuffer();
    PixelBuffer target;
    CRect clip;
    if (!source.isValid() || !dest->beginPixelAccess(target, clip)) return;
    destRect.offset(dest->offset.x, dest->offset.y);
    const auto plan = pixelops::planCopy(source, srcOffset, destRect.width(), destRect.height(), target,
                                         CPoint(destRect.left, destRect.top), clip);
    pixelops::copyPixels(source, target, plan, pixelops::CopyMode::Replace);
    dest->endPixelAccess(plan.dest);
}

void COffscreenContext::copyTo(CDrawContext* src, CRect& srcRect, CPoint destOffset)
{
    if (!src || src == this) return;
    PixelBuffer source = src->getPixelBuffer();
    PixelBuffer target;
    CRect clip;
    if (!source.isValid() || !beginPixelAccess(target, clip)) return;
    const CPoint origin(static_cast<long>(srcRect.left) + src->offset.x,
                        static_cast<long>(srcRect.top) + src->offset.y);
    const auto plan =
        pixelops::planCopy(source, origin, srcRect.width(), srcRect.height(), target, destOffset, clip);
    pixelops::copyPixels(source, target, plan, pixelops::CopyMode::Replace);
    endPixelAccess(plan.dest);
}

} // namespace VSTGUI
