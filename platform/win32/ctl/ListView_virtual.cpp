// The list view's questions to its parent about rows it does not hold.

#include "platform/win32/ctl/ListView_virtual.h"

#include "platform/win32/ctl/Notify.h"
#include "platform/win32/ctl/TypeAhead.h"

namespace xj::ctl {

LentRow AskRow(HWND view, int i, int sub, UINT mask, LPARAM param) {
  NMLVDISPINFOA info {};
  info.item.mask = mask | LVIF_TEXT;
  info.item.iItem = i;
  info.item.iSubItem = sub;
  info.item.lParam = param;
  info.item.iImage = -1;
  info.item.stateMask = (mask & LVIF_STATE) ? LVIS_STATEIMAGEMASK : 0;
  NotifyParentOf(view, LVN_GETDISPINFOA, info.hdr);
  LentRow row;
  if (info.item.pszText && info.item.pszText != LPSTR_TEXTCALLBACKA) row.text = info.item.pszText;
  if (mask & LVIF_IMAGE) row.image = info.item.iImage;
  if (mask & LVIF_STATE) row.state = info.item.state & LVIS_STATEIMAGEMASK;
  return row;
}

void HintRows(HWND view, int from, int to) {
  NMLVCACHEHINT hint {};
  hint.iFrom = from;
  hint.iTo = to;
  NotifyParentOf(view, LVN_ODCACHEHINT, hint.hdr);
}

int AskFind(HWND view, int start, const LVFINDINFOA& find) {
  NMLVFINDITEMA n {};
  n.iStart = start;
  n.lvfi = find;
  return (int)NotifyParentOf(view, LVN_ODFINDITEMA, n.hdr);
}

void ReportRangeState(HWND view, int from, int to, UINT oldState, UINT newState) {
  NMLVODSTATECHANGE n {};
  n.iFrom = from;
  n.iTo = to;
  n.uOldState = oldState;
  n.uNewState = newState;
  NotifyParentOf(view, LVN_ODSTATECHANGED, n.hdr);
}

bool CaptionMatches(const std::string& caption, const LVFINDINFOA& find) {
  if (!(find.flags & LVFI_STRING) || !find.psz) return false;
  const std::string wanted = find.psz;
  if (!(find.flags & LVFI_PARTIAL) && wanted.size() != caption.size()) return false;
  return TypeAhead::Starts(caption, wanted);
}

}  // namespace xj::ctl
