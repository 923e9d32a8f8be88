// Host services: each wrapper sends one request, placed as the host expects,
// and turns the answer into its result; without a host each gives its fallback.
#include "tests/plugin/probe_effect.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace
{

struct HostCall
{
    AEffect* effect;
    std::int32_t opcode;
    std::int32_t index;
    std::intptr_t value;
    void* ptr;
    float opt;
};

std::vector<HostCall> gCalls;
std::intptr_t gAnswer = 0;

std::intptr_t recordingHost(AEffect* effect, std::int32_t opcode, std::int32_t index, std::intptr_t value,
                            void* ptr, float opt)
{
    gCalls.push_back({effect, opcode, index, value, ptr, opt});
    return gAnswer;
}

const std::intptr_t kBuf = reinterpret_cast<std::intptr_t>(gBuffer);

struct Service
{
    const char* name;
    std::function<std::intptr_t(PlainEffect&)> call;
    HostCall sent; // effect left null: always the caller's own record
    // Pairs of host answer and the wrapper's result.
    std::vector<std::pair<std::intptr_t, std::intptr_t>> answers;
    std::intptr_t fallback; // without a host
};

std::intptr_t asInt(bool b)
{
    return b ? 1 : 0;
}

const std::vector<Service>& services()
{
    static char text[] = "sizeWindow";
    static const std::vector<Service> table = {
        {"getMasterVersion",
         [](PlainEffect& e) { return std::intptr_t{e.getMasterVersion()}; },
         {nullptr, audioMasterVersion, 0, 0, nullptr, 0},
         {{2400, 2400}, {0, 1}},
         1},
        {"getCurrentUniqueId",
         [](PlainEffect& e) { return std::intptr_t{e.getCurrentUniqueId()}; },
         {nullptr, audioMasterCurrentId, 0, 0, nullptr, 0},
         {{42, 42}},
         0},
        {"masterIdle",
         [](PlainEffect& e)
         {
             e.masterIdle();
             return std::intptr_t{0};
         },
         {nullptr, audioMasterIdle, 0, 0, nullptr, 0},
         {{1, 0}},
         0},
        {"getTimeInfo",
         [](PlainEffect& e) { return reinterpret_cast<std::intptr_t>(e.getTimeInfo(0x202)); },
         {nullptr, audioMasterGetTime, 0, 0x202, nullptr, 0},
         {{kBuf, kBuf}, {0, 0}},
         0},
        {"sendVstEventsToHost",
         [](PlainEffect& e) { return asInt(e.sendVstEventsToHost(reinterpret_cast<VstEvents*>(gBuffer))); },
         {nullptr, audioMasterProcessEvents, 0, 0, gBuffer, 0},
         {{1, 1}, {2, 0}, {-1, 0}, {0, 0}},
         0},
        {"ioChanged",
         [](PlainEffect& e) { return asInt(e.ioChanged()); },
         {nullptr, audioMasterIOChanged, 0, 0, nullptr, 0},
         {{5, 1}, {0, 0}},
         0},
        {"getInputLatency",
         [](PlainEffect& e) { return std::intptr_t{e.getInputLatency()}; },
         {nullptr, audioMasterGetInputLatency, 0, 0, nullptr, 0},
         {{64, 64}},
         0},
        {"getOutputLatency",
         [](PlainEffect& e) { return std::intptr_t{e.getOutputLatency()}; },
         {nullptr, audioMasterGetOutputLatency, 0, 0, nullptr, 0},
         {{128, 128}},
         0},
        {"getCurrentProcessLevel",
         [](PlainEffect& e) { return std::intptr_t{e.getCurrentProcessLevel()}; },
         {nullptr, audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0},
         {{2, 2}},
         0},
        {"getAutomationState",
         [](PlainEffect& e) { return std::intptr_t{e.getAutomationState()}; },
         {nullptr, audioMasterGetAutomationState, 0, 0, nullptr, 0},
         {{3, 3}},
         0},
        {"offlineStart",
         [](PlainEffect& e) { return asInt(e.offlineStart(reinterpret_cast<VstAudioFile*>(gBuffer), 3, 4)); },
         {nullptr, audioMasterOfflineStart, 4, 3, gBuffer, 0},
         {{9, 1}, {0, 0}},
         0},
        {"offlineRead",
         [](PlainEffect& e)
         { return asInt(e.offlineRead(reinterpret_cast<VstOfflineTask*>(gBuffer), 5, true)); },
         {nullptr, audioMasterOfflineRead, 1, 5, gBuffer, 0},
         {{1, 1}, {0, 0}},
         0},
        {"offlineWrite",
         [](PlainEffect& e) { return asInt(e.offlineWrite(reinterpret_cast<VstOfflineTask*>(gBuffer), 6)); },
         {nullptr, audioMasterOfflineWrite, 0, 6, gBuffer, 0},
         {{1, 1}, {0, 0}},
         0},
        {"offlineGetCurrentPass",
         [](PlainEffect& e) { return asInt(e.offlineGetCurrentPass()); },
         {nullptr, audioMasterOfflineGetCurrentPass, 0, 0, nullptr, 0},
         {{3, 1}, {0, 0}},
         0},
        {"offlineGetCurrentMetaPass",
         [](PlainEffect& e) { return asInt(e.offlineGetCurrentMetaPass()); },
         {nullptr, audioMasterOfflineGetCurrentMetaPass, 0, 0, nullptr, 0},
         {{3, 1}, {0, 0}},
         0},
        {"getHostVendorString",
         [](PlainEffect& e) { return asInt(e.getHostVendorString(gBuffer)); },
         {nullptr, audioMasterGetVendorString, 0, 0, gBuffer, 0},
         {{1, 1}, {0, 0}},
         0},
        {"getHostProductString",
         [](PlainEffect& e) { return asInt(e.getHostProductString(gBuffer)); },
         {nullptr, audioMasterGetProductString, 0, 0, gBuffer, 0},
         {{1, 1}, {0, 0}},
         0},
        {"getHostVendorVersion",
         [](PlainEffect& e) { return std::intptr_t{e.getHostVendorVersion()}; },
         {nullptr, audioMasterGetVendorVersion, 0, 0, nullptr, 0},
         {{1200, 1200}},
         0},
        {"hostVendorSpecific",
         [](PlainEffect& e) { return e.hostVendorSpecific(1, 2, gBuffer, 0.5f); },
         {nullptr, audioMasterVendorSpecific, 1, 2, gBuffer, 0.5f},
         {{77, 77}},
         0},
        {"getHostLanguage",
         [](PlainEffect& e) { return std::intptr_t{e.getHostLanguage()}; },
         {nullptr, audioMasterGetLanguage, 0, 0, nullptr, 0},
         {{2, 2}},
         0},
        {"getDirectory",
         [](PlainEffect& e) { return reinterpret_cast<std::intptr_t>(e.getDirectory()); },
         {nullptr, audioMasterGetDirectory, 0, 0, nullptr, 0},
         {{kBuf, kBuf}},
         0},
        {"updateDisplay",
         [](PlainEffect& e) { return asInt(e.updateDisplay()); },
         {nullptr, audioMasterUpdateDisplay, 0, 0, nullptr, 0},
         {{1, 1}, {0, 0}},
         0},
        {"beginEdit",
         [](PlainEffect& e) { return asInt(e.beginEdit(3)); },
         {nullptr, audioMasterBeginEdit, 3, 0, nullptr, 0},
         {{1, 1}, {0, 0}},
         0},
        {"endEdit",
         [](PlainEffect& e) { return asInt(e.endEdit(3)); },
         {nullptr, audioMasterEndEdit, 3, 0, nullptr, 0},
         {{1, 1}, {0, 0}},
         0},
        {"openFileSelector",
         [](PlainEffect& e) { return asInt(e.openFileSelector(reinterpret_cast<VstFileSelect*>(gBuffer))); },
         {nullptr, audioMasterOpenFileSelector, 0, 0, gBuffer, 0},
         {{1, 1}, {0, 0}},
         0},
        {"closeFileSelector",
         [](PlainEffect& e) { return asInt(e.closeFileSelector(reinterpret_cast<VstFileSelect*>(gBuffer))); },
         {nullptr, audioMasterCloseFileSelector, 0, 0, gBuffer, 0},
         {{1, 1}, {0, 0}},
         0},
        // The interface's -1 "no" reads as 1: hosts and callers have always seen it so.
        {"canHostDo",
         [](PlainEffect& e) { return asInt(e.canHostDo(text)); },
         {nullptr, audioMasterCanDo, 0, 0, text, 0},
         {{1, 1}, {-1, 1}, {0, 0}},
         0},
        {"sizeWindow",
         [](PlainEffect& e) { return asInt(e.sizeWindow(420, 200)); },
         {nullptr, audioMasterSizeWindow, 420, 200, nullptr, 0},
         {{1, 1}, {0, 0}},
         0},
        {"wantEvents",
         [](PlainEffect& e)
         {
             e.wantEvents(1);
             return std::intptr_t{0};
         },
         {nullptr, audioMasterWantMidi, 0, 1, nullptr, 0},
         {{1, 0}},
         0},
    };
    return table;
}

TEST(HostServices, EachWrapperSendsItsRequestAndMapsTheAnswer)
{
    for (const Service& service : services())
    {
        for (const auto& [answer, result] : service.answers)
        {
            SCOPED_TRACE(std::string(service.name) + " answered " + std::to_string(answer));
            PlainEffect effect(recordingHost);
            gCalls.clear();
            gAnswer = answer;
            EXPECT_EQ(service.call(effect), result);
            ASSERT_EQ(gCalls.size(), 1u);
            const HostCall& sent = gCalls.front();
            EXPECT_EQ(sent.effect, effect.getAeffect());
            EXPECT_EQ(sent.opcode, service.sent.opcode);
            EXPECT_EQ(sent.index, service.sent.index);
            EXPECT_EQ(sent.value, service.sent.value);
            EXPECT_EQ(sent.ptr, service.sent.ptr);
            EXPECT_EQ(sent.opt, service.sent.opt);
        }
    }
}

TEST(HostServices, WithoutAHostEachWrapperGivesItsFallback)
{
    for (const Service& service : services())
    {
        PlainEffect effect(nullptr);
        EXPECT_EQ(service.call(effect), service.fallback) << service.name;
    }
    PlainEffect effect(nullptr);
    EXPECT_EQ(effect.updateSampleRate(), 44100.0f);
    EXPECT_EQ(effect.updateBlockSize(), 1024);

    // Automation without a host still changes the effect.
    ProbeEffect probe(nullptr);
    probe.setParameterAutomated(1, 0.5f);
    EXPECT_EQ(probe.calls, std::vector<std::string>{"setParameter(1,0.5)"});
}

TEST(HostServices, MissingBuffersAreNotPassedToTheHost)
{
    PlainEffect effect(recordingHost);
    gCalls.clear();
    gAnswer = 1;
    EXPECT_FALSE(effect.getHostVendorString(nullptr));
    EXPECT_FALSE(effect.getHostProductString(nullptr));
    EXPECT_FALSE(effect.openFileSelector(nullptr));
    EXPECT_FALSE(effect.closeFileSelector(nullptr));
    EXPECT_FALSE(effect.canHostDo(nullptr));
    EXPECT_TRUE(gCalls.empty());
}

TEST(HostServices, SampleRateAndBlockSizeTakeOnlyPositiveAnswers)
{
    const struct
    {
        std::intptr_t answer;
        float rate;
        std::int32_t block;
    } cases[] = {
        {48000, 48000.0f, 48000},
        {0, 44100.0f, 1024},
        {-1, 44100.0f, 1024},
        {std::intptr_t{1} << 40, static_cast<float>(std::intptr_t{1} << 40), 1024},
    };
    for (const auto& c : cases)
    {
        PlainEffect effect(recordingHost);
        gCalls.clear();
        gAnswer = c.answer;
        EXPECT_EQ(effect.updateSampleRate(), c.rate) << c.answer;
        EXPECT_EQ(effect.getSampleRate(), c.rate);
        EXPECT_EQ(effect.updateBlockSize(), c.block) << c.answer;
        EXPECT_EQ(effect.getBlockSize(), c.block);
        ASSERT_EQ(gCalls.size(), 2u);
        EXPECT_EQ(gCalls[0].opcode, audioMasterGetSampleRate);
        EXPECT_EQ(gCalls[1].opcode, audioMasterGetBlockSize);
    }
}

TEST(HostServices, AutomationStoresTheValueBeforeTheHostHearsOfIt)
{
    static ProbeEffect* probe = nullptr;
    static std::vector<std::string> seenByHost;
    auto host = [](AEffect*, std::int32_t opcode, std::int32_t index, std::intptr_t, void*,
                   float opt) -> std::intptr_t
    {
        seenByHost.push_back(callText("host", opcode, index, opt) + " after " +
                             std::to_string(probe->calls.size()));
        return 0;
    };
    ProbeEffect effect(host);
    probe = &effect;
    seenByHost.clear();
    effect.setParameterAutomated(2, 0.25f);
    EXPECT_EQ(effect.calls, std::vector<std::string>{"setParameter(2,0.25)"});
    EXPECT_EQ(seenByHost, std::vector<std::string>{"host(0,2,0.25) after 1"});
    probe = nullptr;
}

} // namespace
