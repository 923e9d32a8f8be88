// CDrawContext: the toolkit's drawing surface, its state (colours, font, pen, clip,
// offsets) and the drawing operations views and bitmaps use. Shapes are exact pixels.
// Portable: cdrawcontext.cpp (state, modes, mouse), cdrawcontext_clip.cpp,
// cdrawcontext_shapes.cpp, cdrawcontext_text.cpp. Rendering goes through a DrawBackend
// (drawbackend.h lists what a backend provides; gui/cairo/ is the Linux one, gui/win/ GDI's).
#pragma once

#include <cstdint>
#include <memory>

#include "gui/ccolor.h"
#include "gui/cpoint.h"
#include "gui/crect.h"
#include "gui/creferencecounter.h"
#include "gui/drawbackend.h"
#include "gui/platform.h"

namespace VSTGUI
{

class CBitmap;
class CFrame;

/// Index into the standard font table; outside 0..7 means kFontSystem (a fixed underlying
/// type keeps any index a caller passes a valid value).
enum CFont : std::int32_t
{
    kFontSystem = 0,
    kFontVeryBig,
    kFontBig,
    kFontNormal,
    kFontSmall,
    kFontSmaller,
    kFontVerySmall,
    kFontSymbol
};
inline constexpr long kFontCount = 8;

/// Face sizes of the standard fonts, by CFont index (Windows sizes unless the Mac flavour is built).
extern const long gStandardFontSize[kFontCount];
/// Face names the text layer asks for, by CFont index ("Arial" answers as Liberation Sans).
extern const char* const gStandardFontName[kFontCount];
#if SORVELT_MAC_FLAVOUR
extern const char* const gMacXfontNames[kFontCount];
#endif

/// Font style bits.
enum CTxtFace : std::int32_t
{
    kNormalFace = 0,
    kBoldFace = 1,
    kItalicFace = 2,
    kUnderlineFace = 4
};

/// Mouse buttons and modifiers, reported together as one bit set.
enum CButton : std::int32_t
{
    kMouseLeftButton = 1,
    kMouseMiddleButton = 2,
    kMouseRightButton = 4,
    kModifierShift = 8,
    kModifierControl = 16,
    kModifierAlt = 32,
    kModifierSystem = 64
};

enum CLineStyle : std::int32_t
{
    kLineSolid = 0,
    kLineOnOffDash
};
enum CDrawMode : std::int32_t
{
    kCopyMode = 0,
    kOrMode,
    kXorMode,
    kAntialias
};
enum CHoriTxtAlign : std::int32_t
{
    kLeftText = 0,
    kCenterText,
    kRightText
};
enum CDrawStyle : std::int32_t
{
    kDrawStroked = 0,
    kDrawFilled,
    kDrawFilledAndStroked
};

class CDrawContext : public CReferenceCounter
{
public:
    /// A context on a frame's window. On Linux `systemContext` is the frame's PlatformWindow*
    /// (null: the frame's own, if it has one). Without a window there is no target: drawing
    /// does nothing and mouse reads give 0. `window` is the host's window, kept for getWindow.
    CDrawContext(CFrame* frame, void* systemContext, void* window = nullptr);
    ~CDrawContext() override;

    // Lines and shapes; every coordinate is in the caller's space, `offset` is added.
    void moveTo(const CPoint& point);
    void lineTo(const CPoint& point);
    /// `numberOfLines` separate segments, from points[2i] to points[2i + 1].
    void drawLines(const CPoint* points, const long& numberOfLines);
    void polyLine(const CPoint* points, long numberOfPoints);
    void drawPolygon(const CPoint* points, long numberOfPoints, CDrawStyle drawStyle = kDrawStroked);
    void fillPolygon(const CPoint* points, long numberOfPoints);
    void drawRect(const CRect& rect, CDrawStyle drawStyle = kDrawStroked);
    void fillRect(const CRect& rect);
    /// Arc of the ellipse in `rect`, angles in degrees counter-clockwise from 3 o'clock.
    void drawArc(const CRect& rect, float startAngle, float endAngle, CDrawStyle drawStyle = kDrawStroked);
    /// Pie of the ellipse in `rect`, counter-clockwise from the direction of point1 to point2.
    void fillArc(const CRect& rect, const CPoint& point1, const CPoint& point2);
    void drawEllipse(const CRect& rect, CDrawStyle drawStyle = kDrawStroked);
    void fillEllipse(const CRect& rect);
    void drawPoint(const CPoint& point, CColor color);
    CColor getPoint(const CPoint& point);
    /// Fills the 4-connected area of the colour found at `start` with the fill colour.
    void floodFill(const CPoint& start);

    // State; setters touch the target only when the value changes.
    void setLineStyle(CLineStyle style);
    CLineStyle getLineStyle() const { return lineStyle; }
    void setLineWidth(long width);
    long getLineWidth() const { return frameWidth; }
    void setDrawMode(CDrawMode mode);
    CDrawMode getDrawMode() const { return drawMode; }
    void setClipRect(const CRect& clip);
    /// The clip in the caller's space (the stored clip minus `offset`).
    CRect& getClipRect(CRect& clip) const;
    void resetClipRect();
    void setFillColor(CColor color);
    CColor getFillColor() const { return fillColor; }
    void setFrameColor(CColor color);
    CColor getFrameColor() const { return frameColor; }
    void setFontColor(CColor color);
    CColor getFontColor() const { return fontColor; }
    void setFont(CFont fontID, long size = 0, long style = 0);
    CFont getFont() const { return fontId; }
    long getFontSize() const { return fontSize; }
    long getFontStyle() const { return fontStyle; }
    /// How many times the platform font was built; repeated identical setFont calls add none.
    long getFontCreationCount() const { return fontCreations; }

    // Text.
    long getStringWidth(const char* string);
    void drawString(const char* string, const CRect& rect, short opaque = false,
                    CHoriTxtAlign hAlign = kCenterText);

    // Mouse, read from the platform at the moment of the call.
    void getMouseLocation(CPoint& point);
    long getMouseButtons();

    CFrame* getFrame() const { return frame; }
    void* getWindow() const { return window; }

    /// The target's pixels (empty without a target).
    virtual PixelBuffer getPixelBuffer();
    virtual CBitmap* getBitmap();
    virtual void releaseBitmap();
    /// The platform target as an opaque handle, null without one: on Linux the cairo surface; on
    /// Windows an HDC with the target's DIB section selected and the clip in force, so bitmaps
    /// are blitted and blended onto it with GDI (no endPixelAccess needed for that).
    virtual void* getPort();

    /// Direct pixel access for bitmaps and buffer copies: the target's pixels and the clip in
    /// target coordinates (already bounded to the pixels). False without a target; otherwise
    /// pair it with endPixelAccess, naming the area that changed.
    bool beginPixelAccess(PixelBuffer& pixels, CRect& clipInTarget);
    void endPixelAccess(const CRect& changed);

    /// Origin of the drawing relative to the window; used for mouse queries.
    CPoint offsetScreen;
    /// Added to every coordinate a drawing operation receives; containers shift it for their children.
    CPoint offset;

protected:
    /// For derived contexts: no target until bindTarget.
    explicit CDrawContext(CFrame* frame);
    /// Draws into `pixels` from now on (the buffer must outlive the context or the next bind);
    /// `device` is the platform's drawing device over them, if any (drawbackend.h).
    void bindTarget(const PixelBuffer& pixels, void* device = nullptr);
    /// Draws into width x height pixels the backend holds itself, all zero at first.
    void bindOwnTarget(int width, int height);
    /// Pushes the stored state into a freshly bound target.
    void applyState();
    /// Marks that something was drawn (window contexts flush on destruction).
    void touched() { needsFlush = true; }

    PlatformWindow* platformWindow = nullptr;

private:
    void initState();
    void applyFont();
    void applyLineStyle();
    /// The raster operation of the current draw mode.
    RasterOp rasterOp() const;
    /// The backend's paint for the current draw mode, in `color`.
    Paint paintFor(CColor color) const;
    /// A line between two target points: the platform's own line where it has one (GDI), else
    /// one-pixel pens walked here and wider ones by the backend.
    void strokeSegment(const CPoint& from, const CPoint& to, bool includeEnd);
    /// The platform's own connected line through the points (caller's space), back to the first
    /// when `closed`; false when the platform has none and the caller walks the segments.
    bool platformPolyline(const CPoint* points, long count, bool closed);

    CFrame* frame = nullptr;
    void* window = nullptr;
    std::unique_ptr<DrawBackend> backend;

    std::int32_t fontSize = -1;
    std::int32_t fontStyle = 0;
    CFont fontId = static_cast<CFont>(8);
    CColor fontColor = kWhiteCColor;
    CPoint penLoc;
    std::int32_t frameWidth = 1;
    CColor frameColor = kWhiteCColor;
    CColor fillColor = kBlackCColor;
    CLineStyle lineStyle = kLineSolid;
    CDrawMode drawMode = kCopyMode;
    CRect clipRect;

    bool needsFlush = false;
    bool onWindow = false;
    /// Between the window's beginDrawing and endDrawing.
    bool drawingOnWindow = false;
    std::weak_ptr<const void> windowLifetime;
    long fontCreations = 0;
};

/// Adds (dx, dy) to a context's offset and screen offset for the guard's lifetime: a container
/// shifts both while a child draws or takes input in the container's coordinates.
class OffsetShift
{
public:
    OffsetShift(CDrawContext* context_, long dx, long dy) : context(context_)
    {
        if (!context) return;
        savedScreen = context->offsetScreen;
        savedOffset = context->offset;
        context->offsetScreen.offset(dx, dy);
        context->offset.offset(dx, dy);
    }
    ~OffsetShift()
    {
        if (!context) return;
        context->offsetScreen = savedScreen;
        context->offset = savedOffset;
    }
    OffsetShift(const OffsetShift&) = delete;
    OffsetShift& operator=(const OffsetShift&) = delete;

private:
    CDrawContext* context;
    CPoint savedScreen;
    CPoint savedOffset;
};

} // namespace VSTGUI
