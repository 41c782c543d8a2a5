#include "skin/controls/bsSkinBoxCtrls.h"

namespace xj::vcl {

// Form resources create the skinned edits, memos and lists by class name.
bool RegisterbsSkinBoxCtrls() {
  static const bool done = [] { return true; }();
  return done;
}

}  // namespace xj::vcl
