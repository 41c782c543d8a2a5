#pragma once
// The skinned header control: a header bar whose sections are painted from a button record in three
// states (normal, hot under the mouse, pressed) or in a built-in flat look without one, with a click
// event that only a real click on a section fires.
// The skinned list view: a stock list view with the skin's font and background, no border and no
// native bars, its scrolling shown on linked skinned bars, and its report header painted from the same
// button record as the header control's sections.

#include <memory>

#include "platform/vcl/ComCtrls_header.h"
#include "platform/vcl/ComCtrls_listview.h"
#include "skin/controls/bsSkinCtrls_base.h"
#include "skin/controls/bsSkinCtrls_views.h"

class TbsDataSkinButtonControl;

// A button record's faces as a header section uses them, copied from the record on each lookup. Flat
// (the built-in look) unless the record is a button record with a picture.
struct TbsHeaderSectionFaces {
  // Looks Name up again in Data.
  void Read(TbsSkinData* Data, const AnsiString& Name);
  bool Flat() const { return Picture == nullptr; }
  // The face from FaceRect stretched to B's size (9-slice with a vertical stretch point, else caps and
  // a tiled middle).
  void DrawFace(TBitmap* B, const TRect& FaceRect) const;
  // The area right of the last section: a face without its right edge.
  void DrawRest(TBitmap* B) const;
  // The same two filling all of B: a face without a vertical stretch point is built at the picture's
  // height and stretched to B's.
  void DrawFaceFitted(TBitmap* B, const TRect& FaceRect) const;
  void DrawRestFitted(TBitmap* B) const;

  int Index { -1 };
  TPoint LTPoint, RTPoint, LBPoint, RBPoint;
  TRect SkinRect, ClRect, ActiveSkinRect, DownSkinRect;
  TBitmap* Picture { nullptr };
  AnsiString FontName;
  TFontStyles FontStyle;
  int FontHeight { 0 };
  TColor FontColor { 0 }, ActiveFontColor { 0 }, DownFontColor { 0 };
};

typedef TClosure<void(THeaderControl* HeaderControl, THeaderSection* Section, const TRect& Rect, bool Active,
                      bool Pressed, TCanvas* Cnvs)>
    TbsCustomDrawSkinSectionEvent;

class TbsSkinHeaderControl : public THeaderControl, public IbsSkinChangeTarget {
  XJ_CLASS(TbsSkinHeaderControl, THeaderControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinHeaderControl(TComponent* AOwner);
  ~TbsSkinHeaderControl() override;

  TbsSkinData* SkinData() const override { return FSkinData; }
  void SetSkinData(TbsSkinData* Value);
  const AnsiString& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const AnsiString& Value) { FSkinDataName = Value; }
  // The record's index, or -1 for the flat look (also when the record cannot be painted).
  int SkinObjectIndex() const { return FFaces.Flat() ? -1 : FFaces.Index; }
  TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value);
  int DefaultHeight() const { return FDefaultHeight; }
  void SetDefaultHeight(int Value);
  bool UseSkinFont() const { return FUseSkinFont; }
  void SetUseSkinFont(bool Value) { FUseSkinFont = Value; }
  // Display position of the section under the mouse; -1 none.
  int ActiveSection() const { return FActiveSection; }

  // Fires after a click on a section (not after a divider drag or a section drag).
  TSectionNotifyEvent OnSkinSectionClick;
  // Replaces caption and image of a section.
  TbsCustomDrawSkinSectionEvent OnDrawSkinSection;

  void GetSkinData();
  void ChangeSkinData() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  // The section at display position Index (through the order array with DragReorder), or null.
  THeaderSection* SectionAt(int Index);
  TRect GetSkinItemRect(int Index);
  TRect DrawSkinSection(TCanvas* Cnvs, int Index, bool Active, bool Pressed);
  void DrawSkinSectionR(TCanvas* Cnvs, THeaderSection* Section, bool Active, bool Pressed, const TRect& R);

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateWnd() override;
  void PaintWindow(HDC DC) override;
  void DrawSection(THeaderSection* Section, const TRect& Rect, bool Pressed) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  bool Skinned() const { return !FFaces.Flat(); }
  // The height the skin or DefaultHeight imposes, or 0 for none.
  int ForcedHeight() const;
  // Display position of item Item; -1 when no position holds it.
  int PositionOf(int Item);
  void TestActive(int X, int Y);
  void DrawAt(int Index, bool Active);

  TbsSkinData* FSkinData { nullptr };
  AnsiString FSkinDataName { "resizebutton" };
  std::unique_ptr<TFont> FDefaultFont;
  bool FUseSkinFont { true };
  int FDefaultHeight { 0 };
  bool FOnDivider { false };
  bool FLeftButtonDown { false };
  bool FDraggingSection { false };
  int FActiveSection { -1 };
  int FOldActiveSection { -1 };
  TbsHeaderSectionFaces FFaces;
};

// ---- The skinned list view ---------------------------------------------------------------------------------

// Replaces the caption and image of a list view's header section: Cnvs is the section bitmap's canvas with
// its face drawn, R the whole bitmap.
typedef TClosure<void(TCanvas* Cnvs, TListColumn* Column, bool Pressed, const TRect& R)> TbsDrawHeaderSectionEvent;

class TbsSkinCustomListView : public TCustomListView, public IbsSkinChangeTarget {
  XJ_CLASS(TbsSkinCustomListView, TCustomListView)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinCustomListView(TComponent* AOwner);
  ~TbsSkinCustomListView() override;

  const AnsiString& HeaderSkinDataName() const { return FHeaderSkinDataName; }
  void SetHeaderSkinDataName(const AnsiString& Value) { FHeaderSkinDataName = Value; }
  TbsSkinData* SkinData() const override { return FLinks.SkinData; }
  void SetSkinData(TbsSkinData* Value);
  const AnsiString& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const AnsiString& Value) { FSkinDataName = Value; }
  int SkinObjectIndex() const { return FSkinObjectIndex; }
  TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value);
  bool UseSkinFont() const { return FUseSkinFont; }
  void SetUseSkinFont(bool Value) { FUseSkinFont = Value; }
  TColor DefaultColor() const { return FDefaultColor; }
  void SetDefaultColor(TColor Value);
  TbsSkinScrollBar* VScrollBar() const { return FLinks.VScrollBar; }
  void SetVScrollBar(TbsSkinScrollBar* Value);
  TbsSkinScrollBar* HScrollBar() const { return FLinks.HScrollBar; }
  void SetHScrollBar(TbsSkinScrollBar* Value);
  // The header record's index, or -1 for the flat look (also when the record cannot be painted).
  int HeaderSkinObjectIndex() const { return FHeaderFaces.Flat() ? -1 : FHeaderFaces.Index; }
  // The report header this view paints; null when it has none.
  HWND HeaderHandle() const { return FHeaderHandle; }

  TbsDrawHeaderSectionEvent OnDrawHeaderSection;

  // The header lets go of the old skin's picture.
  void BeforeChangeSkinData() override;
  // Applies the skin record's font and colour (or the defaults) and re-fits the bars.
  void ChangeSkinData() override;
  // Brings the linked bars in step with the view's scroll state, by view style.
  void UpDateScrollBars();
  // Looks the header's record up again.
  void HGetSkinData();
  // The column shown at display position Index (through the header's order array), or null.
  TListColumn* ColumnAt(int Index);
  // The header rectangle of the section shown at display position Index.
  TRect GetHeaderSectionRect(int Index);

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateParams(TCreateParams& Params) override;

 private:
  void UpDateScrollBars1();
  void UpDateScrollBars2();
  void UpDateScrollBars3();
  // Item 0's bounds (empty without items).
  TRect FirstItemBounds();
  void OnVScrollBarChange(TObject* Sender);
  void OnHScrollBarChange(TObject* Sender);
  // The header's order array (display position -> item), as long as the header's item count.
  std::vector<int> HeaderOrder();
  void TakeHeader(HWND Header);
  void ReleaseHeader();
  void HeaderWndProc(TMessage& Message);
  void HeaderSectionHitTest(TPoint P);
  void PaintHeader(HDC DC);
  void DrawHeaderSection(TCanvas* Cnvs, TListColumn* Column, bool Active, bool Pressed, const TRect& R);

  AnsiString FHeaderSkinDataName { "resizebutton" };
  bool FScrollBarsUpdating { false };
  bool FScrollingByBar { false };
  AnsiString FSkinDataName { "listview" };
  int FSkinObjectIndex { -1 };
  std::unique_ptr<TFont> FDefaultFont;
  bool FUseSkinFont { true };
  TColor FDefaultColor { clWindow };
  TbsViewLinks FLinks;
  int FLastVPosition { 0 };
  int FLastHPosition { 0 };
  HWND FHeaderHandle { nullptr };
  WNDPROC FHeaderInstance;
  WNDPROC FOldHeaderProc;
  int FPressedSection { 0 };
  bool FHeaderPressed { false };
  TbsHeaderSectionFaces FHeaderFaces;
};

class TbsSkinListView : public TbsSkinCustomListView {
  XJ_CLASS(TbsSkinListView, TbsSkinCustomListView)
 public:
  explicit TbsSkinListView(TComponent* AOwner) : TbsSkinCustomListView(AOwner) {}
};
