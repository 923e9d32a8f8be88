// Points, rectangles, colours and reference counting.
#include <gtest/gtest.h>

#include "gui/ccolor.h"
#include "gui/cpoint.h"
#include "gui/crect.h"
#include "gui/creferencecounter.h"

using namespace VSTGUI;

namespace
{

TEST(CRect, ExtentAndEmptiness)
{
    struct Case
    {
        CRect r;
        long width, height;
        bool empty;
    };
    const Case cases[] = {
        {CRect(0, 0, 10, 5), 10, 5, false},
        {CRect(3, 4, 3, 9), 0, 5, true},
        {CRect(3, 4, 9, 4), 6, 0, true},
        {CRect(5, 5, 2, 8), -3, 3, true}, // inverted stays inverted: nothing normalises it
        {CRect(-4, -4, -1, -2), 3, 2, false},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.r.width(), c.width);
        EXPECT_EQ(c.r.height(), c.height);
        EXPECT_EQ(c.r.isEmpty(), c.empty);
    }
}

TEST(CRect, OffsetMovesBothEdges)
{
    CRect r(1, 2, 11, 22);
    r.offset(5, -2);
    EXPECT_EQ(r, CRect(6, 0, 16, 20));
    r.moveTo(0, 0);
    EXPECT_EQ(r, CRect(0, 0, 10, 20));
}

TEST(CRect, PointTestsDifferOnlyAtRightAndBottomEdges)
{
    const CRect r(10, 20, 30, 40);
    struct Case
    {
        CPoint p;
        bool exclusive, inclusive;
    };
    const Case cases[] = {
        {CPoint(10, 20), true, true},   {CPoint(29, 39), true, true},   {CPoint(30, 25), false, true},
        {CPoint(15, 40), false, true},  {CPoint(30, 40), false, true},  {CPoint(9, 25), false, false},
        {CPoint(15, 19), false, false}, {CPoint(31, 25), false, false}, {CPoint(15, 41), false, false},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(r.pointInside(c.p), c.exclusive) << c.p.x << "," << c.p.y;
        EXPECT_EQ(r.pointInsideInclusive(c.p), c.inclusive) << c.p.x << "," << c.p.y;
        EXPECT_EQ(c.p.isInside(r), c.inclusive) << c.p.x << "," << c.p.y;
    }
}

TEST(CRect, BoundClipsAndNeverGoesNegative)
{
    struct Case
    {
        CRect a, b, expected;
    };
    const Case cases[] = {
        {CRect(0, 0, 10, 10), CRect(5, 5, 20, 20), CRect(5, 5, 10, 10)},
        {CRect(0, 0, 10, 10), CRect(2, 3, 4, 5), CRect(2, 3, 4, 5)},
        {CRect(0, 0, 10, 10), CRect(20, 30, 40, 50), CRect(20, 30, 20, 30)},
        {CRect(20, 30, 40, 50), CRect(0, 0, 10, 10), CRect(20, 30, 20, 30)},
        {CRect(0, 0, 10, 10), CRect(10, 0, 20, 10), CRect(10, 0, 10, 10)},
    };
    for (const auto& c : cases)
    {
        CRect r = c.a;
        r.bound(c.b);
        EXPECT_EQ(r, c.expected);
        EXPECT_GE(r.width(), 0);
        EXPECT_GE(r.height(), 0);
    }
}

TEST(CColor, NamedColours)
{
    struct Case
    {
        CColor c;
        int r, g, b, a;
    };
    const Case cases[] = {
        {kBlackCColor, 0, 0, 0, 255},      {kWhiteCColor, 255, 255, 255, 255},
        {kGreyCColor, 127, 127, 127, 255}, {kRedCColor, 255, 0, 0, 255},
        {kGreenCColor, 0, 255, 0, 255},    {kBlueCColor, 0, 0, 255, 255},
        {kYellowCColor, 255, 255, 0, 255}, {kMagentaCColor, 255, 0, 255, 255},
        {kCyanCColor, 0, 255, 255, 255},   {kTransparentCColor, 255, 255, 255, 0},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.c.red, c.r);
        EXPECT_EQ(c.c.green, c.g);
        EXPECT_EQ(c.c.blue, c.b);
        EXPECT_EQ(c.c.alpha, c.a);
    }
    EXPECT_EQ(sizeof(CColor), 4u);
}

class Tracked : public CReferenceCounter
{
public:
    explicit Tracked(int& destroyed) : destroyed(destroyed) {}
    ~Tracked() override { ++destroyed; }

private:
    int& destroyed;
};

TEST(CReferenceCounter, LastForgetDestroys)
{
    int destroyed = 0;
    auto* object = new Tracked(destroyed);
    EXPECT_EQ(object->getNbReference(), 1);
    object->remember();
    EXPECT_EQ(object->getNbReference(), 2);
    object->forget();
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(object->getNbReference(), 1);
    object->forget();
    EXPECT_EQ(destroyed, 1);
}

TEST(CReferenceCounter, SharedHoldersReleaseInAnyOrder)
{
    int destroyed = 0;
    auto* object = new Tracked(destroyed);
    object->remember(); // a view takes it
    object->remember(); // a second view takes it
    object->forget();   // the creator lets go
    object->forget();
    EXPECT_EQ(destroyed, 0);
    object->forget();
    EXPECT_EQ(destroyed, 1);
}

} // namespace
