// CDrawContext on cairo image surfaces. Shapes are drawn without antialiasing so that
// every pixel is exact; thin lines are walked pixel by pixel like a Windows cosmetic pen.
#include "gui/cdrawcontext.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "gui/cframe.h"
#include "gui/pixelops.h"

namespace VSTGUI
{

#if SORVELT_MAC_FLAVOUR
const long gStandardFontSize[kFontCount] = {12, 18, 14, 12, 10, 9, 9, 12};
const char* const gMacXfontNames[kFontCount] = {"Helvetica", "Helvetica", "Helvetica", "Helvetica",
                                                "Helvetica", "Helvetica", "Helvetica", "Symbol"};
const char* const gStandardFontName[kFontCount] = {"Helvetica", "Helvetica", "Helvetica", "Helvetica",
                                                   "Helvetica", "Helvetica", "Helvetica", "Symbol"};
#else
const long gStandardFontSize[kFontCount] = {12, 18, 14, 12, 11, 10, 9, 13};
const char* const gStandardFontName[kFontCount] = {"Arial", "Arial", "Arial", "Arial",
                                                   "Arial", "Arial", "Arial", "Symbol"};
#endif

namespace
{

constexpr CRect kNoFrameClip(0, 0, 1000, 1000);

/// Liberation Sans is metric-compatible with Arial (and close to Helvetica), so read-outs lay out as
/// designed.
const char* cairoFace(const char* face)
{
    if (std::strcmp(face, "Arial") == 0 || std::strcmp(face, "Helvetica") == 0) return "Liberation Sans";
    return face;
}

void setSource(cairo_t* cr, CColor c)
{
    cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
}

cairo_operator_t operatorFor(CDrawMode mode)
{
    // Pixel-wise raster operations do not exist on cairo; these are the nearest compositing ones.
    switch (mode)
    {
    case kOrMode:
        return CAIRO_OPERATOR_ADD;
    case kXorMode:
        return CAIRO_OPERATOR_DIFFERENCE;
    default:
        return CAIRO_OPERATOR_OVER;
    }
}

/// One pixel of a thin line in the given mode, matching what cairo's operators do to a fill.
void plot(std::uint8_t* d, const std::uint8_t* s, CDrawMode mode)
{
    switch (mode)
    {
    case kOrMode:
        for (int i = 0; i < 4; ++i)
            d[i] = static_cast<std::uint8_t>(std::min(255, d[i] + s[i]));
        break;
    case kXorMode:
    {
        const int sa = s[3], da = d[3];
        for (int i = 0; i < 3; ++i)
        {
            const int a = s[i] * da, b = d[i] * sa;
            d[i] = static_cast<std::uint8_t>(std::clamp(s[i] + d[i] - 2 * std::min(a, b) / 255, 0, 255));
        }
        d[3] = static_cast<std::uint8_t>(sa + da - (sa * da + 127) / 255);
        break;
    }
    default:
        pixelops::blendOver(d, s, 255);
        break;
    }
}

bool isUtf8(const unsigned char* s)
{
    while (*s)
    {
        int follow = 0;
        if (*s < 0x80)
            follow = 0;
        else if ((*s & 0xe0) == 0xc0 && *s >= 0xc2)
            follow = 1;
        else if ((*s & 0xf0) == 0xe0)
            follow = 2;
        else if ((*s & 0xf8) == 0xf0 && *s <= 0xf4)
            follow = 3;
        else
            return false;
        ++s;
        for (int i = 0; i < follow; ++i, ++s)
            if ((*s & 0xc0) != 0x80) return false;
    }
    return true;
}

void appendUtf8(std::string& out, unsigned codePoint)
{
    if (codePoint < 0x80)
    {
        out += static_cast<char>(codePoint);
    }
    else if (codePoint < 0x800)
    {
        out += static_cast<char>(0xc0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3f));
    }
    else
    {
        out += static_cast<char>(0xe0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (codePoint & 0x3f));
    }
}

/// Text arrives as 8-bit strings, as through the Windows ANSI calls. UTF-8 passes unchanged;
/// anything else is read as Windows-1252, so a stray byte such as a Latin-1 degree sign is
/// drawn rather than putting cairo into its error state, which would end all later drawing.
std::string textForCairo(const char* text)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    if (isUtf8(bytes)) return text;
    static constexpr unsigned short k1252[32] = {
        0x20ac, 0xfffd, 0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021, 0x02c6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xfffd, 0x017d, 0xfffd, 0xfffd, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022,
        0x2013, 0x2014, 0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0xfffd, 0x017e, 0x0178};
    std::string out;
    for (; *bytes; ++bytes)
        appendUtf8(out, *bytes >= 0x80 && *bytes < 0xa0 ? k1252[*bytes - 0x80] : *bytes);
    return out;
}

} // namespace

struct CDrawContext::Target
{
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    PixelBuffer pixels;

    ~Target()
    {
        if (cr) cairo_destroy(cr);
        if (surface) cairo_surface_destroy(surface);
    }
};

CDrawContext::CDrawContext(CFrame* frame_, void* systemContext, void* window_) : CDrawContext(frame_)
{
    window = window_;
    if (systemContext) platformWindow = static_cast<PlatformWindow*>(systemContext);
    if (platformWindow)
    {
        bindTarget(platformWindow->getSurface());
        applyState();
        onWindow = targetImpl != nullptr;
    }
}

CDrawContext::CDrawContext(CFrame* frame_) : frame(frame_)
{
    if (frame) platformWindow = frame->getPlatformWindow();
    initState();
}

CDrawContext::~CDrawContext()
{
    // What a window context drew reaches the screen when the pass that made it is over.
    if (needsFlush && onWindow)
        platformWindow->flush(CRect(0, 0, targetImpl->pixels.width, targetImpl->pixels.height));
}

void CDrawContext::initState()
{
    offset = CPoint(0, 0);
    offsetScreen = CPoint(0, 0);
    if (frame)
        frame->getViewSize(clipRect);
    else
        clipRect = kNoFrameClip;
    frameColor = kWhiteCColor;
    lineStyle = kLineSolid;
    frameWidth = 1;
    fillColor = kBlackCColor;
    fontColor = kWhiteCColor;
    setFont(kFontSystem, 0, 0);
    drawMode = kCopyMode;
}

void CDrawContext::bindTarget(const PixelBuffer& pixels)
{
    targetImpl.reset();
    if (!pixels.isValid() ||
        pixels.stride != cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, pixels.width))
        return;
    auto t = std::make_unique<Target>();
    t->pixels = pixels;
    t->surface = cairo_image_surface_create_for_data(pixels.data, CAIRO_FORMAT_ARGB32, pixels.width,
                                                     pixels.height, pixels.stride);
    t->cr = cairo_create(t->surface);
    if (cairo_status(t->cr) != CAIRO_STATUS_SUCCESS) return;
    targetImpl = std::move(t);
}

void CDrawContext::applyState()
{
    if (!targetImpl) return;
    cairo_t* cr = targetImpl->cr;
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    cairo_reset_clip(cr);
    cairo_rectangle(cr, clipRect.left, clipRect.top, clipRect.width(), clipRect.height());
    cairo_clip(cr);
    applyLineStyle();
    applyFont();
}

void CDrawContext::applyFont()
{
    if (!targetImpl || fontId < 0 || fontId >= kFontCount) return;
    const bool bold = (fontStyle & kBoldFace) != 0
#if !SORVELT_MAC_FLAVOUR
                      || fontId == kFontSystem // the Windows system font is always bold
#endif
        ;
    cairo_select_font_face(targetImpl->cr, cairoFace(gStandardFontName[fontId]),
                           (fontStyle & kItalicFace) ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(targetImpl->cr, fontSize);
    ++fontCreations;
}

void CDrawContext::applyLineStyle()
{
    if (!targetImpl) return;
    cairo_t* cr = targetImpl->cr;
    cairo_set_line_width(cr, std::max<std::int32_t>(1, frameWidth));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    if (lineStyle == kLineOnOffDash)
    {
        const double dash = std::max<std::int32_t>(1, frameWidth);
        cairo_set_dash(cr, &dash, 1, 0);
    }
    else
    {
        cairo_set_dash(cr, nullptr, 0, 0);
    }
}

// --- state -------------------------------------------------------------------------------------

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
    // Applied per operation: cairo keeps one operator for everything.
    drawMode = mode;
}

void CDrawContext::setClipRect(const CRect& clip)
{
    clipRect = clip;
    clipRect.offset(offset.x, offset.y);
    if (targetImpl)
    {
        cairo_reset_clip(targetImpl->cr);
        cairo_rectangle(targetImpl->cr, clipRect.left, clipRect.top, clipRect.width(), clipRect.height());
        cairo_clip(targetImpl->cr);
    }
}

CRect& CDrawContext::getClipRect(CRect& clip) const
{
    clip = clipRect;
    clip.offset(-offset.x, -offset.y);
    return clip;
}

void CDrawContext::resetClipRect()
{
    CRect full = kNoFrameClip;
    if (frame) frame->getViewSize(full);
    clipRect = full;
    if (targetImpl)
    {
        cairo_reset_clip(targetImpl->cr);
        cairo_rectangle(targetImpl->cr, clipRect.left, clipRect.top, clipRect.width(), clipRect.height());
        cairo_clip(targetImpl->cr);
    }
}

void CDrawContext::setFillColor(CColor color)
{
    fillColor = color;
}
void CDrawContext::setFrameColor(CColor color)
{
    frameColor = color;
}
void CDrawContext::setFontColor(CColor color)
{
    fontColor = color;
}

void CDrawContext::setFont(CFont fontID, long size, long style)
{
    if (fontID < 0 || fontID >= kFontCount) fontID = kFontSystem;
    if (size == 0) size = gStandardFontSize[fontID];
    if (fontID == fontId && size == fontSize && style == fontStyle) return;
    fontId = fontID;
    fontSize = static_cast<std::int32_t>(size);
    fontStyle = static_cast<std::int32_t>(style);
    applyFont();
}

// --- shapes ------------------------------------------------------------------------------------

bool CDrawContext::beginShape(bool useFill)
{
    if (!targetImpl) return false;
    cairo_t* cr = targetImpl->cr;
    cairo_save(cr);
    setSource(cr, useFill ? fillColor : frameColor);
    cairo_set_operator(cr, operatorFor(drawMode));
    cairo_set_antialias(cr, drawMode == kAntialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
    return true;
}

void CDrawContext::endShape()
{
    cairo_restore(targetImpl->cr);
    touched();
}

bool CDrawContext::beginPixelAccess(PixelBuffer& pixels, CRect& clipInTarget)
{
    if (!targetImpl) return false;
    cairo_surface_flush(targetImpl->surface);
    pixels = targetImpl->pixels;
    clipInTarget = pixelops::boundToBuffer(clipRect, pixels);
    return true;
}

void CDrawContext::endPixelAccess(const CRect& changed)
{
    if (!targetImpl || changed.isEmpty()) return;
    cairo_surface_mark_dirty_rectangle(targetImpl->surface, changed.left, changed.top, changed.width(),
                                       changed.height());
    touched();
}

void CDrawContext::strokeSegment(const CPoint& from, const CPoint& to, bool includeEnd)
{
    if (!targetImpl) return;
    // Absurdly long segments go to cairo, which clips before it walks; the pixel walk would not.
    const long spanX = std::labs(static_cast<long>(to.x) - from.x),
               spanY = std::labs(static_cast<long>(to.y) - from.y);
    const bool huge = spanX > 65536 || spanY > 65536;
    if (frameWidth > 1 || drawMode == kAntialias || huge)
    {
        if (!beginShape(false)) return;
        cairo_move_to(targetImpl->cr, from.x + 0.5, from.y + 0.5);
        cairo_line_to(targetImpl->cr, to.x + 0.5, to.y + 0.5);
        cairo_stroke(targetImpl->cr);
        endShape();
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
            plot(pixels.pixel(static_cast<int>(x), static_cast<int>(y)), color, drawMode);
            changed.left = std::min<std::int32_t>(changed.left, static_cast<std::int32_t>(x));
            changed.top = std::min<std::int32_t>(changed.top, static_cast<std::int32_t>(y));
            changed.right = std::max<std::int32_t>(changed.right, static_cast<std::int32_t>(x + 1));
            changed.bottom = std::max<std::int32_t>(changed.bottom, static_cast<std::int32_t>(y + 1));
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
    if (!points || numberOfPoints < 3 || !beginShape(true)) return;
    cairo_t* cr = targetImpl->cr;
    for (long i = 0; i < numberOfPoints; ++i)
        cairo_line_to(cr, points[i].x + offset.x, points[i].y + offset.y);
    cairo_close_path(cr);
    cairo_fill(cr);
    endShape();
}

void CDrawContext::drawPolygon(const CPoint* points, long numberOfPoints, CDrawStyle drawStyle)
{
    if (!points || numberOfPoints < 2) return;
    if (drawStyle != kDrawStroked) fillPolygon(points, numberOfPoints);
    if (drawStyle != kDrawFilled)
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
    if (r.isEmpty() || !beginShape(true)) return;
    cairo_rectangle(targetImpl->cr, r.left, r.top, r.width(), r.height());
    cairo_fill(targetImpl->cr);
    endShape();
}

void CDrawContext::drawRect(const CRect& rect, CDrawStyle drawStyle)
{
    CRect r = rect;
    r.offset(offset.x, offset.y);
    if (drawStyle != kDrawStroked && !r.isEmpty() && beginShape(true))
    {
        cairo_rectangle(targetImpl->cr, r.left, r.top, r.width(), r.height());
        cairo_fill(targetImpl->cr);
        endShape();
    }
    if (drawStyle != kDrawFilled)
    {
        const CPoint corners[5] = {CPoint(r.left, r.top), CPoint(r.right - 1, r.top),
                                   CPoint(r.right - 1, r.bottom - 1), CPoint(r.left, r.bottom - 1),
                                   CPoint(r.left, r.top)};
        for (int i = 0; i < 4; ++i)
            strokeSegment(corners[i], corners[i + 1], false);
    }
}

namespace
{

void ellipsePath(cairo_t* cr, double cx, double cy, double rx, double ry)
{
    if (rx <= 0 || ry <= 0) return;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * std::numbers::pi);
    cairo_restore(cr);
}

} // namespace

void CDrawContext::drawEllipse(const CRect& rect, CDrawStyle drawStyle)
{
    CRect r = rect;
    r.offset(offset.x, offset.y);
    const double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
    if (drawStyle != kDrawStroked && beginShape(true))
    {
        ellipsePath(targetImpl->cr, cx, cy, r.width() / 2.0, r.height() / 2.0);
        cairo_fill(targetImpl->cr);
        endShape();
    }
    if (drawStyle != kDrawFilled && beginShape(false))
    {
        ellipsePath(targetImpl->cr, cx, cy, r.width() / 2.0 - 0.5, r.height() / 2.0 - 0.5);
        cairo_stroke(targetImpl->cr);
        endShape();
    }
}

void CDrawContext::fillEllipse(const CRect& rect)
{
    CRect r = rect;
    r.offset(offset.x + 1, offset.y + 1); // as a Windows brush-only ellipse lands
    if (!beginShape(true)) return;
    ellipsePath(targetImpl->cr, (r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0, r.width() / 2.0,
                r.height() / 2.0);
    cairo_fill(targetImpl->cr);
    endShape();
}

void CDrawContext::drawArc(const CRect& rect, float startAngle, float endAngle, CDrawStyle drawStyle)
{
    CRect r = rect;
    r.offset(offset.x, offset.y);
    const double rx = r.width() / 2.0, ry = r.height() / 2.0;
    if (rx <= 0 || ry <= 0) return;
    const double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
    // Angles run counter-clockwise with y up; cairo's run clockwise with y down.
    const double a0 = -startAngle * std::numbers::pi / 180.0, a1 = -endAngle * std::numbers::pi / 180.0;
    auto arcPath = [&](bool pie)
    {
        cairo_t* cr = targetImpl->cr;
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, rx, ry);
        if (pie) cairo_move_to(cr, 0, 0);
        cairo_arc_negative(cr, 0, 0, 1, a0, a1);
        if (pie) cairo_close_path(cr);
        cairo_restore(cr);
    };
    if (drawStyle != kDrawStroked && beginShape(true))
    {
        arcPath(true);
        cairo_fill(targetImpl->cr);
        endShape();
    }
    if (drawStyle != kDrawFilled && beginShape(false))
    {
        arcPath(false);
        cairo_stroke(targetImpl->cr);
        endShape();
    }
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
    if (!clip.pointInside(p))
    {
        endPixelAccess(CRect());
        return;
    }
    std::uint8_t c[4];
    pixelops::storeColor(c, color);
    pixelops::blendOver(pixels.pixel(p.x, p.y), c, 255);
    endPixelAccess(CRect(p.x, p.y, p.x + 1, p.y + 1));
}

CColor CDrawContext::getPoint(const CPoint& point)
{
    PixelBuffer pixels;
    CRect clip;
    if (!beginPixelAccess(pixels, clip)) return kBlackCColor;
    const CPoint p(point.x + offset.x, point.y + offset.y);
    if (!CRect(0, 0, pixels.width, pixels.height).pointInside(p)) return kBlackCColor;
    return pixelops::loadColor(pixels.pixel(p.x, p.y));
}

void CDrawContext::floodFill(const CPoint& start)
{
    PixelBuffer pixels;
    CRect clip;
    if (!beginPixelAccess(pixels, clip)) return;
    const CPoint s(start.x + offset.x, start.y + offset.y);
    if (!clip.pointInside(s))
    {
        endPixelAccess(CRect());
        return;
    }
    std::uint32_t seed;
    std::memcpy(&seed, pixels.pixel(s.x, s.y), 4);
    std::uint8_t color[4];
    pixelops::storeColor(color, fillColor);
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
        plot(pixels.pixel(p.x, p.y), color, drawMode);
        changed.left = std::min(changed.left, p.x);
        changed.top = std::min(changed.top, p.y);
        changed.right = std::max(changed.right, p.x + 1);
        changed.bottom = std::max(changed.bottom, p.y + 1);
        stack.push_back(CPoint(p.x + 1, p.y));
        stack.push_back(CPoint(p.x - 1, p.y));
        stack.push_back(CPoint(p.x, p.y + 1));
        stack.push_back(CPoint(p.x, p.y - 1));
    }
    endPixelAccess(changed);
}

// --- text --------------------------------------------------------------------------------------

long CDrawContext::getStringWidth(const char* string)
{
    if (!string || !targetImpl) return 0;
    cairo_text_extents_t extents;
    cairo_text_extents(targetImpl->cr, textForCairo(string).c_str(), &extents);
    return std::lround(extents.x_advance);
}

void CDrawContext::drawString(const char* string, const CRect& rect, short opaque, CHoriTxtAlign hAlign)
{
    if (!string || !targetImpl) return;
    CRect r = rect;
    r.offset(offset.x, offset.y);
    cairo_t* cr = targetImpl->cr;
    const long w = getStringWidth(string);
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    const long ascent = std::lround(font.ascent);
    const long textHeight = ascent + std::lround(font.descent);
#if SORVELT_MAC_FLAVOUR
    (void)opaque;
    (void)textHeight;
    const long baseline = fontSize / 2 + (r.bottom - (r.bottom - r.top) / 2) - 1;
    long x = r.left + 1;
    if (hAlign == kRightText)
        x = r.right - w;
    else if (hAlign == kCenterText)
        x = r.left + (r.right - r.left) / 2 - w / 2;
    cairo_save(cr);
#else
    // One line, vertically centred, clipped to the rectangle as a Windows text box is.
    const long top = r.top + (r.height() - textHeight) / 2;
    const long baseline = top + ascent;
    long x = r.left + 1;
    if (hAlign == kRightText)
        x = r.right - w;
    else if (hAlign == kCenterText)
        x = r.left + (r.width() - w) / 2;
    cairo_save(cr);
    cairo_rectangle(cr, r.left, r.top, r.width(), r.height());
    cairo_clip(cr);
    if (opaque)
    {
        setSource(cr, fillColor);
        cairo_rectangle(cr, x, top, w, textHeight);
        cairo_fill(cr);
    }
#endif
    setSource(cr, fontColor);
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, textForCairo(string).c_str());
    if (fontStyle & kUnderlineFace)
    {
        const double y = baseline + std::max(1.0, std::round(font.descent / 3));
        cairo_rectangle(cr, x, y, w, std::max(1L, fontSize / 12L));
        cairo_fill(cr);
    }
    cairo_restore(cr);
    touched();
}

// --- mouse and platform ------------------------------------------------------------------------

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
    if (!targetImpl) return {};
    cairo_surface_flush(targetImpl->surface);
    return targetImpl->pixels;
}

CBitmap* CDrawContext::getBitmap()
{
    return nullptr;
}
void CDrawContext::releaseBitmap() {}
void* CDrawContext::getPort()
{
    return targetImpl ? targetImpl->surface : nullptr;
}

} // namespace VSTGUI

#if defined(__SANITIZE_ADDRESS__)
// cairo keeps every toy font face, with its fontconfig pattern, for the life of the process and
// frees them only in its debug reset, which a plug-in must never call (the host and other
// plug-ins share those caches). We never call fontconfig ourselves, so sanitizer builds tell the
// leak checker that what fontconfig allocates is not ours.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
#endif
