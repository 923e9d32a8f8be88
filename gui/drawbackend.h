// The drawing seam: what CDrawContext asks of a rendering backend. The rules (offsets, clip
// bookkeeping, which pixels a rectangle covers, thin-pen walks, text layout, draw modes per
// flavour) stay in the portable CDrawContext, and a backend such as cairo only renders
// primitives into pixels.
//
// A platform whose own calls carry the rules (GDI: its pens, brushes, lines, text boxes and
// flood fill) keeps its pen, brush, text colour and raster operation as state, set when the
// context's state changes, and answers the optional operations below with true; a backend that
// answers false leaves them to the context's portable rules (cairo does).
//
// A backend must provide: createDrawBackend (binding to a caller's pixel bytes, or to pixels of
// its own that the platform can draw into natively), current pixels and dirty marking for
// direct pixel writes, a clip with a nested narrowing for text, the pen's width and style, fonts
// by face name, rectangle, polygon, ellipse and arc fills and strokes in a Paint (colour, raster
// operation, antialiasing), and text measuring and drawing at a baseline. gui/cairo/ implements
// it for Linux and headless; gui/win/ for GDI.
#pragma once

#include <cstdint>
#include <memory>

#include "gui/ccolor.h"
#include "gui/cpoint.h"
#include "gui/crect.h"
#include "gui/pixelops.h"
#include "gui/platform.h"

namespace VSTGUI
{

using pixelops::RasterOp;

/// Everything a fill or a stroke needs besides its geometry. A raster operation other than Copy
/// is never antialiased; its pixels are those pixelops::applyRaster gives.
struct Paint
{
    CColor color;
    RasterOp op = RasterOp::Copy;
    bool antialias = false;
};

/// Vertical metrics of the current font, in pixels (the context rounds them).
struct FontMetrics
{
    double ascent = 0;
    double descent = 0;
};

/// Every coordinate here is in target pixels (the context has already added its offset).
class DrawBackend
{
public:
    virtual ~DrawBackend() = default;

    /// The target's bytes, with every pending drawing operation already written to them.
    virtual PixelBuffer pixels() = 0;
    /// `changed` was written directly through pixels(); the backend must not keep a stale copy.
    virtual void markDirty(const CRect& changed) = 0;
    /// The platform drawing target as an opaque handle (cairo: its surface; GDI: a memory device
    /// context whose selected DIB section holds exactly the bytes pixels() gives, clipped to the
    /// clip, so that bitmaps can be blitted or blended onto it). Drawing done through it needs no
    /// markDirty; reading pixels() afterwards sees it.
    virtual void* port() = 0;

    /// The bytes and device the backend was bound to are gone (their window was destroyed):
    /// it must not touch them again, not even when it is destroyed.
    virtual void targetGone() {}

    /// Every later operation is limited to `clip`.
    virtual void setClip(const CRect& clip) = 0;
    /// Narrows the clip further until the matching popClip (text boxes clip to their rectangle).
    virtual void pushClip(const CRect& clip) = 0;
    virtual void popClip() = 0;

    /// Pen for strokeLine, strokeEllipse, strokeArc and polyline (at least 1 pixel wide); called
    /// when the frame colour, line width or line style changes. A backend that draws each
    /// operation in its Paint's colour may ignore `color`.
    virtual void setPen(CColor color, int width, bool dashed) = 0;
    /// Selects a face by name ("Arial", "Helvetica", "Symbol"). `height` as a Windows font
    /// height: negative, the character (em) height in pixels; positive, the cell height
    /// (ascent plus descent), so that text is upright and sized either way. `underline` is for
    /// a platform font that underlines itself (drawTextBox); the context's own layout draws it.
    virtual void setFont(const char* face, long height, bool bold, bool italic, bool underline) = 0;
    /// The fill colour changed: the brush of fills, and the background of opaque text.
    virtual void setBrush(CColor color) { (void)color; }
    /// The font colour, set every time the context is asked to (no comparison).
    virtual void setTextColor(CColor color) { (void)color; }
    /// The draw mode's raster operation, for a platform that keeps it as state.
    virtual void setRasterOp(RasterOp op) { (void)op; }

    /// Fills exactly the pixels of `rect` (no platform brush rule: the context has applied it).
    virtual void fillRect(const CRect& rect, const Paint& paint) = 0;
    virtual void fillPolygon(const CPoint* points, long count, const Paint& paint) = 0;
    /// A wide or antialiased line from centre of pixel to centre of pixel; one-pixel pens are
    /// walked by the context itself so that their pixels are exact on every backend.
    virtual void strokeLine(const CPoint& from, const CPoint& to, const Paint& paint) = 0;
    virtual void fillEllipse(const CRect& bounds, const Paint& paint) = 0;
    virtual void strokeEllipse(const CRect& bounds, const Paint& paint) = 0;
    /// Angles in degrees, counter-clockwise from 3 o'clock, y up.
    virtual void fillPie(const CRect& bounds, float startAngle, float endAngle, const Paint& paint) = 0;
    virtual void strokeArc(const CRect& bounds, float startAngle, float endAngle, const Paint& paint) = 0;

    // Optional operations: true when the platform did it with its own rules; false and the
    // context does it on the pixels.

    /// A connected line through `count` points with the pen, each segment's last pixel left out.
    virtual bool polyline(const CPoint* points, long count)
    {
        (void)points;
        (void)count;
        return false;
    }
    /// `text` on one line, vertically centred in `box`; `align` 0 left (starting one pixel in),
    /// 1 centre, 2 right; clipped to the box; with the fill colour behind it when `opaque`.
    virtual bool drawTextBox(const char* text, const CRect& box, int align, bool opaque)
    {
        (void)text;
        (void)box;
        (void)align;
        (void)opaque;
        return false;
    }
    /// One pixel set to `color`, inside the clip.
    virtual bool setPixel(const CPoint& point, CColor color)
    {
        (void)point;
        (void)color;
        return false;
    }
    /// The colour of one pixel inside the clip.
    virtual bool getPixel(const CPoint& point, CColor& color)
    {
        (void)point;
        (void)color;
        return false;
    }
    /// The area of the colour found at `start` filled with the brush.
    virtual bool floodFill(const CPoint& start)
    {
        (void)start;
        return false;
    }

    /// Advance width of 8-bit text (Windows-1252 or UTF-8) in the current font.
    virtual long textWidth(const char* text) = 0;
    virtual FontMetrics fontMetrics() = 0;
    /// Draws text antialiased with its baseline's left end at (x, baseline).
    virtual void drawText(const char* text, long x, long baseline, CColor color) = 0;
};

/// A backend drawing into `pixels` (the bytes outlive it), or null when it cannot. `device` is
/// the platform's own drawing device over exactly those bytes, when the caller has one
/// (PlatformWindow::getSurfaceDevice; GDI: a win::GdiDevice); without it a backend that can
/// only draw into its own kind of buffer (GDI) keeps a copy and keeps the two in step.
/// Chosen at link time like createPlatform: the cairo backend on Linux, the GDI one on Windows.
std::unique_ptr<DrawBackend> createDrawBackend(const PixelBuffer& pixels, void* device = nullptr);
/// A backend over width x height pixels of its own, all zero at first (transparent black), in
/// the platform's native kind of buffer (GDI: a DIB section); null for a size it cannot make.
std::unique_ptr<DrawBackend> createDrawBackend(int width, int height);

} // namespace VSTGUI
