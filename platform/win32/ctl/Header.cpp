// The "SysHeader32" window class: a row of sections (caption, width, alignment, image, owner draw) shown
// in a display order of their own. A press on a divider and a drag resize the section to its left; a
// press on a section shows it pushed (only with HDS_BUTTONS) and a release over it reports a click; with
// HDS_DRAGDROP a press dragged sideways moves the section to another place in the order (HDS_FULLDRAG
// draws the section under the pointer while it moves). HDS_HOTTRACK lights the caption under the mouse.
//
// Notices go to the parent as WM_NOTIFY with NMHEADERA: HDN_BEGINTRACK (non-zero refuses),
// HDN_TRACK, HDN_ENDTRACK, HDN_ITEMCHANGED after every width change, HDN_ITEMCLICK, HDN_BEGINDRAG
// (non-zero refuses) and HDN_ENDDRAG with the new position in pitem->iOrder (non-zero keeps the order).
// Owner-drawn sections arrive at the parent as WM_DRAWITEM (ODT_HEADER, the item index, ODS_SELECTED
// while pressed).

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/ctl/CtlCommon.h"
#include "platform/win32/ctl/HeaderList.h"
#include "platform/win32/ctl/Notify.h"

namespace xj::ctl {

namespace {

constexpr int kDividerSlop = 4;  // pixels either side of a divider that grab it
constexpr int kDragStart = 5;    // sideways pixels before a press becomes a drag

struct Section {
  std::string text;
  int width { 50 };
  int fmt { HDF_LEFT | HDF_STRING };
  LPARAM lParam { 0 };
  int image { -1 };
};

enum class Mode { None, Pressing, Tracking, Dragging };

struct Header {
  HWND hwnd {};
  bool dead { false };
  std::vector<Section> items;
  std::vector<int> order;  // display position → item
  HFONT font {};
  HIMAGELIST images {};
  int hot { -1 };
  Mode mode { Mode::None };
  int item { -1 };        // the pressed, tracked or dragged item
  bool inside { false };  // the pointer is still over the pressed item
  int grabX { 0 };        // where the press was
  int startWidth { 0 };
  int dragX { 0 };
};

StateMap<Header>& Headers() {
  static auto* m = new StateMap<Header>;
  return *m;
}

DWORD StyleOf(const Header& h) { return (DWORD)GetWindowLongA(h.hwnd, GWL_STYLE); }
int Count(const Header& h) { return (int)h.items.size(); }
bool Valid(const Header& h, WPARAM i) { return i < (WPARAM)Count(h); }

int PositionOf(const Header& h, int item) {
  auto it = std::find(h.order.begin(), h.order.end(), item);
  return it == h.order.end() ? -1 : (int)(it - h.order.begin());
}

RECT ClientRect(const Header& h) {
  RECT r {};
  GetClientRect(h.hwnd, &r);
  return r;
}

RECT ItemRect(const Header& h, int item) {
  RECT c = ClientRect(h);
  int x = 0;
  for (int k : h.order) {
    if (k == item) return RECT { x, 0, x + h.items[k].width, c.bottom };
    x += h.items[k].width;
  }
  return RECT {};
}

// Which section and what part of it lie under a client point.
HDHITTESTINFO HitTest(const Header& h, POINT p) {
  HDHITTESTINFO info { p, HHT_NOWHERE, -1 };
  RECT c = ClientRect(h);
  if (p.y < 0 || p.y >= c.bottom || p.x < 0 || p.x >= c.right) return info;
  // A divider wins over the section it borders; the rightmost divider in reach wins, so that a
  // section shrunk to nothing can be widened again.
  int x = 0;
  for (int k : h.order) {
    x += h.items[k].width;
    if (p.x >= x - kDividerSlop && p.x < x + kDividerSlop) {
      info.flags = HHT_ONDIVIDER;
      info.iItem = k;
    }
  }
  if (info.iItem >= 0) return info;
  x = 0;
  for (int k : h.order) {
    if (p.x >= x && p.x < x + h.items[k].width) {
      info.flags = HHT_ONHEADER;
      info.iItem = k;
      return info;
    }
    x += h.items[k].width;
  }
  return info;
}

void Redraw(Header& h) { InvalidateRect(h.hwnd, nullptr, TRUE); }

LRESULT Notify(Header& h, UINT code, int item, HDITEMA* pitem = nullptr) {
  NMHEADERA n {};
  n.iItem = item;
  n.pitem = pitem;
  return NotifyParentOf(h.hwnd, code, n.hdr);
}

void WidthChanged(Header& h, int item) {
  Redraw(h);
  HDITEMA it {};
  it.mask = HDI_WIDTH;
  it.cxy = h.items[item].width;
  Notify(h, HDN_ITEMCHANGEDA, item, &it);
}

// ---- Items -------------------------------------------------------------------------------------------

void Apply(Section& s, const HDITEMA& it) {
  if (it.mask & HDI_TEXT) s.text = it.pszText ? it.pszText : "";
  if (it.mask & HDI_WIDTH) s.width = std::clamp(it.cxy, 0, kMaxSectionWidth);
  if (it.mask & HDI_FORMAT) s.fmt = it.fmt;
  if (it.mask & HDI_LPARAM) s.lParam = it.lParam;
  if (it.mask & HDI_IMAGE) s.image = it.iImage;
}

void SetOrder(Header& h, int item, int position) {
  position = std::clamp(position, 0, Count(h) - 1);
  h.order.erase(std::find(h.order.begin(), h.order.end(), item));
  h.order.insert(h.order.begin() + position, item);
}

LRESULT InsertItem(Header& h, WPARAM at, const HDITEMA* it) {
  if (!it) return -1;
  int index = std::min((int)at, Count(h));
  if ((int)at < 0) index = Count(h);
  Section s;
  Apply(s, *it);
  h.items.insert(h.items.begin() + index, s);
  for (int& k : h.order)
    if (k >= index) ++k;
  h.order.push_back(index);
  if (it->mask & HDI_ORDER) SetOrder(h, index, it->iOrder);
  if (h.hot >= index) ++h.hot;
  h.mode = Mode::None;
  Redraw(h);
  return index;
}

LRESULT DeleteItem(Header& h, WPARAM at) {
  if (!Valid(h, at)) return FALSE;
  int index = (int)at;
  if (h.mode != Mode::None && GetCapture() == h.hwnd) ReleaseCapture();
  h.mode = Mode::None;
  h.items.erase(h.items.begin() + index);
  h.order.erase(std::find(h.order.begin(), h.order.end(), index));
  for (int& k : h.order)
    if (k > index) --k;
  h.hot = -1;
  Redraw(h);
  return TRUE;
}

LRESULT GetItem(const Header& h, WPARAM at, HDITEMA* it) {
  if (!Valid(h, at) || !it) return FALSE;
  const Section& s = h.items[at];
  if (it->mask & HDI_TEXT && it->pszText && it->cchTextMax > 0) {
    size_t n = std::min(s.text.size(), (size_t)it->cchTextMax - 1);
    memcpy(it->pszText, s.text.data(), n);
    it->pszText[n] = 0;
  }
  if (it->mask & HDI_WIDTH) it->cxy = s.width;
  if (it->mask & HDI_FORMAT) it->fmt = s.fmt;
  if (it->mask & HDI_LPARAM) it->lParam = s.lParam;
  if (it->mask & HDI_IMAGE) it->iImage = s.image;
  if (it->mask & HDI_ORDER) it->iOrder = PositionOf(h, (int)at);
  return TRUE;
}

LRESULT SetItem(Header& h, WPARAM at, const HDITEMA* it) {
  if (!Valid(h, at) || !it) return FALSE;
  int width = h.items[at].width;
  Apply(h.items[at], *it);
  if (it->mask & HDI_ORDER) SetOrder(h, (int)at, it->iOrder);
  Redraw(h);
  if (h.items[at].width != width) WidthChanged(h, (int)at);
  return TRUE;
}

LRESULT GetOrderArray(const Header& h, WPARAM size, int* out) {
  if (!out || (int)size < Count(h)) return FALSE;
  std::copy(h.order.begin(), h.order.end(), out);
  return TRUE;
}

// Refuses anything but a permutation of the items.
LRESULT SetOrderArray(Header& h, WPARAM size, const int* in) {
  if (!in || (int)size != Count(h) || !IsPermutation(in, size)) return FALSE;
  h.order.assign(in, in + size);
  Redraw(h);
  return TRUE;
}

int LineHeight(const Header& h) { return MetricsOf(h.font).tmHeight; }

// The header's place at the top of the parent's rectangle; the rest is what remains below.
LRESULT Layout(const Header& h, HDLAYOUT* layout) {
  if (!layout || !layout->prc || !layout->pwpos) return FALSE;
  RECT& r = *layout->prc;
  int height = LineHeight(h) + 6;
  if (h.images) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(h.images, &cx, &cy);
    height = std::max(height, cy + 4);
  }
  *layout->pwpos = WINDOWPOS { h.hwnd, nullptr, r.left, r.top, r.right - r.left, height, SWP_NOZORDER };
  r.top += height;
  return TRUE;
}

// ---- Painting ----------------------------------------------------------------------------------------

void DrawFace(Header& h, HDC dc, int item, RECT r, bool pressed) {
  const Section& s = h.items[item];
  if (s.fmt & HDF_OWNERDRAW) {
    UINT id = (UINT)GetWindowLongPtrA(h.hwnd, GWL_ID);
    DRAWITEMSTRUCT dis { ODT_HEADER, id, (UINT)item, ODA_DRAWENTIRE,     pressed ? (UINT)ODS_SELECTED : 0u,
                         h.hwnd,     dc, r,          (ULONG_PTR)s.lParam };
    int saved = SaveDC(dc);
    if (HWND parent = GetParent(h.hwnd)) SendMessageA(parent, WM_DRAWITEM, id, (LPARAM)&dis);
    RestoreDC(dc, saved);
    return;
  }
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  DWORD style = StyleOf(h);
  RECT edge = r;
  if (pressed) {
    HBRUSH shadow = GetSysColorBrush(COLOR_BTNSHADOW);
    FrameRect(dc, &edge, shadow);
    OffsetRect(&r, 1, 1);
  } else if ((style & HDS_BUTTONS) && !(style & HDS_FLAT)) {
    DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
  } else {
    RECT line { r.right - 2, r.top + 2, r.right - 1, r.bottom - 2 };
    FillRect(dc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
    OffsetRect(&line, 1, 0);
    FillRect(dc, &line, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
  }
  SetTextColor(dc, GetSysColor(item == h.hot && (style & HDS_HOTTRACK) ? COLOR_HIGHLIGHT : COLOR_BTNTEXT));
  int image = (s.fmt & HDF_IMAGE) || s.image >= 0 ? s.image : -1;
  DrawCaption(dc, r, s.text, s.fmt, h.images, image);
}

void Paint(Header& h, HDC dc) {
  int saved = SaveDC(dc);
  SelectObject(dc, FontOrDefault(h.font));
  SetBkMode(dc, TRANSPARENT);
  RECT c = ClientRect(h);
  int x = 0;
  for (int k : h.order) {
    if (h.dead) break;
    RECT r { x, 0, x + h.items[k].width, c.bottom };
    x = r.right;
    if (h.mode == Mode::Dragging && k == h.item && (StyleOf(h) & HDS_FULLDRAG)) {
      FillRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
      continue;
    }
    const bool pressed = h.mode == Mode::Pressing && h.inside && k == h.item && (StyleOf(h) & HDS_BUTTONS);
    if (r.right > r.left) DrawFace(h, dc, k, r, pressed);
  }
  if (!h.dead && x < c.right) {
    RECT rest { x, 0, c.right, c.bottom };
    FillRect(dc, &rest, GetSysColorBrush(COLOR_BTNFACE));
  }
  // The dragged section floats under the pointer.
  if (!h.dead && h.mode == Mode::Dragging && (StyleOf(h) & HDS_FULLDRAG)) {
    RECT r = ItemRect(h, h.item);
    OffsetRect(&r, h.dragX - h.grabX, 0);
    DrawFace(h, dc, h.item, r, true);
  }
  RestoreDC(dc, saved);
}

// ---- Mouse ---------------------------------------------------------------------------------------------

// The display position a section dropped with the pointer at x goes to.
int DropPosition(const Header& h, int x) {
  int left = 0, pos = 0;
  for (int k : h.order) {
    if (x < left + h.items[k].width / 2) return pos;
    left += h.items[k].width;
    ++pos;
  }
  return std::max(0, Count(h) - 1);
}

void ButtonDown(Header& h, POINT p) {
  HDHITTESTINFO hit = HitTest(h, p);
  if (hit.iItem < 0) return;
  h.item = hit.iItem;
  h.grabX = h.dragX = p.x;
  if (hit.flags == HHT_ONDIVIDER) {
    if (Notify(h, HDN_BEGINTRACKA, hit.iItem) || h.dead) return;
    if (!Valid(h, (WPARAM)h.item)) return;
    h.mode = Mode::Tracking;
    h.startWidth = h.items[h.item].width;
  } else {
    h.mode = Mode::Pressing;
    h.inside = true;
    Redraw(h);
  }
  SetCapture(h.hwnd);
}

void MouseMove(Header& h, POINT p) {
  if (h.mode == Mode::None) {
    if (!(StyleOf(h) & HDS_HOTTRACK)) return;
    HDHITTESTINFO hit = HitTest(h, p);
    int hot = hit.flags == HHT_ONHEADER ? hit.iItem : -1;
    if (hot != h.hot) {
      h.hot = hot;
      Redraw(h);
    }
    return;
  }
  if (h.mode == Mode::Tracking) {
    int width = std::clamp(h.startWidth + p.x - h.grabX, 0, kMaxSectionWidth);
    if (width == h.items[h.item].width) return;
    h.items[h.item].width = width;
    HDITEMA it {};
    it.mask = HDI_WIDTH;
    it.cxy = width;
    Notify(h, HDN_TRACKA, h.item, &it);
    if (h.dead || h.mode != Mode::Tracking) return;
    WidthChanged(h, h.item);
    return;
  }
  if (h.mode == Mode::Pressing && (StyleOf(h) & HDS_DRAGDROP) && std::abs(p.x - h.grabX) >= kDragStart) {
    if (Notify(h, HDN_BEGINDRAG, h.item) || h.dead) return;
    if (h.mode != Mode::Pressing) return;
    h.mode = Mode::Dragging;
  }
  if (h.mode == Mode::Dragging) {
    h.dragX = p.x;
    Redraw(h);
    return;
  }
  RECT r = ItemRect(h, h.item);
  bool inside = PtInRect(&r, p) != 0;
  if (inside != h.inside) {
    h.inside = inside;
    Redraw(h);
  }
}

void ButtonUp(Header& h, POINT p) {
  Mode mode = h.mode;
  int item = h.item;
  h.mode = Mode::None;
  if (GetCapture() == h.hwnd) ReleaseCapture();
  if (mode == Mode::None || !Valid(h, (WPARAM)item)) return;
  Redraw(h);
  if (mode == Mode::Tracking) {
    HDITEMA it {};
    it.mask = HDI_WIDTH;
    it.cxy = h.items[item].width;
    Notify(h, HDN_ENDTRACKA, item, &it);
    return;
  }
  if (mode == Mode::Dragging) {
    HDITEMA it {};
    it.mask = HDI_ORDER;
    it.iOrder = DropPosition(h, p.x - h.grabX + (ItemRect(h, item).left + ItemRect(h, item).right) / 2);
    if (Notify(h, HDN_ENDDRAG, item, &it) || h.dead || !Valid(h, (WPARAM)item)) return;
    SetOrder(h, item, it.iOrder);
    Redraw(h);
    return;
  }
  if (HitTest(h, p).iItem == item && HitTest(h, p).flags == HHT_ONHEADER) Notify(h, HDN_ITEMCLICKA, item);
}

// The press ended without a release here: nothing is clicked, a track or drag ends where it is.
void CaptureLost(Header& h) {
  if (h.mode == Mode::None) return;
  h.mode = Mode::None;
  Redraw(h);
}

// ---- Messages -------------------------------------------------------------------------------------------

LRESULT NcDestroy(Header& h, WPARAM wParam, LPARAM lParam) {
  Headers().Retire(h.hwnd);
  return DefWindowProcA(h.hwnd, WM_NCDESTROY, wParam, lParam);
}

void PaintMessage(Header& h, WPARAM wParam) {
  AnswerPaint(h.hwnd, wParam, RECT {}, [&](HDC dc, const RECT&) { Paint(h, dc); });
}

void SetFont(Header& h, HFONT font, bool redraw) {
  h.font = font;
  if (redraw) Redraw(h);
}

void CaptureChanged(Header& h, HWND to) {
  if (to != h.hwnd) CaptureLost(h);
}

void MouseLeave(Header& h) {
  if (h.hot < 0) return;
  h.hot = -1;
  Redraw(h);
}

LRESULT HitTestMessage(Header& h, HDHITTESTINFO* info) {
  if (!info) return -1;
  *info = HitTest(h, info->pt);
  return info->iItem;
}

LRESULT GetItemRect(Header& h, WPARAM index, RECT* out) {
  if (!Valid(h, index) || !out) return FALSE;
  *out = ItemRect(h, (int)index);
  return TRUE;
}

LRESULT SetImageList(Header& h, HIMAGELIST images) {
  HIMAGELIST old = h.images;
  h.images = images;
  Redraw(h);
  return (LRESULT)old;
}

// The window messages answered with zero; false for the others, which go on to DefWindowProcA.
bool ZeroMessage(Header& h, UINT msg, WPARAM wParam, LPARAM lParam) {
  POINT p { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
  switch (msg) {
    case WM_PAINT:
      PaintMessage(h, wParam);
      break;
    case WM_SIZE:
    case WM_STYLECHANGED:
    case WM_ENABLE:
      Redraw(h);
      break;
    case WM_SETFONT:
      SetFont(h, (HFONT)wParam, LOWORD(lParam) != 0);
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      ButtonDown(h, p);
      break;
    case WM_MOUSEMOVE:
      MouseMove(h, p);
      break;
    case WM_LBUTTONUP:
      ButtonUp(h, p);
      break;
    case WM_RBUTTONUP:
      Notify(h, NM_RCLICK, HitTest(h, p).iItem);  // with the section, so every reader finds an item
      break;
    case WM_CAPTURECHANGED:
      CaptureChanged(h, (HWND)lParam);
      break;
    case WM_MOUSELEAVE:
      MouseLeave(h);
      break;
    default:
      return false;
  }
  return true;
}

LRESULT Handle(Header& h, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCDESTROY:
      return NcDestroy(h, wParam, lParam);
    case WM_ERASEBKGND:
      return 1;  // every pixel belongs to a section or to the rest, painted with them
    case WM_GETFONT:
      return (LRESULT)h.font;
    case HDM_GETITEMCOUNT:
      return Count(h);
    case HDM_INSERTITEMA:
      return InsertItem(h, wParam, (const HDITEMA*)lParam);
    case HDM_DELETEITEM:
      return DeleteItem(h, wParam);
    case HDM_GETITEMA:
      return GetItem(h, wParam, (HDITEMA*)lParam);
    case HDM_SETITEMA:
      return SetItem(h, wParam, (const HDITEMA*)lParam);
    case HDM_LAYOUT:
      return Layout(h, (HDLAYOUT*)lParam);
    case HDM_HITTEST:
      return HitTestMessage(h, (HDHITTESTINFO*)lParam);
    case HDM_GETITEMRECT:
      return GetItemRect(h, wParam, (RECT*)lParam);
    case HDM_ORDERTOINDEX:
      return wParam < h.order.size() ? h.order[wParam] : (LRESULT)wParam;
    case HDM_GETORDERARRAY:
      return GetOrderArray(h, wParam, (int*)lParam);
    case HDM_SETORDERARRAY:
      return SetOrderArray(h, wParam, (const int*)lParam);
    case HDM_SETIMAGELIST:
      return SetImageList(h, (HIMAGELIST)lParam);
    case HDM_GETIMAGELIST:
      return (LRESULT)h.images;
    default:
      return ZeroMessage(h, msg, wParam, lParam) ? 0 : DefWindowProcA(h.hwnd, msg, wParam, lParam);
  }
}

}  // namespace

bool IsPermutation(const int* order, size_t size) {
  std::vector<bool> seen(size);
  for (size_t i = 0; i < size; ++i) {
    if (order[i] < 0 || (size_t)order[i] >= size || seen[(size_t)order[i]]) return false;
    seen[(size_t)order[i]] = true;
  }
  return true;
}

void DrawCaption(HDC dc, RECT r, const std::string& text, int fmt, HIMAGELIST images, int image) {
  InflateRect(&r, -6, 0);
  if (r.right <= r.left) return;
  if (images && image >= 0 && image < ImageList_GetImageCount(images)) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    if (r.left + cx <= r.right) {
      ImageList_Draw(images, image, dc, r.left, r.top + (r.bottom - r.top - cy) / 2, ILD_TRANSPARENT);
      r.left += cx + 6;
    }
  }
  UINT align = (fmt & HDF_JUSTIFYMASK) == HDF_RIGHT    ? DT_RIGHT
               : (fmt & HDF_JUSTIFYMASK) == HDF_CENTER ? DT_CENTER
                                                       : DT_LEFT;
  std::string s = text;
  DrawTextA(dc, s.data(), (int)s.size(), &r, align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

LRESULT CALLBACK HeaderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return Headers().Route(hwnd, msg, wParam, lParam, Handle);
}

}  // namespace xj::ctl
