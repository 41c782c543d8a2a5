// Painting the tree view: lines, buttons, images and labels, with custom draw.

#include "platform/win32/ctl/TreeViewPrivate.h"

namespace xj::ctl::treeview {

// ---- Painting ---------------------------------------------------------------------------------------------

COLORREF BkColour(const Tree& t) { return t.bk == kDefaultColour ? GetSysColor(COLOR_WINDOW) : t.bk; }
COLORREF TextColour(const Tree& t) { return t.fg == kDefaultColour ? GetSysColor(COLOR_WINDOWTEXT) : t.fg; }

void Fill(HDC dc, int l, int tp, int r, int b, COLORREF c) {
  SetBkColor(dc, c);
  RECT rc { l, tp, r, b };
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
}

// Dotted lines: every other pixel, on even sums of the coordinates so that segments meet in step.
void DottedV(HDC dc, int x, int y0, int y1, COLORREF c) {
  for (int y = y0 + ((x + y0) & 1); y < y1; y += 2) SetPixelV(dc, x, y, c);
}
void DottedH(HDC dc, int x0, int x1, int y, COLORREF c) {
  for (int x = x0 + ((x0 + y) & 1); x < x1; x += 2) SetPixelV(dc, x, y, c);
}

void DrawButton(HDC dc, int cx, int cy, bool open, COLORREF bk) {
  int l = cx - kButtonSize / 2, tp = cy - kButtonSize / 2;
  COLORREF frame = GetSysColor(COLOR_BTNSHADOW), ink = GetSysColor(COLOR_WINDOWTEXT);
  Fill(dc, l, tp, l + kButtonSize, tp + kButtonSize, frame);
  Fill(dc, l + 1, tp + 1, l + kButtonSize - 1, tp + kButtonSize - 1, bk);
  Fill(dc, l + 2, cy, l + kButtonSize - 2, cy + 1, ink);
  if (!open) Fill(dc, cx, tp + 2, cx + 1, tp + kButtonSize - 2, ink);
}

bool DrawnSelected(const Tree& t, const Item* i) {
  return (i == t.caret && (t.focused || Has(t, TVS_SHOWSELALWAYS))) || i == t.dropHilite;
}

// How a row's label is drawn: its ink, the colour behind it (filled when the row is highlighted or the
// parent gave colours: under the label, or across the row with TVS_FULLROWSELECT), and whether its images
// show.
struct RowLook {
  COLORREF ink;
  COLORREF back;
  bool fillBack;
  bool images { true };
};

RowLook DefaultLook(const Tree& t, const Item* i) {
  const bool selected = DrawnSelected(t, i), strong = t.focused || i == t.dropHilite;
  RowLook look { IsWindowEnabled(t.hwnd) ? TextColour(t) : GetSysColor(COLOR_GRAYTEXT), BkColour(t), selected };
  if (selected) {
    look.back = strong ? GetSysColor(COLOR_HIGHLIGHT) : GetSysColor(COLOR_BTNFACE);
    if (strong) look.ink = GetSysColor(COLOR_HIGHLIGHTTEXT);
  } else if (i == t.hot) {
    look.ink = GetSysColor(COLOR_HIGHLIGHT);
  }
  return look;
}

// The image an item shows now: its own, or the parent's answer for an I_IMAGECALLBACK (the parent may
// change the tree meanwhile).
int ImageOf(Tree& t, const Item* i) {
  const bool sel = i == t.caret;
  const int index = sel ? i->selImage : i->image;
  if (index != I_IMAGECALLBACK) return index;
  NMTVDISPINFOA info {};
  info.item.mask = sel ? TVIF_SELECTEDIMAGE : TVIF_IMAGE;
  info.item.hItem = Handle(i);
  info.item.state = i->state | (sel ? TVIS_SELECTED : 0);
  info.item.lParam = i->param;
  info.item.iImage = info.item.iSelectedImage = I_IMAGENONE;
  Notify(t, info.hdr, TVN_GETDISPINFOA);
  return sel ? info.item.iSelectedImage : info.item.iImage;
}

void DrawLines(const Tree& t, HDC dc, const Item* i, int y, int stateX) {
  const int ih = t.itemHeight, mid = y + ih / 2, shift = -t.hOffset, col = Column(t, i);
  const COLORREF lines = GetSysColor(COLOR_GRAYTEXT);
  if (col > 0) {
    int cx = (col - 1) * t.indent + t.indent / 2 + shift;
    bool firstOfAll = i->parent == &t.root && !i->prev;
    DottedH(dc, cx, stateX + shift - 1, mid, lines);
    DottedV(dc, cx, firstOfAll ? mid : y, i->next ? y + ih : mid + 1, lines);
  }
  int c = col - 1;
  for (const Item* a = i->parent; a && a != &t.root; a = a->parent) {
    --c;
    if (a->next && c >= 0) DottedV(dc, c * t.indent + t.indent / 2 + shift, y, y + ih, lines);
  }
}

// The state image and the image; false when asking for the image took the item or the tree away.
bool DrawImages(Tree& t, HDC dc, const Item* i, int y, const Layout& l) {
  const int ih = t.itemHeight, shift = -t.hOffset;
  if (t.stateImages && StateIndex(i) > 0)
    ImageList_Draw(t.stateImages, StateIndex(i), dc, l.stateX + shift, y + (ih - ImageSize(t.stateImages).cy) / 2,
                   ILD_NORMAL);
  if (!t.images) return true;
  const int index = ImageOf(t, i);
  if (t.dead || !Alive(t, Handle(i))) return false;
  if (index >= 0)
    ImageList_Draw(t.images, index, dc, l.imageX + shift, y + (ih - ImageSize(t.images).cy) / 2,
                   ILD_NORMAL | (i->state & TVIS_OVERLAYMASK));
  return true;
}

void DrawRow(Tree& t, HDC dc, Item* i, int y, int clientW, const RowLook& look) {
  int ih = t.itemHeight, mid = y + ih / 2;
  Layout l = LayoutOf(t, i);
  int shift = -t.hOffset;
  int col = Column(t, i);
  bool fullRow = Has(t, TVS_FULLROWSELECT);
  if (look.fillBack && fullRow) Fill(dc, 0, y, clientW, y + ih, look.back);
  if (Has(t, TVS_HASLINES) && !fullRow) DrawLines(t, dc, i, y, l.stateX);
  if (Has(t, TVS_HASBUTTONS) && HasButton(i) && col > 0)
    DrawButton(dc, (col - 1) * t.indent + t.indent / 2 + shift, mid, Expanded(i), BkColour(t));
  if (look.images && !DrawImages(t, dc, i, y, l)) return;
  RECT label { l.labelX + shift, y, l.labelRight + shift, y + ih };
  if (look.fillBack && !fullRow) Fill(dc, label.left, y, label.right, y + ih, look.back);
  SetTextColor(dc, look.ink);
  SetBkMode(dc, TRANSPARENT);
  int ty = y + (ih - t.fontHeight) / 2;
  ExtTextOutA(dc, label.left + 2, ty, ETO_CLIPPED, &label, i->text.data(), (UINT)i->text.size(), nullptr);
  if (i == t.hot && !DrawnSelected(t, i))
    Fill(dc, label.left + 2, ty + t.fontHeight - 1, label.right - 2, ty + t.fontHeight, look.ink);
  if (i == t.caret && t.focused && !t.edit) {
    RECT focus = fullRow ? RECT { 0, y, clientW, y + ih } : label;
    DrawFocusRect(dc, &focus);
  }
  SetBkMode(dc, OPAQUE);
}

UINT DrawState(const Tree& t, const Item* i) {
  return (DrawnSelected(t, i) ? CDIS_SELECTED : 0) | (i == t.caret && t.focused ? CDIS_FOCUS : 0) |
         (i == t.hot ? CDIS_HOT : 0) | (IsWindowEnabled(t.hwnd) ? 0 : CDIS_DISABLED);
}

// A row, and its turn with the parent when the parent asked for items.
void PaintRow(Tree& t, CustomDraw<NMTVCUSTOMDRAW>& cd, Item* i, int y, int clientW) {
  RowLook look = DefaultLook(t, i);
  if (!cd.ItemsWanted()) return DrawRow(t, cd.DC(), i, y, clientW, look);
  NMTVCUSTOMDRAW nm = cd.ItemNotice((DWORD_PTR)Handle(i), DrawState(t, i), i->param,
                                    RECT { 0, y, clientW, y + t.itemHeight }, look.ink, look.back);
  nm.iLevel = i->level;
  ItemTurn<NMTVCUSTOMDRAW> turn(cd, nm);
  if (t.dead || !Alive(t, Handle(i))) return;
  if (turn.Draws()) {
    if (turn.NewColours()) look = RowLook { turn.Text(), turn.Back(), true };
    look.images = !(turn.Answer() & TVCDRF_NOIMAGES);
    DrawRow(t, cd.DC(), i, y, clientW, look);
    if (t.dead || !Alive(t, Handle(i))) return;
  }
  turn.Finish();
}

void PaintRows(Tree& t, CustomDraw<NMTVCUSTOMDRAW>& cd, const RECT& r, int clientW) {
  int first = t.top + r.top / t.itemHeight;
  int end = std::min(RowCount(t), t.top + ((int)r.bottom + t.itemHeight - 1) / t.itemHeight);
  std::vector<Item*> shown;
  if (first < end)
    t.rows.ForEachFrom((size_t)first, [&](const Row& row) {
      shown.push_back(row.item);
      return (int)shown.size() < end - first;
    });
  for (int row = first; row < end && !t.dead; ++row) {
    Item* i = shown[(size_t)(row - first)];
    if (Alive(t, Handle(i))) PaintRow(t, cd, i, (row - t.top) * t.itemHeight, clientW);
  }
}

// The background and the rows, with the parent's say at each stage.
void Paint(Tree& t, HDC dc, const RECT& area) {
  int saved = SaveDC(dc);
  SelectObject(dc, FontOrDefault(t.font));
  SIZE c = ClientSize(t);
  RECT r { std::max(0, (int)area.left), std::max(0, (int)area.top), std::min((int)c.cx, (int)area.right),
           std::min((int)c.cy, (int)area.bottom) };
  CustomDraw<NMTVCUSTOMDRAW> cd(t.hwnd, dc, RECT { 0, 0, c.cx, c.cy });
  if (cd.PreErase() && !t.dead) Fill(dc, r.left, r.top, r.right, r.bottom, BkColour(t));
  if (!t.dead) cd.PostErase();
  if (!t.dead && cd.PrePaint() && !t.dead) PaintRows(t, cd, r, c.cx);
  if (!t.dead) cd.PostPaint();
  RestoreDC(dc, saved);
}

}  // namespace xj::ctl::treeview
