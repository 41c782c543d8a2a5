// Active skin objects: caption buttons, standard buttons, the caption and user objects, each drawing
// its looks from the skin's pictures and morphing between them on the form's 20 ms timer.
#include <algorithm>

#include "platform/vcl/ExtCtrls.h"
#include "skin/data/bsEffects.h"
#include "skin/data/bsUtils.h"
#include "skin/form/bsSkinForm.h"
#include "skin/form/bsSkinFormPrivate.h"

namespace {

bool Empty(const TRect& R) { return IsNullRect(R); }

}  // namespace

// ---- Base -----------------------------------------------------------------------------------------------

TbsActiveSkinObject::TbsActiveSkinObject(RurIvozedevUzivEred* AForm, TbsDataSkinObject* AData)
    : Parent(AForm), SkinData(AForm->SkinData()) {
  if (!AData) return;
  IDName = AData->IDName;
  Hint = AData->Hint;
  SkinRectInAPicture = AData->SkinRectInAPicture;
  SkinRect = AData->SkinRect;
  ActiveSkinRect = AData->ActiveSkinRect;
  Morphing = AData->Morphing;
  MorphKind = AData->MorphKind;
  const int index = AData->ActivePictureIndex;
  if (SkinData && index >= 0 && index < SkinData->ActivePictures->Count())
    ActivePicture = static_cast<TBitmap*>(SkinData->ActivePictures->Items(index));
  else
    ActiveSkinRect = TRect();
  if (Empty(ActiveSkinRect)) Morphing = false;
  ObjectRect = SkinRect;
  if (SkinData) Picture = SkinData->Picture.get();
}

void TbsActiveSkinObject::SetMorphKf(double Value) {
  FMorphStep = std::clamp(static_cast<int>(Value * 10 + (Value < 0 ? -0.5 : 0.5)), 0, 10);
}

bool TbsActiveSkinObject::CanMorphing() { return (Active && FMorphStep < 10) || (!Active && FMorphStep > 0); }

void TbsActiveSkinObject::DoMorphing() {
  FMorphStep = std::clamp(FMorphStep + (Active ? 1 : -1), 0, 10);
  Parent->DrawSkinObject(this);
}

void TbsActiveSkinObject::Redraw() {
  if (Morphing)
    Parent->TestMorphTimer()->SetEnabled(true);
  else
    Parent->DrawSkinObject(this);
}

void TbsActiveSkinObject::CopyLook(TCanvas* Cnvs, const TRect& Dst, TBitmap* Pic, const TRect& Src) {
  if (!Pic || Pic->Empty() || Empty(Src)) return;
  Cnvs->CopyRect(Dst, Pic->Canvas(), Src);
}

void TbsActiveSkinObject::DrawMorph(TCanvas* Cnvs, TBitmap* NormalPic, const TRect& Normal, TBitmap* ActivePic,
                                    const TRect& ActiveR) {
  const int w = RectWidth(ObjectRect), h = RectHeight(ObjectRect);
  if (w < 1 || h < 1) return;
  TBitmap a, b;
  a.SetSize(w, h);
  b.SetSize(w, h);
  CopyLook(a.Canvas(), TRect(0, 0, w, h), NormalPic, Normal);
  CopyLook(b.Canvas(), TRect(0, 0, w, h), ActivePic, ActiveR);
  TbsEffectBmp ea(a.Handle()), eb(b.Handle());
  ea.MorphBy(eb, MorphKind, MorphKf());
  ea.Draw(Cnvs->Handle(), ObjectRect.Left, ObjectRect.Top);
}

void TbsActiveSkinObject::Draw(TCanvas* Cnvs, bool UpDate) {
  TBitmap* normalPic = SkinRectInAPicture ? ActivePicture : Picture;
  if (Morphing && !AtEndPoint()) {
    DrawMorph(Cnvs, normalPic, SkinRect, ActivePicture, ActiveSkinRect);
    return;
  }
  if (Active && !Empty(ActiveSkinRect)) {
    CopyLook(Cnvs, ObjectRect, ActivePicture, ActiveSkinRect);
    return;
  }
  if (!UpDate && !SkinRectInAPicture) return;
  CopyLook(Cnvs, ObjectRect, normalPic, SkinRect);
}

void TbsActiveSkinObject::MouseDown(int X, int Y, TMouseButton Button) {
  Parent->MouseDownEvent(IDName, X, Y, ObjectRect, Button);
}

void TbsActiveSkinObject::MouseUp(int X, int Y, TMouseButton Button) {
  if (MouseIn) Parent->MouseUpEvent(IDName, X, Y, ObjectRect, Button);
}

void TbsActiveSkinObject::MouseMove(int X, int Y) { Parent->MouseMoveEvent(IDName, X, Y, ObjectRect); }

void TbsActiveSkinObject::MouseEnter() {
  MouseIn = true;
  Active = true;
  if (!Empty(ActiveSkinRect)) Redraw();
  Parent->MouseEnterEvent(IDName);
}

void TbsActiveSkinObject::MouseLeave() {
  MouseIn = false;
  Active = false;
  if (!Empty(ActiveSkinRect)) Redraw();
  Parent->MouseLeaveEvent(IDName);
}

void TbsUserObject::Draw(TCanvas* Cnvs, bool) { Parent->PaintEvent(IDName, Cnvs, ObjectRect); }

// ---- Buttons ------------------------------------------------------------------------------------------------

TbsSkinButtonObject::TbsSkinButtonObject(RurIvozedevUzivEred* AForm, TbsDataSkinObject* AData)
    : TbsActiveSkinObject(AForm, AData) {
  if (auto* b = dynamic_cast<TbsDataSkinButton*>(AData)) {
    DownRect = b->DownRect;
    DisableSkinRect = b->DisableSkinRect;
  }
}

bool TbsSkinButtonObject::CanMorphing() { return TbsActiveSkinObject::CanMorphing() && !(Down && MenuItem); }

void TbsSkinButtonObject::Draw(TCanvas* Cnvs, bool UpDate) {
  // Looks of the active picture are skipped when the record names none.
  if (!Enabled && !Empty(DisableSkinRect)) {
    CopyLook(Cnvs, ObjectRect, ActivePicture, DisableSkinRect);
    return;
  }
  if (Down && !Empty(DownRect) && MouseIn) {
    CopyLook(Cnvs, ObjectRect, ActivePicture, DownRect);
    return;
  }
  TbsActiveSkinObject::Draw(Cnvs, UpDate);
}

void TbsSkinButtonObject::MouseDown(int X, int Y, TMouseButton Button) {
  if (!Enabled) return;
  if (Button == mbLeft && !Down) {
    SetDown(true);
    TrackMenu();
  }
  TbsActiveSkinObject::MouseDown(X, Y, Button);
}

void TbsSkinButtonObject::MouseUp(int X, int Y, TMouseButton Button) {
  if (!Enabled) return;
  if (Button == mbLeft && !MenuItem && Down) SetDown(false);
  TbsActiveSkinObject::MouseUp(X, Y, Button);
}

void TbsSkinButtonObject::MouseEnter() {
  MouseIn = true;
  Active = true;
  if (!Empty(DownRect) && Down) {
    if (Morphing) SetMorphKf(1.0);
    Parent->DrawSkinObject(this);
  } else if (!Empty(ActiveSkinRect)) {
    Redraw();
  }
  Parent->MouseEnterEvent(IDName);
}

void TbsSkinButtonObject::MouseLeave() {
  MouseIn = false;
  Active = false;
  if (MenuItem && Down) {
    Parent->MouseLeaveEvent(IDName);
    return;
  }
  Parent->DrawSkinObject(this);
  Redraw();
  Parent->MouseLeaveEvent(IDName);
}

void TbsSkinButtonObject::SetDown(bool Value) {
  Down = Value;
  if (Morphing && Active) SetMorphKf(1.0);
  Parent->DrawSkinObject(this);
  if (Morphing && !Down) Redraw();
}

void TbsSkinButtonObject::TrackMenu() {
  if (!MenuItem || MenuItem->Count() == 0) return;
  TForm* form = Parent->Form();
  TRect r = ObjectRect;
  if (form->FormStyle() != fsMDIChild) {
    r = bsShifted(r, form->Left(), form->Top());
  } else {
    const TPoint p = Parent->SkinSupport() ? TPoint(-Parent->NewClRect().Left, -Parent->NewClRect().Top)
                                           : TPoint(-3, -(Parent->GetDefCaptionHeight() + 3));
    const TPoint s = form->ClientToScreen(p);
    r = bsShifted(r, s.X, s.Y);
  }
  TMenu* m = MenuItem->GetParentMenu();
  if (auto* pm = dynamic_cast<TbsSkinPopupMenu*>(m)) {
    pm->PopupFromRect(r, PopupUp);
    return;
  }
  if (!Parent->SkinMenu()) return;
  Parent->SkinMenuOpen();
  TbsSkinData* s = Parent->MenusSkinData() ? Parent->MenusSkinData() : Parent->SkinData();
  if (auto* mm = dynamic_cast<TbsSkinMainMenu*>(m)) s = mm->SkinData();
  Parent->SkinMenu()->Popup(nullptr, s, 0, r, MenuItem, PopupUp);
}

// ---- Standard buttons ----------------------------------------------------------------------------------

TbsSkinStdButtonObject::TbsSkinStdButtonObject(RurIvozedevUzivEred* AForm, TbsDataSkinObject* AData)
    : TbsSkinButtonObject(AForm, AData) {
  if (auto* b = dynamic_cast<TbsDataSkinStdButton*>(AData)) {
    HasSkinRecord = true;
    Command = b->Command;
    RestoreRect = b->RestoreRect;
    RestoreActiveRect = b->RestoreActiveRect;
    RestoreInActiveRect = b->RestoreInActiveRect;
    RestoreDownRect = b->RestoreDownRect;
  }
}

bool TbsSkinStdButtonObject::CanMorphing() {
  if (Command == cmSysMenu && Parent->ShowIcon() && SkinRectInAPicture) return false;
  return TbsSkinButtonObject::CanMorphing();
}

void TbsSkinStdButtonObject::Draw(TCanvas* Cnvs, bool UpDate) {
  if (!HasSkinRecord) {
    DefaultDraw(Cnvs);
    return;
  }
  if (!Enabled) {
    TbsSkinButtonObject::Draw(Cnvs, UpDate);
    return;
  }
  if (Command == cmSysMenu && Parent->ShowIcon() && SkinRectInAPicture) {
    Parent->DrawFormIcon(Cnvs, ObjectRect.Left, ObjectRect.Top);
    SetMorphKf(0);
    return;
  }
  const bool restore = (Command == cmMaximize && Parent->WindowState() == wsMaximized) ||
                       (Command == cmMinimize && Parent->WindowState() == wsMinimized) ||
                       (Command == cmRollUp && Parent->RollUpState());
  if (Empty(RestoreRect) || !restore) {
    TbsSkinButtonObject::Draw(Cnvs, UpDate);
    return;
  }
  if (!Parent->GetFormActive() && !Empty(RestoreInActiveRect))
    CopyLook(Cnvs, ObjectRect, ActivePicture, RestoreInActiveRect);
  else if (Down && !Empty(RestoreDownRect) && MouseIn)
    CopyLook(Cnvs, ObjectRect, ActivePicture, RestoreDownRect);
  else if (Morphing && !AtEndPoint())
    DrawMorph(Cnvs, ActivePicture, RestoreRect, ActivePicture, RestoreActiveRect);
  else if (Active && !Empty(RestoreActiveRect))
    CopyLook(Cnvs, ObjectRect, ActivePicture, RestoreActiveRect);
  else
    CopyLook(Cnvs, ObjectRect, ActivePicture, RestoreRect);
}

void TbsSkinStdButtonObject::DefaultDraw(TCanvas* Cnvs) {
  if (Command == cmSysMenu && Parent->ShowIcon()) {
    Parent->DrawFormIcon(Cnvs, ObjectRect.Left, ObjectRect.Top);
    return;
  }
  const int w = RectWidth(ObjectRect), h = RectHeight(ObjectRect);
  if (w < 1 || h < 1) return;
  TBitmap b;
  b.SetSize(w, h);
  TCanvas* c = b.Canvas();
  TRect r(0, 0, w, h);
  const bool pressed = Down && MouseIn;
  bsDrawLookFace(c, r, bsLookState(pressed, MouseIn), false);
  int x = w / 2 - 5, y = h / 2 - 4;
  if (pressed) ++x, ++y;
  const TColor colour = Enabled ? clBtnText : clBtnShadow;
  switch (Command) {
    case cmClose:
      DrawCloseImage(c, x, y, colour);
      break;
    case cmMaximize:
      if (Parent->WindowState() == wsMaximized)
        DrawRestoreImage(c, x, y, colour);
      else
        DrawMaximizeImage(c, x, y, colour);
      break;
    case cmMinimize:
      if (Parent->WindowState() == wsMinimized)
        DrawRestoreImage(c, x, y, colour);
      else
        DrawMinimizeImage(c, x, y, colour);
      break;
    case cmSysMenu:
      DrawSysMenuImage(c, x, y, colour);
      break;
    // Kept as the product draws it: the "rolled up" glyph while rolled up.
    case cmRollUp:
      if (Parent->RollUpState())
        DrawRollUpImage(c, x, y, colour);
      else
        DrawRestoreRollUpImage(c, x, y, colour);
      break;
    default:
      break;
  }
  BitBlt(Cnvs->Handle(), ObjectRect.Left, ObjectRect.Top, w, h, c->Handle(), 0, 0, SRCCOPY);
}

void TbsSkinStdButtonObject::MouseDown(int X, int Y, TMouseButton Button) {
  (void)X, (void)Y;
  if (!Enabled || Button != mbLeft || Down) return;
  SetDown(true);
  if (Command == cmSysMenu) {
    MenuItem = Parent->GetSystemMenu();
    TrackMenu();
  }
}

void TbsSkinStdButtonObject::MouseUp(int X, int Y, TMouseButton Button) {
  // The release comes through the form's capture: Active tells whether it is over the button.
  if (Command == cmClose) {
    const bool run = Active && Button == mbLeft;
    TbsSkinButtonObject::MouseUp(X, Y, Button);
    if (run) DoCommand();
    return;
  }
  if (Active && Button == mbLeft) DoCommand();
  TbsSkinButtonObject::MouseUp(X, Y, Button);
}

void TbsSkinStdButtonObject::DblClick() {
  if (Command == cmSysMenu) DoClose();
}

void TbsSkinStdButtonObject::DoMax() {
  Parent->SetWindowState(Parent->WindowState() == wsMaximized ? wsNormal : wsMaximized);
}
void TbsSkinStdButtonObject::DoMin() {
  Parent->SetWindowState(Parent->WindowState() == wsMinimized ? wsNormal : wsMinimized);
}
void TbsSkinStdButtonObject::DoClose() { Parent->Form()->Close(); }
void TbsSkinStdButtonObject::DoRollUp() { Parent->SetRollUpState(!Parent->RollUpState()); }

void TbsSkinStdButtonObject::DoCommand() {
  switch (Command) {
    case cmClose:
      DoClose();
      break;
    case cmMaximize:
      DoMax();
      break;
    case cmMinimize:
      DoMin();
      break;
    case cmRollUp:
      DoRollUp();
      break;
    default:
      break;
  }
}

// ---- Caption -----------------------------------------------------------------------------------------------

TbsSkinCaptionObject::TbsSkinCaptionObject(RurIvozedevUzivEred* AForm, TbsDataSkinCaption* AData)
    : TbsActiveSkinObject(AForm, AData) {
  FontName = AData->FontName;
  FontStyle = AData->FontStyle;
  FontHeight = AData->FontHeight;
  FontColor = AData->FontColor;
  ActiveFontColor = AData->ActiveFontColor;
  ShadowColor = AData->ShadowColor;
  ActiveShadowColor = AData->ActiveShadowColor;
  Shadow = AData->Shadow;
  Alignment = AData->Alignment;
  TextRect = AData->TextRect;
  FrameRect = AData->FrameRect;
  ActiveFrameRect = AData->ActiveFrameRect;
  FrameLeftOffset = AData->FrameLeftOffset;
  FrameRightOffset = AData->FrameRightOffset;
  FrameTextRect = AData->FrameTextRect;
}

void TbsSkinCaptionObject::MouseDown(int X, int Y, TMouseButton Button) {
  Parent->MouseDownEvent(IDName, X, Y, ObjectRect, Button);
}
void TbsSkinCaptionObject::MouseUp(int X, int Y, TMouseButton Button) {
  Parent->MouseUpEvent(IDName, X, Y, ObjectRect, Button);
}
void TbsSkinCaptionObject::MouseEnter() {
  MouseIn = true;
  Parent->MouseEnterEvent(IDName);
}
void TbsSkinCaptionObject::MouseLeave() {
  MouseIn = false;
  Parent->MouseLeaveEvent(IDName);
}

TRect TbsSkinCaptionObject::TextArea() const {
  TRect t = TextRect;
  if (!Empty(TextRect)) t.Right = RectWidth(ObjectRect) - (RectWidth(SkinRect) - TextRect.Right);
  if (!Empty(FrameRect)) {
    t.Top += FrameTextRect.Top;
    t.Left += FrameTextRect.Left;
    t.Right -= RectWidth(FrameRect) - FrameTextRect.Right;
  }
  return t;
}

void TbsSkinCaptionObject::MakeBackground(TBitmap* B, TBitmap* P, const TRect& S) {
  const int w = RectWidth(ObjectRect), h = RectHeight(ObjectRect);
  B->SetSize(std::max(w, 0), std::max(h, 0));
  if (!P || P->Empty() || w < 1 || h < 1 || !SkinData) return;
  TCanvas* c = B->Canvas();
  const int l = SkinData->LTPoint.X - SkinRect.Left, rc = SkinRect.Right - SkinData->RTPoint.X;
  const TRect mid(S.Left + l, S.Top, S.Right - rc, S.Bottom);
  const int m = RectWidth(mid);
  // The pieces go straight into the background's pixels, from the look's area widened once.
  TbsSkinPieces pieces(B, P, S);
  if (l == 0 && rc == 0) {
    pieces.Copy(TRect(0, 0, w, h), S);
    return;
  }
  // An empty middle (the caps cover the whole look) has nothing to repeat: only the caps are drawn. The
  // middle is copied from the picture once; the rest of the row repeats what is already there, doubling.
  if (m > 0) {
    const int first = std::min(m, w);
    pieces.Copy(TRect(0, 0, first, h), TRect(mid.Left, mid.Top, mid.Left + first, mid.Bottom));
    for (int done = m; done < w; done *= 2)
      c->CopyRect(TRect(done, 0, std::min(2 * done, w), h), c, TRect(0, 0, std::min(done, w - done), h));
  }
  if (l > 0) pieces.Copy(TRect(0, 0, l, h), TRect(S.Left, S.Top, S.Left + l, S.Bottom));
  if (rc > 0) pieces.Copy(TRect(w - rc, 0, w, h), TRect(S.Right - rc, S.Top, S.Right, S.Bottom));
}

void TbsSkinCaptionObject::DrawCaptionText(TCanvas* C, int X, int Y, bool AActive) {
  AnsiString s = Parent->CaptionText();
  const TRect t = TextArea();
  if (s.empty() || Empty(TextRect)) return;
  TSize extent = C->TextExtent(s);
  if (extent.cx > RectWidth(t)) {
    Parent->CorrectCaptionText(C, s, RectWidth(t));
    extent = C->TextExtent(s);
  }
  const int tw = extent.cx, th = extent.cy;
  const int py = RectHeight(t) / 2 - th / 2 + t.Top + Y;
  int px = t.Left;
  if (Alignment == taRightJustify)
    px = t.Right - tw;
  else if (Alignment == taCenter)
    px = RectWidth(t) / 2 - tw / 2 + t.Left;
  px += X;
  C->Brush()->SetStyle(bsClear);
  if (!Empty(FrameRect) && ActivePicture) {
    TBitmap f;
    const TRect src = AActive && !Empty(ActiveFrameRect) ? ActiveFrameRect : FrameRect;
    CreateHSkinImage(FrameLeftOffset, FrameRightOffset, &f, ActivePicture, src,
                     RectWidth(FrameRect) + tw - RectWidth(FrameTextRect), RectHeight(FrameRect));
    C->Draw(px - FrameTextRect.Left, py - FrameTextRect.Top, &f);
  }
  if (Shadow) {
    const TColor saved = C->Font()->Color();
    C->Font()->SetColor(AActive ? ActiveShadowColor : ShadowColor);
    C->TextOut(px + 1, py + 1, s);
    C->Font()->SetColor(saved);
  }
  C->TextOut(px, py, s);
}

void TbsSkinCaptionObject::Draw(TCanvas* Cnvs, bool) {
  auto font = [&](TCanvas* C, bool AActive) {
    C->Font()->SetName(FontName);
    C->Font()->SetStyle(FontStyle);
    C->Font()->SetHeight(FontHeight);
    C->Font()->SetColor(AActive ? ActiveFontColor : FontColor);
    C->Font()->SetCharset(Parent->DefCaptionFont()->Charset());
  };
  auto look = [&](TBitmap& B, TBitmap* P, const TRect& S, bool AActive) {
    MakeBackground(&B, P, S);
    font(B.Canvas(), AActive);
    DrawCaptionText(B.Canvas(), 0, 0, AActive);
  };
  auto inactiveEffect = [&](TbsEffectBmp& E) {
    if (Parent->GetAutoRenderingInActiveImage() && !Active && SkinData)
      bsApplyInActiveEffect(E, SkinData->InActiveEffect);
  };
  if (Morphing && !AtEndPoint()) {
    TBitmap a, b;
    look(a, Picture, SkinRect, false);
    look(b, ActivePicture, ActiveSkinRect, true);
    if (a.Empty() || b.Empty()) return;
    TbsEffectBmp ea(a.Handle()), eb(b.Handle());
    ea.MorphBy(eb, MorphKind, MorphKf());
    inactiveEffect(ea);
    ea.Draw(Cnvs->Handle(), ObjectRect.Left, ObjectRect.Top);
    return;
  }
  if (Empty(ActiveSkinRect) || (!Active && !Morphing)) {
    font(Cnvs, Active);
    DrawCaptionText(Cnvs, ObjectRect.Left, ObjectRect.Top, Active);
    return;
  }
  TBitmap b;
  if (Active) {
    look(b, ActivePicture, ActiveSkinRect, true);
    Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &b);
    return;
  }
  look(b, Picture, SkinRect, false);
  if (Parent->GetAutoRenderingInActiveImage() && !b.Empty()) {
    TbsEffectBmp e(b.Handle());
    inactiveEffect(e);
    e.Draw(Cnvs->Handle(), ObjectRect.Left, ObjectRect.Top);
  } else {
    Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &b);
  }
}
