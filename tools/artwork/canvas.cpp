// PNG I/O goes through libpng so that compression and chunks are ours to
// fix: cairo's own writer would also do, but gives us no say in either.
#include "tools/artwork/canvas.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace sorvelt::artwork
{

Surface makeSurface(int width, int height)
{
    // A new image surface is cleared to transparent black by cairo.
    return Surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
}

Context makeContext(const Surface& surface)
{
    return Context(cairo_create(surface.get()));
}

Surface renderStrip(int frameWidth, int frameHeight, int frames,
                    const std::function<void(cairo_t*, int)>& paint)
{
    Surface surface = makeSurface(frameWidth, frameHeight * frames);
    Context cr = makeContext(surface);
    for (int k = 0; k < frames; ++k)
    {
        cairo_save(cr.get());
        cairo_translate(cr.get(), 0, static_cast<double>(k) * frameHeight);
        cairo_rectangle(cr.get(), 0, 0, frameWidth, frameHeight);
        cairo_clip(cr.get());
        paint(cr.get(), k);
        cairo_restore(cr.get());
    }
    return surface;
}

Image toImage(cairo_surface_t* surface)
{
    cairo_surface_flush(surface);
    Image image;
    image.width = cairo_image_surface_get_width(surface);
    image.height = cairo_image_surface_get_height(surface);
    image.rgba.resize(static_cast<size_t>(image.width) * image.height * 4);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    for (int y = 0; y < image.height; ++y)
    {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<size_t>(y) * stride);
        std::uint8_t* out = &image.rgba[static_cast<size_t>(y) * image.width * 4];
        for (int x = 0; x < image.width; ++x, out += 4)
        {
            const std::uint32_t p = row[x];
            const unsigned a = p >> 24;
            if (a == 0)
            {
                out[0] = out[1] = out[2] = out[3] = 0;
                continue;
            }
            // Undo the premultiplication, rounding to nearest.
            const auto straight = [a](unsigned c)
            {
                const unsigned v = (c * 255 + a / 2) / a;
                return static_cast<std::uint8_t>(v > 255 ? 255 : v);
            };
            out[0] = straight((p >> 16) & 0xff);
            out[1] = straight((p >> 8) & 0xff);
            out[2] = straight(p & 0xff);
            out[3] = static_cast<std::uint8_t>(a);
        }
    }
    return image;
}

Surface toSurface(const Image& image)
{
    Surface surface = makeSurface(image.width, image.height);
    cairo_surface_flush(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    for (int y = 0; y < image.height; ++y)
    {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < image.width; ++x)
        {
            const std::uint8_t* p = image.pixel(x, y);
            const unsigned a = p[3];
            const auto pre = [a](unsigned c) { return (c * a + 127) / 255; };
            row[x] = (a << 24) | (pre(p[0]) << 16) | (pre(p[1]) << 8) | pre(p[2]);
        }
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

namespace
{

struct WriteState
{
    std::vector<std::uint8_t> bytes;
    std::string message;
};

void appendBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* state = static_cast<WriteState*>(png_get_io_ptr(png));
    state->bytes.insert(state->bytes.end(), data, data + length);
}

void flushNothing(png_structp) {}

void recordError(png_structp png, png_const_charp message)
{
    auto* state = static_cast<WriteState*>(png_get_error_ptr(png));
    state->message = message;
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

} // namespace

std::optional<std::vector<std::uint8_t>> encodePng(cairo_surface_t* surface, std::string& error)
{
    // Everything that lives across setjmp is set up before it and only
    // reached through pointers afterwards.
    const Image image = toImage(surface);
    auto state = std::make_unique<WriteState>();
    std::vector<png_bytep> rows(static_cast<size_t>(image.height));
    for (int y = 0; y < image.height; ++y)
        rows[static_cast<size_t>(y)] = const_cast<png_bytep>(image.pixel(0, y));

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, state.get(), recordError, ignoreWarning);
    if (!png)
    {
        error = "cannot create a PNG writer";
        return std::nullopt;
    }
    png_infop info = png_create_info_struct(png);
    if (!info)
    {
        png_destroy_write_struct(&png, nullptr);
        error = "cannot create a PNG writer";
        return std::nullopt;
    }
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        error = "PNG encoding failed: " + state->message;
        return std::nullopt;
    }
    png_set_write_fn(png, state.get(), appendBytes, flushNothing);
    png_set_compression_level(png, 9);
    png_set_compression_mem_level(png, 9);
    // Unfiltered rows let deflate reuse the previous strip frame, which is
    // identical except for the pointer and arc: a third smaller than adaptive filtering.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::move(state->bytes);
}

std::optional<Image> decodePng(const std::vector<std::uint8_t>& bytes, std::string& error)
{
    png_image header;
    std::memset(&header, 0, sizeof header);
    header.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&header, bytes.data(), bytes.size()))
    {
        error = std::string("not a readable PNG: ") + header.message;
        png_image_free(&header);
        return std::nullopt;
    }
    header.format = PNG_FORMAT_RGBA;
    Image image;
    image.width = static_cast<int>(header.width);
    image.height = static_cast<int>(header.height);
    image.rgba.resize(PNG_IMAGE_SIZE(header));
    if (!png_image_finish_read(&header, nullptr, image.rgba.data(), 0, nullptr))
    {
        error = std::string("PNG decoding failed: ") + header.message;
        png_image_free(&header);
        return std::nullopt;
    }
    return image;
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
    {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed)
    {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::optional<std::vector<std::uint8_t>> readFile(const std::string& path, std::string& error)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
    {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    unsigned char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed)
    {
        error = "cannot read " + path;
        return std::nullopt;
    }
    return bytes;
}

} // namespace sorvelt::artwork
