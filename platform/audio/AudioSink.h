#pragma once
// Where decoded sound goes: one small interface over the audio back-ends (`alsa`, `null`).
//
// One writer thread feeds a sink (Write, Drain); any thread may ask how far playback has got
// (FramesPlayed) and hold, release or interrupt it (Pause, Resume, Interrupt). Open, Reset and Close
// are called only while no Write or Drain is running.

#include <cstdint>
#include <memory>
#include <string>

namespace xj::audio {

enum class SampleFormat {
  S16,  // signed 16-bit, native byte order
  F32,  // 32-bit float in [-1, 1], native byte order
};

struct AudioFormat {
  int Rate = 0;      // frames per second
  int Channels = 0;  // samples per frame, interleaved
  SampleFormat Format = SampleFormat::S16;
};

// Bytes of one interleaved frame.
int BytesPerFrame(const AudioFormat& format);

class AudioSink {
 public:
  virtual ~AudioSink() = default;

  // "alsa" or "null".
  virtual const char* Name() const = 0;

  // Prepares output in this format. False when the output cannot be had; ErrorText says why.
  virtual bool Open(const AudioFormat& format) = 0;

  // Queues frames, waiting while the output is full or held. Returns how many were queued: fewer
  // than asked only when interrupted or when the output failed (then Failed() is true).
  virtual int64_t Write(const void* frames, int64_t count) = 0;

  // Waits until every queued frame has been heard. False when interrupted or failed first.
  virtual bool Drain() = 0;

  // Frames heard since Open or Reset. Any thread.
  virtual int64_t FramesPlayed() = 0;

  // Holds the output where it is, keeping what is queued. False when this output cannot hold in
  // place (the caller then stops and starts again from FramesPlayed). Any thread.
  virtual bool Pause() = 0;
  virtual void Resume() = 0;

  // Makes a waiting Write or Drain return now, and every later one at once, until Reset. Any thread.
  virtual void Interrupt() = 0;

  // Discards what is queued, counts from zero again, releases a hold and clears an interruption.
  virtual void Reset() = 0;

  // Stops at once and lets the output go. Safe to call twice.
  virtual void Close() = 0;

  // The output broke while playing (device gone): Write and Drain give up.
  virtual bool Failed() const = 0;
  const std::string& ErrorText() const { return FErrorText; }

 protected:
  std::string FErrorText;
};

// The back-end chosen by XJ_AUDIO, opened for the format: "null" the null sink; "alsa" the ALSA
// device or nothing; unset or empty: ALSA when its device opens, else the null sink. Any other value
// is refused. On failure returns null with the reason in `error`.
std::unique_ptr<AudioSink> OpenAudioSink(const AudioFormat& format, std::string& error);

}  // namespace xj::audio
