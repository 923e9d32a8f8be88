// The read-out: text from the converters, backgrounds, frames and 3D edges for
// every style bit, shadow text, clipping, and which setters ask for a redraw.
#include <cstring>
#include <functional>
#include <string>

#include "gui/cparamdisplay.h"
#include "tests/gui/control_harness.h"

namespace controls_test
{
namespace
{

std::string textOf(CParamDisplay& display)
{
    char text[CParamDisplay::kTextSize];
    display.formatValue(text);
    return text;
}

void degrees(float value, char* text)
{
    std::snprintf(text, 256, "%d deg", static_cast<int>(value * 360.f));
}

void scaled(float value, char* text, void* userData)
{
    std::snprintf(text, 256, "%g", static_cast<double>(value * *static_cast<float*>(userData)));
}

void runaway(float, char* text)
{
    std::memset(text, '8', CParamDisplay::kTextSize);
}

TEST(ParamDisplayText, DefaultFormatHasTwoDecimals)
{
    CParamDisplay display(CRect(0, 0, 40, 24));
    struct Case
    {
        float value;
        const char* text;
    } cases[] = {{0.5f, "0.50"}, {12.345f, "12.35"}, {-1.f, "-1.00"}, {0.f, "0.00"}, {1234.5f, "1234.50"}};
    for (const Case& c : cases)
    {
        display.setValue(c.value);
        EXPECT_EQ(textOf(display), c.text);
    }
}

TEST(ParamDisplayText, ConverterWithUserDataTakesPrecedence)
{
    CParamDisplay display(CRect(0, 0, 40, 24));
    display.setValue(0.25f);
    display.setStringConvert(degrees);
    EXPECT_EQ(textOf(display), "90 deg");
    float factor = 4.f;
    display.setStringConvert(scaled, &factor);
    EXPECT_EQ(textOf(display), "1");
    display.setStringConvert(static_cast<CParamDisplay::StringConvertWithData>(nullptr), nullptr);
    EXPECT_EQ(textOf(display), "90 deg");
    display.setStringConvert(static_cast<CParamDisplay::StringConvert>(nullptr));
    EXPECT_EQ(textOf(display), "0.25");
}

TEST(ParamDisplayText, ConverterWithoutTerminatorIsCutAtTheBuffer)
{
    CParamDisplay display(CRect(0, 0, 40, 24));
    display.setStringConvert(runaway);
    EXPECT_EQ(textOf(display), std::string(CParamDisplay::kTextSize - 1, '8'));
}

TEST(ParamDisplayDirty, SettersAskForARedrawOnlyOnChange)
{
    struct Case
    {
        const char* what;
        std::function<void(CParamDisplay&)> same;
        std::function<void(CParamDisplay&)> changed;
    } cases[] = {
        {"font", [](auto& d) { d.setFont(kFontNormal); }, [](auto& d) { d.setFont(kFontSmall); }},
        {"face", [](auto& d) { d.setTxtFace(kNormalFace); }, [](auto& d) { d.setTxtFace(kBoldFace); }},
        {"align", [](auto& d) { d.setHoriAlign(kCenterText); }, [](auto& d) { d.setHoriAlign(kLeftText); }},
        {"style", [](auto& d) { d.setStyle(1); }, [](auto& d) { d.setStyle(0x4000 | 1); }},
        {"font colour", [](auto& d) { d.setFontColor(kWhiteCColor); },
         [](auto& d) { d.setFontColor(kBlackCColor); }},
        {"back colour", [](auto& d) { d.setBackColor(kBlackCColor); },
         [](auto& d) { d.setBackColor(MakeCColor(0, 0, 0, 254)); }},
        {"frame colour", [](auto& d) { d.setFrameColor(kBlackCColor); },
         [](auto& d) { d.setFrameColor(MakeCColor(0, 0, 1)); }},
        {"shadow colour", [](auto& d) { d.setShadowColor(kRedCColor); },
         [](auto& d) { d.setShadowColor(kTransparentCColor); }},
    };
    for (const Case& c : cases)
    {
        CParamDisplay display(CRect(0, 0, 40, 24), nullptr, 1);
        display.setDirty(false);
        c.same(display);
        EXPECT_FALSE(display.isDirty()) << c.what << " unchanged";
        c.changed(display);
        EXPECT_TRUE(display.isDirty()) << c.what << " changed";
        display.setDirty(false);
        c.changed(display); // the same value a second time
        EXPECT_FALSE(display.isDirty()) << c.what << " set twice";
    }
}

TEST(ParamDisplayDirty, ConvertersAndTextTransparencyDoNotRedraw)
{
    CParamDisplay display(CRect(0, 0, 40, 24));
    display.setDirty(false);
    float factor = 2.f;
    display.setStringConvert(degrees);
    display.setStringConvert(scaled, &factor);
    display.setTextTransparency(false);
    EXPECT_FALSE(display.isDirty());
}

/// A 40x24 display at (10, 10) on a blue 60x44 canvas.
struct ParamDisplayPicture : ::testing::Test
{
    RecordingFrame frame;
    COffscreenContext* canvas = new COffscreenContext(&frame, 60, 44, kBlueCColor);
    CParamDisplay* display = frame.adopt(new CParamDisplay(CRect(10, 10, 50, 34)));

    ~ParamDisplayPicture() override { canvas->forget(); }

    std::uint32_t at(int x, int y) { return pixelOf(*canvas, x, y); }

    /// Counts pixels inside the display matching `test`.
    int countInside(const std::function<bool(std::uint8_t r, std::uint8_t g, std::uint8_t b)>& test)
    {
        int n = 0;
        for (int y = 10; y < 34; ++y)
            for (int x = 10; x < 50; ++x)
            {
                const std::uint32_t p = at(x, y);
                n += test(p >> 16 & 0xff, p >> 8 & 0xff, p & 0xff) ? 1 : 0;
            }
        return n;
    }

    bool canvasOutsideIsBlue()
    {
        for (int y = 0; y < 44; ++y)
            for (int x = 0; x < 60; ++x)
                if ((x < 10 || x >= 50 || y < 10 || y >= 34) && at(x, y) != packed(kBlueCColor)) return false;
        return true;
    }
};

TEST_F(ParamDisplayPicture, FillAndFrameFollowTheStyle)
{
    display->setBackColor(kGreenCColor);
    display->setFrameColor(kRedCColor);
    const std::uint32_t red = packed(kRedCColor), green = packed(kGreenCColor), blue = packed(kBlueCColor);
    struct Case
    {
        long style;
        bool transparent;
        std::uint32_t corner, left, top, topInner, right, bottom, inside;
    } cases[] = {
        // Framed: the outline covers the row and column the fill leaves out.
        {0x0800, false, red, red, red, green, red, red, green},
        {0x0801, false, red, red, red, green, red, red, green}, // bit 1 means nothing here
        // No frame: the fill leaves the top row and the left column alone.
        {0x4800, false, blue, blue, blue, green, green, green, green},
        // Sunken: light (back) upper-left edge one row down, dark (frame) lower-right edge.
        {0x0880, true, blue, green, blue, green, red, red, blue},
        // Raised: the colours swap.
        {0x0900, true, blue, red, blue, red, green, green, blue},
        // Transparent without a bitmap: nothing but the text would be drawn.
        {0x0800, true, blue, blue, blue, blue, blue, blue, blue},
        // No draw at all.
        {0x1000, false, blue, blue, blue, blue, blue, blue, blue},
    };
    for (const Case& c : cases)
    {
        canvas->setFillColor(kBlueCColor);
        canvas->drawRect(CRect(0, 0, 60, 44), kDrawFilled);
        display->setStyle(c.style);
        display->setTransparency(c.transparent);
        display->draw(canvas);
        EXPECT_EQ(at(10, 10), c.corner) << std::hex << c.style;
        EXPECT_EQ(at(10, 20), c.left) << std::hex << c.style;
        EXPECT_EQ(at(30, 10), c.top) << std::hex << c.style;
        EXPECT_EQ(at(30, 11), c.topInner) << std::hex << c.style;
        EXPECT_EQ(at(49, 20), c.right) << std::hex << c.style;
        EXPECT_EQ(at(30, 33), c.bottom) << std::hex << c.style;
        EXPECT_EQ(at(20, 15), c.inside) << std::hex << c.style;
        EXPECT_TRUE(canvasOutsideIsBlue()) << std::hex << c.style;
        EXPECT_FALSE(display->isDirty());
    }
}

TEST_F(ParamDisplayPicture, SunkenEdgeWithTheDefaultColoursIsBlack)
{
    display->setStyle(0x0880);
    display->setTransparency(true);
    display->draw(canvas);
    EXPECT_EQ(at(10, 20), packed(kBlackCColor));
    EXPECT_EQ(at(49, 20), packed(kBlackCColor));
    display->setBackColor(kYellowCColor); // only the upper-left edge follows the back colour
    display->draw(canvas);
    EXPECT_EQ(at(10, 20), packed(kYellowCColor));
    EXPECT_EQ(at(49, 20), packed(kBlackCColor));
}

TEST_F(ParamDisplayPicture, TextShadowAndTheirStyleBits)
{
    const auto white = [](int r, int g, int b) { return r > 160 && g > 160 && b > 160; };
    const auto red = [](int r, int g, int b) { return r > 160 && g < 60 && b < 60; };
    struct Case
    {
        long style;
        bool text;
        bool shadow;
    } cases[] = {{0, true, false}, {0x0004, true, true}, {0x0800, false, false}, {0x0804, false, false}};
    display->setValue(88.88f);
    for (const Case& c : cases)
    {
        display->setStyle(c.style);
        display->draw(canvas);
        EXPECT_EQ(countInside(white) > 10, c.text) << std::hex << c.style;
        EXPECT_EQ(countInside(red) > 10, c.shadow) << std::hex << c.style;
    }
}

TEST_F(ParamDisplayPicture, TextStaysInsideTheDisplayAndTheClipIsRestored)
{
    display->setStringConvert(runaway);
    display->setStyle(0x4004); // no frame, shadow: the widest drawing
    display->setTextTransparency(false);
    CRect before;
    canvas->getClipRect(before);
    display->draw(canvas);
    CRect after;
    canvas->getClipRect(after);
    EXPECT_EQ(after, before);
    EXPECT_TRUE(canvasOutsideIsBlue());
}

TEST_F(ParamDisplayPicture, NoDrawDisplayStartsAndStaysClean)
{
    auto* quiet = new CParamDisplay(CRect(0, 0, 10, 10), nullptr, 0x1000);
    EXPECT_FALSE(quiet->isDirty());
    frame.adopt(quiet);
    quiet->setValue(0.7f);
    EXPECT_TRUE(quiet->isDirty()); // a new value still counts as a change...
    quiet->draw(canvas);
    EXPECT_FALSE(quiet->isDirty()); // ...which the draw records without drawing
    EXPECT_EQ(at(0, 0), packed(kBlueCColor));
    EXPECT_EQ(at(5, 5), packed(kBlueCColor));
}

/// A converter that lets "the host" write a new value while the text is being made,
/// as automation from another thread can land in the middle of a draw.
void automatedDuringDraw(float value, char* text, void* userData)
{
    std::snprintf(text, 256, "%g", static_cast<double>(value));
    static_cast<CParamDisplay*>(userData)->setValue(0.75f);
}

TEST_F(ParamDisplayPicture, ValueWrittenDuringADrawLeavesTheDisplayDirty)
{
    display->setValue(0.25f);
    display->setStringConvert(automatedDuringDraw, display);
    display->draw(canvas);
    // The picture shows 0.25; the value is now 0.75, so the next idle pass must redraw.
    EXPECT_TRUE(display->isDirty());
    display->setStringConvert(nullptr, nullptr);
    display->draw(canvas);
    EXPECT_FALSE(display->isDirty());
}

TEST_F(ParamDisplayPicture, BitmapBackgroundFromTheBackOffset)
{
    CBitmap* back = makeStrip(frame, 40, 24, {kYellowCColor, kCyanCColor});
    CBitmap* other = makeStrip(frame, 40, 24, {kMagentaCColor});
    display->setBackground(back);
    display->setStyle(0x0800);
    display->draw(canvas);
    EXPECT_EQ(at(10, 10), packed(kYellowCColor));
    EXPECT_EQ(at(49, 33), packed(kYellowCColor));
    display->drawText(canvas, nullptr, other); // a replacement background wins over the own one
    EXPECT_EQ(at(10, 10), packed(kMagentaCColor));
    CPoint second(0, 24);
    display->setBackOffset(second);
    display->draw(canvas);
    EXPECT_EQ(at(10, 10), packed(kCyanCColor));
    EXPECT_EQ(at(49, 33), packed(kCyanCColor));
    display->copyBackOffset(); // (10, 10): the right quarter lies past the strip, so it is not drawn
    canvas->setFillColor(kBlueCColor);
    canvas->drawRect(CRect(0, 0, 60, 44), kDrawFilled);
    display->draw(canvas);
    EXPECT_EQ(at(10, 10), packed(kYellowCColor));
    EXPECT_EQ(at(10, 24), packed(kCyanCColor));
    EXPECT_EQ(at(39, 33), packed(kCyanCColor));
    EXPECT_EQ(at(40, 33), packed(kBlueCColor));
    EXPECT_TRUE(canvasOutsideIsBlue());
    back->forget();
    other->forget();
}

} // namespace
} // namespace controls_test
