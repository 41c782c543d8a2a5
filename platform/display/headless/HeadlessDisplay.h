#pragma once
// The display without a screen: every window's pixels live in memory, the desktop is composed on
// demand, and input comes only from the harness through Inject.

#include <optional>
#include <string>

#include "platform/display/Display.h"

namespace xj::display {

class HeadlessBackend : public Backend {
 public:
  HeadlessBackend() = default;
  const char* Name() const override { return "headless"; }

  // The screen a test wants; the work area is clipped to it. Defaults: 1024 × 768, work area
  // (0, 0, 1024, 738), the band below it holding the notification-area strip.
  void SetScreen(SIZE size, const RECT& workArea);
  // Queues input as if it came from the desktop. Mouse events over the notification-area strip become
  // tray events (the strip is above every window, like a task bar); mouse events move the cursor.
  void Inject(Event e);
  bool OverTrayStrip(POINT pt) const;  // where Inject turns mouse events into tray events
  int BellCount() const { return FBells; }
  WindowId ActiveWindow() const { return FActive; }

 private:
  SIZE NativeScreenSize() const override { return FScreen; }
  RECT NativeWorkArea() const override { return FWork; }
  void NativeDestroy(WindowId id) override;
  void NativeActivate(WindowId id) override { FActive = id; }
  WaitResult NativeWait(int timeoutMs) override;
  POINT NativeCursorPos() const override { return FCursor; }
  void NativeSetCursorPos(POINT pt) override;
  std::optional<std::string> NativeClipboardText() override { return FClipboard; }
  bool NativeSetClipboardText(std::string_view utf8) override;
  void NativeBell() override { ++FBells; }

  SIZE FScreen { 1024, 768 };
  RECT FWork { 0, 0, 1024, 738 };
  POINT FCursor {};
  std::optional<std::string> FClipboard;
  int FBells { 0 };
  WindowId FActive { 0 };
};

}  // namespace xj::display
