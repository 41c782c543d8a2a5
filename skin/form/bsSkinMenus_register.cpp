#include "skin/form/bsSkinHint.h"
#include "skin/form/bsSkinMenus.h"

namespace xj::vcl {

// Form resources create the skinned menus, the menu bar and the hint by class name.
bool RegisterbsSkinMenus() {
  static const bool done = [] {
    RegisterPublishedClasses<TbsSkinPopupMenu, TbsSkinMainMenu>();
    RegisterPublishedClasses<TbsSkinMainMenuBar>();
    // Skinned menu buttons drop their popup menus through the skin menus from now on.
    InstallSkinMenuButtonPopups();
    return true;
  }();
  return done;
}

bool RegisterbsSkinHint() {
  static const bool done = [] {
    RegisterPublishedClasses<TbsSkinHint, TbsSkinHintWindow>();
    return true;
  }();
  return done;
}

}  // namespace xj::vcl
