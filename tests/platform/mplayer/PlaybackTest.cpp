// The media player's operations on the null sink: opening, playing, pausing, stopping, moving, the
// natural end with its notice, the files it plays and the ones it refuses, waiting, and going away.

#include <atomic>
#include <filesystem>
#include <thread>

#include "device/KaldoSim.h"
#include "platform/vcl/ExtCtrls.h"
#include "tests/platform/mplayer/MPlayerTestSupport.h"

namespace mptest {
namespace {

using PlaybackTest = MediaPlayerTest;

TEST_F(PlaybackTest, OpenGivesAStoppedPlayerAtZeroAndPlayRunsWithTheClockToTheEnd) {
  OpenTone(2000);
  EXPECT_EQ(player->Mode(), mpStopped);
  EXPECT_EQ(player->Position(), 0);
  EXPECT_EQ(player->Length(), 2000);
  xt::Advance(500);
  EXPECT_EQ(player->Position(), 0);  // time alone does not play

  player->Play();  // the manual clock stands still: Play must not wait for the sound
  EXPECT_EQ(player->Mode(), mpPlaying);
  xt::Advance(700);
  EXPECT_EQ(player->Position(), 700);
  xt::Advance(1299);
  EXPECT_EQ(player->Position(), 1999);
  EXPECT_EQ(player->Mode(), mpPlaying);
  EXPECT_EQ(notices, 0);
  xt::Advance(1);
  EXPECT_EQ(player->Position(), player->Length());
  EXPECT_EQ(player->Mode(), mpStopped);
  ASSERT_TRUE(WaitForNotices(1));
  EXPECT_EQ(player->NotifyValue(), nvSuccessful);
  xt::Advance(5000);
  EXPECT_EQ(player->Position(), 2000);  // stays on the end
  EXPECT_EQ(notices, 1);
}

TEST_F(PlaybackTest, PauseHoldsAndResumesStopKeepsThePosition) {
  OpenTone(5000);
  player->Play();
  xt::Advance(800);
  player->Pause();
  EXPECT_EQ(player->Mode(), mpPaused);
  xt::Advance(1000);
  EXPECT_EQ(player->Position(), 800);
  player->Pause();  // paused: goes on
  EXPECT_EQ(player->Mode(), mpPlaying);
  xt::Advance(200);
  EXPECT_EQ(player->Position(), 1000);

  player->Stop();
  EXPECT_EQ(player->Mode(), mpStopped);
  xt::Advance(1000);
  EXPECT_EQ(player->Position(), 1000);
  player->Stop();  // stopping a stopped player is fine
  player->Play();
  xt::Advance(250);
  EXPECT_EQ(player->Position(), 1250);
  EXPECT_EQ(notices, 0);
}

TEST_F(PlaybackTest, MovesAreClampedAndPlayingGoesOnFromTheNewPlace) {
  OpenTone(3000);
  struct Move {
    const char* name;
    std::function<void()> op;
    int expected;
  };
  const Move moves[] = {
    { "Step", [&] { player->Step(); }, 1000 },
    { "Step", [&] { player->Step(); }, 2000 },
    { "Step", [&] { player->Step(); }, 3000 },
    { "Step at the end", [&] { player->Step(); }, 3000 },
    { "Back", [&] { player->Back(); }, 2000 },
    { "Position", [&] { player->SetPosition(2500); }, 2500 },
    { "Previous", [&] { player->Previous(); }, 0 },
    { "Back at 0", [&] { player->Back(); }, 0 },
    { "Next", [&] { player->Next(); }, 3000 },
    { "Rewind", [&] { player->Rewind(); }, 0 },
    { "Position -5", [&] { player->SetPosition(-5); }, 0 },
    { "Position past", [&] { player->SetPosition(99999); }, 3000 },
  };
  for (const Move& m : moves) {
    m.op();
    EXPECT_EQ(player->Position(), m.expected) << m.name;
    EXPECT_EQ(player->Mode(), mpStopped) << m.name;
  }
  player->Rewind();
  player->Play();
  xt::Advance(1500);
  player->Back();
  EXPECT_EQ(player->Mode(), mpPlaying);
  EXPECT_EQ(player->Position(), 500);
  xt::Advance(100);
  EXPECT_EQ(player->Position(), 600);
  player->Next();  // to the end while playing: that is the end of this run
  EXPECT_EQ(player->Position(), 3000);
  ASSERT_TRUE(WaitForNotices(1));
  EXPECT_EQ(player->Mode(), mpStopped);
}

TEST_F(PlaybackTest, PlayAtTheEndStartsAgainOnlyWithAutoRewind) {
  OpenTone(1000);
  player->Play();
  xt::Advance(1000);
  ASSERT_TRUE(WaitForNotices(1));
  player->Play();  // AutoRewind is on by default
  EXPECT_EQ(player->Mode(), mpPlaying);
  xt::Advance(300);
  EXPECT_EQ(player->Position(), 300);
  xt::Advance(700);
  ASSERT_TRUE(WaitForNotices(2));

  player->SetAutoRewind(false);
  player->Play();  // at the end already: ends at once, and says so
  EXPECT_EQ(player->Position(), 1000);
  EXPECT_EQ(player->Mode(), mpStopped);
  ASSERT_TRUE(WaitForNotices(3));
}

TEST_F(PlaybackTest, NothingOpenReadsZeroRefusesTheOperationsAndClosesQuietly) {
  EXPECT_EQ(player->Mode(), mpNotReady);
  EXPECT_EQ(player->Position(), 0);
  EXPECT_EQ(player->Length(), 0);
  const std::pair<const char*, std::function<void()>> ops[] = {
    { "Play", [&] { player->Play(); } },
    { "Pause", [&] { player->Pause(); } },
    { "Stop", [&] { player->Stop(); } },
    { "Rewind", [&] { player->Rewind(); } },
    { "Previous", [&] { player->Previous(); } },
    { "Next", [&] { player->Next(); } },
    { "Step", [&] { player->Step(); } },
    { "Back", [&] { player->Back(); } },
    { "Eject", [&] { player->Eject(); } },
    { "StartRecording", [&] { player->StartRecording(); } },
    { "Position", [&] { player->SetPosition(10); } },
  };
  auto check = [&](const char* when) {
    for (const auto& [name, op] : ops) EXPECT_THROW(op(), EMCIDeviceError) << name << " " << when;
    EXPECT_NO_THROW(player->Close()) << when;
    EXPECT_NO_THROW(player->Close()) << when;
    EXPECT_EQ(player->Mode(), mpNotReady) << when;
  };
  check("before any file");
  OpenTone(2000);
  player->Play();
  xt::Advance(500);
  player->Close();
  EXPECT_EQ(player->Position(), 0);
  EXPECT_EQ(player->Length(), 0);
  check("after Close");
  xt::Advance(3000);
  PumpAWhile();
  EXPECT_EQ(notices, 0);  // a closed file never ends
}

TEST_F(PlaybackTest, FilesThatCannotBePlayedRaiseTheDeviceErrorAndLeaveNothingOpen) {
  WriteBytes(dir / "text.wav", "This is not a sound file.\n");
  WriteBytes(dir / "empty.wav", "");
  WriteBytes(dir / "short.wav", std::string("RIFF\x24\0\0\0WAVEfmt ", 16));
  std::filesystem::create_directory(dir / "folder.wav");
  const std::string cases[] = { dir / "missing.wav", dir / "no-dir/a.wav", "", dir / "text.wav", dir / "empty.wav",
                                dir / "short.wav",   dir / "folder.wav" };
  for (const std::string& name : cases) {
    OpenTone(2000);
    player->Play();
    xt::Advance(100);
    player->SetFileName(name);
    try {
      player->Open();
      ADD_FAILURE() << name << " opened";
    } catch (const EMCIDeviceError& e) {
      EXPECT_NE(e.Message().find(name), std::string::npos) << e.Message();
    }
    EXPECT_EQ(player->Mode(), mpNotReady) << name;  // the file that played is closed
    EXPECT_EQ(player->Length(), 0) << name;
    EXPECT_THROW(player->Play(), EMCIDeviceError) << name;
  }
  xt::Advance(5000);
  EXPECT_EQ(notices, 0);
}

TEST_F(PlaybackTest, OnlyWaveAudioDevicesOpenAndOnlyMillisecondsAreATimeFormat) {
  player->SetFileName(Tone("a.wav", 500));
  for (TMPDeviceTypes type : { dtCDAudio, dtSequencer, dtAVIVideo }) {
    player->SetDeviceType(type);
    EXPECT_THROW(player->Open(), EMCIDeviceError) << type;
    EXPECT_EQ(player->Mode(), mpNotReady);
  }
  player->SetDeviceType(dtWaveAudio);
  player->Open();
  EXPECT_EQ(player->Length(), 500);
  player->SetDeviceType(dtCDAudio);
  EXPECT_THROW(player->Open(), EMCIDeviceError);  // what was open is closed first
  EXPECT_EQ(player->Mode(), mpNotReady);

  EXPECT_NO_THROW(player->SetTimeFormat(tfMilliseconds));
  EXPECT_THROW(player->SetTimeFormat(tfSamples), EMCIDeviceError);
  EXPECT_EQ(player->TimeFormat(), tfMilliseconds);
}

struct Shape {
  int rate;
  int bits;
  int channels;
  int64_t frames;
};

TEST_F(PlaybackTest, WavFilesOfEveryShapePlayToTheirLength) {
  const Shape shapes[] = {
    { 8000, 8, 1, 8000 },    { 8000, 16, 2, 12001 },  { 11025, 8, 2, 11025 },
    { 11025, 16, 1, 5000 },  { 22050, 16, 2, 33075 }, { 22050, 8, 1, 2205 },
    { 44100, 16, 2, 44100 }, { 44100, 8, 2, 4410 },   { 48000, 16, 1, 24001 },
  };
  int n = 0;
  for (const Shape& s : shapes) {
    SCOPED_TRACE(testing::Message() << s.rate << " Hz " << s.bits << "-bit " << s.channels << " ch");
    const std::string path = dir / ("shape" + std::to_string(n) + ".wav");
    ASSERT_TRUE(WriteToneWav(path, s.rate, s.bits, s.channels, s.frames));
    player->SetFileName(path);
    player->Open();
    const int length = static_cast<int>(s.frames * 1000 / s.rate);
    EXPECT_EQ(player->Length(), length);
    player->Play();
    xt::Advance(length - 1);
    EXPECT_EQ(player->Mode(), mpPlaying);
    xt::Advance(1);
    EXPECT_EQ(player->Position(), length);
    xt::Advance(1);  // the odd frames after the last whole millisecond
    EXPECT_EQ(player->Mode(), mpStopped);
    EXPECT_EQ(player->Position(), length);
    ASSERT_TRUE(WaitForNotices(++n));
  }
}

TEST_F(PlaybackTest, ARecordingOfTheBoxPlaysForItsRecordedTime) {
  std::atomic<uint64_t> boxTime { 1000 };
  kaldo::Box box;
  box.SetClock([](void* t) { return static_cast<std::atomic<uint64_t>*>(t)->load(); }, &boxTime);
  box.SetMessageSink([](std::string_view) {});
  ASSERT_EQ(box.DevOpen(), 0);
  const std::string path = dir / "line3.wav";
  ASSERT_EQ(box.DevStartRecord(3, path.c_str(), 0x0FFFFFFF), 0);
  boxTime += 2600;
  ASSERT_EQ(box.DevStopRecord(3), 0);
  box.DevClose();

  player->SetFileName(path);
  player->Open();
  EXPECT_EQ(player->Length(), 2600);
  player->Play();
  xt::Advance(2600);
  EXPECT_EQ(player->Position(), 2600);
  ASSERT_TRUE(WaitForNotices(1));
}

TEST_F(PlaybackTest, APollingTimerSeesPositionReachLengthExactly) {
  OpenTone(1234);
  std::vector<int> seen;
  auto* timer = new TTimer(form);
  timer->SetInterval(200);
  timer->SetOnTimer(On<TNotifyEvent>([&](TObject*) {
    seen.push_back(player->Position());
    if (player->Position() == player->Length()) {
      player->Close();
      timer->SetEnabled(false);
    }
  }));
  player->Play();
  xt::Advance(3000);
  const std::vector<int> expected { 200, 400, 600, 800, 1000, 1200, 1234 };
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(player->Mode(), mpNotReady);
}

TEST_F(PlaybackTest, ReopeningDropsTheOldFilesEndNotice) {
  OpenTone(400, "first.wav");
  player->Play();
  xt::Jump(400);  // the end, with nothing pumped: its notice waits in the queue
  MSG m;
  ASSERT_TRUE(xj::test::WaitUntil([&] { return PeekMessageA(&m, nullptr, 0x03B9, 0x03B9, PM_NOREMOVE); }));
  OpenTone(1000, "second.wav");
  xt::PumpUntilIdle();
  EXPECT_EQ(notices, 0);
  EXPECT_EQ(player->Length(), 1000);
  player->Play();
  xt::Advance(1000);
  ASSERT_TRUE(WaitForNotices(1));
}

TEST_F(PlaybackTest, WaitMakesTheNextPlayReturnAtTheEnd) {
  OpenTone(3000);
  player->SetWait(true);
  std::atomic<bool> done { false };
  std::thread clockHand([&] {  // time moves while the GUI thread waits in Play
    auto& clock = static_cast<xj::ManualClock&>(xj::CurrentClock());
    while (!done) {
      clock.Jump(50);
      ::usleep(1000);
    }
  });
  player->Play();
  const int position = player->Position();
  done = true;
  clockHand.join();
  EXPECT_EQ(position, 3000);
  EXPECT_EQ(player->Mode(), mpStopped);
  EXPECT_FALSE(player->Wait());  // for one call only
  ASSERT_TRUE(WaitForNotices(1));

  player->Play();  // AutoRewind; no wait this time
  EXPECT_EQ(player->Mode(), mpPlaying);
}

TEST_F(PlaybackTest, ANoticeHandlerThatRaisesIsShownByTheApplication) {
  player->OnNotify = On<TNotifyEvent>([&](TObject*) {
    ++notices;
    throw Exception("the handler failed");
  });
  OpenTone(300);
  player->Play();
  xt::Advance(300);
  ASSERT_TRUE(WaitForNotices(1));
  ASSERT_EQ(xt::ModalRecords().size(), 1u);
  EXPECT_EQ(xt::ModalRecords()[0].kind, xt::ModalRecord::MessageBox);
  EXPECT_NE(xt::ModalRecords()[0].text.find("the handler failed"), std::string::npos);
}

TEST_F(PlaybackTest, DestroyingThePlayerStopsTheSoundAndItsLateNotice) {
  OpenTone(500);
  player->Play();
  xt::Advance(100);
  delete player;
  player = nullptr;
  xt::Advance(1000);
  PumpAWhile();
  EXPECT_EQ(notices, 0);

  // Again, with the end notice already posted when the player goes.
  player = new TMediaPlayer(form);
  player->SetParent(form);
  player->OnNotify = On<TNotifyEvent>([this](TObject*) { ++notices; });
  OpenTone(200, "b.wav");
  player->Play();
  xt::Jump(200);
  MSG m;
  ASSERT_TRUE(xj::test::WaitUntil([&] { return PeekMessageA(&m, nullptr, 0x03B9, 0x03B9, PM_NOREMOVE); }));
  delete player;
  player = nullptr;
  xt::PumpUntilIdle();
  EXPECT_EQ(notices, 0);
}

}  // namespace
}  // namespace mptest
