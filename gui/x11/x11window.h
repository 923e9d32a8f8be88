// X11Window: the frame's child window inside the host's window, with a Display connection
// of its own, a pixel surface it is painted from, and its events drained on request.
#pragma once

#include <memory>

#include "gui/platform.h"

namespace VSTGUI
{

/// A child of `parent` (an X11 Window id carried in the pointer), mapped at (0,0) with
/// `width` x `height`. Null when no display can be opened or the parent does not exist.
std::unique_ptr<PlatformWindow> createX11Window(void* parent, int width, int height,
                                                PlatformWindowListener& listener);

} // namespace VSTGUI
