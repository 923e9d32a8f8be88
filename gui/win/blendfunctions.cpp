// The msimg32 entry points, looked up when the first frame opens and dropped with the last.
#include "gui/win/blendfunctions.h"

namespace VSTGUI::win
{

namespace
{

struct BlendLibrary
{
    HMODULE module = nullptr;
    int users = 0;
    AlphaBlendFunction alphaBlend = nullptr;
    TransparentBltFunction transparentBlt = nullptr;
    bool hideAlphaBlend = false;
    bool hideTransparentBlt = false;
};

BlendLibrary& library()
{
    static BlendLibrary instance;
    return instance;
}

/// TransparentBlt leaks memory on the Windows 9x family; it is looked up only on NT.
bool isNtFamily()
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&version)) return true;
#pragma GCC diagnostic pop
    return version.dwPlatformId > 1;
}

template <typename Function> Function lookUp(HMODULE module, const char* name)
{
    // GetProcAddress answers a generic function pointer; the signature is msimg32's own.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

void acquireBlendFunctions()
{
    BlendLibrary& lib = library();
    if (lib.users++ > 0) return;
    lib.module = LoadLibraryA("msimg32.dll");
    if (!lib.module) return;
    lib.alphaBlend = lookUp<AlphaBlendFunction>(lib.module, "AlphaBlend");
    if (isNtFamily()) lib.transparentBlt = lookUp<TransparentBltFunction>(lib.module, "TransparentBlt");
}

void releaseBlendFunctions()
{
    BlendLibrary& lib = library();
    if (lib.users == 0 || --lib.users > 0) return;
    lib.alphaBlend = nullptr;
    lib.transparentBlt = nullptr;
    if (lib.module) FreeLibrary(lib.module);
    lib.module = nullptr;
}

AlphaBlendFunction alphaBlendFunction()
{
    return library().hideAlphaBlend ? nullptr : library().alphaBlend;
}

TransparentBltFunction transparentBltFunction()
{
    return library().hideTransparentBlt ? nullptr : library().transparentBlt;
}

void overrideBlendFunctions(bool withAlphaBlend, bool withTransparentBlt)
{
    library().hideAlphaBlend = !withAlphaBlend;
    library().hideTransparentBlt = !withTransparentBlt;
}

} // namespace VSTGUI::win
