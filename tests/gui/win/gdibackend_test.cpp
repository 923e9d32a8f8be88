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
