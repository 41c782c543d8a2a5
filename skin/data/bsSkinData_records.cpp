// The skin records: each class's section as a key table, the one reader and writer of such tables, and
// the enumeration codecs.

#include <iterator>

#include "platform/vcl/IniFiles.h"
#include "skin/data/bsSkinDataPrivate.h"
#include "skin/data/bsUtils.h"

using namespace xj::skin;

namespace {

template <class E, size_t N>
E ReadWord(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, const char* const (&Words)[N],
           E Default) {
  const AnsiString text = IniFile->ReadString(Section, Ident, Words[Default]);
  for (size_t i = 0; i < N; ++i)
    if (text == Words[i]) return static_cast<E>(i);
  // Text no writer produces (a capital letter, a typo) keeps the default rather than picking a value.
  return Default;
}

const char* const MorphWords[] = { "mkdefault",   "mkgradient",   "mkleftgradient", "mkrightgradient",
                                   "mkleftslide", "mkrightslide", "mkpush" };
const char* const CommandWords[] = { "cmclose", "cmmaximize", "cmminimize", "cmsysmenu", "cmdefault", "cmrollup" };
const char* const EffectWords[] = { "iebrightness", "iedarkness", "iegrayscale", "ienoise", "iesplitblur", "ieinvert" };

}  // namespace

TbsMorphKind ReadMorphKind(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident) {
  return ReadWord(IniFile, Section, Ident, MorphWords, mkDefault);
}

void WriteMorphKind(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, TbsMorphKind Value) {
  IniFile->WriteString(Section, Ident, MorphWords[Value < std::size(MorphWords) ? Value : mkDefault]);
}

TbsInActiveEffect ReadInActiveEffect(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident) {
  return ReadWord(IniFile, Section, Ident, EffectWords, ieBrightness);
}

void WriteInActiveEffect(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident,
                         TbsInActiveEffect Value) {
  IniFile->WriteString(Section, Ident, EffectWords[Value < std::size(EffectWords) ? Value : ieBrightness]);
}

// ---- Key tables -----------------------------------------------------------------------------------------

namespace xj::skin {

void ReadKeys(TCustomIniFile* IniFile, const AnsiString& Section, TObject* Record, const TSkinKeys& Keys) {
  for (const TSkinKey& k : Keys) {
    void* field = k.Field(Record);
    switch (k.Kind) {
      case kkInteger:
        *static_cast<int*>(field) = IniFile->ReadInteger(Section, k.Key, k.IntDefault);
        break;
      case kkColour:
        *static_cast<TColor*>(field) = IniFile->ReadInteger(Section, k.Key, k.IntDefault);
        break;
      case kkRect:
        *static_cast<TRect*>(field) = ReadRect(IniFile, Section, k.Key);
        break;
      case kkPoint:
        *static_cast<TPoint*>(field) = ReadPoint(IniFile, Section, k.Key);
        break;
      case kkBoolean:
        *static_cast<bool*>(field) = ReadBoolean(IniFile, Section, k.Key);
        break;
      case kkString:
        *static_cast<AnsiString*>(field) = IniFile->ReadString(Section, k.Key, k.StrDefault);
        break;
      case kkFontStyles:
        *static_cast<TFontStyles*>(field) = ReadFontStyles(IniFile, Section, k.Key);
        break;
      case kkAlignment:
        *static_cast<TAlignment*>(field) = ReadAlignment(IniFile, Section, k.Key);
        break;
      case kkMorphKind:
        *static_cast<TbsMorphKind*>(field) = ReadMorphKind(IniFile, Section, k.Key);
        break;
      case kkStdCommand:
        *static_cast<TbsStdCommand*>(field) = ReadWord(IniFile, Section, k.Key, CommandWords, cmDefault);
        break;
      case kkInActiveEffect:
        *static_cast<TbsInActiveEffect*>(field) = ReadInActiveEffect(IniFile, Section, k.Key);
        break;
    }
  }
}

void WriteKeys(TCustomIniFile* IniFile, const AnsiString& Section, TObject* Record, const TSkinKeys& Keys) {
  for (const TSkinKey& k : Keys) {
    void* field = k.Field(Record);
    switch (k.Kind) {
      case kkInteger:
        IniFile->WriteInteger(Section, k.Key, *static_cast<int*>(field));
        break;
      case kkColour:
        IniFile->WriteInteger(Section, k.Key, *static_cast<TColor*>(field));
        break;
      case kkRect:
        WriteRect(IniFile, Section, k.Key, *static_cast<TRect*>(field));
        break;
      case kkPoint:
        WritePoint(IniFile, Section, k.Key, *static_cast<TPoint*>(field));
        break;
      case kkBoolean:
        WriteBoolean(IniFile, Section, k.Key, *static_cast<bool*>(field));
        break;
      case kkString:
        IniFile->WriteString(Section, k.Key, *static_cast<AnsiString*>(field));
        break;
      case kkFontStyles:
        WriteFontStyles(IniFile, Section, k.Key, *static_cast<TFontStyles*>(field));
        break;
      case kkAlignment:
        WriteAlignment(IniFile, Section, k.Key, *static_cast<TAlignment*>(field));
        break;
      case kkMorphKind:
        WriteMorphKind(IniFile, Section, k.Key, *static_cast<TbsMorphKind*>(field));
        break;
      case kkStdCommand: {
        const auto command = *static_cast<TbsStdCommand*>(field);
        IniFile->WriteString(Section, k.Key, CommandWords[command < std::size(CommandWords) ? command : cmDefault]);
        break;
      }
      case kkInActiveEffect:
        WriteInActiveEffect(IniFile, Section, k.Key, *static_cast<TbsInActiveEffect*>(field));
        break;
    }
  }
}

}  // namespace xj::skin

// Load and save of a record class: its parent's keys first, then its own table (a class whose keys are
// written in another order than they are read has two tables).
#define XJ_SKIN_RECORD_RW(T, Parent, ReadTable, WriteTable) \
  void T::LoadFromFile(TCustomIniFile* IniFile) {           \
    Parent::LoadFromFile(IniFile);                          \
    ReadKeys(IniFile, IDName, this, ReadTable());           \
  }                                                         \
  void T::SaveToFile(TCustomIniFile* IniFile) {             \
    Parent::SaveToFile(IniFile);                            \
    WriteKeys(IniFile, IDName, this, WriteTable());         \
  }
#define XJ_SKIN_RECORD(T, Parent, Table) XJ_SKIN_RECORD_RW(T, Parent, Table, Table)

// ---- Skin object records --------------------------------------------------------------------------------

namespace {

const TSkinKeys& ObjectKeys() {
  using T = TbsDataSkinObject;
  static const TSkinKeys keys = Keys(Str<&T::Hint>("hint"), Int<&T::ActivePictureIndex>("activepictureindex", -1),
                                     Bool<&T::SkinRectInAPicture>("skinrectinapicture"), Rect<&T::SkinRect>("skinrect"),
                                     Rect<&T::ActiveSkinRect>("activeskinrect"), Bool<&T::Morphing>("morphing"),
                                     Morph<&T::MorphKind>("morphkind"));
  return keys;
}

const TSkinKeys& UserObjectKeys() {
  using T = TbsDataSkinObject;
  static const TSkinKeys keys = Keys(Rect<&T::SkinRect>("skinrect"));
  return keys;
}

const TSkinKeys& ButtonKeys() {
  using T = TbsDataSkinButton;
  static const TSkinKeys keys = Keys(Rect<&T::DownRect>("downrect"), Rect<&T::DisableSkinRect>("disableskinrsect"));
  return keys;
}

const TSkinKeys& StdButtonKeys() {
  using T = TbsDataSkinStdButton;
  static const TSkinKeys keys =
      Keys(Command<&T::Command>("command"), Rect<&T::RestoreRect>("restorerect"),
           Rect<&T::RestoreActiveRect>("restoreactiverect"), Rect<&T::RestoreDownRect>("restoredownrect"),
           Rect<&T::RestoreInActiveRect>("restoreinactiverect"));
  return keys;
}

const TSkinKeys& MenuItemKeys() {
  using T = TbsDataSkinMenuItem;
  static const TSkinKeys keys =
      Keys(Int<&T::ItemLeftOffset>("itemleftoffset"), Int<&T::ItemRightOffset>("itemrightoffset"),
           Rect<&T::DividerRect>("dividerrect"), Int<&T::DividerLeftOffset>("dividerleftoffset"),
           Int<&T::DividerRightOffset>("dividerrightoffset"), Rect<&T::TextRect>("textrect"), XJ_SKIN_FONT(T),
           Colour<&T::ActiveFontColor>("activefontcolor"), Colour<&T::UnenabledFontColor>("unenabledfontcolor"));
  return keys;
}

const TSkinKeys& MainMenuItemKeys() {
  using T = TbsDataSkinMainMenuItem;
  static const TSkinKeys keys =
      Keys(Int<&T::ItemLeftOffset>("itemleftoffset"), Int<&T::ItemRightOffset>("itemrightoffset"),
           Rect<&T::DownRect>("downrect"), Rect<&T::TextRect>("textrect"), XJ_SKIN_FONT(T),
           Colour<&T::ActiveFontColor>("activefontcolor"), Colour<&T::DownFontColor>("downfontcolor"),
           Colour<&T::UnenabledFontColor>("unenabledfontColor"));
  return keys;
}

const TSkinKeys& CaptionKeys() {
  using T = TbsDataSkinCaption;
  static const TSkinKeys keys =
      Keys(Rect<&T::TextRect>("textrect"), XJ_SKIN_FONT(T), Colour<&T::ActiveFontColor>("activefontcolor"),
           Align<&T::Alignment>("alignment"), Bool<&T::Shadow>("shadow"), Colour<&T::ShadowColor>("shadowcolor"),
           Colour<&T::ActiveShadowColor>("activeshadowcolor"), Rect<&T::FrameRect>("framerect"),
           Rect<&T::ActiveFrameRect>("activeframerect"), Rect<&T::FrameTextRect>("frametextrect"),
           Int<&T::FrameLeftOffset>("frameleftoffset"), Int<&T::FrameRightOffset>("framerightoffset"));
  return keys;
}

const TSkinKeys& PopupWindowKeys() {
  using T = TbsDataSkinPopupWindow;
  static const TSkinKeys keys =
      Keys(Int<&T::WindowPictureIndex>("windowpictureindex", -1), Int<&T::MaskPictureIndex>("maskpictureindex", -1),
           Point<&T::LTPoint>("lefttoppoint"), Point<&T::RTPoint>("righttoppoint"),
           Point<&T::LBPoint>("leftbottompoint"), Point<&T::RBPoint>("rightbottompoint"),
           Rect<&T::ItemsRect>("itemsrect"), Colour<&T::ScrollMarkerColor>("scrollmarkercolor"),
           Colour<&T::ScrollMarkerActiveColor>("scrollmarkeractivecolor"));
  return keys;
}

const TSkinKeys& HintWindowKeys() {
  using T = TbsDataSkinHintWindow;
  static const TSkinKeys keys = Keys(
      Int<&T::WindowPictureIndex>("windowpictureindex", -1), Int<&T::MaskPictureIndex>("maskpictureindex", -1),
      Point<&T::LTPoint>("lefttoppoint"), Point<&T::RTPoint>("righttoppoint"), Point<&T::LBPoint>("leftbottompoint"),
      Point<&T::RBPoint>("rightbottompoint"), Rect<&T::ClRect>("clientrect"), XJ_SKIN_FONT(T));
  return keys;
}

}  // namespace

void TbsDataSkinObject::LoadFromFile(TCustomIniFile* IniFile) { ReadKeys(IniFile, IDName, this, ObjectKeys()); }

void TbsDataSkinObject::SaveToFile(TCustomIniFile* IniFile) {
  IniFile->EraseSection(IDName);
  WriteKeys(IniFile, IDName, this, ObjectKeys());
}

void TbsDataUserObject::LoadFromFile(TCustomIniFile* IniFile) { ReadKeys(IniFile, IDName, this, UserObjectKeys()); }

void TbsDataUserObject::SaveToFile(TCustomIniFile* IniFile) {
  IniFile->EraseSection(IDName);
  WriteKeys(IniFile, IDName, this, UserObjectKeys());
}

XJ_SKIN_RECORD(TbsDataSkinButton, TbsDataSkinObject, ButtonKeys)
XJ_SKIN_RECORD(TbsDataSkinStdButton, TbsDataSkinButton, StdButtonKeys)
XJ_SKIN_RECORD(TbsDataSkinMenuItem, TbsDataSkinObject, MenuItemKeys)
XJ_SKIN_RECORD(TbsDataSkinMainMenuItem, TbsDataSkinObject, MainMenuItemKeys)
XJ_SKIN_RECORD(TbsDataSkinCaption, TbsDataSkinObject, CaptionKeys)

void TbsDataSkinPopupWindow::LoadFromFile(TCustomIniFile* IniFile) {
  ReadKeys(IniFile, "POPUPWINDOW", this, PopupWindowKeys());
}

void TbsDataSkinPopupWindow::SaveToFile(TCustomIniFile* IniFile) {
  WriteKeys(IniFile, "POPUPWINDOW", this, PopupWindowKeys());
}

void TbsDataSkinHintWindow::LoadFromFile(TCustomIniFile* IniFile) {
  ReadKeys(IniFile, "HINTWINDOW", this, HintWindowKeys());
}

void TbsDataSkinHintWindow::SaveToFile(TCustomIniFile* IniFile) {
  WriteKeys(IniFile, "HINTWINDOW", this, HintWindowKeys());
}

// ---- Control records: base and simple -------------------------------------------------------------------

namespace {

const TSkinKeys& ControlKeys() {
  using T = TbsDataSkinControl;
  static const TSkinKeys keys = Keys(Int<&T::PictureIndex>("pictureindex", -1),
                                     Int<&T::MaskPictureIndex>("maskpictureindex", -1), Rect<&T::SkinRect>("skinrect"));
  return keys;
}

const TSkinKeys& BevelKeys() {
  using T = TbsDataSkinBevel;
  static const TSkinKeys keys = Keys(Colour<&T::LightColor>("lightcolor"), Colour<&T::DarkColor>("darkcolor"));
  return keys;
}

template <class T>
const TSkinKeys& ViewKeys() {
  static const TSkinKeys keys = Keys(XJ_SKIN_FONT(T), Colour<&T::BGColor>("bgcolor"));
  return keys;
}

const TSkinKeys& StdLabelKeys() {
  using T = TbsDataSkinStdLabelControl;
  static const TSkinKeys keys = Keys(XJ_SKIN_FONT(T), Colour<&T::ActiveFontColor>("activefontcolor", 0xFF0000));
  return keys;
}

const TSkinKeys& SliderKeys() {
  using T = TbsDataSkinSlider;
  static const TSkinKeys keys =
      Keys(Colour<&T::BGColor>("bgcolor"), Rect<&T::HRulerRect>("hrulerrect"), Rect<&T::HThumbRect>("hthumbrect"),
           Rect<&T::VRulerRect>("vrulerrect"), Rect<&T::VThumbRect>("vthumbrect"), Int<&T::EdgeSize>("edgesize"),
           Colour<&T::PointsColor>("pointscolor"));
  return keys;
}

const TSkinKeys& MainMenuBarKeys() {
  using T = TbsDataSkinMainMenuBar;
  static const TSkinKeys keys =
      Keys(Rect<&T::ItemsRect>("itemsrect"), Str<&T::MenuBarItem>("menubaritem"), Str<&T::CloseButton>("closebutton"),
           Str<&T::MinButton>("minbutton"), Str<&T::MaxButton>("maxbutton"), Str<&T::SysMenuButton>("sysmenubutton"),
           Colour<&T::TrackMarkColor>("trackmarkcolor"), Colour<&T::TrackMarkActiveColor>("trackmarkactivecolor"));
  return keys;
}

const TSkinKeys& TabKeys() {
  using T = TbsDataSkinTabControl;
  static const TSkinKeys keys = Keys(
      Rect<&T::TabRect>("tabrect"), Rect<&T::ActiveTabRect>("activetabrect"), Rect<&T::FocusTabRect>("focustabrect"),
      Rect<&T::MouseInTabRect>("mouseintabrect"), Rect<&T::ClRect>("clientrect"),
      Int<&T::BGPictureIndex>("bgpictureindex", -1), Point<&T::LTPoint>("lefttoppoint"),
      Point<&T::RTPoint>("righttoppoint"), Point<&T::LBPoint>("leftbottompoint"),
      Point<&T::RBPoint>("rightbottompoint"), Int<&T::TabLeftOffset>("tableftoffset"),
      Int<&T::TabRightOffset>("tabrightoffset"), Rect<&T::TabsBGRect>("tabsbgrect"), XJ_SKIN_FONT(T),
      Colour<&T::ActiveFontColor>("activefontcolor"), Colour<&T::FocusFontColor>("focusfontcolor"),
      Colour<&T::MouseInFontColor>("mouseinfontcolor"), Str<&T::UpDown>("updown"));
  return keys;
}

const TSkinKeys& GridKeys() {
  using T = TbsDataSkinGridControl;
  static const TSkinKeys keys =
      Keys(Rect<&T::FixedCellRect>("fixedcellrect"), Rect<&T::SelectCellRect>("selectcellrect"),
           Rect<&T::FocusCellRect>("focuscellrect"), Int<&T::FixedCellLeftOffset>("fixedcellleftoffset"),
           Int<&T::FixedCellRightOffset>("fixedcellrightoffset"), Rect<&T::FixedCellTextRect>("fixedcelltextrect"),
           Int<&T::CellLeftOffset>("cellleftoffset"), Int<&T::CellRightOffset>("cellrightoffset"),
           Rect<&T::CellTextRect>("celltextrect"), Colour<&T::LinesColor>("linescolor"), Colour<&T::BGColor>("bgcolor"),
           XJ_SKIN_FONT(T), Colour<&T::SelectFontColor>("selectfontcolor"),
           Colour<&T::FocusFontColor>("focusfontcolor"), XJ_SKIN_PREFIXED_FONT(T, Fixed, "fixed"));
  return keys;
}

}  // namespace

void TbsDataSkinControl::LoadFromFile(TCustomIniFile* IniFile) { ReadKeys(IniFile, IDName, this, ControlKeys()); }

void TbsDataSkinControl::SaveToFile(TCustomIniFile* IniFile) {
  IniFile->EraseSection(IDName);
  WriteKeys(IniFile, IDName, this, ControlKeys());
}

XJ_SKIN_RECORD(TbsDataSkinBevel, TbsDataSkinControl, BevelKeys)
XJ_SKIN_RECORD(TbsDataSkinTreeView, TbsDataSkinControl, ViewKeys<TbsDataSkinTreeView>)
XJ_SKIN_RECORD(TbsDataSkinListView, TbsDataSkinControl, ViewKeys<TbsDataSkinListView>)
XJ_SKIN_RECORD(TbsDataSkinRichEdit, TbsDataSkinControl, ViewKeys<TbsDataSkinRichEdit>)
XJ_SKIN_RECORD(TbsDataSkinStdLabelControl, TbsDataSkinControl, StdLabelKeys)
XJ_SKIN_RECORD(TbsDataSkinSlider, TbsDataSkinControl, SliderKeys)
XJ_SKIN_RECORD(TbsDataSkinMainMenuBar, TbsDataSkinControl, MainMenuBarKeys)
XJ_SKIN_RECORD(TbsDataSkinTabControl, TbsDataSkinControl, TabKeys)
XJ_SKIN_RECORD(TbsDataSkinGridControl, TbsDataSkinControl, GridKeys)

// ---- Control records: custom controls -------------------------------------------------------------------

namespace {

const TSkinKeys& CustomControlKeys() {
  using T = TbsDataSkinCustomControl;
  static const TSkinKeys keys = Keys(Point<&T::LTPoint>("lefttoppoint"), Point<&T::RTPoint>("righttoppoint"),
                                     Point<&T::LBPoint>("leftbottompoint"), Point<&T::RBPoint>("rightbottompoint"),
                                     Rect<&T::ClRect>("clientrect"));
  return keys;
}

const TSkinKeys& ControlBarKeys() {
  using T = TbsDataSkinControlBar;
  static const TSkinKeys keys = Keys(Rect<&T::ItemRect>("itemrect"), Int<&T::BGPictureIndex>("bgpictureindex", -1));
  return keys;
}

// The six arrow buttons of up-downs, spin edits and scroll bars, under the same keys.
template <class T>
TSkinKeys ArrowKeys() {
  return Keys(Rect<&T::UpButtonRect>("upbuttonrect"), Rect<&T::ActiveUpButtonRect>("activeupbuttonrect"),
              Rect<&T::DownUpButtonRect>("downupbuttonrect"), Rect<&T::DownButtonRect>("downbuttonrect"),
              Rect<&T::ActiveDownButtonRect>("activedownbuttonrect"),
              Rect<&T::DownDownButtonRect>("downdownbuttonrect"));
}

const TSkinKeys& UpDownKeys() {
  static const TSkinKeys keys = ArrowKeys<TbsDataSkinUpDownControl>();
  return keys;
}

TSkinKeys ComboBoxKeys(bool Writing) {
  using T = TbsDataSkinComboBox;
  TSkinKeys keys =
      Keys(Rect<&T::ItemRect>("itemrect"), Rect<&T::FocusItemRect>("focusitemrect"),
           Int<&T::ItemLeftOffset>("itemleftoffset"), Int<&T::ItemRightOffset>("itemrightoffset"),
           Rect<&T::ItemTextRect>("itemtextrect"), XJ_SKIN_FONT(T), Colour<&T::FocusFontColor>("focusfontcolor"));
  const TSkinKey listBox = Str<&T::ListBoxName>("listboxname");
  if (!Writing) keys.push_back(listBox);
  const TSkinKeys buttons =
      Keys(Rect<&T::ButtonRect>("buttonrect"), Rect<&T::ActiveButtonRect>("activebuttonrect"),
           Rect<&T::DownButtonRect>("downbuttonrect"), Rect<&T::UnenabledButtonRect>("unenabledbuttonrect"));
  keys.insert(keys.end(), buttons.begin(), buttons.end());
  if (Writing) keys.push_back(listBox);
  return keys;
}

const TSkinKeys& ComboBoxReadKeys() {
  static const TSkinKeys keys = ComboBoxKeys(false);
  return keys;
}

const TSkinKeys& ComboBoxWriteKeys() {
  static const TSkinKeys keys = ComboBoxKeys(true);
  return keys;
}

const TSkinKeys& ListBoxKeys() {
  using T = TbsDataSkinListBox;
  static const TSkinKeys keys = Keys(
      Rect<&T::ItemRect>("itemrect"), Rect<&T::ActiveItemRect>("activeitemrect"),
      Rect<&T::FocusItemRect>("focusitemrect"), Int<&T::ItemLeftOffset>("itemleftoffset"),
      Int<&T::ItemRightOffset>("itemrightoffset"), Rect<&T::ItemTextRect>("itemtextrect"), XJ_SKIN_FONT(T),
      Colour<&T::ActiveFontColor>("activefontcolor"), Colour<&T::FocusFontColor>("focusfontcolor"),
      Rect<&T::CaptionRect>("captionrect"), XJ_SKIN_PREFIXED_FONT(T, Caption, "caption"),
      Rect<&T::UpButtonRect>("upbuttonrect"), Rect<&T::ActiveUpButtonRect>("activeupbuttonrect"),
      Rect<&T::DownUpButtonRect>("downupbuttonrect"), Rect<&T::DownButtonRect>("downbuttonrect"),
      Rect<&T::ActiveDownButtonRect>("activedownbuttonrect"), Rect<&T::DownDownButtonRect>("downdownbuttonrect"),
      Rect<&T::CheckButtonRect>("checkbuttonrect"), Rect<&T::ActiveCheckButtonRect>("activecheckbuttonrect"),
      Rect<&T::DownCheckButtonRect>("downcheckbuttonrect"), Str<&T::VScrollBarName>("vscrollbarname", "vscrollbar"),
      Str<&T::HScrollBarName>("hscrollbarname", "hscrollbar"),
      Str<&T::BothHScrollBarName>("bothhscrollbarname", "bothhscrollbar"));
  return keys;
}

const TSkinKeys& CheckListBoxReadKeys() {
  using T = TbsDataSkinCheckListBox;
  static const TSkinKeys keys =
      Keys(Rect<&T::ItemCheckRect>("itemcheckrect"), Rect<&T::CheckImageRect>("checkimagerect"),
           Rect<&T::UncheckImageRect>("uncheckimagerect"));
  return keys;
}

const TSkinKeys& CheckListBoxWriteKeys() {
  using T = TbsDataSkinCheckListBox;
  static const TSkinKeys keys =
      Keys(Rect<&T::ItemCheckRect>("itemcheckrect"), Rect<&T::UncheckImageRect>("uncheckimagerect"),
           Rect<&T::CheckImageRect>("checkimagerect"));
  return keys;
}

const TSkinKeys& ScrollBarKeys() {
  using T = TbsDataSkinScrollBarControl;
  static const TSkinKeys keys = Keys(
      Rect<&T::TrackArea>("trackarea"), Rect<&T::UpButtonRect>("upbuttonrect"),
      Rect<&T::ActiveUpButtonRect>("activeupbuttonrect"), Rect<&T::DownUpButtonRect>("downupbuttonrect"),
      Rect<&T::DownButtonRect>("downbuttonrect"), Rect<&T::ActiveDownButtonRect>("activedownbuttonrect"),
      Rect<&T::DownDownButtonRect>("downdownbuttonrect"), Rect<&T::ThumbRect>("thumbrect"),
      Rect<&T::ActiveThumbRect>("activethumbrect"), Rect<&T::DownThumbRect>("downthumbrect"),
      Int<&T::ThumbOffset1>("thumboffset1"), Int<&T::ThumbOffset2>("thumboffset2"), Rect<&T::GlyphRect>("glyphrect"),
      Rect<&T::ActiveGlyphRect>("activeglyphrect"), Rect<&T::DownGlyphRect>("downglyphrect"));
  return keys;
}

const TSkinKeys& SpinEditKeys() {
  using T = TbsDataSkinSpinEditControl;
  static const TSkinKeys keys = [] {
    TSkinKeys k = Keys(XJ_SKIN_FONT(T));
    const TSkinKeys arrows = ArrowKeys<T>();
    k.insert(k.end(), arrows.begin(), arrows.end());
    return k;
  }();
  return keys;
}

const TSkinKeys& EditKeys() {
  using T = TbsDataSkinEditControl;
  static const TSkinKeys keys = Keys(
      Rect<&T::ActiveSkinRect>("activeskinrect"), XJ_SKIN_FONT(T), Colour<&T::DisabledFontColor>("disabledfontcolor"),
      Colour<&T::ActiveFontColor>("activefontcolor"), Rect<&T::ButtonRect>("buttonrect"),
      Rect<&T::ActiveButtonRect>("activebuttonrect"), Rect<&T::DownButtonRect>("downbuttonrect"));
  return keys;
}

const TSkinKeys& MemoKeys() {
  using T = TbsDataSkinMemoControl;
  static const TSkinKeys keys = Keys(Colour<&T::BGColor>("bgcolor"), Colour<&T::ActiveBGColor>("activebgcolor"));
  return keys;
}

const TSkinKeys& LabelKeys() {
  using T = TbsDataSkinLabelControl;
  static const TSkinKeys keys = Keys(XJ_SKIN_FONT(T));
  return keys;
}

const TSkinKeys& GaugeKeys() {
  using T = TbsDataSkinGaugeControl;
  static const TSkinKeys keys = Keys(Rect<&T::ProgressArea>("progressarea"), Rect<&T::ProgressRect>("progressrect"),
                                     Int<&T::BeginOffset>("beginoffset"), Int<&T::EndOffset>("endoffset"),
                                     Bool<&T::Vertical>("vertical"), XJ_SKIN_FONT(T));
  return keys;
}

const TSkinKeys& TrackBarKeys() {
  using T = TbsDataSkinTrackBarControl;
  static const TSkinKeys keys = Keys(Rect<&T::TrackArea>("trackarea"), Rect<&T::ButtonRect>("buttonrect"),
                                     Rect<&T::ActiveButtonRect>("activebuttonrect"), Bool<&T::Vertical>("vertical"));
  return keys;
}

const TSkinKeys& ButtonControlKeys() {
  using T = TbsDataSkinButtonControl;
  static const TSkinKeys keys =
      Keys(XJ_SKIN_FONT(T), Colour<&T::ActiveFontColor>("activefontcolor"), Colour<&T::DownFontColor>("downfontcolor"),
           Colour<&T::DisabledFontColor>("disabledfontcolor"), Rect<&T::ActiveSkinRect>("activeskinrect"),
           Rect<&T::DownSkinRect>("downskinrect"), Rect<&T::DisabledSkinRect>("disabledskinrect"),
           Bool<&T::Morphing>("morphing"), Morph<&T::MorphKind>("morphkind"));
  return keys;
}

const TSkinKeys& MenuButtonKeys() {
  using T = TbsDataSkinMenuButtonControl;
  static const TSkinKeys keys = Keys(Rect<&T::TrackButtonRect>("trackbuttonrect"));
  return keys;
}

TSkinKeys CheckRadioKeys(bool Writing) {
  using T = TbsDataSkinCheckRadioControl;
  const TSkinKey frame = Colour<&T::FrameFontColor>("framefontcolor");
  TSkinKeys keys = Keys(XJ_SKIN_FONT(T));
  if (Writing) keys.push_back(frame);
  keys.push_back(Colour<&T::ActiveFontColor>("activefontcolor"));
  keys.push_back(Colour<&T::UnenabledFontColor>("unenabledfontcolor"));
  if (!Writing) keys.push_back(frame);
  const TSkinKeys rest =
      Keys(Rect<&T::ActiveSkinRect>("activeskinrect"), Rect<&T::CheckImageArea>("checkimagearea"),
           Rect<&T::TextArea>("textarea"), Rect<&T::CheckImageRect>("checkimagerect"),
           Rect<&T::UncheckImageRect>("uncheckimagerect"), Rect<&T::ActiveCheckImageRect>("activecheckimagerect"),
           Rect<&T::ActiveUncheckImageRect>("activeuncheckimagerect"),
           Rect<&T::UnenabledCheckImageRect>("unenabledcheckimagerect"),
           Rect<&T::UnenabledUncheckImageRect>("unenableduncheckimagerect"), Bool<&T::Morphing>("morphing"),
           Morph<&T::MorphKind>("morphkind"));
  keys.insert(keys.end(), rest.begin(), rest.end());
  return keys;
}

const TSkinKeys& CheckRadioReadKeys() {
  static const TSkinKeys keys = CheckRadioKeys(false);
  return keys;
}

const TSkinKeys& CheckRadioWriteKeys() {
  static const TSkinKeys keys = CheckRadioKeys(true);
  return keys;
}

const TSkinKeys& ScrollBoxKeys() {
  using T = TbsDataSkinScrollBoxControl;
  static const TSkinKeys keys = Keys(Int<&T::BGPictureIndex>("bgpictureindex", -1));
  return keys;
}

const TSkinKeys& PanelKeys() {
  using T = TbsDataSkinPanelControl;
  static const TSkinKeys keys =
      Keys(Int<&T::BGPictureIndex>("bgpictureindex", -1), Rect<&T::CaptionRect>("captionrect"),
           Rect<&T::RollUpMarkerRect>("rollupmarkerrect"), Rect<&T::RestoreMarkerRect>("restoremarkerrect"),
           Align<&T::Alignment>("alignment"), XJ_SKIN_FONT(T), Rect<&T::CheckImageRect>("checkimagerect"),
           Rect<&T::UncheckImageRect>("uncheckimagerect"));
  return keys;
}

const TSkinKeys& ExPanelKeys() {
  using T = TbsDataSkinExPanelControl;
  static const TSkinKeys keys =
      Keys(Rect<&T::RollHSkinRect>("rollhskinrect"), Rect<&T::RollVSkinRect>("rollvskinrect"),
           Int<&T::RollLeftOffset>("rollleftoffset"), Int<&T::RollRightOffset>("rollrightoffset"),
           Int<&T::RollTopOffset>("rolltopoffset"), Int<&T::RollBottomOffset>("rollbottomoffset"),
           Rect<&T::RollVCaptionRect>("rollvcaptionrect"), Rect<&T::RollHCaptionRect>("rollhcaptionrect"),
           Rect<&T::CloseButtonRect>("closebuttonrect"), Rect<&T::CloseButtonActiveRect>("closebuttonactiverect"),
           Rect<&T::CloseButtonDownRect>("closebuttondownrect"), Rect<&T::HRollButtonRect>("hrollbuttonrect"),
           Rect<&T::HRollButtonActiveRect>("hrollbuttonactiverect"),
           Rect<&T::HRollButtonDownRect>("hrollbuttondownrect"), Rect<&T::HRestoreButtonRect>("hrestorebuttonrect"),
           Rect<&T::HRestoreButtonActiveRect>("hrestorebuttonactiverect"),
           Rect<&T::HRestoreButtonDownRect>("hrestorebuttondownrect"), Rect<&T::VRollButtonRect>("vrollbuttonrect"),
           Rect<&T::VRollButtonActiveRect>("vrollbuttonactiverect"),
           Rect<&T::VRollButtonDownRect>("vrollbuttondownrect"), Rect<&T::VRestoreButtonRect>("vrestorebuttonrect"),
           Rect<&T::VRestoreButtonActiveRect>("vrestorebuttonactiverect"),
           Rect<&T::VRestoreButtonDownRect>("vrestorebuttondownrect"), Rect<&T::CaptionRect>("captionrect"),
           XJ_SKIN_FONT(T));
  return keys;
}

}  // namespace

XJ_SKIN_RECORD(TbsDataSkinCustomControl, TbsDataSkinControl, CustomControlKeys)
XJ_SKIN_RECORD(TbsDataSkinControlBar, TbsDataSkinCustomControl, ControlBarKeys)
XJ_SKIN_RECORD_RW(TbsDataSkinComboBox, TbsDataSkinCustomControl, ComboBoxReadKeys, ComboBoxWriteKeys)
XJ_SKIN_RECORD(TbsDataSkinListBox, TbsDataSkinCustomControl, ListBoxKeys)
XJ_SKIN_RECORD_RW(TbsDataSkinCheckListBox, TbsDataSkinListBox, CheckListBoxReadKeys, CheckListBoxWriteKeys)
XJ_SKIN_RECORD(TbsDataSkinScrollBarControl, TbsDataSkinCustomControl, ScrollBarKeys)
XJ_SKIN_RECORD(TbsDataSkinSpinEditControl, TbsDataSkinCustomControl, SpinEditKeys)
XJ_SKIN_RECORD(TbsDataSkinEditControl, TbsDataSkinCustomControl, EditKeys)
XJ_SKIN_RECORD(TbsDataSkinMemoControl, TbsDataSkinEditControl, MemoKeys)
XJ_SKIN_RECORD(TbsDataSkinLabelControl, TbsDataSkinCustomControl, LabelKeys)
XJ_SKIN_RECORD(TbsDataSkinGaugeControl, TbsDataSkinCustomControl, GaugeKeys)
XJ_SKIN_RECORD(TbsDataSkinTrackBarControl, TbsDataSkinCustomControl, TrackBarKeys)
XJ_SKIN_RECORD(TbsDataSkinButtonControl, TbsDataSkinCustomControl, ButtonControlKeys)
XJ_SKIN_RECORD(TbsDataSkinMenuButtonControl, TbsDataSkinButtonControl, MenuButtonKeys)
XJ_SKIN_RECORD_RW(TbsDataSkinCheckRadioControl, TbsDataSkinCustomControl, CheckRadioReadKeys, CheckRadioWriteKeys)
XJ_SKIN_RECORD(TbsDataSkinScrollBoxControl, TbsDataSkinCustomControl, ScrollBoxKeys)
XJ_SKIN_RECORD(TbsDataSkinPanelControl, TbsDataSkinCustomControl, PanelKeys)
XJ_SKIN_RECORD(TbsDataSkinExPanelControl, TbsDataSkinCustomControl, ExPanelKeys)

// An up-down face is never stretched: whatever the section holds, its geometry stays zero.
void TbsDataSkinUpDownControl::LoadFromFile(TCustomIniFile* IniFile) {
  TbsDataSkinCustomControl::LoadFromFile(IniFile);
  ReadKeys(IniFile, IDName, this, UpDownKeys());
  LTPoint = RTPoint = LBPoint = RBPoint = TPoint(0, 0);
  ClRect = NullRect();
}

void TbsDataSkinUpDownControl::SaveToFile(TCustomIniFile* IniFile) {
  LTPoint = RTPoint = LBPoint = RBPoint = TPoint(0, 0);
  ClRect = NullRect();
  TbsDataSkinCustomControl::SaveToFile(IniFile);
  WriteKeys(IniFile, IDName, this, UpDownKeys());
}

// ---- The tables of a record -----------------------------------------------------------------------------

namespace xj::skin {

std::vector<const TSkinKeys*> KeyTablesOf(const TObject* Record) {
  // Each class's own table, under the class that reads it; a record takes every table of its ancestry.
  struct TTable {
    TClass Class;
    const TSkinKeys& (*Keys)();
  };
  static const TTable tables[] = {
    { TbsDataSkinObject::StaticClass(), &ObjectKeys },
    { TbsDataSkinButton::StaticClass(), &ButtonKeys },
    { TbsDataSkinStdButton::StaticClass(), &StdButtonKeys },
    { TbsDataSkinMenuItem::StaticClass(), &MenuItemKeys },
    { TbsDataSkinMainMenuItem::StaticClass(), &MainMenuItemKeys },
    { TbsDataSkinCaption::StaticClass(), &CaptionKeys },
    { TbsDataSkinPopupWindow::StaticClass(), &PopupWindowKeys },
    { TbsDataSkinHintWindow::StaticClass(), &HintWindowKeys },
    { TbsDataSkinControl::StaticClass(), &ControlKeys },
    { TbsDataSkinSlider::StaticClass(), &SliderKeys },
    { TbsDataSkinMainMenuBar::StaticClass(), &MainMenuBarKeys },
    { TbsDataSkinTabControl::StaticClass(), &TabKeys },
    { TbsDataSkinGridControl::StaticClass(), &GridKeys },
    { TbsDataSkinCustomControl::StaticClass(), &CustomControlKeys },
    { TbsDataSkinControlBar::StaticClass(), &ControlBarKeys },
    { TbsDataSkinUpDownControl::StaticClass(), &UpDownKeys },
    { TbsDataSkinComboBox::StaticClass(), &ComboBoxReadKeys },
    { TbsDataSkinListBox::StaticClass(), &ListBoxKeys },
    { TbsDataSkinCheckListBox::StaticClass(), &CheckListBoxReadKeys },
    { TbsDataSkinScrollBarControl::StaticClass(), &ScrollBarKeys },
    { TbsDataSkinSpinEditControl::StaticClass(), &SpinEditKeys },
    { TbsDataSkinEditControl::StaticClass(), &EditKeys },
    { TbsDataSkinGaugeControl::StaticClass(), &GaugeKeys },
    { TbsDataSkinTrackBarControl::StaticClass(), &TrackBarKeys },
    { TbsDataSkinButtonControl::StaticClass(), &ButtonControlKeys },
    { TbsDataSkinMenuButtonControl::StaticClass(), &MenuButtonKeys },
    { TbsDataSkinCheckRadioControl::StaticClass(), &CheckRadioReadKeys },
    { TbsDataSkinScrollBoxControl::StaticClass(), &ScrollBoxKeys },
    { TbsDataSkinPanelControl::StaticClass(), &PanelKeys },
    { TbsDataSkinExPanelControl::StaticClass(), &ExPanelKeys },
  };
  std::vector<const TSkinKeys*> result;
  for (const TTable& t : tables)
    if (Record->InheritsFrom(t.Class)) result.push_back(&t.Keys());
  return result;
}

}  // namespace xj::skin
