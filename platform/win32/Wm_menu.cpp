// Native menus: the model behind HMENU, the menu bar of a top-level window, and the modal menu loop
// shared by the menu bar (mouse, Alt, F10, Alt+mnemonic) and TrackPopupMenu.

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/win32/WmMenu.h"
#include "platform/win32/WmNonClient.h"

namespace xj::wm {

void PaintPopupMenu(Wnd* w, HDC dc, const Menu& m, int highlight);  // Wm_ncpaint.cpp
int MenuTextWidth(const std::string& text);                         // Wm_ncpaint.cpp
void RegisterSystemClass(const char* name, WNDPROCFN proc, UINT style, HBRUSH background);

namespace {

// ---- Handles ----------------------------------------------------------------------------------------

struct MenuSlot {
  uint32_t gen { 1 };
  std::unique_ptr<Menu> menu;
};

std::vector<MenuSlot>& Slots() {
  static std::vector<MenuSlot>* s = new std::vector<MenuSlot>(1);
  return *s;
}

HMENU NewMenu(bool popup) {
  auto& s = Slots();
  size_t index = 1;
  while (index < s.size() && s[index].menu) ++index;
  if (index == s.size()) s.emplace_back();
  s[index].menu = std::make_unique<Menu>();
  s[index].menu->popup = popup;
  return (HMENU)(uintptr_t)((s[index].gen << 22) | (index << 2) | 2);
}

MenuItem* FindItem(Menu* m, UINT item, bool byPosition, Menu** owner = nullptr, size_t* pos = nullptr) {
  if (!m) return nullptr;
  if (byPosition) {
    if (item >= m->items.size()) return nullptr;
    if (owner) *owner = m;
    if (pos) *pos = item;
    return &m->items[item];
  }
  for (size_t i = 0; i < m->items.size(); ++i) {
    MenuItem& it = m->items[i];
    if (!it.sub && it.id == item && !it.Separator()) {
      if (owner) *owner = m;
      if (pos) *pos = i;
      return &it;
    }
    if (it.sub)
      if (MenuItem* f = FindItem(MenuFromHandle(it.sub), item, false, owner, pos)) return f;
  }
  return nullptr;
}

MenuItem ItemFromFlags(UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
  MenuItem it;
  if (flags & MF_SEPARATOR) it.type = MFT_SEPARATOR;
  if (flags & MF_POPUP)
    it.sub = (HMENU)idOrPopup;
  else
    it.id = (UINT)idOrPopup;
  it.state = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_DEFAULT);
  if (flags & MF_MENUBREAK) it.type |= MFT_MENUBREAK;
  if (flags & MF_RIGHTJUSTIFY) it.type |= MFT_RIGHTJUSTIFY;
  if (text && !IS_INTRESOURCE(text) && !(flags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW))) it.text = text;
  return it;
}

// Whether `inner` is `outer` or lies anywhere inside it; a menu may not contain itself.
bool Contains(HMENU outer, HMENU inner, int depth = 0) {
  if (outer == inner) return true;
  Menu* m = MenuFromHandle(outer);
  if (!m || depth > 64) return depth > 64;
  for (const MenuItem& it : m->items)
    if (it.sub && Contains(it.sub, inner, depth + 1)) return true;
  return false;
}

void MenuChanged() {
  // A change to a menu that is some window's bar repaints that bar.
  ForEachWindow([](Wnd* w) {
    if (w->menu && !w->IsChild()) InvalidateFrame(w);
  });
}

}  // namespace

Menu* MenuFromHandle(HMENU h) {
  uintptr_t v = (uintptr_t)h;
  if ((v & 3) != 2) return nullptr;
  uint32_t index = (uint32_t)((v >> 2) & 0xFFFFF), gen = (uint32_t)(v >> 22);
  auto& s = Slots();
  if (index == 0 || index >= s.size() || s[index].gen != gen) return nullptr;
  return s[index].menu.get();
}

char Mnemonic(const MenuItem& item) {
  const std::string& t = item.text;
  for (size_t i = 0; i + 1 < t.size(); ++i) {
    unsigned char c = (unsigned char)t[i];
    if (c >= 0x81 && c <= 0xFE) {  // a double-byte character has no mnemonic role
      ++i;
      continue;
    }
    if (c == '&') {
      if (t[i + 1] == '&') {
        ++i;
        continue;
      }
      return (char)std::tolower((unsigned char)t[i + 1]);
    }
  }
  return 0;
}

std::vector<RECT> MenuBarItemRects(const Menu& m, const RECT& band) {
  std::vector<RECT> out;
  int x = band.left;
  for (const MenuItem& it : m.items) {
    int w = it.Separator() ? 8 : MenuTextWidth(it.text) + 16;
    out.push_back(RECT { x, band.top, x + w, band.bottom });
    x += w;
  }
  return out;
}

std::vector<RECT> PopupItemRects(const Menu& m) {
  SIZE sz = PopupSize(m);
  std::vector<RECT> out;
  int y = 3;
  for (const MenuItem& it : m.items) {
    int h = it.Separator() ? 9 : 19;
    out.push_back(RECT { 3, y, sz.cx - 3, y + h });
    y += h;
  }
  return out;
}

SIZE PopupSize(const Menu& m) {
  int w = 0, h = 6;
  for (const MenuItem& it : m.items) {
    h += it.Separator() ? 9 : 19;
    w = std::max(w, MenuTextWidth(it.text));
  }
  return SIZE { std::max(w + 60, 80), h };
}

// ---- The menu loop ----------------------------------------------------------------------------------

namespace {

struct Level {
  HMENU menu {};
  HWND wnd {};  // the popup window; null for the menu bar
  int sel { -1 };
};

class MenuLoop;
// The innermost running menu loop, and the window whose menu bar it drives.
struct MenuState : StatePart {
  MenuLoop* activeLoop {};
  HWND barOwner {};
  // Where and when a press outside every menu closed the last loop (time 0: it ended otherwise).
  POINT pressOutside {};
  DWORD pressOutsideTime { 0 };
};

MenuState& MS() { return Part<MenuState>(PartId::Menus); }

LRESULT CALLBACK PopupProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);

class MenuLoop {
 public:
  MenuLoop(HWND owner, bool bar, UINT flags) : FOwner(owner), FBar(bar), FFlags(flags) {}

  UINT Run(HMENU root, POINT at, UINT key) {
    RegisterSystemClass("#32768", PopupProc, CS_SAVEBITS, nullptr);
    MenuLoop* outer = MS().activeLoop;
    MS().activeLoop = this;
    SendMessageA(FOwner, WM_ENTERMENULOOP, !FBar, 0);
    if (FBar) {
      FLevels.push_back(Level { root, nullptr, -1 });
      MS().barOwner = FOwner;
      if (key == 0) {
        int i = BarItemAt(at);
        if (i < 0) {
          Finish(outer);
          return 0;
        }
        SelectBar(i, true);
      } else if (key == VK_MENU || key == VK_F10) {
        SelectBar(FirstSelectable(root, 0, 1), false);
      } else {
        int i = ByMnemonic(root, (char)std::tolower((int)key));
        if (i < 0) {
          Finish(outer);
          return 0;
        }
        SelectBar(i, false);
        OpenByKey(0, i);
      }
    } else {
      OpenPopup(root, at, 0);
    }
    ModalFrame frame;
    frame.kind = ModalFrame::Menu;
    frame.hwnd = FOwner;
    frame.menu = root;
    ModalScope scope(frame);
    // Left by an exception: the popups go and nothing points at this loop any more.
    ScopeExit abandon([&] { Abandon(outer); });
    HWND cap = FLevels.back().wnd ? FLevels.back().wnd : FOwner;
    SetCapture(cap);
    while (!FDone && IsWindow(FOwner)) {
      if (scope.Ended()) {
        FResult = (UINT)scope.Frame().result;
        FDone = true;
        break;
      }
      MSG m;
      if (!PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (!ModalStep()) break;
        continue;
      }
      if (!Handle(m)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
      }
    }
    abandon.Dismiss();
    Finish(outer);
    return FResult;
  }

  const Menu* MenuOf(HWND popup, int* sel) const {
    for (const Level& l : FLevels)
      if (l.wnd == popup) {
        if (sel) *sel = l.sel;
        return MenuFromHandle(l.menu);
      }
    return nullptr;
  }
  int BarSel() const { return FBar && !FLevels.empty() ? FLevels[0].sel : -1; }
  HWND Owner() const { return FOwner; }

 private:
  int Opened() const { return (int)FLevels.size(); }

  void Abandon(MenuLoop* outer) {
    for (auto it = FLevels.rbegin(); it != FLevels.rend(); ++it)
      if (it->wnd && IsWindow(it->wnd)) DestroyWindow(it->wnd);
    FLevels.clear();
    if (GetCapture() == FOwner) ReleaseCapture();
    MS().activeLoop = outer;
    if (FBar) MS().barOwner = nullptr;
  }

  void Finish(MenuLoop* outer) {
    for (auto it = FLevels.rbegin(); it != FLevels.rend(); ++it)
      if (it->wnd && IsWindow(it->wnd)) DestroyWindow(it->wnd);
    HWND cap = GetCapture();
    if (cap && (cap == FOwner || !IsWindow(cap) || GetClassWord(cap))) ReleaseCapture();
    FLevels.clear();
    MS().activeLoop = outer;
    if (FBar) MS().barOwner = nullptr;
    if (IsWindow(FOwner)) {
      if (FBar)
        if (Wnd* w = FromHandle(FOwner)) InvalidateFrame(w);
      SendMessageA(FOwner, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
      SendMessageA(FOwner, WM_EXITMENULOOP, !FBar, 0);
      if (FResult && !(FFlags & TPM_RETURNCMD)) PostMessageA(FOwner, WM_COMMAND, MAKEWPARAM(FResult, 0), 0);
    }
  }

  static bool GetClassWord(HWND h) {
    char name[16];
    return GetClassNameA(h, name, sizeof name) && strcmp(name, "#32768") == 0;
  }

  int BarItemAt(POINT screen) {
    Wnd* w = FromHandle(FOwner);
    Menu* m = w ? MenuFromHandle(w->menu) : nullptr;
    if (!m) return -1;
    RECT sr = ScreenRect(w);
    POINT pt { screen.x - sr.left, screen.y - sr.top };
    auto rects = MenuBarItemRects(*m, PartsOf(w).menu);
    for (size_t i = 0; i < rects.size(); ++i)
      if (InRect(rects[i], pt) && !m->items[i].Separator()) return (int)i;
    return -1;
  }

  static int FirstSelectable(HMENU h, int from, int step) {
    Menu* m = MenuFromHandle(h);
    if (!m || m->items.empty()) return -1;
    int n = (int)m->items.size();
    for (int k = 0; k < n; ++k) {
      int i = ((from + k * step) % n + n) % n;
      if (!m->items[i].Separator()) return i;
    }
    return -1;
  }

  static int ByMnemonic(HMENU h, char c) {
    Menu* m = MenuFromHandle(h);
    if (!m || !c) return -1;
    for (size_t i = 0; i < m->items.size(); ++i)
      if (Mnemonic(m->items[i]) == c && !m->items[i].Separator()) return (int)i;
    return -1;
  }

  void Select(int level, int i) {
    Level& l = FLevels[level];
    if (l.sel == i) return;
    l.sel = i;
    Menu* m = MenuFromHandle(l.menu);
    if (l.wnd)
      InvalidateRect(l.wnd, nullptr, TRUE);
    else if (Wnd* w = FromHandle(FOwner))
      InvalidateFrame(w);
    if (m && i >= 0 && i < (int)m->items.size()) {
      const MenuItem& it = m->items[i];
      UINT f = (it.sub ? MF_POPUP : 0) | MF_HILITE | (it.Disabled() ? MF_GRAYED : 0);
      SendMessageA(FOwner, WM_MENUSELECT, MAKEWPARAM(it.sub ? (UINT)i : it.id, f), (LPARAM)l.menu);
    }
  }

  void CloseAbove(int level) {
    while ((int)FLevels.size() > level + 1) {
      HWND w = FLevels.back().wnd;
      FLevels.pop_back();
      if (w && IsWindow(w)) DestroyWindow(w);
    }
    SetCapture(FLevels.back().wnd ? FLevels.back().wnd : FOwner);
  }

  void OpenPopup(HMENU h, POINT at, int pos) {
    Menu* m = MenuFromHandle(h);
    if (!m) return;
    SendMessageA(FOwner, WM_INITMENUPOPUP, (WPARAM)h, MAKELPARAM(pos, 0));
    m = MenuFromHandle(h);
    if (!m) return;
    SIZE sz = PopupSize(*m);
    if (FFlags & TPM_RIGHTALIGN) at.x -= sz.cx;
    if (FFlags & TPM_BOTTOMALIGN) at.y -= sz.cy;
    HWND p = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "#32768", "", WS_POPUP, at.x, at.y, sz.cx, sz.cy,
                             nullptr, nullptr, nullptr, nullptr);
    if (!p) return;
    FLevels.push_back(Level { h, p, -1 });
    SetWindowPos(p, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    SetCapture(p);
  }

  // Opens the submenu of item i of `level`, or chooses the item.
  void ChooseOrOpen(int level, int i) {
    Menu* m = MenuFromHandle(FLevels[level].menu);
    if (!m || i < 0 || i >= (int)m->items.size()) return;
    const MenuItem& it = m->items[i];
    if (it.Separator() || it.Disabled()) return;
    if (it.sub) {
      CloseAbove(level);
      POINT at;
      if (FLevels[level].wnd) {
        RECT r = PopupItemRects(*m)[i];
        RECT sr;
        GetWindowRect(FLevels[level].wnd, &sr);
        at = POINT { sr.left + r.right, sr.top + r.top - 3 };
      } else {
        Wnd* w = FromHandle(FOwner);
        RECT r = MenuBarItemRects(*m, PartsOf(w).menu)[i];
        RECT sr = ScreenRect(w);
        at = POINT { sr.left + r.left, sr.top + r.bottom };
      }
      OpenPopup(it.sub, at, i);
      return;
    }
    FResult = it.id;
    FDone = true;
  }

  // Keyboard opening highlights the first item of the new level.
  void OpenByKey(int level, int i) {
    ChooseOrOpen(level, i);
    if (!FDone && Opened() > level + 1) Select(level + 1, FirstSelectable(FLevels[level + 1].menu, 0, 1));
  }

  void SelectBar(int i, bool open) {
    if (i < 0) return;
    CloseAbove(0);
    Select(0, i);
    if (open) ChooseOrOpen(0, i);
  }

  // Which level and item lie under a screen point; level -1: none.
  int LevelAt(POINT screen, int& item) {
    item = -1;
    for (int k = (int)FLevels.size() - 1; k >= 0; --k) {
      Level& l = FLevels[k];
      Menu* m = MenuFromHandle(l.menu);
      if (!m) continue;
      if (!l.wnd) {
        int i = BarItemAt(screen);
        if (i >= 0) {
          item = i;
          return k;
        }
        continue;
      }
      RECT sr;
      GetWindowRect(l.wnd, &sr);
      if (!InRect(sr, screen)) continue;
      auto rects = PopupItemRects(*m);
      POINT pt { screen.x - sr.left, screen.y - sr.top };
      for (size_t i = 0; i < rects.size(); ++i)
        if (InRect(rects[i], pt) && !m->items[i].Separator()) item = (int)i;
      return k;
    }
    return -1;
  }

  bool Handle(const MSG& m) {
    if (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST && m.message != WM_MOUSEWHEEL) {
      POINT pt { GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam) };
      ClientToScreen(m.hwnd, &pt);
      int item;
      int level = LevelAt(pt, item);
      switch (m.message) {
        case WM_MOUSEMOVE:
          if (level < 0 || item < 0) return true;
          if (FLevels[level].wnd == nullptr) {
            if (Opened() > 1 && item != FLevels[0].sel) SelectBar(item, true);
          } else {
            CloseAbove(level);
            Select(level, item);
            Menu* mm = MenuFromHandle(FLevels[level].menu);
            if (mm && mm->items[item].sub) ChooseOrOpen(level, item);
          }
          return true;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
          if (level < 0) {
            FDone = true;  // a press outside the menus closes them
            MS().pressOutside = pt;
            MS().pressOutsideTime = m.time ? m.time : 1;
            return true;
          }
          if (!FLevels[level].wnd && item >= 0) {
            if (Opened() > 1 && FLevels[0].sel == item)
              FDone = true;
            else
              SelectBar(item, true);
          }
          return true;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
          if (m.message == WM_RBUTTONUP && !(FFlags & TPM_RIGHTBUTTON) && !FBar) return true;
          if (level >= 0 && FLevels[level].wnd && item >= 0) ChooseOrOpen(level, item);
          return true;
        default:
          return true;
      }
    }
    if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) {
      TranslateMessage(&m);  // mnemonics arrive as characters
      Key((UINT)m.wParam);
      return true;
    }
    if (m.message == WM_CHAR || m.message == WM_SYSCHAR) {
      int top = Opened() - 1;
      int i = ByMnemonic(FLevels[top].menu, (char)std::tolower((int)(unsigned char)m.wParam));
      if (i >= 0) {
        Select(top, i);
        OpenByKey(top, i);
      }
      return true;
    }
    return m.message == WM_KEYUP || m.message == WM_SYSKEYUP;
  }

  void Key(UINT vk) {
    int top = Opened() - 1;
    Level& l = FLevels[top];
    bool barOnly = FBar && top == 0;
    switch (vk) {
      case VK_ESCAPE:
        if (top == 0 || (FBar && top == 1)) {
          if (FBar && top == 1) {
            CloseAbove(0);
            return;
          }
          FDone = true;
          return;
        }
        CloseAbove(top - 1);
        return;
      case VK_MENU:
      case VK_F10:
        FDone = true;
        return;
      case VK_UP:
      case VK_DOWN:
        if (barOnly) {
          OpenByKey(0, l.sel);
          return;
        }
        Select(top, FirstSelectable(l.menu, l.sel < 0 ? (vk == VK_DOWN ? 0 : -1) : l.sel + (vk == VK_DOWN ? 1 : -1),
                                    vk == VK_DOWN ? 1 : -1));
        return;
      case VK_RIGHT: {
        Menu* m = MenuFromHandle(l.menu);
        if (!barOnly && m && l.sel >= 0 && m->items[l.sel].sub) {
          OpenByKey(top, l.sel);
          return;
        }
        if (FBar) {
          bool wasOpen = Opened() > 1;
          int next = FirstSelectable(FLevels[0].menu, FLevels[0].sel + 1, 1);
          SelectBar(next, false);
          if (wasOpen) OpenByKey(0, next);
        }
        return;
      }
      case VK_LEFT:
        if (top >= 2 || (!FBar && top >= 1)) {
          CloseAbove(top - 1);
          return;
        }
        if (FBar) {
          bool wasOpen = Opened() > 1;
          int prev = FirstSelectable(FLevels[0].menu, FLevels[0].sel - 1, -1);
          SelectBar(prev, false);
          if (wasOpen) OpenByKey(0, prev);
        }
        return;
      case VK_RETURN:
        if (l.sel >= 0) OpenByKey(top, l.sel);
        return;
    }
  }

  HWND FOwner;
  bool FBar;
  UINT FFlags;
  std::vector<Level> FLevels;
  UINT FResult { 0 };
  bool FDone { false };
};

LRESULT CALLBACK PopupProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      int sel = -1;
      const Menu* m = MS().activeLoop ? MS().activeLoop->MenuOf(h, &sel) : nullptr;
      if (m && dc)
        if (Wnd* w = FromHandle(h)) PaintPopupMenu(w, dc, *m, sel);
      EndPaint(h, &ps);
      return 0;
    }
  }
  return DefWindowProcA(h, msg, wParam, lParam);
}

}  // namespace

int MenuBarHighlight(HWND owner) {
  if (!MS().activeLoop || MS().barOwner != owner) return -1;
  return MS().activeLoop->BarSel();
}

void MenuBarLoop(Wnd* w, POINT screen, UINT key) {
  HWND h = w->handle;
  MenuLoop loop(h, true, 0);
  loop.Run(w->menu, screen, key);
}

}  // namespace xj::wm

using namespace xj::wm;

HMENU CreateMenu() { return NewMenu(false); }
HMENU CreatePopupMenu() { return NewMenu(true); }
BOOL IsMenu(HMENU menu) { return MenuFromHandle(menu) != nullptr; }

BOOL DestroyMenu(HMENU menu) {
  Menu* m = MenuFromHandle(menu);
  if (!m) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::vector<HMENU> subs;
  for (const MenuItem& it : m->items)
    if (it.sub) subs.push_back(it.sub);
  uintptr_t v = (uintptr_t)menu;
  auto& s = Slots()[(v >> 2) & 0xFFFFF];
  s.menu.reset();
  s.gen = s.gen % 511 + 1;
  for (HMENU sub : subs)
    if (IsMenu(sub)) DestroyMenu(sub);
  return TRUE;
}

BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
  Menu* m = MenuFromHandle(menu);
  if (!m) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if ((flags & MF_POPUP) && (!IsMenu((HMENU)idOrPopup) || Contains((HMENU)idOrPopup, menu))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  size_t at = m->items.size();
  if (position != (UINT)-1) {
    Menu* owner = m;
    size_t pos = at;
    if (!(flags & MF_BYPOSITION)) {
      if (!FindItem(m, position, false, &owner, &pos)) owner = m, pos = m->items.size();
    } else {
      pos = std::min<size_t>(position, m->items.size());
    }
    owner->items.insert(owner->items.begin() + pos, ItemFromFlags(flags, idOrPopup, text));
    MenuChanged();
    return TRUE;
  }
  m->items.push_back(ItemFromFlags(flags, idOrPopup, text));
  MenuChanged();
  return TRUE;
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
  return InsertMenuA(menu, (UINT)-1, flags | MF_BYPOSITION, idOrPopup, text);
}

BOOL ModifyMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
  MenuItem* it = FindItem(MenuFromHandle(menu), position, (flags & MF_BYPOSITION) != 0);
  if (!it) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if ((flags & MF_POPUP) && (!IsMenu((HMENU)idOrPopup) || Contains((HMENU)idOrPopup, menu))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *it = ItemFromFlags(flags, idOrPopup, text);
  MenuChanged();
  return TRUE;
}

static void ApplyInfo(MenuItem& it, const MENUITEMINFOA* info, HMENU self) {
  if (info->fMask & (MIIM_TYPE | MIIM_FTYPE)) it.type = info->fType;
  if (info->fMask & MIIM_STATE) it.state = info->fState;
  if (info->fMask & MIIM_ID) it.id = info->wID;
  if (info->fMask & MIIM_SUBMENU)
    it.sub = IsMenu(info->hSubMenu) && !Contains(info->hSubMenu, self) ? info->hSubMenu : nullptr;
  if (info->fMask & MIIM_DATA) it.data = info->dwItemData;
  if ((info->fMask & (MIIM_STRING | MIIM_TYPE)) && info->dwTypeData && !(it.type & (MFT_SEPARATOR | MFT_BITMAP)))
    it.text = info->dwTypeData;
}

BOOL InsertMenuItemA(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOA info) {
  Menu* m = MenuFromHandle(menu);
  if (!m || !info) {
    SetLastError(m ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  MenuItem it;
  ApplyInfo(it, info, menu);
  Menu* owner = m;
  size_t pos = m->items.size();
  if (byPosition)
    pos = std::min<size_t>(item, m->items.size());
  else if (!FindItem(m, item, false, &owner, &pos))
    owner = m, pos = m->items.size();
  owner->items.insert(owner->items.begin() + pos, it);
  MenuChanged();
  return TRUE;
}

BOOL SetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOA info) {
  MenuItem* it = FindItem(MenuFromHandle(menu), item, byPosition);
  if (!it || !info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ApplyInfo(*it, info, menu);
  MenuChanged();
  return TRUE;
}

BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, LPMENUITEMINFOA info) {
  MenuItem* it = FindItem(MenuFromHandle(menu), item, byPosition);
  if (!it || !info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (info->fMask & (MIIM_TYPE | MIIM_FTYPE)) info->fType = it->type;
  if (info->fMask & MIIM_STATE) info->fState = it->state;
  if (info->fMask & MIIM_ID) info->wID = it->id;
  if (info->fMask & MIIM_SUBMENU) info->hSubMenu = it->sub;
  if (info->fMask & MIIM_DATA) info->dwItemData = it->data;
  if (info->fMask & (MIIM_STRING | MIIM_TYPE)) {
    if (info->dwTypeData && info->cch > 0) {
      size_t n = std::min<size_t>(it->text.size(), info->cch - 1);
      memcpy(info->dwTypeData, it->text.data(), n);
      info->dwTypeData[n] = 0;
    }
    info->cch = (UINT)it->text.size();
  }
  return TRUE;
}

static BOOL Remove(HMENU menu, UINT position, UINT flags, bool destroySub) {
  Menu* owner = nullptr;
  size_t pos = 0;
  MenuItem* it = FindItem(MenuFromHandle(menu), position, (flags & MF_BYPOSITION) != 0, &owner, &pos);
  if (!it) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  HMENU sub = it->sub;
  owner->items.erase(owner->items.begin() + pos);
  if (destroySub && sub && IsMenu(sub)) DestroyMenu(sub);
  MenuChanged();
  return TRUE;
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) { return Remove(menu, position, flags, false); }
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) { return Remove(menu, position, flags, true); }

int GetMenuItemCount(HMENU menu) {
  Menu* m = MenuFromHandle(menu);
  if (!m) {
    SetLastError(ERROR_INVALID_HANDLE);
    return -1;
  }
  return (int)m->items.size();
}

UINT GetMenuItemID(HMENU menu, int pos) {
  Menu* m = MenuFromHandle(menu);
  if (!m || pos < 0 || pos >= (int)m->items.size()) return (UINT)-1;
  return m->items[pos].sub ? (UINT)-1 : m->items[pos].id;
}

HMENU GetSubMenu(HMENU menu, int pos) {
  Menu* m = MenuFromHandle(menu);
  if (!m || pos < 0 || pos >= (int)m->items.size()) return nullptr;
  return m->items[pos].sub;
}

UINT GetMenuState(HMENU menu, UINT id, UINT flags) {
  MenuItem* it = FindItem(MenuFromHandle(menu), id, (flags & MF_BYPOSITION) != 0);
  if (!it) return (UINT)-1;
  UINT s = it->state | (it->type & (MFT_SEPARATOR | MFT_MENUBREAK));
  if (it->sub)
    if (Menu* sm = MenuFromHandle(it->sub)) s = (s & 0xFF) | MF_POPUP | ((UINT)sm->items.size() << 8);
  return s;
}

int GetMenuStringA(HMENU menu, UINT id, LPSTR buf, int size, UINT flags) {
  MenuItem* it = FindItem(MenuFromHandle(menu), id, (flags & MF_BYPOSITION) != 0);
  if (!it) return 0;
  if (!buf || size <= 0) return (int)it->text.size();
  int n = std::min((int)it->text.size(), size - 1);
  memcpy(buf, it->text.data(), n);
  buf[n] = 0;
  return n;
}

BOOL EnableMenuItem(HMENU menu, UINT id, UINT enable) {
  MenuItem* it = FindItem(MenuFromHandle(menu), id, (enable & MF_BYPOSITION) != 0);
  if (!it) return -1;
  UINT old = it->state & (MF_GRAYED | MF_DISABLED);
  it->state = (it->state & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
  MenuChanged();
  return (BOOL)old;
}

DWORD CheckMenuItem(HMENU menu, UINT id, UINT check) {
  MenuItem* it = FindItem(MenuFromHandle(menu), id, (check & MF_BYPOSITION) != 0);
  if (!it) return (DWORD)-1;
  DWORD old = it->state & MF_CHECKED;
  it->state = (it->state & ~MF_CHECKED) | (check & MF_CHECKED);
  return old;
}

BOOL SetMenu(HWND hwnd, HMENU menu) {
  Wnd* w = Checked(hwnd);
  if (!w) return FALSE;
  if (w->IsChild() || (menu && !IsMenu(menu))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  w->menu = menu;
  SetPos(w, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return TRUE;
}

HMENU GetMenu(HWND hwnd) {
  Wnd* w = Checked(hwnd);
  return w && !w->IsChild() ? w->menu : nullptr;
}

HMENU GetSystemMenu(HWND hwnd, BOOL revert) {
  Wnd* w = Checked(hwnd);
  if (!w) return nullptr;
  if (revert) {
    if (w->sysMenu) DestroyMenu(w->sysMenu);
    w->sysMenu = nullptr;
    return nullptr;
  }
  if (!w->sysMenu || !IsMenu(w->sysMenu)) {
    w->sysMenu = CreatePopupMenu();
    AppendMenuA(w->sysMenu, MF_STRING, SC_RESTORE, "还原(&R)");
    AppendMenuA(w->sysMenu, MF_STRING, SC_MOVE, "移动(&M)");
    AppendMenuA(w->sysMenu, MF_STRING, SC_SIZE, "大小(&S)");
    AppendMenuA(w->sysMenu, MF_STRING, SC_MINIMIZE, "最小化(&N)");
    AppendMenuA(w->sysMenu, MF_STRING, SC_MAXIMIZE, "最大化(&X)");
    AppendMenuA(w->sysMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(w->sysMenu, MF_STRING, SC_CLOSE, "关闭(&C)\tAlt+F4");
  }
  return w->sysMenu;
}

namespace xj::wm {

void SystemMenuLoop(Wnd* w, bool byMouse) {
  if (!(w->style & WS_SYSMENU)) return;
  HWND h = w->handle;
  DWORD opened = (DWORD)GetMessageTime();
  HMENU m = GetSystemMenu(h, FALSE);
  bool minimised = (w->style & WS_MINIMIZE) != 0, maximised = (w->style & WS_MAXIMIZE) != 0;
  struct {
    UINT id;
    bool on;
  } items[] = { { SC_RESTORE, minimised || maximised },
                { SC_MOVE, !maximised },
                { SC_SIZE, (w->style & WS_THICKFRAME) && !minimised && !maximised },
                { SC_MINIMIZE, (w->style & WS_MINIMIZEBOX) && !minimised },
                { SC_MAXIMIZE, (w->style & WS_MAXIMIZEBOX) && !maximised },
                { SC_CLOSE, true } };
  for (auto& it : items) EnableMenuItem(m, it.id, MF_BYCOMMAND | (it.on ? MF_ENABLED : MF_GRAYED));
  FrameParts p = PartsOf(w);
  POINT at = WindowOrigin(w);
  at.x += p.frame.border;
  at.y += p.frame.border + p.frame.caption;
  MS().pressOutsideTime = 0;
  UINT cmd = (UINT)TrackPopupMenu(m, TPM_LEFTALIGN | TPM_RETURNCMD, at.x, at.y, 0, h, nullptr);
  if (!IsWindow(h)) return;
  // The icon pressed again while the menu it opened is up is a double click on it: close.
  RECT icon = p.sysIcon;
  POINT o = WindowOrigin(w);
  Offset(icon, o.x, o.y);
  MenuState& s = MS();
  if (!cmd && byMouse && s.pressOutsideTime && InRect(icon, s.pressOutside) &&
      s.pressOutsideTime - opened <= (DWORD)GetDoubleClickTime())
    cmd = SC_CLOSE;
  if (cmd) SendMessageA(h, WM_SYSCOMMAND, cmd, 0);
}

}  // namespace xj::wm

BOOL DrawMenuBar(HWND hwnd) {
  Wnd* w = Checked(hwnd);
  if (!w) return FALSE;
  InvalidateFrame(w);
  return TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
  if (!IsMenu(menu)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!Checked(owner)) return FALSE;
  MenuLoop loop(owner, false, flags);
  UINT r = loop.Run(menu, POINT { x, y }, 0);
  return (flags & TPM_RETURNCMD) ? (BOOL)r : (BOOL)(r != 0);
}

BOOL EndMenu() {
  if (ModalFrame* f = TopModal())
    if (f->kind == ModalFrame::Menu) {
      f->ended = true;
      f->result = 0;
      WakeQueue();
      return TRUE;
    }
  return FALSE;
}
