// A host that closes the editor from inside the frame's own dispatch: during a control's drag
// (from the idle pump's host call, or in answer to the edit's begin), during a wheel step or a
// key, or an owner that lets go of the frame in a listener. The frame and its window must
// outlive the calls still on the stack and go as soon as they unwind.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "gui/ccontrol.h"
#include "gui/cframe.h"
#include "gui/cknob.h"
#include "gui/cverticalswitch.h"
#include "gui/headless/headlessplatform.h"
#include "plugin/aeffguieditor.h"
#include "plugin/audioeffectx.h"
#include "tests/gui/view_harness.h"

using namespace VSTGUI;

namespace
{

enum class CloseOn
{
    Never,
    Idle,             // answers the pump's idle request with effEditClose
    IdleAfterOwnIdle, // idles the editor first (a no-op inside the pump), then closes it
    BeginEdit,        // closes in answer to the gesture's begin
};

using HostEdit = std::pair<std::int32_t, std::int32_t>; // opcode, index

struct Host
{
    CloseOn closeOn = CloseOn::Never;
    int closes = 0;
    std::vector<HostEdit> edits;
    std::function<void()> afterClose; // sees the state the close leaves, before anything unwinds
};
Host* currentHost = nullptr;

void closeEditor(AEffect* effect)
{
    Host& host = *currentHost;
    host.closeOn = CloseOn::Never; // once
    effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
    ++host.closes;
    if (host.afterClose) host.afterClose();
}

std::intptr_t closingHost(AEffect* effect, std::int32_t opcode, std::int32_t index, std::intptr_t, void*,
                          float)
{
    if (!currentHost) return 0;
    Host& host = *currentHost;
    switch (opcode)
    {
    case audioMasterVersion:
        return 2400;
    case audioMasterIdle:
        if (host.closeOn == CloseOn::IdleAfterOwnIdle)
        {
            effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.0f);
            closeEditor(effect);
        }
        else if (host.closeOn == CloseOn::Idle)
        {
            closeEditor(effect);
        }
        return 0;
    case audioMasterBeginEdit:
        host.edits.emplace_back(opcode, index);
        if (host.closeOn == CloseOn::BeginEdit) closeEditor(effect);
        return 1;
    case audioMasterEndEdit:
        host.edits.emplace_back(opcode, index);
        return 1;
    default:
        return 0;
    }
}

class TestEffect : public AudioEffectX
{
public:
    TestEffect() : AudioEffectX(closingHost, 1, 5) {}
    void processReplacing(float**, float**, std::int32_t) override {}
};

/// Tells when it is destroyed.
class WatchedFrame : public CFrame
{
public:
    WatchedFrame(const CRect& size, void* parent, AEffGUIEditor* editor, std::unique_ptr<Platform> platform,
                 bool& destroyed)
        : CFrame(size, parent, editor, std::move(platform)), destroyed(destroyed)
    {
        destroyed = false;
    }
    ~WatchedFrame() override { destroyed = true; }

private:
    bool& destroyed;
};

/// A view that tells when it is removed from its container and when it is destroyed.
class Witness : public CView
{
public:
    Witness(const CRect& size, bool& removedFlag, bool& goneFlag)
        : CView(size), removedFlag(removedFlag), goneFlag(goneFlag)
    {
        removedFlag = goneFlag = false;
    }
    ~Witness() override { goneFlag = true; }
    bool removed(CView* parent) override
    {
        removedFlag = true;
        return CView::removed(parent);
    }
    void draw(CDrawContext*) override {}

private:
    bool& removedFlag;
    bool& goneFlag;
};

constexpr long kSwitchTag = 3;
constexpr long kKnobTag = 0;
const CRect kSwitchRect(3, 72, 63, 132);
const CRect kKnobRect(100, 50, 150, 100);

/// Opens a frame on a headless window with a switch, a knob and a witness view; reports of
/// the controls are recorded.
class TestEditor : public AEffGUIEditor, public CControlListener
{
public:
    TestEditor(AudioEffect* effect, std::unique_ptr<HeadlessPlatform> clock)
        : AEffGUIEditor(effect, std::move(clock))
    {
        rect.right = 420;
        rect.bottom = 200;
    }
    bool open(void* ptr) override
    {
        systemWindow = ptr;
        auto owned = std::make_unique<HeadlessPlatform>();
        mouse = owned.get();
        frame = new WatchedFrame(CRect(0, 0, 420, 200), ptr, this, std::move(owned), frameDestroyed);
        CPoint origin(0, 0);
        switchControl = new CVerticalSwitch(kSwitchRect, this, kSwitchTag, 3, 60, 3, nullptr, origin);
        frame->addView(switchControl);
        knob = new CAnimKnob(kKnobRect, this, kKnobTag, 3, 50, nullptr, origin);
        frame->addView(knob);
        frame->addView(new Witness(CRect(300, 0, 310, 10), witnessRemoved, witnessGone));
        return true;
    }
    void close() override
    {
        if (!frame) return;
        CFrame* old = frame;
        frame = nullptr;
        old->forget();
    }
    void valueChanged(CDrawContext*, CControl* control) override { reports.push_back(control->getValue()); }

    HeadlessWindow* window() const { return static_cast<HeadlessWindow*>(frame->getPlatformWindow()); }

    HeadlessPlatform* mouse = nullptr; // the frame's platform: valid while the frame lives
    CVerticalSwitch* switchControl = nullptr;
    CAnimKnob* knob = nullptr;
    bool frameDestroyed = true;
    bool witnessRemoved = true;
    bool witnessGone = true;
    std::vector<float> reports;
};

struct Scene
{
    Scene()
    {
        currentHost = &host;
        auto clock = std::make_unique<HeadlessPlatform>();
        clock->setTicks(1000);
        effect = new TestEffect;
        editor = new TestEditor(effect, std::move(clock));
        editor->setKnobMode(2);
        dispatch(effEditOpen, &parentWindow);
    }
    ~Scene()
    {
        delete effect; // and its editor
        currentHost = nullptr;
    }
    std::intptr_t dispatch(std::int32_t opcode, void* ptr = nullptr)
    {
        AEffect* record = effect->getAeffect();
        return record->dispatcher(record, opcode, 0, 0, ptr, 0.0f);
    }
    /// What the close left behind, taken inside the host's close.
    void watchClose()
    {
        host.afterClose = [this]
        {
            frameDestroyedAtClose = editor->frameDestroyed;
            witnessRemovedAtClose = editor->witnessRemoved;
            witnessGoneAtClose = editor->witnessGone;
            reportsAtClose = editor->reports.size();
        };
    }

    Host host;
    TestEffect* effect = nullptr;
    TestEditor* editor = nullptr;
    int parentWindow = 0;
    bool frameDestroyedAtClose = false;
    bool witnessRemovedAtClose = false;
    bool witnessGoneAtClose = true;
    size_t reportsAtClose = 0;
};

CPoint centre(const CRect& r)
{
    return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

TEST(FrameTeardown, HostClosingTheEditorDuringADragLetsTheFrameGoOnceTheClickUnwinds)
{
    struct Case
    {
        const char* name;
        CRect control;
        long tag;
        CloseOn closeOn;
        size_t reportsAtClose;
    };
    // The pump's first pass calls the host, so a close from its idle comes after the first
    // report; a close in answer to the begin comes before it. Either way the drag's first
    // pass is its last: one report in all.
    const Case cases[] = {
        {"switch, idle", kSwitchRect, kSwitchTag, CloseOn::Idle, 1},
        {"switch, own idle first", kSwitchRect, kSwitchTag, CloseOn::IdleAfterOwnIdle, 1},
        {"switch, begin edit", kSwitchRect, kSwitchTag, CloseOn::BeginEdit, 0},
        {"knob, idle", kKnobRect, kKnobTag, CloseOn::Idle, 1},
        {"knob, own idle first", kKnobRect, kKnobTag, CloseOn::IdleAfterOwnIdle, 1},
        {"knob, begin edit", kKnobRect, kKnobTag, CloseOn::BeginEdit, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Scene s;
        ASSERT_NE(s.editor->getFrame(), nullptr);
        s.watchClose();
        s.host.closeOn = c.closeOn;
        // A long drag, moving on every reading: only the close can end it early.
        const CPoint press = centre(c.control);
        s.editor->mouse->setMouse({kMouseLeftButton, press});
        for (int i = 0; i < 20; ++i)
            s.editor->mouse->scriptMouse({kMouseLeftButton, CPoint(press.x + i, press.y - 2 * i)});
        s.editor->window()->postMouseDown(press);
        // Something to paint and another click after the press: a released frame ignores both.
        s.editor->window()->postPaint(CRect(0, 0, 420, 200));
        s.editor->window()->postMouseDown(press);

        s.dispatch(effEditIdle);

        EXPECT_EQ(s.host.closes, 1);
        EXPECT_EQ(s.editor->getFrame(), nullptr);
        EXPECT_FALSE(s.frameDestroyedAtClose) << "deleted under the dispatch";
        EXPECT_TRUE(s.witnessRemovedAtClose) << "the views are let go with the close";
        EXPECT_FALSE(s.witnessGoneAtClose);
        EXPECT_TRUE(s.editor->frameDestroyed) << "still alive after the dispatch unwound";
        EXPECT_TRUE(s.editor->witnessGone);
        EXPECT_EQ(s.reportsAtClose, c.reportsAtClose);
        EXPECT_EQ(s.editor->reports.size(), 1u) << "the drag went on after the close";
        // The drag never ends its own edit once cut short; the host still hears the end, once.
        const std::vector<HostEdit> edits = {{audioMasterBeginEdit, c.tag}, {audioMasterEndEdit, c.tag}};
        EXPECT_EQ(s.host.edits, edits);

        s.dispatch(effEditIdle); // closed: nothing left to reach
        EXPECT_EQ(s.dispatch(effEditOpen, &s.parentWindow), 1);
        EXPECT_NE(s.editor->getFrame(), nullptr);
    }
}

TEST(FrameTeardown, ClosingOutsideADispatchDestroysAtOnceAndAddsNoEdits)
{
    Scene s;
    const CPoint press = centre(kSwitchRect);
    s.editor->mouse->setMouse({kMouseLeftButton, press});
    const CPoint top(press.x, kSwitchRect.top + 5);
    s.editor->mouse->scriptMouse(
        {{kMouseLeftButton, press}, {kMouseLeftButton, top}, {kMouseLeftButton, top}});
    s.editor->window()->postMouseDown(press);
    s.dispatch(effEditIdle);
    // Each pass uses the point read on the pass before.
    EXPECT_EQ(s.editor->reports, (std::vector<float>{0.5f, 0.5f, 0.0f}));
    EXPECT_FALSE(s.editor->frameDestroyed);

    s.dispatch(effEditClose);
    EXPECT_TRUE(s.editor->frameDestroyed);
    EXPECT_TRUE(s.editor->witnessGone);
    const std::vector<HostEdit> edits = {{audioMasterBeginEdit, kSwitchTag},
                                         {audioMasterEndEdit, kSwitchTag}};
    EXPECT_EQ(s.host.edits, edits);
}

TEST(FrameTeardown, HostClosingInAnswerToAWheelStepOrAKeyLeavesNothingDangling)
{
    // Both are one-step gestures of the knob: begin, change, end, all inside the frame's call.
    for (const bool wheel : {true, false})
    {
        SCOPED_TRACE(wheel ? "wheel" : "key");
        Scene s;
        s.watchClose();
        s.host.closeOn = CloseOn::BeginEdit;
        s.editor->knob->setValue(0.5f);
        if (wheel)
        {
            s.editor->mouse->setMouse({0, centre(kKnobRect)});
            EXPECT_TRUE(s.editor->onWheel(1.0f));
        }
        else
        {
            s.editor->getFrame()->setFocusView(s.editor->knob);
            VstKeyCode up = sorvelt_test::key(0, 12);
            EXPECT_TRUE(s.editor->onKeyDown(up));
        }
        EXPECT_FALSE(s.frameDestroyedAtClose);
        EXPECT_TRUE(s.editor->frameDestroyed);
        const std::vector<HostEdit> edits = {{audioMasterBeginEdit, kKnobTag},
                                             {audioMasterEndEdit, kKnobTag}};
        EXPECT_EQ(s.host.edits, edits);
    }
}

TEST(FrameTeardown, OwnerLettingGoInAListenerDuringAClick)
{
    // No editor at all: whoever holds the frame drops it from inside the click.
    struct DroppingListener : CControlListener
    {
        void valueChanged(CDrawContext*, CControl* control) override
        {
            values.push_back(control->getValue());
            if (frame) std::exchange(frame, nullptr)->forget();
        }
        CFrame* frame = nullptr;
        std::vector<float> values;
    } listener;

    bool destroyed = false;
    auto owned = std::make_unique<HeadlessPlatform>();
    HeadlessPlatform* mouse = owned.get();
    int parent = 0;
    auto* frame = new WatchedFrame(CRect(0, 0, 200, 200), &parent, nullptr, std::move(owned), destroyed);
    CPoint origin(0, 0);
    frame->addView(new CVerticalSwitch(kSwitchRect, &listener, kSwitchTag, 3, 60, 3, nullptr, origin));
    listener.frame = frame;

    const CPoint press = centre(kSwitchRect);
    mouse->setMouse({kMouseLeftButton, press});
    for (int i = 0; i < 10; ++i)
        mouse->scriptMouse({kMouseLeftButton, CPoint(press.x, kSwitchRect.top + 5)});
    auto* window = static_cast<HeadlessWindow*>(frame->getPlatformWindow());
    window->postMouseDown(press);
    window->postMouseDown(press);
    frame->idle();

    EXPECT_TRUE(destroyed);
    EXPECT_EQ(listener.values, std::vector<float>{0.5f}) << "one report, then the drag stops";
}

} // namespace
