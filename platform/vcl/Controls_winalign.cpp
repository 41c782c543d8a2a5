// TWinControl's children in place: alignment, focus and tab order, and the order they stream in.

#include <algorithm>

#include "platform/vcl/Controls_private.h"
#include "platform/vcl/Forms.h"

// ---- Alignment ------------------------------------------------------------------------------------------

void TWinControl::AlignControl(TControl* AControl) {
  if (!FHandle || FComponentState.Contains(csDestroying)) return;
  if (FAlignLevel != 0) {
    FControlState << csAlignmentNeeded;
    return;
  }
  DisableAlign();
  // A child's handler run by its placement may free this control.
  xj::ScopeExit aligned([&, life = LifeToken()] {
    if (life.expired()) return;
    FControlState >> csAlignmentNeeded;
    EnableAlign();
  });
  TRect r = GetClientRect();
  AlignControls(AControl, r);
}

void TWinControl::EnableAlign() {
  if (FAlignLevel > 0) --FAlignLevel;
  if (FAlignLevel == 0 && FControlState.Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AdjustClientRect(TRect&) {}

namespace {

// R23: among siblings of one alignment, the control being aligned first, then each other one before the
// first entry it precedes.
bool InsertBefore(TControl* C1, TControl* C2, TAlign Align) {
  switch (Align) {
    case alTop:
      return C1->Top() < C2->Top();
    case alBottom:
      return C1->Top() + C1->Height() > C2->Top() + C2->Height();
    case alLeft:
      return C1->Left() < C2->Left();
    case alRight:
      return C1->Left() + C1->Width() > C2->Left() + C2->Width();
    default:
      return false;
  }
}

// Takes an aligned control's strip of w x h off Rect's side and returns the strip's top left; alClient and
// alCustom take Rect's top left and leave Rect as it is.
TPoint CutStrip(TAlign Align, int w, int h, TRect& Rect) {
  int l = Rect.Left, t = Rect.Top;
  switch (Align) {
    case alTop:
      Rect.Top += h;
      break;
    case alBottom:
      Rect.Bottom -= h;
      t = Rect.Bottom;
      break;
    case alLeft:
      Rect.Left += w;
      break;
    case alRight:
      Rect.Right -= w;
      l = Rect.Right;
      break;
    default:
      break;
  }
  return TPoint { l, t };
}

// The control was given w x h but kept another size (constraints, say): the space it left goes back.
void GiveBackSpace(TAlign Align, int w, int h, int keptW, int keptH, TRect& Rect) {
  if (keptW == w && keptH == h) return;
  switch (Align) {
    case alTop:
      Rect.Top -= h - keptH;
      break;
    case alBottom:
      Rect.Bottom += h - keptH;
      break;
    case alLeft:
      Rect.Left -= w - keptW;
      break;
    case alRight:
      Rect.Right += w - keptW;
      break;
    case alClient:
      Rect.Right += keptW - w;
      Rect.Bottom += keptH - h;
      break;
    default:
      break;
  }
}

}  // namespace

// Asked at every child's move: the two lists are read directly rather than through Controls(i).
bool TWinControl::AnyAlignedOrAnchored() {
  const auto placed = [](const TControl* c) { return c->AlignedOrAnchored(); };
  return std::any_of(FControls.begin(), FControls.end(), placed) ||
         std::any_of(FWinControls.begin(), FWinControls.end(), placed);
}

// A move made by alignment, which must not take new anchor rules from it.
void TWinControl::MoveByAlignment(TControl* c, int l, int t, int w, int h) {
  TControlChange moving(c, c->FAnchorMove, true);
  c->SetBounds(l, t, w, h);
}

// Anchored edges keep their distance to the parent's edges, against the size the rules were taken at.
void TWinControl::ApplyAnchors(TControl* c) {
  if (c->FOriginalParentSize.X == 0 || c->FOriginalParentSize.Y == 0) return;
  int l = c->FLeft, t = c->FTop, w = c->FWidth, h = c->FHeight;
  const TPoint size = ParentSizeForAnchors();
  const TAnchors a = c->FAnchors;
  if (a.Contains(akRight)) {
    if (a.Contains(akLeft))
      w = size.X - (c->FOriginalParentSize.X - c->FAnchorRules.X);
    else
      l = size.X - (c->FOriginalParentSize.X - c->FAnchorRules.X);
  } else if (!a.Contains(akLeft)) {
    l = MulDiv(c->FAnchorRules.X, size.X, c->FOriginalParentSize.X) - w / 2;
  }
  if (a.Contains(akBottom)) {
    if (a.Contains(akTop))
      h = size.Y - (c->FOriginalParentSize.Y - c->FAnchorRules.Y);
    else
      t = size.Y - (c->FOriginalParentSize.Y - c->FAnchorRules.Y);
  } else if (!a.Contains(akTop)) {
    t = MulDiv(c->FAnchorRules.Y, size.Y, c->FOriginalParentSize.Y) - h / 2;
  }
  MoveByAlignment(c, l, t, w, h);
}

// An unaligned control follows its anchors; an aligned one takes its place in what Rect has left (and
// follows its anchors first when they are not the alignment's own). False when a handler its move ran
// took a child away or freed this control: the pass is no longer the children's.
bool TWinControl::PlaceAligned(TControl* c, TAlign Align, TRect& Rect) {
  const auto life = LifeToken();
  const unsigned removals = FRemovals;
  auto whole = [&] { return !life.expired() && FRemovals == removals; };
  if (Align == alNone || c->FAnchors != AnchorAlign(Align)) {
    ApplyAnchors(c);
    if (!whole()) return false;
    if (Align == alNone) return true;
  }
  int w = Rect.Right - Rect.Left;
  if (w < 0 || Align == alLeft || Align == alRight || Align == alCustom) w = c->FWidth;
  int h = Rect.Bottom - Rect.Top;
  if (h < 0 || Align == alTop || Align == alBottom || Align == alCustom) h = c->FHeight;
  const TPoint at = CutStrip(Align, w, h, Rect);
  MoveByAlignment(c, at.X, at.Y, w, h);
  if (!whole()) return false;
  GiveBackSpace(Align, w, h, c->FWidth, c->FHeight, Rect);
  return true;
}

// Unaligned controls always take part (for their anchors); aligned ones when visible, or when shown at
// design time.
bool TWinControl::TakesPartInAlignment(TControl* c, TAlign Align) {
  if (Align == alNone) return true;
  if (c->FVisible) return true;
  if (c->FControlStyle * TControlStyle { csAcceptsControls, csNoDesignVisible } ==
      TControlStyle { csAcceptsControls, csNoDesignVisible })
    return true;
  return c->FComponentState.Contains(csDesigning) && !c->FControlStyle.Contains(csNoDesignVisible);
}

// The children of one alignment in the order they take their places.
std::vector<TControl*> TWinControl::AlignmentOrder(TControl* AControl, TAlign Align) {
  std::vector<TControl*> list;
  if (AControl && AControl->FParent == this && AControl->FAlign == Align && TakesPartInAlignment(AControl, Align))
    list.push_back(AControl);
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c == AControl || c->FAlign != Align || !TakesPartInAlignment(c, Align)) continue;
    size_t j = 0;
    while (j < list.size() && !InsertBefore(c, list[j], Align)) ++j;
    list.insert(list.begin() + static_cast<long>(j), c);
  }
  return list;
}

// A child's handler run by its placement may free or take away a child: the pass starts again without
// it, so that its place goes to the others. One that frees this control ends the alignment there.
void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
  if (!AnyAlignedOrAnchored()) return;
  AdjustClientRect(Rect);
  const TRect space = Rect;
  const auto life = LifeToken(), controlLife = AControl ? AControl->LifeToken() : std::weak_ptr<const void>();
  while (!PlaceChildren(controlLife.expired() ? nullptr : AControl, Rect)) {
    if (life.expired()) return;
    Rect = space;
  }
  ControlsAligned();
}

// One pass of the children over Rect; false when it stopped because a child went or this control did.
bool TWinControl::PlaceChildren(TControl* AControl, TRect& Rect) {
  for (TAlign align : { alTop, alBottom, alLeft, alRight, alClient, alCustom, alNone })
    for (TControl* c : AlignmentOrder(AControl, align))
      if (!PlaceAligned(c, align, Rect)) return false;
  return true;
}

void TWinControl::ScrollBy(int DeltaX, int DeltaY) {
  const bool visible = FHandle && IsWindowVisible(FHandle);
  if (visible)
    ScrollWindowEx(FHandle, DeltaX, DeltaY, nullptr, nullptr, nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    auto* w = dynamic_cast<TWinControl*>(c);
    if (!w || !w->FHandle) {
      c->FLeft += DeltaX;
      c->FTop += DeltaY;
    } else if (!visible) {
      SetWindowPos(w->FHandle, nullptr, w->FLeft + DeltaX, w->FTop + DeltaY, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  Realign();
}

// ---- Focus and tab order ---------------------------------------------------------------------------------

bool TWinControl::CanFocus() {
  TCustomForm* form = GetParentForm(this);
  if (!form) return false;
  for (TWinControl* c = this; c != form; c = c->FParent) {
    if (!c) return false;
    if (!(c->FVisible && c->Enabled())) return false;
  }
  return true;
}

bool TWinControl::Focused() { return FHandle && GetFocus() == FHandle; }

void TWinControl::SetFocus() {
  if (TCustomForm* form = GetParentForm(this))
    form->FocusControl(this);
  else if (FParentWindow)
    ::SetFocus(Handle());
  else
    ValidParentForm(this);
}

void TWinControl::RemoveFocus(bool Removing) {
  if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, Removing);
}

void TWinControl::SetTabStop(bool Value) {
  if (FTabStop == Value) return;
  FTabStop = Value;
  if (FHandle) {
    LONG_PTR style = GetWindowLongPtrA(FHandle, GWL_STYLE);
    SetWindowLongPtrA(FHandle, GWL_STYLE, Value ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
  }
  Perform(CM_TABSTOPCHANGED, 0, 0);
}

int TWinControl::TabOrder() const {
  if (!FParent) return -1;
  const auto& list = FParent->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int Value) {
  if (FControlState.Contains(csReadingState))
    FTabOrder = Value;
  else
    UpdateTabOrder(Value);
}

void TWinControl::UpdateTabOrder(int Value) {
  if (!FParent) return;
  const int cur = TabOrder();
  if (cur < 0) return;
  auto& list = FParent->FTabList;
  Value = std::clamp(Value, 0, static_cast<int>(list.size()) - 1);
  if (Value == cur) return;
  list.erase(list.begin() + cur);
  list.insert(list.begin() + Value, this);
}

void TWinControl::FixupTabList() {
  const int count = static_cast<int>(FWinControls.size());
  std::vector<TWinControl*> order(static_cast<size_t>(count), nullptr);
  for (TWinControl* c : FWinControls)
    if (c->FTabOrder >= 0 && c->FTabOrder < count) order[c->FTabOrder] = c;
  for (int i = 0; i < count; ++i)
    if (order[i]) order[i]->UpdateTabOrder(i);
}

void TWinControl::GetTabOrderList(TList* List) {
  for (TWinControl* c : FTabList) {
    List->Add(c);
    c->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) {
  TList list;
  GetTabOrderList(&list);
  const int count = list.Count();
  if (count == 0) return nullptr;
  int start = list.IndexOf(CurControl);
  if (start < 0) start = GoForward ? count - 1 : 0;
  int i = start;
  do {
    if (GoForward) {
      if (++i == count) i = 0;
    } else {
      if (i == 0) i = count;
      --i;
    }
    auto* c = static_cast<TWinControl*>(list[i]);
    if (c->CanFocus() && (!CheckTabStop || c->FTabStop) && (!CheckParent || c->FParent == this)) return c;
  } while (i != start);
  return nullptr;
}

void TWinControl::SelectFirst() {
  TCustomForm* form = GetParentForm(this);
  if (!form) return;
  TWinControl* c = FindNextControl(nullptr, true, true, false);
  if (!c) c = FindNextControl(nullptr, true, false, false);
  if (c) form->SetActiveControl(c);
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  if (TWinControl* c = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop)) c->SetFocus();
}

void TWinControl::SetCtl3D(bool Value) {
  if (FCtl3D == Value) return;
  FCtl3D = Value;
  FParentCtl3D = false;
  Perform(CM_CTL3DCHANGED, 0, 0);
}

void TWinControl::SetParentCtl3D(bool Value) {
  if (FParentCtl3D == Value) return;
  FParentCtl3D = Value;
  if (FParent && !FComponentState.Contains(csReading)) Perform(CM_PARENTCTL3DCHANGED, 0, 0);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

// ---- Streaming --------------------------------------------------------------------------------------------

void TWinControl::ReadState(TReader* Reader) {
  DisableAlign();
  {
    // A read that fails gives the level back without aligning half-read controls (whose handlers could
    // throw again while the first exception is on its way).
    xj::ScopeExit failed([&] { --FAlignLevel; });
    TControl::ReadState(Reader);
    failed.Dismiss();
  }
  EnableAlign();
  FixupTabList();
  if (FParent) Perform(CM_PARENTCTL3DCHANGED, 0, 0);
  UpdateControlState();
}

void TWinControl::Loaded() {
  TControl::Loaded();
  Realign();
}

void TWinControl::DefineProperties(TFiler* Filer) {
  TControl::DefineProperties(Filer);
  bool anchored = false;
  for (int i = 0; i < ControlCount(); ++i) {
    TAnchors a = Controls(i)->Anchors();
    if (a.Contains(akRight) || a.Contains(akBottom)) anchored = true;
  }
  Filer->DefineProperty("DesignSize", TReaderProc(this, &TWinControl::ReadDesignSize),
                        TWriterProc(this, &TWinControl::WriteDesignSize), anchored);
}

void TWinControl::ReadDesignSize(TReader* Reader) {
  Reader->ReadListBegin();
  FDesignSize.X = Reader->ReadInteger();
  FDesignSize.Y = Reader->ReadInteger();
  Reader->ReadListEnd();
}

void TWinControl::WriteDesignSize(TWriter* Writer) {
  const TPoint size = ParentSizeForAnchors();
  Writer->WriteListBegin();
  Writer->WriteInteger(size.X);
  Writer->WriteInteger(size.Y);
  Writer->WriteListEnd();
}
