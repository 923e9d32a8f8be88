// HeadlessPlatform: a clock moved by hand, replayed mouse states, windows made of memory.
#include "gui/headless/headlessplatform.h"

#include <cstring>

namespace VSTGUI
{

std::unique_ptr<PlatformWindow> HeadlessPlatform::createWindow(void* parent, int width, int height,
                                                               PlatformWindowListener& listener)
{
    if (!parent || width <= 0 || height <= 0) return nullptr;
    return std::make_unique<HeadlessWindow>(*this, parent, width, height, listener);
}

void HeadlessPlatform::sleep(std::uint32_t milliseconds)
{
    ticks += milliseconds;
    slept += milliseconds;
    if (onSleep) onSleep(ticks);
}

void HeadlessPlatform::scriptMouse(std::initializer_list<MouseState> states)
{
    for (const auto& state : states)
        script.push_back(state);
    scriptRunning = true;
}

void HeadlessPlatform::scriptMouse(const MouseState& state)
{
    scriptMouse({state});
}

long HeadlessPlatform::readMouseButtons()
{
    if (!scriptRunning) return current.buttons;
    if (script.empty())
    {
        // The script is over: the button is up where the pointer was last seen.
        current.buttons = 0;
        scriptRunning = false;
        return 0;
    }
    current = script.front();
    script.pop_front();
    return current.buttons;
}

HeadlessWindow::HeadlessWindow(HeadlessPlatform& platform_, void* parent_, int width_, int height_,
                               PlatformWindowListener& listener_)
    : platform(platform_), listener(listener_), parent(parent_)
{
    resize(width_, height_);
}

void HeadlessWindow::resize(int width_, int height_)
{
    width = width_ > 0 ? width_ : 0;
    height = height_ > 0 ? height_ : 0;
    pixels.assign(static_cast<std::size_t>(width) * height * 4, 0);
}

void HeadlessWindow::invalidate(const CRect& rect)
{
    invalidated.push_back(rect);
    postPaint(rect);
}

void HeadlessWindow::drainEvents()
{
    // One event at a time off the shared queue, as an X11 drain reads it: a drain nested in a
    // dispatch (a control's drag pumping idle) goes on with what is still queued.
    while (!events.empty())
    {
        const Event e = events.front();
        events.pop_front();
        switch (e.kind)
        {
        case Event::Paint:
            listener.onPlatformPaint(e.rect);
            break;
        case Event::MouseDown:
            listener.onPlatformMouseDown(e.where);
            break;
        case Event::Wheel:
            listener.onPlatformWheel(e.where, e.axis, e.distance);
            break;
        case Event::Destroy:
            listener.onPlatformDestroyed();
            return; // the listener may have destroyed this window
        }
    }
}

PixelBuffer HeadlessWindow::getSurface()
{
    if (pixels.empty()) return {};
    return PixelBuffer{pixels.data(), width, height, width * 4};
}

void HeadlessWindow::flush(const CRect& rect)
{
    flushed.push_back(rect);
}

void HeadlessWindow::postPaint(const CRect& rect)
{
    events.push_back(Event{Event::Paint, rect, {}, 1, 0});
}
void HeadlessWindow::postMouseDown(const CPoint& where)
{
    events.push_back(Event{Event::MouseDown, {}, where, 1, 0});
}
void HeadlessWindow::postWheel(const CPoint& where, int axis, float distance)
{
    events.push_back(Event{Event::Wheel, {}, where, axis, distance});
}
void HeadlessWindow::postDestroy()
{
    events.push_back(Event{Event::Destroy, {}, {}, 1, 0});
}

void HeadlessWindow::clearLogs()
{
    invalidated.clear();
    flushed.clear();
}

std::uint32_t HeadlessWindow::pixelAt(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    std::uint32_t value;
    std::memcpy(&value, &pixels[(static_cast<std::size_t>(y) * width + x) * 4], 4);
    return value;
}

} // namespace VSTGUI
