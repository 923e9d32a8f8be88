// The knob: angle mapping both ways, linear and circular drags driven by the
// scripted mouse, the wheel, the arrow keys and the modifier click.
#include <cmath>
#include <limits>

#include "gui/cknob.h"
#include "plugin/aeffect.h"
#include "tests/gui/control_harness.h"

namespace controls_test
{
namespace
{

constexpr float kOneSixth = 1.f / 6.f;
constexpr float kFiveSixths = 5.f / 6.f;

CKnob* plainKnob(const CRect& r, CControlListener* listener = nullptr, long tag = 0)
{
    return new CKnob(r, listener, tag, nullptr, nullptr, CPoint(0, 0));
}

TEST(KnobMapping, ValueToPointOnTheEditorsKnob)
{
    CPoint origin(0, 0);
    auto* knob = new CAnimKnob(CRect(196, 51, 241, 96), nullptr, 0, 361, 45, nullptr, origin);
    struct Case
    {
        float value;
        CPoint point;
    } cases[] = {{0.f, {7, 38}}, {0.5f, {23, 0}}, {1.f, {38, 38}}, {1.f / 3.f, {7, 7}}};
    for (const Case& c : cases)
    {
        knob->setValue(c.value);
        CPoint p;
        knob->valueToPoint(p);
        EXPECT_EQ(p, c.point) << c.value;
    }
    knob->forget();
}

TEST(KnobMapping, InsetPullsTheHandleInwards)
{
    CKnob* knob = plainKnob(CRect(0, 0, 45, 45));
    knob->setValue(0.5f);
    CPoint p;
    knob->valueToPoint(p);
    EXPECT_EQ(p, CPoint(23, 3)); // default inset 3 without a handle bitmap
    knob->setInsetValue(10);
    knob->valueToPoint(p);
    EXPECT_EQ(p, CPoint(23, 10));
    knob->forget();
}

TEST(KnobMapping, ValueFromPointAroundTheDefaultSweep)
{
    CKnob* knob = plainKnob(CRect(0, 0, 44, 44)); // centre exactly on pixel (22, 22)
    struct Case
    {
        CPoint point;
        float value;
        const char* where;
    } cases[] = {
        {{22, 0}, 0.5f, "top"},
        {{44, 22}, kFiveSixths, "3 o'clock"},
        {{0, 22}, kOneSixth, "9 o'clock"},
        {{0, 44}, 0.f, "lower left: the start"},
        {{44, 44}, 1.f, "lower right: the end"},
        {{18, 44}, 0.f, "dead zone left of 6"},
        {{26, 44}, 1.f, "dead zone right of 6"},
        {{22, 22}, kFiveSixths, "centre: the value of angle 0"},
    };
    for (const Case& c : cases)
    {
        CPoint p = c.point;
        EXPECT_NEAR(knob->valueFromPoint(p), c.value, 1e-5) << c.where;
    }
    knob->forget();
}

TEST(KnobMapping, CounterClockwiseSweepFromTheAngleSetters)
{
    CKnob* knob = plainKnob(CRect(0, 0, 44, 44));
    knob->setRangeAngle(4.712389f); // the same 270 degrees, counter-clockwise from lower left
    struct Case
    {
        CPoint point;
        float value;
        const char* where;
    } cases[] = {
        {{22, 44}, kOneSixth, "6 o'clock"},  {{44, 22}, 0.5f, "3 o'clock"},
        {{22, 0}, kFiveSixths, "top"},       {{0, 18}, 1.f, "dead zone above 9"},
        {{0, 26}, 0.f, "dead zone below 9"},
    };
    for (const Case& c : cases)
    {
        CPoint p = c.point;
        EXPECT_NEAR(knob->valueFromPoint(p), c.value, 1e-5) << c.where;
    }
    knob->setValue(0.f);
    CPoint start;
    knob->valueToPoint(start);
    knob->setValue(0.5f);
    CPoint middle;
    knob->valueToPoint(middle);
    EXPECT_EQ(start, CPoint(9, 35));
    EXPECT_EQ(middle, CPoint(41, 22));
    knob->forget();
}

TEST(KnobMapping, PointAndValueAgreeAlongTheSweep)
{
    CKnob* knob = plainKnob(CRect(0, 0, 400, 400));
    knob->setInsetValue(0);
    for (int i = 0; i <= 20; ++i)
    {
        const float v = static_cast<float>(i) / 20.f;
        knob->setValue(v);
        CPoint p;
        knob->valueToPoint(p);
        EXPECT_NEAR(knob->valueFromPoint(p), v, 0.005) << v;
    }
    knob->forget();
}

TEST(KnobMapping, OutOfRangeValuesGiveBoundedPoints)
{
    CKnob* knob = plainKnob(CRect(0, 0, 45, 45));
    for (float v : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 1e30f})
    {
        knob->setValue(v);
        CPoint p;
        knob->valueToPoint(p);
        EXPECT_LE(std::abs(p.x), 1 << 30);
        EXPECT_LE(std::abs(p.y), 1 << 30);
    }
    knob->forget();
}

/// A 45-pixel knob at (100, 50) in a frame, drawn once at 0.2 so it starts clean.
struct KnobDrag : ::testing::Test
{
    RecordingFrame frame;
    RecordingListener listener;
    WindowContext context{frame};
    CKnob* knob = frame.adopt(plainKnob(CRect(100, 50, 145, 95), &listener, 4));
    const CPoint click{120, 70};

    void SetUp() override { startAt(0.2f); }

    void startAt(float value)
    {
        knob->setValue(value);
        knob->draw(context);
        listener.values.clear();
        frame.edits.clear();
    }

    /// Presses `button` at `at`, replays `moves` (offsets from the press), then releases.
    void drag(long button, std::initializer_list<std::pair<long, CPoint>> moves, CPoint at)
    {
        CPoint last = at;
        frame.mouse().setMouse({button, at});
        for (const auto& [buttons, delta] : moves)
        {
            last = CPoint(at.x + delta.x, at.y + delta.y);
            frame.mouse().scriptMouse({buttons, last});
        }
        frame.mouse().scriptMouse({0, last});
        CPoint where = at;
        knob->mouse(context, where, button);
    }
    void drag(long button, std::initializer_list<std::pair<long, CPoint>> moves)
    {
        drag(button, moves, click);
    }

    void expectValues(const std::vector<float>& expected)
    {
        ASSERT_EQ(listener.values.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_NEAR(listener.values[i], expected[i], 1e-5) << "report " << i;
    }
};

TEST_F(KnobDrag, LinearDragsMoveByTwoHundredPixelsForTheRange)
{
    frame.knobMode = kLinearKnobMode;
    struct Case
    {
        float start;
        long button;
        CPoint move;
        float zoom;
        float expected;
        const char* what;
    } cases[] = {
        {0.2f, 1, {100, 0}, 1.5f, 0.7f, "right"},
        {0.2f, 1, {0, -100}, 1.5f, 0.7f, "up"},
        {0.2f, 1, {50, -50}, 1.5f, 0.7f, "right and up"},
        {0.7f, 1, {-100, 0}, 1.5f, 0.2f, "left"},
        {0.7f, 1, {0, 100}, 1.5f, 0.2f, "down"},
        {0.7f, 1, {100, 100}, 1.5f, 0.7f, "right and down cancel"},
        {0.2f, 1 | 8, {100, 0}, 1.5f, 0.2f + 1.f / 3.f, "shift from the start"},
        {0.2f, 1 | 8, {100, 0}, 2.f, 0.45f, "shift with zoom 2"},
    };
    for (const Case& c : cases)
    {
        startAt(c.start);
        knob->setZoomFactor(c.zoom);
        drag(c.button, {{c.button, c.move}});
        EXPECT_NEAR(knob->getValue(), c.expected, 1e-5) << c.what;
        EXPECT_EQ(frame.edits, (std::vector<Edit>{{'b', 4}, {'e', 4}})) << c.what;
    }
}

TEST_F(KnobDrag, EveryPassReportsAndPumpsIdle)
{
    frame.knobMode = kLinearKnobMode;
    drag(1, {{1, {10, 0}}, {1, {20, 0}}, {1, {30, 0}}});
    // Taking the focus marks the knob dirty, so even the unmoved first pass reports.
    expectValues({0.2f, 0.25f, 0.3f, 0.35f});
    EXPECT_EQ(frame.idlePasses, 4); // three moves and the release
    EXPECT_EQ(frame.mouse().pendingMouseStates(), 0u);
}

TEST_F(KnobDrag, ShiftPressedMidDragChangesSpeedWithoutAJump)
{
    frame.knobMode = kLinearKnobMode;
    drag(1, {{1, {50, 0}}, {9, {50, 0}}, {9, {80, 0}}, {9, {110, 0}}});
    // 50 pixels at full speed, then 30 pixels per 0.1 with shift; release keeps the value.
    expectValues({0.2f, 0.45f, 0.55f, 0.65f});
}

TEST_F(KnobDrag, LinearDragPastTheEndWaitsForThePointerToComeBack)
{
    frame.knobMode = kLinearKnobMode;
    startAt(0.9f); // the top is reached 20 pixels to the right
    drag(1, {{1, {40, 0}}, {1, {60, 0}}, {1, {30, 0}}, {1, {20, 0}}, {1, {10, 0}}});
    expectValues({0.9f, 1.f, 1.f, 1.f, 1.f, 0.95f});

    startAt(0.1f); // the bottom is reached 20 pixels down
    drag(1, {{1, {0, 50}}, {1, {0, 20}}, {1, {0, 0}}});
    expectValues({0.1f, 0.f, 0.f, 0.1f});
}

TEST_F(KnobDrag, CircularDragSticksAtTheEndItCameFrom)
{
    // A 100-pixel knob centred on (100, 100): the mapping is finer than on the small one.
    CKnob* big = frame.adopt(plainKnob(CRect(50, 50, 150, 150), &listener, 2));
    std::swap(knob, big);
    startAt(0.2f);
    const CPoint top(100, 50);
    auto at = [&](int x, int y) { return CPoint(x - top.x, y - top.y); };

    drag(1,
         {{1, at(150, 100)},
          {1, at(110, 150)},
          {1, at(90, 150)},
          {1, at(50, 100)},
          {1, at(110, 150)},
          {1, at(150, 100)}},
         top);
    expectValues({0.5f, kFiveSixths, 1.f, 1.f, 1.f, 1.f, kFiveSixths});

    startAt(0.2f);
    drag(1, {{1, at(50, 100)}, {1, at(90, 150)}, {1, at(110, 150)}, {1, at(150, 100)}, {1, at(50, 100)}},
         top);
    expectValues({0.5f, kOneSixth, 0.f, 0.f, 0.f, kOneSixth});
    std::swap(knob, big);
}

TEST_F(KnobDrag, KnobModeAndAltChooseTheDrag)
{
    // A click at 3 o'clock without movement: circular takes the value under it, linear keeps it.
    const CPoint threeOClock(145, 72);
    struct Case
    {
        long mode;
        long button;
        bool circular;
    } cases[] = {{0, 1, true}, {0, 1 | 32, false}, {2, 1, false}, {2, 1 | 32, true}, {1, 1, true}};
    for (const Case& c : cases)
    {
        frame.knobMode = c.mode;
        startAt(0.2f);
        drag(c.button, {}, threeOClock);
        EXPECT_NEAR(knob->getValue(), c.circular ? kFiveSixths : 0.2f, 0.01) << c.mode << "/" << c.button;
        EXPECT_EQ(frame.edits, (std::vector<Edit>{{'b', 4}, {'e', 4}}));
        EXPECT_EQ(listener.values.size(), 1u); // the focus taken at the press marks the knob dirty
    }
}

TEST_F(KnobDrag, ModifierClickGoesToTheListenerFirst)
{
    struct Case
    {
        long answer;
        long button;
        bool offered;
        float expected;
        size_t edits;
    } cases[] = {
        {1, 1 | 8, true, 0.2f, 0},  // taken: no drag at all
        {1, 17, true, 0.2f, 0},     // taken: no reset either
        {0, 17, true, 0.5f, 2},     // declined: the reset runs
        {1, 1, false, 0.2f, 2},     // no modifier: not offered
        {1, 4 | 8, false, 0.2f, 0}, // no left button: nothing at all
        {1, 1 | 64, true, 0.2f, 0}, // the system key counts as a modifier
    };
    for (const Case& c : cases)
    {
        startAt(0.2f);
        listener.modifierButtons.clear();
        listener.modifierAnswer = c.answer;
        frame.knobMode = kLinearKnobMode;
        drag(c.button, {});
        EXPECT_EQ(listener.modifierButtons.size(), c.offered ? 1u : 0u) << c.button;
        EXPECT_NEAR(knob->getValue(), c.expected, 1e-6) << c.button;
        EXPECT_EQ(frame.edits.size(), c.edits) << c.button;
        while (frame.mouse().pendingMouseStates() > 0)
            frame.mouse().readMouseButtons();
    }
}

TEST_F(KnobDrag, ButtonsReadFromThePlatformWhenNotGiven)
{
    frame.knobMode = kLinearKnobMode;
    frame.mouse().scriptMouse(
        {{1, click}, {1, CPoint(click.x + 20, click.y)}, {0, CPoint(click.x + 20, click.y)}});
    CPoint where = click;
    knob->mouse(context, where, -1);
    EXPECT_NEAR(knob->getValue(), 0.3f, 1e-6);
}

TEST_F(KnobDrag, DisabledKnobIgnoresMouseAndWheel)
{
    knob->setMouseEnabled(false);
    drag(1, {{1, {100, 0}}});
    EXPECT_FALSE(knob->onWheel(context, click, 1.f));
    EXPECT_EQ(knob->getValue(), 0.2f);
    EXPECT_TRUE(frame.edits.empty());
}

TEST_F(KnobDrag, WheelStepsAreOneEditEach)
{
    struct Case
    {
        float start;
        float distance;
        long held;
        float expected;
    } cases[] = {
        {0.5f, 1.f, 0, 0.6f},  {0.5f, 1.f, 8, 0.51f}, {0.95f, 1.f, 0, 1.f},
        {0.05f, -1.f, 0, 0.f}, {0.5f, -2.f, 0, 0.3f}, {0.5f, -1.f, 8, 0.49f},
    };
    for (const Case& c : cases)
    {
        startAt(c.start);
        frame.mouse().scriptMouse({c.held, click});
        EXPECT_TRUE(knob->onWheel(context, click, c.distance));
        EXPECT_NEAR(knob->getValue(), c.expected, 1e-6) << c.start << " + " << c.distance;
        EXPECT_EQ(frame.edits, (std::vector<Edit>{{'b', 4}, {'e', 4}}));
        EXPECT_EQ(listener.contexts, std::vector<CDrawContext*>{context.context});
        listener.contexts.clear();
    }
    startAt(0.95f);
    knob->onWheel(context, click, 1.f);
    EXPECT_EQ(knob->getValue(), 1.f); // exactly the top, not 1.05 and not 0.99999
}

TEST_F(KnobDrag, WheelAtTheEndReportsNothing)
{
    startAt(1.f);
    EXPECT_TRUE(knob->onWheel(context, click, 1.f));
    EXPECT_TRUE(listener.values.empty());
    EXPECT_TRUE(frame.edits.empty());
}

TEST_F(KnobDrag, BrokenWheelDistanceLeavesTheValueAlone)
{
    for (float d : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
    {
        EXPECT_FALSE(knob->onWheel(context, click, d));
        EXPECT_EQ(knob->getValue(), 0.2f);
    }
    EXPECT_TRUE(listener.values.empty());
}

TEST_F(KnobDrag, ArrowKeysStepWithANullContext)
{
    struct Case
    {
        unsigned char virt;
        unsigned char modifier;
        long answer;
        float expected;
    } cases[] = {
        {12, 0, 1, 0.6f},  {13, 0, 1, 0.6f},  {11, 0, 1, 0.4f},  {14, 0, 1, 0.4f},
        {12, 1, 1, 0.51f}, {14, 1, 1, 0.49f}, {15, 0, -1, 0.5f}, {0, 0, -1, 0.5f},
    };
    for (const Case& c : cases)
    {
        startAt(0.5f);
        VstKeyCode key{'x', c.virt, c.modifier};
        EXPECT_EQ(knob->onKeyDown(key), c.answer) << int(c.virt);
        EXPECT_NEAR(knob->getValue(), c.expected, 1e-6) << int(c.virt);
        if (c.answer == 1)
        {
            EXPECT_EQ(frame.edits, (std::vector<Edit>{{'b', 4}, {'e', 4}}));
            EXPECT_EQ(listener.contexts.back(), nullptr);
        }
        else
        {
            EXPECT_TRUE(frame.edits.empty());
        }
    }
}

TEST_F(KnobDrag, AnEditMakesTheKnobTheFocusForKeys)
{
    knob->onWheel(context, click, 1.f);
    ASSERT_EQ(frame.getFocusView(), knob);
    VstKeyCode up{0, 12, 0};
    EXPECT_EQ(frame.onKeyDown(up), 1);
    EXPECT_NEAR(knob->getValue(), 0.4f, 1e-6);
}

TEST(KnobDrawing, HandleLineInTwoColours)
{
    RecordingFrame frame;
    auto* canvas = new COffscreenContext(&frame, 60, 60, kBlackCColor);
    CKnob* knob = frame.adopt(plainKnob(CRect(10, 10, 50, 50)));
    knob->setColorHandle(kRedCColor);
    knob->setColorShadowHandle(kGreenCColor);
    knob->setValue(0.5f); // straight up: handle point (20, 3) local
    knob->draw(canvas);
    // Shadow from (29, 13) down to the origin (29, 30); the handle one pixel right and up.
    EXPECT_EQ(pixelOf(*canvas, 29, 20), packed(kGreenCColor));
    EXPECT_EQ(pixelOf(*canvas, 30, 20), packed(kRedCColor));
    EXPECT_EQ(pixelOf(*canvas, 31, 20), packed(kBlackCColor));
    EXPECT_FALSE(knob->isDirty());
    knob->setColorHandle(kRedCColor);
    EXPECT_TRUE(knob->isDirty()); // colour setters always ask for a redraw
    canvas->forget();
}

TEST(KnobDrawing, HandleBitmapCentredOnTheHandlePoint)
{
    RecordingFrame frame;
    auto* canvas = new COffscreenContext(&frame, 60, 60, kBlackCColor);
    CBitmap* dot = makeStrip(frame, 4, 4, {kYellowCColor});
    auto* knob = new CKnob(CRect(10, 10, 50, 50), nullptr, 0, nullptr, dot, CPoint(0, 0));
    frame.adopt(knob);
    EXPECT_EQ(dot->getNbReference(), 2);
    CPoint p;
    knob->setValue(0.5f);
    knob->valueToPoint(p); // inset 4 * 0.5 + 2.5 = 4: (20, 4)
    EXPECT_EQ(p, CPoint(20, 4));
    knob->draw(canvas);
    EXPECT_EQ(pixelOf(*canvas, 28, 12), packed(kYellowCColor));
    EXPECT_EQ(pixelOf(*canvas, 31, 15), packed(kYellowCColor));
    EXPECT_EQ(pixelOf(*canvas, 32, 16), packed(kBlackCColor));
    EXPECT_EQ(pixelOf(*canvas, 27, 11), packed(kBlackCColor));
    knob->setHandleBitmap(nullptr);
    EXPECT_EQ(dot->getNbReference(), 1); // the knob let go of its reference
    dot->forget();
    canvas->forget();
}

} // namespace
} // namespace controls_test

namespace controls_test
{
namespace
{

TEST(KnobTeardown, EditorClosedDuringADragEndsItWithoutTouchingTheFrame)
{
    for (bool linear : {true, false})
    {
        auto* frame = new RecordingFrame;
        RecordingListener listener;
        CKnob* knob = frame->adopt(plainKnob(CRect(0, 0, 45, 45), &listener, 2));
        auto* context = new CDrawContext(frame, frame->getPlatformWindow());
        frame->knobMode = linear ? kLinearKnobMode : 0;
        for (int i = 0; i < 5; ++i)
            frame->mouse().scriptMouse({1, CPoint(20 + i, 20)});
        std::vector<Edit> editsSeen;
        frame->onIdle = [&]
        {
            editsSeen = frame->edits;
            delete frame; // the host closes the editor from inside the idle pump
            frame = nullptr;
        };
        CPoint where(20, 20);
        knob->mouse(context, where, 1);
        EXPECT_EQ(frame, nullptr);
        EXPECT_EQ(editsSeen, (std::vector<Edit>{{'b', 2}}));
        EXPECT_EQ(listener.values.size(), 1u) << "no report after the frame went";
        context->forget();
    }
}

} // namespace
} // namespace controls_test
