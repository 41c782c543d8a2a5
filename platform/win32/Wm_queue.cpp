// The message queue: sending, posting, retrieval in the original order (posted messages, input, quit,
// paint, timers), translation of keys into characters, dispatch, waiting, and modal loops.

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/win32/Clock.h"
#include "platform/win32/WmBackend.h"
#include "platform/win32/WmHooks.h"
#include "platform/win32/WmInternal.h"

namespace xj::wm {

bool TimerProcFor(HWND h, UINT_PTR id, TIMERPROC fn);

namespace {

// A message sent from another thread: the GUI thread runs it and hands back the result.
struct CrossSend {
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
  LRESULT result { 0 };
  bool done { false };
};

// What other threads share with the GUI thread: posted messages, sends waiting for an answer, and the
// eventfd that wakes the GUI thread. It lives as long as the process.
struct Transport {
  std::mutex lock;
  std::condition_variable sendDone;
  std::deque<MSG> posted;        // guarded by lock
  std::deque<CrossSend*> sends;  // guarded by lock
  int efd { eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC) };
  // Whether either list has anything, so that an idle queue is checked without taking the lock. A
  // message posted just after the check is found on the next round: its poster wakes the GUI thread.
  std::atomic<bool> anyPosted { false };
  std::atomic<bool> anySends { false };

  // After changing the lists, lock held.
  void Changed() {
    anyPosted.store(!posted.empty(), std::memory_order_release);
    anySends.store(!sends.empty(), std::memory_order_release);
  }
};

Transport& Wire() {
  static Transport* t = new Transport;
  return *t;
}

// The GUI thread's side of the queue.
struct Queue : StatePart {
  std::deque<RawInput> input;
  struct Cooked {
    MSG msg;
    std::string text;  // for key presses: the characters TranslateMessage will post
  };
  std::deque<Cooked> cooked;
  bool quit { false };
  int quitCode { 0 };
  DWORD lastTime { 0 };
  POINT lastPos {};
  MSG lastKey {};
  std::string lastKeyText;
  std::vector<ModalFrame*> modals;
  std::vector<std::vector<MSG>> spareMade;  // emptied lists of cooked messages, for reuse

  // Messages posted before the state was renewed do not reach the windows after it.
  ~Queue() override {
    Transport& t = Wire();
    std::lock_guard<std::mutex> g(t.lock);
    t.posted.clear();
    t.Changed();
  }
};

Queue& Q() { return Part<Queue>(PartId::Queue); }

bool InRange(UINT m, UINT lo, UINT hi) { return (lo == 0 && hi == 0) || (m >= lo && m <= hi); }

bool ForWindow(HWND target, HWND filter) {
  if (!filter) return true;
  return target == filter || IsChild(filter, target);
}

void RunCrossSends() {
  Transport& q = Wire();
  while (q.anySends.load(std::memory_order_acquire)) {
    CrossSend* s;
    {
      std::lock_guard<std::mutex> g(q.lock);
      if (q.sends.empty()) return;
      s = q.sends.front();
      q.sends.pop_front();
      q.Changed();
    }
    LRESULT r = 0;
    try {
      if (s->hwnd == HWND_BROADCAST) {
        for (Wnd* w : TopLevels()) Send(w, s->msg, s->wParam, s->lParam);
      } else if (Wnd* w = FromHandle(s->hwnd)) {
        r = Send(w, s->msg, s->wParam, s->lParam);
      }
    } catch (...) {
      // An exception cannot travel back to the other thread; the sender sees 0.
      r = 0;
    }
    {
      std::lock_guard<std::mutex> g(q.lock);
      s->result = r;
      s->done = true;
    }
    q.sendDone.notify_all();
  }
}

// The messages the queue makes itself (paint, timers, quit) carry the time they are taken, from the clock
// that stamps posted messages and input: a message's time never lies before the one taken ahead of it.
void Stamp(MSG& m) {
  Queue& q = Q();
  m.time = NowTick();
  GetCursorPos(&m.pt);
  q.lastTime = m.time;
  q.lastPos = m.pt;
}

bool TakePosted(MSG* out, HWND filter, UINT lo, UINT hi, bool remove) {
  Transport& q = Wire();
  if (!q.anyPosted.load(std::memory_order_acquire)) return false;
  std::lock_guard<std::mutex> g(q.lock);
  ScopeExit changed([&] { q.Changed(); });
  for (auto it = q.posted.begin(); it != q.posted.end();) {
    MSG& m = *it;
    if (m.hwnd == HWND_BROADCAST) {
      // Broadcasts posted from other threads fan out here, on the GUI thread.
      MSG b = m;
      it = q.posted.erase(it);
      long pos = it - q.posted.begin();
      std::vector<MSG> fan;
      for (Wnd* w : TopLevels()) {
        MSG c = b;
        c.hwnd = w->handle;
        fan.push_back(c);
      }
      q.posted.insert(it, fan.begin(), fan.end());
      it = q.posted.begin() + pos;
      continue;
    }
    if (m.hwnd && !FromHandle(m.hwnd)) {
      it = q.posted.erase(it);
      continue;
    }
    if (ForWindow(m.hwnd, filter) && InRange(m.message, lo, hi)) {
      *out = m;
      if (remove) q.posted.erase(it);
      Q().lastTime = out->time;
      Q().lastPos = out->pt;
      return true;
    }
    ++it;
  }
  return false;
}

// A cooked message is handed out: GetMessageTime, GetMessagePos and TranslateMessage read it later.
void Took(Queue& q, const MSG& m, const std::string& text, MSG* out) {
  // Field by field, as a cooked message has just been written: a wider read of it would wait for
  // those writes to land instead of taking their values on the way.
  out->hwnd = m.hwnd;
  out->message = m.message;
  out->wParam = m.wParam;
  out->lParam = m.lParam;
  out->time = m.time;
  out->pt = m.pt;
  q.lastTime = m.time;
  q.lastPos = m.pt;
  if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) {
    q.lastKey = m;
    q.lastKeyText = text;
  }
}

bool TakeInput(MSG* out, HWND filter, UINT lo, UINT hi, bool remove) {
  Queue& q = Q();
  for (;;) {
    for (auto it = q.cooked.begin(); it != q.cooked.end();) {
      const MSG& m = it->msg;
      if (m.hwnd && !FromHandle(m.hwnd)) {
        it = q.cooked.erase(it);
        continue;
      }
      if (ForWindow(m.hwnd, filter) && InRange(m.message, lo, hi)) {
        Took(q, m, it->text, out);
        if (remove) {
          if (it == q.cooked.begin())
            q.cooked.pop_front();
          else
            q.cooked.erase(it);
        }
        return true;
      }
      ++it;
    }
    if (q.input.empty()) return false;
    RawInput ev = std::move(q.input.front());
    q.input.pop_front();
    // Moves that queued up behind each other collapse into the last one.
    while (ev.kind == RawInput::MouseMove && !q.input.empty() && q.input.front().kind == RawInput::MouseMove) {
      ev = std::move(q.input.front());
      q.input.pop_front();
    }
    // Local: cooking sends messages, and a nested loop may cook too. Its storage is reused from one
    // event to the next.
    std::vector<MSG> made;
    if (!q.spareMade.empty()) {
      made = std::move(q.spareMade.back());
      q.spareMade.pop_back();
    }
    CookInput(ev, made);
    static const std::string kNoText;
    const std::string& text = ev.kind == RawInput::KeyDown ? ev.text : kNoText;
    // With nothing cooked before them (nor by a loop nested in the cooking), the first of these that is
    // wanted goes out at once, as the scan above would take it, instead of through the list.
    bool took = false;
    const bool direct = q.cooked.empty();
    for (const MSG& m : made) {
      if (direct && !took) {
        if (m.hwnd && !FromHandle(m.hwnd)) continue;
        if (ForWindow(m.hwnd, filter) && InRange(m.message, lo, hi)) {
          Took(q, m, text, out);
          took = true;
          if (remove) continue;
        }
      }
      q.cooked.push_back(Queue::Cooked { m, text });
    }
    made.clear();
    q.spareMade.push_back(std::move(made));
    if (took) return true;
  }
}

bool Retrieve(MSG* out, HWND filter, UINT lo, UINT hi, bool remove) {
  PollDisplay();
  Transport& wire = Wire();
  if (wire.anySends.load(std::memory_order_acquire)) RunCrossSends();
  if (wire.anyPosted.load(std::memory_order_acquire) && TakePosted(out, filter, lo, hi, remove)) return true;
  if (TakeInput(out, filter, lo, hi, remove)) return true;
  Queue& q = Q();
  if (q.quit && InRange(WM_QUIT, lo, hi)) {
    *out = MSG {};
    out->message = WM_QUIT;
    out->wParam = (WPARAM)q.quitCode;
    Stamp(*out);
    if (remove) q.quit = false;
    return true;
  }
  if (InRange(WM_PAINT, lo, hi)) {
    if (Wnd* w = NextPaintWindow(filter)) {
      *out = MSG {};
      out->hwnd = w->handle;
      out->message = WM_PAINT;
      Stamp(*out);
      return true;
    }
  }
  if (InRange(WM_TIMER, lo, hi)) {
    MSG m {};
    if (NextTimer(filter, m, remove)) {
      *out = m;
      Stamp(*out);
      return true;
    }
  }
  PresentAll();
  return false;
}

// Blocks until something may have arrived: posted work, input from the display, or a timer's due
// time. The harness answers instead when it is installed.
void WaitForWork() {
  Hooks& h = TheHooks();
  if (h.idle && h.idle(TopModal())) return;
  PresentAll();
  int64_t timeout = MsUntilNextTimer();
  if (CurrentClock().IsManual() && timeout >= 0) {
    // A manual clock does not move by itself: waiting for its timers would never end.
    timeout = -1;
  }
  WaitDisplay(Wire().efd, (int)std::min<int64_t>(timeout, 1 << 30));
  uint64_t v;
  while (read(Wire().efd, &v, sizeof v) > 0) {
  }
}

}  // namespace

int WakeFd() { return Wire().efd; }

void WakeQueue() {
  uint64_t one = 1;
  [[maybe_unused]] ssize_t n = write(Wire().efd, &one, sizeof one);
}

void QueueInput(RawInput&& ev) {
  if (!ev.time) ev.time = NowTick();
  Q().input.push_back(std::move(ev));
}

void DropMessagesFor(HWND h) {
  Transport& q = Wire();
  {
    std::lock_guard<std::mutex> g(q.lock);
    q.posted.erase(std::remove_if(q.posted.begin(), q.posted.end(), [&](const MSG& m) { return m.hwnd == h; }),
                   q.posted.end());
    q.Changed();
  }
  InvalidateCachedMessages(h);
}

void InvalidateCachedMessages(HWND h) {
  Queue& q = Q();
  q.cooked.erase(
      std::remove_if(q.cooked.begin(), q.cooked.end(), [&](const Queue::Cooked& c) { return c.msg.hwnd == h; }),
      q.cooked.end());
}

// ---- Modal loops ----------------------------------------------------------------------------------

ModalScope::ModalScope(ModalFrame frame) : FFrame(std::move(frame)) {
  Q().modals.push_back(&FFrame);
  if (auto& f = TheHooks().modalOpened) f(FFrame);
}

ModalScope::~ModalScope() {
  auto& m = Q().modals;
  m.erase(std::remove(m.begin(), m.end(), &FFrame), m.end());
}

void ModalScope::End(LONG_PTR result) {
  FFrame.ended = true;
  FFrame.result = result;
}

ModalFrame* TopModal() {
  auto& m = Q().modals;
  return m.empty() ? nullptr : m.back();
}

bool ModalStep() {
  MSG m;
  if (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage((int)m.wParam);
      return false;
    }
    TranslateMessage(&m);
    DispatchMessageA(&m);
    return true;
  }
  WaitForWork();
  return true;
}

}  // namespace xj::wm

using namespace xj::wm;

// ---- Sending and posting ------------------------------------------------------------------------------

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!IsGuiThread()) {
    Transport& q = Wire();
    CrossSend s { hwnd, msg, wParam, lParam };
    std::unique_lock<std::mutex> g(q.lock);
    q.sends.push_back(&s);
    q.Changed();
    g.unlock();
    WakeQueue();
    g.lock();
    q.sendDone.wait(g, [&] { return s.done; });
    return s.result;
  }
  if (hwnd == HWND_BROADCAST) {
    std::vector<HWND> targets;
    for (Wnd* w : TopLevels()) targets.push_back(w->handle);
    for (HWND h : targets)
      if (Wnd* w = FromHandle(h)) Send(w, msg, wParam, lParam);
    return 1;
  }
  Wnd* w = Checked(hwnd);
  if (!w) return 0;
  return Send(w, msg, wParam, lParam);
}

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  bool gui = IsGuiThread();
  if (gui && hwnd && hwnd != HWND_BROADCAST && !FromHandle(hwnd)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  MSG m { hwnd, msg, wParam, lParam, NowTick(), {} };
  if (gui) GetCursorPos(&m.pt);
  Transport& q = Wire();
  {
    std::lock_guard<std::mutex> g(q.lock);
    q.posted.push_back(m);
    q.Changed();
  }
  WakeQueue();
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  Queue& q = Q();
  q.quit = true;
  q.quitCode = exitCode;
  WakeQueue();
}

// ---- Retrieval --------------------------------------------------------------------------------------------

BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove) {
  BindGuiThread();
  // Retrieve writes the message only when it finds one.
  MSG unwanted;
  return Retrieve(msg ? msg : &unwanted, hwnd, filterMin, filterMax, (remove & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  BindGuiThread();
  if (!msg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  if (hwnd && !IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return -1;
  }
  StartEnvironment();
  for (;;) {
    if (Retrieve(msg, hwnd, filterMin, filterMax, true)) {
      if (msg->message != WM_QUIT) return TRUE;
      WriteExitArtifacts();
      return FALSE;
    }
    WaitForWork();
  }
}

BOOL WaitMessage() {
  BindGuiThread();
  MSG m;
  if (Retrieve(&m, nullptr, 0, 0, false)) return TRUE;
  WaitForWork();
  return TRUE;
}

DWORD GetQueueStatus(UINT flags) {
  Queue& q = Q();
  DWORD s = 0;
  {
    Transport& t = Wire();
    std::lock_guard<std::mutex> g(t.lock);
    if (!t.posted.empty()) s |= QS_POSTMESSAGE;
    if (!t.sends.empty()) s |= QS_SENDMESSAGE;
  }
  for (const RawInput& e : q.input)
    s |= e.kind == RawInput::MouseMove                                                             ? QS_MOUSEMOVE
         : (e.kind == RawInput::KeyDown || e.kind == RawInput::KeyUp || e.kind == RawInput::Chars) ? QS_KEY
                                                                                                   : QS_MOUSEBUTTON;
  if (!q.cooked.empty()) s |= QS_INPUT & flags;
  if (NextPaintWindow(nullptr)) s |= QS_PAINT;
  int64_t t = MsUntilNextTimer();
  if (t == 0) s |= QS_TIMER;
  s &= flags;
  return MAKELONG(s, s);
}

LONG GetMessageTime() { return (LONG)Q().lastTime; }

DWORD GetMessagePos() { return (DWORD)MAKELONG(Q().lastPos.x, Q().lastPos.y); }

BOOL InSendMessage() { return FALSE; }

// ---- Translation and dispatch ------------------------------------------------------------------------------

namespace {

// Characters of the US layout for keys pressed without an input method.
std::string CharsForKey(UINT vk, bool shift, bool ctrl) {
  if (vk >= 'A' && vk <= 'Z') {
    if (ctrl) return std::string(1, char(vk - 'A' + 1));
    return std::string(1, char(shift ? vk : vk + 32));
  }
  if (ctrl) return "";
  static const char* digitsShift = ")!@#$%^&*(";
  if (vk >= '0' && vk <= '9') return std::string(1, shift ? digitsShift[vk - '0'] : char(vk));
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return std::string(1, char('0' + vk - VK_NUMPAD0));
  switch (vk) {
    case VK_SPACE:
      return " ";
    case VK_RETURN:
      return "\r";
    case VK_BACK:
      return "\b";
    case VK_TAB:
      return "\t";
    case VK_ESCAPE:
      return "\x1b";
    case VK_MULTIPLY:
      return "*";
    case VK_ADD:
      return "+";
    case VK_SUBTRACT:
      return "-";
    case VK_DECIMAL:
      return ".";
    case VK_DIVIDE:
      return "/";
    case 0xBA:
      return shift ? ":" : ";";
    case 0xBB:
      return shift ? "+" : "=";
    case 0xBC:
      return shift ? "<" : ",";
    case 0xBD:
      return shift ? "_" : "-";
    case 0xBE:
      return shift ? ">" : ".";
    case 0xBF:
      return shift ? "?" : "/";
    case 0xC0:
      return shift ? "~" : "`";
    case 0xDB:
      return shift ? "{" : "[";
    case 0xDC:
      return shift ? "|" : "\\";
    case 0xDD:
      return shift ? "}" : "]";
    case 0xDE:
      return shift ? "\"" : "'";
  }
  return "";
}

}  // namespace

BOOL TranslateMessage(const MSG* msg) {
  if (!msg) return FALSE;
  UINT m = msg->message;
  if (m != WM_KEYDOWN && m != WM_SYSKEYDOWN) return m == WM_KEYUP || m == WM_SYSKEYUP;
  Queue& q = Q();
  std::string text;
  const MSG& k = q.lastKey;
  if (k.hwnd == msg->hwnd && k.message == m && k.wParam == msg->wParam && k.lParam == msg->lParam &&
      k.time == msg->time && !q.lastKeyText.empty()) {
    text = q.lastKeyText;
  } else {
    bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
    text = CharsForKey((UINT)msg->wParam, shift, ctrl && m == WM_KEYDOWN);
  }
  UINT charMsg = m == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
  for (unsigned char c : text) PostMessageA(msg->hwnd, charMsg, c, msg->lParam);
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg) return 0;
  if (!msg->hwnd) {
    // A thread timer calls its procedure.
    if (msg->message == WM_TIMER && msg->lParam && TimerProcFor(nullptr, msg->wParam, (TIMERPROC)msg->lParam))
      ((TIMERPROC)msg->lParam)(nullptr, WM_TIMER, msg->wParam, msg->time);
    return 0;
  }
  Wnd* w = FromHandle(msg->hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (msg->message == WM_TIMER && msg->lParam) {
    TIMERPROC fn = (TIMERPROC)msg->lParam;
    if (TimerProcFor(msg->hwnd, msg->wParam, fn)) fn(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
    return 0;
  }
  Pin pin(w);
  if (msg->message == WM_PAINT) return SendPaint(w, msg->wParam, msg->lParam);
  return Send(w, msg->message, msg->wParam, msg->lParam);
}

// ---- Registered messages ------------------------------------------------------------------------------------

UINT RegisterWindowMessageA(LPCSTR name) {
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  static std::mutex lock;
  static std::map<std::string, UINT> names;
  std::string key;
  for (const char* p = name; *p; ++p) key += (*p >= 'a' && *p <= 'z') ? char(*p - 32) : *p;
  std::lock_guard<std::mutex> g(lock);
  auto it = names.find(key);
  if (it != names.end()) return it->second;
  if (names.size() >= 0x3FFF) {
    SetLastError(ERROR_NO_MORE_ITEMS);
    return 0;
  }
  UINT id = 0xC000 + (UINT)names.size();
  names.emplace(key, id);
  return id;
}
