#pragma once
// The skinned page control, tab control and tab sheets. The native tab control only lays the tabs out;
// the skinned controls paint every pixel themselves from the skin's "tab" record (frame, tab strip
// background, one image per tab state), or in a plain default look without one. Both controls share
// the painting, hot-tab tracking and tab-scrolling rules through TbsTabSkin.

#include <memory>

#include "platform/vcl/ComCtrls_tabs.h"
#include "skin/controls/bsSkinCtrls_base.h"

class TbsSkinData;
class TbsDataSkinTabControl;
class TbsSkinUpDown;

// A bitmap turned a quarter round with its top-left corner at (X, Y): _1 counter-clockwise (the top row
// becomes the left column, read from bottom to top), _2 clockwise.
void DrawBitmapRotated90_1(TCanvas* Canvas, TBitmap* Bitmap, int X, int Y);
void DrawBitmapRotated90_2(TCanvas* Canvas, TBitmap* Bitmap, int X, int Y);
// Glyph and caption side by side, centred as one block in a W x H area.
void DrawTabGlyphAndText(TCanvas* Canvas, int W, int H, const AnsiString& S, TCustomImageList* Images, int ImageIndex,
                         bool Enabled);

// What both skinned tab controls hold and do. Item indexes count shown tabs; a page control maps them
// to pages (pages without a tab have no item).
class TbsTabSkin {
 public:
  explicit TbsTabSkin(TCustomTabControl* AControl);
  ~TbsTabSkin();

  // Refreshes the fields from the record; without a skin, or with a record that is missing, of another
  // class or without a picture, the default look (index -1, no picture).
  void GetSkinData();
  // The whole control into one off-screen bitmap, copied to DC once.
  void PaintWindow(HDC DC);
  void PaintSkinWindow(TCanvas* Canvas);
  void PaintDefaultWindow(TCanvas* Canvas);
  void DrawTabs(TCanvas* Canvas);
  void DrawTab(int TI, const TRect& Rct, bool Active, bool MouseIn, TCanvas* Cnvs);
  TRect GetItemRect(int Index);
  // The tab height asked for is kept and asked again of every new window.
  void SetItemSize(int AWidth, int AHeight);
  void ItemSizeAgain();
  // The frame's border widths, all 0 in the default look (and over a background picture).
  TRect Borders() const;
  bool Skinned() const { return SkinObjectIndex != -1; }

  // Rectangle adjustments of TCM_GETITEMRECT and TCM_ADJUSTRECT after the native answer.
  void AdjustItemRect(TRect& R) const;
  void AdjustDisplayRect(TRect& R) const;
  // A native tab rectangle on the far side of the display area (ScrollOpposite).
  bool OnFarSide(const TRect& R) const;

  // Hot tab.
  void TestActive(int X, int Y);
  void MouseLeave();

  // Tab scrolling.
  int ItemCount() const;
  int GetInVisibleItemCount();
  int GetPosition();
  // Scrolls the row so that item Position comes first and repaints.
  void ScrollTo(int Position);
  // The skinned arrows replace the native ones while tabs are hidden (always in one row for a page
  // control; MultiLine plays no part for a tab control).
  void CheckScroll();
  void ShowSkinUpDown();
  void HideSkinUpDown();
  void PlaceSkinUpDown();
  // After a skin change: the arrows made again for the new skin, when there are any.
  void RenewSkinUpDown();
  // The tab height of the look (and no arrows over several rows).
  void UpDateTabs();
  // Unskinned: the default tab height asked of the native control (true); skinned: nothing (false).
  bool ApplyDefaultItemHeight();
  // Font and tab height after a skin change.
  void FollowSkin(TFont* Font);

  // The page (page control) or tab (tab control) index of an item, -1 when none.
  int TabOfItem(int Item) const;

  TCustomTabControl* Control;
  bool IsPageControl { false };
  TbsSkinData* SkinData { nullptr };
  AnsiString SkinDataName { "tab" };
  std::unique_ptr<TFont> DefaultFont;
  bool UseSkinFont { true };
  int DefaultItemHeight { 20 };
  int HotTab { -1 }, OldHotTab { -1 };
  int ItemWidth { 0 }, ItemHeight { -1 };  // -1: never set
  TbsSkinUpDown* SkinUpDown { nullptr };   // owned by the control; null while every tab fits

  int SkinObjectIndex { -1 };
  TBitmap* Picture { nullptr };
  TRect SkinRect, ClRect, TabRect, ActiveTabRect, FocusTabRect, MouseInTabRect, TabsBGRect;
  TPoint LTPoint, RTPoint, LBPoint, RBPoint;
  int TabLeftOffset { 0 }, TabRightOffset { 0 };
  AnsiString FontName;
  TFontStyles FontStyle;
  int FontHeight { 0 };
  TColor FontColor { 0 }, ActiveFontColor { 0 }, FocusFontColor { 0 }, MouseInFontColor { 0 };
  AnsiString UpDownName;
  int BGPictureIndex { -1 };

  // The default look, nothing of the skin kept.
  void Unskin();

 private:
  // Active picture Index of the skin, or null.
  TBitmap* ActivePicture(int Index) const;
};

// ---- Page control -------------------------------------------------------------------------------------

class TbsSkinPageControl : public TPageControl, public IbsSkinChangeTarget {
  XJ_CLASS(TbsSkinPageControl, TPageControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinPageControl(TComponent* AOwner);
  ~TbsSkinPageControl() override;

  TbsSkinData* SkinData() const override { return FSkin.SkinData; }
  void SetSkinData(TbsSkinData* Value);
  const AnsiString& SkinDataName() const { return FSkin.SkinDataName; }
  void SetSkinDataName(const AnsiString& Value) { FSkin.SkinDataName = Value; }
  TFont* DefaultFont() const { return FSkin.DefaultFont.get(); }
  void SetDefaultFont(TFont* Value);
  bool UseSkinFont() const { return FSkin.UseSkinFont; }
  void SetUseSkinFont(bool Value) { FSkin.UseSkinFont = Value; }
  int DefaultItemHeight() const { return FSkin.DefaultItemHeight; }
  void SetDefaultItemHeight(int Value);
  int SkinObjectIndex() const { return FSkin.SkinObjectIndex; }
  int HotTab() const { return FSkin.HotTab; }
  // The page of the hot tab, -1 without one.
  int HotPage() const { return FSkin.TabOfItem(FSkin.HotTab); }
  TbsTabSkin& Skin() { return FSkin; }

  void ChangeSkinData() override;
  void BeforeChangeSkinData() override;
  void UpDateTabs();
  // The sheets paint from this control's skin: they repaint with it.
  void InvalidateSheets();
  void GetSkinData() { FSkin.GetSkinData(); }
  int GetInVisibleItemCount() { return FSkin.GetInVisibleItemCount(); }
  int GetPosition() { return FSkin.GetPosition(); }

  void PaintWindow(HDC DC) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Change() override;
  void CreateWnd() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  TbsTabSkin FSkin { this };
};

// ---- Tab control --------------------------------------------------------------------------------------

class TbsSkinTabControl : public TTabControl, public IbsSkinChangeTarget {
  XJ_CLASS(TbsSkinTabControl, TTabControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinTabControl(TComponent* AOwner);
  ~TbsSkinTabControl() override;

  TbsSkinData* SkinData() const override { return FSkin.SkinData; }
  void SetSkinData(TbsSkinData* Value);
  const AnsiString& SkinDataName() const { return FSkin.SkinDataName; }
  void SetSkinDataName(const AnsiString& Value) { FSkin.SkinDataName = Value; }
  TFont* DefaultFont() const { return FSkin.DefaultFont.get(); }
  void SetDefaultFont(TFont* Value);
  bool UseSkinFont() const { return FSkin.UseSkinFont; }
  void SetUseSkinFont(bool Value) { FSkin.UseSkinFont = Value; }
  int DefaultItemHeight() const { return FSkin.DefaultItemHeight; }
  void SetDefaultItemHeight(int Value);
  int SkinObjectIndex() const { return FSkin.SkinObjectIndex; }
  int HotTab() const { return FSkin.HotTab; }
  TbsTabSkin& Skin() { return FSkin; }

  void ChangeSkinData() override;
  void BeforeChangeSkinData() override;
  void UpDateTabs();
  int GetInVisibleItemCount() { return FSkin.GetInVisibleItemCount(); }
  int GetPosition() { return FSkin.GetPosition(); }

  void PaintWindow(HDC DC) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Change() override;
  void CreateWnd() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  TbsTabSkin FSkin { this };
};

// ---- Tab sheets ---------------------------------------------------------------------------------------

// A page that paints its background from its skinned page control's record (client piece tiled, or the
// record's background picture); under any other parent, the plain button face.
class TbsSkinCustomTabSheet : public TTabSheet {
  XJ_CLASS(TbsSkinCustomTabSheet, TTabSheet)
 public:
  explicit TbsSkinCustomTabSheet(TComponent* AOwner);
  ~TbsSkinCustomTabSheet() override;

  void PaintBG(HDC DC);
  void Dispatch(TMessage& Message) override;
};

class TbsSkinTabSheet : public TbsSkinCustomTabSheet {
  XJ_CLASS(TbsSkinTabSheet, TbsSkinCustomTabSheet)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinTabSheet(TComponent* AOwner);
  ~TbsSkinTabSheet() override;
};
