// The drawing seam: what CDrawContext asks of a rendering backend. The rules (offsets, clip
// bookkeeping, which pixels a rectangle covers, thin-pen walks, text layout, draw modes per
// flavour) stay in the portable CDrawContext; a backend only renders primitives into pixels.
//
// A backend must provide: createDrawBackend (binding to a caller's pixel bytes, or to pixels of
// its own that the platform can draw into natively), current pixels
// and dirty marking for direct pixel writes, a clip with a nested narrowing for text, the line
// width and style for wide pens, fonts by face name, rectangle, polygon, ellipse and arc fills
// and strokes in a Paint (colour, raster operation, antialiasing), and text measuring and
// drawing at a baseline. gui/cairo/ implements it for Linux and headless; gui/win/ for GDI.
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

    /// Every later operation is limited to `clip`.
    virtual void setClip(const CRect& clip) = 0;
    /// Narrows the clip further until the matching popClip (text boxes clip to their rectangle).
    virtual void pushClip(const CRect& clip) = 0;
    virtual void popClip() = 0;

    /// Pen for strokeLine, strokeEllipse and strokeArc (at least 1 pixel wide).
    virtual void setLine(int width, bool dashed) = 0;
    /// Selects a face by name ("Arial", "Helvetica", "Symbol"). `height` as a Windows font
    /// height: negative, the character (em) height in pixels; positive, the cell height
    /// (ascent plus descent), so that text is upright and sized either way.
    virtual void setFont(const char* face, long height, bool bold, bool italic) = 0;

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
