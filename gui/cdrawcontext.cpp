// CDrawContext's core: construction on a window or a buffer, the drawing state and its
// setters, draw modes per flavour, mouse queries and direct pixel access. The rules live in
// the portable files cdrawcontext*.cpp (clip, shapes, text); a backend (drawbackend.h) only
// renders. A new backend needs nothing from this file beyond createDrawBackend.
#include "gui/cdrawcontext.h"

#include "gui/cframe.h"
#include "gui/pixelops.h"

namespace VSTGUI
{

CDrawContext::CDrawContext(CFrame* frame_, void* systemContext, void* window_) : CDrawContext(frame_)
{
    window = window_;
    if (systemContext) platformWindow = static_cast<PlatformWindow*>(systemContext);
    if (platformWindow)
    {
        platformWindow->beginDrawing();
        drawingOnWindow = true;
        windowLifetime = platformWindow->lifetime();
        bindTarget(platformWindow->getSurface(), platformWindow->getSurfaceDevice());
        applyState();
        onWindow = backend != nullptr;
    }
}

CDrawContext::CDrawContext(CFrame* frame_) : frame(frame_)
{
    if (frame) platformWindow = frame->getPlatformWindow();
    initState();
}

CDrawContext::~CDrawContext()
{
    const bool windowGone = drawingOnWindow && windowLifetime.expired();
    if (windowGone && backend) backend->targetGone();
    // What a window context drew reaches the screen when the pass that made it is over.
    if (needsFlush && onWindow && !windowGone)
    {
        const PixelBuffer pixels = backend->pixels();
        platformWindow->flush(CRect(0, 0, pixels.width, pixels.height));
    }
    // The backend gives back what it selected into the window's device before the window lets
    // go of the device.
    backend.reset();
    if (drawingOnWindow && !windowGone) platformWindow->endDrawing();
}

void CDrawContext::initState()
{
    offset = CPoint(0, 0);
    offsetScreen = CPoint(0, 0);
    resetClipRect();
    frameColor = kWhiteCColor;
    lineStyle = kLineSolid;
    frameWidth = 1;
    fillColor = kBlackCColor;
    fontColor = kWhiteCColor;
    setFont(kFontSystem, 0, 0);
    drawMode = kCopyMode;
}

void CDrawContext::bindTarget(const PixelBuffer& pixels, void* device)
{
    backend = createDrawBackend(pixels, device);
}

void CDrawContext::bindOwnTarget(int width, int height)
{
    backend = createDrawBackend(width, height);
}

void CDrawContext::applyState()
{
    if (!backend) return;
    backend->setClip(clipRect);
    applyLineStyle();
    backend->setBrush(fillColor);
    backend->setTextColor(fontColor);
    backend->setRasterOp(rasterOp());
    applyFont();
}

void CDrawContext::applyLineStyle()
{
    if (backend) backend->setPen(frameColor, frameWidth, lineStyle == kLineOnOffDash);
}

void CDrawContext::setLineStyle(CLineStyle style)
{
    if (style == lineStyle) return;
    lineStyle = style;
    applyLineStyle();
}

void CDrawContext::setLineWidth(long width)
{
    if (width == frameWidth) return;
    frameWidth = static_cast<std::int32_t>(width);
    applyLineStyle();
}

void CDrawContext::setDrawMode(CDrawMode mode)
{
    if (mode == drawMode) return;
    drawMode = mode;
    // Every operation's Paint carries it too (paintFor), for backends that keep no mode.
    if (backend) backend->setRasterOp(rasterOp());
}

RasterOp CDrawContext::rasterOp() const
{
#if !SORVELT_MAC_FLAVOUR
    // GDI's raster operations: 1 the merge pen, 2 the not-xor pen, anything else (3 too) a plain
    // copy. (Quartz has none: on the Mac every mode draws plainly.)
    if (drawMode == kOrMode) return RasterOp::Merge;
    if (drawMode == kXorMode) return RasterOp::NotXor;
#endif
    return RasterOp::Copy;
}

Paint CDrawContext::paintFor(CColor color) const
{
    Paint paint{color, rasterOp()};
#if SORVELT_MAC_FLAVOUR
    // Only the Mac's mode 3 antialiases; GDI shapes never are.
    paint.antialias = drawMode == kAntialias;
#endif
    return paint;
}

void CDrawContext::setFillColor(CColor color)
{
    if (color == fillColor) return;
    fillColor = color;
    if (backend) backend->setBrush(color);
}
void CDrawContext::setFrameColor(CColor color)
{
    if (color == frameColor) return;
    frameColor = color;
    applyLineStyle();
}
void CDrawContext::setFontColor(CColor color)
{
    // Applied at once, without comparing: the target may have had its text colour changed by
    // other code drawing on it.
    fontColor = color;
    if (backend) backend->setTextColor(color);
}

bool CDrawContext::beginPixelAccess(PixelBuffer& pixels, CRect& clipInTarget)
{
    if (!backend) return false;
    pixels = backend->pixels();
    clipInTarget = pixelops::boundToBuffer(clipRect, pixels);
    return true;
}

void CDrawContext::endPixelAccess(const CRect& changed)
{
    if (!backend || changed.isEmpty()) return;
    backend->markDirty(changed);
    touched();
}

void CDrawContext::getMouseLocation(CPoint& point)
{
    if (!platformWindow) return;
    const CPoint p = platformWindow->getPointerPosition();
    point = CPoint(p.x - offsetScreen.x, p.y - offsetScreen.y);
}

long CDrawContext::getMouseButtons()
{
    long buttons = platformWindow ? platformWindow->getMouseButtons() : 0;
#if SORVELT_MAC_FLAVOUR
    // A one-button mouse: a left click with the control key (the system bit) is a right click.
    if ((buttons & kMouseLeftButton) && (buttons & kModifierSystem))
        buttons = (buttons & ~(kMouseLeftButton | kMouseMiddleButton | kModifierSystem)) | kMouseRightButton;
#endif
    return buttons;
}

PixelBuffer CDrawContext::getPixelBuffer()
{
    return backend ? backend->pixels() : PixelBuffer{};
}

CBitmap* CDrawContext::getBitmap()
{
    return nullptr;
}
void CDrawContext::releaseBitmap() {}
void* CDrawContext::getPort()
{
    return backend ? backend->port() : nullptr;
}

} // namespace VSTGUI
