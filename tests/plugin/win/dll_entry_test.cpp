// The built sorvelt.dll as a Windows host meets it: loaded with LoadLibrary, its entry
// found under both names, an instance created and closed through the record alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "effect/sorvelt.h"
#include "plugin/aeffect.h"

namespace
{

using Entry = AEffect* (*)(HostCallback);

/// Wine maps drive Z: to the Unix root; the build hands the test Unix paths.
std::string windowsPath(std::string path)
{
    if (path.empty() || path[0] != '/') return path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return "Z:" + path;
}

std::int32_t versionAnswer = kVstVersion;

std::intptr_t host(AEffect*, std::int32_t opcode, std::int32_t, std::intptr_t, void*, float)
{
    return opcode == audioMasterVersion ? versionAnswer : 0;
}

class DllEntry : public ::testing::Test
{
protected:
    void SetUp() override
    {
        module = LoadLibraryA(windowsPath(SORVELT_DLL_PATH).c_str());
        ASSERT_NE(module, nullptr) << "LoadLibrary failed, error " << GetLastError();
        entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, "VSTPluginMain")));
        ASSERT_NE(entry, nullptr);
        versionAnswer = kVstVersion;
    }
    void TearDown() override
    {
        if (module) FreeLibrary(module);
    }

    std::intptr_t dispatch(AEffect* e, std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0,
                           void* ptr = nullptr, float opt = 0.0f)
    {
        return e->dispatcher(e, opcode, index, value, ptr, opt);
    }

    HMODULE module = nullptr;
    Entry entry = nullptr;
};

TEST_F(DllEntry, BothExportsAreOneFunction)
{
    auto* legacy = reinterpret_cast<void*>(GetProcAddress(module, "main"));
    EXPECT_EQ(legacy, reinterpret_cast<void*>(entry));
}

TEST_F(DllEntry, CreatesAnInstanceThatAnswersAndCloses)
{
    AEffect* e = entry(host);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->magic, kEffectMagic);
    EXPECT_EQ(e->numPrograms, 1);
    EXPECT_EQ(e->numParams, 5);
    EXPECT_EQ(e->numInputs, 4);
    EXPECT_EQ(e->numOutputs, 4);
    EXPECT_EQ(e->uniqueID, fourCharConstant("SVLT"));
    EXPECT_EQ(e->version, 1);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_NE(e->object, nullptr);

    ERect* rect = nullptr;
    EXPECT_EQ(e->flags, 0x1011);
    ASSERT_EQ(dispatch(e, effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 420);
    EXPECT_EQ(rect->bottom - rect->top, 200);

    // The Windows answers of the deprecated requests.
    EXPECT_EQ(dispatch(e, effIdentify), 0x4E764566);
    EXPECT_EQ(dispatch(e, effGetNumProgramCategories), 1);
    EXPECT_EQ(dispatch(e, effKeysRequired), 1);
    EXPECT_EQ(dispatch(e, effConnectInput, 0, 1), 1);
    EXPECT_EQ(dispatch(e, effGetVstVersion), kVstVersion);
    EXPECT_EQ(dispatch(e, effGetPlugCategory), kPlugCategEffect);
    char name[kVstMaxEffectNameLen + 1] = {};
    EXPECT_EQ(dispatch(e, effGetEffectName, 0, 0, name), 1);
    EXPECT_STREQ(name, "Sorvelt");

    // A block through the record matches, bit for bit, the engine built into this test.
    constexpr int kFrames = 256;
    std::vector<float> in[4], out[4], expected[4];
    float *inputs[4], *outputs[4], *expectedOutputs[4];
    for (int c = 0; c < 4; ++c)
    {
        in[c].resize(kFrames);
        for (int i = 0; i < kFrames; ++i)
            in[c][i] = std::sin(0.05f * static_cast<float>((c + 1) * i));
        out[c].assign(kFrames, 0.0f);
        expected[c].assign(kFrames, 0.0f);
        inputs[c] = in[c].data();
        outputs[c] = out[c].data();
        expectedOutputs[c] = expected[c].data();
    }
    Sorvelt reference(host);
    for (float azimuth : {0.25f, 0.8f})
    {
        e->setParameter(e, 0, azimuth);
        reference.setParameter(0, azimuth);
        e->processReplacing(e, inputs, outputs, kFrames);
        reference.processReplacing(inputs, expectedOutputs, kFrames);
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(std::memcmp(out[c].data(), expected[c].data(), kFrames * sizeof(float)), 0) << c;
    }
    EXPECT_NE(std::count(out[0].begin(), out[0].end(), 0.0f), kFrames);

    EXPECT_EQ(dispatch(e, effClose), 1);
}

// Every request a host may send, through the DLL's record and to the effect built into
// this test: the same answers, the same texts, the deprecated requests included.
TEST_F(DllEntry, EveryRequestAnswersAsTheTestedEffect)
{
    AEffect* e = entry(host);
    ASSERT_NE(e, nullptr);
    Sorvelt reference(host);
    AEffect* r = reference.getAeffect();
    for (std::int32_t opcode = -1; opcode <= 80; ++opcode)
    {
        if (opcode == effClose) continue;
        SCOPED_TRACE("opcode " + std::to_string(opcode));
        // A text buffer, and one out-pointer through value (effGetSpeakerArrangement writes
        // there); both calls get the same value, which some requests hand straight back.
        char dllText[256] = {}, referenceText[256] = {};
        void* out = nullptr;
        const auto value = reinterpret_cast<std::intptr_t>(&out);
        out = &out;
        const std::intptr_t dllAnswer = e->dispatcher(e, opcode, 2, value, dllText, 48000.0f);
        const bool dllCleared = out == nullptr;
        out = &out;
        const std::intptr_t referenceAnswer = r->dispatcher(r, opcode, 2, value, referenceText, 48000.0f);
        EXPECT_EQ(dllAnswer, referenceAnswer);
        if (opcode == effEditGetRect)
        {
            // The answer is each editor's own rectangle: the same numbers at different places.
            ERect* dllRect = nullptr;
            ERect* referenceRect = nullptr;
            std::memcpy(&dllRect, dllText, sizeof dllRect);
            std::memcpy(&referenceRect, referenceText, sizeof referenceRect);
            ASSERT_NE(dllRect, nullptr);
            ASSERT_NE(referenceRect, nullptr);
            EXPECT_EQ(std::memcmp(dllRect, referenceRect, sizeof(ERect)), 0);
        }
        else
        {
            EXPECT_STREQ(dllText, referenceText);
        }
        EXPECT_EQ(dllCleared, out == nullptr);
    }
    EXPECT_EQ(dispatch(e, effClose), 1);
}

TEST_F(DllEntry, TwoInstancesLiveSideBySide)
{
    AEffect* first = entry(host);
    AEffect* second = entry(host);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    first->setParameter(first, 0, 0.25f);
    EXPECT_EQ(second->getParameter(second, 0), 0.5f);
    EXPECT_EQ(first->getParameter(first, 0), 0.25f);
    EXPECT_EQ(dispatch(first, effClose), 1);
    EXPECT_EQ(dispatch(second, effClose), 1);
}

TEST_F(DllEntry, AHostThatDoesNotKnowItsVersionGetsNothing)
{
    versionAnswer = 0;
    EXPECT_EQ(entry(host), nullptr);
    EXPECT_EQ(entry(nullptr), nullptr);
}

TEST_F(DllEntry, TheBitmapsArePngResources128To134)
{
    for (int id = 128; id <= 134; ++id)
    {
        SCOPED_TRACE(id);
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), "PNG");
        ASSERT_NE(found, nullptr);
        const DWORD size = SizeofResource(module, found);
        HGLOBAL loaded = LoadResource(module, found);
        ASSERT_NE(loaded, nullptr);
        const auto* bytes = static_cast<const char*>(LockResource(loaded));
        ASSERT_NE(bytes, nullptr);

        char file[32];
        std::snprintf(file, sizeof file, "/resources/bmp%05d.png", id);
        std::ifstream png(windowsPath(SORVELT_SOURCE_DIR + std::string(file)), std::ios::binary);
        ASSERT_TRUE(png) << file;
        const std::vector<char> expected{std::istreambuf_iterator<char>(png), {}};
        ASSERT_EQ(size, expected.size());
        EXPECT_EQ(std::memcmp(bytes, expected.data(), size), 0);
    }
    EXPECT_EQ(FindResourceA(module, MAKEINTRESOURCEA(135), "PNG"), nullptr);
}

} // namespace
