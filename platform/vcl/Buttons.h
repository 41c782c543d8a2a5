#pragma once
// The class library's Buttons unit: the speed button.

#include <memory>

#include "platform/vcl/Controls.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
XJ_ENUM_IDENTS(TButtonLayout, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom);
// The look a button is drawn in; also the order of the cells of a glyph.
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
XJ_ENUM_IDENTS(TButtonState, bsUp, bsDisabled, bsDown, bsExclusive);
typedef int TNumGlyphs;

// A windowless push button with an optional glyph beside its caption. It clicks when the left button is
// released over it after being pressed on it. With a GroupIndex it stays down when clicked, and the
// buttons of one parent sharing that index are exclusive: pressing one releases the others; with
// AllowAllUp the down button of the group may also be released. Flat buttons show their frame only
// while the pointer is over them (or while down).
//
// The glyph holds NumGlyphs cells side by side: up, disabled, down, exclusive (down and stuck). A missing
// disabled cell is made from the up cell's shape, embossed in the highlight and shadow colours; a
// missing down cell is the up cell, a missing exclusive cell the down cell. The glyph's transparent
// colour (its bottom-left pixel, R12) is never drawn.
class TSpeedButton : public TGraphicControl {
  XJ_CLASS(TSpeedButton, TGraphicControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;

  bool AllowAllUp() const { return FAllowAllUp; }
  // Passed on to the other buttons of the group.
  void SetAllowAllUp(bool Value);
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int Value);
  bool Down() const { return FDown; }
  // Ignored without a GroupIndex; releasing the down button of a group needs AllowAllUp.
  void SetDown(bool Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  TBitmap* Glyph() const { return FGlyph.get(); }
  // Copies Value; a glyph whose width is 1 to 4 times its height sets NumGlyphs to that ratio.
  void SetGlyph(TBitmap* Value);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout Value);
  // Pixels between the edge and the glyph; -1 centres glyph and caption together.
  int Margin() const { return FMargin; }
  void SetMargin(int Value);
  // Clamped to 1..4.
  TNumGlyphs NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(TNumGlyphs Value);
  // Pixels between the glyph and the caption; -1 centres the caption in the space the margin leaves.
  int Spacing() const { return FSpacing; }
  void SetSpacing(int Value);
  // A flat button that is not transparent fills its face with its colour.
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);

  void Click() override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

  TButtonState FState { bsUp };

 private:
  bool Inside(int X, int Y);
  // Tells the siblings that this button went down (and its AllowAllUp).
  void UpdateExclusive();
  // Whether the pointer is over the button, for the flat frame.
  void UpdateTracking();
  void ButtonPressed(TMessage& Message);
  void GlyphChanged(TObject* Sender);
  void DrawGlyph(TCanvas* Canvas, TPoint At, TButtonState State);

  std::unique_ptr<TBitmap> FGlyph;
  int FGroupIndex { 0 };
  bool FDown { false };
  bool FDragging { false };
  bool FAllowAllUp { false };
  TButtonLayout FLayout { blGlyphLeft };
  int FSpacing { 4 };
  int FMargin { -1 };
  bool FFlat { false };
  bool FMouseInControl { false };
  bool FTransparent { true };
  TNumGlyphs FNumGlyphs { 1 };
};
