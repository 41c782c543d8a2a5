// The list view's items, columns, states and searches, and the header that shows the columns.

#include "platform/win32/ctl/ListViewPrivate.h"

namespace xj::ctl::listview {

// ---- States --------------------------------------------------------------------------------------------

// Changes the bits of `mask` of item i to `state`; tells the parent. False when the item went meanwhile.
// The focus moving away from another item is that item's change, told first.
bool ChangeState(ListView& v, int i, UINT state, UINT mask) {
  if ((mask & state & LVIS_FOCUSED) && v.focus != i && Valid(v, (WPARAM)v.focus)) {
    int count = Count(v);
    if (!ChangeState(v, v.focus, 0, LVIS_FOCUSED) || Count(v) != count) return false;
    if (v.focus >= 0) return true;  // the other item kept the focus: this change is refused with it
  }
  UINT old = StateOf(v, i), now = (old & ~mask) | (state & mask);
  if (now == old) return true;
  NMLISTVIEW n {};
  n.iItem = i;
  n.uNewState = now;
  n.uOldState = old;
  n.uChanged = LVIF_STATE;
  n.lParam = ParamOf(v, i);
  int count = Count(v);
  // The parent may refuse (a nonzero answer): the item stays as it is.
  if (NotifyParentOf(v.hwnd, LVN_ITEMCHANGING, n.hdr) != 0) return !v.dead && Count(v) == count;
  if (v.dead || Count(v) != count || StateOf(v, i) != old) return false;
  StoreState(v, i, now);
  if (now & LVIS_SELECTED)
    v.selected.Insert(i);
  else
    v.selected.Erase(i);
  if (now & LVIS_FOCUSED)
    v.focus = i;
  else if (v.focus == i)
    v.focus = -1;
  RedrawItem(v, i);
  NotifyParentOf(v.hwnd, LVN_ITEMCHANGED, n.hdr);
  return !v.dead && Count(v) == count;
}

// Owner data: the selection leaves every row outside keepFrom..keepTo, told once per range that went.
// False when the view went or its count changed meanwhile.
bool UnselectRanges(ListView& v, int keepFrom, int keepTo) {
  std::vector<std::pair<int, int>> gone;
  v.selected.ForEachRange([&](int lo, int hi) {
    if (lo < keepFrom) gone.emplace_back(lo, std::min(hi, keepFrom - 1));
    if (hi > keepTo) gone.emplace_back(std::max(lo, keepTo + 1), hi);
  });
  if (gone.empty()) return true;
  for (auto [lo, hi] : gone) v.selected.Remove(lo, hi);
  Redraw(v);
  int count = Count(v);
  for (auto [lo, hi] : gone) {
    ReportRangeState(v.hwnd, lo, hi, LVIS_SELECTED, 0);
    if (v.dead || Count(v) != count) return false;
  }
  return true;
}

// Owner data: rows from..to join the selection, told once. False when the view went or its count changed.
bool SelectRows(ListView& v, int from, int to) {
  if (to < from) return true;
  const size_t before = v.selected.Size();
  v.selected.Add(from, to);
  if (v.selected.Size() == before) return true;
  Redraw(v);
  int count = Count(v);
  ReportRangeState(v.hwnd, from, to, 0, LVIS_SELECTED);
  return !v.dead && Count(v) == count;
}

// The first selected item after `after` outside lo..hi, or -1.
int SelectedOutside(const ListView& v, int lo, int hi, int after) {
  int k = v.selected.NextAfter(after);
  return k >= lo && k <= hi ? v.selected.NextAfter(hi) : k;
}

// Every selected item outside lo..hi loses its selection. The parent may change the items from its
// notices, so each step looks again; an item whose change the parent refused is not asked again.
void DeselectOutside(ListView& v, int lo, int hi) {
  for (int guard = Count(v) + 1, after = -1; guard > 0 && !v.dead; --guard) {
    after = SelectedOutside(v, lo, hi, after);
    if (after < 0) return;
    ChangeState(v, after, 0, LVIS_SELECTED);
  }
}

void DeselectAllBut(ListView& v, int keep) {
  if (v.ownerData) {
    UnselectRanges(v, keep, keep);
    return;
  }
  DeselectOutside(v, keep, keep);
}

void SelectRange(ListView& v, int from, int to) {
  int lo = std::min(from, to), hi = std::max(from, to);
  if (v.ownerData) {
    if (UnselectRanges(v, lo, hi)) SelectRows(v, lo, std::min(hi, Count(v) - 1));
    return;
  }
  DeselectOutside(v, lo, hi);
  for (int k = lo; k <= hi && !v.dead && k < Count(v); ++k) ChangeState(v, k, LVIS_SELECTED, LVIS_SELECTED);
}

bool SingleSel(const ListView& v) { return (StyleOf(v) & LVS_SINGLESEL) != 0; }

// The user chose item i (a click or a key), with the modifier keys held.
void Choose(ListView& v, int i, bool shift, bool ctrl, bool toggle) {
  if (SingleSel(v) || (!shift && !ctrl)) {
    v.anchor = i;
    int count = Count(v);
    DeselectAllBut(v, i);
    // Items that came or went meanwhile leave the choice meaningless.
    if (v.dead || Count(v) != count) return;
    ChangeState(v, i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  } else if (shift) {
    SelectRange(v, std::clamp(v.anchor, 0, Count(v) - 1), i);
    if (!v.dead && Valid(v, (WPARAM)i)) ChangeState(v, i, LVIS_FOCUSED, LVIS_FOCUSED);
  } else {
    v.anchor = i;
    UINT sel = toggle ? (StateOf(v, i) & LVIS_SELECTED) ^ LVIS_SELECTED : StateOf(v, i) & LVIS_SELECTED;
    ChangeState(v, i, sel | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
  if (!v.dead) EnsureVisible(v, i);
}

void ToggleCheck(ListView& v, int i) {
  UINT image = (StateOf(v, i) & LVIS_STATEIMAGEMASK) >> 12;
  ChangeState(v, i, INDEXTOSTATEIMAGEMASK(image == 2 ? 1 : 2), LVIS_STATEIMAGEMASK);
}

// ---- Items and columns ----------------------------------------------------------------------------------

// Indexes at or after `from` move by `delta` in the selection and the focus.
void ShiftIndexes(ListView& v, int from, int delta) {
  v.selected.Shift(from, delta);
  if (v.focus >= from) v.focus += delta;
  if (v.anchor >= from) v.anchor = std::max(0, v.anchor + delta);
  if (v.hot >= from) v.hot = -1;
  if (v.editing >= from) v.editing += delta;
  if (v.armed >= from) v.armed += delta;
}

// An owner-data view has no items to add or take away one by one: its count is set instead.
bool RefuseOwnerData(const ListView& v) {
  if (v.ownerData) SetLastError(ERROR_NOT_SUPPORTED);
  return v.ownerData;
}

LRESULT InsertItem(ListView& v, const LVITEMA* in) {
  if (!in || in->iSubItem != 0 || RefuseOwnerData(v)) return -1;
  Item it;
  if (in->mask & LVIF_TEXT) {
    it.callback = in->pszText == LPSTR_TEXTCALLBACKA;
    if (!it.callback && in->pszText) it.text = in->pszText;
  }
  if (in->mask & LVIF_IMAGE) it.image = in->iImage;
  if (in->mask & LVIF_PARAM) it.lParam = in->lParam;
  int index = std::clamp(in->iItem, 0, Count(v));
  DWORD sort = StyleOf(v) & (LVS_SORTASCENDING | LVS_SORTDESCENDING);
  if (sort && !it.callback) {
    auto before = [&](const Item& a, const Item& b) {
      return sort & LVS_SORTASCENDING ? SortsBefore(a.text, b.text) : SortsBefore(b.text, a.text);
    };
    index = (int)v.items.UpperBound(it, before);
  }
  v.items.Insert((size_t)index, std::move(it));
  if (index < Count(v) - 1) ShiftIndexes(v, index, 1);
  if (in->mask & LVIF_STATE) {
    UINT state = in->state & in->stateMask;
    v.items[index].state = state & ~(LVIS_SELECTED | LVIS_FOCUSED);
    if (state & (LVIS_SELECTED | LVIS_FOCUSED)) ChangeState(v, index, state, LVIS_SELECTED | LVIS_FOCUSED);
  } else if (Checks(v)) {
    v.items[index].state = INDEXTOSTATEIMAGEMASK(1);
  }
  if (v.dead) return index;
  // Only what shows needs repainting; items added below the page change the bars alone.
  ClampPositions(v);
  SyncBars(v);
  if (index < VisibleRange(v).second) Redraw(v);
  return index;
}

LRESULT DeleteItem(ListView& v, WPARAM which) {
  if (!Valid(v, which) || RefuseOwnerData(v)) return FALSE;
  int i = (int)which;
  if (v.editing == i) DropEditor(v);
  if (v.armed == i) DisarmEdit(v);
  if (v.dead || !Valid(v, which)) return FALSE;
  v.items.Erase((size_t)i);
  v.selected.Erase(i);
  if (v.focus == i) v.focus = -1;
  ShiftIndexes(v, i + 1, -1);
  ContentChanged(v);
  return TRUE;
}

LRESULT DeleteAll(ListView& v) {
  DropEditor(v);
  DisarmEdit(v);
  if (v.dead) return FALSE;
  v.items.Clear();
  v.rowCount = 0;
  v.selected.Clear();
  v.checked.Clear();
  v.focus = v.hot = -1;
  v.anchor = v.top = v.hOffset = 0;
  v.origin = POINT {};
  ContentChanged(v);
  return TRUE;
}

void CopyText(const std::string& s, LPSTR out, int max) {
  if (!out || max <= 0) return;
  size_t n = std::min(s.size(), (size_t)max - 1);
  memcpy(out, s.data(), n);
  out[n] = 0;
}

LRESULT GetItem(ListView& v, LVITEMA* it) {
  if (!it || !Valid(v, (WPARAM)it->iItem) || it->iSubItem < 0) return FALSE;
  if (it->mask & LVIF_TEXT) {
    if (!v.ownerData && v.items[it->iItem].callback && it->iSubItem == 0 && it->cchTextMax == 0)
      it->pszText = LPSTR_TEXTCALLBACKA;
    else
      CopyText(TextOf(v, it->iItem, it->iSubItem), it->pszText, it->cchTextMax);
  }
  if (v.dead || !Valid(v, (WPARAM)it->iItem)) return FALSE;
  if (it->mask & LVIF_IMAGE) it->iImage = ItemAt(v, it->iItem).image;
  if (v.dead || !Valid(v, (WPARAM)it->iItem)) return FALSE;
  if (it->mask & LVIF_PARAM) it->lParam = ParamOf(v, it->iItem);
  if (it->mask & LVIF_STATE) it->state = StateOf(v, it->iItem) & it->stateMask;
  return TRUE;
}

LRESULT SetItem(ListView& v, const LVITEMA* it) {
  if (!it || !Valid(v, (WPARAM)it->iItem) || it->iSubItem < 0 || it->iSubItem > kMaxSubItems) return FALSE;
  // An owner-data row's texts and image are the parent's; only its state is the view's.
  if (v.ownerData) {
    if ((it->mask & LVIF_STATE) && it->iSubItem == 0) ChangeState(v, it->iItem, it->state, it->stateMask);
    return TRUE;
  }
  Item& item = v.items[it->iItem];
  if (it->mask & LVIF_TEXT) {
    std::string text = it->pszText && it->pszText != LPSTR_TEXTCALLBACKA ? it->pszText : "";
    if (it->iSubItem == 0) {
      item.callback = it->pszText == LPSTR_TEXTCALLBACKA;
      item.text = text;
    } else {
      if ((int)item.sub.size() < it->iSubItem) item.sub.resize(it->iSubItem);
      item.sub[it->iSubItem - 1] = text;
    }
  }
  if (it->iSubItem == 0) {
    if (it->mask & LVIF_IMAGE) item.image = it->iImage;
    if (it->mask & LVIF_PARAM) item.lParam = it->lParam;
  }
  RedrawItem(v, it->iItem);
  if ((it->mask & LVIF_STATE) && it->iSubItem == 0) ChangeState(v, it->iItem, it->state, it->stateMask);
  return TRUE;
}

// Owner data, every row at once: the selection and the check boxes change as ranges, told once each.
void SetAllRowStates(ListView& v, UINT state, UINT mask) {
  const int count = Count(v);
  if ((mask & LVIS_SELECTED) && !(state & LVIS_SELECTED) && !UnselectRanges(v, 0, -1)) return;
  if ((mask & LVIS_SELECTED) && (state & LVIS_SELECTED) && !SelectRows(v, 0, count - 1)) return;
  if ((mask & LVIS_FOCUSED) && !(state & LVIS_FOCUSED) && Valid(v, (WPARAM)v.focus) &&
      !ChangeState(v, v.focus, 0, LVIS_FOCUSED))
    return;
  if (!(mask & LVIS_STATEIMAGEMASK) || !Checks(v) || count == 0) return;
  const bool tick = (state & LVIS_STATEIMAGEMASK) >> 12 == 2;
  const UINT on = INDEXTOSTATEIMAGEMASK(2), off = INDEXTOSTATEIMAGEMASK(1);
  if (tick)
    v.checked.Add(0, count - 1);
  else
    v.checked.Clear();
  Redraw(v);
  ReportRangeState(v.hwnd, 0, count - 1, tick ? off : on, tick ? on : off);
}

// Item −1 means every item.
LRESULT SetItemState(ListView& v, WPARAM which, const LVITEMA* it) {
  if (!it) return FALSE;
  if ((int)which == -1 && v.ownerData) {
    SetAllRowStates(v, it->state, it->stateMask);
    return TRUE;
  }
  if ((int)which == -1) {
    // Clearing the selection or the focus touches only the items that have them.
    if (!(it->stateMask & ~(UINT)(LVIS_SELECTED | LVIS_FOCUSED)) && !(it->state & it->stateMask)) {
      if (it->stateMask & LVIS_SELECTED) DeselectAllBut(v, -1);
      if ((it->stateMask & LVIS_FOCUSED) && !v.dead && Valid(v, (WPARAM)v.focus))
        ChangeState(v, v.focus, 0, LVIS_FOCUSED);
      return TRUE;
    }
    for (int i = 0; i < Count(v) && !v.dead; ++i) ChangeState(v, i, it->state, it->stateMask);
    return TRUE;
  }
  if (!Valid(v, which)) return FALSE;
  ChangeState(v, (int)which, it->state, it->stateMask);
  return TRUE;
}

LRESULT GetNextItem(const ListView& v, WPARAM from, LPARAM flags) {
  int start = (int)from;
  if (flags & LVNI_FOCUSED) return v.focus > start ? v.focus : -1;
  if (flags & LVNI_SELECTED) return v.selected.NextAfter(start);
  return start + 1 < Count(v) ? start + 1 : -1;
}

// ---- Owner data and searching ----------------------------------------------------------------------------

// Room for that many items (a hint, held below kMaxReserve), so that adding them allocates nothing more.
LRESULT ReserveItems(ListView& v, WPARAM count) {
  v.items.Reserve(std::min((size_t)count, kMaxReserve));
  return TRUE;
}

// Owner data: the count the parent gives, from 0 to kMaxRowCount; states of rows beyond it go. For a view
// that holds its items the count is only a hint.
LRESULT SetItemCount(ListView& v, WPARAM count) {
  if (count > (WPARAM)kMaxRowCount) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!v.ownerData) return ReserveItems(v, count);
  if (v.editing >= (int)count) DropEditor(v);
  if (v.armed >= (int)count) DisarmEdit(v);
  if (v.dead) return FALSE;
  v.rowCount = (int)count;
  v.selected.TruncateFrom(v.rowCount);
  v.checked.TruncateFrom(v.rowCount);
  if (v.focus >= v.rowCount) v.focus = -1;
  if (v.hot >= v.rowCount) v.hot = -1;
  v.anchor = std::min(v.anchor, std::max(0, v.rowCount - 1));
  ContentChanged(v);
  return TRUE;
}

// The style's LVS_OWNERDATA came or went: the view starts empty either way.
void SwitchOwnerData(ListView& v, bool on) {
  v.ownerData = on;
  DeleteAll(v);
}

// The first item after `start` (-1: from the first) that answers the search, going round past the last
// with LVFI_WRAP; -1 for none. An owner-data view's parent searches its own rows.
LRESULT FindItem(ListView& v, int start, const LVFINDINFOA* find) {
  const int n = Count(v);
  if (!find || n == 0) return -1;
  start = std::clamp(start, -1, n - 1);
  if (v.ownerData) {
    if (start + 1 == n && !(find->flags & LVFI_WRAP)) return -1;
    int found = AskFind(v.hwnd, (start + 1) % n, *find);
    return !v.dead && found >= 0 && found < Count(v) ? found : -1;
  }
  const int span = find->flags & LVFI_WRAP ? n : n - 1 - start;
  for (int k = 1; k <= span; ++k) {
    const int i = (start + k) % n;
    if (v.dead || i >= Count(v)) return -1;  // the parent changed the items while lending a text
    if (find->flags & LVFI_PARAM ? v.items[i].lParam == find->lParam : CaptionMatches(TextOf(v, i, 0), *find))
      return v.dead ? -1 : i;
  }
  return -1;
}

// A typed character chooses the next item whose caption starts with what was typed in a row: a new
// search starts after the focused item, a longer one at it.
void CharKey(ListView& v, WPARAM ch) {
  if (ch < ' ' || ch == 127 || Count(v) == 0) return;
  const TypeAhead::Step step = v.typed.Add((char)ch, GetTickCount());
  if (step == TypeAhead::kHeld) return;
  const std::string typed = v.typed.typed;
  LVFINDINFOA find { LVFI_STRING | LVFI_PARTIAL | LVFI_WRAP, typed.c_str(), 0, {}, 0 };
  const int found = (int)FindItem(v, step == TypeAhead::kFresh ? v.focus : v.focus - 1, &find);
  if (!v.dead && Valid(v, (WPARAM)found)) Choose(v, found, false, false, false);
}

void SyncHeaderItem(ListView& v, int c, UINT mask) {
  if (!v.header) return;
  const Column& col = v.columns[c];
  HDITEMA h {};
  h.mask = mask;
  h.pszText = const_cast<LPSTR>(col.text.c_str());
  h.cxy = col.width;
  h.fmt = (col.fmt & LVCFMT_RIGHT ? HDF_RIGHT : col.fmt & LVCFMT_CENTER ? HDF_CENTER : HDF_LEFT) | HDF_STRING;
  h.iImage = col.image;
  SendMessageA(v.header, HDM_SETITEMA, c, (LPARAM)&h);
}

void ApplyColumn(Column& c, const LVCOLUMNA& in) {
  if (in.mask & LVCF_TEXT) c.text = in.pszText ? in.pszText : "";
  if (in.mask & LVCF_WIDTH) c.width = std::clamp(in.cx, 0, kMaxSectionWidth);
  if (in.mask & LVCF_FMT) c.fmt = in.fmt;
  if (in.mask & LVCF_IMAGE) c.image = in.iImage;
}

LRESULT InsertColumn(ListView& v, WPARAM at, const LVCOLUMNA* in) {
  if (!in) return -1;
  int index = std::clamp((int)at, 0, (int)v.columns.size());
  Column c;
  ApplyColumn(c, *in);
  v.columns.insert(v.columns.begin() + index, c);
  for (int& k : v.order)
    if (k >= index) ++k;
  int pos = in->mask & LVCF_ORDER ? std::clamp(in->iOrder, 0, (int)v.order.size()) : (int)v.order.size();
  v.order.insert(v.order.begin() + pos, index);
  if (v.header) {
    HDITEMA h {};
    h.mask = HDI_ORDER;
    h.iOrder = pos;
    SendMessageA(v.header, HDM_INSERTITEMA, index, (LPARAM)&h);
    SyncHeaderItem(v, index, kAllHeaderFields);
  }
  ContentChanged(v);
  return index;
}

LRESULT DeleteColumn(ListView& v, WPARAM at) {
  if (at >= v.columns.size()) return FALSE;
  int index = (int)at;
  v.columns.erase(v.columns.begin() + index);
  v.order.erase(std::find(v.order.begin(), v.order.end(), index));
  for (int& k : v.order)
    if (k > index) --k;
  if (v.header) SendMessageA(v.header, HDM_DELETEITEM, at, 0);
  ContentChanged(v);
  return TRUE;
}

LRESULT GetColumn(const ListView& v, WPARAM at, LVCOLUMNA* out) {
  if (at >= v.columns.size() || !out) return FALSE;
  const Column& c = v.columns[at];
  if (out->mask & LVCF_TEXT) CopyText(c.text, out->pszText, out->cchTextMax);
  if (out->mask & LVCF_WIDTH) out->cx = c.width;
  if (out->mask & LVCF_FMT) out->fmt = c.fmt;
  if (out->mask & LVCF_IMAGE) out->iImage = c.image;
  if (out->mask & LVCF_ORDER) out->iOrder = (int)(std::find(v.order.begin(), v.order.end(), (int)at) - v.order.begin());
  return TRUE;
}

LRESULT SetColumn(ListView& v, WPARAM at, const LVCOLUMNA* in) {
  if (at >= v.columns.size() || !in) return FALSE;
  ApplyColumn(v.columns[at], *in);
  SyncHeaderItem(v, (int)at, kAllHeaderFields);
  ContentChanged(v);
  return TRUE;
}

LRESULT SetColumnWidth(ListView& v, WPARAM at, LPARAM width) {
  if (List(v)) {
    if ((int)width <= 0) return FALSE;
    v.listColumnWidth = std::min((int)width, kMaxSectionWidth);
    ContentChanged(v);
    return TRUE;
  }
  if (at >= v.columns.size()) return FALSE;
  v.columns[at].width = std::clamp((int)width, 0, kMaxSectionWidth);
  SyncHeaderItem(v, (int)at, HDI_WIDTH);
  ContentChanged(v);
  return TRUE;
}

LRESULT SetColumnOrder(ListView& v, WPARAM size, const int* in) {
  if (!in || size != v.order.size() || !IsPermutation(in, size)) return FALSE;
  v.order.assign(in, in + size);
  if (v.header) SendMessageA(v.header, HDM_SETORDERARRAY, size, (LPARAM)in);
  Redraw(v);
  return TRUE;
}

// Stable, so equal items keep their order.
LRESULT SortItems(ListView& v, LPARAM data, PFNLVCOMPARE compare) {
  if (!compare || RefuseOwnerData(v)) return FALSE;
  DropEditor(v);
  DisarmEdit(v);
  if (v.dead) return FALSE;
  LPARAM focusParam = Valid(v, (WPARAM)v.focus) ? v.items[v.focus].lParam : 0;
  bool hadFocus = v.focus >= 0;
  std::vector<Item> items = v.items.Copy();  // the comparison may call back into the view
  std::stable_sort(items.begin(), items.end(),
                   [&](const Item& a, const Item& b) { return compare(a.lParam, b.lParam, data) < 0; });
  if (v.dead) return FALSE;
  v.selected.Clear();
  v.focus = -1;
  for (int i = 0; i < (int)items.size(); ++i) {
    if (items[i].state & LVIS_SELECTED) v.selected.Insert(i);
    if (hadFocus && (items[i].state & LVIS_FOCUSED) && items[i].lParam == focusParam) v.focus = i;
  }
  v.items.Assign(std::move(items));
  Redraw(v);
  return TRUE;
}

// ---- The header ----------------------------------------------------------------------------------------

bool WantsHeader(const ListView& v) { return Report(v) && !(StyleOf(v) & LVS_NOCOLUMNHEADER); }

DWORD HeaderStyle(const ListView& v) {
  DWORD style = WS_CHILD | WS_VISIBLE | HDS_HORZ;
  if (!(StyleOf(v) & LVS_NOSORTHEADER)) style |= HDS_BUTTONS;
  if (v.exStyle & LVS_EX_HEADERDRAGDROP) style |= HDS_DRAGDROP | HDS_FULLDRAG;
  if (v.exStyle & LVS_EX_TRACKSELECT) style |= HDS_HOTTRACK;
  return style;
}

// Destroys the header and, in report view with headers, makes a new one with the columns. The new
// window announces itself to this one (WM_PARENTNOTIFY) as it is created.
void RebuildHeader(ListView& v) {
  if (v.rebuildingHeader) return;
  v.rebuildingHeader = true;
  if (HWND old = v.header) {
    v.header = nullptr;
    DestroyWindow(old);
  }
  if (!v.dead && WantsHeader(v)) {
    HWND h = CreateWindowExA(0, WC_HEADERA, "", HeaderStyle(v), 0, 0, ClientSize(v).cx, 0, v.hwnd,
                             (HMENU)(intptr_t)kHeaderId, nullptr, nullptr);
    if (!v.dead && IsWindow(h)) {
      v.header = h;
      SendMessageA(h, WM_SETFONT, (WPARAM)v.font, FALSE);
      SendMessageA(h, HDM_SETIMAGELIST, 0, (LPARAM)v.small);
      for (int c = 0; c < (int)v.columns.size(); ++c) {
        HDITEMA it {};
        SendMessageA(h, HDM_INSERTITEMA, c, (LPARAM)&it);
        SyncHeaderItem(v, c, kAllHeaderFields);
      }
      if (!v.order.empty()) SendMessageA(h, HDM_SETORDERARRAY, v.order.size(), (LPARAM)v.order.data());
    }
  }
  v.rebuildingHeader = false;
  if (!v.dead) ContentChanged(v);
}

LRESULT HeaderNotice(ListView& v, NMHEADERA* n) {
  int c = n->iItem;
  if (c < 0 || c >= (int)v.columns.size()) return 0;
  switch (n->hdr.code) {
    case HDN_ITEMCHANGEDA:
      if (n->pitem && (n->pitem->mask & HDI_WIDTH) && v.columns[c].width != n->pitem->cxy) {
        v.columns[c].width = std::clamp(n->pitem->cxy, 0, kMaxSectionWidth);
        ContentChanged(v);
      }
      return 0;
    case HDN_ITEMCLICKA: {
      if (StyleOf(v) & LVS_NOSORTHEADER) return 0;
      NMLISTVIEW lv {};
      lv.iItem = -1;
      lv.iSubItem = c;
      NotifyParentOf(v.hwnd, LVN_COLUMNCLICK, lv.hdr);
      return 0;
    }
    case HDN_ENDDRAG: {
      if (!n->pitem) return TRUE;
      std::vector<int> order = v.order;
      order.erase(std::find(order.begin(), order.end(), c));
      order.insert(order.begin() + std::clamp(n->pitem->iOrder, 0, (int)order.size()), c);
      SetColumnOrder(v, order.size(), order.data());
      return TRUE;  // the order is set already
    }
  }
  return 0;
}

}  // namespace xj::ctl::listview
