// The host side of the plug-in interface: loads a VST 2.4 shared object, answers its
// callback as a well-behaved host does, and drives the record it returns.
#pragma once

#include "plugin/aeffect.h"

#include <memory>
#include <string>

namespace sorvelt::render
{

class PluginHost
{
public:
    /// Loads `path` and creates one instance through VSTPluginMain (or main). Null and `error`
    /// set when the file cannot be loaded, has no entry, or its entry returns no effect.
    static std::unique_ptr<PluginHost> load(const std::string& path, float sampleRate, int blockSize,
                                            std::string& error);
    /// Closes the instance if open. The library stays loaded until the process ends.
    ~PluginHost();

    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    /// effOpen, effSetSampleRate, effSetBlockSize, effMainsChanged 1.
    void open();
    /// effMainsChanged 0, effClose. The record is gone afterwards.
    void close();

    AEffect& record() { return *effect; }
    const std::string& path() const { return libraryPath; }
    bool canProcessDouble() const { return (effect->flags & effFlagsCanDoubleReplacing) != 0; }

    void setParameter(int index, float value) { effect->setParameter(effect, index, value); }
    float getParameter(int index) { return effect->getParameter(effect, index); }

    /// A text the plug-in writes into a buffer (names, labels, displays), cut to what it wrote.
    std::string text(AEffectOpcodes opcode, int index = 0, std::intptr_t value = 0);
    std::intptr_t dispatch(AEffectOpcodes opcode, int index = 0, std::intptr_t value = 0, void* ptr = nullptr,
                           float opt = 0.0f);

    void process(float** inputs, float** outputs, int frames)
    {
        effect->processReplacing(effect, inputs, outputs, frames);
    }
    void process(double** inputs, double** outputs, int frames)
    {
        effect->processDoubleReplacing(effect, inputs, outputs, frames);
    }

    float sampleRate() const { return rate; }
    int blockSize() const { return block; }

private:
    PluginHost(void* library, std::string path, float sampleRate, int blockSize);
    static std::intptr_t callback(AEffect* effect, std::int32_t opcode, std::int32_t index,
                                  std::intptr_t value, void* ptr, float opt);

    void* library = nullptr;
    std::string libraryPath;
    AEffect* effect = nullptr;
    float rate;
    int block;
    bool opened = false;
};

/// Four characters of an ID packed first-character-high, or its hexadecimal value if any is unprintable.
std::string fourCharacters(std::int32_t id);

/// The flags of a record in words ("has editor, can process replacing, ...").
std::string flagWords(std::int32_t flags);

/// Name of a plug-in category answer.
std::string categoryName(std::intptr_t category);

} // namespace sorvelt::render
