#pragma once
// The class library's ComCtrls unit, as far as the console needs it: the track bar and the status bar.
// Both paint themselves in the classic look.

#include <memory>
#include <vector>

#include "platform/vcl/Controls.h"

// ---- TTrackBar ----------------------------------------------------------------------------------------

enum TTrackBarOrientation { trHorizontal, trVertical };
XJ_ENUM_IDENTS(TTrackBarOrientation, trHorizontal, trVertical);
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
XJ_ENUM_IDENTS(TTickMark, tmBottomRight, tmTopLeft, tmBoth);
enum TTickStyle { tsNone, tsAuto, tsManual };
XJ_ENUM_IDENTS(TTickStyle, tsNone, tsAuto, tsManual);

// A thumb on a sunken channel choosing a Position between Min and Max (any int range; the arithmetic is
// 64-bit). Min is at the left, or at the top when vertical. The user drags the thumb, clicks beside it
// to move by PageSize (repeating while the button is held), or uses the arrow keys (LineSize), Page Up
// and Page Down (PageSize), Home and End. Ticks: every Frequency with tsAuto; with tsManual the two end
// ticks and those added by SetTick.
//
// OnChange follows every change of Position, by the user or by the program. Setting Min above Max (or
// Max below Min) raises EInvalidOperation; while a form resource loads, the three are checked once
// loading ends.
class TTrackBar : public TCustomControl {
  XJ_CLASS(TTrackBar, TCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TTrackBar(TComponent* AOwner);
  ~TTrackBar() override;

  // Changing it outside loading turns the control: width and height swap.
  TTrackBarOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TTrackBarOrientation Value);
  int Min() const { return FMin; }
  void SetMin(int Value);
  int Max() const { return FMax; }
  void SetMax(int Value);
  // Clamped to Min..Max.
  int Position() const { return FPosition; }
  void SetPosition(int Value);
  // At least 1.
  int Frequency() const { return FFrequency; }
  void SetFrequency(int Value);
  int LineSize() const { return FLineSize; }
  void SetLineSize(int Value) { FLineSize = Value; }
  int PageSize() const { return FPageSize; }
  void SetPageSize(int Value) { FPageSize = Value; }
  // The thumb's extent across the channel (at least 5); along the channel it is about half of that.
  int ThumbLength() const { return FThumbLength; }
  void SetThumbLength(int Value);
  TTickMark TickMarks() const { return FTickMarks; }
  void SetTickMarks(TTickMark Value);
  TTickStyle TickStyle() const { return FTickStyle; }
  void SetTickStyle(TTickStyle Value);
  bool SliderVisible() const { return FSliderVisible; }
  void SetSliderVisible(bool Value);
  // Stored only: no selection range is shown.
  int SelStart() const { return FSelStart; }
  void SetSelStart(int Value) { FSelStart = Value; }
  int SelEnd() const { return FSelEnd; }
  void SetSelEnd(int Value) { FSelEnd = Value; }
  // A manual tick at Value (between Min and Max; others are ignored).
  void SetTick(int Value);

  void Dispatch(TMessage& Message) override;

  TNotifyEvent OnChange;

 protected:
  void Changed() override;
  void Paint() override;
  void Loaded() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;

 private:
  struct TGeometry;
  TGeometry Geometry();
  // Along the channel: the pixel of a position's thumb centre, and back.
  int PositionToPixel(const TGeometry& G, int Value) const;
  int PixelToPosition(const TGeometry& G, int Pixel) const;
  // The steps of Paint.
  std::vector<int> TickPixels(const TGeometry& G) const;
  void PaintTicks(TCanvas* C, const TGeometry& G);
  void PaintThumb(TCanvas* C, HDC DC, const TGeometry& G);
  void MoveBy(int64_t Delta);
  void PageStep();
  void StopTracking();

  TTrackBarOrientation FOrientation { trHorizontal };
  int FMin { 0 };
  int FMax { 10 };
  int FPosition { 0 };
  int FFrequency { 1 };
  int FLineSize { 1 };
  int FPageSize { 2 };
  int FThumbLength { 20 };
  TTickMark FTickMarks { tmBottomRight };
  TTickStyle FTickStyle { tsAuto };
  bool FSliderVisible { true };
  int FSelStart { 0 };
  int FSelEnd { 0 };
  std::vector<int> FTicks;
  // Mouse tracking: dragging the thumb (grabbed this far from its centre), or paging toward a point.
  bool FDragging { false };
  int FGrabOffset { 0 };
  bool FPaging { false };
  TPoint FPagePoint;
};

// ---- TStatusBar ---------------------------------------------------------------------------------------

class TStatusBar;

enum TStatusPanelStyle { psText, psOwnerDraw };
XJ_ENUM_IDENTS(TStatusPanelStyle, psText, psOwnerDraw);
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };
XJ_ENUM_IDENTS(TStatusPanelBevel, pbNone, pbLowered, pbRaised);

class TStatusPanel : public TCollectionItem {
  XJ_CLASS(TStatusPanel, TCollectionItem)
 public:
  explicit TStatusPanel(TCollection* Collection) : TCollectionItem(Collection) {}

  void Assign(TPersistent* Source) override;
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TStatusPanelBevel Bevel() const { return FBevel; }
  void SetBevel(TStatusPanelBevel Value);
  // psOwnerDraw panels are drawn by the status bar's OnDrawPanel.
  TStatusPanelStyle Style() const { return FStyle; }
  void SetStyle(TStatusPanelStyle Value);
  const AnsiString& Text() const { return FText; }
  void SetText(const AnsiString& Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);

 protected:
  AnsiString GetDisplayName() const override;

 private:
  TAlignment FAlignment { taLeftJustify };
  TStatusPanelBevel FBevel { pbLowered };
  TStatusPanelStyle FStyle { psText };
  AnsiString FText;
  int FWidth { 50 };
};

class TStatusPanels : public TCollection {
  XJ_CLASS(TStatusPanels, TCollection)
 public:
  explicit TStatusPanels(TStatusBar* StatusBar);

  TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
  TStatusPanel* Items(int Index) const { return static_cast<TStatusPanel*>(TCollection::Items(Index)); }
  void SetItems(int Index, TStatusPanel* Value) { TCollection::SetItems(Index, Value); }
  TStatusPanel* operator[](int Index) const { return Items(Index); }

 protected:
  TPersistent* GetOwner() override;
  void Update(TCollectionItem* Item) override;

 private:
  TStatusBar* FStatusBar;
};

typedef TClosure<void(TStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect)> TDrawPanelEvent;

// A bar of panels, aligned to the bottom by default. Each panel is Width pixels wide (the last one
// reaches the right edge, less the size grip), with a bevel and its text clipped to it; SimplePanel
// shows SimpleText in one panel instead. The size grip shows when SizeGrip is on and the parent form
// has a sizeable border; dragging it sizes the form by its bottom-right corner.
class TStatusBar : public TCustomControl {
  XJ_CLASS(TStatusBar, TCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TStatusBar(TComponent* AOwner);
  ~TStatusBar() override;

  TStatusPanels* Panels() const { return FPanels.get(); }
  void SetPanels(TStatusPanels* Value) { FPanels->Assign(Value); }
  bool SimplePanel() const { return FSimplePanel; }
  void SetSimplePanel(bool Value);
  const AnsiString& SimpleText() const { return FSimpleText; }
  void SetSimpleText(const AnsiString& Value);
  bool SizeGrip() const { return FSizeGrip; }
  void SetSizeGrip(bool Value);

  TDrawPanelEvent OnDrawPanel;

 protected:
  // An owner-drawn panel: calls OnDrawPanel with the panel's inside, the canvas ready.
  virtual void DrawPanel(TStatusPanel* Panel, const TRect& Rect);
  void Paint() override;
  void Dispatch(TMessage& Message) override;

 private:
  // The side of the grip's square in the bottom-right corner, 0 when no grip shows.
  int GripSize();
  void WMNCHitTest(TMessage& Message);
  void WMNCLButtonDown(TMessage& Message);

  std::unique_ptr<TStatusPanels> FPanels;
  bool FSimplePanel { false };
  AnsiString FSimpleText;
  bool FSizeGrip { true };

  friend class TStatusPanels;
};

XJ_UNIT_REGISTRATION(RegisterComCtrls)
#include "platform/vcl/ComCtrls_listview.h"
#include "platform/vcl/ComCtrls_tabs.h"
#include "platform/vcl/ComCtrls_richedit.h"
#include "platform/vcl/ComCtrls_treeview.h"
