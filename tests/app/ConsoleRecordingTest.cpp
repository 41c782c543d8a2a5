// Recording and playback as the operator drives them: line-number checks, start, stop, refusals, a
// recording that ends or fails by itself with the controls it leaves locked, playing a recording with
// the position bar through the null audio back-end, and a missing file.

#include <sys/stat.h>

#include "tests/app/ConsoleTestSupport.h"
#include "tests/support/Wait.h"

using namespace apptest;

namespace {

class RecordingTest : public ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    if (HasFatalFailure()) return;
    Command("lines 4");
    Start();
  }
  static bool Locked() {
    const bool e3 = Form1->Edit3->Enabled(), e1 = Form1->Edit1->Enabled(), b24 = Form1->Button24->Enabled(),
               b1 = Form1->Button1->Enabled();
    EXPECT_TRUE(e3 == e1 && e1 == b24 && b24 == b1) << "the four controls lock together";
    return !e3;
  }
  std::vector<int> StartLines() {
    std::vector<int> lines;
    for (const KaldoCall& c : Calls())
      if (c.ordinal == 24) lines.push_back(c.args[0]);
    return lines;
  }
  bool Exists(const std::string& name) {
    struct stat st {};
    return ::stat((dir / name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }
  off_t Size(const std::string& name) {
    struct stat st {};
    return ::stat((dir / name).c_str(), &st) == 0 ? st.st_size : -1;
  }
};

TEST_F(RecordingTest, StartLocksTheControlsCountsSecondsAndStopUnlocksThem) {
  TypeInto(Form1->Edit3, "2");
  TypeInto(Form1->Edit1, "call.wav");
  ClickControl(Form1->Button13);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(Locked());
  EXPECT_TRUE(Form1->TimerR->Enabled());
  EXPECT_TRUE(Form1->Button13->Enabled());
  EXPECT_TRUE(Form1->Button14->Enabled());
  ASSERT_EQ(StartLines(), std::vector<int> { 2 });
  for (const KaldoCall& c : Calls())
    if (c.ordinal == 24) {
      EXPECT_EQ(std::string(c.text, static_cast<size_t>(c.text_length)), "call.wav");
      EXPECT_EQ(c.args[2], 0x0FFFFFFF);  // the name is logged as 0
    }
  xt::Advance(2500);
  EXPECT_EQ(Form1->Edit2->Text(), "2秒");
  ClickControl(Form1->Button14);
  EXPECT_FALSE(Locked());
  EXPECT_FALSE(Form1->TimerR->Enabled());
  EXPECT_TRUE(Exists("call.wav"));
  EXPECT_GT(Size("call.wav"), 44);
  xt::Advance(2000);
  EXPECT_EQ(Form1->Edit2->Text(), "2秒");  // the count stops with the recording
}

TEST_F(RecordingTest, ALineNumberMustBeANumberBelowTheLineCount) {
  struct Case {
    const char* text;
    bool accepted;
  } cases[] = { { "", false }, { "4", false }, { "3", true }, { "0", true }, { "99", false } };
  for (const Case& c : cases) {
    TypeInto(Form1->Edit3, c.text);
    const size_t boxes = Boxes().size();
    Box().ClearCallLog();
    ClickControl(Form1->Button13);
    if (c.accepted) {
      EXPECT_EQ(Boxes().size(), boxes) << c.text;
      ClickControl(Form1->Button14);
      EXPECT_EQ(Boxes().size(), boxes) << c.text;
    } else {
      ASSERT_EQ(Boxes().size(), boxes + 1) << c.text;
      EXPECT_EQ(Boxes().back(), "线路号输入错误");
      EXPECT_TRUE(StartLines().empty()) << c.text;
      EXPECT_FALSE(Locked());
      ClickControl(Form1->Button14);
      ASSERT_EQ(Boxes().size(), boxes + 2) << c.text;
      EXPECT_EQ(Boxes().back(), "线路号输入错误");
    }
  }
}

TEST_F(RecordingTest, ARefusedStartOrStopIsReportedAndChangesNothing) {
  TypeInto(Form1->Edit3, "1");
  Command("fail 1 start 1");
  ClickControl(Form1->Button13);
  ASSERT_EQ(Boxes(), std::vector<std::string> { "文件录音错误！" });
  EXPECT_FALSE(Locked());
  EXPECT_FALSE(Form1->TimerR->Enabled());

  ClickControl(Form1->Button13);
  ASSERT_TRUE(Locked());
  Command("fail 1 stop 1");
  ClickControl(Form1->Button14);
  EXPECT_EQ(Boxes().back(), "停止文件录音错误！");
  EXPECT_TRUE(Locked());
  EXPECT_TRUE(Form1->TimerR->Enabled());
  ClickControl(Form1->Button14);
  EXPECT_FALSE(Locked());
}

TEST_F(RecordingTest, StartingAgainRestartsTheSecondsOnTheSameLine) {
  ClickControl(Form1->Button13);
  xt::Advance(3200);
  EXPECT_EQ(Form1->Edit2->Text(), "3秒");
  ClickControl(Form1->Button13);
  xt::Advance(1200);
  EXPECT_EQ(Form1->Edit2->Text(), "1秒");
  EXPECT_EQ(StartLines(), (std::vector<int> { 0, 0 }));
}

TEST_F(RecordingTest, ARecordingThatEndsByItselfIsListedAndLeavesTheControlsLocked) {
  Command("recordlimit 1000");
  ClickControl(Form1->Button13);
  Box().ClearCallLog();
  xt::Advance(2000);
  std::vector<std::string> events = Events();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(), "录音结束！");
  EXPECT_EQ(Form1->LBMsg->ItemIndex(), -1);  // a plain append: nothing selected
  EXPECT_FALSE(Form1->TimerR->Enabled());
  EXPECT_TRUE(Locked());
  EXPECT_EQ(CountCalls(25), 1);  // the library is told to stop, as after a failure
  const std::string shown = Form1->Edit2->Text();
  xt::Advance(2000);
  EXPECT_EQ(Form1->Edit2->Text(), shown);
  EXPECT_TRUE(Exists("xunjian1.wav"));
  // The stop button unlocks them.
  ClickControl(Form1->Button14);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_FALSE(Locked());
}

TEST_F(RecordingTest, AFailingRecordingIsListedStoppedAndLeavesTheControlsLocked) {
  ClickControl(Form1->Button13);
  Command("fail 0 recstate 1");
  Box().ClearCallLog();
  xt::Advance(400);
  EXPECT_EQ(Events().back(), "文件录音错误！");
  EXPECT_FALSE(Form1->TimerR->Enabled());
  EXPECT_TRUE(Locked());
  EXPECT_EQ(CountCalls(25), 1);  // the library's recording is stopped
}

// ---- Playback ------------------------------------------------------------------------------------------

// Playback runs on the audio thread, which sees the manual clock move a little later.
bool PumpUntil(const std::function<bool()>& done) {
  return xj::test::WaitUntil(done, [] { xt::PumpUntilIdle(); });
}

TEST_F(RecordingTest, PlayingARecordingMovesThePositionBarToItsEnd) {
  ScopedEnv audio("XJ_AUDIO", "null");
  ClickControl(Form1->Button13);
  xt::Advance(2000);
  ClickControl(Form1->Button14);
  ASSERT_FALSE(Locked());
  ClickControl(Form1->Button24);
  EXPECT_TRUE(Boxes().empty());
  ASSERT_TRUE(Form1->Timer2->Enabled());
  const int length = Form1->MediaPlayer1->Length();
  EXPECT_GE(length, 1800);
  EXPECT_LE(length, 2200);
  EXPECT_EQ(Form1->TrackBar1->Max(), length);
  EXPECT_EQ(Form1->TrackBar1->Min(), 0);
  xt::Advance(1000);
  ASSERT_TRUE(PumpUntil([] { return Form1->MediaPlayer1->Position() >= 800; }));
  xt::Advance(200);
  EXPECT_GT(Form1->TrackBar1->Position(), 0);
  EXPECT_LT(Form1->TrackBar1->Position(), length);
  xt::Advance(static_cast<uint64_t>(length));
  ASSERT_TRUE(PumpUntil([] { return Form1->MediaPlayer1->Position() == Form1->MediaPlayer1->Length(); }));
  xt::Advance(400);
  EXPECT_FALSE(Form1->Timer2->Enabled());
  EXPECT_EQ(Form1->MediaPlayer1->Mode(), mpNotReady);  // closed
  EXPECT_EQ(Form1->TrackBar1->Position(), length);
}

TEST_F(RecordingTest, StopEndsPlaybackAndResetsTheBar) {
  ScopedEnv audio("XJ_AUDIO", "null");
  ClickControl(Form1->Button13);
  xt::Advance(2000);
  ClickControl(Form1->Button14);
  ClickControl(Form1->Button24);
  xt::Advance(600);
  ClickControl(Form1->Button1);
  EXPECT_FALSE(Form1->Timer2->Enabled());
  EXPECT_EQ(Form1->TrackBar1->Position(), 0);
  EXPECT_EQ(Form1->MediaPlayer1->Mode(), mpNotReady);
  // Nothing plays now: pressing stop again changes nothing and shows nothing.
  ClickControl(Form1->Button1);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(xt::UnscriptedModals(), 0);
}

TEST_F(RecordingTest, PlayingAMissingFileSaysSoAndStartsNoTimer) {
  ScopedEnv audio("XJ_AUDIO", "null");
  TypeInto(Form1->Edit1, "nothing.wav");
  ClickControl(Form1->Button24);
  ASSERT_EQ(Boxes(), std::vector<std::string> { "无法播放该文件！支持播放此类文件的驱动程序安装有误！" });
  EXPECT_FALSE(Form1->Timer2->Enabled());
}

TEST_F(RecordingTest, PlayingFirstStopsAnyRecordingOnTheLine) {
  ScopedEnv audio("XJ_AUDIO", "null");
  TypeInto(Form1->Edit3, "3");
  TypeInto(Form1->Edit1, "nothing.wav");
  Box().ClearCallLog();
  ClickControl(Form1->Button24);
  std::vector<int> stops;
  for (const KaldoCall& c : Calls())
    if (c.ordinal == 25) stops.push_back(c.args[0]);
  EXPECT_EQ(stops, std::vector<int> { 3 });
}

TEST_F(RecordingTest, PlayWithoutALineNumberShowsTheApplicationsErrorBox) {
  ScopedEnv audio("XJ_AUDIO", "null");
  TypeInto(Form1->Edit3, "");
  Box().ClearCallLog();
  ClickControl(Form1->Button24);
  ASSERT_EQ(xt::ModalRecords().size(), 1u);
  EXPECT_EQ(xt::ModalRecords()[0].kind, xt::ModalRecord::MessageBox);
  EXPECT_TRUE(xt::ModalRecords()[0].type & MB_ICONSTOP);
  EXPECT_EQ(CountCalls(25), 0);
  EXPECT_FALSE(Form1->Timer2->Enabled());
}

TEST_F(RecordingTest, TimersGoOnWhileAMessageBoxIsOpen) {
  TypeInto(Form1->Edit3, "9");
  Command("offhook 0");
  xt::AnswerModal([](const xt::ModalRecord&) -> LONG_PTR {
    xt::Advance(400);
    return IDOK;
  });
  ClickControl(Form1->Button13);
  EXPECT_EQ(Boxes(), std::vector<std::string> { "线路号输入错误" });
  EXPECT_EQ(Events(), std::vector<std::string> { "线0:电话摘机!" });
}

}  // namespace
