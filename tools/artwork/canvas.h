// Owning handles for cairo surfaces and contexts, and PNG encoding of a
// surface into the exact bytes we commit.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sorvelt::artwork
{

struct SurfaceRelease
{
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextRelease
{
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceRelease>;
using Context = std::unique_ptr<cairo_t, ContextRelease>;

/// A fully transparent ARGB32 image surface.
Surface makeSurface(int width, int height);
Context makeContext(const Surface& surface);

/// A vertical strip of frames: `paint` draws frame k into (0, 0, frameWidth,
/// frameHeight) and is clipped there, so no frame spills into its neighbour.
Surface renderStrip(int frameWidth, int frameHeight, int frames,
                    const std::function<void(cairo_t*, int)>& paint);

/// Straight (not premultiplied) 8-bit RGBA pixels, rows top to bottom.
struct Image
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;

    const std::uint8_t* pixel(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

/// Straight RGBA copy of a surface's pixels.
Image toImage(cairo_surface_t* surface);

/// Premultiplied ARGB32 surface holding the image, for compositing.
Surface toSurface(const Image& image);

/// Encodes the surface as an 8-bit RGBA PNG with the strongest compression.
/// The same pixels always give the same bytes: no time or text chunks.
std::optional<std::vector<std::uint8_t>> encodePng(cairo_surface_t* surface, std::string& error);

/// Decodes PNG bytes of any colour type into straight RGBA.
std::optional<Image> decodePng(const std::vector<std::uint8_t>& bytes, std::string& error);

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);
std::optional<std::vector<std::uint8_t>> readFile(const std::string& path, std::string& error);

} // namespace sorvelt::artwork
