// Glyph cells and the signs drawn with the pen. Every skinned part draws these the same way, so the
// shapes are given as exact line lists; a line leaves out its end point.

#include <initializer_list>

#include "platform/vcl/ExtCtrls.h"
#include "skin/data/bsUtils.h"

namespace {

struct TLine {
  int x1, y1, x2, y2;
};

// Lines relative to (X, Y), in the pen colour.
void Lines(TCanvas* C, int X, int Y, std::initializer_list<TLine> L) {
  for (const TLine& l : L) {
    C->MoveTo(X + l.x1, Y + l.y1);
    C->LineTo(X + l.x2, Y + l.y2);
  }
}

struct TBox {
  int x1, y1, x2, y2;
};

// Outlines relative to (X, Y) with a clear brush.
void Outlines(TCanvas* C, int X, int Y, std::initializer_list<TBox> B) {
  C->Brush()->SetStyle(bsClear);
  for (const TBox& b : B) C->Rectangle(X + b.x1, Y + b.y1, X + b.x2, Y + b.y2);
}

}  // namespace

void DrawGlyph(TCanvas* Canvas, int X, int Y, TBitmap* Glyph, int NumGlyphs, int GlyphNum) {
  if (!Canvas || !Glyph || Glyph->Empty() || NumGlyphs < 1 || GlyphNum < 1 || GlyphNum > NumGlyphs) return;
  const int w = Glyph->Width() / NumGlyphs, h = Glyph->Height();
  if (w < 1) return;
  TBitmap cell;
  cell.SetSize(w, h);
  cell.Canvas()->CopyRect(TRect(0, 0, w, h), Glyph->Canvas(), TRect(w * (GlyphNum - 1), 0, w * GlyphNum, h));
  // The automatic transparent colour: the cell's bottom-left pixel.
  cell.SetTransparent(true);
  Canvas->Draw(X, Y, &cell);
}

void DrawArrowImage(TCanvas* Canvas, const TRect& R, TColor Color, int Code) {
  Canvas->Pen()->SetColor(Color);
  const int cx = R.Left + RectWidth(R) / 2, cy = R.Top + RectHeight(R) / 2;
  // Four lines of 1, 3, 5 and 7 pixels from the apex; right and down are drawn widest first.
  switch (Code) {
    case 1:
      for (int i = 0; i <= 3; ++i) Lines(Canvas, cx - 2, cy, { { i, -i, i, i + 1 } });
      break;
    case 2:
      for (int i = 3; i >= 0; --i) Lines(Canvas, cx + 2, cy, { { -i, i, -i, -i - 1 } });
      break;
    case 3:
      for (int i = 0; i <= 3; ++i) Lines(Canvas, cx, cy - 2, { { -i, i, i + 1, i } });
      break;
    case 4:
      for (int i = 3; i >= 0; --i) Lines(Canvas, cx, cy + 2, { { -i, -i, i + 1, -i } });
      break;
  }
}

void DrawTrackArrowImage(TCanvas* Canvas, const TRect& R, TColor Color) {
  const int x = R.Left + RectWidth(R) / 2, y = R.Top + RectHeight(R) / 2 + 2;
  for (int i = 2; i >= 0; --i) {
    Canvas->Pen()->SetColor(Color);
    Lines(Canvas, x, y, { { -i, -i, i + 1, -i } });
  }
}

void DrawRadioImage(TCanvas* Canvas, int X, int Y, TColor Color) {
  Canvas->Pen()->SetColor(Color);
  Canvas->Brush()->SetColor(Color);
  Canvas->Rectangle(X, Y, X + 6, Y + 6);
}

void DrawCheckImage(TCanvas* Canvas, int X, int Y, TColor Color) {
  Canvas->Pen()->SetColor(Color);
  for (int i = 0; i < 3; ++i) {
    Canvas->MoveTo(X, Y + 5 - i);
    Canvas->LineTo(X + 2, Y + 7 - i);
    Canvas->LineTo(X + 7, Y + 2 - i);
  }
}

void Frm3D(TCanvas* Canvas, const TRect& R, TColor TopColor, TColor BottomColor) {
  Canvas->Pen()->SetWidth(1);
  const int l = R.Left, t = R.Top, r = R.Right - 1, b = R.Bottom - 1;
  Canvas->Pen()->SetColor(TopColor);
  Canvas->Polyline({ TPoint(l, b), TPoint(l, t), TPoint(r, t) });
  Canvas->Pen()->SetColor(BottomColor);
  Canvas->Polyline({ TPoint(r, t), TPoint(r, b), TPoint(l - 1, b) });
}

void bsDrawLookFace(TCanvas* Canvas, TRect& R, TbsLookState State, bool NormalFrame) {
  const bool lit = State != TbsLookState::Normal;
  if (lit || NormalFrame) {
    const TColor frame = lit ? clNavy : clBtnShadow;
    Frame3D(Canvas, R, frame, frame, 1);
  }
  Canvas->Brush()->SetColor(State == TbsLookState::Down ? bsLookDownFill : lit ? bsLookHotFill : clBtnFace);
  Canvas->FillRect(R);
}

void DrawCloseImage(TCanvas* Canvas, int X, int Y, TColor Color) {
  Canvas->Pen()->SetColor(Color);
  Lines(Canvas, X, Y, { { 1, 1, 9, 9 }, { 9, 1, 1, 9 }, { 2, 1, 10, 9 }, { 8, 1, 0, 9 } });
}

void DrawRCloseImage(TCanvas* Canvas, const TRect& R, TColor Color) {
  DrawCloseImage(Canvas, R.Left + RectWidth(R) / 2 - 5, R.Top + RectHeight(R) / 2 - 5, Color);
}

void DrawSysMenuImage(TCanvas* Canvas, int X, int Y, TColor Color) {
  Canvas->Pen()->SetColor(Color);
  Outlines(Canvas, X, Y, { { 1, 3, 9, 6 } });
}

void DrawMinimizeImage(TCanvas* Canvas, int X, int Y, TColor Color) {
  Canvas->Pen()->SetColor(Color);
  Lines(Canvas, X, Y, { { 1, 8, 9, 8 }, { 1, 9, 9, 9 } });
}

void DrawMaximizeImage(TCanvas* Canvas, int X, int Y, TColor Color) {
  Canvas->Pen()->SetColor(Color);
  Outlines(Canvas, X, Y, { { 0, 0, 11, 10 }, { 0, 0, 11, 2 } });
}

void DrawRestoreImage(TCanvas* Canvas, int X, int Y, TColor Color) {
  Canvas->Pen()->SetColor(Color);
  Outlines(Canvas, X, Y, { { 2, 0, 10, 6 }, { 2, 0, 10, 2 }, { 0, 4, 7, 10 }, { 0, 4, 7, 6 } });
}

void DrawRollUpImage(TCanvas* Canvas, int X, int Y, TColor Color) {
  Canvas->Pen()->SetColor(Color);
  Lines(Canvas, X, Y, { { 1, 6, 9, 6 }, { 2, 5, 8, 5 }, { 3, 4, 7, 4 }, { 4, 3, 6, 3 }, { 5, 2, 5, 2 } });
}

void DrawRestoreRollUpImage(TCanvas* Canvas, int X, int Y, TColor Color) {
  Canvas->Pen()->SetColor(Color);
  Lines(Canvas, X, Y, { { 5, 6, 5, 6 }, { 4, 5, 6, 5 }, { 3, 4, 7, 4 }, { 2, 3, 8, 3 }, { 1, 2, 9, 2 } });
}

void DrawMTImage(TCanvas* Canvas, int X, int Y, TColor Color) {
  Canvas->Pen()->SetColor(Color);
  Canvas->Brush()->SetColor(Color);
  Canvas->Rectangle(X + 2, Y + 2, X + 7, Y + 7);
}
