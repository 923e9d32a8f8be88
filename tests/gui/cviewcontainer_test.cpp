// CViewContainer: drawing order and clipping (direct and off-screen), partial redraw,
// both update modes, the dirty test, mouse/wheel/key/drag routing, ownership and coordinates.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/cframe.h"
#include "gui/coffscreencontext.h"
#include "gui/cviewcontainer.h"
#include "tests/gui/view_harness.h"

using namespace VSTGUI;
using sorvelt_test::pixelAt;
using sorvelt_test::ProbeView;

namespace
{

/// A container at (10,10)-(60,60) over blue, holding red (0,0,30,30), green (20,20,40,40)
/// and yellow (40,40,80,80), the last reaching out of the container.
struct ThreeChildren
{
    ThreeChildren()
    {
        container->setBackgroundColor(kBlueCColor);
        container->addView(red);
        container->addView(green);
        container->addView(yellow);
    }
    ~ThreeChildren() { container->forget(); }

    CViewContainer* container = new CViewContainer(CRect(10, 10, 60, 60), nullptr);
    ProbeView* red = new ProbeView(CRect(0, 0, 30, 30), kRedCColor);
    ProbeView* green = new ProbeView(CRect(20, 20, 40, 40), kGreenCColor);
    ProbeView* yellow = new ProbeView(CRect(40, 40, 80, 80), kYellowCColor);
};

TEST(CViewContainer, DrawsChildrenInOrderClippedToTheClipItReceived)
{
    for (const bool offscreen : {false, true})
    {
        SCOPED_TRACE(offscreen ? "off-screen" : "direct");
        ThreeChildren scene;
        scene.container->useOffscreen(offscreen);
        COffscreenContext context(nullptr, 100, 100, kBlackCColor);
        context.setClipRect(CRect(0, 0, 70, 100));
        scene.container->draw(&context);

        // Drawn directly, a child reaches past the container up to the context's clip; off
        // screen, the container's own buffer holds it.
        const CColor beyond = offscreen ? kBlackCColor : kYellowCColor;
        struct Probe
        {
            int x, y;
            CColor expected;
        };
        const Probe probes[] = {
            {5, 5, kBlackCColor},    // outside the container
            {10, 10, kRedCColor},    // first child at the container's origin
            {29, 29, kRedCColor},    // red only
            {35, 35, kGreenCColor},  // red and green overlap: the later child is on top
            {12, 55, kBlueCColor},   // container background
            {55, 55, kYellowCColor}, // yellow inside the container
            {59, 59, kYellowCColor}, // last pixel inside the container
            {65, 65, beyond},        // yellow past the container's edge
            {69, 89, beyond},        // its last pixel inside the clip
            {70, 70, kBlackCColor},  // outside the clip
            {60, 20, kBlackCColor},  // no background outside the container
        };
        for (const Probe& p : probes)
            EXPECT_EQ(pixelAt(context, p.x, p.y), p.expected) << p.x << "," << p.y;

        EXPECT_FALSE(scene.container->isDirty());
        // Each child drew with the clip of its own rectangle bounded by the clip received
        // (off screen, that clip is moved to the buffer's origin).
        EXPECT_EQ(scene.yellow->lastClip, offscreen ? CRect(40, 40, 70, 80) : CRect(40, 40, 60, 80));
        CRect clip;
        EXPECT_EQ(context.getClipRect(clip), CRect(0, 0, 70, 100));
        EXPECT_EQ(context.offset, CPoint(0, 0));
    }
}

TEST(CViewContainer, TransparentContainerWithoutBitmapLeavesItsBackground)
{
    ThreeChildren scene;
    scene.container->setTransparency(true);
    COffscreenContext context(nullptr, 100, 100, kWhiteCColor);
    scene.container->draw(&context);
    EXPECT_EQ(pixelAt(context, 12, 55), kWhiteCColor);
    EXPECT_EQ(pixelAt(context, 10, 10), kRedCColor);
}

TEST(CViewContainer, PartialRedrawLeavesPartlyDrawnChildrenDirty)
{
    auto* container = new CViewContainer(CRect(0, 0, 100, 100), nullptr);
    container->setBackgroundColor(kBlueCColor);
    auto* whole = new ProbeView(CRect(0, 0, 20, 20), kRedCColor);
    auto* part = new ProbeView(CRect(30, 0, 60, 20), kGreenCColor);
    auto* outside = new ProbeView(CRect(70, 70, 90, 90), kYellowCColor);
    for (CView* v : {static_cast<CView*>(whole), static_cast<CView*>(part), static_cast<CView*>(outside)})
    {
        container->addView(v);
    }
    COffscreenContext context(nullptr, 100, 100, kBlackCColor);
    container->drawRect(&context, CRect(0, 0, 40, 20));

    EXPECT_FALSE(whole->isDirty());
    EXPECT_TRUE(part->isDirty());
    EXPECT_TRUE(outside->isDirty());
    EXPECT_EQ(outside->draws, 0);
    EXPECT_EQ(pixelAt(context, 35, 5), kGreenCColor);
    EXPECT_EQ(pixelAt(context, 45, 5), kBlackCColor); // outside the update rectangle
    EXPECT_EQ(pixelAt(context, 25, 5), kBlueCColor);  // background inside it
    EXPECT_EQ(pixelAt(context, 25, 25), kBlackCColor);
    // The container's own mark is cleared; its children keep it dirty as a whole.
    EXPECT_TRUE(container->isDirty());
    container->forget();
}

struct UpdateScene
{
    UpdateScene()
    {
        container->setBackgroundColor(kBlueCColor);
        for (ProbeView* v : {a, b, c})
        {
            container->addView(v);
        }
        container->draw(&context);
        for (ProbeView* v : {a, b, c})
            v->draws = 0;
    }
    ~UpdateScene() { container->forget(); }

    CViewContainer* container = new CViewContainer(CRect(0, 0, 100, 100), nullptr);
    ProbeView* a = new ProbeView(CRect(0, 0, 30, 30), kRedCColor);
    ProbeView* b = new ProbeView(CRect(20, 20, 50, 50), kGreenCColor); // overlaps a
    ProbeView* c = new ProbeView(CRect(70, 70, 90, 90), kYellowCColor);
    COffscreenContext context{nullptr, 100, 100, kBlackCColor};
};

TEST(CViewContainer, UpdateModeOneRedrawsOnlyTheDirtyChildsArea)
{
    UpdateScene scene;
    ASSERT_EQ(scene.container->getMode(), 1);
    ASSERT_FALSE(scene.container->isDirty());

    scene.a->color = kMagentaCColor;
    scene.a->setDirty(true);
    scene.container->update(&scene.context);

    EXPECT_EQ(scene.a->draws, 1);
    EXPECT_EQ(scene.b->draws, 1); // drawn again within a's rectangle, so it stays on top
    EXPECT_EQ(scene.c->draws, 0);
    EXPECT_EQ(scene.b->lastClip, CRect(20, 20, 30, 30));
    EXPECT_EQ(pixelAt(scene.context, 5, 5), kMagentaCColor);
    EXPECT_EQ(pixelAt(scene.context, 25, 25), kGreenCColor);
    EXPECT_FALSE(scene.container->isDirty());

    scene.container->update(&scene.context);
    EXPECT_EQ(scene.a->draws, 1);
}

TEST(CViewContainer, UpdateModeZeroRedrawsEverythingOrNothing)
{
    UpdateScene scene;
    scene.container->setMode(0);
    scene.container->update(&scene.context);
    EXPECT_EQ(scene.a->draws + scene.b->draws + scene.c->draws, 0);

    scene.c->setDirty(true);
    scene.container->update(&scene.context);
    EXPECT_EQ(scene.a->draws, 1);
    EXPECT_EQ(scene.b->draws, 1);
    EXPECT_EQ(scene.c->draws, 1);
    EXPECT_FALSE(scene.container->isDirty());

    // Any other mode never redraws.
    scene.container->setMode(2);
    scene.c->setDirty(true);
    scene.container->update(&scene.context);
    EXPECT_EQ(scene.c->draws, 1);
}

TEST(CViewContainer, DirtyChildOutsideTheContainerDoesNotMakeItDirty)
{
    UpdateScene scene;
    auto* far = new ProbeView(CRect(200, 200, 210, 210), kRedCColor);
    scene.container->addView(far);
    scene.container->draw(&scene.context);
    ASSERT_FALSE(scene.container->isDirty());

    far->setDirty(true);
    EXPECT_FALSE(scene.container->isDirty());
    scene.b->setDirty(true);
    EXPECT_TRUE(scene.container->isDirty());
}

TEST(CViewContainer, MouseGoesToTheTopmostEnabledChildInLocalCoordinates)
{
    CViewContainer container(CRect(10, 10, 110, 110), nullptr);
    auto* below = new ProbeView(CRect(0, 0, 50, 50), kRedCColor);
    auto* above = new ProbeView(CRect(25, 25, 75, 75), kGreenCColor);
    container.addView(below);
    container.addView(above);

    struct Case
    {
        CPoint where; // in the container's parent's coordinates
        bool aboveEnabled;
        ProbeView* receiver;
        CPoint local;
    };
    const Case cases[] = {
        {{40, 40}, true, above, {30, 30}},  // overlap: the later child
        {{40, 40}, false, below, {30, 30}}, // disabled: falls through to the one below
        {{85, 85}, true, above, {75, 75}},  // right and bottom edges are inside
        {{15, 15}, true, below, {5, 5}},    {{95, 20}, true, nullptr, {}}, // no child there
    };
    for (const Case& c : cases)
    {
        above->setMouseEnabled(c.aboveEnabled);
        below->clicks = above->clicks = 0;
        CPoint where(c.where);
        container.mouse(nullptr, where, kMouseLeftButton);
        EXPECT_EQ(above->clicks, c.receiver == above ? 1 : 0) << c.where.x;
        EXPECT_EQ(below->clicks, c.receiver == below ? 1 : 0) << c.where.x;
        if (c.receiver)
        {
            EXPECT_EQ(c.receiver->lastWhere, c.local);
            EXPECT_EQ(c.receiver->lastButtons, kMouseLeftButton);
        }
    }
}

TEST(CViewContainer, KeysGoLastToFirstUntilOneAnswers)
{
    CViewContainer container(CRect(0, 0, 10, 10), nullptr);
    std::vector<std::string> log;
    auto* first = new ProbeView(CRect(0, 0, 1, 1), kRedCColor, &log, "first");
    auto* second = new ProbeView(CRect(0, 0, 1, 1), kRedCColor, &log, "second");
    container.addView(first);
    container.addView(second);

    VstKeyCode b = sorvelt_test::key('b');
    EXPECT_EQ(container.onKeyDown(b), -1);
    EXPECT_EQ(log, (std::vector<std::string>{"second:keyDown", "first:keyDown"}));

    log.clear();
    first->acceptedCharacter = 'b';
    first->keyAnswer = 0;
    EXPECT_EQ(container.onKeyDown(b), 0); // any answer but -1 stops the search
    EXPECT_EQ(container.onKeyUp(b), 0);

    log.clear();
    second->acceptedCharacter = 'b';
    EXPECT_EQ(container.onKeyDown(b), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"second:keyDown"}));
}

/// A frame without a window, holding a container at (10,20) with children for routing tests.
struct RoutingScene
{
    RoutingScene()
    {
        frame->addView(container);
        container->addView(left);
        container->addView(right);
    }
    ~RoutingScene() { frame->forget(); }

    std::vector<std::string> log;
    CFrame* frame = new CFrame(CRect(0, 0, 200, 200), nullptr, nullptr);
    CViewContainer* container = new CViewContainer(CRect(10, 20, 110, 120), frame);
    ProbeView* left = new ProbeView(CRect(0, 0, 50, 100), kRedCColor, &log, "left");
    ProbeView* right = new ProbeView(CRect(50, 0, 100, 100), kGreenCColor, &log, "right");
};

TEST(CViewContainer, WheelGoesToTheChildUnderThePointWithShiftedOffsets)
{
    RoutingScene scene;
    scene.right->setMouseEnabled(false); // the wheel does not ask
    COffscreenContext context(scene.frame, 10, 10, kBlackCColor);
    context.offset = CPoint(3, 4);

    EXPECT_TRUE(scene.container->onWheel(&context, CPoint(70, 30), kHorizontalWheel, -1.0f));
    EXPECT_EQ(scene.log, std::vector<std::string>{"right:wheel"});
    EXPECT_EQ(scene.right->lastWhere, CPoint(60, 10));
    EXPECT_EQ(scene.right->lastAxis, kHorizontalWheel);
    EXPECT_EQ(scene.right->wheelOffset, CPoint(13, 24));
    EXPECT_EQ(context.offset, CPoint(3, 4));

    // The plain wheel is the vertical one, and the child's answer comes back.
    scene.left->wheelAnswer = false;
    EXPECT_FALSE(scene.container->onWheel(&context, CPoint(20, 30), 1.0f));
    EXPECT_EQ(scene.left->lastAxis, kVerticalWheel);
    EXPECT_FALSE(scene.container->onWheel(&context, CPoint(500, 500), 1.0f));
}

TEST(CViewContainer, DragsFollowThePointerAcrossChildren)
{
    RoutingScene scene;
    CDragContainer drag({});
    CViewContainer& c = *scene.container;
    c.onDragEnter(nullptr, &drag, CPoint(20, 30));
    c.onDragMove(nullptr, &drag, CPoint(25, 30));
    c.onDragMove(nullptr, &drag, CPoint(80, 30));
    c.onDragLeave(nullptr, &drag, CPoint(80, 30));
    c.onDragEnter(nullptr, &drag, CPoint(20, 30));
    EXPECT_TRUE(c.onDrop(nullptr, &drag, CPoint(80, 40)));
    EXPECT_FALSE(c.onDrop(nullptr, &drag, CPoint(500, 500)));
    const std::vector<std::string> expected = {
        "left:enter@10,10", "left:move@15,10",  "left:leave@70,10", "right:enter@70,10", "right:leave@70,10",
        "left:enter@10,10", "left:leave@70,20", "right:drop@70,20", "right:leave@70,20",
    };
    EXPECT_EQ(scene.log, expected);

    // Without a frame a container takes no drags.
    CViewContainer orphan(CRect(0, 0, 10, 10), nullptr);
    auto* child = new ProbeView(CRect(0, 0, 10, 10), kRedCColor);
    orphan.addView(child);
    EXPECT_FALSE(orphan.onDrop(nullptr, &drag, CPoint(1, 1)));
    EXPECT_EQ(orphan.getViewAt(CPoint(1, 1)), nullptr);
}

TEST(CViewContainer, CoordinatesChainThroughNestedContainers)
{
    RoutingScene scene;
    auto* inner = new CViewContainer(CRect(5, 5, 45, 45), scene.frame);
    auto* leaf = new ProbeView(CRect(1, 1, 10, 10), kBlueCColor);
    scene.container->addView(inner);
    inner->addView(leaf);

    CPoint p(1, 1);
    EXPECT_EQ(leaf->localToFrame(p), CPoint(16, 26));
    EXPECT_EQ(leaf->frameToLocal(p), CPoint(1, 1));

    // Without depth the lookup stops at the direct child; with it, it descends.
    EXPECT_EQ(scene.frame->getViewAt(CPoint(20, 30), false), scene.container);
    EXPECT_EQ(scene.container->getViewAt(CPoint(20, 30), false), inner);
    EXPECT_EQ(scene.frame->getViewAt(CPoint(20, 30), true), leaf);
    EXPECT_EQ(scene.frame->getViewAt(CPoint(70, 80), true), scene.right);
}

TEST(CViewContainer, OnlyTheSharedMessageConstantIdentifiesAContainer)
{
    CViewContainer container(CRect(0, 0, 1, 1), nullptr);
    const std::string copy = kMsgCheckIfViewContainer;
    EXPECT_EQ(container.notify(nullptr, kMsgCheckIfViewContainer), 1);
    EXPECT_EQ(container.notify(nullptr, copy.c_str()), 0);
    EXPECT_EQ(container.notify(nullptr, nullptr), 0);
}

/// Reports its own destruction.
struct Mortal : CView
{
    explicit Mortal(bool& gone) : CView(CRect(0, 0, 1, 1)), gone(gone) {}
    ~Mortal() override { gone = true; }
    bool& gone;
};

TEST(CViewContainer, ChildListOwnership)
{
    bool forgottenGone = false, keptGone = false, survivorGone = false;
    auto* container = new CViewContainer(CRect(0, 0, 10, 10), nullptr);
    auto* forgotten = new Mortal(forgottenGone);
    auto* kept = new Mortal(keptGone);
    auto* survivor = new Mortal(survivorGone);
    container->addView(nullptr);
    container->addView(forgotten);
    container->addView(kept);
    container->addView(survivor);
    EXPECT_EQ(container->getNbViews(), 3);
    EXPECT_EQ(container->getView(0), forgotten);
    EXPECT_EQ(container->getView(2), survivor);
    EXPECT_EQ(container->getView(3), nullptr);
    EXPECT_EQ(container->getView(-1), nullptr);
    EXPECT_EQ(kept->getParentView(), container);
    EXPECT_TRUE(kept->isDirty());

    container->removeView(forgotten, true); // creator's and node's references both go
    EXPECT_TRUE(forgottenGone);
    container->removeView(kept, false); // only the node's reference goes
    EXPECT_FALSE(keptGone);
    EXPECT_EQ(kept->getNbReference(), 1);
    EXPECT_EQ(kept->getParentView(), container); // kept after removal
    EXPECT_FALSE(container->isChild(kept));
    container->removeView(kept, true); // not a child: nothing happens
    EXPECT_FALSE(keptGone);

    // Destroying the container releases the creator's reference with the node's, as removal
    // with forget does; a holder that remembered the view keeps it alive by its own reference.
    survivor->remember();
    container->forget();
    EXPECT_FALSE(survivorGone);
    EXPECT_EQ(survivor->getNbReference(), 1);
    survivor->forget();
    kept->forget();
    EXPECT_TRUE(survivorGone);
    EXPECT_TRUE(keptGone);
}

} // namespace
