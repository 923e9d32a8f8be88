// Bitmaps: PNG decoding of every colour type into premultiplied B, G, R, A pixels, failures
// that leave nothing loaded, and drawing whole images and strip frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "gui/cbitmap.h"
#include "gui/cframe.h"
#include "tests/gui/drawing_harness.h"
#include "tests/gui/pngwriter.h"

using namespace VSTGUI;
using namespace drawtest;

namespace
{

using Bytes = std::vector<std::uint8_t>;

/// Pixel (x, y) of a loaded bitmap as 0xAARRGGBB.
std::uint32_t bitmapPixel(CBitmap& bitmap, int x, int y)
{
    std::uint32_t value = 0;
    std::memcpy(&value, bitmap.getHandle().pixel(x, y), 4);
    return value;
}

constexpr std::uint32_t argb(unsigned a, unsigned r, unsigned g, unsigned b)
{
    return a << 24 | r << 16 | g << 8 | b;
}
/// What the loader stores for a straight channel c under alpha a.
constexpr unsigned pre(unsigned c, unsigned a)
{
    return a == 0 ? 0 : (c * a) >> 8;
}

using testpng::image;

TEST(CBitmapPng, EveryColourTypeDecodesToPremultipliedBlueGreenRedAlpha)
{
    struct Case
    {
        const char* name;
        testpng::Image img;
        std::vector<std::uint32_t> expected; // first row, left to right
    };
    std::vector<Case> cases;
    cases.push_back({"1-bit grey",
                     image(3, PNG_COLOR_TYPE_GRAY, 1, {{0b10100000}}),
                     {argb(255, 254, 254, 254), argb(255, 0, 0, 0), argb(255, 254, 254, 254)}});
    cases.push_back({"2-bit grey",
                     image(2, PNG_COLOR_TYPE_GRAY, 2, {{0b01110000}}),
                     {argb(255, pre(85, 255), pre(85, 255), pre(85, 255)), argb(255, 254, 254, 254)}});
    cases.push_back({"8-bit grey",
                     image(2, PNG_COLOR_TYPE_GRAY, 8, {{0, 200}}),
                     {argb(255, 0, 0, 0), argb(255, pre(200, 255), pre(200, 255), pre(200, 255))}});
    cases.push_back({"grey-alpha",
                     image(2, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {{200, 100, 50, 0}}),
                     {argb(100, pre(200, 100), pre(200, 100), pre(200, 100)), 0}});
    cases.push_back(
        {"RGB",
         image(2, PNG_COLOR_TYPE_RGB, 8, {{10, 20, 30, 255, 0, 128}}),
         {argb(255, pre(10, 255), pre(20, 255), pre(30, 255)), argb(255, 254, 0, pre(128, 255))}});
    cases.push_back(
        {"RGBA",
         image(3, PNG_COLOR_TYPE_RGB_ALPHA, 8, {{255, 255, 255, 255, 200, 100, 50, 0, 40, 80, 120, 128}}),
         {argb(255, 254, 254, 254), 0, argb(128, pre(40, 128), pre(80, 128), pre(120, 128))}});
    cases.push_back({"16-bit RGB keeps the high bytes",
                     image(1, PNG_COLOR_TYPE_RGB, 16, {{0x12, 0x34, 0xab, 0xcd, 0xff, 0xff}}),
                     {argb(255, pre(0x12, 255), pre(0xab, 255), 254)}});
    cases.push_back({"16-bit RGBA",
                     image(1, PNG_COLOR_TYPE_RGB_ALPHA, 16, {{0x80, 1, 0x40, 2, 0x20, 3, 0x80, 0xff}}),
                     {argb(0x80, pre(0x80, 0x80), pre(0x40, 0x80), pre(0x20, 0x80))}});
    cases.push_back({"16-bit grey",
                     image(1, PNG_COLOR_TYPE_GRAY, 16, {{0x7f, 0xff}}),
                     {argb(255, pre(0x7f, 255), pre(0x7f, 255), pre(0x7f, 255))}});

    testpng::Image palette = image(3, PNG_COLOR_TYPE_PALETTE, 8, {{0, 1, 2}});
    palette.palette = {{255, 0, 0}, {0, 255, 0}, {10, 20, 30}};
    cases.push_back(
        {"palette without transparency keeps red red",
         palette,
         {argb(255, 254, 0, 0), argb(255, 0, 254, 0), argb(255, pre(10, 255), pre(20, 255), pre(30, 255))}});
    testpng::Image keyed = palette;
    keyed.paletteAlpha = {0, 128};
    cases.push_back(
        {"palette with transparency",
         keyed,
         {0, argb(128, 0, pre(255, 128), 0), argb(255, pre(10, 255), pre(20, 255), pre(30, 255))}});
    testpng::Image lowPalette = image(4, PNG_COLOR_TYPE_PALETTE, 2, {{0b00011011}});
    lowPalette.palette = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    cases.push_back({"2-bit palette",
                     lowPalette,
                     {argb(255, 0, 0, 0), argb(255, 254, 0, 0), argb(255, 0, 254, 0), argb(255, 0, 0, 254)}});

    testpng::Image greyKey = image(2, PNG_COLOR_TYPE_GRAY, 8, {{7, 8}});
    greyKey.hasTransparentColor = true;
    greyKey.transparentColor.gray = 7;
    cases.push_back(
        {"grey with a transparent value", greyKey, {0, argb(255, pre(8, 255), pre(8, 255), pre(8, 255))}});
    testpng::Image rgbKey = image(2, PNG_COLOR_TYPE_RGB, 8, {{1, 2, 3, 1, 2, 4}});
    rgbKey.hasTransparentColor = true;
    rgbKey.transparentColor.red = 1;
    rgbKey.transparentColor.green = 2;
    rgbKey.transparentColor.blue = 3;
    cases.push_back(
        {"RGB with a transparent colour", rgbKey, {0, argb(255, pre(1, 255), pre(2, 255), pre(4, 255))}});

    for (auto& c : cases)
    {
        const Bytes png = testpng::encode(c.img);
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.loadFromPNG(png.data(), png.size())) << c.name;
        EXPECT_TRUE(bitmap.isLoaded()) << c.name;
        EXPECT_TRUE(bitmap.hasAlpha()) << c.name;
        EXPECT_EQ(bitmap.getWidth(), c.img.width) << c.name;
        EXPECT_EQ(bitmap.getHeight(), c.img.height) << c.name;
        for (std::size_t x = 0; x < c.expected.size(); ++x)
            EXPECT_EQ(bitmapPixel(bitmap, static_cast<int>(x), 0), c.expected[x]) << c.name << " pixel " << x;
    }
}

TEST(CBitmapPng, RowsKeepTheirOrderAndInterlacingDecodesTheSame)
{
    std::vector<std::uint8_t> quads;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 7; ++x)
            quads.insert(quads.end(),
                         {static_cast<std::uint8_t>(x * 30), static_cast<std::uint8_t>(y * 25), 77, 255});
    testpng::Image plain = testpng::rgba(7, 9, quads);
    testpng::Image interlaced = plain;
    interlaced.interlaced = true;
    const Bytes a = testpng::encode(plain), b = testpng::encode(interlaced);
    CBitmap first, second;
    ASSERT_TRUE(first.loadFromPNG(a.data(), a.size()));
    ASSERT_TRUE(second.loadFromPNG(b.data(), b.size()));
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 7; ++x)
        {
            EXPECT_EQ(bitmapPixel(first, x, y), argb(255, pre(x * 30, 255), pre(y * 25, 255), pre(77, 255)));
            EXPECT_EQ(bitmapPixel(second, x, y), bitmapPixel(first, x, y));
        }
}

TEST(CBitmapPng, BrokenFilesFailCleanly)
{
    std::vector<std::uint8_t> quads(16 * 16 * 4, 200);
    const Bytes good = testpng::encode(testpng::rgba(16, 16, quads));

    std::vector<std::pair<const char*, Bytes>> cases;
    cases.push_back({"truncated in the image data", Bytes(good.begin(), good.begin() + good.size() / 2)});
    cases.push_back({"truncated in the header", Bytes(good.begin(), good.begin() + 20)});
    cases.push_back({"without its end chunk", Bytes(good.begin(), good.end() - 12)});
    Bytes corrupt = good;
    corrupt[corrupt.size() / 2] ^= 0x5a;
    cases.push_back({"corrupt image data", corrupt});
    Bytes badSignature = good;
    badSignature[1] = 'X';
    cases.push_back({"not a PNG", badSignature});
    Bytes huge = good;
    // IHDR width and height (bytes 16..23) set to 60000 x 60000 with a CRC that no longer fits.
    for (int i : {16, 20})
    {
        huge[i] = 0;
        huge[i + 1] = 0;
        huge[i + 2] = 0xea;
        huge[i + 3] = 0x60;
    }
    cases.push_back({"absurd size", huge});

    for (const auto& [name, bytes] : cases)
    {
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.loadFromPNG(good.data(), good.size()));
        EXPECT_FALSE(bitmap.loadFromPNG(bytes.data(), bytes.size())) << name;
        EXPECT_FALSE(bitmap.isLoaded()) << name;
        EXPECT_EQ(bitmap.getWidth(), 0) << name;
        EXPECT_EQ(bitmap.getHeight(), 0) << name;
    }
    CBitmap empty;
    EXPECT_FALSE(empty.loadFromPNG(nullptr, 0));
    EXPECT_FALSE(empty.loadFromPNG(good.data(), 0));
}

/// The file from the hex text.
Bytes fromHex(const std::string& hex)
{
    Bytes out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

/// The most address space this process has held at once, in bytes (0 where it cannot be read).
std::size_t peakAddressSpace()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmPeak:", 0) == 0) return std::stoull(line.substr(7)) * 1024;
    return 0;
}

TEST(CBitmapPng, AChunkClaimingGigabytesFailsWithoutAskingForThem)
{
    if (peakAddressSpace() == 0) GTEST_SKIP() << "no /proc/self/status here";
    // 45 bytes: a valid header, then an eXIf chunk that claims 0x7e000000 bytes of data.
    const Bytes file = fromHex("89504e470d0a1a0a0000000d4948445200000001000000400800000000fe7a429c"
                               "7e0000006558496603120203");
    ASSERT_EQ(file.size(), 45u);
    // In a child process, so that the peak measures this load alone: an allocation of the
    // claimed size would raise it by gigabytes even though it is freed at once.
    EXPECT_EXIT(
        {
            const std::size_t before = peakAddressSpace();
            CBitmap bitmap;
            const bool loaded = bitmap.loadFromPNG(file.data(), file.size());
            const std::size_t grown = peakAddressSpace() - before;
            std::exit(!loaded && !bitmap.isLoaded() && grown < (std::size_t{64} << 20) ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(CBitmapResources, EmbeddedImagesLoadByNumberAndMissingOnesStayEmpty)
{
    auto* background = new CBitmap(128);
    EXPECT_TRUE(background->isLoaded());
    EXPECT_EQ(background->getResourceID(), 128);
    EXPECT_EQ(background->getWidth(), 420);
    EXPECT_EQ(background->getHeight(), 200);
    EXPECT_EQ(background->getTransparentColor(), kTransparentCColor);
    background->forget();

    for (long id = 129; id <= 134; ++id)
    { // the knob strips, the switch strip, the read-out background
        CBitmap artwork(id);
        EXPECT_TRUE(artwork.isLoaded()) << id;
        EXPECT_GT(artwork.getWidth(), 0) << id;
    }

    for (long id : {0L, 127L, 135L, 99999L, -128L})
    {
        CBitmap missing(id);
        EXPECT_FALSE(missing.isLoaded()) << id;
        EXPECT_EQ(missing.getWidth(), 0) << id;
        EXPECT_EQ(missing.getHeight(), 0) << id;
        COffscreenContext context(nullptr, 4, 4, kRedCColor);
        CRect r(0, 0, 4, 4);
        missing.draw(&context, r);
        EXPECT_EQ(mismatches(context, [](int, int) { return kRed; }), "") << id;
    }
    CBitmap bitmap;
    EXPECT_FALSE(bitmap.loadFromPath("/tmp/bmp00128.png"));
}

/// A 2-pixel-wide strip of three 2 x 2 frames: red, green, blue (opaque).
Bytes strip()
{
    std::vector<std::uint8_t> quads;
    const std::uint8_t colours[3][4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}};
    for (int frame = 0; frame < 3; ++frame)
        for (int i = 0; i < 4; ++i)
            quads.insert(quads.end(), colours[frame], colours[frame] + 4);
    return testpng::encode(testpng::rgba(2, 6, quads));
}

TEST(CBitmapDraw, StripFramesBySourceOffsetAndNothingFromOutsideTheImage)
{
    const Bytes png = strip();
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.loadFromPNG(png.data(), png.size()));
    const std::uint32_t red = argb(255, 254, 0, 0), green = argb(255, 0, 254, 0), blue = argb(255, 0, 0, 254);
    const std::uint32_t grey = 0xff7f7f7fu;

    struct Case
    {
        const char* name;
        CPoint offset;
        std::uint32_t top, bottom; // the two rows of the 2 x 2 destination
    };
    const Case cases[] = {
        {"frame 0", CPoint(0, 0), red, red},
        {"frame 1", CPoint(0, 2), green, green},
        {"frame 2", CPoint(0, 4), blue, blue},
        {"between frames", CPoint(0, 3), green, blue},
        {"half past the end", CPoint(0, 5), blue, grey},
        {"a frame past the end", CPoint(0, 6), grey, grey},
        {"far past the end", CPoint(0, 600), grey, grey},
        {"above the start", CPoint(0, -1), grey, red},
    };
    for (const auto& c : cases)
    {
        COffscreenContext context(nullptr, 6, 6, kGreyCColor);
        CRect rect(2, 2, 4, 4);
        bitmap.draw(&context, rect, c.offset);
        EXPECT_EQ(mismatches(context,
                             [&](int x, int y)
                             {
                                 if (x >= 2 && x < 4 && y == 2) return c.top;
                                 if (x >= 2 && x < 4 && y == 3) return c.bottom;
                                 return grey;
                             }),
                  "")
            << c.name;
    }
}

TEST(CBitmapDraw, AlphaImagesAreCompositedWithTheOverallOpacity)
{
    const Bytes png = testpng::encode(testpng::rgba(2, 1, {255, 255, 255, 255, 0, 0, 255, 128}));
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.loadFromPNG(png.data(), png.size()));
    auto blendOnto = [&](int way, unsigned char alpha)
    {
        COffscreenContext context(nullptr, 2, 1, kRedCColor);
        CRect rect(0, 0, 2, 1);
        if (way == 0)
            bitmap.draw(&context, rect);
        else if (way == 1)
            bitmap.drawTransparent(&context, rect);
        else
            bitmap.drawAlphaBlend(&context, rect, CPoint(0, 0), alpha);
        return std::pair{pixelOf(context, 0, 0), pixelOf(context, 1, 0)};
    };
    // Source-over on opaque red: the opaque white (stored 254) replaces it; the half-transparent
    // blue, premultiplied to 127, keeps 127/255 of the red.
    const auto full = std::pair{argb(255, 254, 254, 254), argb(255, (255 * 127 + 127) / 255, 0, 127)};
    EXPECT_EQ(blendOnto(0, 0), full);
    EXPECT_EQ(blendOnto(1, 0), full);
    EXPECT_EQ(blendOnto(2, 255), full);
    const auto half = blendOnto(2, 128);
    EXPECT_EQ(half.first, argb(255, 127 + (255 * 127 + 127) / 255, 127, 127));
    EXPECT_EQ(blendOnto(2, 0), std::pair(0xffff0000u, 0xffff0000u));
}

TEST(CBitmapDraw, ImagesWithoutAlphaAreCopiedOrKeyed)
{
    CFrame frame(CRect(0, 0, 10, 10), nullptr, nullptr);
    auto* bitmap = new CBitmap(frame, 3, 1);
    EXPECT_FALSE(bitmap->hasAlpha());
    {
        COffscreenContext painter(nullptr, bitmap, true);
        painter.drawPoint(CPoint(0, 0), kGreenCColor);
        painter.drawPoint(CPoint(1, 0), kMagentaCColor);
        painter.drawPoint(CPoint(2, 0), kBlueCColor);
    }
    bitmap->setTransparentColor(kMagentaCColor);
    EXPECT_EQ(bitmap->getTransparentColor(), kMagentaCColor);
    COffscreenContext copied(nullptr, 3, 1, kRedCColor), keyed(nullptr, 3, 1, kRedCColor);
    CRect rect(0, 0, 3, 1);
    bitmap->draw(&copied, rect);
    bitmap->drawTransparent(&keyed, rect);
    EXPECT_EQ(pixelOf(copied, 1, 0), 0xffff00ffu);
    EXPECT_EQ(pixelOf(keyed, 0, 0), kGreen);
    EXPECT_EQ(pixelOf(keyed, 1, 0), kRed);
    EXPECT_EQ(pixelOf(keyed, 2, 0), kBlue);
    bitmap->forget();
}

TEST(CBitmapDraw, APreparedTransparencyMaskDecidesInsteadOfTheColour)
{
    CFrame frame(CRect(0, 0, 10, 10), nullptr, nullptr);
    auto* bitmap = new CBitmap(frame, 3, 1);
    {
        COffscreenContext painter(nullptr, bitmap, true);
        painter.drawPoint(CPoint(0, 0), kGreenCColor);
        painter.drawPoint(CPoint(1, 0), kMagentaCColor);
        painter.drawPoint(CPoint(2, 0), kBlueCColor);
    }
    bitmap->setTransparentColor(kMagentaCColor);
    // The mask comes from another picture: magenta at its columns 2 and 4.
    COffscreenContext picture(nullptr, 5, 1, kGreyCColor);
    picture.drawPoint(CPoint(2, 0), kMagentaCColor);
    picture.drawPoint(CPoint(4, 0), kMagentaCColor);
    struct Case
    {
        const char* name;
        CPoint offset;
        bool prepared;
        std::uint32_t expected[3];
    };
    const Case cases[] = {
        {"mask from column 2", CPoint(2, 0), true, {kRed, 0xffff00ffu, kRed}},
        {"mask partly outside the picture", CPoint(4, 0), true, {kRed, 0xffff00ffu, kBlue}},
        {"no mask: the colour decides", CPoint(0, 0), false, {kGreen, kRed, kBlue}},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(bitmap->setTransparencyMask(c.prepared ? &picture : nullptr, c.offset), c.prepared)
            << c.name;
        COffscreenContext target(nullptr, 3, 1, kRedCColor);
        CRect rect(0, 0, 3, 1);
        bitmap->drawTransparent(&target, rect);
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(pixelOf(target, x, 0), c.expected[x]) << c.name << " column " << x;
    }
    bitmap->forget();
}

TEST(CBitmapDraw, DrawingHonoursTheContextOffsetAndClip)
{
    const Bytes png = strip();
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.loadFromPNG(png.data(), png.size()));
    COffscreenContext context(nullptr, 8, 8, kGreyCColor);
    context.offset = CPoint(3, 3);
    context.setClipRect(CRect(0, 0, 1, 8));
    CRect rect(0, 0, 2, 2);
    bitmap.draw(&context, rect, CPoint(0, 2));
    EXPECT_EQ(mismatches(context, [](int x, int y)
                         { return x == 3 && (y == 3 || y == 4) ? argb(255, 0, 254, 0) : 0xff7f7f7fu; }),
              "");
}

TEST(CBitmapDraw, ExtremeRectanglesAndOffsetsAreSafe)
{
    const Bytes png = strip();
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.loadFromPNG(png.data(), png.size()));
    COffscreenContext context(nullptr, 4, 4, kGreyCColor);
    COffscreenContext other(nullptr, 4, 4, kGreyCColor);
    const CRect extremes[] = {CRect(-2000000000, -2000000000, 2000000000, 2000000000),
                              CRect(2000000000, 0, -2000000000, 4), CRect(0, 0, 2, 2)};
    const CPoint offsets[] = {CPoint(-2000000000, 0), CPoint(2000000000, 2000000000), CPoint(0, 0)};
    for (CRect rect : extremes)
        for (const CPoint& offset : offsets)
        {
            bitmap.draw(&context, rect, offset);
            bitmap.drawAlphaBlend(&context, rect, offset, 100);
            context.copyFrom(&other, rect, offset);
            other.copyTo(&context, rect, offset);
            context.fillRect(rect);
        }
    // Whatever landed came from the image or the background: nothing was read from outside them.
    const std::uint32_t allowed[] = {0xff7f7f7fu, argb(255, 254, 0, 0), argb(255, 0, 254, 0),
                                     argb(255, 0, 0, 254)};
    for (auto* c : {&context, &other})
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_NE(std::find(std::begin(allowed), std::end(allowed), pixelOf(*c, x, y)),
                          std::end(allowed));
}

TEST(CBitmap, DisposeEmptiesTheImage)
{
    const Bytes png = strip();
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.loadFromPNG(png.data(), png.size()));
    bitmap.dispose();
    EXPECT_FALSE(bitmap.isLoaded());
    EXPECT_EQ(bitmap.getWidth(), 0);
    EXPECT_FALSE(bitmap.getHandle().isValid());
}

} // namespace
