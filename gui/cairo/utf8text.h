// Text arrives as 8-bit strings, as through the Windows ANSI calls; cairo wants UTF-8.
#pragma once

#include <string>

namespace VSTGUI
{

/// UTF-8 passes unchanged; anything else is read as Windows-1252, so a stray byte such as a
/// Latin-1 degree sign is drawn rather than putting cairo into its error state, which would
/// end all later drawing on that target.
std::string toUtf8(const char* text);

} // namespace VSTGUI
