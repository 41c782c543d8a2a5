// The test harness over the window manager's hooks.

#include <algorithm>
#include <cstdio>
#include <deque>
#include <stdexcept>

#include "platform/display/headless/HeadlessDisplay.h"
#include "platform/win32/Clock.h"
#include "platform/win32/GdiInternal.h"
#include "platform/win32/NotifyArea.h"
#include "platform/win32/WinBase.h"
#include "platform/win32/WinGdi.h"
#include "platform/testing/TestHooks.h"
#include "platform/win32/WmBackend.h"
#include "platform/win32/WmDc.h"
#include "platform/win32/WmHooks.h"
#include "platform/win32/WmInternal.h"

namespace xj::test {

namespace {

void TextLogOn(bool on) {
  gdi::EnableTextLog(on);
  gdi::ClearTextLog();
}

struct State {
  bool installed { false };
  std::unique_ptr<ManualClock> clock;
  Clock* previousClock {};
  int quitCode { -1 };
  std::deque<std::function<LONG_PTR(const ModalRecord&)>> answers;
  std::vector<ModalRecord> records;
  int unscripted { 0 };
  std::vector<MessageTrace*> traces;
};

State& H() {
  static State s;
  return s;
}

void Require() {
  if (!H().installed) throw std::logic_error("no test harness installed");
}

ModalRecord::Kind KindOf(wm::ModalFrame::Kind k) {
  switch (k) {
    case wm::ModalFrame::MessageBox:
      return ModalRecord::MessageBox;
    case wm::ModalFrame::Form:
      return ModalRecord::Form;
    case wm::ModalFrame::Menu:
      return ModalRecord::Menu;
    case wm::ModalFrame::SizeMove:
      return ModalRecord::SizeMove;
    case wm::ModalFrame::ColourDialog:
      return ModalRecord::ColourDialog;
  }
  return ModalRecord::Form;
}

// A modal loop with nothing left to do: answer it from the script. The move/size loop, the caption
// button and scroll-bar presses end with the input queued for them; when that is exhausted they are
// ended by releasing the capture.
bool OnIdle(wm::ModalFrame* top) {
  State& s = H();
  if (!top) return false;
  if (top->desktop) return false;  // the desktop ends it: the loop waits for the display
  if (top->kind == wm::ModalFrame::SizeMove && s.answers.empty()) {
    ReleaseCapture();
    return true;
  }
  ModalRecord rec { KindOf(top->kind), top->hwnd, top->caption, top->text, top->type, !s.answers.empty() };
  s.records.push_back(rec);
  LONG_PTR result = 0;
  if (!s.answers.empty()) {
    auto answer = std::move(s.answers.front());
    s.answers.pop_front();
    result = answer(rec);
  } else {
    ++s.unscripted;
    if (top->kind == wm::ModalFrame::MessageBox) result = (top->type & MB_TYPEMASK) == MB_OK ? IDOK : IDCANCEL;
    std::fprintf(stderr, "harness: unscripted modal loop \"%s\" closed\n", top->caption.c_str());
  }
  if (top->kind == wm::ModalFrame::SizeMove) {
    // The answer drove the loop with input of its own; it ends as that input says.
    if (!GetCapture()) top->ended = true;
    return true;
  }
  if (result == kKeepOpen) return true;
  top->ended = true;
  top->result = result;
  return true;
}

// A loop that is idle outside any modal frame but still waits (a capture-tracking press): nothing can
// arrive, so let it finish.
bool Idle(wm::ModalFrame* top) {
  if (top) return OnIdle(top);
  if (GetCapture()) {
    ReleaseCapture();
    return true;
  }
  // A message loop waiting under the manual clock: time passes to the next timer.
  uint64_t due;
  if (wm::NextTimerDue(due)) {
    if (due > Now()) H().clock->Set(due);
    return true;
  }
  throw std::runtime_error("the message loop waits for input that will never come");
}

// Mouse input over the notification-area strip is the display's to turn into tray events.
bool InjectOverTray(const wm::RawInput& ev) {
  auto* d = dynamic_cast<display::HeadlessBackend*>(wm::CurrentDisplay());
  if (!d || ev.kind == wm::RawInput::KeyDown || ev.kind == wm::RawInput::KeyUp || ev.kind == wm::RawInput::Chars ||
      ev.kind == wm::RawInput::Leave || !d->OverTrayStrip(ev.pt))
    return false;
  display::Event e;
  e.type = ev.kind == wm::RawInput::ButtonDown ? display::EventType::ButtonDown
           : ev.kind == wm::RawInput::ButtonUp ? display::EventType::ButtonUp
           : ev.kind == wm::RawInput::Wheel    ? display::EventType::Wheel
                                               : display::EventType::MouseMove;
  e.pt = ev.pt;
  e.button = ev.button == mbRight    ? display::MouseButton::Right
             : ev.button == mbMiddle ? display::MouseButton::Middle
                                     : display::MouseButton::Left;
  e.wheelDelta = ev.delta;
  d->Inject(std::move(e));
  return true;
}

void Inject(wm::RawInput ev, bool pump) {
  Require();
  if (!InjectOverTray(ev)) wm::InjectInput(std::move(ev));
  if (pump) PumpUntilIdle();
}

wm::RawInput Mouse(wm::RawInput::Kind k, int x, int y, int button = 0) {
  wm::RawInput ev;
  ev.kind = k;
  ev.pt = POINT { x, y };
  ev.button = button;
  ev.time = (DWORD)Now();
  return ev;
}

wm::RawInput Key(wm::RawInput::Kind k, UINT vk, std::string text = {}) {
  wm::RawInput ev;
  ev.kind = k;
  ev.vk = vk;
  ev.text = std::move(text);
  ev.time = (DWORD)Now();
  return ev;
}

void Modifiers(unsigned shift, bool down) {
  if (shift & ssShift) Inject(Key(down ? wm::RawInput::KeyDown : wm::RawInput::KeyUp, VK_SHIFT), false);
  if (shift & ssCtrl) Inject(Key(down ? wm::RawInput::KeyDown : wm::RawInput::KeyUp, VK_CONTROL), false);
  if (shift & ssAlt) Inject(Key(down ? wm::RawInput::KeyDown : wm::RawInput::KeyUp, VK_MENU), false);
}

// The key that types an ASCII character on the US layout, and whether Shift is needed.
bool KeyForChar(unsigned char c, UINT& vk, bool& shift) {
  static const char* shifted = ")!@#$%^&*(";
  shift = false;
  if (c >= 'a' && c <= 'z') return vk = c - 32, true;
  if (c >= 'A' && c <= 'Z') return vk = c, shift = true, true;
  if (c >= '0' && c <= '9') return vk = c, true;
  for (int i = 0; i < 10; ++i)
    if (shifted[i] == c) return vk = '0' + i, shift = true, true;
  struct {
    char c;
    UINT vk;
    bool shift;
  } table[] = { { ' ', VK_SPACE, false }, { '\r', VK_RETURN, false }, { '\n', VK_RETURN, false },
                { '\t', VK_TAB, false },  { '\b', VK_BACK, false },   { ';', 0xBA, false },
                { ':', 0xBA, true },      { '=', 0xBB, false },       { '+', 0xBB, true },
                { ',', 0xBC, false },     { '<', 0xBC, true },        { '-', 0xBD, false },
                { '_', 0xBD, true },      { '.', 0xBE, false },       { '>', 0xBE, true },
                { '/', 0xBF, false },     { '?', 0xBF, true },        { '`', 0xC0, false },
                { '~', 0xC0, true },      { '[', 0xDB, false },       { '{', 0xDB, true },
                { '\\', 0xDC, false },    { '|', 0xDC, true },        { ']', 0xDD, false },
                { '}', 0xDD, true },      { '\'', 0xDE, false },      { '"', 0xDE, true } };
  for (auto& t : table)
    if ((unsigned char)t.c == c) return vk = t.vk, shift = t.shift, true;
  return false;
}

const UINT kImeProcessKey = 0xE5;

}  // namespace

// ---- Harness ------------------------------------------------------------------------------------------

Harness::Harness(uint64_t start) {
  State& s = H();
  if (s.installed) throw std::logic_error("a test harness is already installed");
  s = State {};
  s.installed = true;
  s.clock = std::make_unique<ManualClock>(start);
  s.previousClock = SetClock(s.clock.get());
  SetClockPump(ClockPump { [] {
                            uint64_t due;
                            return wm::NextTimerDue(due) ? std::optional<uint64_t>(due) : std::nullopt;
                          },
                           [] { PumpUntilIdle(); } });
  wm::Hooks& h = wm::TheHooks();
  h.idle = Idle;
  h.observe = [](HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    for (MessageTrace* t : std::vector<MessageTrace*>(H().traces)) t->Record(hwnd, msg, w, l);
  };
  wm::SetDisplay(std::make_unique<display::HeadlessBackend>());
  SetScreen(1024, 768, RECT { 0, 0, 1024, 738 });
  TextLogOn(true);
}

Harness::~Harness() {
  DestroyCaret();
  for (int round = 0; round < 4 && !wm::TopLevels().empty(); ++round)
    for (wm::Wnd* w : wm::TopLevels())
      if (IsWindow(w->handle)) {
        DestroyWindow(w->handle);
        break;
      }
  while (!wm::TopLevels().empty()) DestroyWindow(wm::TopLevels().front()->handle);
  wm::SetDisplay(nullptr);
  wm::ResetState();
  TextLogOn(false);
  wm::Hooks& h = wm::TheHooks();
  h = wm::Hooks {};
  SetClockPump(ClockPump {});
  SetClock(H().previousClock);
  xj::SetReportedVersion(5, 1);
  H() = State {};
}

uint64_t Now() { return CurrentClock().Milliseconds(); }

int PumpUntilIdle() {
  Require();
  int n = 0;
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      H().quitCode = (int)m.wParam;
      continue;
    }
    TranslateMessage(&m);
    DispatchMessageA(&m);
    if (++n > 1000000) throw std::runtime_error("the message queue never became idle");
  }
  return n;
}

int QuitCode() { return H().quitCode; }

void Advance(uint64_t ms) {
  Require();
  PumpUntilIdle();
  H().clock->Advance(ms);
}

void Jump(uint64_t ms) {
  Require();
  H().clock->Jump(ms);
}

void SetReportedVersion(DWORD major, DWORD minor) { xj::SetReportedVersion(major, minor); }

void SetScreen(int width, int height, const RECT& workArea) {
  if (auto* d = dynamic_cast<display::HeadlessBackend*>(wm::CurrentDisplay()))
    d->SetScreen(SIZE { width, height }, workArea);
  wm::SetScreenGeometry(RECT { 0, 0, width, height }, workArea);
}

// ---- Input ----------------------------------------------------------------------------------------------

void MouseMove(int x, int y, bool pump) { Inject(Mouse(wm::RawInput::MouseMove, x, y), pump); }
void MouseDown(Button b, int x, int y, bool pump) { Inject(Mouse(wm::RawInput::ButtonDown, x, y, b), pump); }
void MouseUp(Button b, int x, int y, bool pump) { Inject(Mouse(wm::RawInput::ButtonUp, x, y, b), pump); }

void Click(int x, int y, Button b) {
  MouseMove(x, y, false);
  MouseDown(b, x, y, false);
  MouseUp(b, x, y, true);
}

void DoubleClick(int x, int y, Button b) {
  MouseMove(x, y, false);
  MouseDown(b, x, y, false);
  MouseUp(b, x, y, false);
  MouseDown(b, x, y, false);
  MouseUp(b, x, y, true);
}

void Drag(int x1, int y1, int x2, int y2, Button b) {
  MouseMove(x1, y1, false);
  MouseDown(b, x1, y1, false);
  MouseMove(x2, y2, false);
  MouseUp(b, x2, y2, true);
}

void Wheel(int delta, bool pump) {
  POINT p;
  GetCursorPos(&p);
  wm::RawInput ev = Mouse(wm::RawInput::Wheel, p.x, p.y);
  ev.delta = delta;
  Inject(ev, pump);
}

void KeyDown(UINT vk, unsigned shift, bool pump) {
  Modifiers(shift, true);
  Inject(Key(wm::RawInput::KeyDown, vk), pump);
}

void KeyUp(UINT vk, unsigned shift, bool pump) {
  Inject(Key(wm::RawInput::KeyUp, vk), false);
  Modifiers(shift, false);
  if (pump) PumpUntilIdle();
}

void KeyPress(UINT vk, unsigned shift) {
  KeyDown(vk, shift, false);
  KeyUp(vk, shift, true);
}

void TypeText(const std::string& gbk) {
  for (size_t i = 0; i < gbk.size(); ++i) {
    unsigned char c = (unsigned char)gbk[i];
    if (c >= 0x81 && c <= 0xFE && i + 1 < gbk.size()) {
      std::string pair = gbk.substr(i, 2);
      ++i;
      Inject(Key(wm::RawInput::KeyDown, kImeProcessKey, pair), false);
      Inject(Key(wm::RawInput::KeyUp, kImeProcessKey), false);
      continue;
    }
    UINT vk;
    bool shift;
    if (!KeyForChar(c, vk, shift)) {
      ImeCommit(std::string(1, (char)c));
      continue;
    }
    if (shift) Inject(Key(wm::RawInput::KeyDown, VK_SHIFT), false);
    Inject(Key(wm::RawInput::KeyDown, vk, std::string(1, c == '\n' ? '\r' : (char)c)), false);
    Inject(Key(wm::RawInput::KeyUp, vk), false);
    if (shift) Inject(Key(wm::RawInput::KeyUp, VK_SHIFT), false);
  }
  PumpUntilIdle();
}

void ImeCommit(const std::string& gbk) {
  wm::RawInput ev = Key(wm::RawInput::Chars, 0, gbk);
  Inject(ev, true);
}

// ---- Notification area ----------------------------------------------------------------------------------

std::vector<TrayIconInfo> TrayIcons() {
  std::vector<TrayIconInfo> out;
  display::Backend* d = wm::CurrentDisplay();
  for (const wm::NotifyIcon& i : wm::NotifyIcons())
    out.push_back(TrayIconInfo { i.hwnd, i.id, i.hasCallback ? i.callback : 0, i.tip,
                                 d ? d->TrayIconRect(i.displayId) : RECT {} });
  return out;
}

void RestartShell() {
  Require();
  wm::RestartNotifyArea();
  PumpUntilIdle();
}

// ---- Modal loops --------------------------------------------------------------------------------------

void AnswerModal(std::function<LONG_PTR(const ModalRecord&)> answer) { H().answers.push_back(std::move(answer)); }
void AnswerModal(LONG_PTR result) {
  AnswerModal([result](const ModalRecord&) { return result; });
}
const std::vector<ModalRecord>& ModalRecords() { return H().records; }
int UnscriptedModals() { return H().unscripted; }

// ---- Traces -------------------------------------------------------------------------------------------

MessageTrace::MessageTrace(HWND hwnd, std::vector<UINT> only) : FHwnd(hwnd), FOnly(std::move(only)) {
  H().traces.push_back(this);
}

MessageTrace::~MessageTrace() {
  auto& t = H().traces;
  t.erase(std::remove(t.begin(), t.end(), this), t.end());
}

void MessageTrace::Record(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (FHwnd && h != FHwnd) return;
  if (!FOnly.empty() && std::find(FOnly.begin(), FOnly.end(), msg) == FOnly.end()) return;
  FMessages.push_back(MSG { h, msg, wParam, lParam, (DWORD)Now(), {} });
}

std::vector<UINT> MessageTrace::Ids() const {
  std::vector<UINT> ids;
  for (const MSG& m : FMessages) ids.push_back(m.message);
  return ids;
}

int MessageTrace::Count(UINT msg) const {
  return (int)std::count_if(FMessages.begin(), FMessages.end(), [&](const MSG& m) { return m.message == msg; });
}

// ---- Read-back ----------------------------------------------------------------------------------------

WindowInfo Info(HWND hwnd) {
  WindowInfo i {};
  wm::Wnd* w = wm::FromHandle(hwnd);
  if (!w) return i;
  i.window = wm::ScreenRect(w);
  i.client = wm::ScreenClient(w);
  i.style = w->style;
  i.exStyle = w->exStyle;
  i.layered = (w->exStyle & WS_EX_LAYERED) != 0;
  i.alpha = w->alpha;
  i.alphaSet = w->alphaSet;
  i.hasRegion = w->region != nullptr;
  return i;
}

bool WindowRegionContains(HWND hwnd, POINT windowPt) {
  wm::Wnd* w = wm::FromHandle(hwnd);
  return w && wm::WindowRegionContains(w, windowPt);
}

}  // namespace xj::test

namespace xj::test {

namespace {

COLORREF ToColorRef(uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// The rectangle of a window inside its top-level surface.
bool AreaInTop(HWND hwnd, bool frame, RECT& area, wm::TopSurface*& surface) {
  wm::Wnd* w = wm::FromHandle(hwnd);
  if (!w) return false;
  wm::Wnd* top = wm::Root(w);
  surface = wm::SurfaceOf(top);
  if (!surface) return false;
  RECT r = frame ? wm::ScreenRect(w) : wm::ScreenClient(w);
  POINT t = wm::WindowOrigin(top);
  area = RECT { r.left - t.x, r.top - t.y, r.right - t.x, r.bottom - t.y };
  return true;
}

}  // namespace

COLORREF ReadPixel(HWND hwnd, int x, int y, bool frame) {
  RECT area;
  wm::TopSurface* s;
  if (!AreaInTop(hwnd, frame, area, s)) return CLR_INVALID;
  int sx = area.left + x, sy = area.top + y;
  if (x < 0 || y < 0 || sx >= area.right || sy >= area.bottom || sx >= s->width || sy >= s->height) return CLR_INVALID;
  return ToColorRef(s->pixels[(size_t)sy * s->width + sx]);
}

std::vector<COLORREF> WindowPixels(HWND hwnd, bool frame, int* width, int* height) {
  RECT area;
  wm::TopSurface* s;
  std::vector<COLORREF> out;
  if (!AreaInTop(hwnd, frame, area, s)) return out;
  int w = area.right - area.left, h = area.bottom - area.top;
  out.reserve((size_t)w * h);
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      out.push_back(x >= 0 && y >= 0 && x < s->width && y < s->height ? ToColorRef(s->pixels[(size_t)y * s->width + x])
                                                                      : CLR_INVALID);
  if (width) *width = w;
  if (height) *height = h;
  return out;
}

std::vector<COLORREF> DesktopPixels(int* width, int* height) {
  wm::PresentAll();
  std::vector<COLORREF> out;
  display::Backend* d = wm::CurrentDisplay();
  if (!d) return out;
  display::Image img = d->DesktopPixels();
  out.reserve(img.pixels.size());
  for (uint32_t p : img.pixels) out.push_back(ToColorRef(p));
  if (width) *width = img.width;
  if (height) *height = img.height;
  return out;
}

COLORREF DesktopPixel(int x, int y) {
  int w = 0, h = 0;
  std::vector<COLORREF> px = DesktopPixels(&w, &h);
  if (x < 0 || y < 0 || x >= w || y >= h) return CLR_INVALID;
  return px[(size_t)y * w + x];
}

bool Screenshot(const std::string& path) {
  wm::PresentAll();
  display::Backend* d = wm::CurrentDisplay();
  return d && d->WriteDesktopPng(path);
}

std::vector<TextRecord> TextOutLog() {
  std::vector<TextRecord> out;
  for (const gdi::TextLogEntry& e : gdi::TextLog())
    out.push_back(TextRecord { e.Text, (HWND) const_cast<void*>(e.Tag), e.X, e.Y, e.Color });
  return out;
}

void ClearTextLog() { gdi::ClearTextLog(); }

GdiCount GdiCounters() {
  gdi::Counters c = gdi::GetCounters();
  return GdiCount { c.Objects, c.DCs, c.RefusedOwnedRegionDeletes };
}

}  // namespace xj::test
