// The GDI drawing backend (Windows): GDI decides which pixels a shape or a glyph covers, in a
// scratch 32-bit DIB section, and the covered pixels are then written into the context's bytes
// with the toolkit's pixel rules. GDI itself knows no alpha (it would leave alpha 0 behind), and
// its raster operations then come out exactly as pixelops combines them on every backend.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "gui/drawbackend.h"

namespace VSTGUI
{

namespace
{

constexpr COLORREF kCovered = RGB(255, 255, 255);

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

class GdiBackend final : public DrawBackend
{
public:
    GdiBackend(const PixelBuffer& pixels_, HDC dc_, HBITMAP scratch_, void* scratchBits_)
        : buffer(pixels_), dc(dc_), scratch(scratch_),
          bits(static_cast<std::uint8_t*>(scratchBits_)), clips{CRect(0, 0, pixels_.width, pixels_.height)}
    {
        savedBitmap = SelectObject(dc, scratch);
        savedPen = SelectObject(dc, GetStockObject(NULL_PEN));
        savedBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kCovered);
        SetTextAlign(dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
        SetArcDirection(dc, AD_COUNTERCLOCKWISE);
        SetPolyFillMode(dc, ALTERNATE);
        white = CreateSolidBrush(kCovered);
    }

    ~GdiBackend() override
    {
        // The objects we made leave the device context before they are deleted.
        SelectObject(dc, savedPen);
        SelectObject(dc, savedBrush);
        if (savedFont) SelectObject(dc, savedFont);
        SelectObject(dc, savedBitmap);
        if (font) DeleteObject(font);
        DeleteObject(white);
        DeleteObject(scratch);
        DeleteDC(dc);
    }

    PixelBuffer pixels() override { return buffer; }
    void markDirty(const CRect&) override {}
    void* port() override { return dc; }

    void setClip(const CRect& clip) override { clips.back() = clip; }
    void pushClip(const CRect& clip) override
    {
        CRect narrowed = clip;
        clips.push_back(narrowed.bound(clips.back()));
    }
    void popClip() override
    {
        if (clips.size() > 1) clips.pop_back();
    }

    void setLine(int width, bool dashed) override
    {
        lineWidth = std::max(1, width);
        lineDashed = dashed;
    }

    void setFont(const char* face, long height, bool bold, bool italic) override
    {
        LOGFONTA description{};
        description.lfHeight = static_cast<LONG>(height);
        description.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        description.lfItalic = italic ? TRUE : FALSE;
        description.lfCharSet = ANSI_CHARSET;
        description.lfOutPrecision = OUT_STRING_PRECIS;
        description.lfClipPrecision = CLIP_STROKE_PRECIS;
        description.lfQuality = DEFAULT_QUALITY;
        description.lfPitchAndFamily =
            VARIABLE_PITCH | (std::strcmp(face, "Symbol") == 0 ? FF_DECORATIVE : FF_SWISS);
        std::strncpy(description.lfFaceName, face, LF_FACESIZE - 1);
        HFONT created = CreateFontIndirectA(&description);
        if (!created) return;
        HGDIOBJ old = SelectObject(dc, created);
        if (!savedFont) savedFont = old;
        if (font) DeleteObject(font);
        font = created;
    }

    void fillRect(const CRect& r, const Paint& paint) override
    {
        cover(r, paint,
              [&]
              {
                  RECT area{r.left, r.top, r.right, r.bottom};
                  FillRect(dc, &area, white);
              });
    }

    void fillPolygon(const CPoint* points, long count, const Paint& paint) override
    {
        if (!points || count < 3) return;
        std::vector<POINT> p(static_cast<size_t>(count));
        CRect bounds(points[0].x, points[0].y, points[0].x, points[0].y);
        for (long i = 0; i < count; ++i)
        {
            p[static_cast<size_t>(i)] = POINT{points[i].x, points[i].y};
            bounds.left = std::min(bounds.left, points[i].x);
            bounds.top = std::min(bounds.top, points[i].y);
            bounds.right = std::max(bounds.right, points[i].x + 1);
            bounds.bottom = std::max(bounds.bottom, points[i].y + 1);
        }
        cover(bounds, paint,
              [&]
              {
                  HGDIOBJ old = SelectObject(dc, white);
                  Polygon(dc, p.data(), static_cast<int>(count));
                  SelectObject(dc, old);
              });
    }

    void strokeLine(const CPoint& from, const CPoint& to, const Paint& paint) override
    {
        CRect bounds(std::min(from.x, to.x), std::min(from.y, to.y), std::max(from.x, to.x) + 1,
                     std::max(from.y, to.y) + 1);
        bounds.inset(-lineWidth, -lineWidth);
        cover(bounds, paint,
              [&]
              {
                  withPen(
                      [&]
                      {
                          MoveToEx(dc, from.x, from.y, nullptr);
                          LineTo(dc, to.x, to.y);
                      });
              });
    }

    void fillEllipse(const CRect& r, const Paint& paint) override
    {
        // Without a pen GDI leaves out the right column and bottom row of the box: grown by one,
        // the ellipse fills the box itself.
        cover(r, paint,
              [&]
              {
                  HGDIOBJ old = SelectObject(dc, white);
                  Ellipse(dc, r.left, r.top, r.right + 1, r.bottom + 1);
                  SelectObject(dc, old);
              });
    }

    void strokeEllipse(const CRect& r, const Paint& paint) override
    {
        CRect bounds = r;
        bounds.inset(-lineWidth, -lineWidth);
        cover(bounds, paint, [&] { withPen([&] { Ellipse(dc, r.left, r.top, r.right, r.bottom); }); });
    }

    void fillPie(const CRect& r, float startAngle, float endAngle, const Paint& paint) override
    {
        const POINT a = pointAtAngle(r, startAngle), b = pointAtAngle(r, endAngle);
        cover(r, paint,
              [&]
              {
                  HGDIOBJ old = SelectObject(dc, white);
                  Pie(dc, r.left, r.top, r.right + 1, r.bottom + 1, a.x, a.y, b.x, b.y);
                  SelectObject(dc, old);
              });
    }

    void strokeArc(const CRect& r, float startAngle, float endAngle, const Paint& paint) override
    {
        const POINT a = pointAtAngle(r, startAngle), b = pointAtAngle(r, endAngle);
        CRect bounds = r;
        bounds.inset(-lineWidth, -lineWidth);
        cover(bounds, paint,
              [&] { withPen([&] { Arc(dc, r.left, r.top, r.right, r.bottom, a.x, a.y, b.x, b.y); }); });
    }

    long textWidth(const char* text) override
    {
        if (!text) return 0;
        const std::wstring wide = toWide(text);
        SIZE extent{};
        if (!GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &extent)) return 0;
        return extent.cx;
    }

    FontMetrics fontMetrics() override
    {
        TEXTMETRICA metrics{};
        if (!GetTextMetricsA(dc, &metrics)) return {};
        return FontMetrics{static_cast<double>(metrics.tmAscent), static_cast<double>(metrics.tmDescent)};
    }

    void drawText(const char* text, long x, long baseline, CColor color) override
    {
        if (!text || !*text) return;
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc, &metrics);
        const long width = textWidth(text) + metrics.tmMaxCharWidth;
        const CRect bounds(x - metrics.tmMaxCharWidth, baseline - metrics.tmAscent - 1, x + width,
                           baseline + metrics.tmDescent + 1);
        const CRect area = prepare(bounds);
        if (area.isEmpty()) return;
        const std::wstring wide = toWide(text);
        TextOutW(dc, static_cast<int>(x), static_cast<int>(baseline), wide.c_str(),
                 static_cast<int>(wide.size()));
        GdiFlush();
        // Glyph edges may come in grey: their coverage is the source's opacity.
        for (long y = area.top; y < area.bottom; ++y)
            for (long px = area.left; px < area.right; ++px)
            {
                const std::uint8_t* s = bits + (static_cast<size_t>(y) * buffer.width + px) * 4;
                const unsigned coverage = std::max({s[0], s[1], s[2]});
                if (coverage == 0) continue;
                const CColor c{color.red, color.green, color.blue,
                               static_cast<std::uint8_t>((color.alpha * coverage + 127) / 255)};
                std::uint8_t stored[4];
                pixelops::storeColor(stored, c);
                pixelops::blendOver(buffer.pixel(static_cast<int>(px), static_cast<int>(y)), stored, 255);
            }
    }

private:
    /// The part of `bounds` that can change: inside the clip and the buffer. The scratch there is
    /// cleared and GDI is clipped to it.
    CRect prepare(const CRect& bounds)
    {
        CRect area = bounds;
        area.bound(clips.back());
        area.bound(CRect(0, 0, buffer.width, buffer.height));
        if (area.isEmpty()) return area;
        // The previous shape's clip must not keep its coverage alive outside it.
        SelectClipRgn(dc, nullptr);
        PatBlt(dc, area.left, area.top, area.width(), area.height(), BLACKNESS);
        HRGN region = CreateRectRgn(area.left, area.top, area.right, area.bottom);
        SelectClipRgn(dc, region);
        DeleteObject(region);
        return area;
    }

    /// Lets GDI draw the shape in white, then writes `paint` into every covered pixel.
    template <typename Draw> void cover(const CRect& bounds, const Paint& paint, Draw draw)
    {
        const CRect area = prepare(bounds);
        if (area.isEmpty()) return;
        draw();
        GdiFlush();
        std::uint8_t stored[4];
        pixelops::storeColor(stored, paint.color);
        for (long y = area.top; y < area.bottom; ++y)
            for (long x = area.left; x < area.right; ++x)
                if (bits[(static_cast<size_t>(y) * buffer.width + x) * 4 + 1] >= 128)
                    pixelops::applyRaster(buffer.pixel(static_cast<int>(x), static_cast<int>(y)), stored,
                                          paint.color, paint.op);
    }

    template <typename Draw> void withPen(Draw draw)
    {
        LOGPEN description{};
        description.lopnStyle = lineDashed ? PS_DOT : PS_SOLID;
        description.lopnWidth.x = lineWidth;
        description.lopnColor = kCovered;
        HPEN pen = CreatePenIndirect(&description);
        HGDIOBJ old = SelectObject(dc, pen);
        draw();
        SelectObject(dc, old);
        DeleteObject(pen);
    }

    PixelBuffer buffer;
    HDC dc;
    HBITMAP scratch;
    std::uint8_t* bits;
    HGDIOBJ savedBitmap = nullptr;
    HGDIOBJ savedPen = nullptr;
    HGDIOBJ savedBrush = nullptr;
    HGDIOBJ savedFont = nullptr;
    HFONT font = nullptr;
    HBRUSH white = nullptr;
    int lineWidth = 1;
    bool lineDashed = false;
    std::vector<CRect> clips;
};

} // namespace

std::unique_ptr<DrawBackend> createDrawBackend(const PixelBuffer& pixels)
{
    if (!pixels.isValid() || pixels.stride != pixels.width * 4) return nullptr;
    // The scratch where GDI draws: a top-down 32-bit DIB section of the target's size.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = -pixels.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return nullptr;
    void* bits = nullptr;
    HBITMAP scratch = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!scratch || !bits)
    {
        if (scratch) DeleteObject(scratch);
        DeleteDC(dc);
        return nullptr;
    }
    return std::make_unique<GdiBackend>(pixels, dc, scratch, bits);
}

} // namespace VSTGUI
