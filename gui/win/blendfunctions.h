// AlphaBlend and TransparentBlt from "msimg32.dll", looked up at run time: either may be
// missing, and bitmap drawing then takes its own way.
#pragma once

#include <windows.h>

namespace VSTGUI::win
{

using AlphaBlendFunction = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
using TransparentBltFunction = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);

/// Each frame loads the library while it lives (process-wide, GUI thread only). The entry
/// points stay valid while any frame holds it, and read null once the last one let go.
void acquireBlendFunctions();
void releaseBlendFunctions();

AlphaBlendFunction alphaBlendFunction();
TransparentBltFunction transparentBltFunction();

/// Tests take an entry point away (or give it back) to reach the fallbacks.
void overrideBlendFunctions(bool withAlphaBlend, bool withTransparentBlt);

} // namespace VSTGUI::win
