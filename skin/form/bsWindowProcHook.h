#pragma once
// A hook on a control's WindowProc that can leave the chain at any time. Installed, it hands every
// message to its handler, which passes it on through Old(). Removed while it is still the control's
// WindowProc, it puts the saved procedure back; removed while a later hook still calls it, it stays
// behind as a pass-through to the saved procedure. Either way no other hook's chain is cut, and a
// re-created window keeps it (WindowProc belongs to the control, not to the window).
#include <memory>
#include <utility>

#include "platform/vcl/Controls.h"

class TbsWindowProcHook {
 public:
  TbsWindowProcHook() = default;
  TbsWindowProcHook(const TbsWindowProcHook&) = delete;
  TbsWindowProcHook& operator=(const TbsWindowProcHook&) = delete;
  ~TbsWindowProcHook() { Remove(); }

  void Install(TControl* Control, TWndMethod Handler) {
    Remove();
    FLink = std::make_shared<TLink>(TLink { std::move(Handler), Control->WindowProc, Control, Control->LifeToken() });
    FHook = TWndMethod::FromCallable([link = FLink](TMessage& m) {
      if (link->Handler)
        link->Handler(m);
      else if (link->Old)
        link->Old(m);
    });
    Control->WindowProc = FHook;
  }
  void Remove() {
    if (!FLink) return;
    if (!FLink->Life.expired() && FLink->Control->WindowProc == FHook) FLink->Control->WindowProc = FLink->Old;
    FLink->Handler = nullptr;
    FLink.reset();
    FHook = nullptr;
  }
  bool Installed() const { return FLink != nullptr; }
  // The procedure that was the control's when the hook went in; empty when not installed.
  const TWndMethod& Old() const {
    static const TWndMethod none;
    return FLink ? FLink->Old : none;
  }

 private:
  struct TLink {
    TWndMethod Handler;
    TWndMethod Old;
    TControl* Control;
    std::weak_ptr<const void> Life;
  };
  std::shared_ptr<TLink> FLink;
  TWndMethod FHook;
};
