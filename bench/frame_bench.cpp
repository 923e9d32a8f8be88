// Cost of the frame's redraw paths on a 420 x 200 window with nine views, the editor's shape:
// the idle pass that redraws one dirty view, and the full paint of an exposure.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "gui/cdrawcontext.h"
#include "gui/cframe.h"
#include "gui/headless/headlessplatform.h"

using namespace VSTGUI;

namespace
{

/// A view that fills its rectangle, as a bitmap control covers its own.
class Block : public CView
{
public:
    Block(const CRect& rect, CColor color) : CView(rect), color(color) {}
    void draw(CDrawContext* context) override
    {
        context->setFillColor(color);
        context->drawRect(size, kDrawFilled);
        setDirty(false);
    }
    CColor color;
};

struct Window
{
    Window()
    {
        frame = new CFrame(CRect(0, 0, 420, 200), &parent, nullptr, std::make_unique<HeadlessPlatform>());
        frame->setBackgroundColor(kGreyCColor);
        for (int i = 0; i < 4; ++i)
        {
            const long left = 20 + i * 100;
            views.push_back(new Block(CRect(left, 40, left + 64, 104), kRedCColor));
            views.push_back(new Block(CRect(left + 12, 120, left + 52, 144), kBlueCColor));
        }
        views.push_back(new Block(CRect(0, 60, 30, 150), kGreenCColor));
        for (CView* view : views)
            frame->addView(view);
        window = static_cast<HeadlessWindow*>(frame->getPlatformWindow());
        window->postPaint(CRect(0, 0, 420, 200));
        frame->idle();
    }
    ~Window() { frame->forget(); }

    int parent = 0;
    CFrame* frame = nullptr;
    HeadlessWindow* window = nullptr;
    std::vector<CView*> views;
};

void BM_IdleRedrawsOneDirtyView(benchmark::State& state)
{
    Window w;
    for (auto _ : state)
    {
        w.views[0]->setDirty(true);
        w.frame->idle();
        w.window->clearLogs();
    }
    state.SetLabel("one 64x64 knob-sized view");
}
BENCHMARK(BM_IdleRedrawsOneDirtyView);

void BM_IdleWithNothingDirty(benchmark::State& state)
{
    Window w;
    for (auto _ : state)
        w.frame->idle();
}
BENCHMARK(BM_IdleWithNothingDirty);

void BM_PaintOfTheWholeWindow(benchmark::State& state)
{
    Window w;
    for (auto _ : state)
    {
        w.window->postPaint(CRect(0, 0, 420, 200));
        w.frame->drainWindowEvents();
        w.window->clearLogs();
    }
    state.SetLabel("exposure of 420x200, nine views");
}
BENCHMARK(BM_PaintOfTheWholeWindow);

} // namespace

BENCHMARK_MAIN();
