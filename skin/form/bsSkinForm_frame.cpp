// The skinned frame: the skin's picture cut into four bands whose corners keep their size, the geometry
// that follows the same stretching (client area, caption, buttons, hit-test corners), the window region
// from the stretched mask, the hit test, the built-in flat frame without a skin, and the client
// background.
#include <algorithm>

#include "platform/vcl/ExtCtrls.h"
#include "skin/data/bsEffects.h"
#include "skin/data/bsUtils.h"
#include "skin/form/bsSkinForm.h"
#include "skin/form/bsSkinFormPrivate.h"

namespace {

constexpr int kDefBorder = 3;

enum Band { kTop, kBottom, kLeft, kRight };

// A region as its data's bytes, which are equal for equal regions; empty when they cannot be read.
std::vector<uint8_t> RegionBytes(HRGN Rgn) {
  std::vector<uint8_t> data(GetRegionData(Rgn, 0, nullptr));
  if (!data.empty() && GetRegionData(Rgn, DWORD(data.size()), reinterpret_cast<RGNDATA*>(data.data())) == 0)
    data.clear();
  return data;
}

void ApplyInActiveEffect(TbsEffectBmp& E, TbsInActiveEffect Effect) {
  switch (Effect) {
    case ieBrightness:
      E.ChangeBrightness(0.5);
      break;
    case ieDarkness:
      E.ChangeDarkness(0.3);
      break;
    case ieGrayScale:
      E.GrayScale();
      break;
    case ieNoise:
      E.AddMonoNoise(50);
      break;
    case ieSplitBlur:
      E.SplitBlur(1);
      break;
    case ieInvert:
      E.Invert();
      break;
    default:
      break;
  }
}

}  // namespace

void bsApplyInActiveEffect(TbsEffectBmp& E, int Effect) {
  if (Effect >= ieBrightness && Effect <= ieInvert) ApplyInActiveEffect(E, static_cast<TbsInActiveEffect>(Effect));
}

// ---- Geometry -----------------------------------------------------------------------------------------

int RurIvozedevUzivEred::GetDefCaptionHeight() const {
  const TFormBorderStyle b = FForm->BorderStyle();
  return b == bsToolWindow || b == bsSizeToolWin ? 15 : 19;
}

int RurIvozedevUzivEred::GetDefButtonSize() const {
  const TFormBorderStyle b = FForm->BorderStyle();
  return b == bsToolWindow || b == bsSizeToolWin ? 13 : 17;
}

bool RurIvozedevUzivEred::IsSizeAble() const {
  const TFormBorderStyle b = FForm->BorderStyle();
  return b == bsSizeable || b == bsSizeToolWin;
}

void RurIvozedevUzivEred::CalcRects() {
  if (FOldWidth == 0) FOldWidth = FForm->Width();
  if (FOldHeight == 0) FOldHeight = FForm->Height();
  if (!FSkinData || FSkinData->Empty) return;
  const TbsSkinData& s = *FSkinData;
  const int pw = s.Picture->Width(), ph = s.Picture->Height();
  const int dx = FOldWidth - pw, dy = FOldHeight - ph;
  FNewLTPoint = s.LTPoint;
  FNewRTPoint = TPoint(s.RTPoint.X + dx, s.RTPoint.Y);
  FNewLBPoint = TPoint(s.LBPoint.X, s.LBPoint.Y + dy);
  FNewRBPoint = TPoint(s.RBPoint.X + dx, s.RBPoint.Y + dy);
  FNewClRect = TRect(s.ClRect.Left, s.ClRect.Top, s.ClRect.Right + dx, s.ClRect.Bottom + dy);
  FNewCaptionRect = s.CaptionRect;
  if (!IsNullRect(FNewCaptionRect)) FNewCaptionRect.Right += dx;
  FNewButtonsRect = s.ButtonsRect;
  if (!IsNullRect(FNewButtonsRect) && FNewButtonsRect.Left > pw / 2) {
    FNewButtonsRect.Left += dx;
    FNewButtonsRect.Right += dx;
  }
  FButtonsOffset = s.ButtonsOffset;
  FButtonsInLeft = s.ButtonsInLeft;
  FNewHitTestLTPoint = s.HitTestLTPoint;
  FNewHitTestRTPoint = TPoint(s.HitTestRTPoint.X + dx, s.HitTestRTPoint.Y);
  FNewHitTestLBPoint = TPoint(s.HitTestLBPoint.X, s.HitTestLBPoint.Y + dy);
  FNewHitTestRBPoint = TPoint(s.HitTestRBPoint.X + dx, s.HitTestRBPoint.Y + dy);
  FNewMaskRectArea =
      TRect(s.MaskRectArea.Left, s.MaskRectArea.Top, s.MaskRectArea.Right + dx, s.MaskRectArea.Bottom + dy);
}

TRect RurIvozedevUzivEred::FrameClientRect(TRect R) {
  if (FSkinSupport) {
    CalcRects();
    const TbsSkinData& s = *FSkinData;
    R.Left += s.ClRect.Left;
    R.Top += s.ClRect.Top;
    R.Right -= s.Picture->Width() - s.ClRect.Right;
    R.Bottom -= s.Picture->Height() - s.ClRect.Bottom;
  } else {
    R.Left += kDefBorder;
    R.Top += GetDefCaptionHeight() + kDefBorder;
    R.Right -= kDefBorder;
    R.Bottom -= kDefBorder;
  }
  R.Right = std::max(R.Right, R.Left);
  R.Bottom = std::max(R.Bottom, R.Top);
  return R;
}

TRect RurIvozedevUzivEred::CalcRealObjectRect(const TRect& R) const {
  if (!FSkinData || FSkinData->Empty) return R;
  const TbsSkinData& s = *FSkinData;
  const int pw = s.Picture->Width(), ph = s.Picture->Height();
  const TRect lt(0, 0, s.LTPoint.X, s.LTPoint.Y), rt(s.RTPoint.X, 0, pw, s.RTPoint.Y),
      lb(0, s.LBPoint.Y, s.LBPoint.X, ph), rb(s.RBPoint.X, s.RBPoint.Y, pw, ph);
  const int dx = FNewRBPoint.X - s.RBPoint.X, dy = FNewRBPoint.Y - s.RBPoint.Y;
  TRect o = R;
  if (RectInRect(R, lt)) return o;
  if (RectInRect(R, rt)) return bsShifted(o, dx, 0);
  if (RectInRect(R, lb)) return bsShifted(o, 0, dy);
  if (RectInRect(R, rb)) return bsShifted(o, dx, dy);
  const TPoint tl = R.TopLeft(), br = R.BottomRight();
  if (PtInRect(lt, tl) && PtInRect(rb, br)) {
    o.Right += dx;
    o.Bottom += dy;
  } else if (PtInRect(lt, tl) && PtInRect(rt, br)) {
    o.Right += dx;
  } else if (PtInRect(lb, tl) && PtInRect(rb, br)) {
    o.Right += dx;
    o = bsShifted(o, 0, dy);
  } else if (PtInRect(lt, tl) && PtInRect(lb, br)) {
    o.Bottom += dy;
  } else if (PtInRect(rt, tl) && PtInRect(rb, br)) {
    o = bsShifted(o, dx, 0);
    o.Bottom += dy;
  }
  return o;
}

namespace {

TbsSkinStdButtonObject* FindButton(const std::vector<std::unique_ptr<TbsActiveSkinObject>>& List,
                                   TbsStdCommand Command) {
  for (auto& o : List)
    if (auto* b = dynamic_cast<TbsSkinStdButtonObject*>(o.get());
        b && b->Visible && b->SkinRectInAPicture && b->Command == Command)
      return b;
  return nullptr;
}

TbsSkinCaptionObject* FindCaption(const std::vector<std::unique_ptr<TbsActiveSkinObject>>& List) {
  for (auto& o : List)
    if (auto* c = dynamic_cast<TbsSkinCaptionObject*>(o.get())) return c;
  return nullptr;
}

}  // namespace

void RurIvozedevUzivEred::CalcAllRealObjectRect() {
  for (auto& o : FObjects)
    if (!o->SkinRectInAPicture) o->ObjectRect = CalcRealObjectRect(o->SkinRect);
  TRect anchor;
  if (!IsNullRect(FNewButtonsRect))
    anchor = FNewButtonsRect;
  else if (!IsNullRect(FNewCaptionRect))
    anchor = FNewCaptionRect;
  else
    return;
  const int top = anchor.Top;
  auto size = [&](TbsSkinStdButtonObject* b, int& w, int& h) {
    w = RectWidth(b->SkinRect);
    h = RectHeight(b->SkinRect);
    if (b->Command == cmSysMenu && FShowIcon) GetIconSize(w, h);
  };
  static constexpr TbsStdCommand kRow[] = { cmClose, cmMaximize, cmMinimize, cmRollUp };
  TbsSkinCaptionObject* caption = FindCaption(FObjects);
  TbsSkinStdButtonObject* sys = FindButton(FObjects, cmSysMenu);
  int w = 0, h = 0;
  if (!FButtonsInLeft) {
    int x = anchor.Right;
    for (TbsStdCommand c : kRow)
      if (TbsSkinStdButtonObject* b = FindButton(FObjects, c)) {
        size(b, w, h);
        b->ObjectRect = TRect(x - w, top, x, top + h);
        x -= FButtonsOffset + w;
      }
    if (IsNullRect(FNewButtonsRect) && caption) caption->ObjectRect.Right = x + FButtonsOffset;
    x = FNewCaptionRect.Left;
    if (sys) {
      size(sys, w, h);
      const int t = FNewCaptionRect.Top + RectHeight(FNewCaptionRect) / 2 - h / 2;
      sys->ObjectRect = TRect(x, t, x + w, t + h);
      x += FButtonsOffset + w;
      if (caption) caption->ObjectRect.Left = x - FButtonsOffset;
    }
  } else {
    int x = anchor.Left;
    for (TbsStdCommand c : kRow)
      if (TbsSkinStdButtonObject* b = FindButton(FObjects, c)) {
        size(b, w, h);
        b->ObjectRect = TRect(x, top, x + w, top + h);
        x += FButtonsOffset + w;
      }
    if (IsNullRect(FNewButtonsRect)) {
      if (sys) {
        size(sys, w, h);
        sys->ObjectRect = TRect(x, top, x + w, top + h);
        x += FButtonsOffset + w;
      }
      if (caption) caption->ObjectRect.Left = x + FButtonsOffset;
    }
  }
}

void RurIvozedevUzivEred::CalcDefRects() {
  if (FObjects.empty()) return;
  if (FOldWidth == 0) FOldWidth = FForm->Width();
  if (FOldHeight == 0) FOldHeight = FForm->Height();
  const int y0 = 4, s = GetDefButtonSize();
  int x = FOldWidth - kDefBorder;
  FDefCaptionRect = TRect(kDefBorder, kDefBorder, FOldWidth - kDefBorder, GetDefCaptionHeight());
  static constexpr TbsStdCommand kRow[] = { cmClose, cmMaximize, cmMinimize, cmRollUp };
  for (TbsStdCommand c : kRow)
    if (TbsSkinStdButtonObject* b = FindButton(FObjects, c)) {
      b->ObjectRect = TRect(x - s, y0, x, y0 + s);
      x -= s;
    }
  FDefCaptionRect.Right = x;
  x = FDefCaptionRect.Left;
  if (TbsSkinStdButtonObject* sys = FindButton(FObjects, cmSysMenu)) {
    int w = s, h = s;
    if (FShowIcon) GetIconSize(w, h);
    sys->ObjectRect = TRect(x, y0, x + w, y0 + h);
    x += w;
  }
  FDefCaptionRect.Left = x;
}

TRect RurIvozedevUzivEred::GetDefCaptionRect() {
  CalcDefRects();
  return FDefCaptionRect;
}

void RurIvozedevUzivEred::PointToNCPoint(TPoint& P) const {
  if (!IsMDIChild()) {
    P.X -= FForm->Left();
    P.Y -= FForm->Top();
    return;
  }
  P = FForm->ScreenToClient(P);
  if (FSkinSupport) {
    P.X += FNewClRect.Left;
    P.Y += FNewClRect.Top;
  } else {
    P.X += kDefBorder;
    P.Y += GetDefCaptionHeight() + kDefBorder;
  }
}

// ---- Hit test -----------------------------------------------------------------------------------------------

int RurIvozedevUzivEred::NewNCHitTest(TPoint P) const {
  auto inCaption = [&] {
    for (auto& o : FObjects)
      if (dynamic_cast<TbsSkinCaptionObject*>(o.get()) && PtInRect(o->ObjectRect, P)) return true;
    return false;
  };
  auto inner = [&] {
    if (PtInRect(FNewClRect, P)) return HTCLIENT;
    return inCaption() ? HTCAPTION : HTOBJECT;
  };
  if (FRollUpState || FWindowState == wsMinimized) return inCaption() ? HTCAPTION : HTOBJECT;
  if (FActiveObject >= 0 && !inCaption() && !PtInRect(FNewClRect, P)) return HTOBJECT;
  if (!IsSizeAble() || FWindowState == wsMaximized) return inner();
  const int b = FSkinData->BorderWidth;
  const TPoint probes[] = { TPoint(P.X - b, P.Y), TPoint(P.X, P.Y - b), TPoint(P.X + b, P.Y), TPoint(P.X, P.Y + b) };
  bool off = true;
  if (FSkinData->Mask->Empty()) {
    const TRect all(0, 0, FOldWidth, FOldHeight);
    for (const TPoint& q : probes) off = off && PtInRect(all, q);
  } else if (!PtInRect(FNewMaskRectArea, P)) {
    for (const TPoint& q : probes) off = off && PtInMask(q);
  }
  if (off) return inner();
  if (P.X <= FNewHitTestLTPoint.X && P.Y <= FNewHitTestLTPoint.Y) return HTTOPLEFT;
  if (P.X >= FNewHitTestRTPoint.X && P.Y <= FNewHitTestRTPoint.Y) return HTTOPRIGHT;
  if (P.X <= FNewHitTestLBPoint.X && P.Y >= FNewHitTestLBPoint.Y) return HTBOTTOMLEFT;
  if (P.X >= FNewHitTestRBPoint.X && P.Y >= FNewHitTestRBPoint.Y) return HTBOTTOMRIGHT;
  // Each side takes the border width, though the skin's frame be narrower there than at the caption.
  if (PtInRect(TRect(FNewHitTestLTPoint.X, 0, FNewHitTestRTPoint.X, std::max(FNewClRect.Top, b)), P)) return HTTOP;
  if (PtInRect(
          TRect(FNewHitTestLBPoint.X, std::min(FNewClRect.Bottom, FOldHeight - b), FNewHitTestRBPoint.X, FOldHeight),
          P))
    return HTBOTTOM;
  if (PtInRect(TRect(0, FNewHitTestLTPoint.Y, std::max(FNewClRect.Left, b), FNewHitTestLBPoint.Y), P)) return HTLEFT;
  if (PtInRect(TRect(std::min(FNewClRect.Right, FOldWidth - b), FNewHitTestRTPoint.Y, FOldWidth, FNewHitTestRBPoint.Y),
               P))
    return HTRIGHT;
  return inner();
}

bool RurIvozedevUzivEred::PtInMask(TPoint P) const {
  if (PtInRect(FNewMaskRectArea, P)) return true;
  auto inside = [&](Band b, int x, int y) {
    TBitmap* bmp = FMaskBands[b].get();
    if (x < 0 || y < 0 || x >= bmp->Width() || y >= bmp->Height()) return false;
    return bmp->Canvas()->Pixels(x, y) == TColor(0);
  };
  const TRect& m = FNewMaskRectArea;
  if (P.Y <= m.Top) return inside(kTop, P.X, P.Y);
  if (P.Y >= m.Bottom) return inside(kBottom, P.X, P.Y - m.Bottom);
  if (P.X > m.Right) return inside(kRight, P.X - m.Right, P.Y - m.Top);
  return inside(kLeft, P.X, P.Y - m.Top);
}

int RurIvozedevUzivEred::NewDefNCHitTest(TPoint P) {
  const int w = FOldWidth ? FOldWidth : FForm->Width(), h = FOldHeight ? FOldHeight : FForm->Height();
  auto plain = [&] {
    if (PtInRect(GetDefCaptionRect(), P)) return HTCAPTION;
    if (PtInRect(TRect(kDefBorder, GetDefCaptionHeight() + kDefBorder, w - kDefBorder, h - kDefBorder), P))
      return HTCLIENT;
    return HTOBJECT;
  };
  if (FWindowState != wsNormal || FRollUpState || !IsSizeAble()) return plain();
  if (FActiveObject >= 0) return HTOBJECT;
  const int x = P.X, y = P.Y;
  if (x < 3 && y < 3) return HTTOPLEFT;
  if (x >= w - 2 && y < 3) return HTTOPRIGHT;
  if (x < 3 && y >= h - 2) return HTBOTTOMLEFT;
  if (x >= w - 2 && y >= h - 2) return HTBOTTOMRIGHT;
  if (x < 3) return HTLEFT;
  if (y < 3) return HTTOP;
  if (x >= w - 2) return HTRIGHT;
  if (y >= h - 2) return HTBOTTOM;
  return plain();
}

// ---- Region ---------------------------------------------------------------------------------------------------

void RurIvozedevUzivEred::CreateNewForm() {
  if (ComponentState().Contains(csDesigning) || !FSkinData || FSkinData->Empty) return;
  CalcRects();
  CalcAllRealObjectRect();
  CreateNewRegion();
  if (!FHasRegion) SendNCPaint();
}

// The window owns a region once it has it: removing it hands nothing back to delete.
void RurIvozedevUzivEred::RemoveRegion() {
  if (!FHasRegion) return;
  FHasRegion = false;
  if (FForm->HandleAllocated()) SetWindowRgn(FForm->Handle(), nullptr, TRUE);
}

void RurIvozedevUzivEred::CreateNewRegion() {
  if (FForm->BorderStyle() == bsNone || !FSkinData || FSkinData->Empty) {
    RemoveRegion();
    return;
  }
  TBitmap* mask = FSkinData->Mask.get();
  if (IsMaximizedMDIChild() || mask->Empty()) {
    RemoveRegion();
    for (auto& b : FMaskBands) b->SetSize(0, 0);
    return;
  }
  if (!FForm->HandleAllocated()) return;
  std::vector<int64_t> key = ShapeKey(mask);
  if (!key.empty() && key == FShapeKey && KeepsShape()) return;
  const TbsSkinData& s = *FSkinData;
  CreateSkinMask(s.LTPoint, s.RTPoint, s.LBPoint, s.RBPoint, s.MaskRectArea, FNewLTPoint, FNewRTPoint, FNewLBPoint,
                 FNewRBPoint, FNewMaskRectArea, mask, FMaskBands[kTop].get(), FMaskBands[kLeft].get(),
                 FMaskBands[kRight].get(), FMaskBands[kBottom].get(), FOldWidth, FOldHeight);
  HRGN rgn =
      CreateRectRgn(FNewMaskRectArea.Left, FNewMaskRectArea.Top, FNewMaskRectArea.Right, FNewMaskRectArea.Bottom);
  auto add = [&](Band b, int x, int y) {
    TBitmap* bmp = FMaskBands[b].get();
    if (bmp->Width() < 1 || bmp->Height() < 1) return;
    RGNDATA* data = nullptr;
    const int size = CreateRgnFromBmp(bmp, x, y, data);
    if (size <= 0 || !data) return;
    HRGN part = ExtCreateRegion(nullptr, size, data);
    std::free(data);
    if (!part) return;
    CombineRgn(rgn, rgn, part, RGN_OR);
    DeleteObject(part);
  };
  add(kTop, 0, 0);
  add(kBottom, 0, FNewMaskRectArea.Bottom);
  add(kLeft, 0, FNewMaskRectArea.Top);
  add(kRight, FNewMaskRectArea.Right, FNewMaskRectArea.Top);
  FShapeData = RegionBytes(rgn);
  if (FShapeData.empty()) key.clear();
  SetWindowRgn(FForm->Handle(), rgn, TRUE);
  FHasRegion = true;
  FShapeKey = std::move(key);
}

// The mask's pixels, the skin's points and the form's size and window: an empty key for a mask that
// cannot be read as it is (the shape is then cut every time).
std::vector<int64_t> RurIvozedevUzivEred::ShapeKey(TBitmap* Mask) const {
  const TbsSkinData& s = *FSkinData;
  std::vector<int64_t> key { FOldWidth, FOldHeight, int64_t(reinterpret_cast<intptr_t>(FForm->Handle())) };
  for (const TPoint* p :
       { &s.LTPoint, &s.RTPoint, &s.LBPoint, &s.RBPoint, &FNewLTPoint, &FNewRTPoint, &FNewLBPoint, &FNewRBPoint })
    bsKeyPoint(key, *p);
  bsKeyRect(key, s.MaskRectArea);
  bsKeyRect(key, FNewMaskRectArea);
  if (!bsKeyPixels(key, Mask)) key.clear();
  return key;
}

// Whether the window still has the shape last handed to it (nothing else replaced or removed it).
bool RurIvozedevUzivEred::KeepsShape() const {
  if (!FHasRegion) return false;
  HRGN now = CreateRectRgn(0, 0, 0, 0);
  const std::vector<uint8_t> data =
      GetWindowRgn(FForm->Handle(), now) != ERROR ? RegionBytes(now) : std::vector<uint8_t> {};
  DeleteObject(now);
  return !data.empty() && data == FShapeData;
}

// ---- Non-client painting ----------------------------------------------------------------------------------

TBitmap* RurIvozedevUzivEred::SourcePicture() const {
  TBitmap* in = FSkinData->InActivePicture.get();
  return !GetFormActive() && !in->Empty() ? in : FSkinData->Picture.get();
}

bool RurIvozedevUzivEred::GetAutoRenderingInActiveImage() const {
  return FSkinSupport && FSkinData->AutoRenderingInActiveImage;
}

void RurIvozedevUzivEred::PaintNCSkin() {
  if (GetMinWidth() > FOldWidth || GetMinHeight() > FOldHeight || !FForm->HandleAllocated()) return;
  CalcRects();
  CalcAllRealObjectRect();
  const TbsSkinData& s = *FSkinData;
  TBitmap* src = SourcePicture();
  TBitmap top, left, right, bottom;
  CreateSkinBorderImages(s.LTPoint, s.RTPoint, s.LBPoint, s.RBPoint, s.ClRect, FNewLTPoint, FNewRTPoint, FNewLBPoint,
                         FNewRBPoint, FNewClRect, &left, &top, &right, &bottom, src,
                         TRect(0, 0, src->Width(), src->Height()), FOldWidth, FOldHeight);
  for (auto& o : FObjects) {
    if (!o->Visible) continue;
    if (o->ObjectRect.Bottom > FNewClRect.Top) {
      const TRect saved = o->ObjectRect;
      o->ObjectRect = bsShifted(saved, 0, -FNewClRect.Bottom);
      o->Draw(bottom.Canvas(), false);
      o->ObjectRect = saved;
    } else {
      o->Draw(top.Canvas(), false);
    }
  }
  // The client is the form's own to paint, whatever the bands' sizes.
  HDC dc = GetWindowDC(FForm->Handle());
  if (FNewClRect.Bottom > FNewClRect.Top)
    ExcludeClipRect(dc, FNewClRect.Left, FNewClRect.Top, FNewClRect.Right, FNewClRect.Bottom);
  auto blit = [&](TBitmap& b, int x, int y) {
    if (b.Width() < 1 || b.Height() < 1) return;
    if (GetFormActive() || !GetAutoRenderingInActiveImage()) {
      BitBlt(dc, x, y, b.Width(), b.Height(), b.Canvas()->Handle(), 0, 0, SRCCOPY);
      return;
    }
    TbsEffectBmp e(b.Handle());
    bsApplyInActiveEffect(e, s.InActiveEffect);
    e.Draw(dc, x, y);
  };
  blit(top, 0, 0);
  blit(left, 0, top.Height());
  blit(right, FOldWidth - right.Width(), top.Height());
  blit(bottom, 0, FOldHeight - bottom.Height());
  ReleaseDC(FForm->Handle(), dc);
}

void RurIvozedevUzivEred::DrawSkinObject(TbsActiveSkinObject* Obj) {
  if (!Obj || IsMaximizedMDIChild() || FForm->BorderStyle() == bsNone || !FForm->HandleAllocated()) return;
  HDC dc = GetWindowDC(FForm->Handle());
  {
    TCanvas c;
    c.SetHandle(dc);
    Obj->Draw(&c, true);
    c.SetHandle(nullptr);
  }
  ReleaseDC(FForm->Handle(), dc);
}

void RurIvozedevUzivEred::CorrectCaptionText(TCanvas* Cnvs, AnsiString& S, int W) const {
  CorrectTextbyWidth(Cnvs, S, W);
}

AnsiString RurIvozedevUzivEred::CaptionText() const {
  AnsiString s = FForm->Caption();
  if (IsMDIForm() && FMDIChildMaximized)
    if (TForm* child = GetMaximizeMDIChild()) s = s + " - [" + child->Caption() + "]";
  return s;
}

void RurIvozedevUzivEred::PaintNCDefault() {
  if (!FForm->HandleAllocated()) return;
  if (FObjects.empty() && !FSkinSupport) LoadDefObjects();
  CalcDefRects();
  const int ch = GetDefCaptionHeight();
  TBitmap c;
  c.SetSize(std::max(FOldWidth - 2 * kDefBorder, 0), ch);
  TCanvas* cv = c.Canvas();
  cv->Brush()->SetColor(clBtnFace);
  cv->FillRect(TRect(0, 0, c.Width(), c.Height()));
  const int l = FDefCaptionRect.Left - kDefBorder;
  const int rg = c.Width() - FDefCaptionRect.Right;
  bool light = true;
  for (int y = 2; y <= ch - 4; ++y, light = !light) {
    cv->Pen()->SetColor(light ? clBtnHighlight : clBtnShadow);
    cv->MoveTo(l + 2, y);
    cv->LineTo(c.Width() - rg - 6, y);
  }
  cv->Font()->Assign(GetFormActive() ? FDefCaptionFont.get() : FDefInActiveCaptionFont.get());
  AnsiString text = CaptionText();
  if (!text.empty()) {
    const int room = c.Width() - l - rg;
    CorrectCaptionText(cv, text, room);
    const int tw = cv->TextWidth(text), th = cv->TextHeight(text);
    const int x = room / 2 + l - (tw + 5) / 2, y = ch / 2 - th / 2;
    cv->Brush()->SetColor(clBtnFace);
    cv->TextRect(TRect(x, 0, x + tw + 5, c.Height()), x + 3, y, text);
  }
  for (auto& o : FObjects) {
    if (!o->Visible) continue;
    const TRect saved = o->ObjectRect;
    o->ObjectRect = bsShifted(saved, -kDefBorder, -kDefBorder);
    o->Draw(cv, true);
    o->ObjectRect = saved;
  }
  HDC dc = GetWindowDC(FForm->Handle());
  ExcludeClipRect(dc, kDefBorder, ch + kDefBorder, FOldWidth - kDefBorder, FOldHeight - kDefBorder);
  BitBlt(dc, kDefBorder, kDefBorder, c.Width(), c.Height(), cv->Handle(), 0, 0, SRCCOPY);
  {
    TCanvas w;
    w.SetHandle(dc);
    TRect r(0, 0, FOldWidth, FOldHeight);
    Frame3D(&w, r, cl3DLight, cl3DDkShadow, 1);
    Frame3D(&w, r, clBtnHighlight, clBtnShadow, 1);
    Frame3D(&w, r, clBtnFace, clBtnFace, 1);
    w.SetHandle(nullptr);
  }
  ReleaseDC(FForm->Handle(), dc);
}

// ---- Icon -------------------------------------------------------------------------------------------------------

void RurIvozedevUzivEred::GetIconSize(int& W, int& H) const {
  W = GetSystemMetrics(SM_CXSMICON);
  if (W == 0) W = GetSystemMetrics(SM_CXSIZE);
  H = GetSystemMetrics(SM_CYSMICON);
  if (H == 0) H = GetSystemMetrics(SM_CYSIZE);
}

void RurIvozedevUzivEred::DrawFormIcon(TCanvas* Cnvs, int X, int Y) {
  if (!FFormIcon) {
    int w = 0, h = 0;
    GetIconSize(w, h);
    HICON src = nullptr;
    if (FForm->Icon() && !FForm->Icon()->Empty())
      src = FForm->Icon()->Handle();
    else if (Application && Application->Icon() && !Application->Icon()->Empty())
      src = Application->Icon()->Handle();
    HICON fallback = src ? nullptr : LoadIconA(nullptr, IDI_APPLICATION);
    HICON copy = static_cast<HICON>(CopyImage(src ? src : fallback, IMAGE_ICON, w, h, LR_COPYFROMRESOURCE));
    if (fallback) DestroyIcon(fallback);
    FFormIcon = std::make_unique<TIcon>();
    if (copy) FFormIcon->SetHandle(copy);
  }
  if (!FFormIcon->Empty()) DrawIconEx(Cnvs->Handle(), X, Y, FFormIcon->Handle(), 0, 0, 0, nullptr, DI_NORMAL);
}

// ---- Client background ---------------------------------------------------------------------------------------

// W x H of DC filled with the tile of Src repeated from the origin, the last tiles cut at the edges. A
// band of whole tile rows across the width is built by doubling and kept in the bounded cache for the next
// erase of the same width from the same tile; the band is then copied down the DC, so that every pixel of
// the DC is written once. Each copy cuts the DC's clip to its rows, walking the clip down to them: on a client full of
// children that costs more than the copy, so the band is at least 128 rows high (a few copies a client).
void RurIvozedevUzivEred::TileInto(HDC DC, int W, int H, TBitmap* Src, const TRect& Tile) {
  if (W < 1 || H < 1 || Tile.Width() < 1 || Tile.Height() < 1) return;
  const int tw = Tile.Width(), th = Tile.Height();
  const int bh = std::min(H, th * ((128 + th - 1) / th));
  std::vector<int64_t> key = TileKey(W, bh, Src, Tile);
  std::unique_ptr<TBitmap>* band = FBGBand.Find(key);
  if (!band) {
    auto made = std::make_unique<TBitmap>();
    made->SetSize(W, bh);
    HDC d = made->Canvas()->Handle();
    BitBlt(d, 0, 0, std::min(tw, W), std::min(th, bh), Src->Canvas()->Handle(), Tile.Left, Tile.Top, SRCCOPY);
    for (int w = tw; w < W; w *= 2) BitBlt(d, w, 0, std::min(w, W - w), std::min(th, bh), d, 0, 0, SRCCOPY);
    for (int h = th; h < bh; h *= 2) BitBlt(d, 0, h, W, std::min(h, bh - h), d, 0, 0, SRCCOPY);
    band = &FBGBand.Keep(std::move(key), std::move(made));
  }
  HDC from = (*band)->Canvas()->Handle();
  for (int y = 0; y < H; y += bh) BitBlt(DC, 0, y, W, std::min(bh, H - y), from, 0, 0, SRCCOPY);
}

// A tile no larger than the band is compared by its pixels, so that a skin with the same background keeps
// the band; a larger one by its identity, taken as changed at every skin change.
std::vector<int64_t> RurIvozedevUzivEred::TileKey(int W, int BH, TBitmap* Src, const TRect& Tile) const {
  std::vector<int64_t> key { W, BH };
  bsKeyRect(key, Tile);
  const bool small =
      Tile == TRect(0, 0, Src->Width(), Src->Height()) && int64_t(Src->Width()) * Src->Height() <= int64_t(W) * BH;
  if (small && bsKeyPixels(key, Src)) return key;
  bsKeyPicture(key, Src);
  key.push_back(int64_t(FSkinChanges));
  return key;
}

void RurIvozedevUzivEred::PaintBG(HDC DC) {
  if (!FSkinSupport) return;
  const TRect client = FForm->ClientRect();
  const TRect& cr = FSkinData->ClRect;
  // An empty tile (a skin may give one) cannot be repeated: the plain face colour instead.
  if (IsNullRect(cr)) {
    PaintBGDefault(DC);
    return;
  }
  TileInto(DC, client.Width(), client.Height(), FSkinData->Picture.get(), cr);
}

void RurIvozedevUzivEred::PaintBG2(HDC DC) {
  if (!FSkinSupport) return;
  const int index = FSkinData->BGPictureIndex;
  TBitmap* pic = index >= 0 && index < FSkinData->ActivePictures->Count()
                     ? static_cast<TBitmap*>(FSkinData->ActivePictures->Items(index))
                     : nullptr;
  if (!pic || pic->Width() < 1 || pic->Height() < 1) {
    PaintBGDefault(DC);
    return;
  }
  const TRect client = FForm->ClientRect();
  TileInto(DC, client.Width(), client.Height(), pic, TRect(0, 0, pic->Width(), pic->Height()));
}

void RurIvozedevUzivEred::PaintBGDefault(HDC DC) {
  TCanvas c;
  c.SetHandle(DC);
  c.Brush()->SetColor(clBtnFace);
  c.FillRect(FForm->ClientRect());
  c.SetHandle(nullptr);
}

void RurIvozedevUzivEred::PaintMDIBGDefault(HDC DC) {
  TCanvas c;
  c.SetHandle(DC);
  c.Brush()->SetColor(clAppWorkSpace);
  RECT r {};
  GetClientRect(FForm->ClientHandle(), &r);
  c.FillRect(r);
  c.SetHandle(nullptr);
}
