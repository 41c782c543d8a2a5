#include "platform/win32/ctl/LabelEdit.h"

#include <cstring>
#include <unordered_map>

#include "platform/win32/WinCtl.h"

namespace xj::ctl {

namespace {

struct Binding {
  HWND owner {};
  WNDPROC old {};
  LabelEditEnded ended {};
};

std::unordered_map<HWND, Binding>& Bindings() {
  static auto* m = new std::unordered_map<HWND, Binding>;
  return *m;
}

// Enter and Escape are the editor's own, never a dialog's default or cancel button.
LRESULT CALLBACK EditProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto it = Bindings().find(edit);
  if (it == Bindings().end()) return DefWindowProcA(edit, msg, wParam, lParam);
  const Binding b = it->second;
  if (!b.ended) {
    if (msg == WM_NCDESTROY) Bindings().erase(edit);
    return CallWindowProcA(b.old, edit, msg, wParam, lParam);
  }
  switch (msg) {
    case WM_GETDLGCODE:
      return CallWindowProcA(b.old, edit, msg, wParam, lParam) | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      if (wParam != VK_RETURN && wParam != VK_ESCAPE) break;
      b.ended(b.owner, wParam == VK_ESCAPE);
      return 0;
    case WM_CHAR:
      if (wParam == '\r' || wParam == 27) return 0;
      break;
    case WM_KILLFOCUS: {
      LRESULT r = CallWindowProcA(b.old, edit, msg, wParam, lParam);
      b.ended(b.owner, false);
      return r;
    }
    case WM_NCDESTROY:
      Bindings().erase(edit);
      break;
  }
  return CallWindowProcA(b.old, edit, msg, wParam, lParam);
}

}  // namespace

HWND OpenLabelEdit(HWND owner, const RECT& r, const std::string& text, HFONT font, LabelEditEnded ended) {
  HWND edit = CreateWindowExA(0, WC_EDITA, text.c_str(), WS_CHILD | WS_BORDER | ES_AUTOHSCROLL, r.left, r.top,
                              r.right - r.left, r.bottom - r.top, owner, nullptr, nullptr, nullptr);
  if (!edit) return nullptr;
  SendMessageA(edit, WM_SETFONT, (WPARAM)font, 0);
  WNDPROC old = WNDPROC(SetWindowLongPtrA(edit, GWL_WNDPROC, WNDPROC(&EditProc).Value()));
  Bindings()[edit] = Binding { owner, old, ended };
  SendMessageA(edit, EM_SETSEL, 0, -1);
  ShowWindow(edit, SW_SHOW);
  SetFocus(edit);
  return edit;
}

std::string CloseLabelEdit(HWND edit) {
  int length = GetWindowTextLengthA(edit);
  std::string text((size_t)length + 1, '\0');
  GetWindowTextA(edit, text.data(), length + 1);
  text.resize(strlen(text.c_str()));
  HWND owner = GetParent(edit);
  // The editor says nothing more once its owner has closed it.
  if (auto it = Bindings().find(edit); it != Bindings().end()) it->second.ended = nullptr;
  if (GetFocus() == edit && owner) SetFocus(owner);
  DestroyWindow(edit);
  return text;
}

}  // namespace xj::ctl
