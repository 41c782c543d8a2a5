#include "skin/controls/bsSkinCtrls.h"

namespace xj::vcl {

// Form resources create the skinned controls by class name.
bool RegisterbsSkinCtrls() {
  static const bool done = [] {
    RegisterClasses({ TbsSkinControl::StaticClass(), TbsSkinCustomControl::StaticClass() });
    return true;
  }();
  return done;
}

}  // namespace xj::vcl
