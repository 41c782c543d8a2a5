#include "app/Main.h"

#include <algorithm>
#include <cstring>

#include "app/About.h"
#include "app/FormResources.h"
#include "app/Kaldo.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/MPlayer.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/SysUtils.h"

const char* const kProgramTitle = "巡检程序";

TForm1* Form1 = nullptr;

static const bool kFormRegistered = (RegisterComponentResource(TForm1::StaticClass(), formres::Main), true);

namespace {

// Per line, zero at program start: the clock at the last ring seen, a ring waiting to be answered or
// missed, a disconnection reported.
int64_t ringTime[TForm1::kMaxLines];
int32_t ringPending[TForm1::kMaxLines];
int32_t lineDisconnected[TForm1::kMaxLines];

// The list is cleared when it reaches this many lines.
constexpr int kListLimit = 800;
// A pending ring is missed after this long without a new ring while the handset stays down.
constexpr int64_t kMissedAfterMs = 8000;
// The caller-ID and DTMF buffer: the library writes at most one less.
constexpr int kTextBuffer = 160;
// Recording length limit handed to the library.
constexpr int32_t kRecordLimit = 0x0FFFFFFF;

int64_t Clock() { return static_cast<int64_t>(GetTickCount64()); }

AnsiString LineText(int Line, const char* Text) { return "线" + IntToStr(Line) + ":" + Text; }
AnsiString LineTextNoColon(int Line, const char* Text) { return "线" + IntToStr(Line) + Text; }

}  // namespace

AnsiString LocalTimeText() {
  SYSTEMTIME st {};
  GetLocalTime(&st);
  char buffer[64] = "";
  if (GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, sizeof buffer) == 0) buffer[0] = 0;
  return buffer;
}

// ---- The form -------------------------------------------------------------------------------------------

// The layout, the properties and the handlers' bindings are in Main.dfm.
TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) { InitForm(); }

// ---- Start, close and the box's settings ---------------------------------------------------------------

void TForm1::FormShow(TObject*) {
  DevOpen();
  SendDeviceType();
  ShowLineCount();
  std::fill(std::begin(hookState), std::end(hookState), 0);
  std::fill(std::begin(ringPending), std::end(ringPending), 0);
  std::fill(std::begin(lineDisconnected), std::end(lineDisconnected), 0);
  Timer1->SetEnabled(true);
  Timer4->SetEnabled(true);
  if (lineCount > 0) ShowSerialNumber();
}

void TForm1::FormClose(TObject*, TCloseAction&) { DevClose(); }

void TForm1::SendDeviceType() {
  const int index = RadioGroup1->ItemIndex();
  if (index >= 0 && index <= 2) DevSetDeviceType(index + 1);
}

// A failure (-1) is shown and kept as it is: the poll then stops and every line number fails its check.
void TForm1::ShowLineCount() {
  lineCount = DevGetLineCount();
  Label3->SetCaption("共" + IntToStr(lineCount) + "线");
}

void TForm1::ShowSerialNumber() { Edit4->SetText(IntToStr(DevGetSerialNumber(0))); }

void TForm1::Button2Click(TObject*) { ShowLineCount(); }
void TForm1::Timer4Timer(TObject*) { ShowLineCount(); }
void TForm1::Button3Click(TObject*) { SendDeviceType(); }
void TForm1::Button4Click(TObject*) { ShowSerialNumber(); }

void TForm1::Timer3Timer(TObject*) { StatusBar1->Panels()->Items(1)->SetText("     时间：" + LocalTimeText()); }

void TForm1::N5Click(TObject*) { Close(); }

void TForm1::N7Click(TObject*) { FormAbout->ShowModal(); }

// ---- Keys ------------------------------------------------------------------------------------------------

// Digits, backspace and Enter pass. Characters compare as signed bytes, so both bytes of a double-byte
// character are swallowed too.
void TForm1::Edit3KeyPress(TObject*, char& Key) {
  const signed char c = static_cast<signed char>(Key);
  if ((c >= '0' && c <= '9') || c == 8 || c == 13) return;
  Key = 0;
}

void TForm1::FormKeyPress(TObject*, char& Key) {
  if (Key != 13) return;
  Key = 0;
  Perform(WM_NEXTDLGCTL, 0, 0);
}

// ---- The line poll -------------------------------------------------------------------------------------

// An exception anywhere in the tick stops the poll.
void TForm1::Timer1Timer(TObject*) {
  try {
    const AnsiString time = LocalTimeText();
    const int lines = std::min<int32_t>(lineCount, kMaxLines);
    for (int i = 0; i < lines; ++i)
      if (!PollLine(i, time)) return;
  } catch (...) {
    Timer1->SetEnabled(false);
  }
}

bool TForm1::PollLine(int i, const AnsiString& Time) {
  return PollConnection(i, Time) && PollHook(i, Time) && PollRing(i, Time) && PollText(i, true, Time) &&
         PollText(i, false, Time);
}

// A disconnection first, then (also right after one) a reconnection.
bool TForm1::PollConnection(int i, const AnsiString& Time) {
  if (lineDisconnected[i] == 0) {
    const int32_t s = DevGetLineState(i);
    if (s == -1) return AddError(i, "DisConnect:", Time), false;
    if (s == 1) {
      AddEvent(LineText(i, "电话断线!"));
      lineDisconnected[i] = 1;
    }
  }
  if (lineDisconnected[i] == 1) {
    const int32_t s = DevGetLineState(i);
    if (s == -1) return AddError(i, "DisConnect:", Time), false;
    if (s == 0) {
      AddEvent(LineText(i, "电话线连接!"));
      lineDisconnected[i] = 0;
    }
  }
  return true;
}

// Lifted, then (also right after) put down.
bool TForm1::PollHook(int i, const AnsiString& Time) {
  if (hookState[i] == 0) {
    const int32_t h = DevGetHookState(i);
    if (h == -1) return AddError(i, "OffHook:", Time), false;
    if (h == 1) {
      hookState[i] = 1;
      AddEvent(LineText(i, "电话摘机!"));
    }
  }
  if (hookState[i] == 1) {
    const int32_t h = DevGetHookState(i);
    if (h == -1) return AddError(i, "OffHook:", Time), false;
    if (h == 0) {
      AddEvent(LineText(i, "电话挂机!"));
      hookState[i] = 0;
    }
  }
  return true;
}

// The three checks of a pending ring each ask afresh, whatever the one before found; a failure among
// them is no error.
bool TForm1::PollRing(int i, const AnsiString& Time) {
  const int32_t r = DevGetRing(i);
  if (r == -1) return AddError(i, "Ring:", Time), false;
  if (r != 0) {
    AddEvent(LineText(i, "振铃......"));
    ringTime[i] = Clock();
    ringPending[i] = 1;
  }
  if (ringPending[i] == 1) {
    if (DevGetHookState(i) == 1) {
      AddEvent(LineTextNoColon(i, "接听......"));
      ringPending[i] = 0;
    }
    if (DevGetRing(i) == 1) {
      AddEvent(LineTextNoColon(i, "振铃......"));
      ringTime[i] = Clock();
    }
    if (Clock() - ringTime[i] > kMissedAfterMs && DevGetHookState(i) == 0) {
      AddEvent(LineTextNoColon(i, "未接听......"));
      ringPending[i] = 0;
    }
  }
  return true;
}

// Only counts 1 to 159 are read from the buffer; any other count but -1 (whatever a faulty library
// answers) adds nothing.
bool TForm1::PollText(int i, bool CallerId, const AnsiString& Time) {
  char buffer[kTextBuffer];
  std::memset(buffer, 0, sizeof buffer);
  const int32_t n = CallerId ? DevGetCallerId(i, buffer) : DevGetDtmf(i, buffer);
  if (n == -1) return AddError(i, CallerId ? "CID:" : "DTMF:", Time), false;
  if (n < 1 || n >= kTextBuffer) return true;
  buffer[n] = 0;
  AddEvent(LineText(i, CallerId ? "收到来电号码:" : "DTMF号码:") + Trim(buffer));
  return true;
}

void TForm1::AddEvent(const AnsiString& Text) {
  TStrings* items = LBMsg->Items();
  if (items->Count() >= kListLimit) items->Clear();
  items->Add(Text);
  LBMsg->SetItemIndex(items->Count() - 1);
}

// Error lines leave the selection where it is.
void TForm1::AddError(int Line, const char* Tag, const AnsiString& Time) {
  TStrings* items = LBMsg->Items();
  if (items->Count() >= kListLimit) items->Clear();
  items->Add("线" + IntToStr(Line) + Tag + "系统错误" + Time);
}

// ---- Recording ----------------------------------------------------------------------------------------

// Only the upper bound is checked.
bool TForm1::CheckLineNumber(int& Line) {
  bool ok = false;
  try {
    Line = StrToInt(Edit3->Text());
    ok = Line < lineCount;
  } catch (...) {
    ok = false;
  }
  if (!ok) ShowMessage("线路号输入错误");
  return ok;
}

void TForm1::LockRecordingControls(bool Locked) {
  Edit3->SetEnabled(!Locked);
  Button24->SetEnabled(!Locked);
  Button1->SetEnabled(!Locked);
  Edit1->SetEnabled(!Locked);
}

void TForm1::Button13Click(TObject*) {
  int line = 0;
  if (!CheckLineNumber(line)) return;
  recordStart = Clock();
  if (DevStartRecord(line, Edit1->Text().c_str(), kRecordLimit) == -1) {
    ShowMessage("文件录音错误！");
    return;
  }
  TimerR->SetEnabled(true);
  LockRecordingControls(true);
}

void TForm1::Button14Click(TObject*) {
  int line = 0;
  if (!CheckLineNumber(line)) return;
  if (DevStopRecord(line) == -1) {
    ShowMessage("停止文件录音错误！");
    return;
  }
  TimerR->SetEnabled(false);
  LockRecordingControls(false);
}

// The recording ended or failed: the library's recording is stopped and the timer goes off; the locked
// controls stay locked until the stop button is accepted. These appends clear nothing and select nothing.
void TForm1::TimerRTimer(TObject*) {
  try {
    Edit2->SetText(IntToStr((Clock() - recordStart) / 1000) + "秒");
    const int line = StrToInt(Edit3->Text());
    const int32_t s = DevGetRecordState(line);
    if (s == -1) {
      LBMsg->Items()->Add("文件录音错误！");
      TimerR->SetEnabled(false);
      DevStopRecord(line);
    } else if (s == 0) {
      DevStopRecord(line);
      TimerR->SetEnabled(false);
      LBMsg->Items()->Add("录音结束！");
    }
  } catch (...) {
    TimerR->SetEnabled(false);
  }
}

// ---- Playback -------------------------------------------------------------------------------------------

// The line number is read without a guard: a text that is no number reaches the application's
// exception box.
void TForm1::Button24Click(TObject*) {
  const int line = StrToInt(Edit3->Text());
  DevStopRecord(line);
  MediaPlayer1->SetFileName(GetCurrentDir() + "\\" + Edit1->Text());
  try {
    MediaPlayer1->Open();
    Timer2->SetEnabled(true);
  } catch (...) {
    ShowMessage("无法播放该文件！支持播放此类文件的驱动程序安装有误！");
    return;
  }
  MediaPlayer1->Play();
  TrackBar1->SetMin(0);
  TrackBar1->SetMax(MediaPlayer1->Length());
}

void TForm1::Timer2Timer(TObject*) {
  TrackBar1->SetPosition(MediaPlayer1->Position());
  if (MediaPlayer1->Position() == MediaPlayer1->Length()) {
    MediaPlayer1->Close();
    Timer2->SetEnabled(false);
  }
}

// Stopping a player with nothing open fails, and the rest is skipped.
void TForm1::Button1Click(TObject*) {
  try {
    MediaPlayer1->Stop();
    MediaPlayer1->Close();
    Timer2->SetEnabled(false);
    TrackBar1->SetPosition(0);
  } catch (...) {
  }
}

XJ_PUBLISHED(TForm1,
  XJ_FIELD(GroupBoxHardware) XJ_FIELD(Panel6) XJ_FIELD(LBMsg) XJ_FIELD(Label3) XJ_FIELD(Edit3) XJ_FIELD(Label4)
  XJ_FIELD(Edit4) XJ_FIELD(RadioGroup1) XJ_FIELD(Button3) XJ_FIELD(Label1) XJ_FIELD(Edit1) XJ_FIELD(Label2)
  XJ_FIELD(Edit2) XJ_FIELD(Button13) XJ_FIELD(Button14) XJ_FIELD(MediaPlayer1) XJ_FIELD(Button24)
  XJ_FIELD(Button1) XJ_FIELD(TrackBar1) XJ_FIELD(Button4) XJ_FIELD(Button2) XJ_FIELD(StatusBar1)
  XJ_FIELD(MainMenu1) XJ_FIELD(N1) XJ_FIELD(N5) XJ_FIELD(N6) XJ_FIELD(N7) XJ_FIELD(Timer1) XJ_FIELD(Timer2)
  XJ_FIELD(Timer3) XJ_FIELD(Timer4) XJ_FIELD(TimerR)
  XJ_METHOD(FormShow) XJ_METHOD(FormClose) XJ_METHOD(FormKeyPress) XJ_METHOD(Edit3KeyPress)
  XJ_METHOD(Button1Click) XJ_METHOD(Button2Click) XJ_METHOD(Button3Click) XJ_METHOD(Button4Click)
  XJ_METHOD(Button13Click) XJ_METHOD(Button14Click) XJ_METHOD(Button24Click) XJ_METHOD(N5Click)
  XJ_METHOD(N7Click) XJ_METHOD(Timer1Timer) XJ_METHOD(Timer2Timer) XJ_METHOD(Timer3Timer)
  XJ_METHOD(Timer4Timer) XJ_METHOD(TimerRTimer));
