#pragma once
// The native menu model shared by the menu loop and the painting of menu bars and popups.

#include <string>
#include <vector>

#include "platform/win32/WmInternal.h"

namespace xj::wm {

struct MenuItem {
  UINT type { MFT_STRING };
  UINT state { 0 };
  UINT id { 0 };
  HMENU sub {};
  std::string text;  // GBK, with '&' marking the mnemonic and '\t' before a short-cut text
  ULONG_PTR data { 0 };

  bool Separator() const { return (type & MFT_SEPARATOR) != 0; }
  bool Disabled() const { return (state & (MF_GRAYED | MF_DISABLED)) != 0; }
};

struct Menu {
  std::vector<MenuItem> items;
  bool popup { false };
};

Menu* MenuFromHandle(HMENU h);
// The mnemonic character of an item (lower-cased ASCII), 0 when none.
char Mnemonic(const MenuItem& item);

// Layout of a menu bar inside its band (window coordinates), and of a popup's items.
std::vector<RECT> MenuBarItemRects(const Menu& m, const RECT& band);
SIZE PopupSize(const Menu& m);
std::vector<RECT> PopupItemRects(const Menu& m);

// Highlighted item of a menu bar while the menu loop runs (-1 none); the frame painter reads it.
int MenuBarHighlight(HWND owner);

}  // namespace xj::wm
