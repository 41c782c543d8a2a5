// TImage: a windowless control showing a picture.

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>()) {
  FControlStyle << csReplicatable;
  FPicture->OnChange = TNotifyEvent(this, &TImage::PictureChanged);
  FPicture->OnProgress = TProgressEvent(this, &TImage::PictureProgress);
  SetBounds(0, 0, 105, 105);
}

TImage::~TImage() {
  FPicture->OnChange = TNotifyEvent();
  FPicture->OnProgress = TProgressEvent();
}

TCanvas* TImage::Canvas() {
  if (!FPicture->Graphic()) {
    TBitmap bitmap;
    bitmap.SetSize(Width(), Height());
    FPicture->SetGraphic(&bitmap);
  }
  auto* bitmap = dynamic_cast<TBitmap*>(FPicture->Graphic());
  if (!bitmap) throw EInvalidOperation("Can only modify an image if it contains a bitmap");
  return bitmap->Canvas();
}

void TImage::SetCenter(bool Value) {
  if (FCenter == Value) return;
  FCenter = Value;
  PictureChanged(this);
}

void TImage::SetStretch(bool Value) {
  if (FStretch == Value) return;
  FStretch = Value;
  PictureChanged(this);
}

void TImage::SetProportional(bool Value) {
  if (FProportional == Value) return;
  FProportional = Value;
  PictureChanged(this);
}

void TImage::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  PictureChanged(this);
}

void TImage::SetAutoSize(bool Value) {
  TGraphicControl::SetAutoSize(Value);
  PictureChanged(this);
}

TRect TImage::DestRect() {
  int w = FPicture->Width(), h = FPicture->Height();
  const int cw = ClientWidth(), ch = ClientHeight();
  if (FStretch || (FProportional && (w > cw || h > ch))) {
    if (FProportional && w > 0 && h > 0) {
      // The larger ratio decides; the other side follows, rounded down.
      if (static_cast<int64_t>(cw) * h < static_cast<int64_t>(ch) * w) {
        h = static_cast<int>(static_cast<int64_t>(h) * cw / w);
        w = cw;
      } else {
        w = static_cast<int>(static_cast<int64_t>(w) * ch / h);
        h = ch;
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  TRect r(0, 0, w, h);
  if (FCenter) {
    const int dx = (cw - w) / 2, dy = (ch - h) / 2;
    r = TRect(dx, dy, dx + w, dy + h);
  }
  return r;
}

// An empty picture leaves the size alone rather than collapsing the control to nothing.
bool TImage::CanAutoSize(int& NewWidth, int& NewHeight) {
  if (FPicture->Width() <= 0 || FPicture->Height() <= 0) return true;
  const TAlign a = Align();
  if (a == alNone || a == alLeft || a == alRight) NewWidth = FPicture->Width();
  if (a == alNone || a == alTop || a == alBottom) NewHeight = FPicture->Height();
  return true;
}

void TImage::Paint() {
  xj::TemporaryChange drawing(FDrawing, true);
  TGraphicControl::Canvas()->StretchDraw(DestRect(), FPicture->Graphic());
}

// The picture decodes inside our own paint, on the canvas that paint holds: painting again draws the
// rows decoded so far where they belong.
void TImage::PictureProgress(TObject*, TProgressStage, uint8_t, bool RedrawNow, const TRect&, const AnsiString&) {
  if (FIncrementalDisplay && RedrawNow && FDrawing) Paint();
}

void TImage::PictureChanged(TObject*) {
  if (AutoSize() && FPicture->Width() > 0 && FPicture->Height() > 0)
    SetBounds(Left(), Top(), FPicture->Width(), FPicture->Height());
  // An icon carries its own mask.
  if (TGraphic* g = FPicture->Graphic(); g && !dynamic_cast<TIcon*>(g)) g->SetTransparent(FTransparent);
  UpdateOpaque();
  if (!FDrawing) Invalidate();
}

void TImage::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const auto life = LifeToken();  // OnResize may free the picture
  TGraphicControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (life.expired()) return;
  // The old area was invalidated with an erase, which covers the window's whole update region; later
  // repaints of the image need its opacity as it is now.
  UpdateOpaque();
}

void TImage::UpdateOpaque() {
  const TGraphic* g = FPicture->Graphic();
  bool opaque = false;
  if (g && !g->Transparent()) {
    const TRect d = DestRect();
    opaque = d.Left <= 0 && d.Top <= 0 && d.Right >= Width() && d.Bottom >= Height();
  }
  if (opaque)
    FControlStyle << csOpaque;
  else
    FControlStyle >> csOpaque;
}

XJ_PUBLISHED(TImage,
  XJ_PROP(Align, alNone)
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(AutoSize, false)
  XJ_PROP(Center, false)
  XJ_PROP(Constraints)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(IncrementalDisplay, false)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(Picture)
  XJ_PROP(PopupMenu)
  XJ_PROP(Proportional, false)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(Stretch, false)
  XJ_PROP(Transparent, false)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnContextPopup)
  XJ_EVENT(OnDblClick)
  XJ_EVENT(OnDragDrop)
  XJ_EVENT(OnDragOver)
  XJ_EVENT(OnEndDock)
  XJ_EVENT(OnEndDrag)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnStartDock)
  XJ_EVENT(OnStartDrag));
