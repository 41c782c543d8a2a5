#include "skin/controls/bsSkinCtrls.h"

namespace xj::vcl {

// Form resources create the skinned controls by class name.
bool RegisterbsSkinCtrls() {
  static const bool done = [] {
    RegisterClasses({ TbsSkinControl::StaticClass(), TbsSkinCustomControl::StaticClass() });
    RegisterClasses({ TbsSkinPanel::StaticClass(), TbsSkinGroupBox::StaticClass(), TbsSkinCheckRadioBox::StaticClass(),
                      TbsSkinRadioGroup::StaticClass(), TbsSkinCheckGroup::StaticClass() });
    return true;
  }();
  return done;
}

}  // namespace xj::vcl
