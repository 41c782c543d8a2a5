#pragma once
// Points where the test harness plugs into the window manager. Production code leaves them empty.

#include <functional>

#include "platform/win32/WmModal.h"

namespace xj::wm {

struct Hooks {
  // Sees every message handed to a window procedure (sent, dispatched and default-forwarded ones
  // excluded: only the entry into the window's own procedure).
  std::function<void(HWND, UINT, WPARAM, LPARAM)> observe;
  // Called by a loop that has nothing to do instead of blocking; `top` is the innermost modal frame or
  // null. Returns false when it did nothing (the loop then blocks as usual).
  std::function<bool(ModalFrame* top)> idle;
  // A modal loop opened (before its first message).
  std::function<void(ModalFrame&)> modalOpened;
};

// A plain global rather than a function's static: every send reads it, and needs no guard that way.
// Empty functions are all zeros, so a read before its constructor has run sees no hooks.
inline Hooks gHooks;
inline Hooks& TheHooks() { return gHooks; }

}  // namespace xj::wm
