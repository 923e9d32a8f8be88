// The plug-in's only exported door: the host calls VSTPluginMain (older Linux
// hosts look for main) once per instance and gets back the effect record.
#include "plugin/audioeffect.h"

#define SORVELT_EXPORT __attribute__((visibility("default")))

extern "C" SORVELT_EXPORT AEffect* VSTCALLBACK VSTPluginMain(HostCallback hostCallback)
{
    // Without a callback the host's version cannot be asked; such a host is not
    // one this interface serves.
    if (!hostCallback || hostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    // Exceptions must not cross into the host: a failed creation is a null record.
    try
    {
        AudioEffect* effect = createEffectInstance(hostCallback);
        return effect ? effect->getAeffect() : nullptr;
    }
    catch (...)
    {
        return nullptr;
    }
}

#ifdef __ELF__
/// The same function under the old name, without defining a C++ main. Where the
/// symbol is not an ELF one (a DLL), the export list names it instead.
extern "C" SORVELT_EXPORT AEffect* VSTCALLBACK VSTPluginMainAlias(HostCallback hostCallback) __asm__("main")
    __attribute__((alias("VSTPluginMain")));
#endif
