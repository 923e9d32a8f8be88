// The editor in a real Windows child window, under Wine and a real X server: a small host
// opens it in a top-level window through the dispatcher and idles it, xdotool moves the mouse.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gui/cframe.h"
#include "gui/coffscreencontext.h"
#include "gui/win/win32window.h"
#include "plugin/aeffect.h"
#include "plugin/aeffguieditor.h"
#include "plugin/audioeffect.h"

extern "C" AEffect* VSTPluginMain(HostCallback hostCallback);

namespace
{

using namespace VSTGUI;

struct HostEvent
{
    std::int32_t opcode;
    std::int32_t index;
    float value;
};

std::vector<HostEvent> events;

std::intptr_t host(AEffect*, std::int32_t opcode, std::int32_t index, std::intptr_t, void*, float opt)
{
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterAutomate || opcode == audioMasterBeginEdit || opcode == audioMasterEndEdit)
        events.push_back({opcode, index, opt});
    return 0;
}

/// Hosts send the wheel on to the window under the pointer; the test host does the same.
LRESULT CALLBACK hostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_MOUSEWHEEL)
    {
        POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ScreenToClient(hwnd, &at);
        HWND child = ChildWindowFromPoint(hwnd, at);
        if (child && child != hwnd) return SendMessageA(child, message, wParam, lParam);
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND createHostWindow()
{
    static bool registered = false;
    if (!registered)
    {
        WNDCLASSA info{};
        info.lpfnWndProc = hostWindowProc;
        info.hInstance = GetModuleHandleA(nullptr);
        info.lpszClassName = "SorveltTestHost";
        info.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        registered = RegisterClassA(&info) != 0;
    }
    // A popup has no frame: its client area is the whole window, at a known place on the screen.
    return CreateWindowExA(0, "SorveltTestHost", "Sorvelt test host", WS_POPUP | WS_VISIBLE, 100, 80, 420,
                           200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

/// Plays an xdotool gesture (a Unix program, which Wine starts as one) in the background; its
/// end is marked by a file, since Wine hands out no handle to wait on for a Unix process.
struct Gesture
{
    std::string marker; // the Unix path
    bool started = false;

    bool done() const
    {
        const std::string windowsPath = "Z:" + marker;
        return GetFileAttributesA(windowsPath.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
};

Gesture xdotool(const std::string& arguments)
{
    static int count = 0;
    Gesture gesture;
    gesture.marker =
        "/tmp/sorvelt-gesture-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count);
    DeleteFileA(("Z:" + gesture.marker).c_str());
    std::string command =
        "/bin/sh -c \"/usr/bin/xdotool " + arguments + "; /usr/bin/touch " + gesture.marker + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    gesture.started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &process);
    if (process.hThread) CloseHandle(process.hThread);
    if (process.hProcess) CloseHandle(process.hProcess);
    return gesture;
}

class EditorWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        events.clear();
        effect = VSTPluginMain(host);
        ASSERT_NE(effect, nullptr);
        parent = createHostWindow();
        ASSERT_NE(parent, nullptr);
    }

    void TearDown() override
    {
        if (effect)
        {
            close();
            dispatch(effClose);
            effect = nullptr;
        }
        if (parent && IsWindow(parent)) DestroyWindow(parent);
        pump(20);
    }

    std::intptr_t dispatch(std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0,
                           void* ptr = nullptr, float opt = 0)
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }

    /// The host's loop: messages, and the editor's idle every 10 ms, for `ms` milliseconds.
    void pump(DWORD ms)
    {
        const DWORD end = GetTickCount() + ms;
        do
        {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            if (effect && editorOpen) dispatch(effEditIdle);
            Sleep(10);
        } while (static_cast<LONG>(end - GetTickCount()) > 0);
    }

    /// Pumps while a gesture plays, and a little after.
    void pumpUntilDone(const Gesture& gesture)
    {
        ASSERT_TRUE(gesture.started) << "xdotool did not start";
        const DWORD end = GetTickCount() + 10000;
        while (!gesture.done() && static_cast<LONG>(end - GetTickCount()) > 0)
            pump(10);
        DeleteFileA(("Z:" + gesture.marker).c_str());
        pump(300);
    }

    void open()
    {
        ASSERT_EQ(dispatch(effEditOpen, 0, 0, parent), 1);
        editorOpen = true;
        pump(300);
    }

    void close()
    {
        dispatch(effEditClose);
        editorOpen = false;
    }

    HWND editorWindow() const { return GetWindow(parent, GW_CHILD); }

    CFrame* frame() const
    {
        auto* editor = static_cast<AEffGUIEditor*>(static_cast<AudioEffect*>(effect->object)->getEditor());
        return editor->getFrame();
    }

    /// "mousemove X Y" for a point of the editor.
    std::string at(int x, int y) const
    {
        RECT r{};
        GetWindowRect(editorWindow(), &r);
        return "mousemove " + std::to_string(r.left + x) + " " + std::to_string(r.top + y);
    }

    std::vector<HostEvent> eventsOf(std::int32_t index) const
    {
        std::vector<HostEvent> out;
        for (const HostEvent& e : events)
            if (e.index == index) out.push_back(e);
        return out;
    }

    AEffect* effect = nullptr;
    HWND parent = nullptr;
    bool editorOpen = false;
};

TEST_F(EditorWindow, DeclaresItsEditorAndSize)
{
    EXPECT_EQ(effect->flags, 0x1011);
    ERect* rect = nullptr;
    ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 420);
    EXPECT_EQ(rect->bottom - rect->top, 200);
}

TEST_F(EditorWindow, OpensAChildWindowOfItsOwnClass)
{
    open();
    HWND child = editorWindow();
    ASSERT_NE(child, nullptr);
    char name[64] = {};
    GetClassNameA(child, name, sizeof name);
    char expected[64];
    std::snprintf(expected, sizeof expected, "Plugin%p", static_cast<void*>(GetModuleHandleA(nullptr)));
    EXPECT_STREQ(name, expected);
    EXPECT_EQ(win::windowClassUsers(), 1);
    RECT r{};
    GetClientRect(child, &r);
    EXPECT_EQ(r.right, 420);
    EXPECT_EQ(r.bottom, 200);
    close();
    EXPECT_EQ(win::windowClassUsers(), 0);
    WNDCLASSA info{};
    EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), expected, &info)) << "class left registered";
}

TEST_F(EditorWindow, PaintedWindowEqualsTheOffscreenDrawing)
{
    open();
    HWND child = editorWindow();
    ASSERT_NE(child, nullptr);
    // What the screen shows: the window's pixels read back.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 420;
    info.bmiHeader.biHeight = -200;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC windowDC = GetDC(child);
    HDC memory = CreateCompatibleDC(windowDC);
    HBITMAP shot = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(shot, nullptr);
    HGDIOBJ saved = SelectObject(memory, shot);
    BitBlt(memory, 0, 0, 420, 200, windowDC, 0, 0, SRCCOPY);
    GdiFlush();

    // The same editor drawn off-screen.
    COffscreenContext offscreen(frame(), 420, 200, kBlackCColor);
    frame()->draw(&offscreen);
    const PixelBuffer drawn = offscreen.getPixelBuffer();
    ASSERT_TRUE(drawn.isValid());

    long differing = 0;
    const auto* screen = static_cast<const std::uint8_t*>(bits);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 420; ++x)
        {
            const std::uint8_t* a = screen + (y * 420 + x) * 4;
            const std::uint8_t* b = drawn.pixel(x, y);
            if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2]) ++differing;
        }
    // Something was drawn at all: the background is not one flat colour.
    long distinct = 0;
    for (int x = 1; x < 420; ++x)
        if (std::memcmp(drawn.pixel(x, 100), drawn.pixel(x - 1, 100), 3) != 0) ++distinct;
    SelectObject(memory, saved);
    DeleteObject(shot);
    DeleteDC(memory);
    ReleaseDC(child, windowDC);
    EXPECT_EQ(differing, 0);
    EXPECT_GT(distinct, 20);
}

TEST_F(EditorWindow, DraggingTheAzimuthKnobAutomatesRisingValues)
{
    open();
    const float before = effect->getParameter(effect, 0);
    // Press, a pause so the press is seen while the button is still down, moves up and right, release.
    pumpUntilDone(xdotool(at(218, 73) + " mousedown 1 sleep 0.3 mousemove_relative -- 5 -5 sleep 0.1"
                                        " mousemove_relative -- 10 -10 sleep 0.1 mousemove_relative -- 10 -10"
                                        " sleep 0.2 mouseup 1"));
    const auto azimuth = eventsOf(0);
    ASSERT_GE(azimuth.size(), 3u);
    EXPECT_EQ(azimuth.front().opcode, audioMasterBeginEdit);
    EXPECT_EQ(azimuth.back().opcode, audioMasterEndEdit);
    float last = before;
    int automations = 0;
    for (const HostEvent& e : azimuth)
        if (e.opcode == audioMasterAutomate)
        {
            EXPECT_GE(e.value, last);
            last = e.value;
            ++automations;
        }
    EXPECT_GE(automations, 1);
    EXPECT_GT(last, before);
}

TEST_F(EditorWindow, ClickOnTheSwitchMiddleRowGivesAHalf)
{
    open();
    pumpUntilDone(xdotool(at(33, 102) + " mousedown 1 sleep 0.3 mouseup 1"));
    const auto format = eventsOf(3);
    bool half = false;
    for (const HostEvent& e : format)
        if (e.opcode == audioMasterAutomate && e.value == 0.5f) half = true;
    EXPECT_TRUE(half);
    EXPECT_EQ(effect->getParameter(effect, 3), 0.5f);
}

TEST_F(EditorWindow, WheelStepsAKnob)
{
    open();
    const float before = effect->getParameter(effect, 4);
    pumpUntilDone(xdotool(at(372, 74) + " sleep 0.2 click 5"));
    EXPECT_NE(effect->getParameter(effect, 4), before);
    EXPECT_FALSE(eventsOf(4).empty());
}

TEST_F(EditorWindow, TwentyOpenAndCloseCycles)
{
    for (int i = 0; i < 20; ++i)
    {
        ASSERT_EQ(dispatch(effEditOpen, 0, 0, parent), 1);
        editorOpen = true;
        pump(20);
        ASSERT_NE(editorWindow(), nullptr) << "cycle " << i;
        close();
        pump(10);
        EXPECT_EQ(editorWindow(), nullptr) << "cycle " << i;
        EXPECT_EQ(win::windowClassUsers(), 0) << "cycle " << i;
    }
}

TEST_F(EditorWindow, HostDestroysItsWindowBeforeClosingTheEditor)
{
    open();
    DestroyWindow(parent);
    parent = nullptr;
    EXPECT_FALSE(frame()->getOpenFlag());
    EXPECT_EQ(frame()->getSystemWindow(), nullptr);
    pump(100); // idling a frame without a window does nothing
    close();
    EXPECT_EQ(win::windowClassUsers(), 0);
}

} // namespace
