#include "skin/controls/bsSkinBoxCtrls_fontcolor.h"

#include <algorithm>

#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/Messages.h"
#include "platform/vcl/Printers.h"
#include "platform/vcl/SysUtils.h"
#include "platform/win32/Scoped.h"
#include "skin/data/bsUtils.h"

namespace {

// An item's object slot holds a 32-bit number: a colour, or a font's type bits.
TObject* NumberObject(uint32_t Value) { return reinterpret_cast<TObject*>(static_cast<uintptr_t>(Value)); }
uint32_t ObjectNumber(TObject* Object) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(Object)); }
TObject* ColorObject(TColor Color) { return NumberObject(static_cast<uint32_t>(Color.Value)); }

// "clBtnFace" → "Btn Face": the "cl" prefix dropped, a blank before every later capital.
AnsiString PrettyColorName(const AnsiString& Name) {
  size_t i = Name.size() >= 2 && Name[0] == 'c' && Name[1] == 'l' ? 2 : 0;
  AnsiString result;
  for (; i < Name.size(); ++i) {
    const char c = Name[i];
    if (c >= 'A' && c <= 'Z' && !result.empty()) result += ' ';
    result += c;
  }
  return result;
}

// The font type bits of a family, and whether it is not a symbol font.
constexpr uint32_t kNotSymbolFont = 0x100;

}  // namespace

// ---- TbsSkinColorComboBox --------------------------------------------------------------------------------

TbsSkinColorComboBox::TbsSkinColorComboBox(TComponent* AOwner) : TbsSkinCustomComboBox(AOwner) {
  SetListBoxDrawItem(TbsDrawSkinItemEvent(this, &TbsSkinColorComboBox::DrawColorItem));
  OnComboBoxDrawItem = TbsDrawSkinItemEvent(this, &TbsSkinColorComboBox::DrawColorItem);
  OnCloseUp = TNotifyEvent(this, &TbsSkinColorComboBox::OnLBCloseUp);
}

TbsSkinColorComboBox::~TbsSkinColorComboBox() = default;

void TbsSkinColorComboBox::CreateWnd() {
  TbsSkinCustomComboBox::CreateWnd();
  PopulateList();
}

void TbsSkinColorComboBox::SetShowNames(bool Value) {
  FShowNames = Value;
  Invalidate();
}

void TbsSkinColorComboBox::SetDefaultColorColor(TColor Value) {
  if (Value == FDefaultColorColor) return;
  FDefaultColorColor = Value;
  Invalidate();
}

void TbsSkinColorComboBox::SetNoneColorColor(TColor Value) {
  if (Value == FNoneColorColor) return;
  FNoneColorColor = Value;
  Invalidate();
}

void TbsSkinColorComboBox::SetExStyle(TbsColorBoxStyle Value) {
  FExStyle = Value;
  SetEnabled(Value.Contains(bscbStandardColors) || Value.Contains(bscbExtendedColors) ||
             Value.Contains(bscbSystemColors) || Value.Contains(bscbCustomColor));
  PopulateList();
  if (Items()->Count() > 0 && ItemIndex() == -1) SetItemIndex(0);
}

void TbsSkinColorComboBox::PopulateList() {
  if (!HandleAllocated()) return;
  TStrings* items = Items();
  items->BeginUpdate();
  xj::ScopeExit done([items] { items->EndUpdate(); });
  // The custom colour survives a refill.
  const TColor custom = FExStyle.Contains(bscbCustomColor) && items->Count() > 0 ? GetColor(0) : TColor(0);
  const TColor selected = FSelectedColor;
  items->Clear();
  GetColorValues(TGetStrProc(this, &TbsSkinColorComboBox::ColorCallBack));
  auto dropColor = [items](TColor C) {
    if (int i = items->IndexOfObject(ColorObject(C)); i >= 0) items->Delete(i);
  };
  // By position in the table's order: the standard colours, four system colours, then the rest.
  auto dropRange = [items](int First, int Last) {
    for (int i = std::min(Last, items->Count() - 1); i >= First; --i) items->Delete(i);
  };
  if (!FExStyle.Contains(bscbIncludeNone)) dropColor(clNone);
  if (!FExStyle.Contains(bscbIncludeDefault)) dropColor(clDefault);
  if (!FExStyle.Contains(bscbSystemColors)) dropRange(20, items->Count() - 1);
  if (!FExStyle.Contains(bscbExtendedColors)) dropRange(16, 19);
  if (!FExStyle.Contains(bscbStandardColors)) dropRange(0, 15);
  if (FExStyle.Contains(bscbCustomColor)) items->InsertObject(0, "Custom...", ColorObject(custom));
  SetSelected(selected);
}

void TbsSkinColorComboBox::ColorCallBack(const AnsiString& Name) {
  Items()->AddObject(FExStyle.Contains(bscbPrettyNames) ? PrettyColorName(Name) : Name,
                     ColorObject(StringToColor(Name)));
}

TColor TbsSkinColorComboBox::GetColor(int Index) const {
  return static_cast<int32_t>(ObjectNumber(Items()->Objects(Index)));
}

AnsiString TbsSkinColorComboBox::GetColorName(int Index) const { return Items()->Strings(Index); }

TColor TbsSkinColorComboBox::Selected() const {
  if (!HandleAllocated()) return FSelectedColor;
  const int i = ItemIndex();
  return i < 0 ? bsNoColorSelected : GetColor(i);
}

void TbsSkinColorComboBox::SetSelected(TColor Value) {
  if (HandleAllocated() && PopupList()) {
    // The first item of that colour wins, so the custom item shadows a named colour equal to it.
    int i = Items()->IndexOfObject(ColorObject(Value));
    if (i == -1 && FExStyle.Contains(bscbCustomColor) && Value != bsNoColorSelected && Items()->Count() > 0) {
      Items()->SetObjects(0, ColorObject(Value));
      i = 0;
    }
    SetItemIndex(i);
  }
  FSelectedColor = Value;
}

void TbsSkinColorComboBox::DrawColorItem(TCanvas* Cnvs, int Index, int, int, TRect& TextRect, TOwnerDrawState) {
  const TRect& t = TextRect;
  const TRect swatch = FShowNames ? TRect(t.Left + 1, t.Top + 1, t.Left + RectHeight(t) - 1, t.Bottom - 1)
                                  : TRect(t.Left + 1, t.Top + 1, t.Right - 1, t.Bottom - 1);
  // A clNone swatch paints nothing: the row's background shows through.
  Cnvs->Brush()->SetStyle(bsSolid);
  Cnvs->Brush()->SetColor(GetColor(Index));
  Cnvs->FillRect(swatch);
  Cnvs->Brush()->SetStyle(bsClear);
  if (FShowNames)
    SPDrawText2(Cnvs, Items()->Strings(Index), TRect(t.Left + 5 + RectWidth(swatch), t.Top, t.Right - 2, t.Bottom));
}

bool TbsSkinColorComboBox::PickCustomColor() {
  if (Items()->Count() == 0) return false;
  TColorDialog dialog(nullptr);
  const int32_t c = ColorToRGB(GetColor(0));
  dialog.SetColor(c);
  dialog.CustomColors()->SetText(Format("ColorA=%.8x", c));
  const auto life = LifeToken();
  const bool confirmed = dialog.Execute();
  // The dialog's loop runs the program: the combo may be gone or emptied when it returns.
  if (!confirmed || life.expired() || Items()->Count() == 0) return confirmed;
  Items()->SetObjects(0, ColorObject(dialog.Color()));
  Invalidate();
  if (OnClick) OnClick(this);
  if (OnChange && !life.expired()) OnChange(this);
  return confirmed;
}

void TbsSkinColorComboBox::OnLBCloseUp(TObject*) {
  if (FExStyle.Contains(bscbCustomColor) && ItemIndex() == 0) PickCustomColor();
}

void TbsSkinColorComboBox::KeyDown(WORD& Key, TShiftState Shift) {
  // With the list open Enter closes it first; the accepted close then runs the dialog once.
  if (Key == VK_RETURN && FExStyle.Contains(bscbCustomColor) && ItemIndex() == 0 && !IsPopupVisible()) {
    Key = 0;
    const auto life = LifeToken();
    PickCustomColor();
    if (life.expired()) return;
  }
  TbsSkinCustomComboBox::KeyDown(Key, Shift);
}

// ---- TbsSkinFontComboBox ---------------------------------------------------------------------------------

TbsSkinFontComboBox::TbsSkinFontComboBox(TComponent* AOwner) : TbsSkinCustomComboBox(AOwner) {
  SetListBoxDrawItem(TbsDrawSkinItemEvent(this, &TbsSkinFontComboBox::DrawLBFontItem));
  OnComboBoxDrawItem = TbsDrawSkinItemEvent(this, &TbsSkinFontComboBox::DrawCBFontItem);
  SetSorted(true);
}

TbsSkinFontComboBox::~TbsSkinFontComboBox() = default;

void TbsSkinFontComboBox::SetDevice(TbsFontDevice Value) {
  if (Value == FDevice) return;
  FDevice = Value;
  Reset();
}

void TbsSkinFontComboBox::SetOptions(TbsFontListOptions Value) {
  if (Value == FOptions) return;
  FOptions = Value;
  Reset();
}

void TbsSkinFontComboBox::SetTrueTypeOnly(bool Value) {
  if (Value == TrueTypeOnly()) return;
  if (Value)
    FOptions << foTrueTypeOnly;
  else
    FOptions >> foTrueTypeOnly;
  Reset();
}

void TbsSkinFontComboBox::SetUseFonts(bool Value) {
  if (Value == FUseFonts) return;
  FUseFonts = Value;
  Invalidate();
}

void TbsSkinFontComboBox::CreateWnd() {
  const AnsiString name = FontName();
  TbsSkinCustomComboBox::CreateWnd();
  // A name set before the window existed (or streamed) is looked up in the fresh list. Filling the list
  // and picking the name run OnClick, which may free the box.
  auto life = LifeToken();
  TControlChange updating(this, FUpdating, true);
  PopulateList();
  if (life.expired()) return;
  SetText("");
  if (!life.expired()) SetFontName(name);
}

void TbsSkinFontComboBox::PopulateList() {
  if (!HandleAllocated()) return;
  const int index = ItemIndex();
  TStrings* items = Items();
  items->BeginUpdate();
  HDC dc = GetDC(nullptr);
  {
    xj::ScopeExit done([items, dc] {
      ReleaseDC(nullptr, dc);
      items->EndUpdate();
    });
    items->Clear();
    if (FDevice == fdScreen || FDevice == fdBoth) Enumerate(dc);
    if (FDevice == fdPrinter || FDevice == fdBoth) {
      // Printing is an extra: without a printer the screen's fonts stay.
      try {
        Enumerate(Printer()->Handle());
      } catch (const Exception&) {
      }
    }
  }
  SetItemIndex(index);
}

void TbsSkinFontComboBox::Enumerate(HDC DC) {
  EnumFontFamiliesA(DC, nullptr, &TbsSkinFontComboBox::EnumFontsProc, reinterpret_cast<LPARAM>(this));
}

int CALLBACK TbsSkinFontComboBox::EnumFontsProc(const tagLOGFONTA* LogFont, const tagTEXTMETRICA*, DWORD FontType,
                                                LPARAM Data) {
  auto* self = reinterpret_cast<TbsSkinFontComboBox*>(Data);
  const AnsiString name = LogFont->lfFaceName;
  // The first report of a family wins, whichever device or character set reports it again.
  if (self->Items()->IndexOf(name) < 0 && self->Accepts(*LogFont, FontType))
    self->Items()->AddObject(name,
                             NumberObject(FontType | (LogFont->lfCharSet != SYMBOL_CHARSET ? kNotSymbolFont : 0)));
  return 1;
}

bool TbsSkinFontComboBox::Accepts(const tagLOGFONTA& LogFont, DWORD FontType) const {
  const BYTE charset = LogFont.lfCharSet;
  bool accepted = true;
  if (FOptions.Contains(foAnsiOnly)) accepted = accepted && charset == ANSI_CHARSET;
  if (FOptions.Contains(foTrueTypeOnly)) accepted = accepted && (FontType & TRUETYPE_FONTTYPE) != 0;
  if (FOptions.Contains(foFixedPitchOnly)) accepted = accepted && (LogFont.lfPitchAndFamily & FIXED_PITCH) != 0;
  if (FOptions.Contains(foOEMFontsOnly)) accepted = accepted && charset == OEM_CHARSET;
  if (FOptions.Contains(foNoOEMFonts)) accepted = accepted && charset != OEM_CHARSET;
  if (FOptions.Contains(foNoSymbolFonts)) accepted = accepted && charset != SYMBOL_CHARSET;
  if (FOptions.Contains(foScalableOnly)) accepted = accepted && (FontType & RASTER_FONTTYPE) == 0;
  return accepted;
}

void TbsSkinFontComboBox::Reset() {
  if (!HandleAllocated()) return;
  const AnsiString old = FontName();
  auto life = LifeToken();  // picking the font again runs OnClick, which may free the box
  {
    TControlChange updating(this, FUpdating, true);
    PopulateList();
    if (!life.expired()) SetFontName(old);
  }
  if (!life.expired() && FontName() != old && !Loading() && OnChange) OnChange(this);
}

void TbsSkinFontComboBox::SetFontName(const AnsiString& Value) {
  if (FontName() == Value) return;
  if (!HandleAllocated() && !Loading() && (Parent() || ParentWindow())) HandleNeeded();
  // Without a window (or while loading) the name is only the text: the window's list takes it up.
  if (!HandleAllocated() || Loading()) {
    SetText(Value);
    return;
  }
  // The change of text reports the change of name, once (see Dispatch).
  for (int i = 0; i < Items()->Count(); ++i)
    if (AnsiCompareText(Items()->Strings(i), Value) == 0) {
      SetItemIndex(i);
      return;
    }
  if (Style() == bscbFixedStyle)
    SetItemIndex(-1);
  else
    SetText(Value);
}

// The index a form holds points into the list of the machine that wrote it, filtered by Options that may
// be read after it: the name read with it is what the user chose.
void TbsSkinFontComboBox::SetStreamedItemIndex(int Value) {
  if (!Loading()) SetItemIndex(Value);
}

void TbsSkinFontComboBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
      if (FUpdating || Loading()) {
        // A rebuild or a load changes no name the user sees: no OnChange.
        TControlChange quiet(this, OnChange, TNotifyEvent());
        TbsSkinCustomComboBox::Dispatch(Message);
        return;
      }
      break;
    case WM_FONTCHANGE:
      TbsSkinCustomComboBox::Dispatch(Message);
      Reset();
      return;
    default:
      break;
  }
  TbsSkinCustomComboBox::Dispatch(Message);
}

void TbsSkinFontComboBox::DrawLBFontItem(TCanvas* Cnvs, int Index, int, int, TRect& TextRect, TOwnerDrawState) {
  TRect t = TextRect;
  if (ObjectNumber(Items()->Objects(Index)) & TRUETYPE_FONTTYPE) {
    const int x = t.Left, y = t.Top + RectHeight(t) / 2 - 7;
    DrawTT(Cnvs, x, y, clGray);
    DrawTT(Cnvs, x + 4, y + 4, clBlack);
  }
  t.Left += 15;
  const AnsiString name = Items()->Strings(Index);
  Cnvs->Font()->SetName(name);
  Cnvs->Font()->SetStyle({});
  SPDrawText2(Cnvs, name, t);
}

void TbsSkinFontComboBox::DrawCBFontItem(TCanvas* Cnvs, int Index, int, int, TRect& TextRect, TOwnerDrawState) {
  SPDrawText2(Cnvs, Items()->Strings(Index), TRect(TextRect.Left + 2, TextRect.Top, TextRect.Right, TextRect.Bottom));
}

void TbsSkinFontComboBox::DrawTT(TCanvas* Cnvs, int X, int Y, TColor Color) {
  // Polylines of GDI lines, each leaving out its end point.
  struct Stroke {
    int X1, Y1, X2, Y2;
  };
  static constexpr Stroke kStrokes[] = { { 0, 0, 7, 0 }, { 7, 0, 7, 3 }, { 0, 0, 0, 3 }, { 1, 0, 1, 1 },
                                         { 6, 0, 6, 1 }, { 3, 0, 3, 8 }, { 4, 0, 4, 8 }, { 2, 8, 6, 8 } };
  Cnvs->Pen()->SetColor(Color);
  for (const Stroke& s : kStrokes) {
    Cnvs->MoveTo(X + s.X1, Y + s.Y1);
    Cnvs->LineTo(X + s.X2, Y + s.Y2);
  }
}

// ---- Streaming ------------------------------------------------------------------------------------------

// clang-format off
XJ_PUBLISHED(TbsSkinColorComboBox,
  XJ_PROP(Align, alNone)
  XJ_PROP(AlphaBlend, false)
  XJ_PROP(AlphaBlendValue, BYTE { 0 })
  XJ_PROP(DefaultColorColor, 0)
  XJ_PROP(DropDownCount, 8)
  XJ_PROP(Enabled, true)
  XJ_PROP(ExStyle, { bscbStandardColors, bscbExtendedColors, bscbSystemColors })
  XJ_PROP(Font)
  XJ_PROP(ItemIndex, -1)
  XJ_PROP(ListBoxCaption)
  XJ_PROP(ListBoxCaptionMode, false)
  XJ_PROP(NoneColorColor, 0)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnClick)
  XJ_PROP(PopupMenu)
  XJ_PROP(Selected, 0)
  XJ_PROP(ShowHint)
  XJ_PROP(ShowNames, true)
  XJ_PROP(Sorted, false));
XJ_PUBLISHED(TbsSkinFontComboBox,
  XJ_PROP(Align, alNone)
  XJ_PROP(AlphaBlend, false)
  XJ_PROP(AlphaBlendValue, BYTE { 0 })
  XJ_PROP(Device, fdScreen)
  XJ_PROP(DropDownCount, 8)
  XJ_PROP(Enabled, true)
  XJ_PROP(Font)
  XJ_PROP(FontName)
  XJ_PROP_RW(ItemIndex, ItemIndex, SetStreamedItemIndex, -1)
  XJ_PROP(ListBoxCaption)
  XJ_PROP(ListBoxCaptionMode, false)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnClick)
  XJ_PROP(Options, {})
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowHint)
  XJ_PROP(Sorted, true)
  XJ_PROP(Style, bscbFixedStyle)
  XJ_PROP(TrueTypeOnly) XJ_NOT_STORED
  XJ_PROP(UseFonts, false));
// clang-format on
