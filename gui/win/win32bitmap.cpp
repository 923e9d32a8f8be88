// Bitmaps on Windows: each image is a 32-bit DIB section (rows bottom-up, premultiplied B, G, R,
// A) that GDI blits onto the drawing context's device context.
#include "gui/win/win32bitmap.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "gui/pixelops.h"
#include "gui/win/blendfunctions.h"
#include "gui/win/win32window.h"

namespace VSTGUI
{

namespace win
{
namespace
{

thread_local int transparentWay = 0;

/// A 32-bit DIB section of `width` x `height`; rows bottom-up when `height` is positive.
HBITMAP createDib(int width, int height, void** bits)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
    if (bitmap && !*bits)
    {
        DeleteObject(bitmap);
        return nullptr;
    }
    return bitmap;
}

/// A one-bit bitmap of flags (set: the target stays), as GDI wants it: rows top-down, each
/// padded to 16 bits, the leftmost pixel in the highest bit.
HBITMAP createMask(int width, int height, const auto& isSet)
{
    const int rowBytes = (width + 15) / 16 * 2;
    std::vector<std::uint8_t> bits(static_cast<size_t>(rowBytes) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (isSet(x, y))
                bits[static_cast<size_t>(y) * rowBytes + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    return CreateBitmap(width, height, 1, 1, bits.data());
}

/// A memory DC holding `bitmap` until it goes; the bitmap is deselected before the DC dies.
class SelectedDC
{
public:
    SelectedDC(HDC like, HGDIOBJ bitmap) : dc(CreateCompatibleDC(like))
    {
        if (dc) saved = SelectObject(dc, bitmap);
    }
    ~SelectedDC()
    {
        if (!dc) return;
        if (saved) SelectObject(dc, saved);
        DeleteDC(dc);
    }
    SelectedDC(const SelectedDC&) = delete;
    SelectedDC& operator=(const SelectedDC&) = delete;
    explicit operator bool() const { return dc && saved; }
    HDC dc;

private:
    HGDIOBJ saved = nullptr;
};

/// dest ^= source, dest &= mask, dest ^= source: where the mask is set the destination comes
/// back as it was, elsewhere it becomes the source. The mask's set bits must expand to white, so
/// the destination's text and background colours are black and white for the middle step.
bool maskedCopy(HDC dest, int dx, int dy, int w, int h, HDC source, int sx, int sy, HDC mask, int mx, int my)
{
    const COLORREF text = SetTextColor(dest, RGB(0, 0, 0));
    const COLORREF back = SetBkColor(dest, RGB(255, 255, 255));
    const bool done = BitBlt(dest, dx, dy, w, h, source, sx, sy, SRCINVERT) &&
                      BitBlt(dest, dx, dy, w, h, mask, mx, my, SRCAND) &&
                      BitBlt(dest, dx, dy, w, h, source, sx, sy, SRCINVERT);
    SetTextColor(dest, text);
    SetBkColor(dest, back);
    return done;
}

/// Whether `dc` draws into exactly the pixels of `target`: GDI may only blit where the portable
/// code would have written, so a device context over some other bitmap is left alone. (GetObject
/// reports a positive height for top-down sections too, so the rows' order is taken as the
/// target describes it: first row at the start of the memory, or at its end with a negative stride.)
bool drawsInto(HDC dc, const PixelBuffer& target)
{
    if (!dc || GetObjectType(dc) != OBJ_MEMDC || !target.isValid()) return false;
    DIBSECTION section{};
    HGDIOBJ selected = GetCurrentObject(dc, OBJ_BITMAP);
    if (!selected || GetObjectA(selected, sizeof section, &section) != sizeof section) return false;
    const BITMAP& bm = section.dsBm;
    if (!bm.bmBits || bm.bmBitsPixel != 32 || bm.bmWidth != target.width || bm.bmHeight != target.height)
        return false;
    auto* first = static_cast<std::uint8_t*>(bm.bmBits);
    if (target.stride == bm.bmWidthBytes) return target.data == first;
    return target.stride == -bm.bmWidthBytes &&
           target.data == first + static_cast<std::ptrdiff_t>(bm.bmWidthBytes) * (bm.bmHeight - 1);
}

class DibImage final : public PlatformImage
{
public:
    DibImage(HBITMAP bitmap, void* bits, int width, int height, bool bottomUp)
        : bitmap(bitmap), bits(static_cast<std::uint8_t*>(bits)), width(width), height(height),
          bottomUp(bottomUp)
    {
    }
    ~DibImage() override { DeleteObject(bitmap); }
    DibImage(const DibImage&) = delete;
    DibImage& operator=(const DibImage&) = delete;

    bool isDrawable() const override { return !bottomUp; }

    PixelBuffer pixels() const override
    {
        GdiFlush();
        if (!bottomUp) return PixelBuffer{bits, width, height, width * 4};
        // Bottom-up: the image's top row is the buffer's last one.
        return PixelBuffer{bits + static_cast<std::ptrdiff_t>(width) * 4 * (height - 1), width, height,
                           -width * 4};
    }

    bool drawTo(void* port, const PixelBuffer& target, const CRect& source, const CRect& dest,
                const ImageDraw& how) const override
    {
        auto* dc = static_cast<HDC>(port);
        if (!drawsInto(dc, target) || source.isEmpty()) return false;
        // A bitmap is selected into one device context at a time; editors on several threads
        // may draw one shared image at once.
        const std::lock_guard<std::mutex> guard(selection);
        SelectedDC image(dc, bitmap);
        if (!image) return false;
        const int w = source.width(), h = source.height();
        bool done = false;
        switch (how.mode)
        {
        case ImageDrawMode::Copy:
            done = BitBlt(dc, dest.left, dest.top, w, h, image.dc, source.left, source.top, SRCCOPY);
            break;
        case ImageDrawMode::AlphaBlend:
            if (const AlphaBlendFunction alphaBlend = alphaBlendFunction())
            {
                const BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(std::min(how.opacity, 255u)),
                                          static_cast<BYTE>(how.perPixelAlpha ? AC_SRC_ALPHA : 0)};
                done =
                    alphaBlend(dc, dest.left, dest.top, w, h, image.dc, source.left, source.top, w, h, blend);
            }
            // Without AlphaBlend the portable source-over draws it, from the same pixels.
            break;
        case ImageDrawMode::Transparent:
            done = drawTransparent(dc, target, image.dc, source, dest, how);
            break;
        }
        GdiFlush();
        return done;
    }

    HBITMAP handle() const { return bitmap; }

private:
    bool drawTransparent(HDC dc, const PixelBuffer& target, HDC imageDC, const CRect& source,
                         const CRect& dest, const ImageDraw& how) const
    {
        const int w = source.width(), h = source.height();
        if (how.mask)
        {
            // The prepared mask: the destination region is combined in a buffer and copied back.
            transparentWay = 1;
            HBITMAP mask = createMask(
                w, h,
                [&](int x, int y)
                { return how.mask[static_cast<size_t>(source.top + y) * width + source.left + x] != 0; });
            void* bufferBits = nullptr;
            HBITMAP buffer = createDib(w, -h, &bufferBits);
            bool done = false;
            if (mask && buffer)
            {
                SelectedDC maskDC(dc, mask), bufferDC(dc, buffer);
                done =
                    maskDC && bufferDC && BitBlt(bufferDC.dc, 0, 0, w, h, dc, dest.left, dest.top, SRCCOPY) &&
                    maskedCopy(bufferDC.dc, 0, 0, w, h, imageDC, source.left, source.top, maskDC.dc, 0, 0) &&
                    BitBlt(dc, dest.left, dest.top, w, h, bufferDC.dc, 0, 0, SRCCOPY);
            }
            if (mask) DeleteObject(mask);
            if (buffer) DeleteObject(buffer);
            return done;
        }
        if (const TransparentBltFunction transparentBlt = transparentBltFunction())
        {
            // It treats 32-bit pixels as GDI's RGB with an unused fourth byte: Wine compares all
            // four bytes with the key and writes 0 there. So it gets the region with that byte 0,
            // and the alpha is put right afterwards: the source's where a pixel was copied, the
            // target's own where it was kept.
            transparentWay = 2;
            const PixelBuffer pixels = this->pixels();
            void* regionBits = nullptr;
            HBITMAP region = createDib(w, -h, &regionBits);
            if (!region) return false;
            const PixelBuffer copy{static_cast<std::uint8_t*>(regionBits), w, h, w * 4};
            std::vector<std::uint8_t> keptAlpha(static_cast<size_t>(w) * h);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                {
                    std::memcpy(copy.pixel(x, y), pixels.pixel(source.left + x, source.top + y), 3);
                    keptAlpha[static_cast<size_t>(y) * w + x] = target.pixel(dest.left + x, dest.top + y)[3];
                }
            bool done = false;
            {
                SelectedDC regionDC(dc, region);
                done = regionDC && transparentBlt(dc, dest.left, dest.top, w, h, regionDC.dc, 0, 0, w, h,
                                                  RGB(how.keyRed, how.keyGreen, how.keyBlue));
            }
            DeleteObject(region);
            GdiFlush();
            for (int y = 0; done && y < h; ++y)
                for (int x = 0; x < w; ++x)
                {
                    const std::uint8_t* from = pixels.pixel(source.left + x, source.top + y);
                    const CColor c = pixelops::loadColor(from);
                    const bool keyed =
                        c.red == how.keyRed && c.green == how.keyGreen && c.blue == how.keyBlue;
                    target.pixel(dest.left + x, dest.top + y)[3] =
                        keyed ? keptAlpha[static_cast<size_t>(y) * w + x] : from[3];
                }
            return done;
        }
        // Neither: a mask of the source pixels in the transparent colour, applied in place.
        transparentWay = 3;
        const PixelBuffer pixels = this->pixels();
        HBITMAP mask =
            createMask(w, h,
                       [&](int x, int y)
                       {
                           const CColor c =
                               pixelops::loadColor(pixels.pixel(source.left + x, source.top + y));
                           return c.red == how.keyRed && c.green == how.keyGreen && c.blue == how.keyBlue;
                       });
        if (!mask) return false;
        bool done = false;
        {
            SelectedDC maskDC(dc, mask);
            done = maskDC && maskedCopy(dc, dest.left, dest.top, w, h, imageDC, source.left, source.top,
                                        maskDC.dc, 0, 0);
        }
        DeleteObject(mask);
        return done;
    }

    HBITMAP bitmap;
    std::uint8_t* bits;
    int width;
    int height;
    bool bottomUp;
    mutable std::mutex selection;
};

std::unique_ptr<DibImage> createImage(int width, int height, ImageRows rows)
{
    if (width <= 0 || height <= 0) return nullptr;
    const bool bottomUp = rows == ImageRows::Decoded;
    void* bits = nullptr;
    HBITMAP bitmap = createDib(width, bottomUp ? height : -height, &bits);
    if (!bitmap) return nullptr;
    return std::make_unique<DibImage>(bitmap, bits, width, height, bottomUp);
}

} // namespace

HBITMAP dibOf(const PlatformImage* image)
{
    const auto* dib = dynamic_cast<const DibImage*>(image);
    return dib ? dib->handle() : nullptr;
}

int lastTransparentWay()
{
    return transparentWay;
}

} // namespace win

std::unique_ptr<PlatformImage> createPlatformImage(int width, int height, ImageRows rows)
{
    return win::createImage(width, height, rows);
}

std::unique_ptr<PlatformImage> loadPlatformBitmap(long id)
{
    if (id <= 0 || id > 0xffff) return nullptr;
    HBITMAP loaded = LoadBitmapA(win::ownModule(), MAKEINTRESOURCEA(id));
    if (!loaded) return nullptr;
    BITMAP info{};
    std::unique_ptr<win::DibImage> image;
    if (GetObjectA(loaded, sizeof info, &info) == sizeof info)
        image = win::createImage(info.bmWidth, info.bmHeight, ImageRows::Decoded);
    if (image)
    {
        // Into our own 32-bit form, so every image draws and reads alike; a plain bitmap is opaque.
        bool copied = false;
        {
            win::SelectedDC from(nullptr, loaded), to(nullptr, image->handle());
            copied = from && to && BitBlt(to.dc, 0, 0, info.bmWidth, info.bmHeight, from.dc, 0, 0, SRCCOPY);
        }
        const PixelBuffer pixels = image->pixels();
        for (int y = 0; copied && y < pixels.height; ++y)
            for (int x = 0; x < pixels.width; ++x)
                pixels.pixel(x, y)[3] = 255;
        if (!copied) image.reset();
    }
    DeleteObject(loaded);
    return image;
}

} // namespace VSTGUI
