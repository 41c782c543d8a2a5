#pragma once
// The console's main form: it opens the recorder box when first shown, sets the box type, shows the
// line count and the serial number, watches every line and lists what happens on it, records a line
// to a WAV file and plays recordings back. Its five timers do the work: Timer1 the line poll (400 ms),
// Timer2 the playback position (200 ms), Timer3 the clock (200 ms), Timer4 the line count (200 ms),
// TimerR the recording state (400 ms).

#include <cstdint>

#include "platform/vcl/Forms.h"

class TButton;
class TEdit;
class TGroupBox;
class TLabel;
class TListBox;
class TMainMenu;
class TMediaPlayer;
class TMenuItem;
class TPanel;
class TRadioGroup;
class TStatusBar;
class TTimer;
class TTrackBar;

// The program's title (the caption of its windows and message boxes).
extern const char* const kProgramTitle;

class TForm1 : public TForm {
  XJ_CLASS(TForm1, TForm)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TForm1(TComponent* AOwner);

  // The most lines the console watches (lines 0 to 15).
  static constexpr int kMaxLines = 16;

  TGroupBox* GroupBoxHardware {};
  TPanel* Panel6 {};
  TListBox* LBMsg {};
  TLabel* Label3 {};
  TEdit* Edit3 {};
  TLabel* Label4 {};
  TEdit* Edit4 {};
  TRadioGroup* RadioGroup1 {};
  TButton* Button3 {};
  TLabel* Label1 {};
  TEdit* Edit1 {};
  TLabel* Label2 {};
  TEdit* Edit2 {};
  TButton* Button13 {};
  TButton* Button14 {};
  TMediaPlayer* MediaPlayer1 {};
  TButton* Button24 {};
  TButton* Button1 {};
  TTrackBar* TrackBar1 {};
  TButton* Button4 {};
  TButton* Button2 {};
  TStatusBar* StatusBar1 {};
  TMainMenu* MainMenu1 {};
  TMenuItem* N1 {};
  TMenuItem* N5 {};
  TMenuItem* N6 {};
  TMenuItem* N7 {};
  TTimer* Timer1 {};
  TTimer* Timer2 {};
  TTimer* Timer3 {};
  TTimer* Timer4 {};
  TTimer* TimerR {};

  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormKeyPress(TObject* Sender, char& Key);
  void Edit3KeyPress(TObject* Sender, char& Key);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void Button4Click(TObject* Sender);
  void Button13Click(TObject* Sender);
  void Button14Click(TObject* Sender);
  void Button24Click(TObject* Sender);
  void N5Click(TObject* Sender);
  void N7Click(TObject* Sender);
  void Timer1Timer(TObject* Sender);
  void Timer2Timer(TObject* Sender);
  void Timer3Timer(TObject* Sender);
  void Timer4Timer(TObject* Sender);
  void TimerRTimer(TObject* Sender);

 private:
  void SendDeviceType();
  void ShowLineCount();
  void ShowSerialNumber();
  // One line's checks of a poll tick; false when a query failed (the tick ends there).
  bool PollLine(int Line, const AnsiString& Time);
  bool PollConnection(int Line, const AnsiString& Time);
  bool PollHook(int Line, const AnsiString& Time);
  bool PollRing(int Line, const AnsiString& Time);
  // The caller-ID or DTMF check; false when the query failed.
  bool PollText(int Line, bool CallerId, const AnsiString& Time);
  void AddEvent(const AnsiString& Text);
  void AddError(int Line, const char* Tag, const AnsiString& Time);
  // The line number in Edit3, checked against the line count; false (after telling the operator) when
  // it is not a number below the count.
  bool CheckLineNumber(int& Line);
  void LockRecordingControls(bool Locked);

  int32_t lineCount { 0 };
  // Milliseconds since program start; 64 bits, so nothing wraps however long the console runs.
  int64_t recordStart { 0 };
  int32_t hookState[kMaxLines] {};
};

extern TForm1* Form1;

// The time of day in the user's locale format, as the status bar and the error lines show it.
AnsiString LocalTimeText();
