// The control base: the dirty rule on the last drawn value, bounce, the
// control-click reset with its edit bracket, double clicks and class names.
#include <cmath>
#include <limits>

#include "gui/cknob.h"
#include "gui/cparamdisplay.h"
#include "gui/cverticalswitch.h"
#include "tests/gui/control_harness.h"

namespace controls_test
{
namespace
{

/// The smallest concrete control: drawing only records the drawn value.
class PlainControl : public CControl
{
public:
    explicit PlainControl(CControlListener* listener = nullptr, long tag = 7)
        : CControl(CRect(10, 10, 30, 30), listener, tag, nullptr)
    {
    }
    void draw(CDrawContext*) override { setDirty(false); }
};

TEST(ControlDirtyRule, NewControlIsDirtyWhateverItsValue)
{
    PlainControl control;
    EXPECT_TRUE(control.isDirty());
    EXPECT_EQ(control.getOldValue(), -1.f);
    EXPECT_EQ(control.getValue(), 0.f);
}

TEST(ControlDirtyRule, FollowsTheLastDrawnValue)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case
    {
        float drawn;
        float next;
        bool dirty;
    } cases[] = {
        {0.5f, 0.5f, false}, {0.5f, 0.51f, true}, {0.f, -0.f, false},
        {0.5f, nan, true},   {nan, nan, true},    {-1.f, -1.f, false},
    };
    for (const Case& c : cases)
    {
        PlainControl control;
        control.setValue(c.drawn);
        control.draw(nullptr);
        control.setValue(c.next);
        EXPECT_EQ(control.isDirty(), c.dirty) << c.drawn << " -> " << c.next;
    }
}

TEST(ControlDirtyRule, MarkingDirtyStaysVisibleAfterTheFlagIsCleared)
{
    for (float v : {0.f, 0.5f, -1.f})
    {
        PlainControl control;
        control.setValue(v);
        control.setDirty(true);
        EXPECT_EQ(control.getOldValue(), v == -1.f ? 0.f : -1.f);
        // A plain view flag reset (as a parent's update does) must not hide the change.
        control.CView::setDirty(false);
        EXPECT_TRUE(control.isDirty()) << v;
    }
}

TEST(ControlBounce, ClampsIntoTheRange)
{
    struct Case
    {
        float min, max, value, expected;
    } cases[] = {
        {0.f, 1.f, 1.3f, 1.f}, {0.f, 1.f, -0.2f, 0.f},  {0.f, 1.f, 0.7f, 0.7f},
        {-2.f, 2.f, 3.f, 2.f}, {-2.f, 2.f, -3.f, -2.f}, {0.f, 1.f, 1.f, 1.f},
    };
    for (const Case& c : cases)
    {
        PlainControl control;
        control.setMin(c.min);
        control.setMax(c.max);
        control.setValue(c.value);
        control.bounceValue();
        EXPECT_EQ(control.getValue(), c.expected) << c.value;
    }
}

struct ControlInFrame : ::testing::Test
{
    RecordingFrame frame;
    RecordingListener listener;
    WindowContext context{frame};
    PlainControl* control = frame.adopt(new PlainControl(&listener, 3));
};

TEST_F(ControlInFrame, ControlClickResetsToTheDefaultInsideAnEdit)
{
    control->setValue(0.9f);
    EXPECT_TRUE(control->checkDefaultValue(context, kMouseLeftButton | kModifierControl));
    EXPECT_EQ(control->getValue(), 0.5f);
    EXPECT_EQ(frame.edits, (std::vector<Edit>{{'b', 3}, {'e', 3}}));
    EXPECT_EQ(listener.values, std::vector<float>{0.5f});
    EXPECT_EQ(listener.contexts, std::vector<CDrawContext*>{context.context});
    EXPECT_EQ(frame.getFocusView(), control);
}

TEST_F(ControlInFrame, ControlClickOnACleanDefaultStillBracketsButReportsNothing)
{
    control->setValue(0.5f);
    control->draw(context);
    EXPECT_TRUE(control->checkDefaultValue(context, 17));
    EXPECT_EQ(frame.edits, (std::vector<Edit>{{'b', 3}, {'e', 3}}));
    EXPECT_TRUE(listener.values.empty());
}

TEST_F(ControlInFrame, OnlyTheExactControlClickResets)
{
    for (long button : {1L, 16L, 25L, 17L | 2, 17L | 32, 17L | 64, 17L | 4})
    {
        control->setValue(0.9f);
        EXPECT_FALSE(control->checkDefaultValue(context, button)) << button;
        EXPECT_EQ(control->getValue(), 0.9f) << button;
    }
    EXPECT_TRUE(frame.edits.empty());
    EXPECT_TRUE(listener.values.empty());
}

TEST_F(ControlInFrame, TwoClicksWithinTheIntervalMakeADoubleClick)
{
    frame.ticks = 1000;
    EXPECT_FALSE(control->isDoubleClick());
    frame.ticks = 1249; // any platform allows at least 250 ms
    EXPECT_TRUE(control->isDoubleClick());
    frame.ticks = 1250; // the second click used the pair up
    EXPECT_FALSE(control->isDoubleClick());
    frame.ticks = 60000;
    EXPECT_FALSE(control->isDoubleClick());
}

TEST_F(ControlInFrame, TheIntervalIsThePlatformsRaisedTo250)
{
    struct Case
    {
        std::uint32_t platform;
        long interval;
    };
    const Case cases[] = {{100, 250}, {250, 250}, {400, 400}, {900, 900}};
    long now = 10000;
    for (const Case& c : cases)
    {
        frame.mouse().setDoubleClickTime(c.platform);
        for (const long gap : {c.interval - 1, c.interval})
        {
            now += 100000;
            frame.ticks = static_cast<std::uint32_t>(now);
            EXPECT_FALSE(control->isDoubleClick());
            frame.ticks = static_cast<std::uint32_t>(now + gap);
            EXPECT_EQ(control->isDoubleClick(), gap < c.interval) << c.platform << " ms, gap " << gap;
        }
    }
}

TEST_F(ControlInFrame, IdlePumpsTheFrame)
{
    control->doIdleStuff();
    control->doIdleStuff();
    EXPECT_EQ(frame.idlePasses, 2);
}

TEST(ControlOutsideAFrame, EditGesturesAreHarmless)
{
    RecordingListener listener;
    PlainControl control(&listener);
    control.setValue(0.2f);
    control.beginEdit();
    control.endEdit();
    control.doIdleStuff();
    EXPECT_FALSE(control.isDoubleClick());
    EXPECT_TRUE(control.checkDefaultValue(nullptr, 17));
    EXPECT_EQ(control.getValue(), 0.5f);
    EXPECT_EQ(listener.values.size(), 1u);
}

TEST(ControlNames, EachClassAnswersItsOwnNameAndItsBases)
{
    RecordingFrame frame;
    CPoint origin(0, 0);
    const CRect r(0, 0, 40, 40);
    struct Case
    {
        CControl* control;
        std::vector<const char*> names;
    } cases[] = {
        {new PlainControl, {"CControl", "CView"}},
        {new CKnob(r, nullptr, 0, nullptr, nullptr, origin), {"CKnob", "CControl", "CView"}},
        {new CAnimKnob(r, nullptr, 0, 3, 40, nullptr, origin), {"CAnimKnob", "CKnob", "CControl", "CView"}},
        {new CParamDisplay(r), {"CParamDisplay", "CControl", "CView"}},
        {new CVerticalSwitch(r, nullptr, 0, 3, 40, 3, nullptr, origin),
         {"CVerticalSwitch", "CControl", "CView"}},
    };
    const char* all[] = {
        "CView",          "CControl", "CKnob",      "CAnimKnob", "CParamDisplay", "CVerticalSwitch",
        "CViewContainer", "CFrame",   "CTextLabel", "",          nullptr};
    for (const Case& c : cases)
    {
        for (const char* name : all)
        {
            const bool expected =
                std::find_if(c.names.begin(), c.names.end(),
                             [&](const char* n) { return name && std::string(n) == name; }) != c.names.end();
            EXPECT_EQ(c.control->isTypeOf(name), expected)
                << c.names.front() << " asked " << (name ? name : "null");
        }
        c.control->forget();
    }
}

} // namespace
} // namespace controls_test
