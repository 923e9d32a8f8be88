// The LV2 UI in-process on the headless platform: it needs the host's parent window,
// tells the host its size, shows the host's port values on its controls, and sends the
// user's changes back as port writes in the ports' units, bracketed by touch.
#include <gtest/gtest.h>
#include <lv2/ui/ui.h>

#include <cstring>
#include <limits>
#include <vector>

#include "gui/ccontrol.h"
#include "gui/cframe.h"
#include "lv2/ports.h"
#include "lv2/shadoweffect.h"
#include "plugin/aeffguieditor.h"

using namespace sorvelt::lv2;

namespace
{

struct Written
{
    std::uint32_t port;
    float value;
    bool operator==(const Written&) const = default;
};

struct Touched
{
    std::uint32_t port;
    bool grabbed;
    bool operator==(const Touched&) const = default;
};

/// What a host gives the UI, and what the UI told it.
struct FakeHost
{
    static void write(LV2UI_Controller controller, std::uint32_t port, std::uint32_t size,
                      std::uint32_t protocol, const void* buffer)
    {
        auto* host = static_cast<FakeHost*>(controller);
        ASSERT_EQ(size, sizeof(float));
        ASSERT_EQ(protocol, 0u);
        float value;
        std::memcpy(&value, buffer, sizeof value);
        host->writes.push_back({port, value});
    }
    static int resize(LV2UI_Feature_Handle handle, int width, int height)
    {
        auto* host = static_cast<FakeHost*>(handle);
        host->width = width;
        host->height = height;
        return 0;
    }
    static void touch(LV2UI_Feature_Handle handle, std::uint32_t port, bool grabbed)
    {
        static_cast<FakeHost*>(handle)->touches.push_back({port, grabbed});
    }

    LV2UI_Handle instantiate(const char* pluginUri = kPluginUri, bool withParent = true)
    {
        const LV2_Feature* list[] = {withParent ? &parentFeature : &resizeFeature, &resizeFeature,
                                     &touchFeature, nullptr};
        return descriptor->instantiate(descriptor, pluginUri, "/nowhere/", write, this, &widget, list);
    }

    const LV2UI_Descriptor* descriptor = lv2ui_descriptor(0);
    int parentWindow = 0; // the headless platform takes any non-null parent
    LV2UI_Resize resizeData{this, resize};
    LV2UI_Touch touchData{this, touch};
    LV2_Feature parentFeature{LV2_UI__parent, &parentWindow};
    LV2_Feature resizeFeature{LV2_UI__resize, &resizeData};
    LV2_Feature touchFeature{LV2_UI__touch, &touchData};
    LV2UI_Widget widget = nullptr;
    int width = 0, height = 0;
    std::vector<Written> writes;
    std::vector<Touched> touches;
};

/// The control at creation position `index` of an open UI (0 azimuth knob ... 4 format switch).
VSTGUI::CControl* control(LV2UI_Handle ui, long index)
{
    return static_cast<VSTGUI::CControl*>(
        static_cast<ShadowEffect*>(ui)->guiEditor()->getFrame()->getView(index));
}

void sendPort(const LV2UI_Descriptor* descriptor, LV2UI_Handle ui, std::uint32_t port, float value,
              std::uint32_t format = 0)
{
    descriptor->port_event(ui, port, sizeof value, format, &value);
}

TEST(Lv2Ui, RefusesWithoutAParentOrForAnotherPlugin)
{
    FakeHost host;
    EXPECT_EQ(host.instantiate(kPluginUri, false), nullptr);
    EXPECT_EQ(host.instantiate("urn:another:plugin"), nullptr);
    EXPECT_EQ(host.descriptor->instantiate(host.descriptor, nullptr, "", FakeHost::write, &host, &host.widget,
                                           nullptr),
              nullptr);
    EXPECT_EQ(lv2ui_descriptor(1), nullptr);
}

TEST(Lv2Ui, OpensAtTheEditorsSizeAndIdles)
{
    FakeHost host;
    LV2UI_Handle ui = host.instantiate();
    ASSERT_NE(ui, nullptr);
    EXPECT_EQ(host.width, 420);
    EXPECT_EQ(host.height, 200);
    const auto* idle =
        static_cast<const LV2UI_Idle_Interface*>(host.descriptor->extension_data(LV2_UI__idleInterface));
    ASSERT_NE(idle, nullptr);
    EXPECT_EQ(idle->idle(ui), 0);
    EXPECT_EQ(host.descriptor->extension_data("urn:nothing"), nullptr);
    // The controls start at the effect's defaults.
    EXPECT_EQ(control(ui, 0)->getValue(), 0.5f);
    EXPECT_EQ(control(ui, 3)->getValue(), 1.0f);
    host.descriptor->cleanup(ui);
}

TEST(Lv2Ui, PortEventsMoveTheControlsWithoutWritingBack)
{
    FakeHost host;
    LV2UI_Handle ui = host.instantiate();
    ASSERT_NE(ui, nullptr);
    struct
    {
        std::uint32_t port;
        float value;
        long control;
        float shown;
    } events[] = {
        {SourceAzimuth, -90.0f, 0, 0.75f}, {SourceElevation, 45.0f, 1, 0.75f}, {SourceWidth, 180.0f, 2, 1.0f},
        {Gain, kGainFloorDb, 3, 0.0f},     {InputFormat, 1.0f, 4, 0.5f},
    };
    for (const auto& e : events)
    {
        sendPort(host.descriptor, ui, e.port, e.value);
        EXPECT_EQ(control(ui, e.control)->getValue(), e.shown) << "port " << e.port;
    }
    // Not a plain float, not a control port, not a number: nothing moves.
    sendPort(host.descriptor, ui, SourceAzimuth, 90.0f, 7);
    sendPort(host.descriptor, ui, kFirstAudioInput, 90.0f);
    sendPort(host.descriptor, ui, SourceAzimuth, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(control(ui, 0)->getValue(), 0.75f);
    EXPECT_TRUE(host.writes.empty()) << "the host's own values went back to it";
    host.descriptor->cleanup(ui);
}

TEST(Lv2Ui, UserChangesGoToTheHostInPortUnitsBracketedByTouch)
{
    FakeHost host;
    LV2UI_Handle ui = host.instantiate();
    ASSERT_NE(ui, nullptr);
    AEffGUIEditor* editor = static_cast<ShadowEffect*>(ui)->guiEditor();
    auto* listener = dynamic_cast<VSTGUI::CControlListener*>(editor);
    ASSERT_NE(listener, nullptr);

    // What a knob drag does: begin, value changes reported to the listener, end.
    editor->beginEdit(SourceAzimuth);
    VSTGUI::CControl* knob = control(ui, 0);
    knob->setValue(0.25f);
    listener->valueChanged(nullptr, knob);
    editor->endEdit(SourceAzimuth);
    VSTGUI::CControl* formatSwitch = control(ui, 4);
    formatSwitch->setValue(1.0f);
    listener->valueChanged(nullptr, formatSwitch);
    VSTGUI::CControl* gainKnob = control(ui, 3);
    gainKnob->setValue(0.0f);
    listener->valueChanged(nullptr, gainKnob);

    EXPECT_EQ(host.writes,
              (std::vector<Written>{{SourceAzimuth, 90.0f}, {InputFormat, 2.0f}, {Gain, kGainFloorDb}}));
    EXPECT_EQ(host.touches, (std::vector<Touched>{{SourceAzimuth, true}, {SourceAzimuth, false}}));
    EXPECT_EQ(static_cast<ShadowEffect*>(ui)->getParameter(SourceAzimuth), 0.25f);
    host.descriptor->cleanup(ui);
}

} // namespace
