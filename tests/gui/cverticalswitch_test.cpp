// The vertical switch: the position under the pointer, the picture for a value,
// the drag that ends on any change of the buttons, and the control-click reset.
#include <cmath>
#include <limits>

#include "gui/cverticalswitch.h"
#include "tests/gui/control_harness.h"

namespace controls_test
{
namespace
{

/// The editor's input-format switch: 60x60 at (3, 72), three positions of 20 rows, tag 3,
/// over a strip of red, green and blue pictures.
struct SwitchTest : ::testing::Test
{
    RecordingFrame frame;
    RecordingListener listener;
    WindowContext context{frame};
    CPoint origin{0, 0};
    CBitmap* strip = makeStrip(frame, 60, 60, {kRedCColor, kGreenCColor, kBlueCColor});
    CVerticalSwitch* control =
        frame.adopt(new CVerticalSwitch(CRect(3, 72, 63, 132), &listener, 3, 3, 60, 3, strip, origin));

    ~SwitchTest() override { strip->forget(); }

    void SetUp() override { startAt(0.f); }

    void startAt(float value)
    {
        control->setValue(value);
        control->draw(context);
        listener.values.clear();
        frame.edits.clear();
    }

    /// Presses `button` on row `row` of the switch, holds it over the rows of `moves`, releases.
    void press(long button, long row, std::initializer_list<std::pair<long, long>> moves = {})
    {
        const long top = 72;
        CPoint last(30, top + row);
        frame.mouse().setMouse({button, last});
        for (const auto& [buttons, moveRow] : moves)
        {
            last = CPoint(30, top + moveRow);
            frame.mouse().scriptMouse({buttons, last});
        }
        // The position is read before the buttons each pass: hold once more so the last move counts.
        frame.mouse().scriptMouse({button, last});
        frame.mouse().scriptMouse({0, last});
        CPoint where(30, top + row);
        control->mouse(context, where, button);
        while (frame.mouse().pendingMouseStates() > 0)
            frame.mouse().readMouseButtons();
    }
};

TEST_F(SwitchTest, ClickedRowChoosesThePosition)
{
    struct Case
    {
        long row;
        float value;
    } cases[] = {{0, 0.f},  {19, 0.f}, {20, 0.5f}, {25, 0.5f}, {39, 0.5f}, {40, 1.f},    {59, 1.f},
                 {60, 1.f}, {-1, 0.f}, {-19, 0.f}, {-45, 0.f}, {200, 1.f}, {100000, 1.f}};
    for (const Case& c : cases)
    {
        startAt(0.25f);
        press(kMouseLeftButton, c.row);
        EXPECT_EQ(control->getValue(), c.value) << "row " << c.row;
        EXPECT_EQ(frame.edits, (std::vector<Edit>{{'b', 3}, {'e', 3}})) << "row " << c.row;
        ASSERT_FALSE(listener.values.empty());
        EXPECT_EQ(listener.values.back(), c.value);
    }
}

TEST_F(SwitchTest, DraggingAboveAndBelowPinsTheEnds)
{
    listener.markDirty = true; // every pass reports, so each position reached shows up
    press(kMouseLeftButton, 25, {{1, -30}, {1, 45}, {1, 100}, {1, 5}});
    std::vector<float> distinct;
    for (float v : listener.values)
        if (distinct.empty() || distinct.back() != v) distinct.push_back(v);
    EXPECT_EQ(distinct, (std::vector<float>{0.5f, 0.f, 1.f, 0.f}));
    EXPECT_EQ(control->getValue(), 0.f);
    EXPECT_EQ(frame.edits, (std::vector<Edit>{{'b', 3}, {'e', 3}}));
}

TEST_F(SwitchTest, AnyChangeOfTheButtonsEndsTheDrag)
{
    struct Case
    {
        long changed;
        const char* what;
    } cases[] = {
        {1 | kModifierShift, "shift pressed"}, {1 | kMouseRightButton, "another button"}, {0, "released"}};
    for (const Case& c : cases)
    {
        startAt(0.f);
        frame.mouse().setMouse({1, CPoint(30, 97)});
        frame.mouse().scriptMouse({{1, CPoint(30, 97)}, {c.changed, CPoint(30, 122)}, {1, CPoint(30, 122)}});
        CPoint where(30, 97);
        control->mouse(context, where, 1);
        EXPECT_EQ(control->getValue(), 0.5f) << c.what;
        EXPECT_EQ(frame.edits, (std::vector<Edit>{{'b', 3}, {'e', 3}})) << c.what;
        EXPECT_EQ(frame.mouse().pendingMouseStates(), 1u) << c.what << ": the drag went on";
        frame.mouse().readMouseButtons();
    }
}

TEST_F(SwitchTest, ModifiedPressHeldStillCountsAsTheSameState)
{
    // A drag that starts with shift goes on as long as shift stays held with the button.
    press(1 | kModifierShift, 5, {{9, 25}, {9, 45}});
    EXPECT_EQ(control->getValue(), 1.f);
    EXPECT_EQ(listener.modifierButtons, std::vector<long>{9});
}

TEST_F(SwitchTest, ControlClickSelectsTheFirstPosition)
{
    startAt(1.f);
    press(kMouseLeftButton | kModifierControl, 45);
    EXPECT_EQ(control->getValue(), 0.f);
    EXPECT_EQ(frame.edits, (std::vector<Edit>{{'b', 3}, {'e', 3}}));
    EXPECT_EQ(listener.values, std::vector<float>{0.f});
}

TEST_F(SwitchTest, ModifierClickTakenByTheListenerDoesNothing)
{
    startAt(1.f);
    listener.modifierAnswer = 1;
    press(kMouseLeftButton | kModifierControl, 45);
    press(kMouseLeftButton | kModifierAlt, 5);
    EXPECT_EQ(control->getValue(), 1.f);
    EXPECT_TRUE(frame.edits.empty());
    EXPECT_EQ(listener.modifierButtons.size(), 2u);
}

TEST_F(SwitchTest, RightButtonOrDisabledSwitchIgnoresThePress)
{
    press(kMouseRightButton, 45);
    control->setMouseEnabled(false);
    press(kMouseLeftButton, 45);
    EXPECT_EQ(control->getValue(), 0.f);
    EXPECT_TRUE(frame.edits.empty());
}

TEST_F(SwitchTest, ValueShowsTheNearestPicture)
{
    auto* canvas = new COffscreenContext(&frame, 70, 140, kWhiteCColor);
    const std::uint32_t red = packed(kRedCColor), green = packed(kGreenCColor), blue = packed(kBlueCColor),
                        none = packed(kWhiteCColor);
    struct Case
    {
        float value;
        std::uint32_t colour;
    } cases[] = {
        {0.f, red},
        {0.24f, red},
        {0.25f, green},
        {0.5f, green},
        {0.74f, green},
        {0.75f, blue},
        {1.f, blue},
        {-0.3f, red},
        {-0.8f, none},
        {1.3f, none},
        {std::numeric_limits<float>::quiet_NaN(), red},
        {1e30f, none},
    };
    for (const Case& c : cases)
    {
        canvas->setFillColor(kWhiteCColor);
        canvas->drawRect(CRect(0, 0, 70, 140), kDrawFilled);
        control->setValue(c.value);
        control->draw(canvas);
        EXPECT_EQ(pixelOf(*canvas, 3, 72), c.colour) << c.value;
        EXPECT_EQ(pixelOf(*canvas, 62, 131), c.colour) << c.value;
        EXPECT_EQ(pixelOf(*canvas, 30, 71), none) << c.value;
        EXPECT_EQ(control->isDirty(), std::isnan(c.value)) << c.value; // NaN never equals what was drawn
    }
    canvas->forget();
}

TEST(SwitchShapes, CountsFromTheBitmapAndDegenerateSwitchesStaySafe)
{
    RecordingFrame frame;
    RecordingListener listener;
    WindowContext context{frame};
    CPoint origin(0, 0);
    CBitmap* strip = makeStrip(frame, 20, 20, {kRedCColor, kGreenCColor, kBlueCColor});
    struct Case
    {
        CRect rect;
        CBitmap* bitmap;
        long positions;
        long clickRow;
        float value;
    } cases[] = {
        {CRect(0, 0, 20, 20), strip, 3, 10, 0.5f},  {CRect(0, 0, 20, 30), strip, 2, 20, 1.f},
        {CRect(0, 0, 20, 60), strip, 1, 50, 0.f}, // one position: there is only the first
        {CRect(0, 0, 20, 0), strip, 0, 0, 0.f},   // no height
        {CRect(0, 0, 20, 20), nullptr, 0, 15, 0.f},
    };
    for (const Case& c : cases)
    {
        auto* control = frame.adopt(new CVerticalSwitch(c.rect, &listener, 1, c.bitmap, origin));
        EXPECT_EQ(control->getMaxPositions(), c.positions);
        EXPECT_EQ(control->getSubPixmaps(), c.positions);
        EXPECT_EQ(control->getDefaultValue(), 0.f);
        control->setValue(0.3f);
        frame.mouse().setMouse({1, CPoint(5, c.clickRow)});
        frame.mouse().scriptMouse({0, CPoint(5, c.clickRow)});
        CPoint where(5, c.clickRow);
        control->mouse(context, where, 1);
        EXPECT_EQ(control->getValue(), c.value) << c.positions << " positions";
        auto* canvas = new COffscreenContext(&frame, 20, 60, kBlackCColor);
        control->draw(canvas);
        canvas->forget();
        frame.removeView(control);
    }
    strip->forget();
}

} // namespace
} // namespace controls_test

namespace controls_test
{
namespace
{

TEST(SwitchTeardown, EditorClosedDuringADragEndsItWithoutTouchingTheFrame)
{
    auto* frame = new RecordingFrame;
    RecordingListener listener;
    CPoint origin(0, 0);
    auto* control =
        frame->adopt(new CVerticalSwitch(CRect(0, 0, 20, 60), &listener, 3, 3, 60, 3, nullptr, origin));
    auto* context = new CDrawContext(frame, frame->getPlatformWindow());
    frame->mouse().setMouse({1, CPoint(5, 30)});
    for (int i = 0; i < 5; ++i)
        frame->mouse().scriptMouse({1, CPoint(5, 30 + i)});
    int idlePasses = 0;
    frame->onIdle = [&]
    {
        if (++idlePasses < 2) return;
        delete frame;
        frame = nullptr;
    };
    CPoint where(5, 30);
    control->mouse(context, where, 1);
    EXPECT_EQ(frame, nullptr);
    EXPECT_EQ(idlePasses, 2);
    EXPECT_EQ(listener.values, (std::vector<float>{0.5f, 0.5f})) << "no report after the frame went";
    context->forget();
}

} // namespace
} // namespace controls_test
