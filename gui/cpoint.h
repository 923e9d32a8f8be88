// CPoint: a pixel position, 32-bit signed, x to the right and y downwards.
// A plain value type shared by every view, context and control.
#pragma once

#include <cstdint>

namespace VSTGUI
{

struct CRect;

struct CPoint
{
    std::int32_t x = 0;
    std::int32_t y = 0;

    constexpr CPoint() = default;
    constexpr CPoint(long x_, long y_) : x(static_cast<std::int32_t>(x_)), y(static_cast<std::int32_t>(y_)) {}

    /// Moves the point by (dx, dy).
    constexpr CPoint& offset(long dx, long dy)
    {
        x = static_cast<std::int32_t>(x + dx);
        y = static_cast<std::int32_t>(y + dy);
        return *this;
    }

    /// The inclusive test used for hit testing: the right and bottom edges count as inside.
    constexpr bool isInside(const CRect& r) const;

    constexpr bool operator==(const CPoint&) const = default;
};

} // namespace VSTGUI

#include "gui/crect.h"
