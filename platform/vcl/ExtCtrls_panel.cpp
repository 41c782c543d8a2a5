// TCustomPanel and TPanel: bevelled containers with a caption.

#include <algorithm>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"

namespace {

const UINT kAlignmentFlags[] = { DT_LEFT, DT_RIGHT, DT_CENTER };

}  // namespace

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = TControlStyle { csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                                  csOpaque,          csDoubleClicks, csReplicatable };
  SetBounds(0, 0, 185, 41);
  SetColor(clBtnFace);
}

TCustomPanel::~TCustomPanel() { TearDownWindow(); }

void TCustomPanel::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Invalidate();
}

void TCustomPanel::SetBevelInner(TPanelBevel Value) {
  if (FBevelInner == Value) return;
  FBevelInner = Value;
  FrameChanged();
}

void TCustomPanel::SetBevelOuter(TPanelBevel Value) {
  if (FBevelOuter == Value) return;
  FBevelOuter = Value;
  FrameChanged();
}

void TCustomPanel::SetBevelWidth(TBevelWidth Value) {
  Value = std::max(Value, 1);
  if (FBevelWidth == Value) return;
  FBevelWidth = Value;
  FrameChanged();
}

void TCustomPanel::SetBorderWidth(TBorderWidth Value) {
  Value = std::max(Value, 0);
  if (FBorderWidth == Value) return;
  FBorderWidth = Value;
  FrameChanged();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value) {
  if (Value != bsNone && Value != bsSingle) throw EInvalidOperation("A panel's border style is bsNone or bsSingle");
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
}

// The children's area moves with the frame.
void TCustomPanel::FrameChanged() {
  Realign();
  Invalidate();
}

int TCustomPanel::FrameWidth() const {
  int w = FBorderWidth;
  if (FBevelOuter != bvNone) w += FBevelWidth;
  if (FBevelInner != bvNone) w += FBevelWidth;
  return w;
}

void TCustomPanel::AdjustClientRect(TRect& Rect) {
  TCustomControl::AdjustClientRect(Rect);
  const int w = FrameWidth();
  Rect.Left += w;
  Rect.Top += w;
  Rect.Right -= w;
  Rect.Bottom -= w;
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.AddBorder(FBorderStyle, Ctl3D());
}

void TCustomPanel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
      Invalidate();
      break;
    case CM_CTL3DCHANGED:
      if (FBorderStyle == bsSingle) RecreateWnd();
      TCustomControl::Dispatch(Message);
      break;
    default:
      TCustomControl::Dispatch(Message);
  }
}

void TCustomPanel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  const TColor face = Color();
  // A space bevel is a ring of the face colour.
  auto bevel = [&](TPanelBevel b) {
    if (b == bvNone) return;
    const TColor top = b == bvLowered ? clBtnShadow : b == bvRaised ? clBtnHighlight : face;
    const TColor bottom = b == bvLowered ? clBtnHighlight : b == bvRaised ? clBtnShadow : face;
    Frame3D(c, r, top, bottom, FBevelWidth);
  };
  bevel(FBevelOuter);
  Frame3D(c, r, face, face, FBorderWidth);
  bevel(FBevelInner);

  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(face);
  c->FillRect(r);
  const AnsiString caption = Caption();
  if (caption.empty()) return;
  c->Brush()->SetStyle(bsClear);
  c->SetFont(Font());
  const int fontHeight = c->TextHeight("W");
  r.Top = (r.Bottom + r.Top - fontHeight) / 2;
  r.Bottom = r.Top + fontHeight;
  RECT rc = r;
  DrawTextA(c->Handle(), caption.c_str(), -1, &rc, DT_EXPANDTABS | DT_VCENTER | kAlignmentFlags[FAlignment]);
}

XJ_PUBLISHED(TCustomPanel);
XJ_PUBLISHED(TPanel,
  XJ_PROP(Align, alNone)
  XJ_PROP(Alignment, taCenter)
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(AutoSize, false)
  XJ_PROP(BevelInner, bvNone)
  XJ_PROP(BevelOuter, bvRaised)
  XJ_PROP(BevelWidth, 1)
  XJ_PROP(BiDiMode, bdLeftToRight)
  XJ_PROP(BorderWidth, 0)
  XJ_PROP(BorderStyle, bsNone)
  XJ_PROP(Caption) XJ_STORED(IsCaptionStored)
  XJ_PROP(Color, clBtnFace) XJ_STORED(IsColorStored)
  XJ_PROP(Constraints)
  XJ_PROP(Ctl3D, true)
  XJ_PROP(UseDockManager, false)
  XJ_PROP(DockSite, false)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(FullRepaint, true)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(Locked, false)
  XJ_PROP(ParentBiDiMode, true)
  XJ_PROP(ParentColor, false)
  XJ_PROP(ParentCtl3D, true)
  XJ_PROP(ParentFont, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(TabOrder, -1)
  XJ_PROP(TabStop, false)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnCanResize)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnConstrainedResize)
  XJ_EVENT(OnContextPopup)
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
