// The CLIPBOARD selection: text in UTF8_STRING (STRING as Latin-1 for old clients), transfers of any
// size in (INCR) from other owners, answers to requests while we own it.

#include <X11/Xatom.h>

#include "platform/display/x11/X11Backend.h"
#include "platform/display/x11/XlibFunctions.h"
#include "platform/display/x11/X11Keys.h"

namespace xj::display {

namespace {

constexpr unsigned long kMaxClipboardBytes = 64ul << 20;
constexpr int kAnswerTimeoutMs = 2000;  // an owner that does not answer in this time is hung

}  // namespace

bool X11Backend::NativeSetClipboardText(std::string_view utf8) {
  FClipboard = std::string(utf8);
  Xlib().XSetSelectionOwner(FDpy, FAtoms[kClipboard], FHelper, Now());
  // Our last input can be older than another owner's claim (a copy made from a timer): then take it now.
  if (Xlib().XGetSelectionOwner(FDpy, FAtoms[kClipboard]) != FHelper)
    Xlib().XSetSelectionOwner(FDpy, FAtoms[kClipboard], FHelper, CurrentTime);
  if (Xlib().XGetSelectionOwner(FDpy, FAtoms[kClipboard]) != FHelper) {
    FClipboard.reset();
    return false;
  }
  return true;
}

std::optional<std::string> X11Backend::NativeClipboardText() {
  Window owner = Xlib().XGetSelectionOwner(FDpy, FAtoms[kClipboard]);
  if (owner == None) return std::nullopt;
  if (owner == FHelper) return FClipboard;
  bool answered = false;
  if (auto text = ConvertSelection(FAtoms[kUtf8String], kAnswerTimeoutMs, answered)) return text;
  if (!answered) return std::nullopt;
  if (auto text = ConvertSelection(XA_STRING, kAnswerTimeoutMs, answered)) return Latin1ToUtf8(*text);
  return std::nullopt;
}

std::optional<std::string> X11Backend::ReadProperty(Window xid, Atom property, Atom& type) {
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  // Learn the size first, then read the whole value at once (deleting it, which INCR relies on).
  if (Xlib().XGetWindowProperty(FDpy, xid, property, 0, 0, False, AnyPropertyType, &type, &format, &count, &after,
                                &data) != Success)
    return std::nullopt;
  if (data) Xlib().XFree(data);
  data = nullptr;
  if (type == None) return std::nullopt;
  if (after > kMaxClipboardBytes) {
    Xlib().XDeleteProperty(FDpy, xid, property);
    return std::nullopt;
  }
  if (Xlib().XGetWindowProperty(FDpy, xid, property, 0, long((after + 3) / 4), True, AnyPropertyType, &type, &format,
                                &count, &after, &data) != Success)
    return std::nullopt;
  std::string out;
  if (data && format == 8) out.assign(reinterpret_cast<char*>(data), count);
  if (data) Xlib().XFree(data);
  return out;
}

std::optional<std::string> X11Backend::ConvertSelection(Atom target, int timeoutMs, bool& answered) {
  answered = false;
  Atom property = FAtoms[kSelectionProperty];
  Xlib().XDeleteProperty(FDpy, FHelper, property);
  Xlib().XConvertSelection(FDpy, FAtoms[kClipboard], target, property, FHelper, Now());
  XSelectionEvent reply {};
  bool got = PumpUntil(
      [&](XEvent& ev) {
        if (ev.type != SelectionNotify || ev.xselection.requestor != FHelper ||
            ev.xselection.selection != FAtoms[kClipboard])
          return false;
        reply = ev.xselection;
        return true;
      },
      timeoutMs);
  if (!got) return std::nullopt;
  answered = true;
  if (reply.property == None) return std::nullopt;
  Atom type = None;
  std::optional<std::string> data = ReadProperty(FHelper, reply.property, type);
  if (data && type == FAtoms[kIncr]) return ReadIncremental(timeoutMs);
  return data;
}

std::optional<std::string> X11Backend::ReadIncremental(int timeoutMs) {
  // The owner sends chunks one property value at a time; each deletion asks for the next, and an
  // empty value ends the transfer.
  Atom property = FAtoms[kSelectionProperty];
  std::string text;
  for (;;) {
    bool got = PumpUntil(
        [&](XEvent& ev) {
          return ev.type == PropertyNotify && ev.xproperty.window == FHelper && ev.xproperty.atom == property &&
                 ev.xproperty.state == PropertyNewValue;
        },
        timeoutMs);
    if (!got) return std::nullopt;
    Atom type = None;
    std::optional<std::string> chunk = ReadProperty(FHelper, property, type);
    if (!chunk) return std::nullopt;
    if (chunk->empty()) return text;
    if (text.size() + chunk->size() > kMaxClipboardBytes) return std::nullopt;
    text += *chunk;
  }
}

void X11Backend::OnSelectionRequest(const XSelectionRequestEvent& req) {
  XEvent reply {};
  reply.xselection.type = SelectionNotify;
  reply.xselection.requestor = req.requestor;
  reply.xselection.selection = req.selection;
  reply.xselection.target = req.target;
  reply.xselection.property = None;  // refused, unless set below
  reply.xselection.time = req.time;
  Atom property = req.property != None ? req.property : req.target;  // obsolete clients name none
  Atom utf8 = FAtoms[kUtf8String];
  if (req.selection == FAtoms[kClipboard] && req.owner == FHelper && FClipboard) {
    if (req.target == FAtoms[kTargets]) {
      Atom targets[] = { FAtoms[kTargets], utf8, FAtoms[kText], XA_STRING };
      Xlib().XChangeProperty(FDpy, req.requestor, property, XA_ATOM, 32, PropModeReplace,
                             reinterpret_cast<unsigned char*>(targets), 4);
      reply.xselection.property = property;
    } else if (req.target == utf8 || req.target == FAtoms[kText] || req.target == XA_STRING) {
      bool latin1 = req.target == XA_STRING;
      std::string data = latin1 ? Utf8ToLatin1(*FClipboard) : *FClipboard;
      // We do not send in pieces; text beyond one request is refused rather than cut short.
      long maxRequest =
          Xlib().XExtendedMaxRequestSize(FDpy) ? Xlib().XExtendedMaxRequestSize(FDpy) : Xlib().XMaxRequestSize(FDpy);
      if (data.size() + 64 <= size_t(maxRequest) * 4) {
        Xlib().XChangeProperty(FDpy, req.requestor, property, latin1 ? XA_STRING : utf8, 8, PropModeReplace,
                               reinterpret_cast<const unsigned char*>(data.data()), int(data.size()));
        reply.xselection.property = property;
      }
    }
  }
  Xlib().XSendEvent(FDpy, req.requestor, False, NoEventMask, &reply);
  Xlib().XFlush(FDpy);
}

}  // namespace xj::display
