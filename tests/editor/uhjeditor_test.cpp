// UHJeditor in a headless window: layout, the binding both ways between controls
// and parameters, the lifetime of controls and bitmaps across close and reopen.
#include "tests/editor/editor_harness.h"

#include <cstdlib>
#include <set>
#include <string>

#include "effect/stringconvert.h"
#include "gui/headless/headlessplatform.h"
#include "plugin/aeffeditor.h"

using namespace editortest;

namespace
{

struct LayoutRow
{
    ViewIndex index;
    const char* className;
    CRect size;
    long tag;
    long bitmap;
};

// The window as a user sees it; tags are the parameter indices, read-outs carry 0.
const LayoutRow kLayout[] = {
    {kAzimuthKnob, "CAnimKnob", CRect(196, 51, 241, 96), 0, 129},
    {kElevationKnob, "CAnimKnob", CRect(261, 51, 306, 96), 1, 130},
    {kWidthKnob, "CAnimKnob", CRect(112, 49, 162, 99), 2, 131},
    {kGainKnob, "CAnimKnob", CRect(347, 49, 397, 99), 4, 132},
    {kFormatSwitch, "CVerticalSwitch", CRect(3, 72, 63, 132), 3, 133},
    {kAzimuthDisplay, "CParamDisplay", CRect(199, 103, 239, 127), 0, 134},
    {kElevationDisplay, "CParamDisplay", CRect(264, 103, 304, 127), 0, 134},
    {kWidthDisplay, "CParamDisplay", CRect(117, 103, 157, 127), 0, 134},
    {kGainDisplay, "CParamDisplay", CRect(352, 103, 392, 127), 0, 134},
};

const char* const kControlClasses[] = {"CAnimKnob", "CVerticalSwitch", "CParamDisplay"};

struct KnobRow
{
    ViewIndex index;
    long parameter;
    long frames;
    long frameHeight;
};

const KnobRow kKnobs[] = {
    {kAzimuthKnob, SourceAzimuth, 361, 45},
    {kElevationKnob, SourceElevation, 181, 45},
    {kWidthKnob, SourceWidth, 181, 50},
    {kGainKnob, Gain, 101, 50},
};

/// Which views show each parameter: its knob or switch, and its read-out if any.
struct BindingRow
{
    long parameter;
    std::vector<ViewIndex> views;
};

const BindingRow kBindings[] = {
    {SourceAzimuth, {kAzimuthKnob, kAzimuthDisplay}},
    {SourceElevation, {kElevationKnob, kElevationDisplay}},
    {SourceWidth, {kWidthKnob, kWidthDisplay}},
    {InputFormat, {kFormatSwitch}},
    {Gain, {kGainKnob, kGainDisplay}},
};

std::vector<float> shownValues(const EditorHost& host)
{
    std::vector<float> values;
    for (long i = 0; i < kViewCount; ++i)
        values.push_back(host.control(i)->getValue());
    return values;
}

/// Every knob, switch and read-out shows values[its parameter].
void expectShown(const EditorHost& host, const float (&values)[5])
{
    for (const BindingRow& row : kBindings)
        for (ViewIndex view : row.views)
            EXPECT_EQ(host.control(view)->getValue(), values[row.parameter]) << "view " << view;
}

void literalNinety(float, char* text)
{
    std::strcpy(text, "90");
}
void literalHundredPercent(float, char* text)
{
    std::strcpy(text, "100%");
}
void literalNothing(float, char* text)
{
    text[0] = 0;
}

/// A read-out styled as the editor's, showing a fixed text, drawn alone over black.
Picture referenceReadout(CFrame* frame, const CRect& size, void (*text)(float, char*))
{
    CBitmap* background = new CBitmap(134);
    CParamDisplay* display = new CParamDisplay(size, background, 1);
    background->forget();
    display->setFont(kFontSmall);
    display->setFontColor(kBlackCColor);
    display->setBackColor(kTransparentCColor);
    display->setFrameColor(kTransparentCColor);
    display->setStringConvert(text);
    Picture picture = drawAlone(frame, display);
    display->forget();
    return picture;
}

class UHJeditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(host.record, nullptr);
        ASSERT_NE(host.editor(), nullptr);
    }
    EditorHost host;
};

TEST_F(UHJeditorTest, EffectOwnsAnEditorThatReportsItsSizeBeforeOpening)
{
    EXPECT_EQ(host.record->flags, 0x1011);
    ERect* rect = nullptr;
    ASSERT_EQ(host.dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 200);
    EXPECT_EQ(rect->right, 420);
    EXPECT_EQ(host.frame(), nullptr);
}

TEST_F(UHJeditorTest, OpenBuildsTheNineControlsInCreationOrder)
{
    ASSERT_TRUE(host.openEditor());
    CFrame* frame = host.frame();
    ASSERT_NE(frame, nullptr);
    CRect frameSize;
    frame->getViewSize(frameSize);
    EXPECT_EQ(frameSize, CRect(0, 0, 420, 200));
    ASSERT_NE(frame->getBackground(), nullptr);
    EXPECT_EQ(frame->getBackground()->getResourceID(), 128);
    ASSERT_EQ(frame->getNbViews(), kViewCount);

    for (const LayoutRow& row : kLayout)
    {
        SCOPED_TRACE(row.index);
        CControl* control = host.control(row.index);
        for (const char* name : kControlClasses)
            EXPECT_EQ(control->isTypeOf(name), std::strcmp(name, row.className) == 0) << name;
        CRect size;
        control->getViewSize(size);
        EXPECT_EQ(size, row.size);
        EXPECT_EQ(control->getTag(), row.tag);
        ASSERT_NE(control->getBackground(), nullptr);
        EXPECT_EQ(control->getBackground()->getResourceID(), row.bitmap);
        EXPECT_EQ(control->getMin(), 0.0f);
        EXPECT_EQ(control->getMax(), 1.0f);
        EXPECT_EQ(control->getWheelInc(), 0.1f);
    }
    EXPECT_EQ(host.control(kAzimuthKnob)->getDefaultValue(), 0.5f);
    EXPECT_EQ(host.control(kFormatSwitch)->getDefaultValue(), 0.0f);
}

TEST_F(UHJeditorTest, KnobStripsAreCutIntoTheirFrameCountAndHeight)
{
    ASSERT_TRUE(host.openEditor());
    for (const KnobRow& row : kKnobs)
    {
        SCOPED_TRACE(row.parameter);
        CControl* knob = host.control(row.index);
        CRect size;
        knob->getViewSize(size);
        // Both ends of the travel: the first and the last picture of the strip.
        for (float value : {0.0f, 1.0f})
        {
            host.set(row.parameter, value);
            const long frameIndex = value == 0.0f ? 0 : row.frames - 1;
            EXPECT_EQ(drawAlone(host.frame(), knob).region(size),
                      drawStripFrame(host.frame(), knob->getBackground(), size, row.frameHeight, frameIndex)
                          .region(size));
        }
    }
}

TEST_F(UHJeditorTest, OpeningShowsTheEffectsValues)
{
    const float values[] = {0.25f, 0.75f, 0.4f, 0.5f, 0.6f};
    for (long i = 0; i < 5; ++i)
        host.set(i, values[i]);
    ASSERT_TRUE(host.openEditor());
    expectShown(host, values);
}

TEST_F(UHJeditorTest, EachParameterMovesExactlyItsOwnControls)
{
    ASSERT_TRUE(host.openEditor());
    for (const BindingRow& row : kBindings)
    {
        SCOPED_TRACE(row.parameter);
        std::vector<float> expected = shownValues(host);
        const float value = host.get(row.parameter) == 0.125f ? 0.875f : 0.125f;
        host.set(row.parameter, value);
        for (ViewIndex view : row.views)
            expected[view] = value;
        EXPECT_EQ(shownValues(host), expected);
    }
}

TEST_F(UHJeditorTest, ControlsTakeTheEffectsValueNotTheArgument)
{
    ASSERT_TRUE(host.openEditor());
    host.set(SourceAzimuth, 0.3f);
    host.editor()->setParameter(SourceAzimuth, 0.9f);
    EXPECT_EQ(host.control(kAzimuthKnob)->getValue(), 0.3f);
    EXPECT_EQ(host.control(kAzimuthDisplay)->getValue(), 0.3f);
}

TEST_F(UHJeditorTest, IndicesOutsideTheParametersChangeNothing)
{
    ASSERT_TRUE(host.openEditor());
    const std::vector<float> before = shownValues(host);
    for (int index : {5, -1, 1000})
    {
        host.set(index, 0.9f);
        host.editor()->setParameter(index, 0.9f);
    }
    EXPECT_EQ(shownValues(host), before);
}

TEST_F(UHJeditorTest, ClosedEditorIgnoresAutomationAndReopensWithCurrentValues)
{
    ASSERT_TRUE(host.openEditor());
    host.closeEditor();
    EXPECT_EQ(host.frame(), nullptr);
    // Automation after close: the controls are gone, so this must touch none of them
    // (the address sanitizer build catches a write into a freed control).
    const float values[] = {0.1f, 0.2f, 0.3f, 1.0f, 0.4f};
    for (long i = 0; i < 5; ++i)
        host.set(i, values[i]);
    ASSERT_TRUE(host.openEditor());
    expectShown(host, values);
}

TEST_F(UHJeditorTest, ReadoutsShowTheConvertedValues)
{
    ASSERT_TRUE(host.openEditor());
    struct Row
    {
        long parameter;
        float value;
        ViewIndex display;
        void (*text)(float, char*);
    };
    const Row rows[] = {
        {SourceAzimuth, 0.25f, kAzimuthDisplay, literalNinety},
        {Gain, 1.0f, kGainDisplay, literalHundredPercent},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.parameter);
        host.set(row.parameter, row.value);
        CControl* display = host.control(row.display);
        CRect size;
        display->getViewSize(size);
        const auto shown = drawAlone(host.frame(), display).region(size);
        EXPECT_EQ(shown, referenceReadout(host.frame(), size, row.text).region(size));
        EXPECT_NE(shown, referenceReadout(host.frame(), size, literalNothing).region(size));
    }
}

TEST_F(UHJeditorTest, GainKnobShowsTheFrameItsReadoutNamesForEveryWholePercent)
{
    ASSERT_TRUE(host.openEditor());
    auto* knob = dynamic_cast<CAnimKnob*>(host.control(kGainKnob));
    ASSERT_NE(knob, nullptr);
    // The frame is the whole part of value x 100 in single precision; these four whole
    // percents fall just below it and show the frame before, as the knob has always drawn them.
    const std::set<int> oneBelow = {39, 53, 59, 78};
    for (int percent = 0; percent <= 100; ++percent)
    {
        host.set(Gain, static_cast<float>(percent) / 100.0f);
        char text[32] = {};
        percentStringConvert(knob->getValue(), text);
        ASSERT_EQ(std::atoi(text), percent) << text;
        const long frame = knob->sourceOffsetY() / 50;
        EXPECT_EQ(frame, oneBelow.count(percent) ? percent - 1 : percent) << text;
    }
}

TEST_F(UHJeditorTest, TwoClicksQueuedOnTheSwitchBothReachTheEffectInOrder)
{
    ASSERT_TRUE(host.openEditor());
    auto* window = static_cast<HeadlessWindow*>(host.frame()->getPlatformWindow());
    CRect size;
    host.control(kFormatSwitch)->getViewSize(size);
    const CPoint bottom(size.left + 5, size.bottom - 3), top(size.left + 5, size.top + 3);
    // A busy host: both clicks are queued before its next idle. The first press's drag pumps
    // idle, which reads the second press from the queue while the first is still handled.
    window->getPlatform().scriptMouse({{kMouseLeftButton, bottom}, {kMouseLeftButton, top}});
    window->postMouseDown(bottom);
    window->postMouseDown(top);
    hostEvents().clear();
    host.dispatch(effEditIdle);
    std::vector<float> automated;
    for (const HostEvent& e : hostEvents())
        if (e.opcode == audioMasterAutomate && e.index == InputFormat) automated.push_back(e.opt);
    EXPECT_EQ(automated, (std::vector<float>{1.0f, 0.0f}));
    EXPECT_EQ(host.control(kFormatSwitch)->getValue(), 0.0f);
}

TEST_F(UHJeditorTest, SwitchShowsTheNearestPositionWhileTheEffectFloors)
{
    ASSERT_TRUE(host.openEditor());
    struct Row
    {
        float value;
        long picture;
        const char* effectFormat;
    };
    const Row rows[] = {
        {0.0f, 0, "Mono"},   {0.24f, 0, "Mono"},    {0.7f, 1, "Stereo"},
        {0.8f, 2, "Stereo"}, {1.0f, 2, "B-Format"},
    };
    CControl* formatSwitch = host.control(kFormatSwitch);
    CRect size;
    formatSwitch->getViewSize(size);
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.value);
        host.set(InputFormat, row.value);
        EXPECT_EQ(
            drawAlone(host.frame(), formatSwitch).region(size),
            drawStripFrame(host.frame(), formatSwitch->getBackground(), size, 60, row.picture).region(size));
        char text[64] = {};
        host.dispatch(effGetParamDisplay, InputFormat, 0, text);
        EXPECT_STREQ(text, row.effectFormat);
    }
}

TEST_F(UHJeditorTest, ControlClickResetsAndAutomatesTheDefault)
{
    ASSERT_TRUE(host.openEditor());
    struct Row
    {
        ViewIndex view;
        long parameter;
        float reset;
    };
    const Row rows[] = {
        {kAzimuthKnob, SourceAzimuth, 0.5f}, {kElevationKnob, SourceElevation, 0.5f},
        {kWidthKnob, SourceWidth, 0.5f},     {kGainKnob, Gain, 0.5f},
        {kFormatSwitch, InputFormat, 0.0f},
    };
    CFrame* frame = host.frame();
    COffscreenContext context(frame, 420, 200);
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.parameter);
        host.set(row.parameter, 0.9f);
        hostEvents().clear();
        CRect size;
        host.control(row.view)->getViewSize(size);
        CPoint where((size.left + size.right) / 2, (size.top + size.bottom) / 2);
        frame->mouse(&context, where, kMouseLeftButton | kModifierControl);

        EXPECT_EQ(host.get(row.parameter), row.reset);
        EXPECT_EQ(host.control(row.view)->getValue(), row.reset);
        const std::vector<HostEvent> expected = {
            {audioMasterBeginEdit, static_cast<std::int32_t>(row.parameter), 0.0f},
            {audioMasterAutomate, static_cast<std::int32_t>(row.parameter), row.reset},
            {audioMasterEndEdit, static_cast<std::int32_t>(row.parameter), 0.0f},
        };
        EXPECT_EQ(hostEvents(), expected);
    }
}

TEST_F(UHJeditorTest, BitmapsEndWithTheReferencesOfTheirHolders)
{
    ASSERT_TRUE(host.openEditor());
    CBitmap* background = host.frame()->getBackground();
    EXPECT_EQ(background->getNbReference(), 2); // the editor's and the frame's
    EXPECT_EQ(host.control(kAzimuthDisplay)->getBackground()->getNbReference(), 4);
    for (ViewIndex view : {kAzimuthKnob, kElevationKnob, kWidthKnob, kGainKnob, kFormatSwitch})
        EXPECT_EQ(host.control(view)->getBackground()->getNbReference(), 1) << "view " << view;
    for (ViewIndex view : {kElevationDisplay, kWidthDisplay, kGainDisplay})
        EXPECT_EQ(host.control(view)->getBackground(), host.control(kAzimuthDisplay)->getBackground());

    host.closeEditor();
    EXPECT_EQ(background->getNbReference(), 1); // the editor keeps it while closed
    ASSERT_TRUE(host.openEditor());
    EXPECT_EQ(host.frame()->getBackground(), background);
    EXPECT_EQ(background->getNbReference(), 2);
}

TEST_F(UHJeditorTest, TwoEditorsOpenAtOnceShowOneDecodingOfEachImage)
{
    EditorHost other;
    ASSERT_TRUE(host.openEditor());
    ASSERT_TRUE(other.openEditor());
    // Each editor holds bitmaps of its own, counted as before; only the pixels are shared.
    EXPECT_NE(other.frame()->getBackground(), host.frame()->getBackground());
    EXPECT_EQ(other.frame()->getBackground()->getPixels().data,
              host.frame()->getBackground()->getPixels().data);
    for (const LayoutRow& row : kLayout)
    {
        CBitmap* mine = host.control(row.index)->getBackground();
        CBitmap* theirs = other.control(row.index)->getBackground();
        EXPECT_NE(mine, theirs) << row.index;
        ASSERT_NE(mine->getPixels().data, nullptr) << row.index;
        EXPECT_EQ(mine->getPixels().data, theirs->getPixels().data) << row.index;
    }
    other.closeEditor();
    host.closeEditor();
}

TEST_F(UHJeditorTest, OpeningTwiceReplacesTheWindow)
{
    ASSERT_TRUE(host.openEditor());
    CBitmap* background = host.frame()->getBackground();
    ASSERT_TRUE(host.openEditor());
    // One frame holds the background: the first one was closed, not leaked.
    EXPECT_EQ(background->getNbReference(), 2);
    EXPECT_EQ(host.frame()->getNbViews(), kViewCount);
}

TEST(UHJeditorLifetime, ClosingThePlugInWithTheWindowOpenReleasesTheWindow)
{
    CBitmap* background = nullptr;
    {
        EditorHost host;
        ASSERT_TRUE(host.openEditor());
        background = host.frame()->getBackground();
        background->remember();
        EXPECT_EQ(background->getNbReference(), 3);
    } // effClose without effEditClose
    EXPECT_EQ(background->getNbReference(), 1);
    background->forget();
}

TEST_F(UHJeditorTest, EveryOpenSelectsLinearKnobs)
{
    for (std::intptr_t hostMode : {0, 1})
    {
        ASSERT_EQ(host.dispatch(effSetEditKnobMode, 0, hostMode), 1);
        EXPECT_EQ(AEffGUIEditor::getKnobMode(), hostMode);
        ASSERT_TRUE(host.openEditor());
        EXPECT_EQ(host.frame()->getKnobMode(), 2);
        host.closeEditor();
    }
}

TEST_F(UHJeditorTest, UserChangesOfKnownTagsAreAutomated)
{
    ASSERT_TRUE(host.openEditor());
    CControl* knob = host.control(kWidthKnob);
    knob->setValue(0.625f);
    host.editor()->valueChanged(nullptr, knob);
    EXPECT_EQ(host.get(SourceWidth), 0.625f);
    EXPECT_EQ(host.control(kWidthDisplay)->getValue(), 0.625f);
    EXPECT_TRUE(knob->isDirty());
    const std::vector<HostEvent> automated = {{audioMasterAutomate, SourceWidth, 0.625f}};
    EXPECT_EQ(hostEvents(), automated);

    // A control with a tag outside the parameters is not the editor's business.
    hostEvents().clear();
    const float before = host.get(0);
    knob->setTag(7);
    host.editor()->valueChanged(nullptr, knob);
    knob->setTag(-1);
    host.editor()->valueChanged(nullptr, knob);
    knob->setTag(SourceWidth);
    EXPECT_TRUE(hostEvents().empty());
    EXPECT_EQ(host.get(0), before);
}

} // namespace
