#pragma once
// The skin in memory and its files.
//
//   TbsSkinData              the component every skinned form, menu, hint and control points at: the
//                            skin's pictures, form frame geometry, popup and hint window looks, and the
//                            lists of skin object records and control records, looked up by name.
//   TbsDataSkinObject ...    records of the active parts of a skinned form frame ([SKINOBJECTS]).
//   TbsDataSkinControl ...   records of the looks of skinned controls ([SKINCONTROLS]).
//   TbsStoredSkin            a skin kept in a form: INI lines plus the "Pictures" binary property.
//   TbsCompressedStoredSkin  a skin kept in a form as one zlib block ("CompressedData"), also read and
//                            written as a compressed skin file.
//
// A skin directory is one INI file plus the bitmap files it names. Every record reads and writes the
// section named by its IDName; keys compare without case, enumeration words exactly. Loading a skin
// tells every form before and after the change (messages 1225, 1226, 1227, wParam the TbsSkinData,
// lParam 1000), owner form first.

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>

#include "platform/vcl/Classes.h"
#include "platform/vcl/Graphics.h"
#include "platform/win32/WinDef.h"
#include "platform/win32/WinMessages.h"  // WM_SKINDATA_BEFORECHANGE, _CHANGE, _AFTERCHANGE

class TCustomIniFile;
class TbsStoredSkin;
class TbsCompressedStoredSkin;
namespace xj::skin {
class TSkinBudget;
}

// A skin that would take more memory than its loader may spend (MaxPictureBytes).
XJ_EXCEPTION(EbsSkinTooLarge, Exception);

enum TbsMorphKind : uint8_t {
  mkDefault,
  mkGradient,
  mkLeftGradient,
  mkRightGradient,
  mkLeftSlide,
  mkRightSlide,
  mkPush
};
enum TbsStdCommand : uint8_t { cmClose, cmMaximize, cmMinimize, cmSysMenu, cmDefault, cmRollUp };
enum TbsInActiveEffect : uint8_t { ieBrightness, ieDarkness, ieGrayScale, ieNoise, ieSplitBlur, ieInvert };

// Enumerations are written in lower case and read by exact comparison; unknown text gives the
// default (mkdefault, iebrightness), like a missing key.
TbsMorphKind ReadMorphKind(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident);
void WriteMorphKind(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, TbsMorphKind Value);
TbsInActiveEffect ReadInActiveEffect(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident);
void WriteInActiveEffect(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident,
                         TbsInActiveEffect Value);

// True when [VERSION], [PICTURES], [FORMINFO], [SKINOBJECTS] and [SKINCONTROLS] all hold a key.
bool IsSkinFile(TCustomIniFile* IniFile);
// The first of those sections that is missing or holds no key, or empty when the INI text is a skin.
AnsiString MissingSkinSection(TCustomIniFile* IniFile);

// ---- Skin object records ([SKINOBJECTS]) --------------------------------------------------------------
//
// Fields named after their keys; rectangles are in the coordinates of the skin's Picture, or of the
// active picture ActivePictureIndex selects. LoadFromFile reads the record's section (missing keys give
// their defaults), SaveToFile erases the section and writes every key, so the section holds exactly the
// record's keys afterwards.

class TbsDataSkinObject : public TObject {
  XJ_CLASS(TbsDataSkinObject, TObject)
 public:
  explicit TbsDataSkinObject(const AnsiString& AIDName) : IDName(AIDName) {}

  virtual void LoadFromFile(TCustomIniFile* IniFile);
  virtual void SaveToFile(TCustomIniFile* IniFile);

  AnsiString IDName;
  AnsiString Hint;
  bool SkinRectInAPicture { false };
  TRect SkinRect;
  TRect ActiveSkinRect;
  int ActivePictureIndex { -1 };
  bool Morphing { false };
  TbsMorphKind MorphKind { mkDefault };
};

// Carries a rectangle only: reads and writes "skinrect" and nothing else.
class TbsDataUserObject : public TbsDataSkinObject {
  XJ_CLASS(TbsDataUserObject, TbsDataSkinObject)
 public:
  using TbsDataSkinObject::TbsDataSkinObject;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;
};

class TbsDataSkinButton : public TbsDataSkinObject {
  XJ_CLASS(TbsDataSkinButton, TbsDataSkinObject)
 public:
  using TbsDataSkinObject::TbsDataSkinObject;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  TRect DownRect;
  TRect DisableSkinRect;  // key "disableskinrsect", spelt so in every skin file
};

class TbsDataSkinStdButton : public TbsDataSkinButton {
  XJ_CLASS(TbsDataSkinStdButton, TbsDataSkinButton)
 public:
  using TbsDataSkinButton::TbsDataSkinButton;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  TbsStdCommand Command { cmClose };
  TRect RestoreRect;
  TRect RestoreActiveRect;
  TRect RestoreDownRect;
  TRect RestoreInActiveRect;
};

// A button of the main menu bar (the buttons of a maximized MDI child); told apart by its class.
class TbsDataSkinMainMenuBarButton : public TbsDataSkinStdButton {
  XJ_CLASS(TbsDataSkinMainMenuBarButton, TbsDataSkinStdButton)
 public:
  using TbsDataSkinStdButton::TbsDataSkinStdButton;
};

// An item of a skinned popup menu.
class TbsDataSkinMenuItem : public TbsDataSkinObject {
  XJ_CLASS(TbsDataSkinMenuItem, TbsDataSkinObject)
 public:
  using TbsDataSkinObject::TbsDataSkinObject;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  TRect DividerRect;
  int DividerLeftOffset { 0 };
  int DividerRightOffset { 0 };
  int ItemLeftOffset { 0 };
  int ItemRightOffset { 0 };
  AnsiString FontName;
  int FontHeight { 0 };
  TFontStyles FontStyle;
  TColor UnenabledFontColor { 0 };
  TColor FontColor { 0 };
  TColor ActiveFontColor { 0 };
  TRect TextRect;
};

// An item of the skinned main menu bar; used through TbsDataSkinMainMenuBarItem.
class TbsDataSkinMainMenuItem : public TbsDataSkinObject {
  XJ_CLASS(TbsDataSkinMainMenuItem, TbsDataSkinObject)
 public:
  using TbsDataSkinObject::TbsDataSkinObject;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  TRect DownRect;
  AnsiString FontName;
  int FontHeight { 0 };
  TFontStyles FontStyle;
  TColor FontColor { 0 };
  TColor ActiveFontColor { 0 };
  TColor DownFontColor { 0 };
  TColor UnenabledFontColor { 0 };  // key "unenabledfontColor"
  TRect TextRect;
  int ItemLeftOffset { 0 };
  int ItemRightOffset { 0 };
};

class TbsDataSkinMainMenuBarItem : public TbsDataSkinMainMenuItem {
  XJ_CLASS(TbsDataSkinMainMenuBarItem, TbsDataSkinMainMenuItem)
 public:
  using TbsDataSkinMainMenuItem::TbsDataSkinMainMenuItem;
};

// The caption text area of the form frame.
class TbsDataSkinCaption : public TbsDataSkinObject {
  XJ_CLASS(TbsDataSkinCaption, TbsDataSkinObject)
 public:
  using TbsDataSkinObject::TbsDataSkinObject;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  AnsiString FontName;
  int FontHeight { 0 };
  TFontStyles FontStyle;
  TColor FontColor { 0 };
  TColor ActiveFontColor { 0 };
  TColor ShadowColor { 0 };
  TColor ActiveShadowColor { 0 };
  bool Shadow { false };
  TAlignment Alignment { taLeftJustify };
  TRect TextRect;
  TRect FrameRect;
  TRect ActiveFrameRect;
  int FrameLeftOffset { 0 };
  int FrameRightOffset { 0 };
  TRect FrameTextRect;
};

// The frame of skinned popup menus, section [POPUPWINDOW]. Picture indexes select active pictures.
class TbsDataSkinPopupWindow : public TObject {
  XJ_CLASS(TbsDataSkinPopupWindow, TObject)
 public:
  // The section is not erased here: TbsSkinData.SaveToFile does that.
  void LoadFromFile(TCustomIniFile* IniFile);
  void SaveToFile(TCustomIniFile* IniFile);

  int WindowPictureIndex { -1 };
  int MaskPictureIndex { -1 };
  TPoint LTPoint, RTPoint, LBPoint, RBPoint;
  TRect ItemsRect;
  TColor ScrollMarkerColor { 0 };
  TColor ScrollMarkerActiveColor { 0 };
};

// The frame and font of skinned hints, section [HINTWINDOW]. The font holds "宋体" / 12 until the first
// skin is read; every read replaces it, by "Arial" / 14 when the keys are missing.
class TbsDataSkinHintWindow : public TObject {
  XJ_CLASS(TbsDataSkinHintWindow, TObject)
 public:
  void LoadFromFile(TCustomIniFile* IniFile);
  void SaveToFile(TCustomIniFile* IniFile);

  int WindowPictureIndex { -1 };
  int MaskPictureIndex { -1 };
  TPoint LTPoint, RTPoint, LBPoint, RBPoint;
  TRect ClRect;
  AnsiString FontName { "宋体" };
  TFontStyles FontStyle;
  int FontHeight { 12 };
  TColor FontColor { 0 };
};

// ---- Control records ([SKINCONTROLS]) -------------------------------------------------------------------
//
// One record per kind of skinned control. Picture indexes select active pictures (-1: none); SkinRect
// is the control's image in its picture; the corner points and ClRect of the custom-control records are
// the nine-slice geometry of that image, relative to its top-left. A control uses a record only when it
// is of the class it expects (or a subclass). A record that is only created holds the font "宋体" / 12;
// a loaded one "Arial" / 14 where its section lacks the keys.

class TbsDataSkinControl : public TObject {
  XJ_CLASS(TbsDataSkinControl, TObject)
 public:
  explicit TbsDataSkinControl(const AnsiString& AIDName) : IDName(AIDName) {}

  virtual void LoadFromFile(TCustomIniFile* IniFile);
  virtual void SaveToFile(TCustomIniFile* IniFile);

  AnsiString IDName;
  int PictureIndex { -1 };
  int MaskPictureIndex { -1 };
  TRect SkinRect;
};

class TbsDataSkinBevel : public TbsDataSkinControl {
  XJ_CLASS(TbsDataSkinBevel, TbsDataSkinControl)
 public:
  using TbsDataSkinControl::TbsDataSkinControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  TColor LightColor { 0 };
  TColor DarkColor { 0 };
};

// The tree view, list view and rich edit records have the same keys; a control takes only its own.
class TbsDataSkinTreeView : public TbsDataSkinControl {
  XJ_CLASS(TbsDataSkinTreeView, TbsDataSkinControl)
 public:
  using TbsDataSkinControl::TbsDataSkinControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  AnsiString FontName { "宋体" };
  TFontStyles FontStyle;
  int FontHeight { 12 };
  TColor FontColor { 0 };
  TColor BGColor { 0xFFFFFF };
};

class TbsDataSkinListView : public TbsDataSkinControl {
  XJ_CLASS(TbsDataSkinListView, TbsDataSkinControl)
 public:
  using TbsDataSkinControl::TbsDataSkinControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  AnsiString FontName { "宋体" };
  TFontStyles FontStyle;
  int FontHeight { 12 };
  TColor FontColor { 0 };
  TColor BGColor { 0xFFFFFF };
};

class TbsDataSkinRichEdit : public TbsDataSkinControl {
  XJ_CLASS(TbsDataSkinRichEdit, TbsDataSkinControl)
 public:
  using TbsDataSkinControl::TbsDataSkinControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  AnsiString FontName { "宋体" };
  TFontStyles FontStyle;
  int FontHeight { 12 };
  TColor FontColor { 0 };
  TColor BGColor { 0xFFFFFF };
};

class TbsDataSkinStdLabelControl : public TbsDataSkinControl {
  XJ_CLASS(TbsDataSkinStdLabelControl, TbsDataSkinControl)
 public:
  using TbsDataSkinControl::TbsDataSkinControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  AnsiString FontName { "宋体" };
  TFontStyles FontStyle;
  int FontHeight { 12 };
  TColor FontColor { 0 };
  TColor ActiveFontColor { 0xFF0000 };
};

class TbsDataSkinSlider : public TbsDataSkinControl {
  XJ_CLASS(TbsDataSkinSlider, TbsDataSkinControl)
 public:
  using TbsDataSkinControl::TbsDataSkinControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  TColor BGColor { 0 };
  TRect HRulerRect;
  TRect HThumbRect;
  TRect VRulerRect;
  TRect VThumbRect;
  int EdgeSize { 0 };
  TColor PointsColor { 0 };
};

// The skinned main menu bar. The five names are IDNames of skin object records.
class TbsDataSkinMainMenuBar : public TbsDataSkinControl {
  XJ_CLASS(TbsDataSkinMainMenuBar, TbsDataSkinControl)
 public:
  using TbsDataSkinControl::TbsDataSkinControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  TRect ItemsRect;
  AnsiString MenuBarItem;
  AnsiString CloseButton;
  AnsiString MinButton;
  AnsiString MaxButton;
  AnsiString SysMenuButton;
  TColor TrackMarkColor { 0 };
  TColor TrackMarkActiveColor { 0 };
};

// Tabs and page frame; carries its own nine-slice geometry but is no custom-control record.
class TbsDataSkinTabControl : public TbsDataSkinControl {
  XJ_CLASS(TbsDataSkinTabControl, TbsDataSkinControl)
 public:
  using TbsDataSkinControl::TbsDataSkinControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  TRect TabRect;
  TRect ActiveTabRect;
  TRect FocusTabRect;
  TRect MouseInTabRect;
  TRect ClRect;
  int BGPictureIndex { -1 };
  TPoint LTPoint, RTPoint, LBPoint, RBPoint;
  int TabLeftOffset { 0 };
  int TabRightOffset { 0 };
  TRect TabsBGRect;
  AnsiString FontName { "宋体" };
  TFontStyles FontStyle;
  int FontHeight { 12 };
  TColor FontColor { 0 };
  TColor ActiveFontColor { 0 };
  TColor FocusFontColor { 0 };
  TColor MouseInFontColor { 0 };
  AnsiString UpDown;  // the control record of the tab scroller
};

// Loaded and saved only; no control uses it.
class TbsDataSkinGridControl : public TbsDataSkinControl {
  XJ_CLASS(TbsDataSkinGridControl, TbsDataSkinControl)
 public:
  using TbsDataSkinControl::TbsDataSkinControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  TRect FixedCellRect;
  TRect SelectCellRect;
  TRect FocusCellRect;
  int FixedCellLeftOffset { 0 };
  int FixedCellRightOffset { 0 };
  TRect FixedCellTextRect;
  int CellLeftOffset { 0 };
  int CellRightOffset { 0 };
  TRect CellTextRect;
  TColor LinesColor { 0 };
  TColor BGColor { 0 };
  AnsiString FontName { "宋体" };
  TFontStyles FontStyle;
  int FontHeight { 12 };
  TColor FontColor { 0 };
  TColor SelectFontColor { 0 };
  TColor FocusFontColor { 0 };
  AnsiString FixedFontName { "宋体" };
  TFontStyles FixedFontStyle;
  int FixedFontHeight { 12 };
  TColor FixedFontColor { 0 };
};

// The base of the resizable skinned controls' records: nine-slice geometry of SkinRect.
class TbsDataSkinCustomControl : public TbsDataSkinControl {
  XJ_CLASS(TbsDataSkinCustomControl, TbsDataSkinControl)
 public:
  using TbsDataSkinControl::TbsDataSkinControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  TPoint LTPoint, RTPoint, LBPoint, RBPoint;
  TRect ClRect;
};

class TbsDataSkinSplitterControl : public TbsDataSkinCustomControl {
  XJ_CLASS(TbsDataSkinSplitterControl, TbsDataSkinCustomControl)
 public:
  using TbsDataSkinCustomControl::TbsDataSkinCustomControl;
};

class TbsDataSkinControlBar : public TbsDataSkinCustomControl {
  XJ_CLASS(TbsDataSkinControlBar, TbsDataSkinCustomControl)
 public:
  using TbsDataSkinCustomControl::TbsDataSkinCustomControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  TRect ItemRect;
  int BGPictureIndex { -1 };
};

// Never carries nine-slice geometry: the points and ClRect are zero after a load and written as zero.
class TbsDataSkinUpDownControl : public TbsDataSkinCustomControl {
  XJ_CLASS(TbsDataSkinUpDownControl, TbsDataSkinCustomControl)
 public:
  using TbsDataSkinCustomControl::TbsDataSkinCustomControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  TRect UpButtonRect;
  TRect ActiveUpButtonRect;
  TRect DownUpButtonRect;
  TRect DownButtonRect;
  TRect ActiveDownButtonRect;
  TRect DownDownButtonRect;
};

class TbsDataSkinComboBox : public TbsDataSkinCustomControl {
  XJ_CLASS(TbsDataSkinComboBox, TbsDataSkinCustomControl)
 public:
  using TbsDataSkinCustomControl::TbsDataSkinCustomControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  TRect ItemRect;
  TRect FocusItemRect;
  int ItemLeftOffset { 0 };
  int ItemRightOffset { 0 };
  TRect ItemTextRect;
  AnsiString FontName { "宋体" };
  TFontStyles FontStyle;
  int FontHeight { 12 };
  TColor FontColor { 0 };
  TColor FocusFontColor { 0 };
  AnsiString ListBoxName;  // the "listbox" record of the drop-down list
  TRect ButtonRect;
  TRect ActiveButtonRect;
  TRect DownButtonRect;
  TRect UnenabledButtonRect;
};

class TbsDataSkinListBox : public TbsDataSkinCustomControl {
  XJ_CLASS(TbsDataSkinListBox, TbsDataSkinCustomControl)
 public:
  using TbsDataSkinCustomControl::TbsDataSkinCustomControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  TRect ItemRect;
  TRect ActiveItemRect;
  TRect FocusItemRect;
  int ItemLeftOffset { 0 };
  int ItemRightOffset { 0 };
  TRect ItemTextRect;
  AnsiString FontName { "宋体" };
  TFontStyles FontStyle;
  int FontHeight { 12 };
  TColor FontColor { 0 };
  TColor ActiveFontColor { 0 };
  TColor FocusFontColor { 0 };
  TRect CaptionRect;
  AnsiString CaptionFontName { "宋体" };
  TFontStyles CaptionFontStyle;
  int CaptionFontHeight { 12 };
  TColor CaptionFontColor { 0 };
  TRect UpButtonRect;
  TRect ActiveUpButtonRect;
  TRect DownUpButtonRect;
  TRect DownButtonRect;
  TRect ActiveDownButtonRect;
  TRect DownDownButtonRect;
  TRect CheckButtonRect;
  TRect ActiveCheckButtonRect;
  TRect DownCheckButtonRect;
  // The "scrollbar" records of the list; "vscrollbar", "hscrollbar", "bothhscrollbar" when not given.
  AnsiString VScrollBarName;
  AnsiString HScrollBarName;
  AnsiString BothHScrollBarName;
};

class TbsDataSkinCheckListBox : public TbsDataSkinListBox {
  XJ_CLASS(TbsDataSkinCheckListBox, TbsDataSkinListBox)
 public:
  using TbsDataSkinListBox::TbsDataSkinListBox;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  TRect ItemCheckRect;
  TRect CheckImageRect;
  TRect UncheckImageRect;
};

class TbsDataSkinScrollBarControl : public TbsDataSkinCustomControl {
  XJ_CLASS(TbsDataSkinScrollBarControl, TbsDataSkinCustomControl)
 public:
  using TbsDataSkinCustomControl::TbsDataSkinCustomControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  TRect TrackArea;
  TRect UpButtonRect;
  TRect ActiveUpButtonRect;
  TRect DownUpButtonRect;
  TRect DownButtonRect;
  TRect ActiveDownButtonRect;
  TRect DownDownButtonRect;
  TRect ThumbRect;
  TRect ActiveThumbRect;
  TRect DownThumbRect;
  int ThumbOffset1 { 0 };
  int ThumbOffset2 { 0 };
  TRect GlyphRect;
  TRect ActiveGlyphRect;
  TRect DownGlyphRect;
};

class TbsDataSkinSpinEditControl : public TbsDataSkinCustomControl {
  XJ_CLASS(TbsDataSkinSpinEditControl, TbsDataSkinCustomControl)
 public:
  using TbsDataSkinCustomControl::TbsDataSkinCustomControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  AnsiString FontName { "宋体" };
  TFontStyles FontStyle;
  int FontHeight { 12 };
  TColor FontColor { 0 };
  TRect UpButtonRect;
  TRect ActiveUpButtonRect;
  TRect DownUpButtonRect;
  TRect DownButtonRect;
  TRect ActiveDownButtonRect;
  TRect DownDownButtonRect;
};

class TbsDataSkinEditControl : public TbsDataSkinCustomControl {
  XJ_CLASS(TbsDataSkinEditControl, TbsDataSkinCustomControl)
 public:
  using TbsDataSkinCustomControl::TbsDataSkinCustomControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  TRect ActiveSkinRect;
  AnsiString FontName { "宋体" };
  TFontStyles FontStyle;
  int FontHeight { 12 };
  TColor FontColor { 0 };
  TColor DisabledFontColor { 0 };
  TColor ActiveFontColor { 0 };
  TRect ButtonRect;
  TRect ActiveButtonRect;
  TRect DownButtonRect;
};

class TbsDataSkinMemoControl : public TbsDataSkinEditControl {
  XJ_CLASS(TbsDataSkinMemoControl, TbsDataSkinEditControl)
 public:
  using TbsDataSkinEditControl::TbsDataSkinEditControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  TColor BGColor { 0 };
  TColor ActiveBGColor { 0 };
};

class TbsDataSkinLabelControl : public TbsDataSkinCustomControl {
  XJ_CLASS(TbsDataSkinLabelControl, TbsDataSkinCustomControl)
 public:
  using TbsDataSkinCustomControl::TbsDataSkinCustomControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  AnsiString FontName { "宋体" };
  TFontStyles FontStyle;
  int FontHeight { 12 };
  TColor FontColor { 0 };
};

class TbsDataSkinGaugeControl : public TbsDataSkinCustomControl {
  XJ_CLASS(TbsDataSkinGaugeControl, TbsDataSkinCustomControl)
 public:
  using TbsDataSkinCustomControl::TbsDataSkinCustomControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  TRect ProgressArea;
  TRect ProgressRect;
  int BeginOffset { 0 };
  int EndOffset { 0 };
  bool Vertical { false };
  AnsiString FontName { "宋体" };
  TFontStyles FontStyle;
  int FontHeight { 12 };
  TColor FontColor { 0 };
};

class TbsDataSkinTrackBarControl : public TbsDataSkinCustomControl {
  XJ_CLASS(TbsDataSkinTrackBarControl, TbsDataSkinCustomControl)
 public:
  using TbsDataSkinCustomControl::TbsDataSkinCustomControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  TRect TrackArea;
  TRect ButtonRect;
  TRect ActiveButtonRect;
  bool Vertical { false };
};

class TbsDataSkinButtonControl : public TbsDataSkinCustomControl {
  XJ_CLASS(TbsDataSkinButtonControl, TbsDataSkinCustomControl)
 public:
  using TbsDataSkinCustomControl::TbsDataSkinCustomControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  AnsiString FontName { "宋体" };
  TFontStyles FontStyle;
  int FontHeight { 12 };
  TColor FontColor { 0 };
  TColor ActiveFontColor { 0 };
  TColor DownFontColor { 0 };
  TColor DisabledFontColor { 0 };
  TRect ActiveSkinRect;
  TRect DownSkinRect;
  TRect DisabledSkinRect;
  bool Morphing { false };
  TbsMorphKind MorphKind { mkDefault };
};

class TbsDataSkinMenuButtonControl : public TbsDataSkinButtonControl {
  XJ_CLASS(TbsDataSkinMenuButtonControl, TbsDataSkinButtonControl)
 public:
  using TbsDataSkinButtonControl::TbsDataSkinButtonControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  TRect TrackButtonRect;  // the part of the face that opens the menu, relative to the face
};

class TbsDataSkinCheckRadioControl : public TbsDataSkinCustomControl {
  XJ_CLASS(TbsDataSkinCheckRadioControl, TbsDataSkinCustomControl)
 public:
  using TbsDataSkinCustomControl::TbsDataSkinCustomControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  AnsiString FontName { "宋体" };
  TFontStyles FontStyle;
  int FontHeight { 12 };
  TColor FontColor { 0 };
  TColor ActiveFontColor { 0 };
  TColor UnenabledFontColor { 0 };
  TColor FrameFontColor { 0 };
  TRect ActiveSkinRect;
  TRect CheckImageArea;
  TRect TextArea;
  TRect CheckImageRect;
  TRect UncheckImageRect;
  TRect ActiveCheckImageRect;
  TRect ActiveUncheckImageRect;
  TRect UnenabledCheckImageRect;
  TRect UnenabledUncheckImageRect;
  bool Morphing { false };
  TbsMorphKind MorphKind { mkDefault };
};

class TbsDataSkinScrollBoxControl : public TbsDataSkinCustomControl {
  XJ_CLASS(TbsDataSkinScrollBoxControl, TbsDataSkinCustomControl)
 public:
  using TbsDataSkinCustomControl::TbsDataSkinCustomControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  int BGPictureIndex { -1 };
};

class TbsDataSkinPanelControl : public TbsDataSkinCustomControl {
  XJ_CLASS(TbsDataSkinPanelControl, TbsDataSkinCustomControl)
 public:
  using TbsDataSkinCustomControl::TbsDataSkinCustomControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  int BGPictureIndex { -1 };
  TRect CaptionRect;
  TRect RollUpMarkerRect;
  TRect RestoreMarkerRect;
  TAlignment Alignment { taCenter };
  AnsiString FontName { "宋体" };
  TFontStyles FontStyle;
  int FontHeight { 12 };
  TColor FontColor { 0 };
  TRect CheckImageRect;
  TRect UncheckImageRect;
};

// A panel that rolls up horizontally or vertically. Its button keys put the state after "button"
// ("closebuttonactiverect").
class TbsDataSkinExPanelControl : public TbsDataSkinCustomControl {
  XJ_CLASS(TbsDataSkinExPanelControl, TbsDataSkinCustomControl)
 public:
  using TbsDataSkinCustomControl::TbsDataSkinCustomControl;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;

  TRect RollHSkinRect;
  TRect RollVSkinRect;
  int RollLeftOffset { 0 };
  int RollRightOffset { 0 };
  int RollTopOffset { 0 };
  int RollBottomOffset { 0 };
  TRect RollVCaptionRect;
  TRect RollHCaptionRect;
  TRect CloseButtonRect;
  TRect CloseButtonActiveRect;
  TRect CloseButtonDownRect;
  TRect HRollButtonRect;
  TRect HRollButtonActiveRect;
  TRect HRollButtonDownRect;
  TRect HRestoreButtonRect;
  TRect HRestoreButtonActiveRect;
  TRect HRestoreButtonDownRect;
  TRect VRollButtonRect;
  TRect VRollButtonActiveRect;
  TRect VRollButtonDownRect;
  TRect VRestoreButtonRect;
  TRect VRestoreButtonActiveRect;
  TRect VRestoreButtonDownRect;
  TRect CaptionRect;
  AnsiString FontName { "宋体" };
  TFontStyles FontStyle;
  int FontHeight { 12 };
  TColor FontColor { 0 };
};

// ---- TbsSkinData ----------------------------------------------------------------------------------------

// What one skin may take in memory as it loads, unless a component says otherwise (TbsSkinData's
// MaxPictureBytes): many times what a skin needs (a few megabytes), and a third of the 200 MB a program
// showing a skin should stay within, since what the forms build from the pictures (frame and mask
// bands, faces) comes on top.
constexpr int64_t MaxSkinPictureBytes = int64_t { 64 } << 20;

// Counts the changes of the pictures of every skin data (loads, clears, pictures added or deleted, a skin
// data going away, a change announced to the forms). What is built from skin pictures is reused only
// while the count stays the same.
uint64_t bsSkinPicturesEpoch();
void bsSkinPicturesChanged();

// Keys of what is built from skin pictures, for sharing or keeping it: the values it is built from, in
// order. A skin picture counts by its object and its image (an image is never handed out twice), and
// only while no skin picture changed; no picture is a key of its own.
void bsKeyPicture(std::vector<int64_t>& Key, TBitmap* Picture);
void bsKeyRect(std::vector<int64_t>& Key, const TRect& R);
void bsKeyPoint(std::vector<int64_t>& Key, const TPoint& P);
// A picture by what it holds rather than by its object: its size, format, colours and pixels, so that a
// picture loaded again with the same pixels (another skin drawn on the same design) gives the same key.
// False, with nothing added, for a picture whose pixels are not in memory to read.
bool bsKeyPixels(std::vector<int64_t>& Key, TBitmap* Picture);

class TbsSkinData : public TComponent {
  XJ_CLASS(TbsSkinData, TComponent)
 public:
  explicit TbsSkinData(TComponent* AOwner);
  // Sends nothing.
  ~TbsSkinData() override;

  // Published. Setting a stored skin at run time loads it; at design time only the reference is kept.
  TbsStoredSkin* StoredSkin() const { return FStoredSkin; }
  void SetStoredSkin(TbsStoredSkin* Value);
  TbsCompressedStoredSkin* CompressedStoredSkin() const { return FCompressedStoredSkin; }
  void SetCompressedStoredSkin(TbsCompressedStoredSkin* Value);

  // The index of the first record whose IDName equals the name exactly (GetIndex: ObjectList,
  // GetControlIndex: CtrlList), or -1.
  int GetIndex(const AnsiString& AIDName) const;
  int GetControlIndex(const AnsiString& AIDName) const;

  // Every load sends 1225, clears the skin, reads the new one and sends 1226 and 1227, also when it
  // finds no skin (Empty stays true then). A load that fails leaves the skin cleared, still sends 1226
  // and 1227, then raises the error. A load started from a handler of these messages while this
  // component is loading is refused with EInvalidOperation.
  //
  // A skin directory: the INI file and the bitmaps it names, found next to it ("\" and "/" both
  // separate directories; a name whose letter case differs from the file on disk is found too). A
  // folder given for the file loads the skin.ini inside it.
  void LoadFromFile(const AnsiString& FileName);
  // Writes the INI file (a temporary file renamed over it); bitmaps are neither written nor copied.
  // Raises EIniFileException when the file cannot be written. Sends nothing.
  void SaveToFile(const AnsiString& FileName);
  void LoadStoredSkin(TbsStoredSkin* S);
  // An empty component loads nothing and sends nothing.
  void LoadCompressedStoredSkin(TbsCompressedStoredSkin* C);
  // Clears, then sends 1225, 1226, 1227.
  void ClearSkin();
  // Why the last load gave no skin: the file is missing, or names the section that makes it no skin, or
  // the message of the error the load raised. Empty after a load that found a skin and after
  // ClearSkin. The loads stay silent about a missing or foreign file (Empty is all they change); a
  // program that tells its user why reads this.
  const AnsiString& LastError() const { return FLastError; }
  // Frees every record and active picture; resets the window picture index of the popup and hint
  // records.
  void ClearObjects();
  // ClearObjects, empties the three base bitmaps and their names and the skin's name, author and
  // comments, sets Empty.
  void ClearAll();
  // Loads the bitmap file and appends it, with its bare file name, to the active pictures; nothing is
  // appended when the load fails.
  void AddBitMap(const AnsiString& FileName);
  // Removes active picture Index (EListError when there is none). Later pictures move down by one; the
  // records' picture indexes are left as they are. A picture that stands at other indexes too stays there.
  void DeleteBitMap(int Index);
  // Sends Msg (wParam this component, lParam 1000) to the owner when it is a form, then to every other
  // form of the screen in its order, each synchronously and each through its window (created when it
  // has none yet).
  void SendSkinDataMessage(UINT Msg);

  // Steps of the loaders and of SaveToFile.
  void LoadNames();
  void EraseSections(TCustomIniFile* IniFile);
  // Splits "IDName:keyword" at the first colon; both results are empty when there is none.
  static void GetObjectTypeName(const AnsiString& S, AnsiString& IDName, AnsiString& TypeName);
  void ReadFormInfo(TCustomIniFile* IniFile);
  void WriteFormInfo(TCustomIniFile* IniFile);
  void ReadObjects(TCustomIniFile* IniFile);
  void WriteObjects(TCustomIniFile* IniFile);
  void ReadCtrls(TCustomIniFile* IniFile);
  void WriteCtrls(TCustomIniFile* IniFile);
  void ReadActivePictures(TCustomIniFile* IniFile, const AnsiString& Path);
  void WriteActivePictures(TCustomIniFile* IniFile);

  // ---- The skin (read by the form engine, menus, hints and controls) ----
  // A picture index is usable when it is 0 or more and below ActivePictures->Count().
  const std::unique_ptr<TList> ObjectList;  // TbsDataSkinObject*, owned, in file order
  const std::unique_ptr<TList> CtrlList;    // TbsDataSkinControl*, owned, in file order
  // TBitmap*, owned. Entries that name one file are one picture, standing at each of their indexes.
  const std::unique_ptr<TList> ActivePictures;
  const std::unique_ptr<TStringList> ActivePictureNames;
  const std::unique_ptr<TStringList> RecordNames;
  const std::unique_ptr<TBitmap> Picture;
  const std::unique_ptr<TBitmap> InActivePicture;
  const std::unique_ptr<TBitmap> Mask;
  const std::unique_ptr<TbsDataSkinPopupWindow> PopupWindow;
  const std::unique_ptr<TbsDataSkinHintWindow> HintWindow;
  AnsiString PictureName, InActivePictureName, MaskName;
  bool Empty { true };  // no usable skin (also while loading)
  // When set, loads fill RecordNames and saves erase the sections it names first.
  bool EraseRecordSections { false };
  // The most a load may hold in memory: the INI text and what its parser builds, the pictures decoded (a
  // picture at several indexes counts once; a picture file's bytes count while they are decoded) and
  // what is inflated from a compressed skin. Each is counted before it is read, from its size, a scan of
  // the text, a picture's headers or each block inflated; a load that would need more fails with
  // EbsSkinTooLarge naming what went past it, before that memory is spent.
  int64_t MaxPictureBytes { MaxSkinPictureBytes };

  TRect ButtonsRect;
  TRect CaptionRect;
  int ButtonsOffset { 0 };
  bool ButtonsInLeft { false };
  bool AutoRenderingInActiveImage { false };
  TbsInActiveEffect InActiveEffect { ieBrightness };
  TPoint LTPoint, RTPoint, LBPoint, RBPoint;
  int BGPictureIndex { -1 };
  bool MainMenuPopupUp { false };
  TRect MaskRectArea;
  TPoint HitTestLTPoint, HitTestRTPoint, HitTestLBPoint, HitTestRBPoint;
  TRect ClRect;
  int BorderWidth { 0 };
  AnsiString SkinName, SkinAuthor, AuthorURL, AuthorEmail, SkinComments;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void ReadVersion(TCustomIniFile* IniFile);
  // Runs Read between 1225 and 1226/1227 (see LoadFromFile); Read returns why it found no skin, empty
  // when it found one.
  void Load(const std::function<AnsiString()>& Read);
  // Marks the component busy for a load or ClearSkin; refuses to nest.
  void BeginChange();

  // The first index of each name of a record list, so that a skin of tens of thousands of records is
  // not walked at every paint; made again whenever the list changed. A name found is checked against its
  // record (a record renamed in place is looked for in the list as it stands); a name the index lacks
  // is taken as absent, so a record renamed in code to a new name is found once the list changes.
  struct TNameIndex {
    std::unordered_map<AnsiString, int> First;
    const TList* List { nullptr };
    uint64_t Changes { 0 };
  };
  mutable TNameIndex FObjectNames, FControlNames;

  TbsStoredSkin* FStoredSkin { nullptr };
  TbsCompressedStoredSkin* FCompressedStoredSkin { nullptr };
  bool FLoading { false };
  AnsiString FLastError;
  xj::skin::TSkinBudget* FBudget { nullptr };  // the running load's, while one runs
};

// ---- Stored skins ---------------------------------------------------------------------------------------

// A skin kept in a form: the INI lines and, in the binary property "Pictures", the three base bitmaps
// (a flag byte each, 1 = none) and the active pictures (a 32-bit count, then the images), each a
// complete bitmap file image.
class TbsStoredSkin : public TComponent {
  XJ_CLASS(TbsStoredSkin, TComponent)
 public:
  explicit TbsStoredSkin(TComponent* AOwner);
  ~TbsStoredSkin() override;

  // Published. At design time (not while the form is read) the skin INI file named is loaded and only
  // its bare name kept; otherwise the name is stored as given.
  const AnsiString& FileName() const { return FFileName; }
  void SetFileName(const AnsiString& Value);
  TStrings* IniStrings() const { return FIniStrings.get(); }
  void SetIniStrings(TStrings* Value);

  void ClearBitMaps();
  // Fills the component from a skin directory; changes nothing unless every bitmap loads.
  void LoadFromFile(const AnsiString& FileName);

  // The "Pictures" property. Reading replaces the pictures only when the whole layout reads; counts and
  // image sizes are checked against the bytes there (EReadError, EInvalidGraphic).
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);

  const std::unique_ptr<TBitmap> Picture;
  const std::unique_ptr<TBitmap> InActivePicture;
  const std::unique_ptr<TBitmap> Mask;
  const std::unique_ptr<TList> ActivePictures;  // TBitmap*, owned; as TbsSkinData's, one per file

 protected:
  void DefineProperties(TFiler* Filer) override;

 private:
  AnsiString FFileName;
  const std::unique_ptr<TStringList> FIniStrings;
};

// A skin kept in a form as one zlib stream (RFC 1950, best compression) of the payload: the marker 1,
// the three flagged base bitmaps, the count and images of the active pictures, the INI text.
class TbsCompressedStoredSkin : public TComponent {
  XJ_CLASS(TbsCompressedStoredSkin, TComponent)
 public:
  explicit TbsCompressedStoredSkin(TComponent* AOwner);
  ~TbsCompressedStoredSkin() override;

  // Published; as TbsStoredSkin's, loading with LoadFromIniFile.
  const AnsiString& FileName() const { return FFileName; }
  void SetFileName(const AnsiString& Value);

  // No compressed data.
  bool Empty() const;
  // Inflates all of CompressedData into Stream; raises EDecompressionError for corrupt or truncated
  // data and for a payload beyond MaxPayloadSize.
  void DeCompressToStream(TMemoryStream* Stream);
  // Packs a skin directory; CompressedData changes only when it is a skin and every bitmap loads.
  void LoadFromIniFile(const AnsiString& FileName);
  // A compressed skin file: the marker 1, a 32-bit size, the data. CompressedData changes only when the
  // file is whole; another marker, a negative size or one past the end of the file raise EReadError,
  // and more data than a skin of MaxSkinPictureBytes packs into raises EbsSkinTooLarge before it is read.
  void LoadFromCompressFile(const AnsiString& FileName);
  // Writes a temporary file and renames it over FileName; does nothing for an empty component. Raises
  // EFCreateError when the file cannot be written.
  void SaveToCompressFile(const AnsiString& FileName);

  // The "CompressedData" property: the bytes as they are.
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);

  const std::unique_ptr<TMemoryStream> CompressedData;

  // The largest skin payload inflated: skins are a few megabytes, and the data may come from outside.
  static constexpr int64_t MaxPayloadSize = int64_t { 256 } << 20;

 protected:
  void DefineProperties(TFiler* Filer) override;

 private:
  AnsiString FFileName;
};
