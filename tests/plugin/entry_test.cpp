// The exported entry, loaded the way a host loads it: with dlopen, from a
// stand-in plug-in built from the real entry and export list, and from the real
// plug-in once it is built.
#include "plugin/aeffect.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

namespace
{

using EntryFunction = AEffect* (*)(HostCallback);

constexpr std::int32_t kAskMode = fourCharConstant("mode");
constexpr std::int32_t kReportDestroyed = fourCharConstant("dtor");

// What the test host answers and what it saw.
std::intptr_t gVersionAnswer = 2400;
std::intptr_t gFactoryMode = 0;
int gVersionQueries = 0;
int gModeQueries = 0;
int gDestroyed = 0;

std::intptr_t testHost(AEffect* effect, std::int32_t opcode, std::int32_t index, std::intptr_t, void*, float)
{
    if (opcode == audioMasterVersion)
    {
        EXPECT_EQ(effect, nullptr);
        ++gVersionQueries;
        return gVersionAnswer;
    }
    if (opcode == audioMasterVendorSpecific && index == kAskMode)
    {
        ++gModeQueries;
        return gFactoryMode;
    }
    if (opcode == audioMasterVendorSpecific && index == kReportDestroyed) ++gDestroyed;
    return 0;
}

void resetHost(std::intptr_t version, std::intptr_t mode)
{
    gVersionAnswer = version;
    gFactoryMode = mode;
    gVersionQueries = gModeQueries = gDestroyed = 0;
}

/// Symbols a module defines for others, as the dynamic linker sees them.
std::set<std::string> exportedSymbols(const std::string& path)
{
    std::set<std::string> names;
    const std::string command = "nm -D --defined-only " + path;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe))
    {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        const auto space = text.rfind(' ');
        names.insert(space == std::string::npos ? text : text.substr(space + 1));
    }
    EXPECT_EQ(pclose(pipe), 0) << command;
    return names;
}

class Module
{
public:
    explicit Module(const std::string& path)
        : handle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE))
    {
        EXPECT_NE(handle, nullptr) << dlerror();
    }
    ~Module()
    {
        if (handle) dlclose(handle);
    }
    EntryFunction entry(const char* name) const
    {
        return handle ? reinterpret_cast<EntryFunction>(dlsym(handle, name)) : nullptr;
    }

private:
    void* handle;
};

TEST(Entry, ExportsOnlyTheEntryUnderBothNames)
{
    const std::set<std::string> want{"VSTPluginMain", "main"};
    EXPECT_EQ(exportedSymbols(ENTRY_PROBE_PATH), want);
    Module module(ENTRY_PROBE_PATH);
    ASSERT_NE(module.entry("VSTPluginMain"), nullptr);
    EXPECT_EQ(module.entry("main"), module.entry("VSTPluginMain"));
}

TEST(Entry, CreatesOneEffectAndHandsOutItsRecord)
{
    Module module(ENTRY_PROBE_PATH);
    const EntryFunction entry = module.entry("VSTPluginMain");
    ASSERT_NE(entry, nullptr);
    resetHost(2400, 0);
    AEffect* effect = entry(testHost);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(gVersionQueries, 1);
    EXPECT_EQ(gModeQueries, 1);
    EXPECT_EQ(effect->magic, 0x56737450);
    EXPECT_EQ(effect->uniqueID, fourCharConstant("PrbE"));
    EXPECT_NE(effect->object, nullptr);

    // Closing through the record destroys the object and answers 1.
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(gDestroyed, 1);
}

TEST(Entry, CreatesNothingForAnOldHostOrAFailedFactory)
{
    Module module(ENTRY_PROBE_PATH);
    const EntryFunction entry = module.entry("VSTPluginMain");
    ASSERT_NE(entry, nullptr);
    const struct
    {
        std::intptr_t version;
        std::intptr_t mode;
        int factoryCalls;
    } cases[] = {
        {0, 0, 0},    // a host too old to tell its version
        {2400, 1, 1}, // the factory yields null
        {2400, 2, 1}, // the factory throws: nothing may reach the host
    };
    for (const auto& c : cases)
    {
        resetHost(c.version, c.mode);
        EXPECT_EQ(entry(testHost), nullptr) << "version " << c.version << " mode " << c.mode;
        EXPECT_EQ(gModeQueries, c.factoryCalls);
        EXPECT_EQ(gDestroyed, 0);
    }
    EXPECT_EQ(entry(nullptr), nullptr);
}

/// The real plug-in, when this build has it.
std::string pluginPath()
{
    const char* dir = std::getenv("SORVELT_BUILD_DIR");
    return std::string(dir ? dir : ".") + "/sorvelt.so";
}

TEST(Entry, RealPluginExportsOnlyTheEntryAndCreatesSorvelt)
{
    const std::string path = pluginPath();
    if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not built in this tree";
    const std::set<std::string> want{"VSTPluginMain", "main"};
    EXPECT_EQ(exportedSymbols(path), want);

    Module module(path);
    const EntryFunction entry = module.entry("VSTPluginMain");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(module.entry("main"), entry);
    resetHost(0, 0);
    EXPECT_EQ(entry(testHost), nullptr);

    resetHost(2400, 0);
    AEffect* effect = entry(testHost);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->magic, kEffectMagic);
    EXPECT_EQ(effect->uniqueID, fourCharConstant("SVLT"));
    EXPECT_EQ(effect->numInputs, 4);
    EXPECT_EQ(effect->numOutputs, 4);
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
}

} // namespace
