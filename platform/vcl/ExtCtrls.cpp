// The timer component over a hidden window's timer.

#include "platform/vcl/ExtCtrls.h"

#include "platform/vcl/Forms.h"

namespace {
const UINT_PTR kTimerId = 1;
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {}

TTimer::~TTimer() {
  FEnabled = false;
  FLife.reset();
  if (FWindowHandle && IsWindow(FWindowHandle)) {
    KillTimer(FWindowHandle, kTimerId);
    DeallocateHWnd(FWindowHandle);
  }
}

void TTimer::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetInterval(UINT Value) {
  if (FInterval == Value) return;
  FInterval = Value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent Value) {
  FOnTimer = Value;
  UpdateTimer();
}

// Killing first drops a tick that was already due; setting again starts a whole period.
void TTimer::UpdateTimer() {
  if (FWindowHandle && IsWindow(FWindowHandle) && FRunning) KillTimer(FWindowHandle, kTimerId);
  FRunning = false;
  if (FInterval == 0 || !FEnabled || !FOnTimer) return;
  if (!FWindowHandle || !IsWindow(FWindowHandle)) FWindowHandle = AllocateHWnd(TWndMethod(this, &TTimer::WndProc));
  if (!SetTimer(FWindowHandle, kTimerId, FInterval, nullptr)) throw EOutOfResources("Not enough timers available");
  FRunning = true;
}

void TTimer::WndProc(TMessage& Message) {
  HWND h = FWindowHandle;
  if (Message.Msg != WM_TIMER) {
    if (Message.Msg == WM_NCDESTROY && FWindowHandle == h) {
      FWindowHandle = nullptr;
      FRunning = false;
    }
    Message.Result = DefWindowProcA(h, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  if (FInTimer) return;
  std::weak_ptr<const void> life = FLife;
  // Still set while the application shows what a handler threw, so no tick overtakes it.
  xj::ScopeExit done([&] {
    if (!life.expired()) FInTimer = false;
  });
  FInTimer = true;
  try {
    Timer();
  } catch (...) {
    if (!Application) throw;
    Application->HandleException(life.expired() ? nullptr : this);
  }
}

void TTimer::Timer() {
  if (FOnTimer) FOnTimer(this);
}

XJ_PUBLISHED(TTimer,
  XJ_PROP(Enabled, true)
  XJ_PROP(Interval, 1000u)
  XJ_PROP(OnTimer));

namespace xj::vcl {
bool RegisterExtCtrls() {
  static const bool registered = (RegisterClasses({ TTimer::StaticClass(), TBevel::StaticClass(), TImage::StaticClass(),
                                                    TPanel::StaticClass(), TRadioGroup::StaticClass() }),
                                  RegisterClasses({ TSplitter::StaticClass(), TControlBar::StaticClass() }), true);
  return registered;
}
}  // namespace xj::vcl
