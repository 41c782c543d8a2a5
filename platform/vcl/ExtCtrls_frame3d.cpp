// Frame3D, the nested 3-D rings every bevelled control of the library draws.

#include "platform/vcl/ExtCtrls.h"

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width) {
  TPen* pen = Canvas->Pen();
  pen->SetWidth(1);
  for (int ring = 0; ring < Width; ++ring) {
    // The polylines end one pixel short, so the rectangle is made inclusive first.
    --Rect.Right;
    --Rect.Bottom;
    pen->SetColor(TopColor);
    Canvas->Polyline({ TPoint(Rect.Left, Rect.Bottom), TPoint(Rect.Left, Rect.Top), TPoint(Rect.Right, Rect.Top) });
    pen->SetColor(BottomColor);
    Canvas->Polyline(
        { TPoint(Rect.Right, Rect.Top), TPoint(Rect.Right, Rect.Bottom), TPoint(Rect.Left - 1, Rect.Bottom) });
    ++Rect.Right;
    ++Rect.Bottom;
    Rect.Left += 1;
    Rect.Top += 1;
    Rect.Right -= 1;
    Rect.Bottom -= 1;
  }
}
