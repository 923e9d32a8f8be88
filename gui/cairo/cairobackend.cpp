// The cairo drawing backend (Linux windows and headless pictures): an image surface over the
// context's pixel bytes. Shapes are drawn without antialiasing unless a Paint asks for it, so
// their pixels are exact; text is antialiased in grey.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <numbers>
#include <vector>

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
        : buffer(pixels_), surface(surface_), cr(cr_), clips{CRect(0, 0, pixels_.width, pixels_.height)}
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
        clips.back() = clip;
        cairo_reset_clip(cr);
        cairo_rectangle(cr, clip.left, clip.top, clip.width(), clip.height());
        cairo_clip(cr);
    }
    void pushClip(const CRect& clip) override
    {
        CRect narrowed = clip;
        clips.push_back(narrowed.bound(clips.back()));
        cairo_save(cr);
        cairo_rectangle(cr, clip.left, clip.top, clip.width(), clip.height());
        cairo_clip(cr);
    }
    void popClip() override
    {
        if (clips.size() < 2) return;
        clips.pop_back();
        cairo_restore(cr);
    }

    void setPen(CColor, int width, bool dashed) override
    {
        const double w = std::max(1, width);
        cairo_set_line_width(cr, w);
        cairo_set_dash(cr, dashed ? &w : nullptr, dashed ? 1 : 0, 0);
    }
    void setFont(const char* face, long height, bool bold, bool italic, bool) override
    {
        cairo_select_font_face(cr, cairoFace(face),
                               italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                               bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
        double em = -static_cast<double>(height);
        if (height > 0)
        {
            // A cell height: find the em that gives it, measured large so hinting does not skew it.
            constexpr double kProbe = 1000;
            cairo_set_font_size(cr, kProbe);
            cairo_font_extents_t probe;
            cairo_font_extents(cr, &probe);
            const double cell = probe.ascent + probe.descent;
            em = cell > 0 ? height * kProbe / cell : static_cast<double>(height);
        }
        cairo_set_font_size(cr, em);
    }

    void fillRect(const CRect& r, const Paint& paint) override
    {
        paintPath(paint, false,
                  [&](cairo_t* c) { cairo_rectangle(c, r.left, r.top, r.width(), r.height()); });
    }
    void fillPolygon(const CPoint* points, long count, const Paint& paint) override
    {
        paintPath(paint, false,
                  [&](cairo_t* c)
                  {
                      for (long i = 0; i < count; ++i)
                          cairo_line_to(c, points[i].x, points[i].y);
                      cairo_close_path(c);
                  });
    }
    void strokeLine(const CPoint& from, const CPoint& to, const Paint& paint) override
    {
        paintPath(paint, true,
                  [&](cairo_t* c)
                  {
                      cairo_move_to(c, from.x + 0.5, from.y + 0.5);
                      cairo_line_to(c, to.x + 0.5, to.y + 0.5);
                  });
    }
    void fillEllipse(const CRect& r, const Paint& paint) override
    {
        paintPath(paint, false,
                  [&](cairo_t* c) {
                      ellipsePath(c, (r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0, r.width() / 2.0,
                                  r.height() / 2.0);
                  });
    }
    void strokeEllipse(const CRect& r, const Paint& paint) override
    {
        paintPath(paint, true,
                  [&](cairo_t* c)
                  {
                      ellipsePath(c, (r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0,
                                  r.width() / 2.0 - 0.5, r.height() / 2.0 - 0.5);
                  });
    }
    void fillPie(const CRect& r, float startAngle, float endAngle, const Paint& paint) override
    {
        paintPath(paint, false, [&](cairo_t* c) { arcPath(c, r, startAngle, endAngle, true); });
    }
    void strokeArc(const CRect& r, float startAngle, float endAngle, const Paint& paint) override
    {
        paintPath(paint, true, [&](cairo_t* c) { arcPath(c, r, startAngle, endAngle, false); });
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
    /// Fills or strokes the path that `path` makes. cairo has no raster operations, so for those
    /// the path is first rendered as a mask over the clip, and each covered pixel is combined.
    void paintPath(const Paint& paint, bool stroke, const std::function<void(cairo_t*)>& path)
    {
        if (paint.op == RasterOp::Copy)
        {
            cairo_save(cr);
            setSource(cr, paint.color);
            cairo_set_antialias(cr, paint.antialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
            path(cr);
            stroke ? cairo_stroke(cr) : cairo_fill(cr);
            cairo_restore(cr);
            return;
        }
        CRect clip = clips.back();
        clip.bound(CRect(0, 0, buffer.width, buffer.height));
        if (clip.isEmpty()) return;
        cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, clip.width(), clip.height());
        cairo_t* m = cairo_create(mask);
        cairo_set_antialias(m, CAIRO_ANTIALIAS_NONE);
        cairo_translate(m, -clip.left, -clip.top);
        cairo_set_line_width(m, cairo_get_line_width(cr));
        cairo_set_line_cap(m, cairo_get_line_cap(cr));
        cairo_set_line_join(m, cairo_get_line_join(cr));
        std::vector<double> dashes(static_cast<std::size_t>(cairo_get_dash_count(cr)));
        double dashOffset = 0;
        cairo_get_dash(cr, dashes.data(), &dashOffset);
        cairo_set_dash(m, dashes.data(), static_cast<int>(dashes.size()), dashOffset);
        path(m);
        stroke ? cairo_stroke(m) : cairo_fill(m);
        cairo_destroy(m);
        cairo_surface_flush(mask);
        cairo_surface_flush(surface);
        const unsigned char* coverage = cairo_image_surface_get_data(mask);
        const int maskStride = cairo_image_surface_get_stride(mask);
        std::uint8_t stored[4];
        pixelops::storeColor(stored, paint.color);
        for (int y = 0; y < clip.height(); ++y)
            for (int x = 0; x < clip.width(); ++x)
                if (coverage[y * maskStride + x] >= 128)
                    pixelops::applyRaster(buffer.pixel(clip.left + x, clip.top + y), stored, paint.color,
                                          paint.op);
        cairo_surface_destroy(mask);
        markDirty(clip);
    }

public:
    /// Pixels the backend holds itself (createDrawBackend (width, height)); empty when it draws
    /// into a caller's bytes.
    std::vector<std::uint8_t> ownPixels;

private:
    PixelBuffer buffer;
    cairo_surface_t* surface;
    cairo_t* cr;
    /// The clip and its narrowings, innermost last (the mask path of raster operations needs them).
    std::vector<CRect> clips;
};

} // namespace

std::unique_ptr<DrawBackend> createDrawBackend(const PixelBuffer& pixels, void*)
{
    if (!pixels.isValid() ||
        pixels.stride != cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, pixels.width))
        return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        pixels.data, CAIRO_FORMAT_ARGB32, pixels.width, pixels.height, pixels.stride);
    cairo_t* cr = cairo_create(surface);
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS)
    {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return std::make_unique<CairoBackend>(pixels, surface, cr);
}

std::unique_ptr<DrawBackend> createDrawBackend(int width, int height)
{
    if (width <= 0 || height <= 0 || width > 32768 || height > 32768) return nullptr;
    // An image surface's rows for ARGB32 are exactly width * 4 bytes apart.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(width) * height * 4, 0);
    const PixelBuffer pixels{bytes.data(), width, height, width * 4};
    auto backend = createDrawBackend(pixels, nullptr);
    if (!backend) return nullptr;
    // Moving the vector keeps its bytes where the surface sees them.
    static_cast<CairoBackend&>(*backend).ownPixels = std::move(bytes);
    return backend;
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
