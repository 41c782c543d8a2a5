// Painting the list view: rows, icons, captions, check boxes and grid lines, with custom draw.

#include "platform/win32/ctl/ListViewPrivate.h"

namespace xj::ctl::listview {

// ---- Painting ----------------------------------------------------------------------------------------

COLORREF Background(const ListView& v) { return v.bk == CLR_INVALID ? GetSysColor(COLOR_WINDOW) : v.bk; }
COLORREF Foreground(const ListView& v) {
  return v.textColor == CLR_INVALID ? GetSysColor(COLOR_WINDOWTEXT) : v.textColor;
}

void FillColour(HDC dc, const RECT& r, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

void DrawCheck(HDC dc, RECT r, bool checked) {
  RECT box { r.left, r.top, r.left + (int)kCheckSize, r.top + (int)kCheckSize };
  FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
  FrameRect(dc, &box, GetSysColorBrush(COLOR_BTNSHADOW));
  if (!checked) return;
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT));
  HGDIOBJ old = SelectObject(dc, pen);
  for (int d = 0; d < 3; ++d) {
    MoveToEx(dc, box.left + 3, box.top + 5 + d, nullptr);
    LineTo(dc, box.left + 5, box.top + 7 + d);
    LineTo(dc, box.left + 10, box.top + 2 + d);
  }
  SelectObject(dc, old);
  DeleteObject(pen);
}

// An owner-drawn report row: the parent draws it from WM_DRAWITEM.
void OwnerDrawItem(ListView& v, HDC dc, int i, const RECT& bounds) {
  UINT id = (UINT)GetWindowLongPtrA(v.hwnd, GWL_ID);
  UINT state = ((StateOf(v, i) & LVIS_SELECTED) ? ODS_SELECTED : 0) | (v.focused && i == v.focus ? ODS_FOCUS : 0);
  DRAWITEMSTRUCT dis { ODT_LISTVIEW, id, (UINT)i, ODA_DRAWENTIRE, state, v.hwnd, dc, bounds, (ULONG_PTR)ParamOf(v, i) };
  int saved = SaveDC(dc);
  if (HWND parent = GetParent(v.hwnd)) SendMessageA(parent, WM_DRAWITEM, id, (LPARAM)&dis);
  RestoreDC(dc, saved);
}

// A whole row's highlight and focus: the item's bounds right of the state image.
RECT RowRect(const ListView& v, const RECT& bounds) {
  return RECT { bounds.left + StateWidth(v) + 1, bounds.top, bounds.right, bounds.bottom };
}

// The state image, or the check box a view with check boxes and no state images draws itself.
void DrawStateImage(ListView& v, HDC dc, int i) {
  if (!StateWidth(v)) return;
  RECT s = StateRect(v, i);
  UINT index = (ItemAt(v, i).state & LVIS_STATEIMAGEMASK) >> 12;
  if (v.stateImages && index > 0)
    ImageList_Draw(v.stateImages, (int)index - 1, dc, s.left, s.top, ILD_TRANSPARENT);
  else if (!v.stateImages && Checks(v))
    DrawCheck(dc, s, index == 2);
}

// The image an item, or a sub-item in a report column, shows: the item's own, or the parent's answer for
// an item whose image is I_IMAGECALLBACK (which asks for its sub-items' images alike).
int ImageOf(ListView& v, int i, int sub) {
  if (v.ownerData) return sub == 0 ? ItemAt(v, i).image : AskRow(v.hwnd, i, sub, LVIF_IMAGE, 0).image;
  const Item& it = v.items[i];
  if (it.image != I_IMAGECALLBACK) return sub == 0 ? it.image : I_IMAGENONE;
  NMLVDISPINFOA info {};
  info.item.mask = LVIF_IMAGE;
  info.item.iItem = i;
  info.item.iSubItem = sub;
  info.item.lParam = it.lParam;
  info.item.iImage = I_IMAGENONE;
  NotifyParentOf(v.hwnd, LVN_GETDISPINFOA, info.hdr);
  return info.item.iImage;
}

bool Gone(const ListView& v, int i) { return v.dead || !Valid(v, (WPARAM)i); }

// False when asking for the image took the view or the item away.
bool DrawIcon(ListView& v, HDC dc, int i) {
  HIMAGELIST images = ViewOf(v) == LVS_ICON ? v.large : v.small;
  if (!images) return true;
  const int image = ImageOf(v, i, 0);
  if (Gone(v, i)) return false;
  if (image < 0) return true;
  RECT icon = IconRect(v, i);
  SIZE img = ImageSize(images);
  int x = ViewOf(v) == LVS_ICON ? icon.left + (icon.right - icon.left - img.cx) / 2 : icon.left;
  int y = icon.top + (icon.bottom - icon.top - img.cy) / 2;
  ImageList_Draw(images, image, dc, x, y, ILD_TRANSPARENT);
  return true;
}

// How a row is drawn: highlighted or not, across the whole row or under the caption, in which text colour.
// With the parent's colours (custom) every cell takes `text` on `back`.
struct RowLook {
  bool selected;
  bool fullRow;
  COLORREF text;
  COLORREF back;
  bool custom { false };
  bool underline { false };
};

// The colours a cell is drawn in, offered to the parent at its turn.
COLORREF CellInk(const RowLook& look, int column) {
  bool lit = look.selected && (column == 0 || look.fullRow);
  return look.custom || !lit ? look.text : GetSysColor(COLOR_HIGHLIGHTTEXT);
}
COLORREF CellBack(const RowLook& look, int column) {
  bool lit = look.selected && (column == 0 || look.fullRow);
  return look.custom || !lit ? look.back : GetSysColor(COLOR_HIGHLIGHT);
}

// The caption's own area: centred under an icon, else as wide as the text unless the whole row is
// highlighted.
RECT CaptionRect(ListView& v, HDC dc, const RECT& label, const std::string& caption, bool fullRow) {
  RECT textRect = label;
  if (ViewOf(v) == LVS_ICON) {
    SIZE ext {};
    GetTextExtentPoint32A(dc, caption.data(), (int)caption.size(), &ext);
    int w = std::min((int)ext.cx + 4, (int)(label.right - label.left));
    // A caption wider than its cell takes a second line, unless captions keep to one.
    int lines = ext.cx + 4 > label.right - label.left && !(StyleOf(v) & LVS_NOLABELWRAP) ? 2 : 1;
    textRect = RECT { label.left + (label.right - label.left - w) / 2, label.top, 0, label.top + lines * v.lineH + 2 };
    textRect.right = textRect.left + w;
  } else if (!fullRow) {
    SIZE ext {};
    GetTextExtentPoint32A(dc, caption.data(), (int)caption.size(), &ext);
    textRect.right = std::min(label.right, label.left + (int)ext.cx + 4);
  }
  return textRect;
}

// Draws the caption with its highlight (or the parent's colour: across the report's first column) and
// returns its area.
RECT DrawCaption(ListView& v, HDC dc, const RECT& label, const std::string& caption, const RowLook& look) {
  RECT textRect = CaptionRect(v, dc, label, caption, look.fullRow);
  if (look.custom)
    FillColour(dc, Report(v) ? label : textRect, look.back);
  else if (look.selected && !look.fullRow)
    FillColour(dc, textRect, GetSysColor(COLOR_HIGHLIGHT));
  SetTextColor(dc, CellInk(look, 0));
  RECT t = textRect;
  InflateRect(&t, -2, 0);
  UINT align = ViewOf(v) == LVS_ICON ? DT_CENTER : DT_LEFT;
  UINT lines = t.bottom - t.top > v.lineH + 2 ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
  DrawTextA(dc, caption.data(), (int)caption.size(), &t, align | lines | DT_NOPREFIX);
  if (look.underline) {
    int y = lines == DT_WORDBREAK ? t.top + v.lineH - 1 : t.top + (t.bottom - t.top + v.lineH) / 2 - 1;
    FillColour(dc, RECT { t.left, y, std::max(t.left, t.right), y + 1 }, GetTextColor(dc));
  }
  return textRect;
}

// The item's own part: state image, icon and caption, whose area goes to textRect; false when asking the
// parent took the view or the item away.
bool DrawFirst(ListView& v, HDC dc, int i, const RowLook& look, RECT& textRect) {
  DrawStateImage(v, dc, i);
  if (!DrawIcon(v, dc, i)) return false;
  std::string caption = TextOf(v, i, 0);
  if (Gone(v, i)) return false;
  textRect = DrawCaption(v, dc, LabelRect(v, i), caption, look);
  return true;
}

// A report column other than the first: its image (LVS_EX_SUBITEMIMAGES, from the small images) and text.
bool DrawSubItem(ListView& v, HDC dc, int i, int c, const RECT& cell, const RowLook& look) {
  if (look.custom) FillColour(dc, cell, look.back);
  RECT ct = cell;
  InflateRect(&ct, -6, 0);
  if ((v.exStyle & LVS_EX_SUBITEMIMAGES) && v.small) {
    const int image = ImageOf(v, i, c);
    if (Gone(v, i)) return false;
    if (image >= 0) {
      SIZE img = ImageSize(v.small);
      ImageList_Draw(v.small, image, dc, cell.left + 2, cell.top + (cell.bottom - cell.top - img.cy) / 2,
                     ILD_TRANSPARENT);
      ct.left = std::max((int)ct.left, (int)cell.left + 4 + (int)img.cx);
    }
  }
  std::string s = TextOf(v, i, c);
  if (Gone(v, i) || c >= (int)v.columns.size()) return false;
  SetTextColor(dc, CellInk(look, c));
  UINT a = v.columns[c].fmt & LVCFMT_RIGHT ? DT_RIGHT : v.columns[c].fmt & LVCFMT_CENTER ? DT_CENTER : DT_LEFT;
  DrawTextA(dc, s.data(), (int)s.size(), &ct, a | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  return true;
}

UINT DrawState(const ListView& v, int i, bool selected) {
  return (selected ? CDIS_SELECTED : 0) | (v.focused && i == v.focus ? CDIS_FOCUS : 0) | (i == v.hot ? CDIS_HOT : 0) |
         (IsWindowEnabled(v.hwnd) ? 0 : CDIS_DISABLED);
}

using ListDraw = CustomDraw<NMLVCUSTOMDRAW>;

// One report cell, with its own turn when the parent asked for sub-items (cells); false when a notice took
// the view, the item or the column away.
bool DrawCell(ListView& v, ListDraw* cells, HDC dc, int i, int c, const RECT& cell, RowLook look, RECT& textRect) {
  std::optional<ItemTurn<NMLVCUSTOMDRAW>> turn;
  if (cells) {
    NMLVCUSTOMDRAW nm = cells->ItemNotice((DWORD_PTR)i, DrawState(v, i, look.selected), ParamOf(v, i), cell,
                                          CellInk(look, c), CellBack(look, c));
    nm.iSubItem = c;
    turn.emplace(*cells, nm, CDDS_SUBITEM);
    if (Gone(v, i) || c >= (int)v.columns.size()) return false;
    if (turn->NewColours()) look = RowLook { look.selected, look.fullRow, turn->Text(), turn->Back(), true };
  }
  if (!turn || turn->Draws()) {
    bool drawn = c == 0 ? DrawFirst(v, dc, i, look, textRect) : DrawSubItem(v, dc, i, c, cell, look);
    if (!drawn) return false;
  }
  if (turn) turn->Finish();
  return !Gone(v, i);
}

// The report's columns in their display order, as they were when the row began.
bool DrawCells(ListView& v, ListDraw* cells, HDC dc, int i, const RECT& bounds, const RowLook& look, RECT& textRect) {
  const std::vector<int> order = v.order;
  std::vector<int> widths;
  for (int c : order) widths.push_back(v.columns[c].width);
  int x = bounds.left;
  for (size_t k = 0; k < order.size(); ++k) {
    RECT cell { x, bounds.top, x + widths[k], bounds.bottom };
    x = cell.right;
    if (!DrawCell(v, cells, dc, i, order[k], cell, look, textRect)) return false;
  }
  return true;
}

// The row as the view draws it: the highlight, the item's own part or the report's cells, the focus.
bool DrawRowBody(ListView& v, ListDraw* cells, HDC dc, int i, const RECT& bounds, const RowLook& look) {
  if (look.custom && Report(v))
    FillColour(dc, RowRect(v, bounds), look.back);
  else if (look.selected && look.fullRow)
    FillColour(dc, RowRect(v, bounds), GetSysColor(COLOR_HIGHLIGHT));
  RECT textRect {};
  if (!(Report(v) ? DrawCells(v, cells, dc, i, bounds, look, textRect) : DrawFirst(v, dc, i, look, textRect)))
    return false;
  if (v.focused && i == v.focus) {
    RECT f = look.fullRow ? RowRect(v, bounds) : textRect;
    DrawFocusRect(dc, &f);
  }
  return true;
}

// An item, and its turn with the parent when the parent asked for items.
void DrawItem(ListView& v, ListDraw& cd, HDC dc, int i) {
  const bool selected = (StateOf(v, i) & LVIS_SELECTED) && (v.focused || (StyleOf(v) & LVS_SHOWSELALWAYS));
  RECT bounds = Bounds(v, i);
  if (Report(v) && (StyleOf(v) & LVS_OWNERDRAWFIXED)) return OwnerDrawItem(v, dc, i, bounds);
  // An owner-data row is asked for once for its caption, image and state image.
  xj::TemporaryChange hold(v.holdRow, true);
  v.rowIndex = -1;
  if (v.ownerData) {
    ItemAt(v, i);
    if (v.dead || !Valid(v, (WPARAM)i)) return;
  }
  const bool fullRow = Report(v) && (v.exStyle & LVS_EX_FULLROWSELECT);
  const bool hot = i == v.hot && Tracks(v);
  const COLORREF text = hot ? GetSysColor(COLOR_HIGHLIGHT) : Foreground(v);
  const bool underline = Activates(v) && (v.exStyle & (hot ? LVS_EX_UNDERLINEHOT : LVS_EX_UNDERLINECOLD));
  RowLook look { selected, fullRow, text, Background(v), false, underline };
  if (!cd.ItemsWanted()) {
    DrawRowBody(v, nullptr, dc, i, bounds, look);
    return;
  }
  ItemTurn<NMLVCUSTOMDRAW> turn(cd, cd.ItemNotice((DWORD_PTR)i, DrawState(v, i, selected), ParamOf(v, i), bounds,
                                                  CellInk(look, 0), CellBack(look, 0)));
  if (Gone(v, i)) return;
  if (turn.Draws()) {
    if (turn.NewColours()) look = RowLook { selected, fullRow, turn.Text(), turn.Back(), true, underline };
    const bool cells = Report(v) && (turn.Answer() & CDRF_NOTIFYSUBITEMDRAW);
    if (!DrawRowBody(v, cells ? &cd : nullptr, dc, i, bounds, look)) return;
  }
  turn.Finish();
}

void DrawGrid(ListView& v, HDC dc, const RECT& client) {
  int top = HeaderHeight(v), row = RowHeight(v);
  HBRUSH line = GetSysColorBrush(COLOR_BTNFACE);
  for (int y = top + row - 1; y < client.bottom; y += row) {
    RECT r { 0, y, std::min((int)client.right, TotalWidth(v) - v.hOffset), y + 1 };
    FillRect(dc, &r, line);
  }
  int x = -v.hOffset;
  for (int c : v.order) {
    x += v.columns[c].width;
    RECT r { x - 1, top, x, client.bottom };
    FillRect(dc, &r, line);
  }
}

// Owner data: the parent hears which of first..last-1 the paint of `area` is about to ask for.
void HintPaintedRows(ListView& v, const RECT& area, int first, int last) {
  RECT client { 0, 0, ClientSize(v).cx, ClientSize(v).cy }, clip {};
  int lo = -1, hi = -1;
  for (int i = first; i < last; ++i) {
    RECT b = Bounds(v, i);
    if (Report(v)) b.right = std::max(b.right, client.right);
    if (!IntersectRect(&clip, &b, &area)) continue;
    if (lo < 0) lo = i;
    hi = i;
  }
  if (lo >= 0) HintRows(v.hwnd, lo, hi);
}

void PaintItems(ListView& v, ListDraw& cd, HDC dc, const RECT& area, const RECT& client) {
  auto [first, last] = VisibleRange(v);
  if (v.ownerData) HintPaintedRows(v, area, first, last);
  for (int i = first; i < last && i < Count(v) && !v.dead; ++i) {
    RECT b = Bounds(v, i), clip {};
    if (Report(v)) b.right = std::max(b.right, (int)client.right);
    if (!IntersectRect(&clip, &b, &area)) continue;
    DrawItem(v, cd, dc, i);
  }
  if (!v.dead && Report(v) && (v.exStyle & LVS_EX_GRIDLINES)) DrawGrid(v, dc, client);
}

// The background and the items, with the parent's say at each stage.
void Paint(ListView& v, HDC dc, const RECT& area) {
  int saved = SaveDC(dc);
  SelectObject(dc, FontOrDefault(v.font));
  SetBkMode(dc, TRANSPARENT);
  RECT client { 0, 0, ClientSize(v).cx, ClientSize(v).cy };
  ListDraw cd(v.hwnd, dc, client);
  if (cd.PreErase() && !v.dead) FillColour(dc, area, Background(v));
  if (!v.dead) cd.PostErase();
  if (!v.dead && cd.PrePaint() && !v.dead) PaintItems(v, cd, dc, area, client);
  if (!v.dead) cd.PostPaint();
  RestoreDC(dc, saved);
}

}  // namespace xj::ctl::listview
