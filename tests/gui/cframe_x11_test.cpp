// CFrame in a real X11 window: a small test host makes a top-level window, the frame opens
// inside it, exposure paints it, xdotool clicks and scrolls reach the views, frames come and
// go (also after the host destroyed its window, or closed the editor during a drag) without
// errors or leaks.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "gui/ccontrol.h"
#include "gui/cframe.h"
#include "gui/coffscreencontext.h"
#include "gui/cverticalswitch.h"
#include "gui/cviewcontainer.h"
#include "plugin/aeffguieditor.h"
#include "plugin/audioeffectx.h"
#include "tests/gui/view_harness.h"

using namespace VSTGUI;
using sorvelt_test::ProbeView;

namespace
{

constexpr int kWidth = 420;
constexpr int kHeight = 200;

/// The host's side: its own connection and a top-level window the plug-in window goes into.
class TestHost
{
public:
    TestHost()
    {
        const char* name = std::getenv("DISPLAY");
        if (!name || !*name)
        {
            error = "DISPLAY is not set: these tests need an X server (the test command starts Xvfb)";
            return;
        }
        // An X server without -noreset refuses connections for a moment after its last client
        // left (the previous test program): try again briefly before giving up.
        for (int attempt = 0; attempt < 40 && !display; ++attempt)
        {
            display = XOpenDisplay(name);
            if (!display) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (!display) error = std::string("cannot open display ") + name;
    }
    ~TestHost()
    {
        if (display) XCloseDisplay(display);
    }

    /// A mapped top-level window, waited for until the server has shown it.
    Window openWindow(bool map = true, int x = 0, int y = 0)
    {
        const int screen = DefaultScreen(display);
        Window window = XCreateSimpleWindow(display, RootWindow(display, screen), x, y, kWidth, kHeight, 0, 0,
                                            WhitePixel(display, screen));
        XSelectInput(display, window, StructureNotifyMask);
        if (map) mapAndWait(window);
        XSync(display, False);
        return window;
    }
    void mapAndWait(Window window)
    {
        XMapWindow(display, window);
        XEvent event;
        do
            XWindowEvent(display, window, StructureNotifyMask, &event);
        while (event.type != MapNotify);
    }
    void destroyWindow(Window window)
    {
        XDestroyWindow(display, window);
        XSync(display, False);
    }
    /// The one child our frame made inside `parent`.
    Window childOf(Window parent)
    {
        Window root = 0, up = 0, *children = nullptr;
        unsigned int count = 0;
        Window child = 0;
        if (XQueryTree(display, parent, &root, &up, &children, &count) && count > 0)
            child = children[count - 1];
        if (children) XFree(children);
        return child;
    }
    /// The colour of every pixel of `window` as the screen shows it, 0xRRGGBB.
    std::vector<std::uint32_t> readPixels(Window window)
    {
        std::vector<std::uint32_t> pixels;
        XImage* image = XGetImage(display, window, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
        if (!image) return pixels;
        pixels.reserve(kWidth * kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xffffffu);
        XDestroyImage(image);
        return pixels;
    }

    Display* display = nullptr;
    std::string error;
};

void* asParent(Window window)
{
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window));
}

/// Idles the frame as a host would until `done` holds (or two seconds pass).
bool idleUntil(CFrame& frame, const std::function<bool()>& done)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < end)
    {
        frame.idle();
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

int xdotool(const std::string& arguments)
{
    return std::system(("xdotool " + arguments).c_str());
}

/// A frame over grey with a blue container at (100,50) holding a red view at (20,30,80,80).
struct Editor
{
    explicit Editor(Window parent)
    {
        frame = new CFrame(CRect(0, 0, kWidth, kHeight), asParent(parent), nullptr);
        frame->setBackgroundColor(kGreyCColor);
        container = new CViewContainer(CRect(100, 50, 300, 150), frame);
        container->setBackgroundColor(kBlueCColor);
        frame->addView(container);
        view = new ProbeView(CRect(20, 30, 80, 80), kRedCColor);
        container->addView(view);
        corner = new ProbeView(CRect(0, 0, 40, 40), kYellowCColor);
        frame->addView(corner);
    }
    ~Editor() { frame->forget(); }

    CFrame* frame;
    CViewContainer* container;
    ProbeView* view;
    ProbeView* corner;
};

class CFrameX11 : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.display) << host.error;
        // A drag test that died with the button down would swallow every click after it.
        xdotool("mouseup 1");
    }
    TestHost host;
};

TEST_F(CFrameX11, ExposurePaintsTheWindowAsTheOffscreenDrawingShowsIt)
{
    Window top = host.openWindow(false);
    Editor editor(top);
    ASSERT_NE(editor.frame->getPlatformWindow(), nullptr);
    host.mapAndWait(top);

    ASSERT_TRUE(idleUntil(*editor.frame, [&] { return editor.view->draws > 0 && editor.corner->draws > 0; }))
        << "no exposure reached the frame";
    Window child = host.childOf(top);
    ASSERT_NE(child, 0u);
    const std::vector<std::uint32_t> shown = host.readPixels(child);
    ASSERT_EQ(shown.size(), static_cast<size_t>(kWidth * kHeight));

    COffscreenContext expected(editor.frame, kWidth, kHeight, kBlackCColor);
    editor.frame->draw(&expected);
    const PixelBuffer drawn = expected.getPixelBuffer();
    int mismatches = 0;
    for (int y = 0; y < kHeight; ++y)
    {
        for (int x = 0; x < kWidth; ++x)
        {
            const std::uint8_t* p = drawn.pixel(x, y);
            const std::uint32_t rgb = (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
            if (shown[static_cast<size_t>(y * kWidth + x)] != rgb && ++mismatches <= 5)
                ADD_FAILURE() << "pixel " << x << "," << y << " shows " << std::hex
                              << shown[static_cast<size_t>(y * kWidth + x)] << " instead of " << rgb;
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(shown[static_cast<size_t>(100 * kWidth + 150)], 0xff0000u); // the red view
    EXPECT_EQ(shown[static_cast<size_t>(10 * kWidth + 10)], 0xffff00u);   // the yellow corner
    host.destroyWindow(top);
}

TEST_F(CFrameX11, ClicksAndWheelStepsReachTheViewAtItsLocalPoint)
{
    Window top = host.openWindow();
    Editor editor(top);
    ASSERT_TRUE(idleUntil(*editor.frame, [&] { return editor.view->draws > 0; }));
    Window child = host.childOf(top);
    const std::string where = "--window " + std::to_string(child) + " ";

    ASSERT_EQ(xdotool("mousemove " + where + "150 100 click 1"), 0) << "xdotool failed";
    ASSERT_TRUE(idleUntil(*editor.frame, [&] { return editor.view->clicks > 0; }))
        << "the click never arrived";
    EXPECT_EQ(editor.view->clicks, 1);
    EXPECT_EQ(editor.view->lastWhere, CPoint(50, 50)); // in the container's coordinates
    EXPECT_EQ(editor.corner->clicks, 0);

    CPoint pointer;
    EXPECT_TRUE(editor.frame->getCurrentLocation(pointer));
    EXPECT_EQ(pointer, CPoint(150, 100));
    EXPECT_EQ(editor.frame->getCurrentView(), editor.container);

    struct Step
    {
        int button;
        CMouseWheelAxis axis;
        float distance;
    };
    const Step steps[] = {{4, kVerticalWheel, 1.0f}, {5, kVerticalWheel, -1.0f}};
    for (const Step& step : steps)
    {
        editor.view->lastDistance = 0;
        ASSERT_EQ(xdotool("click " + where + std::to_string(step.button)), 0);
        ASSERT_TRUE(idleUntil(*editor.frame, [&] { return editor.view->lastDistance != 0; }))
            << "wheel button " << step.button << " never arrived";
        EXPECT_EQ(editor.view->lastDistance, step.distance);
        EXPECT_EQ(editor.view->lastAxis, step.axis);
    }
    // Wheel buttons are no clicks.
    EXPECT_EQ(editor.view->clicks, 1);

    for (int type = kCursorDefault; type <= kCursorHand; ++type)
        editor.frame->setCursor(static_cast<CCursorType>(type));
    host.destroyWindow(top);
}

TEST_F(CFrameX11, IdleRepaintsWhatChanged)
{
    Window top = host.openWindow();
    Editor editor(top);
    ASSERT_TRUE(idleUntil(*editor.frame, [&] { return editor.view->draws > 0; }));
    Window child = host.childOf(top);

    editor.view->color = kGreenCColor;
    editor.view->setDirty(true);
    editor.frame->idle();
    EXPECT_EQ(host.readPixels(child)[static_cast<size_t>(100 * kWidth + 150)], 0x00ff00u);
    host.destroyWindow(top);
}

TEST_F(CFrameX11, TwoFramesLiveSideBySideAndOneClosesAlone)
{
    Window firstTop = host.openWindow();
    Window secondTop = host.openWindow(true, 500, 300); // side by side: both get exposed
    auto* first = new Editor(firstTop);
    Editor second(secondTop);
    ASSERT_TRUE(idleUntil(*first->frame, [&] { return first->view->draws > 0; }));
    ASSERT_TRUE(idleUntil(*second.frame, [&] { return second.view->draws > 0; }));
    delete first;

    second.view->color = kGreenCColor;
    second.view->setDirty(true);
    second.frame->idle();
    EXPECT_EQ(host.readPixels(host.childOf(secondTop))[static_cast<size_t>(100 * kWidth + 150)], 0x00ff00u);
    host.destroyWindow(firstTop);
    host.destroyWindow(secondTop);
}

int hostErrors = 0;
int countHostError(Display*, XErrorEvent*)
{
    ++hostErrors;
    return 0;
}

TEST_F(CFrameX11, ClosingAfterTheHostDestroyedItsWindowIsHarmless)
{
    // The host's own X error handler must be in force again after every frame call.
    auto* before = XSetErrorHandler(&countHostError);
    // Noticed by the frame's idle first, then closed without noticing.
    for (const bool idleFirst : {true, false})
    {
        Window top = host.openWindow();
        auto* editor = new Editor(top);
        ASSERT_TRUE(idleUntil(*editor->frame, [&] { return editor->view->draws > 0; }));
        host.destroyWindow(top);
        if (idleFirst)
        {
            EXPECT_TRUE(idleUntil(*editor->frame, [&] { return !editor->frame->getOpenFlag(); }));
            EXPECT_EQ(editor->frame->getSystemWindow(), nullptr);
        }
        else
        {
            editor->view->setDirty(true);
            editor->frame->draw(editor->view); // draws into a window that is gone
            CPoint where;
            editor->frame->getCurrentLocation(where);
        }
        delete editor;
        auto* current = XSetErrorHandler(&countHostError);
        EXPECT_EQ(current, &countHostError);
    }
    EXPECT_EQ(hostErrors, 0); // the frame's errors on its gone window never reached the host
    XSetErrorHandler(before);
}

TEST_F(CFrameX11, OpensAndClosesTenTimes)
{
    Window top = host.openWindow();
    for (int i = 0; i < 10; ++i)
    {
        SCOPED_TRACE(i);
        Editor editor(top);
        ASSERT_NE(editor.frame->getPlatformWindow(), nullptr);
        // A fresh child is exposed as it maps: each frame paints once.
        ASSERT_TRUE(idleUntil(*editor.frame, [&] { return editor.view->draws > 0; }));
    }
    host.destroyWindow(top);
}

TEST_F(CFrameX11, AMissingParentWindowLeavesAFrameWithoutAWindow)
{
    Window top = host.openWindow();
    host.destroyWindow(top);
    Editor editor(top); // the id no longer names a window
    EXPECT_EQ(editor.frame->getPlatformWindow(), nullptr);
    editor.frame->idle();
    EXPECT_EQ(editor.view->draws, 0);
}

} // namespace

namespace
{

/// Records what a control reports.
struct ReportingListener : CControlListener
{
    void valueChanged(CDrawContext*, CControl* control) override { values.push_back(control->getValue()); }
    std::vector<float> values;
};

/// The editor's input switch: 60 x 60, three positions of 20 rows each.
const CRect kSwitchRect(3, 72, 63, 132);

CVerticalSwitch* makeSwitch(CControlListener* listener)
{
    CPoint origin(0, 0);
    return new CVerticalSwitch(kSwitchRect, listener, 3, 3, 60, 3, nullptr, origin);
}

TEST_F(CFrameX11, QuickClicksReachTheViewWithTheirButtonAndModifiers)
{
    Window top = host.openWindow();
    Editor editor(top);
    ASSERT_TRUE(idleUntil(*editor.frame, [&] { return editor.corner->draws > 0; }));
    const std::string child = std::to_string(host.childOf(top));
    struct Case
    {
        const char* gesture; // done in full before the frame sees the press
        long buttons;
    };
    const Case cases[] = {
        {"click 1", kMouseLeftButton},
        {"click 3", kMouseRightButton},
        {"click 2", kMouseMiddleButton},
        {"keydown shift click 1 keyup shift", kMouseLeftButton | kModifierShift},
        {"keydown ctrl click 1 keyup ctrl", kMouseLeftButton | kModifierControl},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.gesture);
        const int before = editor.corner->clicks;
        ASSERT_EQ(xdotool("mousemove --window " + child + " 10 10 " + c.gesture), 0);
        ASSERT_TRUE(idleUntil(*editor.frame, [&] { return editor.corner->clicks > before; }));
        EXPECT_EQ(editor.corner->clicks, before + 1);
        EXPECT_EQ(editor.corner->lastButtons, c.buttons);
    }
    host.destroyWindow(top);
}

/// The test frame with the editor's switch added, painted once.
class SwitchInFrameX11 : public CFrameX11
{
protected:
    void SetUp() override
    {
        CFrameX11::SetUp();
        if (HasFatalFailure()) return;
        top = host.openWindow();
        editor = std::make_unique<Editor>(top);
        control = makeSwitch(&listener);
        editor->frame->addView(control);
        ASSERT_TRUE(idleUntil(*editor->frame, [&] { return editor->corner->draws > 0; }));
        child = std::to_string(host.childOf(top));
    }
    void TearDown() override
    {
        editor.reset();
        if (top) host.destroyWindow(top);
    }

    Window top = 0;
    ReportingListener listener;
    std::unique_ptr<Editor> editor;
    CVerticalSwitch* control = nullptr;
    std::string child;
};

TEST_F(SwitchInFrameX11, QuickClickSelectsThePositionUnderIt)
{
    struct Case
    {
        int y;
        float value;
    };
    const Case cases[] = {
        {kSwitchRect.top + 50, 1.0f}, {kSwitchRect.top + 5, 0.0f}, {kSwitchRect.top + 25, 0.5f}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.y);
        const size_t before = listener.values.size();
        ASSERT_EQ(xdotool("mousemove --window " + child + " 30 " + std::to_string(c.y) + " click 1"), 0);
        ASSERT_TRUE(idleUntil(*editor->frame, [&] { return listener.values.size() > before; }))
            << "the click never reached the switch";
        EXPECT_EQ(control->getValue(), c.value);
        EXPECT_EQ(listener.values.back(), c.value);
    }
}

TEST_F(SwitchInFrameX11, AHeldButtonIsReadLiveSoTheDragFollowsThePointer)
{
    ASSERT_EQ(xdotool("mousemove --window " + child + " 30 " + std::to_string(kSwitchRect.top + 5) +
                      " mousedown 1"),
              0);
    // Moved and released later, while the frame tracks the press; the release comes in any case.
    ASSERT_EQ(std::system(("(sleep 0.3; xdotool mousemove --window " + child + " 30 " +
                           std::to_string(kSwitchRect.top + 50) + "; sleep 0.3; xdotool mouseup 1) &")
                              .c_str()),
              0);
    ASSERT_TRUE(idleUntil(*editor->frame, [&] { return !listener.values.empty(); }));
    // Pressed on the top position: only a drag that read the button live reaches the bottom one.
    EXPECT_EQ(listener.values.back(), 1.0f) << "the drag ended before the pointer moved";
    EXPECT_EQ(control->getValue(), 1.0f);
}

/// Answers the editor's idle request by closing the editor, as some hosts do.
std::intptr_t closingHost(AEffect* effect, std::int32_t opcode, std::int32_t, std::intptr_t, void*, float)
{
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterIdle && effect) effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
    return 0;
}

class ClosingEffect : public AudioEffectX
{
public:
    ClosingEffect() : AudioEffectX(closingHost, 1, 5) {}
    void processReplacing(float**, float**, std::int32_t) override {}
};

class WatchedFrame : public CFrame
{
public:
    WatchedFrame(const CRect& size, void* parent, AEffGUIEditor* editor, bool& destroyed)
        : CFrame(size, parent, editor), destroyed(destroyed)
    {
        destroyed = false;
    }
    ~WatchedFrame() override { destroyed = true; }

private:
    bool& destroyed;
};

class SwitchEditor : public AEffGUIEditor, public CControlListener
{
public:
    explicit SwitchEditor(AudioEffect* effect) : AEffGUIEditor(effect) {}
    bool open(void* parent) override
    {
        systemWindow = parent;
        frame = new WatchedFrame(CRect(0, 0, kWidth, kHeight), parent, this, frameDestroyed);
        control = makeSwitch(this);
        frame->addView(control);
        return true;
    }
    void close() override
    {
        if (!frame) return;
        CFrame* old = frame;
        frame = nullptr;
        old->forget();
    }
    void valueChanged(CDrawContext*, CControl* changed) override { values.push_back(changed->getValue()); }

    CVerticalSwitch* control = nullptr;
    bool frameDestroyed = true;
    std::vector<float> values;
};

TEST_F(CFrameX11, HostClosingTheEditorDuringADragTakesTheWindowAwayAfterwards)
{
    Window top = host.openWindow();
    auto* effect = new ClosingEffect;
    auto* editor = new SwitchEditor(effect);
    ASSERT_TRUE(editor->open(asParent(top)));
    ASSERT_TRUE(idleUntil(*editor->getFrame(), [&] { return !editor->control->isDirty(); }));
    const std::string child = std::to_string(host.childOf(top));

    ASSERT_EQ(xdotool("mousemove --window " + child + " 30 100 mousedown 1"), 0);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (editor->getFrame() && std::chrono::steady_clock::now() < end)
    {
        editor->idle(); // as effEditIdle: the press starts a drag whose idle pump calls the host
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    xdotool("mouseup 1");

    EXPECT_EQ(editor->getFrame(), nullptr) << "the host never closed the editor";
    EXPECT_TRUE(editor->frameDestroyed);
    EXPECT_EQ(editor->values, std::vector<float>{0.5f});
    XSync(host.display, False);
    EXPECT_EQ(host.childOf(top), 0u) << "the frame's window is still there";
    delete effect; // and its editor
    host.destroyWindow(top);
}

} // namespace
