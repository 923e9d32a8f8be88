// The platform a frame gets when nothing else is handed to it, in test and picture builds.
#include "gui/headless/headlessplatform.h"

namespace VSTGUI
{

std::unique_ptr<Platform> createPlatform()
{
    return std::make_unique<HeadlessPlatform>();
}

} // namespace VSTGUI
