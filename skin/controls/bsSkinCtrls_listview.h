#pragma once
// The skinned header control: a header bar whose sections are painted from a button record in three
// states (normal, hot under the mouse, pressed) or in a built-in flat look without one, with a click
// event that only a real click on a section fires.

#include <memory>

#include "platform/vcl/ComCtrls_header.h"
#include "skin/controls/bsSkinCtrls_base.h"

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
