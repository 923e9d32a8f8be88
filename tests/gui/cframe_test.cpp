// CFrame on the headless platform: focus and the tab key, the modal view, clicks and wheel
// from window events, invalidate, idle and paint with the back buffer, size, drops.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gui/cframe.h"
#include "gui/coffscreencontext.h"
#include "gui/headless/headlessplatform.h"
#include "tests/gui/view_harness.h"

using namespace VSTGUI;
using sorvelt_test::key;
using sorvelt_test::pixelAt;
using sorvelt_test::ProbeView;

namespace
{

constexpr std::uint8_t kTab = 2;
constexpr std::uint8_t kShift = 1;

/// A frame bound to a headless window of 200 x 100, with the platform kept for scripting.
struct HeadlessFrame
{
    explicit HeadlessFrame(const CRect& rect = CRect(0, 0, 200, 100))
    {
        auto owned = std::make_unique<HeadlessPlatform>();
        platform = owned.get();
        frame = new CFrame(rect, &parentWindow, nullptr, std::move(owned));
        window = static_cast<HeadlessWindow*>(frame->getPlatformWindow());
    }
    ~HeadlessFrame() { frame->forget(); }

    /// Adds a probe; the frame's teardown releases it.
    ProbeView* add(const CRect& rect, CColor color = kRedCColor, const char* name = "")
    {
        auto* view = new ProbeView(rect, color, &log, name);
        frame->addView(view);
        return view;
    }
    void click(const CPoint& where, long buttons = kMouseLeftButton)
    {
        platform->setMouse({buttons, where});
        window->postMouseDown(where);
        frame->drainWindowEvents();
    }
    long press(std::uint8_t virt, std::uint8_t modifier = 0)
    {
        VstKeyCode code = key(0, virt, modifier);
        return frame->onKeyDown(code);
    }

    int parentWindow = 0;
    HeadlessPlatform* platform = nullptr;
    CFrame* frame = nullptr;
    HeadlessWindow* window = nullptr;
    std::vector<std::string> log;
};

TEST(CFrame, BindsToTheParentWindowAtTheOrigin)
{
    HeadlessFrame h(CRect(30, 40, 230, 140));
    ASSERT_NE(h.window, nullptr);
    EXPECT_EQ(h.window->getParent(), &h.parentWindow);
    EXPECT_EQ(h.window->getWidth(), 200);
    EXPECT_EQ(h.window->getHeight(), 100);
    CRect size;
    EXPECT_TRUE(h.frame->getSize(size));
    EXPECT_EQ(size, CRect(0, 0, 200, 100));
    EXPECT_EQ(h.frame->getFrame(), h.frame);
    EXPECT_TRUE(h.frame->isOpen());
    EXPECT_FALSE(h.frame->open());
    EXPECT_FALSE(h.frame->close());
    // No drop target exists on this platform, so receiving stays off.
    EXPECT_FALSE(h.frame->isDropActive());
    EXPECT_FALSE(h.frame->setDropActive(true));
    EXPECT_TRUE(h.frame->setDropActive(false));
}

TEST(CFrame, AClickEndsTheFocusBeforeItIsDelivered)
{
    HeadlessFrame h;
    ProbeView* focused = h.add(CRect(0, 0, 50, 50), kRedCColor, "focused");
    ProbeView* target = h.add(CRect(100, 0, 150, 50), kGreenCColor, "target");
    focused->setWantsFocus(true);
    h.frame->setFocusView(focused);
    h.log.clear();

    h.click(CPoint(110, 10), kMouseLeftButton | kModifierShift);
    EXPECT_EQ(target->clicks, 1);
    EXPECT_EQ(target->focusAtClick, nullptr);
    EXPECT_EQ(h.frame->getFocusView(), nullptr);
    EXPECT_EQ(h.log, (std::vector<std::string>{"focused:looseFocus", "target:mouse"}));
    // The window reports buttons -1; the frame read them from the platform.
    EXPECT_EQ(target->lastButtons, kMouseLeftButton | kModifierShift);
    EXPECT_EQ(target->lastWhere, CPoint(110, 10));
    EXPECT_TRUE(focused->isDirty());
}

TEST(CFrame, ModalViewTakesEveryInputAndRefusesASecond)
{
    HeadlessFrame h;
    ProbeView* below = h.add(CRect(0, 0, 200, 100), kRedCColor, "below");
    auto* modal = new ProbeView(CRect(50, 50, 80, 80), kGreenCColor, &h.log, "modal");
    auto* other = new ProbeView(CRect(0, 0, 10, 10), kBlueCColor);
    ASSERT_TRUE(h.frame->setModalView(modal));
    EXPECT_TRUE(h.frame->isChild(modal));
    EXPECT_FALSE(h.frame->setModalView(other));
    EXPECT_EQ(h.frame->getModalView(), modal);

    h.click(CPoint(10, 10));
    EXPECT_EQ(below->clicks, 0);
    EXPECT_EQ(modal->clicks, 0);
    h.click(CPoint(80, 80)); // edges are inside
    EXPECT_EQ(modal->clicks, 1);

    VstKeyCode a = key('a');
    EXPECT_EQ(h.frame->onKeyDown(a), 1);
    EXPECT_EQ(h.press(kTab), -1);
    EXPECT_EQ(h.frame->getCurrentView(), modal);
    EXPECT_TRUE(h.frame->onWheel(nullptr, CPoint(5, 5), 1.0f));
    EXPECT_EQ(h.log.back(), "modal:wheel");

    // Clearing it removes it from the frame but leaves it to its creator.
    EXPECT_TRUE(h.frame->setModalView(nullptr));
    EXPECT_FALSE(h.frame->isChild(modal));
    EXPECT_EQ(modal->getNbReference(), 1);
    h.click(CPoint(10, 10));
    EXPECT_EQ(below->clicks, 1);
    EXPECT_TRUE(h.frame->setModalView(other));
    modal->forget();
    other->forget();
}

/// a, (b does not want focus), c, and a container holding d, in that order.
struct FocusScene : HeadlessFrame
{
    FocusScene()
    {
        a = add(CRect(0, 0, 10, 10), kRedCColor, "a");
        b = add(CRect(10, 0, 20, 10), kRedCColor, "b");
        c = add(CRect(20, 0, 30, 10), kRedCColor, "c");
        inner = new CViewContainer(CRect(100, 0, 200, 100), frame);
        frame->addView(inner);
        d = new ProbeView(CRect(0, 0, 10, 10), kRedCColor, &log, "d");
        inner->addView(d);
        for (ProbeView* v : {a, c, d})
            v->setWantsFocus(true);
    }
    ProbeView *a, *b, *c, *d;
    CViewContainer* inner;
};

TEST(CFrame, TabMovesTheFocusThroughTheTreeBothWays)
{
    FocusScene s;
    struct Step
    {
        std::uint8_t modifier;
        long answer;
        const char* focus;
    };
    // From no focus: forwards a, c, d (inside the container), then off the end, then a again;
    // backwards from a runs off the start, then from the end: d, c, a.
    const Step steps[] = {
        {0, 1, "a"},           {0, 1, "c"},      {0, 1, "d"},      {0, -1, nullptr}, {0, 1, "a"},
        {kShift, -1, nullptr}, {kShift, 1, "d"}, {kShift, 1, "c"}, {kShift, 1, "a"},
    };
    for (const Step& step : steps)
    {
        const long answer = s.press(kTab, step.modifier);
        CView* focus = s.frame->getFocusView();
        const auto* probe = dynamic_cast<ProbeView*>(focus);
        EXPECT_EQ(answer, step.answer);
        EXPECT_EQ(probe ? probe->name : std::string("(none)"), step.focus ? step.focus : "(none)")
            << "after tab with modifier " << int(step.modifier);
        EXPECT_EQ(focus == nullptr, step.focus == nullptr);
    }
}

TEST(CFrame, AFocusViewThatTakesTheTabKeepsTheFocus)
{
    FocusScene s;
    s.frame->setFocusView(s.a);
    s.a->acceptedCharacter = 0; // the tab key arrives with character 0
    EXPECT_EQ(s.press(kTab), 1);
    EXPECT_EQ(s.frame->getFocusView(), s.a);

    // Keys go to the focus view only: the other children are not asked.
    s.log.clear();
    VstKeyCode x = key('x');
    EXPECT_EQ(s.frame->onKeyDown(x), -1);
    EXPECT_EQ(s.log, std::vector<std::string>{"a:keyDown"});
    EXPECT_EQ(s.frame->onKeyUp(x), -1);
}

TEST(CFrame, RemovingTheFocusedViewOrItsContainerClearsTheFocus)
{
    FocusScene s;
    s.frame->setFocusView(s.d);
    s.inner->remember();
    s.frame->removeView(s.inner, false);
    EXPECT_EQ(s.frame->getFocusView(), nullptr);
    s.frame->addView(s.inner);
    s.inner->forget();

    s.frame->setFocusView(s.c);
    s.frame->removeView(s.c, true);
    EXPECT_EQ(s.frame->getFocusView(), nullptr);
    EXPECT_EQ(s.press(kTab), 1);
    EXPECT_EQ(s.frame->getFocusView(), s.a);
}

TEST(CFrame, EmptyingAContainerThatHoldsTheFocusClearsIt)
{
    FocusScene s;
    s.frame->setFocusView(s.d);
    s.inner->removeAll(true);
    EXPECT_EQ(s.frame->getFocusView(), nullptr);
    s.click(CPoint(5, 5)); // ending a focus that is gone would touch a destroyed view
    EXPECT_EQ(s.a->clicks, 1);
}

TEST(CFrame, InvalidateMarksEveryChildItTouches)
{
    HeadlessFrame h;
    ProbeView* views[] = {
        h.add(CRect(0, 0, 10, 10)),   // left of the rectangle, touching its left edge
        h.add(CRect(50, 50, 60, 60)), // inside
        h.add(CRect(90, 0, 100, 10)), // touching the right edge
        h.add(CRect(0, 90, 10, 100)), // touching the bottom edge
        h.add(CRect(91, 0, 99, 10)),  // one pixel right of it
        h.add(CRect(0, 0, 9, 9)),     // one pixel above and left
    };
    const bool expected[] = {true, true, true, true, false, false};
    COffscreenContext context(h.frame, 200, 100);
    h.frame->draw(&context);
    h.frame->invalidate(CRect(10, 10, 90, 90));
    for (size_t i = 0; i < std::size(views); ++i)
        EXPECT_EQ(views[i]->isDirty(), expected[i]) << i;
}

TEST(CFrame, IdleDrawsNothingBeforeTheFirstPaint)
{
    HeadlessFrame h;
    ProbeView* view = h.add(CRect(10, 10, 40, 40), kRedCColor);
    h.frame->setBackgroundColor(kBlueCColor);
    h.frame->idle();
    EXPECT_EQ(view->draws, 0);
    EXPECT_TRUE(h.window->getFlushed().empty());

    // The window's first exposure paints everything into the back buffer and shows it once.
    h.window->postPaint(CRect(0, 0, 200, 100));
    h.frame->idle();
    EXPECT_EQ(view->draws, 1);
    EXPECT_EQ(h.window->getFlushed().size(), 1u);
    COffscreenContext expected(h.frame, 200, 100, kBlackCColor);
    h.frame->draw(&expected);
    const PixelBuffer shown = h.window->getSurface();
    const PixelBuffer drawn = expected.getPixelBuffer();
    // The background fill leaves out the top row and the left column (the fill rule), so those
    // keep each target's initial pixels; everything else must match byte for byte.
    for (int y = 1; y < 100; ++y)
        ASSERT_EQ(std::memcmp(shown.pixel(1, y), drawn.pixel(1, y), 199 * 4), 0) << "row " << y;
    EXPECT_EQ(pixelAt(shown, 20, 20), kRedCColor);
    EXPECT_EQ(pixelAt(shown, 5, 5), kBlueCColor);

    // From now on idle draws what changed, and only that.
    h.window->clearLogs();
    h.frame->idle();
    EXPECT_EQ(view->draws, 2); // drawn into the offscreen picture above, not by idle
    view->color = kGreenCColor;
    view->setDirty(true);
    h.frame->idle();
    EXPECT_EQ(view->draws, 3);
    EXPECT_EQ(pixelAt(h.window->getSurface(), 20, 20), kGreenCColor);
    EXPECT_EQ(h.window->getFlushed().size(), 1u);
}

TEST(CFrame, ClosedOrDisabledFramesDoNotUpdate)
{
    HeadlessFrame h;
    ProbeView* view = h.add(CRect(10, 10, 40, 40));
    h.window->postPaint(CRect(0, 0, 200, 100));
    h.frame->idle();
    ASSERT_EQ(view->draws, 1);

    view->setDirty(true);
    EXPECT_FALSE(h.frame->updatesDisabled(true));
    h.frame->idle();
    EXPECT_EQ(view->draws, 1);
    EXPECT_TRUE(h.frame->updatesDisabled(false));
    h.frame->idle();
    EXPECT_EQ(view->draws, 2);

    // The window going away closes the frame: nothing draws any more.
    h.window->postDestroy();
    view->setDirty(true);
    h.frame->idle();
    EXPECT_FALSE(h.frame->getOpenFlag());
    EXPECT_EQ(h.frame->getSystemWindow(), nullptr);
    EXPECT_EQ(view->draws, 2);
    EXPECT_FALSE(h.frame->setSize(300, 300));
}

TEST(CFrame, WithoutAParentWindowItNeverDrawsOnItsOwn)
{
    auto* frame = new CFrame(CRect(0, 0, 50, 50), nullptr, nullptr);
    auto* view = new ProbeView(CRect(0, 0, 10, 10), kRedCColor);
    frame->addView(view);
    EXPECT_EQ(frame->getPlatformWindow(), nullptr);
    frame->idle();
    frame->draw(view);
    CPoint where(7, 7);
    EXPECT_FALSE(frame->getCurrentLocation(where));
    EXPECT_EQ(frame->getCurrentView(), nullptr);

    // Drawn explicitly into a picture, it draws as usual.
    COffscreenContext picture(frame, 50, 50, kWhiteCColor);
    frame->draw(&picture);
    EXPECT_EQ(pixelAt(picture, 5, 5), kRedCColor);
    EXPECT_EQ(pixelAt(picture, 20, 20), kBlackCColor);
    frame->forget();
}

TEST(CFrame, CurrentViewIsTheTopmostChildUnderThePointer)
{
    HeadlessFrame h;
    ProbeView* below = h.add(CRect(0, 0, 100, 100));
    ProbeView* above = h.add(CRect(50, 50, 80, 80));
    struct Case
    {
        CPoint pointer;
        CView* expected;
    };
    const Case cases[] = {
        {{60, 60}, above}, {{80, 80}, above}, {{81, 81}, below}, {{100, 100}, below}, {{150, 50}, nullptr},
    };
    for (const Case& c : cases)
    {
        h.platform->setMouse({0, c.pointer});
        EXPECT_EQ(h.frame->getCurrentView(), c.expected) << c.pointer.x << "," << c.pointer.y;
        CPoint where;
        EXPECT_TRUE(h.frame->getCurrentLocation(where));
        EXPECT_EQ(where, c.pointer);
    }
}

TEST(CFrame, ANestedContainerFindsItsCurrentChildInItsOwnCoordinates)
{
    HeadlessFrame h;
    auto* inner = new CViewContainer(CRect(100, 0, 200, 100), h.frame);
    h.frame->addView(inner);
    auto* view = new ProbeView(CRect(10, 10, 20, 20), kRedCColor);
    inner->addView(view);
    h.platform->setMouse({0, CPoint(115, 12)});
    EXPECT_EQ(inner->getCurrentView(), view);
    EXPECT_EQ(h.frame->getCurrentView(), inner); // the frame does not descend
    EXPECT_TRUE(inner->hitTestSubViews(CPoint(115, 12), 0));
    view->setMouseEnabled(false);
    EXPECT_FALSE(inner->hitTestSubViews(CPoint(115, 12), 0));
    h.platform->setMouse({0, CPoint(150, 50)});
    EXPECT_EQ(inner->getCurrentView(), nullptr);
}

TEST(CFrame, MouseLocationOfANestedViewIsInItsParentsCoordinates)
{
    HeadlessFrame h;
    auto* inner = new CViewContainer(CRect(10, 20, 110, 90), h.frame);
    h.frame->addView(inner);
    auto* view = new ProbeView(CRect(5, 5, 20, 20), kRedCColor);
    inner->addView(view);
    h.platform->setMouse({0, CPoint(30, 40)});

    auto* context = new CDrawContext(h.frame, h.frame->getPlatformWindow());
    CPoint where;
    view->getMouseLocation(context, where);
    EXPECT_EQ(where, CPoint(20, 20));
    EXPECT_EQ(context->offset, CPoint(0, 0));
    inner->getMouseLocation(context, where);
    EXPECT_EQ(where, CPoint(30, 40));
    context->forget();
}

TEST(CFrame, WheelEventsReachTheChildUnderThePointer)
{
    HeadlessFrame h;
    ProbeView* view = h.add(CRect(0, 0, 100, 100), kRedCColor, "view");
    h.window->postWheel(CPoint(30, 40), 0, -1.0f);
    h.window->postWheel(CPoint(150, 40), 1, 1.0f); // nobody there
    h.frame->drainWindowEvents();
    EXPECT_EQ(h.log, std::vector<std::string>{"view:wheel"});
    EXPECT_EQ(view->lastAxis, kHorizontalWheel);
    EXPECT_EQ(view->lastDistance, -1.0f);
    EXPECT_EQ(view->lastWhere, CPoint(30, 40));
    EXPECT_FALSE(h.frame->onWheel(nullptr, CPoint(150, 40), 1.0f));
    EXPECT_TRUE(h.frame->onWheel(nullptr, CPoint(10, 10), 2.0f));
    EXPECT_EQ(view->lastAxis, kVerticalWheel);
}

TEST(CFrame, APressAndWheelStepsArrivingDuringAClickFollowItInOrder)
{
    HeadlessFrame h;
    struct Tracker : ProbeView
    {
        using ProbeView::ProbeView;
        void mouse(CDrawContext* context, CPoint& where, long buttons) override
        {
            ProbeView::mouse(context, where, buttons);
            seen.push_back("press " + std::to_string(where.x) + " " + std::to_string(buttons));
            if (clicks > 1) return;
            // A control tracking the mouse pumps the window; more input is queued meanwhile.
            platform->setMouse({kMouseLeftButton | kModifierShift, CPoint(10, 10)});
            window->postMouseDown(CPoint(10, 10));
            window->postWheel(CPoint(10, 10), 1, 1.0f);
            window->postMouseDown(CPoint(20, 20)); // a second press in the same click: too many
            window->postWheel(CPoint(10, 10), 1, -1.0f);
            getFrame()->drainWindowEvents();
            platform->setMouse({0, CPoint(10, 10)}); // released before the kept press is handled
            seen.push_back("click over");
        }
        bool onWheel(CDrawContext* context, const CPoint& where, CMouseWheelAxis axis, float distance) override
        {
            seen.push_back("wheel " + std::to_string(static_cast<int>(distance)));
            return ProbeView::onWheel(context, where, axis, distance);
        }
        HeadlessWindow* window = nullptr;
        HeadlessPlatform* platform = nullptr;
        std::vector<std::string> seen;
    };
    auto* tracker = new Tracker(CRect(0, 0, 50, 50), kRedCColor);
    tracker->window = h.window;
    tracker->platform = h.platform;
    h.frame->addView(tracker);
    h.click(CPoint(5, 5));
    const std::vector<std::string> expected = {"press 5 1", "click over", "press 10 9", "wheel 1", "wheel -1"};
    EXPECT_EQ(tracker->seen, expected);
}

TEST(CFrame, SetSizeResizesTheWindowUnlessNothingChanges)
{
    HeadlessFrame h;
    struct Case
    {
        long width, height;
        bool answer;
    };
    const Case cases[] = {{200, 100, false}, {0, 100, false}, {300, -5, false}, {300, 150, true}};
    for (const Case& c : cases)
        EXPECT_EQ(h.frame->setSize(c.width, c.height), c.answer) << c.width << "x" << c.height;
    CRect size;
    h.frame->getSize(&size);
    EXPECT_EQ(size, CRect(0, 0, 300, 150));
    EXPECT_EQ(h.window->getWidth(), 300);
    EXPECT_EQ(h.window->getHeight(), 150);
    CRect viaView(0, 0, 250, 120);
    h.frame->setViewSize(viaView);
    h.frame->getSize(&size);
    EXPECT_EQ(size, viaView);
    EXPECT_FALSE(h.frame->getSize(nullptr));
}

TEST(CFrame, DrawingOneViewDrawsOnlyAChildOfTheFrame)
{
    HeadlessFrame h;
    ProbeView* child = h.add(CRect(0, 0, 10, 10));
    ProbeView* sibling = h.add(CRect(20, 0, 30, 10));
    ProbeView stranger(CRect(0, 0, 5, 5), kBlueCColor);
    h.frame->draw(child);
    EXPECT_EQ(child->draws, 1);
    EXPECT_EQ(sibling->draws, 0);
    h.frame->draw(&stranger); // not a child: the whole frame is drawn instead
    EXPECT_EQ(stranger.draws, 0);
    EXPECT_EQ(child->draws, 2);
    EXPECT_EQ(sibling->draws, 1);
}

TEST(CFrame, DropsAreRoutedToTheChildUnderThePointer)
{
    HeadlessFrame h;
    h.add(CRect(0, 0, 50, 50), kRedCColor, "target");
    CDragContainer drag({{CDragContainer::kFile, "/tmp/a.wav"}, {CDragContainer::kText, "hello"}});
    h.frame->onDragEnter(nullptr, &drag, CPoint(10, 10));
    h.frame->onDragMove(nullptr, &drag, CPoint(60, 10));
    EXPECT_TRUE(h.frame->onDrop(nullptr, &drag, CPoint(20, 20)));
    EXPECT_EQ(h.log, (std::vector<std::string>{"target:enter@10,10", "target:leave@60,10",
                                               "target:drop@20,20", "target:leave@20,20"}));
}

TEST(CFrame, DragContainerListsItsItems)
{
    CDragContainer drag({{CDragContainer::kFile, "/tmp/a.wav"}, {CDragContainer::kText, "hello"}});
    EXPECT_EQ(drag.getCount(), 2);
    EXPECT_EQ(drag.getType(0), CDragContainer::kFile);
    EXPECT_EQ(drag.getType(1), CDragContainer::kText);
    EXPECT_EQ(drag.getType(2), CDragContainer::kUnknown);
    EXPECT_EQ(drag.getType(-1), CDragContainer::kUnknown);

    long size = 0, type = 0;
    void* data = drag.first(size, type);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::string(static_cast<char*>(data), static_cast<size_t>(size)), "/tmp/a.wav");
    EXPECT_EQ(type, CDragContainer::kFile);
    data = drag.next(size, type);
    EXPECT_EQ(std::string(static_cast<char*>(data), static_cast<size_t>(size)), "hello");
    EXPECT_EQ(drag.next(size, type), nullptr);
    EXPECT_EQ(type, CDragContainer::kUnknown);
    EXPECT_NE(drag.first(size, type), nullptr); // iteration starts over
}

TEST(CFrame, WithoutAnEditorTheRelaysAnswerQuietly)
{
    HeadlessFrame h;
    EXPECT_EQ(h.frame->getEditor(), nullptr);
    EXPECT_EQ(h.frame->getTicks(), 0u);
    h.frame->beginEdit(1);
    h.frame->endEdit(1);
    h.frame->doIdleStuff();
    for (int type = -1; type <= 10; ++type)
        h.frame->setCursor(static_cast<CCursorType>(type));
    long x = -1, y = -1;
    EXPECT_TRUE(h.frame->getPosition(x, y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
}

} // namespace
