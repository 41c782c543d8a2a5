// TKRShapedForm: the form's window region from the opaque pixels of the picture, and dragging.

#include "components/CTL_KRShapedForm.h"

#include <cstring>
#include <vector>

#include "platform/vcl/Forms.h"

XJ_PUBLISHED(TKRShapedForm,
  XJ_PROP(Align, alClient)
  XJ_PROP(Moveable, true));

static const bool xj_shaped_registered = (RegisterClasses({ TKRShapedForm::StaticClass() }), true);

namespace {

// One region from many rectangles at once: uniting them one by one would cost a pass over the growing
// region per run, which a detailed picture makes quadratic.
HRGN RegionOf(const std::vector<RECT>& Rects) {
  std::vector<char> data(sizeof(RGNDATAHEADER) + Rects.size() * sizeof(RECT));
  auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
  header->dwSize = sizeof(RGNDATAHEADER);
  header->iType = RDH_RECTANGLES;
  header->nCount = static_cast<DWORD>(Rects.size());
  header->nRgnSize = static_cast<DWORD>(Rects.size() * sizeof(RECT));
  if (!Rects.empty()) std::memcpy(data.data() + sizeof(RGNDATAHEADER), Rects.data(), Rects.size() * sizeof(RECT));
  return ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<const RGNDATA*>(data.data()));
}

}  // namespace

TKRShapedForm::TKRShapedForm(TComponent* AOwner) : TImage(AOwner) {
  SetAlign(alClient);
  SetAutoSize(false);
  SetStretch(false);
  Picture()->OnChange = TNotifyEvent(this, &TKRShapedForm::PictureUpdate);
}

TKRShapedForm::~TKRShapedForm() {
  Picture()->OnChange = TNotifyEvent();
  DropRegion();
}

TCustomForm* TKRShapedForm::ParentForm() const { return dynamic_cast<TCustomForm*>(Parent()); }

void TKRShapedForm::DropRegion() {
  if (FRegion) DeleteObject(FRegion);  // never one the window owns: that one we forgot when handing it over
  FRegion = nullptr;
  FClearPending = false;
}

void TKRShapedForm::SetParent(TWinControl* AParent) {
  // Checked before the parent changes: nothing may ever treat a panel as the form to shape.
  if (AParent) {
    auto* form = dynamic_cast<TCustomForm*>(AParent);
    if (!form) throw Exception("Please Drop on a Form");
    for (int i = 0; i < form->ControlCount(); ++i) {
      TControl* c = form->Controls(i);
      if (c != this && dynamic_cast<TKRShapedForm*>(c)) throw Exception("Please Drop only one TKRShapedForm per Form");
    }
  }
  TImage::SetParent(AParent);
}

void TKRShapedForm::Loaded() {
  TImage::Loaded();
  // The picture may have been read before the parent was known: size the region now.
  PictureUpdate(this);
}

void TKRShapedForm::PictureUpdate(TObject* Sender) {
  DropRegion();
  if (Sender == Picture()) Invalidate();  // the image's own handling would have repainted it
  TCustomForm* form = ParentForm();
  if (!form) return;
  if (AutoSize()) {
    const int w = Picture()->Width(), h = Picture()->Height();
    if (w > 0 && h > 0) {
      form->SetClientWidth(w);
      form->SetClientHeight(h);
    }
    FRegionWidth = w;
    FRegionHeight = h;
  } else {
    FRegionWidth = Width();
    FRegionHeight = Height();
  }
  ObtainRegion();
  RefreshForm();
}

void TKRShapedForm::ObtainRegion() {
  if (ComponentState().Contains(csDesigning)) return;
  TCustomForm* form = ParentForm();
  if (!form) return;
  DropRegion();
  TGraphic* picture = Picture()->Graphic();
  if (!picture || picture->Empty() || FRegionWidth <= 0 || FRegionHeight <= 0) {
    FClearPending = true;
    return;
  }
  // The region is in window coordinates: the client area starts below the caption and inside the
  // border. The control itself fills the client area.
  const TPoint client = form->ClientOrigin();
  TPoint window(form->Left(), form->Top());
  if (form->Parent()) window = form->Parent()->ClientToScreen(window);
  const int dx = client.X - window.X, dy = client.Y - window.Y;

  TBitmap bitmap;
  bitmap.SetPixelFormat(pf32bit);
  bitmap.SetSize(FRegionWidth, FRegionHeight);
  bitmap.Canvas()->StretchDraw(TRect(0, 0, FRegionWidth, FRegionHeight), picture);
  bitmap.SetPixelFormat(pf32bit);
  const uint32_t transparent = static_cast<const uint32_t*>(bitmap.ScanLine(FRegionHeight - 1))[0];

  std::vector<RECT> runs;
  for (int y = 0; y < FRegionHeight; ++y) {
    const auto* row = static_cast<const uint32_t*>(bitmap.ScanLine(y));
    for (int x = 0; x < FRegionWidth;) {
      if (row[x] == transparent) {
        ++x;
        continue;
      }
      const int first = x;
      while (x < FRegionWidth && row[x] != transparent) ++x;
      runs.push_back(RECT { first + dx, y + dy, x + dx, y + 1 + dy });
    }
  }
  if (runs.empty()) {
    FClearPending = true;
    return;
  }
  FRegion = RegionOf(runs);
}

void TKRShapedForm::AddRegion(int Left, int Right, int Y) {
  HRGN run = CreateRectRgn(Left, Y, Right + 1, Y + 1);
  if (!FRegion) {
    FRegion = run;
    return;
  }
  CombineRgn(FRegion, FRegion, run, RGN_OR);
  DeleteObject(run);
}

void TKRShapedForm::RefreshForm() {
  if (ComponentState().Contains(csDesigning)) return;
  TCustomForm* form = ParentForm();
  if (!form || (!FRegion && !FClearPending)) return;
  // The window owns the region from here on and frees the one it had.
  SetWindowRgn(form->Handle(), FRegion, TRUE);
  FRegion = nullptr;
  FClearPending = false;
}

void TKRShapedForm::Paint() {
  if (Picture()->Graphic() && !Picture()->Graphic()->Empty()) {
    // Exactly one of AutoSize and Stretch: the one that just changed wins.
    if (AutoSize() != FLastAutoSize) {
      if (!AutoSize() && !Stretch()) {
        SetStretch(true);
        FLastStretch = true;
      } else if (AutoSize() && Stretch()) {
        SetStretch(false);
        FLastStretch = false;
      }
    }
    if (Stretch() != FLastStretch) {
      if (Stretch() && AutoSize())
        SetAutoSize(false);
      else if (!Stretch() && !AutoSize())
        SetAutoSize(true);
    }
    if (AutoSize() && Stretch()) SetStretch(false);
    if (!AutoSize() && !Stretch()) SetAutoSize(true);
    FLastStretch = Stretch();
    if (AutoSize() != FLastAutoSize || Width() != FLastWidth || Height() != FLastHeight) {
      PictureUpdate(this);
      FLastAutoSize = AutoSize();
      FLastWidth = Width();
      FLastHeight = Height();
    }
  }
  TImage::Paint();
}

void TKRShapedForm::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TImage::MouseDown(Button, Shift, X, Y);
  FDragX = X;
  FDragY = Y;
}

void TKRShapedForm::MouseMove(TShiftState Shift, int X, int Y) {
  TImage::MouseMove(Shift, X, Y);
  TCustomForm* form = ParentForm();
  if (!FMoveable || !form || Shift != TShiftState { ssLeft }) return;
  form->SetBounds(form->Left() + X - FDragX, form->Top() + Y - FDragY, form->Width(), form->Height());
  form->Perform(WM_PAINT, 0, 0);
}
