// X11Platform: the platform the plug-in links in on Linux. Each window it makes has a
// Display connection of its own; time and pauses need no connection at all.
#include <memory>

#include "gui/platform.h"
#include "gui/x11/x11input.h"
#include "gui/x11/x11window.h"

namespace VSTGUI
{

namespace
{

class X11Platform : public Platform
{
public:
    std::unique_ptr<PlatformWindow> createWindow(void* parent, int width, int height,
                                                 PlatformWindowListener& listener) override
    {
        return createX11Window(parent, width, height, listener);
    }
    std::uint32_t getTicks() override { return monotonicTicks(); }
    void sleep(std::uint32_t milliseconds) override { sleepMilliseconds(milliseconds); }
    std::uint32_t getDoubleClickTime() override { return kCommonDoubleClickTime; }
};

} // namespace

std::unique_ptr<Platform> createPlatform()
{
    return std::make_unique<X11Platform>();
}

} // namespace VSTGUI
