#pragma once
// Points and rectangles in double-precision pixel coordinates.
#include <algorithm>
#include <cmath>

namespace VSTGUI
{

using CCoord = double;

struct CPoint
{
    CCoord x = 0;
    CCoord y = 0;

    CPoint() = default;
    CPoint(CCoord x_, CCoord y_) : x(x_), y(y_) {}

    CPoint& operator()(CCoord x_, CCoord y_)
    {
        x = x_;
        y = y_;
        return *this;
    }
    bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
};

// The constructor stores the edges as given, without normalising them.
struct CRect
{
    CCoord left = 0;
    CCoord top = 0;
    CCoord right = 0;
    CCoord bottom = 0;

    CRect() = default;
    CRect(CCoord l, CCoord t, CCoord r, CCoord b) : left(l), top(t), right(r), bottom(b) {}

    bool operator==(const CRect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }

    CCoord getWidth() const { return right - left; }
    CCoord getHeight() const { return bottom - top; }
    CPoint getCenter() const { return {left + getWidth() / 2, top + getHeight() / 2}; }

    CRect& offset(CCoord dx, CCoord dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }
    CRect& originize() { return offset(-left, -top); }
    CRect& inset(CCoord dx, CCoord dy)
    {
        left += dx;
        right -= dx;
        top += dy;
        bottom -= dy;
        return *this;
    }
    CRect& makeIntegral()
    {
        left = std::floor(left + 0.5);
        top = std::floor(top + 0.5);
        right = std::floor(right + 0.5);
        bottom = std::floor(bottom + 0.5);
        return *this;
    }

    // Right and bottom edges lie outside.
    bool pointInside(const CPoint& p) const
    {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    // Touching rectangles overlap; only strictly separated ones do not.
    bool rectOverlap(const CRect& r) const
    {
        return !(right < r.left || left > r.right || bottom < r.top || top > r.bottom);
    }
    bool isEmpty() const { return getWidth() <= 0 || getHeight() <= 0; }

    // Intersection; collapses to zero size (never negative) when disjoint.
    CRect& bound(const CRect& r)
    {
        left = std::max(left, r.left);
        top = std::max(top, r.top);
        right = std::min(right, r.right);
        bottom = std::min(bottom, r.bottom);
        if (right < left) right = left;
        if (bottom < top) bottom = top;
        return *this;
    }
};

} // namespace VSTGUI
