// Images on Linux and in the headless toolkit: plain memory, rows top-down, drawn by the
// portable pixel code (nothing here draws on its own).
#include <vector>

#include "gui/platform.h"

namespace VSTGUI
{

namespace
{

class MemoryImage final : public PlatformImage
{
public:
    MemoryImage(int width, int height)
        : width(width), height(height), bytes(static_cast<std::size_t>(width) * height * 4, 0)
    {
    }

    PixelBuffer pixels() const override
    {
        // The image's owner decides who may write; the view itself is not const.
        return PixelBuffer{const_cast<std::uint8_t*>(bytes.data()), width, height, width * 4};
    }

private:
    int width;
    int height;
    std::vector<std::uint8_t> bytes;
};

} // namespace

std::unique_ptr<PlatformImage> createPlatformImage(int width, int height, ImageRows)
{
    // Top-down either way: cairo draws into these rows as they are.
    if (width <= 0 || height <= 0) return nullptr;
    return std::make_unique<MemoryImage>(width, height);
}

std::unique_ptr<PlatformImage> loadPlatformBitmap(long)
{
    return nullptr; // PNG is the only kind of embedded image here
}

} // namespace VSTGUI
