// Off-screen contexts: painted backgrounds, copies between contexts, bitmap-backed buffers.
#include <gtest/gtest.h>

#include "gui/cbitmap.h"
#include "gui/cframe.h"
#include "tests/gui/drawing_harness.h"

using namespace VSTGUI;
using namespace drawtest;

namespace
{

/// A context whose pixel (x, y) is 0xff00YYXX: every pixel tells where it came from.
void paintCoordinates(COffscreenContext& context)
{
    for (int y = 0; y < context.getHeight(); ++y)
        for (int x = 0; x < context.getWidth(); ++x)
            context.drawPoint(CPoint(x, y),
                              MakeCColor(0, static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(x)));
}

std::uint32_t coordinate(int x, int y)
{
    return 0xff000000u | (static_cast<std::uint32_t>(y) << 8) | x;
}

TEST(COffscreenContext, EveryPixelStartsInTheBackgroundColour)
{
    COffscreenContext context(nullptr, 7, 5, kRedCColor);
    EXPECT_EQ(mismatches(context, [](int, int) { return kRed; }), "");
    EXPECT_EQ(context.getFillColor(), kRedCColor);
    EXPECT_EQ(context.getFrameColor(), kRedCColor);
    CRect clip;
    EXPECT_EQ(context.getClipRect(clip), CRect(0, 0, 7, 5));
}

TEST(COffscreenContext, SillySizesGiveAnEmptyContext)
{
    for (auto [w, h] : {std::pair{0L, 5L}, std::pair{5L, -1L}, std::pair{100000L, 100000L}})
    {
        COffscreenContext context(nullptr, w, h, kRedCColor);
        EXPECT_FALSE(context.getPixelBuffer().isValid());
        context.fillRect(CRect(0, 0, 3, 3));
    }
}

TEST(COffscreenContext, CopyFromTakesTheRegionAtTheSourceOffset)
{
    COffscreenContext source(nullptr, 10, 10);
    paintCoordinates(source);
    COffscreenContext dest(nullptr, 12, 12, kBlackCColor);
    dest.offset = CPoint(1, 0);
    source.copyFrom(&dest, CRect(2, 3, 5, 5), CPoint(6, 1));
    EXPECT_EQ(mismatches(dest,
                         [](int x, int y)
                         {
                             if (x >= 3 && x < 6 && y >= 3 && y < 5) return coordinate(x - 3 + 6, y - 3 + 1);
                             return kBlack;
                         }),
              "");
}

TEST(COffscreenContext, CopyFromStaysInsideTheSourceAndTheDestinationClip)
{
    COffscreenContext source(nullptr, 4, 4);
    paintCoordinates(source);
    COffscreenContext dest(nullptr, 10, 10, kBlackCColor);
    dest.setClipRect(CRect(0, 0, 10, 6));
    // Asks for 8 x 8 from (2,2): only 2 x 2 exist, and rows from 6 on are clipped anyway.
    source.copyFrom(&dest, CRect(5, 5, 13, 13), CPoint(2, 2));
    EXPECT_EQ(mismatches(dest,
                         [](int x, int y)
                         {
                             if (x >= 5 && x < 7 && y == 5) return coordinate(x - 5 + 2, y - 5 + 2);
                             return kBlack;
                         }),
              "");
    source.copyFrom(nullptr, CRect(0, 0, 4, 4), CPoint(0, 0));
}

TEST(COffscreenContext, CopyToTakesPixelsFromAnotherContext)
{
    COffscreenContext behind(nullptr, 10, 10);
    paintCoordinates(behind);
    behind.offset = CPoint(2, 1);
    COffscreenContext buffer(nullptr, 5, 5, kBlackCColor);
    CRect area(1, 1, 4, 3);
    buffer.copyTo(&behind, area, CPoint(1, 2));
    EXPECT_EQ(mismatches(buffer,
                         [](int x, int y)
                         {
                             if (x >= 1 && x < 4 && y >= 2 && y < 4) return coordinate(x - 1 + 3, y - 2 + 2);
                             return kBlack;
                         }),
              "");
}

TEST(COffscreenContext, BitmapBackedContexts)
{
    CFrame frame(CRect(0, 0, 10, 10), nullptr, nullptr);
    auto* bitmap = new CBitmap(frame, 6, 4);
    ASSERT_TRUE(bitmap->isLoaded());
    {
        COffscreenContext copy(nullptr, bitmap, false);
        EXPECT_EQ(copy.getWidth(), 6);
        EXPECT_EQ(copy.getHeight(), 4);
        EXPECT_EQ(copy.getBitmap(), bitmap);
        copy.setFillColor(kRedCColor);
        copy.drawRect(CRect(0, 0, 6, 4), kDrawFilled);
        EXPECT_EQ(pixelOf(copy, 0, 0), kRed);
    }
    EXPECT_EQ(bitmap->getHandle().pixel(0, 0)[3], 0); // a copy leaves the bitmap alone
    {
        COffscreenContext into(nullptr, bitmap, true);
        into.setFillColor(kGreenCColor);
        into.drawRect(CRect(1, 1, 2, 2), kDrawFilled);
    }
    std::uint32_t value;
    std::memcpy(&value, bitmap->getHandle().pixel(1, 1), 4);
    EXPECT_EQ(value, kGreen);
    bitmap->forget();

    COffscreenContext none(nullptr, nullptr, false);
    EXPECT_EQ(none.getWidth(), 20);
    EXPECT_EQ(none.getHeight(), 20);
    EXPECT_TRUE(none.getPixelBuffer().isValid());
}

} // namespace
