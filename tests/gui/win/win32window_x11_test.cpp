// The Windows child window under Wine and a real X server: its private class and the
// class's use count, and the messages its window procedure turns into frame events.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gui/cdrawcontext.h"
#include "gui/win/win32window.h"

namespace
{

using namespace VSTGUI;

struct Recorder : PlatformWindowListener
{
    std::vector<std::string> log;

    void onPlatformPaint(const CRect& r) override
    {
        log.push_back("paint " + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                      std::to_string(r.right) + "," + std::to_string(r.bottom));
    }
    void onPlatformMouseDown(const CPoint& where) override
    {
        log.push_back("down " + std::to_string(where.x) + "," + std::to_string(where.y));
    }
    void onPlatformWheel(const CPoint& where, int axis, float distance) override
    {
        char text[64];
        std::snprintf(text, sizeof text, "wheel %ld,%ld axis %d %.2f", static_cast<long>(where.x),
                      static_cast<long>(where.y), axis, distance);
        log.push_back(text);
    }
    void onPlatformDestroyed() override { log.push_back("destroyed"); }
};

HWND createParent()
{
    static const bool registered = []
    {
        WNDCLASSA info{};
        info.lpfnWndProc = DefWindowProcA;
        info.hInstance = GetModuleHandleA(nullptr);
        info.lpszClassName = "SorveltWindowTestParent";
        return RegisterClassA(&info) != 0;
    }();
    EXPECT_TRUE(registered);
    // A popup has no frame, so its client area starts where the window does.
    return CreateWindowExA(0, "SorveltWindowTestParent", "parent", WS_POPUP | WS_VISIBLE, 40, 30, 300, 200,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

void pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

class Win32WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        parent = createParent();
        ASSERT_NE(parent, nullptr);
    }
    void TearDown() override
    {
        if (parent && IsWindow(parent)) DestroyWindow(parent);
        pump();
    }

    HWND parent = nullptr;
    Recorder recorder;
};

TEST_F(Win32WindowTest, ChildOfTheParentWithThePrivateClass)
{
    auto window = win::createWin32Window(parent, 120, 80, recorder);
    ASSERT_NE(window, nullptr);
    HWND child = GetWindow(parent, GW_CHILD);
    ASSERT_NE(child, nullptr);
    char name[64] = {};
    GetClassNameA(child, name, sizeof name);
    char expected[64];
    std::snprintf(expected, sizeof expected, "Plugin%p", static_cast<void*>(GetModuleHandleA(nullptr)));
    EXPECT_STREQ(name, expected);
    char title[32] = {};
    GetWindowTextA(child, title, sizeof title);
    EXPECT_STREQ(title, "Window");
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN),
              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    RECT r{};
    GetClientRect(child, &r);
    EXPECT_EQ(r.right, 120);
    EXPECT_EQ(r.bottom, 80);
    const PixelBuffer surface = window->getSurface();
    EXPECT_EQ(surface.width, 120);
    EXPECT_EQ(surface.height, 80);
    window.reset();
    EXPECT_EQ(GetWindow(parent, GW_CHILD), nullptr) << "the child window outlived its object";
}

TEST_F(Win32WindowTest, TwoWindowsShareOneClassUnregisteredWithTheLast)
{
    const HINSTANCE module = GetModuleHandleA(nullptr);
    auto first = win::createWin32Window(parent, 50, 50, recorder);
    auto second = win::createWin32Window(parent, 50, 50, recorder);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(win::windowClassUsers(), 2);
    const std::string name = win::windowClassName();
    WNDCLASSA info{};
    first.reset();
    EXPECT_EQ(win::windowClassUsers(), 1);
    EXPECT_TRUE(GetClassInfoA(module, name.c_str(), &info)) << "unregistered while a window still uses it";
    second.reset();
    EXPECT_EQ(win::windowClassUsers(), 0);
    EXPECT_FALSE(GetClassInfoA(module, name.c_str(), &info)) << "left registered after the last window";
}

TEST_F(Win32WindowTest, ResizingWithTheHostGrowsEveryWindowAboveByTheChange)
{
    // The host's own layout: a child panel inside the top-level window, our window inside that.
    HWND panel = CreateWindowExA(0, "SorveltWindowTestParent", "panel", WS_CHILD | WS_VISIBLE, 5, 5, 150, 100,
                                 parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(panel, nullptr);
    auto window = win::createWin32Window(panel, 120, 80, recorder);
    ASSERT_NE(window, nullptr);
    auto size = [](HWND w)
    {
        RECT r{};
        GetWindowRect(w, &r);
        return std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
    };
    window->resizeWithHost(140, 90);
    EXPECT_EQ(size(GetWindow(panel, GW_CHILD)), "140x90");
    EXPECT_EQ(size(panel), "170x110");
    EXPECT_EQ(size(parent), "320x210");
    // Without the walk only our window changes.
    window->resize(120, 80);
    EXPECT_EQ(size(panel), "170x110");
    EXPECT_EQ(window->getSurface().width, 120);
}

TEST_F(Win32WindowTest, CursorTypesAndTheSavedDefault)
{
    auto window = win::createWin32Window(parent, 50, 50, recorder);
    ASSERT_NE(window, nullptr);
    HCURSOR before = GetCursor();
    window->setCursor(1); // wait
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)));
    window->setCursor(9); // hand
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));
    window->setCursor(7); // copy shows the cursor in force before the first change
    EXPECT_EQ(GetCursor(), before);
    window->setCursor(8);
    window->setCursor(0);
    EXPECT_EQ(GetCursor(), before);
}

TEST_F(Win32WindowTest, NoWindowWithoutAParent)
{
    EXPECT_EQ(win::createWin32Window(nullptr, 50, 50, recorder), nullptr);
    EXPECT_EQ(win::windowClassUsers(), 0);
}

TEST_F(Win32WindowTest, MessagesBecomeFrameEvents)
{
    auto window = win::createWin32Window(parent, 120, 80, recorder);
    ASSERT_NE(window, nullptr);
    HWND child = GetWindow(parent, GW_CHILD);
    pump();
    recorder.log.clear();

    // One notch is 120, towards the user negative; the position arrives in screen coordinates.
    RECT screen{};
    GetWindowRect(child, &screen);
    const LPARAM at = MAKELPARAM(screen.left + 10, screen.top + 20);
    SendMessageA(child, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), at);
    SendMessageA(child, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), at);
    SendMessageA(child, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-3 * WHEEL_DELTA)), at);
    SendMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, 9));
    SendMessageA(child, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(70, 60));
    InvalidateRect(child, nullptr, FALSE);
    UpdateWindow(child);
    DestroyWindow(parent);
    parent = nullptr;

    const std::vector<std::string> expected = {
        "wheel 10,20 axis 1 1.00",
        "wheel 10,20 axis 1 -1.00",
        "wheel 10,20 axis 1 -3.00",
        "down 7,9",
        "down 70,60",
        "paint 0,0,120,80",
        "destroyed",
    };
    EXPECT_EQ(recorder.log, expected);
    // The window went with its parent: the object lets go of nothing twice.
    window.reset();
    EXPECT_EQ(win::windowClassUsers(), 0);
}

TEST_F(Win32WindowTest, PressHandledAfterItsReleaseStillReportsThePress)
{
    auto window = win::createWin32Window(parent, 120, 80, recorder);
    ASSERT_NE(window, nullptr);
    HWND child = GetWindow(parent, GW_CHILD);
    struct Reader : Recorder
    {
        PlatformWindow* window = nullptr;
        std::vector<long> buttons;
        void onPlatformMouseDown(const CPoint&) override
        {
            buttons.push_back(window->getMouseButtons());
            buttons.push_back(window->getMouseButtons());
        }
    };
    // No button is down now: the message alone tells of the press, with its modifiers.
    Reader reader;
    auto readWindow = win::createWin32Window(parent, 120, 80, reader);
    reader.window = readWindow.get();
    HWND readChild = nullptr;
    for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        if (w != child) readChild = w;
    ASSERT_NE(readChild, nullptr);
    SendMessageA(readChild, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(1, 1));
    ASSERT_EQ(reader.buttons.size(), 2u);
    EXPECT_EQ(reader.buttons[0], kMouseLeftButton | kModifierShift);
    EXPECT_EQ(reader.buttons[1] & kMouseLeftButton, 0) << "later readings are live";
}

} // namespace

namespace
{

TEST(Win32Platform, TimeAndTheDoubleClickInterval)
{
    auto platform = VSTGUI::createPlatform();
    ASSERT_NE(platform, nullptr);
    // The system's tick count: read between two readings of it, it lies between them.
    const std::uint32_t before = GetTickCount();
    const std::uint32_t ticks = platform->getTicks();
    const std::uint32_t after = GetTickCount();
    EXPECT_LE(ticks - before, after - before);
    // The system's interval, but never shorter than 250 ms.
    const UINT saved = GetDoubleClickTime();
    SetDoubleClickTime(100);
    EXPECT_EQ(platform->getDoubleClickTime(), 250u);
    SetDoubleClickTime(600);
    EXPECT_EQ(platform->getDoubleClickTime(), 600u);
    SetDoubleClickTime(saved);
}

} // namespace
