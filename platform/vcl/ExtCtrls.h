#pragma once
// The class library's ExtCtrls unit. For now the timer; the stock controls of the unit join it later.

#include <memory>

#include "platform/vcl/Controls.h"

// A timer on the GUI thread: OnTimer runs every Interval milliseconds while Enabled, Interval and
// OnTimer are all set. Changing any of them restarts the period. A tick never starts while the previous
// one's handler is still running (a nested message loop inside it gets none). The timer, or its owner,
// may be freed inside OnTimer. An exception escaping OnTimer is shown by the application.
class TTimer : public TComponent {
  XJ_CLASS(TTimer, TComponent)
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  UINT Interval() const { return FInterval; }
  void SetInterval(UINT Value);
  TNotifyEvent OnTimer() const { return FOnTimer; }
  void SetOnTimer(TNotifyEvent Value);

 protected:
  virtual void Timer();

 private:
  void UpdateTimer();
  void WndProc(TMessage& Message);

  bool FEnabled { true };
  UINT FInterval { 1000 };
  TNotifyEvent FOnTimer;
  HWND FWindowHandle { nullptr };
  bool FRunning { false };
  bool FInTimer { false };
  std::shared_ptr<const void> FLife { std::make_shared<char>(0) };
};
