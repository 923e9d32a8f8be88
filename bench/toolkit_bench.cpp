// Per-call costs of the drawing the editor does on every redraw: the 420 x 200 background,
// one knob frame from a strip, a read-out's rectangle and text, and the back-buffer copy.
#include <benchmark/benchmark.h>

#include "gui/cbitmap.h"
#include "gui/coffscreencontext.h"

using namespace VSTGUI;

namespace
{

void BM_DrawBackground(benchmark::State& state)
{
    CBitmap background(128);
    COffscreenContext context(nullptr, 420, 200);
    CRect rect(0, 0, background.getWidth(), background.getHeight());
    for (auto _ : state)
    {
        background.draw(&context, rect);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * rect.width() * rect.height());
}
BENCHMARK(BM_DrawBackground);

void BM_DrawKnobFrame(benchmark::State& state)
{
    CBitmap strip(129);
    COffscreenContext context(nullptr, 420, 200);
    const long frameHeight = strip.getWidth(); // square frames stacked vertically
    const long frames = frameHeight > 0 ? strip.getHeight() / frameHeight : 1;
    CRect rect(10, 10, 10 + strip.getWidth(), 10 + frameHeight);
    long frame = 0;
    for (auto _ : state)
    {
        strip.drawTransparent(&context, rect, CPoint(0, frame * frameHeight));
        frame = (frame + 1) % frames;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawKnobFrame);

void BM_ReadOut(benchmark::State& state)
{
    COffscreenContext context(nullptr, 420, 200);
    const CRect rect(20, 150, 90, 168);
    context.setFont(kFontSmall);
    for (auto _ : state)
    {
        context.setFillColor(kBlackCColor);
        context.fillRect(rect);
        context.setFontColor(kWhiteCColor);
        context.drawString("-135", rect, false, kCenterText);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ReadOut);

void BM_CopyBackBuffer(benchmark::State& state)
{
    COffscreenContext backBuffer(nullptr, 420, 200, kGreyCColor);
    COffscreenContext window(nullptr, 420, 200);
    for (auto _ : state)
    {
        backBuffer.copyFrom(&window, CRect(0, 0, 420, 200), CPoint(0, 0));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CopyBackBuffer);

} // namespace

BENCHMARK_MAIN();
