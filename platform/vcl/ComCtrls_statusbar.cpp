// TStatusBar with its panels.

#include <algorithm>

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"

namespace {

const int kTopBorder = 2;   // the bar's panels start below a strip of its face
const int kPanelGap = 2;    // between two panels
const int kTextMargin = 2;  // inside a panel's bevel, left and right of the text
const UINT kAlignmentFlags[] = { DT_LEFT, DT_RIGHT, DT_CENTER };

}  // namespace

// ---- TStatusPanel ----------------------------------------------------------------------------------------

void TStatusPanel::Assign(TPersistent* Source) {
  auto* p = dynamic_cast<TStatusPanel*>(Source);
  if (!p) {
    TCollectionItem::Assign(Source);
    return;
  }
  FAlignment = p->FAlignment;
  FBevel = p->FBevel;
  FStyle = p->FStyle;
  FText = p->FText;
  FWidth = p->FWidth;
  Changed(false);
}

void TStatusPanel::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Changed(false);
}

void TStatusPanel::SetBevel(TStatusPanelBevel Value) {
  if (FBevel == Value) return;
  FBevel = Value;
  Changed(false);
}

void TStatusPanel::SetStyle(TStatusPanelStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  Changed(false);
}

void TStatusPanel::SetText(const AnsiString& Value) {
  if (FText == Value) return;
  FText = Value;
  Changed(false);
}

void TStatusPanel::SetWidth(int Value) {
  Value = std::max(Value, 0);
  if (FWidth == Value) return;
  FWidth = Value;
  Changed(true);
}

AnsiString TStatusPanel::GetDisplayName() const { return FText.empty() ? TCollectionItem::GetDisplayName() : FText; }

// ---- TStatusPanels ---------------------------------------------------------------------------------------

TStatusPanels::TStatusPanels(TStatusBar* StatusBar) : TCollection(TStatusPanel::StaticClass()), FStatusBar(StatusBar) {}

TPersistent* TStatusPanels::GetOwner() { return FStatusBar; }

void TStatusPanels::Update(TCollectionItem*) { FStatusBar->Invalidate(); }

// ---- TStatusBar ------------------------------------------------------------------------------------------

TStatusBar::TStatusBar(TComponent* AOwner) : TCustomControl(AOwner), FPanels(std::make_unique<TStatusPanels>(this)) {
  FControlStyle = TControlStyle { csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque };
  SetColor(clBtnFace);
  SetBounds(0, 0, 150, 19);
  SetAlign(alBottom);
}

TStatusBar::~TStatusBar() {
  TearDownWindow();
  FPanels.reset();
}

void TStatusBar::SetSimplePanel(bool Value) {
  if (FSimplePanel == Value) return;
  FSimplePanel = Value;
  Invalidate();
}

void TStatusBar::SetSimpleText(const AnsiString& Value) {
  if (FSimpleText == Value) return;
  FSimpleText = Value;
  Invalidate();
}

void TStatusBar::SetSizeGrip(bool Value) {
  if (FSizeGrip == Value) return;
  FSizeGrip = Value;
  Invalidate();
}

int TStatusBar::GripSize() {
  if (!FSizeGrip) return 0;
  auto* form = dynamic_cast<TCustomForm*>(Parent());
  const bool shown = form && (form->BorderStyle() == bsSizeable || form->BorderStyle() == bsSizeToolWin) &&
                     form->WindowState() != wsMaximized;
  return shown ? GetSystemMetrics(SM_CXVSCROLL) : 0;
}

void TStatusBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCHITTEST:
      return WMNCHitTest(Message);
    case WM_NCLBUTTONDOWN:
      return WMNCLButtonDown(Message);
    default:
      return TCustomControl::Dispatch(Message);
  }
}

// The grip answers as the bottom-right corner of a frame: the sizing cursor shows over it.
void TStatusBar::WMNCHitTest(TMessage& Message) {
  TCustomControl::Dispatch(Message);
  const int grip = GripSize();
  if (grip == 0 || Message.Result != HTCLIENT) return;
  const TPoint p = ScreenToClient(SmallPointToPoint(Message.LParam));
  const TRect client = ClientRect();
  if (p.X >= client.Right - grip && p.Y >= client.Bottom - grip) Message.Result = HTBOTTOMRIGHT;
}

// A press on the grip sizes the form, not the bar: the form's frame takes it as a press on its corner.
void TStatusBar::WMNCLButtonDown(TMessage& Message) {
  if (Message.WParam == HTBOTTOMRIGHT && Parent() && Parent()->HandleAllocated()) {
    SendMessageA(Parent()->Handle(), WM_NCLBUTTONDOWN, HTBOTTOMRIGHT, Message.LParam);
    return;
  }
  TCustomControl::Dispatch(Message);
}

void TStatusBar::DrawPanel(TStatusPanel* Panel, const TRect& Rect) {
  if (OnDrawPanel) OnDrawPanel(this, Panel, Rect);
}

void TStatusBar::Paint() {
  TCanvas* c = Canvas();
  const TRect client = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(client);
  const int grip = GripSize();
  const int right = std::max(client.Right - grip, 0);

  // Draws one panel: its bevel, then its text (or the owner's drawing) clipped to its inside.
  auto panel = [&](TRect box, TStatusPanelBevel bevel, const AnsiString& text, TAlignment alignment,
                   TStatusPanel* owned) {
    if (box.Right <= box.Left) return;
    RECT edge = box;
    if (bevel != pbNone)
      DrawEdge(c->Handle(), &edge, bevel == pbLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
    const TRect inside = edge;
    HDC dc = c->Handle();
    SaveDC(dc);
    IntersectClipRect(dc, inside.Left, inside.Top, inside.Right, inside.Bottom);
    if (owned) {
      DrawPanel(owned, inside);
    } else if (!text.empty()) {
      c->SetFont(Font());
      c->Brush()->SetStyle(bsClear);
      RECT r { inside.Left + kTextMargin, inside.Top, inside.Right - kTextMargin, inside.Bottom };
      DrawTextA(c->Handle(), text.c_str(), -1, &r,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_EXPANDTABS | kAlignmentFlags[alignment]);
    }
    RestoreDC(c->Handle(), -1);
    c->Refresh();
  };

  if (FSimplePanel) {
    panel(TRect(0, kTopBorder, right, client.Bottom), pbLowered, FSimpleText, taLeftJustify, nullptr);
  } else {
    int left = 0;
    for (int i = 0; i < FPanels->Count(); ++i) {
      TStatusPanel* p = FPanels->Items(i);
      const bool last = i == FPanels->Count() - 1;
      const int edge = last ? right : std::min(left + p->Width(), right);
      const int boxRight = last ? edge : std::max(edge - kPanelGap, left);
      panel(TRect(left, kTopBorder, boxRight, client.Bottom), p->Bevel(), p->Text(), p->Alignment(),
            p->Style() == psOwnerDraw ? p : nullptr);
      left = edge;
    }
  }

  if (grip > 0) {
    // Diagonal ridges in the corner: a highlight line, two shadow lines and a gap, three times.
    const int x1 = client.Right - 1, y1 = client.Bottom - 1;
    for (int d = 1; d < std::min(grip, client.Bottom); ++d) {
      const int phase = d % 4;
      if (phase == 0) continue;
      c->Pen()->SetColor(phase == 1 ? clBtnHighlight : clBtnShadow);
      c->MoveTo(x1 - d, y1);
      c->LineTo(x1 + 1, y1 - d - 1);
    }
  }
}

XJ_PUBLISHED(TStatusPanel,
  XJ_PROP(Alignment, taLeftJustify)
  XJ_PROP(Bevel, pbLowered)
  XJ_PROP(Style, psText)
  XJ_PROP(Text)
  XJ_PROP(Width, 50));
XJ_PUBLISHED(TStatusBar,
  XJ_PROP(Action)
  XJ_PROP(Align, alBottom)
  XJ_PROP(Anchors, { akLeft, akRight, akBottom }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(BiDiMode, bdLeftToRight)
  XJ_PROP(BorderWidth, 0)
  XJ_PROP(Color, clBtnFace) XJ_STORED(IsColorStored)
  XJ_PROP(Constraints)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(Panels)
  XJ_PROP(ParentBiDiMode, true)
  XJ_PROP(ParentColor, false)
  XJ_PROP(ParentFont, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(SimplePanel, false)
  XJ_PROP(SimpleText)
  XJ_PROP(SizeGrip, true)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnContextPopup)
  XJ_EVENT(OnDblClick)
  XJ_EVENT(OnDragDrop)
  XJ_EVENT(OnDragOver)
  XJ_EVENT(OnDrawPanel)
  XJ_EVENT(OnEndDock)
  XJ_EVENT(OnEndDrag)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnResize)
  XJ_EVENT(OnStartDock)
  XJ_EVENT(OnStartDrag));

namespace xj::vcl {
bool RegisterComCtrls() {
  static const bool registered = (RegisterClasses({ TStatusBar::StaticClass(), TTrackBar::StaticClass() }), true);
  return registered;
}
}  // namespace xj::vcl
