// UHJeditor closed by the host in the middle of a user gesture: from the idle request of a
// drag's pump, or in answer to the gesture's begin. The gesture stops, the host hears a
// balanced begin and end, and the editor opens again as new.
#include "tests/editor/editor_harness.h"

using namespace editortest;

namespace
{

enum class CloseOn
{
    Idle,
    BeginEdit
};

struct ClosingHost
{
    CloseOn closeOn = CloseOn::Idle;
    bool armed = false;
    int closes = 0;
    std::vector<HostEvent> events;
};
ClosingHost* currentHost = nullptr;

std::intptr_t closingHost(AEffect* effect, std::int32_t opcode, std::int32_t index, std::intptr_t, void*,
                          float opt)
{
    if (opcode == audioMasterVersion) return 2400;
    if (!currentHost) return 0;
    ClosingHost& host = *currentHost;
    if (opcode == audioMasterAutomate || opcode == audioMasterBeginEdit || opcode == audioMasterEndEdit)
        host.events.push_back({opcode, index, opt});
    const bool closeNow = (opcode == audioMasterIdle && host.closeOn == CloseOn::Idle) ||
                          (opcode == audioMasterBeginEdit && host.closeOn == CloseOn::BeginEdit);
    if (closeNow && host.armed)
    {
        host.armed = false;
        effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
        ++host.closes;
    }
    return 0;
}

/// Sorvelt with its editor open, under the closing host.
struct Scene
{
    explicit Scene(CloseOn closeOn)
    {
        host.closeOn = closeOn;
        currentHost = &host;
        AudioEffect* effect = createEffectInstance(&closingHost);
        record = effect ? effect->getAeffect() : nullptr;
    }
    ~Scene()
    {
        if (record) record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
        currentHost = nullptr;
    }
    UHJeditor* editor() const
    {
        return static_cast<UHJeditor*>(static_cast<AudioEffect*>(record->object)->getEditor());
    }
    bool open() { return record->dispatcher(record, effEditOpen, 0, 0, &parentWindow, 0.0f) == 1; }

    ClosingHost host;
    AEffect* record = nullptr;
    int parentWindow = 0;
};

TEST(UHJeditorClose, HostClosingDuringAGestureEndsItCleanly)
{
    struct Case
    {
        ViewIndex view;
        long parameter;
    };
    const Case controls[] = {{kAzimuthKnob, SourceAzimuth},
                             {kElevationKnob, SourceElevation},
                             {kWidthKnob, SourceWidth},
                             {kGainKnob, Gain},
                             {kFormatSwitch, InputFormat}};
    for (const CloseOn closeOn : {CloseOn::Idle, CloseOn::BeginEdit})
    {
        for (const Case& c : controls)
        {
            SCOPED_TRACE(testing::Message()
                         << "view " << c.view << (closeOn == CloseOn::Idle ? ", idle" : ", begin"));
            Scene s(closeOn);
            ASSERT_NE(s.record, nullptr);
            ASSERT_TRUE(s.open());
            CFrame* frame = s.editor()->getFrame();
            CRect size;
            frame->getView(c.view)->getViewSize(size);
            CPoint where((size.left + size.right) / 2, size.top + 1);

            // A context without a window: the button reads as released after the press.
            auto* context = new CDrawContext(nullptr, nullptr);
            s.host.armed = true;
            frame->mouse(context, where, kMouseLeftButton);
            context->forget();

            EXPECT_EQ(s.host.closes, 1);
            EXPECT_EQ(s.editor()->getFrame(), nullptr);
            // The bracket is whole and ended once. (A control the close removed before its first
            // pass still reports that pass: its automation may follow the end.)
            const auto parameter = static_cast<std::int32_t>(c.parameter);
            std::vector<HostEvent> bracket;
            for (const HostEvent& e : s.host.events)
                if (e.opcode != audioMasterAutomate) bracket.push_back(e);
            const std::vector<HostEvent> expected = {{audioMasterBeginEdit, parameter, 0.0f},
                                                     {audioMasterEndEdit, parameter, 0.0f}};
            EXPECT_EQ(bracket, expected);

            // Open again: a whole new window showing the effect's values.
            ASSERT_TRUE(s.open());
            ASSERT_NE(s.editor()->getFrame(), nullptr);
            EXPECT_EQ(s.editor()->getFrame()->getNbViews(), kViewCount);
            EXPECT_EQ(static_cast<CControl*>(s.editor()->getFrame()->getView(c.view))->getValue(),
                      s.record->getParameter(s.record, parameter));
        }
    }
}

} // namespace
