#pragma once
// Shared by the skinned-control tests: a form on the headless screen with the generated test skin
// loaded into a skin data component it owns, pixel decoding against the skin's colour code, and gallery
// pictures of controls (build/tests/gallery/<unit>-<control>-<state>.png).

#include <string>

#include "skin/data/bsSkinData.h"
#include "tests/support/ControlsTestUtil.h"
#include "tools/mkskin/SkinColours.h"

namespace skinctl {

using namespace ctltest;

class SkinControlsTest : public ControlsTest {
 protected:
  void SetUp() override;

  // The generated test skin, loaded into a component the form owns.
  TbsSkinData* LoadTestSkin();
  // The second test skin (other sizes and owners, some records missing or without pictures), loaded
  // into the same component through the skin-change walk over the form, as the form engine switches a
  // skin: the controls forget the old skin first and re-read and resize themselves afterwards.
  TbsSkinData* LoadSecondSkin();
  // What a control shows at (x, y) of its client area (in the window it is drawn into: its form, or
  // itself when it is a popup), decoded by the skin's colour code.
  static mkskin::DecodedPixel Decode(COLORREF c);
  COLORREF Px(TControl* c, int x, int y) const;
  mkskin::DecodedPixel Code(TControl* c, int x, int y) const { return Decode(Px(c, x, y)); }
  // The owner code the loaded skin (test or second) gives the pixels of the control record named Name;
  // 0 when it has none.
  uint8_t OwnerOf(const AnsiString& Name) const;
  // Shows the form with the focus on an edit of its own (FocusHolder), so that no control under test
  // starts focused.
  void ShowUnfocused();
  TWinControl* FocusHolder();
  // A key down or up through the application's loop, where a key a control does not want becomes a
  // dialog key or character of its form; Press does both.
  static void Key(bool Down, UINT Vk, unsigned Shift = xt::ssNone);
  static void Press(UINT Vk, unsigned Shift = xt::ssNone);
  // Writes the control's window (or its parent's part under a windowless control) to the gallery.
  void Gallery(TControl* c, const std::string& unit, const std::string& state) const;

  TForm* form {};
  TbsSkinData* skin {};
  bool secondLoaded {};

 private:
  HWND Surface(TControl* c) const;
  TWinControl* holder {};
};

constexpr uint8_t RectCode(std::string_view key) { return mkskin::KeyCode(key); }

// Whether Inner lies within Outer, edges included (the skin library's RectInRect leaves out the far edges).
inline bool Within(const TRect& Inner, const TRect& Outer) {
  return Inner.Left >= Outer.Left && Inner.Top >= Outer.Top && Inner.Right <= Outer.Right &&
         Inner.Bottom <= Outer.Bottom;
}

}  // namespace skinctl
