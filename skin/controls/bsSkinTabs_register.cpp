#include "skin/controls/bsSkinTabs.h"

namespace xj::vcl {

// Form resources create the skinned page and tab controls by class name.
bool RegisterbsSkinTabs() {
  static const bool done = [] {
    RegisterClasses({ TbsSkinPageControl::StaticClass(), TbsSkinTabControl::StaticClass(),
                      TbsSkinCustomTabSheet::StaticClass(), TbsSkinTabSheet::StaticClass() });
    // One RegisterClasses line per topic, above this comment.
    return true;
  }();
  return done;
}

}  // namespace xj::vcl
