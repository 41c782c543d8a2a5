// The headless display: composition of the desktop, read-back, the tray strip and the inject queue.

#include <gtest/gtest.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cmath>
#include <vector>

#include "platform/display/Display.h"
#include "platform/display/headless/HeadlessDisplay.h"

using namespace xj::display;

namespace {

// UTF-8 spelled out: narrow literals are compiled to GBK, and these strings must stay UTF-8.
constexpr const char* kXunjianUtf8 = "\xE5\xB7\xA1\xE6\xA3\x80";  // 巡检
constexpr const char* kLineUtf8 = "\xE7\xBA\xBF\xE8\xB7\xAF";     // 线路

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

// A caller-owned surface, rows padded like a DIB with a wider stride, so stride handling is exercised.
struct TestSurface {
  TestSurface(int w, int h, uint32_t fill) : width(w), height(h), strideWords(w + 3), bits(size_t(h) * (w + 3), fill) {}
  SurfaceView View() const { return { bits.data(), width, height, strideWords * 4 }; }
  uint32_t& At(int x, int y) { return bits[size_t(y) * strideWords + x]; }

  int width, height, strideWords;
  std::vector<uint32_t> bits;
};

// Reference blend, worked out in floating point independently of the back-end's integer formula.
uint32_t ExpectedBlend(uint32_t src, uint32_t dst, int alpha) {
  uint32_t out = 0;
  for (int shift : { 0, 8, 16 }) {
    double s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF, a = alpha / 255.0;
    out |= uint32_t(std::lround(s * a + d * (1 - a))) << shift;
  }
  return out;
}

WindowId ShowSolid(HeadlessBackend& d, const RECT& r, uint32_t colour) {
  WindowId id = d.Create(WindowKind::Normal, r);
  TestSurface s(r.right - r.left, r.bottom - r.top, colour);
  d.Present(id, s.View(), { 0, 0, s.width, s.height });
  d.Show(id);
  return id;
}

Event Mouse(EventType type, LONG x, LONG y, MouseButton b = MouseButton::NoButton) {
  Event e;
  e.type = type;
  e.pt = { x, y };
  e.button = b;
  return e;
}

}  // namespace

TEST(HeadlessDisplay, DefaultsToTheClassicScreen) {
  HeadlessBackend d;
  EXPECT_STREQ(d.Name(), "headless");
  EXPECT_EQ(d.ScreenSize().cx, 1024);
  EXPECT_EQ(d.ScreenSize().cy, 768);
  RECT work = d.WorkArea();
  EXPECT_EQ(work.right, 1024);
  EXPECT_EQ(work.bottom, 738);
  Image desktop = d.DesktopPixels();
  ASSERT_EQ(desktop.width, 1024);
  ASSERT_EQ(desktop.height, 768);
  EXPECT_EQ(desktop.At(0, 0), 0x008080u);  // the background colour of the classic palette
  EXPECT_EQ(desktop.At(1023, 767), 0x008080u);
}

TEST(HeadlessDisplay, SetScreenClipsTheWorkArea) {
  HeadlessBackend d;
  d.SetScreen({ 640, 480 }, { 0, 0, 800, 450 });
  EXPECT_EQ(d.DesktopPixels().width, 640);
  RECT work = d.WorkArea();
  EXPECT_EQ(work.right, 640);
  EXPECT_EQ(work.bottom, 450);
  d.SetScreen({ 0, -5 }, { 10, 10, 5, 5 });  // nonsense: a 1 × 1 screen, work area = screen
  EXPECT_EQ(d.ScreenSize().cx, 1);
  EXPECT_EQ(d.WorkArea().right, 1);
}

TEST(HeadlessDisplay, ComposesWindowsInZOrder) {
  HeadlessBackend d;
  WindowId a = ShowSolid(d, { 10, 10, 110, 110 }, kRed);
  WindowId b = ShowSolid(d, { 60, 60, 160, 160 }, kGreen);  // created later: on top
  WindowId c = ShowSolid(d, { 100, 0, 130, 200 }, kBlue);
  EXPECT_EQ(d.ZOrder(), (std::vector<WindowId> { c, b, a }));

  struct Probe {
    LONG x, y;
    uint32_t colour;
  };
  auto check = [&](std::initializer_list<Probe> probes) {
    Image desktop = d.DesktopPixels();
    for (const Probe& p : probes) EXPECT_EQ(desktop.At(p.x, p.y), p.colour) << "at " << p.x << "," << p.y;
  };
  check({ { 20, 20, kRed },
          { 70, 70, kGreen },
          { 105, 105, kBlue },
          { 150, 150, kGreen },
          { 5, 5, 0x008080 },
          { 109, 50, kBlue },
          { 99, 99, kGreen },
          { 160, 160, 0x008080 } });

  std::vector<WindowId> order { a, c, b };  // a to the top, b to the bottom
  d.SetZOrder(order);
  EXPECT_EQ(d.ZOrder(), order);
  check({ { 70, 70, kRed }, { 105, 105, kRed }, { 115, 115, kBlue }, { 150, 150, kGreen } });

  // A partial list puts the named windows on top; the others keep their order beneath.
  std::vector<WindowId> justB { b };
  d.SetZOrder(justB);
  EXPECT_EQ(d.ZOrder(), (std::vector<WindowId> { b, a, c }));
  std::vector<WindowId> junk { 999, b, b };
  d.SetZOrder(junk);
  EXPECT_EQ(d.ZOrder(), (std::vector<WindowId> { b, a, c }));
}

TEST(HeadlessDisplay, HiddenAndDestroyedWindowsAreNotComposed) {
  HeadlessBackend d;
  WindowId below = ShowSolid(d, { 0, 0, 50, 50 }, kRed);
  WindowId above = ShowSolid(d, { 0, 0, 50, 50 }, kGreen);
  EXPECT_EQ(d.DesktopPixels().At(10, 10), kGreen);
  d.Hide(above);
  EXPECT_FALSE(d.IsVisible(above));
  EXPECT_EQ(d.DesktopPixels().At(10, 10), kRed);
  d.Show(above);
  EXPECT_EQ(d.DesktopPixels().At(10, 10), kGreen);
  EXPECT_TRUE(d.Destroy(above));
  EXPECT_FALSE(d.Exists(above));
  EXPECT_EQ(d.DesktopPixels().At(10, 10), kRed);
  WindowId fresh = d.Create(WindowKind::Normal, { 0, 0, 50, 50 });  // never shown
  EXPECT_EQ(d.DesktopPixels().At(10, 10), kRed);
  EXPECT_NE(fresh, above);  // ids are not reused
  EXPECT_TRUE(d.IsVisible(below));
}

TEST(HeadlessDisplay, ShapesCutWindowsAndOverlapsCountOnce) {
  HeadlessBackend d;
  ShowSolid(d, { 0, 0, 100, 100 }, kRed);
  WindowId top = ShowSolid(d, { 10, 10, 90, 90 }, kGreen);
  // Two overlapping rectangles in window coordinates, one reaching past the window.
  std::vector<RECT> shape { { 0, 0, 40, 40 }, { 20, 20, 200, 30 } };
  ASSERT_TRUE(d.SetShape(top, shape));
  ASSERT_TRUE(d.Shape(top).has_value());
  EXPECT_EQ(d.Shape(top)->size(), 2u);

  struct Probe {
    LONG x, y;
    uint32_t colour;
  };
  const Probe probes[] = {
    { 10, 10, kGreen }, { 49, 49, kGreen }, { 50, 50, kRed },  // first rectangle, its far corner excluded
    { 30, 35, kGreen }, { 89, 35, kGreen }, { 90, 35, kRed },  // second, clipped at the window's edge
    { 60, 60, kRed },   { 60, 45, kRed },                      // outside both
  };
  Image desktop = d.DesktopPixels();
  for (const Probe& p : probes) EXPECT_EQ(desktop.At(p.x, p.y), p.colour) << "at " << p.x << "," << p.y;

  // With half opacity the overlap of the two rectangles is blended once, like the rest.
  d.SetOpacity(top, 128);
  desktop = d.DesktopPixels();
  EXPECT_EQ(desktop.At(35, 35), ExpectedBlend(kGreen, kRed, 128));  // in both rectangles
  EXPECT_EQ(desktop.At(15, 15), ExpectedBlend(kGreen, kRed, 128));  // in one

  std::vector<RECT> none;
  d.SetShape(top, none);  // an empty region: nothing of the window shows
  EXPECT_EQ(d.DesktopPixels().At(15, 15), kRed);
  d.ClearShape(top);
  EXPECT_FALSE(d.Shape(top).has_value());
  d.SetOpacity(top, 255);
  EXPECT_EQ(d.DesktopPixels().At(80, 80), kGreen);
}

TEST(HeadlessDisplay, AWindowComposedAndThenSizedShowsAtItsNewSize) {
  // Composed once at 40 x 40, then one pixel wider and one taller, then narrower than before; moved.
  HeadlessBackend d;
  ShowSolid(d, { 0, 0, 100, 100 }, kRed);
  WindowId w = ShowSolid(d, { 0, 0, 40, 40 }, kGreen);
  EXPECT_EQ(d.DesktopPixels().At(40, 10), kRed);
  for (RECT r : { RECT { 0, 0, 41, 41 }, RECT { 0, 0, 20, 41 }, RECT { 5, 0, 25, 41 } }) {
    d.SetBounds(w, r);
    TestSurface s(r.right - r.left, r.bottom - r.top, kGreen);
    d.Present(w, s.View(), { 0, 0, s.width, s.height });
    const Image desktop = d.DesktopPixels();
    EXPECT_EQ(desktop.At(r.right - 1, 10), kGreen) << r.right;
    EXPECT_EQ(desktop.At(r.right, 10), kRed) << r.right;
    EXPECT_EQ(desktop.At(r.left, 40), kGreen) << r.right;
    EXPECT_EQ(desktop.At(r.left, 41), kRed) << r.right;
  }
}

TEST(HeadlessDisplay, LayeredWindowsBlendWithWhatIsBelow) {
  HeadlessBackend d;
  ShowSolid(d, { 0, 0, 40, 40 }, 0x204060);
  WindowId layered = ShowSolid(d, { 20, 0, 60, 40 }, 0xF0A010);
  for (int alpha : { 0, 1, 64, 128, 200, 254, 255 }) {
    d.SetOpacity(layered, uint8_t(alpha));
    EXPECT_EQ(d.Opacity(layered), alpha);
    Image desktop = d.DesktopPixels();
    EXPECT_EQ(desktop.At(30, 10), ExpectedBlend(0xF0A010, 0x204060, alpha)) << "alpha " << alpha;
    EXPECT_EQ(desktop.At(50, 10), ExpectedBlend(0xF0A010, 0x008080, alpha)) << "alpha " << alpha;
    EXPECT_EQ(desktop.At(10, 10), 0x204060u);
  }
  // The stored pixels are the window's own, unblended.
  EXPECT_EQ(d.WindowPixels(layered).At(5, 5), 0xF0A010u);
}

TEST(HeadlessDisplay, WindowsPartlyOffScreenAreClipped) {
  HeadlessBackend d;
  d.SetScreen({ 200, 100 }, { 0, 0, 200, 100 });
  ShowSolid(d, { -30, -30, 20, 20 }, kRed);
  ShowSolid(d, { 190, 90, 260, 400 }, kBlue);
  ShowSolid(d, { -500, 50, -400, 60 }, kGreen);  // wholly outside
  Image desktop = d.DesktopPixels();
  EXPECT_EQ(desktop.At(0, 0), kRed);
  EXPECT_EQ(desktop.At(19, 19), kRed);
  EXPECT_EQ(desktop.At(20, 20), 0x008080u);
  EXPECT_EQ(desktop.At(199, 99), kBlue);
  EXPECT_EQ(desktop.At(189, 99), 0x008080u);
}

TEST(HeadlessDisplay, PresentCopiesOnlyTheDirtyRectangle) {
  HeadlessBackend d;
  WindowId id = d.Create(WindowKind::Popup, { 0, 0, 8, 6 });
  EXPECT_EQ(d.WindowPixels(id).At(3, 3), 0u);  // black until presented
  TestSurface s(8, 6, kWhite | 0xFF000000u);   // the X byte must not reach the pixels
  s.At(2, 1) = 0x7F123456;
  ASSERT_TRUE(d.Present(id, s.View(), { 1, 1, 4, 3 }));
  Image pixels = d.WindowPixels(id);
  ASSERT_EQ(pixels.width, 8);
  ASSERT_EQ(pixels.height, 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) {
      bool inside = x >= 1 && x < 4 && y >= 1 && y < 3;
      uint32_t expected = !inside ? 0 : (x == 2 && y == 1) ? 0x123456 : kWhite;
      EXPECT_EQ(pixels.At(x, y), expected) << x << "," << y;
    }

  // Rectangles beyond the window or the surface, reversed or empty ones, copy what they can.
  TestSurface small(3, 2, kRed);
  const RECT dirty[] = { { -5, -5, 100, 100 }, { 4, 4, 2, 2 }, { 6, 0, 6, 6 } };
  for (const RECT& r : dirty) EXPECT_TRUE(d.Present(id, small.View(), r));
  pixels = d.WindowPixels(id);
  EXPECT_EQ(pixels.At(0, 0), kRed);
  EXPECT_EQ(pixels.At(2, 1), kRed);
  EXPECT_EQ(pixels.At(3, 1), kWhite);
  EXPECT_EQ(pixels.At(0, 2), 0u);
  SurfaceView null {};
  EXPECT_TRUE(d.Present(id, null, { 0, 0, 8, 6 }));  // nothing to copy, nothing breaks
}

TEST(HeadlessDisplay, PresentInPlaceReadsTheSurfaceWhereItLiesUntilReclaimed) {
  HeadlessBackend d;
  WindowId id = d.Create(WindowKind::Normal, { 10, 20, 17, 25 });
  d.Show(id);
  TestSurface s(7, 5, kGreen | 0xAB000000u);
  ASSERT_TRUE(d.PresentInPlace(id, s.View(), { 1, 1, 3, 2 }));
  s.At(6, 4) = kRed;  // drawn after the present: read where it lies
  EXPECT_EQ(d.WindowPixels(id).At(0, 0), kGreen);
  EXPECT_EQ(d.WindowPixels(id).At(6, 4), kRed);
  EXPECT_EQ(d.DesktopPixels().At(16, 24), kRed);
  d.Reclaim(id);
  s.At(6, 4) = kBlue;  // the back-end keeps what it showed, without the X bytes
  EXPECT_EQ(d.WindowPixels(id).At(6, 4), kRed);
  EXPECT_EQ(d.WindowPixels(id).At(3, 2), kGreen);
  EXPECT_EQ(d.DesktopPixels().At(16, 24), kRed);
  // A copying present ends the lending: its dirty part shows over the last lent pixels.
  ASSERT_TRUE(d.PresentInPlace(id, s.View(), { 0, 0, 7, 5 }));
  TestSurface other(7, 5, kWhite);
  ASSERT_TRUE(d.Present(id, other.View(), { 0, 0, 2, 5 }));
  s.At(5, 0) = kRed;
  EXPECT_EQ(d.WindowPixels(id).At(1, 3), kWhite);
  EXPECT_EQ(d.WindowPixels(id).At(6, 4), kBlue);
  EXPECT_EQ(d.WindowPixels(id).At(5, 0), kGreen);
}

TEST(HeadlessDisplay, ResizingKeepsThePixelsThatStayInside) {
  HeadlessBackend d;
  WindowId id = d.Create(WindowKind::Normal, { 5, 5, 9, 9 });
  TestSurface s(4, 4, kGreen);
  d.Present(id, s.View(), { 0, 0, 4, 4 });
  ASSERT_TRUE(d.SetBounds(id, { 0, 0, 6, 3 }));
  Image pixels = d.WindowPixels(id);
  ASSERT_EQ(pixels.width, 6);
  ASSERT_EQ(pixels.height, 3);
  EXPECT_EQ(pixels.At(3, 2), kGreen);
  EXPECT_EQ(pixels.At(4, 0), 0u);
  RECT b = d.Bounds(id);
  EXPECT_EQ(b.left, 0);
  EXPECT_EQ(b.bottom, 3);

  // No width with some height, then negative extents: empty windows; absurd ones are capped instead of
  // allocating gigabytes.
  d.SetBounds(id, { 0, 0, 0, 50 });
  EXPECT_TRUE(d.WindowPixels(id).Empty());
  d.SetBounds(id, { 50, 50, 10, 10 });
  EXPECT_TRUE(d.WindowPixels(id).Empty());
  EXPECT_EQ(d.Bounds(id).right, 50);
  d.Show(id);
  EXPECT_EQ(d.DesktopPixels().At(50, 50), 0x008080u);
  d.SetBounds(id, { -2147483647 - 1, 0, 2147483647, 10 });
  EXPECT_EQ(d.WindowPixels(id).width, 8192);
  EXPECT_EQ(d.WindowPixels(id).height, 10);
  EXPECT_EQ(d.Bounds(id).right - d.Bounds(id).left, 8192);
}

// The back-end makes its own copy of a window only when it needs one; until then the window is black at
// its size, however often it was resized, and a window lent its pixels from the first present gets the
// lender's pixels, at the window's size, when they are reclaimed.
TEST(HeadlessDisplay, AWindowsOwnCopyIsMadeWhenFirstNeeded) {
  HeadlessBackend d;
  WindowId never = d.Create(WindowKind::Normal, { 0, 0, 4, 4 });
  d.Show(never);
  ASSERT_TRUE(d.SetBounds(never, { 1, 1, 7, 4 }));
  EXPECT_EQ(d.DesktopPixels().At(6, 3), 0u);
  EXPECT_EQ(d.DesktopPixels().At(7, 3), kDesktopBackground);
  Image black = d.WindowPixels(never);
  ASSERT_EQ(black.width, 6);
  ASSERT_EQ(black.height, 3);
  EXPECT_EQ(black.At(5, 2), 0u);

  WindowId lent = d.Create(WindowKind::Normal, { 20, 20, 25, 24 });
  d.Show(lent);
  TestSurface s(3, 3, kGreen | 0xAB000000u);
  ASSERT_TRUE(d.PresentInPlace(lent, s.View(), { 0, 0, 3, 3 }));
  EXPECT_EQ(d.DesktopPixels().At(22, 22), kGreen);
  d.Reclaim(lent);
  s.At(1, 1) = kRed;
  Image kept = d.WindowPixels(lent);
  ASSERT_EQ(kept.width, 5);
  ASSERT_EQ(kept.height, 4);
  EXPECT_EQ(kept.At(1, 1), kGreen);
  EXPECT_EQ(kept.At(3, 0), 0u);
  ASSERT_TRUE(d.SetBounds(lent, { 20, 20, 22, 22 }));
  EXPECT_EQ(d.WindowPixels(lent).At(1, 1), kGreen);
  EXPECT_EQ(d.DesktopPixels().At(21, 21), kGreen);
}

TEST(HeadlessDisplay, UnknownWindowsAreIgnored) {
  HeadlessBackend d;
  const WindowId ghost = 4242;
  RECT r { 0, 0, 10, 10 };
  TestSurface s(10, 10, kRed);
  std::vector<RECT> shape { r };
  EXPECT_FALSE(d.Destroy(ghost));
  EXPECT_FALSE(d.SetBounds(ghost, r));
  EXPECT_FALSE(d.Show(ghost));
  EXPECT_FALSE(d.Hide(ghost));
  EXPECT_FALSE(d.SetTopMost(ghost, true));
  EXPECT_FALSE(d.SetShape(ghost, shape));
  EXPECT_FALSE(d.ClearShape(ghost));
  EXPECT_FALSE(d.SetOpacity(ghost, 3));
  EXPECT_FALSE(d.SetTitle(ghost, "x"));
  EXPECT_FALSE(d.SetCursor(ghost, CursorType::IBeam));
  EXPECT_FALSE(d.Present(ghost, s.View(), r));
  EXPECT_FALSE(d.Activate(ghost));
  EXPECT_FALSE(d.BeginMoveSize(ghost, { 0, 0 }, MouseButton::Left, DragKind::Move));
  EXPECT_FALSE(d.Exists(ghost));
  EXPECT_TRUE(d.WindowPixels(ghost).Empty());
  EXPECT_FALSE(d.Shape(ghost).has_value());
  EXPECT_EQ(d.NativeHandle(ghost), 0u);
  std::string error;
  EXPECT_FALSE(d.WriteWindowPng(ghost, "/tmp/never.png", &error));
  EXPECT_FALSE(error.empty());
}

TEST(HeadlessDisplay, KeepsWindowAttributesForReadBack) {
  HeadlessBackend d;
  WindowId id = d.Create(WindowKind::Tool, { 1, 2, 3, 4 }, true);
  EXPECT_TRUE(d.TopMost(id));
  d.SetTopMost(id, false);
  EXPECT_FALSE(d.TopMost(id));
  d.SetTitle(id, kXunjianUtf8);
  EXPECT_EQ(d.Title(id), kXunjianUtf8);
  d.SetCursor(id, CursorType::SizeNWSE);
  EXPECT_EQ(d.Cursor(id), CursorType::SizeNWSE);
  EXPECT_EQ(d.Opacity(id), 255);
  d.Activate(id);
  EXPECT_EQ(d.ActiveWindow(), id);
  EXPECT_FALSE(d.BeginMoveSize(id, { 1, 2 }, MouseButton::Left, DragKind::SizeRight));  // no desktop to hand a move to
  d.Destroy(id);
  EXPECT_EQ(d.ActiveWindow(), 0u);
}

TEST(HeadlessDisplay, InjectedInputComesOutInOrder) {
  HeadlessBackend d;
  WindowId id = d.Create(WindowKind::Normal, { 0, 0, 10, 10 });
  Event out;
  EXPECT_FALSE(d.NextEvent(out));
  d.Inject(Mouse(EventType::MouseMove, 5, 6));
  Event key;
  key.type = EventType::KeyDown;
  key.vk = 'A';
  key.text = "a";
  d.Inject(key);
  d.Inject(Mouse(EventType::ButtonDown, 7, 8, MouseButton::Right));
  Event close;
  close.type = EventType::Close;
  close.window = id;
  d.Inject(close);
  EXPECT_EQ(d.CursorPos().x, 7);
  EXPECT_EQ(d.CursorPos().y, 8);

  ASSERT_TRUE(d.NextEvent(out));
  EXPECT_EQ(out.type, EventType::MouseMove);
  EXPECT_EQ(out.pt.x, 5);
  ASSERT_TRUE(d.NextEvent(out));
  EXPECT_EQ(out.type, EventType::KeyDown);
  EXPECT_EQ(out.text, "a");
  // Destroying a window drops the events still queued for it.
  d.Destroy(id);
  ASSERT_TRUE(d.NextEvent(out));
  EXPECT_EQ(out.type, EventType::ButtonDown);
  EXPECT_EQ(out.button, MouseButton::Right);
  EXPECT_FALSE(d.NextEvent(out));

  d.SetCursorPos({ 30, 40 });  // moving the cursor is a mouse move
  ASSERT_TRUE(d.NextEvent(out));
  EXPECT_EQ(out.type, EventType::MouseMove);
  EXPECT_EQ(out.pt.y, 40);
}

TEST(HeadlessDisplay, WaitWatchesTheQueueAndTheWakeFd) {
  HeadlessBackend d;
  EXPECT_EQ(d.Wait(-1), WaitResult::Timeout);  // nothing could ever arrive: no blocking
  int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  ASSERT_GE(fd, 0);
  d.SetWakeFd(fd);
  EXPECT_EQ(d.Wait(0), WaitResult::Timeout);
  uint64_t one = 1;
  ASSERT_EQ(write(fd, &one, sizeof one), ssize_t(sizeof one));
  EXPECT_EQ(d.Wait(-1), WaitResult::Wake);
  d.Inject(Mouse(EventType::MouseMove, 1, 1));
  EXPECT_EQ(d.Wait(-1), WaitResult::Event);  // queued input comes first
  Event out;
  d.NextEvent(out);
  uint64_t drained;
  ASSERT_EQ(read(fd, &drained, sizeof drained), ssize_t(sizeof drained));
  EXPECT_EQ(d.Wait(10), WaitResult::Timeout);
  d.SetWakeFd(-1);
  close(fd);
}

TEST(HeadlessDisplay, ClipboardAndBell) {
  HeadlessBackend d;
  EXPECT_FALSE(d.ClipboardText().has_value());
  EXPECT_TRUE(d.SetClipboardText(kLineUtf8));
  ASSERT_TRUE(d.ClipboardText().has_value());
  EXPECT_EQ(*d.ClipboardText(), kLineUtf8);
  EXPECT_TRUE(d.SetClipboardText(""));
  EXPECT_EQ(*d.ClipboardText(), "");  // empty text is still text
  d.Bell();
  d.Bell();
  EXPECT_EQ(d.BellCount(), 2);
}

TEST(HeadlessDisplay, TrayStripIsDrawnAndTakesTheMouse) {
  HeadlessBackend d;
  TrayIcon solid, faint;
  solid.id = 7;
  solid.picture = Image(16, 16, 0xFF0000FF);  // opaque blue
  solid.tip = "rec";
  faint.id = 9;
  faint.picture = Image(16, 16, 0x80FF0000);  // half-transparent red
  faint.picture.At(0, 0) = 0;                 // a transparent corner
  d.SetTrayIcons({ solid, faint });
  ASSERT_EQ(d.TrayIcons().size(), 2u);

  RECT r7 = d.TrayIconRect(7), r9 = d.TrayIconRect(9);
  EXPECT_EQ(r7.right - r7.left, 16);
  EXPECT_EQ(r7.bottom - r7.top, 16);
  EXPECT_GT(r9.left, r7.left);
  EXPECT_GE(r7.top, d.WorkArea().bottom);  // in the band below the work area
  EXPECT_LE(r9.right, d.ScreenSize().cx);
  EXPECT_EQ(d.TrayIconRect(8).right, 0);  // not shown

  // The strip is above windows, like a task bar.
  ShowSolid(d, { 0, 0, 1024, 768 }, kGreen);
  Image desktop = d.DesktopPixels();
  EXPECT_EQ(desktop.At(r7.left, r7.top), kBlue);
  EXPECT_EQ(desktop.At(r7.right - 1, r7.bottom - 1), kBlue);
  const uint32_t face = 0xC0C0C0;
  EXPECT_EQ(desktop.At(r9.left + 1, r9.top), ExpectedBlend(kRed, face, 0x80));
  EXPECT_EQ(desktop.At(r9.left, r9.top), face);
  EXPECT_EQ(desktop.At(r7.left - 1, r7.top), face);  // the gap between icons
  EXPECT_EQ(desktop.At(10, 10), kGreen);

  // Mouse input over an icon is the icon's, elsewhere it stays ordinary.
  Event out;
  d.Inject(Mouse(EventType::ButtonDown, r9.left + 3, r9.top + 3, MouseButton::Right));
  ASSERT_TRUE(d.NextEvent(out));
  EXPECT_EQ(out.type, EventType::TrayButtonDown);
  EXPECT_EQ(out.trayIcon, 9u);
  EXPECT_EQ(out.button, MouseButton::Right);
  d.Inject(Mouse(EventType::MouseMove, r7.left, r7.top));
  ASSERT_TRUE(d.NextEvent(out));
  EXPECT_EQ(out.type, EventType::TrayMouseMove);
  EXPECT_EQ(out.trayIcon, 7u);
  d.Inject(Mouse(EventType::ButtonUp, 10, 10, MouseButton::Left));
  ASSERT_TRUE(d.NextEvent(out));
  EXPECT_EQ(out.type, EventType::ButtonUp);
  EXPECT_EQ(out.trayIcon, 0u);

  d.SetTrayIcons({});
  EXPECT_EQ(d.DesktopPixels().At(r7.left, r7.top), kGreen);
  d.Inject(Mouse(EventType::ButtonDown, r7.left, r7.top, MouseButton::Left));
  ASSERT_TRUE(d.NextEvent(out));
  EXPECT_EQ(out.type, EventType::ButtonDown);
}

TEST(HeadlessDisplay, TrayStripMovesIntoTheWorkAreaWithoutABand) {
  HeadlessBackend d;
  d.SetScreen({ 300, 200 }, { 0, 0, 300, 200 });
  TrayIcon icon;
  icon.id = 1;
  icon.picture = Image(16, 16, 0xFFFFFFFF);
  d.SetTrayIcons({ icon });
  RECT r = d.TrayIconRect(1);
  EXPECT_LE(r.bottom, 200);
  EXPECT_LE(r.right, 300);
  EXPECT_GT(r.left, 250);
  EXPECT_EQ(d.DesktopPixels().At(r.left + 8, r.top + 8), kWhite);
}
