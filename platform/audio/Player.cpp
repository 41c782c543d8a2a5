// The playback engine: the file, the run on the audio thread, and the position bookkeeping.
//
// A "run" is one stretch of playback on one audio thread, from the frame Start onwards. While a run
// is live the position is Start plus what the sink has played; otherwise it is the stored frame. Two
// locks: Control serialises the control operations (and is held while joining the audio thread),
// Lock guards what readers and the audio thread share (never held while joining or calling back).

#include "platform/audio/Player.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/audio/AudioSink.h"
#include "platform/base/SharedLibrary.h"
#include "platform/win32/WinBase.h"

namespace xj::audio {
namespace {

// libsndfile, opened when a sound file is first read.
struct SndFileLibrary : SharedLibrary {
  SndFileLibrary() : SharedLibrary("libsndfile.so.1") {
    Bind(open_fd, "sf_open_fd");
    Bind(close, "sf_close");
    Bind(seek, "sf_seek");
    Bind(readf_short, "sf_readf_short");
    Bind(readf_float, "sf_readf_float");
    Bind(error, "sf_error");
    Bind(strerror, "sf_strerror");
  }
  decltype(&::sf_open_fd) open_fd;
  decltype(&::sf_close) close;
  decltype(&::sf_seek) seek;
  decltype(&::sf_readf_short) readf_short;
  decltype(&::sf_readf_float) readf_float;
  decltype(&::sf_error) error;
  decltype(&::sf_strerror) strerror;
};

const SndFileLibrary& SndFile() {
  static const auto* lib = new SndFileLibrary;  // the player's thread may read while statics are destroyed
  return *lib;
}

constexpr int64_t kChunkFrames = 2048;

int32_t FramesToMs(int64_t frames, int rate, bool roundUp) {
  const int64_t whole = frames / rate, rest = frames % rate;
  if (whole > INT32_MAX / 1000) return INT32_MAX;
  const int64_t ms = whole * 1000 + (rest * 1000 + (roundUp ? rate - 1 : 0)) / rate;
  return ms > INT32_MAX ? INT32_MAX : static_cast<int32_t>(ms);
}

int64_t MsToFrames(int32_t ms, int rate) { return static_cast<int64_t>(ms) * rate / 1000; }

// Eight- and sixteen-bit material (and the companded codes) loses nothing as 16-bit samples;
// anything wider goes out as float.
SampleFormat SampleFormatFor(int sfFormat) {
  switch (sfFormat & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
      return SampleFormat::S16;
    default:
      return SampleFormat::F32;
  }
}

}  // namespace

struct Player::Impl {
  std::mutex Control;
  std::mutex Lock;

  // Set by Open, cleared by Close (under Control and Lock); the audio thread reads the file only
  // during a run, the controlling thread only between runs.
  int Fd = -1;  // the file's descriptor, ours to close (libsndfile reads through it)
  SNDFILE* File = nullptr;
  AudioFormat Format;
  std::unique_ptr<AudioSink> Sink;
  int64_t Total = 0;
  int32_t LengthMs = 0;
  std::thread Thread;

  // Under Lock.
  PlayerMode Mode = PlayerMode::NotReady;
  bool Live = false;    // a run is under way and the sink's count tells the position
  bool Cancel = false;  // the run is being ended by a control operation: no callback
  int64_t Start = 0;    // first frame of the run
  int64_t Stored = 0;   // the position when no run is live
  std::string Error;
  EndCallback OnEnd;

  int64_t FrameLocked() const {
    if (!Live) return Stored;
    const int64_t frame = Start + Sink->FramesPlayed();
    return frame < Total ? frame : Total;
  }

  // A run whose sink has played to the end has ended, whether or not its thread has noticed yet:
  // Position and Mode must agree the moment the last frame is heard.
  void ObserveLocked() {
    if (Live && Start + Sink->FramesPlayed() >= Total) ArriveAtEndLocked();
  }

  void ArriveAtEndLocked() {
    Live = false;
    Stored = Total;
    Mode = PlayerMode::Stopped;
  }

  // Ends the run, if any, keeping the position it reached. Under Control, not Lock.
  void EndRun() {
    std::unique_lock lock(Lock);
    if (Live) {
      Stored = FrameLocked();
      Live = false;
      Cancel = true;
      Sink->Interrupt();
    }
    lock.unlock();
    if (!Thread.joinable()) return;
    // A callback that closes the player runs on the audio thread itself, which cannot join itself;
    // it touches nothing of ours after the callback returns.
    if (Thread.get_id() == std::this_thread::get_id())
      Thread.detach();
    else
      Thread.join();
    Sink->Reset();
  }

  PlayerError StartRun(int64_t from) {
    if (SndFile().seek(File, from, SEEK_SET) < 0) {
      std::lock_guard lock(Lock);
      Error = SndFile().strerror(File);
      return PlayerError::Unreadable;
    }
    Sink->Reset();
    std::lock_guard lock(Lock);
    Start = from;
    Live = true;
    Cancel = false;
    Mode = PlayerMode::Playing;
    try {
      Thread = std::thread(&Impl::Run, this);
    } catch (const std::system_error& e) {
      Live = false;
      Stored = from;
      Mode = PlayerMode::Stopped;
      Error = std::string("cannot start the audio thread: ") + e.what();
      return PlayerError::NoOutput;
    }
    return PlayerError::None;
  }

  // The audio thread.
  void Run() {
    std::vector<char> buffer(static_cast<size_t>(kChunkFrames * BytesPerFrame(Format)));
    bool complete = true;
    for (;;) {
      // A file shorter than its header promised just ends early; the end is still the end.
      const sf_count_t n = Format.Format == SampleFormat::S16
                               ? SndFile().readf_short(File, reinterpret_cast<short*>(buffer.data()), kChunkFrames)
                               : SndFile().readf_float(File, reinterpret_cast<float*>(buffer.data()), kChunkFrames);
      if (n <= 0) break;
      if (Sink->Write(buffer.data(), n) < n) {
        complete = false;
        break;
      }
    }
    if (complete) complete = Sink->Drain();
    Finish(complete);
  }

  void Finish(bool complete) {
    std::unique_lock lock(Lock);
    if (Cancel || (!complete && !Sink->Failed())) return;
    const PlaybackEnd end = complete ? PlaybackEnd::Finished : PlaybackEnd::Failed;
    if (Live) {
      if (complete) {
        ArriveAtEndLocked();
      } else {
        Stored = FrameLocked();
        Live = false;
        Mode = PlayerMode::Stopped;
        Error = Sink->ErrorText();
      }
    }
    EndCallback callback = OnEnd;
    lock.unlock();
    if (callback) callback(end);
  }

  void CloseFile() {
    EndRun();
    std::lock_guard lock(Lock);
    if (Sink) Sink->Close();
    Sink.reset();
    if (File) SndFile().close(File);
    File = nullptr;
    if (Fd >= 0) ::close(Fd);
    Fd = -1;
    Total = 0;
    LengthMs = 0;
    Stored = 0;
    Mode = PlayerMode::NotReady;
  }

  PlayerError Fail(PlayerError code, std::string text) {
    std::lock_guard lock(Lock);
    Error = std::move(text);
    return code;
  }

  PlayerError OpenFile(const std::string& gbkPath) {
    const std::string path = PathToHost(gbkPath);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      const int e = errno;
      return Fail(e == ENOENT || e == ENOTDIR || path.empty() ? PlayerError::FileNotFound : PlayerError::Unreadable,
                  std::strerror(e));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      return Fail(PlayerError::Unreadable, "not a regular file");
    }
    const SndFileLibrary& sf = SndFile();
    if (!sf.Ok()) {
      ::close(fd);
      return Fail(PlayerError::Unreadable, sf.Error());
    }
    SF_INFO info {};
    SNDFILE* file = sf.open_fd(fd, SFM_READ, &info, SF_FALSE);
    if (!file) {
      const int code = sf.error(nullptr);
      std::string text = sf.strerror(nullptr);
      ::close(fd);
      return Fail(code == SF_ERR_SYSTEM ? PlayerError::Unreadable : PlayerError::NotAudio, text);
    }
    const auto drop = [&] {
      sf.close(file);
      ::close(fd);
    };
    if (info.frames < 0 || info.samplerate <= 0 || info.channels <= 0) {
      drop();
      return Fail(PlayerError::NotAudio, "the file's header makes no sense");
    }
    const AudioFormat format { info.samplerate, info.channels, SampleFormatFor(info.format) };
    std::string why;
    std::unique_ptr<AudioSink> sink = OpenAudioSink(format, why);
    if (!sink) {
      drop();
      return Fail(PlayerError::NoOutput, why);
    }
    std::lock_guard lock(Lock);
    Fd = fd;
    File = file;
    Format = format;
    Sink = std::move(sink);
    Total = info.frames;
    LengthMs = FramesToMs(Total, format.Rate, false);
    Stored = 0;
    Mode = PlayerMode::Stopped;
    Error.clear();
    return PlayerError::None;
  }
};

Player::Player() : F(std::make_unique<Impl>()) {}

Player::~Player() { Close(); }

PlayerError Player::Open(const std::string& gbkPath) {
  std::lock_guard control(F->Control);
  F->CloseFile();
  return F->OpenFile(gbkPath);
}

void Player::Close() {
  std::lock_guard control(F->Control);
  F->CloseFile();
}

PlayerError Player::Play() {
  std::lock_guard control(F->Control);
  if (!F->File) return F->Fail(PlayerError::NotOpen, "nothing is open");
  {
    std::lock_guard lock(F->Lock);
    F->ObserveLocked();
    if (F->Mode == PlayerMode::Playing) return PlayerError::None;
    if (F->Mode == PlayerMode::Paused && F->Live) {  // held in place by the sink
      F->Sink->Resume();
      F->Mode = PlayerMode::Playing;
      return PlayerError::None;
    }
  }
  F->EndRun();
  return F->StartRun(F->Stored);
}

PlayerError Player::Pause() {
  std::lock_guard control(F->Control);
  if (!F->File) return F->Fail(PlayerError::NotOpen, "nothing is open");
  {
    std::lock_guard lock(F->Lock);
    F->ObserveLocked();
    if (F->Mode != PlayerMode::Playing) return PlayerError::None;
    if (F->Sink->Pause()) {
      F->Mode = PlayerMode::Paused;
      return PlayerError::None;
    }
  }
  // This output cannot hold in place: stop here, and Play starts a new run from here.
  F->EndRun();
  std::lock_guard lock(F->Lock);
  F->Mode = PlayerMode::Paused;
  return PlayerError::None;
}

PlayerError Player::Stop() {
  std::lock_guard control(F->Control);
  if (!F->File) return F->Fail(PlayerError::NotOpen, "nothing is open");
  F->EndRun();
  std::lock_guard lock(F->Lock);
  F->Mode = PlayerMode::Stopped;
  return PlayerError::None;
}

PlayerError Player::Seek(int32_t ms) {
  std::lock_guard control(F->Control);
  if (!F->File) return F->Fail(PlayerError::NotOpen, "nothing is open");
  bool playing;
  {
    std::lock_guard lock(F->Lock);
    F->ObserveLocked();
    playing = F->Mode == PlayerMode::Playing;
  }
  F->EndRun();
  {
    std::lock_guard lock(F->Lock);
    const int32_t to = ms < 0 ? 0 : ms > F->LengthMs ? F->LengthMs : ms;
    F->Stored = MsToFrames(to, F->Format.Rate);
  }
  return playing ? F->StartRun(F->Stored) : PlayerError::None;
}

int32_t Player::Length() {
  std::lock_guard lock(F->Lock);
  return F->LengthMs;
}

int32_t Player::Position() {
  std::lock_guard lock(F->Lock);
  if (F->Mode == PlayerMode::NotReady) return 0;
  F->ObserveLocked();
  const int32_t ms = FramesToMs(F->FrameLocked(), F->Format.Rate, true);
  return ms < F->LengthMs ? ms : F->LengthMs;
}

PlayerMode Player::Mode() {
  std::lock_guard lock(F->Lock);
  F->ObserveLocked();
  return F->Mode;
}

std::string Player::OutputName() {
  std::lock_guard lock(F->Lock);
  return F->Sink ? F->Sink->Name() : "";
}

std::string Player::ErrorText() {
  std::lock_guard lock(F->Lock);
  return F->Error;
}

void Player::SetEndCallback(EndCallback callback) {
  std::lock_guard lock(F->Lock);
  F->OnEnd = std::move(callback);
}

}  // namespace xj::audio
