#include "device/sim/Recording.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <numbers>

#include "device/KaldoSim.h"

namespace kaldo {
namespace {

constexpr uint32_t kHeaderBytes = 44;
constexpr uint64_t kSamplesPerMs = kSampleRate / 1000;
// Audio is written in batches of this many samples (200 ms): a killed process loses at most that
// much, and a poll of the box costs no system call most of the time.
constexpr size_t kBatchSamples = 1600;
constexpr uint64_t kToneSamples = 800;   // 100 ms per DTMF digit
constexpr uint64_t kPauseSamples = 400;  // 50 ms between digits
constexpr double kToneAmplitude = 6000;  // each of the two DTMF frequencies
constexpr double kVoiceAmplitude = 8000;
constexpr double kVoiceHz = 440;
constexpr int kNoiseAmplitude = 48;

struct DtmfPair {
  char digit;
  double low, high;
};
constexpr DtmfPair kDtmf[] = {
  { '1', 697, 1209 }, { '2', 697, 1336 }, { '3', 697, 1477 }, { 'A', 697, 1633 },
  { '4', 770, 1209 }, { '5', 770, 1336 }, { '6', 770, 1477 }, { 'B', 770, 1633 },
  { '7', 852, 1209 }, { '8', 852, 1336 }, { '9', 852, 1477 }, { 'C', 852, 1633 },
  { '*', 941, 1209 }, { '0', 941, 1336 }, { '#', 941, 1477 }, { 'D', 941, 1633 },
};

const DtmfPair* FindDtmf(char c) {
  if (c >= 'a' && c <= 'd') c = static_cast<char>(c - 'a' + 'A');
  for (const DtmfPair& p : kDtmf)
    if (p.digit == c) return &p;
  return nullptr;
}

double Sine(double hz, uint64_t n) {
  return std::sin(2 * std::numbers::pi * hz * static_cast<double>(n) / kSampleRate);
}

void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void Put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

bool WriteAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = ::write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::unique_ptr<Recording> Recording::Create(const std::string& path, uint64_t startMs, uint64_t limitSamples,
                                             std::string* error) {
  // Nothing is truncated before the name is known to be a regular file of its own: a symbolic link is
  // refused (its target may be anything, and must survive), the open neither follows links nor
  // truncates, and it does not block, so that a FIFO without a reader is refused instead of hanging.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0644);
  if (fd < 0) {
    if (error) {
      struct stat link;
      const bool isLink = errno == ELOOP && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
      *error = isLink ? "cannot record into '" + path + "': it is a symbolic link"
                      : "cannot create '" + path + "': " + std::strerror(errno);
    }
    return nullptr;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (error) *error = "cannot record into '" + path + "': not a regular file";
    ::close(fd);
    return nullptr;
  }
  if (::ftruncate(fd, 0) != 0) {
    if (error) *error = "cannot write '" + path + "': " + std::strerror(errno);
    ::close(fd);
    return nullptr;
  }
  std::unique_ptr<Recording> r(new Recording);
  r->FPath = path;
  r->FFd = fd;
  r->FStartMs = startMs;
  r->FLimit = limitSamples;
  r->FBuffer.reserve(kBatchSamples);
  // The header goes in with pwrite, so the data must start after it.
  if (!r->WriteHeader() || ::lseek(fd, kHeaderBytes, SEEK_SET) != kHeaderBytes) {
    if (error) *error = "cannot write '" + path + "': " + std::strerror(errno);
    ::close(fd);
    r->FFd = -1;
    ::unlink(path.c_str());
    return nullptr;
  }
  return r;
}

Recording::~Recording() { Finish(); }

uint64_t Recording::EndMs() const { return FStartMs + (FLimit + kSamplesPerMs - 1) / kSamplesPerMs; }

uint64_t Recording::SampleAt(uint64_t ms) const {
  uint64_t n = ms > FStartMs ? (ms - FStartMs) * kSamplesPerMs : 0;
  return std::min(n, FLimit);
}

void Recording::AddDtmf(std::string_view digits, uint64_t sample) {
  uint64_t at = std::max(sample, FTonesEnd);
  for (char c : digits) {
    if (!FindDtmf(c)) continue;
    FTones.push_back({ at, c });
    at += kToneSamples + kPauseSamples;
  }
  FTonesEnd = at;
}

int16_t Recording::NextSample(uint64_t n, bool talking) {
  // xorshift32: cheap, and the same noise for the same recording every run.
  FNoise ^= FNoise << 13;
  FNoise ^= FNoise >> 17;
  FNoise ^= FNoise << 5;
  double v = static_cast<int>(FNoise % (2 * kNoiseAmplitude + 1)) - kNoiseAmplitude;
  if (talking) v += kVoiceAmplitude * Sine(kVoiceHz, n);
  while (!FTones.empty() && FTones.front().start + kToneSamples <= n) FTones.pop_front();
  if (!FTones.empty() && FTones.front().start <= n) {
    const DtmfPair* p = FindDtmf(FTones.front().digit);
    v += kToneAmplitude * (Sine(p->low, n) + Sine(p->high, n));
  }
  return static_cast<int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
}

bool Recording::Advance(uint64_t sample, bool talking) {
  if (FFd < 0) return false;
  sample = std::min(sample, FLimit);
  while (FGenerated < sample) {
    size_t room = kBatchSamples - FBuffer.size();
    uint64_t n = std::min<uint64_t>(room, sample - FGenerated);
    for (uint64_t i = 0; i < n; ++i) FBuffer.push_back(NextSample(FGenerated + i, talking));
    FGenerated += n;
    if (FBuffer.size() >= kBatchSamples && !Flush()) return false;
  }
  return true;
}

bool Recording::Flush() {
  if (FBuffer.empty()) return true;
  // Samples are little-endian on disk; this box runs on little-endian machines only.
  static_assert(std::endian::native == std::endian::little);
  bool ok = WriteAll(FFd, FBuffer.data(), FBuffer.size() * sizeof(int16_t));
  if (ok) {
    FWritten += FBuffer.size();
    FBuffer.clear();
    return WriteHeader();
  }
  // Drop whatever part of the batch reached the disk, so that the header and the data agree.
  int err = errno;
  if (::ftruncate(FFd, kHeaderBytes + FWritten * 2) == 0) ::lseek(FFd, 0, SEEK_END);
  WriteHeader();
  errno = err;
  FBuffer.clear();
  return false;
}

bool Recording::WriteHeader() {
  uint8_t h[kHeaderBytes];
  uint32_t dataBytes = static_cast<uint32_t>(FWritten * 2);
  std::memcpy(h, "RIFF", 4);
  Put32(h + 4, 36 + dataBytes);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  Put32(h + 16, 16);
  Put16(h + 20, 1);  // PCM
  Put16(h + 22, 1);  // mono
  Put32(h + 24, kSampleRate);
  Put32(h + 28, kSampleRate * 2);
  Put16(h + 32, 2);
  Put16(h + 34, 16);
  std::memcpy(h + 36, "data", 4);
  Put32(h + 40, dataBytes);
  ssize_t n;
  do n = ::pwrite(FFd, h, sizeof h, 0);
  while (n < 0 && errno == EINTR);
  return n == static_cast<ssize_t>(sizeof h);
}

bool Recording::Finish() {
  if (FFd < 0) return true;
  bool ok = Flush();
  if (::close(FFd) != 0) ok = false;
  FFd = -1;
  return ok;
}

}  // namespace kaldo
