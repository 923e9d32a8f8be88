// Host automation on its own thread while the GUI thread opens, draws and closes
// the editor: no data race, and no write into controls that close has destroyed.
#include "tests/editor/editor_harness.h"

#include <atomic>
#include <thread>

using namespace editortest;

namespace
{

TEST(UHJeditorConcurrency, AutomationWhileTheWindowOpensDrawsAndCloses)
{
    EditorHost host;
    ASSERT_NE(host.record, nullptr);
    std::atomic<bool> done{false};
    std::atomic<long> writes{0};

    std::thread automation(
        [&]
        {
            float value = 0.0f;
            while (!done.load(std::memory_order_relaxed))
            {
                for (int index = 0; index < 5; ++index)
                    host.set(index, value);
                value = value >= 1.0f ? 0.0f : value + 0.0625f;
                writes.fetch_add(1, std::memory_order_relaxed);
            }
        });

    for (int round = 0; round < 8; ++round)
    {
        ASSERT_TRUE(host.openEditor());
        drawFrame(host.frame());
        host.closeEditor();
    }
    // Keep the writer going until it has certainly overlapped some open windows.
    while (writes.load(std::memory_order_relaxed) < 100)
        std::this_thread::yield();
    done.store(true);
    automation.join();

    // The last value written is what a fresh window shows.
    ASSERT_TRUE(host.openEditor());
    EXPECT_EQ(host.control(kAzimuthKnob)->getValue(), host.get(SourceAzimuth));
    EXPECT_EQ(host.control(kGainDisplay)->getValue(), host.get(Gain));
    EXPECT_EQ(host.control(kFormatSwitch)->getValue(), host.get(InputFormat));
}

} // namespace
