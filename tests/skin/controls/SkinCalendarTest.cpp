// The month calendar and the date edit as a user drives them: stepping months and years with the buttons
// (held down too) and keys, picking a day, typing a date digit by digit, the drop-down calendar at every
// edge of the work area, and the three looks.

#include <climits>
#include <cmath>
#include <filesystem>
#include <string>

#include "platform/display/Png.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/SysUtils.h"
#include "skin/controls/bsSkinBoxCtrls.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

int beeps = 0;

TDateTime D(int Y, int M, int Day) { return EncodeDate(WORD(Y), WORD(M), WORD(Day)); }

std::string Ymd(TDateTime Value) {
  WORD y, m, d;
  DecodeDate(Value, y, m, d);
  char s[32];
  snprintf(s, sizeof(s), "%04d-%02d-%02d", y, m, d);
  return s;
}

class CalendarTest : public SkinControlsTest {
 protected:
  void SetUp() override {
    SkinControlsTest::SetUp();
    beeps = 0;
    xj::SetMessageBeepHandler([] { ++beeps; });
  }
  void TearDown() override {
    xj::SetMessageBeepHandler(nullptr);
    FormatSettings = TFormatSettings();
    SkinControlsTest::TearDown();
  }
  TbsSkinMonthCalendar* NewCalendar(TDateTime Date) {
    auto* c = new TbsSkinMonthCalendar(form);
    c->SetParent(form);
    c->SetLeft(10);
    c->SetTop(10);
    c->SetDate(Date);
    return c;
  }
  TbsSkinDateEdit* NewDateEdit(int Left, int Top, TDateTime Date) {
    auto* e = new TbsSkinDateEdit(form);
    e->SetParent(form);
    e->SetBounds(Left, Top, 120, 20);
    e->SetDate(Date);
    return e;
  }
  // The texts the last paint of C drew, with where and in which colour.
  std::vector<xt::TextRecord> Texts(TControl* C) {
    xt::ClearTextLog();
    C->Repaint();
    return xt::TextOutLog();
  }
  static const xt::TextRecord* Find(const std::vector<xt::TextRecord>& Log, const std::string& Text) {
    for (const auto& r : Log)
      if (r.text == Text) return &r;
    return nullptr;
  }
  static TPoint Centre(TControl* C) { return C->ClientToScreen(TPoint(C->Width() / 2, C->Height() / 2)); }
  static void ClickButton(TControl* B) {
    const TPoint p = Centre(B);
    xt::Click(p.X, p.Y);
  }
  // The centre of the grid cell (Row 1..6, Col 0..6) as the last paint laid it out.
  static TPoint CellCentre(TbsSkinMonthCalendar* C, int Row, int Col) {
    TRect r(0, 0, C->Width(), C->Height());
    C->AdjustClientRect(r);
    const int b = C->SeparatorY() + 3 + Row * C->CellHeight();
    return TPoint(r.Left + 1 + Col * C->CellWidth() + C->CellWidth() / 2, b - C->CellHeight() / 2);
  }
  static void ButtonOnEdit(TbsSkinDateEdit* E) {
    RECT r {};
    GetWindowRect(E->Handle(), &r);
    xt::Click(r.right - 6, r.top + 10);
  }
  void WindowGallery(HWND Window, const std::string& Name) const {
    int w = 0, h = 0;
    const std::vector<COLORREF> all = xt::WindowPixels(Window, true, &w, &h);
    std::vector<uint32_t> px;
    for (COLORREF v : all)
      px.push_back(uint32_t { GetRValue(v) } << 16 | uint32_t { GetGValue(v) } << 8 | GetBValue(v));
    const auto dir = std::filesystem::path(XJ_BINARY_DIR) / "tests" / "gallery";
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(xj::display::WritePng((dir / Name).string(), { px.data(), w, h, w * 4 }));
  }
};

class TCalendarForm : public TForm {
  XJ_CLASS(TCalendarForm, TForm)
 public:
  explicit TCalendarForm(TComponent* AOwner) : TForm(AOwner) {}
};

void UseEnglish() {
  const char* days[7] = { "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat" };
  const char* months[12] = { "January", "February", "March",     "April",   "May",      "June",
                             "July",    "August",   "September", "October", "November", "December" };
  for (int i = 0; i < 7; ++i) ShortDayNames[i] = days[i];
  for (int i = 0; i < 12; ++i) LongMonthNames[i] = months[i];
}

}  // namespace

// ---- Month calendar ---------------------------------------------------------------------------------------

TEST_F(CalendarTest, TheDefaultLookLaysOutButtonsCaptionWholeDayNamesAndTheGrid) {
  auto* c = NewCalendar(D(2009, 3, 12));
  ShowUnfocused();
  EXPECT_EQ(c->Width(), 200);
  EXPECT_EQ(c->Height(), 150);
  EXPECT_EQ(c->BorderStyle(), bs::bvFrame);
  EXPECT_EQ(c->PriorYearButton()->Left(), 2);
  EXPECT_EQ(c->PriorMonthButton()->Left(), 23);
  EXPECT_EQ(c->NextMonthButton()->Left(), 157);
  EXPECT_EQ(c->NextYearButton()->Left(), 178);
  for (TControl* b : { (TControl*)c->PriorYearButton(), (TControl*)c->NextYearButton() }) EXPECT_EQ(b->Top(), 2);
  auto log = Texts(c);
  EXPECT_EQ(c->CellWidth(), 28);
  // The locale's (GBK) month name in the caption, centred between the month buttons.
  const auto* caption = Find(log, "三月, 2009");
  ASSERT_NE(caption, nullptr);
  TBitmap probe;
  probe.Canvas()->Font()->Assign(c->DefaultFont());
  probe.Canvas()->Font()->SetStyle({ fsBold });
  EXPECT_EQ(caption->x, 102 - probe.Canvas()->TextWidth("三月, 2009") / 2);
  EXPECT_EQ(caption->y, 3);
  // Day names are whole characters: the last of 星期日 .. 星期六, Sunday in the first column.
  const char* cjk[7] = { "日", "一", "二", "三", "四", "五", "六" };
  for (int i = 0; i < 7; ++i) {
    const auto* n = Find(log, cjk[i]);
    ASSERT_NE(n, nullptr) << i;
    EXPECT_EQ(n->y, 31);
    EXPECT_EQ(n->x, 2 + i * 28 + 14 - probe.Canvas()->TextWidth(cjk[i]) / 2) << i;
  }
  // 1 March 2009 is a Sunday: first column, first week row; the 12th framed in the text colour.
  const TPoint one = CellCentre(c, 1, 0), twelve = CellCentre(c, 2, 4);
  EXPECT_EQ(c->DayNumFromPoint(one.X, one.Y), 1);
  EXPECT_EQ(c->DayNumFromPoint(twelve.X, twelve.Y), 12);
  const int frameTop = c->SeparatorY() + 3 + c->CellHeight();
  EXPECT_EQ(Px(c, twelve.X, frameTop), ColorToRGB(c->DefaultFont()->Color()));
  EXPECT_EQ(Px(c, 100, c->SeparatorY()), ColorToRGB(c->DefaultFont()->Color())) << "separator line";
  EXPECT_EQ(Px(c, 0, 0), ColorToRGB(clBtnShadow)) << "the panel's frame";
  Gallery(c, "bsCalendar", "default");

  // Three-letter names show whole, not as an empty row; Monday first moves Sunday to the last column.
  UseEnglish();
  c->SetFirstDayOfWeek(bs::Mon);
  log = Texts(c);
  EXPECT_NE(Find(log, "March, 2009"), nullptr);
  ASSERT_NE(Find(log, "Sun"), nullptr);
  EXPECT_EQ(Find(log, "Sun")->x, 2 + 6 * 28 + 14 - probe.Canvas()->TextWidth("Sun") / 2);
  EXPECT_EQ(Find(log, "Mon")->x, 2 + 14 - probe.Canvas()->TextWidth("Mon") / 2);
  EXPECT_EQ(bsShortDayHeader("Wednesday"), "Wed");
  EXPECT_EQ(bsShortDayHeader("周三"), "三");
  EXPECT_EQ(bsShortDayHeader(AnsiString("ab\xd6")), "ab") << "half a character is none";
  EXPECT_EQ(bsShortDayHeader(AnsiString("\xd6\xdc\xc8")), "\xd6\xdc");
  Gallery(c, "bsCalendar", "default-english");
}

TEST_F(CalendarTest, TheFirstOfEveryMonthLandsInItsColumnForEveryFirstWeekday) {
  auto* c = NewCalendar(D(2009, 3, 1));
  ShowUnfocused();
  // Months of 2009 starting on each weekday: Feb (Sun), Jun (Mon), Sep (Tue), Apr (Wed), Jan (Thu),
  // May (Fri), Aug (Sat).
  const int months[7] = { 2, 6, 9, 4, 1, 5, 8 };
  for (int first = 0; first < 7; ++first)
    for (int start = 0; start < 7; ++start) {
      c->SetFirstDayOfWeek(static_cast<TbsDaysOfWeek>(first));
      c->SetDate(D(2009, months[start], 15));
      const int column = (start - first + 7) % 7;
      EXPECT_EQ(1 - c->GetMonthOffset(), column) << first << " " << start;
      const TPoint p = CellCentre(c, 1, column);
      EXPECT_EQ(c->DayNumFromPoint(p.X, p.Y), 1) << first << " " << start;
    }
  // A 31-day month starting in the last column fills six rows: August 2009 from Sunday.
  c->SetFirstDayOfWeek(bs::Sun);
  c->SetDate(D(2009, 8, 3));
  const TPoint last = CellCentre(c, 6, 1);
  EXPECT_EQ(c->DayNumFromPoint(last.X, last.Y), 31);
  // Every month's last day is drawn, and no day after it.
  for (auto [date, lastDay, next] :
       { std::tuple { D(2009, 8, 3), "31", "32" }, std::tuple { D(2009, 2, 3), "28", "29" },
         std::tuple { D(2008, 2, 3), "29", "30" } }) {
    c->SetDate(date);
    const auto log = Texts(c);
    EXPECT_NE(Find(log, lastDay), nullptr) << lastDay;
    EXPECT_EQ(Find(log, next), nullptr) << next;
  }
  c->SetDate(D(2009, 8, 3));
  // Cell edges as PtInRect: the left edge is in, the right edge is the next cell's.
  const TPoint p = CellCentre(c, 2, 3);
  const int left = p.X - c->CellWidth() / 2;
  EXPECT_EQ(c->DayNumFromPoint(left, p.Y), 5);
  EXPECT_EQ(c->DayNumFromPoint(left + c->CellWidth(), p.Y), 6);
  EXPECT_EQ(c->DayNumFromPoint(p.X, c->SeparatorY() - 4), 0) << "the day-name row";
  EXPECT_EQ(c->DayNumFromPoint(CellCentre(c, 1, 0).X, CellCentre(c, 1, 0).Y), 0) << "blank before the 1st";
}

TEST_F(CalendarTest, ButtonsAndKeysStepMonthsAndYearsWithTheDayClampedAndTheYearsBounded) {
  auto* c = NewCalendar(D(2009, 3, 31));
  ShowUnfocused();
  int clicks = 0;
  c->OnClick = On<TNotifyEvent>([&](TObject*) { ++clicks; });
  struct Step {
    TDateTime from;
    TControl* button;
    const char* to;
  };
  const Step steps[] = {
    { D(2009, 3, 31), c->PriorMonthButton(), "2009-02-28" }, { D(2008, 1, 31), c->NextMonthButton(), "2008-02-29" },
    { D(2008, 2, 29), c->NextYearButton(), "2009-02-28" },   { D(2008, 2, 29), c->PriorYearButton(), "2007-02-28" },
    { D(2009, 12, 15), c->NextMonthButton(), "2010-01-15" }, { D(2010, 1, 15), c->PriorMonthButton(), "2009-12-15" },
    { D(9999, 12, 15), c->NextMonthButton(), "9999-01-15" }, { D(9999, 6, 15), c->NextYearButton(), "9999-06-15" },
    { D(1761, 1, 15), c->PriorMonthButton(), "1761-12-15" }, { D(1761, 5, 1), c->PriorYearButton(), "1761-05-01" },
    { D(9998, 6, 15), c->NextYearButton(), "9999-06-15" },   { D(1762, 5, 1), c->PriorYearButton(), "1761-05-01" },
  };
  for (const Step& s : steps) {
    c->SetDate(s.from);
    ClickButton(s.button);
    EXPECT_EQ(Ymd(c->Date()), s.to) << Ymd(s.from);
  }
  EXPECT_EQ(clicks, 12) << "every press clicks the calendar, a refused year step too";
  // The month on show follows: the caption names it.
  c->SetDate(D(2009, 12, 15));
  ClickButton(c->NextMonthButton());
  EXPECT_NE(Find(Texts(c), "一月, 2010"), nullptr);

  // Held down, the month steps four times a second and once more at the release; the year ten times.
  c->SetDate(D(2009, 1, 15));
  TPoint p = Centre(c->NextMonthButton());
  xt::MouseDown(xt::mbLeft, p.X, p.Y);
  xt::Advance(1000);
  xt::MouseUp(xt::mbLeft, p.X, p.Y);
  EXPECT_EQ(Ymd(c->Date()), "2009-06-15");
  p = Centre(c->PriorYearButton());
  xt::MouseDown(xt::mbLeft, p.X, p.Y);
  xt::Advance(1000);
  xt::MouseUp(xt::mbLeft, p.X, p.Y);
  EXPECT_EQ(Ymd(c->Date()), "1998-06-15");

  // Keys, with the calendar focused: Page Up / Down the month, with Ctrl the year.
  c->SetTabStop(true);
  c->SetFocus();
  xt::PumpUntilIdle();
  Press(VK_NEXT);
  EXPECT_EQ(Ymd(c->Date()), "1998-07-15");
  Press(VK_PRIOR, xt::ssCtrl);
  EXPECT_EQ(Ymd(c->Date()), "1997-07-15");
  Press(VK_PRIOR);
  Press(VK_NEXT, xt::ssCtrl);
  EXPECT_EQ(Ymd(c->Date()), "1998-06-15");

  // Any delta: months carry into the year, years add wide and never wrap into range.
  c->SetDate(D(2009, 2, 28));
  c->OffsetMonth(-3);
  EXPECT_EQ(Ymd(c->Date()), "2008-11-28");
  c->OffsetMonth(13);
  EXPECT_EQ(Ymd(c->Date()), "2009-12-28");
  c->OffsetMonth(-24);
  EXPECT_EQ(Ymd(c->Date()), "2007-12-28");
  c->OffsetMonth(INT_MIN);
  EXPECT_EQ(Ymd(c->Date()).substr(0, 4), "2007") << "beyond the years: the year stays";
  c->OffsetYear(65536 + 1);
  EXPECT_EQ(Ymd(c->Date()).substr(0, 4), "2007") << "no 16-bit wrap to 2008";
  c->OffsetYear(INT_MAX);
  c->OffsetYear(INT_MIN);
  EXPECT_EQ(Ymd(c->Date()).substr(0, 4), "2007");
  // Dates the calendar cannot show are refused.
  const TDateTime kept = c->Date();
  for (TDateTime bad : { D(1760, 12, 31), D(1, 1, 1), std::nan(""), 1e12, -1e12 }) c->SetDate(bad);
  EXPECT_EQ(c->Date(), kept);
}

TEST_F(CalendarTest, ALeftClickOnADayPicksItAndNothingElseDoes) {
  auto* c = NewCalendar(D(2009, 5, 20) + 0.75);
  ShowUnfocused();
  int picks = 0;
  c->OnNumberClick = On<TNotifyEvent>([&](TObject* Sender) {
    EXPECT_EQ(Sender, c);
    ++picks;
  });
  // May 2009 starts on a Friday: the 12th is in row 3, column 2.
  xt::PumpUntilIdle();
  TPoint p = CellCentre(c, 3, 2);
  ClickAt(c, p.X, p.Y, xt::mbRight);
  EXPECT_EQ(picks, 0);
  ClickAt(c, p.X, p.Y);
  EXPECT_EQ(picks, 1);
  EXPECT_EQ(c->Date(), D(2009, 5, 12)) << "no time part";
  // A blank cell, the day names, the caption: nothing.
  p = CellCentre(c, 1, 0);
  ClickAt(c, p.X, p.Y);
  ClickAt(c, p.X, c->SeparatorY() - 5);
  ClickAt(c, 100, 6);
  EXPECT_EQ(picks, 1);
  EXPECT_EQ(c->Date(), D(2009, 5, 12));

  // Too small for the grid: cells of at least a pixel, no days drawn, none hit.
  c->SetHeight(50);
  auto log = Texts(c);
  EXPECT_EQ(Find(log, "12"), nullptr);
  EXPECT_GE(c->CellHeight(), 1);
  for (int y = 0; y < 50; y += 3)
    for (int x = 0; x < 200; x += 7) ASSERT_EQ(c->DayNumFromPoint(x, y), 0) << x << "," << y;
  c->SetBounds(10, 10, 6, 6);
  Texts(c);
  EXPECT_GE(c->CellWidth(), 1);
}

TEST_F(CalendarTest, ThreeLooksFollowTheSkinChangesTheFormMakes) {
  auto* c = NewCalendar(D(2009, 3, 12));
  ShowUnfocused();
  LoadTestSkin();
  c->SetSkinData(skin);
  xt::PumpUntilIdle();
  auto* label = dynamic_cast<TbsDataSkinStdLabelControl*>(
      static_cast<TbsDataSkinControl*>(skin->CtrlList->Items(skin->GetControlIndex("stdlabel"))));
  ASSERT_NE(label, nullptr);
  const TColor dayColour = label->FontColor, captionColour = label->ActiveFontColor;
  ASSERT_NE(dayColour, captionColour);
  EXPECT_EQ(c->DayFontColor, dayColour);
  EXPECT_EQ(c->CaptionFontColor, captionColour);
  auto log = Texts(c);
  ASSERT_NE(Find(log, "12"), nullptr);
  EXPECT_EQ(Find(log, "12")->color, COLORREF(dayColour)) << "days in the label's colour";
  ASSERT_NE(Find(log, "三月, 2009"), nullptr);
  EXPECT_EQ(Find(log, "三月, 2009")->color, COLORREF(captionColour)) << "the caption in its active one";
  EXPECT_EQ(Code(c, 1, 1).owner, OwnerOf("panel"));
  EXPECT_EQ(Code(c->PriorYearButton(), 0, 0).owner, OwnerOf("resizebutton")) << "the buttons took the skin too";
  // Inside the skin's client rectangle: the buttons and the grid move with it.
  TRect r(0, 0, 200, 150);
  c->AdjustClientRect(r);
  EXPECT_GT(r.Top, 1);
  EXPECT_EQ(c->PriorYearButton()->Left(), r.Left + 1);
  EXPECT_EQ(c->PriorYearButton()->Top(), r.Top + 1);
  EXPECT_EQ(c->NextYearButton()->Left(), r.Right - 21);
  const TPoint twelve = CellCentre(c, 2, 4);
  EXPECT_EQ(c->DayNumFromPoint(twelve.X, twelve.Y), 12);
  Gallery(c, "bsCalendar", "test");

  // The panel's background picture (here the tool panel's) stays under the days.
  auto record = [&](const char* name) {
    return dynamic_cast<TbsDataSkinPanelControl*>(
        static_cast<TbsDataSkinControl*>(skin->CtrlList->Items(skin->GetControlIndex(name))));
  };
  ASSERT_NE(record("toolpanel"), nullptr);
  ASSERT_NE(record("toolpanel")->BGPictureIndex, -1);
  record("panel")->BGPictureIndex = record("toolpanel")->BGPictureIndex;
  c->Repaint();
  EXPECT_EQ(Code(c, 1, 1).owner, mkskin::kOwnerTile);
  EXPECT_NE(Find(Texts(c), "12"), nullptr);
  record("panel")->BGPictureIndex = -1;

  // The second skin, as the form engine switches it: another panel face, buttons without a picture
  // draw their own, and without a "stdlabel" the colours stay.
  LoadSecondSkin();
  xt::PumpUntilIdle();
  EXPECT_EQ(Code(c, 1, 1).owner, OwnerOf("panel"));
  ASSERT_NE(OwnerOf("resizebutton"), 0);
  EXPECT_NE(Code(c->PriorYearButton(), 0, 0).owner, OwnerOf("resizebutton")) << "no picture: the button's own look";
  EXPECT_EQ(c->DayFontColor, dayColour);
  EXPECT_EQ(c->CaptionFontColor, captionColour);
  TRect r2(0, 0, 200, 150);
  c->AdjustClientRect(r2);
  EXPECT_NE(r2, r);
  EXPECT_EQ(c->PriorYearButton()->Left(), r2.Left + 1);
  Gallery(c, "bsCalendar", "second");

  // No skin: the default look again.
  c->SetSkinData(nullptr);
  xt::PumpUntilIdle();
  log = Texts(c);
  EXPECT_EQ(Px(c, 0, 0), ColorToRGB(clBtnShadow));
  ASSERT_NE(Find(log, "12"), nullptr);
  EXPECT_EQ(Find(log, "12")->color, ColorToRGB(c->DefaultFont()->Color()));
}

// ---- Date edit --------------------------------------------------------------------------------------------

TEST_F(CalendarTest, DigitsOverwriteTheDateFieldByFieldAtEveryCaretPosition) {
  auto* e = NewDateEdit(10, 10, D(2009, 5, 9));
  EXPECT_EQ(e->Text(), "2009-05-09");
  EXPECT_EQ(e->MaxLength(), 10);
  int dateChanges = 0, changes = 0;
  e->OnDateChange = On<TNotifyEvent>([&](TObject*) { ++dateChanges; });
  e->OnChange = On<TNotifyEvent>([&](TObject*) { ++changes; });
  ShowUnfocused();
  e->SetFocus();
  xt::PumpUntilIdle();
  // Key 1 at each caret position: the digit after the caret (after a separator there) is replaced.
  const char* expected[11] = { "1009-05-09", "2109-05-09", "2019-05-09", "2001-05-09", "2009-15-09", "2009-15-09",
                               "2009-01-09", "2009-05-19", "2009-05-19", "2009-05-01", "2009-05-09" };
  for (int pos = 0; pos <= 10; ++pos) {
    e->SetText("2009-05-09");
    e->SetSelStart(pos);
    e->SetSelLength(0);
    xt::TypeText("1");
    EXPECT_EQ(e->Text(), expected[pos]) << pos;
  }
  // 2009-15-09 fails the check (month 15); 1009 is outside the years: neither moved the date.
  e->SetDate(D(2009, 5, 9));
  dateChanges = 0;
  e->SetSelStart(4);
  xt::TypeText("1");
  EXPECT_EQ(e->Text(), "2009-15-09");
  EXPECT_EQ(e->Date(), D(2009, 5, 9));
  EXPECT_EQ(dateChanges, 0);
  // Caret before the 5, key 6: 9 June, reported once.
  e->SetText("2009-05-09");
  changes = 0;
  e->SetSelStart(6);
  xt::TypeText("6");
  EXPECT_EQ(e->Text(), "2009-06-09");
  EXPECT_EQ(e->Date(), D(2009, 6, 9));
  EXPECT_EQ(dateChanges, 1);
  EXPECT_EQ(changes, 1);
  // Field by field to another date: the caret walks over the separators.
  e->SetSelStart(0);
  xt::TypeText("19991231");
  EXPECT_EQ(e->Text(), "1999-12-31");
  EXPECT_EQ(e->Date(), D(1999, 12, 31));
  // Not digits, Enter, Backspace: a beep, no change; Delete, cut and paste do nothing.
  beeps = 0;
  e->SetSelStart(2);
  xt::TypeText("a-/ ");
  xt::KeyPress(VK_RETURN);
  xt::KeyPress(VK_BACK);
  EXPECT_EQ(beeps, 6);
  xt::KeyPress(VK_DELETE);
  e->SelectAll();
  Clipboard()->SetAsText("2001-01-01");
  SendMessageA(e->Handle(), WM_PASTE, 0, 0);
  SendMessageA(e->Handle(), WM_CUT, 0, 0);
  EXPECT_EQ(e->Text(), "1999-12-31");
  // Ctrl+C copies the whole selection: the clipboard shortcut does not narrow it.
  e->SelectAll();
  xt::KeyPress('C', xt::ssCtrl);
  EXPECT_EQ(Clipboard()->AsText(), "1999-12-31");
  EXPECT_EQ(e->Date(), D(1999, 12, 31));
}

TEST_F(CalendarTest, BadTextsAndDatesLeaveTheDateAloneWithoutAnError) {
  auto* e = NewDateEdit(10, 10, D(2009, 5, 9));
  int dateChanges = 0;
  e->OnDateChange = On<TNotifyEvent>([&](TObject*) { ++dateChanges; });
  struct Case {
    const char* text;
    bool valid;
  };
  const Case cases[] = {
    { "2009-02-28", true },  { "2009-02-31", true },     { "2009-13-01", false }, { "2009-00-10", false },
    { "2009-01-00", false }, { "0000-01-01", false },    { "2009-01-32", false }, { "2009--01", false },
    { "2009-01", false },    { "2009-01-01-01", false }, { "", false },           { "abcd-01-01", false },
    { "2009-0x-01", false }, { "-2009-01-01", false },   { "1760-12-31", true },  { "99999-01-01", false },
    { "2009-1-1", true },
  };
  for (const Case& c : cases) EXPECT_EQ(e->IsValidText(c.text), c.valid) << c.text;
  // None of these is a day of 1761..9999: the date stays and nothing is reported or raised.
  for (const char* bad : { "2009-02-31", "2009-13-01", "1760-12-31", "abcd-01-01", "2009-01", "", "2009--01" }) {
    EXPECT_NO_THROW(e->SetText(bad)) << bad;
    EXPECT_EQ(e->Date(), D(2009, 5, 9)) << bad;
  }
  EXPECT_EQ(dateChanges, 0);
  e->SetText("1761-01-01");
  EXPECT_EQ(e->Date(), D(1761, 1, 1));
  e->SetText("9999-12-31");
  EXPECT_EQ(e->Date(), D(9999, 12, 31));
  EXPECT_EQ(dateChanges, 2);
  // Out of range from the program: refused, no event.
  for (TDateTime bad : { D(1760, 12, 31), std::nan(""), 1e9 }) e->SetDate(bad);
  EXPECT_EQ(e->Date(), D(9999, 12, 31));
  EXPECT_EQ(dateChanges, 2);
  e->SetDate(e->Date());
  EXPECT_EQ(dateChanges, 3) << "setting the same date still reports";
  // Leaving the edit with a text that never formed a date shows the date again.
  ShowUnfocused();
  e->SetFocus();
  xt::PumpUntilIdle();
  e->SetText("2009-02-31");
  FocusHolder()->SetFocus();
  xt::PumpUntilIdle();
  EXPECT_EQ(e->Text(), "9999-12-31");
}

TEST_F(CalendarTest, TheTextIsFixedWidthInTheLocaleOrderAndSeparator) {
  // Month, day, year with a slash, whatever the widths the locale's own format uses.
  ShortDateFormat = "m/d/yy";
  DateSeparator = '/';
  auto* e = NewDateEdit(10, 10, D(1999, 1, 5));
  EXPECT_EQ(e->Text(), "01/05/1999");
  EXPECT_EQ(e->MaxLength(), 10);
  e->SetDate(D(2010, 12, 25));
  EXPECT_EQ(e->Text(), "12/25/2010");
  EXPECT_TRUE(e->IsValidText("02/28/2010"));
  EXPECT_FALSE(e->IsValidText("13/28/2010"));
  ShowUnfocused();
  e->SetFocus();
  xt::PumpUntilIdle();
  e->SetSelStart(0);
  xt::TypeText("0704");
  EXPECT_EQ(e->Text(), "07/04/2010");
  EXPECT_EQ(e->Date(), D(2010, 7, 4));
  // A one-digit month grows to two digits in place: every field keeps its width.
  e->SetDate(D(2010, 1, 1));
  e->SetSelStart(0);
  xt::TypeText("11");
  EXPECT_EQ(e->Date(), D(2010, 11, 1));
}

TEST_F(CalendarTest, TheDropDownPicksCancelsAndKeepsTheFormActive) {
  auto* e = NewDateEdit(10, 10, D(2009, 5, 9));
  auto* other = new TEdit(form);
  other->SetParent(form);
  other->SetBounds(10, 200, 80, 20);
  int dateChanges = 0, changes = 0;
  e->OnDateChange = On<TNotifyEvent>([&](TObject*) { ++dateChanges; });
  e->OnChange = On<TNotifyEvent>([&](TObject*) { ++changes; });
  ShowUnfocused();
  TbsSkinPopupMonthCalendar* cal = e->MonthCalendar();
  ButtonOnEdit(e);
  ASSERT_TRUE(cal->Visible());
  EXPECT_TRUE(form->Active());
  EXPECT_TRUE(e->Focused()) << "the button gives the edit the focus, the calendar never takes it";
  const xt::WindowInfo info = xt::Info(cal->Handle());
  EXPECT_EQ(info.style & (WS_POPUP | WS_CHILD), DWORD(WS_POPUP));
  EXPECT_NE(info.exStyle & WS_EX_TOOLWINDOW, 0u);
  RECT er {};
  GetWindowRect(e->Handle(), &er);
  EXPECT_EQ(info.window.left, er.left);
  EXPECT_EQ(info.window.top, er.bottom);
  EXPECT_EQ(info.window.right - info.window.left, 200);
  WindowGallery(cal->Handle(), "bsCalendar-TbsSkinPopupMonthCalendar-default.png");

  // Picking a day: closed, the date in the text, OnChange and OnDateChange once each; focus kept.
  xt::PumpUntilIdle();
  TPoint p = cal->ClientToScreen(CellCentre(cal, 3, 2));  // May 2009: the 12th
  xt::Click(p.X, p.Y);
  EXPECT_FALSE(cal->Visible());
  EXPECT_EQ(e->Text(), "2009-05-12");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(dateChanges, 1);
  EXPECT_TRUE(form->Active());
  EXPECT_TRUE(e->Focused());

  // Months stepped and then every way of cancelling: the text and the date as they were, no event.
  struct Cancel {
    const char* what;
    std::function<void()> how;
  };
  const Cancel cancels[] = {
    { "button", [&] { ButtonOnEdit(e); } },
    { "key", [&] { Press(VK_ESCAPE); } },
    { "focus",
      [&] {
        other->SetFocus();
        xt::PumpUntilIdle();
        EXPECT_TRUE(other->Focused()) << "closing on focus loss does not pull the focus back";
      } },
    { "click elsewhere", [&] { ClickAt(form, 300, 120); } },
  };
  for (const Cancel& c : cancels) {
    SCOPED_TRACE(c.what);
    e->SetFocus();
    xt::PumpUntilIdle();
    ButtonOnEdit(e);
    ASSERT_TRUE(cal->Visible());
    ClickButton(cal->NextMonthButton());
    ClickButton(cal->NextYearButton());
    ASSERT_TRUE(cal->Visible()) << "a click on the calendar's buttons leaves it open";
    EXPECT_EQ(Ymd(cal->Date()), "2010-06-12");
    c.how();
    EXPECT_FALSE(cal->Visible());
    EXPECT_EQ(Ymd(e->Date()), "2009-05-12");
    EXPECT_EQ(e->Text(), "2009-05-12");
    EXPECT_EQ(dateChanges, 1);
  }
  // Picking the day that was already the date: no OnDateChange.
  e->SetFocus();
  ButtonOnEdit(e);
  p = cal->ClientToScreen(CellCentre(cal, 3, 2));
  xt::Click(p.X, p.Y);
  EXPECT_EQ(dateChanges, 1);
  // Enter with the calendar open: the key closes it, then beeps.
  ButtonOnEdit(e);
  beeps = 0;
  xt::KeyPress(VK_RETURN);
  EXPECT_FALSE(cal->Visible());
  EXPECT_EQ(beeps, 1);
}

TEST_F(CalendarTest, TheDropDownStaysInsideTheWorkAreaAtEveryEdge) {
  auto* e = NewDateEdit(10, 200, D(2009, 5, 9));
  ShowUnfocused();
  e->SetFocus();
  TbsSkinPopupMonthCalendar* cal = e->MonthCalendar();
  RECT er {};
  GetWindowRect(e->Handle(), &er);
  enum Edge { kBottom, kTop, kRight, kLeft, kNeither };
  struct Case {
    Edge edge;
    RECT work;
  };
  const Case cases[] = {
    { kBottom, { 0, 0, 1024, er.bottom + 100 } },
    { kTop, { 0, er.top - 5, 1024, 768 } },
    { kRight, { 0, 0, er.left + 150, 768 } },
    { kLeft, { er.left + 30, 0, 1024, 768 } },
    { kNeither, { 0, er.top - 60, 1024, er.bottom + 60 } },
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.edge);
    xt::SetScreen(1024, 768, c.work);
    e->DropDown();
    RECT cr {};
    GetWindowRect(cal->Handle(), &cr);
    EXPECT_EQ(cr.right - cr.left, 200);
    EXPECT_GE(cr.top, c.work.top);
    EXPECT_GE(cr.left, c.work.left);
    EXPECT_LE(cr.right, c.work.right);
    switch (c.edge) {
      case kBottom:
        EXPECT_EQ(cr.bottom, er.top) << "above the edit";
        break;
      case kTop:
        EXPECT_EQ(cr.top, er.bottom);
        break;
      case kRight:
        EXPECT_EQ(cr.right, c.work.right);
        break;
      case kLeft:
        EXPECT_EQ(cr.left, c.work.left);
        break;
      case kNeither:
        EXPECT_EQ(cr.top, c.work.top) << "held at the top of the work area";
        break;
    }
    e->CloseUp(false);
    EXPECT_FALSE(IsWindowVisible(cal->Handle()));
  }
}

TEST_F(CalendarTest, TheFadeRunsInsideDropDownWithoutRunningQueuedInput) {
  auto* e = NewDateEdit(10, 10, D(2009, 5, 9));
  ShowUnfocused();
  e->SetFocus();
  xt::PumpUntilIdle();
  e->SetAlphaBlend(true);
  e->SetAlphaBlendAnimation(true);
  e->SetAlphaBlendValue(200);
  TbsSkinPopupMonthCalendar* cal = e->MonthCalendar();
  // A click queued before the drop-down would close it if anything pumped inside DropDown.
  const TPoint away = form->ClientToScreen(TPoint(300, 120));
  xt::MouseDown(xt::mbLeft, away.X, away.Y, false);
  xt::MouseUp(xt::mbLeft, away.X, away.Y, false);
  e->DropDown();
  xt::WindowInfo info = xt::Info(cal->Handle());
  EXPECT_TRUE(cal->Visible()) << "still open: nothing queued ran";
  EXPECT_TRUE(info.layered);
  EXPECT_EQ(info.alpha, 200);
  xt::PumpUntilIdle();
  EXPECT_FALSE(cal->Visible()) << "the queued click closes it afterwards";
  EXPECT_FALSE(xt::Info(cal->Handle()).layered);
  // Without the animation the value is given at once.
  e->SetAlphaBlendAnimation(false);
  e->SetAlphaBlendValue(77);
  e->DropDown();
  info = xt::Info(cal->Handle());
  EXPECT_TRUE(info.layered);
  EXPECT_EQ(info.alpha, 77);
}

TEST_F(CalendarTest, TheDateEditLooksAndReadsBack) {
  auto* e = NewDateEdit(10, 10, D(2009, 5, 9));
  ShowUnfocused();
  Gallery(e, "bsSkinBoxCtrls", "default");
  LoadTestSkin();
  e->SetSkinData(skin);
  xt::PumpUntilIdle();
  EXPECT_EQ(e->SkinObjectIndex(), skin->GetControlIndex("buttonedit"));
  Gallery(e, "bsSkinBoxCtrls", "test");
  // The calendar takes the edit's skin when it drops down.
  e->DropDown();
  xt::PumpUntilIdle();
  EXPECT_EQ(e->MonthCalendar()->SkinData(), skin);
  EXPECT_EQ(Decode(xt::ReadPixel(e->MonthCalendar()->Handle(), 1, 1)).owner, OwnerOf("panel"));
  WindowGallery(e->MonthCalendar()->Handle(), "bsCalendar-TbsSkinPopupMonthCalendar-test.png");
  e->CloseUp(false);
  // The second skin has no "buttonedit": the default look, and the calendar follows the switch too.
  LoadSecondSkin();
  xt::PumpUntilIdle();
  EXPECT_EQ(e->SkinObjectIndex(), -1);
  EXPECT_EQ(e->Text(), "2009-05-09");
  EXPECT_EQ(e->MonthCalendar()->SkinObjectIndex(), skin->GetControlIndex("panel"));
  Gallery(e, "bsSkinBoxCtrls", "second");
  e->DropDown();
  xt::PumpUntilIdle();
  EXPECT_EQ(Decode(xt::ReadPixel(e->MonthCalendar()->Handle(), 1, 1)).owner, OwnerOf("panel"));
  e->CloseUp(false);

  // Streaming: what the constructor sets is what reads back, and set values survive.
  auto* a = new TCalendarForm(nullptr);
  Keep(a);
  auto* de = new TbsSkinDateEdit(a);
  de->SetName("DateEdit1");
  de->SetParent(a);
  de->SetDate(D(2012, 2, 29) + 0.5);
  de->SetFirstDayOfWeek(bs::Wed);
  de->SetCalendarWidth(230);
  de->SetAlphaBlendValue(150);
  auto* mc = new TbsSkinMonthCalendar(a);
  mc->SetName("Cal1");
  mc->SetParent(a);
  mc->SetDate(D(1800, 7, 4));
  mc->SetFirstDayOfWeek(bs::Sat);
  // TodayDefault wins over a date read before it.
  auto* today = new TbsSkinMonthCalendar(a);
  today->SetName("Cal2");
  today->SetParent(a);
  today->SetTodayDefault(true);
  today->SetDate(D(1800, 7, 4));
  const AnsiString text = WriteComponentResource(a);
  auto* b = new TCalendarForm(nullptr);
  Keep(b);
  ReadComponentResource(b, text);
  auto* de2 = dynamic_cast<TbsSkinDateEdit*>(b->FindComponent("DateEdit1"));
  auto* mc2 = dynamic_cast<TbsSkinMonthCalendar*>(b->FindComponent("Cal1"));
  ASSERT_NE(de2, nullptr) << text;
  ASSERT_NE(mc2, nullptr) << text;
  EXPECT_EQ(de2->Date(), D(2012, 2, 29) + 0.5);
  EXPECT_EQ(de2->Text(), "2012-02-29");
  EXPECT_EQ(de2->FirstDayOfWeek(), bs::Wed);
  EXPECT_EQ(de2->CalendarWidth(), 230);
  EXPECT_EQ(de2->AlphaBlendValue(), 150);
  EXPECT_EQ(de2->MaxLength(), 10);
  EXPECT_EQ(mc2->Date(), D(1800, 7, 4));
  EXPECT_EQ(mc2->FirstDayOfWeek(), bs::Sat);
  EXPECT_EQ(mc2->BorderStyle(), bs::bvFrame);
  auto* today2 = dynamic_cast<TbsSkinMonthCalendar*>(b->FindComponent("Cal2"));
  ASSERT_NE(today2, nullptr);
  EXPECT_EQ(today2->Date(), Now());
  today2->SetDate(D(1800, 7, 4));
  EXPECT_EQ(WriteComponentResource(b), text);
}
