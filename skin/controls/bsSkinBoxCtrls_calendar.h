#pragma once
// The skinned month calendar (one month, stepped by months and years, a day picked with the mouse), its
// drop-down twin, and the date edit: a fixed-width date typed digit by digit over its separators, with a
// button that drops the calendar down under it.

#include "skin/controls/bsSkinBoxCtrls_dropdown.h"
#include "skin/controls/bsSkinBoxCtrls_edits.h"
#include "skin/controls/bsSkinCtrls_panel.h"

class TbsSkinSpeedButton;

// Sun .. Sat are short names: they live in a namespace of their own (bs::Mon).
namespace bs {
enum TbsDaysOfWeek : uint8_t { Sun, Mon, Tue, Wed, Thu, Fri, Sat };
}  // namespace bs
using bs::TbsDaysOfWeek;
template <>
struct TEnumTraits<TbsDaysOfWeek> {
  static constexpr const char* Name = "TbsDaysOfWeek";
  static constexpr const char* Names = "Sun, Mon, Tue, Wed, Thu, Fri, Sat";
  static constexpr TbsDaysOfWeek Values[] = { bs::Sun, bs::Mon, bs::Tue, bs::Wed, bs::Thu, bs::Fri, bs::Sat };
};

// The years the calendar steps through and the date edit accepts.
constexpr int kbsCalendarMinYear = 1761;
constexpr int kbsCalendarMaxYear = 9999;
// Whether D is a date of those years (not NaN, not out of range).
bool bsIsCalendarDate(TDateTime D);
// The day-name header of a column: the last character of a double-byte name (日 of 星期日), the first
// three letters of any other; whole characters always.
AnsiString bsShortDayHeader(const AnsiString& Name);

class TbsSkinMonthCalendar : public TbsSkinPanel {
  XJ_CLASS(TbsSkinMonthCalendar, TbsSkinPanel)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinMonthCalendar(TComponent* AOwner);
  ~TbsSkinMonthCalendar() override;

  TDateTime Date() const { return FDate; }
  // Stores a date of 1761..9999 and repaints; any other value is refused.
  void SetDate(TDateTime Value);
  bool TodayDefault() const { return FTodayDefault; }
  void SetTodayDefault(bool Value);
  TbsDaysOfWeek FirstDayOfWeek() const { return FFirstDayOfWeek; }
  void SetFirstDayOfWeek(TbsDaysOfWeek Value);
  void SetCaptionMode(bool Value) override;
  void SetDefaultCaptionHeight(int Value) override;

  TNotifyEvent OnNumberClick;

  // Months carry into the year; where the year would leave 1761..9999 it stays and the month wraps
  // within it (December 9999 forward is January 9999).
  void OffsetMonth(int Delta);
  // Outside 1761..9999 nothing changes. The day is clamped to the target month in both.
  void OffsetYear(int Delta);
  // The day number of the grid's first column in its first week row (-5 .. 1).
  int GetMonthOffset() const;
  int DaysThisMonth() const;
  // The day under a client point, as the last paint laid the grid out; 0 for none.
  WORD DayNumFromPoint(int X, int Y);
  void DrawCalendar(TCanvas* Canvas);
  void ArangeControls();
  void UpdateCalendar() { Repaint(); }

  void NextMButtonClick(TObject* Sender);
  void PriorMButtonClick(TObject* Sender);
  void NextYButtonClick(TObject* Sender);
  void PriorYButtonClick(TObject* Sender);

  TbsSkinSpeedButton* PriorMonthButton() const { return FButtons[0]; }
  TbsSkinSpeedButton* NextMonthButton() const { return FButtons[1]; }
  TbsSkinSpeedButton* PriorYearButton() const { return FButtons[2]; }
  TbsSkinSpeedButton* NextYearButton() const { return FButtons[3]; }

  // The grid of the last paint.
  int SeparatorY() const { return FSeparatorY; }
  int CellWidth() const { return FCellWidth; }
  int CellHeight() const { return FCellHeight; }
  // Taken from the skin's "stdlabel" record at each skin change.
  TColor DayFontColor { 0 };
  TColor CaptionFontColor { 0 };

  void SetSkinData(TbsSkinData* Value) override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void ChangeSkinData() override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Loaded() override;
  // The face and the days in one image, also over the panel's background picture.
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  // Page Up / Page Down step the month, with Ctrl the year.
  void KeyDown(WORD& Key, TShiftState Shift) override;

 private:
  // The calendar's area: the client rectangle the panel leaves inside its border.
  TRect InnerRect();
  // The cell of week row Row (0 .. 6) and column Col, as the grid of the last paint lays it.
  TRect CellRect(const TRect& R, int Row, int Col) const;
  // Y, M, D of Date: a valid day is always kept, so this never fails.
  void SetYMD(int Y, int M, int D);

  bool FTodayDefault { false };
  int FSeparatorY { 0 };
  int FCellWidth { 0 };
  int FCellHeight { 0 };
  bool FGridShown { false };  // the last paint had room for the day grid
  TbsOwnPress FDayPress;
  TbsSkinSpeedButton* FButtons[4] {};
  TDateTime FDate { 0 };
  TbsDaysOfWeek FFirstDayOfWeek { bs::Sun };
};

// The date edit's drop-down: the calendar in an owned tool window that never takes the activation.
class TbsSkinPopupMonthCalendar : public TbsSkinMonthCalendar {
  XJ_CLASS(TbsSkinPopupMonthCalendar, TbsSkinMonthCalendar)

 public:
  explicit TbsSkinPopupMonthCalendar(TComponent* AOwner);
  ~TbsSkinPopupMonthCalendar() override;
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
};

// A date as fixed-width text: year, month and day zero-padded (four, two and two digits) in the order of
// the locale's short date format, split by its date separator. Digits overwrite the text one by one
// while the separators stay; each text that names a day of 1761..9999 moves the calendar to it.
class TbsSkinDateEdit : public TbsSkinCustomEdit {
  XJ_CLASS(TbsSkinDateEdit, TbsSkinCustomEdit)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinDateEdit(TComponent* AOwner);
  ~TbsSkinDateEdit() override;

  TDateTime Date() const;
  // Shows Value and fires OnDateChange, even when it is unchanged; a date outside 1761..9999 is refused.
  void SetDate(TDateTime Value);
  bool TodayDefault() const { return FTodayDefault; }
  void SetTodayDefault(bool Value);
  TFont* CalendarFont() const;
  void SetCalendarFont(TFont* Value);
  int CalendarWidth() const;
  void SetCalendarWidth(int Value);
  int CalendarHeight() const;
  void SetCalendarHeight(int Value);
  TbsDaysOfWeek FirstDayOfWeek() const;
  void SetFirstDayOfWeek(TbsDaysOfWeek Value);
  bool AlphaBlend() const { return FAlphaBlend; }
  void SetAlphaBlend(bool Value) { FAlphaBlend = Value; }
  BYTE AlphaBlendValue() const { return FAlphaBlendValue; }
  void SetAlphaBlendValue(BYTE Value) { FAlphaBlendValue = Value; }
  bool AlphaBlendAnimation() const { return FAlphaBlendAnimation; }
  void SetAlphaBlendAnimation(bool Value) { FAlphaBlendAnimation = Value; }
  TbsSkinPopupMonthCalendar* MonthCalendar() const { return FMonthCalendar; }

  TNotifyEvent OnDateChange;

  // Places the calendar under the edit (above it, moved and clamped where the work area of the edit's
  // monitor ends) and shows it.
  void DropDown();
  // Hides the calendar; accepting takes its date into the text, cancelling gives it back the date it
  // had when it dropped down. OnDateChange reports an accepted date that differs from that one.
  void CloseUp(bool AcceptValue);
  // Three numeric fields, each within the largest the format holds, month and day above 0.
  bool IsValidText(const AnsiString& S) const;
  static bool IsValidChar(char Key);
  // Moves the calendar to the date the text names, when it names a day of 1761..9999.
  void CheckValidDate();
  // Selects the character after the caret (after the separator there), for the next digit to replace.
  void CheckSelect();
  // The control's text of a date.
  static AnsiString DateText(TDateTime D);

  void Dispatch(TMessage& Message) override;

 protected:
  void Loaded() override;
  void Change() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;

 private:
  void ButtonClick(TObject*);
  void CalendarClick(TObject*) { CloseUp(true); }
  void CloseUp(bool AcceptValue, bool TakeFocus);
  void ShowDate();  // the text from the calendar's date, as the control's own change
  bool CalendarShown() const;

  bool FSettingText { false };
  bool FAlphaBlend { false };
  BYTE FAlphaBlendValue { 0 };
  bool FAlphaBlendAnimation { false };
  bool FTodayDefault { false };
  TDateTime FDropDownDate { 0 };  // the calendar's date when it dropped down
  TbsDropDownWindow FDropDown;
  TbsSkinPopupMonthCalendar* FMonthCalendar { nullptr };
};
