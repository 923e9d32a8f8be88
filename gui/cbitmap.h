// CBitmap: an image identified by a resource number, decoded once from embedded PNG bytes
// into premultiplied 32-bit pixels, drawn whole or as one frame of a strip.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "gui/ccolor.h"
#include "gui/cpoint.h"
#include "gui/crect.h"
#include "gui/creferencecounter.h"
#include "gui/platform.h"

namespace VSTGUI
{

class CDrawContext;
class CFrame;

class CBitmap : public CReferenceCounter
{
public:
    /// Loads the embedded image `resourceID`; a missing or broken one leaves an empty bitmap.
    explicit CBitmap(long resourceID);
    /// An empty (transparent black) image of that size, to draw into.
    CBitmap(CFrame& frame, long width, long height);
    CBitmap();
    ~CBitmap() override;

    /// The region of the size of `rect` that starts at `offset` (source pixels) goes to `rect`.
    virtual void draw(CDrawContext* context, CRect& rect, const CPoint& offset = CPoint(0, 0));
    /// As draw, leaving out the pixels equal to transparentColor when the image has no alpha.
    virtual void drawTransparent(CDrawContext* context, CRect& rect, const CPoint& offset = CPoint(0, 0));
    /// Source-over with per-pixel alpha times the overall opacity `alpha`.
    virtual void drawAlphaBlend(CDrawContext* context, CRect& rect, const CPoint& offset = CPoint(0, 0),
                                unsigned char alpha = 128);
    virtual void dispose();
    virtual bool loadFromResource(long resourceID);
    /// Linux has no path-named images: disposes and answers false.
    virtual bool loadFromPath(const void* platformPath);

    /// Decodes PNG bytes (what loadFromResource does with the embedded ones). A truncated or
    /// corrupt file fails cleanly: false, nothing loaded, size 0x0.
    bool loadFromPNG(const unsigned char* bytes, std::size_t size);

    long getWidth() const { return width; }
    long getHeight() const { return height; }
    long getResourceID() const { return resourceID; }
    bool isLoaded() const { return shared || !pixels.empty(); }
    /// The decoded pixels (premultiplied B,G,R,A, rows top-down) for writing; empty when not
    /// loaded. An embedded image gets a copy of its own first, so others sharing it are untouched.
    PixelBuffer getHandle();
    /// The same pixels for reading only: bitmaps of one embedded image all show the one decoding.
    PixelBuffer getPixels() const;
    bool hasAlpha() const { return !noAlpha; }

    void setTransparentColor(CColor color) { transparentColor = color; }
    CColor getTransparentColor() const { return transparentColor; }

protected:
    std::int32_t resourceID = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    CColor transparentColor = kTransparentCColor;
    bool noAlpha = true;
    /// Pixels of this bitmap alone (off-screen images, loadFromPNG, an embedded image written to).
    std::vector<std::uint8_t> pixels;
    /// An embedded image as decoded once per process, shared by every bitmap showing it.
    std::shared_ptr<const std::vector<std::uint8_t>> shared;
};

} // namespace VSTGUI
