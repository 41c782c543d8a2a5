#pragma once
// The plain types every layer of the platform speaks, from the display back-ends up to the class
// library: the Win32 integer widths and the rectangle, point and size records. Nothing else here, so
// that the display layer needs nothing from the layers above it.

#include <cstdint>

typedef int32_t LONG;
typedef unsigned int UINT;

typedef struct tagRECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
} RECT, *PRECT, *LPRECT;
typedef const RECT* LPCRECT;

typedef struct tagPOINT {
  LONG x;
  LONG y;
} POINT, *PPOINT, *LPPOINT;

typedef struct tagSIZE {
  LONG cx;
  LONG cy;
} SIZE, *PSIZE, *LPSIZE;
