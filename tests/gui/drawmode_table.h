// The draw modes checked for either flavour: each mode with each pen colour on a grey
// background, through every way a pen or brush reaches the pixels.
#pragma once

#include <gtest/gtest.h>

#include "tests/gui/drawing_harness.h"

namespace drawtest
{

inline std::uint32_t argb(CColor c)
{
    return 0xff000000u | (std::uint32_t{c.red} << 16) | (std::uint32_t{c.green} << 8) | c.blue;
}

/// Windows: 1 merges (OR), 2 is NOT XOR, every other mode copies. Mac: every mode copies.
inline void checkDrawModes(bool mac)
{
    const CColor grey{0x99, 0x99, 0x99, 255};
    const CColor pens[] = {{255, 0, 0, 255}, {0x90, 0x4c, 0xc3, 255}, {255, 255, 255, 255}, {0, 0, 0, 255}};
    const int modes[] = {kCopyMode, kOrMode, kXorMode, kAntialias, 4, -1};
    for (const int mode : modes)
        for (const CColor& pen : pens)
        {
            COffscreenContext context(nullptr, 40, 40, grey);
            context.setDrawMode(static_cast<CDrawMode>(mode));
            context.setFillColor(pen);
            context.setFrameColor(pen);
            context.fillRect(CRect(0, 0, 10, 10));
            context.moveTo(CPoint(0, 20));
            context.lineTo(CPoint(10, 20));
            const CPoint triangle[] = {CPoint(20, 20), CPoint(39, 20), CPoint(20, 39)};
            context.fillPolygon(triangle, 3);
            context.setLineWidth(3);
            context.moveTo(CPoint(20, 5));
            context.lineTo(CPoint(35, 5));

            CColor want = pen;
            if (!mac && mode == kOrMode)
                want = CColor{static_cast<std::uint8_t>(grey.red | pen.red),
                              static_cast<std::uint8_t>(grey.green | pen.green),
                              static_cast<std::uint8_t>(grey.blue | pen.blue), 255};
            else if (!mac && mode == kXorMode)
                want = CColor{static_cast<std::uint8_t>(~(grey.red ^ pen.red)),
                              static_cast<std::uint8_t>(~(grey.green ^ pen.green)),
                              static_cast<std::uint8_t>(~(grey.blue ^ pen.blue)), 255};
            const char* what[] = {"fillRect", "thin line", "polygon", "wide line"};
            const CPoint probes[] = {CPoint(5, 5), CPoint(5, 20), CPoint(23, 23), CPoint(27, 5)};
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(pixelOf(context, probes[i].x, probes[i].y), argb(want))
                    << what[i] << ", mode " << mode << ", pen " << argb(pen);
        }

    // Antialiasing: only the Mac's mode 3 leaves pixels between the background and the brush.
    for (const int mode : modes)
    {
        COffscreenContext context(nullptr, 40, 40, grey);
        context.setDrawMode(static_cast<CDrawMode>(mode));
        context.setFillColor(kWhiteCColor);
        context.drawEllipse(CRect(2, 2, 38, 38), kDrawFilled);
        int between = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x)
            {
                const std::uint32_t p = pixelOf(context, x, y);
                between += p != argb(grey) && p != argb(kWhiteCColor);
            }
        EXPECT_EQ(between > 0, mac && mode == kAntialias) << "mode " << mode;
    }
}

} // namespace drawtest
