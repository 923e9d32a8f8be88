// Shared set-up for the control tests: a headless frame that records the edit
// gestures it relays, a listener that records reports, and strip bitmaps of known colours.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "gui/cbitmap.h"
#include "gui/ccontrol.h"
#include "gui/cdrawcontext.h"
#include "gui/cframe.h"
#include "gui/coffscreencontext.h"
#include "gui/headless/headlessplatform.h"

namespace controls_test
{

using namespace VSTGUI;

/// One begin or end of an edit as it reached the frame.
struct Edit
{
    char kind; // 'b' begin, 'e' end
    long tag;
    bool operator==(const Edit&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Edit& edit)
{
    return out << edit.kind << edit.tag;
}

/// A frame on a headless window whose platform the test scripts. It records the edit
/// gestures and idle passes instead of relaying them to an editor.
class RecordingFrame : public CFrame
{
public:
    explicit RecordingFrame(std::unique_ptr<HeadlessPlatform> headless = std::make_unique<HeadlessPlatform>(),
                            CRect size = CRect(0, 0, 420, 200))
        : RecordingFrame(headless.get(), std::move(headless), size)
    {
    }

    void beginEdit(long index) override { edits.push_back({'b', index}); }
    void endEdit(long index) override { edits.push_back({'e', index}); }
    long getKnobMode() const override { return knobMode; }
    std::uint32_t getTicks() const override { return ticks; }
    void doIdleStuff() override
    {
        ++idlePasses;
        CFrame::doIdleStuff();
        // Last, and from a copy: the hook may delete this frame, as a host closing the editor would.
        if (auto hook = onIdle) hook();
    }

    HeadlessPlatform& mouse() { return *headless; }

    /// Adds a control; the frame's removal with forget releases the creation reference too.
    template <class Control> Control* adopt(Control* control)
    {
        addView(control);
        return control;
    }

    std::vector<Edit> edits;
    std::function<void()> onIdle;
    long knobMode = 0;
    std::uint32_t ticks = 0;
    int idlePasses = 0;

private:
    RecordingFrame(HeadlessPlatform* raw, std::unique_ptr<HeadlessPlatform>&& headless, CRect size)
        : CFrame(size, &parentWindow, nullptr, std::move(headless)), headless(raw)
    {
    }

    HeadlessPlatform* headless;
    int parentWindow = 0; // the headless platform only needs a non-null parent
};

/// A context on the frame's window: mouse reads go to the scripted platform.
struct WindowContext
{
    explicit WindowContext(RecordingFrame& frame)
        : context(new CDrawContext(&frame, frame.getPlatformWindow()))
    {
    }
    ~WindowContext() { context->forget(); }
    CDrawContext* operator->() const { return context; }
    operator CDrawContext*() const { return context; }
    CDrawContext* context;
};

/// Records every report a control makes.
class RecordingListener : public CControlListener
{
public:
    void valueChanged(CDrawContext* context, CControl* control) override
    {
        values.push_back(control->getValue());
        contexts.push_back(context);
        if (markDirty) control->setDirty(true); // as the editor does after each automated change
    }
    long controlModifierClicked(CDrawContext*, CControl*, long button) override
    {
        modifierButtons.push_back(button);
        return modifierAnswer;
    }

    std::vector<float> values;
    std::vector<CDrawContext*> contexts;
    std::vector<long> modifierButtons;
    long modifierAnswer = 0;
    bool markDirty = false;
};

/// Packs a colour the way HeadlessWindow::pixelAt and pixelOf report opaque pixels.
inline std::uint32_t packed(CColor c)
{
    return static_cast<std::uint32_t>(c.blue) | static_cast<std::uint32_t>(c.green) << 8 |
           static_cast<std::uint32_t>(c.red) << 16 | static_cast<std::uint32_t>(c.alpha) << 24;
}

/// The pixel (x, y) of a context's target, packed as B, G, R, A little-endian.
inline std::uint32_t pixelOf(CDrawContext& context, int x, int y)
{
    const PixelBuffer pixels = context.getPixelBuffer();
    if (!pixels.isValid() || x < 0 || y < 0 || x >= pixels.width || y >= pixels.height) return 0xdeadbeef;
    const std::uint8_t* p = pixels.pixel(x, y);
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

/// A strip of `colors.size()` opaque frames of width x frameHeight, one colour each, top to bottom.
inline CBitmap* makeStrip(CFrame& frame, long width, long frameHeight, const std::vector<CColor>& colors)
{
    auto* bitmap = new CBitmap(frame, width, frameHeight * static_cast<long>(colors.size()));
    auto* painter = new COffscreenContext(nullptr, bitmap, true);
    for (size_t i = 0; i < colors.size(); ++i)
    {
        const long top = frameHeight * static_cast<long>(i);
        painter->setFillColor(colors[i]);
        painter->drawRect(CRect(0, top, width, top + frameHeight), kDrawFilled);
    }
    painter->forget();
    return bitmap;
}

} // namespace controls_test
