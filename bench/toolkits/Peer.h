#pragma once
// A toolkit a user might pick instead, building the window bench/SkinForm.h builds: 800 x 600, the same
// ten kinds of control ten to a row, at the same places and sizes, with the same texts, each toolkit's
// own way, drawn off screen into an image in this process. Its two looks (the peer of our two skins) are
// made once, before any window: loading a look is not part of a window's first paint on either side.

#include <cstdint>
#include <memory>
#include <string>

#include "bench/FormPlaces.h"

namespace xj::bench {

class PeerToolkit {
 public:
  virtual ~PeerToolkit() = default;
  // Why the toolkit cannot run here (no display to start on), or empty.
  virtual std::string Problem() const = 0;
  // Seconds from nothing to the window, its 100 controls created, laid out and painted once into an
  // image; the window is closed after the time is taken.
  virtual double FirstPaint() = 0;
  // The window kept open: painted whole again, and its look switched to the other one and painted.
  virtual void Repaint() = 0;
  virtual void SwitchLook() = 0;
  // Whether the open window's last painting shows the look it is in: a button's face in that look's colour.
  virtual bool ShowsLook() = 0;
};

// The toolkit this program is built with, started once.
std::unique_ptr<PeerToolkit> StartPeerToolkit();
// Its short name, the counters' suffix ("gtk", "qt").
const char* PeerToolkitName();

// The button face's colour in each look (0xRRGGBB), and where a face is seen on the first button.
inline constexpr uint32_t kPeerButtonFace[2] = { 0x3a6ea5, 0x7a8a2e };
inline constexpr int kPeerFaceX = 8, kPeerFaceY = 25;

}  // namespace xj::bench
