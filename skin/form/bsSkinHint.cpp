#include "skin/form/bsSkinHint.h"

#include <algorithm>
#include <vector>

#include "platform/vcl/ExtCtrls.h"
#include "skin/data/bsUtils.h"
#include "skin/form/bsSkinMenusPrivate.h"

using namespace bsmenus;

namespace {

// Every hint component alive, so that a handler kept from one that has gone is never called.
std::vector<TbsSkinHint*>& LiveHints() {
  static std::vector<TbsSkinHint*> hints;
  return hints;
}

bool IsLive(const TObject* O) {
  auto& v = LiveHints();
  return std::find(v.begin(), v.end(), O) != v.end();
}

// The application's own hint event, kept while the hint components hold it.
TShowHintEvent& AppShowHint() {
  static TShowHintEvent handler;
  return handler;
}

}  // namespace

// ---- TbsSkinHintWindow -----------------------------------------------------------------------------------

// Registered, so that the application can make its hint window of this class.
XJ_PUBLISHED(TbsSkinHintWindow);

TbsSkinHintWindow::TbsSkinHintWindow(TComponent* AOwner) : THintWindow(AOwner) {}

void TbsSkinHintWindow::CreateParams(TCreateParams& Params) {
  THintWindow::CreateParams(Params);
  Params.Style &= ~WS_BORDER;
}

void TbsSkinHintWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCPAINT:
      Message.Result = 0;
      return;
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    default:
      THintWindow::Dispatch(Message);
  }
}

TbsSkinHint* TbsSkinHintWindow::FindHintComponent() {
  TForm* main = Application ? Application->MainForm() : nullptr;
  if (!main) return nullptr;
  for (int i = 0; i < main->ComponentCount(); ++i)
    if (auto* h = dynamic_cast<TbsSkinHint*>(main->Components(i)); h && h->Active()) return h;
  return nullptr;
}

void TbsSkinHintWindow::ApplyFont(TCanvas* C) const {
  if (FSkinData && FHintComponent->UseSkinFont()) {
    const TbsDataSkinHintWindow& d = *FSkinData->HintWindow;
    C->Font()->SetHeight(d.FontHeight);
    C->Font()->SetName(d.FontName);
    C->Font()->SetStyle(d.FontStyle);
    C->Font()->SetCharset(FHintComponent->DefaultFont()->Charset());
  } else if (FHintComponent) {
    C->Font()->Assign(FHintComponent->DefaultFont());
  } else if (Screen) {
    C->Font()->Assign(Screen->HintFont());
  }
}

void TbsSkinHintWindow::ActivateHint(TRect Rect, const AnsiString& AHint) {
  // Without an active hint component on the main form the plain look is shown, so that the
  // application's hints never vanish.
  FHintComponent = FindHintComponent();
  TbsSkinData* skin = FHintComponent ? FHintComponent->SkinData() : nullptr;
  FSkinData = Usable(skin) && PictureAt(skin, skin->HintWindow->WindowPictureIndex) ? skin : nullptr;
  ApplyFont(Canvas());
  SetCaption(AHint);
  int W = 0, H = 0;
  CalcHintSize(Canvas(), AHint, W, H);
  Rect = TRect(Rect.Left, Rect.Top, Rect.Left + W, Rect.Top + H);
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  if (Rect.Right > sw) Rect = TRect(Rect.Left - (Rect.Right - sw), Rect.Top, sw, Rect.Bottom);
  if (Rect.Bottom > sh) Rect = TRect(Rect.Left, Rect.Top - (Rect.Bottom - sh), Rect.Right, sh);
  FLeft = Rect.Left;
  FTop = Rect.Top;
  FWidth = W;
  FHeight = H;
  const HWND h = Handle();
  SetWindowPos(h, nullptr, Rect.Left, Rect.Top, W, H, SWP_NOZORDER | SWP_NOACTIVATE);

  const bool alpha = FHintComponent && FHintComponent->AlphaBlend();
  if (CheckW2KWXP()) {
    const LONG ex = GetWindowLongA(h, GWL_EXSTYLE);
    if (alpha && !FLayered) SetWindowLongA(h, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    if (!alpha && FLayered) SetWindowLongA(h, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
    FLayered = alpha;
    if (alpha && FHintComponent->AlphaBlendValue() != FCurrentAlpha) {
      SetAlphaBlendTransparent(h, FHintComponent->AlphaBlendValue());
      FCurrentAlpha = FHintComponent->AlphaBlendValue();
    }
  }
  SetHintWindowRegion();
  SetWindowPos(h, HWND_TOPMOST, Rect.Left, Rect.Top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  SetVisible(true);
  Invalidate();
}

void TbsSkinHintWindow::CalcHintSize(TCanvas* C, const AnsiString& S, int& Width, int& Height) {
  RECT r {};
  DrawTextA(C->Handle(), S.c_str(), -1, &r, DT_CALCRECT | DT_CENTER);
  const int TW = r.right - r.left, TH = r.bottom - r.top;
  // Text beyond the screen is cut: the window never grows past it.
  const int sw = std::max(GetSystemMetrics(SM_CXSCREEN), 1), sh = std::max(GetSystemMetrics(SM_CYSCREEN), 1);
  if (!FSkinData) {
    Width = std::min(TW + 4, sw);
    Height = std::min(TH + 4, sh);
    return;
  }
  const TbsDataSkinHintWindow& d = *FSkinData->HintWindow;
  TBitmap* pic = PictureAt(FSkinData, d.WindowPictureIndex);
  const int PW = pic->Width(), PH = pic->Height();
  const TRect& CR = d.ClRect;
  Width = std::max(TW + CR.Left + (PW - CR.Right), PW);
  Height = std::max(TH + CR.Top + (PH - CR.Bottom), PH);
  Width = std::max(std::min(Width, sw), PW);
  Height = std::max(std::min(Height, sh), PH);
  const int dx = Width - PW, dy = Height - PH;
  FNewClRect = TRect(CR.Left, CR.Top, CR.Right + dx, CR.Bottom + dy);
  FNewLTPoint = d.LTPoint;
  FNewRTPoint = TPoint(d.RTPoint.X + dx, d.RTPoint.Y);
  FNewLBPoint = TPoint(d.LBPoint.X, d.LBPoint.Y + dy);
  FNewRBPoint = TPoint(d.RBPoint.X + dx, d.RBPoint.Y + dy);
}

// The window takes the region it is given; the hint never deletes one it handed over.
void TbsSkinHintWindow::SetHintWindowRegion() {
  TBitmap* mask = FSkinData ? PictureAt(FSkinData, FSkinData->HintWindow->MaskPictureIndex) : nullptr;
  if (!mask) {
    if (FHasRegion) SetWindowRgn(Handle(), nullptr, FALSE);
    FHasRegion = false;
    return;
  }
  const TbsDataSkinHintWindow& d = *FSkinData->HintWindow;
  HRGN rgn = nullptr;
  CreateSkinRegion(rgn, d.LTPoint, d.RTPoint, d.LBPoint, d.RBPoint, d.ClRect, FNewLTPoint, FNewRTPoint, FNewLBPoint,
                   FNewRBPoint, FNewClRect, mask, Width(), Height());
  SetWindowRgn(Handle(), rgn, FALSE);
  FHasRegion = rgn != nullptr;
}

void TbsSkinHintWindow::Paint() {
  const int W = Width(), H = Height();
  if (W < 1 || H < 1) return;
  TBitmap B;
  B.SetSize(W, H);
  TCanvas* C = B.Canvas();
  const AnsiString& text = Caption();
  if (FSkinData) {
    const TbsDataSkinHintWindow& d = *FSkinData->HintWindow;
    TBitmap* pic = PictureAt(FSkinData, d.WindowPictureIndex);
    CreateSkinImage(d.LTPoint, d.RTPoint, d.LBPoint, d.RBPoint, d.ClRect, FNewLTPoint, FNewRTPoint, FNewLBPoint,
                    FNewRBPoint, FNewClRect, &B, pic, TRect(0, 0, pic->Width(), pic->Height()), W, H, true);
    C->Brush()->SetStyle(bsClear);
    ApplyFont(C);
    C->Font()->SetColor(d.FontColor);
    RECT r {};
    DrawTextA(C->Handle(), text.c_str(), -1, &r, DT_CALCRECT | DT_CENTER);
    const int tw = r.right - r.left, th = r.bottom - r.top;
    r.left = FNewClRect.Left + RectWidth(FNewClRect) / 2 - tw / 2;
    r.top = FNewClRect.Top + RectHeight(FNewClRect) / 2 - th / 2;
    r.right = r.left + tw;
    r.bottom = r.top + th;
    DrawTextA(C->Handle(), text.c_str(), -1, &r, DT_CENTER);
  } else {
    C->Brush()->SetColor(clInfoBk);
    C->FillRect(TRect(0, 0, W, H));
    TRect frame(0, 0, W, H);
    Frame3D(C, frame, clGrayText, clGrayText, 1);
    ApplyFont(C);
    C->Font()->SetColor(clInfoText);
    C->Brush()->SetStyle(bsClear);
    RECT r { 2, 2, W - 2, H - 2 };
    DrawTextA(C->Handle(), text.c_str(), -1, &r, DT_LEFT | DT_TOP);
  }
  Canvas()->Draw(0, 0, &B);
}

// ---- TbsSkinHint -----------------------------------------------------------------------------------------

XJ_PUBLISHED(TbsSkinHint,
  XJ_EVENT(OnShowHint)
  XJ_PROP(Active, true)
  XJ_PROP(SkinData)
  XJ_PROP(AlphaBlend, false)
  XJ_PROP(AlphaBlendValue, 0)
  XJ_PROP(DefaultFont)
  XJ_PROP(UseSkinFont, true));

TbsSkinHint::TbsSkinHint(TComponent* AOwner) : TComponent(AOwner), FDefaultFont(std::make_unique<TFont>()) {
  LiveHints().push_back(this);
  FHintWindow = new TbsSkinHintWindow(this);
  if (ComponentState().Contains(csDesigning) || !Application) return;
  HintWindowClass = TbsSkinHintWindow::StaticClass();
  // Toggled twice so that the application makes its hint window of the new class.
  Application->SetShowHint(!Application->ShowHint());
  Application->SetShowHint(!Application->ShowHint());
  InstallShowHint();
  Application->SetHintShortPause(100);
}

TbsSkinHint::~TbsSkinHint() {
  FTimer.reset();
  auto& v = LiveHints();
  v.erase(std::find(v.begin(), v.end(), this));
  // Hand the application's hint event on, unless another component has taken it since: to the last
  // active component still alive, else to the handler the application had before any of them.
  if (!Application || Application->OnShowHint.Data() != this) return;
  for (auto it = v.rbegin(); it != v.rend(); ++it)
    if ((*it)->FActive && !(*it)->ComponentState().Contains(csDesigning)) {
      Application->OnShowHint = TShowHintEvent(*it, &TbsSkinHint::SelfOnShowHint);
      return;
    }
  Application->OnShowHint = AppShowHint();
}

void TbsSkinHint::InstallShowHint() {
  if (!Application || Application->OnShowHint.Data() == this) return;
  if (!IsLive(Application->OnShowHint.Data())) AppShowHint() = Application->OnShowHint;
  Application->OnShowHint = TShowHintEvent(this, &TbsSkinHint::SelfOnShowHint);
}

void TbsSkinHint::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FSkinData) FSkinData = nullptr;
  if (AComponent == FHintWindow) FHintWindow = nullptr;
}

void TbsSkinHint::SetSkinData(TbsSkinData* Value) { Link(this, FSkinData, Value); }

void TbsSkinHint::SetDefaultFont(TFont* Value) { FDefaultFont->Assign(Value); }

void TbsSkinHint::SetActive(bool Value) {
  FActive = Value;
  if (!Value) return;
  if (TForm* main = Application ? Application->MainForm() : nullptr)
    for (int i = 0; i < main->ComponentCount(); ++i)
      if (auto* other = dynamic_cast<TbsSkinHint*>(main->Components(i)); other && other != this && other->FActive)
        other->SetActive(false);
  if (!ComponentState().Contains(csDesigning)) InstallShowHint();
}

void TbsSkinHint::SelfOnShowHint(AnsiString& HintStr, bool& CanShow, THintInfo& HintInfo) {
  if (OnShowHint) OnShowHint(HintStr, CanShow, HintInfo);
}

void TbsSkinHint::ActivateHint2(const AnsiString& Hint) {
  FTimer.reset();
  FHintText = Hint;
  FTimer = NewTimer(Application ? Application->HintPause() : 500, [this] { HintTime1(this); });
  FTimer->SetEnabled(true);
}

void TbsSkinHint::HintTime1(TObject*) {
  POINT p {};
  GetCursorPos(&p);
  p.y += GetCursorHeightMargin();
  if (FHintWindow) FHintWindow->ActivateHint(TRect(p.x, p.y, p.x, p.y), FHintText);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(Application ? Application->HintHidePause() : 2500);
  FTimer->SetOnTimer(TNotifyEvent::FromCallable([this](TObject*) { HintTime2(this); }));
  FTimer->SetEnabled(true);
}

void TbsSkinHint::HintTime2(TObject*) { HideHint(); }

void TbsSkinHint::ActivateHint(TPoint P, const AnsiString& Hint) {
  if (FHintWindow) FHintWindow->ActivateHint(TRect(P.X, P.Y, P.X, P.Y), Hint);
}

void TbsSkinHint::HideHint() {
  FTimer.reset();  // safe from the timer's own tick: the platform checks that a timer still lives
  if (!FHintWindow || !IsVisible()) return;
  FHintWindow->SetVisible(false);
  if (FHintWindow->HandleAllocated())
    SetWindowPos(FHintWindow->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
}

bool TbsSkinHint::IsVisible() const { return FHintWindow && FHintWindow->Visible(); }

int TbsSkinHint::GetCursorHeightMargin() {
  ICONINFO info {};
  if (!GetIconInfo((HICON)GetCursor(), &info)) return GetSystemMetrics(SM_CYCURSOR);
  int result = GetSystemMetrics(SM_CYCURSOR);
  BITMAP bm {};
  if (info.hbmMask && GetObjectA(info.hbmMask, sizeof bm, &bm) && bm.bmWidth > 0 && bm.bmHeight > 0) {
    const int W = bm.bmWidth, Hgt = bm.bmHeight;
    const int L = ((W + 31) / 32) * 4;  // bytes per row, padded to 32 bits
    struct {
      BITMAPINFOHEADER h;
      RGBQUAD colours[2];
    } bmi {};
    bmi.h.biSize = sizeof bmi.h;
    bmi.h.biWidth = W;
    bmi.h.biHeight = Hgt;
    bmi.h.biPlanes = 1;
    bmi.h.biBitCount = 1;
    std::vector<BYTE> bits((size_t)L * Hgt);
    HDC dc = GetDC(nullptr);
    const int lines = GetDIBits(dc, info.hbmMask, 0, Hgt, bits.data(), (BITMAPINFO*)&bmi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    if (lines > 0) {
      // Rows are stored bottom-up: scanning from the start walks up from the bottom of the AND mask; the
      // bytes that follow the first non-transparent one are the cursor's visible height (in rows of L).
      const size_t size = (size_t)W * L <= bits.size() ? (size_t)W * L : bits.size();
      auto scan = [&](size_t from, BYTE blank) {
        size_t i = from;
        while (i < from + size && bits[i] == blank) ++i;
        return (int)(from + size - i);
      };
      int n = scan(bits.size() - size, 255);
      if (n == 0 && Hgt >= 2 * W && bits.size() >= 2 * size) n = scan(bits.size() - 2 * size, 0);
      result = n / L - info.yHotspot;
    }
  }
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  return result;
}
