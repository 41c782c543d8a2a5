#include "skin/controls/bsSkinCtrls_timers.h"

#include <algorithm>

#include "platform/vcl/ExtCtrls.h"

namespace {

std::unique_ptr<TTimer> NewTimer(unsigned Interval, std::function<void()> OnTimer) {
  auto timer = std::make_unique<TTimer>(nullptr);
  timer->SetEnabled(false);
  timer->SetInterval(Interval);
  timer->SetOnTimer(TNotifyEvent::FromCallable([f = std::move(OnTimer)](TObject*) { f(); }));
  timer->SetEnabled(true);
  return timer;
}

}  // namespace

// ---- TbsMorphFade ---------------------------------------------------------------------------------------

TbsMorphFade::TbsMorphFade(std::function<bool()> Target, std::function<bool()> Active, std::function<void()> Changed)
    : FTarget(std::move(Target)), FActive(std::move(Active)), FChanged(std::move(Changed)) {}

TbsMorphFade::~TbsMorphFade() = default;

void TbsMorphFade::Start() {
  if (!FTimer) FTimer = NewTimer(kInterval, [this] { Tick(); });
}

// Freeing the timer from its own tick is safe: the platform's timer checks that it still lives.
void TbsMorphFade::Stop() { FTimer.reset(); }

void TbsMorphFade::Tick() {
  const bool target = FTarget();
  if (!FActive()) {
    FKf = target ? 1.0 : 0.0;
    Stop();
    return;
  }
  if (target && FKf < 1.0) {
    FKf += kStep;
  } else if (!target && FKf > 0.0) {
    FKf -= kStep;
  } else {
    FKf = target ? 1.0 : 0.0;
    Stop();
  }
  FChanged();
}

// ---- TbsRepeatTimer -------------------------------------------------------------------------------------

TbsRepeatTimer::TbsRepeatTimer(std::function<void()> OnRepeat) : FOnRepeat(std::move(OnRepeat)) {}

TbsRepeatTimer::~TbsRepeatTimer() = default;

void TbsRepeatTimer::Start(int Interval) {
  Stop();
  // Nothing may touch this object after FOnRepeat: the handler may free its owner.
  FTimer = NewTimer(static_cast<unsigned>(std::max(Interval, 1)), [this] { FOnRepeat(); });
}

void TbsRepeatTimer::Stop() { FTimer.reset(); }
