// What the engine opens: WAV files of every common shape, the recorder box's own files, GBK names,
// and the files it must refuse with the right reason.

#include <sys/stat.h>

#include "device/KaldoSim.h"
#include "tests/support/AudioTestSupport.h"

namespace xj::audio::test {
namespace {

using FileTest = PlayerTest;

struct Shape {
  int rate;
  int bits;
  int channels;
  int64_t frames;
};

// Length is the frame count in milliseconds, rounded down; the end is reached within the next
// millisecond, and Position is Length there.
TEST_F(FileTest, WavFilesOfEveryShapeHaveTheirLengthAndPlayToIt) {
  const Shape shapes[] = {
    { 8000, 16, 1, 12000 }, { 8000, 8, 1, 8001 },    { 8000, 8, 2, 7 },      { 11025, 8, 2, 12345 },
    { 11025, 16, 1, 5513 }, { 22050, 16, 2, 33333 }, { 22050, 8, 1, 22050 }, { 44100, 16, 2, 44101 },
    { 44100, 8, 2, 100 },   { 44100, 16, 1, 441 },
  };
  int ended = 0;
  for (const Shape& s : shapes) {
    SCOPED_TRACE(testing::Message() << s.rate << " Hz, " << s.bits << "-bit, " << s.channels << " ch, " << s.frames
                                    << " frames");
    const std::string path = dir / ("tone-" + std::to_string(ended) + ".wav");
    ASSERT_TRUE(WriteToneWav(path, s.rate, s.bits, s.channels, s.frames));
    OpenOk(path);
    const auto length = static_cast<int32_t>(s.frames * 1000 / s.rate);
    EXPECT_EQ(player.Length(), length);
    player.Play();
    if (length > 0) {
      Advance(length - 1);
      EXPECT_EQ(player.Position(), length - 1);
      EXPECT_EQ(player.Mode(), PlayerMode::Playing);
      Advance(1);
      EXPECT_EQ(player.Position(), length);
    }
    Advance(1);
    EXPECT_EQ(player.Mode(), PlayerMode::Stopped);
    EXPECT_EQ(player.Position(), length);
    ASSERT_TRUE(ends.WaitFor(++ended));
  }
}

TEST_F(FileTest, ARecordingOfTheBoxPlaysForItsRecordedTime) {
  std::atomic<uint64_t> boxTime { 1000 };
  kaldo::Box box;
  box.SetClock([](void* t) { return static_cast<std::atomic<uint64_t>*>(t)->load(); }, &boxTime);
  box.SetMessageSink([](std::string_view) {});
  ASSERT_EQ(box.DevOpen(), 0);
  const std::string done = dir / "done.wav", going = dir / "going.wav";
  ASSERT_EQ(box.DevStartRecord(0, done.c_str(), 0x0FFFFFFF), 0);
  ASSERT_EQ(box.DevStartRecord(1, going.c_str(), 0x0FFFFFFF), 0);
  boxTime += 1500;
  ASSERT_EQ(box.DevStopRecord(0), 0);
  box.DevGetRecordState(1);  // brings the second file up to date, but for the last unwritten batch

  OpenOk(done);
  EXPECT_EQ(player.Length(), 1500);
  player.Play();
  Advance(1500);
  EXPECT_EQ(player.Position(), 1500);
  EXPECT_EQ(player.Mode(), PlayerMode::Stopped);
  ASSERT_TRUE(ends.WaitFor(1));

  OpenOk(going);  // still being recorded: what has been written so far (the box writes 200 ms batches)
  EXPECT_GT(player.Length(), 1300);
  EXPECT_LE(player.Length(), 1500);
  player.Play();
  Advance(1500);
  EXPECT_EQ(player.Position(), player.Length());
  box.DevClose();
}

TEST_F(FileTest, AGbkNameWithBackslashesOpens) {
  std::filesystem::create_directory(dir / u8s(u8"录音"));
  ASSERT_TRUE(WriteToneWav(dir / (u8s(u8"录音") + "/" + u8s(u8"线1.wav")), 8000, 16, 1, 800));
  OpenOk(dir.Path() + "\\录音\\线1.wav");  // GBK bytes in the source's narrow literal
  EXPECT_EQ(player.Length(), 100);
}

// A WAV whose header promises more than the file holds still plays to an end at Length.
TEST_F(FileTest, ATruncatedFileStillEndsOnItsLength) {
  const std::string path = Tone("cut.wav", 2000);
  std::filesystem::resize_file(path, 44 + 8000);  // half a second of the two promised
  OpenOk(path);
  const int32_t length = player.Length();
  EXPECT_GT(length, 0);
  EXPECT_LE(length, 2000);
  player.Play();
  Advance(3000);
  EXPECT_EQ(player.Position(), length);
  EXPECT_EQ(player.Mode(), PlayerMode::Stopped);
  ASSERT_TRUE(ends.WaitFor(1));
  EXPECT_EQ(ends.Last(), PlaybackEnd::Finished);
}

TEST_F(FileTest, AWavWithoutFramesOpensWithLengthZeroAndEndsAtOnce) {
  const std::string path = dir / "empty.wav";
  // 8000 Hz, 16-bit mono PCM, data chunk of 0 bytes (sox cannot make one: 0 samples means "endless").
  WriteBytes(path, std::string("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x80\x3e\0\0\x02\0\x10\0"
                               "data\0\0\0\0",
                               44));
  OpenOk(path);
  EXPECT_EQ(player.Length(), 0);
  player.Play();
  EXPECT_EQ(player.Position(), 0);
  EXPECT_EQ(player.Mode(), PlayerMode::Stopped);
  ASSERT_TRUE(ends.WaitFor(1));
}

TEST_F(FileTest, FilesThatCannotBePlayedAreRefusedWithTheirReason) {
  WriteBytes(dir / "zero.wav", "");
  WriteBytes(dir / "text.wav", "This is not a sound file.\n");
  WriteBytes(dir / "riff.wav", std::string("RIFF\x24\0\0\0WAVEfmt ", 16));  // a header that stops short
  std::filesystem::create_directory(dir / "folder.wav");
  struct Case {
    std::string path;
    PlayerError error;
  };
  const Case cases[] = {
    { dir / "missing.wav", PlayerError::FileNotFound },
    { dir / "no-such-dir/a.wav", PlayerError::FileNotFound },
    { "", PlayerError::FileNotFound },
    { dir / "zero.wav", PlayerError::NotAudio },
    { dir / "text.wav", PlayerError::NotAudio },
    { dir / "riff.wav", PlayerError::NotAudio },
    { dir / "folder.wav", PlayerError::Unreadable },
  };
  for (const Case& c : cases) {
    EXPECT_EQ(player.Open(c.path), c.error) << c.path;
    EXPECT_FALSE(player.ErrorText().empty()) << c.path;
    EXPECT_EQ(player.Mode(), PlayerMode::NotReady) << c.path;
    EXPECT_EQ(player.Length(), 0) << c.path;
  }
}

TEST_F(FileTest, AFileWithoutReadPermissionIsUnreadable) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  const std::string path = Tone("locked.wav", 100);
  ::chmod(path.c_str(), 0);
  EXPECT_EQ(player.Open(path), PlayerError::Unreadable);
}

}  // namespace
}  // namespace xj::audio::test
