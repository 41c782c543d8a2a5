// The environment every program honours: XJ_EXIT_AFTER closes the main window after so many
// milliseconds, XJ_SCREENSHOT and XJ_UI_DUMP write the desktop and the window tree when the
// program ends (before its main window goes, so that they show it).

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/display/Display.h"
#include "platform/win32/WinBase.h"
#include "platform/win32/WmBackend.h"
#include "platform/win32/WmModal.h"
#include "platform/win32/WmInternal.h"

namespace xj::wm {

namespace {

struct Environment : StatePart {
  bool started { false };
  bool written { false };
  HWND main {};
  UINT_PTR exitTimer { 0 };
};

Environment& Env() { return Part<Environment>(PartId::Environment); }

WindowDescriber& Describer() {
  static auto* d = new WindowDescriber;
  return *d;
}

const char* Var(const char* name) {
  const char* v = getenv(name);
  return v && *v ? v : nullptr;
}

void Describe(Wnd* w, UiNode& node) {
  char cls[128] = "";
  GetClassNameA(w->handle, cls, sizeof cls);
  node.className = cls;
  node.text = w->text;
  if (auto& d = Describer()) d(w->handle, node);
  for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
    if (!(*it)->Visible()) continue;
    UiNode child;
    Describe(*it, child);
    node.children.push_back(std::move(child));
  }
}

void WriteNode(std::ofstream& out, const UiNode& n, int depth) {
  std::string indent((size_t)depth * 2, ' ');
  out << indent << n.className;
  if (!n.name.empty()) out << ' ' << n.name;
  out << " \"" << GbkToUtf8(n.text) << "\"\n";
  for (const std::string& item : n.items) out << indent << "  - " << GbkToUtf8(item) << '\n';
  for (const UiNode& c : n.children) WriteNode(out, c, depth + 1);
}

void CloseMainWindow(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  WriteExitArtifacts();
  HWND main = MainWindow();
  if (main)
    PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);  // as the operator would
  else
    PostQuitMessage(0);
}

}  // namespace

void SetMainWindow(HWND h) { Env().main = h; }

void SetWindowDescriber(WindowDescriber describe) { Describer() = std::move(describe); }

HWND MainWindow() {
  Environment& e = Env();
  if (IsWindow(e.main)) return e.main;
  // Without a class library to say so: the first unowned top-level window that is shown.
  for (auto it = Desktop()->children.rbegin(); it != Desktop()->children.rend(); ++it) {
    Wnd* w = *it;
    if (w->Visible() && !w->owner && !(w->exStyle & WS_EX_TOOLWINDOW) && w->everActive) return w->handle;
  }
  return nullptr;
}

bool WriteUiDump(const std::string& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  const auto& tops = Desktop()->children;
  for (Wnd* w : tops) {
    if (!w->Visible()) continue;
    UiNode node;
    Describe(w, node);
    WriteNode(out, node, 0);
  }
  return (bool)out;
}

void WriteExitArtifacts() {
  Environment& e = Env();
  if (e.written) return;
  e.written = true;
  if (const char* shot = Var("XJ_SCREENSHOT")) {
    PresentAll();
    std::string err;
    if (!EnsureDisplay().WriteDesktopPng(shot, &err)) fprintf(stderr, "XJ_SCREENSHOT: %s\n", err.c_str());
  }
  if (const char* dump = Var("XJ_UI_DUMP"))
    if (!WriteUiDump(dump)) fprintf(stderr, "XJ_UI_DUMP: cannot write %s\n", dump);
}

// Called when the program's message loop first runs.
void StartEnvironment() {
  Environment& e = Env();
  if (e.started) return;
  e.started = true;
  if (Var("XJ_SCREENSHOT") || Var("XJ_UI_DUMP")) atexit([] { WriteExitArtifacts(); });
  if (const char* after = Var("XJ_EXIT_AFTER")) {
    char* end = nullptr;
    long long ms = strtoll(after, &end, 10);
    if (end == after || *end || ms < 0) {
      fprintf(stderr, "XJ_EXIT_AFTER: not a number of milliseconds: %s\n", after);
      return;
    }
    int64_t left = ms - (int64_t)Now();
    e.exitTimer = SetTimer(nullptr, 0, (UINT)std::max<int64_t>(left, 1), CloseMainWindow);
  }
}

// The main window is about to go: what the artifacts must show is still there.
void MainWindowClosing(Wnd* w) {
  if (Env().started && w->handle == MainWindow()) WriteExitArtifacts();
}

}  // namespace xj::wm
