// TBevel: boxes, etched frames and edge lines in the button shadow and highlight colours.

#include "platform/vcl/ExtCtrls.h"

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle << csReplicatable;
  SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape Value) {
  if (FShape == Value) return;
  FShape = Value;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  Invalidate();
}

void TBevel::Paint() { PaintShape(clBtnShadow, clBtnHighlight); }

void TBevel::Ring(int l, int t, int r, int b, TColor TopLeft, TColor BottomRight) {
  TCanvas* c = Canvas();
  c->Pen()->SetColor(TopLeft);
  c->Polyline({ TPoint(l, b), TPoint(l, t), TPoint(r, t) });
  c->Pen()->SetColor(BottomRight);
  c->Polyline({ TPoint(r, t), TPoint(r, b), TPoint(l, b) });
}

void TBevel::PaintShape(TColor Dark, TColor Light) {
  TCanvas* c = Canvas();
  TPen* pen = c->Pen();
  pen->SetWidth(1);
  pen->SetStyle(psSolid);
  const TColor first = FStyle == bsLowered ? Dark : Light;
  const TColor second = FStyle == bsLowered ? Light : Dark;
  const int w = Width(), h = Height();

  auto line = [&](TColor color, int x1, int y1, int x2, int y2) {
    pen->SetColor(color);
    c->Polyline({ TPoint(x1, y1), TPoint(x2, y2) });
  };

  switch (FShape) {
    case bsBox:
      Ring(0, 0, w - 1, h - 1, first, second);
      break;
    case bsFrame:
      // Two offset rings, each of one colour: the etched look.
      Ring(1, 1, w - 1, h - 1, second, second);
      Ring(0, 0, w - 2, h - 2, first, first);
      break;
    case bsTopLine:
      line(first, 0, 0, w, 0);
      line(second, 0, 1, w, 1);
      break;
    case bsBottomLine:
      line(first, 0, h - 2, w, h - 2);
      line(second, 0, h - 1, w, h - 1);
      break;
    case bsLeftLine:
      line(first, 0, 0, 0, h);
      line(second, 1, 0, 1, h);
      break;
    case bsRightLine:
      line(first, w - 2, 0, w - 2, h);
      line(second, w - 1, 0, w - 1, h);
      break;
    case bsSpacer:
      break;
  }
}

XJ_PUBLISHED(TBevel,
  XJ_PROP(Align, alNone)
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(Constraints)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(Shape, bsBox)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(Style, bsLowered)
  XJ_PROP(Visible, true));
