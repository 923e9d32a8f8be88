// The animated knob: which strip frame a value shows, the pictures it draws,
// clipping of values outside 0..1, and the dirty rule on the handle point.
#include <limits>

#include "gui/cknob.h"
#include "tests/gui/control_harness.h"

namespace controls_test
{
namespace
{

const float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(AnimKnobFrames, ValueChoosesTheFrameRoundingDown)
{
    CPoint origin(0, 0);
    struct Case
    {
        long frames;
        long height;
        bool inverse;
        float value;
        long sourceY;
    } cases[] = {
        {361, 45, false, 0.5f, 180 * 45}, {361, 45, false, 0.999f, 359 * 45},
        {361, 45, false, 1.f, 360 * 45},  {361, 45, false, 0.f, 0},
        {361, 45, false, -0.1f, 0},       {361, 45, false, kNaN, 0},
        {361, 45, false, 0.0028f, 45},    {361, 45, false, 0.0027f, 0},
        {101, 50, false, 0.5f, 2500},     {361, 45, true, 1.f, 0},
        {361, 45, true, 0.f, 360 * 45},   {361, 45, true, 0.5f, 180 * 45},
        {361, 45, true, 1.5f, 0},         {361, 45, true, kNaN, 0},
        {3, 60, false, 0.49f, 0},         {1, 60, false, 0.7f, 0},
        {0, 60, false, 0.7f, 0},
    };
    for (const Case& c : cases)
    {
        auto* knob = new CAnimKnob(CRect(0, 0, 45, 45), nullptr, 0, c.frames, c.height, nullptr, origin);
        knob->setInverseBitmap(c.inverse);
        knob->setValue(c.value);
        EXPECT_EQ(knob->sourceOffsetY(), c.sourceY)
            << c.frames << " frames, value " << c.value << (c.inverse ? " inverse" : "");
        knob->forget();
    }
}

TEST(AnimKnobFrames, CountTakenFromTheBitmapWhenNotGiven)
{
    RecordingFrame frame;
    CPoint origin(0, 0);
    CBitmap* strip = makeStrip(frame, 10, 10, {kRedCColor, kGreenCColor, kBlueCColor, kRedCColor});
    struct Case
    {
        CRect rect;
        CBitmap* bitmap;
        long frames;
        long height;
    } cases[] = {
        {CRect(0, 0, 10, 10), strip, 4, 10},
        {CRect(0, 0, 10, 20), strip, 2, 20},
        {CRect(0, 0, 10, 30), strip, 1, 30},
        {CRect(0, 0, 10, 0), strip, 0, 0},     // no height: no frames, no division by zero
        {CRect(0, 0, 10, 10), nullptr, 0, 10}, // no bitmap: nothing to count
    };
    for (const Case& c : cases)
    {
        auto* knob = new CAnimKnob(c.rect, nullptr, 0, c.bitmap, origin);
        EXPECT_EQ(knob->getSubPixmaps(), c.frames);
        EXPECT_EQ(knob->getHeightOfOneImage(), c.height);
        knob->setValue(0.9f);
        auto* canvas = new COffscreenContext(&frame, 20, 40, kBlackCColor);
        knob->draw(canvas); // must stay inside the strip whatever the counts
        canvas->forget();
        knob->forget();
    }
    strip->forget();
}

/// A 10x10 knob at (5, 5) on a white 20x20 canvas, over a strip of red, green and blue frames.
struct AnimKnobPicture : ::testing::Test
{
    RecordingFrame frame;
    CPoint origin{0, 0};
    CBitmap* strip = makeStrip(frame, 10, 10, {kRedCColor, kGreenCColor, kBlueCColor});
    CAnimKnob* knob = frame.adopt(new CAnimKnob(CRect(5, 5, 15, 15), nullptr, 0, 3, 10, strip, origin));
    COffscreenContext* canvas = new COffscreenContext(&frame, 20, 20, kWhiteCColor);

    ~AnimKnobPicture() override
    {
        canvas->forget();
        strip->forget();
    }

    /// Draws at `value` on a fresh white canvas; returns the colours of the knob's top and bottom rows.
    std::pair<std::uint32_t, std::uint32_t> drawAt(float value)
    {
        canvas->setFillColor(kWhiteCColor);
        canvas->drawRect(CRect(0, 0, 20, 20), kDrawFilled);
        knob->setValue(value);
        knob->draw(canvas);
        return {pixelOf(*canvas, 9, 5), pixelOf(*canvas, 9, 14)};
    }
};

TEST_F(AnimKnobPicture, EachValueShowsItsWholeFrame)
{
    const std::uint32_t red = packed(kRedCColor), green = packed(kGreenCColor), blue = packed(kBlueCColor);
    struct Case
    {
        float value;
        std::uint32_t colour;
    } cases[] = {{0.f, red},  {0.49f, red}, {0.5f, green}, {0.99f, green},
                 {1.f, blue}, {-3.f, red},  {kNaN, red}};
    for (const Case& c : cases)
    {
        const auto [top, bottom] = drawAt(c.value);
        EXPECT_EQ(top, c.colour) << c.value;
        EXPECT_EQ(bottom, c.colour) << c.value;
    }
    EXPECT_EQ(pixelOf(*canvas, 4, 4), packed(kWhiteCColor)); // nothing outside the knob
    EXPECT_EQ(pixelOf(*canvas, 15, 15), packed(kWhiteCColor));
}

TEST_F(AnimKnobPicture, ValuesPastTheEndDrawOnlyWhatTheStripHolds)
{
    // 1.25 asks for rows 25..34 of a 30-row strip: the lower half of blue, then nothing.
    auto [top, bottom] = drawAt(1.25f);
    EXPECT_EQ(top, packed(kBlueCColor));
    EXPECT_EQ(bottom, packed(kWhiteCColor));
    EXPECT_EQ(pixelOf(*canvas, 9, 9), packed(kBlueCColor));
    EXPECT_EQ(pixelOf(*canvas, 9, 10), packed(kWhiteCColor));

    for (float value : {1.5f, 40.f, 1e30f, std::numeric_limits<float>::infinity()})
    {
        std::tie(top, bottom) = drawAt(value);
        EXPECT_EQ(top, packed(kWhiteCColor)) << value;
        EXPECT_EQ(bottom, packed(kWhiteCColor)) << value;
    }
}

TEST_F(AnimKnobPicture, InverseStripRunsFromTheTop)
{
    knob->setInverseBitmap(true);
    EXPECT_EQ(drawAt(1.f).first, packed(kRedCColor));
    EXPECT_EQ(drawAt(0.f).first, packed(kBlueCColor));
    EXPECT_EQ(drawAt(0.5f).first, packed(kGreenCColor));
}

TEST_F(AnimKnobPicture, DirtyOnlyWhenTheHandlePointMoves)
{
    drawAt(0.5f);
    EXPECT_FALSE(knob->isDirty());
    knob->setValue(0.5001f); // the same handle pixel: same picture
    EXPECT_FALSE(knob->isDirty());
    knob->setValue(0.6f);
    EXPECT_TRUE(knob->isDirty());
    knob->setValue(0.5f);
    EXPECT_FALSE(knob->isDirty());
    knob->setValue(0.5001f);
    knob->setDirty(true); // an explicit request always wins
    EXPECT_TRUE(knob->isDirty());
    drawAt(0.5001f);
    EXPECT_FALSE(knob->isDirty());
}

TEST_F(AnimKnobPicture, FrameIdleRedrawsWhatMoved)
{
    // Through the frame's own update pass: only a moved handle point gets repainted.
    frame.draw(canvas);
    knob->setValue(0.f);
    frame.update(canvas);
    EXPECT_EQ(pixelOf(*canvas, 9, 9), packed(kRedCColor));
    knob->setValue(0.0001f);
    EXPECT_FALSE(knob->isDirty());
    knob->setValue(1.f);
    frame.update(canvas);
    EXPECT_EQ(pixelOf(*canvas, 9, 9), packed(kBlueCColor));
    EXPECT_FALSE(knob->isDirty());
}

} // namespace
} // namespace controls_test
