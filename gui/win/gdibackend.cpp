// The GDI drawing backend (Windows). The target is a 32-bit DIB section selected into a memory
// device context (a GdiDevice: the window's back buffer, or one of the backend's own), and GDI
// draws into it with its own calls and rules: pens, brushes and fonts made when the context's
// state changes, SetROP2 for the draw modes, a rectangular clip region, lines, polygons,
// ellipses, arcs, FillRect, pixels, ExtFloodFill, DrawTextA. Bitmaps go onto the same DC with
// BitBlt and AlphaBlend through port().
//
// Alpha: GDI draws opaque colour (a colour's alpha means nothing to it) and leaves 0 in the alpha
// byte of what it writes. The toolkit's buffers hold premultiplied pixels, so right after each
// GDI call every pixel it wrote is made opaque (alpha 255); pixels it left alone keep theirs. A
// GDI-drawn target thus reads as the colours GDI drew, fully opaque, to every portable reader
// (getPoint, copies, a transparent container's copyTo, blends).
//
// Text: 7-bit strings (everything this editor draws) go to the ANSI calls as they are; a string
// with other bytes is read as UTF-8 if it is valid UTF-8, else as Windows-1252, and goes to the
// wide twins of those calls, so that what a byte means does not hang on the system's code page.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "gui/drawbackend.h"
#include "gui/win/gdidevice.h"

namespace VSTGUI
{

namespace
{

/// A point on the ellipse of `r` at `degrees`, counter-clockwise from 3 o'clock with y up.
POINT pointAtAngle(const CRect& r, double degrees)
{
    const double a = degrees * std::numbers::pi / 180.0;
    const double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
    // Far outside the ellipse, on the ray: GDI only takes the direction.
    return POINT{static_cast<LONG>(std::lround(cx + std::cos(a) * (r.width() + 1) * 4)),
                 static_cast<LONG>(std::lround(cy - std::sin(a) * (r.height() + 1) * 4))};
}

/// 8-bit text as the toolkit hands it over: UTF-8 when it is valid UTF-8, else Windows-1252
/// (what the ANSI calls would read), so a stray Latin-1 byte is still a character.
std::wstring toWide(const char* text)
{
    const int length = static_cast<int>(std::strlen(text));
    if (length == 0) return {};
    UINT codePage = CP_UTF8;
    int count = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, length, nullptr, 0);
    if (count <= 0)
    {
        codePage = 1252;
        count = MultiByteToWideChar(codePage, 0, text, length, nullptr, 0);
    }
    if (count <= 0) return {};
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(codePage, codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0, text, length, wide.data(),
                        count);
    return wide;
}

/// True when every byte is 7-bit: such text goes to the ANSI calls as it is.
bool isAscii(const char* text)
{
    for (; *text; ++text)
        if (static_cast<unsigned char>(*text) >= 0x80) return false;
    return true;
}

COLORREF colorRef(CColor c)
{
    return RGB(c.red, c.green, c.blue);
}

/// The alpha `mended` puts under a GDI call to find what it wrote: any value GDI does not leave.
constexpr std::uint8_t kAlphaMark = 1;

/// Coordinates Windows takes in its drawing calls: 27 bits on NT, a bit to spare here.
constexpr long kGdiRange = 1L << 26;

class GdiBackend final : public DrawBackend
{
public:
    /// Draws into `target_`; `ownTarget_` when the backend made it; `mirrored_` the caller's
    /// bytes the target stands in for (kept in step by pixels() and markDirty).
    GdiBackend(win::GdiDevice* target_, std::unique_ptr<win::GdiDevice> ownTarget_,
               const PixelBuffer& mirrored_)
        : target(target_), ownTarget(std::move(ownTarget_)),
          mirrored(mirrored_), clips{CRect(0, 0, target_->width, target_->height)}
    {
    }

    /// Our pen, brush and font leave the device context (the DC's own come back) before they
    /// are deleted.
    ~GdiBackend() override
    {
        if (!gone) pixels(); // the caller's bytes get what was drawn last
        if (!gone && target->owner == this && target->dc)
        {
            SelectObject(target->dc, target->originalPen);
            SelectObject(target->dc, target->originalBrush);
            SelectObject(target->dc, target->originalFont);
            SelectClipRgn(target->dc, nullptr);
            SetROP2(target->dc, R2_COPYPEN);
            target->owner = nullptr;
        }
        if (pen) DeleteObject(pen);
        if (brush) DeleteObject(brush);
        if (font) DeleteObject(font);
    }

    void targetGone() override { gone = true; }

    PixelBuffer pixels() override
    {
        const PixelBuffer buffer = target->pixels();
        if (!mirrored.isValid() || !buffer.isValid()) return buffer;
        for (int y = 0; y < buffer.height; ++y)
            std::memcpy(mirrored.pixel(0, y), buffer.pixel(0, y), static_cast<size_t>(buffer.width) * 4);
        return mirrored;
    }
    void markDirty(const CRect& changed) override
    {
        if (!mirrored.isValid()) return;
        const PixelBuffer buffer = target->pixels();
        CRect r = changed;
        r.bound(CRect(0, 0, buffer.width, buffer.height));
        for (long y = r.top; y < r.bottom; ++y)
            std::memcpy(buffer.pixel(r.left, static_cast<int>(y)),
                        mirrored.pixel(r.left, static_cast<int>(y)), static_cast<size_t>(r.width()) * 4);
    }
    void* port() override
    {
        claim();
        return target->dc;
    }

    void setClip(const CRect& clip) override
    {
        clips.back() = clip;
        if (owns()) selectClip();
    }
    void pushClip(const CRect& clip) override
    {
        CRect narrowed = clip;
        clips.push_back(narrowed.bound(clips.back()));
        if (owns()) selectClip();
    }
    void popClip() override
    {
        if (clips.size() > 1) clips.pop_back();
        if (owns()) selectClip();
    }

    void setPen(CColor color, int width, bool dashed) override
    {
        // An on-off dash is GDI's dotted pen, which only a one-pixel pen can have.
        LOGPEN description{};
        description.lopnStyle = dashed ? PS_DOT : PS_SOLID;
        description.lopnWidth.x = std::max(1, width);
        description.lopnColor = colorRef(color);
        HPEN created = CreatePenIndirect(&description);
        if (!created) return;
        replace(pen, created);
        lineWidth = std::max(1, width);
    }

    void setBrush(CColor color) override
    {
        LOGBRUSH description{BS_SOLID, colorRef(color), 0};
        HBRUSH created = CreateBrushIndirect(&description);
        if (!created) return;
        replace(brush, created);
        background = colorRef(color);
        if (owns()) SetBkColor(target->dc, background);
    }

    void setTextColor(CColor color) override
    {
        textColor = colorRef(color);
        if (owns()) SetTextColor(target->dc, textColor);
    }

    void setRasterOp(RasterOp op) override
    {
        rop2 = op == RasterOp::Merge ? R2_MERGEPEN : op == RasterOp::NotXor ? R2_NOTXORPEN : R2_COPYPEN;
        if (owns()) SetROP2(target->dc, rop2);
    }

    void setFont(const char* face, long height, bool bold, bool italic, bool underline) override
    {
        LOGFONTA description{};
        description.lfHeight = static_cast<LONG>(height);
        description.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        description.lfItalic = italic ? TRUE : FALSE;
        description.lfUnderline = underline ? TRUE : FALSE;
        description.lfCharSet = ANSI_CHARSET;
        description.lfOutPrecision = OUT_STRING_PRECIS;
        description.lfClipPrecision = CLIP_STROKE_PRECIS;
        description.lfQuality = DEFAULT_QUALITY;
        const bool symbol = std::strcmp(face, "Symbol") == 0;
        description.lfPitchAndFamily = VARIABLE_PITCH | (symbol ? FF_DECORATIVE : FF_SWISS);
        std::strncpy(description.lfFaceName, face, LF_FACESIZE - 1);
        HFONT created = CreateFontIndirectA(&description);
        if (!created) return;
        replace(font, created);
    }

    void fillRect(const CRect& r, const Paint&) override
    {
        mended(r,
               [&]
               {
                   if (rop2 == R2_COPYPEN)
                   {
                       RECT area{r.left, r.top, r.right, r.bottom};
                       FillRect(target->dc, &area, brush);
                       return;
                   }
                   // FillRect copies whatever the raster operation; a rectangle without an
                   // outline covers the same pixels and honours SetROP2.
                   withoutPen([&] { Rectangle(target->dc, r.left, r.top, r.right + 1, r.bottom + 1); });
               });
    }

    void fillPolygon(const CPoint* points, long count, const Paint&) override
    {
        if (!points || count < 3) return;
        const std::vector<POINT> p = toPoints(points, count);
        mended(boundsOf(points, count, 1),
               [&] { withoutPen([&] { Polygon(target->dc, p.data(), static_cast<int>(count)); }); });
    }

    void strokeLine(const CPoint& from, const CPoint& to, const Paint&) override
    {
        const CPoint segment[2] = {from, to};
        polyline(segment, 2);
    }

    bool polyline(const CPoint* points, long count) override
    {
        if (!points || count < 2) return true;
        const bool huge = std::any_of(points, points + count,
                                      [](const CPoint& p)
                                      { return std::abs(p.x) > kGdiRange || std::abs(p.y) > kGdiRange; });
        if (!huge)
        {
            drawPolyline(points, count);
            return true;
        }
        // Windows draws nothing for coordinates beyond 27 bits: each segment is first cut to the
        // clip, with room for the pen, so that its end (left out) lies outside the clip.
        for (long i = 1; i < count; ++i)
        {
            CPoint segment[2] = {points[i - 1], points[i]};
            CRect area = grown(clips.back(), lineWidth + 2);
            if (cutToArea(segment[0], segment[1], area)) drawPolyline(segment, 2);
        }
        return true;
    }

    void fillEllipse(const CRect& r, const Paint&) override
    {
        // Without a pen GDI leaves out the right column and bottom row of the box: grown by one,
        // the ellipse fills the box itself.
        mended(grown(r, 1),
               [&] { withoutPen([&] { Ellipse(target->dc, r.left, r.top, r.right + 1, r.bottom + 1); }); });
    }

    void strokeEllipse(const CRect& r, const Paint&) override
    {
        mended(grown(r, lineWidth),
               [&] { withoutBrush([&] { Ellipse(target->dc, r.left, r.top, r.right, r.bottom); }); });
    }

    void fillPie(const CRect& r, float startAngle, float endAngle, const Paint&) override
    {
        const POINT a = pointAtAngle(r, startAngle), b = pointAtAngle(r, endAngle);
        mended(grown(r, 1),
               [&] {
                   withoutPen(
                       [&]
                       { Pie(target->dc, r.left, r.top, r.right + 1, r.bottom + 1, a.x, a.y, b.x, b.y); });
               });
    }

    void strokeArc(const CRect& r, float startAngle, float endAngle, const Paint&) override
    {
        const POINT a = pointAtAngle(r, startAngle), b = pointAtAngle(r, endAngle);
        mended(grown(r, lineWidth),
               [&] { Arc(target->dc, r.left, r.top, r.right, r.bottom, a.x, a.y, b.x, b.y); });
    }

    bool setPixel(const CPoint& p, CColor color) override
    {
        mended(CRect(p.x, p.y, p.x + 1, p.y + 1), [&] { SetPixel(target->dc, p.x, p.y, colorRef(color)); });
        return true;
    }

    bool getPixel(const CPoint& p, CColor& color) override
    {
        claim();
        GdiFlush();
        const COLORREF c = GetPixel(target->dc, p.x, p.y);
        if (c == CLR_INVALID) return false; // outside the clip: the context reads the bytes
        color = CColor{GetRValue(c), GetGValue(c), GetBValue(c), 255};
        return true;
    }

    bool floodFill(const CPoint& start) override
    {
        claim();
        GdiFlush();
        const COLORREF seed = GetPixel(target->dc, start.x, start.y);
        if (seed == CLR_INVALID) return true; // outside the clip: nothing to fill
        // ExtFloodFill may compare whole pixels, alpha too, with the colour it is given (whose
        // alpha is 0): with every alpha 0 under the fill, only colour bounds the area.
        mended(
            clips.back(), [&] { ExtFloodFill(target->dc, start.x, start.y, seed, FLOODFILLSURFACE); }, 0);
        return true;
    }

    long textWidth(const char* text) override
    {
        if (!text || !*text) return 0;
        claim();
        SIZE extent{};
        if (isAscii(text))
        {
            if (!GetTextExtentPoint32A(target->dc, text, static_cast<int>(std::strlen(text)), &extent))
                return 0;
            return extent.cx;
        }
        const std::wstring wide = toWide(text);
        if (!GetTextExtentPoint32W(target->dc, wide.c_str(), static_cast<int>(wide.size()), &extent))
            return 0;
        return extent.cx;
    }

    FontMetrics fontMetrics() override
    {
        claim();
        TEXTMETRICA metrics{};
        if (!GetTextMetricsA(target->dc, &metrics)) return {};
        return FontMetrics{static_cast<double>(metrics.tmAscent), static_cast<double>(metrics.tmDescent)};
    }

    bool drawTextBox(const char* text, const CRect& box, int align, bool opaque) override
    {
        if (!text) return true;
        RECT r{box.left, box.top, box.right, box.bottom};
        UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
        if (align == 1)
            format |= DT_CENTER;
        else if (align == 2)
            format |= DT_RIGHT;
        else
        {
            format |= DT_LEFT;
            r.left += 1;
        }
        mended(box,
               [&]
               {
                   SetBkMode(target->dc, opaque ? OPAQUE : TRANSPARENT);
                   if (isAscii(text))
                       DrawTextA(target->dc, text, -1, &r, format);
                   else
                   {
                       std::wstring wide = toWide(text);
                       DrawTextW(target->dc, wide.data(), static_cast<int>(wide.size()), &r, format);
                   }
                   SetBkMode(target->dc, TRANSPARENT);
               });
        return true;
    }

    /// Text with its baseline's left end at (x, baseline); the context's own layout would use
    /// it, but on GDI drawTextBox lays text out.
    void drawText(const char* text, long x, long baseline, CColor color) override
    {
        if (!text || !*text) return;
        const FontMetrics metrics = fontMetrics();
        const long width = textWidth(text);
        const CRect bounds(x - 2 * lineWidth - 8, baseline - static_cast<long>(metrics.ascent) - 2,
                           x + width + 8, baseline + static_cast<long>(metrics.descent) + 2);
        mended(bounds,
               [&]
               {
                   const UINT align = SetTextAlign(target->dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
                   SetTextColor(target->dc, colorRef(color));
                   const std::wstring wide = toWide(text);
                   TextOutW(target->dc, static_cast<int>(x), static_cast<int>(baseline), wide.c_str(),
                            static_cast<int>(wide.size()));
                   SetTextColor(target->dc, textColor);
                   SetTextAlign(target->dc, align);
               });
    }

private:
    bool owns() const { return target->owner == this && target->dc; }

    /// Puts this backend's objects and settings into the target's DC if another context on the
    /// same device (the window's back buffer) drew last.
    void claim()
    {
        if (owns() || !target->dc) return;
        target->owner = this;
        HDC dc = target->dc;
        SelectObject(dc, pen ? static_cast<HGDIOBJ>(pen) : target->originalPen);
        SelectObject(dc, brush ? static_cast<HGDIOBJ>(brush) : target->originalBrush);
        SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : target->originalFont);
        selectClip();
        SetROP2(dc, rop2);
        SetTextColor(dc, textColor);
        SetBkColor(dc, background);
        SetBkMode(dc, TRANSPARENT);
    }

    void selectClip()
    {
        const CRect& c = clips.back();
        HRGN region = CreateRectRgn(c.left, c.top, c.right, c.bottom);
        SelectClipRgn(target->dc, region);
        DeleteObject(region);
    }

    /// Makes `created` this backend's object in `slot`, selected if we own the DC, and deletes
    /// the one it replaces (no longer selected by then).
    template <typename Handle> void replace(Handle& slot, Handle created)
    {
        if (owns()) SelectObject(target->dc, created);
        if (slot) DeleteObject(slot);
        slot = created;
    }

    template <typename Draw> void withoutPen(Draw draw)
    {
        HGDIOBJ old = SelectObject(target->dc, GetStockObject(NULL_PEN));
        draw();
        SelectObject(target->dc, old);
    }
    template <typename Draw> void withoutBrush(Draw draw)
    {
        HGDIOBJ old = SelectObject(target->dc, GetStockObject(NULL_BRUSH));
        draw();
        SelectObject(target->dc, old);
    }

    /// Runs a GDI call on the target, then makes opaque every pixel of `bounds` (which must hold
    /// all it can change) that the call wrote. Alpha is set to a mark beforehand: GDI leaves 0
    /// (or, for a raster operation, anything but the mark) where it writes, so even a pixel it
    /// wrote in its old colour is found; where it wrote nothing the old alpha comes back.
    template <typename Draw> void mended(const CRect& bounds, Draw draw, std::uint8_t mark = kAlphaMark)
    {
        claim();
        if (!target->dc) return;
        const PixelBuffer buffer = target->pixels();
        CRect area = bounds;
        area.bound(clips.back());
        area.bound(CRect(0, 0, buffer.width, buffer.height));
        const size_t rowBytes = area.isEmpty() ? 0 : static_cast<size_t>(area.width()) * 4;
        before.resize(rowBytes * (area.isEmpty() ? 0 : area.height()));
        for (long y = area.top; rowBytes && y < area.bottom; ++y)
        {
            std::uint8_t* row = buffer.pixel(area.left, static_cast<int>(y));
            std::memcpy(&before[(y - area.top) * rowBytes], row, rowBytes);
            for (size_t i = 3; i < rowBytes; i += 4)
                row[i] = mark;
        }
        draw();
        GdiFlush();
        for (long y = area.top; rowBytes && y < area.bottom; ++y)
        {
            std::uint8_t* now = buffer.pixel(area.left, static_cast<int>(y));
            const std::uint8_t* was = &before[(y - area.top) * rowBytes];
            for (size_t i = 0; i < rowBytes; i += 4)
            {
                const bool written = now[i + 3] != mark || std::memcmp(now + i, was + i, 3) != 0;
                now[i + 3] = written ? 255 : was[i + 3];
            }
        }
    }

    void drawPolyline(const CPoint* points, long count)
    {
        const std::vector<POINT> p = toPoints(points, count);
        mended(boundsOf(points, count, lineWidth),
               [&]
               {
                   if (count == 2)
                   {
                       MoveToEx(target->dc, p[0].x, p[0].y, nullptr);
                       LineTo(target->dc, p[1].x, p[1].y);
                   }
                   else
                       Polyline(target->dc, p.data(), static_cast<int>(count));
               });
    }

    /// Cuts the segment a-b to `area` (Liang and Barsky); false when nothing of it is inside.
    static bool cutToArea(CPoint& a, CPoint& b, const CRect& area)
    {
        const double x0 = a.x, y0 = a.y, dx = static_cast<double>(b.x) - a.x,
                     dy = static_cast<double>(b.y) - a.y;
        double t0 = 0, t1 = 1;
        const double p[4] = {-dx, dx, -dy, dy};
        const double q[4] = {x0 - area.left, area.right - 1 - x0, y0 - area.top, area.bottom - 1 - y0};
        for (int i = 0; i < 4; ++i)
        {
            if (p[i] == 0)
            {
                if (q[i] < 0) return false;
                continue;
            }
            const double t = q[i] / p[i];
            if (p[i] < 0)
                t0 = std::max(t0, t);
            else
                t1 = std::min(t1, t);
            if (t0 > t1) return false;
        }
        const CPoint from(static_cast<long>(std::lround(x0 + t0 * dx)),
                          static_cast<long>(std::lround(y0 + t0 * dy)));
        const CPoint to(static_cast<long>(std::lround(x0 + t1 * dx)),
                        static_cast<long>(std::lround(y0 + t1 * dy)));
        a = from;
        b = to;
        return true;
    }

    static std::vector<POINT> toPoints(const CPoint* points, long count)
    {
        std::vector<POINT> p(static_cast<size_t>(count));
        for (long i = 0; i < count; ++i)
            p[static_cast<size_t>(i)] = POINT{points[i].x, points[i].y};
        return p;
    }

    /// The points' bounding box grown by `margin` pixels on every side.
    static CRect boundsOf(const CPoint* points, long count, int margin)
    {
        long left = points[0].x, top = points[0].y, right = points[0].x, bottom = points[0].y;
        for (long i = 1; i < count; ++i)
        {
            left = std::min<long>(left, points[i].x);
            top = std::min<long>(top, points[i].y);
            right = std::max<long>(right, points[i].x);
            bottom = std::max<long>(bottom, points[i].y);
        }
        return clampedRect(left - margin, top - margin, right + margin + 1, bottom + margin + 1);
    }

    static CRect grown(const CRect& r, int margin)
    {
        return clampedRect(static_cast<long long>(r.left) - margin, static_cast<long long>(r.top) - margin,
                           static_cast<long long>(r.right) + margin,
                           static_cast<long long>(r.bottom) + margin);
    }

    static CRect clampedRect(long long l, long long t, long long r, long long b)
    {
        auto clamp = [](long long v)
        { return static_cast<long>(std::clamp<long long>(v, -(1LL << 30), 1LL << 30)); };
        return CRect(clamp(l), clamp(t), clamp(r), clamp(b));
    }

    win::GdiDevice* target;
    std::unique_ptr<win::GdiDevice> ownTarget;
    PixelBuffer mirrored;
    /// The target's window was destroyed: only our own objects are left to free.
    bool gone = false;
    /// Made when the context's state changes, deleted when replaced and at destruction.
    HPEN pen = nullptr;
    HBRUSH brush = nullptr;
    HFONT font = nullptr;
    int lineWidth = 1;
    int rop2 = R2_COPYPEN;
    COLORREF textColor = RGB(255, 255, 255);
    COLORREF background = RGB(0, 0, 0);
    std::vector<CRect> clips;
    /// The pixels a GDI call may change, as they were before it.
    std::vector<std::uint8_t> before;
};

/// The backend over `target` (already checked valid by the callers).
std::unique_ptr<DrawBackend> makeBackend(win::GdiDevice* target, std::unique_ptr<win::GdiDevice> own,
                                         const PixelBuffer& mirrored)
{
    if (!target || !target->isValid()) return nullptr;
    return std::make_unique<GdiBackend>(target, std::move(own), mirrored);
}

constexpr int kMaxSide = 32768;

} // namespace

namespace win
{

bool GdiDevice::create(int width_, int height_)
{
    release();
    if (width_ <= 0 || height_ <= 0 || width_ > kMaxSide || height_ > kMaxSide) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_; // top-down: rows in the order the toolkit counts them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc = CreateCompatibleDC(nullptr);
    if (dc) bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dc || !bitmap || !bits)
    {
        release();
        return false;
    }
    originalBitmap = SelectObject(dc, bitmap);
    originalPen = GetCurrentObject(dc, OBJ_PEN);
    originalBrush = GetCurrentObject(dc, OBJ_BRUSH);
    originalFont = GetCurrentObject(dc, OBJ_FONT);
    width = width_;
    height = height_;
    return true;
}

void GdiDevice::release()
{
    if (dc && originalBitmap) SelectObject(dc, originalBitmap);
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
    dc = nullptr;
    bitmap = nullptr;
    originalBitmap = originalPen = originalBrush = originalFont = nullptr;
    bits = nullptr;
    width = height = 0;
    owner = nullptr;
}

PixelBuffer GdiDevice::pixels() const
{
    if (!isValid()) return {};
    GdiFlush();
    return PixelBuffer{static_cast<std::uint8_t*>(bits), width, height, width * 4};
}

} // namespace win

std::unique_ptr<DrawBackend> createDrawBackend(const PixelBuffer& pixels, void* device)
{
    if (device)
    {
        auto* target = static_cast<win::GdiDevice*>(device);
        if (target->bits != pixels.data) return nullptr;
        return makeBackend(target, nullptr, PixelBuffer{});
    }
    // Bytes GDI cannot draw into: a DIB section stands in for them and is kept in step.
    if (!pixels.isValid() || pixels.stride != pixels.width * 4) return nullptr;
    auto own = std::make_unique<win::GdiDevice>();
    if (!own->create(pixels.width, pixels.height)) return nullptr;
    const PixelBuffer copy = own->pixels();
    std::memcpy(copy.data, pixels.data, static_cast<size_t>(pixels.stride) * pixels.height);
    win::GdiDevice* target = own.get();
    return makeBackend(target, std::move(own), pixels);
}

std::unique_ptr<DrawBackend> createDrawBackend(int width, int height)
{
    auto own = std::make_unique<win::GdiDevice>();
    if (!own->create(width, height)) return nullptr;
    win::GdiDevice* target = own.get();
    return makeBackend(target, std::move(own), PixelBuffer{});
}

} // namespace VSTGUI
