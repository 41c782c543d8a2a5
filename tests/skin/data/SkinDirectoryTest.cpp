// Loading the generated test skin directory (written by an independent generator) and saving it back:
// every record of the class its keyword names, every field read from its own key (checked through the
// colour code of pictures and colour values), every picture at its index, and a saved skin whose
// sections hold exactly the keys and values the generator wrote.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "platform/vcl/IniFiles.h"
#include "skin/data/bsSkinData.h"
#include "tests/skin/data/SkinFields.h"
#include "tests/skin/data/SkinTestSupport.h"
#include "tools/mkskin/SkinColours.h"

using namespace skintest;

namespace {

// The record class each keyword names, from the skin file format.
const std::map<std::string, std::string> ObjectClassOf = {
  { "menuitem", "TbsDataSkinMenuItem" },
  { "mainmenubaritem", "TbsDataSkinMainMenuBarItem" },
  { "mainmenubarbutton", "TbsDataSkinMainMenuBarButton" },
  { "stdbutton", "TbsDataSkinStdButton" },
  { "button", "TbsDataSkinButton" },
  { "caption", "TbsDataSkinCaption" },
  { "userobject", "TbsDataUserObject" },
};

const std::map<std::string, std::string> ControlClassOf = {
  { "panel", "TbsDataSkinPanelControl" },
  { "expanel", "TbsDataSkinExPanelControl" },
  { "menubutton", "TbsDataSkinMenuButtonControl" },
  { "button", "TbsDataSkinButtonControl" },
  { "checkradio", "TbsDataSkinCheckRadioControl" },
  { "gauge", "TbsDataSkinGaugeControl" },
  { "splitter", "TbsDataSkinSplitterControl" },
  { "trackbar", "TbsDataSkinTrackBarControl" },
  { "label", "TbsDataSkinLabelControl" },
  { "stdlabel", "TbsDataSkinStdLabelControl" },
  { "updown", "TbsDataSkinUpDownControl" },
  { "grid", "TbsDataSkinGridControl" },
  { "tab", "TbsDataSkinTabControl" },
  { "mainmenubar", "TbsDataSkinMainMenuBar" },
  { "controlbar", "TbsDataSkinControlBar" },
  { "memo", "TbsDataSkinMemoControl" },
  { "edit", "TbsDataSkinEditControl" },
  { "checklistbox", "TbsDataSkinCheckListBox" },
  { "listbox", "TbsDataSkinListBox" },
  { "combobox", "TbsDataSkinComboBox" },
  { "scrollbar", "TbsDataSkinScrollBarControl" },
  { "spinedit", "TbsDataSkinSpinEditControl" },
  { "scrollbox", "TbsDataSkinScrollBoxControl" },
  { "treeview", "TbsDataSkinTreeView" },
  { "bevel", "TbsDataSkinBevel" },
  { "slider", "TbsDataSkinSlider" },
  { "listview", "TbsDataSkinListView" },
  { "richedit", "TbsDataSkinRichEdit" },
};

// A section as (key, value) pairs in file order.
using Section = std::vector<std::pair<std::string, std::string>>;

std::map<std::string, Section> Sections(const fs::path& ini) {
  TMemIniFile file(ini.string());
  TStringList names;
  file.ReadSections(&names);
  std::map<std::string, Section> out;
  for (int i = 0; i < names.Count(); ++i) {
    TStringList lines;
    file.ReadSectionValues(names.Strings(i), &lines);
    Section& s = out[LowerCase(names.Strings(i))];
    for (int j = 0; j < lines.Count(); ++j) {
      const std::string line = lines.Strings(j);
      const size_t eq = line.find('=');
      s.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
  }
  return out;
}

// 0xRRGGBB of a bitmap pixel.
uint32_t PixelAt(TBitmap* b, int x, int y) {
  const uint32_t c = static_cast<uint32_t>(static_cast<int32_t>(b->Canvas()->Pixels(x, y)));
  return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}

// True when R is painted in B as a rectangle of Owner (its corners carry the local positions of a
// rectangle's corners); Code receives the key code it was painted with.
bool PaintedBy(TBitmap* b, const TRect& r, uint8_t owner, uint8_t& code) {
  if (!b || r.Left < 0 || r.Top < 0 || r.Right > b->Width() || r.Bottom > b->Height() || r.Right <= r.Left ||
      r.Bottom <= r.Top)
    return false;
  const auto tl = mkskin::DecodePixel(PixelAt(b, r.Left, r.Top));
  const auto br = mkskin::DecodePixel(PixelAt(b, r.Right - 1, r.Bottom - 1));
  if (tl.owner != owner || tl.localX != 0 || tl.localY != 0) return false;
  if (br.owner != owner || br.code != tl.code || br.localX != (r.Right - r.Left - 1) % 16 ||
      br.localY != (r.Bottom - r.Top - 1) % 16)
    return false;
  code = tl.code;
  return true;
}

TBitmap* ActivePicture(TbsSkinData& d, int index) {
  return index >= 0 && index < d.ActivePictures->Count() ? static_cast<TBitmap*>(d.ActivePictures->Items(index))
                                                         : nullptr;
}

class GeneratedSkin : public testing::Test {
 protected:
  void SetUp() override { data.LoadFromFile(kTestSkinIni.string()); }

  // Checks every rectangle and colour field of Record against the colour code; returns how many
  // rectangles were found painted.
  int CheckFields(TObject* record, uint8_t owner, std::initializer_list<TBitmap*> pictures) {
    int painted = 0;
    for (const RectField& f : RectFields()) {
      const auto rect = f.get(record);
      if (!rect) continue;
      for (TBitmap* b : pictures) {
        uint8_t code = 0;
        if (!PaintedBy(b, *rect, owner, code)) continue;
        EXPECT_EQ(mkskin::KeyOfCode(code), f.key) << record->ClassName() << " field for \"" << f.key << "\"";
        ++painted;
        break;
      }
    }
    for (const ColourField& f : ColourFields()) {
      const auto value = f.get(record);
      if (!value) continue;
      EXPECT_EQ(*value, mkskin::ColourValue(owner, mkskin::KeyCode(f.key)))
          << record->ClassName() << " field for \"" << f.key << "\"";
    }
    return painted;
  }

  TbsSkinData data { nullptr };
};

TEST_F(GeneratedSkin, EveryRecordHasTheClassItsKeywordNames) {
  ASSERT_FALSE(data.Empty);
  const auto ini = Sections(kTestSkinIni);
  const Section& objects = ini.at("skinobjects");
  const Section& controls = ini.at("skincontrols");
  ASSERT_EQ(data.ObjectList->Count() + 1, static_cast<int>(objects.size()));  // and "count"
  ASSERT_EQ(data.CtrlList->Count() + 1, static_cast<int>(controls.size()));
  for (int i = 0; i < data.ObjectList->Count(); ++i) {
    const std::string entry = objects[i + 1].second;
    auto* r = static_cast<TbsDataSkinObject*>(data.ObjectList->Items(i));
    EXPECT_EQ(r->IDName + ":", entry.substr(0, entry.find(':') + 1));
    EXPECT_EQ(r->ClassName(), ObjectClassOf.at(entry.substr(entry.find(':') + 1))) << entry;
  }
  std::set<std::string> classes;
  for (int i = 0; i < data.CtrlList->Count(); ++i) {
    const std::string entry = controls[i + 1].second;
    auto* r = static_cast<TbsDataSkinControl*>(data.CtrlList->Items(i));
    EXPECT_EQ(r->IDName + ":", entry.substr(0, entry.find(':') + 1));
    EXPECT_EQ(r->ClassName(), ControlClassOf.at(entry.substr(entry.find(':') + 1))) << entry;
    classes.insert(r->ClassName());
  }
  EXPECT_EQ(classes.size(), ControlClassOf.size());  // the skin has every control class

  // A subclass serves its parent's controls, siblings do not serve each other.
  auto* memo = static_cast<TObject*>(data.CtrlList->Items(data.GetControlIndex("memo")));
  EXPECT_TRUE(memo->Is<TbsDataSkinEditControl>());
  EXPECT_TRUE(memo->Is<TbsDataSkinCustomControl>());
  auto* tree = static_cast<TObject*>(data.CtrlList->Items(data.GetControlIndex("treeview")));
  EXPECT_FALSE(tree->Is<TbsDataSkinListView>());
  EXPECT_FALSE(tree->Is<TbsDataSkinCustomControl>());
  auto* tab = static_cast<TObject*>(data.CtrlList->Items(data.GetControlIndex("tab")));
  EXPECT_FALSE(tab->Is<TbsDataSkinCustomControl>());
}

TEST_F(GeneratedSkin, EveryFieldComesFromItsOwnKey) {
  int painted = 0;
  for (int i = 0; i < data.ObjectList->Count(); ++i) {
    auto* r = static_cast<TbsDataSkinObject*>(data.ObjectList->Items(i));
    painted +=
        CheckFields(r, mkskin::ObjectOwner(i), { data.Picture.get(), ActivePicture(data, r->ActivePictureIndex) });
  }
  for (int i = 0; i < data.CtrlList->Count(); ++i) {
    auto* r = static_cast<TbsDataSkinControl*>(data.CtrlList->Items(i));
    painted += CheckFields(r, mkskin::ControlOwner(i), { ActivePicture(data, r->PictureIndex) });
  }
  // Every face and image rectangle of the skin (relative positions inside faces are not painted).
  EXPECT_GE(painted, 290);

  auto* popupPicture = ActivePicture(data, data.PopupWindow->WindowPictureIndex);
  ASSERT_NE(popupPicture, nullptr);
  EXPECT_EQ(mkskin::DecodePixel(PixelAt(popupPicture, 0, 0)).owner, mkskin::kOwnerPopupWindow);
  EXPECT_EQ(data.PopupWindow->ScrollMarkerColor,
            mkskin::ColourValue(mkskin::kOwnerPopupWindow, mkskin::KeyCode("scrollmarkercolor")));
  EXPECT_EQ(data.PopupWindow->ScrollMarkerActiveColor,
            mkskin::ColourValue(mkskin::kOwnerPopupWindow, mkskin::KeyCode("scrollmarkeractivecolor")));
  EXPECT_EQ(data.HintWindow->FontColor, mkskin::ColourValue(mkskin::kOwnerHintWindow, mkskin::KeyCode("fontcolor")));
}

TEST_F(GeneratedSkin, PicturesAtTheirIndexes) {
  ASSERT_EQ(data.ActivePictures->Count(), 9);
  ASSERT_EQ(data.ActivePictureNames->Count(), 9);
  EXPECT_EQ(data.ActivePictureNames->Strings(6), "sub\\bg.bmp");    // as written, found as sub/BG.bmp
  EXPECT_EQ(data.ActivePictureNames->Strings(2), "popupmask.bmp");  // on disk: PopupMask.bmp
  EXPECT_EQ(data.PictureName, "frame.bmp");
  EXPECT_EQ(data.MaskName, "mask.bmp");

  // The frame: its top-left band, the inactive twin (8 bits), and the mask (1 bit): black inside.
  ASSERT_EQ(data.Picture->Width(), 240);
  ASSERT_EQ(data.Picture->Height(), 120);
  const auto corner = mkskin::DecodePixel(PixelAt(data.Picture.get(), 0, 0));
  EXPECT_EQ(corner.owner, mkskin::kOwnerFrame);
  EXPECT_EQ(corner.code, mkskin::kFrameTopLeft);
  EXPECT_EQ(mkskin::DecodePixel(PixelAt(data.InActivePicture.get(), 0, 0)).owner, mkskin::kOwnerInactiveFrame);
  EXPECT_EQ(PixelAt(data.Mask.get(), 120, 60), 0x000000u);
  EXPECT_EQ(PixelAt(data.Mask.get(), 0, 0), 0xFFFFFFu);

  // Each window picture, mask and the tile at the index the skin gives it.
  const auto popup = mkskin::DecodePixel(PixelAt(ActivePicture(data, 1), 0, 0));
  EXPECT_EQ(popup.owner, mkskin::kOwnerPopupWindow);
  EXPECT_EQ(popup.code, mkskin::kSliceLeftTop);
  EXPECT_EQ(PixelAt(ActivePicture(data, 2), 32, 32), 0x000000u);
  const auto hint = mkskin::DecodePixel(PixelAt(ActivePicture(data, 3), 47, 31));  // a top-down file
  EXPECT_EQ(hint.owner, mkskin::kOwnerHintWindow);
  EXPECT_EQ(hint.code, mkskin::kSliceRightBottom);
  const auto tile = mkskin::DecodePixel(PixelAt(ActivePicture(data, 6), 3, 5));
  EXPECT_EQ(tile.owner, mkskin::kOwnerTile);
  EXPECT_EQ(tile.localX, 3);
  EXPECT_EQ(tile.localY, 5);
  EXPECT_EQ(data.BGPictureIndex, 6);
}

TEST_F(GeneratedSkin, GlobalValuesAsWritten) {
  EXPECT_EQ(data.SkinName, "Generated Test Skin");
  EXPECT_EQ(data.SkinComments, "测试皮肤：颜色编码");
  EXPECT_EQ(data.AuthorURL, "file://localhost/");
  EXPECT_EQ(data.ClRect, TRect(6, 28, 234, 98));
  EXPECT_EQ(data.LTPoint, TPoint(40, 40));
  EXPECT_EQ(data.RBPoint, TPoint(140, 90));
  EXPECT_EQ(data.MaskRectArea, TRect(4, 4, 236, 116));
  EXPECT_EQ(data.HitTestRTPoint, TPoint(232, 8));
  EXPECT_EQ(data.ButtonsRect, TRect(144, 4, 236, 24));
  EXPECT_EQ(data.BorderWidth, 4);
  EXPECT_EQ(data.InActiveEffect, ieGrayScale);
  EXPECT_EQ(data.HintWindow->FontName, "Tahoma");
  EXPECT_EQ(data.HintWindow->FontHeight, 13);
  EXPECT_EQ(data.HintWindow->FontStyle, TFontStyles { fsItalic });
  EXPECT_EQ(data.HintWindow->ClRect, TRect(4, 4, 44, 28));
  EXPECT_EQ(data.PopupWindow->MaskPictureIndex, 2);

  auto* close = static_cast<TbsDataSkinStdButton*>(data.ObjectList->Items(data.GetIndex("close")));
  EXPECT_EQ(close->Command, cmClose);
  EXPECT_TRUE(close->Morphing);
  EXPECT_EQ(close->MorphKind, mkGradient);
  EXPECT_EQ(close->Hint, "关闭");
  auto* roll = static_cast<TbsDataSkinStdButton*>(data.ObjectList->Items(data.GetIndex("roll")));
  EXPECT_EQ(roll->Command, cmRollUp);
  auto* caption = static_cast<TbsDataSkinCaption*>(data.ObjectList->Items(data.GetIndex("caption")));
  EXPECT_EQ(caption->Alignment, taLeftJustify);
  EXPECT_TRUE(caption->Shadow);
  EXPECT_EQ(caption->FontName, "宋体");
  auto* list = static_cast<TbsDataSkinListBox*>(data.CtrlList->Items(data.GetControlIndex("listbox")));
  EXPECT_EQ(list->CaptionFontName, "Tahoma");
  EXPECT_EQ(list->CaptionFontStyle, TFontStyles { fsBold });
  EXPECT_EQ(list->CaptionFontHeight, 13);
  EXPECT_EQ(list->BothHScrollBarName, "bothhscrollbar");
  auto* combo = static_cast<TbsDataSkinComboBox*>(data.CtrlList->Items(data.GetControlIndex("combobox")));
  EXPECT_EQ(combo->ListBoxName, "listbox");
  auto* bar = static_cast<TbsDataSkinMainMenuBar*>(data.CtrlList->Items(data.GetControlIndex("mainmenubar")));
  EXPECT_EQ(bar->MenuBarItem, "menubaritem");
  EXPECT_EQ(bar->SysMenuButton, "mdisys");
  EXPECT_TRUE(data.GetIndex(bar->CloseButton) >= 0);
  auto* vgauge = static_cast<TbsDataSkinGaugeControl*>(data.CtrlList->Items(data.GetControlIndex("vgauge")));
  EXPECT_TRUE(vgauge->Vertical);
  auto* tool = static_cast<TbsDataSkinPanelControl*>(data.CtrlList->Items(data.GetControlIndex("toolpanel")));
  EXPECT_EQ(tool->BGPictureIndex, 6);
  auto* up = static_cast<TbsDataSkinUpDownControl*>(data.CtrlList->Items(data.GetControlIndex("hupdown")));
  EXPECT_EQ(up->ClRect, TRect(0, 0, 0, 0));
  auto* button = static_cast<TbsDataSkinButtonControl*>(data.CtrlList->Items(data.GetControlIndex("button")));
  EXPECT_EQ(button->MaskPictureIndex, 8);
  EXPECT_EQ(button->LTPoint, TPoint(6, 6));
  EXPECT_EQ(button->ClRect, TRect(6, 6, 58, 18));
}

TEST_F(GeneratedSkin, SavedSkinHoldsExactlyWhatWasRead) {
  TempDir dir;
  CopyTestSkin(dir.Path());  // the pictures next to the saved file
  const fs::path saved = dir / "saved.ini";
  data.SaveToFile(saved.string());
  auto theirs = Sections(kTestSkinIni);
  auto ours = Sections(saved);
  // Every section the generator wrote, with the same keys in the same order and the same values. The
  // saver writes the mixed-case "unenabledfontColor" key as the generator does.
  EXPECT_EQ(ours.size(), theirs.size());
  for (const auto& [name, keys] : theirs) {
    ASSERT_TRUE(ours.count(name)) << "[" << name << "] is missing";
    EXPECT_EQ(ours[name], keys) << "[" << name << "]";
  }
  // Saving what the saved file loads gives the same bytes again.
  TbsSkinData again(nullptr);
  again.LoadFromFile(saved.string());
  EXPECT_FALSE(again.Empty);
  again.SaveToFile((dir / "again.ini").string());
  EXPECT_EQ(ReadBytes(dir / "again.ini"), ReadBytes(saved));
}

TEST_F(GeneratedSkin, ASkinFileWithAUtf8ByteOrderMarkIsReadAsUtf8) {
  TempDir dir;
  const fs::path ini = CopyTestSkin(dir.Path());
  const std::string name = reinterpret_cast<const char*>(u8"余烬");
  std::string text = ReadBytes(ini);
  const size_t version = text.find("[VERSION]\r\n");
  ASSERT_NE(version, std::string::npos);
  text.insert(version + 11, "skinname=" + name + "\r\n");  // the first of two keys wins
  WriteBytes(ini, "\xEF\xBB\xBF" + text);
  TbsSkinData marked(nullptr);
  marked.LoadFromFile(ini.string());
  ASSERT_FALSE(marked.Empty) << marked.LastError();
  EXPECT_EQ(marked.SkinName, "余烬");
  EXPECT_EQ(marked.CtrlList->Count(), data.CtrlList->Count());
  // Without the mark the same bytes are GBK.
  WriteBytes(ini, text);
  TbsSkinData plain(nullptr);
  plain.LoadFromFile(ini.string());
  EXPECT_EQ(plain.SkinName, name);
}

TEST_F(GeneratedSkin, SavingKeepsForeignSectionsAndDropsForeignKeys) {
  TempDir dir;
  const fs::path file = dir / "skin.ini";
  WriteBytes(file, "[MYAPP]\r\nsetting=1\r\n[button]\r\nstray=9\r\n[VERSION]\r\nold=1\r\n");
  data.SaveToFile(file.string());
  TMemIniFile ini(file.string());
  EXPECT_EQ(ini.ReadString("MYAPP", "setting", ""), "1");
  EXPECT_EQ(ini.ReadString("button", "stray", "gone"), "gone");
  EXPECT_EQ(ini.ReadString("VERSION", "old", "gone"), "gone");
  EXPECT_EQ(ini.ReadString("VERSION", "ver", ""), "1");
  EXPECT_EQ(ini.ReadString("button", "morphkind", ""), "mkgradient");
}

TEST_F(GeneratedSkin, LookupsAreExactAndFirstMatch) {
  EXPECT_EQ(data.GetControlIndex("button"), 0);
  EXPECT_EQ(data.GetControlIndex("Button"), -1);
  EXPECT_EQ(data.GetIndex("button"), -1);  // the object list has no record of that name
  EXPECT_EQ(data.GetIndex("help"), 6);
  TbsSkinData fresh(nullptr);
  EXPECT_EQ(fresh.GetIndex("caption"), -1);
  EXPECT_EQ(fresh.GetControlIndex("button"), -1);
  EXPECT_TRUE(fresh.Empty);
}

}  // namespace
