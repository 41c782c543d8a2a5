#pragma once
// State the control layer's units share: mouse tracking, the windowless capture control, the
// application's dispatch guard. Not part of the public interface.

#include "platform/vcl/Controls.h"
#include "platform/win32/Scoped.h"

namespace xj::vcl {

// The windowless control that holds the capture through its parent's window.
TControl*& CaptureControlSlot();
// The control that got the last CM_MOUSEENTER.
TControl*& MouseControlSlot();
// Makes Control the one under the pointer: CM_MOUSELEAVE to the old one, CM_MOUSEENTER to the new.
void SetMouseControl(TControl* Control);
// A control is going away: nothing may refer to it any more.
void ControlGone(TControl* Control);

// One level of the application's message dispatch. While it is the innermost, an exception escaping a
// window procedure travels to it; once a modal loop of the window manager has opened above it, the
// window procedure reports the exception itself (nothing of ours would catch it there).
class TDispatchGuard {
 public:
  TDispatchGuard();
  ~TDispatchGuard();
  TDispatchGuard(const TDispatchGuard&) = delete;
  TDispatchGuard& operator=(const TDispatchGuard&) = delete;
};
bool ReportExceptionInWindowProc();

// While estimating a window's client size before it exists, CreateParams must not create windows.
bool EstimatingParams();

}  // namespace xj::vcl
