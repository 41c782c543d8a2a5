#pragma once
// The skinned time edit: a time of day typed into a fixed mask (hours, minutes, seconds and optionally
// milliseconds), with keys that would make the time invalid refused; and the track edit: an integer
// typed or set with a track bar that drops down under it.

#include <algorithm>

#include "skin/controls/bsSkinBoxCtrls_dropdown.h"
#include "skin/controls/bsSkinBoxCtrls_edits.h"
#include "skin/controls/bsSkinCtrls_trackbar.h"

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

// The track edit's drop-down: a track bar in an owned tool window that never takes the activation.
class TbsSkinPopupTrackBar : public TbsSkinTrackBar {
  XJ_CLASS(TbsSkinPopupTrackBar, TbsSkinTrackBar)

 public:
  explicit TbsSkinPopupTrackBar(TComponent* AOwner);
  ~TbsSkinPopupTrackBar() override;
  void Dispatch(TMessage& Message) override;
  TbsDropDownWindow& Dropping() { return FDropping; }

 protected:
  void CreateParams(TCreateParams& Params) override;

 private:
  TbsDropDownWindow FDropping;
};

// An integer between MinValue and MaxValue (no bounds while they are equal), typed or set by the track
// bar its button drops down. The drop-down follows the value live and closes on a second button click,
// Esc, losing the focus or a click elsewhere.
class TbsSkinTrackEdit : public TbsSkinCustomEdit {
  XJ_CLASS(TbsSkinTrackEdit, TbsSkinCustomEdit)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinTrackEdit(TComponent* AOwner);
  ~TbsSkinTrackEdit() override;

  int Value() const { return FValue; }
  // Clamps, shows the value and fires OnChange, even when it is unchanged.
  void SetValue(int AValue);
  int MinValue() const { return FMinValue; }
  void SetMinValue(int Value) { FMinValue = Value; }
  int MaxValue() const { return FMaxValue; }
  void SetMaxValue(int Value) { FMaxValue = Value; }
  const AnsiString& TrackBarSkinDataName() const { return FTrackBarSkinDataName; }
  void SetTrackBarSkinDataName(const AnsiString& Value) { FTrackBarSkinDataName = Value; }
  bool AlphaBlend() const { return FAlphaBlend; }
  void SetAlphaBlend(bool Value) { FAlphaBlend = Value; }
  int AlphaBlendValue() const { return FAlphaBlendValue; }
  void SetAlphaBlendValue(int Value) { FAlphaBlendValue = std::clamp(Value, 0, 255); }
  bool AlphaBlendAnimation() const { return FAlphaBlendAnimation; }
  void SetAlphaBlendAnimation(bool Value) { FAlphaBlendAnimation = Value; }
  TbsSkinPopupTrackBar* PopupTrackBar() const { return FPopupTrackBar; }

  int CheckValue(int V) const;
  // Digits with at most one leading minus sign; empty or a lone "-" is none.
  static bool IsNumText(const AnsiString& S);
  bool IsValidChar(char Key) const;
  // Places the track bar under the edit (above it, or moved sideways, where the work area of the
  // edit's monitor ends) and shows it.
  void DropDown();
  void CloseUp();

  void Dispatch(TMessage& Message) override;

 protected:
  void Change() override;
  void KeyPress(char& Key) override;
  void Loaded() override;

 private:
  void ButtonClick(TObject*);
  void TrackBarChange(TObject*);
  // Takes a number typed or set into the text (clamped back into it when out of range); a text that is
  // no number this control can hold leaves Value.
  void TakeText(bool Notify);

  AnsiString FTrackBarSkinDataName { "htrackbar" };
  bool FStopCheck { false };
  int FMinValue { 0 };
  int FMaxValue { 100 };
  int FValue { 0 };
  bool FAlphaBlend { false };
  int FAlphaBlendValue { 0 };
  bool FAlphaBlendAnimation { false };
  TbsSkinPopupTrackBar* FPopupTrackBar { nullptr };
};
