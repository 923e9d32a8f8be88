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

/// Decodes into a new platform image, image row y written where that image keeps it (on Windows
/// the DIB section's bottom-up rows). Only plain data and objects of this frame live past
/// setjmp, so libpng's longjmp skips no destructor.
std::unique_ptr<PlatformImage> decodePng(const unsigned char* bytes, std::size_t size)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, quietError, quietWarning);
    if (!png) return nullptr;
    png_infop info = png_create_info_struct(png);
    if (!info)
    {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return nullptr;
    }
    MemoryReader reader{bytes, size, 0};
    std::vector<png_bytep> rows;
    std::unique_ptr<PlatformImage> image;
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_read_struct(&png, &info, nullptr);
        return nullptr;
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

    image = createPlatformImage(static_cast<int>(width), static_cast<int>(height));
    if (!image) png_error(png, "no memory for the image");
    const PixelBuffer pixels = image->pixels();
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = pixels.pixel(0, static_cast<int>(y));
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < height; ++y)
            png_read_rows(png, &rows[y], nullptr, 1);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);

    // Premultiply with a shift, as the blend expects: an opaque 255 becomes 254.
    for (png_uint_32 y = 0; y < height; ++y)
    {
        std::uint8_t* row = rows[y];
        for (std::size_t i = 0; i < std::size_t{width} * 4; i += 4)
        {
            const unsigned a = row[i + 3];
            if (a == 0)
            {
                std::memset(&row[i], 0, 4);
                continue;
            }
            for (int c = 0; c < 3; ++c)
                row[i + c] = static_cast<std::uint8_t>((row[i + c] * a) >> 8);
        }
    }
    return image;
}

/// One embedded image decoded: the image (null when there is none or it would not decode) and
/// whether it came from a PNG (with alpha) or the platform's plain bitmap resource.
struct DecodedImage
{
    std::shared_ptr<const PlatformImage> image;
    bool noAlpha = false;
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
    DecodedImage decoded;
    const ResourceBytes bytes = findPngResource(id);
    if (bytes.data)
        decoded.image = bytes.size > 0 ? decodePng(bytes.data, bytes.size) : nullptr;
    else if ((decoded.image = loadPlatformBitmap(id)))
        decoded.noAlpha = true; // no PNG of that number: a plain bitmap, opaque
    images.emplace(id, decoded);
    return decoded;
}

/// A fresh copy of `from`, with its rows kept as `rows` says.
std::unique_ptr<PlatformImage> copyOf(const PlatformImage& from, ImageRows rows)
{
    const PixelBuffer source = from.pixels();
    auto copy = createPlatformImage(source.width, source.height, rows);
    if (!copy) return nullptr;
    const PixelBuffer dest = copy->pixels();
    for (int y = 0; y < source.height; ++y)
        std::memcpy(dest.pixel(0, y), source.pixel(0, y), static_cast<std::size_t>(source.width) * 4);
    return copy;
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
        own = createPlatformImage(static_cast<int>(width_), static_cast<int>(height_), ImageRows::Drawable);
        if (!own) return;
        width = static_cast<std::int32_t>(width_);
        height = static_cast<std::int32_t>(height_);
    }
}

CBitmap::CBitmap() = default;

CBitmap::~CBitmap()
{
    dispose();
}

void CBitmap::dispose()
{
    own.reset();
    shared.reset();
    mask.clear();
    mask.shrink_to_fit();
    width = 0;
    height = 0;
    noAlpha = false;
}

bool CBitmap::loadFromResource(long id)
{
    dispose();
    const DecodedImage decoded = decodedResource(id);
    if (!decoded.image) return false;
    shared = decoded.image;
    const PixelBuffer pixels = shared->pixels();
    width = pixels.width;
    height = pixels.height;
    noAlpha = decoded.noAlpha;
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
    own = decodePng(bytes, size);
    if (!own) return false;
    const PixelBuffer pixels = own->pixels();
    width = pixels.width;
    height = pixels.height;
    noAlpha = false;
    return true;
}

PixelBuffer CBitmap::getHandle()
{
    // Pixels to write into are what a drawing context binds: a decoded image (and every bitmap
    // sharing an embedded one) gets a drawable copy of its own first. Without room for the copy
    // the image stays as it is, and nothing is handed out.
    if (const PlatformImage* image = getPlatformImage(); image && (shared || !image->isDrawable()))
    {
        auto copy = copyOf(*image, ImageRows::Drawable);
        if (!copy) return {};
        own = std::move(copy);
        shared.reset();
    }
    return own ? own->pixels() : PixelBuffer{};
}

PixelBuffer CBitmap::getPixels() const
{
    // Drawing only reads the source, so the shared decoding can be lent out as it is.
    const PlatformImage* image = getPlatformImage();
    return image ? image->pixels() : PixelBuffer{};
}

bool CBitmap::setTransparencyMask(CDrawContext* context, const CPoint& offset)
{
    mask.clear();
    const PixelBuffer from = context ? context->getPixelBuffer() : PixelBuffer{};
    if (!isLoaded() || !from.isValid()) return false;
    mask.assign(static_cast<std::size_t>(width) * height, 0);
    for (long y = 0; y < height; ++y)
        for (long x = 0; x < width; ++x)
        {
            // Pixels beyond the context are never transparent: the image shows there.
            const long long cx = static_cast<long long>(offset.x) + x,
                            cy = static_cast<long long>(offset.y) + y;
            if (cx < 0 || cy < 0 || cx >= from.width || cy >= from.height) continue;
            const CColor c = pixelops::loadColor(from.pixel(static_cast<int>(cx), static_cast<int>(cy)));
            mask[static_cast<std::size_t>(y) * width + x] = c.red == transparentColor.red &&
                                                            c.green == transparentColor.green &&
                                                            c.blue == transparentColor.blue;
        }
    return true;
}

namespace
{

/// Draws the part of the image region at `offset`, of `rect`'s size, that exists; what would
/// lie outside the image (a strip frame past the end) is simply not drawn. The platform draws
/// it its own way where it can, else the portable pixel rules do.
void drawRegion(const CBitmap& bitmap, CDrawContext* context, const CRect& rect, const CPoint& offset,
                ImageDraw how)
{
    const PlatformImage* image = bitmap.getPlatformImage();
    if (!context || !image) return;
    const PixelBuffer source = image->pixels();
    PixelBuffer target;
    CRect clip;
    if (!context->beginPixelAccess(target, clip)) return;
    const CPoint destOrigin(static_cast<long>(rect.left) + context->offset.x,
                            static_cast<long>(rect.top) + context->offset.y);
    const auto plan =
        pixelops::planCopy(source, offset, rect.width(), rect.height(), target, destOrigin, clip);
    if (plan.isEmpty()) return;
    if (!image->drawTo(context->getPort(), target, plan.source, plan.dest, how))
    {
        const CColor key{how.keyRed, how.keyGreen, how.keyBlue, 255};
        if (how.mode == ImageDrawMode::Transparent && how.mask)
        {
            // The prepared mask decides instead of the colour: set means the target stays.
            for (long y = 0; y < plan.dest.height(); ++y)
                for (long x = 0; x < plan.dest.width(); ++x)
                {
                    const long sx = plan.source.left + x, sy = plan.source.top + y;
                    if (!how.mask[static_cast<std::size_t>(sy) * source.width + sx])
                        std::memcpy(target.pixel(plan.dest.left + x, plan.dest.top + y), source.pixel(sx, sy),
                                    4);
                }
        }
        else
        {
            const auto mode = how.mode == ImageDrawMode::Copy          ? pixelops::CopyMode::Replace
                              : how.mode == ImageDrawMode::Transparent ? pixelops::CopyMode::SkipKeyColor
                                                                       : pixelops::CopyMode::BlendOver;
            pixelops::copyPixels(source, target, plan, mode, how.opacity, key);
        }
    }
    context->endPixelAccess(plan.dest);
}

ImageDraw drawOf(ImageDrawMode mode, unsigned opacity, bool perPixelAlpha, CColor key,
                 const std::vector<std::uint8_t>& mask)
{
    ImageDraw how;
    how.mode = mode;
    how.opacity = opacity;
    how.perPixelAlpha = perPixelAlpha;
    how.keyRed = key.red;
    how.keyGreen = key.green;
    how.keyBlue = key.blue;
    how.mask = mask.empty() ? nullptr : mask.data();
    return how;
}

} // namespace

void CBitmap::draw(CDrawContext* context, CRect& rect, const CPoint& offset)
{
    if (!noAlpha)
    {
        drawAlphaBlend(context, rect, offset, 255);
        return;
    }
    drawRegion(*this, context, rect, offset, drawOf(ImageDrawMode::Copy, 255, false, transparentColor, {}));
}

void CBitmap::drawTransparent(CDrawContext* context, CRect& rect, const CPoint& offset)
{
    if (!noAlpha)
    {
        drawAlphaBlend(context, rect, offset, 255);
        return;
    }
    drawRegion(*this, context, rect, offset,
               drawOf(ImageDrawMode::Transparent, 255, false, transparentColor, mask));
}

void CBitmap::drawAlphaBlend(CDrawContext* context, CRect& rect, const CPoint& offset, unsigned char alpha)
{
    drawRegion(*this, context, rect, offset,
               drawOf(ImageDrawMode::AlphaBlend, alpha, !noAlpha, transparentColor, {}));
}

} // namespace VSTGUI
