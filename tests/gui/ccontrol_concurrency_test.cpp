// The host's automation thread writes control values while the GUI thread tests
// and draws them: run under ThreadSanitizer, this must report no data race.
#include <atomic>
#include <thread>

#include "gui/cknob.h"
#include "gui/cparamdisplay.h"
#include "gui/cverticalswitch.h"
#include "tests/gui/control_harness.h"

namespace controls_test {
namespace {

TEST(ControlValueAcrossThreads, AutomationWritesWhileTheFrameRedraws)
{
    RecordingFrame frame;
    CPoint origin(0, 0);
    CBitmap* strip = makeStrip(frame, 20, 20, {kRedCColor, kGreenCColor, kBlueCColor});
    auto* knob = frame.adopt(new CAnimKnob(CRect(0, 0, 20, 20), nullptr, 0, 3, 20, strip, origin));
    auto* display = frame.adopt(new CParamDisplay(CRect(20, 0, 60, 20)));
    auto* position = frame.adopt(new CVerticalSwitch(CRect(60, 0, 80, 20), nullptr, 3, 3, 20, 3, strip, origin));
    CControl* controls[] = {knob, display, position};
    auto* canvas = new COffscreenContext(&frame, 80, 20, kBlackCColor);
    frame.draw(canvas);

    const float written[] = {0.25f, 1.f};
    constexpr int kWrites = 20000;
    std::atomic<bool> done{false};
    std::thread automation([&] {
        for (int i = 0; i < kWrites; ++i)
            for (CControl* control : controls)
                control->setValue(written[i % 2]);
        done.store(true);
    });

    int passes = 0;
    int strayValues = 0;
    while (!done.load() || passes < 10)
    {
        frame.update(canvas);
        for (CControl* control : controls)
        {
            const float v = control->getValue();
            if (v != written[0] && v != written[1] && v != 0.f)
                ++strayValues;
        }
        ++passes;
    }
    automation.join();

    EXPECT_EQ(strayValues, 0);
    // Once the writer is done, one more idle pass shows its last value everywhere.
    frame.update(canvas);
    for (CControl* control : controls)
    {
        EXPECT_EQ(control->getValue(), written[(kWrites - 1) % 2]);
        EXPECT_FALSE(control->isDirty());
    }
    EXPECT_EQ(pixelOf(*canvas, 10, 10), packed(kBlueCColor)); // the knob's last frame
    EXPECT_EQ(pixelOf(*canvas, 70, 10), packed(kBlueCColor)); // the switch's last position
    canvas->forget();
    strip->forget();
}

} // namespace
} // namespace controls_test
