#include "skin/controls/bsSkinTabs_tabs.h"

#include <algorithm>
#include <functional>

#include "platform/vcl/Messages.h"
#include "platform/win32/CommCtrl.h"
#include "platform/win32/IntMath.h"
#include "platform/win32/Scoped.h"
#include "skin/controls/bsSkinBoxCtrls_updown.h"
#include "skin/data/bsEffects.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

namespace {

// Piece Src of Source repeated over the AW x AH area at (X0, Y0), the last column and row cut.
void Tile(TCanvas* Dest, int X0, int Y0, int AW, int AH, TCanvas* Source, const TRect& Src) {
  const int PW = RectWidth(Src), PH = RectHeight(Src);
  if (PW < 1 || PH < 1 || AW < 1 || AH < 1) return;
  for (int i = 0; i <= AW / PW; ++i) {
    const int w = PW - std::max(0, (i + 1) * PW - AW);
    for (int j = 0; j <= AH / PH; ++j) {
      const int h = PH - std::max(0, (j + 1) * PH - AH);
      if (w < 1 || h < 1) continue;
      const int x = X0 + i * PW, y = Y0 + j * PH;
      Dest->CopyRect(TRect(x, y, x + w, y + h), Source, TRect(Src.Left, Src.Top, Src.Left + w, Src.Top + h));
    }
  }
}

// A picture drawn whole, repeated from (0, 0) over W x H.
void TileWhole(TCanvas* Dest, int W, int H, TBitmap* B) {
  if (!B || B->Width() < 1 || B->Height() < 1 || W < 1 || H < 1) return;
  for (int i = 0; i <= W / B->Width(); ++i)
    for (int j = 0; j <= H / B->Height(); ++j) Dest->Draw(i * B->Width(), j * B->Height(), B);
}

void DrawRotated(TCanvas* Canvas, TBitmap* Bitmap, int X, int Y, bool Clockwise) {
  TbsEffectBmp source(Bitmap->Handle());
  TbsEffectBmp turned(source.Height, source.Width);
  if (Clockwise)
    source.Rotate90_2(turned);
  else
    source.Rotate90_1(turned);
  turned.Draw(Canvas->Handle(), X, Y);
}

}  // namespace

void DrawBitmapRotated90_1(TCanvas* Canvas, TBitmap* Bitmap, int X, int Y) { DrawRotated(Canvas, Bitmap, X, Y, false); }
void DrawBitmapRotated90_2(TCanvas* Canvas, TBitmap* Bitmap, int X, int Y) { DrawRotated(Canvas, Bitmap, X, Y, true); }

void DrawTabGlyphAndText(TCanvas* Canvas, int W, int H, const AnsiString& S, TCustomImageList* Images, int ImageIndex,
                         bool Enabled) {
  RECT m {};
  DrawText(Canvas->Handle(), S.c_str(), -1, &m, DT_CALCRECT);
  const int TW = m.right - m.left + 2, TH = m.bottom - m.top;
  const int GX = W / 2 - (Images->Width() + TW + 2) / 2, GY = H / 2 - Images->Height() / 2;
  RECT r { GX + Images->Width() + 2, H / 2 - TH / 2, 0, 0 };
  r.right = r.left + TW;
  r.bottom = r.top + TH;
  DrawText(Canvas->Handle(), S.c_str(), -1, &r, DT_CENTER);
  Images->Draw(Canvas, GX, GY, ImageIndex, Enabled);
}

// ---- TbsTabSkin ---------------------------------------------------------------------------------------

TbsTabSkin::TbsTabSkin(TCustomTabControl* AControl)
    : Control(AControl),
      IsPageControl(dynamic_cast<TPageControl*>(AControl) != nullptr),
      DefaultFont(std::make_unique<TFont>()) {
  DefaultFont->SetName("宋体");
  DefaultFont->SetStyle({});
  DefaultFont->SetColor(clBtnText);
  DefaultFont->SetHeight(12);
}

TbsTabSkin::~TbsTabSkin() = default;

TBitmap* TbsTabSkin::ActivePicture(int Index) const {
  if (!SkinData || Index < 0 || Index >= SkinData->ActivePictures->Count()) return nullptr;
  return static_cast<TBitmap*>(SkinData->ActivePictures->Items(Index));
}

void TbsTabSkin::Unskin() {
  SkinObjectIndex = -1;
  Picture = nullptr;
  BGPictureIndex = -1;
}

void TbsTabSkin::GetSkinData() {
  BGPictureIndex = -1;
  if (!SkinData || SkinData->Empty) return Unskin();
  SkinObjectIndex = SkinData->GetControlIndex(SkinDataName);
  // A record of another class, or one without a picture, is no skin for tabs: the default look, and no
  // pointer into a skin that a reload may free.
  auto* rec =
      SkinObjectIndex >= 0 && SkinObjectIndex < SkinData->CtrlList->Count()
          ? dynamic_cast<TbsDataSkinTabControl*>(static_cast<TObject*>(SkinData->CtrlList->Items(SkinObjectIndex)))
          : nullptr;
  Picture = rec ? ActivePicture(rec->PictureIndex) : nullptr;
  if (!Picture) return Unskin();
  SkinRect = rec->SkinRect;
  ClRect = rec->ClRect;
  TabRect = rec->TabRect;
  ActiveTabRect = IsNullRect(rec->ActiveTabRect) ? TabRect : rec->ActiveTabRect;
  FocusTabRect = IsNullRect(rec->FocusTabRect) ? ActiveTabRect : rec->FocusTabRect;
  MouseInTabRect = rec->MouseInTabRect;
  TabsBGRect = rec->TabsBGRect;
  LTPoint = rec->LTPoint;
  RTPoint = rec->RTPoint;
  LBPoint = rec->LBPoint;
  RBPoint = rec->RBPoint;
  TabLeftOffset = rec->TabLeftOffset;
  TabRightOffset = rec->TabRightOffset;
  FontName = rec->FontName;
  FontStyle = rec->FontStyle;
  FontHeight = rec->FontHeight;
  FontColor = rec->FontColor;
  ActiveFontColor = rec->ActiveFontColor;
  FocusFontColor = rec->FocusFontColor;
  MouseInFontColor = rec->MouseInFontColor;
  UpDownName = rec->UpDown;
  BGPictureIndex = ActivePicture(rec->BGPictureIndex) ? rec->BGPictureIndex : -1;
}

TRect TbsTabSkin::Borders() const {
  if (!Skinned() || (!IsPageControl && BGPictureIndex != -1)) return {};
  return TRect(ClRect.Left, ClRect.Top, RectWidth(SkinRect) - ClRect.Right, RectHeight(SkinRect) - ClRect.Bottom);
}

void TbsTabSkin::PaintWindow(HDC DC) {
  const int W = Control->Width(), H = Control->Height();
  if (W < 1 || H < 1) return;
  GetSkinData();
  const int saved = SaveDC(DC);
  xj::ScopeExit restore([&] { RestoreDC(DC, saved); });
  TBitmap B;
  B.SetSize(W, H);
  // What no step of the skinned look covers (a strip without a background tile) shows the button face.
  B.Canvas()->Brush()->SetColor(clBtnFace);
  B.Canvas()->FillRect(TRect(0, 0, W, H));
  if (Skinned())
    PaintSkinWindow(B.Canvas());
  else
    PaintDefaultWindow(B.Canvas());
  DrawTabs(B.Canvas());
  BitBlt(DC, 0, 0, W, H, B.Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TbsTabSkin::PaintDefaultWindow(TCanvas* Canvas) {
  Canvas->Brush()->SetColor(clBtnFace);
  Canvas->FillRect(Control->ClientRect());
  TRect D = Control->DisplayRect();
  D = TRect(D.Left - 1, D.Top - 1, D.Right + 1, D.Bottom + 1);
  Frm3D(Canvas, D, clBtnShadow, clBtnShadow);
}

void TbsTabSkin::PaintSkinWindow(TCanvas* Canvas) {
  const int W = Control->Width(), H = Control->Height();
  const TRect b = Borders();
  const TRect D = Control->DisplayRect();
  const TRect R(D.Left - b.Left, D.Top - b.Top, D.Right + b.Right, D.Bottom + b.Bottom);
  const int dW = RectWidth(R) - RectWidth(SkinRect), dH = RectHeight(R) - RectHeight(SkinRect);
  const TPoint NewRT(RTPoint.X + dW, RTPoint.Y), NewLB(LBPoint.X, LBPoint.Y + dH),
      NewRB(RBPoint.X + dW, RBPoint.Y + dH);
  TCanvas* P = Picture->Canvas();
  if (!IsPageControl) {
    if (BGPictureIndex != -1) {
      TileWhole(Canvas, W, H, ActivePicture(BGPictureIndex));
      return;
    }
    TRect client = ClRect;
    client = bsShifted(client, SkinRect.Left, SkinRect.Top);
    Tile(Canvas, R.Left, R.Top, RectWidth(R), RectHeight(R), P, client);
  }
  if (!IsNullRect(TabsBGRect)) {
    switch (Control->TabPosition()) {
      case tpTop:
        Tile(Canvas, 0, 0, W, R.Top, P, TabsBGRect);
        break;
      case tpBottom:
        Tile(Canvas, 0, R.Bottom, W, H - R.Bottom, P, TabsBGRect);
        break;
      case tpLeft:
        Tile(Canvas, 0, 0, R.Left, H, P, TabsBGRect);
        break;
      case tpRight:
        Tile(Canvas, R.Right, 0, W - R.Right, H, P, TabsBGRect);
        break;
    }
  }
  const int SL = SkinRect.Left, ST = SkinRect.Top, SR = SkinRect.Right, SB = SkinRect.Bottom;
  // Edges: each piece repeated along its edge only.
  Tile(Canvas, R.Left + LTPoint.X, R.Top, NewRT.X - LTPoint.X, b.Top, P,
       TRect(SL + LTPoint.X, ST, SL + RTPoint.X, ST + b.Top));
  Tile(Canvas, R.Left + NewLB.X, R.Bottom - b.Bottom, NewRB.X - NewLB.X, b.Bottom, P,
       TRect(SL + LBPoint.X, SB - b.Bottom, SL + RBPoint.X, SB));
  Tile(Canvas, R.Left, R.Top + LTPoint.Y, b.Left, NewLB.Y - LTPoint.Y, P,
       TRect(SL, ST + LTPoint.Y, SL + b.Left, ST + LBPoint.Y));
  Tile(Canvas, R.Right - b.Right, R.Top + NewRT.Y, b.Right, NewRB.Y - NewRT.Y, P,
       TRect(SR - b.Right, ST + RTPoint.Y, SR, ST + RBPoint.Y));
  // Corners, unstretched.
  Canvas->CopyRect(TRect(R.Left, R.Top, R.Left + LTPoint.X, R.Top + LTPoint.Y), P,
                   TRect(SL, ST, SL + LTPoint.X, ST + LTPoint.Y));
  Canvas->CopyRect(TRect(R.Left + NewRT.X, R.Top, R.Right, R.Top + NewRT.Y), P,
                   TRect(SL + RTPoint.X, ST, SR, ST + RTPoint.Y));
  Canvas->CopyRect(TRect(R.Left, R.Top + NewLB.Y, R.Left + NewLB.X, R.Bottom), P,
                   TRect(SL, ST + LBPoint.Y, SL + LBPoint.X, SB));
  Canvas->CopyRect(TRect(R.Left + NewRB.X, R.Top + NewRB.Y, R.Right, R.Bottom), P,
                   TRect(SL + RBPoint.X, ST + RBPoint.Y, SR, SB));
}

int TbsTabSkin::ItemCount() const {
  if (!IsPageControl) return Control->Tabs()->Count();
  auto* pc = static_cast<TPageControl*>(Control);
  int n = 0;
  for (int i = 0; i < pc->PageCount(); ++i)
    if (pc->Pages(i)->TabVisible()) ++n;
  return n;
}

int TbsTabSkin::TabOfItem(int Item) const {
  if (Item < 0) return -1;
  if (!IsPageControl) return Item < Control->Tabs()->Count() ? Item : -1;
  auto* pc = static_cast<TPageControl*>(Control);
  for (int i = 0, j = 0; i < pc->PageCount(); ++i) {
    if (!pc->Pages(i)->TabVisible()) continue;
    if (j++ == Item) return i;
  }
  return -1;
}

void TbsTabSkin::DrawTabs(TCanvas* Canvas) {
  const int active = Control->TabIndex();
  for (int j = 0, n = ItemCount(); j < n; ++j) DrawTab(TabOfItem(j), GetItemRect(j), active == j, j == HotTab, Canvas);
}

void TbsTabSkin::DrawTab(int TI, const TRect& Rct, bool Active, bool MouseIn, TCanvas* Cnvs) {
  if (TI < 0) return;
  TCustomImageList* images = Control->Images();
  const bool HasImage = images && TI < images->Count();
  auto* page = IsPageControl ? static_cast<TPageControl*>(Control)->Pages(TI) : nullptr;
  const AnsiString S = page ? page->Caption() : Control->Tabs()->Strings(TI);
  const TTabPosition pos = Control->TabPosition();
  const bool side = pos == tpLeft || pos == tpRight;
  // A face no larger than a window can be: a caption may make a tab far wider, and no more of it is seen.
  const int W = xj::ClampExtent(side ? RectHeight(Rct) : RectWidth(Rct));
  const int H = xj::ClampExtent(side ? RectWidth(Rct) : RectHeight(Rct));
  if (W < 1 || H < 1) return;
  const bool focused = Active && Control->Focused();
  const bool hot = MouseIn && !Active;
  TBitmap B;
  TRect R(0, 0, W, H);
  if (Skinned()) {
    const TRect& piece = hot && !IsNullRect(MouseInTabRect) ? MouseInTabRect
                         : focused                          ? FocusTabRect
                         : Active                           ? ActiveTabRect
                                                            : TabRect;
    CreateHSkinImage(TabLeftOffset, TabRightOffset, &B, Picture, piece, W, H);
    TFont* f = B.Canvas()->Font();
    if (UseSkinFont) {
      f->SetName(FontName);
      f->SetStyle(FontStyle);
      f->SetHeight(FontHeight);
      f->SetCharset(Control->Font()->Charset());
    } else {
      f->Assign(Control->Font());
    }
    f->SetColor(hot ? MouseInFontColor : focused ? FocusFontColor : Active ? ActiveFontColor : FontColor);
  } else {
    B.SetSize(W, H);
    TCanvas* c = B.Canvas();
    if (Active) {
      c->Brush()->SetColor(clNavy);
      c->FrameRect(R);
      R = TRect(R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1);
    }
    c->Brush()->SetColor(hot ? bsLookHotFill : focused ? bsLookDownFill : Active ? bsLookHotFill : clBtnFace);
    c->FillRect(R);
    c->Font()->Assign(Control->Font());
    R = TRect(0, 0, W, H);
  }
  B.Canvas()->Brush()->SetStyle(bsClear);
  if (HasImage) {
    DrawTabGlyphAndText(B.Canvas(), B.Width(), B.Height(), S, images, TI, page ? page->Enabled() : true);
  } else {
    RECT r = R;
    DrawText(B.Canvas()->Handle(), S.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  if (pos == tpLeft)
    DrawBitmapRotated90_1(Cnvs, &B, Rct.Left, Rct.Top);
  else if (pos == tpRight)
    DrawBitmapRotated90_2(Cnvs, &B, Rct.Left, Rct.Top);
  else
    Cnvs->Draw(Rct.Left, Rct.Top, &B);
}

TRect TbsTabSkin::GetItemRect(int Index) {
  RECT r {};
  Control->Perform(TCM_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r));
  return r;
}

void TbsTabSkin::SetItemSize(int AWidth, int AHeight) {
  ItemWidth = AWidth;
  ItemHeight = AHeight;
  Control->Perform(TCM_SETITEMSIZE, 0, MAKELPARAM(AWidth, AHeight));
}

void TbsTabSkin::ItemSizeAgain() {
  if (ItemHeight >= 0) SetItemSize(ItemWidth, ItemHeight);
}

// With ScrollOpposite the rows before the selected one stand beyond the display area, past the
// selected tab's row; the native rectangles tell (R is one).
bool TbsTabSkin::OnFarSide(const TRect& R) const {
  if (!Control->ScrollOpposite() || !Control->MultiLine() || !Control->HandleAllocated()) return false;
  // The native class's own answer: ours would ask this again.
  WNDCLASSA native {};
  if (!GetClassInfoA(nullptr, WC_TABCONTROLA, &native)) return false;
  const HWND h = Control->Handle();
  const int sel = static_cast<int>(CallWindowProcA(native.lpfnWndProc, h, TCM_GETCURSEL, 0, 0));
  RECT s {};
  if (sel < 0 ||
      !CallWindowProcA(native.lpfnWndProc, h, TCM_GETITEMRECT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(&s)))
    return false;
  switch (Control->TabPosition()) {
    case tpTop:
      return R.Top >= s.bottom;
    case tpBottom:
      return R.Bottom <= s.top;
    case tpLeft:
      return R.Left >= s.right;
    case tpRight:
      break;
  }
  return R.Right <= s.left;
}

// Tabs move 2 pixels outward from the display area, on whichever side they stand.
void TbsTabSkin::AdjustItemRect(TRect& R) const {
  if (Control->Style() != tsTabs) return;
  const bool multi = Control->MultiLine(), far = OnFarSide(R);
  switch (Control->TabPosition()) {
    case tpTop:
    case tpBottom:
      if (!multi) R = bsShifted(R, -2, 0);
      R = bsShifted(R, 0, (Control->TabPosition() == tpTop) != far ? -2 : 2);
      break;
    case tpLeft:
    case tpRight:
      R = bsShifted(R, (Control->TabPosition() == tpLeft) != far ? -2 : 2, 0);
      break;
  }
}

// The frame takes the display area the native control leaves. Rows moved to the far side
// (ScrollOpposite) keep their strip there as the tab side does: the native rectangle is then inset
// past its plain margin on that side.
void TbsTabSkin::AdjustDisplayRect(TRect& R) const {
  const TRect c = Control->ClientRect();
  const int CW = c.Right, CH = c.Bottom;
  const TRect b = Borders();
  const TTabPosition pos = Control->TabPosition();
  const bool far = Control->ScrollOpposite();
  const bool top = pos != tpBottom || (far && R.Top > 6),
             bottom = pos == tpBottom || (far && pos == tpTop && R.Bottom < CH - 4);
  const bool left = pos == tpLeft || (far && pos == tpRight && R.Left > 4);
  const bool right = pos == tpRight || (far && pos == tpLeft && R.Right < CW - 4);
  if (!Skinned()) {
    R.Left = pos == tpTop || pos == tpBottom ? 1 : R.Left - 3;
    R.Right = right ? R.Right + 3 : CW - 1;
    R.Top = top ? R.Top - 5 : 1;
    R.Bottom = bottom ? R.Bottom + 3 : CH - 1;
    return;
  }
  R.Left = left ? R.Left + b.Left - 4 : b.Left;
  R.Right = right ? R.Right - b.Right + 4 : CW - b.Right;
  R.Top = R.Top - 6 + b.Top;
  R.Bottom = bottom ? R.Bottom + 4 - b.Bottom : CH - b.Bottom;
}

// ---- Hot tab ----------------------------------------------------------------------------------------------

// Without HotTrack no tab is ever hot.
void TbsTabSkin::TestActive(int X, int Y) {
  OldHotTab = HotTab;
  HotTab = -1;
  const int n = ItemCount();
  for (int j = 0; j < (Control->HotTrack() ? n : 0); ++j) {
    const TRect r = GetItemRect(j);
    if (X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom) {
      HotTab = j;
      break;
    }
  }
  if (OldHotTab == HotTab) return;
  // Only the two tabs that change are drawn, straight to the window; the selected one never looks hot.
  const int active = Control->TabIndex();
  if (OldHotTab != -1 && OldHotTab != active && OldHotTab < n)
    DrawTab(TabOfItem(OldHotTab), GetItemRect(OldHotTab), false, false, Control->Canvas());
  if (HotTab != -1 && HotTab != active && HotTab < n)
    DrawTab(TabOfItem(HotTab), GetItemRect(HotTab), false, true, Control->Canvas());
}

// The hot tab is forgotten whatever it was: a selected tab left hot would look hot once the selection
// moves on without the mouse over it.
void TbsTabSkin::MouseLeave() {
  const int active = Control->TabIndex(), n = ItemCount();
  for (int j : { OldHotTab, HotTab })
    if (j != -1 && j != active && j < n) DrawTab(TabOfItem(j), GetItemRect(j), false, false, Control->Canvas());
  OldHotTab = HotTab = -1;
}

// ---- Scrolling --------------------------------------------------------------------------------------------

// A tab the native control has not laid out yet (an empty rectangle) is neither hidden nor scrolled off.
int TbsTabSkin::GetInVisibleItemCount() {
  const int limit = Control->Width() - 3 - (SkinUpDown ? SkinUpDown->Width() : 0);
  int count = 0;
  for (int j = 0, n = ItemCount(); j < n; ++j) {
    const TRect r = GetItemRect(j);
    if (!IsNullRect(r) && (r.Right > limit || r.Right < 1)) ++count;
  }
  return count;
}

int TbsTabSkin::GetPosition() {
  int count = 0;
  for (int j = 0, n = ItemCount(); j < n; ++j)
    if (const TRect r = GetItemRect(j); !IsNullRect(r) && r.Right < 1) ++count;
  return count;
}

// The whole position travels in lParam, so rows of more than 65,535 tabs scroll to the right place.
void TbsTabSkin::ScrollTo(int Position) { Control->Perform(WM_HSCROLL, MAKEWPARAM(SBX_THUMBPOSITION32, 0), Position); }

void TbsTabSkin::CheckScroll() {
  if (Control->HandleAllocated())
    if (HWND arrows = FindWindowExA(Control->Handle(), nullptr, UPDOWN_CLASSA, nullptr)) DestroyWindow(arrows);
  const int count = GetInVisibleItemCount();
  const bool rows = IsPageControl && Control->MultiLine();
  if ((count == 0 || rows) && SkinUpDown)
    HideSkinUpDown();
  else if (count > 0 && !SkinUpDown)
    ShowSkinUpDown();
  if (SkinUpDown) {
    SkinUpDown->SetMax(count);
    PlaceSkinUpDown();
  }
}

void TbsTabSkin::PlaceSkinUpDown() {
  SkinUpDown->SetLeft(Control->Width() - SkinUpDown->Width());
  SkinUpDown->SetTop(Control->TabPosition() == tpTop ? 0 : Control->Height() - SkinUpDown->Height());
}

void TbsTabSkin::ShowSkinUpDown() {
  auto* u = new TbsSkinUpDown(Control);
  SkinUpDown = u;
  u->SetParent(Control);
  u->SetWidth(IsPageControl ? 2 * DefaultItemHeight : 36);
  u->SetHeight(IsPageControl ? DefaultItemHeight : 18);
  u->SetMin(0);
  u->SetMax(GetInVisibleItemCount());
  u->SetPosition(GetPosition());
  u->SetIncrement(1);
  u->OnChange = TNotifyEvent::FromCallable([this](TObject*) {
    SkinUpDown->SetMax(GetInVisibleItemCount());
    ScrollTo(SkinUpDown->Position());
  });
  PlaceSkinUpDown();
  u->SetSkinDataName(UpDownName);
  u->SetSkinData(SkinData);
  u->SetVisible(true);
}

void TbsTabSkin::HideSkinUpDown() {
  delete SkinUpDown;
  SkinUpDown = nullptr;
}

bool TbsTabSkin::ApplyDefaultItemHeight() {
  if (Skinned()) return false;
  SetItemSize(0, DefaultItemHeight);
  return true;
}

void TbsTabSkin::RenewSkinUpDown() {
  if (!SkinUpDown) return;
  HideSkinUpDown();
  CheckScroll();
}

void TbsTabSkin::UpDateTabs() {
  SetItemSize(0, Skinned() ? RectHeight(TabRect) : DefaultItemHeight);
  if (Control->MultiLine() && SkinUpDown) HideSkinUpDown();
}

void TbsTabSkin::FollowSkin(TFont* Font) {
  if (!Skinned()) {
    Font->Assign(DefaultFont.get());
    SetItemSize(0, DefaultItemHeight);
    return;
  }
  // The tab control sets the skin's colour first, so that without the skin's font the default font's
  // colour wins; the page control always ends with the skin's colour.
  if (!IsPageControl) Font->SetColor(FontColor);
  if (UseSkinFont) {
    Font->SetName(FontName);
    Font->SetHeight(FontHeight);
    Font->SetStyle(FontStyle);
    Font->SetCharset(DefaultFont->Charset());
  } else {
    Font->Assign(DefaultFont.get());
  }
  if (IsPageControl) Font->SetColor(FontColor);
  SetItemSize(0, RectHeight(TabRect));
}

// ---- Shared message handling ------------------------------------------------------------------------------

namespace {

template <class C>
void SetSkinDataOf(C* Self, TbsTabSkin& Skin, TbsSkinData* Value) {
  if (Skin.SkinData != Value) {
    if (Skin.SkinData) Skin.SkinData->RemoveFreeNotification(Self);
    Skin.SkinData = Value;
    if (Value) Value->FreeNotification(Self);
  }
  if (Value && !Value->Empty && !Self->ComponentState().Contains(csDesigning)) Self->ChangeSkinData();
}

// Change (whose OnChange may free the control), then the realignment (whose pages' OnResize may too);
// false when the control went on the way.
bool ChangedAndRealigned(TWinControl* Self, const std::function<void()>& Change) {
  const auto life = Self->LifeToken();
  Change();
  if (life.expired()) return false;
  Self->Realign();
  return !life.expired();
}

// TCM_GETITEMRECT and TCM_ADJUSTRECT pass the window procedure: the skinned geometry goes over the
// native answer.
bool AdjustGeometry(TbsTabSkin& Skin, TMessage& Message) {
  if (Message.Msg == TCM_GETITEMRECT && Message.Result && Message.LParam) {
    auto* r = reinterpret_cast<RECT*>(Message.LParam);
    TRect t = *r;
    Skin.AdjustItemRect(t);
    *r = t;
    return true;
  }
  if (Message.Msg == TCM_ADJUSTRECT && Message.LParam) {
    auto* r = reinterpret_cast<RECT*>(Message.LParam);
    TRect t = *r;
    Skin.AdjustDisplayRect(t);
    *r = t;
    return true;
  }
  return false;
}

}  // namespace

// ---- TbsSkinPageControl -----------------------------------------------------------------------------------

TbsSkinPageControl::TbsSkinPageControl(TComponent* AOwner) : TPageControl(AOwner) {
  SetCtl3D(false);
  // The skinned tabs have always shown the tab under the mouse; HotTrack False turns that off.
  SetHotTrack(true);
  Font()->Assign(FSkin.DefaultFont.get());
}

TbsSkinPageControl::~TbsSkinPageControl() {
  TearDownWindow();
  if (FSkin.SkinData) FSkin.SkinData->RemoveFreeNotification(this);
}

void TbsSkinPageControl::SetSkinData(TbsSkinData* Value) { SetSkinDataOf(this, FSkin, Value); }

void TbsSkinPageControl::SetDefaultFont(TFont* Value) { FSkin.DefaultFont->Assign(Value); }

void TbsSkinPageControl::SetDefaultItemHeight(int Value) {
  FSkin.DefaultItemHeight = Value;
  if (FSkin.ApplyDefaultItemHeight()) ChangedAndRealigned(this, [this] { Change(); });
}

void TbsSkinPageControl::ChangeSkinData() {
  FSkin.GetSkinData();
  FSkin.FollowSkin(Font());
  if (!ChangedAndRealigned(this, [this] { Change(); })) return;
  InvalidateSheets();
  FSkin.RenewSkinUpDown();
}

void TbsSkinPageControl::BeforeChangeSkinData() { FSkin.Unskin(); }

void TbsSkinPageControl::UpDateTabs() {
  FSkin.UpDateTabs();
  Realign();
}

void TbsSkinPageControl::Change() {
  if (FSkin.SkinUpDown) FSkin.SkinUpDown->SetPosition(FSkin.GetPosition());
  auto life = LifeToken();
  TPageControl::Change();
  if (!life.expired()) Invalidate();
}

// The new window has its font and tab height only now: the arrows are checked against that layout.
void TbsSkinPageControl::CreateWnd() {
  TPageControl::CreateWnd();
  FSkin.ItemSizeAgain();
  Realign();
  if (!MultiLine() && !ComponentState().Contains(csDesigning)) FSkin.CheckScroll();
}

void TbsSkinPageControl::InvalidateSheets() {
  for (int i = 0; i < PageCount(); ++i) Pages(i)->Invalidate();
}

void TbsSkinPageControl::Loaded() {
  TPageControl::Loaded();
  if (FSkin.ApplyDefaultItemHeight()) ChangedAndRealigned(this, [this] { Change(); });
}

void TbsSkinPageControl::Notification(TComponent* AComponent, TOperation Operation) {
  TPageControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FSkin.SkinData) {
    FSkin.SkinData = nullptr;
    BeforeChangeSkinData();
    Invalidate();
    InvalidateSheets();
  }
}

void TbsSkinPageControl::MouseMove(TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TPageControl::MouseMove(Shift, X, Y);
  if (!life.expired() && !ComponentState().Contains(csDesigning)) FSkin.TestActive(X, Y);
}

void TbsSkinPageControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TPageControl::MouseDown(Button, Shift, X, Y);
  if (!life.expired() && Button == mbLeft && !ComponentState().Contains(csDesigning)) FSkin.TestActive(X, Y);
}

void TbsSkinPageControl::PaintWindow(HDC DC) { FSkin.PaintWindow(DC); }

void TbsSkinPageControl::WndProc(TMessage& Message) {
  const auto life = LifeToken();  // a new size's OnResize may free the control
  TPageControl::WndProc(Message);
  if (life.expired() || AdjustGeometry(FSkin, Message)) return;
  if (Message.Msg == WM_SIZE && !MultiLine() && !ComponentState().Contains(csDesigning)) FSkin.CheckScroll();
}

void TbsSkinPageControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT:
      return WMCustomPaint(Message);
    case WM_ERASEBKGND:
      if (PageCount() == 0) break;
      Message.Result = 1;
      return;
    case WM_SIZE:
      FSkin.GetSkinData();
      break;
    case WM_HSCROLL:
      TPageControl::Dispatch(Message);
      Repaint();
      return;
    case CM_MOUSELEAVE:
      FSkin.MouseLeave();
      return;
  }
  TPageControl::Dispatch(Message);
}

// ---- TbsSkinTabControl ------------------------------------------------------------------------------------

TbsSkinTabControl::TbsSkinTabControl(TComponent* AOwner) : TTabControl(AOwner) {
  SetCtl3D(false);
  // The skinned tabs have always shown the tab under the mouse; HotTrack False turns that off.
  SetHotTrack(true);
  Font()->Assign(FSkin.DefaultFont.get());
}

TbsSkinTabControl::~TbsSkinTabControl() {
  TearDownWindow();
  if (FSkin.SkinData) FSkin.SkinData->RemoveFreeNotification(this);
}

void TbsSkinTabControl::SetSkinData(TbsSkinData* Value) { SetSkinDataOf(this, FSkin, Value); }

void TbsSkinTabControl::SetDefaultFont(TFont* Value) { FSkin.DefaultFont->Assign(Value); }

void TbsSkinTabControl::SetDefaultItemHeight(int Value) {
  FSkin.DefaultItemHeight = Value;
  if (FSkin.ApplyDefaultItemHeight()) ChangedAndRealigned(this, [this] { Change(); });
}

void TbsSkinTabControl::ChangeSkinData() {
  FSkin.GetSkinData();
  FSkin.FollowSkin(Font());
  if (!ChangedAndRealigned(this, [this] { Change(); })) return;
  Repaint();
  FSkin.RenewSkinUpDown();
}

void TbsSkinTabControl::BeforeChangeSkinData() { FSkin.Unskin(); }

void TbsSkinTabControl::UpDateTabs() {
  FSkin.UpDateTabs();
  Realign();
}

void TbsSkinTabControl::Change() {
  if (FSkin.SkinUpDown) FSkin.SkinUpDown->SetPosition(FSkin.GetPosition());
  auto life = LifeToken();
  TTabControl::Change();
  if (!life.expired()) Invalidate();
}

void TbsSkinTabControl::CreateWnd() {
  TTabControl::CreateWnd();
  FSkin.ItemSizeAgain();
  Realign();
  if (!MultiLine()) FSkin.CheckScroll();
}

void TbsSkinTabControl::Loaded() {
  TTabControl::Loaded();
  if (FSkin.ApplyDefaultItemHeight()) ChangedAndRealigned(this, [this] { Change(); });
}

void TbsSkinTabControl::Notification(TComponent* AComponent, TOperation Operation) {
  TTabControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FSkin.SkinData) {
    FSkin.SkinData = nullptr;
    BeforeChangeSkinData();
  }
}

void TbsSkinTabControl::MouseMove(TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TTabControl::MouseMove(Shift, X, Y);
  if (!life.expired() && !ComponentState().Contains(csDesigning)) FSkin.TestActive(X, Y);
}

void TbsSkinTabControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TTabControl::MouseDown(Button, Shift, X, Y);
  if (!life.expired() && Button == mbLeft && !ComponentState().Contains(csDesigning)) FSkin.TestActive(X, Y);
}

void TbsSkinTabControl::PaintWindow(HDC DC) { FSkin.PaintWindow(DC); }

void TbsSkinTabControl::WndProc(TMessage& Message) {
  const auto life = LifeToken();  // a new size's OnResize may free the control
  TTabControl::WndProc(Message);
  if (life.expired() || AdjustGeometry(FSkin, Message)) return;
  if (Message.Msg == WM_SIZE && !MultiLine()) FSkin.CheckScroll();
}

void TbsSkinTabControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT:
      return WMCustomPaint(Message);
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    case WM_HSCROLL:
      TTabControl::Dispatch(Message);
      Repaint();
      return;
    case CM_MOUSELEAVE:
      FSkin.MouseLeave();
      return;
  }
  TTabControl::Dispatch(Message);
}

// ---- Tab sheets -------------------------------------------------------------------------------------------

TbsSkinCustomTabSheet::TbsSkinCustomTabSheet(TComponent* AOwner) : TTabSheet(AOwner) {
  SetAlign(alClient);
  SetControlStyle(ControlStyle() + TControlStyle { csAcceptsControls, csNoDesignVisible });
  SetVisible(false);
}

TbsSkinCustomTabSheet::~TbsSkinCustomTabSheet() { TearDownWindow(); }

void TbsSkinCustomTabSheet::PaintBG(HDC DC) {
  const int W = Width(), H = Height();
  if (W < 1 || H < 1 || !Parent()) return;
  TCanvas canvas;
  canvas.SetHandle(DC);
  xj::ScopeExit detach([&] { canvas.SetHandle(nullptr); });
  // Under anything but a skinned page control (a stock one, or none yet while streaming) the plain face.
  auto* pc = dynamic_cast<TbsSkinPageControl*>(Parent());
  TbsTabSkin* skin = pc ? &pc->Skin() : nullptr;
  if (skin) skin->GetSkinData();
  if (skin && skin->Skinned() && skin->BGPictureIndex != -1) {
    TileWhole(&canvas, W, H, static_cast<TBitmap*>(skin->SkinData->ActivePictures->Items(skin->BGPictureIndex)));
    return;
  }
  TBitmap B;
  B.SetSize(W, H);
  B.Canvas()->Brush()->SetColor(clBtnFace);
  B.Canvas()->FillRect(TRect(0, 0, W, H));
  if (skin && skin->Skinned()) {
    TRect client = skin->ClRect;
    client = bsShifted(client, skin->SkinRect.Left, skin->SkinRect.Top);
    Tile(B.Canvas(), 0, 0, W, H, skin->Picture->Canvas(), client);
  }
  canvas.Draw(0, 0, &B);
}

void TbsSkinCustomTabSheet::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      PaintBG(reinterpret_cast<HDC>(Message.WParam));
      Message.Result = 1;
      return;
    case WM_SIZE: {
      const auto life = LifeToken();  // OnResize may free the sheet
      TTabSheet::Dispatch(Message);
      if (!life.expired()) Repaint();
      return;
    }
  }
  TTabSheet::Dispatch(Message);
}

TbsSkinTabSheet::TbsSkinTabSheet(TComponent* AOwner) : TbsSkinCustomTabSheet(AOwner) {}
TbsSkinTabSheet::~TbsSkinTabSheet() = default;

// ---- Published properties ---------------------------------------------------------------------------------

XJ_PUBLISHED(TbsSkinCustomTabSheet);

XJ_PUBLISHED(TbsSkinPageControl,
  XJ_PROP(HotTrack, true)
  XJ_PROP(SkinData)
  XJ_PROP(SkinDataName)
  XJ_PROP(DefaultFont)
  XJ_PROP(UseSkinFont)
  XJ_PROP(DefaultItemHeight)
  XJ_PROP(Color) XJ_STORED(IsColorStored));

XJ_PUBLISHED(TbsSkinTabControl,
  XJ_PROP(HotTrack, true)
  XJ_PROP(SkinData)
  XJ_PROP(SkinDataName)
  XJ_PROP(DefaultFont)
  XJ_PROP(UseSkinFont)
  XJ_PROP(DefaultItemHeight)
  XJ_PROP(Color) XJ_STORED(IsColorStored));

XJ_PUBLISHED(TbsSkinTabSheet);
