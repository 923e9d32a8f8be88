// HeadlessPlatform: the scripted platform half for tests and off-screen pictures.
// A clock that moves only when told, mouse states replayed from a script, windows whose
// pixels and requests can be inspected.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "gui/platform.h"

namespace VSTGUI
{

/// One scripted moment: the buttons and modifiers held, and where the pointer is.
struct MouseState
{
    long buttons = 0;
    CPoint position;
};

class HeadlessPlatform : public Platform
{
public:
    std::unique_ptr<PlatformWindow> createWindow(void* parent, int width, int height,
                                                 PlatformWindowListener& listener) override;
    std::uint32_t getTicks() override { return ticks; }
    /// Sleeping moves the clock by exactly the time asked for.
    void sleep(std::uint32_t milliseconds) override;
    std::uint32_t getDoubleClickTime() override { return doubleClickTime; }

    /// Moves the clock forward.
    void advance(std::uint32_t milliseconds) { ticks += milliseconds; }
    void setTicks(std::uint32_t now) { ticks = now; }
    void setDoubleClickTime(std::uint32_t milliseconds) { doubleClickTime = milliseconds; }
    std::uint32_t getSleptMilliseconds() const { return slept; }

    /// Appends states to the script. Each read of the buttons steps to the next state; the
    /// pointer is that of the state last stepped to. After the last state the buttons read 0
    /// (a tracking loop always ends) and the pointer stays where it was.
    void scriptMouse(std::initializer_list<MouseState> states);
    void scriptMouse(const MouseState& state);
    /// Sets the state seen until the script moves on (does not consume a step).
    void setMouse(const MouseState& state) { current = state; }
    std::size_t pendingMouseStates() const { return script.size(); }

    long readMouseButtons();
    CPoint readPointerPosition() const { return current.position; }

    /// Called on every sleep, after the clock moved (a test may script events there).
    std::function<void(std::uint32_t now)> onSleep;

private:
    std::uint32_t ticks = 0;
    std::uint32_t slept = 0;
    std::uint32_t doubleClickTime = kCommonDoubleClickTime;
    MouseState current;
    std::deque<MouseState> script;
    bool scriptRunning = false;
};

/// A window without a screen: a pixel surface, a queue of events the test posts, and a log
/// of what the toolkit asked of it.
class HeadlessWindow : public PlatformWindow
{
public:
    HeadlessWindow(HeadlessPlatform& platform, void* parent, int width, int height,
                   PlatformWindowListener& listener);

    void resize(int width, int height) override;
    void invalidate(const CRect& rect) override;
    void drainEvents() override;
    PixelBuffer getSurface() override;
    void flush(const CRect& rect) override;
    long getMouseButtons() override { return platform.readMouseButtons(); }
    CPoint getPointerPosition() override { return platform.readPointerPosition(); }

    // Events a test posts; drainEvents delivers them in order, also those posted meanwhile.
    void postPaint(const CRect& rect);
    void postMouseDown(const CPoint& where);
    void postWheel(const CPoint& where, int axis, float distance);
    void postDestroy();

    void* getParent() const { return parent; }
    /// The platform this window reads the mouse and the clock from (tests script it).
    HeadlessPlatform& getPlatform() const { return platform; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    const std::vector<CRect>& getInvalidated() const { return invalidated; }
    const std::vector<CRect>& getFlushed() const { return flushed; }
    void clearLogs();
    /// The colour bytes of pixel (x, y) as B, G, R, A, packed little-endian into one integer.
    std::uint32_t pixelAt(int x, int y) const;

private:
    struct Event
    {
        enum Kind
        {
            Paint,
            MouseDown,
            Wheel,
            Destroy
        } kind;
        CRect rect;
        CPoint where;
        int axis = 1;
        float distance = 0;
    };

    HeadlessPlatform& platform;
    PlatformWindowListener& listener;
    void* parent = nullptr;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
    std::deque<Event> events;
    std::vector<CRect> invalidated;
    std::vector<CRect> flushed;
};

} // namespace VSTGUI
