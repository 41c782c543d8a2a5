#pragma once
// The skinned up-down: two arrow buttons stepping an integer Position between Min and Max by Increment,
// with press-and-hold repeat. It shows no number; its owner reads Position or listens to OnChange (the
// skinned tab controls use it as their scroll arrows).

#include "platform/vcl/ComCtrls_tabs.h"
#include "skin/controls/bsSkinCtrls_base.h"
#include "skin/controls/bsSkinCtrls_timers.h"

class TbsSkinUpDown : public TbsSkinCustomControl {
  XJ_CLASS(TbsSkinUpDown, TbsSkinCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  // The repeat of a held button: the first step after this wait, ...
  static constexpr int kFirstWait = 500;
  // ... then one step per interval, and this one after the pointer comes back onto the held button.
  static constexpr int kRepeatInterval = 100;
  static constexpr int kResumeInterval = 50;

  explicit TbsSkinUpDown(TComponent* AOwner);
  ~TbsSkinUpDown() override;

  TUDOrientation Orientation() const { return FOrientation; }
  // Changes the default layout; while designing it also picks the standard record name.
  void SetOrientation(TUDOrientation Value);
  int Increment() const { return FIncrement; }
  // 0 disables stepping (the click events still fire); a negative value swaps the directions.
  void SetIncrement(int Value) { FIncrement = Value; }
  int Position() const { return FPosition; }
  // A value outside Min..Max is dropped; any other is stored and reported, even when unchanged.
  void SetPosition(int Value);
  int Min() const { return FMin; }
  // The bounds pull Position into range silently.
  void SetMin(int Value);
  int Max() const { return FMax; }
  void SetMax(int Value);

  TNotifyEvent OnChange;
  TNotifyEvent OnUpButtonClick;
  TNotifyEvent OnDownButtonClick;

  // Button 0 steps up, button 1 down; R in client coordinates as CalcRects left them.
  struct TButtonState {
    TRect R;
    bool MouseIn { false };
    bool Down { false };
  };
  const TButtonState& Button(int Index) const { return FButtons[Index]; }
  // Whether a held button is repeating (or waiting to).
  bool Repeating() const { return FRepeat.Running(); }
  void CalcRects();

  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  bool CanStep() const { return FIncrement != 0; }
  // One step of button Index (0 up, 1 down); a value past the bounds is dropped.
  void Step(int Index);
  void DrawButton(TCanvas* C, int Index);
  void TestActive(int X, int Y);
  void ButtonDown(int Index);
  void ButtonUp(int Index);
  void ButtonEnter(int Index);
  void ButtonLeave(int Index);
  void TimerTick();
  void StopTimer();
  // Drops a press without stepping (the mouse taken away, disabled, hidden).
  void CancelPress();

  TUDOrientation FOrientation { udHorizontal };
  TButtonState FButtons[2];
  int FOldActiveButton { -1 };
  int FActiveButton { -1 };
  int FCaptureButton { -1 };
  int FTimerMode { 0 };  // 0 none, 1 down steps, 2 up steps
  bool FWaitMode { false };
  int FIncrement { 1 };
  int FPosition { 0 };
  int FMin { 0 };
  int FMax { 100 };
  TbsRepeatTimer FRepeat { [this] { TimerTick(); } };

  // Copies of the record's button rectangles: the two buttons in face coordinates, their hot and
  // pressed looks in the picture.
  TRect UpButtonRect, ActiveUpButtonRect, DownUpButtonRect, DownButtonRect, ActiveDownButtonRect,
      DownDownButtonRect;
};
