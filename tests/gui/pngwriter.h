// Builds PNG files in memory with libpng, so bitmap tests can feed the decoder every colour
// type and bit depth without sample files.
#pragma once

#include <png.h>

#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

namespace testpng
{

struct Image
{
    int width = 0;
    int height = 0;
    int colorType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    bool interlaced = false;
    /// Raw sample bytes of each row, packed as PNG stores them (big-endian 16-bit, packed sub-byte grey).
    std::vector<std::vector<std::uint8_t>> rows;
    std::vector<png_color> palette;
    std::vector<std::uint8_t> paletteAlpha; ///< tRNS for palette images
    bool hasTransparentColor = false;       ///< tRNS for grey and RGB images
    png_color_16 transparentColor{};
};

inline void appendBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

inline void noFlush(png_structp) {}

inline std::vector<std::uint8_t> encode(const Image& image)
{
    std::vector<std::uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("PNG encoding failed");
    }
    png_set_write_fn(png, &out, appendBytes, noFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height),
                 image.bitDepth, image.colorType, image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!image.palette.empty())
        png_set_PLTE(png, info, image.palette.data(), static_cast<int>(image.palette.size()));
    if (!image.paletteAlpha.empty())
        png_set_tRNS(png, info, image.paletteAlpha.data(), static_cast<int>(image.paletteAlpha.size()),
                     nullptr);
    if (image.hasTransparentColor)
    {
        png_color_16 color = image.transparentColor;
        png_set_tRNS(png, info, nullptr, 0, &color);
    }
    png_write_info(png, info);
    std::vector<png_bytep> rowPointers;
    for (const auto& row : image.rows)
        rowPointers.push_back(const_cast<png_bytep>(row.data()));
    png_write_image(png, rowPointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

/// An 8-bit RGBA image from straight R, G, B, A quadruples, row by row.
/// An image of any colour type and depth from its packed rows (one entry a row).
inline Image image(int width, int colorType, int bitDepth, std::vector<std::vector<std::uint8_t>> rows)
{
    Image img;
    img.width = width;
    img.height = static_cast<int>(rows.size());
    img.colorType = colorType;
    img.bitDepth = bitDepth;
    img.rows = std::move(rows);
    return img;
}

inline Image rgba(int width, int height, const std::vector<std::uint8_t>& quads)
{
    Image image;
    image.width = width;
    image.height = height;
    image.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (int y = 0; y < height; ++y)
        image.rows.emplace_back(quads.begin() + y * width * 4, quads.begin() + (y + 1) * width * 4);
    return image;
}

} // namespace testpng
