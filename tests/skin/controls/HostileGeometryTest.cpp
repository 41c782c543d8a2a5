// Skins whose rectangles lie outside their pictures or past any size a bitmap can have: the loader takes
// the picture away from such a record, so the control draws its built-in look at once, shows, paints and
// resizes without an error, and a record beside it keeps its skin.

#include <filesystem>

#include "platform/vcl/IniFiles.h"
#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"
#include "tests/support/Scratch.h"

using namespace skinctl;

namespace {

class HostileGeometryTest : public SkinControlsTest {
 protected:
  // The test skin, copied and changed by Edits ({ section, key, value }), loaded into `skin`.
  void LoadEdited(std::initializer_list<std::array<const char*, 3>> Edits) {
    std::filesystem::copy(std::string(XJ_TEST_SKIN_DIR) + "/test", dir.Path(),
                          std::filesystem::copy_options::recursive);
    {
      TMemIniFile ini(dir / "skin.ini");
      for (const auto& [section, key, value] : Edits) ini.WriteString(section, key, value);
      ini.UpdateFile();
    }
    skin = new TbsSkinData(form);
    skin->LoadFromFile(dir / "skin.ini");
  }
  int PictureOf(const char* Name) const {
    return static_cast<TbsDataSkinControl*>(skin->CtrlList->Items(skin->GetControlIndex(Name)))->PictureIndex;
  }
  // How many pixels of the control's client area carry the colour code of the record Name.
  int SkinPixels(TControl* C, const char* Name) const {
    int n = 0;
    for (int y = 0; y < C->Height(); y += 2)
      for (int x = 0; x < C->Width(); x += 2) n += Code(C, x, y).owner == OwnerOf(Name);
    return n;
  }
  template <class T>
  T* Add(const char* Name, int L, int T0, int W, int H) {
    auto* c = new T(form);
    c->SetParent(form);
    c->SetBounds(L, T0, W, H);
    c->SetSkinDataName(Name);
    c->SetSkinData(skin);
    return c;
  }

  xj::test::ScratchDir dir { "hostile-geometry" };
};

}  // namespace

TEST_F(HostileGeometryTest, ImagesOutsideTheirPictureGiveTheBuiltInLook) {
  LoadEdited({
      { "checkbox", "uncheckimagerect", "1,-3936,3393,32767" },
      { "slider", "hrulerrect", "0,0,30000,20000" },
      { "checklistbox", "checkimagerect", "5,5,40000,40000" },
      { "button", "skinrect", "0,0,2147483600,40" },
      { "label", "leftbottompoint", "2147483647,2147483647" },
      { "expanel", "clientrect", "-2147483648,-2147483648,2147483647,2147483647" },
      { "listbox", "itemrect", "1,-3936,3393,32767" },
      { "htrackbar", "skinrect", "1,-65536,100000,32768" },
  });
  for (const char* name :
       { "checkbox", "slider", "checklistbox", "button", "label", "expanel", "listbox", "htrackbar" })
    EXPECT_EQ(PictureOf(name), -1) << name;
  EXPECT_GE(PictureOf("radiobox"), 0);
  auto* check = Add<TbsSkinCheckRadioBox>("checkbox", 10, 10, 140, 25);
  auto* radio = Add<TbsSkinCheckRadioBox>("radiobox", 10, 40, 140, 25);
  radio->SetRadio(true);
  auto* slider = Add<TbsSkinSlider>("slider", 160, 10, 150, 40);
  auto* list = Add<TbsSkinCheckListBox>("checklistbox", 10, 80, 120, 100);
  list->Items()->Add("one");
  list->SetChecked(0, true);
  auto* button = Add<TbsSkinButton>("button", 160, 80, 75, 25);
  Add<TbsSkinLabel>("label", 250, 80, 60, 20);
  Add<TbsSkinExPanel>("expanel", 250, 110, 100, 80);
  auto* combo = Add<TbsSkinComboBox>("combobox", 10, 190, 120, 20);
  combo->Items()->Add("one");
  // A face larger than any picture does not size the control either.
  auto* track = Add<TbsSkinTrackBar>("htrackbar", 160, 200, 100, 20);
  EXPECT_EQ(track->BoundsRect(), TRect(160, 200, 260, 220));
  ShowUnfocused();
  // The combo box keeps its own skin; its list, whose record lost its picture, drops down plain.
  EXPECT_GT(SkinPixels(combo, "combobox"), 0);
  combo->DropDown();
  xt::PumpUntilIdle();
  combo->CloseUp(false);
  for (auto [c, name] : { std::pair<TControl*, const char*> { check, "checkbox" },
                          { slider, "slider" },
                          { list, "checklistbox" },
                          { button, "button" } })
    EXPECT_EQ(SkinPixels(c, name), 0) << name;
  EXPECT_GT(SkinPixels(radio, "radiobox"), 0);
  // Resized to the far ends and shown again: nothing raises.
  button->SetBounds(160, 80, 8000, 8000);
  button->SetBounds(160, 80, 1, 1);
  slider->SetBounds(160, 10, 8000, 40);
  RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  xt::PumpUntilIdle();
  Gallery(check, "bsSkinCtrls", "checkbox-outside-picture");
}
