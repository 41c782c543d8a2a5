#pragma once
// Test controls and a fixture for the control layer: the harness, a fresh application object per test,
// forms that are freed before the harness goes, and a recorder of the messages a control's WindowProc
// sees.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/Forms.h"
#include "platform/testing/TestHooks.h"

namespace ctltest {

namespace xt = xj::test;

// A windowed push button: a click counts, sets the form's ModalResult when it has one; Return reaches it
// when it is the default button, Escape when it is the cancel button; its '&' accelerator clicks it. A
// press takes the focus, as a native button does.
class TTestButton : public TCustomControl {
  XJ_CLASS(TTestButton, TCustomControl)
 public:
  explicit TTestButton(TComponent* AOwner) : TCustomControl(AOwner) {
    SetTabStop(true);
    SetBounds(0, 0, 75, 25);
  }
  bool Default { false };
  bool Cancel { false };
  TModalResult ModalResult { mrNone };
  int Clicks { 0 };

  void Click() override {
    ++Clicks;
    if (TCustomForm* form = GetParentForm(this); form && ModalResult != mrNone) form->SetModalResult(ModalResult);
    TCustomControl::Click();
  }
  void Dispatch(TMessage& Message) override {
    auto& key = reinterpret_cast<TWMKey&>(Message);
    if (Message.Msg == CM_DIALOGKEY &&
        ((key.CharCode == VK_RETURN && Default) || (key.CharCode == VK_ESCAPE && Cancel)) &&
        KeyDataToShiftState(key.KeyData).Empty() && CanFocus()) {
      Click();
      Message.Result = 1;
      return;
    }
    if (Message.Msg == CM_DIALOGCHAR && IsAccel(key.CharCode, Caption()) && CanFocus()) {
      Click();
      Message.Result = 1;
      return;
    }
    if (Message.Msg == WM_LBUTTONDOWN && CanFocus() && !Focused()) SetFocus();
    TCustomControl::Dispatch(Message);
  }

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(clBtnFace);
    Canvas()->FillRect(ClientRect());
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->TextOut(4, 4, Caption());
  }
};

// A windowless control that fills itself with its colour and draws its caption.
class TTestShape : public TGraphicControl {
  XJ_CLASS(TTestShape, TGraphicControl)
 public:
  explicit TTestShape(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 40, 20); }
  int Paints { 0 };
  TWinControl* FocusTarget { nullptr };  // its accelerator focuses this control (a label's FocusControl)

  void Dispatch(TMessage& Message) override {
    if (Message.Msg == CM_DIALOGCHAR && FocusTarget &&
        IsAccel(reinterpret_cast<TWMKey&>(Message).CharCode, Caption()) && FocusTarget->CanFocus()) {
      FocusTarget->SetFocus();
      Message.Result = 1;
      return;
    }
    if (Message.Msg == CM_TEXTCHANGED) Invalidate();  // as a label repaints its new caption
    TGraphicControl::Dispatch(Message);
  }

 protected:
  void Paint() override {
    ++Paints;
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
    if (!Caption().empty()) {
      Canvas()->Brush()->SetStyle(bsClear);
      Canvas()->TextOut(1, 1, Caption());
    }
  }
};

// A windowed container (a panel) that accepts controls and paints its colour.
class TTestPanel : public TCustomControl {
  XJ_CLASS(TTestPanel, TCustomControl)
 public:
  explicit TTestPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle { csAcceptsControls, csOpaque });
    SetBounds(0, 0, 100, 50);
  }

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
};

// Records what reaches a control's WindowProc (message numbers, optionally filtered) and passes it on.
class TRecorder {
 public:
  TRecorder(TControl* Control, std::vector<UINT> Only = {}) : FControl(Control), FOnly(std::move(Only)) {
    FOld = Control->WindowProc;
    Control->WindowProc = TWndMethod::FromCallable([this](TMessage& m) {
      if (FOnly.empty() || std::find(FOnly.begin(), FOnly.end(), m.Msg) != FOnly.end()) Messages.push_back(m);
      FOld(m);
    });
  }
  ~TRecorder() {
    if (!FLife.expired()) FControl->WindowProc = FOld;
  }
  int Count(UINT Msg) const {
    return static_cast<int>(
        std::count_if(Messages.begin(), Messages.end(), [&](const TMessage& m) { return m.Msg == Msg; }));
  }
  std::vector<UINT> Ids() const {
    std::vector<UINT> ids;
    for (const TMessage& m : Messages) ids.push_back(m.Msg);
    return ids;
  }
  std::vector<TMessage> Messages;

 private:
  TControl* FControl;
  std::weak_ptr<const void> FLife { FControl->LifeToken() };
  std::vector<UINT> FOnly;
  TWndMethod FOld;
};

// A closure from a lambda, for event properties.
template <class Event, class F>
Event On(F f) {
  return Event::FromCallable(std::move(f));
}

// Frees Victim on its first call and counts every call. A handler freeing its own control calls a copy
// (see Calling): the closure it runs in goes with the control.
inline std::function<void()> Freer(TControl* Victim, int& Calls) {
  return [Victim, &Calls, life = Victim->LifeToken()] {
    ++Calls;
    if (!life.expired()) delete Victim;
  };
}

// A handler of any event type that calls a copy of Call.
template <class Event>
Event Calling(const std::function<void()>& Call) {
  return Event::FromCallable([Call](auto&&...) {
    const std::function<void()> call = Call;
    call();
  });
}

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FHarness = std::make_unique<xt::Harness>();
    delete Application;
    Application = new TApplication(nullptr);
  }
  void TearDown() override {
    for (auto it = FForms.rbegin(); it != FForms.rend(); ++it)
      if (!it->second.expired()) delete it->first;
    FForms.clear();
    delete Application;
    Application = new TApplication(nullptr);
    FHarness.reset();
  }

  // A top-level form with a plain frame at (Left, Top), freed by the fixture unless freed before.
  TForm* NewForm(int Left = 100, int Top = 100, int Width = 320, int Height = 240) {
    auto* f = new TForm(nullptr);
    f->SetBounds(Left, Top, Width, Height);
    Keep(f);
    return f;
  }
  void Keep(TCustomForm* Form) { FForms.emplace_back(Form, Form->LifeToken()); }

  // Screen point of a client point of a control.
  static TPoint At(TControl* Control, int X, int Y) { return Control->ClientToScreen(TPoint(X, Y)); }
  static void ClickAt(TControl* Control, int X, int Y, xt::Button B = xt::mbLeft) {
    const TPoint p = At(Control, X, Y);
    xt::Click(p.X, p.Y, B);
  }
  static void MoveTo(TControl* Control, int X, int Y) {
    const TPoint p = At(Control, X, Y);
    xt::MouseMove(p.X, p.Y);
  }

 private:
  std::unique_ptr<xt::Harness> FHarness;
  std::vector<std::pair<TCustomForm*, std::weak_ptr<const void>>> FForms;
};

}  // namespace ctltest
