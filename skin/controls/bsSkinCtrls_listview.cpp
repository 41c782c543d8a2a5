#include "skin/controls/bsSkinCtrls_listview.h"

#include <algorithm>
#include <vector>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/win32/CommCtrl.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

namespace {

constexpr TColor kPressedFlat = TColor(0x00B59385), kHotFlat = TColor(0x00D2BDB6);

bool IsZero(const TPoint& P) { return P.X == 0 && P.Y == 0; }
int W(const TRect& R) { return R.Right - R.Left; }
int H(const TRect& R) { return R.Bottom - R.Top; }

}  // namespace

// ---- TbsHeaderSectionFaces ---------------------------------------------------------------------------------

void TbsHeaderSectionFaces::Read(TbsSkinData* Data, const AnsiString& Name) {
  // Nothing of an earlier skin is kept: its pictures may be gone.
  Picture = nullptr;
  Index = !Data || Data->Empty ? -1 : Data->GetControlIndex(Name);
  if (Index < 0) return;
  auto* rec = dynamic_cast<TbsDataSkinButtonControl*>(static_cast<TbsDataSkinControl*>(Data->CtrlList->Items(Index)));
  if (!rec) return;
  LTPoint = rec->LTPoint;
  RTPoint = rec->RTPoint;
  LBPoint = rec->LBPoint;
  RBPoint = rec->RBPoint;
  SkinRect = rec->SkinRect;
  ClRect = rec->ClRect;
  TList* pictures = Data->ActivePictures.get();
  if (rec->PictureIndex >= 0 && rec->PictureIndex < pictures->Count())
    Picture = static_cast<TBitmap*>(pictures->Items(rec->PictureIndex));
  FontName = rec->FontName;
  FontStyle = rec->FontStyle;
  FontHeight = rec->FontHeight;
  FontColor = rec->FontColor;
  ActiveFontColor = rec->ActiveFontColor;
  DownFontColor = rec->DownFontColor;
  ActiveSkinRect = IsNullRect(rec->ActiveSkinRect) ? SkinRect : rec->ActiveSkinRect;
  DownSkinRect = IsNullRect(rec->DownSkinRect) ? ActiveSkinRect : rec->DownSkinRect;
}

namespace {

// The corner points and client rectangle moved to a face grown by (dW, dH), then the face built by Make.
template <class Make>
void NineSlice(const TbsHeaderSectionFaces& F, TBitmap* B, const TRect& From, Make make) {
  const int dW = B->Width() - W(F.SkinRect), dH = B->Height() - H(F.SkinRect);
  const TPoint nRT(F.RTPoint.X + dW, F.RTPoint.Y), nLB(F.LBPoint.X, F.LBPoint.Y + dH),
      nRB(F.RBPoint.X + dW, F.RBPoint.Y + dH);
  const TRect nCl(F.ClRect.Left, F.ClRect.Top, F.ClRect.Right + dW, F.ClRect.Bottom + dH);
  make(F.LTPoint, F.RTPoint, F.LBPoint, F.RBPoint, F.ClRect, F.LTPoint, nRT, nLB, nRB, nCl, B, F.Picture, From,
       B->Width(), B->Height(), true);
}

}  // namespace

void TbsHeaderSectionFaces::DrawFace(TBitmap* B, const TRect& FaceRect) const {
  if (!IsZero(LBPoint))
    NineSlice(*this, B, FaceRect, CreateSkinImage);
  else
    CreateHSkinImage(LTPoint.X, W(FaceRect) - RTPoint.X, B, Picture, FaceRect, B->Width(), B->Height());
}

void TbsHeaderSectionFaces::DrawRest(TBitmap* B) const {
  if (!IsZero(LBPoint))
    NineSlice(*this, B, SkinRect, CreateSkinImage2);
  else
    CreateHSkinImage2(LTPoint.X, W(SkinRect) - RTPoint.X, B, Picture, SkinRect, B->Width(), B->Height());
}

// ---- TbsSkinHeaderControl ----------------------------------------------------------------------------------

TbsSkinHeaderControl::TbsSkinHeaderControl(TComponent* AOwner)
    : THeaderControl(AOwner), FDefaultFont(std::make_unique<TFont>()) {
  FDefaultFont->SetName("宋体");
  FDefaultFont->SetHeight(12);
  FDefaultFont->SetStyle({});
}

TbsSkinHeaderControl::~TbsSkinHeaderControl() {
  if (FSkinData) FSkinData->RemoveFreeNotification(this);
}

void TbsSkinHeaderControl::SetSkinData(TbsSkinData* Value) {
  if (FSkinData != Value) {
    if (FSkinData) FSkinData->RemoveFreeNotification(this);
    FSkinData = Value;
    if (FSkinData) FSkinData->FreeNotification(this);
  }
  if (Value && !Value->Empty && !ComponentState().Contains(csDesigning)) ChangeSkinData();
}

void TbsSkinHeaderControl::SetDefaultFont(TFont* Value) {
  FDefaultFont->Assign(Value);
  if (!Skinned()) Font()->Assign(Value);
}

void TbsSkinHeaderControl::SetDefaultHeight(int Value) {
  FDefaultHeight = Value;
  if (!Skinned() && Value > 0) SetHeight(Value);
}

void TbsSkinHeaderControl::GetSkinData() { FFaces.Read(FSkinData, FSkinDataName); }

int TbsSkinHeaderControl::ForcedHeight() const {
  if (Skinned()) return IsZero(FFaces.LBPoint) ? H(FFaces.SkinRect) : 0;
  return FDefaultHeight;
}

void TbsSkinHeaderControl::ChangeSkinData() {
  GetSkinData();
  if (const int h = ForcedHeight()) SetHeight(h);
  if (HandleAllocated()) Repaint();
}

void TbsSkinHeaderControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  GetSkinData();
  if (AHeight != Height())
    if (const int h = ForcedHeight()) AHeight = h;
  THeaderControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TbsSkinHeaderControl::Notification(TComponent* AComponent, TOperation Operation) {
  THeaderControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FSkinData) {
    FSkinData = nullptr;
    GetSkinData();
  }
}

void TbsSkinHeaderControl::CreateWnd() {
  THeaderControl::CreateWnd();
  for (int i = 0; i < Sections()->Count(); ++i) Sections()->Items(i)->SetStyle(hsOwnerDraw);
}

// A display position goes through the header's order array to its section, whether or not sections were
// dragged, so caption and rectangle always belong together.
THeaderSection* TbsSkinHeaderControl::SectionAt(int Index) {
  const int count = HandleAllocated() ? (int)Perform(HDM_GETITEMCOUNT, 0, 0) : 0;
  if (Index < 0 || Index >= count) return nullptr;
  std::vector<int> order(count);
  Perform(HDM_GETORDERARRAY, (WPARAM)count, (LPARAM)order.data());
  const int item = order[Index];
  return item >= 0 && item < Sections()->Count() ? Sections()->Items(item) : nullptr;
}

int TbsSkinHeaderControl::PositionOf(int Item) {
  const int count = HandleAllocated() ? (int)Perform(HDM_GETITEMCOUNT, 0, 0) : 0;
  std::vector<int> order(count);
  if (count) Perform(HDM_GETORDERARRAY, (WPARAM)count, (LPARAM)order.data());
  const auto it = std::find(order.begin(), order.end(), Item);
  return it == order.end() ? -1 : (int)(it - order.begin());
}

TRect TbsSkinHeaderControl::GetSkinItemRect(int Index) {
  RECT r {};
  if (THeaderSection* s = SectionAt(Index)) Perform(HDM_GETITEMRECT, (WPARAM)s->Index(), (LPARAM)&r);
  return r;
}

TRect TbsSkinHeaderControl::DrawSkinSection(TCanvas* Cnvs, int Index, bool Active, bool Pressed) {
  const TRect r = GetSkinItemRect(Index);
  DrawSkinSectionR(Cnvs, SectionAt(Index), Active, Pressed, r);
  return r;
}

void TbsSkinHeaderControl::DrawSkinSectionR(TCanvas* Cnvs, THeaderSection* Section, bool Active, bool Pressed,
                                            const TRect& R) {
  GetSkinData();
  if (!Section || W(R) < 1 || H(R) < 1) return;
  const bool skinned = Skinned();
  TBitmap b;
  b.SetWidth(W(R));
  b.SetHeight(skinned && IsZero(FFaces.LBPoint) ? H(FFaces.SkinRect) : H(R));
  TCanvas* c = b.Canvas();
  TRect face(0, 0, b.Width(), b.Height());
  if (!skinned) {
    const TColor frame = Pressed || Active ? clNavy : clBtnShadow;
    Frame3D(c, face, frame, frame, 1);
    c->Brush()->SetColor(Pressed ? kPressedFlat : Active ? kHotFlat : clBtnFace);
    c->FillRect(face);
    c->Font()->Assign(FDefaultFont.get());
  } else {
    c->Font()->Assign(FDefaultFont.get());  // the charset stays the default font's
    if (FUseSkinFont) {
      c->Font()->SetName(FFaces.FontName);
      c->Font()->SetHeight(FFaces.FontHeight);
      c->Font()->SetStyle(FFaces.FontStyle);
    }
    const TRect& from = Pressed ? FFaces.DownSkinRect : Active ? FFaces.ActiveSkinRect : FFaces.SkinRect;
    FFaces.DrawFace(&b, from);
    c->Font()->SetColor(Pressed ? FFaces.DownFontColor : Active ? FFaces.ActiveFontColor : FFaces.FontColor);
  }
  c->Brush()->SetStyle(bsClear);
  if (OnDrawSkinSection) {
    auto life = LifeToken();
    OnDrawSkinSection(this, Section, face, Active, Pressed, c);
    if (life.expired()) return;
  } else {
    AnsiString s = Section->Text();
    face.Left += 5;
    face.Right -= 5;
    TCustomImageList* images = Images();
    const int image = Section->ImageIndex();
    int tx = face.Left;
    if (images && image >= 0 && image < images->Count()) {
      const AnsiString whole = s;
      CorrectTextbyWidth(c, s, W(face) - 10 - images->Width());
      const int tw = c->TextWidth(s);
      int x = face.Left;
      if (s == whole) {
        if (Section->Alignment() == taRightJustify)
          x = face.Right - tw - images->Width() - 10;
        else if (Section->Alignment() == taCenter)
          x = face.Left + W(face) / 2 - (tw + images->Width() + 10) / 2;
      }
      images->Draw(c, x, face.Top + H(face) / 2 - images->Height() / 2, image, true);
      tx = x + images->Width() + 10;
    } else {
      CorrectTextbyWidth(c, s, W(face));
      const int tw = c->TextWidth(s);
      if (Section->Alignment() == taRightJustify)
        tx = face.Right - tw - 10;
      else if (Section->Alignment() == taCenter)
        tx = face.Left + W(face) / 2 - tw / 2;
    }
    c->TextRect(face, tx, face.Top + H(face) / 2 - c->TextHeight(s) / 2, s);
  }
  Cnvs->Draw(R.Left, R.Top, &b);
}

void TbsSkinHeaderControl::PaintWindow(HDC DC) {
  GetSkinData();
  if (!HandleAllocated() || !DC || Width() < 1 || Height() < 1) return;
  const int saved = SaveDC(DC);
  {
    TCanvasDCScope lend(Canvas(), DC);
    int right = 0;
    const int count = (int)Perform(HDM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
      const bool here = i == FActiveSection;
      right = std::max(right, DrawSkinSection(Canvas(), i, here && !FLeftButtonDown, here && FLeftButtonDown).Right);
    }
    TRect rest(right, 0, Width() + 1, Height());
    if (rest.Left < rest.Right) {
      if (!Skinned()) {
        Canvas()->Brush()->SetColor(clBtnFace);
        Canvas()->Brush()->SetStyle(bsSolid);
        Canvas()->FillRect(rest);
        Frame3D(Canvas(), rest, clBtnShadow, clBtnShadow, 1);
      } else {
        TBitmap b;
        b.SetWidth(W(rest));
        b.SetHeight(IsZero(FFaces.LBPoint) ? H(FFaces.SkinRect) : H(rest));
        FFaces.DrawRest(&b);
        Canvas()->Draw(rest.Left, rest.Top, &b);
      }
    }
  }
  RestoreDC(DC, saved);
}

void TbsSkinHeaderControl::DrawSection(THeaderSection* Section, const TRect& Rect, bool Pressed) {
  // Draws the section it was given, and nothing for one the header does not show.
  if (Section && PositionOf(Section->Index()) >= 0) DrawSkinSectionR(Canvas(), Section, false, Pressed, Rect);
}

void TbsSkinHeaderControl::DrawAt(int Index, bool Active) {
  if (Index < 0 || !HandleAllocated()) return;
  HDC dc = GetDC(Handle());
  {
    TCanvasDCScope lend(Canvas(), dc);
    DrawSkinSection(Canvas(), Index, Active, false);
  }
  ReleaseDC(Handle(), dc);
}

void TbsSkinHeaderControl::TestActive(int X, int Y) {
  FOldActiveSection = FActiveSection;
  FActiveSection = -1;
  const int count = HandleAllocated() ? (int)Perform(HDM_GETITEMCOUNT, 0, 0) : 0;
  const POINT p { X, Y };
  for (int i = 0; i < count; ++i) {
    const RECT r = GetSkinItemRect(i);
    if (PtInRect(&r, p)) {
      FActiveSection = i;
      break;
    }
  }
  if (FActiveSection == FOldActiveSection || FDraggingSection) return;
  // Only the section left and the section entered, at once.
  DrawAt(FOldActiveSection, false);
  DrawAt(FActiveSection, true);
}

void TbsSkinHeaderControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && !FOnDivider && Style() == hsButtons) {
    FLeftButtonDown = true;
    Invalidate();
  }
  THeaderControl::MouseDown(Button, Shift, X, Y);
}

void TbsSkinHeaderControl::MouseMove(TShiftState Shift, int X, int Y) {
  THeaderControl::MouseMove(Shift, X, Y);
  FDraggingSection = FLeftButtonDown && DragReorder();
  if (!ComponentState().Contains(csDesigning) && !FDraggingSection) TestActive(X, Y);
}

void TbsSkinHeaderControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  THeaderControl::MouseUp(Button, Shift, X, Y);
  if (life.expired()) return;
  const bool wasDragging = FDraggingSection;
  FDraggingSection = false;
  FActiveSection = FOldActiveSection = -1;
  if (Button != mbLeft || ComponentState().Contains(csDesigning) || Style() != hsButtons) return;
  TestActive(X, Y);
  Invalidate();
  FLeftButtonDown = false;
  if (FActiveSection != -1 && !FOnDivider && !wasDragging && OnSkinSectionClick)
    if (THeaderSection* s = SectionAt(FActiveSection)) OnSkinSectionClick(this, s);
}

void TbsSkinHeaderControl::WndProc(TMessage& Message) {
  THeaderControl::WndProc(Message);
  if (Message.Msg == HDM_HITTEST && Message.LParam)
    FOnDivider = reinterpret_cast<HDHITTESTINFO*>(Message.LParam)->flags == HHT_ONDIVIDER;
}

void TbsSkinHeaderControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT:
      // The control paints every pixel itself; the native header never does.
      PaintHandler(reinterpret_cast<TWMPaint&>(Message));
      return;
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    case CM_MOUSEENTER:
      if (!FLeftButtonDown) Invalidate();
      return;
    case CM_MOUSELEAVE:
      FActiveSection = FOldActiveSection = -1;
      if (!FLeftButtonDown) Invalidate();
      return;
  }
  THeaderControl::Dispatch(Message);
}

XJ_PUBLISHED(TbsSkinHeaderControl,
  XJ_PROP(DefaultFont)
  XJ_PROP(DefaultHeight)
  XJ_PROP(UseSkinFont)
  XJ_PROP(SkinData)
  XJ_PROP(SkinDataName)
  XJ_EVENT(OnSkinSectionClick)
  XJ_EVENT(OnDrawSkinSection));
