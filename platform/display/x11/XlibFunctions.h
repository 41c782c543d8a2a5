#pragma once
// Xlib and its shape extension, opened when an X display is first opened: a program that runs headless
// does not load them, and the libraries they need, when it starts. The x11 back-end calls Xlib through
// Xlib().

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <string>

namespace xj::display {

#define XJ_X11_FUNCTIONS(F)     \
  F(XAllocSizeHints)            \
  F(XAllocWMHints)              \
  F(XBell)                      \
  F(XChangeProperty)            \
  F(XClearWindow)               \
  F(XCloseDisplay)              \
  F(XCloseIM)                   \
  F(XConvertSelection)          \
  F(XCreateBitmapFromData)      \
  F(XCreateColormap)            \
  F(XCreateFontCursor)          \
  F(XCreateGC)                  \
  F(XCreateIC)                  \
  F(XCreatePixmapCursor)        \
  F(XCreateWindow)              \
  F(XDefineCursor)              \
  F(XDeleteProperty)            \
  F(XDestroyIC)                 \
  F(XDestroyWindow)             \
  F(XExtendedMaxRequestSize)    \
  F(XFilterEvent)               \
  F(XFlush)                     \
  F(XFree)                      \
  F(XFreeColormap)              \
  F(XFreeCursor)                \
  F(XFreeGC)                    \
  F(XFreePixmap)                \
  F(XGetErrorText)              \
  F(XGetICValues)               \
  F(XGetInputFocus)             \
  F(XGetSelectionOwner)         \
  F(XGetWindowAttributes)       \
  F(XGetWindowProperty)         \
  F(XGrabServer)                \
  F(XIconifyWindow)             \
  F(XInitImage)                 \
  F(XInternAtom)                \
  F(XInternAtoms)               \
  F(XLookupKeysym)              \
  F(XLookupString)              \
  F(XMapRaised)                 \
  F(XMapWindow)                 \
  F(XMatchVisualInfo)           \
  F(XMaxRequestSize)            \
  F(XMoveResizeWindow)          \
  F(XNextEvent)                 \
  F(XOpenDisplay)               \
  F(XOpenIM)                    \
  F(XPending)                   \
  F(XPutImage)                  \
  F(XQueryKeymap)               \
  F(XQueryPointer)              \
  F(XRaiseWindow)               \
  F(XRefreshKeyboardMapping)    \
  F(XSelectInput)               \
  F(XSendEvent)                 \
  F(XSetClassHint)              \
  F(XSetClipMask)               \
  F(XSetErrorHandler)           \
  F(XSetICFocus)                \
  F(XSetInputFocus)             \
  F(XSetLocaleModifiers)        \
  F(XSetSelectionOwner)         \
  F(XSetTransientForHint)       \
  F(XSetWMHints)                \
  F(XSetWMIconName)             \
  F(XSetWMName)                 \
  F(XSetWMNormalHints)          \
  F(XSetWMProtocols)            \
  F(XSupportsLocale)            \
  F(XTranslateCoordinates)      \
  F(XUngrabPointer)             \
  F(XUngrabServer)              \
  F(XUnsetICFocus)              \
  F(XUnmapWindow)               \
  F(XWarpPointer)               \
  F(XWithdrawWindow)            \
  F(XkbSetDetectableAutoRepeat) \
  F(Xutf8LookupString)          \
  F(Xutf8TextListToTextProperty)

#define XJ_XEXT_FUNCTIONS(F) \
  F(XShapeCombineMask)       \
  F(XShapeCombineRectangles) \
  F(XShapeQueryExtension)    \
  F(XShapeQueryVersion)

struct XlibFunctions {
#define XJ_XLIB_FIELD(name) decltype(&::name) name {};
  XJ_X11_FUNCTIONS(XJ_XLIB_FIELD)
  XJ_XEXT_FUNCTIONS(XJ_XLIB_FIELD)
#undef XJ_XLIB_FIELD
  std::string error;  // empty when both libraries and every function were found
};

const XlibFunctions& Xlib();

}  // namespace xj::display
