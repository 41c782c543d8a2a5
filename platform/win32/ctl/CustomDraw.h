#pragma once
// The custom-draw conversation the tree and list views hold with their parent while they paint
// (NM_CUSTOMDRAW, with NMTVCUSTOMDRAW or NMLVCUSTOMDRAW). Each paint asks CDDS_PREERASE before the
// background and CDDS_PREPAINT before the items; what the parent answered there decides what else is
// asked: CDDS_POSTERASE (CDRF_NOTIFYPOSTERASE), CDDS_POSTPAINT (CDRF_NOTIFYPOSTPAINT) and, only after
// CDRF_NOTIFYITEMDRAW, each item's turn. An item's turn asks CDDS_ITEMPREPAINT with the colours the view
// would use; CDRF_SKIPDEFAULT leaves the item to the parent, CDRF_NEWFONT makes the view draw it with
// the font then selected into the DC and the colours the parent left in the structure, and
// CDRF_NOTIFYPOSTPAINT asks CDDS_ITEMPOSTPAINT once it is drawn. Whatever else the parent selects into
// or sets on the DC is taken back after each notice.
//
// The parent may destroy the view or its items from any notice: the caller checks after each step.

#include "platform/win32/ctl/Notify.h"

namespace xj::ctl {

// One paint's whole-control stages. NM is NMTVCUSTOMDRAW or NMLVCUSTOMDRAW.
template <class NM>
class CustomDraw {
 public:
  CustomDraw(HWND hwnd, HDC dc, const RECT& client) : FHwnd(hwnd), FDC(dc), FClient(client) {}

  // CDDS_PREERASE: whether the view erases its background itself.
  bool PreErase() {
    FErase = Ask(CDDS_PREERASE);
    return !(FErase & CDRF_SKIPDEFAULT);
  }
  void PostErase() {
    if (FErase & CDRF_NOTIFYPOSTERASE) Ask(CDDS_POSTERASE);
  }
  // CDDS_PREPAINT: whether the view draws its items.
  bool PrePaint() {
    FPaint = Ask(CDDS_PREPAINT);
    return !(FPaint & CDRF_SKIPDEFAULT);
  }
  void PostPaint() {
    if (FPaint & CDRF_NOTIFYPOSTPAINT) Ask(CDDS_POSTPAINT);
  }
  bool ItemsWanted() const { return (FPaint & CDRF_NOTIFYITEMDRAW) != 0; }

  // The notice for an item, with the colours the view would draw it in.
  NM ItemNotice(DWORD_PTR spec, UINT state, LPARAM param, const RECT& rc, COLORREF text, COLORREF back) const {
    NM nm {};
    nm.nmcd.hdc = FDC;
    nm.nmcd.rc = rc;
    nm.nmcd.dwItemSpec = spec;
    nm.nmcd.uItemState = state;
    nm.nmcd.lItemlParam = param;
    nm.clrText = text;
    nm.clrTextBk = back;
    return nm;
  }
  HWND Window() const { return FHwnd; }
  HDC DC() const { return FDC; }

 private:
  // The DC comes back as it was: what the parent selected or set was for its own drawing.
  DWORD Ask(DWORD stage) {
    NM nm = ItemNotice(0, 0, 0, FClient, 0, 0);
    nm.nmcd.dwDrawStage = stage;
    int saved = SaveDC(FDC);
    DWORD answer = (DWORD)NotifyParentOf(FHwnd, NM_CUSTOMDRAW, nm.nmcd.hdr);
    RestoreDC(FDC, saved);
    return answer;
  }

  HWND FHwnd;
  HDC FDC;
  RECT FClient;
  DWORD FErase { 0 };
  DWORD FPaint { 0 };
};

// One item's (or, with CDDS_SUBITEM, one report cell's) turn: asked before the view draws it, asked
// again after when the parent wanted that, the DC given back as it was when the turn ends.
template <class NM>
class ItemTurn {
 public:
  ItemTurn(const CustomDraw<NM>& paint, const NM& notice, DWORD kind = 0)
      : FHwnd(paint.Window()), FNotice(notice), FOffered(notice), FKind(kind), FSaved(SaveDC(paint.DC())) {
    FNotice.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | FKind;
    FAnswer = (DWORD)NotifyParentOf(FHwnd, NM_CUSTOMDRAW, FNotice.nmcd.hdr);
    // Of what the parent left in the DC only the font it gave with CDRF_NEWFONT stays for the item.
    HDC dc = FNotice.nmcd.hdc;
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    RestoreDC(dc, FSaved);
    FSaved = SaveDC(dc);
    if (NewColours()) SelectObject(dc, font);
  }
  // The DC goes back as it was before the turn.
  ~ItemTurn() { RestoreDC(FNotice.nmcd.hdc, FSaved); }
  ItemTurn(const ItemTurn&) = delete;
  ItemTurn& operator=(const ItemTurn&) = delete;

  DWORD Answer() const { return FAnswer; }
  bool Draws() const { return !(FAnswer & CDRF_SKIPDEFAULT); }
  // The colours to draw in: the parent's after CDRF_NEWFONT, else those the view offered.
  bool NewColours() const { return (FAnswer & CDRF_NEWFONT) != 0; }
  COLORREF Text() const { return NewColours() ? FNotice.clrText : FOffered.clrText; }
  COLORREF Back() const { return NewColours() ? FNotice.clrTextBk : FOffered.clrTextBk; }
  // CDDS_ITEMPOSTPAINT, when the parent asked for it.
  void Finish() {
    if (!(FAnswer & CDRF_NOTIFYPOSTPAINT)) return;
    FNotice.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT | FKind;
    NotifyParentOf(FHwnd, NM_CUSTOMDRAW, FNotice.nmcd.hdr);
  }

 private:
  HWND FHwnd;
  NM FNotice;
  const NM FOffered;
  DWORD FKind;
  int FSaved;
  DWORD FAnswer { 0 };
};

}  // namespace xj::ctl
