// The platform seam: the short list of things the portable toolkit asks of a platform.
// gui/x11 implements it for real windows, gui/headless for tests and off-screen pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gui/cpoint.h"
#include "gui/crect.h"

namespace VSTGUI
{

/// 32-bit pixels as drawing targets hold them: premultiplied alpha, bytes blue, green,
/// red, alpha in memory (cairo ARGB32 on little-endian machines, the bytes of a Windows
/// 32-bit DIB). `data` is the top row and rows are `stride` bytes apart: a negative stride
/// describes rows stored bottom-up (a Windows bitmap). A view, never an owner.
struct PixelBuffer
{
    std::uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;

    bool isValid() const { return data != nullptr && width > 0 && height > 0; }
    /// The four bytes of pixel (x, y); the caller keeps x and y inside the buffer.
    std::uint8_t* pixel(int x, int y) const
    {
        return data + static_cast<std::ptrdiff_t>(y) * stride + static_cast<std::ptrdiff_t>(x) * 4;
    }
};

/// One item of a drag: kind 0 a file (its path), 1 text, -1 anything else; data in UTF-8.
struct PlatformDragItem
{
    long type = -1;
    std::string data;
};

enum class PlatformDragPhase
{
    Enter,
    Move,
    Leave,
    Drop
};

/// What a platform window reports. CFrame implements it; the window calls it only from
/// drainEvents, on the GUI thread.
class PlatformWindowListener
{
public:
    /// The window needs `updateRect` (window coordinates) painted; draw it and flush it.
    virtual void onPlatformPaint(const CRect& updateRect) = 0;
    /// A press of button 1, 2 or 3 at `where`; the buttons are to be read from the platform state.
    virtual void onPlatformMouseDown(const CPoint& where) = 0;
    /// One wheel step: axis 1 vertical, 0 horizontal; distance +1 up or right, -1 down or left.
    virtual void onPlatformWheel(const CPoint& where, int axis, float distance) = 0;
    /// The window is gone (usually because the host destroyed its parent first).
    virtual void onPlatformDestroyed() = 0;
    /// A drag over the window, from a platform that receives drops; answers whether a drop was taken.
    virtual bool onPlatformDrag(PlatformDragPhase phase, const std::vector<PlatformDragItem>& items,
                                const CPoint& where)
    {
        (void)phase;
        (void)items;
        (void)where;
        return false;
    }

protected:
    ~PlatformWindowListener() = default;
};

/// A child window inside the host's parent window. Destroying the object destroys the window.
class PlatformWindow
{
public:
    virtual ~PlatformWindow() = default;

    /// Changes the window's size, position unchanged; the surface follows.
    virtual void resize(int width, int height) = 0;
    /// As resize, for a host that would not resize its own window: the platform grows the
    /// host's windows around ours by the change as well, where it can.
    virtual void resizeWithHost(int width, int height) { resize(width, height); }
    /// Asks for a paint event covering `rect`; nothing is painted now.
    virtual void invalidate(const CRect& rect) = 0;
    /// Delivers the events already queued to the listener; never waits for new ones.
    virtual void drainEvents() = 0;

    /// The window's pixels: a drawing context made on this window draws here.
    virtual PixelBuffer getSurface() = 0;
    /// The platform's own drawing device over getSurface's pixels, handed to the drawing
    /// backend (Windows: the back buffer's win::GdiDevice); null where there is none.
    virtual void* getSurfaceDevice() { return nullptr; }
    /// Shows `rect` of the surface on screen (what a paint or an idle pass drew).
    virtual void flush(const CRect& rect) = 0;
    /// A drawing context on the window begins and ends (they nest; every begin has its end).
    /// Windows holds the window's device context meanwhile, to show the surface on.
    virtual void beginDrawing() {}
    virtual void endDrawing() {}

    /// Buttons and modifiers now, as the toolkit's bit set (kMouseLeftButton ... kModifierSystem).
    virtual long getMouseButtons() = 0;
    /// The pointer now, relative to the window's top-left corner.
    virtual CPoint getPointerPosition() = 0;
    /// Shows the cursor of a CCursorType value over the window (0 restores the default);
    /// a platform without cursors ignores it.
    virtual void setCursor(int type) { (void)type; }
    /// Starts or stops receiving drops (drags then reach the listener); false when the
    /// platform cannot receive them.
    virtual bool setDropActive(bool active) { return !active; }
    /// The platform's own id of the window (X11: the Window), for hosts that embed it by id;
    /// 0 where there is none.
    virtual std::uintptr_t nativeHandle() const { return 0; }

    /// Expires when the window is destroyed: a drawing context still held then (by code that
    /// outlived a host closing the editor) must not touch the window or its surface again.
    std::weak_ptr<const void> lifetime() const { return alive; }

private:
    std::shared_ptr<const void> alive = std::make_shared<int>(0);
};

/// One platform connection per frame (X11: its own Display), so several plug-in
/// instances can live in one process: nothing here is process-wide.
class Platform
{
public:
    virtual ~Platform() = default;

    /// A visible child window of `width` x `height` at (0,0) inside `parent` (X11: a Window id
    /// in the pointer); null without a parent or when the platform refuses.
    virtual std::unique_ptr<PlatformWindow> createWindow(void* parent, int width, int height,
                                                         PlatformWindowListener& listener) = 0;
    /// Milliseconds since an arbitrary start; wraps like any 32-bit tick count.
    virtual std::uint32_t getTicks() = 0;
    /// A short pause on the GUI thread.
    virtual void sleep(std::uint32_t milliseconds) = 0;
    /// Longest gap between the two clicks of a double click, in milliseconds.
    virtual std::uint32_t getDoubleClickTime() = 0;
};

/// The double-click interval where the system has no setting (X11, headless): what desktop
/// toolkits use by default.
inline constexpr std::uint32_t kCommonDoubleClickTime = 400;

/// The platform a CFrame binds to. Chosen at link time: sorvelt_gui_x11 (Linux) or
/// sorvelt_gui_win (Windows) defines it for the plug-in, sorvelt_gui_headless for tests and pictures. A frame
/// may also be handed a platform object directly (tests inject a HeadlessPlatform they keep scripting).
std::unique_ptr<Platform> createPlatform();

/// PNG bytes embedded under a resource number; `data` null when there is none.
struct ResourceBytes
{
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};

/// How a bitmap region meets the drawing target.
enum class ImageDrawMode
{
    Copy,        ///< the source replaces the target
    Transparent, ///< as Copy, leaving out the pixels of the image's transparent colour
    AlphaBlend,  ///< source-over with the overall opacity (and per-pixel alpha when the image has it)
};

/// What drawTo needs besides the two rectangles (both of one size, already clipped to both sides).
struct ImageDraw
{
    ImageDrawMode mode = ImageDrawMode::Copy;
    unsigned opacity = 255;
    bool perPixelAlpha = false;
    std::uint8_t keyRed = 0, keyGreen = 0, keyBlue = 0;
    /// A prepared transparency mask for Transparent: one byte a pixel of the whole image, row by
    /// row from the top, 1 where the target is kept; null when none was prepared.
    const std::uint8_t* mask = nullptr;
};

/// A decoded image in the platform's own form (Linux: plain memory, top-down; Windows: a
/// 32-bit DIB section, bottom-up), its pixels premultiplied B, G, R, A.
class PlatformImage
{
public:
    virtual ~PlatformImage() = default;
    /// The pixels, for decoding into and for the portable pixel code; never null once made.
    virtual PixelBuffer pixels() const = 0;
    /// Whether a drawing context can bind these pixels to draw into (ImageRows::Drawable).
    virtual bool isDrawable() const { return true; }
    /// Draws `source` (image pixels) onto `dest` of the drawing target `port` (a context's
    /// getPort) the platform's own way, when `port` draws into exactly `target` (the context's
    /// pixels). False leaves the drawing to the portable pixel code.
    virtual bool drawTo(void* port, const PixelBuffer& target, const CRect& source, const CRect& dest,
                        const ImageDraw& how) const
    {
        (void)port;
        (void)target;
        (void)source;
        (void)dest;
        (void)how;
        return false;
    }
};

/// How an image's rows are kept: as images are decoded (Windows: bottom-up), or as a drawing
/// context binds them to draw into (Windows: top-down, as the GDI backend's own targets).
enum class ImageRows
{
    Decoded,
    Drawable
};

/// A zeroed (transparent black) image of that size, or null when the platform refuses.
std::unique_ptr<PlatformImage> createPlatformImage(int width, int height,
                                                   ImageRows rows = ImageRows::Decoded);

/// The platform's plain (non-PNG) image resource `id`, opaque, for when there is no PNG of that
/// number (Windows: a BITMAP resource); null when there is none or the platform has no such thing.
std::unique_ptr<PlatformImage> loadPlatformBitmap(long id);

/// Looks up the image `id`: on Linux embedded by sorvelt_resources (resources/bmpNNNNN.png),
/// on Windows a resource of type "PNG" of the module the toolkit is linked into.
ResourceBytes findPngResource(long id);

} // namespace VSTGUI
