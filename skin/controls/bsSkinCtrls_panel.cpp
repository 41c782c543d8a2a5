#include "skin/controls/bsSkinCtrls_panel.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/Messages.h"
#include "platform/win32/Scoped.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

void SkinDrawCheckImage(TCanvas* Canvas, int X, int Y, TBitmap* Picture, const TRect& R) {
  // Only what lies in the picture is drawn, where it would be: the image is never larger than it.
  const TRect src = ClipToPicture(R, Picture);
  if (IsNullRect(src)) return;
  // A transparent copy of the piece, which makes its mask from its own pixels as it draws.
  TBitmap image;
  image.SetSize(RectWidth(src), RectHeight(src));
  image.Canvas()->CopyRect(TRect(0, 0, image.Width(), image.Height()), Picture->Canvas(), src);
  image.SetTransparent(true);
  Canvas->Draw(xj::SatAdd(X, xj::SatSub(src.Left, R.Left)), xj::SatAdd(Y, xj::SatSub(src.Top, R.Top)), &image);
}

void bsTileClientPart(TCanvas* Canvas, int W, int H, TBitmap* Picture, const TRect& SkinRect, const TRect& ClRect) {
  const int cw = RectWidth(ClRect), ch = RectHeight(ClRect);
  if (!Picture || cw < 1 || ch < 1) return;
  for (int i = 0; i <= W / cw; ++i)
    for (int j = 0; j <= H / ch; ++j) {
      const int dx = std::max(0, (i + 1) * cw - W), dy = std::max(0, (j + 1) * ch - H);
      const TRect src(SkinRect.Left + ClRect.Left, SkinRect.Top + ClRect.Top, SkinRect.Left + ClRect.Right - dx,
                      SkinRect.Top + ClRect.Bottom - dy);
      Canvas->CopyRect(TRect(i * cw, j * ch, (i + 1) * cw - dx, (j + 1) * ch - dy), Picture->Canvas(), src);
    }
}

void bsTilePicture(TCanvas* Canvas, int W, int H, TBitmap* Picture) {
  const int pw = Picture ? Picture->Width() : 0, ph = Picture ? Picture->Height() : 0;
  if (pw < 1 || ph < 1) return;
  for (int i = 0; i <= W / pw; ++i)
    for (int j = 0; j <= H / ph; ++j) Canvas->Draw(i * pw, j * ph, Picture);
}

void AssignSkinFont(TFont* Font, bool UseSkinFont, TFont* DefaultFont, const AnsiString& FontName, int FontHeight,
                    TFontStyles FontStyle) {
  if (!UseSkinFont) {
    Font->Assign(DefaultFont);
    return;
  }
  Font->SetName(FontName);
  Font->SetHeight(FontHeight);
  Font->SetStyle(FontStyle);
  Font->SetCharset(DefaultFont->Charset());
}

namespace {

void Frame(TCanvas* C, TRect& R, TColor A, TColor B) { Frame3D(C, R, A, B, 1); }

}  // namespace

// ---- TbsSkinPanel ---------------------------------------------------------------------------------------

TbsSkinPanel::TbsSkinPanel(TComponent* AOwner) : TbsSkinCustomControl(AOwner), FGlyph(std::make_unique<TBitmap>()) {
  SetControlStyle(
      { csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csDoubleClicks, csReplicatable });
  SetBounds(Left(), Top(), 185, 41);
  NewClRect = NullRect();
  FSkinDataName = "panel";
}

TbsSkinPanel::~TbsSkinPanel() { TearDownWindow(); }

void TbsSkinPanel::CreateParams(TCreateParams& Params) {
  TbsSkinCustomControl::CreateParams(Params);
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TbsSkinPanel::SetCheckedMode(bool Value) {
  FCheckedMode = Value;
  Repaint();
}

void TbsSkinPanel::SetChecked(bool Value) {
  FChecked = Value;
  if (FCheckedMode) Repaint();
  if (FAutoEnabledControls && FCheckedMode)
    for (int i = 0; i < ControlCount(); ++i) Controls(i)->SetEnabled(FChecked);
  if (OnChecked) OnChecked(this);
}

void TbsSkinPanel::SetGlyph(TBitmap* Value) {
  FGlyph->Assign(Value);
  Repaint();
}

void TbsSkinPanel::SetNumGlyphs(TbsSkinPanelNumGlyphs Value) {
  FNumGlyphs = std::clamp<TbsSkinPanelNumGlyphs>(Value, 1, 2);
  Repaint();
}

void TbsSkinPanel::SetSpacing(int Value) {
  FSpacing = Value;
  Repaint();
}

void TbsSkinPanel::SetDefaultAlignment(TAlignment Value) {
  FDefaultAlignment = Value;
  if (FSkinObjectIndex == -1 && FCaptionMode) Repaint();
}

void TbsSkinPanel::SetDefaultCaptionHeight(int Value) {
  FDefaultCaptionHeight = Value;
  if (FSkinObjectIndex == -1 && FCaptionMode) {
    Repaint();
    Realign();
  }
}

void TbsSkinPanel::SetBorderStyle(TbsSkinBorderStyle Value) {
  FBorderStyle = Value;
  if (FSkinObjectIndex == -1) {
    Repaint();
    Realign();
  }
}

void TbsSkinPanel::SetCaptionMode(bool Value) {
  FCaptionMode = Value;
  Repaint();
  Realign();
}

void TbsSkinPanel::SetRollUpMode(bool Value) {
  FRollUpMode = Value;
  if (FSkinObjectIndex == -1 && FCaptionMode) Repaint();
}

void TbsSkinPanel::SetRollUpState(bool Value) {
  // While loading only the flag is kept: the children do not exist yet, so Loaded rolls up.
  if (ComponentState().Contains(csLoading)) {
    FRollUpState = Value;
    return;
  }
  if (!FRollUpMode) {
    // Clearing the state always unrolls, so that switching the mode off first cannot strand the panel
    // short with its children hidden.
    if (FRollUpState) {
      FRollUpState = false;
      DoRollUp(false);
    }
    return;
  }
  if (Value == FRollUpState) return;
  FRollUpState = Value;
  DoRollUp(Value);
}

int TbsSkinPanel::RolledHeight() const {
  if (!CanPaintSkin()) return FDefaultCaptionHeight + 1;
  return Height() - RectHeight(NewClRect);
}

void TbsSkinPanel::DoRollUp(bool Value) {
  if (Value) {
    FSavedHeight = Height();
    HideControls();
    SetHeight(RolledHeight());
  } else if (FSavedHeight != -1) {
    SetHeight(FSavedHeight);
    ShowControls();
  }
}

void TbsSkinPanel::HideControls() {
  FHiddenControls = std::make_unique<TList>();
  for (int i = 0; i < ControlCount(); ++i)
    if (Controls(i)->Visible()) FHiddenControls->Add(Controls(i));
  for (int i = 0; i < FHiddenControls->Count(); ++i)
    static_cast<TControl*>(FHiddenControls->Items(i))->SetVisible(false);
}

void TbsSkinPanel::ShowControls() {
  if (!FHiddenControls) return;
  std::unique_ptr<TList> list = std::move(FHiddenControls);
  for (int i = 0; i < list->Count(); ++i) static_cast<TControl*>(list->Items(i))->SetVisible(true);
}

// Painted with its parent, once: a realign places every aligned panel again for each control it moves.
void TbsSkinPanel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (FKeepAskedHeight && !FSizingToSkin) FAskedHeight = AHeight;
  const TRect before = BoundsRect();
  const auto life = LifeToken();
  TbsSkinCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (!life.expired() && FSkinObjectIndex == -1 && BoundsRect() != before) Invalidate();
}

bool TbsSkinPanel::CanPaintBackground() const { return CanPaintSkin() && BGPictureIndex != -1; }

void TbsSkinPanel::AdjustClientRect(TRect& Rect) {
  TbsSkinCustomControl::AdjustClientRect(Rect);
  if (CanPaintSkin() && !ComponentState().Contains(csDesigning)) {
    if (BGPictureIndex != -1) return;
    if (FBorderStyle == bs::bvNone && !FCaptionMode && FResizeMode == 1) return;
    Rect = NewClRect;
    return;
  }
  if (FBorderStyle != bs::bvNone) Rect = TRect(Rect.Left + 1, Rect.Top + 1, Rect.Right - 1, Rect.Bottom - 1);
  if (FCaptionMode) Rect.Top += FDefaultCaptionHeight;
}

void TbsSkinPanel::GetSkinData() {
  TbsSkinCustomControl::GetSkinData();
  BGPictureIndex = -1;
  auto* record = FSkinObjectIndex == -1 ? nullptr : SkinRecordAs<TbsDataSkinPanelControl>();
  if (!record) return;
  CaptionRect = record->CaptionRect;
  Alignment = record->Alignment;
  FontName = record->FontName;
  FontColor = record->FontColor;
  FontStyle = record->FontStyle;
  FontHeight = record->FontHeight;
  RollUpMarkerRect = record->RollUpMarkerRect;
  RestoreMarkerRect = record->RestoreMarkerRect;
  CheckImageRect = record->CheckImageRect;
  UnCheckImageRect = record->UncheckImageRect;
  // A background picture the skin does not have, or an empty one, means none.
  const int bg = record->BGPictureIndex;
  TList* pictures = FSkinData->ActivePictures.get();
  if (bg >= 0 && bg < pictures->Count() && !static_cast<TBitmap*>(pictures->Items(bg))->Empty()) BGPictureIndex = bg;
}

// A panel may be far larger than its form shows (aligned to a small form, or sized by a skin whose face
// is as large as a picture can be): only what shows of it is built.
void TbsSkinPanel::Paint() {
  GetSkinData();
  xj::TemporaryChange cut(FaceCut, bsVisibleFaceCut(this));
  if (!CanPaintBackground()) {
    TbsSkinCustomControl::Paint();
    return;
  }
  const TSize size = FaceSize();
  if (size.cx < 1 || size.cy < 1) return;
  bsTilePicture(Canvas(), size.cx, size.cy, static_cast<TBitmap*>(FSkinData->ActivePictures->Items(BGPictureIndex)));
}

void TbsSkinPanel::DrawCaptionContent(TCanvas* C, TRect R, TAlignment Align, int Indent) {
  const AnsiString caption = Caption();
  const bool glyph = !FGlyph->Empty();
  const int gw = glyph ? FGlyph->Width() / FNumGlyphs : 0;
  const int textY = R.Top + RectHeight(R) / 2 - C->TextHeight(caption) / 2;
  int textX = R.Left + Indent;
  const int w = C->TextWidth(caption) + (glyph ? gw + FSpacing : 0);
  if (Align == taRightJustify)
    textX = R.Right - w;
  else if (Align == taCenter)
    textX = R.Left + Indent + RectWidth(R) / 2 - w / 2;
  int glyphX = 0, glyphY = 0;
  if (glyph) {
    glyphX = textX;
    glyphY = R.Top + RectHeight(R) / 2 - FGlyph->Height() / 2;
    textX = glyphX + gw + FSpacing;
  }
  C->Brush()->SetStyle(bsClear);
  C->TextRect(R, textX, textY, caption);
  if (glyph) DrawGlyph(C, glyphX, glyphY, FGlyph.get(), FNumGlyphs, !Enabled() && FNumGlyphs == 2 ? 2 : 1);
}

void TbsSkinPanel::CreateControlDefaultImage(TBitmap* B) {
  TbsSkinCustomControl::CreateControlDefaultImage(B);
  TCanvas* C = B->Canvas();
  TRect R(0, 0, Width(), Height());
  switch (FBorderStyle) {
    case bs::bvRaised:
      Frame(C, R, clBtnHighlight, clBtnShadow);
      break;
    case bs::bvLowered:
      Frame(C, R, clBtnShadow, clBtnHighlight);
      break;
    case bs::bvFrame:
      Frame(C, R, clBtnShadow, clBtnShadow);
      break;
    case bs::bvNone:
      break;
  }
  if (!FCaptionMode) return;
  if (FBorderStyle == bs::bvFrame) {
    R = TRect(0, 0, Width(), FDefaultCaptionHeight);
    Frame(C, R, clBtnShadow, clBtnShadow);
    Frame(C, R, clBtnHighlight, clBtnFace);
  } else {
    R = TRect(1, 1, Width() - 1, FDefaultCaptionHeight);
    Frame(C, R, clBtnShadow, clBtnHighlight);
    Frame(C, R, clBtnHighlight, clBtnShadow);
  }
  if (FCheckedMode) R.Left += 20;
  if (FRollUpMode) R.Right -= 10;
  C->Font()->Assign(FDefaultFont.get());
  if (FCheckedMode) {
    const int y0 = R.Top + RectHeight(R) / 2 - 7;
    TRect box(5, y0, 19, y0 + 14);
    Frame(C, box, clBtnShadow, clBtnShadow);
    if (FChecked) DrawCheckImage(C, box.Left + 3, box.Top + 2, clBtnText);
  }
  DrawCaptionContent(C, R, FDefaultAlignment, 2);
  if (FRollUpMode) DrawArrowImage(C, TRect(R.Right, R.Top, R.Right + 10, R.Bottom), clBtnText, FRollUpState ? 4 : 3);
}

void TbsSkinPanel::CreateControlSkinImage(TBitmap* B) {
  const int cw = RectWidth(ClRect), ch = RectHeight(ClRect);
  // The tiled face needs a client part to tile; without one the normal face is drawn.
  if (FBorderStyle == bs::bvNone && FResizeMode == 1 && !FCaptionMode && cw > 0 && ch > 0) {
    // The tiles lie from the top-left corner on: cut, the face keeps the same pixels where it shows.
    const TSize size = FaceSize();
    B->SetSize(size.cx, size.cy);
    bsTileClientPart(B->Canvas(), size.cx, size.cy, Picture, SkinRect, ClRect);
    return;
  }
  TbsSkinCustomControl::CreateControlSkinImage(B);
  TCanvas* C = B->Canvas();
  NewCaptionRect = FResizeMode > 0 ? GetNewRect(CaptionRect) : CaptionRect;
  if (!Caption().empty() && !IsNullRect(CaptionRect)) {
    TRect R = NewCaptionRect;
    if (FCheckedMode) {
      const int iw = RectWidth(CheckImageRect), ih = RectHeight(CheckImageRect);
      SkinDrawCheckImage(C, R.Left, R.Top + RectHeight(R) / 2 - ih / 2, Picture,
                         FChecked ? CheckImageRect : UnCheckImageRect);
      R.Left += iw + 2;
    }
    AssignSkinFont(C->Font(), FUseSkinFont, FDefaultFont.get(), FontName, FontHeight, FontStyle);
    C->Font()->SetColor(FontColor);
    DrawCaptionContent(C, R, Alignment, 0);
  }
  NewRollUpMarkerRect = TRect();
  if (!IsNullRect(RollUpMarkerRect) && FRollUpMode) {
    NewRollUpMarkerRect = FResizeMode > 0 ? GetNewRect(RollUpMarkerRect) : RollUpMarkerRect;
    if (FRollUpState && !IsNullRect(RestoreMarkerRect))
      C->CopyRect(NewRollUpMarkerRect, Picture->Canvas(), RestoreMarkerRect);
  }
}

int TbsSkinPanel::UnskinnedHeight() const {
  return FKeepAskedHeight && FAskedHeight > 0 ? FAskedHeight : DefaultHeight();
}

void TbsSkinPanel::ChangeSkinData() {
  const auto life = LifeToken();
  {
    TControlChange sizing(this, FSizingToSkin, true);
    TbsSkinCustomControl::ChangeSkinData();
  }
  if (life.expired()) return;
  if (FRollUpState)
    SetHeight(RolledHeight());
  else
    Realign();
}

void TbsSkinPanel::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FPress.Down(Button);
  TbsSkinCustomControl::MouseDown(Button, Shift, X, Y);
}

void TbsSkinPanel::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FPress.Up(Button, this, X, Y) && (FRollUpMode || FCheckedMode) && FCaptionMode) {
    const TPoint p(X, Y);
    // A part the skin does not have is no target, not a point at (0, 0).
    auto in = [&p](const TRect& R) { return !IsNullRect(R) && PointInRect(R, p); };
    const bool hit = CanPaintSkin() ? in(NewCaptionRect) || in(NewRollUpMarkerRect)
                                    : PointInRect(TRect(1, 1, Width() - 1, FDefaultCaptionHeight), p);
    if (hit) {
      // A handler may free the panel; nothing of it is touched once it is gone.
      const auto life = LifeToken();
      if (FCheckedMode) SetChecked(!FChecked);
      if (life.expired()) return;
      if (FRollUpMode) SetRollUpState(!FRollUpState);
    }
  }
  TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
}

void TbsSkinPanel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_ENABLEDCHANGED:
      TbsSkinCustomControl::Dispatch(Message);
      Repaint();
      return;
    case CM_TEXTCHANGED:
      if (FCaptionMode) Repaint();
      return;
    case CM_CONTROLLISTCHANGE:
      // A child that leaves (or is freed) while the panel is rolled up is forgotten, never shown later.
      if (!Message.LParam && FHiddenControls) FHiddenControls->Remove(reinterpret_cast<TControl*>(Message.WParam));
      TbsSkinCustomControl::Dispatch(Message);
      return;
    default:
      TbsSkinCustomControl::Dispatch(Message);
  }
}

// A rolled-up panel writes its full height and the names of the children it hid, so that loading it
// back can unroll to the real size and show exactly those children again.
void TbsSkinPanel::DefineProperties(TFiler* Filer) {
  TbsSkinCustomControl::DefineProperties(Filer);
  Filer->DefineProperty("RolledUp", TReaderProc(this, &TbsSkinPanel::ReadRolledUp),
                        TWriterProc(this, &TbsSkinPanel::WriteRolledUp), FRollUpState && FSavedHeight != -1);
}

void TbsSkinPanel::ReadRolledUp(TReader* Reader) {
  Reader->ReadListBegin();
  FStreamedSavedHeight = Reader->ReadInteger();
  FStreamedHidden.clear();
  while (!Reader->EndOfList()) FStreamedHidden.push_back(Reader->ReadString());
  Reader->ReadListEnd();
}

void TbsSkinPanel::WriteRolledUp(TWriter* Writer) {
  Writer->WriteListBegin();
  Writer->WriteInteger(FSavedHeight);
  // Only named controls can be found again; the unnamed ones are the control's own parts.
  if (FHiddenControls)
    for (int i = 0; i < FHiddenControls->Count(); ++i)
      if (const AnsiString name = static_cast<TControl*>(FHiddenControls->Items(i))->Name(); !name.empty())
        Writer->WriteString(name);
  Writer->WriteListEnd();
}

void TbsSkinPanel::Loaded() {
  TbsSkinCustomControl::Loaded();
  if (!FRollUpState) return;
  if (FStreamedSavedHeight != -1) {
    FSavedHeight = FStreamedSavedHeight;
    FHiddenControls = std::make_unique<TList>();
    for (const AnsiString& name : FStreamedHidden)
      for (int i = 0; i < ControlCount(); ++i)
        if (!name.empty() && Controls(i)->Name() == name) FHiddenControls->Add(Controls(i));
  } else if (FRollUpMode) {
    // A stream that says only "rolled up": the streamed height is the full one.
    DoRollUp(true);
  } else {
    FRollUpState = false;
  }
  FStreamedSavedHeight = -1;
  FStreamedHidden.clear();
}

// ---- TbsSkinGroupBox ------------------------------------------------------------------------------------

TbsSkinGroupBox::TbsSkinGroupBox(TComponent* AOwner) : TbsSkinPanel(AOwner) {
  FSkinDataName = "groupbox";
  SetCaptionMode(true);
}

// ---- Published properties -------------------------------------------------------------------------------

XJ_PUBLISHED(TbsSkinPanel,
  XJ_PROP(AutoEnabledControls)
  XJ_PROP(CheckedMode)
  XJ_PROP(Checked)
  XJ_PROP(DefaultAlignment)
  XJ_PROP(DefaultCaptionHeight)
  XJ_PROP(BorderStyle)
  XJ_PROP(CaptionMode)
  XJ_PROP(RollUpMode)
  XJ_PROP(RollUpState)
  XJ_PROP(Glyph)
  XJ_PROP(NumGlyphs)
  XJ_PROP(Spacing)
  XJ_EVENT(OnChecked)
  XJ_PROP(Caption) XJ_STORED(IsCaptionStored)
  XJ_PROP(Align, alNone)
  XJ_PROP(DockSite, false)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
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

XJ_PUBLISHED(TbsSkinGroupBox);
