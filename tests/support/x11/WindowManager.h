#pragma once
// A real window manager on a test's private server: twm (no EWMH; transients stay undecorated), openbox or
// icewm (both EWMH). The suite names it in XJ_TEST_WM; ctest runs the X11 programs once under each.

#include <filesystem>
#include <memory>
#include <string>

#include "tests/support/Scratch.h"
#include "tests/support/XvfbServer.h"
#include "tests/support/x11/XProbe.h"

namespace xj::test {

// The manager XJ_TEST_WM names ("twm", "openbox", "icewm"), or empty for none.
inline std::string WindowManagerWanted() {
  const char* name = std::getenv("XJ_TEST_WM");
  return name ? std::string(name) : std::string();
}

// Where a test writes a screenshot of its server, build/tests/<stem>.png, named after the window manager
// too when one runs: ctest runs the program under each at once.
inline std::string ScreenshotPath(const std::string& stem) {
  const std::string manager = WindowManagerWanted();
  return std::string(XJ_BINARY_DIR) + "/tests/" + stem + (manager.empty() ? "" : "-" + manager) + ".png";
}

// Starts `name` on `display` and returns once it manages the screen (and, for an EWMH manager, has said
// what it supports, which the back-end reads when it connects). Null with the reason in `problem`.
inline std::unique_ptr<BackgroundProgram> StartWindowManager(const std::string& name, const std::string& display,
                                                             std::string& problem) {
  if (name != "twm" && name != "openbox" && name != "icewm") {
    problem = "XJ_TEST_WM names no window manager the tests know: " + name;
    return nullptr;
  }
  if (!OnPath(name.c_str())) {
    problem = name + " is not installed (scripts/setup installs it)";
    return nullptr;
  }
  // twm's default title fonts are not on a bare Xvfb; without them it gives up.
  static ScratchDir dir("xj-wm");
  const std::string rc = dir / "twmrc";
  WriteHostFile(rc,
                "TitleFont \"fixed\"\nResizeFont \"fixed\"\nMenuFont \"fixed\"\nIconFont \"fixed\"\n"
                "IconManagerFont \"fixed\"\n"
                // Placed where they ask, not by a click the tests never give (twm grabs the server
                // while it waits for one).
                "RandomPlacement\nUsePPosition \"on\"\n");
  // icewm is given a home of its own: a user's preferences would change what the tests see. Its task
  // bar's clock, load graphs and desktop previews would make every screenshot differ.
  std::filesystem::create_directories(dir / ".icewm");
  WriteHostFile(dir / ".icewm/preferences",
                "TaskBarShowClock=0\nTaskBarShowCPUStatus=0\nTaskBarShowNetStatus=0\nTaskBarShowMEMStatus=0\n"
                "PagerShowPreview=0\n");
  const std::string command = name == "twm"     ? "env LC_ALL=C twm -display " + display + " -f " + rc
                              : name == "icewm" ? "env HOME=" + dir.Path() + " DISPLAY=" + display + " icewm"
                                                : "env DISPLAY=" + display + " openbox --sm-disable";
  auto program = std::make_unique<BackgroundProgram>();
  XProbe probe(display);
  auto ready = [&] {
    return probe.WindowManagerRunning() && (name == "twm" || !probe.Longs(probe.Root(), "_NET_SUPPORTED").empty());
  };
  if (!probe.Connected() || !program->Start(command + " >/dev/null 2>&1") ||
      !WaitUntil([&] { return ready() || !program->Running(); }) || !ready()) {
    problem = name + " did not start";
    return nullptr;
  }
  // Announced is not yet at work: a map request that reaches openbox while it starts up waits for its
  // next event, which may never come. Ready once it has taken up a window of ours, woken as it needs.
  const unsigned long window = probe.MapWindow("xj-wm-probe");
  const bool works =
      WaitUntil([&] { return probe.WmState(window) != -1 || !program->Running(); }, [&] { probe.TouchRoot(); }) &&
      probe.WmState(window) != -1;
  probe.DestroyWindow(window);
  if (!works) {
    problem = name + " manages no window";
    return nullptr;
  }
  return program;
}

// A server for a test suite, with the window manager XJ_TEST_WM names running on it; null with the reason
// in `problem`.
inline XvfbServer* StartXvfbAndManager(std::string& problem) {
  XvfbServer* server = StartXvfb(problem);
  if (!server || WindowManagerWanted().empty()) return server;
  std::unique_ptr<BackgroundProgram> manager = StartWindowManager(WindowManagerWanted(), server->Name(), problem);
  if (!manager) {
    delete server;
    return nullptr;
  }
  server->Keep(std::move(manager));
  return server;
}

}  // namespace xj::test
