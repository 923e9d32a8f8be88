// The headless platform: a clock that moves only when told, replayed mouse states, and
// windows whose events and requests a test can post and inspect.
#include <gtest/gtest.h>

#include <vector>

#include "gui/cdrawcontext.h"
#include "gui/headless/headlessplatform.h"

using namespace VSTGUI;

namespace
{

struct RecordingListener : PlatformWindowListener
{
    std::vector<std::string> log;
    void onPlatformPaint(const CRect& r) override
    {
        log.push_back("paint " + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                      std::to_string(r.right) + "," + std::to_string(r.bottom));
    }
    void onPlatformMouseDown(const CPoint& p) override
    {
        log.push_back("down " + std::to_string(p.x) + "," + std::to_string(p.y));
    }
    void onPlatformWheel(const CPoint& p, int axis, float distance) override
    {
        log.push_back("wheel " + std::to_string(p.x) + "," + std::to_string(p.y) + " " +
                      std::to_string(axis) + " " + std::to_string(static_cast<int>(distance)));
    }
    void onPlatformDestroyed() override { log.push_back("destroyed"); }
};

TEST(HeadlessPlatform, ClockMovesOnlyWhenToldOrWhenSleeping)
{
    HeadlessPlatform platform;
    EXPECT_EQ(platform.getTicks(), 0u);
    platform.advance(46);
    EXPECT_EQ(platform.getTicks(), 46u);
    std::vector<std::uint32_t> wakeups;
    platform.onSleep = [&](std::uint32_t now) { wakeups.push_back(now); };
    platform.sleep(4);
    EXPECT_EQ(platform.getTicks(), 50u);
    EXPECT_EQ(platform.getSleptMilliseconds(), 4u);
    EXPECT_EQ(wakeups, std::vector<std::uint32_t>{50});
    platform.setTicks(0xfffffffeu);
    platform.advance(3);
    EXPECT_EQ(platform.getTicks(), 1u); // wraps like a 32-bit tick count
    EXPECT_EQ(platform.getDoubleClickTime(), 400u);
}

TEST(HeadlessPlatform, MouseScriptStepsOnEachButtonReadAndEndsWithTheButtonUp)
{
    HeadlessPlatform platform;
    platform.setMouse({kMouseRightButton, CPoint(3, 4)});
    EXPECT_EQ(platform.readMouseButtons(), kMouseRightButton);
    EXPECT_EQ(platform.readMouseButtons(), kMouseRightButton); // no script: the state holds

    platform.scriptMouse(
        {{kMouseLeftButton, CPoint(10, 10)}, {kMouseLeftButton | kModifierAlt, CPoint(10, 5)}});
    EXPECT_EQ(platform.pendingMouseStates(), 2u);
    EXPECT_EQ(platform.readPointerPosition(), CPoint(3, 4));
    EXPECT_EQ(platform.readMouseButtons(), kMouseLeftButton);
    EXPECT_EQ(platform.readPointerPosition(), CPoint(10, 10));
    EXPECT_EQ(platform.readPointerPosition(), CPoint(10, 10));
    EXPECT_EQ(platform.readMouseButtons(), kMouseLeftButton | kModifierAlt);
    EXPECT_EQ(platform.readPointerPosition(), CPoint(10, 5));
    EXPECT_EQ(platform.readMouseButtons(), 0);
    EXPECT_EQ(platform.readMouseButtons(), 0);
    EXPECT_EQ(platform.readPointerPosition(), CPoint(10, 5));
}

TEST(HeadlessPlatform, TrackingLoopOverAScriptEnds)
{
    HeadlessPlatform platform;
    RecordingListener listener;
    int parent = 0;
    auto window = platform.createWindow(&parent, 10, 10, listener);
    CDrawContext context(nullptr, window.get());
    platform.scriptMouse({{kMouseLeftButton, CPoint(0, 0)},
                          {kMouseLeftButton, CPoint(0, -1)},
                          {kMouseLeftButton, CPoint(0, -2)}});
    int steps = 0;
    CPoint where;
    while (context.getMouseButtons() & kMouseLeftButton)
    {
        context.getMouseLocation(where);
        ++steps;
        ASSERT_LT(steps, 10);
    }
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(where, CPoint(0, -2));
}

TEST(HeadlessWindow, EventsArriveInOrderOnlyWhenDrained)
{
    HeadlessPlatform platform;
    RecordingListener listener;
    EXPECT_EQ(platform.createWindow(nullptr, 10, 10, listener), nullptr); // no parent, no window
    int parent = 0;
    auto window = platform.createWindow(&parent, 30, 20, listener);
    ASSERT_TRUE(window);
    auto& headless = static_cast<HeadlessWindow&>(*window);
    EXPECT_EQ(headless.getParent(), &parent);

    headless.postMouseDown(CPoint(4, 5));
    headless.postWheel(CPoint(6, 7), 1, -1.0f);
    window->invalidate(CRect(1, 2, 3, 4));
    EXPECT_TRUE(listener.log.empty());
    window->drainEvents();
    EXPECT_EQ(listener.log, (std::vector<std::string>{"down 4,5", "wheel 6,7 1 -1", "paint 1,2,3,4"}));
    EXPECT_EQ(headless.getInvalidated(), std::vector<CRect>{CRect(1, 2, 3, 4)});

    listener.log.clear();
    headless.postDestroy();
    headless.postPaint(CRect(0, 0, 1, 1));
    window->drainEvents();
    EXPECT_EQ(listener.log, std::vector<std::string>{"destroyed"});
}

TEST(HeadlessWindow, SurfaceFollowsResize)
{
    HeadlessPlatform platform;
    RecordingListener listener;
    int parent = 0;
    auto window = platform.createWindow(&parent, 30, 20, listener);
    PixelBuffer surface = window->getSurface();
    EXPECT_EQ(surface.width, 30);
    EXPECT_EQ(surface.height, 20);
    EXPECT_EQ(surface.stride, 120);
    window->resize(8, 9);
    surface = window->getSurface();
    EXPECT_EQ(surface.width, 8);
    EXPECT_EQ(surface.height, 9);
}

} // namespace
