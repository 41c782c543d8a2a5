// Recordings: real WAV files whose length matches the recorded time, valid at every moment,
// finished by stop, by close, by their limits; and what is heard on the line.

#include <signal.h>
#include <sndfile.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>

#include "tests/device/BoxTestSupport.h"

namespace kaldo::test {
namespace {

constexpr int32_t kConsoleLimit = 0x0FFFFFFF;

struct WavInfo {
  bool ok = false;
  int rate = 0;
  int channels = 0;
  int format = 0;
  int64_t frames = 0;
  std::vector<int16_t> samples;
};

WavInfo ReadWav(const std::string& path) {
  WavInfo w;
  SF_INFO info {};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (!f) return w;
  w.ok = true;
  w.rate = info.samplerate;
  w.channels = info.channels;
  w.format = info.format;
  w.frames = info.frames;
  w.samples.resize(static_cast<size_t>(info.frames));
  sf_count_t got = sf_read_short(f, w.samples.data(), info.frames);
  w.samples.resize(static_cast<size_t>(got));
  sf_close(f);
  return w;
}

// The data size the header claims, and the size of the file: equal in a consistent file.
std::pair<uint32_t, uintmax_t> HeaderAndFileData(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char h[44] = {};
  in.read(reinterpret_cast<char*>(h), 44);
  uint32_t data = h[40] | h[41] << 8 | h[42] << 16 | static_cast<uint32_t>(h[43]) << 24;
  return { data, std::filesystem::file_size(path) - 44 };
}

// Strength of one frequency in a stretch of samples (Goertzel), relative to full scale.
double Power(const std::vector<int16_t>& s, size_t from, size_t count, double hz) {
  double k = 2 * std::cos(2 * std::numbers::pi * hz / kSampleRate), a = 0, b = 0;
  for (size_t i = from; i < from + count && i < s.size(); ++i) {
    double c = s[i] / 32768.0 + k * a - b;
    b = a;
    a = c;
  }
  return std::sqrt(a * a + b * b - k * a * b) / static_cast<double>(count);
}

std::string Soxi(const std::string& path, const char* option) {
  if (std::system("command -v soxi >/dev/null 2>&1") != 0) return "no soxi";
  std::string cmd = std::string("soxi ") + option + " '" + path + "' 2>&1";
  std::string out;
  if (FILE* p = ::popen(cmd.c_str(), "r")) {
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    ::pclose(p);
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

class RecordingTest : public BoxTest {
 protected:
  void SetUp() override { Open(4); }
  std::string Wav(const char* name) { return dir / name; }
  ScratchDir dir;
};

TEST_F(RecordingTest, AStoppedRecordingIsAWavOfTheRecordedLength) {
  std::string path = Wav("line0.wav");
  ASSERT_EQ(box.DevStartRecord(0, path.c_str(), kConsoleLimit), 0);
  EXPECT_NE(box.DevGetRecordState(0), 0);
  Advance(2500);
  EXPECT_EQ(box.DevGetRecordState(0), 1);
  ASSERT_EQ(box.DevStopRecord(0), 0);
  EXPECT_EQ(box.DevGetRecordState(0), 0);

  WavInfo w = ReadWav(path);
  ASSERT_TRUE(w.ok);
  EXPECT_EQ(w.rate, 8000);
  EXPECT_EQ(w.channels, 1);
  EXPECT_EQ(w.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  EXPECT_EQ(w.frames, 20000);
  auto [header, file] = HeaderAndFileData(path);
  EXPECT_EQ(header, file);
  std::string soxi = Soxi(path, "-s");
  if (soxi != "no soxi") {
    EXPECT_EQ(soxi, "20000");
    EXPECT_EQ(Soxi(path, "-r"), "8000");
    EXPECT_EQ(Soxi(path, "-b"), "16");
  }
}

// Players that trust the header rather than re-deriving it read every field: the RIFF size counts the
// bytes after its own eight, and the byte rate and block align are those of 16-bit mono at 8 kHz.
TEST_F(RecordingTest, TheHeaderIsTheStandardFortyFourBytes) {
  std::string path = Wav("header.wav");
  ASSERT_EQ(box.DevStartRecord(2, path.c_str(), kConsoleLimit), 0);
  Advance(375);
  ASSERT_EQ(box.DevStopRecord(2), 0);
  std::vector<unsigned char> expected;
  auto text = [&](const char* t) { expected.insert(expected.end(), t, t + 4); };
  auto le = [&](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) expected.push_back(static_cast<unsigned char>(v >> (8 * i)));
  };
  text("RIFF"), le(36 + 6000, 4), text("WAVE"), text("fmt "), le(16, 4), le(1, 2), le(1, 2);
  le(8000, 4), le(16000, 4), le(2, 2), le(16, 2), text("data"), le(6000, 4);
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> header(44);
  in.read(reinterpret_cast<char*>(header.data()), 44);
  EXPECT_EQ(header, expected);
  EXPECT_EQ(std::filesystem::file_size(path), 44u + 6000u);
}

TEST_F(RecordingTest, TheFileIsValidWhileRecording) {
  std::string path = Wav("live.wav");
  ASSERT_EQ(box.DevStartRecord(1, path.c_str(), kConsoleLimit), 0);
  for (int step = 0; step < 12; ++step) {
    Advance(170);
    box.DevGetRecordState(1);
    auto [header, file] = HeaderAndFileData(path);
    EXPECT_EQ(header, file) << "step " << step;
    WavInfo w = ReadWav(path);
    ASSERT_TRUE(w.ok) << "step " << step;
    // Audio is written in batches of 200 ms at most behind the clock.
    EXPECT_LE(w.frames, (step + 1) * 170 * 8);
    EXPECT_GE(w.frames, (step + 1) * 170 * 8 - 1600);
  }
}

TEST_F(RecordingTest, CloseFinishesEveryRecording) {
  std::string a = Wav("a.wav"), b = Wav("b.wav");
  ASSERT_EQ(box.DevStartRecord(0, a.c_str(), kConsoleLimit), 0);
  Advance(700);
  ASSERT_EQ(box.DevStartRecord(3, b.c_str(), kConsoleLimit), 0);
  Advance(1301);
  ASSERT_EQ(box.DevClose(), 0);
  EXPECT_EQ(ReadWav(a).frames, 2001 * 8);
  EXPECT_EQ(ReadWav(b).frames, 1301 * 8);
  EXPECT_EQ(HeaderAndFileData(b).first, HeaderAndFileData(b).second);
}

TEST_F(RecordingTest, DestroyingTheBoxFinishesRecordingsToo) {
  std::string path = Wav("d.wav");
  {
    ManualClock c;
    Box other;
    other.SetClock(&ManualClock::Read, &c);
    ASSERT_EQ(other.DevOpen(), 0);
    ASSERT_EQ(other.DevStartRecord(0, path.c_str(), kConsoleLimit), 0);
    c.Advance(333);
  }
  EXPECT_EQ(ReadWav(path).frames, 333 * 8);
}

TEST_F(RecordingTest, RecordingsEndByThemselvesAtTheirLimits) {
  std::string bytes = Wav("bytes.wav"), timed = Wav("timed.wav"), cut = Wav("cut.wav");
  ASSERT_EQ(box.DevStartRecord(0, bytes.c_str(), 16000), 0);  // one second of audio
  Advance(999);
  EXPECT_EQ(box.DevGetRecordState(0), 1);
  Advance(1);
  EXPECT_EQ(box.DevGetRecordState(0), 0);
  EXPECT_EQ(ReadWav(bytes).frames, 8000);
  EXPECT_EQ(box.DevStopRecord(0), 0) << "stopping an ended recording succeeds";
  EXPECT_EQ(ReadWav(bytes).frames, 8000);

  Run("recordlimit 500");
  ASSERT_EQ(box.DevStartRecord(1, timed.c_str(), kConsoleLimit), 0);
  Advance(499);
  EXPECT_EQ(box.DevGetRecordState(1), 1);
  Advance(1);
  EXPECT_EQ(box.DevGetRecordState(1), 0);
  EXPECT_EQ(ReadWav(timed).frames, 4000);

  // Without a limit again; then a limit below what a running recording already holds ends it there.
  Run("recordlimit 0");
  ASSERT_EQ(box.DevStartRecord(2, cut.c_str(), kConsoleLimit), 0);
  Advance(800);
  EXPECT_EQ(box.DevGetRecordState(2), 1);
  Run("recordlimit 500");
  EXPECT_EQ(box.DevGetRecordState(2), 0);
  EXPECT_EQ(ReadWav(cut).frames, 6400);
}

TEST_F(RecordingTest, AnOddByteLimitKeepsWholeSamples) {
  std::string path = Wav("odd.wav");
  ASSERT_EQ(box.DevStartRecord(0, path.c_str(), 1001), 0);
  Advance(5000);
  EXPECT_EQ(box.DevGetRecordState(0), 0);
  EXPECT_EQ(ReadWav(path).frames, 500);
}

TEST_F(RecordingTest, StoppingALineThatIsNotRecordingSucceeds) {
  EXPECT_EQ(box.DevStopRecord(2), 0);
  EXPECT_EQ(box.DevGetRecordState(2), 0);
}

TEST_F(RecordingTest, StartingAgainFinishesTheFirstFile) {
  std::string first = Wav("first.wav"), second = Wav("second.wav");
  ASSERT_EQ(box.DevStartRecord(0, first.c_str(), kConsoleLimit), 0);
  Advance(1000);
  ASSERT_EQ(box.DevStartRecord(0, second.c_str(), kConsoleLimit), 0);
  Advance(250);
  ASSERT_EQ(box.DevStopRecord(0), 0);
  EXPECT_EQ(ReadWav(first).frames, 8000);
  EXPECT_EQ(ReadWav(second).frames, 2000);
  // The same name again replaces the file with the new recording.
  ASSERT_EQ(box.DevStartRecord(0, first.c_str(), kConsoleLimit), 0);
  Advance(100);
  ASSERT_EQ(box.DevStopRecord(0), 0);
  EXPECT_EQ(ReadWav(first).frames, 800);
}

TEST_F(RecordingTest, GbkNamesBecomeUtf8AndBackslashesSeparators) {
  ASSERT_EQ(::mkdir(Wav("sub").c_str(), 0755), 0);
  std::string cwd = std::filesystem::current_path();
  ASSERT_EQ(::chdir(dir.Path().c_str()), 0);
  // "录音.wav" and "sub\文件.wav" in GBK (the narrow literals of this build are GBK).
  EXPECT_EQ(box.DevStartRecord(0, "录音.wav", kConsoleLimit), 0);
  EXPECT_EQ(box.DevStartRecord(1, "sub\\文件.wav", kConsoleLimit), 0);
  Advance(100);
  EXPECT_EQ(box.DevClose(), 0);
  ASSERT_EQ(::chdir(cwd.c_str()), 0);
  EXPECT_EQ(ReadWav(dir / "\xE5\xBD\x95\xE9\x9F\xB3.wav").frames, 800);
  EXPECT_EQ(ReadWav(dir / "sub/\xE6\x96\x87\xE4\xBB\xB6.wav").frames, 800);
}

TEST_F(RecordingTest, NamesThatCannotBeWrittenAreRefused) {
  std::string missingDir = Wav("no/such/dir.wav");
  std::string badGbk = dir / "\x81.wav";  // a lead byte without its trail byte
  std::string isDir = dir.Path();
  std::string fifo = dir / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& name : { missingDir, badGbk, isDir, fifo, std::string("/dev/null") }) {
    messages.clear();
    EXPECT_EQ(box.DevStartRecord(0, name.c_str(), kConsoleLimit), -1) << name;
    EXPECT_EQ(box.DevGetRecordState(0), 0) << name;
    EXPECT_EQ(messages.size(), 1u) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(missingDir));
}

// A name that is a symbolic link is refused whatever the link points to, and the target keeps its
// contents; a regular file of that name is truncated and recorded into as before.
TEST_F(RecordingTest, ASymbolicLinkIsRefusedAndItsTargetSurvives) {
  const std::string precious = Wav("precious.txt"), missing = Wav("missing.wav");
  const std::string contents = "line one\r\nline two\r\n";
  std::ofstream(precious, std::ios::binary) << contents;
  const std::string toFile = Wav("to-file.wav"), toMissing = Wav("to-missing.wav"), toNull = Wav("to-null.wav");
  ASSERT_EQ(::symlink(precious.c_str(), toFile.c_str()), 0);
  ASSERT_EQ(::symlink(missing.c_str(), toMissing.c_str()), 0);
  ASSERT_EQ(::symlink("/dev/null", toNull.c_str()), 0);
  for (const std::string& link : { toFile, toMissing, toNull }) {
    messages.clear();
    EXPECT_EQ(box.DevStartRecord(1, link.c_str(), kConsoleLimit), -1) << link;
    EXPECT_EQ(box.DevGetRecordState(1), 0) << link;
    ASSERT_EQ(messages.size(), 1u) << link;
    EXPECT_NE(messages[0].find("symbolic link"), std::string::npos) << messages[0];
  }
  std::ifstream in(precious, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), contents);
  EXPECT_FALSE(std::filesystem::exists(missing)) << "nothing is created through a dangling link";

  ASSERT_EQ(box.DevStartRecord(1, precious.c_str(), kConsoleLimit), 0);
  Advance(100);
  ASSERT_EQ(box.DevStopRecord(1), 0);
  EXPECT_EQ(ReadWav(precious).frames, 800);
  auto [header, file] = HeaderAndFileData(precious);
  EXPECT_EQ(header, file);
}

TEST_F(RecordingTest, AnInjectedStartFailureCreatesNoFile) {
  std::string path = Wav("never.wav");
  Run("fail 0 start 1");
  EXPECT_EQ(box.DevStartRecord(0, path.c_str(), kConsoleLimit), -1);
  EXPECT_FALSE(std::filesystem::exists(path));
  Run("fail 0 stop 1");
  ASSERT_EQ(box.DevStartRecord(0, path.c_str(), kConsoleLimit), 0);
  EXPECT_EQ(box.DevStopRecord(0), -1);
  EXPECT_EQ(box.DevGetRecordState(0), 1) << "a refused stop leaves the recording running";
}

TEST_F(RecordingTest, DtmfDigitsAndTheFarEndAreHeard) {
  std::string path = Wav("heard.wav");
  ASSERT_EQ(box.DevStartRecord(0, path.c_str(), kConsoleLimit), 0);
  Advance(500);
  Run("dtmf 0 5#");  // 5: 770 + 1336 Hz at 500..600 ms; #: 941 + 1477 Hz at 650..750 ms
  Advance(1000);
  Run("call 0");
  Run("offhook 0");  // answered at 1500 ms: the far end talks
  Advance(500);
  Run("hangup 0");
  Advance(500);
  ASSERT_EQ(box.DevStopRecord(0), 0);
  WavInfo w = ReadWav(path);
  ASSERT_EQ(w.frames, 2500 * 8);
  auto window = [](int ms) { return static_cast<size_t>(ms * 8); };
  constexpr size_t kLen = 640;  // 80 ms
  EXPECT_GT(Power(w.samples, window(510), kLen, 770), 0.05);
  EXPECT_GT(Power(w.samples, window(510), kLen, 1336), 0.05);
  EXPECT_LT(Power(w.samples, window(510), kLen, 941), 0.01);
  EXPECT_GT(Power(w.samples, window(660), kLen, 941), 0.05);
  EXPECT_GT(Power(w.samples, window(660), kLen, 1477), 0.05);
  EXPECT_LT(Power(w.samples, window(660), kLen, 770), 0.01);
  EXPECT_GT(Power(w.samples, window(1600), kLen, 440), 0.05);
  for (int quiet : { 100, 1000, 2100 }) {
    for (double hz : { 440.0, 770.0, 941.0, 1336.0 })
      EXPECT_LT(Power(w.samples, window(quiet), kLen, hz), 0.01) << quiet << " ms, " << hz << " Hz";
    int peak = 0;
    for (size_t i = window(quiet); i < window(quiet) + kLen; ++i) peak = std::max(peak, std::abs(w.samples[i]));
    EXPECT_GT(peak, 0) << "line noise, not digital silence";
    EXPECT_LT(peak, 200);
  }
}

// A write that fails half-way (here: the file-size limit) breaks the recording off; the file keeps
// the audio written before, with a header that matches it. Run in a child: the limit is per process.
TEST_F(RecordingTest, AWriteFailureLeavesAConsistentFileAndIsReported) {
  std::string path = Wav("full.wav");
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit lim { 44 + 4000, RLIM_INFINITY };  // room for 2000 samples: one batch of 1600 fits, two do not
    ::setrlimit(RLIMIT_FSIZE, &lim);
    ManualClock c;
    Box b;
    b.SetClock(&ManualClock::Read, &c);
    b.SetMessageSink([](std::string_view) {});
    int code = b.DevOpen() == 0 && b.DevStartRecord(0, path.c_str(), kConsoleLimit) == 0 ? 0 : 10;
    c.Advance(1000);
    if (b.DevGetRecordState(0) != -1) code |= 20;
    if (b.DevGetRecordState(0) != 0) code |= 40;
    ::_exit(code);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadWav(path).frames, 1600);
  auto [header, file] = HeaderAndFileData(path);
  EXPECT_EQ(header, file);
}

TEST_F(RecordingTest, TheCallLogKeepsTheNameAsPassed) {
  std::string path = Wav("log.wav");
  box.SetCallLogging(true);
  box.DevStartRecord(2, path.c_str(), kConsoleLimit);
  std::vector<CallRecord> log = box.CallLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].ordinal, kDevStartRecord);
  EXPECT_EQ(log[0].argCount, 3);
  EXPECT_EQ(log[0].args[0], 2);
  EXPECT_EQ(log[0].args[2], kConsoleLimit);
  EXPECT_EQ(log[0].text, path);
}

}  // namespace
}  // namespace kaldo::test
