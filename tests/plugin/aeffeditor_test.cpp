// The plain editor's defaults: no window of its own, nothing handled.
#include "tests/plugin/probe_effect.h"

#include <gtest/gtest.h>

namespace
{

TEST(AEffEditor, RemembersTheParentWindowButBuildsNothing)
{
    PlainEffect effect;
    AEffEditor editor(&effect);
    EXPECT_EQ(editor.getEffect(), &effect);
    EXPECT_FALSE(editor.isOpen());

    EXPECT_FALSE(editor.open(gBuffer));
    EXPECT_TRUE(editor.isOpen());
    editor.close();
    EXPECT_FALSE(editor.isOpen());
    EXPECT_FALSE(editor.open(nullptr));
    EXPECT_FALSE(editor.isOpen());
}

TEST(AEffEditor, AnswersNotHandledToEveryRequest)
{
    AEffEditor editor(nullptr);
    ERect* rect = reinterpret_cast<ERect*>(gBuffer);
    EXPECT_FALSE(editor.getRect(&rect));
    EXPECT_EQ(rect, nullptr);
    EXPECT_FALSE(editor.getRect(nullptr));
    VstKeyCode key{65, 0, 0};
    EXPECT_FALSE(editor.onKeyDown(key));
    EXPECT_FALSE(editor.onKeyUp(key));
    EXPECT_FALSE(editor.onWheel(1.0f));
    EXPECT_FALSE(editor.setKnobMode(2));
}

TEST(AEffEditor, ThroughTheDispatcherAPlainEditorAnswersZero)
{
    PlainEffect effect;
    auto* editor = new AEffEditor(&effect);
    effect.setEditor(editor);
    AEffect* r = effect.getAeffect();
    ERect* rect = reinterpret_cast<ERect*>(gBuffer);
    EXPECT_EQ(r->dispatcher(r, effEditGetRect, 0, 0, &rect, 0.0f), 0);
    EXPECT_EQ(rect, nullptr);
    EXPECT_EQ(r->dispatcher(r, effEditOpen, 0, 0, gBuffer, 0.0f), 0);
    EXPECT_TRUE(editor->isOpen());
    EXPECT_EQ(r->dispatcher(r, effEditKeyDown, 65, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(r->dispatcher(r, effSetEditKnobMode, 0, 1, nullptr, 0.0f), 0);
    EXPECT_EQ(r->dispatcher(r, effEditClose, 0, 0, nullptr, 0.0f), 0);
    EXPECT_FALSE(editor->isOpen());
}

} // namespace
