#pragma once
// Shared by the skinned-control tests: a form on the headless screen with the generated test skin
// loaded into a skin data component it owns, pixel decoding against the skin's colour code, and gallery
// pictures of controls (build/tests/gallery/<unit>-<control>-<state>.png).

#include <string>

#include "skin/data/bsSkinData.h"
#include "tests/platform/controls/ControlsTestUtil.h"
#include "tools/mkskin/SkinColours.h"

namespace skinctl {

using namespace ctltest;

class SkinControlsTest : public ControlsTest {
 protected:
  void SetUp() override;

  // The generated test skin, loaded into a component the form owns.
  TbsSkinData* LoadTestSkin();
  // What a control shows at (x, y) of its client area, decoded by the skin's colour code.
  static mkskin::DecodedPixel Decode(COLORREF c);
  COLORREF Px(TControl* c, int x, int y) const;
  mkskin::DecodedPixel Code(TControl* c, int x, int y) const { return Decode(Px(c, x, y)); }
  // The owner code the skin gives the pixels of the control record named Name.
  uint8_t OwnerOf(const AnsiString& Name) const;
  // Writes the control's window (or its parent's part under a windowless control) to the gallery.
  void Gallery(TControl* c, const std::string& unit, const std::string& state) const;

  TForm* form {};
  TbsSkinData* skin {};
};

constexpr uint8_t RectCode(std::string_view key) { return mkskin::KeyCode(key); }

}  // namespace skinctl
