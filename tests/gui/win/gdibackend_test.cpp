// The GDI drawing target: every context draws into a DIB section selected into a memory DC,
// and its port is that DC, so GDI calls made on it (bitmap blits) land in the context's pixels,
// inside its clip.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gui/coffscreencontext.h"
#include "gui/win/gdidevice.h"

namespace
{

using namespace VSTGUI;

/// Blue, green, red of pixel (x, y): what GDI writes (it leaves alpha to us).
std::uint32_t bgr(const PixelBuffer& pixels, int x, int y)
{
    std::uint32_t value;
    std::memcpy(&value, pixels.pixel(x, y), 4);
    return value & 0xffffffu;
}

TEST(GdiTarget, OffscreenPortIsAMemoryDCOverTheContextsOwnPixels)
{
    COffscreenContext context(nullptr, 12, 7, kBlackCColor);
    auto dc = static_cast<HDC>(context.getPort());
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectA(GetCurrentObject(dc, OBJ_BITMAP), sizeof dib, &dib), static_cast<int>(sizeof dib));
    const PixelBuffer pixels = context.getPixelBuffer();
    EXPECT_EQ(dib.dsBm.bmBits, pixels.data);
    EXPECT_EQ(dib.dsBmih.biBitCount, 32);
    EXPECT_EQ(dib.dsBmih.biWidth, 12);
    EXPECT_EQ(pixels.stride, 12 * 4);
    SetPixel(dc, 2, 1, RGB(1, 2, 3));
    EXPECT_EQ(bgr(context.getPixelBuffer(), 2, 1), 0x010203u) << "rows top-down, as PixelBuffer counts them";
}

TEST(GdiTarget, BlitsOnThePortLandInThePixelsInsideTheClip)
{
    COffscreenContext context(nullptr, 10, 10, kBlackCColor);
    context.offset = CPoint(1, 1);
    context.setClipRect(CRect(1, 2, 4, 5)); // (2,3)-(5,6) in the buffer
    PatBlt(static_cast<HDC>(context.getPort()), 0, 0, 10, 10, WHITENESS);
    const PixelBuffer pixels = context.getPixelBuffer();
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
        {
            const bool inClip = x >= 2 && x < 5 && y >= 3 && y < 6;
            EXPECT_EQ(bgr(pixels, x, y), inClip ? 0xffffffu : 0u) << x << "," << y;
        }
}

TEST(GdiTarget, ContextsSharingOneDeviceEachDrawWithTheirOwnClip)
{
    // The window's back buffer is one device that several contexts draw into at once.
    win::GdiDevice device;
    ASSERT_TRUE(device.create(8, 2));
    auto left = createDrawBackend(device.pixels(), &device);
    auto right = createDrawBackend(device.pixels(), &device);
    ASSERT_TRUE(left && right);
    left->setClip(CRect(0, 0, 4, 1));
    right->setClip(CRect(4, 0, 8, 1));
    PatBlt(static_cast<HDC>(right->port()), 0, 0, 8, 2, WHITENESS);
    EXPECT_EQ(bgr(device.pixels(), 3, 0), 0u);
    EXPECT_EQ(bgr(device.pixels(), 4, 0), 0xffffffu);
    PatBlt(static_cast<HDC>(left->port()), 0, 0, 8, 2, DSTINVERT);
    const PixelBuffer pixels = device.pixels();
    EXPECT_EQ(bgr(pixels, 0, 0), 0xffffffu);
    EXPECT_EQ(bgr(pixels, 4, 0), 0xffffffu) << "the left context drew through the right one's clip";
    EXPECT_EQ(bgr(pixels, 0, 1), 0u);
    right.reset();
    PatBlt(static_cast<HDC>(left->port()), 0, 0, 8, 2, BLACKNESS);
    EXPECT_EQ(bgr(device.pixels(), 5, 0), 0xffffffu) << "a context's clip outlived it";
    EXPECT_EQ(bgr(device.pixels(), 1, 0), 0u);
}

TEST(GdiTarget, BytesGdiCannotDrawIntoAreKeptInStepWithTheDevice)
{
    // A caller's plain buffer (a bitmap drawn into in place): the backend draws into a DIB
    // section standing in for it, and each side sees what the other wrote.
    std::vector<std::uint8_t> bytes(4 * 3 * 4, 0);
    const PixelBuffer plain{bytes.data(), 4, 3, 16};
    {
        auto backend = createDrawBackend(plain, nullptr);
        ASSERT_TRUE(backend);
        auto dc = static_cast<HDC>(backend->port());
        PatBlt(dc, 1, 1, 1, 1, WHITENESS);
        EXPECT_EQ(backend->pixels().data, bytes.data());
        EXPECT_EQ(bgr(plain, 1, 1), 0xffffffu);
        std::memset(plain.pixel(2, 2), 0x40, 4);
        backend->markDirty(CRect(2, 2, 3, 3));
        EXPECT_EQ(GetPixel(dc, 2, 2), RGB(0x40, 0x40, 0x40));
        PatBlt(dc, 0, 0, 1, 1, WHITENESS);
    }
    EXPECT_EQ(bgr(plain, 0, 0), 0xffffffu) << "the last drawing reached the caller's bytes";
}

} // namespace

namespace
{

LOGPEN penOf(HDC dc)
{
    LOGPEN pen{};
    GetObjectA(GetCurrentObject(dc, OBJ_PEN), sizeof pen, &pen);
    return pen;
}

bool isDeleted(HGDIOBJ object)
{
    return GetObjectType(object) == 0;
}

TEST(GdiState, PenAndBrushAreMadeWhenTheStateChangesAndTheOldOnesDeleted)
{
    COffscreenContext context(nullptr, 8, 8, kBlackCColor);
    auto dc = static_cast<HDC>(context.getPort());
    const HGDIOBJ firstPen = GetCurrentObject(dc, OBJ_PEN);
    EXPECT_EQ(penOf(dc).lopnColor, RGB(0, 0, 0)); // the background is the frame colour too
    EXPECT_EQ(penOf(dc).lopnStyle, static_cast<UINT>(PS_SOLID));
    context.setFrameColor(kBlackCColor);
    context.setLineWidth(1);
    context.setLineStyle(kLineSolid);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), firstPen) << "an unchanged setting made a new pen";

    context.setFrameColor(kRedCColor);
    EXPECT_TRUE(isDeleted(firstPen));
    EXPECT_EQ(penOf(dc).lopnColor, RGB(255, 0, 0));
    context.setLineWidth(3);
    EXPECT_EQ(penOf(dc).lopnWidth.x, 3);
    context.setLineWidth(1);
    context.setLineStyle(kLineOnOffDash);
    EXPECT_EQ(penOf(dc).lopnStyle, static_cast<UINT>(PS_DOT));

    const HGDIOBJ firstBrush = GetCurrentObject(dc, OBJ_BRUSH);
    context.setFillColor(kBlackCColor);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), firstBrush);
    context.setFillColor(kBlueCColor);
    LOGBRUSH brush{};
    GetObjectA(GetCurrentObject(dc, OBJ_BRUSH), sizeof brush, &brush);
    EXPECT_EQ(brush.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(brush.lbColor, RGB(0, 0, 255));
    EXPECT_TRUE(isDeleted(firstBrush));
    EXPECT_EQ(GetBkColor(dc), RGB(0, 0, 255)) << "the fill colour is opaque text's background";

    context.setFontColor(kGreenCColor);
    EXPECT_EQ(GetTextColor(dc), RGB(0, 255, 0));
    // Applied again without comparing, even when someone else changed the target's colour.
    SetTextColor(dc, RGB(1, 2, 3));
    context.setFontColor(kGreenCColor);
    EXPECT_EQ(GetTextColor(dc), RGB(0, 255, 0));
}

TEST(GdiState, DrawModesAreRasterOperations)
{
    struct Case
    {
        int mode;
        int rop2;
    };
    COffscreenContext context(nullptr, 4, 4);
    auto dc = static_cast<HDC>(context.getPort());
    EXPECT_EQ(GetROP2(dc), R2_COPYPEN);
    for (const Case c : {Case{kOrMode, R2_MERGEPEN}, Case{kXorMode, R2_NOTXORPEN},
                         Case{kAntialias, R2_COPYPEN}, Case{kXorMode, R2_NOTXORPEN}, Case{4, R2_COPYPEN},
                         Case{kOrMode, R2_MERGEPEN}, Case{-1, R2_COPYPEN}, Case{kCopyMode, R2_COPYPEN}})
    {
        context.setDrawMode(static_cast<CDrawMode>(c.mode));
        EXPECT_EQ(GetROP2(dc), c.rop2) << "mode " << c.mode;
    }
}

TEST(GdiState, FontsFromTheTable)
{
    struct Case
    {
        CFont font;
        long style;
        const char* face;
        LONG height;
        LONG weight;
        BYTE family;
    };
    const Case cases[] = {
        {kFontSystem, 0, "Arial", -12, FW_BOLD, FF_SWISS},
        {kFontVeryBig, 0, "Arial", -18, FW_NORMAL, FF_SWISS},
        {kFontBig, kBoldFace, "Arial", -14, FW_BOLD, FF_SWISS},
        {kFontNormal, kItalicFace | kUnderlineFace, "Arial", -12, FW_NORMAL, FF_SWISS},
        {kFontSmall, 0, "Arial", -11, FW_NORMAL, FF_SWISS},
        {kFontSmaller, 0, "Arial", -10, FW_NORMAL, FF_SWISS},
        {kFontVerySmall, 0, "Arial", -9, FW_NORMAL, FF_SWISS},
        {kFontSymbol, 0, "Symbol", -13, FW_NORMAL, FF_DECORATIVE},
    };
    for (const Case& c : cases)
    {
        COffscreenContext context(nullptr, 4, 4);
        context.setFont(kFontBig, 30); // something else first, so that the font is made anew
        auto dc = static_cast<HDC>(context.getPort());
        const HGDIOBJ before = GetCurrentObject(dc, OBJ_FONT);
        context.setFont(c.font, 0, c.style);
        EXPECT_TRUE(isDeleted(before)) << c.font;
        LOGFONTA font{};
        ASSERT_EQ(GetObjectA(GetCurrentObject(dc, OBJ_FONT), sizeof font, &font),
                  static_cast<int>(sizeof font));
        EXPECT_STREQ(font.lfFaceName, c.face) << c.font;
        EXPECT_EQ(font.lfHeight, c.height) << c.font;
        EXPECT_EQ(font.lfWeight, c.weight) << c.font;
        EXPECT_EQ(font.lfItalic != 0, (c.style & kItalicFace) != 0) << c.font;
        EXPECT_EQ(font.lfUnderline != 0, (c.style & kUnderlineFace) != 0) << c.font;
        EXPECT_EQ(font.lfPitchAndFamily, VARIABLE_PITCH | c.family) << c.font;
        EXPECT_EQ(font.lfCharSet, ANSI_CHARSET);
        EXPECT_EQ(font.lfOutPrecision, OUT_STRING_PRECIS);
        EXPECT_EQ(font.lfClipPrecision, CLIP_STROKE_PRECIS);
        EXPECT_EQ(font.lfQuality, DEFAULT_QUALITY);
    }
}

TEST(GdiState, TextLeavesTheBackgroundModeTransparent)
{
    COffscreenContext context(nullptr, 40, 20, kBlackCColor);
    auto dc = static_cast<HDC>(context.getPort());
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    context.drawString("ab", CRect(0, 0, 40, 20), true, kLeftText);
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
}

TEST(GdiState, ContextsOnOneDeviceGiveBackItsObjectsAndDeleteTheirOwn)
{
    win::GdiDevice device;
    ASSERT_TRUE(device.create(8, 8));
    HGDIOBJ pen = nullptr, brush = nullptr, font = nullptr;
    {
        auto outer = createDrawBackend(device.pixels(), &device);
        outer->setPen(kRedCColor, 1, false);
        outer->setBrush(kBlueCColor);
        outer->setFont("Arial", -12, false, false, false);
        {
            auto inner = createDrawBackend(device.pixels(), &device);
            inner->setPen(kGreenCColor, 2, false);
            inner->setBrush(kGreenCColor);
            inner->setFont("Arial", -20, true, false, false);
            auto dc = static_cast<HDC>(inner->port());
            pen = GetCurrentObject(dc, OBJ_PEN);
            brush = GetCurrentObject(dc, OBJ_BRUSH);
            font = GetCurrentObject(dc, OBJ_FONT);
            EXPECT_EQ(penOf(dc).lopnColor, RGB(0, 255, 0));
            // The outer context draws again while the inner one lives: its own pen comes back.
            outer->fillRect(CRect(0, 0, 1, 1), Paint{kBlueCColor});
            EXPECT_EQ(penOf(device.dc).lopnColor, RGB(255, 0, 0));
        }
        EXPECT_TRUE(isDeleted(pen) && isDeleted(brush) && isDeleted(font))
            << "the inner context's objects leaked";
    }
    EXPECT_EQ(GetCurrentObject(device.dc, OBJ_PEN), device.originalPen);
    EXPECT_EQ(GetCurrentObject(device.dc, OBJ_BRUSH), device.originalBrush);
    EXPECT_EQ(GetCurrentObject(device.dc, OBJ_FONT), device.originalFont);
}

TEST(GdiAlpha, WhatGdiDrawsIsOpaqueAndTheRestKeepsItsAlpha)
{
    // A transparent buffer (all zero): GDI leaves alpha 0 where it writes; the backend makes
    // those pixels opaque, even where the colour written equals the one there before.
    auto backend = createDrawBackend(10, 4);
    ASSERT_TRUE(backend);
    backend->setClip(CRect(0, 0, 10, 4));
    backend->setBrush(kBlackCColor);
    backend->setPen(kRedCColor, 1, false);
    backend->fillRect(CRect(0, 0, 3, 4), Paint{kBlackCColor});
    const CPoint line[] = {CPoint(4, 1), CPoint(8, 1)};
    EXPECT_TRUE(backend->polyline(line, 2));
    const PixelBuffer pixels = backend->pixels();
    auto alpha = [&](int x, int y) { return pixels.pixel(x, y)[3]; };
    EXPECT_EQ(alpha(0, 0), 255) << "black written over transparent black";
    EXPECT_EQ(alpha(2, 3), 255);
    EXPECT_EQ(alpha(5, 1), 255);
    EXPECT_EQ(alpha(5, 0), 0) << "a pixel GDI did not touch";
    EXPECT_EQ(alpha(8, 1), 0) << "the line's end pixel";
    EXPECT_EQ(bgr(pixels, 5, 1), 0xff0000u);
    CColor read;
    ASSERT_TRUE(backend->getPixel(CPoint(5, 1), read));
    EXPECT_EQ(read, kRedCColor);
}

} // namespace
