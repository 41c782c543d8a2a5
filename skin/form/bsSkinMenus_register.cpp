#include "skin/form/bsSkinHint.h"
#include "skin/form/bsSkinMenus.h"

namespace xj::vcl {

// Form resources create the skinned menus, the menu bar and the hint by class name.
bool RegisterbsSkinMenus() {
  static const bool done = [] {
    RegisterClasses({ TbsSkinPopupMenu::StaticClass(), TbsSkinMainMenu::StaticClass() });
    RegisterClasses({ TbsSkinMainMenuBar::StaticClass() });
    // Skinned menu buttons drop their popup menus through the skin menus from now on.
    InstallSkinMenuButtonPopups();
    return true;
  }();
  return done;
}

bool RegisterbsSkinHint() {
  static const bool done = [] {
    RegisterClasses({ TbsSkinHint::StaticClass(), TbsSkinHintWindow::StaticClass() });
    return true;
  }();
  return done;
}

}  // namespace xj::vcl
