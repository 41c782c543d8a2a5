#include "skin/controls/bsSkinBoxCtrls_calendar.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/vcl/Menus.h"
#include "platform/vcl/SysUtils.h"
#include "platform/win32/GdiInternal.h"
#include "platform/win32/Scoped.h"
#include "skin/controls/bsSkinCtrls_speedbutton.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

namespace {

// ---- The arrow glyphs: 16 x 16, 256 colours, compiled in ----------------------------------------------

enum GlyphIndex : uint8_t { kMagenta, kOrange, kShade0 };  // kShade0.. : four greens, then four blues
constexpr int kGlyphSize = 16;

// One or two triangles pointing left or right, shaded from light at the top to dark at the bottom, on
// a background the speed button leaves transparent (its bottom-left pixel).
std::vector<uint8_t> GlyphFile(bool Next, bool Year) {
  std::vector<uint8_t> pixels(kGlyphSize * kGlyphSize, Year ? kOrange : kMagenta);
  const int shades = Year ? kShade0 + 4 : kShade0;
  auto triangle = [&](int Base) {
    // Rows 3..12 from a base column, longest in the middle rows: the tip points away from the base.
    for (int y = 3; y <= 12; ++y) {
      const int span = 5 - std::abs(2 * y - 15) / 2;
      for (int i = 0; i < span; ++i) {
        const int x = Next ? Base + i : Base - i;
        pixels[y * kGlyphSize + x] = static_cast<uint8_t>(shades + (y - 3) * 4 / 10);
      }
    }
  };
  if (Year) {
    triangle(Next ? 3 : 7);
    triangle(Next ? 8 : 12);
  } else {
    triangle(Next ? 5 : 10);
  }
  const uint32_t paletteBytes = 256 * 4, offset = 14 + 40 + paletteBytes;
  const uint32_t size = offset + kGlyphSize * kGlyphSize;
  std::vector<uint8_t> f;
  auto u16 = [&f](uint32_t v) {
    f.push_back(static_cast<uint8_t>(v));
    f.push_back(static_cast<uint8_t>(v >> 8));
  };
  auto u32 = [&](uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  f.push_back('B');
  f.push_back('M');
  u32(size);
  u32(0);
  u32(offset);
  u32(40);
  u32(kGlyphSize);
  u32(kGlyphSize);
  u16(1);
  u16(8);
  u32(0);
  u32(kGlyphSize * kGlyphSize);
  u32(2835);
  u32(2835);
  u32(256);
  u32(0);
  // Palette entries are B, G, R, 0.
  const uint8_t colours[][3] = {
    { 255, 0, 255 }, { 255, 128, 0 },   { 144, 238, 144 }, { 60, 200, 60 }, { 0, 150, 0 },
    { 0, 100, 0 },   { 150, 170, 255 }, { 80, 110, 240 },  { 30, 60, 200 }, { 10, 30, 130 }
  };
  for (int i = 0; i < 256; ++i) {
    const uint8_t* c = i < int(std::size(colours)) ? colours[i] : colours[0];
    f.insert(f.end(), { c[2], c[1], c[0], 0 });
  }
  for (int y = kGlyphSize - 1; y >= 0; --y)  // bottom-up rows
    f.insert(f.end(), pixels.begin() + y * kGlyphSize, pixels.begin() + (y + 1) * kGlyphSize);
  return f;
}

const char* const kGlyphNames[4] = { "BS_PRIORMONTH", "BS_NEXTMONTH", "BS_PRIORYEAR", "BS_NEXTYEAR" };

void RegisterCalendarGlyphs() {
  static const bool done = [] {
    // The resource table keeps a pointer to the bytes: they live as long as the process.
    static const std::vector<uint8_t> files[4] = { GlyphFile(false, false), GlyphFile(true, false),
                                                   GlyphFile(false, true), GlyphFile(true, true) };
    for (int i = 0; i < 4; ++i) xj::gdi::RegisterBitmapResource(kGlyphNames[i], files[i].data(), files[i].size());
    return true;
  }();
  (void)done;
}

TDateTime CalendarLimit(bool Upper) {
  static const TDateTime lo = EncodeDate(kbsCalendarMinYear, 1, 1), hi = EncodeDate(kbsCalendarMaxYear, 12, 31) + 1;
  return Upper ? hi : lo;
}

}  // namespace

bool bsIsCalendarDate(TDateTime D) { return std::isfinite(D) && D >= CalendarLimit(false) && D < CalendarLimit(true); }

AnsiString bsShortDayHeader(const AnsiString& Name) {
  size_t last = 0, end = 0;
  bool wide = false;
  while (end < Name.size()) {
    const bool lead = IsDBCSLeadByte(static_cast<BYTE>(Name[end]));
    if (lead && end + 1 == Name.size()) break;  // half a character at the end is none
    last = end;
    wide = wide || lead;
    end += lead ? 2 : 1;
  }
  if (wide) return Name.substr(last, end - last);
  return Name.substr(0, std::min<size_t>(end, 3));
}

// ---- TbsSkinMonthCalendar ---------------------------------------------------------------------------------

TbsSkinMonthCalendar::TbsSkinMonthCalendar(TComponent* AOwner) : TbsSkinPanel(AOwner) {
  RegisterCalendarGlyphs();
  SetBorderStyle(bs::bvFrame);
  const TNotifyEvent handlers[4] = { TNotifyEvent(this, &TbsSkinMonthCalendar::PriorMButtonClick),
                                     TNotifyEvent(this, &TbsSkinMonthCalendar::NextMButtonClick),
                                     TNotifyEvent(this, &TbsSkinMonthCalendar::PriorYButtonClick),
                                     TNotifyEvent(this, &TbsSkinMonthCalendar::NextYButtonClick) };
  for (int i = 0; i < 4; ++i) {
    auto* b = new TbsSkinSpeedButton(this);
    b->SetRepeatMode(true);
    b->SetRepeatInterval(i < 2 ? 250 : 100);
    b->SetSkinDataName("resizebutton");
    b->SetWidth(20);
    b->SetHeight(20);
    b->SetNumGlyphs(1);
    b->Glyph()->LoadFromResourceName(nullptr, kGlyphNames[i]);
    b->OnClick = handlers[i];
    b->SetParent(this);
    FButtons[i] = b;
  }
  SetWidth(200);
  SetHeight(150);
  SetDate(Now());
}

TbsSkinMonthCalendar::~TbsSkinMonthCalendar() = default;

void TbsSkinMonthCalendar::Loaded() {
  TbsSkinPanel::Loaded();
  if (FTodayDefault) SetDate(Now());
}

void TbsSkinMonthCalendar::SetDate(TDateTime Value) {
  if (!bsIsCalendarDate(Value)) return;
  FDate = Value;
  Repaint();
}

void TbsSkinMonthCalendar::SetTodayDefault(bool Value) {
  FTodayDefault = Value;
  if (Value) SetDate(Now());
}

void TbsSkinMonthCalendar::SetFirstDayOfWeek(TbsDaysOfWeek Value) {
  FFirstDayOfWeek = Value;
  Repaint();
}

void TbsSkinMonthCalendar::SetCaptionMode(bool Value) {
  TbsSkinPanel::SetCaptionMode(Value);
  ArangeControls();
  Repaint();
}

void TbsSkinMonthCalendar::SetDefaultCaptionHeight(int Value) {
  TbsSkinPanel::SetDefaultCaptionHeight(Value);
  ArangeControls();
  Repaint();
}

void TbsSkinMonthCalendar::SetSkinData(TbsSkinData* Value) {
  TbsSkinPanel::SetSkinData(Value);
  for (TbsSkinSpeedButton* b : FButtons)
    if (b) b->SetSkinData(Value);
}

void TbsSkinMonthCalendar::ChangeSkinData() {
  if (FSkinData) {
    const int i = FSkinData->GetControlIndex("stdlabel");
    if (i != -1) {
      auto* r =
          dynamic_cast<TbsDataSkinStdLabelControl*>(static_cast<TbsDataSkinControl*>(FSkinData->CtrlList->Items(i)));
      DayFontColor = r ? r->FontColor : Font()->Color();
      CaptionFontColor = r ? r->ActiveFontColor : Font()->Color();
    }
  }
  TbsSkinPanel::ChangeSkinData();
  ArangeControls();
}

TRect TbsSkinMonthCalendar::InnerRect() {
  TRect r(0, 0, Width(), Height());
  AdjustClientRect(r);
  return r;
}

void TbsSkinMonthCalendar::ArangeControls() {
  if (!FButtons[0]) return;
  const TRect r = InnerRect();
  auto place = [&](TbsSkinSpeedButton* b, int Left) { b->SetBounds(Left, r.Top + 1, b->Width(), b->Height()); };
  place(PriorYearButton(), r.Left + 1);
  place(PriorMonthButton(), PriorYearButton()->Left() + 21);
  place(NextYearButton(), r.Right - 21);
  place(NextMonthButton(), NextYearButton()->Left() - 21);
}

void TbsSkinMonthCalendar::Dispatch(TMessage& Message) {
  const auto life = LifeToken();  // OnResize may free the calendar
  TbsSkinPanel::Dispatch(Message);
  if (Message.Msg == WM_SIZE && !life.expired()) ArangeControls();
}

void TbsSkinMonthCalendar::CreateControlDefaultImage(TBitmap* B) {
  TbsSkinPanel::CreateControlDefaultImage(B);
  DrawCalendar(B->Canvas());
}

void TbsSkinMonthCalendar::CreateControlSkinImage(TBitmap* B) {
  if (BGPictureIndex != -1) {
    // The panel would paint its background picture straight onto the window; the days go over it here.
    auto* picture = static_cast<TBitmap*>(FSkinData->ActivePictures->Items(BGPictureIndex));
    const int pw = picture->Width(), ph = picture->Height();
    for (int x = 0; x < B->Width(); x += pw)
      for (int y = 0; y < B->Height(); y += ph) B->Canvas()->Draw(x, y, picture);
  } else {
    TbsSkinPanel::CreateControlSkinImage(B);
  }
  DrawCalendar(B->Canvas());
}

void TbsSkinMonthCalendar::Paint() { TbsSkinCustomControl::Paint(); }

int TbsSkinMonthCalendar::GetMonthOffset() const {
  WORD y, m, d;
  DecodeDate(FDate, y, m, d);
  const int k = (DayOfWeek(EncodeDate(y, m, 1)) - FFirstDayOfWeek + 7) % 7;
  const int offset = 2 - k;
  return offset == 2 ? -5 : offset;
}

int TbsSkinMonthCalendar::DaysThisMonth() const { return DaysPerMonth(ExtractYear(FDate), ExtractMonth(FDate)); }

TRect TbsSkinMonthCalendar::CellRect(const TRect& R, int Row, int Col) const {
  const int l = R.Left + 1 + Col * FCellWidth, b = FSeparatorY + 3 + Row * FCellHeight;
  return TRect(l, b - FCellHeight, l + FCellWidth, b);
}

void TbsSkinMonthCalendar::DrawCalendar(TCanvas* C) {
  const TRect r = InnerRect();
  const bool skinned = CanPaintSkin();
  C->Font()->Assign(FDefaultFont.get());
  C->Brush()->SetStyle(bsClear);

  const AnsiString caption = FormatDateTime("MMMM, YYYY", FDate);
  if (skinned) C->Font()->SetColor(CaptionFontColor);
  C->Font()->SetStyle({ fsBold });
  C->TextOut(PriorMonthButton()->Left() + 21 + (RectWidth(r) - 82) / 2 - C->TextWidth(caption) / 2, r.Top + 2, caption);

  // A calendar too small for its grid keeps cells of at least a pixel and draws no days.
  FCellWidth = std::max(1, (RectWidth(r) - 2) / 7);
  for (int i = 0; i < 7; ++i) {
    const AnsiString name = bsShortDayHeader(ShortDayNames[(FFirstDayOfWeek + i) % 7]);
    C->TextOut(r.Left + 1 + i * FCellWidth + FCellWidth / 2 - C->TextWidth(name) / 2, r.Top + 30, name);
  }
  FSeparatorY = r.Top + 30 + C->TextHeight("Wq") + 1;
  C->Pen()->SetColor(C->Font()->Color());
  C->MoveTo(r.Left + 1, FSeparatorY);
  C->LineTo(r.Right - 1, FSeparatorY);

  C->Font()->SetStyle({});
  const int rowsHeight = (r.Bottom - FSeparatorY - 4) / 6;
  FCellHeight = std::max(1, rowsHeight);
  FGridShown = rowsHeight >= 1 && (RectWidth(r) - 2) / 7 >= 1;
  if (!FGridShown) return;
  if (skinned) C->Font()->SetColor(DayFontColor);
  const int offset = GetMonthOffset(), days = DaysThisMonth(), selected = ExtractDay(FDate);
  for (int row = 1; row <= 6; ++row)
    for (int col = 0; col < 7; ++col) {
      const int d = offset + col + (row - 1) * 7;
      if (d < 1 || d > days) continue;
      const TRect cell = CellRect(r, row, col);
      const AnsiString text = IntToStr(d);
      C->TextOut(cell.Left + FCellWidth / 2 - C->TextWidth(text) / 2,
                 cell.Bottom - FCellHeight / 2 - C->TextHeight(text) / 2, text);
      if (d == selected) {
        C->Pen()->SetColor(skinned ? CaptionFontColor : C->Font()->Color());
        C->Rectangle(cell);
      }
    }
}

WORD TbsSkinMonthCalendar::DayNumFromPoint(int X, int Y) {
  const TRect r = InnerRect();
  const POINT p { X, Y };
  const RECT rr { r.Left, r.Top, r.Right, r.Bottom };
  if (!FGridShown || !PtInRect(&rr, p)) return 0;
  const int offset = GetMonthOffset(), days = DaysThisMonth();
  for (int row = 0; row <= 6; ++row)
    for (int col = 0; col < 7; ++col) {
      const TRect c = CellRect(r, row, col);
      const RECT cr { c.Left, c.Top, c.Right, c.Bottom };
      if (!PtInRect(&cr, p)) continue;
      const int d = offset + col + (row - 1) * 7;
      return d >= 1 && d <= days ? static_cast<WORD>(d) : 0;
    }
  return 0;
}

void TbsSkinMonthCalendar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FDayPress.Down(Button);
  TbsSkinPanel::MouseDown(Button, Shift, X, Y);
}

void TbsSkinMonthCalendar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  const bool own = FDayPress.Up(Button, this, X, Y);
  TbsSkinPanel::MouseUp(Button, Shift, X, Y);
  if (life.expired() || !own) return;
  const WORD d = DayNumFromPoint(X, Y);
  if (d == 0) return;
  SetDate(EncodeDate(ExtractYear(FDate), ExtractMonth(FDate), d));
  if (OnNumberClick) OnNumberClick(this);
}

void TbsSkinMonthCalendar::SetYMD(int Y, int M, int D) {
  SetDate(EncodeDate(static_cast<WORD>(Y), static_cast<WORD>(M), static_cast<WORD>(std::min(D, DaysPerMonth(Y, M)))));
}

void TbsSkinMonthCalendar::OffsetMonth(int Delta) {
  WORD y, m, d;
  DecodeDate(FDate, y, m, d);
  // Counted in months from year 0, wide enough for any Delta.
  const int64_t total = int64_t { y } * 12 + (m - 1) + Delta;
  int64_t year = total >= 0 ? total / 12 : (total - 11) / 12;
  const int month = static_cast<int>(total - year * 12) + 1;
  if (year < kbsCalendarMinYear || year > kbsCalendarMaxYear) year = y;
  SetYMD(static_cast<int>(year), month, d);
}

void TbsSkinMonthCalendar::OffsetYear(int Delta) {
  WORD y, m, d;
  DecodeDate(FDate, y, m, d);
  const int64_t year = int64_t { y } + Delta;
  if (year < kbsCalendarMinYear || year > kbsCalendarMaxYear) return;
  SetYMD(static_cast<int>(year), m, d);
}

// Each step, then the calendar's own click.
void TbsSkinMonthCalendar::NextMButtonClick(TObject*) {
  OffsetMonth(1);
  Click();
}

void TbsSkinMonthCalendar::PriorMButtonClick(TObject*) {
  OffsetMonth(-1);
  Click();
}

void TbsSkinMonthCalendar::NextYButtonClick(TObject*) {
  OffsetYear(1);
  Click();
}

void TbsSkinMonthCalendar::PriorYButtonClick(TObject*) {
  OffsetYear(-1);
  Click();
}

void TbsSkinMonthCalendar::KeyDown(WORD& Key, TShiftState Shift) {
  TbsSkinPanel::KeyDown(Key, Shift);
  const bool years = Shift.Contains(ssCtrl);
  if (Key == VK_PRIOR)
    years ? PriorYButtonClick(this) : PriorMButtonClick(this);
  else if (Key == VK_NEXT)
    years ? NextYButtonClick(this) : NextMButtonClick(this);
}

// ---- TbsSkinPopupMonthCalendar ----------------------------------------------------------------------------

TbsSkinPopupMonthCalendar::TbsSkinPopupMonthCalendar(TComponent* AOwner) : TbsSkinMonthCalendar(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyle { csNoDesignVisible, csReplicatable });
}

TbsSkinPopupMonthCalendar::~TbsSkinPopupMonthCalendar() = default;

void TbsSkinPopupMonthCalendar::CreateParams(TCreateParams& Params) {
  TbsSkinMonthCalendar::CreateParams(Params);
  TbsDropDownWindow::CreateParams(Params, 0, false);
}

void TbsSkinPopupMonthCalendar::Dispatch(TMessage& Message) {
  if (!TbsDropDownWindow::MouseActivate(Message)) TbsSkinMonthCalendar::Dispatch(Message);
}

// ---- TbsSkinDateEdit --------------------------------------------------------------------------------------

namespace {

enum DateField { kYear, kMonth, kDay };

// The order of year, month and day in the locale's short date format (year, month, day when it names
// fewer than three of them).
void FieldOrder(DateField (&Order)[3]) {
  int n = 0;
  bool seen[3] {};
  for (char ch : ShortDateFormat) {
    const char c = static_cast<char>(ch | 0x20);
    const int f = c == 'y' ? kYear : c == 'm' ? kMonth : c == 'd' ? kDay : -1;
    if (f < 0 || seen[f]) continue;
    seen[f] = true;
    if (n < 3) Order[n++] = static_cast<DateField>(f);
  }
  if (n < 3) Order[0] = kYear, Order[1] = kMonth, Order[2] = kDay;
}

// Exactly three fields of one to nine digits between the date separators, in Values; false otherwise.
bool SplitFields(const AnsiString& S, int (&Values)[3], int (&Lengths)[3]) {
  int n = 0;
  size_t start = 0;
  for (size_t i = 0; i <= S.size(); ++i) {
    if (i < S.size() && S[i] != DateSeparator) continue;
    if (n == 3) return false;
    const size_t len = i - start;
    if (len < 1 || len > 9) return false;
    int v = 0;
    for (size_t k = start; k < i; ++k) {
      if (S[k] < '0' || S[k] > '9') return false;
      v = v * 10 + (S[k] - '0');
    }
    Values[n] = v;
    Lengths[n] = static_cast<int>(len);
    ++n;
    start = i + 1;
  }
  return n == 3;
}

}  // namespace

AnsiString TbsSkinDateEdit::DateText(TDateTime D) {
  WORD y, m, d;
  DecodeDate(D, y, m, d);
  DateField order[3];
  FieldOrder(order);
  AnsiString s;
  for (int i = 0; i < 3; ++i) {
    if (i) s += DateSeparator;
    s += order[i] == kYear ? Format("%.4d", { int { y } }) : Format("%.2d", { int { order[i] == kMonth ? m : d } });
  }
  return s;
}

TbsSkinDateEdit::TbsSkinDateEdit(TComponent* AOwner) : TbsSkinCustomEdit(AOwner) {
  SetButtonMode(true);
  SetSkinDataName("buttonedit");
  FMonthCalendar = new TbsSkinPopupMonthCalendar(this);
  FMonthCalendar->SetVisible(false);
  FMonthCalendar->SetParent(this);
  FMonthCalendar->OnNumberClick = TNotifyEvent(this, &TbsSkinDateEdit::CalendarClick);
  OnButtonClick = TNotifyEvent(this, &TbsSkinDateEdit::ButtonClick);
  ShowDate();
  SetMaxLength(static_cast<int>(Text().size()));
}

TbsSkinDateEdit::~TbsSkinDateEdit() {
  // The calendar it owns goes while the edit is whole: its click hook calls back into the edit.
  DestroyComponents();
  FMonthCalendar = nullptr;
}

void TbsSkinDateEdit::Loaded() {
  TbsSkinCustomEdit::Loaded();
  if (FTodayDefault) SetDate(Now());
}

TDateTime TbsSkinDateEdit::Date() const { return FMonthCalendar->Date(); }

void TbsSkinDateEdit::SetDate(TDateTime Value) {
  if (!bsIsCalendarDate(Value)) return;
  auto life = LifeToken();
  FMonthCalendar->SetDate(Value);
  FDropDownDate = Value;
  ShowDate();
  if (!life.expired() && OnDateChange) OnDateChange(this);
}

void TbsSkinDateEdit::SetTodayDefault(bool Value) {
  FTodayDefault = Value;
  if (Value) SetDate(Now());
}

TFont* TbsSkinDateEdit::CalendarFont() const { return FMonthCalendar->DefaultFont(); }
void TbsSkinDateEdit::SetCalendarFont(TFont* Value) { FMonthCalendar->DefaultFont()->Assign(Value); }
int TbsSkinDateEdit::CalendarWidth() const { return FMonthCalendar->Width(); }
void TbsSkinDateEdit::SetCalendarWidth(int Value) { FMonthCalendar->SetWidth(Value); }
int TbsSkinDateEdit::CalendarHeight() const { return FMonthCalendar->Height(); }
void TbsSkinDateEdit::SetCalendarHeight(int Value) { FMonthCalendar->SetHeight(Value); }
TbsDaysOfWeek TbsSkinDateEdit::FirstDayOfWeek() const { return FMonthCalendar->FirstDayOfWeek(); }
void TbsSkinDateEdit::SetFirstDayOfWeek(TbsDaysOfWeek Value) { FMonthCalendar->SetFirstDayOfWeek(Value); }

void TbsSkinDateEdit::ShowDate() {
  TControlChange guard(this, FSettingText, true);  // OnChange may free the edit
  SetText(DateText(FMonthCalendar->Date()));
}

bool TbsSkinDateEdit::CalendarShown() const { return FMonthCalendar && FMonthCalendar->Visible(); }

void TbsSkinDateEdit::ButtonClick(TObject*) {
  if (CalendarShown())
    CloseUp(false);
  else
    DropDown();
}

void TbsSkinDateEdit::DropDown() {
  auto life = LifeToken();
  TbsSkinPopupMonthCalendar* cal = FMonthCalendar;
  FDropDownDate = cal->Date();
  cal->SetSkinData(SkinData());
  if (life.expired()) return;
  cal->HandleNeeded();
  FDropDown.Show(cal, TbsDropDownWindow::Place(this, cal->Width(), cal->Height()),
                 { FAlphaBlend, FAlphaBlendAnimation, FAlphaBlendValue, 2 });
}

void TbsSkinDateEdit::CloseUp(bool AcceptValue) { CloseUp(AcceptValue, true); }

void TbsSkinDateEdit::CloseUp(bool AcceptValue, bool TakeFocus) {
  if (!CalendarShown()) return;
  auto life = LifeToken();
  TbsSkinPopupMonthCalendar* cal = FMonthCalendar;
  // The layered style is on the calendar only while it shows.
  FDropDown.Hide(cal, true);
  if (AcceptValue) {
    ShowDate();
    if (life.expired()) return;
    if (cal->Date() != FDropDownDate) {
      FDropDownDate = cal->Date();
      if (OnDateChange) OnDateChange(this);
      if (life.expired()) return;
    }
  } else if (cal->Date() != FDropDownDate) {
    // Months stepped in a calendar closed without a pick are not a choice.
    cal->SetDate(FDropDownDate);
  }
  // Closed because the focus went elsewhere: the focus is not pulled back.
  if (TakeFocus && CanFocus() && !Focused()) SetFocus();
}

bool TbsSkinDateEdit::IsValidChar(char Key) {
  const auto k = static_cast<unsigned char>(Key);
  return (Key >= '0' && Key <= '9') || (k < 32 && Key != '\r' && Key != '\b');
}

bool TbsSkinDateEdit::IsValidText(const AnsiString& S) const {
  int limit[3], limitLen[3], v[3], len[3];
  if (!SplitFields(DateText(EncodeDate(9999, 12, 31)), limit, limitLen) || !SplitFields(S, v, len)) return false;
  int year = 0, month = 0, day = 0;
  for (int i = 0; i < 3; ++i) {
    if (limit[i] == 12) month = i;
    if (limit[i] == 31) day = i;
    if (limit[i] == 9999) year = i;
  }
  if (v[year] == 0 && len[year] >= 2) return false;
  if (v[month] <= 0 || v[day] <= 0) return false;
  for (int i = 0; i < 3; ++i)
    if (v[i] > limit[i]) return false;
  return true;
}

void TbsSkinDateEdit::CheckValidDate() {
  const TDateTime old = FMonthCalendar->Date();
  int v[3], len[3];
  DateField order[3];
  FieldOrder(order);
  TDateTime date = 0;
  if (SplitFields(Text(), v, len)) {
    int ymd[3] {};
    for (int i = 0; i < 3; ++i) ymd[order[i]] = v[i];
    // A day the month does not have (2009-02-31) or a year the calendar does not show is no date.
    if (ymd[kYear] >= kbsCalendarMinYear && ymd[kYear] <= kbsCalendarMaxYear &&
        TryEncodeDate(static_cast<WORD>(ymd[kYear]), static_cast<WORD>(ymd[kMonth]), static_cast<WORD>(ymd[kDay]),
                      date))
      FMonthCalendar->SetDate(date);
  }
  if (FMonthCalendar->Date() != old && OnDateChange) OnDateChange(this);
}

void TbsSkinDateEdit::CheckSelect() {
  const AnsiString t = Text();
  int p = SelStart();
  if (p < 0 || p >= static_cast<int>(t.size())) {
    SetSelLength(0);
    return;
  }
  if (t[p] == DateSeparator) ++p;
  SetSelStart(p);
  SetSelLength(1);
}

void TbsSkinDateEdit::Change() {
  auto life = LifeToken();
  TbsSkinCustomEdit::Change();
  if (life.expired() || FSettingText) return;
  if (IsValidText(Text())) CheckValidDate();
}

void TbsSkinDateEdit::KeyDown(WORD& Key, TShiftState Shift) {
  if (Key == VK_DELETE) Key = 0;
  TbsSkinCustomEdit::KeyDown(Key, Shift);
}

void TbsSkinDateEdit::KeyPress(char& Key) {
  if (!IsValidChar(Key)) {
    Key = 0;
    MessageBeep(0);
  }
  if (Key) TbsSkinCustomEdit::KeyPress(Key);
}

void TbsSkinDateEdit::Dispatch(TMessage& Message) {
  auto life = LifeToken();
  switch (Message.Msg) {
    case WM_CHAR:
      // A typed character replaces the one after the caret; control characters (the clipboard
      // shortcuts among them) leave the selection as it is.
      if (static_cast<unsigned char>(Message.WParam) >= 32) CheckSelect();
      break;
    case WM_CUT:
    case WM_PASTE:
      return;
    case CM_CANCELMODE: {
      TbsSkinCustomEdit::Dispatch(Message);
      if (life.expired()) return;
      // A click in the calendar or on one of its buttons leaves it open.
      auto* sender = reinterpret_cast<TControl*>(Message.LParam);
      for (TControl* c = sender; c; c = c->Parent())
        if (c == FMonthCalendar) return;
      CloseUp(false);
      return;
    }
    default:
      break;
  }
  TbsSkinCustomEdit::Dispatch(Message);
  if (life.expired()) return;
  switch (Message.Msg) {
    case WM_KILLFOCUS:
      if (CalendarShown()) {
        if (reinterpret_cast<HWND>(Message.WParam) != FMonthCalendar->Handle()) CloseUp(false, false);
      } else {
        // Typed text that never formed a date gives way to the date.
        ShowDate();
      }
      break;
    case WM_KEYDOWN:
      CloseUp(false);
      break;
    default:
      break;
  }
}

// ---- Published properties -------------------------------------------------------------------------------

XJ_PUBLISHED(TbsSkinPopupMonthCalendar);

XJ_PUBLISHED(TbsSkinMonthCalendar,
  XJ_PROP(Date)
  XJ_PROP(TodayDefault)
  XJ_PROP(FirstDayOfWeek)
  XJ_EVENT(OnNumberClick));

XJ_PUBLISHED(TbsSkinDateEdit,
  XJ_PROP(DefaultFont)
  XJ_PROP(DefaultWidth)
  XJ_PROP(DefaultHeight)
  XJ_PROP(ButtonMode)
  XJ_PROP(SkinData)
  XJ_PROP(SkinDataName)
  XJ_PROP(EditPasswordChar)
  XJ_EVENT(OnMouseEnter)
  XJ_EVENT(OnMouseLeave)
  XJ_PROP(ReadOnly, false)
  XJ_PROP(Align, alNone)
  XJ_PROP(Alignment)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(AutoSelect, true)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(MaxLength)
  XJ_PROP(ParentFont, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(TabOrder)
  XJ_PROP(TabStop, true)
  XJ_PROP(Text)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  // After Text: the time of day Date may hold survives the text's date.
  XJ_PROP(Date)
  XJ_PROP(TodayDefault)
  XJ_PROP(CalendarFont)
  XJ_PROP(CalendarWidth)
  XJ_PROP(CalendarHeight)
  XJ_PROP(FirstDayOfWeek)
  XJ_PROP(AlphaBlend)
  XJ_PROP(AlphaBlendAnimation)
  XJ_PROP(AlphaBlendValue)
  XJ_EVENT(OnDateChange)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnDblClick)
  XJ_EVENT(OnEnter)
  XJ_EVENT(OnExit)
  XJ_EVENT(OnKeyDown)
  XJ_EVENT(OnKeyPress)
  XJ_EVENT(OnKeyUp)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp));
