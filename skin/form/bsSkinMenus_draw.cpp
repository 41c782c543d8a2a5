// How a level of a skinned popup menu paints its frame, items and scroll markers, and how an item
// morphs between its normal and hot looks.

#include <algorithm>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/ImgList.h"
#include "skin/data/bsUtils.h"
#include "skin/form/bsSkinMenus.h"
#include "skin/form/bsSkinMenusPrivate.h"

using namespace bsmenus;

namespace {

constexpr int kScrollBand = 10;

void DrawCheckMark(TCanvas* C, int x, int y, TColor Color) {
  C->Pen()->SetColor(Color);
  for (int i = 0; i < 3; ++i) {
    C->MoveTo(x, y + 5 - i);
    C->LineTo(x + 2, y + 7 - i);
    C->LineTo(x + 7, y + 2 - i);
  }
}

void DrawSubArrow(TCanvas* C, int x, int y, TColor Color) {
  C->Pen()->SetColor(Color);
  for (int i = 0; i < 4; ++i) {
    C->MoveTo(x + i, y + i);
    C->LineTo(x + i, y + 7 - i);
  }
}

}  // namespace

// ---- Items -----------------------------------------------------------------------------------------------

void TbsSkinMenuItem::SetMorphKf(double Value) { FMorphStep = std::clamp((int)std::lround(Value * 10), 0, 10); }

bool TbsSkinMenuItem::CanMorphing() {
  if (!FVisible) {
    if (FMorphStep != 0) {
      FMorphStep = 0;
      FActive = FDown = false;
    }
    return false;
  }
  return (FActive || FDown) ? FMorphStep < 10 : FMorphStep > 0;
}

void TbsSkinMenuItem::DoMorphing() {
  FMorphStep = std::clamp(FMorphStep + ((FActive || FDown) ? 1 : -1), 0, 10);
  Draw(FParent->Canvas());
}

void TbsSkinMenuItem::Redraw() {
  if (FData && FData->Morphing && FParent->FData) {
    FParent->FMorphTimer->SetEnabled(true);
    return;
  }
  // Without morphing the look follows the state at once; a paint still to come shows it too.
  FMorphStep = (FActive || FDown) ? 10 : 0;
  if (FParent->HandleAllocated() && !FParent->PaintCovers(FObjectRect)) Draw(FParent->Canvas());
}

void TbsSkinMenuItem::Draw(TCanvas* C) {
  if (!FVisible) return;
  if (!FData) {
    DefaultDraw(C);
    return;
  }
  const int W = RectWidth(FObjectRect), H = RectHeight(FObjectRect);
  if (W < 1 || H < 1) return;
  TBitmap B;
  if (IsDivider()) {
    CreateHSkinImage(FData->DividerLeftOffset, FData->DividerRightOffset, &B, FPicture, FData->DividerRect, W, H);
  } else {
    const bool hot = FActive || FDown;
    const bool atEnd = !FData->Morphing || FMorphStep == (hot ? 10 : 0);
    B.SetSize(W, H);
    if (atEnd) {
      DrawSkinLook(B.Canvas(), W, H, hot);
    } else {
      TBitmap normal, active;
      normal.SetSize(W, H);
      active.SetSize(W, H);
      DrawSkinLook(normal.Canvas(), W, H, false);
      DrawSkinLook(active.Canvas(), W, H, true);
      DrawMorph(&normal, &active, FData->MorphKind, MorphKf(), B.Canvas()->Handle(), 0, 0);
    }
  }
  C->Draw(FObjectRect.Left, FObjectRect.Top, &B);
}

// The skinned look of an item onto C (the canvas of a W x H bitmap).
void TbsSkinMenuItem::DrawSkinLook(TCanvas* C, int W, int H, bool Hot) {
  TBitmap face;
  CreateHSkinImage(FData->ItemLeftOffset, FData->ItemRightOffset, &face, FPicture,
                   Hot && !IsNullRect(FActiveSkinRect) ? FActiveSkinRect : FSkinRect, W, H);
  C->Draw(0, 0, &face);
  const TbsSkinPopupWindow* level = FParent;
  const int GW = level->Images() ? level->GlyphWidth() : 16;
  TRect TR = FData->TextRect;
  TR.Right = W - (RectWidth(FData->SkinRect) - FData->TextRect.Right);
  C->Font()->SetName(FData->FontName);
  C->Font()->SetStyle(FData->FontStyle);
  C->Font()->SetHeight(FData->FontHeight);
  C->Font()->SetCharset(level->Menu()->DefaultMenuItemFont()->Charset());
  const TColor color = Hot                    ? FData->ActiveFontColor
                       : FMenuItem->Enabled() ? FData->FontColor
                                              : FData->UnenabledFontColor;
  DrawTextAndGlyph(C, TR, GW, 16, color, TR.Left + 2, TR.Left + 2, TR.Left + 2);
}

// Caption, short-cut, sub-menu arrow and glyph inside the text area TR: the caption starts GW into it,
// caption and short-cut end Gap short of its right edge.
void TbsSkinMenuItem::DrawTextAndGlyph(TCanvas* C, const TRect& TR, int GW, int Gap, TColor Color, int GlyphLeft,
                                       int CheckLeft, int ImageLeft) {
  C->Brush()->SetStyle(bsClear);
  C->Font()->SetColor(Color);
  const int centre = TR.Top + RectHeight(TR) / 2;
  const AnsiString& caption = FMenuItem->Caption();
  RECT r { TR.Left + GW, 0, TR.Right - Gap, 0 };
  DrawTextA(C->Handle(), caption.c_str(), -1, &r, DT_CALCRECT);
  const int th = r.bottom - r.top;
  r.top = centre - th / 2;
  r.bottom = r.top + th;
  r.right += 2;
  DrawTextA(C->Handle(), caption.c_str(), -1, &r, DT_CENTER | DT_VCENTER);
  if (FMenuItem->ShortCut() != 0) {
    const AnsiString sc = ShortCutToText(FMenuItem->ShortCut());
    RECT m {};
    DrawTextA(C->Handle(), sc.c_str(), -1, &m, DT_CALCRECT);
    RECT s { TR.Right - (m.right - m.left) - Gap, r.top, TR.Right - Gap, r.bottom };
    DrawTextA(C->Handle(), sc.c_str(), -1, &s, DT_CENTER | DT_VCENTER);
  }
  if (FMenuItem->Count() > 0) DrawSubArrow(C, TR.Right - 7, centre - 4, Color);

  TCustomImageList* images = FParent->Images();
  const int index = FMenuItem->ImageIndex();
  if (images && index >= 0 && index < images->Count()) {
    const int y = centre - images->Height() / 2;
    images->Draw(C, ImageLeft, y, index, FMenuItem->Enabled());
    if (FMenuItem->Checked()) {
      C->Brush()->SetStyle(bsClear);
      C->Pen()->SetColor(Color);
      C->Rectangle(ImageLeft - 1, y - 1, ImageLeft + images->Width() + 1, y + images->Height() + 1);
    }
    return;
  }
  const AnsiString& name = FMenuItem->Name();
  const int gy = centre - 4;
  if (name == "BSF_CLOSE" || name == "TRAY_BSF_CLOSE")
    DrawCloseImage(C, GlyphLeft, gy, Color);
  else if (name == "BSF_MINITEM")
    DrawMinimizeImage(C, GlyphLeft, gy, Color);
  else if (name == "BSF_MAXITEM")
    DrawMaximizeImage(C, GlyphLeft, gy, Color);
  else if (name == "BSF_RESTORE" || name == "TRAY_BSF_RESTORE")
    DrawRestoreImage(C, GlyphLeft, gy, Color);
  else if (name == "BSF_ROLLUP")
    DrawRollUpImage(C, GlyphLeft, gy, Color);
  else if (name == "BSF_MINTOTRAY")
    DrawMTImage(C, GlyphLeft, gy, Color);
  else if (FMenuItem->Checked()) {
    if (FMenuItem->RadioItem()) {
      C->Brush()->SetStyle(bsSolid);
      C->Brush()->SetColor(Color);
      C->Pen()->SetColor(Color);
      C->Ellipse(CheckLeft, centre - 3, CheckLeft + 6, centre + 3);
    } else {
      DrawCheckMark(C, CheckLeft, centre - 4, Color);
    }
  }
}

void TbsSkinMenuItem::DefaultDraw(TCanvas* Canvas) {
  const int W = RectWidth(FObjectRect), H = RectHeight(FObjectRect);
  if (W < 1 || H < 1) return;
  TBitmap B;
  B.SetSize(W, H);
  TCanvas* C = B.Canvas();
  const TbsSkinPopupWindow* level = FParent;
  const int GW = level->Images() ? level->GlyphWidth() : 19;
  const bool hot = FActive || FDown;
  TColor color;
  if (hot) {
    C->Brush()->SetColor(clNavy);
    C->FillRect(TRect(0, 0, W, H));
    C->Brush()->SetColor(bsLookHotFill);
    C->FillRect(TRect(1, 1, W - 1, H - 1));
    color = clWindowText;
  } else {
    C->Brush()->SetColor(clBtnFace);
    C->FillRect(TRect(0, 0, GW, H));
    C->Brush()->SetColor(clWindow);
    C->FillRect(TRect(GW, 0, W, H));
    color = FMenuItem->Enabled() ? clWindowText : clGrayText;
  }
  if (IsDivider()) {
    C->Pen()->SetColor(clGrayText);
    C->MoveTo(GW, H / 2);
    C->LineTo(W, H / 2);
  } else {
    C->Font()->Assign(level->Menu()->DefaultMenuItemFont());
    DrawTextAndGlyph(C, TRect(2, 2, W - 2, H - 2), GW, 19, color, 4, 5, 2);
  }
  Canvas->Draw(FObjectRect.Left, FObjectRect.Top, &B);
}

// ---- Levels ----------------------------------------------------------------------------------------------

void TbsSkinPopupWindow::Paint() { PaintMenu(Canvas()); }

// Straight onto C, part after part: the window's surface only shows what was drawn once the queue runs
// dry, so nothing flickers, and no bitmap of the level's size is filled and copied again.
void TbsSkinPopupWindow::PaintMenu(TCanvas* C) {
  const int W = Width(), H = Height();
  if (W < 1 || H < 1) return;
  DrawFrame(C);
  for (auto& it : FItemList) it->Draw(C);
  if (FScroll) {
    DrawUpMarker(C);
    DrawDownMarker(C);
  }
}

// The frame, and the items' background of a level that scrolls. The items of a level that does not
// scroll cover the items rectangle: of the skin's face only its four borders are built then.
void TbsSkinPopupWindow::DrawFrame(TCanvas* C) {
  const int W = Width(), H = Height();
  if (FData) {
    const TRect& r = FNewItemsRect;
    if (FScroll) return DrawFacePart(C, TRect(0, 0, W, H));
    for (const TRect& part : { TRect(0, 0, W, r.Top), TRect(0, r.Bottom, W, H), TRect(0, r.Top, r.Left, r.Bottom),
                               TRect(r.Right, r.Top, W, r.Bottom) })
      DrawFacePart(C, part);
    return;
  }
  const int band = FImages ? FGlyphWidth + 2 : 21;
  C->Brush()->SetColor(clBtnFace);
  C->FillRect(TRect(0, 0, band, H));
  C->Brush()->SetColor(clWindow);
  C->FillRect(TRect(band, 0, W, H));
  TRect r(0, 0, W, H);
  Frame3D(C, r, clGrayText, clGrayText, 1);
  Frame3D(C, r, clWindow, clWindow, 1);
}

// The skin's face inside R (level coordinates), built through a bitmap of R's size: the face laid out for
// the whole level, moved by R's top-left and cut to R's size. Every piece of the face either lies where
// the whole face has it or falls outside the part, as long as each part stays on one side of the items
// rectangle or is the whole level.
void TbsSkinPopupWindow::DrawFacePart(TCanvas* C, const TRect& R) {
  if (RectWidth(R) < 1 || RectHeight(R) < 1) return;
  const TbsDataSkinPopupWindow& d = *FData;
  const int dx = R.Left, dy = R.Top;
  auto moved = [&](const TPoint& P) { return TPoint(P.X - dx, P.Y - dy); };
  const TRect items(FNewItemsRect.Left - dx, FNewItemsRect.Top - dy, FNewItemsRect.Right - dx,
                    FNewItemsRect.Bottom - dy);
  TBitmap B;
  CreateSkinImage(d.LTPoint, d.RTPoint, d.LBPoint, d.RBPoint, d.ItemsRect, moved(FNewLTPoint), moved(FNewRTPoint),
                  moved(FNewLBPoint), moved(FNewRBPoint), items, &B, FPicture,
                  TRect(0, 0, FPicture->Width(), FPicture->Height()), Width() - dx, Height() - dy, FScroll,
                  TbsFaceCut { RectWidth(R), RectHeight(R) });
  C->Draw(dx, dy, &B);
}

// Whether the part of the window still to be painted (all of it, once shown) holds R.
bool TbsSkinPopupWindow::PaintCovers(const TRect& R) const {
  HRGN pending = CreateRectRgn(0, 0, 0, 0);
  RECT box {};
  const bool simple = GetUpdateRgn(FHandle, pending, FALSE) == SIMPLEREGION && GetRgnBox(pending, &box) != ERROR;
  DeleteObject(pending);
  return simple && box.left <= R.Left && box.top <= R.Top && box.right >= R.Right && box.bottom >= R.Bottom;
}

// The window takes the region; this level never deletes it.
void TbsSkinPopupWindow::SetMenuWindowRegion() {
  if (!FData || !FMaskPicture || !HandleAllocated()) return;
  const TbsDataSkinPopupWindow& d = *FData;
  HRGN rgn = nullptr;
  CreateSkinRegion(rgn, d.LTPoint, d.RTPoint, d.LBPoint, d.RBPoint, d.ItemsRect, FNewLTPoint, FNewRTPoint, FNewLBPoint,
                   FNewRBPoint, FNewItemsRect, FMaskPicture, Width(), Height());
  SetWindowRgn(FHandle, rgn, TRUE);
}

void TbsSkinPopupWindow::DrawUpMarker(TCanvas* C) {
  TRect r;
  TColor color;
  if (FData) {
    r = TRect(FNewItemsRect.Left, FNewItemsRect.Top, FNewItemsRect.Right, FNewItemsRect.Top + kScrollBand);
    color = FScrollDirection == 1 ? FData->ScrollMarkerActiveColor : FData->ScrollMarkerColor;
  } else {
    r = TRect(3, 3, Width() - 3, 13);
    color = FScrollDirection == 1 ? clBtnText : clGrayText;
  }
  DrawArrowImage(C, r, color, 3);
}

void TbsSkinPopupWindow::DrawDownMarker(TCanvas* C) {
  TRect r;
  TColor color;
  if (FData) {
    r = TRect(FNewItemsRect.Left, FNewItemsRect.Bottom - kScrollBand, FNewItemsRect.Right, FNewItemsRect.Bottom);
    color = FScrollDirection == 2 ? FData->ScrollMarkerActiveColor : FData->ScrollMarkerColor;
  } else {
    r = TRect(3, Height() - 10, Width() - 3, Height() - 3);
    color = FScrollDirection == 2 ? clBtnText : clGrayText;
  }
  DrawArrowImage(C, r, color, 4);
}

// The markers sit on the frame: a repaint of the level shows them in their current colours.
void TbsSkinPopupWindow::RedrawMarkers() {
  if (FScroll && HandleAllocated()) Repaint();
}

void TbsSkinPopupWindow::TestMorph(TObject*) {
  if (!FData) {
    FMorphTimer->SetEnabled(false);
    return;
  }
  bool any = false;
  for (auto& it : FItemList)
    if (it->FData && it->FData->Morphing && it->CanMorphing()) {
      it->DoMorphing();
      any = true;
    }
  if (!any) FMorphTimer->SetEnabled(false);
}
