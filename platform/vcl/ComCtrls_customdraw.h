#pragma once
// What the class library's tree and list views share in answering their windows' custom-draw notices
// (NM_CUSTOMDRAW): the stages and item states their events carry, and the view's canvas lent to the
// handlers on the notice's DC.

#include <functional>
#include <memory>

#include "platform/vcl/Controls.h"
#include "platform/win32/CommCtrl.h"

enum TCustomDrawTarget { dtControl, dtItem, dtSubItem };
enum TCustomDrawStage { cdPrePaint, cdPostPaint, cdPreErase, cdPostErase };
// In the order of the CDIS_* bits.
enum TCustomDrawStateItem {
  cdsSelected,
  cdsGrayed,
  cdsDisabled,
  cdsChecked,
  cdsFocused,
  cdsDefault,
  cdsHot,
  cdsMarked,
  cdsIndeterminate
};
typedef Set<TCustomDrawStateItem> TCustomDrawState;

// Answers one view's notices. Each handler runs with the view's Canvas on the notice's DC, its Font and
// Brush the view's own in the colours the window offered. A handler may free the view, and then nothing
// more is touched.
class TViewCustomDraw {
 public:
  // The view's IsCustomDrawn: whether it has an event for a target at a stage.
  using TWanted = std::function<bool(TCustomDrawTarget Target, TCustomDrawStage Stage)>;

  TViewCustomDraw(TWinControl* View, TCanvas* Canvas);
  ~TViewCustomDraw();

  static TCustomDrawStage StageOf(DWORD DrawStage);
  static TCustomDrawState StateOf(const NMCUSTOMDRAW& Notice) {
    return TCustomDrawState::FromBits(Notice.uItemState & 0x1FF);
  }

  // A whole-control stage (erase or paint, before or after): Draw, the view's CustomDraw returning
  // DefaultDraw, runs when Wanted says so. The answer skips the view's own drawing when DefaultDraw was
  // cleared, and asks for the items and the later stages that Wanted names.
  LRESULT ControlStage(const NMCUSTOMDRAW& Notice, const TWanted& Wanted,
                       const std::function<bool(const TRect& ARect, TCustomDrawStage Stage)>& Draw);
  // An item's or a report cell's stage (Target dtItem or dtSubItem), Text and Back the colours offered:
  // Draw, the events for it returning DefaultDraw, runs when Wanted says so. The answer: CDRF_SKIPDEFAULT
  // when DefaultDraw was cleared; CDRF_NEWFONT, with the canvas's font selected into the DC and its font
  // and brush colours in Text and Back, when the handler changed the canvas's font or brush; and the
  // cells and the post-paint stage that Wanted names.
  LRESULT ItemStage(const NMCUSTOMDRAW& Notice, TCustomDrawTarget Target, COLORREF& Text, COLORREF& Back,
                    const TWanted& Wanted, const std::function<bool(TCustomDrawStage Stage)>& Draw);

 private:
  bool Control(const NMCUSTOMDRAW& Notice, const std::function<bool()>& Handler);
  LRESULT Item(const NMCUSTOMDRAW& Notice, COLORREF& Text, COLORREF& Back, const std::function<bool()>& Handler);

  TWinControl* FView;
  TCanvas* FCanvas;
  std::unique_ptr<TFont> FItemFont;  // the font an item was given, selected into the DC for its turn
};

// A view's whole-paint events at a stage (the plain one before the paint only), as its CustomDraw runs
// them: DefaultDraw. The second is not run when the first freed the view.
template <class View, class Plain, class Advanced>
bool FireCustomDraw(View* Sender, const Plain& OnPlain, const Advanced& OnAdvanced, const TRect& ARect,
                    TCustomDrawStage Stage) {
  bool defaultDraw = true;
  auto life = Sender->LifeToken();
  if (Stage == cdPrePaint && OnPlain) OnPlain(Sender, ARect, defaultDraw);
  if (!life.expired() && OnAdvanced) OnAdvanced(Sender, ARect, Stage, defaultDraw);
  return defaultDraw;
}
