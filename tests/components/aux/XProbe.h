#pragma once
// A private Xvfb and an X connection of the test's own, for reading back what the x11 back-end made of
// a window. Kept apart from the class-library headers, whose names Xlib's macros and types clash with.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace auxtest {

class XProbe {
 public:
  // Starts Xvfb (-displayfd picks a free display) and connects; false with the reason when it cannot.
  bool Start(std::string& Why);
  // Disconnects and stops the server.
  void Stop();
  ~XProbe() { Stop(); }
  const std::string& DisplayName() const { return FName; }

  // The top-level window whose _NET_WM_NAME is Title, or 0.
  unsigned long Find(const std::string& Title);
  // The window's bounding shape as one flag per pixel of a Width × Height window, row by row.
  std::vector<bool> Shape(unsigned long Window, int Width, int Height);
  // A pixel of the screen as 0xRRGGBB, or ~0 when it cannot be read.
  unsigned long ScreenPixel(int X, int Y);

 private:
  int FPid { -1 };
  std::string FName;
  void* FDisplay { nullptr };
};

}  // namespace auxtest
