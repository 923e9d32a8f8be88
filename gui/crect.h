// CRect: a pixel rectangle; right and bottom are exclusive for pixel coverage.
// Width is right - left, height is bottom - top; nothing here ever normalises silently.
#pragma once

#include <algorithm>
#include <cstdint>

#include "gui/cpoint.h"

namespace VSTGUI
{

struct CRect
{
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    constexpr CRect() = default;
    constexpr CRect(long left_, long top_, long right_, long bottom_)
        : left(static_cast<std::int32_t>(left_)), top(static_cast<std::int32_t>(top_)),
          right(static_cast<std::int32_t>(right_)), bottom(static_cast<std::int32_t>(bottom_))
    {
    }

    constexpr long width() const { return static_cast<long>(right) - left; }
    constexpr long height() const { return static_cast<long>(bottom) - top; }
    constexpr long getWidth() const { return width(); }
    constexpr long getHeight() const { return height(); }

    /// Keeps left/top and sets the extent.
    constexpr CRect& setWidth(long w)
    {
        right = static_cast<std::int32_t>(left + w);
        return *this;
    }
    constexpr CRect& setHeight(long h)
    {
        bottom = static_cast<std::int32_t>(top + h);
        return *this;
    }

    /// Adds dx to left and right, dy to top and bottom.
    constexpr CRect& offset(long dx, long dy)
    {
        left = static_cast<std::int32_t>(left + dx);
        right = static_cast<std::int32_t>(right + dx);
        top = static_cast<std::int32_t>(top + dy);
        bottom = static_cast<std::int32_t>(bottom + dy);
        return *this;
    }

    /// Moves the top-left corner to (x, y), keeping width and height.
    constexpr CRect& moveTo(long x, long y) { return offset(x - left, y - top); }

    /// Shrinks by dx on the left and right and by dy on the top and bottom.
    constexpr CRect& inset(long dx, long dy)
    {
        left = static_cast<std::int32_t>(left + dx);
        right = static_cast<std::int32_t>(right - dx);
        top = static_cast<std::int32_t>(top + dy);
        bottom = static_cast<std::int32_t>(bottom - dy);
        return *this;
    }

    constexpr bool isEmpty() const { return right <= left || bottom <= top; }

    /// Pixel containment: right and bottom excluded.
    constexpr bool pointInside(const CPoint& p) const
    {
        return left <= p.x && p.x < right && top <= p.y && p.y < bottom;
    }

    /// Hit-test containment: right and bottom included (used for mouse routing and view lookup).
    constexpr bool pointInsideInclusive(const CPoint& p) const
    {
        return left <= p.x && p.x <= right && top <= p.y && p.y <= bottom;
    }

    /// Clips to `other`; a disjoint pair leaves an empty rectangle, never a negative extent.
    constexpr CRect& bound(const CRect& other)
    {
        left = std::max(left, other.left);
        top = std::max(top, other.top);
        right = std::min(right, other.right);
        bottom = std::min(bottom, other.bottom);
        if (bottom < top) bottom = top;
        if (right < left) right = left;
        return *this;
    }

    constexpr bool operator==(const CRect&) const = default;
};

constexpr bool CPoint::isInside(const CRect& r) const
{
    return r.pointInsideInclusive(*this);
}

} // namespace VSTGUI
