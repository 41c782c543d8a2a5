#pragma once
// Geometry records of the class library. TRect, TPoint and TSize have exactly the layout of RECT, POINT
// and SIZE and convert to and from them by value.

#include "platform/win32/WinDef.h"

struct TPoint {
  LONG X = 0;
  LONG Y = 0;

  constexpr TPoint() = default;
  constexpr TPoint(LONG x, LONG y) : X(x), Y(y) {}
  constexpr TPoint(const POINT& p) : X(p.x), Y(p.y) {}
  constexpr operator POINT() const { return POINT { X, Y }; }
  friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
  LONG cx = 0;
  LONG cy = 0;

  constexpr TSize() = default;
  constexpr TSize(LONG w, LONG h) : cx(w), cy(h) {}
  constexpr TSize(const SIZE& s) : cx(s.cx), cy(s.cy) {}
  constexpr operator SIZE() const { return SIZE { cx, cy }; }
  friend constexpr bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
  LONG Left = 0;
  LONG Top = 0;
  LONG Right = 0;
  LONG Bottom = 0;

  constexpr TRect() = default;
  constexpr TRect(LONG l, LONG t, LONG r, LONG b) : Left(l), Top(t), Right(r), Bottom(b) {}
  constexpr TRect(const TPoint& topLeft, const TPoint& bottomRight)
      : Left(topLeft.X), Top(topLeft.Y), Right(bottomRight.X), Bottom(bottomRight.Y) {}
  constexpr TRect(const RECT& r) : Left(r.left), Top(r.top), Right(r.right), Bottom(r.bottom) {}
  constexpr operator RECT() const { return RECT { Left, Top, Right, Bottom }; }

  constexpr LONG Width() const { return Right - Left; }
  constexpr LONG Height() const { return Bottom - Top; }
  constexpr TPoint TopLeft() const { return TPoint(Left, Top); }
  constexpr TPoint BottomRight() const { return TPoint(Right, Bottom); }
  friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

static_assert(sizeof(TRect) == sizeof(RECT) && offsetof(TRect, Bottom) == offsetof(RECT, bottom));
static_assert(sizeof(TPoint) == sizeof(POINT) && offsetof(TPoint, Y) == offsetof(POINT, y));
static_assert(sizeof(TSize) == sizeof(SIZE) && offsetof(TSize, cy) == offsetof(SIZE, cy));

constexpr TRect Rect(LONG left, LONG top, LONG right, LONG bottom) { return TRect(left, top, right, bottom); }
constexpr TRect Bounds(LONG left, LONG top, LONG width, LONG height) {
  return TRect(left, top, left + width, top + height);
}
constexpr TPoint Point(LONG x, LONG y) { return TPoint(x, y); }
