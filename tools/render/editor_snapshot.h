// --snapshot: a PNG of the loaded plug-in's editor, exactly as its frame paints it
// in a window, read back from the X server.
#pragma once

#include <string>

#include "tools/render/editor_window.h"

struct AEffect;

namespace sorvelt::render
{

/// Opens the editor in an undecorated window, idles it until its picture is painted
/// and steady, and writes the window's pixels to `path` as an 8-bit RGB PNG.
/// Returns the exit status: 0, or 1 with a message on stderr (no file left behind).
int writeEditorSnapshot(AEffect* effect, const std::string& path);

/// Writes `image` as an 8-bit RGB PNG, through a temporary file renamed at the end
/// so a failure never leaves a partial file or damages an existing one.
bool writePng(const RgbImage& image, const std::string& path, std::string& error);

} // namespace sorvelt::render
