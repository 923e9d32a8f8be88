// GdiDevice: a memory device context with a 32-bit top-down DIB section selected into it, the
// target the GDI drawing backend draws into. The window's back buffer is one; every off-screen
// context owns one; bitmaps are blitted and blended onto its DC (CDrawContext::getPort).
#pragma once

#include <windows.h>

#include "gui/platform.h"

namespace VSTGUI::win
{

struct GdiDevice
{
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    /// The DC's own objects before anything of ours was selected into it; put back on release.
    HGDIOBJ originalBitmap = nullptr;
    HGDIOBJ originalPen = nullptr;
    HGDIOBJ originalBrush = nullptr;
    HGDIOBJ originalFont = nullptr;
    void* bits = nullptr;
    int width = 0;
    int height = 0;
    /// The drawing backend whose pen, brush, font, clip and raster operation are selected now:
    /// several contexts may draw into the window's back buffer at once (a paint inside a drag).
    const void* owner = nullptr;

    GdiDevice() = default;
    GdiDevice(const GdiDevice&) = delete;
    GdiDevice& operator=(const GdiDevice&) = delete;
    ~GdiDevice() { release(); }

    /// A width x height DIB section in a new memory DC, all bytes zero; false (and nothing
    /// held) when GDI refuses.
    bool create(int width, int height);
    void release();
    bool isValid() const { return dc != nullptr && bits != nullptr; }

    /// The DIB section's bytes, after GDI has finished what it was asked to draw. Rows top-down.
    PixelBuffer pixels() const;
};

} // namespace VSTGUI::win
