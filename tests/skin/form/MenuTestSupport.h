#pragma once
// Shared by the tests of the skinned menus, the menu bar and the hint: a form on the headless screen
// with a stand-in for the form skinning component (what the menus call on it, with a log of the
// notices), menu trees, the generated test skins, pixel decoding and gallery pictures of pop-ups.

#include <string>
#include <vector>

#include "skin/data/bsSkinData.h"
#include "skin/form/bsSkinMenus.h"
#include "tests/support/ControlsTestUtil.h"
#include "tools/mkskin/SkinColours.h"

namespace skmenu {

using namespace ctltest;

// What the form component does for the menus, reduced to its contract: the skin menu it owns, the
// menu-open state and the application hook, and WM_CLOSESKINMENU on the form ending the open state.
// Every notice is written to Log.
class TTestMenuHost : public TComponent, public IbsSkinMenuHost {
  XJ_CLASS(TTestMenuHost, TComponent)
 public:
  TTestMenuHost(TForm* AForm, std::vector<std::string>* ALog);
  ~TTestMenuHost() override;

  TbsSkinMenu* SkinMenu() const override { return FMenu; }
  void SkinMenuOpen() override;
  void SkinMenuClose() override;
  void SkinMainMenuClose() override;
  void HookApp() override { ++Hooks; }
  bool InMenu() const override { return FInMenu; }
  void SetInMenu(bool Value) override { FInMenu = Value; }
  bool InMainMenu() const override { return FInMainMenu; }
  void SetInMainMenu(bool Value) override { FInMainMenu = Value; }
  void MainMenuEnter(TObject*) override { FLog->push_back("mainmenuenter"); }
  TbsSkinData* MenusSkinData() const override { return nullptr; }
  TbsSkinData* SkinData() const override { return Skin; }
  TMenuItem* GetSystemMenu() override { return SystemMenu ? SystemMenu->Items() : nullptr; }
  TWindowState WindowState() const override { return State; }
  void SetWindowState(TWindowState Value) override;
  bool HasMinimizeIcon() const override { return MinimizeIcon; }
  bool HasSystemMenuIcon() const override { return SysMenuIcon; }
  TForm* Form() const override { return FForm; }

  TbsSkinData* Skin {};
  TPopupMenu* SystemMenu {};
  TbsSkinMainMenuBar* Bar {};
  TWindowState State { wsNormal };
  bool MinimizeIcon { true };
  bool SysMenuIcon { true };
  int Hooks {};

 private:
  TForm* FForm;
  std::vector<std::string>* FLog;
  TbsSkinMenu* FMenu;
  TWndMethod FOldProc;
  bool FInMenu {};
  bool FInMainMenu {};
};

// A windowed control that logs WM_CLOSESKINMENU under its name.
class TNoticeControl : public TCustomControl {
  XJ_CLASS(TNoticeControl, TCustomControl)
 public:
  TNoticeControl(TComponent* AOwner, std::string AName, std::vector<std::string>* ALog)
      : TCustomControl(AOwner), FName(std::move(AName)), FLog(ALog) {}
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_CLOSESKINMENU) FLog->push_back("close:" + FName);
    TCustomControl::Dispatch(Message);
  }

 private:
  std::string FName;
  std::vector<std::string>* FLog;
};

class MenuTest : public ControlsTest {
 protected:
  void SetUp() override;

  TbsSkinData* LoadTestSkin();
  TbsSkinData* LoadSecondSkin();
  // An item under Parent; its click is logged as "click:<caption>".
  TMenuItem* Add(TMenuItem* Parent, const AnsiString& Caption, bool Enabled = true);
  TbsSkinMenu* Menu() const { return host->SkinMenu(); }
  TbsSkinPopupWindow* Level(int I) const { return Menu()->Level(I); }
  // Screen point of a point of a level's client area.
  static TPoint LevelPoint(TbsSkinPopupWindow* L, int X, int Y);
  // Centre of item I of a level, in screen coordinates.
  static TPoint ItemCentre(TbsSkinPopupWindow* L, int I);
  static mkskin::DecodedPixel Decode(COLORREF c);
  // The owner code of the object record Name of the loaded skin.
  uint8_t ObjectOwnerOf(const AnsiString& Name) const;
  uint8_t ControlOwnerOf(const AnsiString& Name) const;
  // A window (a level, the hint) to build/tests/gallery/<unit>-<what>-<state>.png.
  static void Gallery(HWND Window, const std::string& unit, const std::string& what, const std::string& state);
  // Waits on the manual clock (timers fire in order).
  static void Wait(uint64_t Ms) { xt::Advance(Ms); }

  TForm* form {};
  TTestMenuHost* host {};
  TPopupMenu* popup {};  // owned by the form
  TbsSkinData* skin {};
  bool secondLoaded {};
  std::vector<std::string> log;
};

}  // namespace skmenu
