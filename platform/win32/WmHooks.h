#pragma once
// Points where the test harness plugs into the window manager. Production code leaves them empty.

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/WinUser.h"

namespace xj::wm {

// One open modal loop: a message box, a modal form, a popup menu, the move/size loop.
struct ModalFrame {
  enum Kind { MessageBox, Form, Menu, SizeMove, ColourDialog };
  Kind kind { MessageBox };
  HWND hwnd {};
  std::string caption;
  std::string text;
  UINT type { 0 };
  HMENU menu {};
  bool ended { false };
  LONG_PTR result { 0 };
};

// One line of the window-tree dump (XJ_UI_DUMP): a window or a windowless control.
struct UiNode {
  std::string className;
  std::string name;
  std::string text;                // GBK
  std::vector<std::string> items;  // list-like controls: one line each
  std::vector<UiNode> children;
};

struct Hooks {
  // Sees every message handed to a window procedure (sent, dispatched and default-forwarded ones
  // excluded: only the entry into the window's own procedure).
  std::function<void(HWND, UINT, WPARAM, LPARAM)> observe;
  // Called by a loop that has nothing to do instead of blocking; `top` is the innermost modal frame or
  // null. Returns false when it did nothing (the loop then blocks as usual).
  std::function<bool(ModalFrame* top)> idle;
  // A modal loop opened (before its first message).
  std::function<void(ModalFrame&)> modalOpened;
  // Fills in what the class library knows of a window for the tree dump (its class and component
  // names, items, windowless controls placed before the child windows).
  std::function<void(HWND, UiNode&)> describe;
};

Hooks& TheHooks();

// Modal loops register themselves so that the harness can see and answer them.
class ModalScope {
 public:
  explicit ModalScope(ModalFrame frame);
  ~ModalScope();
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

  ModalFrame& Frame() { return FFrame; }
  bool Ended() const { return FFrame.ended; }
  void End(LONG_PTR result);

 private:
  ModalFrame FFrame;
};

ModalFrame* TopModal();

// The program's main window: named by the class library, else the first unowned top-level window
// that was shown and activated. XJ_EXIT_AFTER closes it; the artifacts are written before it goes.
void SetMainWindow(HWND h);
HWND MainWindow();
bool WriteUiDump(const std::string& path);
void WriteExitArtifacts();
// One round of a modal loop: dispatch what is waiting, or wait for something to arrive (the harness
// may answer instead). Returns false when WM_QUIT arrived (it is re-posted for the outer loop).
bool ModalStep();

}  // namespace xj::wm
