// Bitmaps on Windows: PNGs decoded into bottom-up 32-bit DIB sections, plain BITMAP resources
// for numbers without a PNG, and the GDI ways of drawing them (BitBlt, AlphaBlend,
// TransparentBlt, the masks), with msimg32's entry points present and taken away, each
// compared with the portable pixel rules.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gui/cbitmap.h"
#include "gui/coffscreencontext.h"
#include "gui/pixelops.h"
#include "gui/win/blendfunctions.h"
#include "gui/win/win32bitmap.h"
#include "tests/gui/pngwriter.h"

using namespace VSTGUI;

namespace
{

using Bytes = std::vector<std::uint8_t>;

struct Dib
{
    DIBSECTION section{};
    bool valid = false;
};

Dib dibSectionOf(const CBitmap& bitmap)
{
    Dib dib;
    HBITMAP handle = win::dibOf(bitmap.getPlatformImage());
    dib.valid = handle && GetObjectA(handle, sizeof dib.section, &dib.section) == sizeof dib.section;
    return dib;
}

/// The DIB's bytes in memory order (its first row first).
Bytes memoryOf(const Dib& dib)
{
    const auto* bits = static_cast<const std::uint8_t*>(dib.section.dsBm.bmBits);
    return Bytes(bits, bits + static_cast<size_t>(dib.section.dsBm.bmWidthBytes) * dib.section.dsBm.bmHeight);
}

using testpng::image;

TEST(Win32Bitmap, PngsDecodeIntoBottomUpDibSectionsPremultipliedWithTheShift)
{
    struct Case
    {
        const char* name;
        testpng::Image png;
        Bytes memory; // B, G, R, A in the DIB's memory order: the image's last row first
    };
    const Case cases[] = {
        {"1-bit grey",
         image(3, PNG_COLOR_TYPE_GRAY, 1, {{0b10100000}, {0b01000000}}),
         {0,   0,   0,   255, 254, 254, 254, 255, 0,   0,   0,   255,   // image row 1: black white black
          254, 254, 254, 255, 0,   0,   0,   255, 254, 254, 254, 255}}, // image row 0: white black white
        {"RGBA",
         image(2, PNG_COLOR_TYPE_RGB_ALPHA, 8,
               {{200, 100, 50, 0, 255, 255, 255, 128}, {10, 20, 30, 255, 0, 0, 0, 0}}),
         {(30 * 255) >> 8, (20 * 255) >> 8, (10 * 255) >> 8, 255, 0, 0, 0, 0, 0, 0, 0, 0, 127, 127, 127,
          128}}, // alpha 0 is four zero bytes whatever the colour
    };
    for (const Case& c : cases)
    {
        const Bytes png = testpng::encode(c.png);
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.loadFromPNG(png.data(), png.size())) << c.name;
        const Dib dib = dibSectionOf(bitmap);
        ASSERT_TRUE(dib.valid) << c.name;
        EXPECT_EQ(dib.section.dsBmih.biHeight, c.png.height) << c.name << ": rows bottom-up";
        EXPECT_EQ(dib.section.dsBm.bmBitsPixel, 32) << c.name;
        EXPECT_EQ(memoryOf(dib), c.memory) << c.name;
        // The portable view of the same bytes counts rows from the top.
        EXPECT_EQ(bitmap.getPixels().pixel(0, 0),
                  static_cast<std::uint8_t*>(dib.section.dsBm.bmBits) +
                      static_cast<size_t>(4 * c.png.width) * (c.png.height - 1))
            << c.name;
    }
}

TEST(Win32Bitmap, ADecodedImageIsDrawnIntoAsATopDownCopy)
{
    // The GDI backend binds top-down rows: writing into a decoded image first makes it such a
    // copy, with the same pixels, and a context then draws into it.
    const Bytes png = testpng::encode(image(2, PNG_COLOR_TYPE_GRAY, 8, {{0, 255}, {255, 0}}));
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.loadFromPNG(png.data(), png.size()));
    const PixelBuffer decoded = bitmap.getPixels();
    Bytes before;
    for (int y = 0; y < 2; ++y)
        before.insert(before.end(), decoded.pixel(0, y), decoded.pixel(0, y) + 8);
    const PixelBuffer writable = bitmap.getHandle();
    ASSERT_TRUE(writable.isValid());
    EXPECT_EQ(writable.stride, 8);
    EXPECT_EQ(Bytes(writable.data, writable.data + 16), before);
    {
        COffscreenContext painter(nullptr, &bitmap, true);
        painter.drawPoint(CPoint(1, 0), kBlueCColor);
    }
    std::uint32_t value = 0;
    std::memcpy(&value, bitmap.getPixels().pixel(1, 0), 4);
    EXPECT_EQ(value, 0xff0000ffu);
}

TEST(Win32Bitmap, ResourcesArePngsElsePlainBitmapsElseNothing)
{
    // A PNG resource, decoded once for every bitmap of that number.
    CBitmap background(128), again(128);
    const Dib png = dibSectionOf(background);
    ASSERT_TRUE(png.valid);
    EXPECT_TRUE(background.hasAlpha());
    EXPECT_EQ(png.section.dsBmih.biHeight, 200);
    EXPECT_EQ(png.section.dsBm.bmWidth, 420);
    EXPECT_EQ(win::dibOf(again.getPlatformImage()), win::dibOf(background.getPlatformImage()));

    // No PNG 300, but a BITMAP: opaque, without alpha, in the same bottom-up 32-bit form.
    CBitmap plain(300);
    ASSERT_TRUE(plain.isLoaded());
    EXPECT_FALSE(plain.hasAlpha());
    EXPECT_EQ(plain.getWidth(), 3);
    EXPECT_EQ(plain.getHeight(), 2);
    const Dib bmp = dibSectionOf(plain);
    ASSERT_TRUE(bmp.valid);
    EXPECT_EQ(bmp.section.dsBmih.biHeight, 2);
    EXPECT_EQ(memoryOf(bmp),
              (Bytes{255, 0, 255, 255, 0, 0,   0, 255, 30,  20, 10, 255,    // magenta black (10,20,30)
                     0,   0, 255, 255, 0, 255, 0, 255, 255, 0,  0,  255})); // red green blue

    // Neither: nothing loaded.
    CBitmap missing(301);
    EXPECT_FALSE(missing.isLoaded());
    EXPECT_EQ(missing.getWidth(), 0);
    EXPECT_EQ(win::dibOf(missing.getPlatformImage()), nullptr);
}

/// A drawing target as the GDI backend has one: a memory DC with a top-down 32-bit DIB section.
struct Target
{
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ saved = nullptr;
    PixelBuffer pixels;

    Target(int width, int height)
    {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        saved = SelectObject(dc, bitmap);
        pixels = PixelBuffer{static_cast<std::uint8_t*>(bits), width, height, width * 4};
        // Every pixel different and opaque, so a pixel taken from the wrong place shows.
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixelops::storeColor(pixels.pixel(x, y), CColor{static_cast<std::uint8_t>(40 + x * 20),
                                                                static_cast<std::uint8_t>(200 - y * 30),
                                                                static_cast<std::uint8_t>(90 + x * y), 255});
    }
    ~Target()
    {
        SelectObject(dc, saved);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    Bytes bytes() const { return Bytes(pixels.data, pixels.data + pixels.stride * pixels.height); }
};

/// Where the bytes (B, G, R and A) of two images differ by more than `tolerance`.
std::string colourDifferences(const Bytes& got, const Bytes& want, int tolerance)
{
    std::string out;
    for (size_t i = 0; i < got.size(); ++i)
        if (std::abs(got[i] - want[i]) > tolerance && out.size() < 200)
            out += "pixel " + std::to_string(i / 4) + " channel " + std::to_string(i % 4) + ": " +
                   std::to_string(got[i]) + " not " + std::to_string(want[i]) + "; ";
    return out;
}

TEST(Win32BitmapDraw, EveryGdiWayMatchesThePortableRulesWithAndWithoutMsimg32)
{
    // An image with alpha (every alpha from 0 to opaque) and one without, which holds the key.
    std::vector<std::uint8_t> quads;
    for (int i = 0; i < 12; ++i)
        quads.insert(quads.end(),
                     {static_cast<std::uint8_t>(20 * i), 200, static_cast<std::uint8_t>(255 - 20 * i),
                      static_cast<std::uint8_t>(i == 0 ? 0 : i * 23 - 20)});
    const Bytes png = testpng::encode(testpng::rgba(4, 3, quads));
    CBitmap withAlpha;
    ASSERT_TRUE(withAlpha.loadFromPNG(png.data(), png.size()));
    CBitmap plain(300);
    ASSERT_TRUE(plain.isLoaded());
    const CColor key = kMagentaCColor;
    // A prepared mask for the plain image: keep the target at the top middle and bottom middle.
    const std::uint8_t mask[6] = {0, 1, 0, 0, 1, 0};

    struct Way
    {
        const char* name;
        const CBitmap* bitmap;
        ImageDrawMode mode;
        unsigned opacity;
        const std::uint8_t* mask;
        int tolerance;
        int transparentWay[2]; // with and without TransparentBlt
    };
    const Way ways[] = {
        {"copy", &plain, ImageDrawMode::Copy, 255, nullptr, 0, {0, 0}},
        {"keyed", &plain, ImageDrawMode::Transparent, 255, nullptr, 0, {2, 3}},
        {"prepared mask", &plain, ImageDrawMode::Transparent, 255, mask, 0, {1, 1}},
        {"blend opaque", &withAlpha, ImageDrawMode::AlphaBlend, 255, nullptr, 1, {0, 0}},
        {"blend 100", &withAlpha, ImageDrawMode::AlphaBlend, 100, nullptr, 1, {0, 0}},
        {"constant alpha 77", &plain, ImageDrawMode::AlphaBlend, 77, nullptr, 1, {0, 0}},
    };
    win::acquireBlendFunctions();
    ASSERT_NE(win::alphaBlendFunction(), nullptr) << "msimg32 has no AlphaBlend here";
    ASSERT_NE(win::transparentBltFunction(), nullptr) << "msimg32 has no TransparentBlt here";
    for (const bool alphaBlend : {true, false})
        for (const bool transparentBlt : {true, false})
        {
            win::overrideBlendFunctions(alphaBlend, transparentBlt);
            for (const Way& w : ways)
            {
                const std::string name = std::string(w.name) +
                                         (alphaBlend ? " +AlphaBlend" : " -AlphaBlend") +
                                         (transparentBlt ? " +TransparentBlt" : " -TransparentBlt");
                Target gdi(7, 5), portable(7, 5);
                const PlatformImage* image = w.bitmap->getPlatformImage();
                const PixelBuffer source = image->pixels();
                // The image but its first row (the plain one's magenta and black), to the target's
                // (2, 1), cut by the clip at column 4: both sides of the copy are offset and clipped.
                const auto plan = pixelops::planCopy(source, CPoint(0, 1), source.width, source.height - 1,
                                                     portable.pixels, CPoint(2, 1), CRect(0, 0, 4, 5));
                ImageDraw how;
                how.mode = w.mode;
                how.opacity = w.opacity;
                how.perPixelAlpha = w.bitmap->hasAlpha();
                how.keyRed = key.red;
                how.keyGreen = key.green;
                how.keyBlue = key.blue;
                how.mask = w.mask;
                const bool drawn = image->drawTo(gdi.dc, gdi.pixels, plan.source, plan.dest, how);
                // Only a missing AlphaBlend leaves a way to the portable code.
                EXPECT_EQ(drawn, alphaBlend || w.mode != ImageDrawMode::AlphaBlend) << name;
                if (w.mode == ImageDrawMode::Transparent)
                {
                    EXPECT_EQ(win::lastTransparentWay(), w.transparentWay[transparentBlt ? 0 : 1]) << name;
                }

                if (w.mask)
                {
                    for (long y = 0; y < plan.dest.height(); ++y)
                        for (long x = 0; x < plan.dest.width(); ++x)
                            if (!w.mask[(plan.source.top + y) * source.width + plan.source.left + x])
                                std::memcpy(portable.pixels.pixel(plan.dest.left + x, plan.dest.top + y),
                                            source.pixel(plan.source.left + x, plan.source.top + y), 4);
                }
                else
                {
                    const auto mode = w.mode == ImageDrawMode::Copy ? pixelops::CopyMode::Replace
                                      : w.mode == ImageDrawMode::Transparent
                                          ? pixelops::CopyMode::SkipKeyColor
                                          : pixelops::CopyMode::BlendOver;
                    pixelops::copyPixels(source, portable.pixels, plan, mode, w.opacity, key);
                }
                if (!drawn) continue; // the portable code draws it: that is the comparison's own side
                EXPECT_EQ(colourDifferences(gdi.bytes(), portable.bytes(), w.tolerance), "") << name;
                EXPECT_NE(colourDifferences(gdi.bytes(), Target(7, 5).bytes(), 0), "")
                    << name << ": nothing drawn";
            }
        }
    win::overrideBlendFunctions(true, true);
    win::releaseBlendFunctions();
}

TEST(Win32BitmapDraw, OnlyADeviceContextOverTheTargetsOwnPixelsIsDrawnOn)
{
    CBitmap plain(300);
    const PlatformImage* image = plain.getPlatformImage();
    ASSERT_NE(image, nullptr);
    Target target(4, 4), other(4, 4);
    const Bytes before = target.bytes();
    const CRect source(0, 0, 2, 2), dest(0, 0, 2, 2);
    ImageDraw how;
    // Another bitmap's DC, a window's (screen) DC and no DC: the portable code must draw instead.
    EXPECT_FALSE(image->drawTo(other.dc, target.pixels, source, dest, how));
    HDC screen = GetDC(nullptr);
    EXPECT_FALSE(image->drawTo(screen, target.pixels, source, dest, how));
    ReleaseDC(nullptr, screen);
    EXPECT_FALSE(image->drawTo(nullptr, target.pixels, source, dest, how));
    EXPECT_EQ(target.bytes(), before);
    EXPECT_TRUE(image->drawTo(target.dc, target.pixels, source, dest, how));
    EXPECT_NE(target.bytes(), before);
}

TEST(Win32BitmapDraw, ADrawingContextHandsTheBitmapItsDeviceContext)
{
    // Through CBitmap and a context: the keyed draw reaches GDI (the way it took shows it), at
    // the context's offset, inside its clip.
    CBitmap plain(300);
    ASSERT_TRUE(plain.isLoaded());
    plain.setTransparentColor(kMagentaCColor);
    win::acquireBlendFunctions();
    for (const bool transparentBlt : {true, false})
    {
        win::overrideBlendFunctions(true, transparentBlt);
        COffscreenContext context(nullptr, 5, 4, kRedCColor);
        context.offset = CPoint(1, 1);
        context.setClipRect(CRect(0, 0, 2, 2));
        CRect rect(0, 0, 3, 2);
        plain.drawTransparent(&context, rect);
        EXPECT_EQ(win::lastTransparentWay(), transparentBlt ? 2 : 3);
        const std::uint32_t red = 0xffff0000u;
        const std::uint32_t expected[4][5] = {{red, red, red, red, red},
                                              {red, red, 0xff00ff00u, red, red},
                                              {red, red, 0xff000000u, red, red},
                                              {red, red, red, red, red}};
        const PixelBuffer pixels = context.getPixelBuffer();
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x)
            {
                std::uint32_t value = 0;
                std::memcpy(&value, pixels.pixel(x, y), 4);
                EXPECT_EQ(value, expected[y][x])
                    << x << "," << y << (transparentBlt ? " TransparentBlt" : " mask");
            }
    }
    win::overrideBlendFunctions(true, true);
    win::releaseBlendFunctions();
}

} // namespace
