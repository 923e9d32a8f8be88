// Loading and driving a VST 2.4 plug-in.
#include "tools/render/plugin_host.h"
#include "tools/render/editor_window.h"

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <vector>

namespace sorvelt::render
{

namespace
{

using Entry = AEffect* (*)(HostCallback);

// The host whose plug-in is being created: the entry asks for the host's version before any
// record exists, so the callback cannot find its host through the record yet.
thread_local PluginHost* creating = nullptr;

} // namespace

PluginHost::PluginHost(void* lib, std::string path, float sampleRate, int blockSize)
    : library(lib), libraryPath(std::move(path)), rate(sampleRate), block(blockSize)
{
}

std::unique_ptr<PluginHost> PluginHost::load(const std::string& path, float sampleRate, int blockSize,
                                             std::string& error)
{
    // Without a slash dlopen would search the library path instead of taking the file named.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    void* library = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library)
    {
        const char* reason = ::dlerror();
        error = "cannot load plug-in " + path + ": " + (reason ? reason : "unknown reason");
        return nullptr;
    }
    auto host = std::unique_ptr<PluginHost>(new PluginHost(library, path, sampleRate, blockSize));

    void* symbol = ::dlsym(library, "VSTPluginMain");
    if (!symbol) symbol = ::dlsym(library, "main"); // what older Linux plug-ins export
    if (!symbol)
    {
        error = "cannot load plug-in " + path + ": it exports neither VSTPluginMain nor main";
        return nullptr;
    }
    Entry entry = nullptr;
    static_assert(sizeof entry == sizeof symbol);
    std::memcpy(&entry, &symbol, sizeof entry);

    creating = host.get();
    AEffect* effect = entry(&PluginHost::callback);
    creating = nullptr;
    if (!effect)
    {
        error = "plug-in " + path + " refused to start: its entry returned no effect";
        return nullptr;
    }
    if (effect->magic != kEffectMagic)
    {
        error = "plug-in " + path + " is not a VST 2 plug-in: its record has the wrong magic";
        return nullptr; // the record is not ours to close: nothing sane can be dispatched to it
    }
    effect->user = host.get();
    host->effect = effect;
    if (!effect->processReplacing)
    {
        host->close();
        error = "plug-in " + path + " cannot process in place (no processReplacing)";
        return nullptr;
    }
    return host;
}

PluginHost::~PluginHost()
{
    // The library stays loaded: the libraries a plug-in pulls in (fonts, drawing) keep caches
    // that are lost, not freed, when they are unmapped, and a command gains nothing by unloading
    // just before it exits.
    close();
}

void PluginHost::open()
{
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    dispatch(effSetBlockSize, 0, block);
    dispatch(effMainsChanged, 0, 1);
    opened = true;
}

void PluginHost::close()
{
    if (!effect) return;
    if (opened) dispatch(effMainsChanged, 0, 0);
    dispatch(effClose);
    effect = nullptr;
    opened = false;
}

std::intptr_t PluginHost::dispatch(AEffectOpcodes opcode, int index, std::intptr_t value, void* ptr,
                                   float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string PluginHost::text(AEffectOpcodes opcode, int index, std::intptr_t value)
{
    // Plug-ins often write more than the interface's limits (names past 8 characters);
    // a roomy, zeroed buffer keeps that harmless.
    std::vector<char> buffer(512, '\0');
    dispatch(opcode, index, value, buffer.data());
    buffer.back() = '\0';
    return buffer.data();
}

std::intptr_t PluginHost::callback(AEffect* effect, std::int32_t opcode, std::int32_t index, std::intptr_t,
                                   void*, float opt)
{
    const PluginHost* host = effect && effect->user ? static_cast<PluginHost*>(effect->user) : creating;
    switch (opcode)
    {
    case audioMasterVersion:
        return kVstVersion;
    case audioMasterGetSampleRate:
        return host ? static_cast<std::intptr_t>(host->rate) : 0;
    case audioMasterGetBlockSize:
        return host ? host->block : 0;
    default:
        // While --gui shows the editor, its automation and edit gestures are printed.
        reportEditorEvent(opcode, index, opt);
        return 0;
    }
}

std::string fourCharacters(std::int32_t id)
{
    const auto bits = static_cast<std::uint32_t>(id);
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const char c = static_cast<char>((bits >> shift) & 0xFF);
        if (c < 0x20 || c > 0x7E)
        {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08X", bits);
            return hex;
        }
        text += c;
    }
    return text;
}

std::string flagWords(std::int32_t flags)
{
    static const struct
    {
        std::int32_t bit;
        const char* word;
    } names[] = {
        {effFlagsHasEditor, "has editor"},
        {effFlagsHasClip, "has clip"},
        {effFlagsHasVu, "has VU"},
        {effFlagsCanMono, "can mono"},
        {effFlagsCanReplacing, "can process replacing"},
        {effFlagsProgramChunks, "programs are chunks"},
        {effFlagsIsSynth, "is a synth"},
        {effFlagsNoSoundInStop, "no sound in stop"},
        {effFlagsExtIsAsync, "asynchronous"},
        {effFlagsExtHasBuffer, "external buffer"},
        {effFlagsCanDoubleReplacing, "can process double replacing"},
    };
    std::string words;
    std::int32_t known = 0;
    for (const auto& name : names)
    {
        known |= name.bit;
        if (flags & name.bit) words += (words.empty() ? "" : ", ") + std::string(name.word);
    }
    if (const std::int32_t rest = flags & ~known)
    {
        char hex[32];
        std::snprintf(hex, sizeof hex, "unknown bits 0x%X", static_cast<unsigned>(rest));
        words += (words.empty() ? "" : ", ") + std::string(hex);
    }
    return words.empty() ? "none" : words;
}

std::string categoryName(std::intptr_t category)
{
    static const char* const names[] = {"unknown",     "effect",          "synth",       "analysis",
                                        "mastering",   "spatializer",     "room effect", "surround effect",
                                        "restoration", "offline process", "shell",       "generator"};
    if (category >= 0 && category < static_cast<std::intptr_t>(std::size(names))) return names[category];
    return "category " + std::to_string(category);
}

} // namespace sorvelt::render
