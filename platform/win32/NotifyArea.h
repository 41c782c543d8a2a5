#pragma once
// The notification area behind Shell_NotifyIconA: the process's icons keyed by (window, id), shown by
// the display back-end. The window manager feeds it the back-end's tray events; the harness reads it.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/WinDef.h"

namespace xj::display {
struct Event;
}

namespace xj::wm {

struct NotifyIcon {
  HWND hwnd { nullptr };
  UINT id { 0 };
  bool hasCallback { false };
  UINT callback { 0 };
  std::string tip;           // GBK, already cut to fit
  uint32_t displayId { 0 };  // the back-end's name for it, never reused
};

std::vector<NotifyIcon> NotifyIcons();  // in the order they were added
// A tray event from the back-end: the pointer's place becomes the cursor position and the owner gets its
// callback message, a second press of a button on the icon within the double-click time and distance
// turning into a double click.
void NotifyAreaInput(const display::Event& e);
// The desktop's notification area (re)appeared: every top-level window is told "TaskbarCreated".
void NotifyAreaCreated();
// As when the desktop's shell restarts: every icon is gone, then "TaskbarCreated" goes out.
void RestartNotifyArea();
void ForgetNotifyIcons(HWND hwnd);  // the window is being destroyed
void ShowNotifyIcons();             // hands the icons to the display (a new back-end, a change)

}  // namespace xj::wm
