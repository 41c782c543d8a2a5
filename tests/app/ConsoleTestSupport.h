#pragma once
// The console on the simulated box, as an operator meets it: the three forms made as the entry routine
// makes them, the main form shown (which opens the box), the box's clock handed the harness's manual
// clock, no scenario and no control socket, recordings in a scratch directory. Tests click, type, pick
// menu items and advance time, then read the event list, the labels, the status bar and the message
// boxes.

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/About.h"
#include "app/Dialog.h"
#include "app/Kaldo.h"
#include "app/Main.h"
#include "device/KaldoApi.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/MPlayer.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/support/AudioTestSupport.h"
#include "tests/support/ControlsTestUtil.h"

namespace apptest {

using namespace ctltest;
using xj::audio::test::ScopedEnv;
using xj::audio::test::ScratchDir;

// The hooks of the loaded device library that drive its box.
struct TBoxHooks {
  decltype(&KaldoSetClock) SetClock {};
  decltype(&KaldoCommand) Command {};
  decltype(&KaldoSetScenario) SetScenario {};
  decltype(&KaldoSetCallLogging) SetCallLogging {};
  decltype(&KaldoCallLog) CallLog {};
  decltype(&KaldoClearCallLog) ClearCallLog {};
  decltype(&KaldoReset) Reset {};

  static const TBoxHooks& Get() {
    static const TBoxHooks hooks = [] {
      TBoxHooks h;
      if (!LoadDeviceLibrary()) return h;
      void* lib = dlopen(std::filesystem::path(DeviceLibraryPath().c_str()).c_str(), RTLD_NOW | RTLD_NOLOAD);
      if (!lib) return h;
      h.SetClock = reinterpret_cast<decltype(h.SetClock)>(dlsym(lib, "KaldoSetClock"));
      h.Command = reinterpret_cast<decltype(h.Command)>(dlsym(lib, "KaldoCommand"));
      h.SetScenario = reinterpret_cast<decltype(h.SetScenario)>(dlsym(lib, "KaldoSetScenario"));
      h.SetCallLogging = reinterpret_cast<decltype(h.SetCallLogging)>(dlsym(lib, "KaldoSetCallLogging"));
      h.CallLog = reinterpret_cast<decltype(h.CallLog)>(dlsym(lib, "KaldoCallLog"));
      h.ClearCallLog = reinterpret_cast<decltype(h.ClearCallLog)>(dlsym(lib, "KaldoClearCallLog"));
      h.Reset = reinterpret_cast<decltype(h.Reset)>(dlsym(lib, "KaldoReset"));
      dlclose(lib);
      return h;
    }();
    return hooks;
  }
  bool Ready() const {
    return SetClock && Command && SetScenario && SetCallLogging && CallLog && ClearCallLog && Reset;
  }
};

inline uint64_t PlatformClock(void*) { return GetTickCount64(); }

class ConsoleTest : public ControlsTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Box().Ready()) << "the device library was not found beside the tests";
    ControlsTest::SetUp();
    ASSERT_EQ(::chdir(dir.Path().c_str()), 0);
    Box().Reset();
    Box().SetScenario("");
    Box().SetClock(&PlatformClock, nullptr);
    Box().SetCallLogging(1);  // the tests read which calls the console made
    Box().ClearCallLog();
    Application->SetTitle(kProgramTitle);
  }
  void TearDown() override {
    ControlsTest::TearDown();
    Box().Reset();
    Box().SetClock(nullptr, nullptr);
    Box().SetScenario(nullptr);
    ::chdir("/");
  }

  static const TBoxHooks& Box() { return TBoxHooks::Get(); }

  // The forms as the entry routine makes them; the main form shown, as the message loop's start shows it.
  void Start(bool show = true) {
    Application->CreateForm(Form1);
    Application->CreateForm(FormDialog);
    Application->CreateForm(FormAbout);
    Keep(Form1);
    Keep(FormDialog);
    Keep(FormAbout);
    if (show) {
      Form1->Show();
      xt::PumpUntilIdle();
    }
  }

  // Scenario words, applied now.
  static void Command(const std::string& line) {
    char error[200] = "";
    ASSERT_EQ(Box().Command(line.c_str(), error, sizeof error), 0) << line << ": " << error;
  }

  static std::vector<KaldoCall> Calls() {
    std::vector<KaldoCall> calls(4096);
    const int n = Box().CallLog(calls.data(), static_cast<int32_t>(calls.size()));
    calls.resize(static_cast<size_t>(std::min<int>(n, 4096)));
    return calls;
  }
  static int CountCalls(uint32_t ordinal) {
    int n = 0;
    for (const KaldoCall& c : Calls()) n += c.ordinal == ordinal;
    return n;
  }

  // One poll tick (and whatever else is due meanwhile).
  static void Tick() { xt::Advance(400); }

  static std::vector<std::string> Events() {
    std::vector<std::string> lines;
    TStrings* items = Form1->LBMsg->Items();
    for (int i = 0; i < items->Count(); ++i) lines.push_back(items->Strings(i));
    return lines;
  }
  // The event lines added since the last call.
  std::vector<std::string> NewEvents() {
    std::vector<std::string> all = Events(), fresh;
    if (all.size() >= seen)
      fresh.assign(all.begin() + static_cast<long>(seen), all.end());
    else
      fresh = all;
    seen = all.size();
    return fresh;
  }

  // Operator actions.
  // Clicks the middle of the control; the messages go through the application's loop, as in the program
  // (an exception escaping a handler is shown by the application).
  static void ClickControl(TControl* c) {
    const TPoint p = At(c, c->Width() / 2, c->Height() / 2);
    xt::MouseMove(p.X, p.Y, false);
    xt::MouseDown(xt::mbLeft, p.X, p.Y, false);
    xt::MouseUp(xt::mbLeft, p.X, p.Y, false);
    Pump();
  }
  // Handles what is waiting as the program's loop does: an exception escaping a handler is shown by the
  // application's exception box, and handling goes on.
  static void Pump() {
    for (;;) {
      try {
        Application->ProcessMessages();
        return;
      } catch (...) {
        Application->HandleException(Application);
      }
    }
  }
  // A key pressed and released, through the application's key handling (accelerators, menus, dialog keys).
  static void Key(UINT vk, unsigned shift = xt::ssNone) {
    xt::KeyDown(vk, shift, false);
    xt::KeyUp(vk, shift, false);
    Pump();
  }
  // Clicks into the edit, selects everything and types the text (GBK) in its place.
  static void TypeInto(TWinControl* edit, const std::string& text) {
    ClickControl(edit);
    Key(VK_END);
    Key(VK_HOME, xt::ssShift);
    Key(VK_DELETE);
    if (!text.empty()) xt::TypeText(text);
    Pump();
  }
  // The texts of the message boxes shown so far (the harness closes each one with OK).
  static std::vector<std::string> Boxes() {
    std::vector<std::string> texts;
    for (const xt::ModalRecord& r : xt::ModalRecords())
      if (r.kind == xt::ModalRecord::MessageBox) texts.push_back(r.text);
    return texts;
  }

  ScratchDir dir;
  size_t seen { 0 };
};

}  // namespace apptest
