#pragma once
// Shared by the form component's files.
#include <memory>

#include "platform/vcl/ExtCtrls.h"
#include "skin/data/bsEffects.h"

// A disabled timer of Interval ms calling Handler.
inline std::unique_ptr<TTimer> NewTimer(UINT Interval, TNotifyEvent Handler) {
  auto t = std::make_unique<TTimer>(nullptr);
  t->SetEnabled(false);
  t->SetInterval(Interval);
  t->SetOnTimer(Handler);
  return t;
}

// The skin's inactive effect (TbsInActiveEffect order) applied to E; other values leave it unchanged.
void bsApplyInActiveEffect(TbsEffectBmp& E, int Effect);

#include "platform/vcl/Types.h"

// Whether P lies in R, right and bottom edges outside.
inline bool PtInRect(const TRect& R, const TPoint& P) {
  return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom;
}
