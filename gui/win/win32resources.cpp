// The editor's bitmaps on Windows: resources of type "PNG" bound into the module by the
// resource script, found by number.
#include <windows.h>

#include "gui/platform.h"
#include "gui/win/win32window.h"

namespace VSTGUI
{

HMODULE win::ownModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&win::ownModule), &module);
    return module;
}

ResourceBytes findPngResource(long id)
{
    // Of the module we are linked into (the plug-in DLL), not of the host's program.
    if (id < 0 || id > 0xffff) return {};
    HMODULE module = win::ownModule();
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), "PNG");
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    const DWORD size = SizeofResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return {};
    return ResourceBytes{static_cast<const unsigned char*>(bytes), size};
}

} // namespace VSTGUI
