#include "platform/display/x11/XlibFunctions.h"

#include "platform/base/SharedLibrary.h"

namespace xj::display {

const XlibFunctions& Xlib() {
  static const XlibFunctions* loaded = [] {
    auto* f = new XlibFunctions;  // used until the process ends, by whatever is destroyed last
    SharedLibrary x11("libX11.so.6"), ext("libXext.so.6");
#define XJ_BIND_X11(name) x11.Bind(f->name, #name);
#define XJ_BIND_XEXT(name) ext.Bind(f->name, #name);
    XJ_X11_FUNCTIONS(XJ_BIND_X11)
    XJ_XEXT_FUNCTIONS(XJ_BIND_XEXT)
#undef XJ_BIND_X11
#undef XJ_BIND_XEXT
    f->error = !x11.Ok() ? x11.Error() : ext.Error();
    return f;
  }();
  return *loaded;
}

}  // namespace xj::display
