// Pixel arithmetic shared by the drawing context, off-screen copies and bitmaps.
#include "gui/pixelops.h"

#include <algorithm>
#include <cstring>

namespace VSTGUI::pixelops
{

namespace
{

std::uint8_t scale(unsigned value, unsigned factor)
{
    return static_cast<std::uint8_t>((value * factor + 127) / 255);
}

} // namespace

void storeColor(std::uint8_t* pixel, CColor color)
{
    pixel[0] = scale(color.blue, color.alpha);
    pixel[1] = scale(color.green, color.alpha);
    pixel[2] = scale(color.red, color.alpha);
    pixel[3] = color.alpha;
}

CColor loadColor(const std::uint8_t* pixel)
{
    const unsigned a = pixel[3];
    if (a == 0) return CColor{0, 0, 0, 0};
    auto straight = [a](unsigned c)
    { return static_cast<std::uint8_t>(std::min(255u, (c * 255 + a / 2) / a)); };
    return CColor{straight(pixel[2]), straight(pixel[1]), straight(pixel[0]), static_cast<std::uint8_t>(a)};
}

void blendOver(std::uint8_t* dst, const std::uint8_t* src, unsigned opacity)
{
    if (opacity == 255 && src[3] == 255)
    {
        std::memcpy(dst, src, 4); // opaque over anything is itself: most of the artwork
        return;
    }
    const unsigned sa = opacity == 255 ? src[3] : scale(src[3], opacity);
    if (sa == 0 && src[0] == 0 && src[1] == 0 && src[2] == 0)
        return; // fully transparent: the common case in knob strips
    for (int i = 0; i < 4; ++i)
    {
        const unsigned s = opacity == 255 ? src[i] : scale(src[i], opacity);
        dst[i] = static_cast<std::uint8_t>(std::min(255u, s + scale(dst[i], 255 - sa)));
    }
}

void applyRaster(std::uint8_t* dst, const std::uint8_t* stored, CColor color, RasterOp op)
{
    const std::uint8_t pen[3] = {color.blue, color.green, color.red};
    switch (op)
    {
    case RasterOp::Merge:
        for (int i = 0; i < 3; ++i)
            dst[i] = static_cast<std::uint8_t>(dst[i] | pen[i]);
        dst[3] = 255;
        break;
    case RasterOp::NotXor:
        for (int i = 0; i < 3; ++i)
            dst[i] = static_cast<std::uint8_t>(~(dst[i] ^ pen[i]));
        dst[3] = 255;
        break;
    case RasterOp::Copy:
        blendOver(dst, stored, 255);
        break;
    }
}

CRect boundToBuffer(CRect area, const PixelBuffer& buffer)
{
    return area.bound(CRect(0, 0, buffer.width, buffer.height));
}

CopyPlan planCopy(const PixelBuffer& source, CPoint sourceOrigin, long width, long height,
                  const PixelBuffer& dest, CPoint destOrigin, const CRect& destClip)
{
    CopyPlan plan;
    if (!source.isValid() || !dest.isValid() || width <= 0 || height <= 0) return plan;
    // In 64 bits and in destination coordinates: the requested area, the part of the source that
    // exists mapped there, the clip and the destination buffer. Only the result, which lies
    // inside both buffers, becomes a rectangle again.
    using Wide = long long;
    const Wide dx = Wide{destOrigin.x} - sourceOrigin.x, dy = Wide{destOrigin.y} - sourceOrigin.y;
    const Wide left = std::max({Wide{destOrigin.x}, dx, Wide{destClip.left}, Wide{0}});
    const Wide top = std::max({Wide{destOrigin.y}, dy, Wide{destClip.top}, Wide{0}});
    const Wide right =
        std::min({Wide{destOrigin.x} + width, dx + source.width, Wide{destClip.right}, Wide{dest.width}});
    const Wide bottom =
        std::min({Wide{destOrigin.y} + height, dy + source.height, Wide{destClip.bottom}, Wide{dest.height}});
    if (right <= left || bottom <= top) return plan;
    plan.dest = CRect(static_cast<long>(left), static_cast<long>(top), static_cast<long>(right),
                      static_cast<long>(bottom));
    plan.source = CRect(static_cast<long>(left - dx), static_cast<long>(top - dy),
                        static_cast<long>(right - dx), static_cast<long>(bottom - dy));
    return plan;
}

void copyPixels(const PixelBuffer& source, const PixelBuffer& dest, const CopyPlan& plan, CopyMode mode,
                unsigned opacity, CColor key)
{
    if (plan.isEmpty()) return;
    const int w = plan.dest.width();
    for (int row = 0; row < plan.dest.height(); ++row)
    {
        const std::uint8_t* s = source.pixel(plan.source.left, plan.source.top + row);
        std::uint8_t* d = dest.pixel(plan.dest.left, plan.dest.top + row);
        switch (mode)
        {
        case CopyMode::Replace:
            std::memmove(d, s, static_cast<std::size_t>(w) * 4);
            break;
        case CopyMode::BlendOver:
            for (int x = 0; x < w; ++x)
                blendOver(d + x * 4, s + x * 4, opacity);
            break;
        case CopyMode::SkipKeyColor:
            for (int x = 0; x < w; ++x)
            {
                const CColor c = loadColor(s + x * 4);
                if (!(c.red == key.red && c.green == key.green && c.blue == key.blue))
                    std::memcpy(d + x * 4, s + x * 4, 4);
            }
            break;
        }
    }
}

} // namespace VSTGUI::pixelops
