#pragma once
// What the window manager and the class library share about the program as a whole: the modal loops
// that are open, the program's main window, and the window-tree dump.

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
  bool desktop { false };  // a move/size loop waiting for the desktop's drag, not for our input
  UINT sizing { 0 };       // the edge a size loop drags (WMSZ_*); 0 for a move
  LONG_PTR result { 0 };
};

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
// One round of a modal loop: dispatch what is waiting, or wait for something to arrive (the harness
// may answer instead). Returns false when WM_QUIT arrived (it is re-posted for the outer loop).
bool ModalStep();

// The program's main window: named by the class library, else the first unowned top-level window
// that was shown and activated. XJ_EXIT_AFTER closes it; the artifacts are written before it goes.
void SetMainWindow(HWND h);
HWND MainWindow();

// One line of the window-tree dump (XJ_UI_DUMP): a window or a windowless control.
struct UiNode {
  std::string className;
  std::string name;
  std::string text;                // GBK
  std::vector<std::string> items;  // list-like controls: one line each
  std::vector<UiNode> children;
};

// Fills in what the class library knows of a window for the tree dump (its class and component names,
// items, windowless controls placed before the child windows). Installed once; it outlives harnesses.
using WindowDescriber = std::function<void(HWND, UiNode&)>;
void SetWindowDescriber(WindowDescriber describe);
bool WriteUiDump(const std::string& path);
void WriteExitArtifacts();

}  // namespace xj::wm
