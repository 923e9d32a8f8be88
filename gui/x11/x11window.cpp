// X11Window: the frame's child window inside the host's window, with a Display connection
// of its own, a pixel surface it is painted from, and its events drained on request.
#include "gui/x11/x11window.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include <X11/Xlib.h>
#include <X11/cursorfont.h>

#include "gui/cdrawcontext.h"
#include "gui/x11/x11input.h"
#include "gui/x11/x11surface.h"

namespace VSTGUI
{

namespace
{

/// Catches the X errors of one Display while it lives, so that a window the host already
/// destroyed costs an ignored error instead of Xlib's default handler ending the process.
/// The process-wide handler is swapped only for the duration and then restored.
class ErrorTrap
{
public:
    explicit ErrorTrap(Display* display) : display(display), outer(active)
    {
        active = this;
        previous = XSetErrorHandler(&ErrorTrap::handle);
    }
    ~ErrorTrap()
    {
        XSync(display, False);
        XSetErrorHandler(previous);
        active = outer;
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    /// True when a request made under this trap failed (waits for the server's answers).
    bool failed()
    {
        XSync(display, False);
        return errors > 0;
    }

private:
    static int handle(Display* d, XErrorEvent* event)
    {
        for (ErrorTrap* trap = active; trap; trap = trap->outer)
        {
            if (trap->display == d)
            {
                ++trap->errors;
                return 0;
            }
        }
        // Not ours: the handler that was in force decides, as if we had never been here.
        ErrorTrap* outermost = active;
        while (outermost && outermost->outer)
            outermost = outermost->outer;
        return outermost && outermost->previous ? outermost->previous(d, event) : 0;
    }

    static inline ErrorTrap* active = nullptr;

    Display* display;
    ErrorTrap* outer;
    int (*previous)(Display*, XErrorEvent*) = nullptr;
    int errors = 0;
};

/// The X cursor font shapes for CCursorType 0..9; 0 means the parent's cursor. Copy shows
/// the default cursor, as on Windows.
constexpr std::array<unsigned int, 10> kCursorShapes = {
    0,
    XC_watch,
    XC_sb_h_double_arrow,
    XC_sb_v_double_arrow,
    XC_fleur,
    XC_bottom_left_corner,
    XC_bottom_right_corner,
    0,
    XC_X_cursor,
    XC_hand2,
};

class X11Window : public PlatformWindow
{
public:
    X11Window(Display* display, Window window, int width, int height, PlatformWindowListener& listener)
        : display(display), window(window), listener(listener)
    {
        gc = XCreateGC(display, window, 0, nullptr);
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, window, &attributes))
        {
            visual = attributes.visual;
            depth = attributes.depth;
        }
        allocateSurface(width, height);
        cursors.fill(0);
    }

    ~X11Window() override
    {
        // A drain still on the stack (the owner let go of us from inside a dispatch) stops.
        for (DrainPass* pass = drainPass; pass; pass = pass->outer)
            pass->windowGone = true;
        {
            ErrorTrap trap(display);
            for (Cursor cursor : cursors)
                if (cursor) XFreeCursor(display, cursor);
            XFreeGC(display, gc);
            if (alive) XDestroyWindow(display, window);
        }
        XCloseDisplay(display);
    }

    std::uintptr_t nativeHandle() const override { return window; }

    void resize(int width, int height) override
    {
        if (width <= 0 || height <= 0) return;
        if (alive)
        {
            ErrorTrap trap(display);
            XResizeWindow(display, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
            noteFailure(trap);
        }
        // Keep what was drawn where the old and new surfaces overlap.
        std::vector<std::uint8_t> old = std::move(pixels);
        const int oldWidth = surfaceWidth;
        const int oldHeight = surfaceHeight;
        allocateSurface(width, height);
        const int rows = std::min(oldHeight, surfaceHeight);
        const size_t bytes = static_cast<size_t>(std::min(oldWidth, surfaceWidth)) * 4;
        for (int y = 0; y < rows; ++y)
            std::memcpy(pixels.data() + static_cast<size_t>(y) * surfaceWidth * 4,
                        old.data() + static_cast<size_t>(y) * oldWidth * 4, bytes);
    }

    void invalidate(const CRect& rect) override
    {
        CRect r(rect);
        r.bound(CRect(0, 0, surfaceWidth, surfaceHeight));
        if (!alive || r.isEmpty()) return;
        // The window has no background, so clearing only asks the server for an Expose event.
        ErrorTrap trap(display);
        XClearArea(display, window, r.left, r.top, static_cast<unsigned>(r.width()),
                   static_cast<unsigned>(r.height()), True);
        noteFailure(trap);
    }

    void drainEvents() override
    {
        DrainPass pass{false, drainPass};
        drainPass = &pass;
        // Only what is queued already: the host's idle must never block.
        while (alive && XPending(display) > 0)
        {
            XEvent event;
            XNextEvent(display, &event);
            dispatch(event);
            if (pass.windowGone) return;
        }
        drainPass = pass.outer;
        if (!alive && !destroyReported)
        {
            destroyReported = true;
            listener.onPlatformDestroyed();
        }
    }

    PixelBuffer getSurface() override
    {
        PixelBuffer buffer;
        buffer.data = pixels.data();
        buffer.width = surfaceWidth;
        buffer.height = surfaceHeight;
        buffer.stride = surfaceWidth * 4;
        return buffer;
    }

    void flush(const CRect& rect) override
    {
        if (!alive || !visual) return;
        ErrorTrap trap(display);
        putPixels(display, window, gc, visual, depth, getSurface(), rect);
        noteFailure(trap);
    }

    long getMouseButtons() override
    {
        long buttons = 0;
        if (alive)
        {
            ErrorTrap trap(display);
            buttons = queryMouseButtons(display, window);
            noteFailure(trap);
        }
        // Presses are handled in the host's idle, often after a quick click was already over:
        // the first reading for such a press reports the press itself, so the click still
        // acts. Later readings are live, and a tracking loop ends at once.
        if (press.unread)
        {
            press.unread = false;
            if (!(buttons & press.button)) return press.buttons;
        }
        return buttons;
    }

    CPoint getPointerPosition() override
    {
        if (!alive) return CPoint(0, 0);
        ErrorTrap trap(display);
        const CPoint where = queryPointerPosition(display, window);
        noteFailure(trap);
        return where;
    }

    void setCursor(int type) override
    {
        if (!alive) return;
        if (type < 0 || type >= static_cast<int>(kCursorShapes.size())) type = 0;
        ErrorTrap trap(display);
        const unsigned int shape = kCursorShapes[static_cast<size_t>(type)];
        if (shape == 0)
        {
            XUndefineCursor(display, window);
        }
        else
        {
            Cursor& cursor = cursors[static_cast<size_t>(type)];
            if (!cursor) cursor = XCreateFontCursor(display, shape);
            XDefineCursor(display, window, cursor);
        }
        noteFailure(trap);
    }

private:
    /// One drainEvents on the stack; they nest when a dispatch pumps idle (a control's drag).
    struct DrainPass
    {
        bool windowGone;
        DrainPass* outer;
    };

    /// The press being dispatched, as its event recorded it.
    struct Press
    {
        long button = 0;  // the pressed button's bit
        long buttons = 0; // that bit with the buttons and modifiers held when it was pressed
        bool unread = false;
    };

    void allocateSurface(int width, int height)
    {
        surfaceWidth = std::max(width, 1);
        surfaceHeight = std::max(height, 1);
        pixels.assign(static_cast<size_t>(surfaceWidth) * surfaceHeight * 4, 0);
    }

    /// A failed request on our own window means the window is gone (its parent went first).
    void noteFailure(ErrorTrap& trap)
    {
        if (trap.failed()) alive = false;
    }

    void dispatch(const XEvent& event)
    {
        switch (event.type)
        {
        case Expose:
        {
            const XExposeEvent& e = event.xexpose;
            listener.onPlatformPaint(CRect(e.x, e.y, e.x + e.width, e.y + e.height));
            break;
        }
        case ButtonPress:
        {
            const XButtonEvent& e = event.xbutton;
            const CPoint where(e.x, e.y);
            switch (e.button)
            {
            case Button1:
            case Button2:
            case Button3:
            {
                const long button = e.button == Button1   ? kMouseLeftButton
                                    : e.button == Button2 ? kMouseMiddleButton
                                                          : kMouseRightButton;
                // The event's state holds what was down before the press, not the press itself.
                press = Press{button, buttonsFromX11State(e.state) | button, true};
                DrainPass* pass = drainPass;
                listener.onPlatformMouseDown(where);
                if (!pass->windowGone) press.unread = false;
                break;
            }
            // Only presses of 4 to 7 are wheel steps; their releases are ignored.
            case 4:
                listener.onPlatformWheel(where, 1, 1.0f);
                break;
            case 5:
                listener.onPlatformWheel(where, 1, -1.0f);
                break;
            case 6:
                listener.onPlatformWheel(where, 0, -1.0f);
                break;
            case 7:
                listener.onPlatformWheel(where, 0, 1.0f);
                break;
            default:
                break;
            }
            break;
        }
        case DestroyNotify:
            if (event.xdestroywindow.window == window) alive = false;
            break;
        default:
            break;
        }
    }

    Display* display;
    Window window;
    PlatformWindowListener& listener;
    GC gc = nullptr;
    Visual* visual = nullptr;
    int depth = 0;
    std::vector<std::uint8_t> pixels;
    int surfaceWidth = 0;
    int surfaceHeight = 0;
    std::array<Cursor, kCursorShapes.size()> cursors{};
    bool alive = true;
    bool destroyReported = false;
    DrainPass* drainPass = nullptr;
    Press press;
};

} // namespace

std::unique_ptr<PlatformWindow> createX11Window(void* parent, int width, int height,
                                                PlatformWindowListener& listener)
{
    if (!parent || width <= 0 || height <= 0) return nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return nullptr;
    const auto parentWindow = static_cast<Window>(reinterpret_cast<std::uintptr_t>(parent));

    Window window = 0;
    {
        ErrorTrap trap(display);
        XWindowAttributes parentAttributes;
        if (XGetWindowAttributes(display, parentWindow, &parentAttributes) && !trap.failed())
        {
            XSetWindowAttributes attributes;
            std::memset(&attributes, 0, sizeof attributes);
            attributes.event_mask =
                ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | StructureNotifyMask;
            attributes.background_pixmap = None;
            window = XCreateWindow(display, parentWindow, 0, 0, static_cast<unsigned>(width),
                                   static_cast<unsigned>(height), 0, CopyFromParent, InputOutput,
                                   CopyFromParent, CWEventMask | CWBackPixmap, &attributes);
            XMapWindow(display, window);
            if (trap.failed()) window = 0;
        }
    }
    if (!window)
    {
        XCloseDisplay(display);
        return nullptr;
    }
    XFlush(display);
    return std::make_unique<X11Window>(display, window, width, height, listener);
}

} // namespace VSTGUI
