// The editor of a loaded plug-in in an X11 window of sorvelt-render's own: a tiny
// host window for --gui, and the same window, undecorated, for --snapshot.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

struct AEffect;

namespace sorvelt::render
{

/// One editor picture: 8-bit red, green, blue per pixel, rows top to bottom.
struct RgbImage
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

/// A top-level X11 window sized to the plug-in's editor rectangle, with the editor
/// opened inside it through effEditOpen. Closing (or destroying) it closes the editor.
class EditorHostWindow
{
public:
    enum class Kind
    {
        Interactive, ///< a normal window the window manager decorates and the user closes
        Undecorated  ///< an override-redirect window at the screen's corner, for pictures
    };

    /// Null with `error` set when there is no display, no editor or the editor will not open.
    static std::unique_ptr<EditorHostWindow> open(AEffect* effect, Kind kind, std::string& error);
    ~EditorHostWindow();

    EditorHostWindow(const EditorHostWindow&) = delete;
    EditorHostWindow& operator=(const EditorHostWindow&) = delete;

    /// Takes what is queued for this window; false once the user has closed it.
    bool pumpEvents();
    /// The host's regular effEditIdle.
    void idleEditor();
    /// The window's pixels as the X server shows them now.
    bool capture(RgbImage& image, std::string& error);

    int width() const { return editorWidth; }
    int height() const { return editorHeight; }
    unsigned long windowId() const { return window; }

private:
    struct Private;
    EditorHostWindow(AEffect* effect, std::unique_ptr<Private> x);

    AEffect* effect;
    std::unique_ptr<Private> x;
    unsigned long window = 0;
    int editorWidth = 0;
    int editorHeight = 0;
    bool editorOpen = false;
};

struct RenderOptions;

/// The editor jobs, --snapshot and --gui: loads and opens the plug-in as for a render,
/// sets the parameters the options name (the others keep the plug-in's defaults),
/// then takes the picture or runs the window. Returns the exit status.
int runEditorJob(const RenderOptions& options, const std::string& pluginPath, std::FILE* out, std::FILE* err);

/// --gui: opens the editor in a window, idles it every 20 ms and returns when the
/// user closes the window (or on SIGINT / SIGTERM). Returns the exit status: 0, or 1
/// with a message on stderr.
int runEditorWindow(AEffect* effect);

/// Called by the host callback for every request: while a --gui window is open it
/// prints the editor's edit gestures and automated values, one line each, on stdout
/// ("beginEdit 0", "automate 0 0.750000", "endEdit 0"). Returns true when it printed.
bool reportEditorEvent(int32_t opcode, int32_t index, float opt);

} // namespace sorvelt::render
