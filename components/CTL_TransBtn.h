#pragma once
// TTransparentButton: a windowless button that paints a caption and an optional glyph straight onto
// its parent, with one of seven frame styles, nine caption positions, a hover look, a stay-down mode,
// a popup menu dropped under it and a mode in which the user drags it around.
//
// The glyph is a strip of NumGlyphs equal cells: cell 0 up, cell 1 disabled, cell 2 down (cell 3 is
// kept but never drawn). The image list holds the cells, then a gray copy of cell 0 (shown by
// fsExplorer with AutoGray while the mouse is elsewhere), then an embossed copy of cell 0 (shown by a
// disabled one-cell button).

#include <memory>

#include "platform/vcl/Controls.h"
#include "platform/vcl/Graphics.h"

class TImageList;
class TPopupMenu;

enum TFrameStyle { fsRegular, fsIndent, fsExplorer, fsNone, fsLight, fsDark, fsMono };
XJ_ENUM_IDENTS(TFrameStyle, fsRegular, fsIndent, fsExplorer, fsNone, fsLight, fsDark, fsMono);

// Where the caption sits: clockwise from the top-left corner, then the centre.
enum TTextAlign {
  ttaTopLeft,
  ttaTop,
  ttaTopRight,
  ttaRight,
  ttaBottomRight,
  ttaBottom,
  ttaBottomLeft,
  ttaLeft,
  ttaCenter
};
XJ_ENUM_IDENTS(TTextAlign, ttaTopLeft, ttaTop, ttaTopRight, ttaRight, ttaBottomRight, ttaBottom, ttaBottomLeft, ttaLeft,
               ttaCenter);

class TTransparentButton : public TGraphicControl {
  XJ_CLASS(TTransparentButton, TGraphicControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TTransparentButton(TComponent* AOwner);
  ~TTransparentButton() override;

  bool AutoGray() const { return FAutoGray; }
  void SetAutoGray(bool Value);
  unsigned BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(unsigned Value);
  AnsiString Caption() { return TControl::Caption(); }
  void SetCaption(const AnsiString& Value);
  bool Down() const { return FDown; }
  void SetDown(bool Value) { SetStayDown(Value); }
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle Value);
  TBitmap* Glyph() const { return FGlyph.get(); }
  // Copies Value into the glyph (the cells are rebuilt from it).
  void SetGlyph(TBitmap* Value);
  // 1 to 4; other values are brought into that range. A change rebuilds the cells.
  int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int Value);
  TPopupMenu* PopUpMenu() const { return FPopUpMenu; }
  void SetPopUpMenu(TPopupMenu* Value);
  bool ShowPressed() const { return FShowPressed; }
  void SetShowPressed(bool Value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int Value);
  TTextAlign TextAlign() const { return FTextAlign; }
  void SetTextAlign(TTextAlign Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  bool Movable() const { return FMovable; }
  void SetMovable(bool Value) { FMovable = Value; }

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseExit;

  // What the button shows now, for callers that lay out around it.
  bool Pressed() const { return FState == 1; }
  bool Hovered() const { return FHover; }
  // The glyph's place in the button for the current size, spacing and caption position.
  TRect GlyphRect() const;

  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  void GlyphChanged(TObject* Sender);
  void AddGlyphs(TBitmap* AGlyph);
  bool InsideBtn(int X, int Y) const;
  void PaintButton();
  void DrawTheBitmap(TRect R);
  void DrawTheText(const TRect& R);

 private:
  void SetStayDown(bool Value);
  void MakeGrayImage(TBitmap* Cell);
  void MakeDisabledImage(TBitmap* Cell);
  void PaintBackground(int Border);
  void PaintDesignOutline();
  void PaintPressedEdges(int Border);
  void PaintRaisedEdges(int Border);
  TPoint TextOffset(int TW, int TH, const TRect& G) const;
  int CellWidth() const;
  bool IsGlyphStored() const { return !FGlyph->Empty(); }
  void CMDialogChar(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);

  std::unique_ptr<TBitmap> FGlyph;
  std::unique_ptr<TImageList> FImages;
  std::unique_ptr<TBitmap> FGrayImage;
  std::unique_ptr<TBitmap> FDisabledImage;
  TPopupMenu* FPopUpMenu { nullptr };
  bool FAutoGray { true };
  unsigned FBorderWidth { 1 };
  bool FDown { false };
  TFrameStyle FFrameStyle { fsExplorer };
  int FNumGlyphs { 1 };
  bool FShowPressed { true };
  int FSpacing { 2 };
  TTextAlign FTextAlign { ttaCenter };
  bool FTransparent { true };
  bool FWordWrap { false };
  bool FMovable { false };
  bool FPressing { false };  // a press is in progress
  bool FTracking { false };  // the press began inside, or Down holds the button
  int FState { 0 };          // 0 up, 1 down
  bool FHover { false };
  int FDragX { 0 };
  int FDragY { 0 };
};

namespace CTL_TransBtn {
// Puts the button on the component palette (and lets form resources name it).
void Register();
}  // namespace CTL_TransBtn
