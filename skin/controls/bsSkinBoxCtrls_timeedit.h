#pragma once
// The skinned time edit: a time of day typed into a fixed mask (hours, minutes, seconds and optionally
// milliseconds), with keys that would make the time invalid refused.

#include "skin/controls/bsSkinBoxCtrls_edits.h"

class TbsSkinTimeEdit : public TbsSkinMaskEdit {
  XJ_CLASS(TbsSkinTimeEdit, TbsSkinMaskEdit)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinTimeEdit(TComponent* AOwner);
  ~TbsSkinTimeEdit() override;

  bool ShowMilliseconds() const { return FShowMilliseconds; }
  // A change switches the mask and resets the text to zero.
  void SetShowMilliseconds(bool Value);
  // The time as milliseconds; 0 when the text holds none.
  int Milliseconds();
  // A negative count or one past 24:00:00.000 sets the zero text.
  void SetMilliseconds(int Value);
  AnsiString Time() { return Text(); }
  // A text that is no valid time (letters, 25:70:99) sets the zero text.
  void SetTime(const AnsiString& Value);
  // Raises the conversion error when the text holds no number where one belongs.
  void DecodeTime(WORD& Hour, WORD& Min, WORD& Sec, WORD& MSec);
  // Nothing happens for an invalid time.
  void EncodeTime(WORD Hour, WORD Min, WORD Sec, WORD MSec);
  static bool IsValidTime(WORD Hour, WORD Min, WORD Sec, WORD MSec);
  static bool IsValidChar(char Key) { return Key >= '0' && Key <= '9'; }
  // Blanks (unfilled positions) count as zeros.
  static void CheckSpace(AnsiString& S);

 private:
  void HandleOnKeyPress(TObject* Sender, char& Key);
  const char* ZeroText() const { return FShowMilliseconds ? "00:00:00.000" : "00:00:00"; }
  // The four fields of T (milliseconds 0 unless WithMSec); false when one is no number.
  static bool Parse(const AnsiString& T, bool WithMSec, int& H, int& M, int& S, int& Z);
  void SetFields(int H, int M, int S, int Z);

  bool FShowMilliseconds { false };
};
