// The host writes parameters from its automation and user-interface threads while
// the audio thread processes: no locks, and no torn or lost values.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>
#include <thread>

#include "tests/effect/effect_host.h"

namespace
{

using effecttest::Block;
using effecttest::Host;

TEST(ParametersConcurrency, WritersReadersAndBothCallbacksShareTheParameters)
{
    Host host;
    std::atomic<bool> stop{false};
    constexpr int kWrites = 20000;

    // Automation: every parameter, values across the whole range (all three formats).
    std::thread writer(
        [&]
        {
            for (int i = 0; i < kWrites; ++i)
            {
                const float v = static_cast<float>(i % 101) / 100.0f;
                host.record->setParameter(host.record, i % 5, v);
            }
            for (int p = 0; p < 5; ++p)
                host.record->setParameter(host.record, p, 0.25f * p / 4.0f + 0.5f);
        });

    // The user interface: displays and values of every parameter.
    std::thread display(
        [&]
        {
            char text[256];
            while (!stop.load())
            {
                for (int p = 0; p < 5; ++p)
                {
                    host.record->dispatcher(host.record, effGetParamDisplay, p, 0, text, 0.0f);
                    const float v = host.record->getParameter(host.record, p);
                    EXPECT_TRUE(v >= 0.0f && v <= 1.0f) << v;
                }
            }
        });

    // Audio: alternating precisions; with every parameter in 0..1 the output is finite.
    bool finite = true;
    int blocks = 0;
    Block<float> single(64);
    Block<double> wide(64);
    for (size_t n = 0; n < 64; ++n)
        for (int c = 0; c < 4; ++c)
        {
            single.in[c][n] = 0.5f;
            wide.in[c][n] = -0.5;
        }
    while (!stop.load())
    {
        host.process(single);
        host.process(wide);
        for (int c = 0; c < 4; ++c)
            finite = finite && std::isfinite(single.out[c][63]) && std::isfinite(wide.out[c][63]);
        if (++blocks == 50)
        {
            writer.join();
            stop.store(true);
        }
    }
    display.join();
    EXPECT_TRUE(finite);

    // Every final write landed, in the effect and in the program.
    for (int p = 0; p < 5; ++p)
        EXPECT_EQ(host.get(p), 0.25f * p / 4.0f + 0.5f) << p;
    host.dispatch(effSetProgram, 0, 0);
    for (int p = 0; p < 5; ++p)
        EXPECT_EQ(host.get(p), 0.25f * p / 4.0f + 0.5f) << p;
}

} // namespace
