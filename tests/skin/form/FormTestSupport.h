#pragma once
// Shared by the form engine's tests: a sizeable form taken over by the form skinning component, the
// generated test skin (or none), non-client read-back in window coordinates decoded by the skin's colour
// code, hit tests as the window manager asks them, and gallery pictures of the whole window.
#include <string>

#include "skin/form/bsSkinForm.h"
#include "tests/support/ControlsTestUtil.h"
#include "tools/mkskin/SkinColours.h"

namespace skinform {

using namespace ctltest;

class FormTest : public ControlsTest {
 protected:
  void SetUp() override;
  // A form of its own (Left, Top, W, H) with a component; the fixture's form is `form`.
  TForm* NewSkinnedForm(int Left, int Top, int W, int H, RurIvozedevUzivEred** Component);
  TbsSkinData* LoadTestSkin();
  TbsSkinData* LoadSecondSkin();
  void Show();
  // A pixel of the window, non-client area included (window coordinates).
  COLORREF Frame(int X, int Y) const { return xt::ReadPixel(form->Handle(), X, Y, true); }
  static mkskin::DecodedPixel Decode(COLORREF c);
  mkskin::DecodedPixel Code(int X, int Y) const { return Decode(Frame(X, Y)); }
  // The owner code the loaded skin gives the object record Name.
  uint8_t ObjectOwner(const AnsiString& Name) const;
  // WM_NCHITTEST at a point of the window (window coordinates), as the window manager sends it.
  int HitAt(int X, int Y) const;
  // Screen point of a window point.
  TPoint Screen(int X, int Y) const { return TPoint(form->Left() + X, form->Top() + Y); }
  // The centre of the named object's rectangle (window coordinates).
  TPoint CentreOf(const AnsiString& Name) const;
  void Gallery(const std::string& state) const;

  TForm* form {};
  RurIvozedevUzivEred* sf {};
  TbsSkinData* skin {};
  bool second {};
};

}  // namespace skinform
