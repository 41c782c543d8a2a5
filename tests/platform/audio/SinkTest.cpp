// The audio back-ends: the null sink's time, its limits and interruptions; the ALSA sink where a
// device exists; and the choice between them by XJ_AUDIO.

#include <future>

#include "platform/audio/alsa/AlsaSink.h"
#include "platform/audio/null/NullSink.h"
#include "tests/support/AudioTestSupport.h"
#include "tests/support/Loaded.h"

namespace xj::audio::test {
namespace {

using xj::test::LibraryLoaded;

const AudioFormat kPhone { 8000, 1, SampleFormat::S16 };

class NullSinkTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sink->Open(kPhone)); }

  ManualClock clock { 100 };
  ScopedClock scoped { clock };
  std::unique_ptr<AudioSink> sink = CreateNullSink();
  std::vector<int16_t> silence = std::vector<int16_t>(8000);
};

TEST_F(NullSinkTest, PlayedFramesFollowTheClockAndStopWhileHeld) {
  EXPECT_EQ(sink->FramesPlayed(), 0);
  clock.Jump(1000);
  EXPECT_EQ(sink->FramesPlayed(), 8000);
  ASSERT_TRUE(sink->Pause());
  clock.Jump(500);
  EXPECT_EQ(sink->FramesPlayed(), 8000);
  ASSERT_TRUE(sink->Pause());  // holding twice is one hold
  sink->Resume();
  clock.Jump(250);
  EXPECT_EQ(sink->FramesPlayed(), 10000);
  sink->Resume();  // releasing when not held changes nothing
  EXPECT_EQ(sink->FramesPlayed(), 10000);
  sink->Reset();
  EXPECT_EQ(sink->FramesPlayed(), 0);
  clock.Jump(1);
  EXPECT_EQ(sink->FramesPlayed(), 8);
}

// Counted from the whole time played, so odd rates lose nothing however the time is cut up.
TEST_F(NullSinkTest, OddRatesLoseNothingToRounding) {
  ASSERT_TRUE(sink->Open({ 11025, 2, SampleFormat::S16 }));
  for (int i = 0; i < 1000; ++i) {
    clock.Jump(1);
    if (i % 7 == 0) {
      sink->Pause();
      clock.Jump(3);
      sink->Resume();
    }
  }
  EXPECT_EQ(sink->FramesPlayed(), 11025);
}

TEST_F(NullSinkTest, TheWriterWaitsForTheClockOnceAFifthOfASecondAhead) {
  ASSERT_EQ(sink->Write(silence.data(), 1601), 1601);  // past the allowance: the next write waits
  auto blocked = std::async(std::launch::async, [&] { return sink->Write(silence.data(), 100); });
  EXPECT_EQ(blocked.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
  clock.Jump(10);
  ASSERT_EQ(blocked.wait_for(std::chrono::seconds(20)), std::future_status::ready);
  EXPECT_EQ(blocked.get(), 100);
}

TEST_F(NullSinkTest, DrainWaitsUntilEverythingIsHeard) {
  ASSERT_EQ(sink->Write(silence.data(), 800), 800);
  auto drained = std::async(std::launch::async, [&] { return sink->Drain(); });
  clock.Jump(99);
  EXPECT_EQ(drained.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
  clock.Jump(1);
  ASSERT_EQ(drained.wait_for(std::chrono::seconds(20)), std::future_status::ready);
  EXPECT_TRUE(drained.get());
}

TEST_F(NullSinkTest, InterruptReleasesWaitersUntilReset) {
  sink->Write(silence.data(), 4000);
  auto drained = std::async(std::launch::async, [&] { return sink->Drain(); });
  auto written = std::async(std::launch::async, [&] { return sink->Write(silence.data(), 10); });
  sink->Interrupt();
  ASSERT_EQ(drained.wait_for(std::chrono::seconds(20)), std::future_status::ready);
  ASSERT_EQ(written.wait_for(std::chrono::seconds(20)), std::future_status::ready);
  EXPECT_FALSE(drained.get());
  EXPECT_EQ(written.get(), 0);
  EXPECT_EQ(sink->Write(silence.data(), 10), 0);  // still interrupted
  sink->Reset();
  EXPECT_EQ(sink->Write(silence.data(), 10), 10);
}

TEST(AudioFormatTest, BytesPerFrame) {
  EXPECT_EQ(BytesPerFrame({ 8000, 1, SampleFormat::S16 }), 2);
  EXPECT_EQ(BytesPerFrame({ 44100, 2, SampleFormat::S16 }), 4);
  EXPECT_EQ(BytesPerFrame({ 48000, 2, SampleFormat::F32 }), 8);
  EXPECT_EQ(BytesPerFrame({ 48000, 6, SampleFormat::F32 }), 24);
}

TEST(AudioSinkTest, BadFormatsAreRefused) {
  for (auto make : { &CreateNullSink, &CreateAlsaSink }) {
    auto sink = make();
    EXPECT_FALSE(sink->Open({ 0, 1, SampleFormat::S16 })) << sink->Name();
    EXPECT_FALSE(sink->Open({ 8000, 0, SampleFormat::S16 })) << sink->Name();
    EXPECT_FALSE(sink->ErrorText().empty()) << sink->Name();
  }
}

// Real output, where this machine has a device; most build machines have none.
TEST(AlsaSinkTest, PlaysAQuarterSecondOnTheRealDevice) {
  auto sink = CreateAlsaSink();
  if (!sink->Open({ 44100, 2, SampleFormat::S16 })) GTEST_SKIP() << "no ALSA device: " << sink->ErrorText();
  std::vector<int16_t> frames(2 * 11025);
  ASSERT_EQ(sink->Write(frames.data(), 11025), 11025);
  ASSERT_TRUE(sink->Drain());
  EXPECT_EQ(sink->FramesPlayed(), 11025);
}

// ALSA's own null device (configured for the test alone) takes everything at once and plays it
// "instantly": the ALSA code paths run everywhere, whether or not the machine has sound.
class AlsaNullDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteBytes(dir / "alsa.conf", "pcm.!default { type null }\n"); }

  ScratchDir dir;
  ScopedEnv config { "ALSA_CONFIG_PATH", dir / "alsa.conf" };
};

TEST_F(AlsaNullDeviceTest, TheSinkWritesDrainsHoldsAndStops) {
  for (const AudioFormat format :
       { AudioFormat { 44100, 2, SampleFormat::S16 }, AudioFormat { 48000, 1, SampleFormat::F32 },
         AudioFormat { 8000, 1, SampleFormat::S16 } }) {
    SCOPED_TRACE(format.Rate);
    auto sink = CreateAlsaSink();
    ASSERT_TRUE(sink->Open(format)) << sink->ErrorText();
    std::vector<char> frames(static_cast<size_t>(BytesPerFrame(format)) * 5000);
    ASSERT_EQ(sink->Write(frames.data(), 5000), 5000);
    ASSERT_EQ(sink->Write(frames.data(), 123), 123);
    ASSERT_TRUE(sink->Drain());
    EXPECT_EQ(sink->FramesPlayed(), 5123);
    EXPECT_FALSE(sink->Failed());
    if (sink->Pause()) {
      sink->Resume();
      EXPECT_EQ(sink->Write(frames.data(), 10), 10);  // released: writing goes on
    }
    sink->Interrupt();
    EXPECT_EQ(sink->Write(frames.data(), 10), 0);
    EXPECT_FALSE(sink->Drain());
    sink->Reset();
    EXPECT_EQ(sink->FramesPlayed(), 0);
    EXPECT_EQ(sink->Write(frames.data(), 10), 10);
    sink->Close();
    sink->Close();
  }
}

TEST_F(AlsaNullDeviceTest, ADeviceThatOpensIsTheAutomaticChoice) {
  ScopedEnv env("XJ_AUDIO", std::nullopt);
  std::string error;
  auto sink = OpenAudioSink(kPhone, error);
  ASSERT_TRUE(sink) << error;
  EXPECT_STREQ(sink->Name(), "alsa");
}

TEST_F(AlsaNullDeviceTest, APlayerOnAlsaPlaysToTheNaturalEnd) {
  if (!HaveSox()) GTEST_SKIP() << "sox is not installed";
  ScopedEnv env("XJ_AUDIO", "alsa");
  ASSERT_TRUE(WriteToneWav(dir / "a.wav", 22050, 16, 2, 22050 * 3 / 2));
  EndCounter ends;
  Player player;
  player.SetEndCallback(ends.Callback());
  ASSERT_EQ(player.Open(dir / "a.wav"), PlayerError::None) << player.ErrorText();
  EXPECT_EQ(player.OutputName(), "alsa");
  EXPECT_EQ(player.Length(), 1500);
  ASSERT_EQ(player.Play(), PlayerError::None);
  ASSERT_TRUE(ends.WaitFor(1));  // this device plays everything the moment it gets it
  EXPECT_EQ(ends.Last(), PlaybackEnd::Finished);
  EXPECT_EQ(player.Position(), 1500);
  EXPECT_EQ(player.Mode(), PlayerMode::Stopped);
  player.Close();
  EXPECT_EQ(ends.Count(), 1);
}

// What is wrong, as bits: a sound library loaded before it was needed (1, 2), or not loaded once it
// was (4, 8).
int SoundLibrariesLoadedWhenFirstNeeded(const std::string& dir) {
  int wrong = (LibraryLoaded("libsndfile.so") ? 1 : 0) | (LibraryLoaded("libasound.so") ? 2 : 0);
  WriteBytes(dir + "/text.wav", "not a sound");
  Player player;
  if (player.Open(dir + "/text.wav") != PlayerError::NotAudio || !LibraryLoaded("libsndfile.so")) wrong |= 4;
  if (LibraryLoaded("libasound.so")) wrong |= 2;
  auto sink = CreateAlsaSink();
  if (!sink->Open(kPhone) || !LibraryLoaded("libasound.so")) wrong |= 8;
  return wrong;
}

// A fresh process (the other tests here load both libraries) that reads a file that is no sound, then
// opens ALSA's null device.
TEST_F(AlsaNullDeviceTest, TheSoundLibrariesAreLoadedWhenFirstNeeded) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(SoundLibrariesLoadedWhenFirstNeeded(dir.Path())), ::testing::ExitedWithCode(0), "");
}

TEST(AudioChoiceTest, XjAudioChoosesTheBackEnd) {
  bool alsaOpens = CreateAlsaSink()->Open(kPhone);
  std::string error;
  {
    ScopedEnv env("XJ_AUDIO", "null");
    auto sink = OpenAudioSink(kPhone, error);
    ASSERT_TRUE(sink);
    EXPECT_STREQ(sink->Name(), "null");
  }
  {
    ScopedEnv env("XJ_AUDIO", "alsa");
    auto sink = OpenAudioSink(kPhone, error);
    EXPECT_EQ(sink != nullptr, alsaOpens);
    if (sink)
      EXPECT_STREQ(sink->Name(), "alsa");
    else
      EXPECT_FALSE(error.empty());
  }
  for (const std::optional<std::string>& automatic : { std::optional<std::string>(), std::optional<std::string>("") }) {
    ScopedEnv env("XJ_AUDIO", automatic);
    auto sink = OpenAudioSink(kPhone, error);
    ASSERT_TRUE(sink);
    EXPECT_STREQ(sink->Name(), alsaOpens ? "alsa" : "null");
  }
  {
    ScopedEnv env("XJ_AUDIO", "pulse");
    error.clear();
    EXPECT_FALSE(OpenAudioSink(kPhone, error));
    EXPECT_NE(error.find("XJ_AUDIO"), std::string::npos);
  }
}

// No usable output is an open failure of its own, after which nothing is open.
TEST(AudioChoiceTest, APlayerWithoutOutputFailsToOpen) {
  if (!HaveSox()) GTEST_SKIP() << "sox is not installed";
  ScratchDir dir;
  ASSERT_TRUE(WriteToneWav(dir / "a.wav", 8000, 16, 1, 800));
  ScopedEnv env("XJ_AUDIO", "nowhere");
  Player player;
  EXPECT_EQ(player.Open(dir / "a.wav"), PlayerError::NoOutput);
  EXPECT_NE(player.ErrorText().find("XJ_AUDIO"), std::string::npos);
  EXPECT_EQ(player.Mode(), PlayerMode::NotReady);
}

}  // namespace
}  // namespace xj::audio::test
