#include "skin/form/bsSkinForm.h"

namespace xj::vcl {

// Form resources create the form skinning component by class name.
bool RegisterbsSkinForm() {
  static const bool done = [] {
    RegisterPublishedClasses<RurIvozedevUzivEred>();
    return true;
  }();
  return done;
}

}  // namespace xj::vcl
