// The GDI drawing backend (Windows). The target is a 32-bit DIB section selected into a memory
// device context (a GdiDevice: the window's back buffer, or one of the backend's own), so that
// bitmaps go onto it with BitBlt and AlphaBlend through port(). GDI decides which pixels a
// shape or a glyph covers in a scratch DIB, and the covered pixels are then written into the
// target with the toolkit's pixel rules.
#include <windows.h>

#include <algorithm>
#include <cmath>
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
    /// Draws into `target_`; `ownTarget_` when the backend made it; `mirrored_` the caller's
    /// bytes the target stands in for (kept in step by pixels() and markDirty).
    GdiBackend(win::GdiDevice* target_, std::unique_ptr<win::GdiDevice> ownTarget_,
               const PixelBuffer& mirrored_, HDC dc_, HBITMAP scratch_, void* scratchBits_)
        : target(target_), ownTarget(std::move(ownTarget_)), mirrored(mirrored_), buffer(target_->pixels()),
          dc(dc_), scratch(scratch_),
          bits(static_cast<std::uint8_t*>(scratchBits_)), clips{CRect(0, 0, buffer.width, buffer.height)}
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
        pixels(); // the caller's bytes get what was drawn last
        // The objects we made leave the device context before they are deleted.
        SelectObject(dc, savedPen);
        SelectObject(dc, savedBrush);
        if (savedFont) SelectObject(dc, savedFont);
        SelectObject(dc, savedBitmap);
        if (font) DeleteObject(font);
        DeleteObject(white);
        DeleteObject(scratch);
        DeleteDC(dc);
        if (target->owner == this)
        {
            SelectClipRgn(target->dc, nullptr);
            target->owner = nullptr;
        }
    }

    PixelBuffer pixels() override
    {
        buffer = target->pixels();
        if (!mirrored.isValid()) return buffer;
        for (int y = 0; y < buffer.height; ++y)
            std::memcpy(mirrored.pixel(0, y), buffer.pixel(0, y), static_cast<size_t>(buffer.width) * 4);
        return mirrored;
    }
    void markDirty(const CRect& changed) override
    {
        if (!mirrored.isValid()) return;
        CRect r = changed;
        r.bound(CRect(0, 0, buffer.width, buffer.height));
        for (long y = r.top; y < r.bottom; ++y)
            std::memcpy(buffer.pixel(r.left, static_cast<int>(y)),
                        mirrored.pixel(r.left, static_cast<int>(y)), static_cast<size_t>(r.width()) * 4);
    }
    void* port() override
    {
        claimTarget();
        return target->dc;
    }

    void setClip(const CRect& clip) override
    {
        clips.back() = clip;
        selectClip();
    }
    void pushClip(const CRect& clip) override
    {
        CRect narrowed = clip;
        clips.push_back(narrowed.bound(clips.back()));
        selectClip();
    }
    void popClip() override
    {
        if (clips.size() > 1) clips.pop_back();
        selectClip();
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
        buffer = target->pixels();
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
    /// Makes this backend's clip the one in force on the target's DC, which other contexts on
    /// the same window may have changed since.
    void claimTarget()
    {
        if (target->owner == this) return;
        target->owner = this;
        selectClip();
    }
    void selectClip()
    {
        if (target->owner != this) return;
        HRGN region =
            CreateRectRgn(clips.back().left, clips.back().top, clips.back().right, clips.back().bottom);
        SelectClipRgn(target->dc, region);
        DeleteObject(region);
    }

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
        buffer = target->pixels();
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

    win::GdiDevice* target;
    std::unique_ptr<win::GdiDevice> ownTarget;
    PixelBuffer mirrored;
    /// The target's bytes as last read (GDI finished with them).
    PixelBuffer buffer;
    /// The scratch where GDI shows which pixels a shape covers.
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

/// The backend over `target`, with its scratch: a top-down 32-bit DIB section of the target's size.
std::unique_ptr<DrawBackend> makeBackend(win::GdiDevice* target, std::unique_ptr<win::GdiDevice> own,
                                         const PixelBuffer& mirrored)
{
    if (!target || !target->isValid()) return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = target->width;
    info.bmiHeader.biHeight = -target->height;
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
    return std::make_unique<GdiBackend>(target, std::move(own), mirrored, dc, scratch, bits);
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
