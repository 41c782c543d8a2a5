#pragma once
// One line's recording: a WAV file (PCM, 8000 Hz, 16-bit, mono) whose header is rewritten after
// every write, so that the file is complete and playable whenever it is looked at, and the audio
// generator that fills it as box time passes.

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kaldo {

class Recording {
 public:
  // Creates (or truncates) the file at `path` (file-system encoding) and writes an empty WAV. Null
  // with a message when the file cannot be written, or when `path` names a symbolic link or anything
  // but a regular file (which are then left as they were).
  static std::unique_ptr<Recording> Create(const std::string& path, uint64_t startMs, uint64_t limitSamples,
                                           std::string* error);
  ~Recording();  // finishes the file if Finish was not called

  const std::string& Path() const { return FPath; }
  uint64_t StartMs() const { return FStartMs; }
  uint64_t Samples() const { return FGenerated; }
  uint64_t LimitSamples() const { return FLimit; }
  void SetLimitSamples(uint64_t limit) { FLimit = limit; }
  // Box time at which the limit is reached.
  uint64_t EndMs() const;
  bool Full() const { return FGenerated >= FLimit; }

  // Sample index of a box time (capped at the limit).
  uint64_t SampleAt(uint64_t ms) const;

  // Digits that arrive on the line from `sample` on: DTMF tones, one after the other.
  void AddDtmf(std::string_view digits, uint64_t sample);

  // Generates the audio up to `sample` (exclusive): line noise, the far end's voice tone while
  // `talking`, DTMF tones. Writes in batches. False when the file cannot be written; the file then
  // holds what was written before, with a valid header.
  bool Advance(uint64_t sample, bool talking);

  // Writes what is buffered, completes the header and closes the file. Idempotent.
  bool Finish();

 private:
  Recording() = default;
  bool Flush();
  bool WriteHeader();
  int16_t NextSample(uint64_t n, bool talking);

  struct Tone {
    uint64_t start;  // first sample
    char digit;
  };

  std::string FPath;
  int FFd = -1;
  uint64_t FStartMs = 0;
  uint64_t FLimit = 0;
  uint64_t FGenerated = 0;  // samples generated (written or buffered)
  uint64_t FWritten = 0;    // samples in the file
  uint32_t FNoise = 0x2545F491u;
  std::deque<Tone> FTones;
  uint64_t FTonesEnd = 0;  // first sample after the last scheduled tone and its pause
  std::vector<int16_t> FBuffer;
};

}  // namespace kaldo
