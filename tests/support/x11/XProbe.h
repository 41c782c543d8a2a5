#pragma once
// Read-back from the X server through a connection of the test's own: windows by title, their state
// and SHAPE rectangles, and screen pixels. Xlib stays inside XProbe.cpp (its macros clash with the
// platform's names).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xj::test {

struct XRect {
  int left, top, right, bottom;
};

class XProbe {
 public:
  explicit XProbe(const std::string& display);
  ~XProbe();
  XProbe(const XProbe&) = delete;
  XProbe& operator=(const XProbe&) = delete;

  bool Connected() const { return FDisplay != nullptr; }
  // The top-level window titled so (_NET_WM_NAME, UTF-8), or 0; inside a window manager's frame too.
  unsigned long FindWindow(const std::string& title);
  bool Viewable(unsigned long window);
  // Where the window is on the screen, its border left out; empty when it is not a window.
  XRect Bounds(unsigned long window);
  // The ICCCM state a window manager gave the window (1 normal, 3 iconic), or -1 when it has none.
  long WmState(unsigned long window);
  // A property of 32-bit items, of any type; empty when the window has none.
  std::vector<long> Longs(unsigned long window, const std::string& property);
  // A property of atoms, by name; empty when the window has none.
  std::vector<std::string> AtomNames(unsigned long window, const std::string& property);
  unsigned long FocusWindow();  // the window that has the keyboard focus (1 for PointerRoot)
  bool WindowManagerRunning();
  unsigned long Root();
  // A small window of the probe's own, mapped (a window manager takes it up), and its end.
  unsigned long MapWindow(const std::string& title);
  // A panel along the top of the screen, `height` high, which asks the desktop to keep that band.
  unsigned long MapPanel(int height);
  void DestroyWindow(unsigned long window);
  // Puts the window into `parent` (0: the root) at x, y, as a window manager does when it takes a window
  // into its frame or lets go of it.
  void Reparent(unsigned long window, unsigned long parent, int x, int y);
  // Asks an EWMH window manager for `count` desktops; it says so on the root once it has read the request,
  // and so every event that came before it.
  void AskDesktops(long count);
  // Changes a property of the root window of no meaning to anyone: an event for whoever listens there.
  void TouchRoot();
  // Asks the window to close, as a window manager's close button does (WM_DELETE_WINDOW).
  void AskToClose(unsigned long window);
  // Tells the root's listeners that the screen is now w×h, as the server does when RandR resizes it.
  void AnnounceScreenSize(int w, int h);
  // Maximises a window of the root's as a window manager does that resizes it before it moves it: says
  // so in the window's ICCCM and EWMH states, tells of the place the window passes on the way, then puts
  // it at `to`; the program reads all of it at once.
  void MaximiseAsADesktop(unsigned long window, XRect passing, XRect to);
  // Sets a property of 32-bit cardinals (an empty list deletes it).
  void SetCardinals(unsigned long window, const std::string& property, const std::vector<long>& values);
  // The window's bounding (or input) shape, window coordinates.
  std::vector<XRect> Shape(unsigned long window, bool input);
  // A pixel of the screen as the server shows it, 0xRRGGBB.
  uint32_t ScreenPixel(int x, int y);
  // A w×h area of the screen (which must lie on it) in one request, row by row, 0xRRGGBB; empty when it
  // cannot be read.
  std::vector<uint32_t> ScreenPixels(int x, int y, int w, int h);
  // Gives every character of `text` that no key produces yet a spare key code of its own, and returns
  // once the server has made the change (false when the spare codes run out). A typing tool then finds
  // every character on a key and remaps none while it types: a key remapped per character races the
  // program under test, which reads the map when it handles the key, maybe after the next remapping.
  bool HoldKeysFor(std::u32string_view text);

 private:
  void* FDisplay { nullptr };
};

}  // namespace xj::test
