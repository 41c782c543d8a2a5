#pragma once
// A minimal desktop tray for tests: it owns _NET_SYSTEM_TRAY_S0, announces itself, and docks the
// icons that ask (XEmbed: reparented into its panel, sized, mapped, told they are embedded). It runs
// on a connection of its own and does its work when the test calls Pump (no thread). Xlib stays
// inside TrayManager.cpp.

#include <cstdint>
#include <string>
#include <vector>

namespace xj::test {

class TrayManager {
 public:
  // A panel at (x, y) of the screen in the colour `rgb` (0xRRGGBB); each icon gets a slot of
  // slotWidth × slotHeight.
  TrayManager(const std::string& display, int x, int y, uint32_t rgb, int slotWidth, int slotHeight);
  ~TrayManager();  // the connection closes: the panel, and the selection, go with it
  TrayManager(const TrayManager&) = delete;
  TrayManager& operator=(const TrayManager&) = delete;

  bool Running() const { return FDisplay != nullptr; }
  void Pump();
  // The icons docked and mapped, in docking order, with their screen places.
  struct Docked {
    unsigned long window;
    int x, y, width, height;
    std::string name;  // _NET_WM_NAME (UTF-8)
  };
  std::vector<Docked> Icons();
  // A button event as the server would deliver it to the icon at (x, y) of it, stamped `time` ms.
  void SendButton(unsigned long icon, int button, bool press, unsigned long time, int x, int y);

 private:
  void* FDisplay { nullptr };
  unsigned long FPanel { 0 };
  int FSlotWidth, FSlotHeight;
  std::vector<unsigned long> FClients;
};

}  // namespace xj::test
