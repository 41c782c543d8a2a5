// Sound through ALSA. The device is opened non-blocking so that the writer never sleeps inside ALSA
// for longer than a short poll and sees interruptions and holds promptly.

#include "platform/audio/alsa/AlsaSink.h"

#include <alsa/asoundlib.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "platform/base/SharedLibrary.h"

namespace xj::audio {
namespace {

constexpr unsigned kLatencyUs = 200000;  // what the device buffers ahead
constexpr int kPollMs = 20;              // the longest the writer waits before looking at its flags

// ALSA, opened when a sound is first played.
struct AlsaLibrary : SharedLibrary {
  AlsaLibrary() : SharedLibrary("libasound.so.2") {
    Bind(lib_error_set_handler, "snd_lib_error_set_handler");
    Bind(pcm_close, "snd_pcm_close");
    Bind(pcm_delay, "snd_pcm_delay");
    Bind(pcm_drop, "snd_pcm_drop");
    Bind(pcm_hw_params_can_pause, "snd_pcm_hw_params_can_pause");
    Bind(pcm_hw_params_current, "snd_pcm_hw_params_current");
    Bind(pcm_hw_params_free, "snd_pcm_hw_params_free");
    Bind(pcm_hw_params_malloc, "snd_pcm_hw_params_malloc");
    Bind(pcm_open, "snd_pcm_open");
    Bind(pcm_pause, "snd_pcm_pause");
    Bind(pcm_prepare, "snd_pcm_prepare");
    Bind(pcm_recover, "snd_pcm_recover");
    Bind(pcm_set_params, "snd_pcm_set_params");
    Bind(pcm_start, "snd_pcm_start");
    Bind(pcm_state, "snd_pcm_state");
    Bind(pcm_wait, "snd_pcm_wait");
    Bind(pcm_writei, "snd_pcm_writei");
    Bind(strerror, "snd_strerror");
  }
  decltype(&::snd_lib_error_set_handler) lib_error_set_handler;
  decltype(&::snd_pcm_close) pcm_close;
  decltype(&::snd_pcm_delay) pcm_delay;
  decltype(&::snd_pcm_drop) pcm_drop;
  decltype(&::snd_pcm_hw_params_can_pause) pcm_hw_params_can_pause;
  decltype(&::snd_pcm_hw_params_current) pcm_hw_params_current;
  decltype(&::snd_pcm_hw_params_free) pcm_hw_params_free;
  decltype(&::snd_pcm_hw_params_malloc) pcm_hw_params_malloc;
  decltype(&::snd_pcm_open) pcm_open;
  decltype(&::snd_pcm_pause) pcm_pause;
  decltype(&::snd_pcm_prepare) pcm_prepare;
  decltype(&::snd_pcm_recover) pcm_recover;
  decltype(&::snd_pcm_set_params) pcm_set_params;
  decltype(&::snd_pcm_start) pcm_start;
  decltype(&::snd_pcm_state) pcm_state;
  decltype(&::snd_pcm_wait) pcm_wait;
  decltype(&::snd_pcm_writei) pcm_writei;
  decltype(&::snd_strerror) strerror;
};

const AlsaLibrary& Alsa() {
  static const auto* lib = new AlsaLibrary;  // a writer thread may still call it while statics are destroyed
  return *lib;
}

// ALSA prints its complaints (no card, no configuration) on stderr; the caller reports failures.
void Quiet(const char*, int, const char*, int, const char*, ...) {}

class AlsaSink final : public AudioSink {
 public:
  ~AlsaSink() override { Close(); }

  const char* Name() const override { return "alsa"; }

  bool Open(const AudioFormat& format) override {
    if (!Alsa().Ok()) return Refuse(Alsa().Error().c_str(), 0);
    static std::once_flag quiet;
    std::call_once(quiet, [] { Alsa().lib_error_set_handler(&Quiet); });
    Close();
    if (format.Rate <= 0 || format.Channels <= 0) return Refuse("unsupported audio format", 0);
    int e = Alsa().pcm_open(&FPcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (e < 0) {
      FPcm = nullptr;
      return Refuse("cannot open the sound device", e);
    }
    const snd_pcm_format_t sampleFormat =
        format.Format == SampleFormat::F32 ? SND_PCM_FORMAT_FLOAT : SND_PCM_FORMAT_S16;
    e = Alsa().pcm_set_params(FPcm, sampleFormat, SND_PCM_ACCESS_RW_INTERLEAVED, static_cast<unsigned>(format.Channels),
                              static_cast<unsigned>(format.Rate), 1, kLatencyUs);
    if (e < 0) {
      Close();
      return Refuse("the sound device refuses the format", e);
    }
    snd_pcm_hw_params_t* hw = nullptr;
    FCanPause = Alsa().pcm_hw_params_malloc(&hw) == 0 && Alsa().pcm_hw_params_current(FPcm, hw) == 0 &&
                Alsa().pcm_hw_params_can_pause(hw) == 1;
    if (hw) Alsa().pcm_hw_params_free(hw);
    FBytesPerFrame = BytesPerFrame(format);
    Clear();
    return true;
  }

  int64_t Write(const void* frames, int64_t count) override {
    const auto* p = static_cast<const char*>(frames);
    int64_t done = 0;
    while (done < count && Service()) {
      if (FHeld) {
        Nap(kPollMs);
        continue;
      }
      const snd_pcm_sframes_t n =
          Alsa().pcm_writei(FPcm, p + done * FBytesPerFrame, static_cast<snd_pcm_uframes_t>(count - done));
      if (n > 0) {
        done += n;
        FQueued += n;
      } else if (n == 0 || n == -EAGAIN) {
        Alsa().pcm_wait(FPcm, kPollMs);
      } else if (const int e = Alsa().pcm_recover(FPcm, static_cast<int>(n), 1); e < 0) {
        Fail("the sound device stopped", e);
      }
      UpdatePlayed();
    }
    return done;
  }

  bool Drain() override {
    while (Service()) {
      UpdatePlayed();
      if (FPlayed.load() >= FQueued) return true;
      const snd_pcm_state_t state = Alsa().pcm_state(FPcm);
      if (state == SND_PCM_STATE_XRUN) {  // ran dry: everything queued has been heard
        FPlayed.store(FQueued);
        return true;
      }
      if (state == SND_PCM_STATE_DISCONNECTED) {
        Fail("the sound device is gone", -ENODEV);
        return false;
      }
      if (state == SND_PCM_STATE_SUSPENDED) {
        if (const int e = Alsa().pcm_recover(FPcm, -ESTRPIPE, 1); e < 0) {
          Fail("the sound device stopped", e);
          return false;
        }
      }
      // Fewer frames than the start threshold never start by themselves.
      if (state == SND_PCM_STATE_PREPARED && !FHeld) Alsa().pcm_start(FPcm);
      Nap(kPollMs / 2);
    }
    return false;
  }

  int64_t FramesPlayed() override { return FPlayed.load(); }

  bool Pause() override {
    if (!FCanPause) return false;
    Request(FWantHeld, true);
    return true;
  }

  void Resume() override { Request(FWantHeld, false); }

  void Interrupt() override { Request(FInterrupted, true); }

  void Reset() override {
    if (FPcm) {
      Alsa().pcm_drop(FPcm);
      Alsa().pcm_prepare(FPcm);
    }
    Clear();
  }

  void Close() override {
    FInterrupted.store(true);
    if (!FPcm) return;
    Alsa().pcm_drop(FPcm);
    Alsa().pcm_close(FPcm);
    FPcm = nullptr;
  }

  bool Failed() const override { return FFailed.load(); }

 private:
  bool Refuse(const char* what, int err) {
    FErrorText = err ? std::string(what) + ": " + Alsa().strerror(err) : std::string(what);
    return false;
  }

  void Fail(const char* what, int err) {
    Refuse(what, err);
    FFailed.store(true);
  }

  void Clear() {
    FQueued = 0;
    FPlayed.store(0);
    FHeld = false;
    FWantHeld.store(false);
    FInterrupted.store(false);
    FFailed.store(false);
  }

  void Request(std::atomic<bool>& flag, bool value) {
    {
      std::lock_guard lock(FWakeLock);
      flag.store(value);
    }
    FWake.notify_all();
  }

  void Nap(int ms) {
    std::unique_lock lock(FWakeLock);
    FWake.wait_for(lock, std::chrono::milliseconds(ms),
                   [this] { return FInterrupted.load() || FWantHeld.load() != FHeld; });
  }

  // The writer's turn to act on what other threads asked for. False: stop writing.
  bool Service() {
    if (FInterrupted.load() || FFailed.load() || !FPcm) return false;
    const bool want = FWantHeld.load();
    if (want != FHeld) {
      const snd_pcm_state_t state = Alsa().pcm_state(FPcm);
      if (state == SND_PCM_STATE_RUNNING || state == SND_PCM_STATE_PAUSED) {
        if (const int e = Alsa().pcm_pause(FPcm, want ? 1 : 0); e < 0) {
          Fail("the sound device cannot pause", e);
          return false;
        }
      }
      FHeld = want;
    }
    return true;
  }

  void UpdatePlayed() {
    snd_pcm_sframes_t delay = 0;
    // After an underrun the delay is an error: nothing is waiting to be heard.
    if (Alsa().pcm_delay(FPcm, &delay) < 0 || delay < 0) delay = 0;
    if (delay > FQueued) delay = FQueued;
    const int64_t played = FQueued - delay;
    if (played > FPlayed.load()) FPlayed.store(played);
  }

  snd_pcm_t* FPcm = nullptr;
  int FBytesPerFrame = 2;
  bool FCanPause = false;
  bool FHeld = false;   // the hold as applied to the device; writer only
  int64_t FQueued = 0;  // writer only
  std::atomic<int64_t> FPlayed { 0 };
  std::atomic<bool> FWantHeld { false };
  std::atomic<bool> FInterrupted { false };
  std::atomic<bool> FFailed { false };
  std::mutex FWakeLock;
  std::condition_variable FWake;
};

}  // namespace

std::unique_ptr<AudioSink> CreateAlsaSink() { return std::make_unique<AlsaSink>(); }

}  // namespace xj::audio
