#include "skin/controls/bsSkinTabs.h"

namespace xj::vcl {

// Form resources create the skinned page and tab controls by class name.
bool RegisterbsSkinTabs() {
  static const bool done = [] {
    RegisterPublishedClasses<TbsSkinPageControl, TbsSkinTabControl, TbsSkinCustomTabSheet, TbsSkinTabSheet>();
    // One RegisterPublishedClasses line per topic, above this comment.
    return true;
  }();
  return done;
}

}  // namespace xj::vcl
