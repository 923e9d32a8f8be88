// Win32Window: a child window of a private class, its window procedure, a DIB-section back
// buffer, the mouse state, the cursor and an OLE drop target.
#include "gui/win/win32window.h"

#include <ole2.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gui/cdrawcontext.h"
#include "gui/win/blendfunctions.h"
#include "gui/win/gdidevice.h"

namespace VSTGUI::win
{

namespace
{

// Process-wide, touched on the GUI thread only.
struct WindowClass
{
    int users = 0;
    bool swapButtons = false;
    char name[32] = {};
};

WindowClass& windowClass()
{
    static WindowClass instance;
    return instance;
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

bool registerWindowClass()
{
    WindowClass& wc = windowClass();
    if (wc.users++ > 0) return true;
    std::snprintf(wc.name, sizeof wc.name, "Plugin%p", static_cast<void*>(ownModule()));
    WNDCLASSA info{};
    info.style = CS_GLOBALCLASS;
    info.lpfnWndProc = windowProc;
    info.hInstance = ownModule();
    info.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    info.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    info.lpszClassName = wc.name;
    wc.swapButtons = GetSystemMetrics(SM_SWAPBUTTON) > 0;
    if (RegisterClassA(&info)) return true;
    wc.users = 0;
    return false;
}

void unregisterWindowClass()
{
    WindowClass& wc = windowClass();
    if (wc.users == 0 || --wc.users > 0) return;
    UnregisterClassA(wc.name, ownModule());
}

std::string narrow(const wchar_t* text, int length = -1)
{
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), bytes, nullptr, nullptr);
    if (length < 0 && !out.empty()) out.pop_back(); // the terminator
    return out;
}

/// Files and text of an OLE data object, as the toolkit's drag items.
std::vector<PlatformDragItem> dragItemsOf(IDataObject* data)
{
    std::vector<PlatformDragItem> items;
    if (!data) return items;
    FORMATETC files{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (data->GetData(&files, &medium) == S_OK)
    {
        if (auto drop = static_cast<HDROP>(GlobalLock(medium.hGlobal)))
        {
            const UINT count = DragQueryFileW(drop, 0xffffffff, nullptr, 0);
            for (UINT i = 0; i < count; ++i)
            {
                std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
                DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size()));
                items.push_back(PlatformDragItem{0, narrow(path.c_str())});
            }
            GlobalUnlock(medium.hGlobal);
        }
        ReleaseStgMedium(&medium);
        return items;
    }
    FORMATETC text{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (data->GetData(&text, &medium) == S_OK)
    {
        if (auto chars = static_cast<const wchar_t*>(GlobalLock(medium.hGlobal)))
        {
            items.push_back(PlatformDragItem{1, narrow(chars)});
            GlobalUnlock(medium.hGlobal);
        }
        ReleaseStgMedium(&medium);
        return items;
    }
    // Older programs offer text in the ANSI code page only.
    text.cfFormat = CF_TEXT;
    if (data->GetData(&text, &medium) == S_OK)
    {
        if (auto chars = static_cast<const char*>(GlobalLock(medium.hGlobal)))
        {
            const size_t length = strnlen(chars, GlobalSize(medium.hGlobal));
            const int count = MultiByteToWideChar(CP_ACP, 0, chars, static_cast<int>(length), nullptr, 0);
            std::wstring wide(static_cast<size_t>(std::max(count, 0)), L'\0');
            if (count > 0)
                MultiByteToWideChar(CP_ACP, 0, chars, static_cast<int>(length), wide.data(), count);
            items.push_back(PlatformDragItem{1, narrow(wide.c_str())});
            GlobalUnlock(medium.hGlobal);
        }
        ReleaseStgMedium(&medium);
        return items;
    }
    items.push_back(PlatformDragItem{-1, {}});
    return items;
}

/// The OLE drop target: entering, moving, leaving and dropping, in that order, become the
/// frame's drag operations. Nothing in this editor takes a drop, so the effect is "none"
/// unless the frame says otherwise.
class DropTarget final : public IDropTarget
{
public:
    DropTarget(HWND window, PlatformWindowListener& listener) : window(window), listener(listener) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override
    {
        if (!out) return E_POINTER;
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropTarget))
        {
            *out = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const long left = --references;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL at, DWORD* effect) override
    {
        items = dragItemsOf(data);
        listener.onPlatformDrag(PlatformDragPhase::Enter, items, local(at));
        if (effect) *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL at, DWORD* effect) override
    {
        listener.onPlatformDrag(PlatformDragPhase::Move, items, local(at));
        if (effect) *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override
    {
        listener.onPlatformDrag(PlatformDragPhase::Leave, items, CPoint(0, 0));
        items.clear();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL at, DWORD* effect) override
    {
        items = dragItemsOf(data);
        const bool taken = listener.onPlatformDrag(PlatformDragPhase::Drop, items, local(at));
        if (effect) *effect = taken ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        items.clear();
        return S_OK;
    }

private:
    ~DropTarget() = default;

    CPoint local(POINTL at) const
    {
        POINT p{at.x, at.y};
        ScreenToClient(window, &p);
        return CPoint(p.x, p.y);
    }

    HWND window;
    PlatformWindowListener& listener;
    long references = 1;
    std::vector<PlatformDragItem> items;
};

class Window final : public PlatformWindow
{
public:
    Window(PlatformWindowListener& listener) : listener(listener) {}

    /// The binding, in order: OLE, the blending entry points, the class, the window, its back buffer.
    bool create(HWND parent, int width, int height)
    {
        oleReady = SUCCEEDED(OleInitialize(nullptr));
        acquireBlendFunctions();
        blendAcquired = true;
        if (!registerWindowClass()) return false;
        classRegistered = true;
        hwnd = CreateWindowExA(0, windowClassName(), "Window",
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, width, height,
                               parent, nullptr, ownModule(), nullptr);
        if (!hwnd) return false;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        return backBuffer.create(width, height);
    }

    /// Teardown in the frame's order: drop target, OLE, back buffer, blending library, the
    /// window (its user data cleared first, so no message reaches a half-destroyed object), the class.
    ~Window() override
    {
        markGone();
        setDropActive(false);
        if (oleReady) OleUninitialize();
        giveBackWindowDC();
        backBuffer.release();
        if (blendAcquired) releaseBlendFunctions();
        if (hwnd)
        {
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            if (IsWindow(hwnd)) DestroyWindow(hwnd);
        }
        if (classRegistered) unregisterWindowClass();
    }

    void resize(int width, int height) override
    {
        if (width <= 0 || height <= 0) return;
        if (hwnd)
            SetWindowPos(hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        // Keep what was drawn where the old and new buffers overlap.
        const PixelBuffer old = getSurface();
        std::vector<std::uint8_t> kept;
        if (old.isValid()) kept.assign(old.data, old.data + static_cast<size_t>(old.stride) * old.height);
        const int oldWidth = old.width, oldHeight = old.height;
        backBuffer.create(width, height);
        const PixelBuffer now = getSurface();
        if (!now.isValid() || kept.empty()) return;
        const int rows = std::min(oldHeight, now.height);
        const size_t bytes = static_cast<size_t>(std::min(oldWidth, now.width)) * 4;
        for (int y = 0; y < rows; ++y)
            std::memcpy(now.pixel(0, y), kept.data() + static_cast<size_t>(y) * oldWidth * 4, bytes);
    }

    /// The walk: each window above ours, up to and including the top-level one, grows by the
    /// change in our size; it stops at an MDI client, whose children the host arranges itself.
    void resizeWithHost(int width, int height) override
    {
        RECT before{};
        if (!hwnd || width <= 0 || height <= 0 || !GetClientRect(hwnd, &before)) return resize(width, height);
        const int dx = width - before.right, dy = height - before.bottom;
        resize(width, height);
        for (HWND w = GetParent(hwnd); w && (dx || dy);
             w = (GetWindowLongA(w, GWL_STYLE) & WS_CHILD) ? GetParent(w) : nullptr)
        {
            char name[16] = {};
            GetClassNameA(w, name, sizeof name);
            if (lstrcmpiA(name, "MDIClient") == 0) break;
            RECT r{};
            GetWindowRect(w, &r);
            SetWindowPos(w, nullptr, 0, 0, r.right - r.left + dx, r.bottom - r.top + dy,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }

    void invalidate(const CRect& rect) override
    {
        if (!hwnd) return;
        RECT r{rect.left, rect.top, rect.right, rect.bottom};
        InvalidateRect(hwnd, &r, FALSE);
    }

    /// Windows delivers clicks and wheel through the host's message loop; what the toolkit
    /// asks for while it holds the thread (a control tracking the mouse) is the paint the
    /// system has pending: one WM_PAINT of the thread's windows, taken and dispatched.
    void drainEvents() override
    {
        MSG message;
        if (PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&message);
    }

    PixelBuffer getSurface() override { return backBuffer.pixels(); }
    void* getSurfaceDevice() override { return backBuffer.isValid() ? &backBuffer : nullptr; }

    void flush(const CRect& rect) override
    {
        if (!hwnd || !backBuffer.isValid()) return;
        CRect area(rect);
        area.bound(CRect(0, 0, backBuffer.width, backBuffer.height));
        if (area.isEmpty()) return;
        // A paint has its own device; otherwise the one the drawing contexts hold (a flush
        // outside any context takes the window's device just for the copy).
        HDC target = paintDC ? paintDC : windowDC ? windowDC : GetDC(hwnd);
        if (!target) return;
        // The back buffer's DC may carry a drawing context's clip: the copy reads, it is not clipped.
        BitBlt(target, area.left, area.top, area.width(), area.height(), backBuffer.dc, area.left, area.top,
               SRCCOPY);
        if (target != paintDC && target != windowDC) ReleaseDC(hwnd, target);
    }

    /// A drawing context made outside a paint takes the window's device context, with text
    /// drawn on a transparent background, and the last one to end gives it back.
    void beginDrawing() override
    {
        if (drawingContexts++ > 0 || windowDC || paintDC || !hwnd) return;
        windowDC = GetDC(hwnd);
        windowDCOwner = hwnd;
        if (windowDC) SetBkMode(windowDC, TRANSPARENT);
    }
    void endDrawing() override
    {
        if (drawingContexts > 0 && --drawingContexts == 0) giveBackWindowDC();
    }
    HDC heldWindowDC() const { return windowDC; }

    long getMouseButtons() override
    {
        long buttons = asyncMouseButtons(windowClass().swapButtons);
        // A press handled after its release (a quick click, or a busy host) still acts as the
        // click it was: the first reading after it reports the press; later readings are live.
        if (press.unread)
        {
            press.unread = false;
            if (!(buttons & press.button)) return press.buttons | (buttons & ~kMouseButtonsMask);
        }
        return buttons;
    }

    CPoint getPointerPosition() override
    {
        POINT cursor{};
        RECT window{};
        if (!hwnd || !GetCursorPos(&cursor) || !GetWindowRect(hwnd, &window)) return CPoint(0, 0);
        return CPoint(cursor.x - window.left, cursor.y - window.top);
    }

    void setCursor(int type) override
    {
        // The cursor in force when the frame first changed it comes back for "default" and "copy".
        static constexpr int kShapes[10] = {0, 32514, 32644, 32645, 32646, 32643, 32642, 0, 32648, 32649};
        if (!savedDefault)
        {
            defaultCursor = GetCursor();
            savedDefault = true;
        }
        if (type < 0 || type > 9) type = 0;
        if (kShapes[type] == 0)
            SetCursor(defaultCursor);
        else
            SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(kShapes[type])));
    }

    bool setDropActive(bool active) override
    {
        if (!hwnd) return false;
        if (dropTarget)
        {
            RevokeDragDrop(hwnd);
            dropTarget->Release();
            dropTarget = nullptr;
        }
        if (!active) return true;
        dropTarget = new DropTarget(hwnd, listener);
        if (RegisterDragDrop(hwnd, dropTarget) != S_OK)
        {
            dropTarget->Release();
            dropTarget = nullptr;
            return false;
        }
        return true;
    }

    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam)
    {
        switch (message)
        {
        case WM_PAINT:
        {
            RECT update;
            if (GetUpdateRect(hwnd, &update, FALSE))
            {
                PAINTSTRUCT paint;
                paintDC = BeginPaint(hwnd, &paint);
                const HWND self = hwnd;
                if (!dispatch(
                        [&] {
                            listener.onPlatformPaint(
                                CRect(update.left, update.top, update.right, update.bottom));
                        }))
                {
                    EndPaint(self, &paint);
                    return 0;
                }
                paintDC = nullptr;
                EndPaint(hwnd, &paint);
            }
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        {
            const long button = buttonOfMessage(message, windowClass().swapButtons);
            press = Press{button, button | modifiersOf(wParam), true};
            const CPoint where(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
            if (dispatch([&] { listener.onPlatformMouseDown(where); })) press.unread = false;
            return 0;
        }
        case WM_MOUSEWHEEL:
        {
            // One notch is 120; the position comes in screen coordinates.
            const float distance = static_cast<float>(static_cast<short>(HIWORD(wParam))) / WHEEL_DELTA;
            POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ScreenToClient(hwnd, &at);
            if (!dispatch([&] { listener.onPlatformWheel(CPoint(at.x, at.y), 1, distance); })) return 0;
            break;
        }
        case WM_DESTROY:
            // The host destroyed its window first: OLE must let go of ours while it still exists.
            setDropActive(false);
            giveBackWindowDC();
            listener.onPlatformDestroyed();
            break;
        case WM_NCDESTROY:
        {
            const HWND old = hwnd;
            hwnd = nullptr;
            return DefWindowProcA(old, message, wParam, lParam);
        }
        default:
            break;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }

    /// The frame may let go of us inside a dispatch (a host closing the editor from a drag):
    /// the message handler still on the stack must then touch nothing of this object.
    void markGone()
    {
        for (Dispatch* d = dispatching; d; d = d->outer)
            d->windowGone = true;
    }

private:
    static constexpr long kMouseButtonsMask = kMouseLeftButton | kMouseMiddleButton | kMouseRightButton;

    /// One message being handed to the listener; they nest (a paint inside a drag).
    struct Dispatch
    {
        bool windowGone;
        Dispatch* outer;
    };

    /// Runs `call`; false when this object was destroyed meanwhile (touch nothing of it then).
    template <typename Call> bool dispatch(Call call)
    {
        Dispatch d{false, dispatching};
        dispatching = &d;
        call();
        if (d.windowGone) return false;
        dispatching = d.outer;
        return true;
    }

    struct Press
    {
        long button = 0;
        long buttons = 0;
        bool unread = false;
    };

    static long modifiersOf(WPARAM wParam)
    {
        long modifiers = 0;
        if (wParam & MK_SHIFT) modifiers |= kModifierShift;
        if (wParam & MK_CONTROL) modifiers |= kModifierControl;
        if (GetAsyncKeyState(VK_MENU) < 0) modifiers |= kModifierAlt;
        return modifiers;
    }

    void giveBackWindowDC()
    {
        if (windowDC) ReleaseDC(windowDCOwner, windowDC);
        windowDC = nullptr;
        windowDCOwner = nullptr;
    }

    PlatformWindowListener& listener;
    HWND hwnd = nullptr;
    bool oleReady = false;
    bool blendAcquired = false;
    bool classRegistered = false;
    /// The back buffer: what the frame draws, copied to the window by flush.
    GdiDevice backBuffer;
    HDC paintDC = nullptr;
    /// The window's device context while drawing contexts are alive (GetDC), and how many are.
    HDC windowDC = nullptr;
    HWND windowDCOwner = nullptr;
    int drawingContexts = 0;
    HCURSOR defaultCursor = nullptr;
    bool savedDefault = false;
    DropTarget* dropTarget = nullptr;
    Press press;
    Dispatch* dispatching = nullptr;
};

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* window = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!window) return DefWindowProcA(hwnd, message, wParam, lParam);
    return window->handle(message, wParam, lParam);
}

} // namespace

HDC heldWindowDC(PlatformWindow& window)
{
    auto* own = dynamic_cast<Window*>(&window);
    return own ? own->heldWindowDC() : nullptr;
}

const char* windowClassName()
{
    return windowClass().name;
}

int windowClassUsers()
{
    return windowClass().users;
}

long buttonOfMessage(UINT message, bool swapped)
{
    // The message names the physical button; the toolkit's bits follow the swap setting.
    switch (message)
    {
    case WM_LBUTTONDOWN:
        return swapped ? kMouseRightButton : kMouseLeftButton;
    case WM_RBUTTONDOWN:
        return swapped ? kMouseLeftButton : kMouseRightButton;
    case WM_MBUTTONDOWN:
        return kMouseMiddleButton;
    default:
        return 0;
    }
}

long asyncMouseButtons(bool swapped, KeyStateFunction keyState)
{
    // GetAsyncKeyState's VK_LBUTTON and VK_RBUTTON are the physical buttons.
    long buttons = 0;
    const bool left = keyState(VK_LBUTTON) < 0, right = keyState(VK_RBUTTON) < 0;
    if (swapped ? right : left) buttons |= kMouseLeftButton;
    if (swapped ? left : right) buttons |= kMouseRightButton;
    if (keyState(VK_MBUTTON) < 0) buttons |= kMouseMiddleButton;
    if (keyState(VK_SHIFT) < 0) buttons |= kModifierShift;
    if (keyState(VK_CONTROL) < 0) buttons |= kModifierControl;
    if (keyState(VK_MENU) < 0) buttons |= kModifierAlt;
    return buttons;
}

std::unique_ptr<PlatformWindow> createWin32Window(void* parent, int width, int height,
                                                  PlatformWindowListener& listener)
{
    if (!parent || width <= 0 || height <= 0 || !IsWindow(static_cast<HWND>(parent))) return nullptr;
    auto window = std::make_unique<Window>(listener);
    if (!window->create(static_cast<HWND>(parent), width, height)) return nullptr;
    return window;
}

} // namespace VSTGUI::win
