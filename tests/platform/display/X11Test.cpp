// The x11 back-end against a private Xvfb server: pixels, shapes, properties, input injected with
// xdotool, the clipboard with another client, and changes made from outside.

// GoogleTest before Xlib: Xlib defines None as a macro.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <X11/extensions/shape.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/display/Display.h"
#include "platform/display/x11/X11Open.h"
#include "tests/support/XvfbServer.h"

using namespace xj::display;

namespace {

constexpr const char* kZhongUtf8 = "\xE4\xB8\xAD";                                         // 中
constexpr const char* kLineUtf8 = "\xE7\xBA\xBF\xE8\xB7\xAF abc";                          // 线路 abc
constexpr const char* kXunjianUtf8 = "\xE5\xB7\xA1\xE6\xA3\x80 \xE6\x8E\xA7\xE5\x88\xB6";  // 巡检 控制

using xj::test::OnPath;
using Xvfb = xj::test::XvfbServer;

Xvfb* gServer = nullptr;
std::string gServerProblem;

class X11Display : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!OnPath("Xvfb")) {
      gServerProblem = "Xvfb is not installed";
      return;
    }
    gServer = new Xvfb;
    if (!gServer->Start(gServerProblem)) {
      delete gServer;
      gServer = nullptr;
    }
  }
  static void TearDownTestSuite() {
    if (gServer) gServer->Stop();
    delete gServer;
    gServer = nullptr;
  }

  void SetUp() override {
    if (!gServer) GTEST_SKIP() << gServerProblem;
    std::string error;
    FBackend = OpenX11Backend(gServer->Name().c_str(), &error);
    ASSERT_TRUE(FBackend) << error;
    FX = XOpenDisplay(gServer->Name().c_str());
    ASSERT_TRUE(FX);
  }
  void TearDown() override {
    FBackend.reset();
    if (FX) XCloseDisplay(FX);
  }

  Window Xid(WindowId id) const { return Window(FBackend->NativeHandle(id)); }
  // Reading the pointer is a round trip on the back-end's own connection, so once it returns, the server
  // has carried out every request the back-end made before it.
  void SyncBackend() { FBackend->CursorPos(); }
  Atom A(const char* name) const { return XInternAtom(FX, name, False); }

  // Pumps the back-end, collecting its events, until `done` holds.
  bool PumpUntil(const std::function<bool()>& done) {
    return xj::test::WaitUntil(done, [&] {
      FBackend->Wait(20);  // back at once when an event comes
      Event e;
      while (FBackend->NextEvent(e)) FEvents.push_back(e);
    });
  }
  // The first collected event matching `match` after the ones already consumed.
  const Event* Find(const std::function<bool(const Event&)>& match) const {
    for (const Event& e : FEvents)
      if (match(e)) return &e;
    return nullptr;
  }
  bool WaitForEvent(EventType type, WindowId id) {
    return PumpUntil([&] { return Find([&](const Event& e) { return e.type == type && e.window == id; }); });
  }

  WindowId ShowPattern(WindowKind kind, const RECT& r, Image& pattern) {
    WindowId id = FBackend->Create(kind, r);
    pattern = Image(r.right - r.left, r.bottom - r.top);
    for (int y = 0; y < pattern.height; ++y)
      for (int x = 0; x < pattern.width; ++x) pattern.At(x, y) = uint32_t(x) << 16 | uint32_t(y) << 8 | 0x5A;
    FBackend->Present(id, pattern.View(), { 0, 0, pattern.width, pattern.height });
    FBackend->Show(id);
    EXPECT_TRUE(WaitForEvent(EventType::Exposed, id));
    return id;
  }

  Image RootPixels(const RECT& r) {
    SyncBackend();
    Image out(r.right - r.left, r.bottom - r.top);
    XImage* image = XGetImage(FX, DefaultRootWindow(FX), r.left, r.top, unsigned(out.width), unsigned(out.height),
                              AllPlanes, ZPixmap);
    if (!image) return Image();
    for (int y = 0; y < out.height; ++y)
      for (int x = 0; x < out.width; ++x) out.At(x, y) = uint32_t(XGetPixel(image, x, y)) & 0xFFFFFF;
    XDestroyImage(image);
    return out;
  }

  void Xdotool(const std::string& args) {
    std::string command = "LC_ALL=C.UTF-8 DISPLAY=" + gServer->Name() + " xdotool " + args;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }

  std::vector<unsigned long> Property32(Window w, const char* name) {
    std::vector<unsigned long> values;
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(FX, w, A(name), 0, 64, False, AnyPropertyType, &type, &format, &count, &after, &data) ==
            Success &&
        data && format == 32)
      for (unsigned long i = 0; i < count; ++i)  // Xlib hands 32-bit items over as longs, sign-extended
        values.push_back(reinterpret_cast<unsigned long*>(data)[i] & 0xFFFFFFFFul);
    if (data) XFree(data);
    return values;
  }

  std::string Property8(Window w, Atom property) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::string out;
    if (XGetWindowProperty(FX, w, property, 0, 1 << 20, False, AnyPropertyType, &type, &format, &count, &after,
                           &data) == Success &&
        data && format == 8)
      out.assign(reinterpret_cast<char*>(data), count);
    if (data) XFree(data);
    return out;
  }

  std::unique_ptr<Backend> FBackend;
  ::Display* FX { nullptr };
  std::vector<Event> FEvents;
};

// The window region as a mask, from rectangles of either side.
std::vector<bool> CoverageMask(int w, int h, const std::vector<RECT>& rects) {
  std::vector<bool> mask(size_t(w) * h, false);
  for (const RECT& r : rects)
    for (int y = std::max<LONG>(r.top, 0); y < std::min<LONG>(r.bottom, h); ++y)
      for (int x = std::max<LONG>(r.left, 0); x < std::min<LONG>(r.right, w); ++x) mask[size_t(y) * w + x] = true;
  return mask;
}

}  // namespace

TEST_F(X11Display, ReportsTheScreen) {
  EXPECT_STREQ(FBackend->Name(), "x11");
  EXPECT_EQ(FBackend->ScreenSize().cx, 1024);
  EXPECT_EQ(FBackend->ScreenSize().cy, 768);
  RECT work = FBackend->WorkArea();  // no desktop: the whole screen
  EXPECT_EQ(work.right, 1024);
  EXPECT_EQ(work.bottom, 768);

  // A desktop that publishes a work area is believed, for its current desktop.
  long area[8] = { 0, 0, 1024, 768, 10, 20, 1000, 700 };
  long current = 1;
  Window root = DefaultRootWindow(FX);
  XChangeProperty(FX, root, A("_NET_CURRENT_DESKTOP"), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&current), 1);
  XChangeProperty(FX, root, A("_NET_WORKAREA"), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(area), 8);
  XFlush(FX);
  EXPECT_TRUE(PumpUntil([&] { return FBackend->WorkArea().bottom == 720; }));
  work = FBackend->WorkArea();
  EXPECT_EQ(work.left, 10);
  EXPECT_EQ(work.top, 20);
  EXPECT_EQ(work.right, 1010);
  XDeleteProperty(FX, root, A("_NET_WORKAREA"));
  XDeleteProperty(FX, root, A("_NET_CURRENT_DESKTOP"));
  XFlush(FX);
  EXPECT_TRUE(PumpUntil([&] { return FBackend->WorkArea().bottom == 768; }));
}

TEST_F(X11Display, PresentedPixelsReachTheScreen) {
  Image pattern;
  RECT r { 100, 120, 300, 270 };
  WindowId id = ShowPattern(WindowKind::Normal, r, pattern);
  Image screen = RootPixels(r);
  ASSERT_EQ(screen.width, 200);
  EXPECT_EQ(screen.pixels, pattern.pixels);

  // A later present changes only its dirty rectangle.
  Image white(200, 150, 0xFFFFFF);
  FBackend->Present(id, white.View(), { 10, 10, 30, 20 });
  screen = RootPixels(r);
  EXPECT_EQ(screen.At(10, 10), 0xFFFFFFu);
  EXPECT_EQ(screen.At(29, 19), 0xFFFFFFu);
  EXPECT_EQ(screen.At(30, 19), pattern.At(30, 19));
  EXPECT_EQ(screen.At(9, 10), pattern.At(9, 10));

  // Unmapped and mapped again, the window is restored from what was presented, without a new present.
  FBackend->Hide(id);
  SyncBackend();
  FEvents.clear();
  FBackend->Show(id);
  ASSERT_TRUE(WaitForEvent(EventType::Exposed, id));
  screen = RootPixels(r);
  EXPECT_EQ(screen.At(15, 15), 0xFFFFFFu);
  EXPECT_EQ(screen.At(150, 100), pattern.At(150, 100));
}

TEST_F(X11Display, ShapeIsSetForDrawingAndInput) {
  Image pattern;
  RECT r { 50, 50, 170, 130 };
  WindowId id = ShowPattern(WindowKind::Popup, r, pattern);
  std::vector<RECT> shape { { 0, 0, 60, 40 }, { 30, 20, 120, 80 }, { 100, -10, 500, 5 } };
  ASSERT_TRUE(FBackend->SetShape(id, shape));
  SyncBackend();

  auto serverMask = [&](int kind) {
    int count = 0, ordering = 0;
    XRectangle* rects = XShapeGetRectangles(FX, Xid(id), kind, &count, &ordering);
    std::vector<RECT> got;
    for (int i = 0; i < count; ++i)
      got.push_back({ rects[i].x, rects[i].y, rects[i].x + rects[i].width, rects[i].y + rects[i].height });
    if (rects) XFree(rects);
    return CoverageMask(120, 80, got);
  };
  std::vector<bool> expected = CoverageMask(120, 80, shape);
  EXPECT_EQ(serverMask(ShapeBounding), expected);
  EXPECT_EQ(serverMask(ShapeInput), expected);

  // Outside the region the root shows through; inside, the window.
  Image screen = RootPixels(r);
  EXPECT_EQ(screen.At(10, 10), pattern.At(10, 10));
  EXPECT_EQ(screen.At(110, 60), pattern.At(110, 60));
  EXPECT_NE(screen.At(10, 70), pattern.At(10, 70));
  EXPECT_NE(screen.At(90, 10), pattern.At(90, 10));

  // A window sized to nothing cannot exist in X: it is shaped away until it has a size again.
  FBackend->SetBounds(id, { 50, 50, 50, 130 });
  SyncBackend();
  int count = -1, ordering;
  XFree(XShapeGetRectangles(FX, Xid(id), ShapeBounding, &count, &ordering));
  EXPECT_EQ(count, 0);
  FBackend->SetBounds(id, r);
  SyncBackend();
  EXPECT_EQ(serverMask(ShapeBounding), expected);

  std::vector<RECT> none;
  FBackend->SetShape(id, none);
  SyncBackend();
  EXPECT_EQ(serverMask(ShapeBounding), std::vector<bool>(120 * 80, false));
  FBackend->ClearShape(id);
  SyncBackend();
  EXPECT_EQ(serverMask(ShapeBounding), std::vector<bool>(120 * 80, true));
  EXPECT_EQ(serverMask(ShapeInput), std::vector<bool>(120 * 80, true));
}

TEST_F(X11Display, WindowPropertiesTellTheDesktopWhatItIs) {
  WindowId form = FBackend->Create(WindowKind::Normal, { 0, 0, 50, 50 });
  WindowId tool = FBackend->Create(WindowKind::Tool, { 0, 0, 50, 50 }, true);
  WindowId popup = FBackend->Create(WindowKind::Popup, { 0, 0, 50, 50 });
  SyncBackend();

  std::vector<unsigned long> motif = Property32(Xid(form), "_MOTIF_WM_HINTS");
  ASSERT_EQ(motif.size(), 5u);
  EXPECT_EQ(motif[0] & 2, 2u);  // decorations given ...
  EXPECT_EQ(motif[2], 0u);      // ... as none
  std::vector<unsigned long> protocols = Property32(Xid(form), "WM_PROTOCOLS");
  EXPECT_NE(std::find(protocols.begin(), protocols.end(), A("WM_DELETE_WINDOW")), protocols.end());
  EXPECT_EQ(Property32(Xid(form), "_NET_WM_WINDOW_TYPE"),
            std::vector<unsigned long> { A("_NET_WM_WINDOW_TYPE_NORMAL") });
  EXPECT_EQ(Property32(Xid(tool), "_NET_WM_WINDOW_TYPE"),
            std::vector<unsigned long> { A("_NET_WM_WINDOW_TYPE_UTILITY") });
  std::vector<unsigned long> state = Property32(Xid(tool), "_NET_WM_STATE");
  EXPECT_NE(std::find(state.begin(), state.end(), A("_NET_WM_STATE_ABOVE")), state.end());
  EXPECT_NE(std::find(state.begin(), state.end(), A("_NET_WM_STATE_SKIP_TASKBAR")), state.end());

  XWindowAttributes attributes;
  XGetWindowAttributes(FX, Xid(popup), &attributes);
  EXPECT_TRUE(attributes.override_redirect);
  XGetWindowAttributes(FX, Xid(form), &attributes);
  EXPECT_FALSE(attributes.override_redirect);

  FBackend->SetOpacity(form, 128);
  SyncBackend();
  EXPECT_EQ(Property32(Xid(form), "_NET_WM_WINDOW_OPACITY"), std::vector<unsigned long> { 0x80808080ul });
  FBackend->SetOpacity(form, 255);
  SyncBackend();
  EXPECT_TRUE(Property32(Xid(form), "_NET_WM_WINDOW_OPACITY").empty());

  FBackend->SetTitle(form, kXunjianUtf8);
  SyncBackend();
  EXPECT_EQ(Property8(Xid(form), A("_NET_WM_NAME")), kXunjianUtf8);
  // The old name property is there too, for old desktops, in an encoding they know.
  XTextProperty text {};
  ASSERT_TRUE(XGetWMName(FX, Xid(form), &text));
  char** list = nullptr;
  int count = 0;
  ASSERT_EQ(Xutf8TextPropertyToTextList(FX, &text, &list, &count), Success);
  ASSERT_EQ(count, 1);
  EXPECT_STREQ(list[0], kXunjianUtf8);
  XFreeStringList(list);
  XFree(text.value);

  FBackend->SetTopMost(tool, false);
  SyncBackend();
  state = Property32(Xid(tool), "_NET_WM_STATE");
  EXPECT_EQ(std::find(state.begin(), state.end(), A("_NET_WM_STATE_ABOVE")), state.end());

  FBackend->SetCursor(form, CursorType::Hand);  // font cursors exist on any server
  FBackend->SetCursor(form, CursorType::Hidden);
  SyncBackend();
  EXPECT_FALSE(
      FBackend->BeginMoveSize(form, { 1, 1 }, MouseButton::Left, DragKind::Move));  // no desktop to take the drag
}

TEST_F(X11Display, MovesActivationAndTopMostAreAskedOfTheWindowManager) {
  Image pattern;
  WindowId id = ShowPattern(WindowKind::Normal, { 100, 100, 300, 200 }, pattern);
  // Play the window manager: announce what we support, then take the root's redirection.
  Window root = DefaultRootWindow(FX);
  Atom supported[] = { A("_NET_WM_MOVERESIZE"), A("_NET_ACTIVE_WINDOW"), A("_NET_WM_STATE") };
  XChangeProperty(FX, root, A("_NET_SUPPORTED"), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(supported), 3);
  XSelectInput(FX, root, SubstructureRedirectMask);
  XSync(FX, False);
  // A close request sent after the property change arrives after it: then the back-end has read it.
  XEvent close {};
  close.xclient.type = ClientMessage;
  close.xclient.window = Xid(id);
  close.xclient.message_type = A("WM_PROTOCOLS");
  close.xclient.format = 32;
  close.xclient.data.l[0] = long(A("WM_DELETE_WINDOW"));
  XSendEvent(FX, Xid(id), False, NoEventMask, &close);
  XFlush(FX);
  ASSERT_TRUE(WaitForEvent(EventType::Close, id));

  auto nextRequest = [&](const char* type) {
    XEvent ev {};
    Atom wanted = A(type);
    bool got = PumpUntil([&] {
      while (XCheckTypedEvent(FX, ClientMessage, &ev))
        if (ev.xclient.message_type == wanted) return true;
      return false;
    });
    EXPECT_TRUE(got) << type;
    EXPECT_EQ(ev.xclient.window, Xid(id));
    std::array<long, 5> data;
    std::copy_n(ev.xclient.data.l, 5, data.begin());
    return data;
  };
  // A drag is handed over only while its button is held: a click already over is not one.
  EXPECT_FALSE(FBackend->BeginMoveSize(id, { 150, 120 }, MouseButton::Left, DragKind::Move));
  if (!OnPath("xdotool")) GTEST_SKIP() << "xdotool is not installed";
  Xdotool("mousemove 150 120 mousedown 1");
  ASSERT_TRUE(FBackend->BeginMoveSize(id, { 150, 120 }, MouseButton::Left, DragKind::Move));
  Xdotool("mouseup 1");
  std::array<long, 5> move = nextRequest("_NET_WM_MOVERESIZE");
  EXPECT_EQ(move[0], 150);
  EXPECT_EQ(move[1], 120);
  EXPECT_EQ(move[2], 8);  // move, not size
  EXPECT_EQ(move[3], 1);  // the left button
  EXPECT_EQ(move[4], 1);  // asked by an application

  FBackend->Activate(id);
  EXPECT_EQ(nextRequest("_NET_ACTIVE_WINDOW")[0], 1);

  FBackend->SetTopMost(id, true);
  std::array<long, 5> state = nextRequest("_NET_WM_STATE");
  EXPECT_EQ(state[0], 1);  // add
  EXPECT_EQ(Atom(state[1]), A("_NET_WM_STATE_ABOVE"));

  // Popups are none of the window manager's business.
  WindowId popup = FBackend->Create(WindowKind::Popup, { 0, 0, 10, 10 });
  EXPECT_FALSE(FBackend->BeginMoveSize(popup, { 1, 1 }, MouseButton::Left, DragKind::Move));
  XDeleteProperty(FX, root, A("_NET_SUPPORTED"));
  XSync(FX, False);
}

TEST_F(X11Display, MouseClicksAndTheWheelArrive) {
  if (!OnPath("xdotool")) GTEST_SKIP() << "xdotool is not installed";
  Image pattern;
  WindowId id = ShowPattern(WindowKind::Normal, { 40, 60, 240, 200 }, pattern);
  FEvents.clear();
  Xdotool("mousemove 100 80 click 1 click 4 click 5 click 3");
  auto count = [&](EventType t) {
    return std::count_if(FEvents.begin(), FEvents.end(), [t](const Event& e) { return e.type == t; });
  };
  ASSERT_TRUE(PumpUntil([&] { return count(EventType::ButtonUp) == 2; }));

  std::vector<Event> clicks;
  for (const Event& e : FEvents)
    if (e.type == EventType::ButtonDown || e.type == EventType::ButtonUp || e.type == EventType::Wheel)
      clicks.push_back(e);
  struct Expect {
    EventType type;
    MouseButton button;
    int wheel;
  };
  const Expect expected[] = {
    { EventType::ButtonDown, MouseButton::Left, 0 },  { EventType::ButtonUp, MouseButton::Left, 0 },
    { EventType::Wheel, MouseButton::NoButton, 120 }, { EventType::Wheel, MouseButton::NoButton, -120 },
    { EventType::ButtonDown, MouseButton::Right, 0 }, { EventType::ButtonUp, MouseButton::Right, 0 },
  };
  ASSERT_EQ(clicks.size(), std::size(expected));
  for (size_t i = 0; i < clicks.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(clicks[i].type, expected[i].type);
    EXPECT_EQ(clicks[i].button, expected[i].button);
    EXPECT_EQ(clicks[i].wheelDelta, expected[i].wheel);
    EXPECT_EQ(clicks[i].window, id);
    EXPECT_EQ(clicks[i].pt.x, 100);  // screen coordinates
    EXPECT_EQ(clicks[i].pt.y, 80);
  }
  EXPECT_EQ(clicks[1].modifiers & ModLeftButton, unsigned(ModLeftButton));  // held while it went up
  // The move that brought the pointer to the click; a window mapped under the pointer may have heard of
  // it where it was before.
  const Event* move = nullptr;
  for (const Event& e : FEvents) {
    if (e.type == EventType::ButtonDown) break;
    if (e.type == EventType::MouseMove) move = &e;
  }
  ASSERT_NE(move, nullptr);
  EXPECT_EQ(move->pt.x, 100);
  EXPECT_EQ(move->pt.y, 80);
  EXPECT_EQ(FBackend->CursorPos().x, 100);
  EXPECT_EQ(FBackend->CursorPos().y, 80);

  FEvents.clear();
  FBackend->SetCursorPos({ 500, 500 });  // leaves the window
  EXPECT_TRUE(WaitForEvent(EventType::MouseLeave, id));
  EXPECT_EQ(FBackend->CursorPos().x, 500);
}

TEST_F(X11Display, KeysArriveAsVirtualKeysWithText) {
  if (!OnPath("xdotool")) GTEST_SKIP() << "xdotool is not installed";
  Image pattern;
  WindowId id = ShowPattern(WindowKind::Normal, { 40, 60, 240, 200 }, pattern);
  FBackend->Activate(id);
  ASSERT_TRUE(WaitForEvent(EventType::FocusGained, id));
  FEvents.clear();
  Xdotool("key a shift+b Return F5 Left Delete ctrl+c");
  auto keyDowns = [&] {
    std::vector<Event> downs;
    for (const Event& e : FEvents)
      if (e.type == EventType::KeyDown || e.type == EventType::Text) downs.push_back(e);
    return downs;
  };
  ASSERT_TRUE(PumpUntil([&] {
    return std::count_if(FEvents.begin(), FEvents.end(), [](const Event& e) { return e.type == EventType::KeyUp; }) ==
           9;
  }));

  struct Expect {
    UINT vk;
    const char* text;
    bool extended;
  };
  const Expect expected[] = {
    { 'A', "a", false }, { 0x10, "", false }, { 'B', "B", false }, { 0x0D, "\r", false },  { 0x74, "", false },
    { 0x25, "", true },  { 0x2E, "", true },  { 0x11, "", false }, { 'C', "\x03", false },
  };
  std::vector<Event> downs = keyDowns();
  ASSERT_EQ(downs.size(), std::size(expected));
  for (size_t i = 0; i < downs.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(downs[i].type, EventType::KeyDown);
    EXPECT_EQ(downs[i].vk, expected[i].vk);
    EXPECT_EQ(downs[i].text, expected[i].text);
    EXPECT_EQ(downs[i].extended, expected[i].extended);
    EXPECT_FALSE(downs[i].repeat);
    EXPECT_EQ(downs[i].window, id);
  }
  EXPECT_EQ(downs[2].modifiers & ModShift, unsigned(ModShift));
  EXPECT_EQ(downs[8].modifiers & ModControl, unsigned(ModControl));
  const Event* up = Find([](const Event& e) { return e.type == EventType::KeyUp; });
  ASSERT_NE(up, nullptr);
  EXPECT_EQ(up->vk, UINT('A'));

  // A key held past the repeat delay repeats as presses only, marked as repeats. It is let go once a
  // repeat has come, however long the server took to send it.
  FEvents.clear();
  Xdotool("keydown x");
  ASSERT_TRUE(PumpUntil([&] { return keyDowns().size() >= 2; }));
  Xdotool("keyup x");
  ASSERT_TRUE(PumpUntil([&] { return Find([](const Event& e) { return e.type == EventType::KeyUp; }); }));
  downs = keyDowns();
  EXPECT_FALSE(downs[0].repeat);
  for (size_t i = 1; i < downs.size(); ++i) {
    EXPECT_TRUE(downs[i].repeat);
    EXPECT_EQ(downs[i].vk, UINT('X'));
    EXPECT_EQ(downs[i].text, "x");
  }
  EXPECT_EQ(std::count_if(FEvents.begin(), FEvents.end(), [](const Event& e) { return e.type == EventType::KeyUp; }),
            1);

  // Keys that type characters beyond ASCII, after the keyboard was remapped while we run: the text
  // arrives in UTF-8 and the keys have no virtual-key code of their own.
  int minCode, maxCode, perCode;
  XDisplayKeycodes(FX, &minCode, &maxCode);
  KeySym* map = XGetKeyboardMapping(FX, KeyCode(minCode), maxCode - minCode + 1, &perCode);
  std::vector<KeyCode> spare;
  for (int code = minCode; code <= maxCode && spare.size() < 2; ++code) {
    bool empty = true;
    for (int k = 0; k < perCode; ++k) empty = empty && map[(code - minCode) * perCode + k] == NoSymbol;
    if (empty) spare.push_back(KeyCode(code));
  }
  XFree(map);
  ASSERT_EQ(spare.size(), 2u);
  KeySym zhong = 0x1004E2D, eacute = XK_eacute;
  XChangeKeyboardMapping(FX, spare[0], 1, &zhong, 1);
  XChangeKeyboardMapping(FX, spare[1], 1, &eacute, 1);
  XSync(FX, False);
  FEvents.clear();
  Xdotool("key U4E2D eacute");
  bool typed = PumpUntil([&] { return keyDowns().size() == 2; });
  KeySym none = NoSymbol;
  for (KeyCode code : spare) XChangeKeyboardMapping(FX, code, 1, &none, 1);
  XSync(FX, False);
  ASSERT_TRUE(typed);
  downs = keyDowns();
  EXPECT_EQ(downs[0].type, EventType::Text);
  EXPECT_EQ(downs[0].text, kZhongUtf8);
  EXPECT_EQ(downs[1].type, EventType::Text);
  EXPECT_EQ(downs[1].text, "\xC3\xA9");  // é
}

TEST_F(X11Display, CloseRequestsAndOutsideMovesArrive) {
  Image pattern;
  WindowId id = ShowPattern(WindowKind::Normal, { 10, 10, 110, 90 }, pattern);
  auto sendDelete = [&] {
    XEvent e {};
    e.xclient.type = ClientMessage;
    e.xclient.window = Xid(id);
    e.xclient.message_type = A("WM_PROTOCOLS");
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(A("WM_DELETE_WINDOW"));
    XSendEvent(FX, Xid(id), False, NoEventMask, &e);
    XFlush(FX);
  };

  // Our own move reports nothing back. Once the server shows the new geometry, a close request sent
  // after it reaches the back-end after the move's notice: by then that notice has been seen.
  FEvents.clear();
  FBackend->SetBounds(id, { 20, 30, 140, 130 });
  XWindowAttributes a {};
  ASSERT_TRUE(PumpUntil([&] {
    XGetWindowAttributes(FX, Xid(id), &a);
    return a.x == 20 && a.y == 30 && a.width == 120 && a.height == 100;
  }));
  sendDelete();
  ASSERT_TRUE(WaitForEvent(EventType::Close, id));
  EXPECT_EQ(Find([](const Event& e) { return e.type == EventType::Configure; }), nullptr);

  // Someone else moving and sizing the window is reported, and the back-end's bounds follow.
  FEvents.clear();
  XMoveResizeWindow(FX, Xid(id), 200, 210, 90, 70);
  XFlush(FX);
  ASSERT_TRUE(WaitForEvent(EventType::Configure, id));
  const Event* c = Find([](const Event& e) { return e.type == EventType::Configure; });
  EXPECT_EQ(c->rect.left, 200);
  EXPECT_EQ(c->rect.top, 210);
  EXPECT_EQ(c->rect.right, 290);
  EXPECT_EQ(c->rect.bottom, 280);
  EXPECT_EQ(FBackend->Bounds(id).right, 290);
  EXPECT_EQ(FBackend->WindowPixels(id).width, 90);
}

// Without a window manager nobody keeps icons: a minimised window leaves the screen but stays ours, and
// restoring it brings its pixels back. Another program mapping it counts as restoring it.
TEST_F(X11Display, MinimisingWithoutAWindowManagerKeepsAWayBack) {
  Image pattern;
  const RECT r { 130, 90, 370, 250 };
  WindowId id = ShowPattern(WindowKind::Normal, r, pattern);
  auto mapState = [&](WindowId w) {
    XWindowAttributes a {};
    return XGetWindowAttributes(FX, Xid(w), &a) ? a.map_state : -1;
  };
  ASSERT_TRUE(FBackend->SetState(id, WindowState::Minimized));
  ASSERT_TRUE(PumpUntil([&] { return mapState(id) == IsUnmapped; }));
  EXPECT_TRUE(FBackend->IsVisible(id));
  EXPECT_EQ(FBackend->State(id), WindowState::Minimized);
  EXPECT_NE(RootPixels(r).pixels, pattern.pixels);

  FBackend->SetState(id, WindowState::Normal);
  ASSERT_TRUE(PumpUntil([&] { return RootPixels(r).pixels == pattern.pixels; }));
  EXPECT_EQ(mapState(id), IsViewable);

  // Shown minimised: never on the screen until someone maps it.
  WindowId later = FBackend->Create(WindowKind::Normal, { 500, 400, 620, 470 });
  FBackend->SetState(later, WindowState::Minimized);
  FBackend->Show(later);
  SyncBackend();
  EXPECT_EQ(mapState(later), IsUnmapped);
  EXPECT_EQ(Property32(Xid(later), "_NET_WM_STATE"), std::vector<unsigned long> { A("_NET_WM_STATE_HIDDEN") });
  FEvents.clear();
  XMapWindow(FX, Xid(later));
  XFlush(FX);
  ASSERT_TRUE(WaitForEvent(EventType::StateChanged, later));
  EXPECT_EQ(Find([](const Event& e) { return e.type == EventType::StateChanged; })->state, WindowState::Normal);
  EXPECT_EQ(FBackend->State(later), WindowState::Normal);
}

// Playing the window manager: what it says of the window arrives as state changes, and the back-end's
// own minimising and restoring are asked of it, with its stale news not taken for the user's doing.
TEST_F(X11Display, TheWindowManagersStateChangesArriveAndOurOwnAreAskedOfIt) {
  Image pattern;
  WindowId id = ShowPattern(WindowKind::Normal, { 60, 70, 260, 190 }, pattern);
  Window xid = Xid(id);
  auto setWmState = [&](long state) {
    long data[2] = { state, 0 };
    XChangeProperty(FX, xid, A("WM_STATE"), A("WM_STATE"), 32, PropModeReplace, reinterpret_cast<unsigned char*>(data),
                    2);
  };
  auto setNetState = [&](std::vector<const char*> names) {
    std::vector<Atom> atoms;
    for (const char* n : names) atoms.push_back(A(n));
    XChangeProperty(FX, xid, A("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(atoms.data()), int(atoms.size()));
  };
  // Every change before a close request has been read once the close request arrives.
  auto settle = [&] {
    XEvent close {};
    close.xclient.type = ClientMessage;
    close.xclient.window = xid;
    close.xclient.message_type = A("WM_PROTOCOLS");
    close.xclient.format = 32;
    close.xclient.data.l[0] = long(A("WM_DELETE_WINDOW"));
    XSendEvent(FX, xid, False, NoEventMask, &close);
    XFlush(FX);
    FEvents.clear();
    EXPECT_TRUE(WaitForEvent(EventType::Close, id));
  };
  auto changes = [&] {
    std::vector<WindowState> out;
    for (const Event& e : FEvents)
      if (e.type == EventType::StateChanged && e.window == id) out.push_back(e.state);
    return out;
  };
  using WS = WindowState;

  struct Step {
    long icccm;
    std::vector<const char*> net;
    std::vector<WS> reported;
  };
  const Step steps[] = {
    { IconicState, {}, { WS::Minimized } },  // its icon button
    { NormalState, {}, { WS::Normal } },     // a task-bar click
    { NormalState, { "_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ" }, { WS::Maximized } },
    { NormalState, { "_NET_WM_STATE_MAXIMIZED_VERT" }, { WS::Normal } },  // half is not all
    { IconicState, { "_NET_WM_STATE_HIDDEN" }, { WS::Minimized } },
    { NormalState, { "_NET_WM_STATE_HIDDEN" }, { WS::Normal } },  // our own note from before mapping
    { NormalState, {}, {} },                                      // no change
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(int(&step - steps));
    setNetState(step.net);
    setWmState(step.icccm);
    settle();
    // The two properties change one after the other; only the final word counts.
    std::vector<WS> seen = changes();
    if (!step.reported.empty()) {
      ASSERT_FALSE(seen.empty());
      EXPECT_EQ(seen.back(), step.reported.back());
    } else {
      EXPECT_TRUE(seen.empty());
    }
    EXPECT_EQ(FBackend->State(id), step.reported.empty() ? WS::Normal : step.reported.back());
  }

  // The platform maximises by sizing the window itself: a window manager that knows nothing of it does
  // not undo it.
  FBackend->SetState(id, WS::Maximized);
  setWmState(NormalState);
  settle();
  EXPECT_TRUE(changes().empty());
  EXPECT_EQ(FBackend->State(id), WS::Maximized);
  FBackend->SetState(id, WS::Normal);

  // With a window manager running, minimising asks it to iconify, and restoring maps the window again.
  XSelectInput(FX, DefaultRootWindow(FX), SubstructureRedirectMask);
  XSync(FX, False);
  FBackend->SetState(id, WS::Minimized);
  XEvent ev {};
  ASSERT_TRUE(PumpUntil([&] {
    while (XCheckTypedEvent(FX, ClientMessage, &ev))
      if (ev.xclient.message_type == A("WM_CHANGE_STATE")) return true;
    return false;
  }));
  EXPECT_EQ(ev.xclient.window, xid);
  EXPECT_EQ(ev.xclient.data.l[0], IconicState);
  XUnmapWindow(FX, xid);
  setWmState(NormalState);  // news from before our request
  settle();
  EXPECT_TRUE(changes().empty());
  EXPECT_EQ(FBackend->State(id), WS::Minimized);
  setWmState(IconicState);  // the window manager did as asked
  settle();
  EXPECT_TRUE(changes().empty());

  FBackend->SetState(id, WS::Normal);
  ASSERT_TRUE(PumpUntil([&] { return XCheckTypedEvent(FX, MapRequest, &ev) && ev.xmaprequest.window == xid; }));
  setWmState(NormalState);
  settle();
  EXPECT_TRUE(changes().empty());
  EXPECT_EQ(FBackend->State(id), WS::Normal);
  XSelectInput(FX, DefaultRootWindow(FX), NoEventMask);
  XSync(FX, False);
}

TEST_F(X11Display, ClipboardTextGoesBothWays) {
  // We own the clipboard: another client asks for its targets and its text.
  ASSERT_TRUE(FBackend->SetClipboardText(kLineUtf8));
  Window requestor = XCreateSimpleWindow(FX, DefaultRootWindow(FX), 0, 0, 1, 1, 0, 0, 0);
  auto request = [&](Atom target) {
    Atom property = A("XJ_TEST");
    XConvertSelection(FX, A("CLIPBOARD"), target, property, requestor, CurrentTime);
    XFlush(FX);
    XEvent ev {};
    bool got = PumpUntil([&] { return XCheckTypedWindowEvent(FX, requestor, SelectionNotify, &ev); });
    EXPECT_TRUE(got);
    return ev.xselection.property;
  };
  ASSERT_EQ(request(A("UTF8_STRING")), A("XJ_TEST"));
  EXPECT_EQ(Property8(requestor, A("XJ_TEST")), kLineUtf8);
  ASSERT_EQ(request(XA_STRING), A("XJ_TEST"));
  EXPECT_EQ(Property8(requestor, A("XJ_TEST")), "?? abc");  // Latin-1 cannot carry the Chinese
  ASSERT_EQ(request(A("TARGETS")), A("XJ_TEST"));
  std::vector<unsigned long> targets = Property32(requestor, "XJ_TEST");
  EXPECT_NE(std::find(targets.begin(), targets.end(), A("UTF8_STRING")), targets.end());
  EXPECT_EQ(request(A("image/png")), Atom(None));  // refused
  EXPECT_EQ(*FBackend->ClipboardText(), kLineUtf8);

  // Another client owns it and answers from its own thread, once plainly and once in INCR pieces.
  std::string big;
  for (int i = 0; big.size() < 20000; ++i) big += std::to_string(i) + kXunjianUtf8;
  for (bool incremental : { false, true }) {
    SCOPED_TRACE(incremental ? "INCR" : "plain");
    std::string text = incremental ? big : std::string(kXunjianUtf8);
    ::Display* owner = XOpenDisplay(gServer->Name().c_str());
    ASSERT_TRUE(owner);
    Window ownerWindow = XCreateSimpleWindow(owner, DefaultRootWindow(owner), 0, 0, 1, 1, 0, 0, 0);
    Atom clipboard = XInternAtom(owner, "CLIPBOARD", False), utf8 = XInternAtom(owner, "UTF8_STRING", False);
    Atom incr = XInternAtom(owner, "INCR", False);
    XSetSelectionOwner(owner, clipboard, ownerWindow, CurrentTime);
    XSync(owner, False);
    std::atomic<bool> stop { false };
    std::thread server([&] {
      // Answers requests until told to stop; pieces of 1000 bytes when incremental.
      Window pieceTo = 0;
      Atom pieceProperty = 0;
      size_t sent = 0;
      while (!stop) {
        while (XPending(owner)) {
          XEvent ev;
          XNextEvent(owner, &ev);
          if (ev.type == SelectionRequest) {
            XSelectionRequestEvent& r = ev.xselectionrequest;
            XEvent reply {};
            reply.xselection = { SelectionNotify, 0, True, owner, r.requestor, r.selection, r.target, None, r.time };
            if (r.target == utf8) {
              if (incremental) {
                long size = long(text.size());
                XSelectInput(owner, r.requestor, PropertyChangeMask);
                XChangeProperty(owner, r.requestor, r.property, incr, 32, PropModeReplace,
                                reinterpret_cast<unsigned char*>(&size), 1);
                pieceTo = r.requestor;
                pieceProperty = r.property;
                sent = 0;
              } else {
                XChangeProperty(owner, r.requestor, r.property, utf8, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(text.data()), int(text.size()));
              }
              reply.xselection.property = r.property;
            }
            XSendEvent(owner, r.requestor, False, NoEventMask, &reply);
            XFlush(owner);
          } else if (ev.type == PropertyNotify && ev.xproperty.window == pieceTo &&
                     ev.xproperty.atom == pieceProperty && ev.xproperty.state == PropertyDelete) {
            size_t n = std::min<size_t>(1000, text.size() - sent);
            XChangeProperty(owner, pieceTo, pieceProperty, utf8, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(text.data() + sent), int(n));
            sent += n;
            if (n == 0) pieceTo = 0;  // the empty piece ends it
            XFlush(owner);
          }
        }
        pollfd ready { ConnectionNumber(owner), POLLIN, 0 };
        poll(&ready, 1, 20);  // back as soon as a request comes; the limit lets it see `stop`
      }
    });
    std::optional<std::string> got = FBackend->ClipboardText();
    stop = true;
    server.join();
    XCloseDisplay(owner);
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->size(), text.size());
    EXPECT_EQ(*got, text);
  }
  XDestroyWindow(FX, requestor);
}

TEST_F(X11Display, TrayStripIsAWindowThatTakesClicks) {
  if (!OnPath("xdotool")) GTEST_SKIP() << "xdotool is not installed";
  TrayIcon icon;
  icon.id = 42;
  icon.picture = Image(16, 16, 0xFF00C000);
  FBackend->SetTrayIcons({ icon });
  RECT r = FBackend->TrayIconRect(42);
  ASSERT_EQ(r.right - r.left, 16);
  EXPECT_LE(r.bottom, FBackend->WorkArea().bottom);
  ASSERT_TRUE(PumpUntil([&] { return RootPixels(r).At(8, 8) == 0x00C000u; }));

  FEvents.clear();
  Xdotool("mousemove " + std::to_string(r.left + 8) + " " + std::to_string(r.top + 8) + " click 3");
  ASSERT_TRUE(PumpUntil([&] { return Find([](const Event& e) { return e.type == EventType::TrayButtonUp; }); }));
  const Event* down = Find([](const Event& e) { return e.type == EventType::TrayButtonDown; });
  ASSERT_NE(down, nullptr);
  EXPECT_EQ(down->trayIcon, 42u);
  EXPECT_EQ(down->button, MouseButton::Right);

  FBackend->SetTrayIcons({});
  EXPECT_TRUE(PumpUntil([&] { return RootPixels(r).At(8, 8) != 0x00C000u; }));
}
