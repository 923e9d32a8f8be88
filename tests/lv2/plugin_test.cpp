// The DSP adapter in-process, through its descriptor as a host calls it: the audio is
// the effect's own for the same settings, port changes land at the next run, hostile
// port values change nothing they should not, re-activation starts afresh, and run
// neither allocates nor fails on missing buffers.
#include <gtest/gtest.h>
#include <lv2/core/lv2.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "lv2/ports.h"
#include "plugin/audioeffect.h"

using namespace sorvelt::lv2;

// Counts the allocations made while `counting` is set (the whole program's operator new).
// AddressSanitizer owns operator new in its builds, so there the plain build does the counting.
static std::atomic<bool> counting{false};
static std::atomic<int> allocations{0};
#ifndef __SANITIZE_ADDRESS__
// The replacement pair is malloc and free underneath, which GCC's inlined view mistakes for a mismatch.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size)
{
    if (counting.load()) ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
#endif

namespace
{

constexpr int kBlock = 300;

std::intptr_t versionOnlyHost(AEffect*, std::int32_t opcode, std::int32_t, std::intptr_t, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

float signal(int channel, int frame)
{
    return 0.4f * std::sin(0.01f * static_cast<float>((channel + 1) * frame)) +
           0.05f * static_cast<float>(channel);
}

/// One instance through the descriptor, with its ports.
struct Lv2Instance
{
    Lv2Instance()
    {
        descriptor = lv2_descriptor(0);
        handle = descriptor->instantiate(descriptor, 48000.0, "/nowhere/", nullptr);
        for (std::uint32_t p = 0; p < kNumControlPorts; ++p)
            descriptor->connect_port(handle, p, &controls[p]);
        for (int c = 0; c < 4; ++c)
        {
            inputs[c].resize(kBlock);
            outputs[c].resize(kBlock);
            descriptor->connect_port(handle, kFirstAudioInput + c, inputs[c].data());
            descriptor->connect_port(handle, kFirstAudioOutput + c, outputs[c].data());
        }
        descriptor->activate(handle);
    }
    ~Lv2Instance()
    {
        descriptor->deactivate(handle);
        descriptor->cleanup(handle);
    }
    void run(int block)
    {
        for (int c = 0; c < 4; ++c)
            for (int i = 0; i < kBlock; ++i)
                inputs[c][i] = signal(c, block * kBlock + i);
        descriptor->run(handle, kBlock);
    }

    const LV2_Descriptor* descriptor;
    LV2_Handle handle;
    float controls[kNumControlPorts] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    std::array<std::vector<float>, 4> inputs, outputs;
};

/// The effect itself, as a VST host drives it.
struct DirectEffect
{
    DirectEffect() : effect(createEffectInstance(versionOnlyHost)->getAeffect())
    {
        effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
        effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
        for (int c = 0; c < 4; ++c)
        {
            inputs[c].resize(kBlock);
            outputs[c].resize(kBlock);
        }
    }
    ~DirectEffect() { effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f); }
    void run(int block)
    {
        float* in[4];
        float* out[4];
        for (int c = 0; c < 4; ++c)
        {
            for (int i = 0; i < kBlock; ++i)
                inputs[c][i] = signal(c, block * kBlock + i);
            in[c] = inputs[c].data();
            out[c] = outputs[c].data();
        }
        effect->processReplacing(effect, in, out, kBlock);
    }
    AEffect* effect;
    std::array<std::vector<float>, 4> inputs, outputs;
};

bool sameBits(const std::array<std::vector<float>, 4>& a, const std::array<std::vector<float>, 4>& b)
{
    for (int c = 0; c < 4; ++c)
        if (std::memcmp(a[c].data(), b[c].data(), a[c].size() * sizeof(float)) != 0) return false;
    return true;
}

TEST(Lv2Plugin, DescriptorNamesThePluginOnce)
{
    ASSERT_NE(lv2_descriptor(0), nullptr);
    EXPECT_STREQ(lv2_descriptor(0)->URI, kPluginUri);
    EXPECT_EQ(lv2_descriptor(1), nullptr);
}

TEST(Lv2Plugin, PlaysTheEffectsAudioAndTakesPortChangesAtTheNextRun)
{
    Lv2Instance lv2;
    DirectEffect vst;
    // Each step: port values in user units, and the normalized values a VST host would set.
    struct Step
    {
        float ports[5];
        float normalized[5];
    } steps[] = {
        {{0.0f, 0.0f, 0.0f, 0.0f, 0.0f}, {0.5f, 0.5f, 0.0f, 0.0f, 1.0f}},
        {{90.0f, 45.0f, 0.0f, 0.0f, -6.0f},
         {0.25f, 0.75f, 0.0f, 0.0f, static_cast<float>(std::pow(10.0, -0.3))}},
        {{-45.0f, 0.0f, 90.0f, 1.0f, 0.0f}, {0.625f, 0.5f, 0.5f, 0.5f, 1.0f}},
        {{-45.0f, 0.0f, 90.0f, 2.0f, kGainFloorDb}, {0.625f, 0.5f, 0.5f, 1.0f, 0.0f}},
        {{-45.0f, 0.0f, 90.0f, 2.0f, -1.0f},
         {0.625f, 0.5f, 0.5f, 1.0f, static_cast<float>(std::pow(10.0, -0.05))}},
    };
    int block = 0;
    for (const Step& step : steps)
    {
        for (int p = 0; p < 5; ++p)
        {
            lv2.controls[p] = step.ports[p];
            vst.effect->setParameter(vst.effect, p, step.normalized[p]);
        }
        for (int i = 0; i < 3; ++i, ++block)
        {
            lv2.run(block);
            vst.run(block);
            ASSERT_TRUE(sameBits(lv2.outputs, vst.outputs)) << "block " << block;
        }
    }
}

TEST(Lv2Plugin, HostileControlValuesAreHeldOrIgnored)
{
    Lv2Instance lv2;
    DirectEffect vst;
    lv2.controls[SourceAzimuth] = 30.0f;
    vst.effect->setParameter(vst.effect, SourceAzimuth, static_cast<float>(0.5 - 30.0 / 360.0));
    lv2.run(0);
    vst.run(0);
    // NaN keeps the last value; a gain far above the range plays at unity, not louder.
    lv2.controls[SourceAzimuth] = std::numeric_limits<float>::quiet_NaN();
    lv2.controls[Gain] = 40.0f;
    lv2.run(1);
    vst.run(1);
    EXPECT_TRUE(sameBits(lv2.outputs, vst.outputs));
}

TEST(Lv2Plugin, InPlaceBuffersGiveTheSameAudio)
{
    Lv2Instance separate;
    Lv2Instance inPlace;
    for (int c = 0; c < 4; ++c)
    {
        inPlace.descriptor->connect_port(inPlace.handle, kFirstAudioOutput + c, inPlace.inputs[c].data());
        separate.controls[c] = inPlace.controls[c] = c == 3 ? 2.0f : 10.0f * static_cast<float>(c + 1);
    }
    for (int block = 0; block < 3; ++block)
    {
        separate.run(block);
        inPlace.run(block);
        EXPECT_TRUE(sameBits(separate.outputs, inPlace.inputs)) << "block " << block;
    }
}

TEST(Lv2Plugin, ReactivationForgetsWhatWasPlayed)
{
    Lv2Instance used;
    for (int block = 0; block < 4; ++block)
        used.run(block);
    used.descriptor->deactivate(used.handle);
    used.descriptor->activate(used.handle);
    used.run(0);
    Lv2Instance fresh;
    fresh.run(0);
    EXPECT_TRUE(sameBits(used.outputs, fresh.outputs));
}

TEST(Lv2Plugin, RunAllocatesNothing)
{
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "operator new belongs to AddressSanitizer here; the plain build counts";
#endif
    Lv2Instance lv2;
    lv2.run(0);
    allocations = 0;
    counting = true;
    for (int block = 1; block < 5; ++block)
    {
        lv2.controls[SourceAzimuth] = static_cast<float>(block * 20); // every run converts anew
        lv2.controls[Gain] = -static_cast<float>(block);
        lv2.run(block);
    }
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
}

TEST(Lv2Plugin, MissingBuffersAndEmptyRunsAreHarmless)
{
    Lv2Instance lv2;
    lv2.outputs[0].assign(kBlock, 7.0f);
    lv2.descriptor->connect_port(lv2.handle, kFirstAudioInput + 2, nullptr);
    lv2.descriptor->connect_port(lv2.handle, SourceAzimuth, nullptr);
    lv2.descriptor->run(lv2.handle, kBlock);
    lv2.descriptor->run(lv2.handle, 0);
    EXPECT_EQ(lv2.outputs[0][0], 7.0f) << "without all its inputs the instance writes nothing";
    lv2.descriptor->connect_port(lv2.handle, kNumPorts, lv2.inputs[0].data()); // no such port: ignored
}

} // namespace
