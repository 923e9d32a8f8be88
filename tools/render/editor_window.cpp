// A host's side of the editor on Linux: our own Display connection and top-level
// window, the plug-in's window id passed to effEditOpen, and effEditIdle on a timer.
#include "tools/render/editor_window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "plugin/aeffect.h"
#include "tools/render/editor_snapshot.h"
#include "tools/render/options.h"
#include "tools/render/plugin_host.h"
#include "tools/render/units.h"

namespace sorvelt::render
{

namespace
{

std::atomic<bool> windowRunning{false};
std::atomic<bool> stopRequested{false};

bool captureFailed = false;

extern "C" int noteCaptureError(Display*, XErrorEvent*)
{
    captureFailed = true;
    return 0;
}

extern "C" void requestStop(int)
{
    stopRequested.store(true);
}

intptr_t dispatch(AEffect* effect, int32_t opcode, intptr_t value = 0, void* ptr = nullptr)
{
    return effect->dispatcher(effect, opcode, 0, value, ptr, 0.0f);
}

int componentShift(unsigned long mask)
{
    int shift = 0;
    while (mask && !(mask & 1))
    {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

int componentWidth(unsigned long mask)
{
    mask >>= componentShift(mask);
    int bits = 0;
    while (mask & 1)
    {
        mask >>= 1;
        ++bits;
    }
    return bits;
}

/// One channel scaled to 8 bits, whatever the visual's depth gives it.
uint8_t component(unsigned long pixel, unsigned long mask)
{
    const int bits = componentWidth(mask);
    if (bits == 0) return 0;
    const unsigned long v = (pixel & mask) >> componentShift(mask);
    if (bits >= 8) return static_cast<uint8_t>(v >> (bits - 8));
    return static_cast<uint8_t>((v * 255) / ((1ul << bits) - 1));
}

} // namespace

struct EditorHostWindow::Private
{
    Display* display = nullptr;
    Atom deleteWindow = 0;
    bool closed = false;
};

std::unique_ptr<EditorHostWindow> EditorHostWindow::open(AEffect* effect, Kind kind, std::string& error)
{
    if (!effect || !(effect->flags & effFlagsHasEditor))
    {
        error = "the plug-in has no editor";
        return nullptr;
    }
    ERect* rect = nullptr;
    if (dispatch(effect, effEditGetRect, 0, &rect) == 0 || !rect)
    {
        error = "the plug-in did not report its editor size";
        return nullptr;
    }
    const int width = rect->right - rect->left;
    const int height = rect->bottom - rect->top;
    if (width <= 0 || height <= 0)
    {
        error = "the plug-in reported an empty editor (" + std::to_string(width) + " x " +
                std::to_string(height) + ")";
        return nullptr;
    }

    auto x = std::make_unique<Private>();
    x->display = XOpenDisplay(nullptr);
    if (!x->display)
    {
        const char* name = std::getenv("DISPLAY");
        error = std::string("cannot open the X display ") + (name && *name ? name : "(DISPLAY is not set)") +
                "; run under a desktop session or xvfb-run";
        return nullptr;
    }

    std::unique_ptr<EditorHostWindow> host(new EditorHostWindow(effect, std::move(x)));
    Display* display = host->x->display;
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.event_mask = StructureNotifyMask;
    attributes.override_redirect = kind == Kind::Undecorated ? True : False;
    host->window = XCreateWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                                 static_cast<unsigned>(height), 0, CopyFromParent, InputOutput,
                                 CopyFromParent, CWBackPixel | CWEventMask | CWOverrideRedirect, &attributes);
    host->editorWidth = width;
    host->editorHeight = height;

    XStoreName(display, host->window, "Sorvelt");
    XClassHint classHint{const_cast<char*>("sorvelt-render"), const_cast<char*>("Sorvelt")};
    XSetClassHint(display, host->window, &classHint);
    // The editor has one fixed size; tell the window manager so it offers no resizing.
    XSizeHints* hints = XAllocSizeHints();
    hints->flags = PMinSize | PMaxSize;
    hints->min_width = hints->max_width = width;
    hints->min_height = hints->max_height = height;
    XSetWMNormalHints(display, host->window, hints);
    XFree(hints);
    host->x->deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, host->window, &host->x->deleteWindow, 1);

    XMapRaised(display, host->window);
    // The plug-in talks to the server through a connection of its own: the window
    // must exist on the server before its id is handed over.
    XEvent event;
    do
        XWindowEvent(display, host->window, StructureNotifyMask, &event);
    while (event.type != MapNotify);
    XSync(display, False);

    void* parent = reinterpret_cast<void*>(static_cast<uintptr_t>(host->window));
    if (dispatch(effect, effEditOpen, 0, parent) == 0)
    {
        error = "the plug-in's editor did not open";
        return nullptr;
    }
    host->editorOpen = true;
    return host;
}

EditorHostWindow::EditorHostWindow(AEffect* effect, std::unique_ptr<Private> x)
    : effect(effect), x(std::move(x))
{
}

EditorHostWindow::~EditorHostWindow()
{
    // The editor goes first, while its parent window still exists, as a polite host does.
    if (editorOpen) dispatch(effect, effEditClose);
    if (x->display)
    {
        if (window && !x->closed) XDestroyWindow(x->display, window);
        XCloseDisplay(x->display);
    }
}

bool EditorHostWindow::pumpEvents()
{
    while (!x->closed && XPending(x->display) > 0)
    {
        XEvent event;
        XNextEvent(x->display, &event);
        if (event.type == ClientMessage && event.xclient.window == window &&
            static_cast<Atom>(event.xclient.data.l[0]) == x->deleteWindow)
        {
            // Close the editor before the window goes, then let the window go.
            if (editorOpen)
            {
                dispatch(effect, effEditClose);
                editorOpen = false;
            }
            XDestroyWindow(x->display, window);
            XSync(x->display, False);
            x->closed = true;
        }
        else if (event.type == DestroyNotify && event.xdestroywindow.window == window)
        {
            x->closed = true;
        }
    }
    return !x->closed;
}

void EditorHostWindow::idleEditor()
{
    if (editorOpen) dispatch(effect, effEditIdle);
}

bool EditorHostWindow::capture(RgbImage& image, std::string& error)
{
    // A window partly off the screen makes the server refuse; that must be an error
    // message, not Xlib's default handler ending the process.
    XSync(x->display, False);
    captureFailed = false;
    XErrorHandler previous = XSetErrorHandler(noteCaptureError);
    XImage* shot = XGetImage(x->display, window, 0, 0, static_cast<unsigned>(editorWidth),
                             static_cast<unsigned>(editorHeight), AllPlanes, ZPixmap);
    XSync(x->display, False);
    XSetErrorHandler(previous);
    if (shot && captureFailed)
    {
        XDestroyImage(shot);
        shot = nullptr;
    }
    if (!shot)
    {
        error = "the X server did not hand out the window's pixels (is the whole window on the screen?)";
        return false;
    }
    image.width = editorWidth;
    image.height = editorHeight;
    image.pixels.resize(static_cast<size_t>(editorWidth) * editorHeight * 3);
    uint8_t* out = image.pixels.data();
    for (int row = 0; row < editorHeight; ++row)
        for (int column = 0; column < editorWidth; ++column)
        {
            const unsigned long pixel = XGetPixel(shot, column, row);
            *out++ = component(pixel, shot->red_mask);
            *out++ = component(pixel, shot->green_mask);
            *out++ = component(pixel, shot->blue_mask);
        }
    XDestroyImage(shot);
    return true;
}

int runEditorWindow(AEffect* effect)
{
    std::string error;
    auto host = EditorHostWindow::open(effect, EditorHostWindow::Kind::Interactive, error);
    if (!host)
    {
        std::fprintf(stderr, "sorvelt-render: %s\n", error.c_str());
        return 1;
    }
    stopRequested.store(false);
    auto previousInt = std::signal(SIGINT, requestStop);
    auto previousTerm = std::signal(SIGTERM, requestStop);
    std::printf("editor open in window 0x%lx (%d x %d); close the window to quit\n", host->windowId(),
                host->width(), host->height());
    std::fflush(stdout);

    windowRunning.store(true);
    constexpr auto kIdleInterval = std::chrono::milliseconds(20);
    auto next = std::chrono::steady_clock::now();
    while (!stopRequested.load() && host->pumpEvents())
    {
        host->idleEditor();
        next += kIdleInterval;
        const auto now = std::chrono::steady_clock::now();
        if (next < now) next = now; // an editor that held us up (a long drag) does not earn a burst of idles
        std::this_thread::sleep_until(next);
    }
    windowRunning.store(false);
    host.reset();

    std::signal(SIGINT, previousInt);
    std::signal(SIGTERM, previousTerm);
    std::printf("editor closed\n");
    std::fflush(stdout);
    return 0;
}

int runEditorJob(const RenderOptions& options, const std::string& pluginPath, std::FILE* out, std::FILE* err)
{
    constexpr int kDefaultBlock = 512;
    constexpr float kDefaultRate = 48000.0f;
    std::string error;
    auto host = PluginHost::load(pluginPath,
                                 options.sampleRate ? static_cast<float>(*options.sampleRate) : kDefaultRate,
                                 options.blockSize > 0 ? options.blockSize : kDefaultBlock, error);
    if (!host)
    {
        std::fprintf(err, "sorvelt-render: %s\n", error.c_str());
        return 1;
    }
    host->open();
    // Only what the options name; a window opened without options shows the plug-in's own defaults.
    if (options.azimuth.start) host->setParameter(0, azimuthToNormalized(*options.azimuth.start));
    if (options.elevation.start) host->setParameter(1, elevationToNormalized(*options.elevation.start));
    if (options.width.start) host->setParameter(2, widthToNormalized(*options.width.start));
    if (options.format) host->setParameter(3, formatToNormalized(*options.format));
    if (options.gain != 1.0f) host->setParameter(4, options.gain);
    std::fflush(out);
    return options.gui ? runEditorWindow(&host->record())
                       : writeEditorSnapshot(&host->record(), options.snapshot);
}

bool reportEditorEvent(int32_t opcode, int32_t index, float opt)
{
    if (!windowRunning.load()) return false;
    switch (opcode)
    {
    case audioMasterAutomate:
        std::printf("automate %d %f\n", index, static_cast<double>(opt));
        break;
    case audioMasterBeginEdit:
        std::printf("beginEdit %d\n", index);
        break;
    case audioMasterEndEdit:
        std::printf("endEdit %d\n", index);
        break;
    default:
        return false;
    }
    std::fflush(stdout);
    return true;
}

} // namespace sorvelt::render

#if defined(__SANITIZE_ADDRESS__)
// A plug-in's text drawing leaves cairo's font faces and their fontconfig patterns in
// process-wide caches that live until exit; a host sees them as leaks of its own. They
// are not ours to free, so sanitizer builds of this host tell the leak checker so.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
#endif
