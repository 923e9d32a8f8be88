// CDrawContext's lines and shapes: the pixel rules that hold on every backend. Offsets are
// added here, the Windows and Mac rectangle rules are applied here, and, where the platform has
// no lines of its own (cairo; GDI draws its own), one-pixel pens are walked here pixel by pixel
// like a Windows cosmetic pen; the backend fills and strokes what it is handed (drawbackend.h).
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <vector>

#include "gui/cdrawcontext.h"
#include "gui/pixelops.h"

namespace VSTGUI
{

namespace
{

/// Grows `changed` to include pixel (x, y).
void include(CRect& changed, long x, long y)
{
    changed.left = std::min<std::int32_t>(changed.left, static_cast<std::int32_t>(x));
    changed.top = std::min<std::int32_t>(changed.top, static_cast<std::int32_t>(y));
    changed.right = std::max<std::int32_t>(changed.right, static_cast<std::int32_t>(x + 1));
    changed.bottom = std::max<std::int32_t>(changed.bottom, static_cast<std::int32_t>(y + 1));
}

} // namespace

void CDrawContext::strokeSegment(const CPoint& from, const CPoint& to, bool includeEnd)
{
    if (!backend) return;
    const CPoint segment[2] = {from, to};
    if (!includeEnd && backend->polyline(segment, 2))
    {
        touched();
        return;
    }
    const Paint paint = paintFor(frameColor);
    // Absurdly long segments go to the backend, which clips before it walks; the pixel walk would not.
    const long spanX = std::labs(static_cast<long>(to.x) - from.x),
               spanY = std::labs(static_cast<long>(to.y) - from.y);
    const bool huge = spanX > 65536 || spanY > 65536;
    if (frameWidth > 1 || paint.antialias || huge)
    {
        backend->strokeLine(from, to, paint);
        touched();
        return;
    }
    // A one-pixel pen: Bresenham's walk, the last pixel left out unless asked for.
    PixelBuffer pixels;
    CRect clip;
    beginPixelAccess(pixels, clip);
    std::uint8_t color[4];
    pixelops::storeColor(color, frameColor);
    long x = from.x, y = from.y;
    const long dx = spanX, dy = -spanY;
    const long sx = from.x < to.x ? 1 : -1, sy = from.y < to.y ? 1 : -1;
    long err = dx + dy;
    long step = 0;
    CRect changed(clip.right, clip.bottom, clip.left, clip.top);
    while (true)
    {
        const bool atEnd = x == to.x && y == to.y;
        if (atEnd && !includeEnd) break;
        const bool dashOn = lineStyle == kLineSolid || (step % 2) == 0;
        if (dashOn && clip.pointInside(CPoint(x, y)))
        {
            pixelops::applyRaster(pixels.pixel(static_cast<int>(x), static_cast<int>(y)), color, frameColor,
                                  paint.op);
            include(changed, x, y);
        }
        if (atEnd) break;
        ++step;
        const long e2 = 2 * err;
        if (e2 >= dy)
        {
            err += dy;
            x += sx;
        }
        if (e2 <= dx)
        {
            err += dx;
            y += sy;
        }
    }
    endPixelAccess(changed);
}

bool CDrawContext::platformPolyline(const CPoint* points, long count, bool closed)
{
    if (!backend || count < 2) return false;
    std::vector<CPoint> path(points, points + count);
    if (closed) path.push_back(points[0]);
    for (CPoint& p : path)
        p.offset(offset.x, offset.y);
    if (!backend->polyline(path.data(), static_cast<long>(path.size()))) return false;
    touched();
    return true;
}

void CDrawContext::moveTo(const CPoint& point)
{
    penLoc = point;
    penLoc.offset(offset.x, offset.y);
}

void CDrawContext::lineTo(const CPoint& point)
{
    CPoint to = point;
    to.offset(offset.x, offset.y);
    strokeSegment(penLoc, to, false);
    penLoc = to;
}

void CDrawContext::drawLines(const CPoint* points, const long& numberOfLines)
{
    if (!points) return;
    for (long i = 0; i < numberOfLines; ++i)
    {
        moveTo(points[2 * i]);
        lineTo(points[2 * i + 1]);
    }
}

void CDrawContext::polyLine(const CPoint* points, long numberOfPoints)
{
    if (!points) return;
    if (platformPolyline(points, numberOfPoints, false)) return;
    for (long i = 1; i < numberOfPoints; ++i)
    {
        CPoint a = points[i - 1], b = points[i];
        a.offset(offset.x, offset.y);
        b.offset(offset.x, offset.y);
        strokeSegment(a, b, false);
    }
}

void CDrawContext::fillPolygon(const CPoint* points, long numberOfPoints)
{
    if (!points || numberOfPoints < 3 || !backend) return;
    std::vector<CPoint> shifted(points, points + numberOfPoints);
    for (CPoint& p : shifted)
        p.offset(offset.x, offset.y);
    backend->fillPolygon(shifted.data(), numberOfPoints, paintFor(fillColor));
    touched();
}

void CDrawContext::drawPolygon(const CPoint* points, long numberOfPoints, CDrawStyle drawStyle)
{
    if (!points || numberOfPoints < 2) return;
    if (drawStyle != kDrawStroked) fillPolygon(points, numberOfPoints);
    if (drawStyle != kDrawFilled && !platformPolyline(points, numberOfPoints, true))
    {
        polyLine(points, numberOfPoints);
        CPoint last = points[numberOfPoints - 1], first = points[0];
        last.offset(offset.x, offset.y);
        first.offset(offset.x, offset.y);
        strokeSegment(last, first, false);
    }
}

void CDrawContext::fillRect(const CRect& rect)
{
    CRect r = rect;
    r.offset(offset.x, offset.y);
#if !SORVELT_MAC_FLAVOUR
    // A Windows brush leaves out the top row and the left column.
    r.left += 1;
    r.top += 1;
#endif
    if (r.isEmpty() || !backend) return;
    backend->fillRect(r, paintFor(fillColor));
    touched();
}

void CDrawContext::drawRect(const CRect& rect, CDrawStyle drawStyle)
{
    CRect r = rect;
    r.offset(offset.x, offset.y);
    if (drawStyle != kDrawStroked && !r.isEmpty() && backend)
    {
        backend->fillRect(r, paintFor(fillColor));
        touched();
    }
    if (drawStyle != kDrawFilled)
    {
        // As a Windows frame is drawn: from the top-left corner round to it again.
        const CPoint corners[5] = {CPoint(r.left, r.top), CPoint(r.right - 1, r.top),
                                   CPoint(r.right - 1, r.bottom - 1), CPoint(r.left, r.bottom - 1),
                                   CPoint(r.left, r.top)};
        if (backend && backend->polyline(corners, 5))
            touched();
        else
            for (int i = 0; i < 4; ++i)
                strokeSegment(corners[i], corners[i + 1], false);
    }
}

void CDrawContext::drawEllipse(const CRect& rect, CDrawStyle drawStyle)
{
    if (!backend) return;
    CRect r = rect;
    r.offset(offset.x, offset.y);
    if (drawStyle != kDrawStroked) backend->fillEllipse(r, paintFor(fillColor));
    if (drawStyle != kDrawFilled) backend->strokeEllipse(r, paintFor(frameColor));
    touched();
}

void CDrawContext::fillEllipse(const CRect& rect)
{
    if (!backend) return;
    CRect r = rect;
    r.offset(offset.x + 1, offset.y + 1); // as a Windows brush-only ellipse lands
    backend->fillEllipse(r, paintFor(fillColor));
    touched();
}

void CDrawContext::drawArc(const CRect& rect, float startAngle, float endAngle, CDrawStyle drawStyle)
{
    CRect r = rect;
    r.offset(offset.x, offset.y);
    if (!backend || r.width() <= 0 || r.height() <= 0) return;
    if (drawStyle != kDrawStroked) backend->fillPie(r, startAngle, endAngle, paintFor(fillColor));
    if (drawStyle != kDrawFilled) backend->strokeArc(r, startAngle, endAngle, paintFor(frameColor));
    touched();
}

void CDrawContext::fillArc(const CRect& rect, const CPoint& point1, const CPoint& point2)
{
    const double cx = (rect.left + rect.right) / 2.0, cy = (rect.top + rect.bottom) / 2.0;
    auto angleOf = [&](const CPoint& p)
    { return static_cast<float>(std::atan2(cy - p.y, p.x - cx) * 180.0 / std::numbers::pi); };
    drawArc(rect, angleOf(point1), angleOf(point2), kDrawFilled);
}

void CDrawContext::drawPoint(const CPoint& point, CColor color)
{
    PixelBuffer pixels;
    CRect clip;
    if (!beginPixelAccess(pixels, clip)) return;
    const CPoint p(point.x + offset.x, point.y + offset.y);
    if (!clip.pointInside(p)) return;
    if (backend->setPixel(p, color))
    {
        touched();
        return;
    }
    std::uint8_t c[4];
    pixelops::storeColor(c, color);
    pixelops::blendOver(pixels.pixel(p.x, p.y), c, 255);
    endPixelAccess(CRect(p.x, p.y, p.x + 1, p.y + 1));
}

CColor CDrawContext::getPoint(const CPoint& point)
{
#if SORVELT_MAC_FLAVOUR
    // Quartz cannot read a pixel back: the Mac answers black.
    (void)point;
    return kBlackCColor;
#endif
    PixelBuffer pixels;
    CRect clip;
    if (!beginPixelAccess(pixels, clip)) return kBlackCColor;
    const CPoint p(point.x + offset.x, point.y + offset.y);
    if (!CRect(0, 0, pixels.width, pixels.height).pointInside(p)) return kBlackCColor;
    CColor color;
    if (backend->getPixel(p, color)) return color;
    return pixelops::loadColor(pixels.pixel(p.x, p.y));
}

void CDrawContext::floodFill(const CPoint& start)
{
#if SORVELT_MAC_FLAVOUR
    // Nor can it flood an area: nothing happens on the Mac.
    (void)start;
    return;
#endif
    PixelBuffer pixels;
    CRect clip;
    if (!beginPixelAccess(pixels, clip)) return;
    const CPoint s(start.x + offset.x, start.y + offset.y);
    if (!clip.pointInside(s)) return;
    if (backend->floodFill(s))
    {
        touched();
        return;
    }
    std::uint32_t seed;
    std::memcpy(&seed, pixels.pixel(s.x, s.y), 4);
    std::uint8_t color[4];
    pixelops::storeColor(color, fillColor);
    const RasterOp op = paintFor(fillColor).op;
    const int w = clip.width();
    std::vector<bool> seen(static_cast<std::size_t>(w) * clip.height(), false);
    std::vector<CPoint> stack{s};
    CRect changed(clip.right, clip.bottom, clip.left, clip.top);
    while (!stack.empty())
    {
        const CPoint p = stack.back();
        stack.pop_back();
        if (!clip.pointInside(p)) continue;
        const std::size_t index = static_cast<std::size_t>(p.y - clip.top) * w + (p.x - clip.left);
        std::uint32_t value;
        std::memcpy(&value, pixels.pixel(p.x, p.y), 4);
        if (seen[index] || value != seed) continue;
        seen[index] = true;
        pixelops::applyRaster(pixels.pixel(p.x, p.y), color, fillColor, op);
        include(changed, p.x, p.y);
        stack.push_back(CPoint(p.x + 1, p.y));
        stack.push_back(CPoint(p.x - 1, p.y));
        stack.push_back(CPoint(p.x, p.y + 1));
        stack.push_back(CPoint(p.x, p.y - 1));
    }
    endPixelAccess(changed);
}

} // namespace VSTGUI
