// Rectangle, text, system and date helpers.

#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"
#include "platform/win32/WinBase.h"
#include "platform/win32/WinGdi.h"
#include "platform/win32/WinUser.h"
#include "skin/data/bsUtils.h"

bool RectInRect(const TRect& Inner, const TRect& Outer) {
  const RECT outer = Outer;
  return PtInRect(&outer, POINT { Inner.Left, Inner.Top }) && PtInRect(&outer, POINT { Inner.Right, Inner.Bottom });
}

TRect ClipToPicture(const TRect& R, const TBitmap* Picture) {
  if (!Picture || Picture->Empty() || IsNullRect(R)) return NullRect();
  const TRect r(Max(R.Left, 0), Max(R.Top, 0), Min(R.Right, Picture->Width()), Min(R.Bottom, Picture->Height()));
  return IsNullRect(r) ? NullRect() : r;
}

TRect RectToCenter(TRect& R, const TRect& Bounds) {
  const int w = RectWidth(R), h = RectHeight(R);
  const int left = Bounds.Left + (RectWidth(Bounds) - w) / 2;
  const int top = Bounds.Top + (RectHeight(Bounds) - h) / 2;
  R = TRect(left, top, left + w, top + h);
  return R;
}

AnsiString ReplaceStr(const AnsiString& S, const AnsiString& Find, const AnsiString& Repl) {
  if (Find.empty()) return S;
  AnsiString result;
  size_t start = 0;
  for (size_t at; (at = S.find(Find, start)) != AnsiString::npos; start = at + Find.size())
    result.append(S, start, at - start).append(Repl);
  return result.append(S, start, AnsiString::npos);
}

// ---- Text drawing ---------------------------------------------------------------------------------------

void CorrectTextbyWidth(TCanvas* C, AnsiString& S, int W) {
  if (C->TextWidth(S) <= W) return;
  while (!S.empty()) {
    // The last character, which is two bytes when it is a double-byte one.
    const char* end = S.c_str() + S.size();
    S.resize(static_cast<size_t>(CharPrevA(S.c_str(), end) - S.c_str()));
    if (C->TextWidth(S + "...") <= W) break;
  }
  S += "...";
}

void SPDrawText(TCanvas* Cnvs, const AnsiString& S, const TRect& R) {
  RECT r = R;
  DrawTextA(Cnvs->Handle(), S.c_str(), static_cast<int>(S.size()), &r, DT_SINGLELINE | DT_VCENTER);
}

void SPDrawText2(TCanvas* Cnvs, const AnsiString& S, const TRect& R) { SPDrawText3(Cnvs, S, R, 0); }

// A line of a font is as high as the font whatever its characters: the height is that of no characters,
// which measures none (lists and combo boxes draw every item through here).
void SPDrawText3(TCanvas* Cnvs, const AnsiString& S, const TRect& R, int Offset) {
  Cnvs->TextRect(R, R.Left + 2 + Offset, R.Top + RectHeight(R) / 2 - Cnvs->TextHeight(AnsiString()) / 2, S);
}

// ---- Background and screen ------------------------------------------------------------------------------

void GetParentImage(TControl* Control, TCanvas* Dest) {
  TWinControl* parent = Control->Parent();
  if (!parent) return;
  HDC dc = Dest->Handle();
  const int saved = SaveDC(dc);
  // The parent's client coordinates land on the control's area.
  SetViewportOrgEx(dc, -Control->Left(), -Control->Top(), nullptr);
  IntersectClipRect(dc, 0, 0, parent->ClientWidth(), parent->ClientHeight());
  if (!dynamic_cast<TCustomForm*>(parent)) parent->PaintWindow(dc);
  SendMessageA(parent->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RestoreDC(dc, saved);
}

void GetScreenImage(int X, int Y, TBitmap* B) {
  HDC screen = GetDC(nullptr);
  BitBlt(B->Canvas()->Handle(), 0, 0, B->Width(), B->Height(), screen, X, Y, SRCCOPY);
  ReleaseDC(nullptr, screen);
}

void GetPrimaryMonitorWorkArea(bool WorkArea, TRect& R) {
  RECT area {};
  if (WorkArea && SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0))
    R = area;
  else if (!WorkArea)
    R = TRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

TRect GetMonitorWorkArea(HWND Wnd, bool WorkArea) {
  // Looked up in the user library, which has them only on systems with several monitors.
  static const auto monitorFromWindow = reinterpret_cast<decltype(&MonitorFromWindow)>(
      GetProcAddress(GetModuleHandleA("user32.dll"), "MonitorFromWindow"));
  static const auto getMonitorInfo =
      reinterpret_cast<decltype(&GetMonitorInfoA)>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetMonitorInfoA"));
  TRect result;
  if (GetSystemMetrics(SM_CMONITORS) > 1 && monitorFromWindow && getMonitorInfo) {
    MONITORINFO info {};
    info.cbSize = sizeof info;
    if (getMonitorInfo(monitorFromWindow(Wnd, MONITOR_DEFAULTTONEAREST), &info))
      result = WorkArea ? TRect(info.rcWork) : TRect(info.rcMonitor);
    return result;
  }
  GetPrimaryMonitorWorkArea(WorkArea, result);
  return result;
}

// ---- System ---------------------------------------------------------------------------------------------

void GetWindowsVersion(int& Major, int& Minor) {
  const DWORD version = GetVersion();
  Major = static_cast<int>(version & 0xFF);
  Minor = static_cast<int>((version >> 8) & 0xFF);
}

bool CheckWXP() {
  int major, minor;
  GetWindowsVersion(major, minor);
  return major == 5 && minor == 1;
}

bool CheckW2KWXP() {
  int major, minor;
  GetWindowsVersion(major, minor);
  return major == 5 && (minor == 0 || minor == 1);
}

void SetAlphaBlendTransparent(HWND Wnd, BYTE Value) {
  typedef BOOL(WINAPI * TSetLayeredWindowAttributes)(HWND, COLORREF, BYTE, DWORD);
  const HMODULE user = LoadLibraryA("USER32");
  if (!user) return;
  if (auto set = reinterpret_cast<TSetLayeredWindowAttributes>(GetProcAddress(user, "SetLayeredWindowAttributes")))
    set(Wnd, 0, Value, LWA_ALPHA);
  FreeLibrary(user);
}

// ---- Dates ----------------------------------------------------------------------------------------------

WORD ExtractDay(TDateTime D) {
  WORD y, m, d;
  DecodeDate(D, y, m, d);
  return d;
}

WORD ExtractMonth(TDateTime D) {
  WORD y, m, d;
  DecodeDate(D, y, m, d);
  return m;
}

WORD ExtractYear(TDateTime D) {
  WORD y, m, d;
  DecodeDate(D, y, m, d);
  return y;
}

bool IsLeapYear(int Year) { return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0); }

int DaysPerMonth(int Year, int Month) {
  static const int days[12] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
  if (Month < 1 || Month > 12) return 0;
  return days[Month - 1] + (Month == 2 && IsLeapYear(Year) ? 1 : 0);
}
