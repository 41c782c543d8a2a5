// TWinControl's painting: its own background and the windowless children over it.

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/vcl/Controls_private.h"
#include "platform/vcl/Forms.h"

namespace {

// Ends a paint cycle even when a Paint handler throws.
struct TPaintCycle {
  HWND Wnd { nullptr };
  PAINTSTRUCT PS {};
  HDC DC { nullptr };
  TPaintCycle(HWND w, HDC given) : Wnd(given ? nullptr : w), DC(given) {
    if (!given) DC = BeginPaint(w, &PS);
  }
  ~TPaintCycle() {
    if (Wnd) EndPaint(Wnd, &PS);
  }
};

// The union of rectangles given as corner pairs (device coordinates) in one region; the caller deletes it.
HRGN RectsRegion(const std::vector<POINT>& Corners) {
  std::vector<char> data(sizeof(RGNDATAHEADER) + Corners.size() / 2 * sizeof(RECT));
  auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
  header->dwSize = sizeof(RGNDATAHEADER);
  header->iType = RDH_RECTANGLES;
  header->nCount = DWORD(Corners.size() / 2);
  for (size_t i = 0; i + 1 < Corners.size(); i += 2) {
    const POINT a = Corners[i], b = Corners[i + 1];
    const RECT r { std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y) };
    std::memcpy(data.data() + sizeof(RGNDATAHEADER) + i / 2 * sizeof(RECT), &r, sizeof r);
  }
  return ExtCreateRegion(nullptr, DWORD(data.size()), reinterpret_cast<const RGNDATA*>(data.data()));
}

}  // namespace

// ---- Painting -------------------------------------------------------------------------------------------

void TWinControl::Invalidate() { Perform(CM_INVALIDATE, 0, 0); }

void TWinControl::Update() {
  if (!FHandle) return;
  if (TPaintLater::Active())
    TPaintLater::Hold(this);
  else
    UpdateWindow(FHandle);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::PaintHandler(TWMPaint& Message) {
  TPaintCycle cycle(FHandle, Message.DC);
  HDC dc = cycle.DC;
  // A draw handler inside PaintWindow may free this control.
  auto life = LifeToken();
  if (FControls.empty()) {
    PaintWindow(dc);
  } else {
    // The window paints around its opaque children: one region of all of them taken out of the clip at
    // once (excluding them one by one costs a copy of the growing clip per child).
    std::vector<POINT> corners;
    for (TControl* c : FControls)
      if (c->FVisible && c->FControlStyle.Contains(csOpaque)) {
        corners.push_back(POINT { c->FLeft, c->FTop });
        corners.push_back(POINT { c->FLeft + c->FWidth, c->FTop + c->FHeight });
      }
    const int saved = SaveDC(dc);
    bool covered = false;
    if (!corners.empty()) {
      LPtoDP(dc, corners.data(), int(corners.size()));
      HRGN opaque = RectsRegion(corners);
      covered = ExtSelectClipRgn(dc, opaque, RGN_DIFF) == NULLREGION;
      DeleteObject(opaque);
    }
    if (!covered) PaintWindow(dc);
    RestoreDC(dc, saved);
  }
  if (!life.expired()) PaintControls(dc, nullptr);
}

// A window of its own class draws nothing here; a native class paints into the DC it is given.
void TWinControl::PaintWindow(HDC DC) {
  if (FDefWndProc == WNDPROC(DefWindowProcA)) return;
  TMessage m { WM_PAINT, reinterpret_cast<WPARAM>(DC), 0, 0 };
  DefaultHandler(m);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  if (FControls.empty()) return;  // most windows have no windowless child: no clip to ask for
  RECT box {};
  const int clip = GetClipBox(DC, &box);
  if (clip == NULLREGION) return;
  // Only the controls the clip reaches, from First up the z-order, with tokens that tell whether a handler
  // freed one meanwhile. The clip's box rules most out without a region operation.
  auto reaches = [&](TControl* c) {
    if (!(c->FVisible || (c->FComponentState.Contains(csDesigning) && !c->FControlStyle.Contains(csNoDesignVisible))))
      return false;
    const RECT r = c->BoundsRect();
    if (clip != ERROR && !(r.left < box.right && box.left < r.right && r.top < box.bottom && box.top < r.bottom))
      return false;
    return clip == SIMPLEREGION || RectVisible(DC, &r) != FALSE;
  };
  auto it = First ? std::find(FControls.begin(), FControls.end(), First) : FControls.end();
  std::vector<std::pair<TControl*, std::weak_ptr<const void>>> list;
  for (auto i = it == FControls.end() ? FControls.begin() : it; i != FControls.end(); ++i)
    if (reaches(*i)) list.emplace_back(*i, (*i)->LifeToken());
  for (auto& entry : list) {
    // Named, not a structured binding: the clean-up below captures both, which not every compiler takes.
    TControl* const c = entry.first;
    const std::weak_ptr<const void>& life = entry.second;
    // An earlier control's paint may have freed, hidden or moved this one.
    if (life.expired() || c->FParent != this || !reaches(c)) continue;
    if (FControlState.Contains(csPaintCopy)) c->FControlState << csPaintCopy;
    const int saved = SaveDC(DC);
    OffsetWindowOrgEx(DC, -c->FLeft, -c->FTop, nullptr);
    IntersectClipRect(DC, 0, 0, c->FWidth, c->FHeight);
    xj::ScopeExit restore([&] {
      RestoreDC(DC, saved);
      if (!life.expired()) c->FControlState >> csPaintCopy;
    });
    // A windowless control that fails is its own error, not its parent's: the controls above it still
    // paint.
    try {
      c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    } catch (...) {
      PaintFailed(life.expired() ? nullptr : c);
    }
  }
}

void TWinControl::WMPaint(TWMPaint& Message) {
  if (!FControlState.Contains(csCustomPaint) && FControls.empty())
    DefaultHandler(reinterpret_cast<TMessage&>(Message));
  else
    PaintHandler(Message);
}

void TWinControl::WMCustomPaint(TMessage& Message) {
  FControlState << csCustomPaint;
  xj::ScopeExit painted([&, life = LifeToken()] {
    if (!life.expired()) FControlState >> csCustomPaint;
  });
  WMPaint(reinterpret_cast<TWMPaint&>(Message));
}

void TWinControl::WMEraseBkgnd(TWMEraseBkgnd& Message) {
  RECT r = ClientRect();
  FillRect(Message.DC, &r, FBrush->Handle());
  Message.Result = 1;
}
