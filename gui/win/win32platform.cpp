// Win32Platform: the platform the Windows plug-in links in. Windows come from
// createWin32Window; time is GetTickCount and Sleep.
#include <windows.h>

#include <algorithm>

#include "gui/platform.h"
#include "gui/win/win32window.h"

namespace VSTGUI
{

namespace
{

/// Below this a double click cannot be told from two deliberate clicks on a knob.
constexpr std::uint32_t kShortestDoubleClick = 250;

class Win32Platform : public Platform
{
public:
    std::unique_ptr<PlatformWindow> createWindow(void* parent, int width, int height,
                                                 PlatformWindowListener& listener) override
    {
        return win::createWin32Window(parent, width, height, listener);
    }
    std::uint32_t getTicks() override { return GetTickCount(); }
    void sleep(std::uint32_t milliseconds) override { Sleep(milliseconds); }
    std::uint32_t getDoubleClickTime() override
    {
        return std::max<std::uint32_t>(GetDoubleClickTime(), kShortestDoubleClick);
    }
};

} // namespace

std::unique_ptr<Platform> createPlatform()
{
    return std::make_unique<Win32Platform>();
}

} // namespace VSTGUI
