#pragma once
// A form skinned from a skin file: the form skinning component draws its frame, caption and menu bar,
// the skinned controls draw themselves from the same skin data component, and the "皮肤" menu switches
// between the skins found in a folder and the built-in look.
#include <vector>

#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/data/bsSkinData.h"
#include "skin/form/bsSkinForm.h"
#include "skin/form/bsSkinMenus.h"

class TDemoForm : public TForm {
 public:
  // The folder with one folder per skin, each with its skin.ini; set before the form is created.
  static inline AnsiString SkinsDir;

  explicit TDemoForm(TComponent* AOwner);

  // Loads <SkinsDir>/<Name>/skin.ini; an empty name clears the skin (the built-in look). A skin that
  // does not load leaves the built-in look, and the status bar says why.
  void UseSkin(const AnsiString& Name);

  TbsSkinData* Skin;
  RurIvozedevUzivEred* SkinForm;
  TbsSkinMainMenu* Menu;
  TbsSkinMainMenuBar* MenuBar;
  TbsSkinToolBar* ToolBar;
  TbsSkinStatusBar* StatusBar;
  TbsSkinStatusPanel* Status;
  std::vector<TbsSkinButton*> Buttons;  // 确定, 取消, 应用 (disabled)
  TbsSkinListBox* List;
  TbsSkinComboBox* Combo;
  std::vector<TMenuItem*> SkinItems;  // one per skin, then the built-in look

 private:
  TMenuItem* AddItem(TMenuItem* Parent, const AnsiString& Caption);
  void BuildMenu(const std::vector<AnsiString>& Skins);
  void BuildControls();
};

// The skin folders under Dir that hold a skin.ini, in name order.
std::vector<AnsiString> FindSkins(const AnsiString& Dir);
