// Skins whose rectangles lie outside their pictures or past any size a bitmap can have: the loader takes
// the picture away from such a record, so the control draws its built-in look at once, shows, paints and
// resizes without an error, and a record beside it keeps its skin.

#include <algorithm>
#include <filesystem>
#include <limits>

#include "platform/vcl/IniFiles.h"
#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/controls/bsSkinTabs.h"
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

// Sizes past any bitmap, set in code: a control that cannot paint is told once, not on every paint, and
// paints its skin again once smaller.
TEST_F(HostileGeometryTest, AControlTooLargeToPaintIsToldOnceAndPaintsWhenSmaller) {
  LoadTestSkin();
  auto* combo = Add<TbsSkinComboBox>("combobox", 0, 0, 32767, 32767);
  combo->Items()->Add("one");
  auto* spin = Add<TbsSkinSpinEdit>("spinedit", 10, 10, 120, 20);
  spin->SetWidth(INT_MAX);
  EXPECT_EQ(spin->Width(), 32767);
  std::vector<TObject*> told;
  Application->OnException = On<TExceptionEvent>([&](TObject* Sender, Exception*) { told.push_back(Sender); });
  ShowUnfocused();
  auto paintAll = [&] {
    for (int i = 0; i < 3; ++i) {
      for (TControl* c : { static_cast<TControl*>(combo), static_cast<TControl*>(spin) }) c->Repaint();
      RedrawWindow(form->Handle(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
      MoveTo(form, 50 + i, 50);
    }
    xt::PumpUntilIdle();
  };
  paintAll();
  EXPECT_EQ(std::count(told.begin(), told.end(), combo), 1);
  EXPECT_LE(std::count(told.begin(), told.end(), spin), 1);
  EXPECT_EQ(std::count_if(told.begin(), told.end(), [&](TObject* s) { return s != combo && s != spin; }), 0);
  const size_t before = told.size();
  combo->SetBounds(10, 190, 120, 20);
  spin->SetBounds(10, 10, 120, 20);
  paintAll();
  EXPECT_EQ(told.size(), before);
  EXPECT_GT(SkinPixels(combo, "combobox"), 0);
  EXPECT_GT(SkinPixels(spin, "spinedit"), 0);
  Application->OnException = nullptr;
}

// As the user meets it: one message box for a button no bitmap can hold, whatever is done to it, and one
// more for each new look that fails the same way.
TEST_F(HostileGeometryTest, AButtonTooLargeToPaintShowsOneBoxNotOneAPaint) {
  LoadTestSkin();
  auto* button = Add<TbsSkinButton>("button", 0, 0, 32767, 32767);
  ShowUnfocused();
  auto boxes = [] {
    const auto& records = xt::ModalRecords();
    return std::count_if(records.begin(), records.end(),
                         [](const xt::ModalRecord& r) { return r.kind == xt::ModalRecord::MessageBox; });
  };
  auto use = [&] {
    MoveTo(form, 30, 30);
    xt::Advance(500);
    ClickAt(form, 30, 30);
    button->SetFocus();
    Press(VK_SPACE);
    FocusHolder()->SetFocus();
    button->Repaint();
    xt::PumpUntilIdle();
  };
  use();
  EXPECT_EQ(boxes(), 1);
  LoadSecondSkin();
  ASSERT_EQ(button->Width(), 32767);
  use();
  EXPECT_EQ(boxes(), 2);
  // The built-in look, given in code, is a new look too.
  button->SetSkinData(nullptr);
  use();
  EXPECT_EQ(boxes(), 3);
}

// Published properties set to the ends of their type, as a form text may: each is held to what a window
// can show, and everything shows, lays out and paints with no error and no overflow.
TEST_F(HostileGeometryTest, PropertiesAtTheEndsOfTheirTypeAreHeldToAWindowsExtent) {
  constexpr int kMax = std::numeric_limits<int>::max(), kMin = std::numeric_limits<int>::min();
  LoadTestSkin();
  auto* left = Add<TbsSkinButton>("button", 10, 10, 75, 25);
  left->SetCaption("Left");
  left->SetMargin(kMax);
  left->SetSpacing(kMax);
  auto* centred = Add<TbsSkinButton>("button", 90, 10, 75, 25);
  centred->SetCaption("Centred");
  centred->SetLayout(blGlyphBottom);
  centred->SetSpacing(kMin);
  auto* rows = Add<TbsSkinListBox>("listbox", 10, 40, 120, 100);
  rows->SetRowCount(kMin);
  EXPECT_EQ(rows->Height(), 0);
  rows->SetRowCount(kMax);
  EXPECT_EQ(rows->Height(), xj::MaxWindowExtent);
  auto* columns = Add<TbsSkinListBox>("listbox", 140, 40, 120, 100);
  columns->Items()->Add("one");
  columns->SetColumns(kMax);
  auto* scroll = Add<TbsSkinScrollPanel>("panel", 10, 150, 100, 60);
  scroll->SetWidth(kMin);
  auto* header = new TbsSkinHeaderControl(form);
  header->SetParent(form);
  header->SetBorderWidth(kMax);
  auto* tabs = new TbsSkinTabControl(form);
  tabs->SetParent(form);
  tabs->SetBounds(150, 150, 200, 80);
  tabs->SetSkinData(skin);
  tabs->Tabs()->Add(std::string(64 * 1024, 'W'));
  ShowUnfocused();
  for (TControl* c : std::initializer_list<TControl*> { left, centred, rows, columns, scroll, header, tabs })
    c->Repaint();
  xt::PumpUntilIdle();
  EXPECT_EQ(left->Margin(), xj::MaxWindowExtent);
  EXPECT_EQ(left->Spacing(), xj::MaxWindowExtent);
  EXPECT_EQ(centred->Margin(), -1);
  EXPECT_EQ(centred->Spacing(), -xj::MaxWindowExtent);
  EXPECT_EQ(columns->Columns(), xj::MaxWindowExtent);
  EXPECT_EQ(scroll->Width(), 0);
  EXPECT_EQ(header->BorderWidth(), xj::MaxWindowExtent);
  // The tab's face was built: no "out of resources" box.
  EXPECT_EQ(std::count_if(xt::ModalRecords().begin(), xt::ModalRecords().end(),
                          [](const xt::ModalRecord& r) { return r.kind == xt::ModalRecord::MessageBox; }),
            0);
  // The normal range is kept as it was.
  left->SetMargin(4);
  left->SetSpacing(-3);
  EXPECT_EQ(left->Margin(), 4);
  EXPECT_EQ(left->Spacing(), -3);
  left->SetMargin(-2);
  EXPECT_EQ(left->Margin(), 4);
}
