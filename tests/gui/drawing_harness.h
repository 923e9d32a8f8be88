// Helpers for pixel-exact drawing tests: read a context's pixels as 0xAARRGGBB and
// compare whole images against the set of pixels a rule says must change.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

#include "gui/coffscreencontext.h"

namespace drawtest
{

using namespace VSTGUI;

/// Pixel (x, y) as 0xAARRGGBB (premultiplied, as stored).
inline std::uint32_t pixelOf(CDrawContext& context, int x, int y)
{
    const PixelBuffer pixels = context.getPixelBuffer();
    std::uint32_t value = 0;
    std::memcpy(&value, pixels.pixel(x, y), 4);
    return value;
}

inline constexpr std::uint32_t kBlack = 0xff000000u;
inline constexpr std::uint32_t kRed = 0xffff0000u;
inline constexpr std::uint32_t kGreen = 0xff00ff00u;
inline constexpr std::uint32_t kBlue = 0xff0000ffu;

/// Lists every pixel whose value differs from `expected(x, y)`, for a readable failure.
inline std::string mismatches(CDrawContext& context, const std::function<std::uint32_t(int, int)>& expected)
{
    const PixelBuffer pixels = context.getPixelBuffer();
    std::string out;
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x)
        {
            const std::uint32_t want = expected(x, y), got = pixelOf(context, x, y);
            if (want != got && out.size() < 400)
                out += '(' + std::to_string(x) + ',' + std::to_string(y) + ") ";
        }
    return out;
}

} // namespace drawtest
