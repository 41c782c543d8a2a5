// Native menus: the model, the menu bar driven by keys and the mouse, TrackPopupMenu, and message
// boxes answered through the harness or through injected input.

#include "platform/win32/WinGdi.h"
#include "tests/platform/wm/WmTestUtil.h"

using namespace xj::test;
using namespace wmtest;

namespace {

class MenuTest : public WmTest {
 protected:
  // "&File" → "&Open" 101, separator, "E&xit" 102; "&Edit" → "&Copy" 201 (grayed), "&Paste" 202.
  HWND FormWithMenu() {
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 101, "&Open");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, 102, "E&xit");
    HMENU edit = CreatePopupMenu();
    AppendMenuA(edit, MF_STRING | MF_GRAYED, 201, "&Copy");
    AppendMenuA(edit, MF_STRING, 202, "&Paste");
    AppendMenuA(bar, MF_POPUP, (UINT_PTR)file, "&File");
    AppendMenuA(bar, MF_POPUP, (UINT_PTR)edit, "&Edit");
    HWND w = CreateWindowExA(0, "TestWnd", "form", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200, nullptr, bar,
                             nullptr, nullptr);
    SetFocus(w);
    PumpUntilIdle();
    return w;
  }
  static void Keys(std::initializer_list<UINT> vks) {
    for (UINT vk : vks) {
      KeyDown(vk, ssNone, false);
      KeyUp(vk, ssNone, false);
    }
  }
  static std::vector<WPARAM> Commands(const MessageTrace& t) {
    std::vector<WPARAM> ids;
    for (const MSG& m : t.Messages())
      if (m.message == WM_COMMAND) ids.push_back(LOWORD(m.wParam));
    return ids;
  }
};

TEST_F(MenuTest, ModelOperations) {
  HMENU m = CreatePopupMenu();
  HMENU sub = CreatePopupMenu();
  EXPECT_TRUE(AppendMenuA(m, MF_STRING, 1, "一"));
  EXPECT_TRUE(AppendMenuA(m, MF_POPUP, (UINT_PTR)sub, "子菜单"));
  EXPECT_TRUE(AppendMenuA(sub, MF_STRING, 2, "二"));
  EXPECT_TRUE(InsertMenuA(m, 0, MF_BYPOSITION | MF_STRING, 3, "三"));
  EXPECT_EQ(GetMenuItemCount(m), 3);
  EXPECT_EQ(GetMenuItemID(m, 0), 3u);
  EXPECT_EQ(GetMenuItemID(m, 2), (UINT)-1);  // a submenu
  EXPECT_EQ(GetSubMenu(m, 2), sub);
  char buf[16];
  EXPECT_EQ(GetMenuStringA(m, 2, buf, sizeof buf, MF_BYCOMMAND), 2);  // found inside the submenu
  EXPECT_STREQ(buf, "二");
  EXPECT_EQ(CheckMenuItem(m, 2, MF_CHECKED), 0u);
  EXPECT_EQ(GetMenuState(m, 2, MF_BYCOMMAND) & MF_CHECKED, (UINT)MF_CHECKED);
  EXPECT_EQ(EnableMenuItem(m, 1, MF_GRAYED), 0);
  EXPECT_EQ(GetMenuState(m, 1, MF_BYCOMMAND) & MF_GRAYED, (UINT)MF_GRAYED);
  MENUITEMINFOA info {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING | MIIM_ID;
  info.wID = 9;
  info.dwTypeData = (LPSTR) "九";
  EXPECT_TRUE(SetMenuItemInfoA(m, 0, TRUE, &info));
  EXPECT_EQ(GetMenuItemID(m, 0), 9u);
  EXPECT_TRUE(RemoveMenu(m, 2, MF_BYPOSITION));
  EXPECT_TRUE(IsMenu(sub));  // removed, not destroyed
  EXPECT_TRUE(AppendMenuA(m, MF_POPUP, (UINT_PTR)sub, "子菜单"));
  EXPECT_TRUE(DeleteMenu(m, 2, MF_BYPOSITION));
  EXPECT_FALSE(IsMenu(sub));  // deleted with its item
  EXPECT_FALSE(AppendMenuA(m, MF_POPUP, (UINT_PTR)m, "self"));
  HMENU inner = CreatePopupMenu();
  EXPECT_TRUE(AppendMenuA(m, MF_POPUP, (UINT_PTR)inner, "inner"));
  EXPECT_FALSE(AppendMenuA(inner, MF_POPUP, (UINT_PTR)m, "cycle"));  // would contain itself
  EXPECT_FALSE(ModifyMenuA(inner, 0, MF_BYPOSITION | MF_POPUP, (UINT_PTR)m, "cycle"));
  EXPECT_TRUE(DestroyMenu(m));
  EXPECT_FALSE(DestroyMenu(m));
  EXPECT_EQ(GetMenuItemCount(m), -1);
  EXPECT_FALSE(AppendMenuA(m, MF_STRING, 1, "x"));
}

TEST_F(MenuTest, AltThenArrowsAndEnterChooseAnItem) {
  HWND w = FormWithMenu();
  MessageTrace trace(w, { WM_COMMAND, WM_INITMENUPOPUP, WM_ENTERMENULOOP, WM_EXITMENULOOP, WM_SYSCOMMAND });
  Keys({ VK_MENU, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN });
  PumpUntilIdle();
  EXPECT_EQ(Commands(trace), (std::vector<WPARAM> { 202 }));
  std::vector<UINT> ids = trace.Ids();
  EXPECT_EQ(ids.front(), (UINT)WM_SYSCOMMAND);
  EXPECT_EQ(trace.Count(WM_INITMENUPOPUP), 1);
  EXPECT_EQ(trace.Count(WM_ENTERMENULOOP), 1);
  EXPECT_EQ(trace.Count(WM_EXITMENULOOP), 1);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(MenuTest, GrayedItemsAreNotChosen) {
  HWND w = FormWithMenu();
  MessageTrace trace(w, { WM_COMMAND });
  Keys({ VK_F10, VK_RIGHT, VK_DOWN, VK_RETURN, VK_ESCAPE, VK_ESCAPE });
  PumpUntilIdle();
  EXPECT_TRUE(Commands(trace).empty());
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(MenuTest, AltMnemonicOpensAndALetterChooses) {
  HWND w = FormWithMenu();
  MessageTrace trace(w, { WM_COMMAND });
  KeyDown(VK_MENU, ssNone, false);
  KeyDown('F', ssNone, false);
  KeyUp('F', ssNone, false);
  KeyUp(VK_MENU, ssNone, false);
  Keys({ 'X' });
  PumpUntilIdle();
  EXPECT_EQ(Commands(trace), (std::vector<WPARAM> { 102 }));
}

TEST_F(MenuTest, EscapeLeavesWithoutACommand) {
  HWND w = FormWithMenu();
  MessageTrace trace(w, { WM_COMMAND, WM_EXITMENULOOP });
  Keys({ VK_MENU, VK_DOWN, VK_ESCAPE, VK_ESCAPE });
  PumpUntilIdle();
  EXPECT_TRUE(Commands(trace).empty());
  EXPECT_EQ(trace.Count(WM_EXITMENULOOP), 1);
}

TEST_F(MenuTest, MouseOnTheBarThenOnAnItem) {
  HWND w = FormWithMenu();
  MessageTrace trace(w, { WM_COMMAND });
  // The bar lies below the 4-px frame and the 19-px caption; its first item's popup opens below it.
  int barX = 100 + 4 + 6, barY = 100 + 23 + 8;
  int itemX = 100 + 4 + 20, itemY = 100 + 23 + 18 + 3 + 8;
  MouseMove(barX, barY, false);
  MouseDown(mbLeft, barX, barY, false);
  MouseUp(mbLeft, barX, barY, false);
  MouseMove(itemX, itemY, false);
  MouseDown(mbLeft, itemX, itemY, false);
  MouseUp(mbLeft, itemX, itemY, false);
  PumpUntilIdle();
  EXPECT_EQ(Commands(trace), (std::vector<WPARAM> { 101 }));
}

TEST_F(MenuTest, TrackPopupMenuByKeysAndByScript) {
  HWND w = FormWithMenu();
  HMENU m = CreatePopupMenu();
  AppendMenuA(m, MF_STRING, 11, "甲");
  AppendMenuA(m, MF_STRING, 12, "乙");
  Keys({ VK_DOWN, VK_DOWN, VK_RETURN });
  EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 200, 200, 0, w, nullptr), 12);
  MessageTrace trace(w, { WM_COMMAND });
  AnswerModal([](const ModalRecord&) -> LONG_PTR {
    // The popup shows at the point asked for, in the menu colour, above everything.
    EXPECT_EQ(DesktopPixel(205, 206), GetSysColor(COLOR_MENU));
    HWND popup = WindowFromPoint(POINT { 205, 206 });
    char cls[16] = "";
    GetClassNameA(popup, cls, sizeof cls);
    EXPECT_STREQ(cls, "#32768");
    return 11;
  });
  EXPECT_TRUE(TrackPopupMenu(m, 0, 200, 200, 0, w, nullptr));
  PumpUntilIdle();
  EXPECT_EQ(Commands(trace), (std::vector<WPARAM> { 11 }));
  ASSERT_EQ(ModalRecords().size(), 1u);
  EXPECT_EQ(ModalRecords()[0].kind, ModalRecord::Menu);
  // A press outside closes it.
  MouseDown(mbLeft, 5, 5, false);
  EXPECT_FALSE(TrackPopupMenu(m, 0, 200, 200, 0, w, nullptr));
  MouseUp(mbLeft, 5, 5);
  EXPECT_EQ(TrackPopupMenu(nullptr, 0, 0, 0, 0, w, nullptr), FALSE);
  EXPECT_EQ(TrackPopupMenu(m, 0, 0, 0, 0, (HWND)0x1234, nullptr), FALSE);
  DestroyMenu(m);
}

// Up with nothing selected wraps to the last item; resting on one item selects it once; leaving says
// which loop ended (a popup's, or the bar's).
TEST_F(MenuTest, PopupKeysMouseAndExitNotices) {
  HWND w = FormWithMenu();
  HMENU m = CreatePopupMenu();
  AppendMenuA(m, MF_STRING, 11, "first");
  AppendMenuA(m, MF_STRING, 12, "second");
  AppendMenuA(m, MF_STRING, 13, "last");
  Keys({ VK_UP, VK_RETURN });
  EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 200, 200, 0, w, nullptr), 13);

  MessageTrace trace(w, { WM_MENUSELECT, WM_EXITMENULOOP });
  MouseMove(210, 206, false);  // the first item spans the popup's rows 3 to 21
  Keys({ VK_SHIFT });          // keeps the two moves apart in the queue
  MouseMove(230, 220, false);
  Keys({ VK_RETURN });
  EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 200, 200, 0, w, nullptr), 11);
  int selected = 0;
  for (const MSG& msg : trace.Messages())
    if (msg.message == WM_MENUSELECT && LOWORD(msg.wParam) == 11 && HIWORD(msg.wParam) != 0xFFFF) ++selected;
  EXPECT_EQ(selected, 1);
  ASSERT_EQ(trace.Count(WM_EXITMENULOOP), 1);
  EXPECT_EQ(trace.Messages().back().wParam, (WPARAM)TRUE);  // a popup's loop

  trace.Clear();
  Keys({ VK_MENU, VK_ESCAPE });
  PumpUntilIdle();
  ASSERT_EQ(trace.Count(WM_EXITMENULOOP), 1);
  EXPECT_EQ(trace.Messages().back().wParam, (WPARAM)FALSE);  // the bar's
  DestroyMenu(m);
}

// The item under the mouse is highlighted, and the one it left is drawn plain again: in a popup, and on
// the bar while one of its menus is open.
TEST_F(MenuTest, TheItemTheMouseLeavesIsDrawnPlainAgain) {
  HWND w = FormWithMenu();
  HMENU m = CreatePopupMenu();
  for (UINT id : { 11, 12, 13 }) AppendMenuA(m, MF_STRING, id, "item");
  const COLORREF hot = GetSysColor(COLOR_HIGHLIGHT), plain = GetSysColor(COLOR_MENU);
  auto row = [](int i) { return 200 + 3 + 19 * i + 9; };  // an item's middle: 19 high, under a 3-pixel edge
  std::vector<COLORREF> popup;
  auto look = [&] {
    for (int i = 0; i < 3; ++i) popup.push_back(DesktopPixel(205, row(i)));
  };
  AnswerModal([&](const ModalRecord&) {
    MouseMove(205, row(1), false);
    return kKeepOpen;
  });
  AnswerModal([&](const ModalRecord&) {
    look();
    MouseMove(205, row(2), false);
    return kKeepOpen;
  });
  AnswerModal([&](const ModalRecord&) {
    look();
    return LONG_PTR { 0 };
  });
  EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 200, 200, 0, w, nullptr), 0);
  EXPECT_EQ(popup, (std::vector<COLORREF> { plain, hot, plain, plain, plain, hot }));
  DestroyMenu(m);

  // The bar: "File" pressed opens its menu, then the mouse moves on to "Edit" (from x 139).
  const int barY = 100 + 23 + 8, fileX = 100 + 4 + 2, editX = 141;
  std::vector<COLORREF> bar;
  auto lit = [&] {
    bar.push_back(DesktopPixel(fileX, barY));
    bar.push_back(DesktopPixel(editX, barY));
  };
  AnswerModal([&](const ModalRecord&) {
    lit();
    MouseMove(editX + 8, barY, false);
    return kKeepOpen;
  });
  AnswerModal([&](const ModalRecord&) {
    lit();
    return LONG_PTR { 0 };
  });
  MouseMove(fileX + 4, barY, false);
  MouseDown(mbLeft, fileX + 4, barY, false);
  MouseUp(mbLeft, fileX + 4, barY, false);
  PumpUntilIdle();
  EXPECT_EQ(bar, (std::vector<COLORREF> { hot, plain, plain, hot }));
  DestroyWindow(w);
}

// TPM_RIGHTALIGN and TPM_BOTTOMALIGN put the popup's right or bottom edge at the point, the point
// itself just outside it.
TEST_F(MenuTest, AlignedPopupsEndAtThePoint) {
  HWND w = FormWithMenu();
  HMENU m = CreatePopupMenu();
  AppendMenuA(m, MF_STRING, 11, "甲");
  struct Case {
    UINT flags;
    POINT inside, outside;
  } cases[] = {
    { 0, { 200, 200 }, { 199, 199 } },
    { TPM_RIGHTALIGN, { 199, 200 }, { 200, 200 } },
    { TPM_BOTTOMALIGN, { 200, 199 }, { 200, 200 } },
    { TPM_RIGHTALIGN | TPM_BOTTOMALIGN, { 199, 199 }, { 200, 200 } },
  };
  for (const Case& c : cases) {
    AnswerModal([&](const ModalRecord&) -> LONG_PTR {
      char cls[16] = "";
      GetClassNameA(WindowFromPoint(c.inside), cls, sizeof cls);
      EXPECT_STREQ(cls, "#32768") << "flags " << c.flags;
      GetClassNameA(WindowFromPoint(c.outside), cls, sizeof cls);
      EXPECT_STRNE(cls, "#32768") << "flags " << c.flags;
      return 0;
    });
    TrackPopupMenu(m, c.flags | TPM_RETURNCMD, 200, 200, 0, w, nullptr);
  }
  EXPECT_EQ(ModalRecords().size(), 4u);
  DestroyMenu(m);
}

TEST_F(MenuTest, OwnerDestroyedWhileTheMenuIsOpen) {
  HWND w = FormWithMenu();
  HMENU m = CreatePopupMenu();
  AppendMenuA(m, MF_STRING, 11, "甲");
  AnswerModal([&](const ModalRecord&) -> LONG_PTR {
    DestroyWindow(w);
    return kKeepOpen;
  });
  EXPECT_FALSE(TrackPopupMenu(m, TPM_RETURNCMD, 10, 10, 0, w, nullptr));
  EXPECT_FALSE(IsWindow(w));
  DestroyMenu(m);
}

// ---- Message boxes -----------------------------------------------------------------------------------

TEST_F(MenuTest, MessageBoxScriptedAnswerAndRecord) {
  HWND w = Top(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  AnswerModal(IDNO);
  EXPECT_EQ(MessageBoxA(w, "保存更改吗？", "提示", MB_YESNO | MB_ICONQUESTION), IDNO);
  ASSERT_EQ(ModalRecords().size(), 1u);
  const ModalRecord& r = ModalRecords()[0];
  EXPECT_EQ(r.kind, ModalRecord::MessageBox);
  EXPECT_EQ(r.caption, "提示");
  EXPECT_EQ(r.text, "保存更改吗？");
  EXPECT_EQ(r.type, (UINT)(MB_YESNO | MB_ICONQUESTION));
  EXPECT_TRUE(r.scripted);
  EXPECT_EQ(UnscriptedModals(), 0);
  // Without an answer it is recorded and closed as Escape would.
  EXPECT_EQ(MessageBoxA(w, "a", "b", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBoxA(w, "a", "b", MB_OK), IDOK);
  EXPECT_EQ(UnscriptedModals(), 2);
  EXPECT_EQ(MessageBoxA((HWND)0x1234, "a", "b", MB_OK), 0);
}

TEST_F(MenuTest, MessageBoxAnsweredByKeysAndClicks) {
  HWND w = Top(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  AnswerModal([](const ModalRecord&) -> LONG_PTR {
    KeyDown(VK_RETURN, ssNone, false);  // the default button: the second one here
    return kKeepOpen;
  });
  EXPECT_EQ(MessageBoxA(w, "text", "cap", MB_YESNOCANCEL | MB_DEFBUTTON2), IDNO);
  KeyUp(VK_RETURN);
  AnswerModal([](const ModalRecord& r) -> LONG_PTR {
    HWND yes = FindWindowExA(r.hwnd, nullptr, nullptr, "是(&Y)");
    EXPECT_NE(yes, nullptr);
    RECT b;
    GetWindowRect(yes, &b);
    int x = (b.left + b.right) / 2, y = (b.top + b.bottom) / 2;
    MouseMove(x, y, false);
    MouseDown(mbLeft, x, y, false);
    MouseUp(mbLeft, x, y, false);
    return kKeepOpen;
  });
  EXPECT_EQ(MessageBoxA(w, "text", "cap", MB_YESNO), IDYES);
  AnswerModal([](const ModalRecord&) -> LONG_PTR {
    KeyDown(VK_ESCAPE, ssNone, false);
    return kKeepOpen;
  });
  EXPECT_EQ(MessageBoxA(w, "text", "cap", MB_OKCANCEL), IDCANCEL);
  KeyUp(VK_ESCAPE);
}

TEST_F(MenuTest, MessageBoxKeepsTimersAndBlocksOtherWindows) {
  HWND w = Top(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND other = Top(500, 100, 100, 100, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  SetActiveWindow(w);
  int ticks = 0;
  On(w, WM_TIMER, [&](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    ++ticks;
    return 0;
  });
  SetTimer(w, 1, 100, nullptr);
  MessageTrace clicks(other, { WM_LBUTTONDOWN });
  MessageTrace paints(w, { WM_PAINT });
  AnswerModal([&](const ModalRecord& r) -> LONG_PTR {
    EXPECT_FALSE(IsWindowEnabled(w));
    EXPECT_FALSE(IsWindowEnabled(other));
    Click(550, 150);  // dropped: the window takes no input while the box is up
    paints.Clear();
    InvalidateRect(w, nullptr, TRUE);
    Advance(1000);
    EXPECT_EQ(paints.Count(WM_PAINT), 1);  // painting goes on too
    // The box is on the desktop, centred on its owner, with its text drawn.
    RECT b;
    GetWindowRect(r.hwnd, &b);
    EXPECT_NEAR((b.left + b.right) / 2, 100 + 150, 1);
    bool drawn = false;
    for (const TextRecord& t : TextOutLog()) drawn = drawn || t.text == "x";
    EXPECT_TRUE(drawn);
    return IDOK;
  });
  EXPECT_EQ(MessageBoxA(w, "x", "y", MB_OK), IDOK);
  EXPECT_EQ(ticks, 10);
  EXPECT_EQ(clicks.Count(WM_LBUTTONDOWN), 0);
  EXPECT_TRUE(IsWindowEnabled(w));
  EXPECT_TRUE(IsWindowEnabled(other));
  EXPECT_EQ(GetActiveWindow(), w);
}

TEST_F(MenuTest, NestedMessageBoxesAndOwnerDestroyedInside) {
  HWND w = Top(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  int inner = 0;
  AnswerModal([&](const ModalRecord&) -> LONG_PTR {
    inner = MessageBoxA(w, "inner", "inner", MB_YESNO);
    return IDOK;
  });
  AnswerModal(IDYES);
  EXPECT_EQ(MessageBoxA(w, "outer", "outer", MB_OK), IDOK);
  EXPECT_EQ(inner, IDYES);
  AnswerModal([&](const ModalRecord&) -> LONG_PTR {
    DestroyWindow(w);  // the box goes with its owner
    return kKeepOpen;
  });
  EXPECT_EQ(MessageBoxA(w, "gone", "gone", MB_YESNO), IDCANCEL);
  EXPECT_FALSE(IsWindow(w));
}

}  // namespace

namespace {

class ModalExceptionTest : public MenuTest {};

// An exception from a handler dispatched inside a modal loop leaves the loop, and the loop's clean-up
// still happens: windows enabled again, the box and the popups gone, no capture left.
TEST_F(ModalExceptionTest, LoopsCleanUpWhenAHandlerThrows) {
  HWND w = FormWithMenu();
  HWND other = Top(500, 100, 100, 100, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  On(w, WM_TIMER, [](HWND h, UINT, WPARAM id, LPARAM) -> LRESULT {
    KillTimer(h, id);
    throw std::runtime_error("tick failed");
  });
  AnswerModal([&](const ModalRecord&) -> LONG_PTR {
    SetTimer(w, 1, 10, nullptr);
    Advance(10);
    return IDOK;
  });
  EXPECT_THROW(MessageBoxA(w, "x", "y", MB_OK), std::runtime_error);
  EXPECT_TRUE(IsWindowEnabled(w));
  EXPECT_TRUE(IsWindowEnabled(other));
  EXPECT_EQ(FindWindowA("#32770", nullptr), nullptr);

  HMENU m = CreatePopupMenu();
  AppendMenuA(m, MF_STRING, 1, "x");
  AnswerModal([&](const ModalRecord&) -> LONG_PTR {
    SetTimer(w, 1, 10, nullptr);
    Advance(10);
    return 1;
  });
  EXPECT_THROW(TrackPopupMenu(m, TPM_RETURNCMD, 10, 10, 0, w, nullptr), std::runtime_error);
  EXPECT_EQ(FindWindowA("#32768", nullptr), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  // The next menu works as usual.
  AnswerModal(1);
  EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 10, 10, 0, w, nullptr), 1);
  DestroyMenu(m);
}

// ---- The default window procedure's keyboard and the system menu ------------------------------------

TEST_F(MenuTest, AltF4ClosesTheTopLevelWindowFromAFocusedChild) {
  HWND top = Top(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND child = Child(top, 10, 10, 50, 20, WS_CHILD | WS_VISIBLE | WS_TABSTOP);
  SetActiveWindow(top);
  SetFocus(child);
  PumpUntilIdle();
  MessageTrace trace(top, { WM_SYSCOMMAND, WM_CLOSE });
  KeyPress(VK_F4);
  KeyPress(VK_F4, ssCtrl | ssAlt);
  EXPECT_TRUE(IsWindow(top));
  EXPECT_TRUE(trace.Messages().empty());
  KeyPress(VK_F4, ssAlt);
  EXPECT_FALSE(IsWindow(top));
  ASSERT_EQ(trace.Messages().size(), 2u);
  EXPECT_EQ(trace.Messages()[0].message, (UINT)WM_SYSCOMMAND);
  EXPECT_EQ(trace.Messages()[0].wParam, (WPARAM)SC_CLOSE);
  EXPECT_EQ(trace.Messages()[1].message, (UINT)WM_CLOSE);
}

struct SysMenuCase {
  const char* name;
  DWORD style;
  int show;               // SW_SHOWNORMAL or SW_MAXIMIZE
  std::vector<UINT> on;   // enabled items
  std::vector<UINT> off;  // grayed items
};

class SystemMenu : public WmTest, public ::testing::WithParamInterface<SysMenuCase> {};

// Alt+Space opens the system menu below the caption; its items follow the border icons and the state.
TEST_P(SystemMenu, AltSpaceOpensItWithTheItemsTheWindowAllows) {
  const SysMenuCase& c = GetParam();
  HWND w = Top(100, 100, 300, 200, c.style | WS_VISIBLE);
  ShowWindow(w, c.show);
  SetFocus(w);
  PumpUntilIdle();
  std::vector<UINT> on, off;
  AnswerModal([&](const ModalRecord& r) -> LONG_PTR {
    EXPECT_EQ(r.kind, ModalRecord::Menu);
    EXPECT_EQ(r.hwnd, w);
    HMENU m = GetSystemMenu(w, FALSE);
    for (UINT id : { SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE })
      (GetMenuState(m, id, MF_BYCOMMAND) & MF_GRAYED ? off : on).push_back(id);
    return 0;
  });
  KeyPress(VK_SPACE, ssAlt);
  ASSERT_EQ(ModalRecords().size(), 1u);
  EXPECT_EQ(on, c.on);
  EXPECT_EQ(off, c.off);
  EXPECT_TRUE(IsWindow(w));
}

INSTANTIATE_TEST_SUITE_P(Styles, SystemMenu,
                         ::testing::Values(SysMenuCase { "overlapped",
                                                         WS_OVERLAPPEDWINDOW,
                                                         SW_SHOWNORMAL,
                                                         { SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE },
                                                         { SC_RESTORE } },
                                           SysMenuCase { "maximised",
                                                         WS_OVERLAPPEDWINDOW,
                                                         SW_MAXIMIZE,
                                                         { SC_RESTORE, SC_MINIMIZE, SC_CLOSE },
                                                         { SC_MOVE, SC_SIZE, SC_MAXIMIZE } },
                                           SysMenuCase { "dialog",
                                                         WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                                         SW_SHOWNORMAL,
                                                         { SC_MOVE, SC_CLOSE },
                                                         { SC_RESTORE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE } },
                                           SysMenuCase { "minimise_only",
                                                         WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                                         SW_SHOWNORMAL,
                                                         { SC_MOVE, SC_MINIMIZE, SC_CLOSE },
                                                         { SC_RESTORE, SC_SIZE, SC_MAXIMIZE } }),
                         [](const ::testing::TestParamInfo<SysMenuCase>& i) { return std::string(i.param.name); });

TEST_F(MenuTest, ClickOnTheCaptionIconOpensTheSystemMenuAndAMnemonicChooses) {
  HWND w = Top(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  SetFocus(w);
  PumpUntilIdle();
  MessageTrace trace(w, { WM_SYSCOMMAND });
  AnswerModal([](const ModalRecord&) -> LONG_PTR {
    KeyDown('X', ssNone, false);  // 最大化(&X)
    KeyUp('X', ssNone, false);
    return kKeepOpen;
  });
  Click(100 + 10, 100 + 10);  // the icon at the caption's left end
  ASSERT_EQ(ModalRecords().size(), 1u);
  EXPECT_EQ(ModalRecords()[0].kind, ModalRecord::Menu);
  EXPECT_TRUE(IsZoomed(w));
  ASSERT_EQ(trace.Messages().size(), 2u);
  EXPECT_EQ(trace.Messages()[0].wParam & 0xFFF0, (WPARAM)SC_MOUSEMENU);
  EXPECT_EQ(trace.Messages()[1].wParam, (WPARAM)SC_MAXIMIZE);
  // Alt+Space and a choice by the keyboard: Close.
  AnswerModal([](const ModalRecord&) -> LONG_PTR {
    KeyDown(VK_DOWN, ssNone, false);  // the first enabled item is Restore here
    KeyUp(VK_DOWN, ssNone, false);
    KeyDown('C', ssNone, false);
    KeyUp('C', ssNone, false);
    return kKeepOpen;
  });
  KeyPress(VK_SPACE, ssAlt);
  EXPECT_FALSE(IsWindow(w));
}

// A double click on the caption icon closes the window: its second press lands while the menu the first
// one opened is up. A press elsewhere only closes the menu.
TEST_F(MenuTest, DoubleClickOnTheCaptionIconCloses) {
  HWND w = Top(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  SetFocus(w);
  PumpUntilIdle();
  AnswerModal([](const ModalRecord&) -> LONG_PTR {
    MouseDown(mbLeft, 100 + 250, 100 + 150, false);  // the client area
    MouseUp(mbLeft, 100 + 250, 100 + 150, false);
    return kKeepOpen;
  });
  Click(100 + 10, 100 + 10);
  EXPECT_TRUE(IsWindow(w));
  ASSERT_EQ(ModalRecords().size(), 1u);
  DoubleClick(100 + 10, 100 + 10);  // the menu loop finds the second press already queued
  EXPECT_FALSE(IsWindow(w));
}

TEST_F(MenuTest, WithoutASystemMenuAltSpaceOpensNothingAndEscapeNeedsACancelButton) {
  HWND w = Top(100, 100, 300, 200, WS_POPUP | WS_CAPTION | WS_VISIBLE);
  SetFocus(w);
  PumpUntilIdle();
  KeyPress(VK_SPACE, ssAlt);
  EXPECT_TRUE(ModalRecords().empty());
  // A message box without Cancel ignores Escape; the answer comes from a mnemonic afterwards.
  AnswerModal([](const ModalRecord&) -> LONG_PTR {
    KeyDown(VK_ESCAPE, ssNone, false);
    KeyUp(VK_ESCAPE, ssNone, false);
    KeyDown('N', ssNone, false);
    KeyUp('N', ssNone, false);
    return kKeepOpen;
  });
  EXPECT_EQ(MessageBoxA(w, "text", "cap", MB_YESNO), IDNO);
  AnswerModal([](const ModalRecord&) -> LONG_PTR {
    KeyDown(VK_ESCAPE, ssNone, false);
    KeyUp(VK_ESCAPE, ssNone, false);
    return kKeepOpen;
  });
  EXPECT_EQ(MessageBoxA(w, "text", "cap", MB_YESNOCANCEL), IDCANCEL);
}

}  // namespace
