// AEffGUIEditor: the idle pump's throttle and re-entrancy guard on a clock the test moves,
// the editor opcodes through the effect's dispatcher, edit gestures and sizes relayed to the host.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "gui/cframe.h"
#include "gui/headless/headlessplatform.h"
#include "plugin/aeffguieditor.h"
#include "plugin/audioeffectx.h"
#include "tests/gui/view_harness.h"

using namespace VSTGUI;
using sorvelt_test::ProbeView;

namespace
{

/// What the host saw, and how it answers.
struct Host
{
    std::map<std::int32_t, int> calls;
    std::vector<std::pair<std::int32_t, std::intptr_t>> edits; // opcode, index
    std::intptr_t canDoSizeWindow = 0;
    std::intptr_t sizeWindowAnswer = 0;
    std::pair<std::int32_t, std::intptr_t> sizeAsked{0, 0};
    bool idleReentersEditor = false;
};
Host* currentHost = nullptr;

std::intptr_t testHostCallback(AEffect* effect, std::int32_t opcode, std::int32_t index, std::intptr_t value,
                               void* ptr, float)
{
    if (!currentHost) return 0;
    Host& host = *currentHost;
    ++host.calls[opcode];
    switch (opcode)
    {
    case audioMasterVersion:
        return 2400;
    case audioMasterIdle:
        // Some hosts answer the idle request by idling the editor at once.
        if (host.idleReentersEditor && effect) effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.0f);
        return 0;
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
        host.edits.emplace_back(opcode, index);
        return 1;
    case audioMasterCanDo:
        return ptr && std::strcmp(static_cast<const char*>(ptr), "sizeWindow") == 0 ? host.canDoSizeWindow
                                                                                    : 0;
    case audioMasterSizeWindow:
        host.sizeAsked = {index, value};
        return host.sizeWindowAnswer;
    default:
        return 0;
    }
}

class TestEffect : public AudioEffectX
{
public:
    TestEffect() : AudioEffectX(testHostCallback, 1, 1) {}
    void processReplacing(float**, float**, std::int32_t) override {}
};

class CountingFrame : public CFrame
{
public:
    using CFrame::CFrame;
    void idle() override
    {
        ++idles;
        CFrame::idle();
    }
    int idles = 0;
};

/// An editor of 420 x 200 on a scripted clock; open builds a frame on a headless window.
class TestEditor : public AEffGUIEditor
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
        auto platform = std::make_unique<HeadlessPlatform>();
        framePlatform = platform.get();
        frame = new CountingFrame(CRect(0, 0, 420, 200), ptr, this, std::move(platform));
        return true;
    }
    void close() override
    {
        if (frame) frame->forget();
        frame = nullptr;
    }
    void idle() override
    {
        ++idles;
        AEffGUIEditor::idle();
    }
    CountingFrame* countingFrame() const { return static_cast<CountingFrame*>(frame); }
    int idles = 0;
    HeadlessPlatform* framePlatform = nullptr;
};

struct EditorScene
{
    explicit EditorScene(std::uint32_t startTicks = 1000)
    {
        currentHost = &host;
        auto owned = std::make_unique<HeadlessPlatform>();
        clock = owned.get();
        clock->setTicks(startTicks);
        effect = new TestEffect;
        editor = new TestEditor(effect, std::move(owned));
    }
    ~EditorScene()
    {
        delete effect; // the effect owns and deletes its editor
        currentHost = nullptr;
    }
    std::intptr_t dispatch(std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0,
                           void* ptr = nullptr, float opt = 0.0f)
    {
        AEffect* record = effect->getAeffect();
        return record->dispatcher(record, opcode, index, value, ptr, opt);
    }

    Host host;
    HeadlessPlatform* clock = nullptr;
    TestEffect* effect = nullptr;
    TestEditor* editor = nullptr;
    int parentWindow = 0;
};

TEST(AEffGUIEditor, IdlePumpPassesAtMostEveryHundredMilliseconds)
{
    struct Case
    {
        std::uint32_t delay; // since the previous full pass
        int passes;          // full passes of the second call (0 or 1)
        std::uint32_t slept;
    };
    const Case cases[] = {
        {0, 0, 4},   {45, 0, 4},  // after the 4 ms pause still 50 ms or more early: nothing
        {46, 1, 4},  {99, 1, 4},  // within 50 ms after the pause: the full pass
        {100, 1, 0}, {250, 1, 0}, // due: at once
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "delay " << c.delay);
        EditorScene s;
        s.editor->doIdleStuff(); // the first pass is due at construction
        ASSERT_EQ(s.editor->idles, 1);
        ASSERT_EQ(s.host.calls[audioMasterIdle], 1);
        ASSERT_EQ(s.clock->getSleptMilliseconds(), 0u);

        s.clock->setTicks(1000 + c.delay);
        s.editor->doIdleStuff();
        EXPECT_EQ(s.editor->idles, 1 + c.passes);
        EXPECT_EQ(s.host.calls[audioMasterIdle], 1 + c.passes);
        EXPECT_EQ(s.clock->getSleptMilliseconds(), c.slept);
    }
}

TEST(AEffGUIEditor, NextPassIsDueAHundredMillisecondsAfterThePausedNow)
{
    EditorScene s;
    s.editor->doIdleStuff();
    s.clock->setTicks(1046);
    s.editor->doIdleStuff(); // passes at 1050 (after its pause): the next is due at 1150
    ASSERT_EQ(s.editor->idles, 2);
    s.clock->setTicks(1149);
    s.editor->doIdleStuff();
    EXPECT_EQ(s.editor->idles, 3); // 1153 after the pause: not early by 50 ms, so it passes
    s.clock->setTicks(1153 + 45);
    s.editor->doIdleStuff();
    EXPECT_EQ(s.editor->idles, 3);
}

TEST(AEffGUIEditor, AHostReenteringIdleDoesNotIdleTheFrameTwice)
{
    EditorScene s;
    ASSERT_EQ(s.dispatch(effEditOpen, 0, 0, &s.parentWindow), 1);
    s.host.idleReentersEditor = true;
    s.editor->doIdleStuff();
    EXPECT_EQ(s.host.calls[audioMasterIdle], 1);
    EXPECT_EQ(s.editor->idles, 2);                  // the pump's own and the host's nested one
    EXPECT_EQ(s.editor->countingFrame()->idles, 1); // only the pump's reached the frame

    // Outside the pump, the host's idle reaches the frame as usual.
    s.dispatch(effEditIdle);
    EXPECT_EQ(s.editor->countingFrame()->idles, 2);
}

TEST(AEffGUIEditor, EditorOpcodesReachTheEditor)
{
    EditorScene s;
    ERect* rect = nullptr;
    EXPECT_EQ(s.dispatch(effEditGetRect, 0, 0, &rect), 1); // before open: the size is known
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 420);
    EXPECT_EQ(rect->bottom - rect->top, 200);

    EXPECT_EQ(s.dispatch(effEditKeyDown, 'a'), 0); // no frame yet
    ASSERT_EQ(s.dispatch(effEditOpen, 0, 0, &s.parentWindow), 1);
    CFrame* frame = s.editor->getFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(s.editor->isOpen());

    auto* view = new ProbeView(CRect(0, 0, 10, 10), kRedCColor);
    frame->addView(view);
    frame->setFocusView(view);
    struct Case
    {
        std::int32_t character;
        long viewAnswer;
        std::intptr_t expected;
    };
    // True only when the frame answers exactly 1.
    const Case cases[] = {{'a', 1, 1}, {'a', 0, 0}, {'a', 5, 0}, {'b', 1, 0}};
    for (const Case& c : cases)
    {
        view->keyAnswer = c.viewAnswer;
        EXPECT_EQ(s.dispatch(effEditKeyDown, c.character), c.expected) << char(c.character) << c.viewAnswer;
        EXPECT_EQ(s.dispatch(effEditKeyUp, c.character), c.expected);
    }

    s.dispatch(effEditIdle);
    EXPECT_EQ(s.editor->countingFrame()->idles, 1);

    s.dispatch(effEditClose);
    EXPECT_EQ(s.editor->getFrame(), nullptr);
    EXPECT_EQ(s.dispatch(effEditKeyDown, 'a'), 0);
    s.dispatch(effEditIdle); // nothing to idle, nothing breaks
}

TEST(AEffGUIEditor, KnobModeIsSharedByEveryFrame)
{
    EditorScene first;
    auto* otherEffect = new TestEffect;
    auto* other = new TestEditor(otherEffect, std::make_unique<HeadlessPlatform>());
    other->open(&first.parentWindow);
    first.dispatch(effEditOpen, 0, 0, &first.parentWindow);

    EXPECT_EQ(first.dispatch(effSetEditKnobMode, 0, 2), 1);
    EXPECT_EQ(first.editor->getFrame()->getKnobMode(), 2);
    EXPECT_EQ(other->getFrame()->getKnobMode(), 2);
    EXPECT_TRUE(other->setKnobMode(0));
    EXPECT_EQ(first.editor->getFrame()->getKnobMode(), 0);
    delete otherEffect;
}

TEST(AEffGUIEditor, EditGesturesAndTicksComeThroughTheFrame)
{
    EditorScene s(5000);
    s.dispatch(effEditOpen, 0, 0, &s.parentWindow);
    CFrame* frame = s.editor->getFrame();
    frame->beginEdit(3);
    frame->endEdit(3);
    const std::vector<std::pair<std::int32_t, std::intptr_t>> expected = {{audioMasterBeginEdit, 3},
                                                                          {audioMasterEndEdit, 3}};
    EXPECT_EQ(s.host.edits, expected);
    EXPECT_EQ(frame->getTicks(), 5000u);
    s.clock->advance(7);
    EXPECT_EQ(frame->getTicks(), 5007u);
    s.editor->wait(3);
    EXPECT_EQ(s.editor->getTicks(), 5010u);
    frame->doIdleStuff();
    EXPECT_EQ(s.host.calls[audioMasterIdle], 1);
}

TEST(AEffGUIEditor, WheelGoesToTheViewUnderThePointer)
{
    EditorScene s;
    EXPECT_FALSE(s.editor->onWheel(1.0f));
    s.dispatch(effEditOpen, 0, 0, &s.parentWindow);
    CFrame* frame = s.editor->getFrame();
    auto* view = new ProbeView(CRect(100, 50, 150, 90), kRedCColor);
    frame->addView(view);
    auto* window = static_cast<HeadlessWindow*>(frame->getPlatformWindow());
    ASSERT_NE(window, nullptr);

    // The frame's own window reports the pointer: inside the view, then outside it.
    s.editor->framePlatform->setMouse({0, CPoint(120, 60)});
    EXPECT_TRUE(s.editor->onWheel(-1.0f));
    EXPECT_EQ(view->lastWhere, CPoint(120, 60));
    EXPECT_EQ(view->lastDistance, -1.0f);
    EXPECT_EQ(view->lastAxis, kVerticalWheel);
    s.editor->framePlatform->setMouse({0, CPoint(300, 10)});
    EXPECT_FALSE(s.editor->onWheel(1.0f));
    EXPECT_EQ(view->lastDistance, -1.0f);
}

TEST(AEffGUIEditor, FrameSizeGoesThroughTheHostWhenItCan)
{
    struct Case
    {
        std::intptr_t canDo, answer;
        bool hostAsked;
    };
    const Case cases[] = {{1, 1, true}, {1, 0, true}, {0, 1, false}};
    for (const Case& c : cases)
    {
        EditorScene s;
        s.host.canDoSizeWindow = c.canDo;
        s.host.sizeWindowAnswer = c.answer;
        s.dispatch(effEditOpen, 0, 0, &s.parentWindow);
        CFrame* frame = s.editor->getFrame();
        EXPECT_TRUE(frame->setSize(500, 300));
        EXPECT_EQ(s.host.sizeAsked, (c.hostAsked ? std::pair<std::int32_t, std::intptr_t>{500, 300}
                                                 : std::pair<std::int32_t, std::intptr_t>{0, 0}));
        CRect size;
        frame->getSize(size);
        EXPECT_EQ(size, CRect(0, 0, 500, 300));
        auto* window = static_cast<HeadlessWindow*>(frame->getPlatformWindow());
        EXPECT_EQ(window->getWidth(), 500);
        EXPECT_EQ(window->getHeight(), 300);
    }
}

} // namespace
