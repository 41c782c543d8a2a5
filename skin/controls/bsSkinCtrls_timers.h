#pragma once
// The two timer-driven mechanisms the skinned controls share: the hover fade (morph) of buttons and check
// boxes, and the auto-repeat of a held button.

#include <functional>
#include <memory>

class TTimer;

// ---- The hover fade -------------------------------------------------------------------------------------

// A factor from 0.0 (normal face) to 1.0 (hot face), moved by 0.1 on every tick of a 20 ms timer that
// exists only while a fade runs. Each tick heads for Target(); once there (the eleventh step overshoots
// by about 0.1, as the effect routines clamp it) the next tick settles exactly and frees the timer.
// Without Active() (unskinned, or a record that does not morph) a tick settles at once without a repaint.
class TbsMorphFade {
 public:
  static constexpr unsigned kInterval = 20;
  static constexpr double kStep = 0.1;

  TbsMorphFade(std::function<bool()> Target, std::function<bool()> Active, std::function<void()> Changed);
  ~TbsMorphFade();

  double Kf() const { return FKf; }
  void SetKf(double Value) { FKf = Value; }
  // Whether a fade is under way (its timer exists).
  bool Running() const { return FTimer != nullptr; }
  void Start();
  void Stop();

 private:
  void Tick();

  std::function<bool()> FTarget, FActive;
  std::function<void()> FChanged;
  double FKf { 0.0 };
  std::unique_ptr<TTimer> FTimer;
};

// ---- Auto-repeat ----------------------------------------------------------------------------------------

// Calls OnRepeat every Interval milliseconds from Start until Stop; the first call comes one interval
// after Start. OnRepeat may stop, restart or free the owner of this object.
class TbsRepeatTimer {
 public:
  explicit TbsRepeatTimer(std::function<void()> OnRepeat);
  ~TbsRepeatTimer();

  bool Running() const { return FTimer != nullptr; }
  void Start(int Interval);
  void Stop();

 private:
  std::function<void()> FOnRepeat;
  std::unique_ptr<TTimer> FTimer;
};
