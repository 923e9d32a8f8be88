// Win32Window: the frame's child window inside the host's window, of a private class
// "Plugin%p", painted from a DIB-section back buffer that the GDI drawing context draws into.
#pragma once

#include <windows.h>

#include <memory>

#include "gui/platform.h"

namespace VSTGUI::win
{

/// A visible child of `parent` (an HWND) at (0,0), `width` x `height`; null without a parent
/// or when Windows refuses. Its events reach `listener` through the window procedure.
std::unique_ptr<PlatformWindow> createWin32Window(void* parent, int width, int height,
                                                  PlatformWindowListener& listener);

/// The window's device context that the drawing contexts on `window` hold now (GetDC), null
/// while none is alive or while a paint supplies its own; tests watch it come and go.
HDC heldWindowDC(PlatformWindow& window);

/// The module the toolkit is linked into (the plug-in DLL, or a test program): its resources
/// and its window class are its own, not the host's.
HMODULE ownModule();

/// The window class's name for this module ("Plugin" and the module handle) and how many
/// windows use it now; tests watch it come and go.
const char* windowClassName();
int windowClassUsers();

/// The toolkit's button bit for a button-down message (0 for any other message): with the
/// system's buttons swapped, the physical left button is the right one and the other way round.
long buttonOfMessage(UINT message, bool swapped);

using KeyStateFunction = SHORT(WINAPI*)(int);

/// The toolkit's bit set for the buttons and modifiers held now (GetAsyncKeyState, or the
/// reading given), with the physical left and right buttons exchanged when the system swaps them.
long asyncMouseButtons(bool swapped, KeyStateFunction keyState = GetAsyncKeyState);

} // namespace VSTGUI::win
