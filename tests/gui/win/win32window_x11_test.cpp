// The Windows child window under Wine and a real X server: its private class and the
// class's use count, the messages its window procedure turns into frame events, the swapped
// mouse buttons, OLE and the drop target.
#include <ole2.h>
#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "gui/cdrawcontext.h"
#include "gui/win/gdidevice.h"
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
    bool onPlatformDrag(PlatformDragPhase phase, const std::vector<PlatformDragItem>& items,
                        const CPoint& where) override
    {
        static const char* const names[] = {"enter", "move", "leave", "drop"};
        std::string entry = std::string(names[static_cast<int>(phase)]) + " " + std::to_string(where.x) +
                            "," + std::to_string(where.y);
        for (const PlatformDragItem& item : items)
            entry += " [" + std::to_string(item.type) + ":" + item.data + "]";
        log.push_back(entry);
        return takeDrops;
    }
    bool takeDrops = false;
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
    // The back buffer is a DIB section in a memory DC: drawing contexts blit onto that DC.
    auto* device = static_cast<win::GdiDevice*>(window->getSurfaceDevice());
    ASSERT_NE(device, nullptr);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectA(GetCurrentObject(device->dc, OBJ_BITMAP), sizeof dib, &dib),
              static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmBits, surface.data);
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

TEST_F(Win32WindowTest, AWindowContextHoldsTheWindowsDeviceContextAndGivesEverythingBack)
{
    auto window = win::createWin32Window(parent, 60, 40, recorder);
    ASSERT_NE(window, nullptr);
    auto* device = static_cast<win::GdiDevice*>(window->getSurfaceDevice());
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(win::heldWindowDC(*window), nullptr);
    HGDIOBJ pen = nullptr, brush = nullptr, font = nullptr;
    {
        CDrawContext context(nullptr, window.get());
        HDC held = win::heldWindowDC(*window);
        ASSERT_NE(held, nullptr) << "no device context taken with GetDC";
        EXPECT_EQ(WindowFromDC(held), GetWindow(parent, GW_CHILD));
        EXPECT_EQ(GetBkMode(held), TRANSPARENT);
        {
            CDrawContext nested(nullptr, window.get()); // a paint inside a drag: the same device
            EXPECT_EQ(win::heldWindowDC(*window), held);
        }
        EXPECT_EQ(win::heldWindowDC(*window), held) << "given back while a context still draws";
        context.setFrameColor(kRedCColor);
        context.setFillColor(kBlueCColor);
        context.setFont(kFontBig);
        auto dc = static_cast<HDC>(context.getPort());
        EXPECT_EQ(dc, device->dc) << "a window context draws into the back buffer";
        pen = GetCurrentObject(dc, OBJ_PEN);
        brush = GetCurrentObject(dc, OBJ_BRUSH);
        font = GetCurrentObject(dc, OBJ_FONT);
        context.drawRect(CRect(0, 0, 10, 10), kDrawFilled);
    }
    EXPECT_EQ(win::heldWindowDC(*window), nullptr) << "the window's device context was not released";
    EXPECT_EQ(GetCurrentObject(device->dc, OBJ_PEN), device->originalPen);
    EXPECT_EQ(GetCurrentObject(device->dc, OBJ_BRUSH), device->originalBrush);
    EXPECT_EQ(GetCurrentObject(device->dc, OBJ_FONT), device->originalFont);
    EXPECT_EQ(GetObjectType(pen), 0u);
    EXPECT_EQ(GetObjectType(brush), 0u);
    EXPECT_EQ(GetObjectType(font), 0u);
    // What it drew was shown: the window's own pixels hold the blue square.
    HDC screen = GetDC(GetWindow(parent, GW_CHILD));
    EXPECT_EQ(GetPixel(screen, 5, 5), RGB(0, 0, 255));
    ReleaseDC(GetWindow(parent, GW_CHILD), screen);
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

/// The keys a StateCase holds down, read as GetAsyncKeyState would answer.
int heldKeys[3];
SHORT WINAPI fakeKeyState(int key)
{
    for (int k : heldKeys)
        if (k == key) return static_cast<SHORT>(0x8000);
    return 0;
}

TEST(Win32Buttons, SwappedButtonsExchangeThePhysicalLeftAndRightBits)
{
    struct Case
    {
        UINT message;
        bool swapped;
        long bit;
    };
    const Case cases[] = {
        {WM_LBUTTONDOWN, false, kMouseLeftButton},
        {WM_RBUTTONDOWN, false, kMouseRightButton},
        {WM_MBUTTONDOWN, false, kMouseMiddleButton},
        {WM_LBUTTONDOWN, true, kMouseRightButton},
        {WM_RBUTTONDOWN, true, kMouseLeftButton},
        {WM_MBUTTONDOWN, true, kMouseMiddleButton},
        {WM_MOUSEMOVE, false, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(win::buttonOfMessage(c.message, c.swapped), c.bit) << c.message << " swapped " << c.swapped;

    // The state read while tracking: the keys held are given, the swap is the caller's.
    struct StateCase
    {
        int keys[3];
        bool swapped;
        long expected;
    };
    const StateCase states[] = {
        {{VK_LBUTTON, 0, 0}, false, kMouseLeftButton},
        {{VK_LBUTTON, 0, 0}, true, kMouseRightButton},
        {{VK_RBUTTON, VK_SHIFT, 0}, true, kMouseLeftButton | kModifierShift},
        {{VK_RBUTTON, VK_CONTROL, VK_MENU}, false, kMouseRightButton | kModifierControl | kModifierAlt},
        {{VK_MBUTTON, VK_LBUTTON, VK_RBUTTON},
         true,
         kMouseLeftButton | kMouseMiddleButton | kMouseRightButton},
        {{0, 0, 0}, true, 0},
    };
    for (const StateCase& c : states)
    {
        std::memcpy(heldKeys, c.keys, sizeof heldKeys);
        EXPECT_EQ(win::asyncMouseButtons(c.swapped, fakeKeyState), c.expected)
            << c.keys[0] << " swapped " << c.swapped;
    }
}

TEST_F(Win32WindowTest, WithTheSystemsButtonsSwappedALeftPressIsTheRightButton)
{
    struct Reader : Recorder
    {
        PlatformWindow* window = nullptr;
        std::vector<long> buttons;
        void onPlatformMouseDown(const CPoint&) override { buttons.push_back(window->getMouseButtons()); }
    };
    // The setting is read when the window class is registered, as the system had it then.
    const BOOL wasSwapped = SwapMouseButton(TRUE);
    Reader reader;
    auto window = win::createWin32Window(parent, 60, 60, reader);
    SwapMouseButton(wasSwapped);
    ASSERT_NE(window, nullptr);
    reader.window = window.get();
    HWND child = GetWindow(parent, GW_CHILD);
    SendMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    SendMessageA(child, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(1, 1));
    EXPECT_EQ(reader.buttons, (std::vector<long>{kMouseRightButton, kMouseLeftButton}));
}

/// A data object offering some of: files (CF_HDROP), text (CF_UNICODETEXT), ANSI text (CF_TEXT).
class DataObject final : public IDataObject
{
public:
    std::vector<std::wstring> files;
    std::wstring unicodeText;
    std::string ansiText;
    bool hasUnicode = false, hasAnsi = false;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override
    {
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDataObject))
        {
            *out = static_cast<IDataObject*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on the test's stack, longer than any use.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override
    {
        if (!(format->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
        std::vector<char> bytes;
        if (format->cfFormat == CF_HDROP && !files.empty())
        {
            DROPFILES header{};
            header.pFiles = sizeof header;
            header.fWide = TRUE;
            bytes.assign(reinterpret_cast<char*>(&header), reinterpret_cast<char*>(&header) + sizeof header);
            for (const std::wstring& f : files)
                append(bytes, f.c_str(), (f.size() + 1) * sizeof(wchar_t));
            append(bytes, L"", sizeof(wchar_t));
        }
        else if (format->cfFormat == CF_UNICODETEXT && hasUnicode)
            append(bytes, unicodeText.c_str(), (unicodeText.size() + 1) * sizeof(wchar_t));
        else if (format->cfFormat == CF_TEXT && hasAnsi)
            append(bytes, ansiText.c_str(), ansiText.size() + 1);
        else
            return DV_E_FORMATETC;
        HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        std::memcpy(GlobalLock(global), bytes.data(), bytes.size());
        GlobalUnlock(global);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = global;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

private:
    static void append(std::vector<char>& bytes, const void* data, size_t size)
    {
        bytes.insert(bytes.end(), static_cast<const char*>(data), static_cast<const char*>(data) + size);
    }
};

/// The drop target OLE keeps for a window (RegisterDragDrop stores it as a window property).
IDropTarget* registeredTarget(HWND window)
{
    return static_cast<IDropTarget*>(GetPropA(window, "OleDropTargetInterface"));
}

TEST_F(Win32WindowTest, TheDropTargetTurnsOleDragsIntoTheFramesDragOperations)
{
    auto window = win::createWin32Window(parent, 120, 80, recorder);
    ASSERT_NE(window, nullptr);
    HWND child = GetWindow(parent, GW_CHILD);
    ASSERT_TRUE(window->setDropActive(true)); // what the frame does when it binds
    IDropTarget* target = registeredTarget(child);
    ASSERT_NE(target, nullptr) << "no drop target registered for the window";
    RECT screen{};
    GetWindowRect(child, &screen);

    struct Case
    {
        const char* name;
        DataObject data;
        bool take;
        std::string items;
        DWORD effect;
    };
    std::vector<Case> cases(5);
    cases[0] = {"two files", {}, false, " [0:C:\\a.wav] [0:C:\\b\\\xc3\xa9t\xc3\xa9.wav]", DROPEFFECT_NONE};
    cases[0].data.files = {L"C:\\a.wav", L"C:\\b\\\u00e9t\u00e9.wav"};
    cases[1] = {"unicode text", {}, true, " [1:h\xc3\xa9llo]", DROPEFFECT_COPY};
    cases[1].data.unicodeText = L"h\u00e9llo";
    cases[1].data.hasUnicode = true;
    cases[2] = {"ANSI text only", {}, true, " [1:plain]", DROPEFFECT_COPY};
    cases[2].data.ansiText = "plain";
    cases[2].data.hasAnsi = true;
    cases[3] = {"files before text", {}, false, " [0:C:\\x]", DROPEFFECT_NONE};
    cases[3].data.files = {L"C:\\x"};
    cases[3].data.unicodeText = L"ignored";
    cases[3].data.hasUnicode = true;
    cases[4] = {"nothing known", {}, false, " [-1:]", DROPEFFECT_NONE};

    for (Case& c : cases)
    {
        recorder.log.clear();
        recorder.takeDrops = c.take;
        DWORD effect = DROPEFFECT_COPY;
        const POINTL at{screen.left + 5, screen.top + 6}, later{screen.left + 7, screen.top + 8};
        EXPECT_EQ(target->DragEnter(&c.data, MK_LBUTTON, at, &effect), S_OK);
        EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE)) << c.name;
        EXPECT_EQ(target->DragOver(MK_LBUTTON, later, &effect), S_OK);
        EXPECT_EQ(target->DragLeave(), S_OK);
        EXPECT_EQ(target->DragEnter(&c.data, MK_LBUTTON, at, &effect), S_OK);
        effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        EXPECT_EQ(target->Drop(&c.data, 0, later, &effect), S_OK);
        EXPECT_EQ(effect, c.effect) << c.name;
        const std::vector<std::string> expected = {"enter 5,6" + c.items, "move 7,8" + c.items,
                                                   "leave 0,0" + c.items, "enter 5,6" + c.items,
                                                   "drop 7,8" + c.items};
        EXPECT_EQ(recorder.log, expected) << c.name;
    }

    // Switched off, and when the host destroys the window, the target is gone.
    EXPECT_TRUE(window->setDropActive(false));
    EXPECT_EQ(registeredTarget(child), nullptr);
    EXPECT_TRUE(window->setDropActive(true));
    EXPECT_NE(registeredTarget(child), nullptr);
    DestroyWindow(parent);
    parent = nullptr;
    EXPECT_EQ(GetPropA(child, "OleDropTargetInterface"), nullptr);
}

TEST_F(Win32WindowTest, EachWindowInitialisesOleForItsThreadAndUninitialisesIt)
{
    // On a thread of its own, which nothing else initialised: a window there can register a
    // drop target, and after it OLE is as before (a first initialisation answers S_OK again).
    HRESULT afterwards = E_FAIL;
    bool registered = false;
    std::thread(
        [&]
        {
            HWND owner = createParent();
            {
                auto window = win::createWin32Window(owner, 40, 40, recorder);
                registered = window && window->setDropActive(true) &&
                             registeredTarget(GetWindow(owner, GW_CHILD)) != nullptr;
            }
            DestroyWindow(owner);
            afterwards = OleInitialize(nullptr);
            if (SUCCEEDED(afterwards)) OleUninitialize();
        })
        .join();
    EXPECT_TRUE(registered);
    EXPECT_EQ(afterwards, S_OK) << "OLE left initialised by the window";
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
