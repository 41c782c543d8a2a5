// The tray icon on the headless notification strip: the icon added, changed, animated and removed; the
// mouse on it reaching the component's events (click versus double click); the skinned popup menu on a
// right click; minimising to the tray through the form component and back; the hooks it places.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/display/Png.h"
#include "skin/form/bsTrayIcon.h"
#include "tests/skin/form/FormTestSupport.h"
#include "tests/support/TrayTestSupport.h"

namespace {

using namespace skinform;

TIcon* SolidIcon(COLORREF c) {
  auto* icon = new TIcon();
  icon->SetHandle(xj::test::MakeIcon(16, 16, [c](int, int) { return c; }));
  return icon;
}

class TrayIconTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    Application->CreateForm(main);
    Keep(main);
    main->SetBounds(200, 150, 300, 200);
    mainSf = new RurIvozedevUzivEred(main);
    tray = new TbsTrayIcon(main);
    std::unique_ptr<TIcon> red(SolidIcon(RGB(255, 0, 0)));
    tray->SetIcon(red.get());
    tray->SetHint("线路 1");
  }
  // The tray's icon in the strip, or a null window when it is not there.
  xt::TrayIconInfo Shown() const {
    for (const xt::TrayIconInfo& i : xt::TrayIcons())
      if (i.hwnd == tray->NotifyWindow()) return i;
    return xt::TrayIconInfo { nullptr, 0, 0, {}, {} };
  }
  COLORREF IconPixel() const {
    const RECT r = Shown().place;
    return xt::DesktopPixel(r.left + 5, r.top + 6);
  }
  POINT IconPoint() const {
    const RECT r = Shown().place;
    return POINT { r.left + 4, r.top + 7 };
  }
  static void GalleryOf(const std::string& name, RECT area) {
    int sw = 0, sh = 0;
    const std::vector<COLORREF> desktop = xt::DesktopPixels(&sw, &sh);
    area = { std::max<LONG>(area.left, 0), std::max<LONG>(area.top, 0), std::min<LONG>(area.right, sw),
             std::min<LONG>(area.bottom, sh) };
    std::vector<uint32_t> px;
    for (LONG y = area.top; y < area.bottom; ++y)
      for (LONG x = area.left; x < area.right; ++x) {
        const COLORREF c = desktop[size_t(y) * size_t(sw) + size_t(x)];
        px.push_back(uint32_t { GetRValue(c) } << 16 | uint32_t { GetGValue(c) } << 8 | GetBValue(c));
      }
    const auto dir = std::filesystem::path(XJ_BINARY_DIR) / "tests" / "gallery";
    std::filesystem::create_directories(dir);
    const int w = int(area.right - area.left), h = int(area.bottom - area.top);
    const xj::display::SurfaceView view { px.data(), w, h, w * 4 };
    EXPECT_TRUE(xj::display::WritePng((dir / ("bsTrayIcon-TbsTrayIcon-" + name + ".png")).string(), view));
  }

  // Keys reach an open skin menu through the application's message hook, as in the program's loop.
  static void Escape() {
    xt::KeyDown(VK_ESCAPE, xt::ssNone, false);
    Application->ProcessMessages();
    xt::KeyUp(VK_ESCAPE, xt::ssNone, false);
    Application->ProcessMessages();
    xt::PumpUntilIdle();
  }

  TForm* main {};
  RurIvozedevUzivEred* mainSf {};
  TbsTrayIcon* tray {};
};

TEST_F(TrayIconTest, IconIsAddedChangedAnimatedAndRemoved) {
  EXPECT_EQ(Shown().hwnd, nullptr);  // hidden until asked
  tray->SetIconVisible(true);
  ASSERT_NE(Shown().hwnd, nullptr);
  EXPECT_EQ(Shown().tip, "线路 1");
  EXPECT_EQ(Shown().callback, 0x800u);
  EXPECT_EQ(IconPixel(), RGB(255, 0, 0));
  tray->SetShowHint(false);
  EXPECT_EQ(Shown().tip, "");
  tray->SetShowHint(true);
  // A long tip is cut to 127 bytes, never through a double-byte character.
  tray->SetHint(AnsiString(126, 'a') + "中文");
  EXPECT_EQ(Shown().tip, AnsiString(126, 'a'));

  // Three pictures animate in turn; OnCycle is told the index that comes next.
  TImageList list(16, 16);
  const COLORREF colours[] = { RGB(0, 0, 255), RGB(0, 160, 0), RGB(250, 200, 0) };
  for (COLORREF c : colours) {
    std::unique_ptr<TIcon> icon(SolidIcon(c));
    list.AddIcon(icon.get());
  }
  std::vector<int> next;
  tray->OnCycle = On<TbsCycleEvent>([&](TObject*, int n) { next.push_back(n); });
  tray->SetIconList(&list);
  EXPECT_EQ(IconPixel(), colours[0]);
  tray->SetAnimateTimerInterval(100);
  tray->SetCycleIcons(true);
  xt::Advance(100);
  EXPECT_EQ(tray->IconIndex(), 1);
  EXPECT_EQ(IconPixel(), colours[1]);
  xt::Advance(100);
  xt::Advance(100);
  EXPECT_EQ(IconPixel(), colours[0]);  // round again after the last
  EXPECT_EQ(next, (std::vector<int> { 1, 2, 0 }));
  tray->SetCycleIcons(false);

  // Past the end shows the last picture; an emptied list keeps index 0 and the picture it had; no list
  // is index 0.
  tray->SetIconIndex(99);
  EXPECT_EQ(tray->IconIndex(), 2);
  EXPECT_EQ(IconPixel(), colours[2]);
  list.Clear();
  tray->SetIconIndex(1);
  EXPECT_EQ(tray->IconIndex(), 0);
  EXPECT_EQ(IconPixel(), colours[2]);
  tray->SetCycleIcons(true);
  xt::Advance(300);  // nothing to cycle through
  EXPECT_EQ(IconPixel(), colours[2]);
  tray->SetCycleIcons(false);
  tray->SetIconList(nullptr);
  tray->SetIconIndex(2);
  EXPECT_EQ(tray->IconIndex(), 0);
  // A list freed while the icon cycles through it is forgotten.
  auto* gone = new TImageList(16, 16);
  std::unique_ptr<TIcon> green(SolidIcon(colours[1]));
  gone->AddIcon(green.get());
  gone->AddIcon(green.get());
  tray->SetIconList(gone);
  tray->SetCycleIcons(true);
  delete gone;
  EXPECT_EQ(tray->IconList(), nullptr);
  xt::Advance(300);
  EXPECT_EQ(IconPixel(), colours[1]);
  tray->SetCycleIcons(false);

  // A shell restart brings a visible icon back; a hidden one stays away.
  xt::RestartShell();
  EXPECT_NE(Shown().hwnd, nullptr);
  tray->SetIconVisible(false);
  EXPECT_EQ(Shown().hwnd, nullptr);
  xt::RestartShell();
  EXPECT_EQ(Shown().hwnd, nullptr);
  tray->SetIconVisible(true);
  delete tray;  // takes its icon with it
  tray = nullptr;
  EXPECT_TRUE(xt::TrayIcons().empty());
}

TEST_F(TrayIconTest, ClicksAndDoubleClicksReachTheEvents) {
  tray->SetIconVisible(true);
  std::vector<std::string> log;
  tray->OnClick = On<TNotifyEvent>([&](TObject*) { log.push_back("click"); });
  tray->OnDblClick = On<TNotifyEvent>([&](TObject*) { log.push_back("dbl"); });
  tray->OnMouseDown = On<TMouseEvent>([&](TObject*, TMouseButton b, TShiftState s, int x, int y) {
    log.push_back("down" + std::to_string(int(b)) +
                  (s.Contains(ssLeft) || s.Contains(ssRight) || s.Contains(ssMiddle) ? "+" : "") + "@" +
                  std::to_string(x) + "," + std::to_string(y));
  });
  tray->OnMouseUp = On<TMouseEvent>(
      [&](TObject*, TMouseButton b, TShiftState, int, int) { log.push_back("up" + std::to_string(int(b))); });
  const POINT p = IconPoint();
  const std::string at = "@" + std::to_string(p.x) + "," + std::to_string(p.y);
  const UINT dbl = GetDoubleClickTime();

  // A quick click fires once the double-click time has passed since the press.
  xt::Click(p.x, p.y);
  EXPECT_EQ(log, (std::vector<std::string> { "down0+" + at, "up0" }));
  xt::Advance(dbl);
  EXPECT_EQ(log.back(), "click");
  // A double click fires DblClick only, with the menu's default item.
  auto* menu = new TbsSkinPopupMenu(main);
  int defaults = 0;
  TMenuItem* plain = new TMenuItem(menu);
  TMenuItem* def = new TMenuItem(menu);
  def->SetDefault(true);
  def->OnClick = On<TNotifyEvent>([&](TObject*) { ++defaults; });
  menu->Items()->Add(plain);
  menu->Items()->Add(def);
  tray->SetPopupMenu(menu);
  xt::Advance(dbl + 1);
  log.clear();
  xt::DoubleClick(p.x, p.y);
  xt::Advance(dbl + 1);
  EXPECT_EQ(log, (std::vector<std::string> { "down0+" + at, "up0", "dbl", "up0" }));
  EXPECT_EQ(defaults, 1);
  // A press held longer than the double-click time clicks on the release.
  log.clear();
  xt::MouseDown(xt::mbLeft, p.x, p.y);
  xt::Advance(dbl + 50);
  EXPECT_EQ(log.size(), 1u);
  xt::MouseUp(xt::mbLeft, p.x, p.y);
  EXPECT_EQ(log, (std::vector<std::string> { "down0+" + at, "click", "up0" }));
  // The middle button; nothing at all while disabled.
  xt::Advance(dbl + 1);
  log.clear();
  xt::Click(p.x, p.y, xt::mbMiddle);
  EXPECT_EQ(log, (std::vector<std::string> { "down2+" + at, "up2" }));
  tray->SetEnabled(false);
  log.clear();
  xt::Advance(dbl + 1);
  xt::Click(p.x, p.y);
  xt::Advance(dbl + 1);
  EXPECT_TRUE(log.empty());
}

// The icon freed from inside each of its mouse events that more work follows (the press that pops the menu
// up, the click, the double click with the menu's default item): nothing of it is touched afterwards (the
// sanitizer build reports a touch), its place in the strip goes, and time goes on.
TEST_F(TrayIconTest, AnIconFreedByItsOwnEventsIsLeftAlone) {
  const UINT dbl = GetDoubleClickTime();
  using Arm = std::function<void(TbsTrayIcon*, std::function<void()>)>;
  auto mouse = [](TMouseEvent TbsTrayIcon::*field) -> Arm {
    return [field](TbsTrayIcon* t, std::function<void()> kill) {
      t->*field = TMouseEvent::FromCallable([kill](TObject*, TMouseButton, TShiftState, int, int) {
        const auto k = kill;
        k();
      });
    };
  };
  auto notify = [](TNotifyEvent TbsTrayIcon::*field) -> Arm {
    return [field](TbsTrayIcon* t, std::function<void()> kill) {
      t->*field = TNotifyEvent::FromCallable([kill](TObject*) {
        const auto k = kill;
        k();
      });
    };
  };
  auto click = [](xt::Button b) { return [b](POINT p) { xt::Click(p.x, p.y, b); }; };
  const struct {
    const char* name;
    Arm arm;
    std::function<void(POINT)> fire;
  } cases[] = {
    { "OnMouseDown left", mouse(&TbsTrayIcon::OnMouseDown), click(xt::mbLeft) },
    { "OnMouseDown right", mouse(&TbsTrayIcon::OnMouseDown), click(xt::mbRight) },
    { "OnClick quick", notify(&TbsTrayIcon::OnClick), click(xt::mbLeft) },
    { "OnClick held", notify(&TbsTrayIcon::OnClick),
      [dbl](POINT p) {
        xt::MouseDown(xt::mbLeft, p.x, p.y);
        xt::Advance(dbl + 50);
        xt::MouseUp(xt::mbLeft, p.x, p.y);
      } },
    { "OnDblClick", notify(&TbsTrayIcon::OnDblClick), [](POINT p) { xt::DoubleClick(p.x, p.y); } },
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (!tray) tray = new TbsTrayIcon(main);
    tray->SetIconVisible(true);
    const POINT p = IconPoint();
    int calls = 0;
    TbsTrayIcon* victim = tray;
    c.arm(tray, [&calls, victim, this] {
      ++calls;
      delete victim;
      tray = nullptr;
    });
    c.fire(p);
    xt::Advance(dbl + 1);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(tray, nullptr);
    EXPECT_TRUE(xt::TrayIcons().empty());
  }
}

TEST_F(TrayIconTest, RightClickOpensTheSkinnedPopupMenu) {
  skin = new TbsSkinData(main);
  skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
  mainSf->SetSkinData(skin);
  main->Show();
  xt::PumpUntilIdle();
  // The form component gives the tray its tray menu; the icon starts hidden.
  mainSf->SetTrayIcon(tray);
  EXPECT_EQ(static_cast<TPopupMenu*>(tray->PopupMenu()), static_cast<TPopupMenu*>(mainSf->SysTrayMenu()));
  tray->SetIconVisible(true);
  const POINT p = IconPoint();
  const RECT r = Shown().place;
  // The strip with the icon's tip, shown once the pointer rests on it.
  xt::MouseMove(p.x, p.y);
  xt::Advance(600);
  GalleryOf("tip", { r.left - 60, r.top - 30, std::min<LONG>(r.right + 40, 1024), std::min<LONG>(r.bottom + 6, 768) });
  xt::Click(p.x, p.y, xt::mbRight);
  TbsSkinMenu* menu = mainSf->SkinMenu();
  ASSERT_TRUE(menu->Visible());
  EXPECT_EQ(mainSf->SysTrayMenu()->PopupComponent(), tray);
  TbsSkinPopupWindow* level = menu->Level(0);
  ASSERT_NE(level, nullptr);
  // The menu is drawn from the skin, not in the stock colours.
  RECT lr;
  GetWindowRect(level->Handle(), &lr);
  const COLORREF corner = xt::DesktopPixel(lr.left + 3, lr.top + 3);
  EXPECT_NE(corner, GetSysColor(COLOR_MENU));
  EXPECT_NE(corner, GetSysColor(COLOR_BTNFACE));
  // The strip with the menu above it.
  GalleryOf("menu", { std::min(lr.left, r.left) - 8, std::min(lr.top, r.top - 30) - 8, std::max(lr.right, r.right) + 8,
                      std::min<LONG>(r.bottom + 8, 768) });
  // Escape closes it; the left button opens it only with PopupByLeftButton.
  Escape();
  EXPECT_FALSE(menu->Visible());
  xt::Advance(GetDoubleClickTime() + 1);
  xt::Click(p.x, p.y);
  EXPECT_FALSE(menu->Visible());
  tray->SetPopupByLeftButton(true);
  xt::Advance(GetDoubleClickTime() + 1);
  xt::Click(p.x, p.y);
  EXPECT_TRUE(menu->Visible());
  Escape();
  // Without AutoPopup no menu opens.
  mainSf->SysTrayMenu()->SetAutoPopup(false);
  xt::Advance(GetDoubleClickTime() + 1);
  xt::Click(p.x, p.y, xt::mbRight);
  EXPECT_FALSE(menu->Visible());
}

TEST_F(TrayIconTest, MinimisingToTheTrayAndBack) {
  main->Show();
  xt::PumpUntilIdle();
  int minimised = 0, restored = 0;
  mainSf->OnMinimizeToTray = On<TNotifyEvent>([&](TObject*) { ++minimised; });
  mainSf->OnRestoreFromTray = On<TNotifyEvent>([&](TObject*) { ++restored; });
  mainSf->MinimizeToTray();  // no tray yet: nothing
  EXPECT_TRUE(IsWindowVisible(main->Handle()));
  EXPECT_EQ(minimised, 0);

  mainSf->SetTrayIcon(tray);
  mainSf->MinimizeToTray();
  EXPECT_FALSE(IsWindowVisible(main->Handle()));
  EXPECT_FALSE(main->Visible());
  EXPECT_NE(Shown().hwnd, nullptr);
  EXPECT_EQ(minimised, 1);
  // A double click on the icon brings the form back and takes the icon away.
  const POINT p = IconPoint();
  xt::DoubleClick(p.x, p.y);
  EXPECT_TRUE(IsWindowVisible(main->Handle()));
  EXPECT_FALSE(IsIconic(Application->Handle()));
  EXPECT_FALSE(IsWindowVisible(Application->Handle()));
  EXPECT_EQ(Shown().hwnd, nullptr);
  EXPECT_EQ(restored, 1);
  EXPECT_FALSE(tray->MinimizeToTray());
  // The application minimised another way, with the tray's own MinimizeToTray set, goes to the tray too.
  tray->SetMinimizeToTray(true);
  Application->Minimize();
  EXPECT_FALSE(main->Visible());
  EXPECT_NE(Shown().hwnd, nullptr);
  tray->ShowMainForm();
  EXPECT_TRUE(IsWindowVisible(main->Handle()));
}

TEST_F(TrayIconTest, HooksSurviveRecreationAndNeverCutAnotherChain) {
  // A hook placed on the form after the tray's outlives the tray: messages still pass through.
  std::vector<UINT> seen;
  TWndMethod before = main->WindowProc;
  TWndMethod later = TWndMethod::FromCallable([&, before](TMessage& m) {
    if (m.Msg == WM_USER + 3) seen.push_back(m.Msg);
    before(m);
  });
  main->WindowProc = later;
  delete tray;
  tray = nullptr;
  main->Perform(WM_USER + 3, 0, 0);
  main->Show();
  xt::PumpUntilIdle();
  EXPECT_EQ(seen.size(), 1u);
  EXPECT_TRUE(main->WindowProc == later);
  main->WindowProc = before;  // the tray's pass-through is still in the chain and still harmless
  main->Perform(WM_USER + 3, 0, 0);

  // A second tray on the form hooked through WindowProc: a re-created window keeps the hook.
  auto* second = new TbsTrayIcon(main);
  tray = second;
  std::unique_ptr<TIcon> blue(SolidIcon(RGB(0, 0, 255)));
  second->SetIcon(blue.get());
  main->RecreateWnd();
  main->HandleNeeded();
  mainSf->SetTrayIcon(second);
  mainSf->MinimizeToTray();
  EXPECT_NE(Shown().hwnd, nullptr);
  EXPECT_FALSE(main->Visible());
  mainSf->RestoreFromTray();
  EXPECT_TRUE(IsWindowVisible(main->Handle()));
  second->SetIconVisible(true);

  // The form component freed while the tray lives takes back its menu and double-click handler.
  delete mainSf;
  mainSf = nullptr;
  EXPECT_EQ(second->PopupMenu(), nullptr);
  EXPECT_FALSE(bool(second->OnDblClick));
  ASSERT_NE(Shown().hwnd, nullptr);
  const POINT p = IconPoint();
  xt::DoubleClick(p.x, p.y);  // nothing left to call
  xt::Click(p.x, p.y, xt::mbRight);
  EXPECT_TRUE(IsWindowVisible(main->Handle()));
  delete second;
  tray = nullptr;
  EXPECT_TRUE(xt::TrayIcons().empty());
}

TEST_F(TrayIconTest, StreamsItsPropertiesWithDefaultsThatMatchConstruction) {
  std::unique_ptr<TbsTrayIcon> fresh(new TbsTrayIcon(nullptr));
  EXPECT_TRUE(fresh->Enabled());
  EXPECT_FALSE(fresh->IconVisible());
  EXPECT_TRUE(fresh->ShowHint());
  EXPECT_EQ(fresh->IconIndex(), 0);
  EXPECT_EQ(fresh->AnimateTimerInterval(), 0u);
  fresh.reset();
  // A visible icon is written and read back visible, shown once loaded.
  TForm* a = NewForm();
  auto* t = new TbsTrayIcon(a);
  t->SetName("Tray1");
  t->SetHint("线路 2");
  t->SetIconVisible(true);
  t->SetPopupByLeftButton(true);
  t->SetAnimateTimerInterval(250);
  const AnsiString text = WriteComponentResource(a);
  EXPECT_NE(text.find("IconVisible = True"), AnsiString::npos) << text;
  EXPECT_EQ(text.find("CycleIcons"), AnsiString::npos) << text;
  delete a;
  EXPECT_TRUE(xt::TrayIcons().empty());
  TForm* b = NewForm();
  ReadComponentResource(b, text);
  auto* back = dynamic_cast<TbsTrayIcon*>(b->FindComponent("Tray1"));
  ASSERT_NE(back, nullptr) << text;
  EXPECT_TRUE(back->IconVisible());
  EXPECT_TRUE(back->PopupByLeftButton());
  EXPECT_EQ(back->AnimateTimerInterval(), 250u);
  EXPECT_EQ(back->Hint(), "线路 2");
  ASSERT_EQ(xt::TrayIcons().size(), 1u);
  EXPECT_EQ(xt::TrayIcons()[0].tip, "线路 2");
}

}  // namespace
