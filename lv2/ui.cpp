// The LV2 X11 UI: Sorvelt's own editor, opened in the host's parent window on a
// parameter-only shadow of the effect. The host idles it through the idle interface
// and tells it of port changes; the user's changes go back through the write function.
#include <lv2/ui/ui.h>

#include <cstdint>
#include <cstring>
#include <new>

#include "gui/cframe.h"
#include "gui/platform.h"
#include "lv2/ports.h"
#include "lv2/shadoweffect.h"
#include "plugin/aeffguieditor.h"

namespace
{

using namespace sorvelt::lv2;

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                         const LV2_Feature* const* features)
{
    if (!pluginUri || std::strcmp(pluginUri, kPluginUri) != 0 || !widget) return nullptr;
    void* parent = nullptr;
    const LV2UI_Resize* resize = nullptr;
    const LV2UI_Touch* touch = nullptr;
    for (const LV2_Feature* const* f = features; f && *f; ++f)
    {
        if (std::strcmp((*f)->URI, LV2_UI__parent) == 0)
            parent = (*f)->data;
        else if (std::strcmp((*f)->URI, LV2_UI__resize) == 0)
            resize = static_cast<const LV2UI_Resize*>((*f)->data);
        else if (std::strcmp((*f)->URI, LV2_UI__touch) == 0)
            touch = static_cast<const LV2UI_Touch*>((*f)->data);
    }
    // The editor lives inside a window of the host's; without one there is nothing to show.
    if (!parent) return nullptr;

    auto* shadow = new (std::nothrow) ShadowEffect(write, controller, touch);
    if (!shadow) return nullptr;
    AEffGUIEditor* editor = shadow->guiEditor();
    VSTGUI::PlatformWindow* window = nullptr;
    if (editor && editor->open(parent) && editor->getFrame())
        window = editor->getFrame()->getPlatformWindow();
    if (!window)
    {
        delete shadow;
        return nullptr;
    }
    *widget = reinterpret_cast<LV2UI_Widget>(window->nativeHandle());
    ERect* size = nullptr;
    if (resize && editor->getRect(&size) && size)
        resize->ui_resize(resize->handle, size->right - size->left, size->bottom - size->top);
    return shadow;
}

void cleanup(LV2UI_Handle handle)
{
    // The effect's destructor deletes the editor, whose destructor closes the window.
    delete static_cast<ShadowEffect*>(handle);
}

void portEvent(LV2UI_Handle handle, std::uint32_t port, std::uint32_t size, std::uint32_t format,
               const void* buffer)
{
    // Only plain control values (format 0, one float) mean anything to this UI.
    if (format != 0 || size != sizeof(float) || !buffer) return;
    float value;
    std::memcpy(&value, buffer, sizeof value);
    static_cast<ShadowEffect*>(handle)->portChanged(port, value);
}

int idle(LV2UI_Handle handle)
{
    AEffGUIEditor* editor = static_cast<ShadowEffect*>(handle)->guiEditor();
    if (!editor || !editor->getFrame()) return 1;
    editor->idle();
    return 0;
}

const LV2UI_Idle_Interface kIdleInterface = {idle};

const void* extensionData(const char* uri)
{
    if (uri && std::strcmp(uri, LV2_UI__idleInterface) == 0) return &kIdleInterface;
    return nullptr;
}

const LV2UI_Descriptor kDescriptor = {kUiUri, instantiate, cleanup, portEvent, extensionData};

} // namespace

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(std::uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
