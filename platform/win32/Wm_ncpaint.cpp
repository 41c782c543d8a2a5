// Painting of the classic frame (borders, caption, caption buttons, menu bar, scroll bars, client
// edge) and of popup menus, in system colours.

#include <algorithm>
#include <cstring>

#include "platform/win32/WinGdi.h"
#include "platform/win32/WmMenu.h"
#include "platform/win32/WmNonClient.h"

namespace xj::wm {

namespace {

HFONT MakeFont(bool bold) {
  LOGFONTA lf {};
  lf.lfHeight = -11;
  lf.lfWeight = bold ? FW_BOLD : 400;
  lf.lfCharSet = DEFAULT_CHARSET;
  strcpy(lf.lfFaceName, "MS Sans Serif");
  return CreateFontIndirectA(&lf);
}

// Shared for the life of the program, like the system's own fonts.
HFONT CaptionFont() {
  static HFONT f = MakeFont(true);
  return f;
}
}  // namespace

HFONT MenuFont() {
  static HFONT f = MakeFont(false);
  return f;
}

namespace {

void Fill(HDC dc, const RECT& r, int sysColor) {
  if (!IsRectEmptyWm(r)) FillRect(dc, &r, GetSysColorBrush(sysColor));
}

void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF c) {
  HPEN pen = CreatePen(PS_SOLID, 1, c);
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
  SelectObject(dc, old);
  DeleteObject(pen);
}

void Text(HDC dc, const std::string& s, RECT r, COLORREF color, HFONT font, UINT format) {
  HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, color);
  DrawTextA(dc, s.c_str(), (int)s.size(), &r, format);
  SelectObject(dc, old);
}

// A small triangle pointing in a direction (0 up, 1 down, 2 left, 3 right) centred in r.
void Arrow(HDC dc, const RECT& r, int dir, COLORREF c) {
  int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  for (int i = 0; i < 4; ++i) {
    bool growing = dir == 0 || dir == 2;  // up and left widen away from the tip
    int half = growing ? i : 3 - i;
    int along = (dir <= 1 ? cy : cx) - 2 + i;
    if (dir <= 1)
      Line(dc, cx - half, along, cx + half + 1, along, c);
    else
      Line(dc, along, cy - half, along, cy + half + 1, c);
  }
}

void CaptionButton(HDC dc, RECT r, int hit, bool pressed, bool enabled, bool maximised) {
  Fill(dc, r, COLOR_BTNFACE);
  RECT e = r;
  DrawEdge(dc, &e, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  int off = pressed ? 1 : 0;
  COLORREF c = enabled ? GetSysColor(COLOR_BTNTEXT) : GetSysColor(COLOR_GRAYTEXT);
  int l = r.left + 4 + off, t = r.top + 3 + off, rr = r.right - 5 + off, b = r.bottom - 4 + off;
  switch (hit) {
    case HTCLOSE:
      for (int k = 0; k < 2; ++k) {
        Line(dc, l + k, t, rr + k, b + 1, c);
        Line(dc, rr - 1 + k, t, l - 1 + k, b + 1, c);
      }
      break;
    case HTMAXBUTTON:
      if (maximised) {
        RECT back { l + 2, t, rr + 1, b - 2 }, front { l, t + 3, rr - 1, b + 1 };
        HBRUSH br = CreateSolidBrush(c);
        FrameRect(dc, &back, br);
        Fill(dc, front, COLOR_BTNFACE);
        FrameRect(dc, &front, br);
        Line(dc, front.left, front.top + 1, front.right, front.top + 1, c);
        DeleteObject(br);
      } else {
        RECT box { l, t, rr + 1, b + 1 };
        HBRUSH br = CreateSolidBrush(c);
        FrameRect(dc, &box, br);
        DeleteObject(br);
        Line(dc, l, t + 1, rr + 1, t + 1, c);
      }
      break;
    case HTMINBUTTON:
      Line(dc, l + 1, b, rr - 1, b, c);
      Line(dc, l + 1, b - 1, rr - 1, b - 1, c);
      break;
  }
}

void ScrollBarPaint(Wnd* w, HDC dc, int bar) {
  BarPartsForPaint p = ScrollBarParts(w, bar);
  if (IsRectEmptyWm(p.bar)) return;
  Fill(dc, p.bar, COLOR_SCROLLBAR);
  ScrollBar& sb = bar == SB_VERT ? w->vbar : w->hbar;
  bool enabled = sb.max > sb.min && (sb.disabledArrows & 3) != 3;
  for (int k = 0; k < 2; ++k) {
    RECT r = k ? p.down : p.up;
    Fill(dc, r, COLOR_BTNFACE);
    RECT e = r;
    DrawEdge(dc, &e, EDGE_RAISED, BF_RECT);
    int dir = p.vertical ? (k ? 1 : 0) : (k ? 3 : 2);
    Arrow(dc, r, dir, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  }
  if (enabled && !IsRectEmptyWm(p.thumb)) {
    Fill(dc, p.thumb, COLOR_BTNFACE);
    RECT e = p.thumb;
    DrawEdge(dc, &e, EDGE_RAISED, BF_RECT);
  }
}

void MenuBarPaint(Wnd* w, HDC dc, const FrameParts& parts) {
  Fill(dc, RECT { parts.menu.left, parts.menu.top, parts.menu.right, parts.menu.bottom + 1 }, COLOR_MENU);
  Menu* m = MenuFromHandle(w->menu);
  if (!m) return;
  auto rects = MenuBarItemRects(*m, parts.menu);
  int sel = MenuBarHighlight(w->handle);
  for (size_t i = 0; i < rects.size(); ++i) {
    const MenuItem& it = m->items[i];
    if (it.Separator()) continue;
    bool hot = (int)i == sel;
    if (hot) Fill(dc, rects[i], COLOR_HIGHLIGHT);
    int color = it.Disabled() ? COLOR_GRAYTEXT : hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT;
    Text(dc, it.text, rects[i], GetSysColor(color), MenuFont(), DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  }
}

void BorderPaint(HDC dc, const RECT& r, const Frame& f) {
  if (f.border >= 3) {
    RECT e = r;
    DrawEdge(dc, &e, EDGE_RAISED, BF_RECT);
    RECT ring { r.left + 2, r.top + 2, r.right - 2, r.bottom - 2 };
    HBRUSH face = GetSysColorBrush(f.border == 4 ? COLOR_ACTIVEBORDER : COLOR_BTNFACE);
    for (int i = 0; i < f.border - 2; ++i) {
      FrameRect(dc, &ring, face);
      ring = RECT { ring.left + 1, ring.top + 1, ring.right - 1, ring.bottom - 1 };
    }
  } else if (f.border == 1) {
    RECT e = r;
    FrameRect(dc, &e, GetSysColorBrush(COLOR_WINDOWFRAME));
  }
}

// A class without an icon shows the application's default one.
void SysIconPaint(Wnd* w, HDC dc, const RECT& at) {
  HICON icon = w->cls && w->cls->icon ? w->cls->icon : LoadIconA(nullptr, IDI_APPLICATION);
  if (icon) DrawIconEx(dc, at.left, at.top, icon, at.right - at.left, at.bottom - at.top, 0, nullptr, DI_NORMAL);
}

void CaptionPaint(Wnd* w, HDC dc, const FrameParts& p) {
  bool active = w->ncActive;
  Fill(dc, p.caption, active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
  Fill(dc, RECT { p.caption.left, p.caption.bottom, p.caption.right, p.caption.bottom + 1 }, COLOR_BTNFACE);
  if (!IsRectEmptyWm(p.sysIcon)) SysIconPaint(w, dc, p.sysIcon);
  RECT tr = p.caption;
  tr.left = (IsRectEmptyWm(p.sysIcon) ? p.caption.left : p.sysIcon.right) + 2;
  int right = !IsRectEmptyWm(p.min) ? p.min.left : !IsRectEmptyWm(p.close) ? p.close.left : p.caption.right;
  tr.right = right - 2;
  Text(dc, w->text, tr, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT), CaptionFont(),
       DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
  bool maxed = (w->style & WS_MAXIMIZE) != 0;
  if (!IsRectEmptyWm(p.close)) CaptionButton(dc, p.close, HTCLOSE, w->pressedButton == HTCLOSE, true, maxed);
  if (!IsRectEmptyWm(p.max))
    CaptionButton(dc, p.max, HTMAXBUTTON, w->pressedButton == HTMAXBUTTON, (w->style & WS_MAXIMIZEBOX) != 0, maxed);
  if (!IsRectEmptyWm(p.min))
    CaptionButton(dc, p.min, HTMINBUTTON, w->pressedButton == HTMINBUTTON, (w->style & WS_MINIMIZEBOX) != 0, maxed);
}

void ClientEdgePaint(HDC dc, const FrameParts& p) {
  RECT e = p.edge;
  if (p.frame.edge == 2)
    DrawEdge(dc, &e, EDGE_SUNKEN, BF_RECT);
  else if (p.frame.edge == 1)
    DrawEdge(dc, &e, BDR_SUNKENOUTER, BF_RECT);
}

}  // namespace

int MenuTextWidth(const std::string& text) {
  static HDC measure = CreateCompatibleDC(nullptr);
  std::string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    shown += text[i] == '\t' ? ' ' : text[i];
  }
  HGDIOBJ old = SelectObject(measure, MenuFont());
  SIZE sz {};
  GetTextExtentPoint32A(measure, shown.c_str(), (int)shown.size(), &sz);
  SelectObject(measure, old);
  return (int)sz.cx + (text.find('\t') != std::string::npos ? 16 : 0);
}

void PaintFrame(Wnd* w, HDC given) {
  if (!ReallyVisible(w)) return;
  // Every part of the frame lies outside the client area: a window that is all client area (most child
  // controls) has nothing to draw, and a DC clipped to nothing is not worth making.
  if (w->client.left <= 0 && w->client.top <= 0 && w->client.right >= w->Width() && w->client.bottom >= w->Height())
    return;
  HDC dc = given ? given : GetWindowDC(w->handle);
  if (!dc) return;
  int saved = SaveDC(dc);
  FrameParts p = PartsOf(w);
  ExcludeClipRect(dc, w->client.left, w->client.top, w->client.right, w->client.bottom);
  const Frame& f = p.frame;
  BorderPaint(dc, p.window, f);
  if (f.caption) CaptionPaint(w, dc, p);
  if (f.menu) MenuBarPaint(w, dc, p);
  ClientEdgePaint(dc, p);
  if (f.vscroll) ScrollBarPaint(w, dc, SB_VERT);
  if (f.hscroll) ScrollBarPaint(w, dc, SB_HORZ);
  if (!IsRectEmptyWm(p.grip)) Fill(dc, p.grip, COLOR_BTNFACE);
  RestoreDC(dc, saved);
  if (!given) ReleaseDC(w->handle, dc);
}

void SetPressedButton(Wnd* w, int hit) {
  if (w->pressedButton == hit) return;
  w->pressedButton = hit;
  PaintFrame(w, nullptr);
}

void PaintPopupMenu(Wnd* w, HDC dc, const Menu& m, int highlight) {
  RECT all { 0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top };
  Fill(dc, all, COLOR_MENU);
  RECT e = all;
  DrawEdge(dc, &e, EDGE_RAISED, BF_RECT);
  auto rects = PopupItemRects(m);
  for (size_t i = 0; i < rects.size(); ++i) {
    const MenuItem& it = m.items[i];
    RECT r = rects[i];
    if (it.Separator()) {
      RECT s { r.left + 1, (r.top + r.bottom) / 2 - 1, r.right - 1, (r.top + r.bottom) / 2 + 1 };
      DrawEdge(dc, &s, EDGE_ETCHED, BF_TOP);
      continue;
    }
    bool hot = (int)i == highlight;
    if (hot) Fill(dc, r, COLOR_HIGHLIGHT);
    COLORREF c = GetSysColor(it.Disabled() ? COLOR_GRAYTEXT : hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
    if (it.state & MF_CHECKED) {
      int cx = r.left + 8, cy = (r.top + r.bottom) / 2;
      for (int k = 0; k < 2; ++k) {
        Line(dc, cx - 3, cy - 1 + k, cx, cy + 2 + k, c);
        Line(dc, cx, cy + 2 + k, cx + 5, cy - 3 + k, c);
      }
    }
    std::string label = it.text, shortcut;
    size_t tab = label.find('\t');
    if (tab != std::string::npos) {
      shortcut = label.substr(tab + 1);
      label = label.substr(0, tab);
    }
    RECT tr { r.left + 18, r.top, r.right - 14, r.bottom };
    Text(dc, label, tr, c, MenuFont(), DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    if (!shortcut.empty()) Text(dc, shortcut, tr, c, MenuFont(), DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
    if (it.sub) Arrow(dc, RECT { r.right - 12, r.top, r.right - 4, r.bottom }, 3, c);
  }
}

}  // namespace xj::wm
