// The list view's label editor: opening it over a caption, its colours, and ending it.

#include "platform/win32/ctl/ListViewPrivate.h"

namespace xj::ctl::listview {

// ---- Label editing -------------------------------------------------------------------------------------

// Where the editor opens: over the caption, a little wider than its text, one line high.
// The editor takes the whole label cell (the caption column's room in a report), whatever the text: it
// scrolls only a text wider than that.
RECT EditRect(ListView& v, int i) {
  RECT r = LabelRect(v, i);
  int width = std::max((int)(r.right - r.left) + 1, 40);
  int height = ViewOf(v) == LVS_ICON ? v.lineH + 6 : RowHeight(v);
  return RECT { r.left - 1, r.top, r.left - 1 + width, r.top + height };
}

NMLVDISPINFOA Describe(const ListView& v, int i) {
  NMLVDISPINFOA nm {};
  nm.item.mask = LVIF_TEXT | LVIF_PARAM;
  nm.item.iItem = i;
  nm.item.lParam = ParamOf(v, i);
  return nm;
}

// Closes the editor without a word (its item went, or the items moved under it).
void DropEditor(ListView& v) {
  if (!v.edit) return;
  HWND edit = v.edit;
  v.edit = nullptr;
  v.editing = -1;
  CloseLabelEdit(edit);
}

// Ends editing: the editor goes, then LVN_ENDLABELEDIT tells the parent the new text (null when
// cancelled); a nonzero answer makes it the item's own text.
void EndEdit(ListView& v, bool cancel) {
  if (!v.edit || v.endingEdit) return;
  xj::TemporaryChange<bool> ending(v.endingEdit, true);
  const int i = v.editing;
  HWND edit = v.edit;
  v.edit = nullptr;
  v.editing = -1;
  std::string text = CloseLabelEdit(edit);
  if (v.dead || !Valid(v, (WPARAM)i)) return;
  RedrawItem(v, i);
  NMLVDISPINFOA nm = Describe(v, i);
  nm.item.pszText = cancel ? nullptr : text.data();
  nm.item.cchTextMax = (int)text.size() + 1;
  const int count = Count(v);
  const LRESULT keep = NotifyParentOf(v.hwnd, LVN_ENDLABELEDITA, nm.hdr);
  // An owner-data row's text is the parent's own.
  if (!keep || cancel || v.dead || Count(v) != count || v.ownerData) return;
  v.items[i].callback = false;
  v.items[i].text = text;
  RedrawItem(v, i);
}

void EditEnded(HWND owner, bool cancel) {
  if (std::shared_ptr<ListView> v = Views().Find(owner)) EndEdit(*v, cancel);
}

// Opens the editor over item i's caption unless LVN_BEGINLABELEDIT refuses. Answers the editor.
LRESULT EditLabel(ListView& v, int i) {
  if (v.edit) EndEdit(v, false);
  if (v.dead || !Valid(v, (WPARAM)i) || !(StyleOf(v) & LVS_EDITLABELS)) return 0;
  const int count = Count(v);
  EnsureVisible(v, i);
  NMLVDISPINFOA nm = Describe(v, i);
  if (NotifyParentOf(v.hwnd, LVN_BEGINLABELEDITA, nm.hdr) != 0 || v.dead || Count(v) != count) return 0;
  std::string text = TextOf(v, i, 0);
  if (v.dead || Count(v) != count) return 0;
  HWND edit = OpenLabelEdit(v.hwnd, EditRect(v, i), text, v.font, &EditEnded);
  if (!edit || v.dead) return 0;
  v.edit = edit;
  v.editing = i;
  return (LRESULT)edit;
}

// The editor takes the view's colours, so it sits on a coloured view as one of its own.
LRESULT EditColours(ListView& v, HDC dc) {
  COLORREF bk = Background(v);
  if (!v.editBrush || v.editBrushColour != bk) {
    if (v.editBrush) DeleteObject(v.editBrush);
    v.editBrush = CreateSolidBrush(bk);
    v.editBrushColour = bk;
  }
  SetTextColor(dc, Foreground(v));
  SetBkColor(dc, bk);
  return (LRESULT)v.editBrush;
}

// A slow second click on the selected caption: the editor opens once the double-click time has passed
// without a double click.
void ArmEdit(ListView& v, int i) {
  v.armed = i;
  SetTimer(v.hwnd, kEditTimer, GetDoubleClickTime(), nullptr);
}

void DisarmEdit(ListView& v) {
  v.armed = -1;
  KillTimer(v.hwnd, kEditTimer);
}

void Timer(ListView& v, UINT_PTR id) {
  if (id != kEditTimer) return;
  const int i = v.armed;
  DisarmEdit(v);
  if (Valid(v, (WPARAM)i) && i == v.focus && GetFocus() == v.hwnd) EditLabel(v, i);
}

}  // namespace xj::ctl::listview
