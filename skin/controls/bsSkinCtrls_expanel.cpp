#include "skin/controls/bsSkinCtrls_expanel.h"

#include <algorithm>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/Messages.h"
#include "platform/win32/Scoped.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

namespace {

// An empty active state takes the normal one, an empty down state the active one.
void FillStates(const TRect& N, TRect& A, TRect& D) {
  if (IsNullRect(A)) A = N;
  if (IsNullRect(D)) D = A;
}

void TurnFont(TCanvas* C) {
  LOGFONT lf {};
  GetObject(C->Font()->Handle(), sizeof lf, &lf);
  lf.lfEscapement = lf.lfOrientation = 900;
  C->Font()->SetHandle(CreateFontIndirect(&lf));
}

}  // namespace

TbsSkinExPanel::TbsSkinExPanel(TComponent* AOwner) : TbsSkinCustomControl(AOwner), FGlyph(std::make_unique<TBitmap>()) {
  SetControlStyle(TControlStyle { csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                                  csDoubleClicks, csReplicatable });
  SetBounds(Left(), Top(), 150, 100);
  FSkinDataName = "expanel";
}

TbsSkinExPanel::~TbsSkinExPanel() = default;

void TbsSkinExPanel::SetGlyph(TBitmap* Value) {
  FGlyph->Assign(Value);
  Repaint();
}

void TbsSkinExPanel::SetNumGlyphs(TbsSkinPanelNumGlyphs Value) {
  FNumGlyphs = std::clamp<TbsSkinPanelNumGlyphs>(Value, 1, 2);
  Repaint();
}

void TbsSkinExPanel::SetSpacing(int Value) {
  FSpacing = Value;
  Repaint();
}

void TbsSkinExPanel::SetShowRollButton(bool Value) {
  FShowRollButton = Value;
  Repaint();
}

void TbsSkinExPanel::SetShowCloseButton(bool Value) {
  FShowCloseButton = Value;
  Repaint();
}

void TbsSkinExPanel::SetDefaultCaptionHeight(int Value) {
  FDefaultCaptionHeight = Value;
  if (Skinned()) return;
  Repaint();
  Realign();
}

void TbsSkinExPanel::SetRollKind(TbsExPanelRollKind Value) {
  if (Value == FRollKind) return;
  // The saved size belongs to the old direction: unroll with it, or the next unroll would restore a
  // dimension never saved.
  if (FRollState && !ComponentState().Contains(csLoading)) SetRollState(false);
  FRollKind = Value;
  Repaint();
}

int TbsSkinExPanel::GetRollWidth() const { return Skinned() ? RectWidth(RollHSkinRect) : FDefaultCaptionHeight; }
int TbsSkinExPanel::GetRollHeight() const { return Skinned() ? RectHeight(RollVSkinRect) : FDefaultCaptionHeight; }

void TbsSkinExPanel::SetRollState(bool Value) {
  if (ComponentState().Contains(csLoading)) {
    // The children are not read yet and the size read is the rolled one: Loaded rolls.
    FPendingRoll = Value;
    return;
  }
  if (Value == FRollState) return;
  ApplyRollState(Value);
  if (!ComponentState().Contains(csDesigning) && OnChangeRollState) OnChangeRollState(this);
}

void TbsSkinExPanel::ApplyRollState(bool Value) {
  FRollState = Value;
  auto rolling = xj::TemporaryChange(FRolling, true);
  const bool h = FRollKind == rkRollHorizontal;
  if (Value) {
    HideControls();
    if (h) {
      FRollSavedWidth = Width();
      SetWidth(GetRollWidth());
    } else {
      FRollSavedHeight = Height();
      SetHeight(GetRollHeight());
    }
  } else {
    // A size never saved is not restored.
    if (h && FRollSavedWidth > 0) SetWidth(FRollSavedWidth);
    if (!h && FRollSavedHeight > 0) SetHeight(FRollSavedHeight);
    ShowControls();
  }
  Repaint();
}

void TbsSkinExPanel::HideControls() {
  FHiddenControls.clear();
  FHiddenLives.clear();
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible()) continue;
    FHiddenControls.push_back(c);
    FHiddenLives.push_back(c->LifeToken());
  }
  for (TControl* c : FHiddenControls) c->SetVisible(false);
}

void TbsSkinExPanel::ShowControls() {
  auto list = std::move(FHiddenControls);
  auto lives = std::move(FHiddenLives);
  FHiddenControls.clear();
  FHiddenLives.clear();
  // A child freed or moved elsewhere while the panel was rolled is left alone.
  for (size_t i = 0; i < list.size(); ++i)
    if (!lives[i].expired() && list[i]->Parent() == this) list[i]->SetVisible(true);
}

void TbsSkinExPanel::Close() {
  SetVisible(false);
  if (!ComponentState().Contains(csDesigning) && OnClose) OnClose(this);
}

void TbsSkinExPanel::Loaded() {
  TbsSkinCustomControl::Loaded();
  if (!FPendingRoll) return;
  FPendingRoll = false;
  // The rolled size was read as the panel's size; the saved one came with the saved sizes, and the
  // children the roll hid were read hidden: they are named by their places.
  FRollState = true;
  FHiddenControls.clear();
  FHiddenLives.clear();
  for (int i : FReadHidden)
    if (i >= 0 && i < ControlCount()) {
      FHiddenControls.push_back(Controls(i));
      FHiddenLives.push_back(Controls(i)->LifeToken());
    }
  FReadHidden.clear();
  auto rolling = xj::TemporaryChange(FRolling, true);
  if (FRollKind == rkRollHorizontal)
    SetWidth(GetRollWidth());
  else
    SetHeight(GetRollHeight());
}

void TbsSkinExPanel::DefineProperties(TFiler* Filer) {
  TbsSkinCustomControl::DefineProperties(Filer);
  Filer->DefineProperty("RollSavedWidth", TReaderProc(this, &TbsSkinExPanel::ReadSavedWidth),
                        TWriterProc(this, &TbsSkinExPanel::WriteSavedWidth), FRollSavedWidth != 0);
  Filer->DefineProperty("RollSavedHeight", TReaderProc(this, &TbsSkinExPanel::ReadSavedHeight),
                        TWriterProc(this, &TbsSkinExPanel::WriteSavedHeight), FRollSavedHeight != 0);
  Filer->DefineProperty("RolledControls", TReaderProc(this, &TbsSkinExPanel::ReadHiddenControls),
                        TWriterProc(this, &TbsSkinExPanel::WriteHiddenControls),
                        FRollState && !FHiddenControls.empty());
}

void TbsSkinExPanel::ReadHiddenControls(TReader* Reader) {
  FReadHidden.clear();
  Reader->ReadListBegin();
  while (!Reader->EndOfList()) FReadHidden.push_back(Reader->ReadInteger());
  Reader->ReadListEnd();
}

void TbsSkinExPanel::WriteHiddenControls(TWriter* Writer) {
  Writer->WriteListBegin();
  for (size_t i = 0; i < FHiddenControls.size(); ++i) {
    if (FHiddenLives[i].expired()) continue;
    for (int k = 0; k < ControlCount(); ++k)
      if (Controls(k) == FHiddenControls[i]) Writer->WriteInteger(k);
  }
  Writer->WriteListEnd();
}

void TbsSkinExPanel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (FRollState && !FRolling) {
    if (FRollKind == rkRollHorizontal) AWidth = GetRollWidth();
    if (FRollKind == rkRollVertical) AHeight = GetRollHeight();
  }
  TbsSkinCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TbsSkinExPanel::AdjustClientRect(TRect& Rect) {
  TbsSkinCustomControl::AdjustClientRect(Rect);
  if (Skinned() && !ComponentState().Contains(csDesigning)) {
    Rect = NewClRect;
    return;
  }
  Rect.Top += FDefaultCaptionHeight;
  Rect.Left += 1;
  Rect.Right -= 1;
  Rect.Bottom -= 1;
}

void TbsSkinExPanel::GetSkinData() {
  TbsSkinCustomControl::GetSkinData();
  auto* r = FSkinObjectIndex == -1 ? nullptr : SkinRecordAs<TbsDataSkinExPanelControl>();
  if (!r) {
    Unskin();
    return;
  }
  CaptionRect = r->CaptionRect;
  FontName = r->FontName;
  FontColor = r->FontColor;
  FontStyle = r->FontStyle;
  FontHeight = r->FontHeight;
  RollHSkinRect = r->RollHSkinRect;
  RollVSkinRect = r->RollVSkinRect;
  RollLeftOffset = r->RollLeftOffset;
  RollRightOffset = r->RollRightOffset;
  RollTopOffset = r->RollTopOffset;
  RollBottomOffset = r->RollBottomOffset;
  RollVCaptionRect = r->RollVCaptionRect;
  RollHCaptionRect = r->RollHCaptionRect;
  CloseButtonRect = r->CloseButtonRect;
  CloseButtonActiveRect = r->CloseButtonActiveRect;
  CloseButtonDownRect = r->CloseButtonDownRect;
  HRollButtonRect = r->HRollButtonRect;
  HRollButtonActiveRect = r->HRollButtonActiveRect;
  HRollButtonDownRect = r->HRollButtonDownRect;
  HRestoreButtonRect = r->HRestoreButtonRect;
  HRestoreButtonActiveRect = r->HRestoreButtonActiveRect;
  HRestoreButtonDownRect = r->HRestoreButtonDownRect;
  VRollButtonRect = r->VRollButtonRect;
  VRollButtonActiveRect = r->VRollButtonActiveRect;
  VRollButtonDownRect = r->VRollButtonDownRect;
  VRestoreButtonRect = r->VRestoreButtonRect;
  VRestoreButtonActiveRect = r->VRestoreButtonActiveRect;
  VRestoreButtonDownRect = r->VRestoreButtonDownRect;
  FillStates(HRollButtonRect, HRollButtonActiveRect, HRollButtonDownRect);
  FillStates(HRestoreButtonRect, HRestoreButtonActiveRect, HRestoreButtonDownRect);
  FillStates(VRollButtonRect, VRollButtonActiveRect, VRollButtonDownRect);
  FillStates(VRestoreButtonRect, VRestoreButtonActiveRect, VRestoreButtonDownRect);
}

void TbsSkinExPanel::ChangeSkinData() {
  TbsSkinCustomControl::ChangeSkinData();
  if (!FRollState) {
    Realign();
    return;
  }
  auto rolling = xj::TemporaryChange(FRolling, true);
  if (FRollKind == rkRollVertical)
    SetHeight(GetRollHeight());
  else
    SetWidth(GetRollWidth());
}

// ---- Faces ------------------------------------------------------------------------------------------------

// The caption in C, with the glyph: across the top, or turned in a vertical strip with the glyph at the
// strip's foot, GlyphBottomGap above its bottom.
void TbsSkinExPanel::DrawCaption(TCanvas* C, TRect R, bool Turned, int GlyphBottomGap) {
  const int gn = !Enabled() && FNumGlyphs == 2 ? 2 : 1;
  const bool glyph = !FGlyph->Empty();
  const int gw = glyph ? FGlyph->Width() / FNumGlyphs : 0, gh = glyph ? FGlyph->Height() : 0;
  C->Brush()->SetStyle(bsClear);
  if (!Turned) {
    if (glyph) {
      DrawGlyph(C, R.Left, R.Top + RectHeight(R) / 2 - gh / 2, FGlyph.get(), FNumGlyphs, gn);
      R.Left += gw + FSpacing;
    }
    SPDrawText2(C, Caption(), R);
    return;
  }
  int limit = R.Bottom - 2;
  if (glyph) {
    const int gy = R.Bottom - gh - GlyphBottomGap;
    DrawGlyph(C, R.Left + RectWidth(R) / 2 - gw / 2, gy, FGlyph.get(), FNumGlyphs, gn);
    limit = gy - FSpacing - (GlyphBottomGap ? 2 : 0);
  }
  TurnFont(C);
  const int tw = C->TextWidth(Caption()), th = C->TextHeight(Caption());
  const int x = R.Left + RectWidth(R) / 2 - th / 2;
  const int y = std::min(R.Top + RectHeight(R) / 2 + tw / 2, limit);
  C->TextRect(R, x, y, Caption());
}

void TbsSkinExPanel::CreateControlDefaultImage(TBitmap* B) {
  TCanvas* c = B->Canvas();
  const int W = Width(), H = Height(), BS = FDefaultCaptionHeight - 6;
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(TRect(0, 0, W, H));
  c->Font()->Assign(FDefaultFont.get());
  TButton& cl = FButtons[0];
  TButton& rl = FButtons[1];
  if (!FRollState || FRollKind == rkRollVertical) {
    TRect f(0, 0, W, H);
    Frame3D(c, f, clBtnShadow, clBtnShadow, 1);
    TRect C(0, 0, W, FDefaultCaptionHeight);
    Frame3D(c, C, clBtnShadow, clBtnShadow, 1);
    Frame3D(c, C, clBtnHighlight, clBtnFace, 1);
    cl.R = FShowCloseButton ? TRect(W - BS - 2, 3, W - 2, BS + 3) : TRect(W - 2, 0, W - 2, 0);
    rl.R = FShowRollButton ? TRect(cl.R.Left - BS, 3, cl.R.Left, BS + 3) : TRect(cl.R.Left, 0, cl.R.Left, 0);
    const int T = RectWidth(cl.R) + RectWidth(rl.R);
    C.Left += 2;
    C.Right -= 2 + T;
    DrawCaption(c, C, false, 0);
  } else {
    TRect C(0, 0, W, H);
    Frame3D(c, C, clBtnShadow, clBtnShadow, 1);
    Frame3D(c, C, clBtnHighlight, clBtnFace, 1);
    cl.R = FShowCloseButton ? TRect(3, 3, BS + 3, BS + 3) : TRect(0, 3, 0, 3);
    rl.R = FShowRollButton ? TRect(3, cl.R.Bottom, BS + 3, cl.R.Bottom + BS) : TRect(0, cl.R.Bottom, 0, cl.R.Bottom);
    const int T = RectHeight(cl.R) + RectHeight(rl.R);
    C.Top += T + 2;
    DrawCaption(c, C, true, 2);
  }
  DrawButton(c, 0);
  DrawButton(c, 1);
}

void TbsSkinExPanel::CreateControlSkinImage(TBitmap* B) {
  TCanvas* c = B->Canvas();
  const int W = Width(), H = Height();
  TButton& cl = FButtons[0];
  TButton& rl = FButtons[1];
  auto font = [&] {
    AssignSkinFont(c->Font(), FUseSkinFont, FDefaultFont.get(), FontName, FontHeight, FontStyle);
    c->Font()->SetColor(FontColor);
  };
  if (FRollState && FRollKind == rkRollHorizontal) {
    CreateVSkinImage(RollTopOffset, RollBottomOffset, B, Picture, RollHSkinRect, GetRollWidth(), H);
    font();
    TRect C = RollHCaptionRect;
    C.Bottom += H - RectHeight(RollHSkinRect);
    int G = 0;
    if (FShowCloseButton) {
      cl.R = TRect(C.Left, C.Top, C.Left + RectWidth(CloseButtonRect), C.Top + RectHeight(CloseButtonRect));
      G = 2;
    } else {
      cl.R = TRect(C.Left, C.Top, C.Left, C.Top);
    }
    rl.R = FShowRollButton ? TRect(C.Left, cl.R.Bottom + G, C.Left + RectWidth(HRollButtonRect),
                                   cl.R.Bottom + G + RectHeight(HRollButtonRect))
                           : TRect(C.Left, cl.R.Bottom, C.Left, cl.R.Bottom);
    C.Top += RectHeight(cl.R) + (FShowRollButton ? RectHeight(rl.R) + G : 0);
    DrawCaption(c, C, true, 0);
  } else {
    TRect C;
    if (!FRollState) {
      TbsSkinCustomControl::CreateControlSkinImage(B);
      C = CaptionRect;
      C.Right += W - RectWidth(SkinRect);
    } else {
      CreateHSkinImage(RollLeftOffset, RollRightOffset, B, Picture, RollVSkinRect, W, GetRollHeight());
      C = RollVCaptionRect;
      C.Right += W - RectWidth(RollVSkinRect);
    }
    font();
    int G = 0;
    if (FShowCloseButton) {
      cl.R = TRect(C.Right - RectWidth(CloseButtonRect), C.Top, C.Right, C.Top + RectHeight(CloseButtonRect));
      G = 2;
    } else {
      cl.R = TRect(C.Right, C.Top, C.Right, C.Top);
    }
    rl.R = FShowRollButton ? TRect(cl.R.Left - RectWidth(VRollButtonRect) - G, C.Top, cl.R.Left - G,
                                   C.Top + RectHeight(VRollButtonRect))
                           : TRect(cl.R.Left, C.Top, cl.R.Left, C.Top);
    C.Right -= RectWidth(cl.R) + (FShowRollButton ? RectWidth(rl.R) + G : 0);
    DrawCaption(c, C, false, 0);
  }
  DrawButton(c, 0);
  DrawButton(c, 1);
}

void TbsSkinExPanel::DrawButton(TCanvas* C, int I) {
  const TButton& b = FButtons[I];
  if (IsNullRect(b.R)) return;
  const bool down = b.Down && b.MouseIn, hover = b.MouseIn && !b.Down;
  if (Skinned()) {
    const bool h = FRollKind == rkRollHorizontal;
    auto pick = [&](const TRect& N, const TRect& A, const TRect& D) -> const TRect& {
      return down ? D : b.MouseIn ? A : N;
    };
    const TRect& src = I == 0       ? pick(CloseButtonRect, CloseButtonActiveRect, CloseButtonDownRect)
                       : FRollState ? (h ? pick(HRestoreButtonRect, HRestoreButtonActiveRect, HRestoreButtonDownRect)
                                         : pick(VRestoreButtonRect, VRestoreButtonActiveRect, VRestoreButtonDownRect))
                                    : (h ? pick(HRollButtonRect, HRollButtonActiveRect, HRollButtonDownRect)
                                         : pick(VRollButtonRect, VRollButtonActiveRect, VRollButtonDownRect));
    if (!IsNullRect(src)) C->CopyRect(b.R, Picture->Canvas(), src);
    return;
  }
  TRect r = b.R;
  C->Brush()->SetStyle(bsSolid);
  bsDrawLookFace(C, r, bsLookState(down, hover), false);
  TRect g = b.R;
  if (down) {
    g.Left += 2;
    g.Top += 2;
  }
  if (I == 0) {
    DrawRCloseImage(C, g, clBlack);
    return;
  }
  const int code = FRollKind == rkRollHorizontal ? (FRollState ? 2 : 1) : (FRollState ? 4 : 3);
  DrawArrowImage(C, g, clBlack, code);
}

// ---- Caption buttons --------------------------------------------------------------------------------------

void TbsSkinExPanel::TestActive(int X, int Y) {
  const int first = FShowCloseButton ? 0 : 1, last = FShowRollButton ? 1 : 0;
  if (first > last) return;
  FOldActiveButton = FActiveButton;
  FActiveButton = -1;
  for (int i = first; i <= last; ++i)
    if (X >= FButtons[i].R.Left && X < FButtons[i].R.Right && Y >= FButtons[i].R.Top && Y < FButtons[i].R.Bottom) {
      FActiveButton = i;
      break;
    }
  if (FCaptureButton != -1 && FActiveButton != FCaptureButton) FActiveButton = -1;
  if (FActiveButton == FOldActiveButton) return;
  const bool canvas = HandleAllocated();
  if (FOldActiveButton != -1) {
    FButtons[FOldActiveButton].MouseIn = false;
    if (canvas) DrawButton(Canvas(), FOldActiveButton);
  }
  if (FActiveButton != -1) {
    FButtons[FActiveButton].MouseIn = true;
    if (canvas) DrawButton(Canvas(), FActiveButton);
  }
}

void TbsSkinExPanel::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TestActive(X, Y);
  if (FActiveButton != -1) {
    FCaptureButton = FActiveButton;
    FButtons[FCaptureButton].MouseIn = FButtons[FCaptureButton].Down = true;
    if (HandleAllocated()) DrawButton(Canvas(), FCaptureButton);
  }
  TbsSkinCustomControl::MouseDown(Button, Shift, X, Y);
}

void TbsSkinExPanel::MouseMove(TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TbsSkinCustomControl::MouseMove(Shift, X, Y);
  if (!life.expired()) TestActive(X, Y);
}

void TbsSkinExPanel::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
  if (life.expired() || FCaptureButton == -1) return;
  const int i = FCaptureButton;
  FCaptureButton = -1;
  ButtonUp(i, X, Y);
}

void TbsSkinExPanel::ButtonUp(int I, int X, int Y) {
  TButton& b = FButtons[I];
  b.Down = false;
  if (I != FActiveButton) b.MouseIn = false;
  if (HandleAllocated()) DrawButton(Canvas(), I);
  if (!b.MouseIn) return;
  if (I == 0) {
    Close();
    return;
  }
  auto life = LifeToken();
  SetRollState(!FRollState);
  if (life.expired()) return;
  TestActive(X, Y);
  Repaint();
}

void TbsSkinExPanel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
      TbsSkinCustomControl::Dispatch(Message);
      Repaint();
      return;
    case CM_MOUSEENTER:
      TbsSkinCustomControl::Dispatch(Message);
      TestActive(-1, -1);
      return;
    case CM_MOUSELEAVE:
      TbsSkinCustomControl::Dispatch(Message);
      for (int i = 0; i < 2; ++i)
        if (FButtons[i].MouseIn) {
          FButtons[i].MouseIn = false;
          if (HandleAllocated()) DrawButton(Canvas(), i);
        }
      FActiveButton = -1;
      return;
    default:
      TbsSkinCustomControl::Dispatch(Message);
  }
}

XJ_PUBLISHED(TbsSkinExPanel,
  XJ_PROP(ShowRollButton)
  XJ_PROP(ShowCloseButton)
  XJ_PROP(DefaultCaptionHeight)
  XJ_PROP(RollKind)
  XJ_PROP(RollState)
  XJ_PROP(Glyph)
  XJ_PROP(NumGlyphs)
  XJ_PROP(Spacing)
  XJ_EVENT(OnChangeRollState)
  XJ_EVENT(OnClose)
  XJ_PROP(Align, alNone)
  XJ_PROP(Caption)
  XJ_PROP(DockSite, false)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowHint, false)
  XJ_PROP(TabStop, false)
  XJ_EVENT(OnCanResize)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnConstrainedResize)
  XJ_EVENT(OnDockDrop)
  XJ_EVENT(OnDockOver)
  XJ_EVENT(OnDblClick)
  XJ_EVENT(OnDragDrop)
  XJ_EVENT(OnDragOver)
  XJ_EVENT(OnEndDock)
  XJ_EVENT(OnEndDrag)
  XJ_EVENT(OnEnter)
  XJ_EVENT(OnExit)
  XJ_EVENT(OnGetSiteInfo)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnResize)
  XJ_EVENT(OnStartDock)
  XJ_EVENT(OnStartDrag)
  XJ_EVENT(OnUnDock));
