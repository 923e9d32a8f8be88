// The X11 drawing-side pieces against a real X server: pointer queries, the button and
// modifier mapping, and pixels put into a window read back unchanged.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>

#include "gui/cdrawcontext.h"
#include "gui/coffscreencontext.h"
#include "gui/x11/x11input.h"
#include "gui/x11/x11surface.h"

using namespace VSTGUI;

namespace
{

TEST(X11Input, StateMaskMapsToTheToolkitBits)
{
    struct Case
    {
        unsigned int state;
        long buttons;
    };
    const Case cases[] = {
        {0, 0},
        {Button1Mask, kMouseLeftButton},
        {Button2Mask, kMouseMiddleButton},
        {Button3Mask, kMouseRightButton},
        {Button4Mask | Button5Mask, 0}, // wheel buttons are never held buttons
        {ShiftMask, kModifierShift},
        {ControlMask, kModifierControl},
        {Mod1Mask, kModifierAlt},
        {Mod4Mask, kModifierSystem},
        {LockMask | Mod2Mask, 0}, // caps and num lock are not modifiers here
        {Button1Mask | ShiftMask | ControlMask, kMouseLeftButton | kModifierShift | kModifierControl},
    };
    for (const auto& c : cases)
        EXPECT_EQ(buttonsFromX11State(c.state), c.buttons) << std::hex << c.state;
}

TEST(X11Input, ClockIsMonotonicMilliseconds)
{
    const std::uint32_t before = monotonicTicks();
    sleepMilliseconds(20);
    const std::uint32_t elapsed = monotonicTicks() - before;
    EXPECT_GE(elapsed, 20u);
    EXPECT_LT(elapsed, 2000u);
}

class X11Display : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* name = std::getenv("DISPLAY");
        ASSERT_NE(name, nullptr) << "DISPLAY is not set; these tests need an X server (Xvfb)";
        display = XOpenDisplay(name);
        ASSERT_NE(display, nullptr) << "cannot open display " << name;
        const int screen = DefaultScreen(display);
        window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, 40, 30, 0, 0, 0);
        XMapWindow(display, window);
        XSync(display, False);
    }
    void TearDown() override
    {
        if (display)
        {
            XDestroyWindow(display, window);
            XCloseDisplay(display);
        }
    }
    Display* display = nullptr;
    Window window = 0;
};

TEST_F(X11Display, PointerIsReportedRelativeToTheWindow)
{
    const int screen = DefaultScreen(display);
    XMoveWindow(display, window, 100, 50);
    XSync(display, False);
    XWarpPointer(display, None, RootWindow(display, screen), 0, 0, 0, 0, 107, 59);
    XSync(display, False);
    EXPECT_EQ(queryPointerPosition(display, window), CPoint(7, 9));
    EXPECT_EQ(
        queryMouseButtons(display, window) & (kMouseLeftButton | kMouseMiddleButton | kMouseRightButton), 0);
    EXPECT_EQ(queryMouseButtons(nullptr, window), 0);
    EXPECT_EQ(queryPointerPosition(display, 0), CPoint(0, 0));
}

TEST_F(X11Display, PutPixelsShowsWhatWasDrawn)
{
    const int screen = DefaultScreen(display);
    COffscreenContext context(nullptr, 40, 30, kBlueCColor);
    context.setFillColor(kRedCColor);
    context.drawRect(CRect(5, 5, 15, 10), kDrawFilled);
    const bool ok = putPixels(display, window, DefaultGC(display, screen), DefaultVisual(display, screen),
                              DefaultDepth(display, screen), context.getPixelBuffer(), CRect(0, 0, 40, 30));
    ASSERT_TRUE(ok) << "the default visual is not 24/32-bit TrueColor";
    XSync(display, False);
    XImage* image = XGetImage(display, window, 0, 0, 40, 30, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(XGetPixel(image, 5, 5) & 0xffffff, 0xff0000u);
    EXPECT_EQ(XGetPixel(image, 14, 9) & 0xffffff, 0xff0000u);
    EXPECT_EQ(XGetPixel(image, 15, 9) & 0xffffff, 0x0000ffu);
    EXPECT_EQ(XGetPixel(image, 0, 0) & 0xffffff, 0x0000ffu);
    XDestroyImage(image);
    EXPECT_FALSE(
        putPixels(nullptr, window, nullptr, nullptr, 24, context.getPixelBuffer(), CRect(0, 0, 1, 1)));
}

} // namespace
