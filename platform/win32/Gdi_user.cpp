// USER's rectangle drawing: FillRect, FrameRect, InvertRect, DrawFocusRect and DrawEdge.

#include <algorithm>

#include "platform/win32/Gdi_private.h"

using namespace xj::gdi;

namespace {

bool EmptyRect(const RECT* rc) { return rc->left >= rc->right || rc->top >= rc->bottom; }

BOOL Band(DC& dc, int l, int t, int r, int b, HBRUSH brush, DWORD rop) {
  if (l >= r || t >= b) return TRUE;
  return FillWithBrush(dc, RECT { l, t, r, b }, brush, rop);
}

// Paints the four one-pixel sides of rc without painting a corner twice.
template <class Fn>
void FrameBands(const RECT& rc, Fn&& paint) {
  paint(rc.left, rc.top, rc.right, rc.top + 1);
  if (rc.bottom - rc.top > 1) paint(rc.left, rc.bottom - 1, rc.right, rc.bottom);
  paint(rc.left, rc.top + 1, rc.left + 1, rc.bottom - 1);
  if (rc.right - rc.left > 1) paint(rc.right - 1, rc.top + 1, rc.right, rc.bottom - 1);
}

void SolidBand(DC& dc, int l, int t, int r, int b, int sysColor) {
  Band(dc, l, t, r, b, GetSysColorBrush(sysColor), PATCOPY);
}

struct EdgeColors {
  int topLeft;
  int bottomRight;
};

// One ring of an edge; returns the rectangle inside it.
RECT EdgeRing(DC& dc, RECT rc, UINT flags, EdgeColors c) {
  if (flags & BF_TOP) SolidBand(dc, rc.left, rc.top, rc.right, rc.top + 1, c.topLeft);
  if (flags & BF_LEFT) SolidBand(dc, rc.left, rc.top, rc.left + 1, rc.bottom, c.topLeft);
  // The bottom and right sides own the top-right and bottom-left corners.
  if (flags & BF_BOTTOM) SolidBand(dc, rc.left, rc.bottom - 1, rc.right, rc.bottom, c.bottomRight);
  if (flags & BF_RIGHT) SolidBand(dc, rc.right - 1, rc.top, rc.right, rc.bottom, c.bottomRight);
  if (flags & BF_TOP) ++rc.top;
  if (flags & BF_LEFT) ++rc.left;
  if (flags & BF_BOTTOM) --rc.bottom;
  if (flags & BF_RIGHT) --rc.right;
  return rc;
}

EdgeColors OuterColors(UINT edge, UINT flags) {
  if (flags & BF_MONO) return { COLOR_WINDOWFRAME, COLOR_WINDOWFRAME };
  if (flags & BF_FLAT) return { COLOR_BTNSHADOW, COLOR_BTNSHADOW };
  if (edge & BDR_RAISEDOUTER) return { (flags & BF_SOFT) ? COLOR_BTNHIGHLIGHT : COLOR_3DLIGHT, COLOR_3DDKSHADOW };
  return { COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT };
}

EdgeColors InnerColors(UINT edge, UINT flags) {
  if (flags & BF_MONO) return { COLOR_WINDOW, COLOR_WINDOW };
  if (flags & BF_FLAT) return { COLOR_BTNFACE, COLOR_BTNFACE };
  if (edge & BDR_RAISEDINNER) return { (flags & BF_SOFT) ? COLOR_3DLIGHT : COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW };
  return { COLOR_3DDKSHADOW, COLOR_3DLIGHT };
}

}  // namespace

int WINAPI FillRect(HDC hdc, const RECT* rc, HBRUSH brush) {
  DC* dc = GetDC(hdc);
  if (!dc || !rc) return FALSE;
  if (EmptyRect(rc)) return TRUE;
  return FillWithBrush(*dc, *rc, brush, PATCOPY);
}

int WINAPI FrameRect(HDC hdc, const RECT* rc, HBRUSH brush) {
  DC* dc = GetDC(hdc);
  if (!dc || !rc) return FALSE;
  if (EmptyRect(rc)) return TRUE;
  FrameBands(*rc, [&](int l, int t, int r, int b) { Band(*dc, l, t, r, b, brush, PATCOPY); });
  return TRUE;
}

BOOL WINAPI InvertRect(HDC hdc, const RECT* rc) {
  DC* dc = GetDC(hdc);
  if (!dc || !rc) return FALSE;
  if (EmptyRect(rc)) return TRUE;
  return FillWithBrush(*dc, *rc, nullptr, DSTINVERT);
}

BOOL WINAPI DrawFocusRect(HDC hdc, const RECT* rc) {
  DC* dc = GetDC(hdc);
  if (!dc || !rc) return FALSE;
  if (EmptyRect(rc)) return TRUE;
  // Every other pixel of the frame is inverted, so drawing it twice restores the picture.
  PatternSource checker;
  checker.solid = false;
  checker.w = checker.h = 2;
  checker.tile = { kWhite, 0, 0, kWhite };
  checker.orgX = dc->origin.x;
  checker.orgY = dc->origin.y;
  Rop3 invert(0x5A);
  FrameBands(*rc, [&](int l, int t, int r, int b) {
    if (l >= r || t >= b) return;
    RECT s { dc->SX(l), dc->SY(t), dc->SX(r), dc->SY(b) };
    DrawScope ds(*dc, s);
    if (!ds.Empty()) PaintRect(ds, s, invert, checker);
  });
  return TRUE;
}

BOOL WINAPI DrawEdge(HDC hdc, LPRECT rc, UINT edge, UINT flags) {
  DC* dc = GetDC(hdc);
  if (!dc || !rc) return FALSE;
  RECT inner = *rc;
  if (edge & BDR_OUTER) inner = EdgeRing(*dc, inner, flags, OuterColors(edge, flags));
  if (edge & BDR_INNER) inner = EdgeRing(*dc, inner, flags, InnerColors(edge, flags));
  if (flags & BF_MIDDLE) {
    int face = (flags & (BF_MONO | BF_FLAT)) ? COLOR_WINDOW : COLOR_BTNFACE;
    SolidBand(*dc, inner.left, inner.top, inner.right, inner.bottom, face);
  }
  if (flags & BF_ADJUST) *rc = inner;
  return TRUE;
}
