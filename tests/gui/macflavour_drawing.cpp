// The Mac flavour of the drawing context (built with SORVELT_MAC_FLAVOUR): a fill covers the
// whole rectangle and the standard fonts take the Mac sizes.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/gui/drawing_harness.h"
#include "tests/gui/drawmode_table.h"

using namespace VSTGUI;
using namespace drawtest;

namespace
{

static_assert(SORVELT_MAC_FLAVOUR, "this program must be built with the Mac flavour");

TEST(MacFlavourDrawing, FillRectCoversTheWholeRectangle)
{
    COffscreenContext context(nullptr, 10, 10, kBlackCColor);
    context.setFillColor(kRedCColor);
    context.fillRect(CRect(2, 3, 7, 9));
    EXPECT_EQ(
        mismatches(context, [](int x, int y) { return x >= 2 && x < 7 && y >= 3 && y < 9 ? kRed : kBlack; }),
        "");
}

TEST(MacFlavourDrawing, StandardFontsTakeTheMacSizesAndFaces)
{
    const long sizes[] = {12, 18, 14, 12, 10, 9, 9, 12};
    for (int i = 0; i < kFontCount; ++i)
    {
        EXPECT_EQ(gStandardFontSize[i], sizes[i]) << i;
        EXPECT_STREQ(gMacXfontNames[i], i == kFontSymbol ? "Symbol" : "Helvetica") << i;
    }
    COffscreenContext context(nullptr, 4, 4);
    context.setFont(kFontSmall);
    EXPECT_EQ(context.getFontSize(), 10);
}

TEST(MacFlavourDrawing, DrawModesCopyAndOnlyThreeAntialiases)
{
    checkDrawModes(true);
}

TEST(MacFlavourDrawing, GetPointAnswersBlackAndFloodFillDoesNothing)
{
    COffscreenContext context(nullptr, 10, 10, kWhiteCColor);
    context.drawPoint(CPoint(3, 3), kRedCColor);
    EXPECT_EQ(context.getPoint(CPoint(3, 3)), kBlackCColor);
    EXPECT_EQ(context.getPoint(CPoint(5, 5)), kBlackCColor);
    context.setFillColor(kBlueCColor);
    context.floodFill(CPoint(5, 5));
    EXPECT_EQ(mismatches(context, [](int x, int y) { return x == 3 && y == 3 ? kRed : 0xffffffffu; }), "");
}

TEST(MacFlavourDrawing, OpaqueFlagHasNoEffect)
{
    COffscreenContext context(nullptr, 60, 20, kBlackCColor);
    context.setFont(kFontNormal);
    context.setFillColor(kBlueCColor);
    context.drawString("ab", CRect(0, 0, 60, 20), true, kLeftText);
    for (int x = 0; x < 60; ++x)
        for (int y = 0; y < 20; ++y)
            ASSERT_NE(pixelOf(context, x, y), kBlue);
}

/// A window that reports a fixed mouse state.
struct FixedMouseWindow : PlatformWindow
{
    long buttons = 0;
    void resize(int, int) override {}
    void invalidate(const CRect&) override {}
    void drainEvents() override {}
    PixelBuffer getSurface() override { return {}; }
    void flush(const CRect&) override {}
    long getMouseButtons() override { return buttons; }
    CPoint getPointerPosition() override { return CPoint(0, 0); }
};

TEST(MacFlavourDrawing, ControlClickIsARightClick)
{
    struct Case
    {
        long held, reported;
    };
    const Case cases[] = {
        {kMouseLeftButton | kModifierSystem, kMouseRightButton},
        {kMouseLeftButton | kMouseMiddleButton | kModifierSystem | kModifierShift,
         kMouseRightButton | kModifierShift},
        {kMouseLeftButton | kModifierShift, kMouseLeftButton | kModifierShift},
        {kModifierSystem, kModifierSystem},
        {kMouseRightButton | kModifierSystem, kMouseRightButton | kModifierSystem},
    };
    for (const auto& c : cases)
    {
        FixedMouseWindow window;
        window.buttons = c.held;
        CDrawContext context(nullptr, &window);
        EXPECT_EQ(context.getMouseButtons(), c.reported) << c.held;
    }
}

} // namespace
