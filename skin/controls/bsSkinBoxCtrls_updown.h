#pragma once
// The skinned up-down: two arrow buttons stepping an integer Position between Min and Max by Increment,
// with press-and-hold repeat. It shows no number; its owner reads Position or listens to OnChange (the
// skinned tab controls use it as their scroll arrows). The arrow pair and its default look serve the
// spin edit too.

#include "platform/vcl/ComCtrls_tabs.h"
#include <functional>

#include "skin/controls/bsSkinCtrls_base.h"
#include "skin/controls/bsSkinCtrls_timers.h"

// Two arrow buttons (0 up, 1 down) pressed by any mouse button, with the press-and-hold repeat the
// up-down and the spin edit share: the first step kFirstWait after the press, then one per
// kRepeatInterval; leaving the held button pauses it, coming back resumes at kResumeInterval; a release
// over the button steps once more and clicks. Anything that takes the press away ends it quietly.
class TbsArrowPair {
 public:
  static constexpr int kFirstWait = 500;
  static constexpr int kRepeatInterval = 100;
  static constexpr int kResumeInterval = 50;

  struct TButtonState {
    TRect R;
    bool MouseIn { false };
    bool Down { false };
  };

  // InclusiveEdges: the far edges of a button rectangle belong to it too.
  TbsArrowPair(TControl* Owner, bool InclusiveEdges) : FOwner(Owner), FInclusiveEdges(InclusiveEdges) {}

  // Whether a held button repeats and a release steps.
  std::function<bool()> CanStep;
  // One step of button Index; then Click after a release over it (optional). Either may free the owner.
  std::function<void(int Index)> Step;
  std::function<void(int Index)> Click;

  TButtonState Buttons[2];
  int ActiveButton { -1 };
  int CaptureButton { -1 };

  bool Repeating() const { return FRepeat.Running(); }
  void TestActive(int X, int Y);
  void MouseDown(TMouseButton Button, int X, int Y);
  void MouseUp(TMouseButton Button);
  // The pointer left the owner: no button stays hot.
  void MouseLeave();
  // Drops a press without stepping.
  void Cancel();
  // Ends the press on capture loss, disable and hide; the message still goes on to the owner.
  void Watch(const TMessage& Message);

 private:
  bool Contains(const TRect& R, int X, int Y) const;
  void ButtonDown(int Index);
  void ButtonUp(int Index);
  void ButtonEnter(int Index);
  void ButtonLeave(int Index);
  void Tick();
  void StopTimer();

  TControl* FOwner;
  bool FInclusiveEdges;
  int FTimerMode { 0 };  // 0 none, 1 down steps, 2 up steps
  bool FWaitMode { false };
  TbsRepeatTimer FRepeat { [this] { Tick(); } };
};

// A button of the pair in the default look: a frame and a fill by state (a normal button without a frame
// when NormalFrame is off), and the arrow of direction Code (that of DrawArrowImage) in the middle.
void bsDrawDefaultArrowButton(TCanvas* C, const TbsArrowPair::TButtonState& B, int Code, bool NormalFrame);
// A hot or pressed button from its picture rectangles; a normal one is already part of the face.
void bsDrawSkinArrowButton(TCanvas* C, TBitmap* Picture, const TbsArrowPair::TButtonState& B, const TRect& Active,
                           const TRect& Pressed);

class TbsSkinUpDown : public TbsSkinCustomControl {
  XJ_CLASS(TbsSkinUpDown, TbsSkinCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinUpDown(TComponent* AOwner);
  ~TbsSkinUpDown() override;

  TUDOrientation Orientation() const { return FOrientation; }
  // Changes the default layout; while designing it also picks the standard record name.
  void SetOrientation(TUDOrientation Value);
  int Increment() const { return FIncrement; }
  // 0 disables stepping (the click events still fire); a negative value swaps the directions.
  void SetIncrement(int Value) { FIncrement = Value; }
  int Position() const { return FPosition; }
  // A value outside Min..Max is dropped; any other is stored and reported, even when unchanged. Read
  // from a form it waits for the bounds, quietly: Loaded pulls it into them.
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
  const TbsArrowPair::TButtonState& Button(int Index) const { return FArrows.Buttons[Index]; }
  // Whether a held button is repeating (or waiting to).
  bool Repeating() const { return FArrows.Repeating(); }
  void CalcRects();

  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Loaded() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  // One step of button Index (0 up, 1 down); a value past the bounds is dropped.
  void Step(int Index);

  TUDOrientation FOrientation { udHorizontal };
  int FIncrement { 1 };
  int FPosition { 0 };
  int FMin { 0 };
  int FMax { 100 };
  TbsArrowPair FArrows { this, true };

  // Copies of the record's button rectangles: the two buttons in face coordinates, their hot and
  // pressed looks in the picture.
  TRect UpButtonRect, ActiveUpButtonRect, DownUpButtonRect, DownButtonRect, ActiveDownButtonRect, DownDownButtonRect;
};
