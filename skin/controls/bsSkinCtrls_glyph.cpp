#include "platform/vcl/ImgList.h"
#include "platform/win32/WinGdi_user.h"
#include "skin/controls/bsSkinCtrls_base.h"
#include "skin/data/bsUtils.h"

void CalcGlyphLayout(TbsButtonLayout Layout, const TRect& R, int GlyphWidth, int GlyphHeight, int TextWidth,
                     int TextHeight, int Spacing, int Margin, int& TextX, int& TextY, int& GlyphX, int& GlyphY) {
  const int cx = R.Left + RectWidth(R) / 2, cy = R.Top + RectHeight(R) / 2;
  const bool across = Layout == blGlyphLeft || Layout == blGlyphRight;
  // The axis across the layout is always centred.
  if (across) {
    GlyphY = cy - GlyphHeight / 2;
    TextY = cy - TextHeight / 2;
  } else {
    GlyphX = cx - GlyphWidth / 2;
    TextX = cx - TextWidth / 2;
  }
  if (Margin == -1) {
    const int sw = (TextWidth + GlyphWidth + Spacing) / 2, sh = (TextHeight + GlyphHeight + Spacing) / 2;
    switch (Layout) {
      case blGlyphLeft:
        GlyphX = cx - sw;
        TextX = cx + sw - TextWidth;
        break;
      case blGlyphRight:
        GlyphX = cx + sw - GlyphWidth;
        TextX = cx - sw;
        break;
      case blGlyphTop:
        GlyphY = cy - sh;
        TextY = cy + sh - TextHeight;
        break;
      case blGlyphBottom:
        GlyphY = cy + sh - GlyphHeight;
        TextY = cy - sh;
        break;
    }
    return;
  }
  switch (Layout) {
    case blGlyphLeft:
      GlyphX = R.Left + Margin;
      TextX = GlyphX + GlyphWidth + Spacing;
      break;
    case blGlyphRight:
      GlyphX = R.Right - GlyphWidth - Margin;
      TextX = GlyphX - Spacing - TextWidth;
      break;
    case blGlyphTop:
      GlyphY = R.Top + Margin;
      TextY = GlyphY + GlyphHeight + Spacing;
      break;
    case blGlyphBottom:
      GlyphY = R.Bottom - GlyphHeight - Margin;
      TextY = GlyphY - Spacing - TextHeight;
      break;
  }
}

namespace {

// Lays out a glyph of the given size with the caption, draws the caption and hands the glyph's place to
// DrawGlyphAt.
template <class DrawGlyphAt>
void DrawLaidOut(TCanvas* Canvas, const TRect& R, int Margin, int Spacing, TbsButtonLayout Layout,
                 const AnsiString& Caption, int GlyphWidth, int GlyphHeight, bool ADown, const DrawGlyphAt& Draw) {
  // The style before the handle: taking the handle is what puts the transparent background into the DC.
  Canvas->Brush()->SetStyle(bsClear);
  const HDC dc = Canvas->Handle();
  RECT tr {};
  DrawTextA(dc, Caption.c_str(), static_cast<int>(Caption.size()), &tr, DT_CALCRECT);
  int textX = 0, textY = 0, glyphX = 0, glyphY = 0;
  CalcGlyphLayout(Layout, R, GlyphWidth, GlyphHeight, tr.right - tr.left, tr.bottom - tr.top, Spacing, Margin, textX,
                  textY, glyphX, glyphY);
  if (ADown) ++textX, ++textY, ++glyphX, ++glyphY;
  RECT at { textX, textY, textX, textY };
  DrawTextA(dc, Caption.c_str(), static_cast<int>(Caption.size()), &at, DT_CALCRECT);
  at.right += 2;
  DrawTextA(dc, Caption.c_str(), static_cast<int>(Caption.size()), &at, DT_CENTER | DT_VCENTER);
  Draw(glyphX, glyphY);
}

}  // namespace

void DrawGlyphAndCaption(TCanvas* Canvas, const TRect& R, int Margin, int Spacing, TbsButtonLayout Layout,
                         const AnsiString& Caption, TBitmap* Glyph, int NumGlyphs, int GlyphNum, bool ADown) {
  const bool empty = !Glyph || Glyph->Empty() || NumGlyphs < 1;
  const int gw = empty ? 0 : Glyph->Width() / NumGlyphs, gh = empty ? 0 : Glyph->Height();
  DrawLaidOut(Canvas, R, Margin, Spacing, Layout, Caption, gw, gh, ADown, [&](int x, int y) {
    if (!empty) DrawGlyph(Canvas, x, y, Glyph, NumGlyphs, GlyphNum);
  });
}

void DrawImageAndCaption(TCanvas* Canvas, const TRect& R, int Margin, int Spacing, TbsButtonLayout Layout,
                         const AnsiString& Caption, int ImageIndex, TCustomImageList* Images, bool ADown,
                         bool AEnabled) {
  const bool none = !Images || ImageIndex < 0 || ImageIndex >= Images->Count();
  const int gw = none ? 0 : Images->Width(), gh = none ? 0 : Images->Height();
  DrawLaidOut(Canvas, R, Margin, Spacing, Layout, Caption, gw, gh, ADown, [&](int x, int y) {
    if (gw != 0) Images->Draw(Canvas, x, y, ImageIndex, AEnabled);
  });
}
