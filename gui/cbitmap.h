// CBitmap: an image identified by a resource number, decoded once from embedded PNG bytes
// into premultiplied 32-bit pixels in the platform's own image form, drawn whole or as one
// frame of a strip.
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
    bool isLoaded() const { return shared || own; }
    /// The pixels (premultiplied B,G,R,A) for writing, in the form a drawing context binds;
    /// empty when not loaded. A decoded image gets such a copy of its own first, so others
    /// sharing an embedded image are untouched.
    PixelBuffer getHandle();
    /// The pixels for reading only: bitmaps of one embedded image all show the one decoding.
    /// `data` is the top row; the stride is negative where the platform keeps decoded rows
    /// bottom-up (Windows).
    PixelBuffer getPixels() const;
    /// The image in the platform's form (Windows: the DIB section); null when not loaded.
    const PlatformImage* getPlatformImage() const { return shared ? shared.get() : own.get(); }
    bool hasAlpha() const { return !noAlpha; }

    /// Prepares the mask drawTransparent then prefers: one flag a pixel of this image's size,
    /// set where the pixels of `context` (target pixels, from `offset` on) equal the transparent
    /// colour; replaces an earlier mask. False (and no mask) without an image or pixels to read.
    bool setTransparencyMask(CDrawContext* context, const CPoint& offset = CPoint(0, 0));

    void setTransparentColor(CColor color) { transparentColor = color; }
    CColor getTransparentColor() const { return transparentColor; }

protected:
    std::int32_t resourceID = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    CColor transparentColor = kTransparentCColor;
    bool noAlpha = true;
    /// The image of this bitmap alone (off-screen images, loadFromPNG, an embedded image written to).
    std::unique_ptr<PlatformImage> own;
    /// An embedded image as decoded once per process, shared by every bitmap showing it.
    std::shared_ptr<const PlatformImage> shared;
    /// The prepared transparency mask (see setTransparencyMask); empty when none.
    std::vector<std::uint8_t> mask;
};

} // namespace VSTGUI
