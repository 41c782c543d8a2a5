// MDI: the "MDICLIENT" class, child activation (WM_NCACTIVATE to the old and new child, WM_MDIACTIVATE),
// and the default frame and child procedures. No native tile, cascade, arrange or window list.

#include <algorithm>
#include <cstring>

#include "platform/win32/WmInternal.h"

namespace xj::wm {

void RegisterSystemClass(const char* name, WNDPROCFN proc, UINT style, HBRUSH background);

namespace {

bool IsMdiClient(const Wnd* w) { return w && w->cls && strcmp(w->cls->name.c_str(), "MDICLIENT") == 0; }

Wnd* NextChild(Wnd* client, Wnd* except) {
  for (Wnd* c : client->children)
    if (c != except && !c->destroying && (c->exStyle & WS_EX_MDICHILD) && c->Visible()) return c;
  return nullptr;
}

// A new child cascades and takes three quarters of the client when asked for default places; its
// id follows the children already there.
LRESULT CreateChild(Wnd* w, const MDICREATESTRUCTA* mc) {
  if (!mc) return 0;
  int x = mc->x, y = mc->y, cx = mc->cx, cy = mc->cy;
  RECT cr { 0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top };
  if (x == CW_USEDEFAULT) {
    x = y = 22 * (Windows().mdiCascade++ % 8);
  }
  if (cx == CW_USEDEFAULT) {
    cx = cr.right * 3 / 4;
    cy = cr.bottom * 3 / 4;
  }
  int count = 0;
  for (Wnd* c : w->children)
    if (c->exStyle & WS_EX_MDICHILD) ++count;
  DWORD style = mc->style | WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE;
  HWND child = CreateWindowExA(WS_EX_MDICHILD, mc->szClass, mc->szTitle, style, x, y, cx, cy, w->handle,
                               (HMENU)(uintptr_t)(w->mdiFirstChild + count), (HINSTANCE)mc->hOwner, (LPVOID)mc);
  if (child) MdiActivate(w, FromHandle(child));
  return (LRESULT)child;
}

LRESULT ActiveChild(Wnd* w, LPARAM maximized) {
  Wnd* a = FromHandle(w->mdiActive);
  if (maximized) *(BOOL*)maximized = a && (a->style & WS_MAXIMIZE);
  return (LRESULT)(a ? a->handle : nullptr);
}

// Forward: the bottom-most child comes up; backward: the active one goes to the bottom.
void ActivateNextChild(Wnd* w, HWND fromHandle, bool forward) {
  Wnd* from = FromHandle(fromHandle);
  if (!from) from = FromHandle(w->mdiActive);
  std::vector<Wnd*> kids;
  for (Wnd* c : w->children)
    if ((c->exStyle & WS_EX_MDICHILD) && c->Visible()) kids.push_back(c);
  if (kids.size() < 2 || !from) return;
  MdiActivate(w, forward ? kids[1] : kids.back());
}

// A child of this client named by a message, or nullptr.
Wnd* OwnChild(Wnd* w, WPARAM handle) {
  Wnd* c = FromHandle((HWND)handle);
  return c && c->parent == w ? c : nullptr;
}

LRESULT CALLBACK ClientProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  Wnd* w = FromHandle(h);
  if (!w) return 0;
  switch (msg) {
    case WM_CREATE: {
      const CREATESTRUCTA* cs = (const CREATESTRUCTA*)lParam;
      if (cs && cs->lpCreateParams) w->mdiFirstChild = ((const CLIENTCREATESTRUCT*)cs->lpCreateParams)->idFirstChild;
      return 0;
    }
    case WM_MDICREATE:
      return CreateChild(w, (const MDICREATESTRUCTA*)lParam);
    case WM_MDIDESTROY:
      if (Wnd* c = OwnChild(w, wParam)) DestroyWindow(c->handle);
      return 0;
    case WM_MDIACTIVATE:
      if (Wnd* c = OwnChild(w, wParam)) MdiActivate(w, c);
      return 0;
    case WM_MDIGETACTIVE:
      return ActiveChild(w, lParam);
    case WM_MDINEXT:
      ActivateNextChild(w, (HWND)wParam, lParam != 0);
      return 0;
    case WM_SETFOCUS:
      if (Wnd* a = FromHandle(w->mdiActive)) SetFocus(a->handle);
      return 0;
  }
  return DefWindowProcA(h, msg, wParam, lParam);
}

}  // namespace

void MdiActivate(Wnd* client, Wnd* child) {
  HWND oldH = client->mdiActive;
  HWND newH = child ? child->handle : nullptr;
  if (oldH == newH) return;
  Wnd* old = FromHandle(oldH);
  if (old) {
    Send(old, WM_NCACTIVATE, FALSE, 0);
    if (IsWindow(oldH)) Send(old, WM_MDIACTIVATE, (WPARAM)oldH, (LPARAM)newH);
  }
  if (!IsWindow(client->handle)) return;
  client->mdiActive = newH;
  if (!child || !IsWindow(newH)) return;
  SetPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Send(child, WM_NCACTIVATE, TRUE, 0);
  if (IsWindow(newH)) Send(child, WM_MDIACTIVATE, (WPARAM)oldH, (LPARAM)newH);
  if (IsWindow(newH)) Send(child, WM_CHILDACTIVATE, 0, 0);
  HWND top = Root(child)->handle;
  if (IsWindow(newH) && GetActiveWindow() == top) {
    HWND focus = GetFocus();
    if (!focus || !(focus == newH || IsChild(newH, focus))) SetFocus(newH);
  }
}

// The MDI child a window belongs to (itself or an ancestor), with its client; null when none.
Wnd* MdiChildOf(Wnd* w, Wnd** client) {
  for (; w && w->parent && w->parent != Desktop(); w = w->parent)
    if ((w->exStyle & WS_EX_MDICHILD) && IsMdiClient(w->parent)) {
      if (client) *client = w->parent;
      return w;
    }
  return nullptr;
}

// An MDI child is going: the next one becomes active.
void MdiChildGone(Wnd* client, Wnd* child) {
  if (!IsMdiClient(client) || client->mdiActive != child->handle) return;
  client->mdiActive = nullptr;
  if (Wnd* next = NextChild(client, child)) MdiActivate(client, next);
}

void RegisterMdiClient() {
  RegisterSystemClass("MDICLIENT", ClientProc, 0, (HBRUSH)(uintptr_t)(COLOR_APPWORKSPACE + 1));
}

}  // namespace xj::wm

using namespace xj::wm;

LRESULT DefFrameProcA(HWND hwnd, HWND client, UINT msg, WPARAM wParam, LPARAM lParam) {
  Wnd* c = FromHandle(client);
  switch (msg) {
    case WM_SIZE:
      if (c && IsMdiClient(c)) MoveWindow(client, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      break;
    case WM_SETFOCUS:
      if (c) {
        SetFocus(client);
        return 0;
      }
      break;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT DefMDIChildProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Wnd* w = FromHandle(hwnd);
  Wnd* client = w ? w->parent : nullptr;
  if (!w || !IsMdiClient(client)) return DefWindowProcA(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_SETFOCUS:
    case WM_CHILDACTIVATE:
      if (client->mdiActive != hwnd) MdiActivate(client, w);
      if (msg == WM_CHILDACTIVATE) return 0;
      break;
    case WM_MOUSEACTIVATE:
      if (client->mdiActive != hwnd) MdiActivate(client, w);
      return MA_ACTIVATE;
    case WM_CLOSE:
      SendMessageA(client->handle, WM_MDIDESTROY, (WPARAM)hwnd, 0);
      return 0;
    case WM_GETMINMAXINFO: {
      MINMAXINFO* m = (MINMAXINFO*)lParam;
      if (m) {
        m->ptMaxSize = POINT { client->client.right - client->client.left, client->client.bottom - client->client.top };
        m->ptMaxPosition = POINT { 0, 0 };
      }
      return 0;
    }
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}
