// CBitmap: embedded PNG bytes decoded by libpng into premultiplied B, G, R, A pixels.
#include "gui/cbitmap.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <map>
#include <mutex>

#include "gui/cdrawcontext.h"
#include "gui/pixelops.h"

namespace VSTGUI
{

namespace
{

/// Images this large are not artwork; a corrupt header must not make us allocate gigabytes.
constexpr png_uint_32 kMaxSide = 65535;
constexpr std::size_t kMaxPixels = std::size_t{64} << 20;

struct MemoryReader
{
    const unsigned char* data;
    std::size_t size;
    std::size_t position;
};

/// libpng's read callback over a byte range. A read past the end is an error, never a short
/// or unwritten buffer: the decoder must not go on with bytes that are not there.
void readFromMemory(png_structp png, png_bytep out, png_size_t count)
{
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (count > reader->size - reader->position) png_error(png, "PNG data ends early");
    std::memcpy(out, reader->data + reader->position, count);
    reader->position += count;
}

void quietWarning(png_structp, png_const_charp) {}

/// libpng's default handler prints; a plug-in keeps the host's terminal quiet and just fails.
[[noreturn]] void quietError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

/// Decodes into `pixels` (already empty). Only plain data lives in this frame after setjmp,
/// so libpng's longjmp skips no destructor.
bool decodePng(const unsigned char* bytes, std::size_t size, std::vector<std::uint8_t>& pixels,
               std::int32_t& outWidth, std::int32_t& outHeight)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, quietError, quietWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info)
    {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    MemoryReader reader{bytes, size, 0};
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_user_limits(png, kMaxSide, kMaxSide);
    // A reader demotes "benign" errors to warnings, among them a chunk longer than the limit,
    // which libpng would then allocate whole: as errors they fail before any such allocation.
    png_set_benign_errors(png, 0);
    png_set_read_fn(png, &reader, readFromMemory);
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);
    if (std::size_t{width} * height > kMaxPixels) png_error(png, "PNG too large");

    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
    {
        if (bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
        png_set_gray_to_rgb(png);
    }
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    else
        png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    if (bitDepth == 16)
    {
        png_set_swap(png);
        png_set_strip_16(png);
    }
    // Every colour type ends as RGB(A) by now, so all of them need blue first (a palette image
    // left in red-first order would come out with red and blue exchanged).
    png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != std::size_t{width} * 4) png_error(png, "unexpected PNG row layout");

    pixels.resize(std::size_t{width} * height * 4);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = pixels.data() + std::size_t{y} * width * 4;
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < height; ++y)
            png_read_rows(png, &rows[y], nullptr, 1);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);

    // Premultiply with a shift, as the blend expects: an opaque 255 becomes 254.
    for (std::size_t i = 0; i < pixels.size(); i += 4)
    {
        const unsigned a = pixels[i + 3];
        if (a == 0)
        {
            std::memset(&pixels[i], 0, 4);
            continue;
        }
        for (int c = 0; c < 3; ++c)
            pixels[i + c] = static_cast<std::uint8_t>((pixels[i + c] * a) >> 8);
    }
    outWidth = static_cast<std::int32_t>(width);
    outHeight = static_cast<std::int32_t>(height);
    return true;
}

/// One embedded image decoded: its pixels (null when it would not decode) and size.
struct DecodedImage
{
    std::shared_ptr<const std::vector<std::uint8_t>> pixels;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

/// Embedded images decoded once per process: a later editor only wraps what the first one
/// decoded. Instances of the plug-in share it, and a host may open their editors from more
/// than one thread, hence the lock. Released when the library is unloaded.
DecodedImage decodedResource(long id)
{
    static std::mutex lock;
    static std::map<long, DecodedImage> images;
    const std::lock_guard<std::mutex> guard(lock);
    if (const auto found = images.find(id); found != images.end()) return found->second;
    DecodedImage image;
    const ResourceBytes bytes = findPngResource(id);
    std::vector<std::uint8_t> decoded;
    if (bytes.data && bytes.size > 0 &&
        decodePng(bytes.data, bytes.size, decoded, image.width, image.height) && !decoded.empty())
        image.pixels = std::make_shared<const std::vector<std::uint8_t>>(std::move(decoded));
    images.emplace(id, image);
    return image;
}

} // namespace

CBitmap::CBitmap(long resourceID_) : resourceID(static_cast<std::int32_t>(resourceID_))
{
    loadFromResource(resourceID_);
    transparentColor = kTransparentCColor;
}

CBitmap::CBitmap(CFrame&, long width_, long height_)
{
    if (width_ > 0 && height_ > 0 && static_cast<std::size_t>(width_) * height_ <= kMaxPixels)
    {
        width = static_cast<std::int32_t>(width_);
        height = static_cast<std::int32_t>(height_);
        pixels.assign(static_cast<std::size_t>(width) * height * 4, 0);
    }
}

CBitmap::CBitmap() = default;

CBitmap::~CBitmap()
{
    dispose();
}

void CBitmap::dispose()
{
    pixels.clear();
    pixels.shrink_to_fit();
    shared.reset();
    width = 0;
    height = 0;
    noAlpha = false;
}

bool CBitmap::loadFromResource(long id)
{
    dispose();
    const DecodedImage image = decodedResource(id);
    if (!image.pixels) return false;
    shared = image.pixels;
    width = image.width;
    height = image.height;
    noAlpha = false;
    return true;
}

bool CBitmap::loadFromPath(const void*)
{
    dispose();
    return false;
}

bool CBitmap::loadFromPNG(const unsigned char* bytes, std::size_t size)
{
    dispose();
    if (!bytes || size == 0) return false;
    std::vector<std::uint8_t> decoded;
    std::int32_t w = 0, h = 0;
    if (!decodePng(bytes, size, decoded, w, h) || decoded.empty()) return false;
    pixels = std::move(decoded);
    width = w;
    height = h;
    noAlpha = false;
    return true;
}

PixelBuffer CBitmap::getHandle()
{
    if (shared)
    {
        pixels = *shared;
        shared.reset();
    }
    if (pixels.empty()) return {};
    return PixelBuffer{pixels.data(), width, height, width * 4};
}

PixelBuffer CBitmap::getPixels() const
{
    // Drawing only reads the source, so the shared decoding can be lent out as it is.
    auto* data = const_cast<std::uint8_t*>(shared ? shared->data() : pixels.data());
    if (!shared && pixels.empty()) return {};
    return PixelBuffer{data, width, height, width * 4};
}

namespace
{

/// Draws the part of the image region at `offset`, of `rect`'s size, that exists; what would
/// lie outside the image (a strip frame past the end) is simply not drawn.
void drawRegion(CBitmap& bitmap, CDrawContext* context, const CRect& rect, const CPoint& offset,
                pixelops::CopyMode mode, unsigned opacity, CColor key)
{
    const PixelBuffer source = bitmap.getPixels();
    if (!context || !source.isValid()) return;
    PixelBuffer target;
    CRect clip;
    if (!context->beginPixelAccess(target, clip)) return;
    const CPoint destOrigin(static_cast<long>(rect.left) + context->offset.x,
                            static_cast<long>(rect.top) + context->offset.y);
    const auto plan =
        pixelops::planCopy(source, offset, rect.width(), rect.height(), target, destOrigin, clip);
    pixelops::copyPixels(source, target, plan, mode, opacity, key);
    context->endPixelAccess(plan.dest);
}

} // namespace

void CBitmap::draw(CDrawContext* context, CRect& rect, const CPoint& offset)
{
    if (!noAlpha)
    {
        drawAlphaBlend(context, rect, offset, 255);
        return;
    }
    drawRegion(*this, context, rect, offset, pixelops::CopyMode::Replace, 255, transparentColor);
}

void CBitmap::drawTransparent(CDrawContext* context, CRect& rect, const CPoint& offset)
{
    if (!noAlpha)
    {
        drawAlphaBlend(context, rect, offset, 255);
        return;
    }
    drawRegion(*this, context, rect, offset, pixelops::CopyMode::SkipKeyColor, 255, transparentColor);
}

void CBitmap::drawAlphaBlend(CDrawContext* context, CRect& rect, const CPoint& offset, unsigned char alpha)
{
    drawRegion(*this, context, rect, offset, pixelops::CopyMode::BlendOver, alpha, transparentColor);
}

} // namespace VSTGUI
