#pragma once
// Event closures: an (object, method) pair that can be called like a function and compared.
// Two closures are equal when they name the same method of the same object, which is how a
// component tells whether a hook it installed is still its own before restoring the old one.

#include <bit>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

#include "platform/vcl/System.h"

// A closure with its signature erased: what the streaming system stores and compares when it
// binds an event property to a published method by name.
struct TMethod {
  TObject* Data { nullptr };
  void (TObject::*Code)() { nullptr };
  const void* Signature { nullptr };  // identifies the event type; see TClosure::SignatureId

  bool operator==(const TMethod& o) const { return Data == o.Data && Code == o.Code; }
};

template <class Sig>
class TClosure;

template <class R, class... A>
class TClosure<R(A...)> {
 public:
  using TCode = R (TObject::*)(A...);

  TClosure() = default;
  TClosure(std::nullptr_t) {}

  // From an object and one of its methods (its own or inherited):
  // TNotifyEvent(this, &TForm1::Button1Click).
  template <class T, class U>
  requires std::is_base_of_v<U, T> && std::is_base_of_v<TObject, U> TClosure(T* Object, R (U::*Method)(A...))
      : FData(static_cast<U*>(Object)), FCode(Object && Method ? static_cast<TCode>(Method) : nullptr) {
    if (!FCode) FData = nullptr;
  }

  // From any callable (a lambda in a test). Copies of this closure compare equal to each
  // other; two closures made from separate calls never do.
  template <class F>
  static TClosure FromCallable(F Callable) {
    auto holder = std::make_shared<THolder<F>>(std::move(Callable));
    TClosure c;
    c.FData = holder.get();
    c.FCode = static_cast<TCode>(&THolder<F>::Invoke);
    c.FHolder = std::move(holder);
    return c;
  }

  // Rebuilds a closure from its erased form; null when the signature does not match.
  static TClosure FromMethod(const TMethod& M) {
    TClosure c;
    if (M.Data && M.Code && M.Signature == SignatureId()) {
      c.FData = M.Data;
      c.FCode = std::bit_cast<TCode>(M.Code);
    }
    return c;
  }
  TMethod ToMethod() const { return TMethod { FData, std::bit_cast<void (TObject::*)()>(FCode), SignatureId() }; }
  static const void* SignatureId() {
    static const char id = 0;
    return &id;
  }

  TObject* Data() const { return FData; }
  explicit operator bool() const { return FCode != nullptr; }
  bool operator==(const TClosure& o) const { return FData == o.FData && FCode == o.FCode; }
  bool operator==(std::nullptr_t) const { return FCode == nullptr; }

  // Calling an unassigned closure is a programming error, never a silent no-op.
  R operator()(A... Args) const {
    if (!FCode) throw std::bad_function_call();
    return (FData->*FCode)(std::forward<A>(Args)...);
  }

 private:
  template <class F>
  struct THolder : TObject {
    explicit THolder(F f) : Fn(std::move(f)) {}
    R Invoke(A... Args) { return Fn(std::forward<A>(Args)...); }
    F Fn;
  };

  TObject* FData { nullptr };
  TCode FCode { nullptr };
  std::shared_ptr<TObject> FHolder;  // keeps a callable alive; empty for (object, method)
};

typedef TClosure<void(TObject* Sender)> TNotifyEvent;

// Asks an event that may refuse, whose last argument is a bool& starting true: true unless it refused.
template <class Event, class... Args>
bool Allowed(const Event& OnAsk, Args&&... args) {
  bool allow = true;
  if (OnAsk) OnAsk(std::forward<Args>(args)..., allow);
  return allow;
}
