// The in-process fake serial device and the registry CreateFileA finds it in.

#include "platform/win32/comm/FakeCommDevice.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>

#include "platform/win32/WinComm.h"

namespace xj {

class FakeCommDevice final : public CommDevice {
 public:
  explicit FakeCommDevice(std::shared_ptr<FakeCommLine> line) : FLine(std::move(line)) {}
  ~FakeCommDevice() override { Close(); }

  CommIo ReadSome(uint8_t* buffer, size_t count) override {
    std::lock_guard<std::mutex> lock(FLine->FLock);
    CommIo io;
    io.Count = std::min(count, FLine->FInput.size());
    std::copy_n(FLine->FInput.begin(), io.Count, buffer);
    FLine->FInput.erase(FLine->FInput.begin(), FLine->FInput.begin() + static_cast<ptrdiff_t>(io.Count));
    io.HungUp = FLine->FHungUp && FLine->FInput.empty();
    return io;
  }

  CommIo WriteSome(const uint8_t* buffer, size_t count) override {
    std::lock_guard<std::mutex> lock(FLine->FLock);
    CommIo io;
    if (FLine->FHungUp) {
      io.Error = EIO;
      io.HungUp = true;
      return io;
    }
    if (FLine->FStopped) return io;
    io.Count = std::min(count, RoomLocked());
    FLine->FOutput.append(reinterpret_cast<const char*>(buffer), io.Count);
    return io;
  }

  size_t InputWaiting() override {
    std::lock_guard<std::mutex> lock(FLine->FLock);
    return FLine->FInput.size();
  }

  size_t OutputQueued() override {
    std::lock_guard<std::mutex> lock(FLine->FLock);
    return FLine->FOutput.size();
  }

  int Apply(const CommLineSettings& settings) override {
    std::lock_guard<std::mutex> lock(FLine->FLock);
    if (!FLine->FCustomRates && !IsStandardRate(settings.BaudRate)) return EINVAL;
    FLine->FSettings = settings;
    return 0;
  }

  CommLineSettings Current() override {
    std::lock_guard<std::mutex> lock(FLine->FLock);
    return FLine->FSettings;
  }

  int GetLines(unsigned& lines) override {
    std::lock_guard<std::mutex> lock(FLine->FLock);
    if (!FLine->FHasModemLines) return ENOTTY;
    lines = FLine->FInputLines | FLine->FOutputLines;
    return 0;
  }

  int SetLine(unsigned line, bool on) override {
    std::lock_guard<std::mutex> lock(FLine->FLock);
    if (!FLine->FHasModemLines) return ENOTTY;
    FLine->FOutputLines = on ? FLine->FOutputLines | line : FLine->FOutputLines & ~line;
    return 0;
  }

  int GetCounters(CommCounters& counters) override {
    std::lock_guard<std::mutex> lock(FLine->FLock);
    if (!FLine->FHasModemLines) return ENOTTY;
    counters = FLine->FCounters;
    return 0;
  }

  int Flush(bool input, bool output) override {
    std::lock_guard<std::mutex> lock(FLine->FLock);
    if (input) FLine->FInput.clear();
    if (output) FLine->FOutput.clear();
    FLine->NotifyLocked();
    return 0;
  }

  int StopOutput(bool stop) override {
    std::lock_guard<std::mutex> lock(FLine->FLock);
    FLine->FStopped = stop;
    FLine->NotifyLocked();
    return 0;
  }

  int SetBreak(bool on) override {
    std::lock_guard<std::mutex> lock(FLine->FLock);
    FLine->FBreak = on;
    return 0;
  }

  CommWaitResult Wait(bool watchDevice, bool wantInput, bool wantOutput, int timeoutMs, int wakeFd) override {
    {
      std::lock_guard<std::mutex> lock(FLine->FLock);
      const CommWaitResult now = StateLocked(watchDevice, wantInput, wantOutput);
      if (now.Ready || now.HungUp) return now;
      if (wakeFd >= 0) FLine->FWakers.push_back(wakeFd);
    }
    pollfd p { wakeFd, POLLIN, 0 };
    ::poll(&p, wakeFd >= 0 ? 1 : 0, timeoutMs);
    std::lock_guard<std::mutex> lock(FLine->FLock);
    auto& wakers = FLine->FWakers;
    if (wakeFd >= 0) wakers.erase(std::find(wakers.begin(), wakers.end(), wakeFd));
    return StateLocked(watchDevice, wantInput, wantOutput);
  }

  void Close() override {
    const std::shared_ptr<FakeCommLine> line = std::move(FLine);
    if (!line) return;
    std::lock_guard<std::mutex> lock(line->FLock);
    line->FOpen = false;
    line->FBreak = false;
    line->FStopped = false;
  }

 private:
  size_t RoomLocked() const {
    const size_t queued = FLine->FOutput.size();
    return queued >= FLine->FOutputCapacity ? 0 : FLine->FOutputCapacity - queued;
  }

  CommWaitResult StateLocked(bool watchDevice, bool wantInput, bool wantOutput) const {
    CommWaitResult r;
    if (!watchDevice) return r;
    r.HungUp = FLine->FHungUp;
    r.Ready = (wantInput && !FLine->FInput.empty()) || (wantOutput && !FLine->FStopped && RoomLocked() > 0);
    return r;
  }

  std::shared_ptr<FakeCommLine> FLine;
};

// ---- The far end ---------------------------------------------------------------------------------

// Input as the driver delivers it: with marking on, a real 0xFF is doubled.
void FakeCommLine::PushLocked(uint8_t byte) {
  FInput.push_back(byte);
  if (byte == 0xFF && FSettings.MarkErrors) FInput.push_back(0xFF);
}

void FakeCommLine::Receive(std::string_view bytes) {
  std::lock_guard<std::mutex> lock(FLock);
  for (char c : bytes) PushLocked(static_cast<uint8_t>(c));
  NotifyLocked();
}

void FakeCommLine::ReceiveBad(uint8_t byte, DWORD ceError) {
  std::lock_guard<std::mutex> lock(FLock);
  if (ceError & CE_FRAME) ++FCounters.Frame;
  if (ceError & CE_RXPARITY) ++FCounters.Parity;
  if (FSettings.MarkErrors) {
    FInput.push_back(0xFF);
    FInput.push_back(0x00);
    FInput.push_back(byte);
  } else {
    FInput.push_back(byte);
  }
  NotifyLocked();
}

void FakeCommLine::Lose(DWORD ceError) {
  std::lock_guard<std::mutex> lock(FLock);
  if (ceError & CE_OVERRUN) ++FCounters.Overrun;
  if (ceError & CE_RXOVER) ++FCounters.BufferOverrun;
  NotifyLocked();
}

void FakeCommLine::ReceiveBreak() {
  std::lock_guard<std::mutex> lock(FLock);
  ++FCounters.Break;
  if (FSettings.MarkErrors) {
    FInput.push_back(0xFF);
    FInput.push_back(0x00);
  }
  FInput.push_back(0x00);
  NotifyLocked();
}

void FakeCommLine::SetInputLines(unsigned lines) {
  std::lock_guard<std::mutex> lock(FLock);
  const unsigned changed = (lines ^ FInputLines) & (kLineCts | kLineDsr | kLineRing | kLineDcd);
  if (changed & kLineCts) ++FCounters.Cts;
  if (changed & kLineDsr) ++FCounters.Dsr;
  if (changed & kLineRing) ++FCounters.Ring;
  if (changed & kLineDcd) ++FCounters.Dcd;
  FInputLines ^= changed;
  NotifyLocked();
}

void FakeCommLine::PulseInputLines(unsigned lines) {
  std::lock_guard<std::mutex> lock(FLock);
  if (lines & kLineCts) FCounters.Cts += 2;
  if (lines & kLineDsr) FCounters.Dsr += 2;
  if (lines & kLineRing) FCounters.Ring += 2;
  if (lines & kLineDcd) FCounters.Dcd += 2;
  NotifyLocked();
}

void FakeCommLine::HangUp() {
  std::lock_guard<std::mutex> lock(FLock);
  FHungUp = true;
  NotifyLocked();
}

void FakeCommLine::SetOutputCapacity(size_t capacity) {
  std::lock_guard<std::mutex> lock(FLock);
  FOutputCapacity = capacity;
  NotifyLocked();
}

std::string FakeCommLine::TakeSent(size_t max) {
  std::lock_guard<std::mutex> lock(FLock);
  const size_t n = std::min(max, FOutput.size());
  std::string sent = FOutput.substr(0, n);
  FOutput.erase(0, n);
  NotifyLocked();
  return sent;
}

void FakeCommLine::SetHasModemLines(bool has) {
  std::lock_guard<std::mutex> lock(FLock);
  FHasModemLines = has;
}

void FakeCommLine::SetCustomRates(bool allowed) {
  std::lock_guard<std::mutex> lock(FLock);
  FCustomRates = allowed;
}

CommLineSettings FakeCommLine::Settings() const {
  std::lock_guard<std::mutex> lock(FLock);
  return FSettings;
}

unsigned FakeCommLine::OutputLines() const {
  std::lock_guard<std::mutex> lock(FLock);
  return FOutputLines;
}

bool FakeCommLine::BreakOn() const {
  std::lock_guard<std::mutex> lock(FLock);
  return FBreak;
}

bool FakeCommLine::OutputStopped() const {
  std::lock_guard<std::mutex> lock(FLock);
  return FStopped;
}

bool FakeCommLine::IsOpen() const {
  std::lock_guard<std::mutex> lock(FLock);
  return FOpen;
}

size_t FakeCommLine::InputQueued() const {
  std::lock_guard<std::mutex> lock(FLock);
  return FInput.size();
}

void FakeCommLine::NotifyLocked() {
  const uint64_t one = 1;
  for (int fd : FWakers) {
    while (::write(fd, &one, sizeof one) < 0 && errno == EINTR) {
    }
  }
}

// ---- Registry ------------------------------------------------------------------------------------

namespace {

std::mutex gFakesLock;
std::map<std::string, std::weak_ptr<FakeCommLine>>& Fakes() {
  static auto* fakes = new std::map<std::string, std::weak_ptr<FakeCommLine>>;
  return *fakes;
}

}  // namespace

std::shared_ptr<FakeCommLine> CreateFakeCommDevice(const std::string& name) {
  RegisterCommDevices();
  auto line = std::make_shared<FakeCommLine>();
  std::lock_guard<std::mutex> lock(gFakesLock);
  Fakes()[name] = line;
  return line;
}

bool OpenFakeCommDevice(const std::string& name, std::unique_ptr<CommDevice>& out, int& error) {
  std::shared_ptr<FakeCommLine> line;
  {
    std::lock_guard<std::mutex> lock(gFakesLock);
    auto it = Fakes().find(name);
    if (it == Fakes().end()) return false;
    line = it->second.lock();
    if (!line) {
      Fakes().erase(it);
      return false;
    }
  }
  std::lock_guard<std::mutex> lock(line->FLock);
  if (line->FOpen) {
    error = EBUSY;
    return true;
  }
  line->FOpen = true;
  line->FHungUp = false;
  out = std::make_unique<FakeCommDevice>(line);
  return true;
}

}  // namespace xj
