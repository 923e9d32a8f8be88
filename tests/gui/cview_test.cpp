// CView: hit testing, mouse area, dirty marking, background references, attributes,
// and the upward calls of a view that has no parent.
#include <gtest/gtest.h>

#include <cstring>

#include "gui/cbitmap.h"
#include "gui/coffscreencontext.h"
#include "gui/cviewcontainer.h"
#include "tests/gui/view_harness.h"

using namespace VSTGUI;
using sorvelt_test::pixelAt;
using sorvelt_test::ProbeView;

namespace
{

TEST(CView, HitTestIncludesRightAndBottomEdgesUnlikePointInside)
{
    CView view(CRect(10, 20, 30, 40));
    struct Case
    {
        CPoint p;
        bool hit;
        bool pixelInside;
    };
    const Case cases[] = {
        {{10, 20}, true, true},  {{29, 39}, true, true},   {{30, 40}, true, false},
        {{30, 20}, true, false}, {{10, 40}, true, false},  {{31, 30}, false, false},
        {{9, 30}, false, false}, {{20, 41}, false, false}, {{20, 19}, false, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.p.x << "," << c.p.y);
        EXPECT_EQ(view.hitTest(c.p, 0), c.hit);
        EXPECT_EQ(CRect(10, 20, 30, 40).pointInside(c.p), c.pixelInside);
    }
}

TEST(CView, MovingTheViewLeavesTheMouseAreaBehind)
{
    CView view(CRect(0, 0, 10, 10));
    CRect moved(100, 100, 110, 110);
    view.setViewSize(moved);
    EXPECT_TRUE(view.isDirty());
    EXPECT_TRUE(view.hitTest(CPoint(5, 5), 0));
    EXPECT_FALSE(view.hitTest(CPoint(105, 105), 0));

    view.setMouseableArea(moved);
    EXPECT_FALSE(view.hitTest(CPoint(5, 5), 0));
    EXPECT_TRUE(view.hitTest(CPoint(105, 105), 0));
    CRect area;
    EXPECT_EQ(view.getMouseableArea(area), moved);
    CRect viewSize;
    EXPECT_EQ(view.getViewSize(viewSize), moved);
}

TEST(CView, CheckUpdateCountsTouchingEdgesAsOverlap)
{
    CView view(CRect(10, 10, 20, 20));
    struct Case
    {
        CRect update;
        bool overlaps;
    };
    const Case cases[] = {
        {{0, 0, 10, 10}, true},   // touches the top-left corner
        {{20, 20, 30, 30}, true}, // touches the bottom-right corner
        {{0, 0, 9, 30}, false},   // one pixel to the left
        {{21, 0, 30, 30}, false}, // one pixel to the right
        {{0, 0, 30, 9}, false},   // above
        {{0, 21, 30, 30}, false}, // below
        {{12, 12, 14, 14}, true}, // inside
        {{0, 0, 100, 100}, true}, // around
    };
    for (const Case& c : cases)
    {
        CRect update(c.update);
        EXPECT_EQ(view.checkUpdate(update), c.overlaps)
            << c.update.left << "," << c.update.top << "," << c.update.right << "," << c.update.bottom;
    }
}

TEST(CView, AttributesKeepTheirFirstSize)
{
    CView view(CRect(0, 0, 1, 1));
    const char first[8] = "abcdefg";
    ASSERT_TRUE(view.setAttribute(7, 8, first));

    long size = 0;
    ASSERT_TRUE(view.getAttributeSize(7, size));
    EXPECT_EQ(size, 8);

    // A larger write fails and leaves the data alone; a smaller one overwrites the start only.
    const char larger[12] = "XXXXXXXXXXX";
    EXPECT_FALSE(view.setAttribute(7, 12, larger));
    EXPECT_TRUE(view.setAttribute(7, 3, "xyz"));
    ASSERT_TRUE(view.getAttributeSize(7, size));
    EXPECT_EQ(size, 8);

    char out[16] = {};
    long outSize = 0;
    ASSERT_TRUE(view.getAttribute(7, sizeof out, out, outSize));
    EXPECT_EQ(outSize, 8);
    EXPECT_STREQ(out, "xyzdefg");

    // A buffer smaller than the stored data gets nothing.
    char small[4] = {'-', '-', '-', '-'};
    EXPECT_FALSE(view.getAttribute(7, sizeof small, small, outSize));
    EXPECT_EQ(small[0], '-');

    EXPECT_FALSE(view.getAttributeSize(8, size));
    EXPECT_FALSE(view.getAttribute(8, sizeof out, out, outSize));
}

TEST(CView, AttributesAreSeparatePerIdAndRejectBadInput)
{
    CView view(CRect(0, 0, 1, 1));
    const int a = 11, b = 22;
    ASSERT_TRUE(view.setAttribute(1, sizeof a, &a));
    ASSERT_TRUE(view.setAttribute(2, sizeof b, &b));
    int out = 0;
    long outSize = 0;
    ASSERT_TRUE(view.getAttribute(1, sizeof out, &out, outSize));
    EXPECT_EQ(out, 11);
    ASSERT_TRUE(view.getAttribute(2, sizeof out, &out, outSize));
    EXPECT_EQ(out, 22);

    EXPECT_FALSE(view.setAttribute(3, -1, &a));
    EXPECT_FALSE(view.setAttribute(3, 4, nullptr));
    long size = 0;
    EXPECT_FALSE(view.getAttributeSize(3, size));
    EXPECT_FALSE(view.getAttribute(1, sizeof out, nullptr, outSize));
}

TEST(CView, BackgroundHoldsOneReferenceAndReleasesIt)
{
    auto* first = new CBitmap();
    auto* second = new CBitmap();
    {
        auto* view = new CView(CRect(0, 0, 4, 4));
        view->setBackground(first);
        EXPECT_EQ(first->getNbReference(), 2);
        EXPECT_TRUE(view->isDirty());
        EXPECT_EQ(view->getBackground(), first);

        view->setBackground(second);
        EXPECT_EQ(first->getNbReference(), 1);
        EXPECT_EQ(second->getNbReference(), 2);

        // Setting the bitmap the view already holds must not release it on the way.
        view->setBackground(second);
        EXPECT_EQ(second->getNbReference(), 2);

        view->forget();
        EXPECT_EQ(second->getNbReference(), 1);
    }
    first->forget();
    second->forget();
}

/// A 20 x 40 opaque bitmap: red on top, green below.
CBitmap* twoBands(CFrame& frame)
{
    auto* bitmap = new CBitmap(frame, 20, 40);
    auto* painter = new COffscreenContext(nullptr, bitmap, true);
    painter->setFillColor(kRedCColor);
    painter->drawRect(CRect(0, 0, 20, 20), kDrawFilled);
    painter->setFillColor(kGreenCColor);
    painter->drawRect(CRect(0, 20, 20, 40), kDrawFilled);
    painter->forget();
    return bitmap;
}

TEST(CView, BackgroundIsDrawnIntoTheViewFromTheBitmapsOrigin)
{
    CFrame frame(CRect(0, 0, 100, 100), nullptr, nullptr);
    CBitmap* bitmap = twoBands(frame);
    for (const bool transparent : {false, true})
    {
        CView view(CRect(10, 10, 30, 30));
        view.setBackground(bitmap);
        view.setTransparency(transparent);
        COffscreenContext context(nullptr, 50, 50, kBlueCColor);
        view.draw(&context);
        EXPECT_FALSE(view.isDirty());
        EXPECT_EQ(pixelAt(context, 10, 10), kRedCColor);
        EXPECT_EQ(pixelAt(context, 29, 29), kRedCColor); // only the top band fits
        EXPECT_EQ(pixelAt(context, 30, 30), kBlueCColor);
        EXPECT_EQ(pixelAt(context, 9, 9), kBlueCColor);
    }

    // A container draws its bitmap over its whole area, from the background offset.
    CViewContainer container(CRect(5, 5, 25, 25), nullptr, bitmap);
    container.setBackgroundOffset(CPoint(0, 20));
    COffscreenContext context(nullptr, 50, 50, kBlueCColor);
    container.draw(&context);
    EXPECT_EQ(pixelAt(context, 5, 5), kGreenCColor);
    EXPECT_EQ(pixelAt(context, 24, 24), kGreenCColor);
    EXPECT_EQ(pixelAt(context, 25, 25), kBlueCColor);
    bitmap->forget();
}

TEST(CView, UpwardCallsWithoutParentsDoNothing)
{
    ProbeView view(CRect(0, 0, 4, 4), kRedCColor);
    view.setDirty(true);
    view.redraw();
    view.redrawRect(nullptr, CRect(0, 0, 4, 4));
    EXPECT_EQ(view.draws, 0);
    EXPECT_EQ(view.getEditor(), nullptr);
    EXPECT_EQ(view.getFrame(), nullptr);
    EXPECT_EQ(view.getParentView(), nullptr);

    // Without a context and a frame, update has nothing to draw with but still clears the mark.
    view.update(nullptr);
    EXPECT_EQ(view.draws, 0);
    EXPECT_FALSE(view.isDirty());

    CPoint p(3, 4);
    EXPECT_EQ(view.frameToLocal(p), CPoint(3, 4));
    EXPECT_EQ(view.localToFrame(p), CPoint(3, 4));
}

TEST(CView, BaseAnswersNotHandled)
{
    CView view(CRect(0, 0, 4, 4));
    VstKeyCode code = sorvelt_test::key('x');
    EXPECT_EQ(view.onKeyDown(code), -1);
    EXPECT_EQ(view.onKeyUp(code), -1);
    EXPECT_FALSE(view.onWheel(nullptr, CPoint(1, 1), 1.0f));
    EXPECT_FALSE(view.onWheel(nullptr, CPoint(1, 1), kHorizontalWheel, 1.0f));
    EXPECT_FALSE(view.onDrop(nullptr, nullptr, CPoint(1, 1)));
    EXPECT_EQ(view.notify(&view, kMsgCheckIfViewContainer), 0);
    EXPECT_TRUE(view.attached(nullptr));
    EXPECT_TRUE(view.removed(nullptr));
}

TEST(CView, AxisWheelFallsBackToThePlainWheel)
{
    struct PlainWheel : CView
    {
        using CView::CView;
        using CView::onWheel;
        bool onWheel(CDrawContext*, const CPoint& where, float distance) override
        {
            got = where;
            gotDistance = distance;
            return true;
        }
        CPoint got;
        float gotDistance = 0;
    } view(CRect(0, 0, 4, 4));
    EXPECT_TRUE(view.onWheel(nullptr, CPoint(2, 3), kHorizontalWheel, -2.5f));
    EXPECT_EQ(view.got, CPoint(2, 3));
    EXPECT_EQ(view.gotDistance, -2.5f);
}

TEST(CView, TypeNamesFollowTheClassChain)
{
    CView view(CRect(0, 0, 1, 1));
    CViewContainer container(CRect(0, 0, 1, 1), nullptr);
    CFrame frame(CRect(0, 0, 1, 1), nullptr, nullptr);
    struct Case
    {
        const CView& v;
        const char* name;
        bool answer;
    };
    const Case cases[] = {
        {view, "CView", true},
        {view, "CViewContainer", false},
        {view, "CFrame", false},
        {container, "CView", true},
        {container, "CViewContainer", true},
        {container, "CFrame", false},
        {frame, "CView", true},
        {frame, "CViewContainer", true},
        {frame, "CFrame", true},
        {frame, "CControl", false},
        {view, "", false},
        {view, nullptr, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.v.isTypeOf(c.name), c.answer) << (c.name ? c.name : "null");
}

} // namespace
