// The custom-draw answers the tree and list views share.

#include "platform/vcl/ComCtrls_customdraw.h"

namespace {

// What a handler may change on the canvas for an item to be drawn differently.
struct TCanvasLook {
  TFontName Name;
  int Height;
  TFontStyles Style;
  TColor Color;
  TFontCharset Charset;
  TFontPitch Pitch;
  TColor Back;
  bool operator==(const TCanvasLook&) const = default;
};

TCanvasLook LookOf(TCanvas* Canvas) {
  TFont* f = Canvas->Font();
  return TCanvasLook {
    f->Name(), f->Height(), f->Style(), f->Color(), f->Charset(), f->Pitch(), Canvas->Brush()->Color()
  };
}

}  // namespace

TViewCustomDraw::TViewCustomDraw(TWinControl* View, TCanvas* Canvas)
    : FView(View), FCanvas(Canvas), FItemFont(std::make_unique<TFont>()) {}

TViewCustomDraw::~TViewCustomDraw() = default;

TCustomDrawStage TViewCustomDraw::StageOf(DWORD DrawStage) {
  switch (DrawStage & ~(CDDS_ITEM | CDDS_SUBITEM)) {
    case CDDS_POSTPAINT:
      return cdPostPaint;
    case CDDS_PREERASE:
      return cdPreErase;
    case CDDS_POSTERASE:
      return cdPostErase;
    default:
      return cdPrePaint;
  }
}

bool TViewCustomDraw::Control(const NMCUSTOMDRAW& Notice, const std::function<bool()>& Handler) {
  auto life = FView->LifeToken();
  TCanvasDCScope lend(FCanvas, Notice.hdc, life);
  FCanvas->SetFont(FView->Font());
  FCanvas->SetBrush(FView->Brush());
  const bool defaultDraw = Handler();
  return defaultDraw && !life.expired();
}

LRESULT TViewCustomDraw::Item(const NMCUSTOMDRAW& Notice, COLORREF& Text, COLORREF& Back,
                              const std::function<bool()>& Handler) {
  auto life = FView->LifeToken();
  {
    TCanvasDCScope lend(FCanvas, Notice.hdc, life);
    FCanvas->SetFont(FView->Font());
    FCanvas->Font()->SetColor(static_cast<TColor>(Text));
    FCanvas->SetBrush(FView->Brush());
    FCanvas->Brush()->SetColor(static_cast<TColor>(Back));
    const TCanvasLook offered = LookOf(FCanvas);
    const bool defaultDraw = Handler();
    if (life.expired() || !defaultDraw) return CDRF_SKIPDEFAULT;
    if (LookOf(FCanvas) == offered) return CDRF_DODEFAULT;
    Text = static_cast<COLORREF>(ColorToRGB(FCanvas->Font()->Color()));
    Back = static_cast<COLORREF>(ColorToRGB(FCanvas->Brush()->Color()));
    FItemFont->Assign(FCanvas->Font());
  }
  // The canvas has let go of the DC; the window draws the item with this font, kept until the next item.
  SelectObject(Notice.hdc, FItemFont->Handle());
  return CDRF_NEWFONT;
}

LRESULT TViewCustomDraw::ControlStage(const NMCUSTOMDRAW& Notice, const TWanted& Wanted,
                                      const std::function<bool(const TRect& ARect, TCustomDrawStage Stage)>& Draw) {
  const TCustomDrawStage stage = StageOf(Notice.dwDrawStage);
  if (Wanted(dtControl, stage) && !Control(Notice, [&] { return Draw(TRect(Notice.rc), stage); }))
    return CDRF_SKIPDEFAULT;
  LRESULT answer = CDRF_DODEFAULT;
  if (stage == cdPrePaint) {
    if (Wanted(dtItem, cdPrePaint) || Wanted(dtItem, cdPostPaint)) answer |= CDRF_NOTIFYITEMDRAW;
    if (Wanted(dtControl, cdPostPaint)) answer |= CDRF_NOTIFYPOSTPAINT;
  } else if (stage == cdPreErase && Wanted(dtControl, cdPostErase)) {
    answer |= CDRF_NOTIFYPOSTERASE;
  }
  return answer;
}

LRESULT TViewCustomDraw::ItemStage(const NMCUSTOMDRAW& Notice, TCustomDrawTarget Target, COLORREF& Text, COLORREF& Back,
                                   const TWanted& Wanted, const std::function<bool(TCustomDrawStage Stage)>& Draw) {
  const TCustomDrawStage stage = StageOf(Notice.dwDrawStage);
  auto life = FView->LifeToken();
  LRESULT answer = CDRF_DODEFAULT;
  if (Wanted(Target, stage)) answer = Item(Notice, Text, Back, [&] { return Draw(stage); });
  if (life.expired() || stage != cdPrePaint) return answer;
  if (Wanted(Target, cdPostPaint)) answer |= CDRF_NOTIFYPOSTPAINT;
  if (Target == dtItem && (Wanted(dtSubItem, cdPrePaint) || Wanted(dtSubItem, cdPostPaint)))
    answer |= CDRF_NOTIFYSUBITEMDRAW;
  return answer;
}
