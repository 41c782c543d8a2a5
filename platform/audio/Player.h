#pragma once
// The playback engine beneath the media player: one sound file (read through libsndfile) played on an
// audio thread into the sink XJ_AUDIO chooses (AudioSink.h).
//
// Times are milliseconds. Length is the file's frame count in ms, rounded down; Position counts the
// frames heard, and at the natural end it is exactly Length and stays there until something moves it.
// Position, Length and Mode are safe from any thread, never fail and read 0 / NotReady when nothing is
// open. The control operations (Open ... Close) are meant for one thread; they are serialised anyway.
// None of them raises: failures come back as a PlayerError with the detail in ErrorText().

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace xj::audio {

enum class PlayerMode { NotReady, Stopped, Playing, Paused };

enum class PlayerError {
  None,
  NotOpen,       // nothing is open
  FileNotFound,  // there is no such file
  Unreadable,    // it exists but cannot be read (a directory, no permission, an I/O error)
  NotAudio,      // not a sound file that can be read (an empty file, text, a damaged header)
  NoOutput,      // no audio output could be opened for it
};

// How a run of playback ended by itself.
enum class PlaybackEnd {
  Finished,  // the natural end: Position == Length
  Failed,    // the output broke; Position is where it stopped
};

class Player {
 public:
  // Called once per run that ends by itself, on the audio thread, with no lock held. It may read
  // Position, Length and Mode; control operations belong on the controlling thread (post to it).
  using EndCallback = std::function<void(PlaybackEnd)>;

  Player();
  ~Player();  // closes
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  // Closes what is open, then opens the file (a GBK path, '\' as a separator) and an output for it.
  // Afterwards: Position 0, mode Stopped. On failure nothing is open.
  PlayerError Open(const std::string& gbkPath);
  // Stops and lets the file and the output go. Does nothing when nothing is open.
  void Close();

  // Starts from Position and returns at once. Playing at the end ends at once (the callback runs).
  PlayerError Play();
  // Holds playback; Play goes on from there. Does nothing unless playing.
  PlayerError Pause();
  // Stops, keeping Position.
  PlayerError Stop();
  // Moves Position (clamped to 0 .. Length); playback that was running goes on from there.
  PlayerError Seek(int32_t ms);
  PlayerError Rewind() { return Seek(0); }

  int32_t Length();
  int32_t Position();
  PlayerMode Mode();

  // The output in use ("alsa", "null"), empty when nothing is open.
  std::string OutputName();
  // Why the last operation failed, or why the last run failed.
  std::string ErrorText();

  void SetEndCallback(EndCallback callback);

 private:
  struct Impl;
  std::unique_ptr<Impl> F;
};

}  // namespace xj::audio
