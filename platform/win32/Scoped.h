#pragma once
// Scoped state for every layer: a value changed for the length of a scope, and a clean-up that runs
// however the scope is left (exceptions from window procedures and event handlers included).

#include <utility>

namespace xj {

// Sets `target` to `value` now and puts the old value back when the scope ends.
template <class T>
class TemporaryChange {
 public:
  TemporaryChange(T& target, T value) : FTarget(target), FOld(std::move(target)) { FTarget = std::move(value); }
  ~TemporaryChange() { FTarget = std::move(FOld); }
  TemporaryChange(const TemporaryChange&) = delete;
  TemporaryChange& operator=(const TemporaryChange&) = delete;

 private:
  T& FTarget;
  T FOld;
};

// Runs `f` when the scope is left, unless dismissed.
template <class F>
class ScopeExit {
 public:
  explicit ScopeExit(F f) : FFn(std::move(f)) {}
  ~ScopeExit() {
    if (FActive) FFn();
  }
  void Dismiss() { FActive = false; }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  F FFn;
  bool FActive { true };
};

}  // namespace xj
