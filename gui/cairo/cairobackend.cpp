// The cairo drawing backend (Linux windows and headless pictures): an image surface over the
// context's pixel bytes. Shapes are drawn without antialiasing unless a Paint asks for it, so
// their pixels are exact; text is antialiased in grey.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "gui/cairo/utf8text.h"
#include "gui/drawbackend.h"

namespace VSTGUI
{

namespace
{

/// Liberation Sans is metric-compatible with Arial (and close to Helvetica), so read-outs lay
/// out as designed.
const char* cairoFace(const char* face)
{
    if (std::strcmp(face, "Arial") == 0 || std::strcmp(face, "Helvetica") == 0) return "Liberation Sans";
    return face;
}

void setSource(cairo_t* cr, CColor c)
{
    cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
}

cairo_operator_t operatorFor(RasterOp op)
{
    // Pixel-wise raster operations do not exist on cairo; these are the nearest compositing ones.
    switch (op)
    {
    case RasterOp::Merge:
        return CAIRO_OPERATOR_ADD;
    case RasterOp::NotXor:
        return CAIRO_OPERATOR_DIFFERENCE;
    default:
        return CAIRO_OPERATOR_OVER;
    }
}

/// A unit circle scaled into an ellipse; nothing for an empty one.
void ellipsePath(cairo_t* cr, double cx, double cy, double rx, double ry)
{
    if (rx <= 0 || ry <= 0) return;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * std::numbers::pi);
    cairo_restore(cr);
}

void arcPath(cairo_t* cr, const CRect& r, float startAngle, float endAngle, bool pie)
{
    const double rx = r.width() / 2.0, ry = r.height() / 2.0;
    if (rx <= 0 || ry <= 0) return;
    // Angles run counter-clockwise with y up; cairo's run clockwise with y down.
    const double a0 = -startAngle * std::numbers::pi / 180.0, a1 = -endAngle * std::numbers::pi / 180.0;
    cairo_save(cr);
    cairo_translate(cr, (r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0);
    cairo_scale(cr, rx, ry);
    if (pie) cairo_move_to(cr, 0, 0);
    cairo_arc_negative(cr, 0, 0, 1, a0, a1);
    if (pie) cairo_close_path(cr);
    cairo_restore(cr);
}

class CairoBackend final : public DrawBackend
{
public:
    CairoBackend(const PixelBuffer& pixels_, cairo_surface_t* surface_, cairo_t* cr_)
        : buffer(pixels_), surface(surface_), cr(cr_)
    {
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
        cairo_set_font_options(cr, options);
        cairo_font_options_destroy(options);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    }
    ~CairoBackend() override
    {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }

    PixelBuffer pixels() override
    {
        cairo_surface_flush(surface);
        return buffer;
    }
    void markDirty(const CRect& r) override
    {
        cairo_surface_mark_dirty_rectangle(surface, r.left, r.top, r.width(), r.height());
    }
    void* port() override { return surface; }

    void setClip(const CRect& clip) override
    {
        cairo_reset_clip(cr);
        cairo_rectangle(cr, clip.left, clip.top, clip.width(), clip.height());
        cairo_clip(cr);
    }
    void pushClip(const CRect& clip) override
    {
        cairo_save(cr);
        cairo_rectangle(cr, clip.left, clip.top, clip.width(), clip.height());
        cairo_clip(cr);
    }
    void popClip() override { cairo_restore(cr); }

    void setLine(int width, bool dashed) override
    {
        const double w = std::max(1, width);
        cairo_set_line_width(cr, w);
        cairo_set_dash(cr, dashed ? &w : nullptr, dashed ? 1 : 0, 0);
    }
    void setFont(const char* face, long size, bool bold, bool italic) override
    {
        cairo_select_font_face(cr, cairoFace(face), italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                               bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, static_cast<double>(size));
    }

    void fillRect(const CRect& r, const Paint& paint) override
    {
        begin(paint);
        cairo_rectangle(cr, r.left, r.top, r.width(), r.height());
        cairo_fill(cr);
        cairo_restore(cr);
    }
    void fillPolygon(const CPoint* points, long count, const Paint& paint) override
    {
        begin(paint);
        for (long i = 0; i < count; ++i)
            cairo_line_to(cr, points[i].x, points[i].y);
        cairo_close_path(cr);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    void strokeLine(const CPoint& from, const CPoint& to, const Paint& paint) override
    {
        begin(paint);
        cairo_move_to(cr, from.x + 0.5, from.y + 0.5);
        cairo_line_to(cr, to.x + 0.5, to.y + 0.5);
        cairo_stroke(cr);
        cairo_restore(cr);
    }
    void fillEllipse(const CRect& r, const Paint& paint) override
    {
        begin(paint);
        ellipsePath(cr, (r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0, r.width() / 2.0, r.height() / 2.0);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    void strokeEllipse(const CRect& r, const Paint& paint) override
    {
        begin(paint);
        ellipsePath(cr, (r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0, r.width() / 2.0 - 0.5,
                    r.height() / 2.0 - 0.5);
        cairo_stroke(cr);
        cairo_restore(cr);
    }
    void fillPie(const CRect& r, float startAngle, float endAngle, const Paint& paint) override
    {
        begin(paint);
        arcPath(cr, r, startAngle, endAngle, true);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    void strokeArc(const CRect& r, float startAngle, float endAngle, const Paint& paint) override
    {
        begin(paint);
        arcPath(cr, r, startAngle, endAngle, false);
        cairo_stroke(cr);
        cairo_restore(cr);
    }

    long textWidth(const char* text) override
    {
        cairo_text_extents_t extents;
        cairo_text_extents(cr, toUtf8(text).c_str(), &extents);
        return std::lround(extents.x_advance);
    }
    FontMetrics fontMetrics() override
    {
        cairo_font_extents_t font;
        cairo_font_extents(cr, &font);
        return FontMetrics{font.ascent, font.descent};
    }
    void drawText(const char* text, long x, long baseline, CColor color) override
    {
        cairo_save(cr);
        setSource(cr, color);
        cairo_move_to(cr, static_cast<double>(x), static_cast<double>(baseline));
        cairo_show_text(cr, toUtf8(text).c_str());
        cairo_restore(cr);
    }

private:
    /// Saves the state and sets the paint; every shape restores it when done.
    void begin(const Paint& paint)
    {
        cairo_save(cr);
        setSource(cr, paint.color);
        cairo_set_operator(cr, operatorFor(paint.op));
        cairo_set_antialias(cr, paint.antialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
    }

    PixelBuffer buffer;
    cairo_surface_t* surface;
    cairo_t* cr;
};

} // namespace

std::unique_ptr<DrawBackend> createDrawBackend(const PixelBuffer& pixels)
{
    if (!pixels.isValid() || pixels.stride != cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, pixels.width))
        return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create_for_data(pixels.data, CAIRO_FORMAT_ARGB32,
                                                                   pixels.width, pixels.height, pixels.stride);
    cairo_t* cr = cairo_create(surface);
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS)
    {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return std::make_unique<CairoBackend>(pixels, surface, cr);
}

} // namespace VSTGUI

#if defined(__SANITIZE_ADDRESS__)
// cairo keeps every toy font face, with its fontconfig pattern, for the life of the process and
// frees them only in its debug reset, which a plug-in must never call (the host and other
// plug-ins share those caches). We never call fontconfig ourselves, so sanitizer builds tell the
// leak checker that what fontconfig allocates is not ours.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
#endif
