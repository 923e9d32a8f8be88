// Putting drawn pixels into an X11 window with XPutImage.
#include "gui/x11/x11surface.h"

#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "gui/pixelops.h"

namespace VSTGUI
{

bool putPixels(Display* display, Drawable drawable, GC gc, Visual* visual, int depth,
               const PixelBuffer& pixels, const CRect& rect)
{
    if (!display || !drawable || !visual || !pixels.isValid()) return false;
    if ((depth != 24 && depth != 32) || visual->red_mask != 0xff0000 || visual->green_mask != 0x00ff00 ||
        visual->blue_mask != 0x0000ff)
        return false;
    const CRect area = pixelops::boundToBuffer(rect, pixels);
    if (area.isEmpty()) return true;
    // The window shows opaque pixels: what is left transparent is black, as on an empty DIB.
    const int w = area.width(), h = area.height();
    std::vector<std::uint32_t> rows(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
        {
            const std::uint8_t* p = pixels.pixel(area.left + x, area.top + y);
            rows[static_cast<std::size_t>(y) * w + x] =
                static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                (static_cast<std::uint32_t>(p[2]) << 16) | 0xff000000u;
        }
    XImage* image = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                                 reinterpret_cast<char*>(rows.data()), static_cast<unsigned>(w),
                                 static_cast<unsigned>(h), 32, w * 4);
    if (!image) return false;
    image->byte_order = LSBFirst;
    XPutImage(display, drawable, gc, image, 0, 0, area.left, area.top, static_cast<unsigned>(w),
              static_cast<unsigned>(h));
    image->data = nullptr; // the vector owns the bytes
    XDestroyImage(image);
    return true;
}

} // namespace VSTGUI
