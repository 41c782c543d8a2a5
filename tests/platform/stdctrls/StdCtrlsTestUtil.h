#pragma once
// A fixture for the stock controls: the harness, a fresh application per test, a shown form whose font
// is the built-in test face (single-byte characters 8 pixels wide, double-byte 16, lines 13 high),
// forms freed before the harness goes, and helpers that act like a user.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/testing/TestHooks.h"
#include "tests/support/ClipboardText.h"

namespace stdtest {

namespace xt = xj::test;

constexpr int kCharW = 8;
constexpr int kWideW = 16;
constexpr int kLineH = 13;

// A closure from a lambda, for event properties.
template <class Event, class F>
Event On(F f) {
  return Event::FromCallable(std::move(f));
}

inline COLORREF Rgb(TColor c) { return static_cast<COLORREF>(ColorToRGB(c)) & 0xFFFFFF; }

using testsupport::ClipboardText;
using testsupport::SetClipboardText;

// Records what reaches a control's WindowProc and passes it on.
class TRecorder {
 public:
  explicit TRecorder(TControl* Control) : FControl(Control), FLife(Control->LifeToken()) {
    FOld = Control->WindowProc;
    Control->WindowProc = TWndMethod::FromCallable([this](TMessage& m) {
      Messages.push_back(m.Msg);
      FOld(m);
    });
  }
  ~TRecorder() {
    if (!FLife.expired()) FControl->WindowProc = FOld;
  }
  TRecorder(const TRecorder&) = delete;
  TRecorder& operator=(const TRecorder&) = delete;
  int Count(UINT Msg) const { return static_cast<int>(std::count(Messages.begin(), Messages.end(), Msg)); }
  std::vector<UINT> Messages;

 private:
  TControl* FControl;
  std::weak_ptr<const void> FLife;
  TWndMethod FOld;
};

class StdCtrlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FHarness = std::make_unique<xt::Harness>();
    delete Application;
    Application = new TApplication(nullptr);
    form = NewForm(100, 100, 400, 300);
  }
  void TearDown() override {
    for (auto it = FForms.rbegin(); it != FForms.rend(); ++it)
      if (!it->second.expired()) delete it->first;
    FForms.clear();
    delete Application;
    Application = new TApplication(nullptr);
    FHarness.reset();
  }

  // A form in the test face, freed by the fixture unless freed before.
  TForm* NewForm(int Left, int Top, int Width, int Height) {
    auto* f = new TForm(nullptr);
    f->SetBounds(Left, Top, Width, Height);
    f->Font()->SetName("Platform Test");
    f->Font()->SetHeight(13);
    f->SetColor(clBtnFace);
    FForms.emplace_back(f, f->LifeToken());
    return f;
  }

  // A control of the form at (X, Y) with the given size (0: its own).
  template <class T>
  T* Add(int X, int Y, int W = 0, int H = 0, TWinControl* Parent = nullptr) {
    auto* c = new T(form);
    c->SetParent(Parent ? Parent : form);
    c->SetBounds(X, Y, W ? W : c->Width(), H ? H : c->Height());
    return c;
  }

  void Show() {
    form->Show();
    xt::PumpUntilIdle();
  }

  // A key pressed and released through the application's loop (the key pipeline).
  static void Press(UINT Vk, unsigned Shift = xt::ssNone) {
    xt::KeyDown(Vk, Shift, false);
    xt::KeyUp(Vk, Shift, false);
    Application->ProcessMessages();
    xt::PumpUntilIdle();
  }
  // Letters, digits and blanks typed through the application's loop, so characters a control does not
  // want become dialog characters.
  static void Keys(const std::string& Ascii) {
    for (char c : Ascii) {
      const bool upper = c >= 'A' && c <= 'Z';
      const UINT vk = c >= 'a' && c <= 'z' ? UINT(c - 'a' + 'A') : UINT(c);
      xt::KeyDown(vk, upper ? xt::ssShift : xt::ssNone, false);
      xt::KeyUp(vk, upper ? xt::ssShift : xt::ssNone, false);
    }
    Application->ProcessMessages();
    xt::PumpUntilIdle();
  }
  // Any GBK text, delivered straight to the focused window (double-byte characters come as a lead and
  // a trail byte); no dialog characters.
  static void Type(const std::string& Gbk) { xt::TypeText(Gbk); }

  // Screen point of a client point of a control.
  static TPoint At(TControl* Control, int X, int Y) { return Control->ClientToScreen(TPoint(X, Y)); }
  static void ClickAt(TControl* Control, int X, int Y, xt::Button B = xt::mbLeft) {
    const TPoint p = At(Control, X, Y);
    xt::Click(p.X, p.Y, B);
    Application->ProcessMessages();
  }
  static void DoubleClickAt(TControl* Control, int X, int Y) {
    const TPoint p = At(Control, X, Y);
    xt::DoubleClick(p.X, p.Y);
    Application->ProcessMessages();
  }
  static void DownAt(TControl* Control, int X, int Y) {
    const TPoint p = At(Control, X, Y);
    xt::MouseDown(xt::mbLeft, p.X, p.Y);
  }
  static void MoveTo(TControl* Control, int X, int Y) {
    const TPoint p = At(Control, X, Y);
    xt::MouseMove(p.X, p.Y);
  }
  static void UpAt(TControl* Control, int X, int Y) {
    const TPoint p = At(Control, X, Y);
    xt::MouseUp(xt::mbLeft, p.X, p.Y);
    Application->ProcessMessages();
  }

  // A pixel of a control as shown: windowed controls read their window, windowless ones their parent's.
  static COLORREF Pixel(TControl* Control, int X, int Y) {
    if (auto* w = dynamic_cast<TWinControl*>(Control)) return xt::ReadPixel(w->Handle(), X, Y);
    return xt::ReadPixel(Control->Parent()->Handle(), Control->Left() + X, Control->Top() + Y);
  }

  // The texts drawn since the last ClearTextLog that equal Text.
  static std::vector<xt::TextRecord> Drawn(const std::string& Text) {
    std::vector<xt::TextRecord> found;
    for (const xt::TextRecord& r : xt::TextOutLog())
      if (r.text == Text) found.push_back(r);
    return found;
  }

  TForm* form {};

 private:
  std::unique_ptr<xt::Harness> FHarness;
  std::vector<std::pair<TCustomForm*, std::weak_ptr<const void>>> FForms;
};

}  // namespace stdtest
