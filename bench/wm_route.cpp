// Routing a mouse move through a window tree six deep with 200 windows: hit testing by z-order,
// WM_NCHITTEST at the deepest window, WM_SETCURSOR, and the move itself; beside a plain hit test of the
// same rectangles followed by three virtual calls (goal: at most 10x the plain hit test).

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench/PeerRatio.h"
#include "platform/win32/WinUser.h"

namespace {

LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

// Level 0 is one top-level window; every window of levels 1-4 has four children side by side
// (overlapping siblings included), level 5 has the leaves: 1 + 4 + 16 + 64 + ... capped at 200.
struct Tree {
  HWND top {};
  int count { 0 };
  POINT leafPoint {};
};

void Grow(Tree& t, HWND parent, int depth, int w, int h) {
  if (depth == 6 || t.count >= 200) return;
  int n = depth == 5 ? 2 : 4;
  for (int i = 0; i < n && t.count < 200; ++i) {
    int cw = w / 2, ch = h / 2;
    HWND c = CreateWindowExA(0, "BenchRoute", "", WS_CHILD | WS_VISIBLE, (i % 2) * cw, (i / 2) * ch, cw, ch, parent,
                             nullptr, nullptr, nullptr);
    ++t.count;
    Grow(t, c, depth + 1, cw, ch);
  }
}

Tree Build() {
  WNDCLASSA wc {};
  wc.lpfnWndProc = Proc;
  wc.lpszClassName = "BenchRoute";
  RegisterClassA(&wc);
  Tree t;
  t.top =
      CreateWindowExA(0, "BenchRoute", "", WS_POPUP | WS_VISIBLE, 0, 0, 960, 960, nullptr, nullptr, nullptr, nullptr);
  t.count = 1;
  Grow(t, t.top, 1, 960, 960);
  // Pad to 200 with extra top-level siblings below the tree.
  while (t.count < 200) {
    CreateWindowExA(0, "BenchRoute", "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetWindowPos(t.top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ++t.count;
  }
  return t;
}

// The peer: the same rectangles in plain records, searched the same way (topmost first, then the
// deepest child containing the point), and the three calls a routed move makes.
struct Handler {
  virtual ~Handler() = default;
  virtual int NcHitTest(POINT p) = 0;
  virtual bool SetCursorFor(int hit) = 0;
  virtual void MouseMove(POINT p) = 0;
};

struct CountingHandler final : Handler {
  int moves { 0 };
  int NcHitTest(POINT p) override { return p.x >= 0 ? HTCLIENT : HTNOWHERE; }
  bool SetCursorFor(int hit) override { return hit == HTCLIENT; }
  void MouseMove(POINT) override { ++moves; }
};

struct Node {
  RECT rect {};                // screen coordinates
  std::vector<Node> children;  // z-order, top first
};

Node Mirror(HWND h) {
  Node n;
  GetWindowRect(h, &n.rect);
  for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) n.children.push_back(Mirror(c));
  return n;
}

bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

// The peer's code starts on a cache line of its own (as does its call below), so that its time does not
// move with the size of whatever the linker places before it: that alone changed it by a sixth.
[[gnu::aligned(64)]] const Node* Deepest(const std::vector<Node>& level, POINT p) {
  for (const Node& n : level)
    if (Inside(n.rect, p)) {
      const Node* below = Deepest(n.children, p);
      return below ? below : &n;
    }
  return nullptr;
}

// The plain hit test over a mirror of the windows, and the three calls a routed move makes.
struct PlainHitTest {
  explicit PlainHitTest(const Tree& t) {
    for (HWND h = GetWindow(t.top, GW_HWNDFIRST); h; h = GetWindow(h, GW_HWNDNEXT)) tops.push_back(Mirror(h));
  }
  [[gnu::aligned(64)]] void operator()() {
    POINT p { x, 3 };
    x = x == 1 ? 2 : 1;
    Handler* target = &handler;
    benchmark::DoNotOptimize(target);
    const Node* n = Deepest(tops, p);
    benchmark::DoNotOptimize(n);
    int hit = target->NcHitTest(p);
    if (target->SetCursorFor(hit)) target->MouseMove(p);
  }
  std::vector<Node> tops;
  CountingHandler handler;
  int x { 1 };
};

void DestroyAll(const Tree& t) {
  while (HWND h = GetWindow(t.top, GW_HWNDFIRST)) DestroyWindow(h);
}

void BM_PlainHitTest(benchmark::State& state) {
  Tree t = Build();
  PlainHitTest plain(t);
  for (auto _ : state) plain();
  benchmark::DoNotOptimize(plain.handler.moves);
  DestroyAll(t);
}
BENCHMARK(BM_PlainHitTest);

void Pump() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
}

void BM_RouteMouseMove(benchmark::State& state) {
  Tree t = Build();
  Pump();
  int depth = 0;
  for (HWND h = t.top; h; h = GetWindow(h, GW_CHILD)) ++depth;
  state.counters["windows"] = t.count;
  state.counters["depth"] = depth;
  int x = 1;
  auto move = [&] {
    SetCursorPos(x, 3);  // queues a move at the bottom of the input path, as the display would
    x = x == 1 ? 2 : 1;  // the same leaf every time, a real move every time
    Pump();
  };
  for (auto _ : state) move();
  PlainHitTest plain(t);
  xj::bench::PeerRatio(state, "x_plain_hit_test", move, plain);
  DestroyAll(t);
}
BENCHMARK(BM_RouteMouseMove);

}  // namespace
