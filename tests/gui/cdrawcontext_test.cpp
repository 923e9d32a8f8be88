// Drawing context: the exact pixels of rectangles and lines, offsets, clipping, fonts, text
// and the mouse as a headless window reports it.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "gui/cdrawcontext.h"
#include "gui/headless/headlessplatform.h"
#include "tests/gui/drawing_harness.h"
#include "tests/gui/drawmode_table.h"

using namespace VSTGUI;
using namespace drawtest;

namespace
{

struct Canvas
{
    COffscreenContext context{nullptr, 16, 16, kBlackCColor};
};

bool inside(int x, int y, int l, int t, int r, int b)
{
    return x >= l && x < r && y >= t && y < b;
}

TEST(CDrawContext, InitialState)
{
    COffscreenContext c(nullptr, 4, 4);
    CDrawContext window(nullptr, nullptr);
    CRect clip;
    EXPECT_EQ(window.getClipRect(clip), CRect(0, 0, 1000, 1000));
    EXPECT_EQ(window.getFrameColor(), kWhiteCColor);
    EXPECT_EQ(window.getFillColor(), kBlackCColor);
    EXPECT_EQ(window.getFontColor(), kWhiteCColor);
    EXPECT_EQ(window.getLineStyle(), kLineSolid);
    EXPECT_EQ(window.getLineWidth(), 1);
    EXPECT_EQ(window.getDrawMode(), kCopyMode);
    EXPECT_EQ(window.getFont(), kFontSystem);
    EXPECT_EQ(window.getFontSize(), gStandardFontSize[kFontSystem]);
    EXPECT_EQ(window.getFontStyle(), 0);
}

TEST(CDrawContext, ContextWithoutTargetDrawsNothingAndDoesNotCrash)
{
    CDrawContext context(nullptr, nullptr);
    context.fillRect(CRect(0, 0, 10, 10));
    context.drawRect(CRect(0, 0, 10, 10), kDrawFilledAndStroked);
    context.moveTo(CPoint(0, 0));
    context.lineTo(CPoint(5, 5));
    context.drawString("text", CRect(0, 0, 50, 20));
    context.floodFill(CPoint(1, 1));
    EXPECT_FALSE(context.getPixelBuffer().isValid());
    EXPECT_EQ(context.getStringWidth("text"), 0);
    EXPECT_EQ(context.getMouseButtons(), 0);
}

TEST(CDrawContext, RectangleCoverage)
{
    // (2,3)-(7,9): which pixels each operation changes.
    struct Case
    {
        const char* name;
        std::function<void(CDrawContext&)> draw;
        std::function<std::uint32_t(int, int)> expected;
    };
    const CRect r(2, 3, 7, 9);
    const std::vector<Case> cases = {
#if SORVELT_MAC_FLAVOUR
        {"fillRect covers the whole rectangle", [&](CDrawContext& c) { c.fillRect(r); },
         [](int x, int y) { return inside(x, y, 2, 3, 7, 9) ? kRed : kBlack; }},
#else
        {"fillRect leaves out the top row and the left column", [&](CDrawContext& c) { c.fillRect(r); },
         [](int x, int y) { return inside(x, y, 3, 4, 7, 9) ? kRed : kBlack; }},
#endif
        {"filled drawRect covers the whole rectangle", [&](CDrawContext& c) { c.drawRect(r, kDrawFilled); },
         [](int x, int y) { return inside(x, y, 2, 3, 7, 9) ? kRed : kBlack; }},
        {"stroked drawRect runs through columns left and right-1, rows top and bottom-1",
         [&](CDrawContext& c) { c.drawRect(r, kDrawStroked); },
         [](int x, int y)
         { return inside(x, y, 2, 3, 7, 9) && !inside(x, y, 3, 4, 6, 8) ? kGreen : kBlack; }},
        {"filled and stroked: the outline over the fill",
         [&](CDrawContext& c) { c.drawRect(r, kDrawFilledAndStroked); },
         [](int x, int y)
         {
             if (inside(x, y, 3, 4, 6, 8)) return kRed;
             return inside(x, y, 2, 3, 7, 9) ? kGreen : kBlack;
         }},
        {"a raster operation covers the same pixels (black OR red is red)",
         [&](CDrawContext& c)
         {
             c.setDrawMode(kOrMode);
             c.fillRect(r);
             c.drawRect(CRect(9, 9, 12, 11), kDrawFilled);
             c.drawRect(CRect(9, 12, 12, 14), kDrawStroked);
         },
         [](int x, int y)
         {
#if SORVELT_MAC_FLAVOUR
             if (inside(x, y, 2, 3, 7, 9)) return kRed;
#else
             if (inside(x, y, 3, 4, 7, 9)) return kRed;
#endif
             if (inside(x, y, 9, 9, 12, 11)) return kRed;
             return inside(x, y, 9, 12, 12, 14) ? kGreen : kBlack;
         }},
        {"an empty rectangle changes nothing",
         [&](CDrawContext& c)
         {
             c.fillRect(CRect(5, 5, 5, 9));
             c.drawRect(CRect(5, 5, 3, 9), kDrawFilled);
         },
         [](int, int) { return kBlack; }},
    };
    for (const auto& test : cases)
    {
        Canvas canvas;
        canvas.context.setFillColor(kRedCColor);
        canvas.context.setFrameColor(kGreenCColor);
        test.draw(canvas.context);
        EXPECT_EQ(mismatches(canvas.context, test.expected), "") << test.name;
    }
}

TEST(CDrawContext, LinesLeaveOutTheirEndPixel)
{
    struct Case
    {
        CPoint from, to;
        std::vector<CPoint> covered;
    };
    const std::vector<Case> cases = {
        {CPoint(1, 1), CPoint(5, 1), {{1, 1}, {2, 1}, {3, 1}, {4, 1}}},
        {CPoint(5, 1), CPoint(1, 1), {{5, 1}, {4, 1}, {3, 1}, {2, 1}}},
        {CPoint(2, 2), CPoint(2, 5), {{2, 2}, {2, 3}, {2, 4}}},
        {CPoint(1, 1), CPoint(4, 4), {{1, 1}, {2, 2}, {3, 3}}},
        {CPoint(3, 3), CPoint(3, 3), {}},
    };
    for (const auto& test : cases)
    {
        Canvas canvas;
        canvas.context.setFrameColor(kGreenCColor);
        canvas.context.moveTo(test.from);
        canvas.context.lineTo(test.to);
        auto expected = [&](int x, int y)
        {
            for (const auto& p : test.covered)
                if (p.x == x && p.y == y) return kGreen;
            return kBlack;
        };
        EXPECT_EQ(mismatches(canvas.context, expected), "") << test.from.x << "," << test.from.y;
    }
}

TEST(CDrawContext, AbsurdlyLongLinesAreClippedNotWalked)
{
    Canvas canvas;
    canvas.context.setFrameColor(kGreenCColor);
    canvas.context.moveTo(CPoint(-2000000000, 3));
    canvas.context.lineTo(CPoint(2000000000, 3));
    EXPECT_EQ(mismatches(canvas.context, [](int, int y) { return y == 3 ? kGreen : kBlack; }), "");

    // Beyond what Windows takes in a drawing call, and diagonal: cut to the clip, not lost.
    Canvas diagonal;
    diagonal.context.setFrameColor(kGreenCColor);
    const CPoint path[] = {CPoint(-1000000000, -1000000000), CPoint(1000000000, 1000000000)};
    diagonal.context.polyLine(path, 2);
    EXPECT_EQ(mismatches(diagonal.context, [](int x, int y) { return x == y ? kGreen : kBlack; }), "");
}

TEST(CDrawContext, ConnectedAndSeparateLines)
{
    Canvas a;
    a.context.setFrameColor(kGreenCColor);
    const CPoint path[] = {CPoint(1, 1), CPoint(4, 1), CPoint(4, 4)};
    a.context.polyLine(path, 3);
    EXPECT_EQ(mismatches(
                  a.context, [](int x, int y)
                  { return (y == 1 && x >= 1 && x <= 4) || (x == 4 && y >= 1 && y <= 3) ? kGreen : kBlack; }),
              "");

    Canvas b;
    b.context.setFrameColor(kGreenCColor);
    const CPoint pairs[] = {CPoint(0, 0), CPoint(3, 0), CPoint(0, 2), CPoint(0, 5)};
    const long count = 2;
    b.context.drawLines(pairs, count);
    EXPECT_EQ(mismatches(b.context, [](int x, int y)
                         { return (y == 0 && x < 3) || (x == 0 && y >= 2 && y < 5) ? kGreen : kBlack; }),
              "");
}

TEST(CDrawContext, OffsetShiftsEveryOperation)
{
    Canvas canvas;
    canvas.context.offset = CPoint(4, 2);
    canvas.context.setFillColor(kRedCColor);
    canvas.context.setFrameColor(kGreenCColor);
    canvas.context.drawRect(CRect(0, 0, 3, 3), kDrawFilled);
    canvas.context.moveTo(CPoint(0, 5));
    canvas.context.lineTo(CPoint(2, 5));
    canvas.context.drawPoint(CPoint(8, 8), kBlueCColor);
    EXPECT_EQ(mismatches(canvas.context,
                         [](int x, int y)
                         {
                             if (inside(x, y, 4, 2, 7, 5)) return kRed;
                             if (y == 7 && (x == 4 || x == 5)) return kGreen;
                             return x == 12 && y == 10 ? kBlue : kBlack;
                         }),
              "");
    EXPECT_EQ(canvas.context.getPoint(CPoint(8, 8)), kBlueCColor);
}

TEST(CDrawContext, ClipLimitsDrawingAndIsReportedInCallerSpace)
{
    Canvas canvas;
    canvas.context.offset = CPoint(3, 1);
    const CRect clip(0, 0, 4, 5);
    canvas.context.setClipRect(clip);
    CRect out;
    EXPECT_EQ(canvas.context.getClipRect(out), clip);

    canvas.context.setFillColor(kRedCColor);
    canvas.context.drawRect(CRect(-2, -2, 20, 20), kDrawFilled);
    canvas.context.setFrameColor(kGreenCColor);
    canvas.context.moveTo(CPoint(-5, 7));
    canvas.context.lineTo(CPoint(20, 7)); // entirely below the clip
    EXPECT_EQ(
        mismatches(canvas.context, [](int x, int y) { return inside(x, y, 3, 1, 7, 6) ? kRed : kBlack; }),
        "");

    canvas.context.offset = CPoint(0, 0);
    canvas.context.resetClipRect();
    EXPECT_EQ(canvas.context.getClipRect(out), CRect(0, 0, 1000, 1000));
    canvas.context.drawRect(CRect(0, 0, 1, 1), kDrawFilled);
    EXPECT_EQ(pixelOf(canvas.context, 0, 0), kRed);
}

TEST(CDrawContext, DashedLineIsDotsAndGapsAlongTheLine)
{
    // The dot pattern is the platform's own (a dotted GDI pen; every other pixel on cairo):
    // the line starts with a dot, has gaps, and draws nothing off the line or past its end.
    Canvas canvas;
    canvas.context.setFrameColor(kGreenCColor);
    canvas.context.setLineStyle(kLineOnOffDash);
    canvas.context.moveTo(CPoint(0, 0));
    canvas.context.lineTo(CPoint(12, 0));
    EXPECT_EQ(mismatches(canvas.context, [&](int x, int y)
                         { return y == 0 && x < 12 ? pixelOf(canvas.context, x, y) : kBlack; }),
              "");
    int dots = 0, gaps = 0;
    for (int x = 0; x < 12; ++x)
    {
        const std::uint32_t p = pixelOf(canvas.context, x, 0);
        ASSERT_TRUE(p == kGreen || p == kBlack) << x;
        (p == kGreen ? dots : gaps) += 1;
    }
    EXPECT_EQ(pixelOf(canvas.context, 0, 0), kGreen);
    EXPECT_GT(gaps, 3);
    EXPECT_GT(dots, 3);
}

TEST(CDrawContext, CurvedShapesLieInTheirBoxAndInsideTheClip)
{
    // Curve geometry is each platform's own (GDI's, cairo's): compared by layout. Box (4,4)-(28,20)
    // offset by (2,2); the clip cuts off everything right of column 26. A pixel's leeway round
    // the box, and fillEllipse lands one pixel right and down.
    struct Case
    {
        const char* name;
        std::function<void(CDrawContext&, const CRect&)> draw;
        bool filled;  // the box's centre is covered
        int quadrant; // 0: ink on all four sides of the box; 1: only in its upper-right quarter
    };
    const CPoint triangle[] = {CPoint(4, 4), CPoint(27, 4), CPoint(4, 19)};
    const std::vector<Case> cases = {
        {"stroked ellipse", [](CDrawContext& c, const CRect& r) { c.drawEllipse(r, kDrawStroked); }, false,
         0},
        {"filled ellipse", [](CDrawContext& c, const CRect& r) { c.drawEllipse(r, kDrawFilled); }, true, 0},
        {"fillEllipse", [](CDrawContext& c, const CRect& r) { c.fillEllipse(r); }, true, 0},
        {"filled and stroked ellipse",
         [](CDrawContext& c, const CRect& r) { c.drawEllipse(r, kDrawFilledAndStroked); }, true, 0},
        {"quarter arc", [](CDrawContext& c, const CRect& r) { c.drawArc(r, 0, 90, kDrawStroked); }, false, 1},
        {"quarter pie", [](CDrawContext& c, const CRect& r) { c.drawArc(r, 0, 90, kDrawFilled); }, false, 1},
        {"stroked polygon", [&](CDrawContext& c, const CRect&) { c.drawPolygon(triangle, 3, kDrawStroked); },
         false, 2},
        {"filled polygon",
         [&](CDrawContext& c, const CRect&) { c.drawPolygon(triangle, 3, kDrawFilledAndStroked); }, false, 2},
    };
    const CRect box(4, 4, 28, 20), clip(0, 0, 24, 40);
    for (const auto& test : cases)
    {
        COffscreenContext context(nullptr, 40, 30, kBlackCColor);
        context.offset = CPoint(2, 2);
        context.setClipRect(clip);
        context.setFillColor(kRedCColor);
        context.setFrameColor(kGreenCColor);
        test.draw(context, box);
        // In the buffer: the box is (6,6)-(30,22) (fillEllipse: (7,7)-(31,23)), the clip ends
        // before column 26.
        int inkLeft = 40, inkTop = 30, inkRight = -1, inkBottom = -1;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
            {
                if (pixelOf(context, x, y) == kBlack) continue;
                EXPECT_TRUE(x >= 5 && x <= 31 && y >= 5 && y <= 23)
                    << test.name << ": ink off the box at " << x << "," << y;
                EXPECT_LT(x, 26) << test.name << ": ink outside the clip";
                inkLeft = std::min(inkLeft, x);
                inkTop = std::min(inkTop, y);
                inkRight = std::max(inkRight, x);
                inkBottom = std::max(inkBottom, y);
            }
        ASSERT_GE(inkRight, 0) << test.name << " drew nothing";
        EXPECT_EQ(inkRight, 25) << test.name << " should reach the clip";
        if (test.filled)
        {
            EXPECT_EQ(pixelOf(context, 18, 14), kRed) << test.name;
        }
        if (test.quadrant == 1)
        {
            EXPECT_GE(inkLeft, 17) << test.name;   // right of the centre (18), give or take a pixel
            EXPECT_LE(inkBottom, 15) << test.name; // above it (14)
            EXPECT_LE(inkTop, 7) << test.name;
        }
        else
        {
            EXPECT_LE(inkLeft, 7) << test.name;
            EXPECT_LE(inkTop, 7) << test.name;
            EXPECT_GE(inkBottom, 20) << test.name;
        }
    }
}

TEST(CDrawContext, DrawModesAreTheWindowsRasterOperations)
{
    checkDrawModes(false);
}

TEST(CDrawContext, FloodFillStopsAtOtherColours)
{
    Canvas canvas;
    canvas.context.setFrameColor(kGreenCColor);
    canvas.context.drawRect(CRect(2, 2, 8, 8), kDrawStroked);
    canvas.context.setFillColor(kRedCColor);
    canvas.context.floodFill(CPoint(4, 4));
    EXPECT_EQ(mismatches(canvas.context,
                         [](int x, int y)
                         {
                             if (inside(x, y, 3, 3, 7, 7)) return kRed;
                             return inside(x, y, 2, 2, 8, 8) ? kGreen : kBlack;
                         }),
              "");
}

TEST(CDrawContext, SetFontBuildsThePlatformFontOnlyOnChange)
{
    COffscreenContext context(nullptr, 8, 8);
    const long initial = context.getFontCreationCount();
    EXPECT_EQ(initial, 1); // the system font of the initial state

    context.setFont(kFontNormal);
    EXPECT_EQ(context.getFontCreationCount(), initial + 1);
    context.setFont(kFontNormal);
    context.setFont(kFontNormal, gStandardFontSize[kFontNormal]); // size 0 means this size
    EXPECT_EQ(context.getFontCreationCount(), initial + 1);

    context.setFont(kFontNormal, 0, kBoldFace);
    EXPECT_EQ(context.getFontCreationCount(), initial + 2);
    context.setFont(kFontNormal, 20, kBoldFace);
    EXPECT_EQ(context.getFontCreationCount(), initial + 3);
    EXPECT_EQ(context.getFontSize(), 20);
}

TEST(CDrawContext, FontIndexOutsideTheTableSelectsTheSystemFont)
{
    for (int index : {9, 8, -1, 1000})
    {
        COffscreenContext context(nullptr, 8, 8);
        context.setFont(kFontBig);
        context.setFont(static_cast<CFont>(index));
        EXPECT_EQ(context.getFont(), kFontSystem) << index;
        EXPECT_EQ(context.getFontSize(), gStandardFontSize[kFontSystem]) << index;
    }
}

TEST(CDrawContext, StandardFontSizes)
{
#if SORVELT_MAC_FLAVOUR
    const long expected[] = {12, 18, 14, 12, 10, 9, 9, 12};
#else
    const long expected[] = {12, 18, 14, 12, 11, 10, 9, 13};
#endif
    for (int i = 0; i < kFontCount; ++i)
        EXPECT_EQ(gStandardFontSize[i], expected[i]) << i;
}

/// Leftmost and rightmost columns holding text pixels (-1 when none).
std::pair<int, int> inkColumns(CDrawContext& context)
{
    const PixelBuffer pixels = context.getPixelBuffer();
    int first = -1, last = -1;
    for (int x = 0; x < pixels.width; ++x)
        for (int y = 0; y < pixels.height; ++y)
            if (pixelOf(context, x, y) != kBlack)
            {
                if (first < 0) first = x;
                last = x;
                break;
            }
    return {first, last};
}

TEST(CDrawContext, StringWidthGrowsWithTextAndFont)
{
    COffscreenContext context(nullptr, 8, 8);
    context.setFont(kFontNormal);
    const long one = context.getStringWidth("M");
    const long three = context.getStringWidth("MMM");
    EXPECT_GT(one, 4);
    EXPECT_NEAR(three, 3 * one, 2);
    EXPECT_EQ(context.getStringWidth(""), 0);
    EXPECT_EQ(context.getStringWidth(nullptr), 0);
    context.setFont(kFontVeryBig);
    EXPECT_GT(context.getStringWidth("MMM"), three);
}

TEST(CDrawContext, ReadoutTextHasArialsWidthsOnEveryBackend)
{
    // Liberation Sans (cairo's face, and Wine's "Arial") keeps Arial's advance widths, so a
    // read-out lays out alike on Linux and Windows: digits are tabular, 2048ths of an em as in
    // Arial's tables, rounded to whole pixels per glyph as hinted text is.
    struct Case
    {
        CFont font;
        const char* text;
        long width;
    };
    for (const Case& c :
         {Case{kFontNormal, "0", 7}, Case{kFontNormal, "0123456789", 70}, Case{kFontNormal, "-45", 18},
          Case{kFontNormal, "100%", 32}, Case{kFontSmall, "0.0", 15}, Case{kFontSystem, "Gain", 26}})
    {
        COffscreenContext context(nullptr, 8, 8);
        context.setFont(c.font);
        EXPECT_EQ(context.getStringWidth(c.text), c.width) << c.text << " in font " << c.font;
    }
}

TEST(CDrawContext, NegativeFontSizeGivesUprightTextOfThatCellHeight)
{
    // Rows holding ink of an "H" drawn in white on black, and its advance width, at a font size.
    struct Ink
    {
        int top = -1, bottom = -1;
        long width = 0;
    };
    auto measure = [](long size)
    {
        COffscreenContext context(nullptr, 120, 80, kBlackCColor);
        context.setFont(kFontNormal, size);
        Ink ink;
        ink.width = context.getStringWidth("HH");
        context.drawString("H", CRect(0, 0, 120, 80), false, kLeftText);
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 120; ++x)
                if (pixelOf(context, x, y) != kBlack)
                {
                    if (ink.top < 0) ink.top = y;
                    ink.bottom = y;
                }
        return ink;
    };
    const Ink em = measure(40), cell = measure(-40);
    ASSERT_GE(em.top, 0);
    ASSERT_GE(cell.top, 0) << "a negative size draws nothing";
    // A cell of 40 pixels holds an em of a little less: the same upright glyph, somewhat smaller.
    const int emHeight = em.bottom - em.top, cellHeight = cell.bottom - cell.top;
    EXPECT_LT(cellHeight, emHeight);
    EXPECT_GT(cellHeight, emHeight * 3 / 4);
    EXPECT_GT(cell.width, em.width * 3 / 4);
    EXPECT_LE(cell.width, em.width);
}

TEST(CDrawContext, DrawStringAlignsAndStaysInsideItsRectangle)
{
    const CRect rect(20, 4, 80, 24);
    struct Case
    {
        CHoriTxtAlign align;
        const char* text;
    };
    for (const auto& c : {Case{kLeftText, "12"}, Case{kCenterText, "12"}, Case{kRightText, "12"}})
    {
        COffscreenContext context(nullptr, 100, 30, kBlackCColor);
        context.setFont(kFontNormal);
        context.setFontColor(kWhiteCColor);
        const long w = context.getStringWidth(c.text);
        context.drawString(c.text, rect, false, c.align);
        const auto [first, last] = inkColumns(context);
        ASSERT_GE(first, 0) << c.align;
        long start = rect.left + 1;
        if (c.align == kCenterText)
            start = rect.left + (rect.width() - w) / 2;
        else if (c.align == kRightText)
            start = rect.right - w;
        // Glyphs sit within their advance, give or take their side bearings.
        EXPECT_GE(first, start - 1) << c.align;
        EXPECT_LE(last, start + w) << c.align;
        EXPECT_LE(first, start + 3) << c.align;
    }
}

#if !SORVELT_MAC_FLAVOUR // the Mac clips text to the clip rectangle only and has no opaque text
TEST(CDrawContext, CentredStringWiderThanItsRectangleStartsLeftOfIt)
{
    const CRect rect(40, 0, 60, 20);
    const char* wide = "WWWWWWWW";
    COffscreenContext centred(nullptr, 100, 20, kBlackCColor);
    centred.setFont(kFontNormal);
    centred.drawString(wide, rect, false, kCenterText);
    COffscreenContext left(nullptr, 100, 20, kBlackCColor);
    left.setFont(kFontNormal);
    left.drawString(wide, rect, false, kLeftText);

    // Both are cut at the rectangle; only the centred one reaches its first column.
    EXPECT_EQ(inkColumns(centred).first, 40);
    EXPECT_LE(inkColumns(centred).second, 59);
    EXPECT_GE(inkColumns(left).first, 41);
    EXPECT_LE(inkColumns(left).second, 59);
}

TEST(CDrawContext, OpaqueStringPaintsItsBackgroundInTheFillColour)
{
    COffscreenContext context(nullptr, 60, 20, kBlackCColor);
    context.setFont(kFontNormal);
    context.setFillColor(kBlueCColor);
    context.setFontColor(kWhiteCColor);
    context.drawString("ab", CRect(0, 0, 60, 20), false, kLeftText);
    for (int x = 0; x < 60; ++x)
        for (int y = 0; y < 20; ++y)
            ASSERT_NE(pixelOf(context, x, y), kBlue);
    context.drawString("ab", CRect(0, 0, 60, 20), true, kLeftText);
    EXPECT_EQ(pixelOf(context, 1, 4), kBlue); // the text box starts one pixel in, above the glyphs
    EXPECT_EQ(pixelOf(context, 0, 4), kBlack);
    context.drawString(nullptr, CRect(0, 0, 60, 20), true, kLeftText);
}
#endif

TEST(CDrawContext, EightBitTextIsDrawnAndLeavesTheContextWorking)
{
    COffscreenContext context(nullptr, 60, 20, kBlackCColor);
    context.setFont(kFontNormal);
    // A Latin-1 degree sign is not UTF-8; it is read as Windows-1252, as the ANSI calls would.
    EXPECT_EQ(context.getStringWidth("90\xb0"), context.getStringWidth("90\u00b0"));
    EXPECT_GT(context.getStringWidth("90\xb0"), context.getStringWidth("90"));
    context.drawString("90\xb0 \x80\xff", CRect(0, 0, 60, 20), false, kLeftText);
    EXPECT_GE(inkColumns(context).first, 0);
    context.setFillColor(kRedCColor);
    context.drawRect(CRect(0, 0, 2, 2), kDrawFilled);
    EXPECT_EQ(pixelOf(context, 0, 0), kRed);
}

struct NullListener : PlatformWindowListener
{
    void onPlatformPaint(const CRect&) override {}
    void onPlatformMouseDown(const CPoint&) override {}
    void onPlatformWheel(const CPoint&, int, float) override {}
    void onPlatformDestroyed() override {}
};

TEST(CDrawContext, MouseComesFromThePlatformAtTheMomentOfTheCall)
{
    HeadlessPlatform platform;
    NullListener listener;
    int parent = 0;
    auto window = platform.createWindow(&parent, 50, 40, listener);
    ASSERT_TRUE(window);
    CDrawContext context(nullptr, window.get());
    context.offsetScreen = CPoint(10, 5);
    platform.scriptMouse(
        {{kMouseLeftButton | kModifierShift, CPoint(12, 9)}, {kMouseLeftButton, CPoint(30, 7)}});

    CPoint where;
    EXPECT_EQ(context.getMouseButtons(), kMouseLeftButton | kModifierShift);
    context.getMouseLocation(where);
    EXPECT_EQ(where, CPoint(2, 4));
    EXPECT_EQ(context.getMouseButtons(), kMouseLeftButton);
    context.getMouseLocation(where);
    EXPECT_EQ(where, CPoint(20, 2));
    EXPECT_EQ(context.getMouseButtons(), 0); // the script ran out: button up
    context.getMouseLocation(where);
    EXPECT_EQ(where, CPoint(20, 2));
}

TEST(CDrawContext, WindowContextDrawsIntoTheWindowAndFlushesWhenDone)
{
    HeadlessPlatform platform;
    NullListener listener;
    int parent = 0;
    auto window = platform.createWindow(&parent, 20, 10, listener);
    auto& headless = static_cast<HeadlessWindow&>(*window);
    {
        CDrawContext context(nullptr, window.get());
        CRect clip;
        EXPECT_EQ(context.getClipRect(clip), CRect(0, 0, 1000, 1000));
    }
    EXPECT_TRUE(headless.getFlushed().empty()); // nothing drawn, nothing to show
    {
        CDrawContext context(nullptr, window.get());
        context.setFillColor(kRedCColor);
        context.drawRect(CRect(1, 1, 3, 3), kDrawFilled);
        EXPECT_TRUE(headless.getFlushed().empty());
    }
    ASSERT_EQ(headless.getFlushed().size(), 1u);
    EXPECT_EQ(headless.getFlushed()[0], CRect(0, 0, 20, 10));
    EXPECT_EQ(headless.pixelAt(1, 1), kRed);
    EXPECT_EQ(headless.pixelAt(3, 3), 0u);
}

} // namespace
