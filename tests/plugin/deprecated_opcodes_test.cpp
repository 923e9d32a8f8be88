// Deprecated requests: the Windows flavour answers them, the Mac flavour leaves
// them to the base, which answers 0. This program is built once per flavour.
#include "tests/plugin/probe_effect.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

// One suite name per flavour, so both programs' tests are listed side by side.
#if SORVELT_MAC_FLAVOUR
constexpr bool kWindows = false;
#define FLAVOUR_SUITE MacDeprecatedOpcodes
#else
constexpr bool kWindows = true;
#define FLAVOUR_SUITE WindowsDeprecatedOpcodes
#endif

std::intptr_t dispatch(AudioEffect& effect, std::int32_t opcode, std::int32_t index, std::intptr_t value,
                       void* ptr, float opt)
{
    AEffect* record = effect.getAeffect();
    return record->dispatcher(record, opcode, index, value, ptr, opt);
}

TEST(FLAVOUR_SUITE, ReachTheirOperationsOnlyInTheWindowsFlavour)
{
    const std::intptr_t buf2 = reinterpret_cast<std::intptr_t>(gOtherBuffer);
    // Results with the probe answering true and 7.
    const struct
    {
        std::int32_t opcode;
        std::int32_t index;
        std::intptr_t value;
        void* ptr;
        float opt;
        const char* call;
        std::intptr_t result;
    } rows[] = {
        {effGetNumProgramCategories, 0, 0, nullptr, 0, "getNumCategories()", 7},
        {effCopyProgram, 2, 0, nullptr, 0, "copyProgram(2)", 1},
        {effConnectInput, 2, 1, nullptr, 0, "inputConnected(2,1)", 1},
        {effConnectOutput, 3, 0, nullptr, 0, "outputConnected(3,0)", 1},
        {effGetCurrentPosition, 0, 0, nullptr, 0, "reportCurrentPosition()", 7},
        {effGetDestinationBuffer, 0, 0, nullptr, 0, "reportDestinationBuffer()", buf2},
        {effSetBlockSizeAndSampleRate, 0, 256, nullptr, 22050.0f, "setBlockSizeAndSampleRate(256,22050)", 1},
        {effGetErrorText, 0, 0, gBuffer, 0, "getErrorText(buf)", 1},
        {effIdle, 0, 0, nullptr, 0, "fxIdle()", 7},
        {effGetIcon, 0, 0, nullptr, 0, "getIcon()", buf2},
        {effSetViewPosition, 3, 4, nullptr, 0, "setViewPosition(3,4)", 1},
        // The host learns whether keys are NOT required: 7 means required.
        {effKeysRequired, 0, 0, nullptr, 0, "keysRequired()", 0},
        // The meter is read, but hosts always got 0 for it.
        {effGetVu, 0, 0, nullptr, 0, "getVu()", 0},
    };
    for (const auto& row : rows)
    {
        ProbeEffect probe;
        SCOPED_TRACE("opcode " + std::to_string(row.opcode));
        const std::intptr_t result = dispatch(probe, row.opcode, row.index, row.value, row.ptr, row.opt);
        if (kWindows)
        {
            EXPECT_EQ(probe.calls, std::vector<std::string>{row.call});
            EXPECT_EQ(result, row.result);
        }
        else
        {
            EXPECT_TRUE(probe.calls.empty());
            EXPECT_EQ(result, 0);
        }
    }
}

TEST(FLAVOUR_SUITE, DefaultAnswers)
{
    const struct
    {
        std::int32_t opcode;
        std::intptr_t windows;
    } rows[] = {
        {effGetNumProgramCategories, 1},
        {effCopyProgram, 0},
        {effConnectInput, 1},
        {effConnectOutput, 1},
        {effGetCurrentPosition, 0},
        {effGetDestinationBuffer, 0},
        {effGetErrorText, 0},
        {effIdle, 0},
        {effGetIcon, 0},
        {effSetViewPosition, 0},
        {effKeysRequired, 1},
        {effGetVu, 0},
    };
    for (const auto& row : rows)
    {
        PlainEffect effect;
        char text[16] = "";
        EXPECT_EQ(dispatch(effect, row.opcode, 1, 1, text, 0.0f), kWindows ? row.windows : 0)
            << "opcode " << row.opcode;
    }
}

TEST(FLAVOUR_SUITE, BlockSizeAndSampleRateAreStoredOnlyInTheWindowsFlavour)
{
    PlainEffect effect;
    EXPECT_EQ(dispatch(effect, effSetBlockSizeAndSampleRate, 0, 256, nullptr, 22050.0f), kWindows ? 1 : 0);
    EXPECT_EQ(effect.getBlockSize(), kWindows ? 256 : 1024);
    EXPECT_EQ(effect.getSampleRate(), kWindows ? 22050.0f : 44100.0f);
}

} // namespace
