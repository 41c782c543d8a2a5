// The playback engine on the null sink: position follows the clock exactly, the controls keep or move
// it as a caller expects, and the natural end lands on Length and stays there.

#include <atomic>

#include "tests/support/AudioTestSupport.h"

namespace xj::audio::test {
namespace {

TEST_F(PlayerTest, OpenGivesAStoppedPlayerAtZeroWithTheFilesLength) {
  OpenOk(Tone("a.wav", 2000));
  EXPECT_EQ(player.Mode(), PlayerMode::Stopped);
  EXPECT_EQ(player.Position(), 0);
  EXPECT_EQ(player.Length(), 2000);
  EXPECT_EQ(player.OutputName(), "null");
  Advance(1000);  // time alone does not play
  EXPECT_EQ(player.Position(), 0);
}

TEST_F(PlayerTest, PlayReturnsAtOnceAndPositionFollowsTheClockExactly) {
  OpenOk(Tone("a.wav", 5000));
  ASSERT_EQ(player.Play(), PlayerError::None);  // the clock stands still: a blocking Play would hang here
  EXPECT_EQ(player.Mode(), PlayerMode::Playing);
  EXPECT_EQ(player.Position(), 0);
  for (int step : { 1, 999, 250, 3, 1000 }) {
    const int32_t before = player.Position();
    Advance(step);
    EXPECT_EQ(player.Position(), before + step) << "after " << step << " ms";
  }
  EXPECT_EQ(player.Position(), 2253);
  EXPECT_EQ(player.Play(), PlayerError::None);  // playing again changes nothing
  EXPECT_EQ(player.Position(), 2253);
}

TEST_F(PlayerTest, PauseHoldsThePositionAndPlayGoesOnFromIt) {
  OpenOk(Tone("a.wav", 5000));
  player.Play();
  Advance(700);
  ASSERT_EQ(player.Pause(), PlayerError::None);
  EXPECT_EQ(player.Mode(), PlayerMode::Paused);
  Advance(1500);
  EXPECT_EQ(player.Position(), 700);
  ASSERT_EQ(player.Play(), PlayerError::None);
  EXPECT_EQ(player.Mode(), PlayerMode::Playing);
  Advance(300);
  EXPECT_EQ(player.Position(), 1000);
}

TEST_F(PlayerTest, StopKeepsThePositionAndPlayResumesFromIt) {
  OpenOk(Tone("a.wav", 5000));
  player.Play();
  Advance(1234);
  ASSERT_EQ(player.Stop(), PlayerError::None);
  EXPECT_EQ(player.Mode(), PlayerMode::Stopped);
  EXPECT_EQ(player.Position(), 1234);
  Advance(2000);
  EXPECT_EQ(player.Position(), 1234);
  player.Play();
  Advance(766);
  EXPECT_EQ(player.Position(), 2000);
  // Stop from paused, and stopping twice, keep it too.
  player.Pause();
  EXPECT_EQ(player.Stop(), PlayerError::None);
  EXPECT_EQ(player.Stop(), PlayerError::None);
  EXPECT_EQ(player.Mode(), PlayerMode::Stopped);
  EXPECT_EQ(player.Position(), 2000);
  EXPECT_EQ(ends.Count(), 0);
}

TEST_F(PlayerTest, SeekAndRewindMoveThePositionAndKeepTheMode) {
  OpenOk(Tone("a.wav", 3000));
  struct Case {
    int32_t to;
    int32_t expected;
  };
  for (const Case c : { Case { 1500, 1500 }, Case { 0, 0 }, Case { 2999, 2999 }, Case { 3000, 3000 },
                        Case { 99999, 3000 }, Case { -5, 0 }, Case { 1, 1 } }) {
    ASSERT_EQ(player.Seek(c.to), PlayerError::None);
    EXPECT_EQ(player.Position(), c.expected) << "seek to " << c.to;
    EXPECT_EQ(player.Mode(), PlayerMode::Stopped);
  }
  player.Seek(1000);
  player.Play();
  Advance(500);
  ASSERT_EQ(player.Rewind(), PlayerError::None);  // while playing: goes on from the start
  EXPECT_EQ(player.Position(), 0);
  EXPECT_EQ(player.Mode(), PlayerMode::Playing);
  Advance(400);
  EXPECT_EQ(player.Position(), 400);

  player.Pause();
  player.Seek(2500);  // while paused: stays paused at the new place
  EXPECT_EQ(player.Mode(), PlayerMode::Paused);
  Advance(100);
  EXPECT_EQ(player.Position(), 2500);
  player.Play();
  Advance(100);
  EXPECT_EQ(player.Position(), 2600);
}

TEST_F(PlayerTest, TheNaturalEndLandsOnLengthExactlyAndStaysWithOneCallback) {
  OpenOk(Tone("a.wav", 2000));
  player.Play();
  Advance(1999);
  EXPECT_EQ(player.Position(), 1999);
  EXPECT_EQ(player.Mode(), PlayerMode::Playing);
  Advance(1);
  EXPECT_EQ(player.Position(), player.Length());
  EXPECT_EQ(player.Mode(), PlayerMode::Stopped);  // at once, not when the audio thread gets round to it
  ASSERT_TRUE(ends.WaitFor(1));
  EXPECT_EQ(ends.Last(), PlaybackEnd::Finished);
  Advance(10000);
  EXPECT_EQ(player.Position(), 2000);
  EXPECT_EQ(player.Mode(), PlayerMode::Stopped);
  player.Stop();  // joins the audio thread: no late second callback can follow
  EXPECT_EQ(player.Position(), 2000);
  EXPECT_EQ(ends.Count(), 1);
}

TEST_F(PlayerTest, PlayingAtTheEndEndsAtOnce) {
  OpenOk(Tone("a.wav", 500));
  player.Seek(500);
  ASSERT_EQ(player.Play(), PlayerError::None);
  EXPECT_EQ(player.Mode(), PlayerMode::Stopped);
  EXPECT_EQ(player.Position(), 500);
  ASSERT_TRUE(ends.WaitFor(1));
  player.Rewind();  // and from the start it plays again
  player.Play();
  Advance(200);
  EXPECT_EQ(player.Position(), 200);
}

TEST_F(PlayerTest, PauseAfterTheEndIsStopped) {
  OpenOk(Tone("a.wav", 300));
  player.Play();
  Advance(5000);
  ASSERT_EQ(player.Pause(), PlayerError::None);
  EXPECT_EQ(player.Mode(), PlayerMode::Stopped);
  EXPECT_EQ(player.Position(), 300);
  ASSERT_TRUE(ends.WaitFor(1));
}

TEST_F(PlayerTest, ReopeningReplacesTheFileAndForgetsTheOldRun) {
  OpenOk(Tone("long.wav", 4000));
  player.Play();
  Advance(1500);
  OpenOk(Tone("short.wav", 1000));
  EXPECT_EQ(player.Mode(), PlayerMode::Stopped);
  EXPECT_EQ(player.Position(), 0);
  EXPECT_EQ(player.Length(), 1000);
  Advance(5000);
  EXPECT_EQ(player.Position(), 0);
  player.Play();
  Advance(1000);
  EXPECT_EQ(player.Position(), 1000);
  ASSERT_TRUE(ends.WaitFor(1));
  player.Close();
  EXPECT_EQ(ends.Count(), 1);  // only the short file's end
}

TEST_F(PlayerTest, CloseWhilePlayingStopsAndReadsZero) {
  OpenOk(Tone("a.wav", 3000));
  player.Play();
  Advance(1000);
  player.Close();
  EXPECT_EQ(player.Mode(), PlayerMode::NotReady);
  EXPECT_EQ(player.Position(), 0);
  EXPECT_EQ(player.Length(), 0);
  EXPECT_EQ(player.OutputName(), "");
  Advance(5000);
  EXPECT_EQ(ends.Count(), 0);
  player.Close();  // closing again is harmless
}

TEST_F(PlayerTest, NothingOpenRefusesTheControlsAndReadsZero) {
  EXPECT_EQ(player.Mode(), PlayerMode::NotReady);
  EXPECT_EQ(player.Position(), 0);
  EXPECT_EQ(player.Length(), 0);
  EXPECT_EQ(player.Play(), PlayerError::NotOpen);
  EXPECT_EQ(player.Pause(), PlayerError::NotOpen);
  EXPECT_EQ(player.Stop(), PlayerError::NotOpen);
  EXPECT_EQ(player.Seek(10), PlayerError::NotOpen);
  EXPECT_EQ(player.Rewind(), PlayerError::NotOpen);
  player.Close();
  EXPECT_EQ(player.Mode(), PlayerMode::NotReady);
}

TEST_F(PlayerTest, AFailedOpenLeavesNothingOpen) {
  OpenOk(Tone("a.wav", 1000));
  player.Play();
  Advance(200);
  EXPECT_EQ(player.Open(dir / "missing.wav"), PlayerError::FileNotFound);
  EXPECT_EQ(player.Mode(), PlayerMode::NotReady);
  EXPECT_EQ(player.Position(), 0);
  EXPECT_EQ(player.Length(), 0);
  EXPECT_EQ(player.Play(), PlayerError::NotOpen);
  EXPECT_FALSE(player.ErrorText().empty());
}

// The end callback may close the player it came from (it runs on the audio thread, which must not
// wait for itself).
TEST_F(PlayerTest, TheEndCallbackMayCloseThePlayer) {
  OpenOk(Tone("a.wav", 400));
  std::atomic<bool> closed { false };
  EndCounter done;
  auto notify = done.Callback();
  player.SetEndCallback([&](PlaybackEnd end) {
    player.Close();
    closed = true;
    notify(end);
  });
  player.Play();
  Advance(400);
  ASSERT_TRUE(done.WaitFor(1));
  EXPECT_TRUE(closed);
  EXPECT_EQ(player.Mode(), PlayerMode::NotReady);
  OpenOk(Tone("b.wav", 100));  // and the player is usable afterwards
  player.SetEndCallback(nullptr);
  player.Play();
  Advance(100);
  EXPECT_EQ(player.Position(), 100);
}

// Readers on other threads while the controlling thread works the player (run under TSan too).
TEST_F(PlayerTest, ReadsFromAnotherThreadAreSafeAndInRange) {
  const std::string a = Tone("a.wav", 1500), b = Tone("b.wav", 700);
  std::atomic<bool> stop { false };
  std::atomic<int> bad { 0 };
  std::thread reader([&] {
    while (!stop) {
      const int32_t pos = player.Position(), len = player.Length();
      static_cast<void>(player.Mode());
      if (pos < 0 || pos > 1500 || (len != 0 && len != 700 && len != 1500)) ++bad;
    }
  });
  for (int round = 0; round < 20; ++round) {
    OpenOk(round % 2 ? b : a);
    player.Play();
    Advance(100);
    player.Pause();
    Advance(50);
    player.Play();
    player.Seek(300);
    Advance(2000);
    if (round % 3 == 0) player.Close();
  }
  stop = true;
  reader.join();
  EXPECT_EQ(bad, 0);
}

}  // namespace
}  // namespace xj::audio::test
